// The placement and swap rules, and the reasons of their refusals.
#include "app/taskhelper/PlacementRules.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include "base/Segment.h"
#include "platform/Text.h"

namespace {

constexpr const char* kInvalid = "无效的参数";

template <class T, class U>
bool Contains(const std::vector<T>& items, const U& item)
{
    return std::find(items.begin(), items.end(), item) != items.end();
}

zem::IdHandle Handle(const std::string& id) { return zem::InternId(id); }

}  // namespace

// ---- The reason text ----

const std::string& CTaskHelper::GetText() const
{
    if (m_textStale) {
        m_text = FormatReason(*m_reason);
        m_textStale = false;
    }
    return m_text;
}

void CTaskHelper::SetText(const std::string& text)
{
    Refusal(Reason::kText, {}).text = text;
    m_text = text;
    m_textStale = false;
}

CTaskHelper::Reason& CTaskHelper::Refusal(int kind, const tagTABLE_NODE& node)
{
    Reason& reason = *m_reason;
    reason.kind = static_cast<Reason::Kind>(kind);
    reason.node = node;
    reason.ids[0] = reason.ids[1] = zem::kNoId;
    reason.number = 0;
    reason.list.clear();
    reason.partnerClasses.clear();
    m_textStale = true;
    return reason;
}

bool CTaskHelper::RefuseText(const char* text)
{
    Refusal(Reason::kText, {}).text = text;
    return false;
}

std::string CTaskHelper::FormatReason(const Reason& r) const
{
    if (!m_task)
        return r.text;
    const std::string period = m_task->GetTimeNodeDesc(&r.node);
    auto id = [](zem::IdHandle handle) -> const std::string& { return zem::IdText(handle); };
    std::string text;
    switch (r.kind) {
    case Reason::kText:
        text = r.text;
        break;
    case Reason::kSchoolWide:
        text = zem::Format("%s 是全校固定%s时间", period.c_str(),
                           m_task->GetActivities().GetActivity(r.node).empty() ? "无课" : "活动");
        break;
    case Reason::kPreset:
        text = zem::Format("%s 是预排课设置", period.c_str());
        break;
    case Reason::kClassFixed:
        text = zem::Format("%s 是 %s 班级的固定无课时间", period.c_str(), GetClassName(id(r.ids[0])).c_str());
        break;
    case Reason::kSubjectFixed:
        text = zem::Format("%s 是 %s 课程的固定无课时间", period.c_str(), GetSubjectName(id(r.ids[0])).c_str());
        break;
    case Reason::kTeacherFixed:
        text = zem::Format("%s 是 %s 老师的固定无课时间", period.c_str(), GetTeacherName(id(r.ids[0])).c_str());
        break;
    case Reason::kGroupFixed:
        text = zem::Format("%s 是 %s 老师（%s）的固定无课时间", period.c_str(), GetTeacherName(id(r.ids[0])).c_str(),
                           m_task->GetTeacherGroupInfoList().GetObjectName(id(r.ids[1])).c_str());
        break;
    case Reason::kPlanFixed:
        text = zem::Format("%s 是 %s 的教学计划固定无课时间", period.c_str(),
                           GetCourseText(FindCourse(id(r.ids[0])), false).c_str());
        break;
    case Reason::kMutexTeacher: {
        const std::string busy = GetTeacherName(id(r.ids[0]));
        const std::string own = GetTeacherName(id(r.ids[1]));
        text = zem::Format("%s 老师在 %s 已经有课\n%s 老师和 %s 老师是互斥教师组，不能排在同一时间上课", busy.c_str(),
                           period.c_str(), own.c_str(), busy.c_str());
        break;
    }
    case Reason::kMutexSubject: {
        const std::string other = GetSubjectName(id(r.ids[0]));
        const std::string own = GetSubjectName(id(r.ids[1]));
        text = zem::Format("在 %s 已经安排了 %s 课程\n%s 和 %s 是互斥课程，不能安排在同一天", period.c_str(),
                           other.c_str(), own.c_str(), other.c_str());
        break;
    }
    case Reason::kTeacherBusy: {
        static const char* const kPartNames[] = {"", "单周", "双周"};
        text = zem::Format("%s老师在 %s%s 已经有课【%s】", GetTeacherName(id(r.ids[0])).c_str(), period.c_str(),
                           kPartNames[r.number], GetCourseText(FindCourse(id(r.ids[1])), true).c_str());
        break;
    }
    case Reason::kRoom: {
        std::string plans;
        for (const zem::IdHandle planId : r.list) {
            if (!plans.empty())
                plans += "，";
            const CCourseInfo* plan = FindCourse(id(planId));
            if (const CCombineClass* combined = m_task->GetCC(id(planId)))
                plans += zem::Format("%s %s", m_task->GetCCName(combined).c_str(),
                                     plan ? GetSubjectName(plan->GetSubjectId()).c_str() : "");
            else
                plans += GetCourseText(plan, true);
        }
        text = zem::Format("%s 教室在 %s 已经%s【%s】", GetRoomName(id(r.ids[0])).c_str(), period.c_str(),
                           r.number ? "排满" : "有课", plans.c_str());
        break;
    }
    }
    for (const zem::IdHandle classId : r.partnerClasses)
        text = "合班课程(" + GetClassName(id(classId)) + " 有冲突)\n" + text;
    return text;
}

