#include "app/timetable/TeacherStatistic.h"

#include "app/shared/ObjectLists.h"
#include "app/shared/TextBuilders.h"
#include "app/shared/Vocabulary.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "platform/Text.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <set>

namespace {

const CWeekCount kHalfLesson(0, true);

bool IsCancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

std::string CombinedClassText(const CScheduleTask* task, const CCombineClass* combined)
{
    return "合班：" + DescribeClassesOfCourse(task, combined);
}

// The object's position in its list, for sorting; an object the task lacks goes last.
int OrderOf(const CZemObject* object)
{
    return object ? object->GetIndex() : std::numeric_limits<int>::max();
}

// The record's plans: regular ones, then morning reading, then evening self-study, each by class.
std::vector<const CCourseInfo*> OrderedPlans(const CScheduleTask* task, const CTeacherStatisticRecord& record)
{
    std::vector<const CCourseInfo*> plans;
    for (const auto& [planId, text] : record.details)
        if (const CCourseInfo* plan = task->FindCourse(planId))
            plans.push_back(plan);
    std::stable_sort(plans.begin(), plans.end(), [&](const CCourseInfo* a, const CCourseInfo* b) {
        if (a->GetType() != b->GetType())
            return a->GetType() < b->GetType();
        return OrderOf(task->GetClass(a->GetClassId())) < OrderOf(task->GetClass(b->GetClassId()));
    });
    return plans;
}

// Names of objects of the task joined in the objects' order.
std::string JoinInOrder(const std::map<std::string, std::string>& names,
                        const std::function<const CZemObject*(const std::string&)>& lookUp)
{
    std::vector<std::pair<int, std::string>> ordered;
    for (const auto& [id, name] : names)
        ordered.push_back({OrderOf(lookUp(id)), name});
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (const auto& [order, name] : ordered)
        text += (text.empty() ? "" : "、") + name;
    return text;
}

}  // namespace

bool CStatisticKinds::CountsKind(int kind) const
{
    switch (kind) {
    case COURSE_TYPE_PLAN: return regular;
    case COURSE_TYPE_MORNING_READING: return morningReading;
    case COURSE_TYPE_SELF_STUDY: return selfStudy;
    default: return false;
    }
}

bool CStatisticKinds::CountsSegment(int segment) const
{
    if (segment == zem::kMorningReading)
        return morningReading;
    if (segment == zem::kEveningStudy)
        return selfStudy;
    return regular && zem::IsRegularSegment(segment);
}

CTeacherStatistic::CTeacherStatistic(CScheduleTask* task, const CStatisticKinds& kinds)
    : m_task(task), m_kinds(kinds), m_helper(task)
{
    if (!task)
        return;
    const CSchoolStructure& week = task->GetSchoolStructure();
    for (int day = 0; day < zem::kDayCount; ++day)
        if (week.IsDayInUse(day))
            m_days.push_back(day);
    for (const int segment : zem::kSegmentsInDayOrder)
        if (kinds.CountsSegment(segment))
            for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section)
                m_periods.push_back({-1, segment, section});

    std::vector<CZemObject*> teachers;
    MapToOrderedList(task->GetTeacherInfoList(), teachers);
    for (CZemObject* teacher : teachers)
        m_teachers.push_back(static_cast<CTeacherInfo*>(teacher));
    // Without the self-study kinds their list need not be walked at all.
    if (kinds.morningReading || kinds.selfStudy)
        m_helper.GetAllCourses(&m_courses);
    else
        m_courses = ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList());
}

std::unique_ptr<CTeacherStatisticRecord> CTeacherStatistic::Count(const CTeacherInfo& teacher,
                                                                  const std::atomic<bool>* cancel) const
{
    auto record = std::make_unique<CTeacherStatisticRecord>();
    record->teacherId = teacher.GetId();
    record->name = teacher.GetName();
    std::set<const CCombineClass*> combinedSeen;
    for (const CCourseInfo* plan : m_courses) {
        if (IsCancelled(cancel))
            return nullptr;
        if (!m_kinds.CountsKind(plan->GetType()) || !m_helper.IsTeacherOfCourse(plan, teacher.GetId()))
            continue;
        record->classes[plan->GetClassId()] = m_task->GetClassNameA(plan->GetClassId());
        const std::string subjectName = m_task->GetSubjectName(plan->GetSubjectId());
        record->subjects[plan->GetSubjectId()] = subjectName;

        std::string classText = m_task->GetClassNameA(plan->GetClassId());
        if (const CCombineClass* combined = m_task->GetCC(plan->GetId())) {
            // The classes taught together are one lesson for the teacher: counted once.
            if (!combinedSeen.insert(combined).second)
                continue;
            classText = CombinedClassText(m_task, combined);
        }
        record->planned += plan->GetWeekCount();
        const std::string kind = plan->GetType() == COURSE_TYPE_PLAN ? "" : GetCourseKindName(plan->GetType()) + " ";
        const char* assists = plan->GetTeacherId() != teacher.GetId() ? "助 " : "";
        record->details[plan->GetId()] = zem::Format("%s%s(%s%s%s节)", classText.c_str(), subjectName.c_str(),
                                                     kind.c_str(), assists, plan->GetWeekCount().ToString().c_str());
    }
    CountTimetable(teacher, *record);
    return record;
}

