#include "app/timetable/SubstitutePlan.h"

#include "app/shared/ObjectLists.h"
#include "app/shared/Pinyin.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

bool SameCell(const tagTABLE_NODE& a, const tagTABLE_NODE& b)
{
    return a.day == b.day && a.segment == b.segment && a.section == b.section;
}

const CCourseTable* TeacherTable(const CScheduleTask& task, const std::string& teacherId)
{
    auto* teacher = static_cast<CZemTableObject*>(task.GetTeacherInfoList().Find(teacherId));
    return teacher ? &teacher->GetTable(true) : nullptr;
}

std::vector<tagTABLE_NODE> UsedCellsOf(const CScheduleTask& task, const CCourseTable* table)
{
    std::vector<tagTABLE_NODE> cells;
    if (!table)
        return cells;
    const CSchoolStructure& week = task.GetSchoolStructure();
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (!week.IsDayInUse(day))
            continue;
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < std::min(week.GetSectionNodeMaxCount(segment), zem::kSectionCount);
                 ++section)
                if (table->IsUsed(day, segment, section))
                    cells.push_back({day, segment, section});
    }
    return cells;
}

void AddOnce(std::vector<std::string>& ids, const std::string& id)
{
    if (id.empty())
        return;
    for (const std::string& known : ids)
        if (zem::EqualsNoCase(known, id))
            return;
    ids.push_back(id);
}

