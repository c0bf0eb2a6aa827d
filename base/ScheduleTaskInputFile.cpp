// input.xml: the week structure, the basic data and the plans. The rule and setting sections are
// in InputRules.cpp.
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "base/TaskLimits.h"
#include "base/TaskXml.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/Xml.h"

#include <climits>

using namespace taskxml;

namespace {

constexpr const char* kSegmentNames[zem::kSegmentCount] = {"forenoon", "afternoon", "night", "mr", "nss"};

// A lesson count or a block length beyond the slots of the whole cycle is a damaged number, not
// a plan; stopping there keeps every later sum and product in range.
constexpr int kMaxLessons = zem::kSlotCount;

// A file with more objects than the task limits allow is refused before anything of it is built.
const std::size_t kMaxSubjects = GetTaskLimit(TaskObjectKind::Subject).max;
const std::size_t kMaxTeachers = GetTaskLimit(TaskObjectKind::Teacher).max;
const std::size_t kMaxTeacherGroups = GetTaskLimit(TaskObjectKind::TeacherGroup).max;
const std::size_t kMaxClasses = GetTaskLimit(TaskObjectKind::Class).max;
const std::size_t kMaxRooms = GetTaskLimit(TaskObjectKind::Room).max;
const std::size_t kMaxRoomPlaces = GetTaskLimit(TaskObjectKind::RoomPlace).max;
const std::size_t kMaxSelfStudies = GetTaskLimit(TaskObjectKind::SelfStudy).max;
const std::size_t kMaxPlans = GetTaskLimit(TaskObjectKind::Plan).max;

// ---- writing ----

void WriteSchoolStructure(CScheduleTask& task, pugi::xml_node input)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    pugi::xml_node section = Append(input, "SchoolStructure");

    pugi::xml_node weekDay = Append(section, "WeekDay");
    for (int day = 0; day < zem::kDayCount; ++day) {
        pugi::xml_node element = Append(weekDay, "day");
        SetAttribute(element, "index", day);
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            SetAttribute(element, kSegmentNames[segment], week.GetSectionStringOfSegment(day, segment));
    }

    pugi::xml_node maxSection = Append(section, "MaxSection");
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        AppendText(maxSection, kSegmentNames[segment], zem::Format("%d", week.GetSectionNodeMaxCount(segment)));

    WriteActivities(section, task.GetActivities());

    const CPeriodNameList& names = week.GetCustomPeriodNameList();
    pugi::xml_node periodName = Append(section, "PeriodName");
    SetFlag(periodName, "enable", names.IsEnabled());
    for (const auto& [id, name] : names.GetMap()) {
        // One line per name in the file: line breaks become "|".
        std::string text = zem::ReplaceAll(name, "\r\n", "|");
        text = zem::ReplaceAll(std::move(text), "\n", "");
        pugi::xml_node element = Append(periodName, "Name");
        SetAttribute(element, "id", id);
        element.text().set(text.c_str());
    }
}

// The attributes every named basic-data object starts with.
void WriteNamed(pugi::xml_node element, const CZemObject& object, const std::string& shortName)
{
    SetAttribute(element, "id", object.GetId());
    SetAttribute(element, "name", object.GetName());
    SetAttribute(element, "shortname", shortName);
}

void WritePriorityAndIndex(pugi::xml_node element, const CZemObject& object)
{
    SetAttribute(element, "priority", object.GetPriority());
    SetAttribute(element, "index", object.GetIndex());
}

void WriteBasicData(CScheduleTask& task, pugi::xml_node input)
{
    pugi::xml_node subjects = Append(input, "SubjectInfo");
    for (const CSubjectInfo* subject : ObjectsInOrder<CSubjectInfo>(task.GetSubjectInfoList())) {
        pugi::xml_node element = Append(subjects, "Subject");
        WriteNamed(element, *subject, subject->GetShortName());
        WritePriorityAndIndex(element, *subject);
    }

    pugi::xml_node teachers = Append(input, "TeacherInfo");
    for (const CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
        pugi::xml_node element = Append(teachers, "Teacher");
        WriteNamed(element, *teacher, teacher->GetShortName());
        WritePriorityAndIndex(element, *teacher);
    }

    pugi::xml_node groups = Append(input, "TeacherGroupInfo");
    for (const CTeacherGroupInfo* group : ObjectsInOrder<CTeacherGroupInfo>(task.GetTeacherGroupInfoList())) {
        pugi::xml_node element = Append(groups, "TeacherGroup");
        SetAttribute(element, "id", group->GetId());
        SetAttribute(element, "name", group->GetName());
        SetAttribute(element, "index", group->GetIndex());
        for (const std::string& teacherId : group->GetTeacherArray())
            AppendText(element, "TeacherId", teacherId);
    }

    pugi::xml_node classes = Append(input, "ClassInfo");
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
        pugi::xml_node element = Append(classes, "Class");
        WriteNamed(element, *cls, cls->GetShortName());
        SetAttributeUnsigned(element, "studentcount", cls->GetStudentCount());
        WritePriorityAndIndex(element, *cls);
        SetAttribute(element, "headteacher", cls->GetHeadTeacherName());
    }

    pugi::xml_node rooms = Append(input, "RoomInfo");
    for (const CRoomInfo* room : ObjectsInOrder<CRoomInfo>(task.GetRoomInfoList())) {
        pugi::xml_node element = Append(rooms, "Room");
        WriteNamed(element, *room, room->GetShortName());
        SetAttributeUnsigned(element, "capacity2", room->GetCapacity());
        WritePriorityAndIndex(element, *room);
    }
}

