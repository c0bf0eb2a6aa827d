// Changes of placed lessons in the working timetables: place, remove, clear whole timetables,
// swap, change teacher, room and assistants, and undo a series of edits.
#include "app/taskhelper/PlacementRules.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include "base/Utility.h"
#include "platform/Text.h"

namespace {

int HalfOf(int part) { return part == 2 ? 2 : 1; }

// A shared timetable (a teacher's) may hold another lesson at the slot by now, when a swap has
// already put one there: only the plan's own lesson, or its combined class's, is taken out.
bool SlotHoldsGroup(const CCourseTable& table, const tagTABLE_NODE& period, int part, const CPlanRules& plan)
{
    return plan.Holds(table.GetNode(period).data(HalfOf(part)).GetCourseHandle());
}

// The plans held in a half of a slot: its own lesson, and for a teacher or room the further
// lessons it holds at the same time.
std::vector<std::string> PlansInHalf(const CCourseTableNode& node, int half, bool withFurther)
{
    std::vector<std::string> ids;
    if (withFurther) {
        node.GetCourseIds(ids, half);
    } else if (!node.GetCourseId(half).empty()) {
        ids.push_back(node.GetCourseId(half));
    }
    return ids;
}

// The week part of a class's slot that holds the plan: 0 for a whole slot, 1 or 2 for a half; -1
// when the slot does not hold it.
int PartHolding(const CCourseTableNode& node, const std::string& planId)
{
    if (node.IsInterleave()) {
        if (node.GetCourseId(1) == planId)
            return 1;
        return node.GetCourseId(2) == planId ? 2 : -1;
    }
    return node.GetCourseId(1) == planId ? 0 : -1;
}

}  // namespace

CCourseTable* CTaskHelper::ClassTableOf(const CCourseInfo* plan) const
{
    CClassInfo* cls = plan ? GetClass(plan->GetClassId()) : nullptr;
    return cls ? &cls->GetTable(true) : nullptr;
}

void CTaskHelper::SetCourseNode(CCourseTable* classTable, CCourseInfo* plan, const std::string& room,
                                const tagTABLE_NODE& period, int part)
{
    if (!classTable || !plan || !m_task)
        return;
    m_task->SetCourseNode(Rules().Plan(plan)->targets, room.empty() ? nullptr : GetRoom(room), zem::InternId(room), true,
                          period, part);
}

bool CTaskHelper::PlaceCourseWithPartners(CCourseTable* classTable, CCourseInfo* plan, const std::string& room,
                                          const tagTABLE_NODE& period, int part)
{
    if (!classTable || !plan || !m_task)
        return false;
    const std::vector<CCourseInfo*>& partners = Rules().Plan(plan)->partners;
    // A partner placed unchecked could book its own teacher twice.
    for (CCourseInfo* partner : partners) {
        CCourseTable* table = ClassTableOf(partner);
        if (!table || CanPlace(table, period, part, partner, room, false))
            continue;
        m_reason->partnerClasses.push_back(zem::InternId(partner->GetClassId()));
        m_textStale = true;
        return false;
    }
    for (CCourseInfo* partner : partners)
        SetCourseNode(ClassTableOf(partner), partner, room, period, part);
    SetCourseNode(classTable, plan, room, period, part);
    return true;
}

void CTaskHelper::UnsetCourseNode(CCourseTable* table, CCourseTableNode* node, const tagTABLE_NODE& period, int part)
{
    if (!table || !node || !m_task)
        return;
    const int half = HalfOf(part);
    const zem::IdHandle planId = node->data(half).GetCourseHandle();
    const std::string& roomId = node->data(half).GetRoomId();
    const CPlanRules* found = planId == zem::kNoId ? nullptr : Rules().Plan(planId);
    std::vector<CTeacherInfo*> freed;
    CRoomInfo* freedRoom = nullptr;
    if (found) {
        const CPlanRules& rules = *found;
        CCourseInfo* plan = rules.plan;
        m_task->UnsetTableNode(&plan->GetTable(true), period, part);
        // Its own teacher, then its assistants.
        for (CTeacherInfo* teacher : rules.targets.teachers)
            if (SlotHoldsGroup(teacher->GetTable(true), period, part, rules)) {
                m_task->UnsetTableNode(&teacher->GetTable(true), period, part);
                freed.push_back(teacher);
            }
        if (CRoomInfo* room = GetRoom(roomId)) {
            int index = -1;
            if (CCourseTable* used = room->GetComplexTable().PickUsed(true, period, half, plan->GetId(), index)) {
                // Only a room with every place taken can have lessons there without one.
                int free = -1;
                if (!room->GetComplexTable().PickFree(true, period, part, free))
                    freedRoom = room;
                m_task->UnsetTableNode(used, period, part);
            }
        }
    }
    m_task->UnsetTableNode(table, period, part);
    for (CTeacherInfo* teacher : freed)
        RefillTeacherSlot(*teacher, period);
    if (freedRoom)
        RefillRoomSlot(*freedRoom, period);
}