// ---- Swaps ----

bool CTaskHelper::CanSwap(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b, bool skipPartners)
{
    if (a == b) {
        SetText("");
        return false;
    }
    if (!table || !m_task)
        return RefuseText(kInvalid);
    const bool regular = zem::IsRegularSegment(a.segment) && zem::IsRegularSegment(b.segment);
    if (!regular && a.segment != b.segment)
        return RefuseText("早读、晚自习和普通教学计划之间不能交换位置");
    const CCourseTableNode& nodeA = table->GetNode(a);
    const CCourseTableNode& nodeB = table->GetNode(b);
    if (nodeA == nodeB)
        return RefuseText("这两个节次的内容是一样的，调换没有意义");
    const bool allowed = !nodeA.IsInterleave() && !nodeB.IsInterleave()
                             ? CanSwapPart(table, a, b, 0, skipPartners)
                             : CanSwapPart(table, a, b, 1, skipPartners) && CanSwapPart(table, a, b, 2, skipPartners);
    if (!allowed)
        return false;
    return skipPartners || SwapPartnerClasses(table, a, b);
}

bool CTaskHelper::CanSwapPart(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b, int part,
                              bool skipPartners)
{
    if (!table || !m_task)
        return RefuseText(kInvalid);
    const CCourseTableNode& nodeA = table->GetNode(a);
    const CCourseTableNode& nodeB = table->GetNode(b);
    const int half = part == 2 ? 2 : 1;
    auto side = [&](const CCourseTableNode& node, const tagTABLE_NODE& from, const tagTABLE_NODE& to) {
        const CPlanRules* plan = Rules().PlanOfSlot(node, part);
        if (!plan)
            return true;
        if (!IsPreset(table, from, part) || !CanPlace(table, to, part, plan->plan, node.GetRoomId(half), true))
            return false;
        if (skipPartners)
            return true;
        for (CCourseInfo* partner : plan->partners) {
            CCourseTable* partnerTable = ClassTableOf(partner);
            if (!partnerTable || partnerTable == table || CanSwap(partnerTable, a, b, true))
                continue;
            m_reason->partnerClasses.push_back(Handle(partner->GetClassId()));
            m_textStale = true;
            return false;
        }
        return true;
    };
    return side(nodeA, a, b) && side(nodeB, b, a);
}

// Combined lessons chain: a partner class moves its whole slots, whose other lessons may have
// partners of their own. Those further classes move too, so they must take the swap as well.
bool CTaskHelper::SwapPartnerClasses(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b)
{
    MovedTables& reached = m_reached;
    const std::size_t directCount = TablesMovedWith(table, a, b, reached);
    // The origin's own partners were checked with its lessons. The checks below never come back
    // here (they skip partners), so the list stays as it is while they run.
    for (std::size_t i = directCount; i < reached.size(); ++i) {
        if (CanSwap(reached[i].first, a, b, true))
            continue;
        m_reason->partnerClasses.push_back(Handle(reached[i].second->GetClassId()));
        m_textStale = true;
        return false;
    }
    return true;
}

