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

#include <filesystem>
#include <system_error>

using namespace taskxml;

namespace {

// No room is watched by more teachers than a school has; a larger count is a damaged number.
constexpr int kMaxTeacherCount = 999;

// ---- files ----

bool Exists(const std::string& path) { return zem::FileExists(path) || zem::FolderExists(path); }

// Reads one file of a set through `read`, which says whether it read the whole document. False
// without a message for a missing file; false, having said so, for one not read in full.
template <class Read>
bool ReadSetFile(const std::string& folder, const char* file, const char* root, Read&& read)
{
    const std::string path = folder + "/" + file;
    if (!Exists(path))
        return false;
    pugi::xml_document doc;
    std::string error;
    if (!zem::LoadXmlFile(doc, path, &error))
        CLog::inst()->Log("file", "%s", error.c_str());
    else if (!doc.select_node(zem::Format("//%s", root).c_str()))
        CLog::inst()->Log("file", "%s: no %s element", file, root);
    else if (!read(doc))
        CLog::inst()->Log("file", "%s: part of the file could not be read", file);
    else
        return true;
    zem::ShowMessage(zem::Format("读取 %s 文件出错！", file), "提示", zem::MessageIcon::Error);
    return false;
}

std::vector<std::string> ChildTexts(pugi::xml_node parent, bool& complete)
{
    std::vector<std::string> texts;
    complete &= ForEachElementInFull(parent, [&](pugi::xml_node child) { texts.push_back(ElementText(child)); });
    return texts;
}

// An empty or missing value leaves the default; text that is no date or time is a fault.
bool ReadDateTime(pugi::xml_node element, const char* name, CProctorData::DateTime& value)
{
    const std::string text = GetNodeAttribute(element, name);
    if (zem::Trim(text).empty() || value.Parse(text))
        return true;
    CLog::inst()->Log("file", "in.xml: %s=\"%s\" is no date or time", name, text.c_str());
    return false;
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
    if (m_strName.empty()) {
        zem::ShowMessage("监考名称不能为空");
        return false;
    }
    std::string message;
    if (!zem::CheckFileName(m_strName, &message)) {
        zem::ShowMessage(message, "提示", zem::MessageIcon::Warning);
        return false;
    }
    return true;
}

bool CScheduleProctor::MakeFolders() const
{
    // One level at a time, so that a task folder that was moved away is not made anew here.
    for (const std::string& folder : {m_strProctorFolder, DataFolder()}) {
        std::error_code ec;
        std::filesystem::create_directory(folder, ec);
        if (!zem::FolderExists(folder)) {
            CLog::inst()->Log("file", "cannot create %s: %s", folder.c_str(), ec.message().c_str());
            return false;
        }
    }
    return true;
}

void CScheduleProctor::ShowSaveError() const
{
    const std::string folder = DataFolder();
    const std::string text = zem::FolderExists(folder)
                                 ? std::string("保存过程中出现未知错误！")
                                 : zem::Format("保存出错！\n\n监考数据文件夹不存在，可能已被改名或移动：\n%s", folder.c_str());
    zem::ShowMessage(text, "提示", zem::MessageIcon::Error);
}

bool CScheduleProctor::SaveDocument(const pugi::xml_document& doc, const char* file) const
{
    std::string error;
    if (!zem::SaveXmlFile(doc, DataFolder() + "/" + file, &error)) {
        CLog::inst()->Log("file", "%s", error.c_str());
        ShowSaveError();
        return false;
    }
    return true;
}

bool CScheduleProctor::Open(CScheduleTask* task, const std::string& name)
{
    // A task never saved has no folder to hold its invigilation data.
    if (!task || task->GetTaskInfo().GetTaskFolder().empty())
        return false;
    m_strProctorFolder = task->GetTaskInfo().GetProctorFolder();
    if (!name.empty())
        m_strName = name;
    if (!CheckName())
        return false;
    if (!MakeFolders()) {
        zem::ShowMessage(zem::Format("无法创建监考数据文件夹：\n%s", DataFolder().c_str()), "提示",
                         zem::MessageIcon::Error);
        return false;
    }
    // A file that exists but cannot be read in full must not be replaced by what was read of it.
    const std::string folder = DataFolder() + "/";
    m_readFailed = (Exists(folder + "in.xml") && !ReadInputData()) || (Exists(folder + "out.xml") && !ReadOutputData());
    return !m_readFailed;
}

bool CScheduleProctor::Save()
{
    if (!CheckName())
        return false;
    if (m_readFailed) {
        zem::ShowMessage("监考数据未能完整读入。为免覆盖 in.xml 和 out.xml 中的数据，本次未保存。", "提示",
                         zem::MessageIcon::Warning);
        return false;
    }
    if (m_strProctorFolder.empty() || !MakeFolders()) {
        ShowSaveError();
        return false;
    }
    return SaveInputData() && SaveOutputData();
}

bool CScheduleProctor::ReadInputData()
{
    return ReadSetFile(DataFolder(), "in.xml", "Input", [&](const pugi::xml_document& doc) {
        bool complete = true;
        if (pugi::xml_node planInfo = SelectSection(doc, "Input", "PlanInfo")) {
            complete &= ForEachElementInFull(planInfo, [&](pugi::xml_node element) {
                auto plan = std::make_unique<CProctorData::Plan>();
                plan->id = GetNodeAttribute(element, "id");
                plan->subject = GetNodeAttribute(element, "subject");
                complete &= ReadDateTime(element, "date", plan->date);
                complete &= ReadDateTime(element, "starttime", plan->startTime);
                complete &= ReadDateTime(element, "endtime", plan->endTime);
                plan->teacherCount = ClampedInt(GetNodeAttribute(element, "teachercount"), 0, kMaxTeacherCount);
                if (pugi::xml_node rooms = FindChildNodeByName(element, "Rooms"))
                    plan->rooms = ChildTexts(rooms, complete);
                m_data.GetPlanList().push_back(std::move(plan));
            });
        }
        if (pugi::xml_node teachers = SelectSection(doc, "Input", "TeacherInfo")) {
            for (std::string& teacher : ChildTexts(teachers, complete))
                m_data.GetTeacherArray().push_back(std::move(teacher));
        }
        if (pugi::xml_node rule = SelectSection(doc, "Input", "Rule")) {
            if (pugi::xml_node policy = FindChildNodeByName(rule, "ClassPolicy"))
                m_data.GetRule().classPolicy = zem::ParseIntPrefix(ElementText(policy));
            if (pugi::xml_node policy = FindChildNodeByName(rule, "SubjectPolicy"))
                m_data.GetRule().subjectPolicy = zem::ParseIntPrefix(ElementText(policy));
        }
        return complete;
    });
}

bool CScheduleProctor::ReadOutputData()
{
    return ReadSetFile(DataFolder(), "out.xml", "Output", [&](const pugi::xml_document& doc) {
        bool complete = true;
        if (pugi::xml_node items = SelectSection(doc, "Output", "Items")) {
            complete &= ForEachElementInFull(items, [&](pugi::xml_node element) {
                auto item = std::make_unique<CProctorData::ProctorItem>();
                item->id = GetNodeAttribute(element, "id");
                item->plan = GetNodeAttribute(element, "plan");
                item->room = GetNodeAttribute(element, "room");
                if (pugi::xml_node teachers = FindChildNodeByName(element, "Teachers"))
                    item->teachers = ChildTexts(teachers, complete);
                m_data.GetProctorList().push_back(std::move(item));
            });
        }
        return complete;
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
    AppendText(rule, "ClassPolicy", zem::Format("%d", m_data.GetRule().classPolicy));
    AppendText(rule, "SubjectPolicy", zem::Format("%d", m_data.GetRule().subjectPolicy));

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
