// The rule and setting sections of input.xml: fixed times, base settings, combined classes,
// presets, exclusive teachers, assistants, odd/even pairs and exclusive subjects.
#include "base/ScheduleTask.h"
#include "base/TaskXml.h"
#include "base/Utility.h"
#include "platform/Text.h"

namespace taskxml {
namespace {

// ---- writing ----

// Fixed times and presets: the slots as one "time" text, and the activities where the kind has them.
void WriteNodeLists(const CZemObjectList& list, pugi::xml_node input, const char* sectionName,
                    const char* elementName, bool withActivities)
{
    pugi::xml_node section = Append(input, sectionName);
    for (const CNodeListObject* object : ObjectsInOrder<CNodeListObject>(list)) {
        pugi::xml_node element = Append(section, elementName);
        SetAttribute(element, "id", object->GetId());
        SetAttribute(element, "time", object->GetAllFixedTime());
        SetAttribute(element, "index", object->GetIndex());
        const auto* fixed = dynamic_cast<const CFixedTimeOfObject*>(object);
        if (withActivities && fixed && !fixed->GetActivities().GetMap().empty())
            WriteActivities(element, fixed->GetActivities());
    }
}

// A list whose objects hold an array of ids, one child element per id.
template <class T, class Ids>
void WriteIdArrays(const CZemObjectList& list, pugi::xml_node input, const char* sectionName, const char* elementName,
                   const char* childName, Ids&& ids)
{
    pugi::xml_node section = Append(input, sectionName);
    for (const T* object : ObjectsInOrder<T>(list)) {
        pugi::xml_node element = Append(section, elementName);
        SetAttribute(element, "id", object->GetId());
        SetAttribute(element, "index", object->GetIndex());
        for (const std::string& id : ids(*object))
            AppendText(element, childName, id);
    }
}

void WriteBaseSetting(const CTaskSetting& setting, pugi::xml_node input)
{
    pugi::xml_node section = Append(input, "BaseSetting");
    AppendText(section, "StrictDistribution", setting.GetStrictDistribution() ? "1" : "0");
    AppendText(section, "SortByMainCourseType", setting.GetSortByMainCourseType() ? "1" : "0");
    AppendText(section, "ConcentrateByTeacher", setting.GetConcentrateByTeacher() ? "1" : "0");
    AppendText(section, "ConcentrateSelfstudy", setting.GetConcentrateSelfstudy() ? "1" : "0");
}

// ---- reading ----

// Rules are small; no school has this many of any kind.
constexpr std::size_t kMaxRules = 20000;
constexpr const char* kRules = "规则";

template <class T, class Fill>
void ReadRuleList(const pugi::xml_document& doc, const char* sectionName, CZemObjectList& list, Fill&& fill)
{
    if (pugi::xml_node section = SelectSection(doc, "Input", sectionName))
        ReadObjects<T>(section, list, kRules, kMaxRules, fill);
}

template <class T>
void ReadFixedTimes(const pugi::xml_document& doc, const char* sectionName, CZemObjectList& list, bool withActivities)
{
    ReadRuleList<T>(doc, sectionName, list, [&](T& fixed, pugi::xml_node element) {
        fixed.SetId(Required(element, "id"));
        fixed.ReadFixedTimeFromString(Required(element, "time"));
        fixed.SetIndex(RequiredIndex(element));
        if (!withActivities)
            return;
        if (pugi::xml_node activities = FindChild(element, "Activities"))
            ReadActivities(activities, fixed.GetActivities());
    });
}

// The texts of every element child, whatever its name.
std::vector<std::string> MemberTexts(pugi::xml_node element)
{
    std::vector<std::string> texts;
    ForEachElement(element, [&](pugi::xml_node child) { texts.push_back(ElementText(child)); });
    return texts;
}

// A list whose objects hold an array of ids: the texts of every element child, whatever its
// name, in order. False when the file has no such section.
template <class T, class Ids>
bool ReadIdArrays(const pugi::xml_document& doc, const char* sectionName, CZemObjectList& list, Ids&& ids)
{
    pugi::xml_node section = SelectSection(doc, "Input", sectionName);
    if (!section)
        return false;
    ReadObjects<T>(section, list, kRules, kMaxRules, [&](T& object, pugi::xml_node element) {
        object.SetId(Required(element, "id"));
        object.SetIndex(RequiredIndex(element));
        ids(object) = MemberTexts(element);
    });
    return true;
}

// Each setting keeps its value unless the file names it: as a child element, or, in files that
// describe the settings that way, as an attribute of the section.
void ReadBaseSetting(CTaskSetting& setting, pugi::xml_node section)
{
    auto read = [&](const char* name, void (CTaskSetting::*set)(bool)) {
        if (pugi::xml_node child = FindChild(section, name))
            (setting.*set)(Flag(ElementText(child)));
        else if (HasAttribute(section, name))
            (setting.*set)(Flag(section.attribute(name).value()));
    };
    read("StrictDistribution", &CTaskSetting::SetStrictDistribution);
    read("SortByMainCourseType", &CTaskSetting::SetSortByMainCourseType);
    read("ConcentrateByTeacher", &CTaskSetting::SetConcentrateByTeacher);
    read("ConcentrateSelfstudy", &CTaskSetting::SetConcentrateSelfstudy);
}

}  // namespace

void WriteRuleSections(CScheduleTask& task, pugi::xml_node input)
{
    WriteNodeLists(task.GetFixedTimeOfTeacherList(), input, "FixedTimeOfTeacher", "FixedTime", true);
    WriteNodeLists(task.GetFixedTimeOfTeacherGroupList(), input, "FixedTimeOfTeacherGroup", "FixedTime", true);
    WriteNodeLists(task.GetFixedTimeOfClassList(), input, "FixedTimeOfClass", "FixedTime", true);
    WriteNodeLists(task.GetFixedTimeOfSubjectList(), input, "FixedTimeOfSubject", "FixedTime", false);
    WriteNodeLists(task.GetFixedTimeOfCourseList(), input, "FixedTimeOfCourse", "FixedTime", false);
    WriteBaseSetting(task.GetTaskSetting(), input);
    WriteIdArrays<CCombineClass>(task.GetCombineCourseList(), input, "CombineCourseInfo", "CombineCourse", "CourseId",
                                 [](const CCombineClass& cc) -> const auto& { return cc.GetCombineCourse(); });

    WriteNodeLists(task.GetCoursePresetList(), input, "CoursePreset", "Preset", false);

    WriteIdArrays<CMutexOfTeacher>(task.GetMutexOfTeacherList(), input, "MutexTeacherInfo", "MutexTeacher", "TeacherId",
                                   [](const CMutexOfTeacher& rule) -> const auto& { return rule.GetMutexTeachers(); });
    WriteIdArrays<CCourseAssistant>(task.GetAssistantList(), input, "AssistantInfo", "Assistant", "TeacherId",
                                    [](const CCourseAssistant& entry) -> const auto& { return entry.GetAssistants(); });

    pugi::xml_node teams = Append(input, "OETeamInfo");
    for (const COETeam* team : ObjectsInOrder<COETeam>(task.GetOETeamList())) {
        pugi::xml_node element = Append(teams, "OETeam");
        SetAttribute(element, "id", team->GetId());
        SetAttribute(element, "odd", team->GetOdd());
        SetAttribute(element, "even", team->GetEven());
        SetAttribute(element, "index", team->GetIndex());
    }

    WriteIdArrays<CMutexSubject>(task.GetMutexSubjectList(), input, "MutexSubjectInfo", "MutexSubject", "SubjectId",
                                 [](const CMutexSubject& rule) -> const auto& { return rule.GetSubjectArray(); });
}

void ReadRuleSections(CScheduleTask& task, const pugi::xml_document& doc)
{
    ReadFixedTimes<CFixedTimeOfTeacher>(doc, "FixedTimeOfTeacher", task.GetFixedTimeOfTeacherList(), true);
    ReadFixedTimes<CFixedTimeOfTeacherGroup>(doc, "FixedTimeOfTeacherGroup", task.GetFixedTimeOfTeacherGroupList(), true);
    ReadFixedTimes<CFixedTimeOfClass>(doc, "FixedTimeOfClass", task.GetFixedTimeOfClassList(), true);
    ReadFixedTimes<CFixedTimeOfSubject>(doc, "FixedTimeOfSubject", task.GetFixedTimeOfSubjectList(), false);
    ReadFixedTimes<CFixedTimeOfCourse>(doc, "FixedTimeOfCourse", task.GetFixedTimeOfCourseList(), false);

    if (pugi::xml_node section = SelectSection(doc, "Input", "BaseSetting"))
        ReadBaseSetting(task.GetTaskSetting(), section);

    if (ReadIdArrays<CCombineClass>(doc, "CombineCourseInfo", task.GetCombineCourseList(),
                                    [](CCombineClass& cc) -> auto& { return cc.GetCombineCourse(); }))
        task.GetCombineCourseList().ReBuildCourseMap();

    ReadRuleList<CCoursePreset>(doc, "CoursePreset", task.GetCoursePresetList(),
                                [](CCoursePreset& preset, pugi::xml_node element) {
                                    preset.SetId(Required(element, "id"));
                                    preset.ReadFixedTimeFromString(Required(element, "time"));
                                    preset.SetIndex(RequiredIndex(element));
                                });

    if (ReadIdArrays<CMutexOfTeacher>(doc, "MutexTeacherInfo", task.GetMutexOfTeacherList(),
                                      [](CMutexOfTeacher& rule) -> auto& { return rule.GetMutexTeachers(); }))
        task.GetMutexOfTeacherList().RebuildEachTeacherMap();
    ReadIdArrays<CCourseAssistant>(doc, "AssistantInfo", task.GetAssistantList(),
                                   [](CCourseAssistant& entry) -> auto& { return entry.GetAssistants(); });

    ReadRuleList<COETeam>(doc, "OETeamInfo", task.GetOETeamList(), [](COETeam& team, pugi::xml_node element) {
        team.SetId(Required(element, "id"));
        const std::string even = Required(element, "even");
        team.Set(Required(element, "odd"), even);
        team.SetIndex(RequiredIndex(element));
    });

    ReadRuleList<CMutexSubject>(doc, "MutexSubjectInfo", task.GetMutexSubjectList(),
                                [](CMutexSubject& rule, pugi::xml_node element) {
                                    rule.SetId(Required(element, "id"));
                                    rule.SetIndex(RequiredIndex(element));
                                    rule.Reset(MemberTexts(element));
                                });
}

}  // namespace taskxml
