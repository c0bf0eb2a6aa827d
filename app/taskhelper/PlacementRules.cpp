#include "app/taskhelper/PlacementRules.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include "platform/Text.h"

void CPlacementRules::AddSlots(SlotSet& set, CZemObjectList& list, const std::string& id)
{
    if (const auto* fixed = static_cast<const CNodeListObject*>(list.Find(id)))
        for (const tagTABLE_NODE& node : fixed->GetNodeList())
            if (const int slot = SlotOf(node); slot >= 0)
                set.set(slot);
}

const CTeacherRules* CPlacementRules::Teacher(const std::string& id)
{
    auto found = m_teachers.find(id);
    if (found != m_teachers.end())
        return found->second.get();
    auto& rules = m_teachers[id];
    CTeacherInfo* teacher = m_task.GetTeacher(id);
    if (!teacher)
        return nullptr;
    rules = std::make_unique<CTeacherRules>();
    rules->teacher = teacher;
    AddSlots(rules->fixed, m_task.GetFixedTimeOfTeacherList(), id);
    if (!m_groupsRead) {
        for (const CTeacherGroupInfo* group : ObjectsInOrder<CTeacherGroupInfo>(m_task.GetTeacherGroupInfoList()))
            m_groups.push_back(group);
        m_groupsRead = true;
    }
    for (const CTeacherGroupInfo* group : m_groups) {
        if (!group->FindTeacher(id))
            continue;
        SlotSet fixed;
        AddSlots(fixed, m_task.GetFixedTimeOfTeacherGroupList(), group->GetId());
        if (fixed.any()) {
            rules->groups.push_back({group, fixed});
            rules->groupFixed |= fixed;
        }
    }
    if (const std::vector<std::string>* others = m_task.GetMutexOfTeacherList().FindTeacherMutexInfo(id))
        for (const std::string& otherId : *others)
            if (CTeacherInfo* other = m_task.GetTeacher(otherId))
                rules->exclusive.push_back(other);
    return rules.get();
}

void CPlacementRules::Fill(CPlanRules& rules, CCourseInfo* plan)
{
    rules.plan = plan;
    rules.id = zem::InternId(plan->GetId());
    rules.cls = m_task.GetClass(plan->GetClassId());
    rules.subject = m_task.GetSubject(plan->GetSubjectId());
    rules.mainTeacher = m_task.GetTeacher(plan->GetTeacherId());
    rules.complete = rules.cls && rules.subject;
    rules.dayMax = m_task.GetOneDayMaxNodes(plan);

    std::vector<std::string> teacherIds;
    m_task.GetAllTeacherId(teacherIds, plan, false);
    rules.complete = rules.complete && !teacherIds.empty();
    for (const std::string& teacherId : teacherIds) {
        const CTeacherRules* teacher = Teacher(teacherId);
        if (!teacher) {
            rules.complete = false;
            continue;
        }
        rules.teachers.push_back(teacher);
        rules.blocked |= teacher->fixed | teacher->groupFixed;
    }
    teacherIds.clear();
    m_task.GetAllTeacherId(teacherIds, plan, true);
    for (const std::string& teacherId : teacherIds)
        if (const CTeacherInfo* teacher = m_task.GetTeacher(teacherId))
            rules.allTeachers.push_back(teacher);

    AddSlots(rules.classFixed, m_task.GetFixedTimeOfClassList(), plan->GetClassId());
    AddSlots(rules.subjectFixed, m_task.GetFixedTimeOfSubjectList(), plan->GetSubjectId());
    AddSlots(rules.planFixed, m_task.GetFixedTimeOfCourseList(), plan->GetId());
    rules.blocked |= rules.classFixed | rules.subjectFixed | rules.planFixed;
    AddSlots(rules.preset, m_task.GetCoursePresetList(), plan->GetId());

    rules.combined = m_task.GetCC(plan->GetId());
    if (rules.combined) {
        for (const std::string& otherId : rules.combined->GetCombineCourse()) {
            CCourseInfo* other = otherId == plan->GetId() ? plan : m_task.FindCourse(otherId);
            if (!other)
                continue;
            if (other != plan) {
                rules.partners.push_back(other);
                rules.group.push_back(zem::InternId(other->GetId()));
            }
            if (const CClassInfo* cls = m_task.GetClass(other->GetClassId()))
                rules.combinedClasses.push_back(cls);
        }
    }

    if (const CMutexSubject* rule = m_task.GetMutexSubject(plan->GetSubjectId())) {
        rules.hasMutexSubject = true;
        for (const std::string& subjectId : rule->GetSubjectArray())
            if (const CSubjectInfo* subject = m_task.GetSubject(subjectId); subject && subject != rules.subject)
                rules.exclusiveSubjects.push_back(subject);
    }

    if (rules.complete)
        rules.allowed = OpenSlots(plan->GetType()) & ~rules.blocked;
    m_task.ResolveCourseNode(plan, rules.targets);
}

