#include "app/data/LessonsOutsideWeek.h"

#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include <functional>

namespace {

// Each slot the previous week offered and the new one does not, with the halves (part 0 whole week,
// 1 odd, 2 even) of the cell that hold a lesson.
void ForEachLessonLeftOutside(const CCourseTable& table, const CSchoolStructure& previous, const CSchoolStructure& week,
                              const std::function<void(const tagTABLE_NODE&, int part)>& visit)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                if (!IsSlotInWeek(previous, node) || IsSlotInWeek(week, node))
                    continue;
                const CCourseTableNode& cell = table.GetNode(node);
                if (!cell.IsInterleave()) {
                    if (cell.data(1).HasCourse())
                        visit(node, 0);
                    continue;
                }
                // The even half first, so the odd one still finds the cell split.
                for (const int part : {2, 1})
                    if (cell.data(part).HasCourse())
                        visit(node, part);
            }
}

}  // namespace

bool IsSlotInWeek(const CSchoolStructure& week, const tagTABLE_NODE& node)
{
    return week.IsDayInUse(node.day) && node.section < week.GetSectionNodeMaxCount(node.segment) &&
           !week.IsInvalid(node);
}

int CountLessonsLeftOutside(const CScheduleTask& task, const CSchoolStructure& previous, const CSchoolStructure& week)
{
    int count = 0;
    for (const auto& [id, object] : task.GetClassInfoList())
        ForEachLessonLeftOutside(static_cast<const CClassInfo*>(object)->GetTable(false), previous, week,
                                 [&count](const tagTABLE_NODE&, int) { ++count; });
    return count;
}

int RemoveLessonsLeftOutside(CScheduleTask& task, const CSchoolStructure& previous, const CSchoolStructure& week)
{
    CTaskHelper helper(&task);
    // The helper changes the working tables: start them from the committed ones.
    helper.RestoreTempTables();
    int removed = 0;
    for (const auto& [id, object] : task.GetClassInfoList()) {
        CCourseTable& table = static_cast<CClassInfo*>(object)->GetTable(true);
        ForEachLessonLeftOutside(table, previous, week, [&](const tagTABLE_NODE& node, int part) {
            helper.UnsetCourseNode(&table, &table.GetNode(node), node, part);
            ++removed;
        });
    }
    return removed;
}

ScheduleValidation TakeLessonsKeptOutside(ChangeFindings& findings)
{
    ScheduleValidation kept, rest;
    for (const ScheduleViolation& violation : findings.broken.Violations())
        (violation.check == kCheckUnavailable ? kept : rest).Add(violation.check, violation.text, violation.said);
    findings.broken = rest;
    return kept;
}