std::size_t CTaskHelper::TablesMovedWith(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b,
                                         MovedTables& reached)
{
    reached.assign(1, {table, nullptr});
    auto hasPartners = [&](const CCourseTable* t) {
        for (const tagTABLE_NODE& node : {a, b})
            for (int half = 1; half <= 2; ++half)
                if (const CPlanRules* plan = Rules().PlanOfSlot(t->GetNode(node), half); plan && !plan->partners.empty())
                    return true;
        return false;
    };
    if (!hasPartners(table))
        return 1;
    std::size_t directCount = 0;
    for (std::size_t i = 0; i < reached.size(); ++i) {
        const CCourseTableNode* nodes[] = {&reached[i].first->GetNode(a), &reached[i].first->GetNode(b)};
        for (const CCourseTableNode* node : nodes) {
            for (int half = 1; half <= 2; ++half) {
                const CPlanRules* plan = Rules().PlanOfSlot(*node, half);
                if (!plan)
                    continue;
                for (CCourseInfo* partner : plan->partners) {
                    CCourseTable* partnerTable = ClassTableOf(partner);
                    if (!partnerTable)
                        continue;
                    bool known = false;
                    for (const auto& entry : reached)
                        known = known || entry.first == partnerTable;
                    if (!known)
                        reached.emplace_back(partnerTable, partner);
                }
            }
        }
        if (i == 0)
            directCount = reached.size();
    }
    return directCount;
}

bool CTaskHelper::IsPreset(CCourseTable* table, const tagTABLE_NODE& period, int part)
{
    if (!table || !m_task)
        return RefuseText(kInvalid);
    const int slot = SlotOf(period);
    const CCourseTableNode& node = table->GetNode(period);
    const CPlanRules* plan = Rules().PlanOfSlot(node, part);
    if (plan && slot >= 0 && plan->preset[slot]) {
        Refusal(Reason::kPreset, period);
        return false;
    }
    if (part == 0 && node.IsInterleave())
        return IsPreset(table, period, 2);
    return true;
}

// ---- Placing ----

bool CTaskHelper::CheckSlotInWeek(const tagTABLE_NODE& period)
{
    if (!m_task)
        return RefuseText(kInvalid);
    // A section past its segment's count keeps whatever status it had when the count was larger.
    const CSchoolStructure& week = m_task->GetSchoolStructure();
    if (week.IsDayInUse(period.day) && period.section >= 0 &&
        period.section < week.GetSectionNodeMaxCount(period.segment) && !week.IsInvalid(period))
        return true;
    Refusal(Reason::kSchoolWide, period);
    return false;
}

bool CTaskHelper::CanPlaceCourse(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                                 const std::string& room)
{
    return CanPlace(table, period, part, plan, room, false);
}

bool CTaskHelper::CanPlace(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                           const std::string& room, bool inSwap)
{
    if (!table || !plan || !m_task)
        return RefuseText(kInvalid);
    if (!SegmentTakes(period.segment, plan->GetType()))
        return RefuseText("教学计划类型和位置不匹配");
    if (!CheckAtNode(table, period, part, plan, room, inSwap))
        return false;
    // A weekly lesson must fit the even weeks too.
    return part != 0 || CheckAtNode(table, period, 2, plan, room, inSwap);
}

bool CTaskHelper::CheckCourseAtNode(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                                    const std::string& room)
{
    return CheckAtNode(table, period, part, plan, room, false);
}

bool CTaskHelper::CheckAtNode(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                              const std::string& room, bool inSwap)
{
    if (!table || !plan || !m_task)
        return RefuseText(kInvalid);
    const CPlanRules* rules = Rules().Plan(plan);
    const int slot = SlotOf(period);
    if (!rules->complete || slot < 0)
        return RefuseText(kInvalid);
    const CCourseTableNode& cell = table->GetNode(period);
    // The lesson there now, which the new one would replace.
    const CPlanRules* replaced = Rules().PlanOfSlot(cell, part);

    if (!CheckSlotInWeek(period))
        return false;
    if (replaced && replaced->preset[slot]) {
        Refusal(Reason::kPreset, period);
        return false;
    }
    return CheckFixedTimes(*rules, period, slot) && CheckExclusiveTeachers(*rules, period, replaced) &&
           CheckExclusiveSubjects(*rules, table, period, part) &&
           CheckTeachersFree(*rules, period, part, replaced, inSwap) &&
           !RoomConflict(room, period, part, plan, cell.GetRoomId(part == 2 ? 2 : 1), nullptr);
}

