// What the scheduler works out once per run about every plan: the objects it touches, the slots
// closed to it for the whole run, and the parts of its weight that do not change between tries.
#include "core/Engine.h"

#include "base/Utility.h"
#include "platform/Text.h"

namespace {

const CFixedTimeOfObject* FixedTime(CZemObjectList& list, const std::string& id)
{
    return static_cast<const CFixedTimeOfObject*>(list.Find(id));
}

void Close(CTimeTable& mask, const CFixedTimeOfObject* fixed)
{
    if (fixed)
        fixed->WriteFixedTimeToTable(&mask);
}

int FixedCount(const CFixedTimeOfObject* fixed) { return fixed ? static_cast<int>(fixed->GetNodeList().size()) : 0; }

// The closed slots every plan shares: outside the week or beyond a segment's periods.
void CloseOutsideWeek(const CSchoolStructure& week, CTimeTable& mask)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (week.IsInvalid(day, segment, section) || section >= week.GetSectionNodeMaxCount(segment))
                    mask.SetValue(day, segment, section, CTimeTable::kInvalid);
}

}  // namespace

int CAutoScheduler::PlanOf(const std::string& courseId) const
{
    const CCourseInfo* course = m_task->FindCourse(courseId);
    if (!course)
        return -1;
    auto it = m_planOf.find(course);
    return it == m_planOf.end() ? -1 : it->second;
}

void CAutoScheduler::BuildPlans()
{
    ListObjects();
    CTimeTable weekMask;
    CloseOutsideWeek(m_task->GetSchoolStructure(), weekMask);
    const auto groups = ObjectsInOrder<CTeacherGroupInfo>(m_task->GetTeacherGroupInfoList());
    std::vector<std::string> teacherIds;
    for (CPlanState& plan : m_plans) {
        teacherIds.clear();
        m_task->GetAllTeacherId(teacherIds, plan.course, true);
        FindPlanObjects(plan, teacherIds);
        FindPartners(plan);
        FindRoom(plan);
        FindExclusives(plan, teacherIds);
        CloseFixedSlots(plan, weekMask, teacherIds, groups);
        SetDayLimits(plan);
        WeighFixedTerms(plan);
    }
}

void CAutoScheduler::ListObjects()
{
    CScheduleTask& task = *m_task;
    m_plans.clear();
    m_planOf.clear();
    const auto courses = ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList());
    const auto selfStudies = ObjectsInOrder<CCourseInfo>(task.GetSelfStudyInfoList());
    m_planCount = static_cast<int>(courses.size());
    m_plans.resize(courses.size() + selfStudies.size());
    for (std::size_t i = 0; i < courses.size(); ++i)
        m_plans[i].course = courses[i];
    for (std::size_t i = 0; i < selfStudies.size(); ++i)
        m_plans[courses.size() + i].course = selfStudies[i];
    for (std::size_t i = 0; i < m_plans.size(); ++i)
        m_planOf[m_plans[i].course] = static_cast<int>(i);

    m_classes = ObjectsInOrder<CClassInfo>(task.GetClassInfoList());
    m_teachers = ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList());
    m_rooms = ObjectsInOrder<CRoomInfo>(task.GetRoomInfoList());
    m_presets = ObjectsInOrder<const CCoursePreset>(task.GetCoursePresetList());
    m_sortByMainType = m_teacherMap.IsSortByMainType();
    m_daysInUse.clear();
    for (int day = 0; day < zem::kDayCount; ++day)
        if (task.GetSchoolStructure().IsDayInUse(day))
            m_daysInUse.push_back(day);
}

void CAutoScheduler::FindPlanObjects(CPlanState& plan, const std::vector<std::string>& teacherIds)
{
    CScheduleTask& task = *m_task;
    const CCourseInfo* course = plan.course;
    plan.id = zem::InternId(course->GetId());
    plan.teacherKey = zem::InternId(course->GetTeacherId());
    plan.cls = task.GetClass(course->GetClassId());
    plan.teacher = task.GetTeacher(course->GetTeacherId());
    plan.combined = task.GetCC(course->GetId());
    plan.saved = course->GetWeekCount();
    plan.teachers.clear();
    for (const std::string& id : teacherIds)
        if (CTeacherInfo* teacher = task.GetTeacher(id))
            plan.teachers.push_back(teacher);
}

void CAutoScheduler::FindPartners(CPlanState& plan)
{
    plan.partners.clear();
    plan.partnerClasses.clear();
    if (!plan.combined)
        return;
    for (const std::string& id : plan.combined->GetCombineCourse()) {
        if (id == plan.course->GetId())
            continue;
        const int partner = PlanOf(id);
        if (partner < 0)
            continue;
        plan.partners.push_back(partner);
        if (CClassInfo* cls = m_task->GetClass(m_plans[partner].course->GetClassId()))
            plan.partnerClasses.push_back(cls);
    }
}

// Its own fixed room, else the one a partner of its combined class names.
void CAutoScheduler::FindRoom(CPlanState& plan)
{
    const CCourseInfo* course = plan.course;
    plan.roomId.clear();
    if (course->GetRoomStrategy() == ROOM_STRATEGY_FIXED) {
        plan.roomId = course->GetRoomParam();
    } else {
        for (int partner : plan.partners) {
            const CCourseInfo* other = m_plans[partner].course;
            if (other->GetRoomStrategy() == ROOM_STRATEGY_FIXED) {
                plan.roomId = other->GetRoomParam();
                break;
            }
        }
    }
    plan.room = plan.roomId.empty() ? nullptr : m_task->GetRoom(plan.roomId);
    plan.roomHandle = zem::InternId(plan.roomId);
}

