// Repairs of the input after it is read and after basic data is deleted: what points at objects
// that are gone is removed, with what hangs on it. Keys are collected first and removed after the
// walk, so no walk sees a removed entry.
#include "base/ScheduleTask.h"

#include "base/Utility.h"

#include <algorithm>
#include <functional>
#include <set>

namespace {

// The ids of the list's objects that the test picks.
std::vector<std::string> IdsWhere(const CZemObjectList& list, const std::function<bool(CZemObject*)>& test)
{
    std::vector<std::string> ids;
    for (const auto& [id, object] : list)
        if (test(object))
            ids.push_back(id);
    return ids;
}

void RemoveIds(CZemObjectList& list, const std::vector<std::string>& ids)
{
    for (const std::string& id : ids)
        list.Remove(id);
}

// Keeps only the ids that name an object of the list, in their order.
std::vector<std::string> ExistingIds(const std::vector<std::string>& ids, const CZemObjectList& list)
{
    std::vector<std::string> kept;
    for (const std::string& id : ids)
        if (list.Find(id))
            kept.push_back(id);
    return kept;
}

bool HalfHolds(const CCourseTableNode& cell, int half)
{
    return cell.data(half).HasCourse() || cell.HasMoreData(half);
}

bool InMore(const CCourseTableNode& cell, int half, zem::IdHandle course)
{
    const std::vector<CCourseTableNode::NodeData>& more = cell.GetMoreVector(half);
    return std::any_of(more.begin(), more.end(), [course](const auto& d) { return d.GetCourseHandle() == course; });
}

// Takes the course out of the cell and sets the status from what the cell still holds. Returns
// the half the course occupied (1 or 2), -1 when it was only among the further lessons, 0 when
// the cell did not hold it; such a cell keeps its status, whatever it is (not available, for one).
int TakeOut(CCourseTable& table, int day, int segment, int section, zem::IdHandle course)
{
    CCourseTableNode& cell = table.GetNode(day, segment, section);
    const int half = cell.data(1).GetCourseHandle() == course   ? 1
                     : cell.data(2).GetCourseHandle() == course ? 2
                     : InMore(cell, 1, course) || InMore(cell, 2, course) ? -1
                                                                          : 0;
    if (half == 0)
        return 0;
    cell.Clear(course);
    CTimeTable::Status status = CTimeTable::kFree;
    if (!cell.IsInterleave()) {
        status = HalfHolds(cell, 1) ? CTimeTable::kFullUsed : CTimeTable::kFree;
    } else {
        const int halves = (HalfHolds(cell, 1) ? 1 : 0) + (HalfHolds(cell, 2) ? 1 : 0);
        status = halves == 2 ? CTimeTable::kFullUsed : halves == 1 ? CTimeTable::kHalfUsed : CTimeTable::kFree;
        if (halves == 0)
            cell.SetInterleave(false);
    }
    table.SetValue(day, segment, section, status);
    return half;
}

using SharedLesson = std::function<bool(const CCourseInfo&, const CCourseTableNode::NodeData&)>;

// Takes the course out of every cell of the table, every day and segment: a lesson left in a
// table blocks its teacher, class or room. Where a partner of its dissolved combined class had
// the lesson with it (`shares`: the partner's lesson belongs in this table too), the partner's
// lesson takes the cell over, so the teacher who taught both or the room they shared stays
// booked for it.
void TakeOutEverywhere(CCourseTable& table, zem::IdHandle course, bool temp,
                       const std::vector<const CCourseInfo*>& partners, const SharedLesson& shares)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                const bool split = table.GetNode(node).IsInterleave();
                const int half = TakeOut(table, day, segment, section, course);
                if (half <= 0 || table.GetNode(node).data(half).HasCourse())
                    continue;
                for (const CCourseInfo* partner : partners) {
                    const CCourseTableNode& own = partner->GetTable(temp).GetNode(node);
                    const CCourseTableNode::NodeData& lesson = own.data(half);
                    if (lesson.GetCourseId() == partner->GetId() && own.IsInterleave() == split &&
                        shares(*partner, lesson)) {
                        CScheduleTask::SetTableNode(&table, lesson, node, split ? half : 0);
                        break;
                    }
                }
            }
}

}  // namespace

