#include "app/shared/LessonCounter.h"

#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"

void CLessonCounter::Count(const std::string& classId, bool useTempTables)
{
    for (auto& [id, record] : m_records)
        if (classId.empty() || id == classId)
            record = ClassRecord();
    if (m_task) {
        CTaskHelper helper(m_task);
        std::vector<CCourseInfo*> plans;
        m_task->GetFullCourseList(plans);
        for (const CCourseInfo* plan : plans) {
            if (!classId.empty() && plan->GetClassId() != classId)
                continue;
            ClassRecord& record = m_records[plan->GetClassId()];
            CClassInfo* cls = m_task->GetClass(plan->GetClassId());
            if (!cls)
                continue;
            const CWeekCount& planned = plan->GetWeekCount();
            const CWeekCount placed = helper.CountCourseNodes(plan->GetId(), &cls->GetTable(useTempTables), 0);
            if (planned < placed)
                record.overPlacedPlans.push_back(plan->GetId());
            else if (placed < planned)
                record.unfinishedPlans.push_back(plan->GetId());
            record.planned += planned;
            record.placed += placed;
        }
    }
    m_totalPlanned.Clear();
    m_totalPlaced.Clear();
    for (const auto& [id, record] : m_records) {
        m_totalPlanned += record.planned;
        m_totalPlaced += record.placed;
    }
}

void CLessonCounter::GetIdsWithLessons(std::vector<std::string>& out) const
{
    CollectIds(out, [](const ClassRecord& r) { return !r.unfinishedPlans.empty(); });
}

void CLessonCounter::GetIdsWithLessons2(std::vector<std::string>& out) const
{
    CollectIds(out, [](const ClassRecord& r) { return !r.overPlacedPlans.empty(); });
}

void CLessonCounter::GetIdsDiffering(std::vector<std::string>& out) const
{
    CollectIds(out, [](const ClassRecord& r) {
        return r.unfinishedPlans.empty() && r.overPlacedPlans.empty() && r.planned == r.placed;
    });
}

void CLessonCounter::CollectIds(std::vector<std::string>& out, const std::function<bool(const ClassRecord&)>& take) const
{
    std::vector<std::string> ids;
    for (const auto& [id, record] : m_records)
        if (take(record))
            ids.push_back(id);
    ToClassOrder(ids);
    out.insert(out.end(), ids.begin(), ids.end());
}

const CLessonCounter::ClassRecord* CLessonCounter::Lookup(const std::string& classId) const
{
    const auto it = m_records.find(classId);
    return it == m_records.end() ? nullptr : &it->second;
}

void CLessonCounter::ToClassOrder(std::vector<std::string>& ids) const
{
    std::vector<std::string> ordered;
    if (m_task) {
        std::vector<CZemObject*> classes;
        MapToOrderedList(m_task->GetClassInfoList(), classes);
        for (const CZemObject* cls : classes)
            if (StringArrayContainsNoCase(ids, cls->GetId()))
                ordered.push_back(cls->GetId());
    }
    ids = std::move(ordered);
}
