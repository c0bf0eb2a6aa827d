#include "base/TaskXml.h"

#include "base/Log.h"
#include "base/ScheduleTask.h"
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

namespace taskxml {

std::string Required(pugi::xml_node element, const char* name)
{
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute)
        throw MissingAttribute{name};
    return attribute.value();
}

pugi::xml_node FindChild(pugi::xml_node node, std::string_view name)
{
    pugi::xml_node child = node.first_child();
    for (; child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element) {
            if (zem::EqualsNoCase(child.name(), name))
                return child;
        } else if (!IsPassedOver(child)) {
            break;
        }
    }
    for (; child; child = child.next_sibling())
        if (child.type() == pugi::node_element && zem::EqualsNoCase(child.name(), name))
            throw UnreadElements{};
    return {};
}

void CheckCount(pugi::xml_node parent, const char* kind, std::size_t limit)
{
    std::size_t count = 0;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && ++count > limit)
            throw TooManyObjects{kind, limit};
}

bool HasAttribute(pugi::xml_node element, const char* name) { return static_cast<bool>(element.attribute(name)); }

int ClampedInt(std::string_view text, int low, int high) { return std::clamp(zem::ParseIntPrefix(text), low, high); }

int RequiredIndex(pugi::xml_node element) { return ClampedInt(Required(element, "index"), INT_MIN, INT_MAX); }

std::string ElementText(pugi::xml_node element)
{
    std::string text;
    for (pugi::xml_node node = element.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            text += node.value();
        else if (node.type() == pugi::node_element)
            text += ElementText(node);
    }
    return std::string(zem::Trim(text));
}

pugi::xml_node SelectSection(const pugi::xml_document& doc, const char* parent, const char* name)
{
    const std::string path = zem::Format("//%s/%s", parent, name);
    return doc.select_node(path.c_str()).node();
}

pugi::xml_node Append(pugi::xml_node parent, const char* name) { return parent.append_child(name); }

void SetAttribute(pugi::xml_node element, const char* name, std::string_view value)
{
    element.append_attribute(name).set_value(std::string(value).c_str());
}

void SetAttribute(pugi::xml_node element, const char* name, int value)
{
    SetAttribute(element, name, zem::Format("%d", value));
}

void SetAttributeUnsigned(pugi::xml_node element, const char* name, unsigned value)
{
    SetAttribute(element, name, zem::Format("%u", value));
}

void AppendText(pugi::xml_node parent, const char* name, std::string_view text)
{
    parent.append_child(name).text().set(std::string(text).c_str());
}

void WriteActivities(pugi::xml_node parent, const CActivities& activities)
{
    pugi::xml_node element = Append(parent, "Activities");
    for (const auto& [node, name] : activities.GetMap()) {
        pugi::xml_node activity = Append(element, "Activity");
        SetAttribute(activity, "node", node);
        SetAttribute(activity, "name", name);
    }
}

void ReadActivities(pugi::xml_node element, CActivities& activities)
{
    ForEachElement(element, [&](pugi::xml_node activity) {
        const std::string node = Required(activity, "node");
        activities.AddActivity(node, Required(activity, "name"));
    });
}

namespace {
constexpr const char* kPairStampAttribute = "pair";
constexpr std::size_t kMaxFileStampBytes = 64;
}  // namespace

std::string NewFileStamp()
{
    static std::atomic<unsigned> counter{0};
    const zem::LocalTime now = zem::Now();
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    return zem::Format("%04d%02d%02d%02d%02d%02d-%llx-%x-%x", now.year, now.month, now.day, now.hour, now.minute,
                       now.second, static_cast<unsigned long long>(ticks), static_cast<unsigned>(::getpid()),
                       counter++);
}

bool IsFileStamp(std::string_view text)
{
    return !text.empty() && text.size() <= kMaxFileStampBytes &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

void SetPairStamp(pugi::xml_node root, const std::string& stamp)
{
    if (!stamp.empty())
        SetAttribute(root, kPairStampAttribute, stamp);
}

PairStamp ReadPairStamp(pugi::xml_node root)
{
    PairStamp stamp;
    int count = 0;
    for (const pugi::xml_attribute attribute : root.attributes())
        if (std::string_view(attribute.name()) == kPairStampAttribute && count++ == 0)
            stamp.value = attribute.value();
    stamp.damaged = count > 1 || (count == 1 && !IsFileStamp(stamp.value));
    if (stamp.damaged)
        stamp.value.clear();
    return stamp;
}

std::string NoRootText(const std::string& path, const char* root)
{
    return zem::Format("文件中没有 %s 元素：\n%s", root, path.c_str());
}

std::string UnreadElementsText(const std::string& path)
{
    return zem::Format("文件的列表中夹有文字，其后的内容没有读入：\n%s", path.c_str());
}

std::string MissingAttributeText(const std::string& path, const std::string& name)
{
    return zem::Format("文件中有元素缺少属性“%s”：\n%s", name.c_str(), path.c_str());
}

std::string TooManyObjectsText(const std::string& path, const TooManyObjects& fault)
{
    return zem::Format("文件中的%s多于 %zu 个，超出了一所学校可能有的数量：\n%s", fault.kind, fault.limit, path.c_str());
}

void ShowReadError(const std::string& path, const std::string& why)
{
    const std::string text = zem::Format("读取 %s 文件出错！", path.substr(path.rfind('/') + 1).c_str());
    zem::ShowMessage(why.empty() ? text : text + "\n\n" + why, "提示", zem::MessageIcon::Error);
}

std::string SaveErrorText(const std::string& path, int errorCode)
{
    return zem::Format("保存出错！\n\n无法写入文件：\n%s\n（%s）", path.c_str(), zem::FileErrorReason(errorCode).c_str());
}

namespace {

std::string FolderGoneText(const CScheduleTask& task)
{
    return zem::Format("保存出错！\n\n排课任务文件夹不存在，可能已被改名或移动：\n%s",
                       task.GetTaskInfo().GetTaskFolder().c_str());
}

}  // namespace

bool CheckTaskFolder(const CScheduleTask& task)
{
    if (zem::FolderExists(task.GetTaskInfo().GetTaskFolder()))
        return true;
    zem::ShowMessage(FolderGoneText(task), "提示", zem::MessageIcon::Error);
    return false;
}

std::string SaveFailureText(const CScheduleTask& task, const std::string& path, int code, const std::string& error)
{
    CLog::inst()->Log("file", "%s", error.c_str());
    if (!zem::FolderExists(task.GetTaskInfo().GetTaskFolder()))
        return FolderGoneText(task);
    // Text that would not read back is said with its place; the system's reasons by their errno.
    return code == EILSEQ ? "保存出错！\n\n" + error : SaveErrorText(path, code);
}

bool SaveTaskDocument(CScheduleTask& task, const pugi::xml_document& doc, const std::string& path)
{
    task.AutoBackup(false, "", false);
    std::string error;
    int code = 0;
    if (!zem::SaveXmlFile(doc, path, &error, &code)) {
        zem::ShowMessage(SaveFailureText(task, path, code, error), "提示", zem::MessageIcon::Error);
        return false;
    }
    task.GetBackupManager().SetAutoBackupBeforeRestore(true);
    return true;
}

}  // namespace taskxml