// The teachers who may not teach at the same time as its own, and the plans of its class whose
// subject excludes its own from the day.
void CAutoScheduler::FindExclusives(CPlanState& plan, const std::vector<std::string>& teacherIds)
{
    CScheduleTask& task = *m_task;
    const CCourseInfo* course = plan.course;
    plan.mutexTeachers.clear();
    for (const std::string& id : teacherIds)
        if (const std::vector<std::string>* partners = task.GetMutexOfTeacherList().FindTeacherMutexInfo(id))
            for (const std::string& partnerId : *partners)
                if (CTeacherInfo* teacher = task.GetTeacher(partnerId))
                    plan.mutexTeachers.push_back(teacher);

    plan.mutexSubjectPlans.clear();
    const CMutexSubject* mutexSubject = task.GetMutexSubject(course->GetSubjectId());
    if (!mutexSubject)
        return;
    const bool isPlan = course->GetType() == COURSE_TYPE_PLAN;
    const std::size_t first = isPlan ? 0 : m_planCount;
    const std::size_t last = isPlan ? m_planCount : m_plans.size();
    for (std::size_t i = first; i < last; ++i) {
        const CCourseInfo* other = m_plans[i].course;
        if (other != course && other->GetClassId() == course->GetClassId() && other->GetType() == course->GetType() &&
            other->GetSubjectId() != course->GetSubjectId() &&
            IsStringInArray(mutexSubject->GetSubjectArray(), other->GetSubjectId()))
            plan.mutexSubjectPlans.push_back(static_cast<int>(i));
    }
}

// Slots closed for the run: the week, the segments of other kinds, and the fixed times of its
// teachers, their groups, its class, subject and itself, and the partners' classes.
void CAutoScheduler::CloseFixedSlots(CPlanState& plan, const CTimeTable& weekMask,
                                     const std::vector<std::string>& teacherIds,
                                     const std::vector<CTeacherGroupInfo*>& groups)
{
    CScheduleTask& task = *m_task;
    const CCourseInfo* course = plan.course;
    CTimeTable& mask = plan.fixedMask;
    mask = weekMask;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            const bool open = course->GetType() == COURSE_TYPE_MORNING_READING ? segment == 3
                              : course->GetType() == COURSE_TYPE_SELF_STUDY ? segment == 4
                                                                             : segment < 3;
            if (!open)
                for (int section = 0; section < zem::kSectionCount; ++section)
                    mask.SetValue(day, segment, section, CTimeTable::kInvalid);
        }
    for (const std::string& id : teacherIds)
        Close(mask, FixedTime(task.GetFixedTimeOfTeacherList(), id));
    for (const CTeacherGroupInfo* group : groups) {
        bool member = false;
        for (const std::string& id : teacherIds)
            member = member || group->FindTeacher(id);
        if (member)
            Close(mask, FixedTime(task.GetFixedTimeOfTeacherGroupList(), group->GetId()));
    }
    Close(mask, FixedTime(task.GetFixedTimeOfClassList(), course->GetClassId()));
    Close(mask, FixedTime(task.GetFixedTimeOfSubjectList(), course->GetSubjectId()));
    Close(mask, FixedTime(task.GetFixedTimeOfCourseList(), course->GetId()));
    for (const CClassInfo* cls : plan.partnerClasses)
        Close(mask, FixedTime(task.GetFixedTimeOfClassList(), cls->GetId()));
}

void CAutoScheduler::SetDayLimits(CPlanState& plan)
{
    CCourseInfo* course = plan.course;
    plan.perDayLimit = m_teacherMap.GetPerDayLimit(course->GetTeacherId());
    plan.dayMax = m_task->GetOneDayMaxNodes(course);
    const int nodes = course->GetContinuousNodes();
    const int times = course->GetContinuousTimes();
    plan.extraSingles = nodes > 1 && times != 0 ? std::max(0, plan.saved.GetWholeCount() - times * nodes) : 0;
}

// The weight's terms that stay for the run.
void CAutoScheduler::WeighFixedTerms(CPlanState& plan)
{
    CScheduleTask& task = *m_task;
    const CCourseInfo* course = plan.course;
    const CZemObjectList& list =
        course->GetType() == COURSE_TYPE_PLAN ? task.GetCourseInfoList() : task.GetSelfStudyInfoList();
    int w = 0;
    if (const CClassInfo* cls = plan.cls)
        w += cls->GetPriority();
    if (const CSubjectInfo* subject = task.GetSubject(course->GetSubjectId()))
        w += subject->GetPriority();
    if (const CTeacherInfo* teacher = plan.teacher)
        w += teacher->GetPriority();
    CMutexSubject* mutexSubject = task.GetMutexSubject(course->GetSubjectId());
    plan.g = mutexSubject ? task.GetWeekCountOfMutexSubject(mutexSubject, list, course->GetClassId())
                          : plan.saved.GetWholeCount();
    plan.teacherClasses = task.GetClassCountOfTeacher(list, course->GetTeacherId());
    plan.teacherLessons = task.GetWeekCountOfTeacher(list, course->GetTeacherId());
    w += plan.teacherClasses + plan.teacherLessons + plan.g;
    w += FixedCount(FixedTime(task.GetFixedTimeOfTeacherList(), course->GetTeacherId()));
    w += FixedCount(FixedTime(task.GetFixedTimeOfCourseList(), course->GetId()));
    if (course->GetRoomStrategy() != ROOM_STRATEGY_NONE)
        w += 3;
    if (plan.combined)
        w += 10;
    if (task.GetAssistant(course->GetId()))
        w += 10;
    if (task.GetMutexOfTeacherList().FindTeacherMutexInfo(course->GetTeacherId()))
        w += 10;
    plan.weightBase = w;
}