// The fixed times of the class, subject, teachers, their groups and the plan itself.
bool CTaskHelper::CheckFixedTimes(const CPlanRules& rules, const tagTABLE_NODE& period, int slot)
{
    if (!rules.blocked[slot])
        return true;
    if (rules.classFixed[slot]) {
        Refusal(Reason::kClassFixed, period).ids[0] = Handle(rules.cls->GetId());
        return false;
    }
    if (rules.subjectFixed[slot]) {
        Refusal(Reason::kSubjectFixed, period).ids[0] = Handle(rules.subject->GetId());
        return false;
    }
    for (const CTeacherRules* teacher : rules.teachers)
        if (!CheckTeacherFixedTimes(*teacher, period, slot))
            return false;
    if (rules.planFixed[slot]) {
        Refusal(Reason::kPlanFixed, period).ids[0] = Handle(rules.plan->GetId());
        return false;
    }
    return true;
}

std::string CTaskHelper::FixedTimeHolder(CCourseInfo* plan, const tagTABLE_NODE& period)
{
    const CPlanRules* rules = plan && m_task ? Rules().Plan(plan) : nullptr;
    const int slot = SlotOf(period);
    if (!rules || slot < 0 || CheckFixedTimes(*rules, period, slot))
        return {};
    const std::string& id = zem::IdText(m_reason->ids[0]);
    switch (m_reason->kind) {
    case Reason::kClassFixed: return "班级";
    case Reason::kSubjectFixed: return GetSubjectName(id);
    case Reason::kTeacherFixed:
    case Reason::kGroupFixed: return GetTeacherName(id);
    default: return "教学计划";
    }
}

// The teacher's own fixed times, then those of the groups listing the teacher.
bool CTaskHelper::CheckTeacherFixedTimes(const CTeacherRules& teacher, const tagTABLE_NODE& period, int slot)
{
    if (teacher.fixed[slot]) {
        Refusal(Reason::kTeacherFixed, period).ids[0] = Handle(teacher.teacher->GetId());
        return false;
    }
    for (const CTeacherRules::Group& group : teacher.groups) {
        if (!group.fixed[slot])
            continue;
        Reason& reason = Refusal(Reason::kGroupFixed, period);
        reason.ids[0] = Handle(teacher.teacher->GetId());
        reason.ids[1] = Handle(group.group->GetId());
        return false;
    }
    return true;
}

// No teacher who may not teach at the same time as one of the plan's is busy then, unless the
// lesson being replaced is that teacher's.
bool CTaskHelper::CheckExclusiveTeachers(const CPlanRules& rules, const tagTABLE_NODE& period,
                                         const CPlanRules* replaced)
{
    const CTeacherInfo* leaving = replaced ? replaced->mainTeacher : nullptr;
    for (const CTeacherRules* teacher : rules.teachers)
        if (!CheckExclusiveOf(*teacher, period, {&leaving, 1}))
            return false;
    return true;
}

bool CTaskHelper::CheckExclusiveOf(const CTeacherRules& teacher, const tagTABLE_NODE& period,
                                   std::span<const CTeacherInfo* const> leaving)
{
    for (const CTeacherInfo* other : teacher.exclusive) {
        if (!other->GetTable(true).IsUsed(period) || std::find(leaving.begin(), leaving.end(), other) != leaving.end())
            continue;
        Reason& reason = Refusal(Reason::kMutexTeacher, period);
        reason.ids[0] = Handle(other->GetId());
        reason.ids[1] = Handle(teacher.teacher->GetId());
        return false;
    }
    return true;
}

// The main teachers of the plan and of its combined-class partners: all of them give up its
// lessons when the class changes teacher.
std::vector<const CTeacherInfo*> CTaskHelper::TeachersGivingUp(CCourseInfo* plan)
{
    std::vector<const CTeacherInfo*> teachers;
    const CPlanRules* rules = plan && m_task ? Rules().Plan(plan) : nullptr;
    if (!rules)
        return teachers;
    teachers.push_back(rules->mainTeacher);
    for (const CCourseInfo* partner : rules->partners)
        teachers.push_back(GetTeacher(partner->GetTeacherId()));
    return teachers;
}