namespace {

// Visits every class's lesson at the slot, with its plan and week part (0 whole, 1 odd, 2 even),
// in the order the task's reader reads them: the classes in display order, a split cell's odd
// half first.
template <class Visit>
void ForEachClassLessonAt(CPlacementRules& rules, const tagTABLE_NODE& period, Visit visit)
{
    for (CClassInfo* cls : rules.Classes()) {
        const CCourseTableNode& cell = cls->GetTable(true).GetNode(period);
        for (int half = 1; half <= (cell.IsInterleave() ? 2 : 1); ++half) {
            const CCourseTableNode::NodeData& lesson = cell.data(half);
            if (const CPlanRules* plan = lesson.HasCourse() ? rules.Plan(lesson.GetCourseHandle()) : nullptr)
                visit(lesson, *plan, cell.IsInterleave() ? half : 0);
        }
    }
}

}  // namespace

// A teacher booked at one time by two classes (a task may come so from its files) holds one of the
// lessons in the cell: the one the task's reader reads last. When that one goes, the cell is
// written again as the reader would write it from the classes' timetables, so that the timetables
// in memory and those read back from the saved file agree.
void CTaskHelper::RefillTeacherSlot(CTeacherInfo& teacher, const tagTABLE_NODE& period)
{
    // Mostly no other lesson of the teacher is there: the teacher's plans tell without a walk.
    bool another = false;
    for (const CCourseInfo* plan : Rules().PlansOf(&teacher))
        another = another || plan->GetTable(true).IsUsed(period);
    if (!another)
        return;
    CCourseTable& own = teacher.GetTable(true);
    bool emptied = false;
    ForEachClassLessonAt(Rules(), period, [&](const CCourseTableNode::NodeData& lesson, const CPlanRules& plan,
                                              int oddEven) {
        const auto& teachers = plan.targets.teachers;
        if (std::find(teachers.begin(), teachers.end(), &teacher) == teachers.end())
            return;
        if (!emptied)
            m_task->UnsetTableNode(&own, period, 0);
        emptied = true;
        m_task->SetTableNode(&own, lesson, period, oddEven);
    });
}

// Likewise a room the classes' lessons book beyond its places: the reader gives a freed place to
// the first lesson there without one, in the order it reads them.
void CTaskHelper::RefillRoomSlot(CRoomInfo& room, const tagTABLE_NODE& period)
{
    CComplexTable& places = room.GetComplexTable();
    const zem::IdHandle roomId = zem::InternId(room.GetId());
    ForEachClassLessonAt(Rules(), period, [&](const CCourseTableNode::NodeData& lesson, const CPlanRules& plan,
                                              int oddEven) {
        if (lesson.GetRoomHandle() != roomId)
            return;
        // A lesson of a combined class shares its partners' place.
        const int half = oddEven == 2 ? 2 : 1;
        bool placed = places.PickUsedTableIndex(true, period, half, plan.id) >= 0;
        for (const zem::IdHandle partner : plan.targets.combinedIds)
            placed = placed || places.PickUsedTableIndex(true, period, half, partner) >= 0;
        int index = -1;
        if (CCourseTable* place = placed ? nullptr : places.PickFree(true, period, oddEven, index))
            m_task->SetTableNode(place, CCourseTableNode::NodeData(plan.id, roomId, index), period, oddEven);
    });
}

