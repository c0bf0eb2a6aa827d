// output.xml, the class timetables, and report.txt, the text of the last run's report.
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "base/TaskXml.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/Xml.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <functional>

using namespace taskxml;

namespace {

void AppendItem(pugi::xml_node parent, int day, int segment, int section, const CCourseTableNode::NodeData& data,
                int oddEven)
{
    pugi::xml_node item = Append(parent, "Item");
    SetAttribute(item, "day", day);
    SetAttribute(item, "segment", segment);
    SetAttribute(item, "section", section);
    SetAttribute(item, "course", data.GetCourseId());
    SetAttribute(item, "room", data.GetRoomId());
    SetAttribute(item, "oddEven", oddEven);
}

// True when placing the course in the half (0 the whole week, 1 odd, 2 even weeks) would push
// another lesson out of the class's cell. A file the program wrote never asks for that; a
// damaged or hand-edited one may, and the lesson already there must not be lost.
bool TakesOthersPlace(const CCourseTableNode& cell, int half, const std::string& courseId)
{
    auto other = [&](int h) {
        const std::string& id = cell.data(h).GetCourseId();
        return !id.empty() && id != courseId;
    };
    if (!cell.IsInterleave())
        return other(1);
    return half == 0 ? other(1) || other(2) : other(half);
}

std::string ReportPath(const CTaskInfo& info) { return info.GetTaskFolder() + "report.txt"; }

// The attribute of `Output` that names the run whose timetables the file holds. report.txt carries
// the same stamp after the zero that ends its text, where readers of the text never look.
constexpr const char* kRunStampAttribute = "run";

std::function<void(CScheduleTask::RunSaveStep)>& RunSaveHook()
{
    static std::function<void(CScheduleTask::RunSaveStep)> hook;
    return hook;
}

void ReachedRunSaveStep(CScheduleTask::RunSaveStep step)
{
    if (RunSaveHook())
        RunSaveHook()(step);
}

const char* const kReportOutOfDate =
    "【报告已过期】\n这是更早一次自动排课的报告，与当前的课表不符：最近一次自动排课保存了课表，"
    "但它的报告没有保存下来（保存时程序被中止）。\n\n";

}  // namespace

bool CScheduleTask::SaveOutputData()
{
    // Until a save succeeds, the timetables in memory are not those of the file.
    m_tablesUnsaved = true;
    if (!MayReplaceOutput() || !CheckSavable())
        return false;
    pugi::xml_document doc;
    BuildOutputDocument(doc, OutputPairStamp());
    if (!SaveTaskDocument(*this, doc, m_taskInfo.GetOutputFilePath()))
        return false;
    m_tablesUnsaved = false;
    return true;
}

bool CScheduleTask::MayReplaceOutput() const
{
    if (!m_outputReadPartial || m_readOnly)
        return true;
    zem::ShowMessage("打开任务时，output.xml 中有部分课表未能读入。为免覆盖文件中的这些课表，本次未保存课表。", "提示",
                     zem::MessageIcon::Warning);
    return false;
}

void CScheduleTask::BuildOutputDocument(pugi::xml_document& doc, const std::string& pairStamp) const
{
    pugi::xml_node output = doc.append_child("Output");
    if (!m_strRunStamp.empty())
        SetAttribute(output, kRunStampAttribute, m_strRunStamp);
    SetPairStamp(output, pairStamp);
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(m_classes)) {
        const CCourseTable& table = cls->GetTable(false);
        pugi::xml_node element = Append(output, "Class");
        SetAttribute(element, "id", cls->GetId());
        SetAttribute(element, "name", cls->GetName());
        ForEachSlot(m_schoolStructure, [&](const tagTABLE_NODE& node) {
            const CCourseTableNode& cell = table.GetNode(node);
            const bool split = cell.IsInterleave();
            AppendItem(element, node.day, node.segment, node.section, cell.data(1), split ? 1 : 0);
            if (split)
                AppendItem(element, node.day, node.segment, node.section, cell.data(2), 2);
        });
    }
}

