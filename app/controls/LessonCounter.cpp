#include "app/controls/LessonCounter.h"

#include "app/controls/ObjectLists.h"
#include "app/controls/Strings.h"
#include "app/shell/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"

void CLessonCounter::Count(const std::string& classId, bool useTemp)
{
    if (!m_task)
        return;
    for (auto& [id, record] : m_records)
        if (classId.empty() || id == classId)
            record = Record();

    const CTaskHelper helper(m_task);
    std::vector<CCourseInfo*> plans;
    m_task->GetFullCourseList(plans);
    for (const CCourseInfo* plan : plans) {
        if (!classId.empty() && plan->GetClassId() != classId)
            continue;
        Record& record = m_records[plan->GetClassId()];
        CClassInfo* cls = m_task->GetClass(plan->GetClassId());
        if (!cls)
            continue;
        const CCourseTable& table = useTemp ? cls->GetTempTable() : cls->GetTable(false);
        const CWeekCount planned = plan->GetWeekCount();
        const CWeekCount placed = helper.CountCourseNodes(plan->GetId(), &table, 0);
        if (planned < placed)
            record.overPlacedPlans.push_back(plan->GetId());
        else if (planned > placed)
            record.unfinishedPlans.push_back(plan->GetId());
        record.planned += planned;
        record.placed += placed;
    }

    m_planned.Clear();
    m_placed.Clear();
    for (const auto& [id, record] : m_records) {
        m_planned += record.planned;
        m_placed += record.placed;
    }
}

void CLessonCounter::AppendInClassOrder(const std::function<bool(const Record&)>& take,
                                        std::vector<std::string>& out) const
{
    if (!m_task)
        return;
    std::vector<std::string> ids;
    for (const auto& [id, record] : m_records)
        if (take(record))
            ids.push_back(id);
    std::vector<CZemObject*> classes;
    MapToOrderedList(m_task->GetClassInfoList(), classes);
    for (const CZemObject* cls : classes)
        if (StringArrayContainsNoCase(ids, cls->GetId()))
            out.push_back(cls->GetId());
}

void CLessonCounter::GetIdsWithLessons(std::vector<std::string>& out) const
{
    AppendInClassOrder([](const Record& r) { return !r.unfinishedPlans.empty(); }, out);
}

void CLessonCounter::GetIdsWithLessons2(std::vector<std::string>& out) const
{
    AppendInClassOrder([](const Record& r) { return !r.overPlacedPlans.empty(); }, out);
}

void CLessonCounter::GetIdsDiffering(std::vector<std::string>& out) const
{
    AppendInClassOrder(
        [](const Record& r) { return r.unfinishedPlans.empty() && r.overPlacedPlans.empty() && r.planned == r.placed; },
        out);
}

const CLessonCounter::Record* CLessonCounter::Lookup(const std::string& classId) const
{
    const auto it = m_records.find(classId);
    return it == m_records.end() ? nullptr : &it->second;
}