// `selfStudy` selects the fifth attribute: the kind for morning reading and evening self-study,
// the main-course flag for teaching plans.
void WriteCourses(const CZemObjectList& list, pugi::xml_node input, const char* sectionName, bool selfStudy)
{
    pugi::xml_node section = Append(input, sectionName);
    for (const CCourseInfo* course : ObjectsInOrder<CCourseInfo>(list)) {
        pugi::xml_node element = Append(section, "Course");
        SetAttribute(element, "id", course->GetId());
        SetAttribute(element, "class", course->GetClassId());
        SetAttribute(element, "subject", course->GetSubjectId());
        SetAttribute(element, "teacher", course->GetTeacherId());
        if (selfStudy)
            SetAttribute(element, "type", static_cast<int>(course->GetType()));
        else
            SetFlag(element, "maincourse", course->IsMainCourse());
        SetAttribute(element, "weekcount", course->GetWeekCount().GetWholeCount());
        SetFlag(element, "halfnode", course->GetWeekCount().HasHalfNode());
        SetAttribute(element, "contnodes", course->GetContinuousNodes());
        SetAttribute(element, "conttimes", course->GetContinuousTimes());
        SetAttribute(element, "roomstrategy", static_cast<int>(course->GetRoomStrategy()));
        SetAttribute(element, "roomparam", course->GetRoomParam());
        SetAttribute(element, "index", course->GetIndex());
    }
}

// ---- reading ----

// The attributes every named basic-data object starts with, in any order on reading.
template <class T>
void ReadNamed(T& object, pugi::xml_node element)
{
    object.SetId(Required(element, "id"));
    object.SetName(Required(element, "name"));
    object.SetShortName(Required(element, "shortname"));
    object.SetPriority(ClampedInt(Required(element, "priority"), 0, 2));
    object.SetIndex(RequiredIndex(element));
}

void ReadWeekDays(CSchoolStructure& week, pugi::xml_node weekDay)
{
    ForEachElement(weekDay, [&](pugi::xml_node element) {
        const int day = ClampedInt(Required(element, "index"), INT_MIN, INT_MAX);
        std::string sections[zem::kSegmentCount];
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            const char* name = kSegmentNames[segment];
            // Morning reading and evening self-study came later: older files lack them.
            sections[segment] = zem::IsRegularSegment(segment) ? Required(element, name) : GetNodeAttribute(element, name);
        }
        if (day < 0 || day >= zem::kDayCount)
            return;
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            week.SetSectionValueByString(day, segment, sections[segment]);
    });
}

void ReadMaxSection(CSchoolStructure& week, pugi::xml_node maxSection)
{
    ForEachElement(maxSection, [&](pugi::xml_node element) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            if (zem::EqualsNoCase(element.name(), kSegmentNames[segment])) {
                // The structure refuses counts outside 0..6 and keeps its own.
                week.SetSectionNodeMaxCount(segment, ClampedInt(ElementText(element), INT_MIN, INT_MAX), false);
                return;
            }
        }
    });
}

void ReadPeriodNames(CSchoolStructure& week, pugi::xml_node periodName)
{
    CPeriodNameList& names = week.GetCustomPeriodNameList();
    names.SetEnabled(Flag(Required(periodName, "enable")));
    ForEachElement(periodName, [&](pugi::xml_node element) {
        const std::string id = Required(element, "id");
        std::string text = zem::ReplaceAll(ElementText(element), "|", "\r\n");
        names.Add(id, zem::ReplaceAll(std::move(text), "：", ":"));
    });
}