bool CScheduleTask::ReadOutputData()
{
    const std::string path = m_taskInfo.GetOutputFilePath();
    // A task that was never scheduled has no output.xml: its timetables are simply empty. A
    // folder in its place is a fault like any other, so that saving never tries to replace it.
    if (!zem::FileExists(path) && !zem::FolderExists(path))
        return false;

    // A faulty item is skipped and the rest still loads; the user hears of it once, with the first
    // fault's reason, and the timetables read are not saved over the file without the user's consent.
    int faults = 0;
    std::string reason;
    auto fault = [&](std::string text) {
        if (faults++ == 0)
            reason = std::move(text);
    };
    pugi::xml_document doc;
    std::string error;
    pugi::xml_node output;
    if (!zem::LoadXmlFile(doc, path, &error)) {
        CLog::inst()->Log("file", "%s", error.c_str());
        fault(error);
    } else if (!(output = doc.select_node("//Output").node())) {
        CLog::inst()->Log("file", "output.xml: no Output element");
        fault(NoRootText(path, "Output"));
    } else {
        if (const std::string stamp = GetNodeAttribute(output, kRunStampAttribute); IsFileStamp(stamp))
            m_strRunStamp = stamp;
        // output.xml goes in place first: a pair save cut short leaves it stamped anew beside an
        // input.xml with another stamp or (a task of an older version) none. An unstamped
        // output.xml tells nothing, as files of an older version carry no stamps.
        // A damaged stamp on either file proves no pair.
        const PairStamp pair = ReadPairStamp(output);
        m_pairMismatch = pair.damaged || m_inputPairDamaged || (!pair.value.empty() && pair.value != m_pairStamp);
    }
    // Text between the elements ends a walk: the items after it are not read.
    auto unread = [&](bool readInFull) {
        if (!readInFull)
            fault(UnreadElementsText(path));
    };
    unread(ForEachElementInFull(output, [&](pugi::xml_node cls) {
        unread(ForEachElementInFull(cls, [&](pugi::xml_node item) {
            const pugi::xml_attribute day = item.attribute("day");
            const pugi::xml_attribute segment = item.attribute("segment");
            const pugi::xml_attribute section = item.attribute("section");
            const tagTABLE_NODE node{zem::ParseIntPrefix(day.value()), zem::ParseIntPrefix(segment.value()),
                                     zem::ParseIntPrefix(section.value())};
            if (!day || !segment || !section || !IsNodeInRange(node)) {
                fault(zem::Format("文件中有一节课的时间缺少或超出范围：\n%s", path.c_str()));
                return;
            }
            const int oddEven = ClampedInt(GetNodeAttribute(item, "oddEven"), INT_MIN, INT_MAX);
            // Any other value stands for the whole week, as the placing itself reads it.
            const int half = oddEven == 1 || oddEven == 2 ? oddEven : 0;
            CCourseInfo* course = FindCourse(GetNodeAttribute(item, "course"));
            if (!course)
                return;
            const CClassInfo* owner = GetClass(course->GetClassId());
            if (owner && TakesOthersPlace(owner->GetTable(false).GetNode(node), half, course->GetId())) {
                fault(zem::Format("文件中有两节课排在%s的同一个时间（%s）：\n%s", owner->GetName().c_str(),
                                  GetTimeNodeDesc(&node).c_str(), path.c_str()));
                return;
            }
            SetCourseNode(course, GetNodeAttribute(item, "room"), false, node, half);
        }));
    }));
    if (faults == 0)
        return true;
    CLog::inst()->Log("file", "output.xml: %d faulty items or parts skipped", faults);
    m_outputReadPartial = true;
    ShowReadError(path, reason);
    return false;
}

void CScheduleTask::InitReportInfo()
{
    m_lastReport.Clear();
    m_lastReport.SetCurrentTime();
    m_lastReport.SetWeekNodeCount(m_schoolStructure.GetWeekNodeCount());
    m_lastReport.SetClassCount(m_classes.GetCount());
    m_lastReport.SetSubjectCount(m_subjects.GetCount());
    m_lastReport.SetTeacherCount(m_teachers.GetCount());
    m_lastReport.SetSSCount(m_selfStudies.GetCount());
    m_lastReport.SetCourseCount(m_courses.GetCount());
}