void CTaskHelper::RemoveCourseWithPartners(CCourseTable* table, CCourseTableNode* node, const tagTABLE_NODE& period,
                                           int part)
{
    if (!table || !node || !m_task)
        return;
    if (const CPlanRules* plan = Rules().PlanOfSlot(*node, part)) {
        for (CCourseInfo* partner : plan->partners) {
            CCourseTable* partnerTable = ClassTableOf(partner);
            if (partnerTable && partnerTable != table)
                UnsetCourseNode(partnerTable, &partnerTable->GetNode(period), period, part);
        }
    }
    UnsetCourseNode(table, node, period, part);
}

void CTaskHelper::ClearTimetables(int scope, std::vector<std::string> ids)
{
    CScheduleTask* task = m_task;
    if (!task)
        return;
    if (scope == kClearAll) {
        ids.clear();
        for (const auto& entry : task->GetClassInfoList())
            ids.push_back(entry.first);
    }
    const bool byClass = scope == kClearAll || scope == kClearClasses;
    const CSchoolStructure& week = task->GetSchoolStructure();
    for (const std::string& id : ids) {
        std::vector<CCourseTable*> tables;
        if (byClass) {
            if (CClassInfo* cls = task->GetClass(id))
                tables.push_back(&cls->GetTable(true));
        } else if (scope == kClearTeachers) {
            if (CTeacherInfo* teacher = task->GetTeacher(id))
                tables.push_back(&teacher->GetTable(true));
        } else if (CRoomInfo* room = task->GetRoom(id)) {
            // Each place of a shared room: one merged table would show only one lesson of a slot.
            for (unsigned i = 0; i < room->GetComplexTable().GetCount(); ++i)
                tables.push_back(room->GetComplexTable().Enum(true, static_cast<int>(i)));
        }
        for (CCourseTable* table : tables) {
            ForEachSlot(week, [&](const tagTABLE_NODE& period) {
                if (!table->IsUsed(period))
                    return;
                const CCourseTableNode& node = table->GetNode(period);
                const std::vector<int> parts = node.IsInterleave() ? std::vector<int>{2, 1} : std::vector<int>{0};
                // Taken before anything goes: removing one half changes the slot.
                std::vector<std::pair<int, std::string>> lessons;
                for (int part : parts)
                    for (const std::string& planId : PlansInHalf(node, HalfOf(part), !byClass))
                        lessons.emplace_back(part, planId);
                for (const auto& [part, planId] : lessons) {
                    CCourseInfo* plan = task->FindCourse(planId);
                    if (!plan)
                        continue;
                    if (byClass) {
                        RemoveCourseWithPartners(table, &table->GetNode(period), period, part);
                        continue;
                    }
                    // A teacher's or room's lesson is removed where it belongs, in its class.
                    CClassInfo* cls = task->GetClass(plan->GetClassId());
                    if (!cls)
                        continue;
                    CCourseTable& classTable = cls->GetTable(true);
                    const int classPart = PartHolding(classTable.GetNode(period), planId);
                    if (classPart >= 0)
                        RemoveCourseWithPartners(&classTable, &classTable.GetNode(period), period, classPart);
                }
            });
        }
    }
}

void CTaskHelper::EmptyNode(CCourseTable* table, const tagTABLE_NODE& period)
{
    CCourseTableNode& node = table->GetNode(period);
    if (node.IsInterleave()) {
        if (node.data(2).HasCourse())
            UnsetCourseNode(table, &node, period, 2);
        if (node.data(1).HasCourse())
            UnsetCourseNode(table, &node, period, 1);
    } else if (node.data(1).HasCourse()) {
        UnsetCourseNode(table, &node, period, 0);
    }
}

void CTaskHelper::FillNode(CCourseTable* table, const CCourseTableNode& from, const tagTABLE_NODE& period,
                           std::vector<CCourseInfo*>& placed)
{
    auto put = [&](int half, int part) {
        const CCourseTableNode::NodeData& lesson = from.data(half);
        if (!lesson.HasCourse())
            return;
        if (const CPlanRules* rules = Rules().Plan(lesson.GetCourseHandle())) {
            SetCourseNode(table, rules->plan, lesson.GetRoomId(), period, part);
            placed.push_back(rules->plan);
        } else {
            // A lesson of no known plan still moves with its slot rather than vanish.
            m_task->SetTableNode(table, lesson.GetCourseId(), lesson.GetRoomId(), lesson.GetRoomIndex(), period, part);
        }
    };
    if (from.IsInterleave()) {
        put(1, 1);
        put(2, 2);
    } else {
        put(1, 0);
    }
}

