// The invigilation data sets: reading and writing in.xml and out.xml. Their free-text dates and
// times are read in ProctorDateTime.cpp.
#include "base/ScheduleProctor.h"

#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "base/TaskXml.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/Xml.h"

#include <pugixml.hpp>

#include <cerrno>
#include <filesystem>
#include <system_error>

using namespace taskxml;

namespace {

// No room is watched by more teachers than a school has; a larger count is a damaged number.
constexpr int kMaxTeacherCount = 999;

// No school has more exams, teachers or invigilations than these; a file with more is refused
// before any of it is built.
constexpr std::size_t kMaxPlans = 10000;
constexpr std::size_t kMaxTeachers = 3000;
constexpr std::size_t kMaxRooms = 1000;
constexpr std::size_t kMaxItems = 100000;

// ---- files ----

bool Exists(const std::string& path) { return zem::FileExists(path) || zem::FolderExists(path); }

// Any entry of that name, a link to nothing too.
bool TakenName(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The first reason a file of a set was not read in full; empty while it was.
struct SetReadFault {
    std::string path;
    std::string reason;
    void Note(std::string text)
    {
        if (reason.empty())
            reason = std::move(text);
    }
    // A list that other text ended before its last element.
    void NoteUnread(bool readInFull)
    {
        if (!readInFull)
            Note(UnreadElementsText(path));
    }
};

// Reads one file of a set through `read`, which notes in its fault what it could not read. False
// without a message for a missing file; false, having said why, for one not read in full.
template <class Read>
bool ReadSetFile(const std::string& folder, const char* file, const char* root, Read&& read)
{
    SetReadFault fault{folder + "/" + file, {}};
    const std::string& path = fault.path;
    if (!Exists(path))
        return false;
    pugi::xml_document doc;
    std::string error;
    if (!zem::LoadXmlFile(doc, path, &error)) {
        fault.Note(error);
    } else if (!doc.select_node(zem::Format("//%s", root).c_str())) {
        fault.Note(NoRootText(path, root));
    } else {
        try {
            read(doc, fault);
        } catch (const UnreadElements&) {
            fault.Note(UnreadElementsText(path));
        } catch (const TooManyObjects& tooMany) {
            fault.Note(TooManyObjectsText(path, tooMany));
        }
    }
    if (fault.reason.empty())
        return true;
    CLog::inst()->Log("file", "%s", fault.reason.c_str());
    ShowReadError(path, fault.reason);
    return false;
}

std::vector<std::string> ChildTexts(pugi::xml_node parent, SetReadFault& fault, const char* kind, std::size_t limit)
{
    CheckCount(parent, kind, limit);
    std::vector<std::string> texts;
    fault.NoteUnread(ForEachElementInFull(parent, [&](pugi::xml_node child) { texts.push_back(ElementText(child)); }));
    return texts;
}

// An empty or missing value leaves the default; text that is no date or time is a fault.
void ReadDateTime(pugi::xml_node element, const char* name, CProctorData::DateTime& value, SetReadFault& fault)
{
    const std::string text = GetNodeAttribute(element, name);
    if (!zem::Trim(text).empty() && !value.Parse(text))
        fault.Note(zem::Format("文件中的日期或时间“%s”无法识别：\n%s", text.c_str(), fault.path.c_str()));
}

}  // namespace

// ---- CProctorData

CProctorData::Plan* CProctorData::GetPlan(std::string_view id) const
{
    for (const auto& plan : m_plans)
        if (plan->id == id)
            return plan.get();
    return nullptr;
}

// ---- CScheduleProctor

bool CScheduleProctor::CheckName() const
{
    if (m_name.empty()) {
        zem::ShowMessage("监考名称不能为空");
        return false;
    }
    std::string message;
    if (!zem::CheckFileName(m_name, &message)) {
        zem::ShowMessage(message, "提示", zem::MessageIcon::Warning);
        return false;
    }
    return true;
}

bool CScheduleProctor::MakeFolders(std::string* error, int* errorCode) const
{
    // One level at a time, so that a task folder that was moved away is not made anew here, and
    // never a link, so that nothing is written outside the task folder.
    for (const std::string& folder : {m_proctorFolder, DataFolder()}) {
        if (!zem::MakeRealFolder(folder, error, errorCode)) {
            CLog::inst()->Log("file", "cannot use %s", folder.c_str());
            return false;
        }
    }
    return true;
}

void CScheduleProctor::ShowSaveError(const std::string& path, int errorCode) const
{
    const std::string folder = DataFolder();
    // A folder that is gone was moved away with the task; any other failure has its own reason.
    const std::string text = zem::FolderExists(folder) || (errorCode != ENOENT && errorCode != ENOTDIR)
                                 ? SaveErrorText(path, errorCode)
                                 : zem::Format("保存出错！\n\n监考数据文件夹不存在，可能已被改名或移动：\n%s", folder.c_str());
    zem::ShowMessage(text, "提示", zem::MessageIcon::Error);
}

bool CScheduleProctor::SaveDocument(const pugi::xml_document& doc, const char* file) const
{
    const std::string path = DataFolder() + "/" + file;
    std::string error;
    int code = 0;
    if (!zem::SaveXmlFile(doc, path, &error, &code)) {
        CLog::inst()->Log("file", "%s", error.c_str());
        ShowSaveError(path, code);
        return false;
    }
    return true;
}

bool CScheduleProctor::Open(CScheduleTask* task, const std::string& name)
{
    // A task never saved has no folder to hold its invigilation data.
    if (!task || task->GetTaskInfo().GetTaskFolder().empty())
        return false;
    m_proctorFolder = task->GetTaskInfo().GetProctorFolder();
    if (!name.empty())
        m_name = name;
    if (!CheckName())
        return false;
    std::string error;
    if (!MakeFolders(&error)) {
        zem::ShowMessage("无法创建监考数据文件夹。\n\n" + error, "提示", zem::MessageIcon::Error);
        return false;
    }
    // A file that exists but cannot be read in full must not be replaced by what was read of it.
    const std::string folder = DataFolder() + "/";
    // Both are read, so that a set saved afresh after one was kept aside loses nothing of the other.
    m_damagedFiles.clear();
    if (Exists(folder + "in.xml") && !ReadInputData())
        m_damagedFiles.push_back("in.xml");
    if (Exists(folder + "out.xml") && !ReadOutputData())
        m_damagedFiles.push_back("out.xml");
    return m_damagedFiles.empty();
}

bool CScheduleProctor::Save()
{
    if (!CheckName())
        return false;
    if (!m_damagedFiles.empty() && !SetDamagedFilesAside())
        return false;
    std::string error;
    int code = ENOENT;
    if (m_proctorFolder.empty() || !MakeFolders(&error, &code)) {
        // The folder that could not be used is named, be it the set's or the proctor folder above it.
        if (error.empty() || code == ENOENT || code == ENOTDIR)
            ShowSaveError(DataFolder(), code);
        else
            zem::ShowMessage("保存出错！\n\n" + error, "提示", zem::MessageIcon::Error);
        return false;
    }
    return SaveInputData() && SaveOutputData();
}

bool CScheduleProctor::SetDamagedFilesAside()
{
    const std::string folder = DataFolder() + "/";
    const zem::LocalTime now = zem::Now();
    const std::string stamp = zem::Format("%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour,
                                          now.minute, now.second);
    // "in.xml" is kept as "in-损坏-20250307-093000.xml", never over a file already there.
    std::vector<std::string> asides;
    std::string names;
    for (const std::string& file : m_damagedFiles) {
        const std::string stem = file.substr(0, file.find('.')) + "-损坏-" + stamp;
        std::string aside = stem + ".xml";
        for (int n = 2; TakenName(folder + aside); ++n)
            aside = zem::Format("%s-%d.xml", stem.c_str(), n);
        asides.push_back(aside);
        names += "\n" + file + " 改名为 " + aside;
    }
    zem::MessageRequest question;
    question.text = "监考数据未能完整读入，直接保存会覆盖文件中没有读入的内容。\n\n要把损坏的文件改名保留，再保存当前的监考数据吗？"
                    "（选“否”则本次不保存）\n" + names;
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::YesNo;
    if (zem::ShowMessage(question) != zem::IDYES)
        return false;
    std::string done;
    for (std::size_t i = 0; i < asides.size(); ++i) {
        std::error_code error;
        std::filesystem::rename(folder + m_damagedFiles.front(), folder + asides[i], error);
        if (error) {
            zem::ShowMessage(zem::Format("无法把 %s 改名保留：%s\n\n本次未保存。%s", m_damagedFiles.front().c_str(),
                                         zem::FileErrorReason(error.value()).c_str(), done.c_str()),
                             "提示", zem::MessageIcon::Error);
            return false;
        }
        done += "\n已把 " + m_damagedFiles.front() + " 改名为 " + asides[i];
        CLog::inst()->Log("file", "kept %s%s aside as %s", folder.c_str(), m_damagedFiles.front().c_str(),
                          asides[i].c_str());
        m_damagedFiles.erase(m_damagedFiles.begin());
    }
    return true;
}

bool CScheduleProctor::ReadInputData()
{
    return ReadSetFile(DataFolder(), "in.xml", "Input", [&](const pugi::xml_document& doc, SetReadFault& fault) {
        if (pugi::xml_node planInfo = SelectSection(doc, "Input", "PlanInfo")) {
            CheckCount(planInfo, "考试", kMaxPlans);
            fault.NoteUnread(ForEachElementInFull(planInfo, [&](pugi::xml_node element) {
                auto plan = std::make_unique<CProctorData::Plan>();
                plan->id = GetNodeAttribute(element, "id");
                plan->subject = GetNodeAttribute(element, "subject");
                ReadDateTime(element, "date", plan->date, fault);
                ReadDateTime(element, "starttime", plan->startTime, fault);
                ReadDateTime(element, "endtime", plan->endTime, fault);
                plan->teacherCount = ClampedInt(GetNodeAttribute(element, "teachercount"), 0, kMaxTeacherCount);
                if (pugi::xml_node rooms = FindChild(element, "Rooms"))
                    plan->rooms = ChildTexts(rooms, fault, "考场", kMaxRooms);
                m_data.GetPlanList().push_back(std::move(plan));
            }));
        }
        if (pugi::xml_node teachers = SelectSection(doc, "Input", "TeacherInfo")) {
            for (std::string& teacher : ChildTexts(teachers, fault, "教师", kMaxTeachers))
                m_data.GetTeacherArray().push_back(std::move(teacher));
        }
        if (pugi::xml_node rule = SelectSection(doc, "Input", "Rule")) {
            if (pugi::xml_node policy = FindChild(rule, "ClassPolicy"))
                m_data.GetRule().classPolicy = CProctorData::Policy(zem::ParseIntPrefix(ElementText(policy)));
            if (pugi::xml_node policy = FindChild(rule, "SubjectPolicy"))
                m_data.GetRule().subjectPolicy = CProctorData::Policy(zem::ParseIntPrefix(ElementText(policy)));
        }
    });
}

bool CScheduleProctor::ReadOutputData()
{
    return ReadSetFile(DataFolder(), "out.xml", "Output", [&](const pugi::xml_document& doc, SetReadFault& fault) {
        if (pugi::xml_node items = SelectSection(doc, "Output", "Items")) {
            CheckCount(items, "监考安排", kMaxItems);
            fault.NoteUnread(ForEachElementInFull(items, [&](pugi::xml_node element) {
                auto item = std::make_unique<CProctorData::ProctorItem>();
                item->id = GetNodeAttribute(element, "id");
                item->plan = GetNodeAttribute(element, "plan");
                item->room = GetNodeAttribute(element, "room");
                if (pugi::xml_node teachers = FindChild(element, "Teachers"))
                    item->teachers = ChildTexts(teachers, fault, "教师", kMaxTeachers);
                m_data.GetProctorList().push_back(std::move(item));
            }));
        }
    });
}

bool CScheduleProctor::SaveInputData()
{
    pugi::xml_document doc;
    pugi::xml_node input = doc.append_child("Input");
    pugi::xml_node planInfo = Append(input, "PlanInfo");
    for (const auto& plan : m_data.GetPlanList()) {
        pugi::xml_node element = Append(planInfo, "Plan");
        SetAttribute(element, "id", plan->id);
        SetAttribute(element, "date", plan->date.FormatDate());
        SetAttribute(element, "starttime", plan->startTime.FormatTime());
        SetAttribute(element, "endtime", plan->endTime.FormatTime());
        SetAttribute(element, "subject", plan->subject);
        SetAttribute(element, "teachercount", plan->teacherCount);
        pugi::xml_node rooms = Append(element, "Rooms");
        for (const std::string& room : plan->rooms)
            AppendText(rooms, "Room", room);
    }
    pugi::xml_node teachers = Append(input, "TeacherInfo");
    for (const std::string& teacher : m_data.GetTeacherArray())
        AppendText(teachers, "Teacher", teacher);
    pugi::xml_node rule = Append(input, "Rule");
    AppendText(rule, "ClassPolicy", zem::Format("%d", static_cast<int>(m_data.GetRule().classPolicy)));
    AppendText(rule, "SubjectPolicy", zem::Format("%d", static_cast<int>(m_data.GetRule().subjectPolicy)));

    return SaveDocument(doc, "in.xml");
}

bool CScheduleProctor::SaveOutputData()
{
    pugi::xml_document doc;
    pugi::xml_node items = Append(doc.append_child("Output"), "Items");
    for (const auto& item : m_data.GetProctorList()) {
        pugi::xml_node element = Append(items, "Item");
        SetAttribute(element, "id", item->id);
        SetAttribute(element, "plan", item->plan);
        SetAttribute(element, "room", item->room);
        pugi::xml_node teachers = Append(element, "Teachers");
        for (const std::string& teacher : item->teachers)
            AppendText(teachers, "Teacher", teacher);
    }
    return SaveDocument(doc, "out.xml");
}