namespace {

// report.txt's bytes: the GBK text, the zero that ends it, then the run stamp when there is one.
// False, with the errno, for a task that was never saved and so has no folder for the file.
bool ReportBytes(const CTaskInfo& info, const CReportInfo& report, const std::string& stamp, std::string& bytes,
                 int* errorCode)
{
    // The file would land in the working folder.
    if (info.GetTaskFolder().empty()) {
        if (errorCode)
            *errorCode = ENOENT;
        return false;
    }
    // Characters GBK lacks are written as references; text that is no UTF-8 is not written at all.
    if (!zem::Utf8ToGbkWithCharRefs(report.GetReportInfo(), bytes)) {
        if (errorCode)
            *errorCode = EILSEQ;
        return false;
    }
    // The text ends with its terminating zero, as readers on either system expect.
    bytes += '\0';
    bytes += stamp;
    return true;
}

// report.txt's bytes as its reader takes them apart: the text up to the first zero, in GBK, and
// the stamp after it.
void SplitReport(std::string_view bytes, std::string& gbkText, std::string& stamp)
{
    stamp.clear();
    const std::size_t end = bytes.find('\0');
    if (end != std::string_view::npos) {
        const std::string_view rest = bytes.substr(end + 1);
        stamp.assign(rest.substr(0, rest.find('\0')));
        bytes = bytes.substr(0, end);
    }
    gbkText.assign(bytes);
}

// True when the bytes read back as the report's text (characters GBK lacks as their references)
// and the stamp.
zem::ReadBackCheck ReportCheck(std::string meant, std::string stamp)
{
    return [meant = std::move(meant), stamp = std::move(stamp)](std::string_view bytes, std::string* reason) {
        std::string gbkText;
        std::string readStamp;
        SplitReport(bytes, gbkText, readStamp);
        std::string meantGbk;
        std::string text;
        std::string meantText;
        const bool same = zem::GbkToUtf8(gbkText, text) && zem::Utf8ToGbkWithCharRefs(meant, meantGbk) &&
                          zem::GbkToUtf8(meantGbk, meantText) && text == meantText && readStamp == stamp;
        if (!same && reason)
            *reason = "报告的文字或标记读回时不同";
        return same;
    };
}

}  // namespace

bool CScheduleTask::SaveLastReportInfo(int* errorCode)
{
    std::string bytes;
    return ReportBytes(m_taskInfo, m_lastReport, m_strRunStamp, bytes, errorCode) &&
           zem::WriteFileAtomic(ReportPath(m_taskInfo), bytes, nullptr, errorCode,
                                ReportCheck(m_lastReport.GetReportInfo(), m_strRunStamp));
}

CScheduleTask::RunResultSave CScheduleTask::SaveRunResult()
{
    RunResultSave result;
    // The timetables in memory are this run's from now on, whether or not they reach the file.
    m_strRunStamp = NewFileStamp();
    zem::PendingFile report;
    std::string bytes;
    const bool written = ReportBytes(m_taskInfo, m_lastReport, m_strRunStamp, bytes, &result.reportError) &&
                         report.Write(ReportPath(m_taskInfo), bytes, nullptr, &result.reportError,
                                      ReportCheck(m_lastReport.GetReportInfo(), m_strRunStamp));
    ReachedRunSaveStep(RunSaveStep::ReportWritten);
    result.outputSaved = SaveOutputData();
    // Without the timetables the files keep the earlier run, its report included.
    if (!result.outputSaved || !written)
        return result;
    ReachedRunSaveStep(RunSaveStep::OutputWritten);
    report.Commit(nullptr, &result.reportError);
    return result;
}

void CScheduleTask::SetRunSaveHookForTesting(std::function<void(RunSaveStep)> hook) { RunSaveHook() = std::move(hook); }

bool CScheduleTask::ReadReportInfo()
{
    m_reportOutOfDate = false;
    std::string bytes;
    if (!zem::ReadFileBytes(ReportPath(m_taskInfo), bytes))
        return false;
    std::string gbkText;
    std::string stamp;
    SplitReport(bytes, gbkText, stamp);
    std::string text;
    // Bytes that are not GBK end the text; what came before them is kept.
    zem::GbkToUtf8(gbkText, text);
    // A report written before output.xml by a run killed in between belongs to an earlier run.
    m_reportOutOfDate = !m_strRunStamp.empty() && stamp != m_strRunStamp;
    m_lastReport.SetReportInfo(m_reportOutOfDate ? kReportOutOfDate + text : text);
    return true;
}