void CScheduleTask::RemoveCourseRelatedData(CCourseInfo* course, bool clearTables)
{
    if (!course)
        return;
    const std::string courseId = course->GetId();
    m_presets.Remove(courseId);
    std::vector<std::string> partners;
    if (const CCombineClass* combined = GetCC(courseId)) {
        for (const std::string& id : combined->GetCombineCourse())
            if (id != courseId)
                partners.push_back(id);
        m_combineClasses.Remove(combined->GetId());
    }
    m_fixedCourses.Remove(courseId);
    if (!clearTables)
        return;

    const zem::IdHandle handle = zem::FindId(courseId);
    if (handle == zem::kNoId)
        return;  // never placed anywhere

    std::vector<const CCourseInfo*> partnerPlans;
    for (const std::string& id : partners)
        if (const CCourseInfo* partner = FindCourse(id))
            partnerPlans.push_back(partner);
    auto takeOut = [&](CCourseTable& table, bool temp, const SharedLesson& shares) {
        TakeOutEverywhere(table, handle, temp, partnerPlans, shares);
    };
    std::vector<std::string> teachers{course->GetTeacherId()};
    if (const CCourseAssistant* assistant = GetAssistant(courseId))
        teachers.insert(teachers.end(), assistant->GetAssistants().begin(), assistant->GetAssistants().end());
    const SharedLesson ownClassOnly = [](const CCourseInfo&, const CCourseTableNode::NodeData&) { return false; };
    for (const bool temp : {false, true}) {
        if (CClassInfo* cls = GetClass(course->GetClassId()))
            takeOut(cls->GetTable(temp), temp, ownClassOnly);
        for (const std::string& teacherId : teachers) {
            CTeacherInfo* teacher = GetTeacher(teacherId);
            if (!teacher)
                continue;
            // A teacher of both partners kept the one lesson for the two.
            takeOut(teacher->GetTable(temp), temp, [&](const CCourseInfo& partner, const CCourseTableNode::NodeData&) {
                if (partner.GetTeacherId() == teacherId)
                    return true;
                const CCourseAssistant* helpers = GetAssistant(partner.GetId());
                return helpers && std::find(helpers->GetAssistants().begin(), helpers->GetAssistants().end(),
                                            teacherId) != helpers->GetAssistants().end();
            });
        }
    }

    // Manual adjustment may have put the lessons in rooms other than the plan's own, so every
    // room is searched.
    for (const auto& [id, object] : m_rooms) {
        const std::string& roomId = id;  // a lambda may not capture a structured binding in every compiler
        CComplexTable& set = static_cast<CRoomInfo*>(object)->GetComplexTable();
        for (const bool temp : {false, true})
            for (int index = 0; CCourseTable* table = set.Enum(temp, index); ++index)
                takeOut(*table, temp, [&](const CCourseInfo&, const CCourseTableNode::NodeData& lesson) {
                    return lesson.GetRoomId() == roomId && lesson.GetRoomIndex() == index;
                });
    }
}

void CScheduleTask::MaintainInputIntegrities()
{
    MaintainSchoolStructureIntegrity();
    MaintainClassIntegrity(false);
    MaintainSubjectIntegrity(false);
    MaintainTeacherIntegrity(false);
    MaintainRoomIntegrity(false);
    MaintainCourseIntegrity(false);
}

void CScheduleTask::MaintainSchoolStructureIntegrity()
{
    // Activities name what fills a slot that takes no lessons; anywhere else they are stale. A key
    // that names no slot is dropped as well.
    std::vector<std::string> stale;
    for (const auto& [key, name] : m_activities.GetMap()) {
        int day = 0, segment = 0, section = 0;
        if (!ParseNodeKey(key, day, segment, section) || !m_schoolStructure.IsInvalid(day, segment, section))
            stale.push_back(key);
    }
    for (const std::string& key : stale)
        m_activities.DeleteActivity(key);
}

void CScheduleTask::RemoveCourses(CZemObjectList& list, const std::function<bool(const CCourseInfo&)>& orphan,
                                  bool clearTables)
{
    const std::vector<std::string> ids =
        IdsWhere(list, [&](CZemObject* object) { return orphan(*static_cast<CCourseInfo*>(object)); });
    for (const std::string& id : ids) {
        RemoveCourseRelatedData(static_cast<CCourseInfo*>(list.Find(id)), clearTables);
        list.Remove(id);
    }
}

void CScheduleTask::RemovePlans(const std::vector<std::string>& ids)
{
    const std::set<std::string> doomed(ids.begin(), ids.end());
    auto isDoomed = [&](const CCourseInfo& course) { return doomed.count(course.GetId()) > 0; };
    RemoveCourses(m_courses, isDoomed, true);
    RemoveCourses(m_selfStudies, isDoomed, true);
    MaintainCourseIntegrity(true);
}