bool Contains(const std::vector<std::string>& ids, const std::string& id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

void CSubstitutePlan::SetTask(CScheduleTask* task, const std::string& teacherId)
{
    m_task = task;
    m_teacherId = teacherId;
    m_records.clear();
}

const CCourseTable* CSubstitutePlan::Table() const
{
    return m_task ? TeacherTable(*m_task, m_teacherId) : nullptr;
}

std::vector<tagTABLE_NODE> CSubstitutePlan::UsedCells() const
{
    return m_task ? UsedCellsOf(*m_task, Table()) : std::vector<tagTABLE_NODE>();
}

CCourseInfo* CSubstitutePlan::CourseAt(const tagTABLE_NODE& cell, int half) const
{
    const CCourseTable* table = Table();
    if (!table)
        return nullptr;
    const std::string& id = table->GetNode(cell).data(half == 2 ? 2 : 1).GetCourseId();
    return id.empty() ? nullptr : m_task->FindCourse(id);
}

bool CSubstitutePlan::Matches(const tagTABLE_NODE& cell, int half, const tagTABLE_NODE& clicked, int clickedHalf,
                              int mode) const
{
    if (SameCell(cell, clicked) && half == clickedHalf)
        return true;
    const CCourseInfo* clickedCourse = CourseAt(clicked, clickedHalf);
    const CCourseInfo* course = CourseAt(cell, half);
    if (!clickedCourse || !course)
        return false;
    switch (mode) {
    case kSubstituteCourse:
        return course == clickedCourse;
    case kSubstituteSubject:
        return course->GetSubjectId() == clickedCourse->GetSubjectId();
    case kSubstituteAll:
        return true;
    default:
        return false;
    }
}

std::vector<tagTABLE_NODE> CSubstitutePlan::TargetCells(const tagTABLE_NODE& clicked, int clickedHalf, int mode) const
{
    std::vector<tagTABLE_NODE> targets;
    const CCourseTable* table = Table();
    for (const tagTABLE_NODE& cell : UsedCells()) {
        const bool reached = table->GetNode(cell).IsInterleave()
                                 ? Matches(cell, 1, clicked, clickedHalf, mode) || Matches(cell, 2, clicked, clickedHalf, mode)
                                 : Matches(cell, 0, clicked, clickedHalf, mode);
        if (reached)
            targets.push_back(cell);
    }
    return targets;
}

void CSubstitutePlan::Assign(const std::vector<tagTABLE_NODE>& targets, const tagTABLE_NODE& clicked,
                             int clickedHalf, int mode, CZemObject* substitute)
{
    const CCourseTable* table = Table();
    if (!table || !substitute)
        return;
    const auto set = [this, substitute](const tagTABLE_NODE& cell, int half) {
        for (CSubstituteRecord& record : m_records)
            if (SameCell({record.day, record.segment, record.section}, cell) && record.half == half) {
                record.substitute = substitute;
                return;
            }
        m_records.push_back({cell.day, cell.segment, cell.section, half, substitute});
    };
    for (const tagTABLE_NODE& cell : targets) {
        // The teacher may have lost the lesson since the targets were taken.
        if (!table->IsUsed(cell))
            continue;
        if (!table->GetNode(cell).IsInterleave()) {
            set(cell, 0);
            continue;
        }
        for (const int half : {1, 2})
            if (Matches(cell, half, clicked, clickedHalf, mode))
                set(cell, half);
    }
}

void CSubstitutePlan::Cancel(const tagTABLE_NODE& cell, int half)
{
    std::erase_if(m_records, [&](const CSubstituteRecord& r) {
        return SameCell({r.day, r.segment, r.section}, cell) && r.half == half;
    });
}

void CSubstitutePlan::FollowMove(const tagTABLE_NODE& source, const tagTABLE_NODE& target,
                                 const std::vector<std::string>& teachers)
{
    if (!Contains(teachers, m_teacherId))
        return;
    for (CSubstituteRecord& r : m_records) {
        const tagTABLE_NODE cell{r.day, r.segment, r.section};
        const tagTABLE_NODE* to = SameCell(cell, source) ? &target : SameCell(cell, target) ? &source : nullptr;
        if (to) {
            r.day = to->day;
            r.segment = to->segment;
            r.section = to->section;
        }
    }
}

const CSubstituteRecord* CSubstitutePlan::Find(const tagTABLE_NODE& cell, int half) const
{
    for (const CSubstituteRecord& r : m_records)
        if (SameCell({r.day, r.segment, r.section}, cell) && r.half == half)
            return &r;
    return nullptr;
}

CSubstituteCandidates::CSubstituteCandidates(const CScheduleTask& task, const std::string& regularId,
                                             const std::vector<tagTABLE_NODE>& targets)
{
    // The target lessons' subjects and classes.
    if (const CCourseTable* regular = TeacherTable(task, regularId))
        for (const tagTABLE_NODE& cell : targets) {
            const CCourseTableNode& node = regular->GetNode(cell);
            for (const int half : {1, 2}) {
                if (half == 2 && !node.IsInterleave())
                    break;
                if (const CCourseInfo* course = task.FindCourse(node.data(half).GetCourseId())) {
                    AddOnce(m_subjectIds, course->GetSubjectId());
                    AddOnce(m_classIds, course->GetClassId());
                }
            }
        }
    // Each teacher's own plans, once, so that a keystroke only filters; morning-reading and evening
    // self-study plans are the teacher's courses too.
    std::map<std::string, std::pair<bool, bool>> plansOf;  // same class, same subject
    for (const CZemObjectList* list : {&task.GetCourseInfoList(), &task.GetSelfStudyInfoList()})
        for (const auto& [id, object] : *list) {
            const auto* course = static_cast<const CCourseInfo*>(object);
            auto& flags = plansOf[course->GetTeacherId()];
            flags.first = flags.first || Contains(m_classIds, course->GetClassId());
            flags.second = flags.second || Contains(m_subjectIds, course->GetSubjectId());
        }
    std::vector<CZemObject*> ordered;
    MapToOrderedList(task.GetTeacherInfoList(), ordered);
    for (CZemObject* teacher : ordered) {
        if (teacher->GetId() == regularId)
            continue;
        const CCourseTable& table = static_cast<CZemTableObject*>(teacher)->GetTable(true);
        const bool busy = std::any_of(targets.begin(), targets.end(), [&](const tagTABLE_NODE& cell) {
            return table.IsUsed(cell) || task.IsTeacherFixedTime(teacher->GetId(), cell);
        });
        const auto flags = plansOf.find(teacher->GetId());
        const bool hasPlans = flags != plansOf.end();
        m_teachers.push_back({teacher, busy, hasPlans && flags->second.first, hasPlans && flags->second.second});
    }
}

std::vector<CZemObject*> CSubstituteCandidates::Fill(bool freeOnly, bool sameClass, bool sameSubject,
                                                     const std::string& search) const
{
    std::vector<CZemObject*> out;
    for (const Teacher& t : m_teachers) {
        if ((freeOnly && t.busy) || (sameClass && !t.sameClass) || (sameSubject && !t.sameSubject))
            continue;
        if (!search.empty() && !PinyinMatch(t.object->GetName(), search))
            continue;
        out.push_back(t.object);
    }
    return out;
}