// The names of older files: one text per period in order over forenoon, afternoon and night.
void ReadSectionNames(CSchoolStructure& week, pugi::xml_node sectionName)
{
    CPeriodNameList& names = week.GetCustomPeriodNameList();
    names.SetEnabled(Flag(Required(sectionName, "type")));
    const bool selfStudyNames = Flag(GetNodeAttribute(sectionName, "nssNumber"));
    std::vector<std::string> texts;
    ForEachElement(sectionName, [&](pugi::xml_node element) { texts.push_back(ElementText(element)); });
    std::size_t used = 0;
    for (int segment = zem::kForenoon; zem::IsRegularSegment(segment); ++segment) {
        for (int section = 0; section < week.GetSectionNodeMaxCount(segment) && used < texts.size(); ++section) {
            ++used;
            names.Add(segment, section, zem::Format("第 %d 节\r\n%s", static_cast<int>(used), texts[used - 1].c_str()));
        }
    }
    const int selfStudySections = week.GetSectionNodeMaxCount(zem::kEveningStudy);
    if (selfStudyNames && selfStudySections > 1)
        for (int section = 0; section < selfStudySections; ++section)
            names.Add(zem::kEveningStudy, section, zem::Format("自%d", section + 1));
}

void ReadSchoolStructure(CScheduleTask& task, pugi::xml_node section)
{
    CSchoolStructure& week = task.GetSchoolStructure();
    if (pugi::xml_node weekDay = FindChild(section, "WeekDay"))
        ReadWeekDays(week, weekDay);
    if (pugi::xml_node maxSection = FindChild(section, "MaxSection"))
        ReadMaxSection(week, maxSection);
    week.ParseFromXMLData();
    if (pugi::xml_node activities = FindChild(section, "Activities"))
        ReadActivities(activities, task.GetActivities());
    if (pugi::xml_node periodName = FindChild(section, "PeriodName"))
        ReadPeriodNames(week, periodName);
    else if (pugi::xml_node sectionName = FindChild(section, "SectionName"))
        ReadSectionNames(week, sectionName);
}

void ReadCourse(CCourseInfo& course, pugi::xml_node element, bool selfStudy)
{
    course.SetId(Required(element, "id"));
    course.SetClass(Required(element, "class"));
    course.SetSubject(Required(element, "subject"));
    course.SetTeacher(Required(element, "teacher"));
    if (selfStudy)
        course.SetType(static_cast<_CourseType>(ClampedInt(Required(element, "type"), 0, 2)));
    else
        course.SetMainCourse(ClampedInt(Required(element, "maincourse"), INT_MIN, INT_MAX));
    const int whole = ClampedInt(Required(element, "weekcount"), 0, kMaxLessons);
    course.SetWeekCount(CWeekCount(whole, Flag(GetNodeAttribute(element, "halfnode"))));
    std::string nodes = GetNodeAttribute(element, "contnodes");
    if (nodes.empty())
        nodes = GetNodeAttribute(element, "sequencenumber");  // the older name
    course.SetContinuousNodes(ClampedInt(nodes, 1, kMaxLessons));
    course.SetContinuousTimes(ClampedInt(GetNodeAttribute(element, "conttimes"), 0, kMaxLessons));
    course.SetRoomStrategy(static_cast<ROOM_STRATEGY>(ClampedInt(GetNodeAttribute(element, "roomstrategy"), INT_MIN, INT_MAX)));
    course.SetRoomParam(GetNodeAttribute(element, "roomparam"));
    course.SetIndex(RequiredIndex(element));
}