void CTaskHelper::MoveNodeOnce(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b,
                               std::vector<CCourseInfo*>& placed)
{
    const CCourseTableNode nodeA = table->GetNode(a);
    const CCourseTableNode nodeB = table->GetNode(b);
    EmptyNode(table, b);
    FillNode(table, nodeA, b, placed);
    EmptyNode(table, a);
    FillNode(table, nodeB, a, placed);
}

void CTaskHelper::MoveNode(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b,
                           std::vector<std::string>* touchedClasses, bool* partnersMoved)
{
    if (!table || !m_task || a == b || !IsNodeInRange(a) || !IsNodeInRange(b))
        return;
    std::vector<std::string> ownList;
    std::vector<std::string>& touched = touchedClasses ? *touchedClasses : ownList;
    const bool outermost = touched.empty();
    // Nothing below moves slots again, so one list serves every call.
    std::vector<CCourseInfo*>& placed = m_placed;
    placed.clear();
    MoveNodeOnce(table, a, b, placed);
    if (!placed.empty())
        AddUniqueString(touched, placed.front()->GetClassId());
    if (!outermost)
        return;
    // Partner classes move their slots too, and the lessons that come along bring their own
    // partners' classes, so the walk goes on until no new class turns up.
    bool moved = false;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        for (CCourseInfo* partner : Rules().Plan(placed[i])->partners) {
            CCourseTable* partnerTable = ClassTableOf(partner);
            if (!partnerTable || partnerTable == table || IsStringInArray(touched, partner->GetClassId()))
                continue;
            touched.push_back(partner->GetClassId());
            MoveNodeOnce(partnerTable, a, b, placed);
            moved = true;
        }
    }
    if (moved && partnersMoved)
        *partnersMoved = true;
}

bool CTaskHelper::SwapByHand(CCourseTable* table, const tagTABLE_NODE& target, const tagTABLE_NODE& source,
                             std::vector<std::string>* touchedClasses, bool* partnersMoved)
{
    // Asked in the order the picks mark the cells, so a refusal reads as the refused drop's tip.
    if (!CanSwap(table, target, source, false))
        return false;
    MoveNode(table, target, source, touchedClasses, partnersMoved);
    return true;
}

void CTaskHelper::ChangeTeacher(CCourseInfo* plan, CTeacherInfo* oldTeacher, CTeacherInfo* newTeacher,
                                bool wholeClass)
{
    // Without an old teacher (a plan that had none) the lessons only enter the new teacher's table.
    if (!plan || !newTeacher || !m_task)
        return;
    // Every teacher who gives up a plan of the class gives up its lessons, the partners' too.
    std::vector<CTeacherInfo*> leaving{oldTeacher};
    if (plan->GetTeacherId() == newTeacher->GetId())
        for (CCourseInfo* other : PartnersTakingTeacher(plan, oldTeacher ? oldTeacher->GetId() : "", wholeClass)) {
            leaving.push_back(GetTeacher(other->GetTeacherId()));
            other->SetTeacher(newTeacher->GetId());
        }
    m_rules.reset();
    const CPlanRules& rules = *Rules().Plan(plan);
    ForEachPlacedLesson(m_task->GetSchoolStructure(), *plan, [&](const tagTABLE_NODE& node, int part,
                                                                 const CCourseTableNode& cell) {
        const int half = HalfOf(part);
        m_task->SetTableNode(&newTeacher->GetTable(true), plan->GetId(), cell.GetRoomId(half), cell.GetRoomIndex(half),
                             node, part);
        for (CTeacherInfo* teacher : leaving)
            if (teacher && teacher != newTeacher && SlotHoldsGroup(teacher->GetTable(true), node, part, rules))
                m_task->UnsetTableNode(&teacher->GetTable(true), node, part);
    });
}