bool CTaskHelper::CanTeacherTakeAt(const std::string& teacherId, const tagTABLE_NODE& period,
                                   std::span<const CTeacherInfo* const> leaving)
{
    const int slot = SlotOf(period);
    const CTeacherRules* teacher = m_task && slot >= 0 ? Rules().Teacher(teacherId) : nullptr;
    if (!teacher)
        return RefuseText(kInvalid);
    return CheckTeacherFixedTimes(*teacher, period, slot) && CheckExclusiveOf(*teacher, period, leaving);
}

// No lesson of an exclusive subject of the same kind elsewhere on the class's day.
bool CTaskHelper::CheckExclusiveSubjects(const CPlanRules& rules, const CCourseTable* table,
                                         const tagTABLE_NODE& period, int part)
{
    if (rules.exclusiveSubjects.empty())
        return true;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
        for (int section = 0; section < zem::kSectionCount; ++section) {
            const tagTABLE_NODE other{period.day, segment, section};
            if (other == period || !table->IsUsed(other))
                continue;
            const CPlanRules* there = Rules().PlanOfSlot(table->GetNode(other), part);
            if (!there || there->subject == rules.subject || !Contains(rules.exclusiveSubjects, there->subject) ||
                there->plan->GetType() != rules.plan->GetType())
                continue;
            Reason& reason = Refusal(Reason::kMutexSubject, other);
            reason.ids[0] = Handle(there->subject->GetId());
            reason.ids[1] = Handle(rules.subject->GetId());
            return false;
        }
    }
    return true;
}

// Every teacher of the plan is free for the weeks of the part, but for the lesson being replaced
// and lessons of the same combined class.
bool CTaskHelper::CheckTeachersFree(const CPlanRules& rules, const tagTABLE_NODE& period, int part,
                                    const CPlanRules* replaced, bool inSwap)
{
    const int half = part == 2 ? 2 : 1;
    for (const CTeacherRules* teacher : rules.teachers) {
        const CCourseTable& own = teacher->teacher->GetTable(true);
        if (!own.IsUsed(period))
            continue;
        const CCourseTableNode& node = own.GetNode(period);
        const zem::IdHandle lessonId = node.GetCourseHandle(half);
        if (lessonId == zem::kNoId || (replaced && Contains(replaced->allTeachers, teacher->teacher)))
            continue;
        const CPlanRules* lesson = Rules().Plan(lessonId);
        if (lesson && lesson->combined && lesson->combined == rules.combined)
            continue;
        // In a swap the partner class's slot moves too, taking the other class's lesson with it;
        // the partner's own check covers where that lesson goes.
        if (inSwap && lesson && rules.combined && rules.combined->GetCombineCourse().size() == 2 &&
            Contains(rules.combinedClasses, static_cast<const CClassInfo*>(lesson->cls)))
            continue;
        Reason& reason = Refusal(Reason::kTeacherBusy, period);
        reason.ids[0] = Handle(teacher->teacher->GetId());
        reason.ids[1] = lessonId;
        if (node.IsInterleave()) {
            const bool odd = node.data(1).HasCourse();
            const bool even = node.data(2).HasCourse();
            reason.number = part != 0 ? part : odd != even ? (odd ? 1 : 2) : 0;
        }
        return false;
    }
    return true;
}

bool CTaskHelper::CheckRoomConflict(const std::string& roomId, const tagTABLE_NODE& period, int part,
                                    const std::string& planId, const std::string& roomAtPeriod, std::string* message)
{
    return RoomConflict(roomId, period, part, FindCourse(planId), roomAtPeriod, message);
}

