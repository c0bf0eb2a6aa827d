// output.xml, the class timetables, and report.txt, the text of the last run's report.
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "base/TaskXml.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/Xml.h"

#include <cerrno>
#include <climits>

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

}  // namespace

bool CScheduleTask::SaveOutputData()
{
    if (m_outputReadPartial && !m_readOnly) {
        zem::ShowMessage("打开任务时，output.xml 中有部分课表未能读入。为免覆盖文件中的这些课表，本次未保存课表。",
                         "提示", zem::MessageIcon::Warning);
        return false;
    }
    if (!CheckSavable())
        return false;
    pugi::xml_document doc;
    pugi::xml_node output = doc.append_child("Output");
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
    return SaveTaskDocument(*this, doc, m_taskInfo.GetOutputFilePath());
}

bool CScheduleTask::ReadOutputData()
{
    const std::string path = m_taskInfo.GetOutputFilePath();
    // A task that was never scheduled has no output.xml: its timetables are simply empty. A
    // folder in its place is a fault like any other, so that saving never tries to replace it.
    if (!zem::FileExists(path) && !zem::FolderExists(path))
        return false;

    // A faulty item is skipped and the rest still loads; the user hears of it once, and the
    // timetables read are not saved over the file without the user's consent.
    int faults = 0;
    pugi::xml_document doc;
    std::string error;
    int code = 0;
    pugi::xml_node output;
    if (!zem::LoadXmlFile(doc, path, &error, &code)) {
        CLog::inst()->Log("file", "%s", error.c_str());
        ++faults;
    } else if (!(output = doc.select_node("//Output").node())) {
        CLog::inst()->Log("file", "output.xml: no Output element");
        ++faults;
    }
    // Text between the elements ends a walk: the items after it are not read.
    faults += !ForEachElementInFull(output, [&](pugi::xml_node cls) {
        faults += !ForEachElementInFull(cls, [&](pugi::xml_node item) {
            const pugi::xml_attribute day = item.attribute("day");
            const pugi::xml_attribute segment = item.attribute("segment");
            const pugi::xml_attribute section = item.attribute("section");
            const tagTABLE_NODE node{zem::ParseIntPrefix(day.value()), zem::ParseIntPrefix(segment.value()),
                                     zem::ParseIntPrefix(section.value())};
            if (!day || !segment || !section || !IsNodeInRange(node)) {
                ++faults;
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
                ++faults;
                return;
            }
            SetCourseNode(course, GetNodeAttribute(item, "room"), false, node, half);
        });
    });
    if (faults == 0)
        return true;
    CLog::inst()->Log("file", "output.xml: %d faulty items or parts skipped", faults);
    m_outputReadPartial = true;
    // A file no school has (too large, not a file at all) is named with the reason.
    zem::ShowMessage(code == EFBIG || code == ESPIPE ? "读取 output.xml 文件出错！\n\n" + error
                                                     : std::string("读取 output.xml 文件出错！"),
                     "提示", zem::MessageIcon::Error);
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

bool CScheduleTask::SaveLastReportInfo(int* errorCode)
{
    // A task never saved has no folder; the file would land in the working folder.
    if (m_taskInfo.GetTaskFolder().empty()) {
        if (errorCode)
            *errorCode = ENOENT;
        return false;
    }
    std::string bytes;
    if (!zem::Utf8ToGbk(m_lastReport.GetReportInfo(), bytes))
        bytes = zem::Utf8ToGbkWithCharRefs(m_lastReport.GetReportInfo());
    // The file ends with the text's terminating zero, as readers on either system expect.
    bytes += '\0';
    return zem::WriteFileAtomic(ReportPath(m_taskInfo), bytes, nullptr, errorCode);
}

bool CScheduleTask::ReadReportInfo()
{
    std::string bytes;
    if (!zem::ReadFileBytes(ReportPath(m_taskInfo), bytes))
        return false;
    const std::size_t end = bytes.find('\0');
    if (end != std::string::npos)
        bytes.resize(end);
    std::string text;
    // Bytes that are not GBK end the text; what came before them is kept.
    zem::GbkToUtf8(bytes, text);
    m_lastReport.SetReportInfo(text);
    return true;
}
