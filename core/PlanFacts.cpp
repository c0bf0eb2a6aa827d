// What the scheduler works out once per run about every plan: the objects it touches, the slots
// closed to it for the whole run, and the parts of its weight that do not change between tries.
#include "core/Engine.h"

#include "base/Segment.h"
#include "base/Utility.h"
#include "platform/Text.h"

#include <algorithm>

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

// The loads a plan's weight counts, gathered in one walk over a plan list rather than one walk
// per plan. Ids compare as the task's queries compare them: teachers and classes without case.
class CListLoads {
public:
    explicit CListLoads(const CZemObjectList& list)
    {
        for (const auto& [id, object] : list) {
            const auto* course = static_cast<const CCourseInfo*>(object);
            TeacherLoad& load = m_teachers[zem::ToLowerAscii(course->GetTeacherId())];
            if (std::find(load.classIds.begin(), load.classIds.end(), course->GetClassId()) == load.classIds.end())
                load.classIds.push_back(course->GetClassId());
            load.lessons += course->GetWeekCount();
            m_classes[zem::ToLowerAscii(course->GetClassId())].push_back(course);
        }
    }

    int ClassCountOfTeacher(const std::string& teacherId) const
    {
        const TeacherLoad* load = Find(teacherId);
        return load ? static_cast<int>(load->classIds.size()) : 0;
    }

    int WeekCountOfTeacher(const std::string& teacherId) const
    {
        const TeacherLoad* load = Find(teacherId);
        return load ? load->lessons.GetWholeCount() : 0;
    }

    int WeekCountOfMutexSubject(const CMutexSubject& rule, const std::string& classId) const
    {
        CWeekCount sum;
        auto it = m_classes.find(zem::ToLowerAscii(classId));
        if (it != m_classes.end())
            for (const CCourseInfo* course : it->second)
                if (IsStringInArray(rule.GetSubjectArray(), course->GetSubjectId()))
                    sum += course->GetWeekCount();
        return sum.GetWholeCount();
    }

private:
    struct TeacherLoad {
        std::vector<std::string> classIds;
        CWeekCount lessons;
    };

    const TeacherLoad* Find(const std::string& teacherId) const
    {
        auto it = m_teachers.find(zem::ToLowerAscii(teacherId));
        return it == m_teachers.end() ? nullptr : &it->second;
    }

    std::unordered_map<std::string, TeacherLoad> m_teachers;
    std::unordered_map<std::string, std::vector<const CCourseInfo*>> m_classes;
};

// The weight's terms that stay for the run.
void WeighFixedTerms(CScheduleTask& task, CPlanState& plan, const CListLoads& loads)
{
    const CCourseInfo* course = plan.course;
    int w = 0;
    if (const CClassInfo* cls = plan.cls)
        w += cls->GetPriority();
    if (const CSubjectInfo* subject = task.GetSubject(course->GetSubjectId()))
        w += subject->GetPriority();
    if (const CTeacherInfo* teacher = plan.teacher)
        w += teacher->GetPriority();
    const CMutexSubject* mutexSubject = task.GetMutexSubject(course->GetSubjectId());
    plan.g = mutexSubject ? loads.WeekCountOfMutexSubject(*mutexSubject, course->GetClassId())
                          : plan.saved.GetWholeCount();
    plan.teacherClasses = loads.ClassCountOfTeacher(course->GetTeacherId());
    plan.teacherLessons = loads.WeekCountOfTeacher(course->GetTeacherId());
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

// Numbers the distinct keys in the order they are first met.
template <class Key>
class CNumbering {
public:
    int operator()(const Key& key) { return m_numbers.try_emplace(key, static_cast<int>(m_numbers.size())).first->second; }
    int Count() const { return static_cast<int>(m_numbers.size()); }

private:
    std::unordered_map<Key, int> m_numbers;
};

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
    const CListLoads planLoads(m_task->GetCourseInfoList());
    const CListLoads selfStudyLoads(m_task->GetSelfStudyInfoList());
    NumberKeys();
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
        WeighFixedTerms(*m_task, plan, plan.course->GetType() == COURSE_TYPE_PLAN ? planLoads : selfStudyLoads);
    }
    // Once every plan's id is interned, so that the ids of combined classes are found in cells.
    for (CPlanState& plan : m_plans)
        m_task->ResolveCourseNode(plan.course, plan.targets);
    ListTeams();
}