// With a message the text is written there; without one the conflict becomes the helper's reason.
bool CTaskHelper::RoomConflict(const std::string& roomId, const tagTABLE_NODE& period, int part,
                               const CCourseInfo* plan, const std::string& roomAtPeriod, std::string* message)
{
    if (roomId.empty() || roomId == roomAtPeriod || !m_task)
        return false;
    CRoomInfo* room = m_task->GetRoom(roomId);
    if (!room)
        return false;
    const int half = part == 2 ? 2 : 1;
    const CCombineClass* combined = plan ? Rules().Plan(const_cast<CCourseInfo*>(plan))->combined : nullptr;
    m_scratch.clear();
    CComplexTable& tables = room->GetComplexTable();
    for (int i = 0; const CCourseTable* table = tables.Enum(true, i); ++i) {
        const zem::IdHandle id = table->GetNode(period).GetCourseHandle(half);
        if (id == zem::kNoId)
            continue;
        if (combined && m_task->GetCC(zem::IdText(id)) == combined)
            return false;
        m_scratch.push_back(id);
    }
    if (room->GetCapacity() >= m_scratch.size() + 1)
        return false;
    Reason local;
    Reason& reason = message ? local : Refusal(Reason::kRoom, period);
    reason.kind = Reason::kRoom;
    reason.node = period;
    reason.ids[0] = Handle(roomId);
    reason.number = room->GetCapacity() > 1 ? 1 : 0;
    reason.list = m_scratch;
    if (message)
        *message = FormatReason(local);
    return true;
}

// ---- Teacher changes ----

bool CTaskHelper::IsTeacherGroupFixedTime(const std::string& teacherId, const tagTABLE_NODE& period,
                                          std::string* groupName)
{
    const int slot = SlotOf(period);
    if (!m_task || slot < 0)
        return false;
    const CTeacherRules* teacher = Rules().Teacher(teacherId);
    if (!teacher)
        return false;
    for (const CTeacherRules::Group& group : teacher->groups) {
        if (!group.fixed[slot])
            continue;
        if (groupName)
            *groupName = group.group->GetName();
        return true;
    }
    return false;
}

bool CTaskHelper::CheckTeacherChange(CCourseInfo* plan, CTeacherInfo* newTeacher, int* reason, bool replacesTeacher)
{
    if (!plan || !newTeacher || !m_task)
        return RefuseText(kInvalid);
    if (IsTeacherOfCourse(plan, newTeacher->GetId()))
        return true;
    const CCourseTable& lessons = plan->GetTable(true);
    const CCourseTable& busy = newTeacher->GetTable(true);
    const auto* fixed =
        static_cast<const CFixedTimeOfObject*>(m_task->GetFixedTimeOfTeacherList().Find(newTeacher->GetId()));
    const std::string className = GetClassName(plan->GetClassId());
    const std::string subjectName = GetSubjectName(plan->GetSubjectId());
    const CTeacherRules* taker = Rules().Teacher(newTeacher->GetId());
    const std::vector<const CTeacherInfo*> leaving =
        replacesTeacher ? TeachersGivingUp(plan) : std::vector<const CTeacherInfo*>{};
    bool refused = false;
    ForEachSlot(m_task->GetSchoolStructure(), {.counted = false}, [&](const tagTABLE_NODE& node) {
        if (refused || !lessons.IsUsed(node))
            return;
        const std::string period = m_task->GetTimeNodeDesc(&node);
        std::string group;
        int kind = -1;
        std::string text;
        if (busy.IsUsed(node)) {
            kind = 0;
            text = zem::Format("%s的%s在 %s 已经排课，而 %s 老师在该时间也已经有课。时间冲突。\n", className.c_str(),
                               subjectName.c_str(), period.c_str(), newTeacher->GetName().c_str());
        } else if (fixed && fixed->IsFixedTime(node)) {
            kind = 1;
            text = zem::Format("%s的%s在 %s 已经排课，而该时间是 %s 老师的固定无课时间。您可以调整固定无课时间的设置，"
                               "再修改教师。",
                               className.c_str(), subjectName.c_str(), period.c_str(), newTeacher->GetName().c_str());
        } else if (IsTeacherGroupFixedTime(newTeacher->GetId(), node, &group)) {
            kind = 2;
            text = zem::Format("%s的%s在 %s 已经排课，而该时间是 %s 老师所在教师组（%s）的固定无课时间。"
                               "您可以调整教师组固定无课时间的设置，再修改教师。",
                               className.c_str(), subjectName.c_str(), period.c_str(), newTeacher->GetName().c_str(),
                               group.c_str());
        } else if (taker && !CheckExclusiveOf(*taker, node, leaving)) {
            // The placement's own refusal, kept as its reason.
            kind = 3;
        }
        if (kind < 0)
            return;
        if (kind != 3)
            SetText(text);
        if (reason)
            *reason = kind;
        refused = true;
    });
    return !refused;
}