void ReadBasicData(CScheduleTask& task, const pugi::xml_document& doc)
{
    if (pugi::xml_node section = SelectSection(doc, "Input", "SubjectInfo")) {
        ReadObjects<CSubjectInfo>(section, task.GetSubjectInfoList(), "科目", kMaxSubjects, ReadNamed<CSubjectInfo>);
    }
    if (pugi::xml_node section = SelectSection(doc, "Input", "TeacherInfo")) {
        ReadObjects<CTeacherInfo>(section, task.GetTeacherInfoList(), "教师", kMaxTeachers, ReadNamed<CTeacherInfo>);
    }
    if (pugi::xml_node section = SelectSection(doc, "Input", "TeacherGroupInfo")) {
        ReadObjects<CTeacherGroupInfo>(section, task.GetTeacherGroupInfoList(), "教研组", kMaxTeacherGroups,
                                    [](CTeacherGroupInfo& group, pugi::xml_node element) {
                                        group.SetId(Required(element, "id"));
                                        group.SetName(Required(element, "name"));
                                        group.SetIndex(RequiredIndex(element));
                                        ForEachElement(element, [&](pugi::xml_node child) {
                                            group.AddTeacher(ElementText(child));
                                        });
                                    });
    }
    if (pugi::xml_node section = SelectSection(doc, "Input", "ClassInfo")) {
        ReadObjects<CClassInfo>(section, task.GetClassInfoList(), "班级", kMaxClasses,
                                [](CClassInfo& cls, pugi::xml_node element) {
                                    ReadNamed(cls, element);
                                    cls.SetStudentCount(static_cast<unsigned>(
                                        ClampedInt(Required(element, "studentcount"), 0, INT_MAX)));
                                    cls.SetHeadTeacherName(GetNodeAttribute(element, "headteacher"));
                                });
    }
    if (pugi::xml_node section = SelectSection(doc, "Input", "RoomInfo")) {
        // Each place of a room (its capacity) has a timetable of its own.
        std::size_t places = 0;
        ReadObjects<CRoomInfo>(section, task.GetRoomInfoList(), "教室", kMaxRooms,
                               [&places](CRoomInfo& room, pugi::xml_node element) {
                                   ReadNamed(room, element);
                                   // Absent, 0 or negative gives 1; more than the room type allows is cut there.
                                   const int capacity = ClampedInt(GetNodeAttribute(element, "capacity2"), 1,
                                                                   CRoomInfo::kMaxCapacity);
                                   places += static_cast<std::size_t>(capacity);
                                   if (places > kMaxRoomPlaces)
                                       throw TooManyObjects{GetTaskLimit(TaskObjectKind::RoomPlace).name, kMaxRoomPlaces};
                                   room.SetCapacity(capacity);
                               });
    }
    if (pugi::xml_node section = SelectSection(doc, "Input", "SelfStudy")) {
        ReadObjects<CCourseInfo>(section, task.GetSelfStudyInfoList(), "早读和晚自习", kMaxSelfStudies,
                              [](CCourseInfo& course, pugi::xml_node element) { ReadCourse(course, element, true); });
    }
    if (pugi::xml_node section = SelectSection(doc, "Input", "CourseInfo")) {
        ReadObjects<CCourseInfo>(section, task.GetCourseInfoList(), "教学计划", kMaxPlans,
                              [](CCourseInfo& course, pugi::xml_node element) { ReadCourse(course, element, false); });
    }
}

}  // namespace

void CScheduleTask::BuildInputDocument(pugi::xml_document& doc, const std::string& pairStamp)
{
    pugi::xml_node input = doc.append_child("Input");
    SetPairStamp(input, pairStamp);
    WriteSchoolStructure(*this, input);
    WriteBasicData(*this, input);
    WriteCourses(m_selfStudies, input, "SelfStudy", true);
    WriteCourses(m_courses, input, "CourseInfo", false);
    WriteRuleSections(*this, input);
}

bool CScheduleTask::SaveInputData()
{
    if (!CheckSavable())
        return false;
    pugi::xml_document doc;
    BuildInputDocument(doc, m_pairStamp);
    return SaveTaskDocument(*this, doc, m_taskInfo.GetInputFilePath());
}

bool CScheduleTask::ReadInputData()
{
    // Until the whole file is in, the task must not be saved over it (the caller discards a task
    // that failed to open; what was read stays in it).
    m_inputReadFailed = true;
    pugi::xml_document doc;
    // A task without a readable input.xml is no task: say so rather than open nothing.
    const std::string path = m_taskInfo.GetInputFilePath();
    std::string error;
    if (!zem::LoadXmlFile(doc, path, &error)) {
        CLog::inst()->Log("file", "%s", error.c_str());
        ShowReadError(path, error);
        return false;
    }
    const pugi::xml_node root = doc.select_node("//Input").node();
    if (!root) {
        CLog::inst()->Log("file", "input.xml: no Input element");
        ShowReadError(path, NoRootText(path, "Input"));
        return false;
    }
    const PairStamp pair = ReadPairStamp(root);
    m_pairStamp = pair.value;
    m_inputPairDamaged = pair.damaged;
    try {
        if (pugi::xml_node section = SelectSection(doc, "Input", "SchoolStructure"))
            ReadSchoolStructure(*this, section);
        ReadBasicData(*this, doc);
        ReadRuleSections(*this, doc);
    } catch (const MissingAttribute& fault) {
        CLog::inst()->Log("file", "input.xml: an element lacks the attribute %s", fault.name.c_str());
        ShowReadError(path, MissingAttributeText(path, fault.name));
        return false;
    } catch (const UnreadElements&) {
        CLog::inst()->Log("file", "input.xml: text between the elements of a list ends its reading");
        ShowReadError(path, UnreadElementsText(path));
        return false;
    } catch (const TooManyObjects& fault) {
        ShowReadError(path, TooManyObjectsText(path, fault));
        return false;
    }
    m_inputReadFailed = false;
    return true;
}