void CScheduleTask::MaintainClassIntegrity(bool clearTables)
{
    auto orphan = [this](const CCourseInfo& course) { return !GetClass(course.GetClassId()); };
    RemoveCourses(m_courses, orphan, clearTables);
    RemoveCourses(m_selfStudies, orphan, clearTables);
    RemoveIds(m_fixedClasses, IdsWhere(m_fixedClasses, [this](CZemObject* o) { return !GetClass(o->GetId()); }));
}

void CScheduleTask::MaintainSubjectIntegrity(bool clearTables)
{
    auto orphan = [this](const CCourseInfo& course) { return !GetSubject(course.GetSubjectId()); };
    RemoveCourses(m_courses, orphan, clearTables);
    RemoveCourses(m_selfStudies, orphan, clearTables);

    // Rules of a deleted subject would otherwise stay in input.xml and keep counting in the checks.
    RemoveIds(m_fixedSubjects, IdsWhere(m_fixedSubjects, [this](CZemObject* o) { return !GetSubject(o->GetId()); }));
    RemoveIds(m_mutexSubjects, IdsWhere(m_mutexSubjects, [this](CZemObject* object) {
                  auto* rule = static_cast<CMutexSubject*>(object);
                  rule->Reset(ExistingIds(rule->GetSubjectArray(), m_subjects));
                  return rule->GetSubjectArray().size() < 2;  // one subject excludes nothing
              }));
}

void CScheduleTask::MaintainTeacherIntegrity(bool clearTables)
{
    RemoveIds(m_teacherGroups, IdsWhere(m_teacherGroups, [this](CZemObject* object) {
                  auto* group = static_cast<CTeacherGroupInfo*>(object);
                  group->ResetGroup(ExistingIds(group->GetTeacherArray(), m_teachers));
                  return group->GetTeacherArray().empty();
              }));

    auto orphan = [this](const CCourseInfo& course) { return !GetTeacher(course.GetTeacherId()); };
    RemoveCourses(m_courses, orphan, clearTables);
    RemoveCourses(m_selfStudies, orphan, clearTables);

    RemoveIds(m_fixedTeachers, IdsWhere(m_fixedTeachers, [this](CZemObject* o) { return !GetTeacher(o->GetId()); }));
    RemoveIds(m_fixedTeacherGroups,
              IdsWhere(m_fixedTeacherGroups, [this](CZemObject* o) { return !m_teacherGroups.Find(o->GetId()); }));

    RemoveIds(m_assistants, IdsWhere(m_assistants, [this](CZemObject* object) {
                  auto* assistant = static_cast<CCourseAssistant*>(object);
                  assistant->GetAssistants() = ExistingIds(assistant->GetAssistants(), m_teachers);
                  return assistant->GetAssistants().empty();
              }));

    // A deleted teacher leaves no exclusive pairing behind, on either side.
    RemoveIds(m_mutexTeachers, IdsWhere(m_mutexTeachers, [this](CZemObject* object) {
                  auto* rule = static_cast<CMutexOfTeacher*>(object);
                  rule->GetMutexTeachers() = ExistingIds(rule->GetMutexTeachers(), m_teachers);
                  return !GetTeacher(rule->GetId()) || rule->GetMutexTeachers().empty();
              }));
    m_mutexTeachers.RebuildEachTeacherMap();
}

void CScheduleTask::MaintainRoomIntegrity(bool)
{
    // The plan keeps its lessons; it only stops asking for a room that is gone.
    for (CZemObjectList* list : {&m_courses, &m_selfStudies}) {
        for (const auto& [id, object] : *list) {
            auto* course = static_cast<CCourseInfo*>(object);
            if (!course->GetRoomParam().empty() && !GetRoom(course->GetRoomParam())) {
                course->SetRoomParam({});
                course->SetRoomStrategy(ROOM_STRATEGY_NONE);
            }
        }
    }
}

void CScheduleTask::MaintainCourseIntegrity(bool)
{
    RemoveIds(m_combineClasses, IdsWhere(m_combineClasses, [this](CZemObject* object) {
                  for (const std::string& id : static_cast<CCombineClass*>(object)->GetCombineCourse())
                      if (!FindCourse(id))
                          return true;
                  return false;
              }));
    RemoveIds(m_assistants, IdsWhere(m_assistants, [this](CZemObject* o) { return !FindCourse(o->GetId()); }));
    RemoveIds(m_oeTeams, IdsWhere(m_oeTeams, [this](CZemObject* object) {
                  auto* team = static_cast<COETeam*>(object);
                  return !FindCourse(team->GetOdd()) || !FindCourse(team->GetEven());
              }));
}