const SlotSet& CPlacementRules::OpenSlots(_CourseType type)
{
    const int kind = type == COURSE_TYPE_MORNING_READING ? 1 : type == COURSE_TYPE_SELF_STUDY ? 2 : 0;
    if (!m_openRead) {
        const CSchoolStructure& week = m_task.GetSchoolStructure();
        for (int slot = 0; slot < zem::kSlotCount; ++slot) {
            const tagTABLE_NODE node{slot / (zem::kSegmentCount * zem::kSectionCount),
                                     slot / zem::kSectionCount % zem::kSegmentCount, slot % zem::kSectionCount};
            if (week.IsInvalid(node))
                continue;
            m_open[0][slot] = SegmentTakes(node.segment, COURSE_TYPE_PLAN);
            m_open[1][slot] = SegmentTakes(node.segment, COURSE_TYPE_MORNING_READING);
            m_open[2][slot] = SegmentTakes(node.segment, COURSE_TYPE_SELF_STUDY);
        }
        m_openRead = true;
    }
    return m_open[kind];
}

const CPlanRules CPlacementRules::kNotLooked;

const CPlanRules* CPlacementRules::LookUp(zem::IdHandle id)
{
    CCourseInfo* plan = m_task.FindCourse(zem::IdText(id));
    const CPlanRules* rules = plan ? Plan(plan) : nullptr;
    // A handle beyond those given out is not kept, so the table never grows that far.
    if (id > zem::IdCount())
        return rules;
    if (id >= m_byHandle.size())
        m_byHandle.resize(std::max<std::size_t>(id + 1, m_byHandle.size() * 2), &kNotLooked);
    m_byHandle[id] = rules;
    return rules;
}

const CPlanRules* CPlacementRules::Plan(CCourseInfo* plan)
{
    if (!plan)
        return nullptr;
    if (auto found = m_byPointer.find(plan); found != m_byPointer.end())
        return found->second;
    // A plan object the task does not hold (an edited copy) gets rules of its own too.
    auto rules = std::make_unique<CPlanRules>();
    Fill(*rules, plan);
    const CPlanRules* raw = rules.get();
    m_byPointer.emplace(plan, raw);
    m_owned.push_back(std::move(rules));
    return raw;
}

const std::vector<CCourseInfo*>& CPlacementRules::PlansOf(const CTeacherInfo* teacher)
{
    if (!m_plansOfRead) {
        m_plansOfRead = true;
        std::vector<CCourseInfo*> plans;
        m_task.GetFullCourseList(plans);
        for (CCourseInfo* plan : plans) {
            if (const CTeacherInfo* own = m_task.GetTeacher(plan->GetTeacherId()))
                m_plansOf[own].push_back(plan);
            if (const CCourseAssistant* assistant = m_task.GetAssistant(plan->GetId()))
                for (const std::string& id : assistant->GetAssistants())
                    if (const CTeacherInfo* helper = m_task.GetTeacher(id))
                        m_plansOf[helper].push_back(plan);
        }
    }
    static const std::vector<CCourseInfo*> kNone;
    const auto found = m_plansOf.find(teacher);
    return found == m_plansOf.end() ? kNone : found->second;
}

const std::vector<CClassInfo*>& CPlacementRules::Classes()
{
    if (!m_ordered) {
        m_classes = ObjectsInOrder<CClassInfo>(m_task.GetClassInfoList());
        m_teacherOrder = ObjectsInOrder<CTeacherInfo>(m_task.GetTeacherInfoList());
        m_ordered = true;
    }
    return m_classes;
}

const std::vector<CTeacherInfo*>& CPlacementRules::Teachers()
{
    Classes();
    return m_teacherOrder;
}