void CTeacherStatistic::CountTimetable(const CTeacherInfo& teacher, CTeacherStatisticRecord& record) const
{
    const CCourseTable& table = teacher.GetTable(false);
    const CSchoolStructure& week = m_task->GetSchoolStructure();
    auto addToCourse = [&](const std::string& planId, const CWeekCount& amount) {
        if (planId.empty())
            return;
        record.perCourseActual[planId] += amount;
        if (const CCombineClass* combined = m_task->GetCC(planId))
            for (const std::string& partner : combined->GetCombineCourse())
                if (partner != planId)
                    record.perCourseActual[partner] += amount;
    };
    for (const int day : m_days) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            if (!m_kinds.CountsSegment(segment))
                continue;
            for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section) {
                CWeekCount lessons;
                if (table.IsHalfUsed(day, segment, section))
                    lessons = kHalfLesson;
                else if (table.IsFullUsed(day, segment, section))
                    lessons = CWeekCount(1, false);
                else
                    continue;
                record.perDay[static_cast<std::size_t>(day)] += lessons;
                record.perPeriod[static_cast<std::size_t>(segment * zem::kSectionCount + section)] += lessons;
                record.actual += lessons;
                const CCourseTableNode& node = table.GetNode(day, segment, section);
                if (node.IsInterleave()) {
                    addToCourse(node.GetCourseId(1), kHalfLesson);
                    addToCourse(node.GetCourseId(2), kHalfLesson);
                } else {
                    // A whole cell gives its plan what the slot counts.
                    addToCourse(node.GetCourseId(0), lessons);
                }
            }
        }
    }
}

std::vector<CStatisticDetailGroup> BuildStatisticDetails(const CScheduleTask* task,
                                                         const CTeacherStatisticRecord& record)
{
    std::vector<CStatisticDetailGroup> groups;
    if (!task)
        return groups;
    // The subjects in their order (a stable sort keeps equal ones as the record holds them).
    std::vector<std::string> subjectIds;
    for (const auto& [id, name] : record.subjects)
        subjectIds.push_back(id);
    std::stable_sort(subjectIds.begin(), subjectIds.end(), [&](const std::string& a, const std::string& b) {
        return OrderOf(task->GetSubject(a)) < OrderOf(task->GetSubject(b));
    });
    for (const std::string& id : subjectIds)
        groups.push_back({record.subjects.at(id), {}});

    std::set<std::string> shown;
    for (const CCourseInfo* plan : OrderedPlans(task, record)) {
        if (shown.count(plan->GetId()))
            continue;
        const auto subject = std::find(subjectIds.begin(), subjectIds.end(), plan->GetSubjectId());
        if (subject == subjectIds.end())
            continue;
        std::string classText = task->GetClassNameA(plan->GetClassId());
        if (const CCombineClass* combined = task->GetCC(plan->GetId())) {
            classText = CombinedClassText(task, combined);
            shown.insert(combined->GetCombineCourse().begin(), combined->GetCombineCourse().end());
        }
        const auto actual = record.perCourseActual.find(plan->GetId());
        const std::string actualText = actual == record.perCourseActual.end() ? "0" : actual->second.ToString();
        const std::string plannedText = plan->GetWeekCount().ToString();
        const std::string plannedPart = actualText != plannedText ? "(计划" + plannedText + ")" : "";
        const std::string kind = plan->GetType() == COURSE_TYPE_PLAN ? "" : GetCourseKindName(plan->GetType());
        // By id, not by name: of two teachers with one name the other's plan is still assisted.
        const char* assists = plan->GetTeacherId() != record.teacherId ? "(助)" : "";
        groups[static_cast<std::size_t>(subject - subjectIds.begin())].lines.push_back(
            zem::Format("%s%s节%s %s%s", kind.c_str(), actualText.c_str(), plannedPart.c_str(), classText.c_str(),
                        assists));
    }
    return groups;
}

CTeacherWorkloadTable BuildTeacherWorkloadTable(const CScheduleTask* task, const std::vector<int>& days,
                                                const std::vector<tagTABLE_NODE>& periods,
                                                const std::vector<const CTeacherStatisticRecord*>& records)
{
    CTeacherWorkloadTable table;
    for (const int day : days)
        table.dayNames.push_back(GetWeekdayName(day, true));
    for (const tagTABLE_NODE& period : periods)
        table.sectionNames.push_back(task ? task->GetSchoolStructure().GetPeriodName(period.segment, period.section, true)
                                          : std::string());
    for (const CTeacherStatisticRecord* record : records) {
        TeacherWorkloadRow row;
        row.teacher = record->name;
        row.planned = record->planned.ToString();
        row.actual = record->actual.ToString();
        row.classCount = std::to_string(record->classes.size());
        row.courseCount = std::to_string(record->subjects.size());
        for (const int day : days)
            row.dayDistribution += (row.dayDistribution.empty() ? "" : ",") +
                                   record->perDay[static_cast<std::size_t>(day)].ToString();
        for (std::size_t i = 0; i < periods.size(); ++i)
            row.periodDistribution +=
                (i == 0 ? "" : ",") +
                record->perPeriod[static_cast<std::size_t>(periods[i].segment * zem::kSectionCount + periods[i].section)]
                    .ToString();
        if (task) {
            row.classes = JoinInOrder(record->classes, [task](const std::string& id) { return task->GetClass(id); });
            row.courses = JoinInOrder(record->subjects, [task](const std::string& id) { return task->GetSubject(id); });
            for (const CCourseInfo* plan : OrderedPlans(task, *record))
                row.plans += (row.plans.empty() ? "" : "；") + record->details.at(plan->GetId());
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::vector<LessonCalendarRow> BuildLessonCalendarRows(const std::vector<const CTeacherStatisticRecord*>& records)
{
    std::vector<LessonCalendarRow> rows;
    for (const CTeacherStatisticRecord* record : records) {
        LessonCalendarRow row;
        row.name = record->name;
        for (std::size_t day = 0; day < row.counts.size(); ++day)
            row.counts[day] = record->perDay[day];
        rows.push_back(std::move(row));
    }
    return rows;
}