void CTaskHelper::ApplyAssistantChange(const std::string& planId, const std::vector<std::string>& newAssistants)
{
    CCourseInfo* plan = FindCourse(planId);
    if (!plan)
        return;
    std::vector<std::string> added = newAssistants;
    std::vector<std::string> removed;
    if (const CCourseAssistant* assistant = m_task->GetAssistant(planId))
        removed = assistant->GetAssistants();
    for (auto it = added.begin(); it != added.end();) {
        auto same = std::find_if(removed.begin(), removed.end(),
                                 [&](const std::string& id) { return zem::EqualsNoCase(id, *it); });
        if (same == removed.end()) {
            ++it;
            continue;
        }
        removed.erase(same);
        it = added.erase(it);
    }
    const CPlanRules& rules = *Rules().Plan(plan);
    ForEachPlacedLesson(m_task->GetSchoolStructure(), *plan, [&](const tagTABLE_NODE& node, int part,
                                                                 const CCourseTableNode& cell) {
        const int half = HalfOf(part);
        for (const std::string& teacherId : added)
            if (CTeacherInfo* teacher = GetTeacher(teacherId))
                m_task->SetTableNode(&teacher->GetTable(true), planId, cell.GetRoomId(half), cell.GetRoomIndex(half),
                                     node, part);
        for (const std::string& teacherId : removed)
            if (CTeacherInfo* teacher = GetTeacher(teacherId);
                teacher && SlotHoldsGroup(teacher->GetTable(true), node, part, rules))
                m_task->UnsetTableNode(&teacher->GetTable(true), node, part);
    });
    // The caller stores the new list; the rules read from the old one are dropped.
    m_rules.reset();
}

void CTaskHelper::ChangeRoom(CCourseInfo* plan, const tagTABLE_NODE& period, int part, const std::string& newRoom)
{
    if (!plan || !m_task)
        return;
    const int half = HalfOf(part);
    std::vector<CCourseInfo*> plans{plan};
    for (CCourseInfo* partner : Rules().Plan(plan)->partners)
        plans.push_back(partner);
    for (CCourseInfo* each : plans) {
        const std::string oldRoom = each->GetTable(true).GetNode(period).data(half).GetRoomId();
        if (CRoomInfo* room = GetRoom(oldRoom)) {
            int index = -1;
            if (CCourseTable* used = room->GetComplexTable().PickUsed(true, period, half, each->GetId(), index))
                m_task->UnsetTableNode(used, period, part);
        }
        CCourseTable* classTable = ClassTableOf(each);
        if (classTable && classTable->GetNode(period).data(half).GetCourseId() == each->GetId())
            SetCourseNode(classTable, each, newRoom, period, part);
    }
}

namespace {

template <class Visit>
void ForEachTableObject(CScheduleTask& task, Visit visit)
{
    for (CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList()})
        for (const auto& [id, object] : *list)
            visit(*static_cast<CZemTableObject*>(object));
    for (CZemObjectList* list : {&task.GetCourseInfoList(), &task.GetSelfStudyInfoList()})
        for (const auto& [id, object] : *list)
            visit(*static_cast<CZemTableObject*>(object));
}

template <class Visit>
void ForEachRoomTable(CScheduleTask& task, Visit visit)
{
    for (const auto& [id, object] : task.GetRoomInfoList()) {
        CComplexTable& tables = static_cast<CRoomInfo*>(object)->GetComplexTable();
        visit(tables);
        for (const bool temp : {true, false})
            for (int i = 0; CCourseTable* table = tables.Enum(temp, i); ++i)
                table->SetDirty(false);
    }
}

}  // namespace

void CTaskHelper::RestoreTempTables()
{
    if (m_task)
        m_task->ReadTempTables();
}

// Commits the working tables as the saved ones. Separate from the rest, as it writes the task's
// timetable file.
void CommitTempTables(CScheduleTask& task)
{
    ForEachTableObject(task, [](CZemTableObject& object) {
        object.SaveTempTable();
        object.GetTempTable().SetDirty(false);
    });
    ForEachRoomTable(task, [](CComplexTable& tables) { tables.SaveTemps(); });
}
