#pragma once
// A normalised text of everything a task holds (objects sorted by id, every used timetable cell),
// so that two tasks compare equal exactly when their data does.
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "support/TaskFolders.h"
#include "platform/Text.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace taskdump {

inline std::vector<const CZemObject*> ById(const CZemObjectList& list)
{
    std::vector<const CZemObject*> objects;
    for (const auto& [id, object] : list)
        objects.push_back(object);
    std::sort(objects.begin(), objects.end(), [](auto* a, auto* b) { return a->GetId() < b->GetId(); });
    return objects;
}

inline void DumpIds(std::ostream& out, const std::vector<std::string>& ids)
{
    for (const std::string& id : ids)
        out << ' ' << id;
}

inline void DumpData(std::ostream& out, const CCourseTableNode::NodeData& data)
{
    out << '{' << data.GetCourseId() << ',' << data.GetRoomId() << ',' << data.GetRoomIndex() << '}';
}

// Every slot that is not free or holds a lesson.
inline void DumpTable(std::ostream& out, const char* label, const CCourseTable& table)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const CCourseTableNode& cell = table.GetNode(day, segment, section);
                const int status = table.GetValue(day, segment, section);
                if (status == 0 && cell == CCourseTableNode())
                    continue;
                out << "  " << label << ' ' << day << segment << section << " =" << status
                    << (cell.IsInterleave() ? " split " : " ");
                DumpData(out, cell.data(1));
                DumpData(out, cell.data(2));
                for (int half : {1, 2})
                    for (const auto& more : cell.GetMoreVector(half)) {
                        out << " +" << half;
                        DumpData(out, more);
                    }
                out << '\n';
            }
}

inline void DumpTables(std::ostream& out, const CZemTableObject& object)
{
    DumpTable(out, "table", object.GetTable(false));
    DumpTable(out, "temp", object.GetTable(true));
}

inline void DumpNodes(std::ostream& out, const CNodeListObject& object)
{
    out << " time=" << object.GetAllFixedTime();
    if (const auto* fixed = dynamic_cast<const CFixedTimeOfObject*>(&object))
        for (const auto& [node, name] : fixed->GetActivities().GetMap())
            out << ' ' << node << ':' << name;
}

inline void DumpObject(std::ostream& out, const CZemObject& object)
{
    out << object.GetId() << " name=" << object.GetName() << " index=" << object.GetIndex()
        << " priority=" << object.GetPriority();
    if (const auto* subject = dynamic_cast<const CSubjectInfo*>(&object))
        out << " short=" << subject->GetShortName();
    if (const auto* table = dynamic_cast<const CZemTableObject*>(&object))
        out << " short=" << table->GetShortName();
    if (const auto* cls = dynamic_cast<const CClassInfo*>(&object))
        out << " students=" << cls->GetStudentCount() << " head=" << cls->GetHeadTeacherName();
    if (const auto* room = dynamic_cast<const CRoomInfo*>(&object))
        out << " capacity=" << room->GetCapacity();
    if (const auto* course = dynamic_cast<const CCourseInfo*>(&object))
        out << " class=" << course->GetClassId() << " subject=" << course->GetSubjectId()
            << " teacher=" << course->GetTeacherId() << " type=" << course->GetType()
            << " main=" << course->IsMainCourse() << " count=" << course->GetWeekCount().ToString()
            << " nodes=" << course->GetContinuousNodes() << " times=" << course->GetContinuousTimes()
            << " strategy=" << course->GetRoomStrategy() << " room=" << course->GetRoomParam();
    if (const auto* group = dynamic_cast<const CTeacherGroupInfo*>(&object))
        DumpIds(out, group->GetTeacherArray());
    if (const auto* nodes = dynamic_cast<const CNodeListObject*>(&object))
        DumpNodes(out, *nodes);
    if (const auto* cc = dynamic_cast<const CCombineClass*>(&object))
        DumpIds(out, cc->GetCombineCourse());
    if (const auto* rule = dynamic_cast<const CMutexOfTeacher*>(&object))
        DumpIds(out, rule->GetMutexTeachers());
    if (const auto* assistant = dynamic_cast<const CCourseAssistant*>(&object))
        DumpIds(out, assistant->GetAssistants());
    if (const auto* team = dynamic_cast<const COETeam*>(&object))
        out << " odd=" << team->GetOdd() << " even=" << team->GetEven();
    if (const auto* rule = dynamic_cast<const CMutexSubject*>(&object))
        DumpIds(out, rule->GetSubjectArray());
    out << '\n';
    if (const auto* table = dynamic_cast<const CZemTableObject*>(&object))
        DumpTables(out, *table);
    if (const auto* room = dynamic_cast<const CRoomInfo*>(&object))
        for (unsigned i = 0; i < room->GetComplexTable().GetCount(); ++i) {
            DumpTable(out, "place", *room->GetComplexTable().Enum(false, static_cast<int>(i)));
            DumpTable(out, "tempplace", *room->GetComplexTable().Enum(true, static_cast<int>(i)));
        }
}

inline std::string Dump(CScheduleTask& task)
{
    std::ostringstream out;
    const CSchoolStructure& week = task.GetSchoolStructure();
    out << "week days=" << week.GetWeekDayCount() << " nodes=" << week.GetWeekNodeCount() << '/'
        << week.GetWeekNodeCountOfReading() << '/' << week.GetWeekNodeCountOfSelfStudy() << " sections";
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        out << ' ' << week.GetSectionNodeMaxCount(segment);
    out << "\n grid";
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            out << ' ' << week.GetSectionStringOfSegment(day, segment);
    out << "\n names " << week.GetCustomPeriodNameList().IsEnabled();
    for (const auto& [id, name] : week.GetCustomPeriodNameList().GetMap())
        out << ' ' << id << ':' << name;
    out << "\n activities";
    for (const auto& [node, name] : task.GetActivities().GetMap())
        out << ' ' << node << ':' << name;
    const CTaskSetting& setting = task.GetTaskSetting();
    out << "\nsettings " << setting.GetStrictDistribution() << setting.GetSortByMainCourseType()
        << setting.GetConcentrateByTeacher() << setting.GetConcentrateSelfstudy() << '\n';
    const std::pair<const char*, CZemObjectList*> lists[] = {
        {"subjects", &task.GetSubjectInfoList()},
        {"teachers", &task.GetTeacherInfoList()},
        {"groups", &task.GetTeacherGroupInfoList()},
        {"classes", &task.GetClassInfoList()},
        {"rooms", &task.GetRoomInfoList()},
        {"courses", &task.GetCourseInfoList()},
        {"selfstudy", &task.GetSelfStudyInfoList()},
        {"fixed teachers", &task.GetFixedTimeOfTeacherList()},
        {"fixed groups", &task.GetFixedTimeOfTeacherGroupList()},
        {"fixed classes", &task.GetFixedTimeOfClassList()},
        {"fixed subjects", &task.GetFixedTimeOfSubjectList()},
        {"fixed courses", &task.GetFixedTimeOfCourseList()},
        {"presets", &task.GetCoursePresetList()},
        {"assistants", &task.GetAssistantList()},
        {"oe", &task.GetOETeamList()},
        {"mutex subjects", &task.GetMutexSubjectList()},
        {"mutex teachers", &task.GetMutexOfTeacherList()},
        {"combined", &task.GetCombineCourseList()},
    };
    for (const auto& [label, list] : lists) {
        out << label << ' ' << list->GetCount() << '\n';
        for (const CZemObject* object : ById(*list))
            DumpObject(out, *object);
    }
    return out.str();
}

}  // namespace taskdump