// Dense numbers for the ids the tries compare plans by (exactly, as the ids' texts).
void CAutoScheduler::NumberKeys()
{
    CNumbering<std::string> teachers;
    CNumbering<std::string> classes;
    CNumbering<std::string> subjects;
    m_classPlans.clear();
    for (std::size_t i = 0; i < m_plans.size(); ++i) {
        CPlanState& plan = m_plans[i];
        plan.teacherIndex = teachers(plan.course->GetTeacherId());
        plan.classIndex = classes(plan.course->GetClassId());
        plan.subjectIndex = subjects(plan.course->GetSubjectId());
        if (plan.classIndex == static_cast<int>(m_classPlans.size()))
            m_classPlans.emplace_back();
        m_classPlans[plan.classIndex].push_back(static_cast<int>(i));
    }
    m_lastSide.assign(static_cast<std::size_t>(teachers.Count()), 0);
    m_subjectCounts.assign(static_cast<std::size_t>(subjects.Count()), 0);
}

// The user's odd/even teams, in display order, by the handles of their ids.
void CAutoScheduler::ListTeams()
{
    m_teams.clear();
    for (const COETeam* team : ObjectsInOrder<const COETeam>(m_task->GetOETeamList()))
        m_teams.emplace_back(HandleToMatch(team->GetOdd()), HandleToMatch(team->GetEven()));
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
    m_presetPlans.clear();
    for (const CCoursePreset* preset : m_presets)
        m_presetPlans.push_back(PlanOf(preset->GetId()));
    m_sortByMainType = m_teacherMap.IsSortByMainType();
    const CSchoolStructure& week = task.GetSchoolStructure();
    m_daysInUse.clear();
    m_slotInUse.fill(0);
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (!week.IsDayInUse(day))
            continue;
        m_daysInUse.push_back(day);
        std::fill_n(&m_slotInUse[SlotOf(day, 0, 0)], zem::kSegmentCount * zem::kSectionCount, 1);
    }
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        m_sectionCounts[segment] = week.GetSectionNodeMaxCount(segment);
    m_concentrate = task.GetTaskSetting().GetConcentrateByTeacher();
    m_concentrateSelfStudy = task.GetTaskSetting().GetConcentrateSelfstudy();
    m_roomOf.clear();
    m_tablesReset = false;
    m_committedCopied = false;
}

void CAutoScheduler::FindPlanObjects(CPlanState& plan, const std::vector<std::string>& teacherIds)
{
    CScheduleTask& task = *m_task;
    const CCourseInfo* course = plan.course;
    plan.id = zem::InternId(course->GetId());
    plan.cls = task.GetClass(course->GetClassId());
    plan.teacher = task.GetTeacher(course->GetTeacherId());
    plan.combined = task.GetCC(course->GetId());
    plan.saved = course->GetWeekCount();
    plan.teachers.clear();
    for (const std::string& id : teacherIds)
        if (CTeacherInfo* teacher = task.GetTeacher(id))
            plan.teachers.push_back(teacher);
    plan.mergedDayMax = -1;
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
    // Among the plans of its own list and class, in order.
    const bool isPlan = course->GetType() == COURSE_TYPE_PLAN;
    const int first = isPlan ? 0 : m_planCount;
    const int last = isPlan ? m_planCount : static_cast<int>(m_plans.size());
    for (int i : m_classPlans[plan.classIndex]) {
        const CCourseInfo* other = m_plans[i].course;
        if (i >= first && i < last && other != course && other->GetType() == course->GetType() &&
            other->GetSubjectId() != course->GetSubjectId() &&
            IsStringInArray(mutexSubject->GetSubjectArray(), other->GetSubjectId()))
            plan.mutexSubjectPlans.push_back(i);
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
    CTimeTable mask = weekMask;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            const bool open = course->GetType() == COURSE_TYPE_MORNING_READING ? segment == zem::kMorningReading
                              : course->GetType() == COURSE_TYPE_SELF_STUDY ? segment == zem::kEveningStudy
                                                                             : zem::IsRegularSegment(segment);
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
    const CTimeTable::Status* values = mask.GetValues();
    for (int slot = 0; slot < zem::kSlotCount; ++slot)
        plan.fixedClosed[slot] = values[slot] == CTimeTable::kInvalid;
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
