// The helper itself, lookups, texts, object lists and the predicates.
#include "app/taskhelper/TaskHelper.h"

#include "app/taskhelper/ExportTableItem.h"
#include "app/taskhelper/PlacementRules.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "base/Utility.h"
#include "platform/Text.h"

CTaskHelper::CTaskHelper(CScheduleTask* task, const CHelperContext& context)
    : m_task(task ? task : context.openTask), m_context(context), m_reason(std::make_unique<Reason>())
{
}

CTaskHelper::~CTaskHelper() = default;

std::shared_ptr<CPlacementRules> CTaskHelper::GetRules()
{
    Rules();
    return m_rules;
}

CPlacementRules& CTaskHelper::Rules()
{
    if (!m_rules)
        m_rules = std::make_shared<CPlacementRules>(*m_task);
    return *m_rules;
}

// ---- Lookups ----

CCourseInfo* CTaskHelper::FindCourse(const std::string& id) const { return m_task ? m_task->FindCourse(id) : nullptr; }
CClassInfo* CTaskHelper::GetClass(const std::string& id) const { return m_task ? m_task->GetClass(id) : nullptr; }
CTeacherInfo* CTaskHelper::GetTeacher(const std::string& id) const { return m_task ? m_task->GetTeacher(id) : nullptr; }
CSubjectInfo* CTaskHelper::GetSubject(const std::string& id) const { return m_task ? m_task->GetSubject(id) : nullptr; }
CRoomInfo* CTaskHelper::GetRoom(const std::string& id) const { return m_task ? m_task->GetRoom(id) : nullptr; }

std::string CTaskHelper::GetClassName(const std::string& id) const
{
    return m_task ? m_task->GetClassNameA(id) : std::string();
}

std::string CTaskHelper::GetTeacherName(const std::string& id) const
{
    return m_task ? m_task->GetTeacherName(id) : std::string();
}

std::string CTaskHelper::GetSubjectName(const std::string& id) const
{
    return m_task ? m_task->GetSubjectName(id) : std::string();
}

std::string CTaskHelper::GetRoomName(const std::string& id) const
{
    const CRoomInfo* room = GetRoom(id);
    return room ? room->GetName() : std::string();
}

CZemTableObject* CTaskHelper::FindObject(const std::string& id, int kind) const
{
    if (!m_task)
        return nullptr;
    switch (kind) {
    case -1:
        if (CZemTableObject* object = GetClass(id))
            return object;
        if (CZemTableObject* object = GetTeacher(id))
            return object;
        return GetRoom(id);
    case 0:
        return GetClass(id);
    case 1:
        return GetTeacher(id);
    case 2:
        return GetRoom(id);
    default:
        return nullptr;
    }
}

std::string CTaskHelper::FindClassIdByName(const std::string& name) const
{
    if (!m_task)
        return {};
    CZemObjectList& classes = m_task->GetClassInfoList();
    std::string id = classes.GetObjectId(name);
    if (id.empty())
        id = classes.GetObjectId(zem::ReplaceAll(zem::ReplaceAll(name, "（", "("), "）", ")"));
    return id;
}

void CTaskHelper::GetAllCourses(std::vector<CCourseInfo*>* out) const
{
    if (!m_task || !out)
        return;
    for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(m_task->GetCourseInfoList()))
        out->push_back(plan);
    for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(m_task->GetSelfStudyInfoList()))
        out->push_back(plan);
}

int CTaskHelper::GetPriorityIndex() const { return m_task ? m_task->GetPrioritySet().GetIndexByDesc("正常") : 1; }

CWeekCount CTaskHelper::GetWeekCount(const CCourseTable* table) const
{
    CWeekCount count;
    if (!m_task || !table)
        return count;
    ForEachSlot(m_task->GetSchoolStructure(), {.counted = false}, [&](const tagTABLE_NODE& node) {
        if (table->IsFullUsed(node))
            count += CWeekCount(1, false);
        else if (table->IsHalfUsed(node))
            count += CWeekCount(0, true);
    });
    return count;
}

void CTaskHelper::GetNodeClassIds(const CCourseTableNode& node, std::vector<std::string>* ids) const
{
    if (!ids)
        return;
    for (int half = 1; half <= (node.IsInterleave() ? 2 : 1); ++half)
        if (const CCourseInfo* plan = FindCourse(node.data(half).GetCourseId()))
            AddUniqueString(*ids, plan->GetClassId());
}

void CTaskHelper::GetNodeObjectIds(const CCourseTableNode& node, int slots, std::vector<std::string>* ids) const
{
    if (!ids || !m_task)
        return;
    const int first = slots == 2 ? 2 : 1;
    const int last = slots == 1 ? 1 : 2;
    for (int half = first; half <= last; ++half) {
        CCourseInfo* plan = FindCourse(node.data(half).GetCourseId());
        if (!plan)
            continue;
        AddUniqueString(*ids, plan->GetClassId());
        AddUniqueString(*ids, plan->GetTeacherId());
        if (const CCombineClass* combined = m_task->GetCC(plan->GetId()))
            for (const std::string& otherId : combined->GetCombineCourse())
                if (otherId != plan->GetId())
                    if (const CCourseInfo* other = FindCourse(otherId))
                        AddUniqueString(*ids, other->GetClassId());
        if (const CCourseAssistant* assistant = m_task->GetAssistant(plan->GetId()))
            for (const std::string& teacherId : assistant->GetAssistants())
                AddUniqueString(*ids, teacherId);
    }
    for (int half = first; half <= last; ++half)
        if (node.data(half).GetRoomHandle() != zem::kNoId)
            AddUniqueString(*ids, node.data(half).GetRoomId());
}

bool CTaskHelper::NodeHasAnyCourse(const CCourseTableNode& node, const std::vector<std::string>& ids) const
{
    for (const std::string& id : ids)
        if (NodeHasCourse(node, id, true))
            return true;
    return false;
}

// ---- Texts ----

std::string CTaskHelper::GetCourseText(const CCourseInfo* plan, bool withClass) const
{
    if (!plan || !m_task)
        return {};
    if (!withClass)
        return m_task->GetCourseDesc(plan);
    return zem::Format("%s %s", m_task->GetClassNameA(plan->GetClassId()).c_str(),
                       m_task->GetSubjectName(plan->GetSubjectId()).c_str());
}

std::string CTaskHelper::GetNodeText(const CCourseTable* table, const tagTABLE_NODE& period, int part) const
{
    if (!table || !m_task)
        return {};
    const CCourseTableNode& node = table->GetNode(period);
    auto subjectOf = [&](int half) {
        const CCourseInfo* plan = FindCourse(node.data(half).GetCourseId());
        return plan ? m_task->GetSubjectName(plan->GetSubjectId()) : std::string();
    };
    if (part == 0 && node.IsInterleave())
        return subjectOf(1) + "," + subjectOf(2);
    return subjectOf(part == 2 ? 2 : 1);
}

std::string NodeToText(const tagTABLE_NODE& period)
{
    return zem::Format("%d-%d-%d", period.day, period.segment, period.section);
}

// ---- Object lists ----

void CTaskHelper::CreateTableItems(const std::vector<std::string>& ids,
                                   std::vector<std::unique_ptr<CExportTableItem>>* out) const
{
    if (!m_task || !out)
        return;
    for (const std::string& id : ids) {
        if (CClassInfo* cls = GetClass(id)) {
            out->push_back(std::make_unique<CExportTableItem>(id, cls->GetName(), TABLE_CLASS, &cls->GetTable(true)));
        } else if (CTeacherInfo* teacher = GetTeacher(id)) {
            out->push_back(
                std::make_unique<CExportTableItem>(id, teacher->GetName(), TABLE_TEACHER, &teacher->GetTable(true)));
        } else if (auto* group = static_cast<CTeacherGroupInfo*>(m_task->GetTeacherGroupInfoList().Find(id))) {
            for (const std::string& teacherId : group->GetTeacherArray())
                if (CTeacherInfo* member = GetTeacher(teacherId))
                    out->push_back(std::make_unique<CExportTableItem>(teacherId, member->GetName(), TABLE_TEACHER,
                                                                      &member->GetTable(true)));
        } else if (CRoomInfo* room = GetRoom(id)) {
            out->push_back(
                std::make_unique<CExportTableItem>(id, room->GetName(), TABLE_ROOM, &room->GetCombineTable(true)));
        }
    }
}

void CTaskHelper::CreateObjectList(const std::vector<std::string>& ids, CZemObjectList* list) const
{
    if (!m_task || !list)
        return;
    const int firstIndex = list->GetCount();
    int added = 0;
    for (const std::string& id : ids) {
        if (list->Find(id))
            continue;
        const CZemTableObject* source = FindObject(id, -1);
        if (!source)
            continue;
        CZemObject* copy = source->Clone();
        copy->SetIndex(firstIndex + added++);
        list->Add(copy);
    }
}

// ---- Predicates ----

bool CTaskHelper::IsTeacherOfCourse(const CCourseInfo* plan, const std::string& teacherId) const
{
    if (!plan || !m_task)
        return false;
    std::vector<std::string> ids;
    m_task->GetAllTeacherId(ids, const_cast<CCourseInfo*>(plan), true);
    return IsStringInArray(ids, teacherId);
}

std::vector<std::string> CTaskHelper::PlansMovedWithTeacher(const std::vector<std::string>& ids,
                                                        const std::string& teacherId) const
{
    std::vector<std::string> moved = ids;
    for (const std::string& id : ids) {
        const CCourseInfo* plan = FindCourse(id);
        if (plan && plan->GetTeacherId() == teacherId)
            for (const CCourseInfo* partner : PartnersTakingTeacher(plan, teacherId, false))
                AddUniqueString(moved, partner->GetId());
    }
    return moved;
}

std::vector<CCourseInfo*> CTaskHelper::PartnersTakingTeacher(const CCourseInfo* plan, const std::string& oldTeacherId,
                                                             bool wholeClass) const
{
    std::vector<CCourseInfo*> partners;
    const CCombineClass* combined = plan && m_task ? m_task->GetCC(plan->GetId()) : nullptr;
    if (!combined)
        return partners;
    for (const std::string& id : combined->GetCombineCourse())
        if (CCourseInfo* other = FindCourse(id); other && other != plan &&
                                                 (wholeClass || other->GetTeacherId() == oldTeacherId))
            partners.push_back(other);
    return partners;
}

bool CTaskHelper::NodeHasCourse(const CCourseTableNode& node, const std::string& planId, bool partners) const
{
    const CCombineClass* combined = partners && m_task ? m_task->GetCC(planId) : nullptr;
    std::vector<zem::IdHandle> held;
    for (int half = 1; half <= 2; ++half)
        node.GetCourseHandles(held, half);
    for (const zem::IdHandle id : held) {
        if (id == zem::kNoId)
            continue;
        const std::string& heldId = zem::IdText(id);
        if (heldId == planId)
            return true;
        if (combined && m_task->GetCC(heldId) == combined)
            return true;
    }
    return false;
}

bool CTaskHelper::IsTeacherInNode(const CCourseTableNode& node, const std::string& teacherId) const
{
    if (!m_task)
        return false;
    for (int half = 1; half <= 2; ++half) {
        const CCourseInfo* plan = FindCourse(node.data(half).GetCourseId());
        if (!plan)
            continue;
        if (zem::EqualsNoCase(plan->GetTeacherId(), teacherId))
            return true;
        if (const CCourseAssistant* assistant = m_task->GetAssistant(plan->GetId()))
            if (IsStringInArray(assistant->GetAssistants(), teacherId))
                return true;
    }
    return false;
}

bool CTaskHelper::IsRoomInNode(const CCourseTableNode& node, const std::string& roomId) const
{
    return node.data(1).GetRoomId() == roomId || node.data(2).GetRoomId() == roomId;
}

bool CTaskHelper::IsSameCombinedClass(const CCourseInfo* a, const CCourseInfo* b) const
{
    if (!a || !b || !m_task)
        return false;
    const CCombineClass* combined = m_task->GetCC(a->GetId());
    return combined && combined == m_task->GetCC(b->GetId());
}

namespace {

// The week part an object has at an interleaved slot: a plan's own half, else the one filled half.
int PartOf(const CZemTableObject* object, const CCourseTableNode& node)
{
    if (!node.IsInterleave())
        return 0;
    if (dynamic_cast<const CCourseInfo*>(object))
        return node.GetOddEven(object->GetId());
    const bool odd = node.data(1).HasCourse();
    const bool even = node.data(2).HasCourse();
    return odd == even ? 0 : odd ? 1 : 2;
}

}  // namespace

bool CTaskHelper::IsOddEvenPair(CZemTableObject* a, CZemTableObject* b, const tagTABLE_NODE& period) const
{
    if (!a || !b)
        return false;
    const int partA = PartOf(a, a->GetTable(true).GetNode(period));
    const int partB = PartOf(b, b->GetTable(true).GetNode(period));
    return (partA == 1 && partB == 2) || (partA == 2 && partB == 1);
}

bool CTaskHelper::CourseUsesRoom(CCourseInfo* plan, const std::string& roomId) const
{
    if (!plan || !m_task)
        return false;
    if (plan->GetRoomStrategy() == ROOM_STRATEGY_FIXED && plan->GetRoomParam() == roomId)
        return true;
    const CCourseTable& table = plan->GetTable(true);
    return ForEachSlot(m_task->GetSchoolStructure(), {.counted = false}, [&](const tagTABLE_NODE& node) {
        return table.IsUsed(node) && IsRoomInNode(table.GetNode(node), roomId);
    });
}

CWeekCount CTaskHelper::CountCourseNodes(const std::string& planId, const CCourseTable* table, int mode) const
{
    CWeekCount count;
    if (!table || !m_task)
        return count;
    ForEachSlot(m_task->GetSchoolStructure(), {.counted = false}, [&](const tagTABLE_NODE& node) {
        if (mode != 2 && !table->IsUsed(node))
            return;
        const CCourseTableNode& cell = table->GetNode(node);
        if (NodeHasCourse(cell, planId, true))
            count += cell.IsInterleave() ? CWeekCount(0, true) : CWeekCount(1, false);
    });
    return count;
}

bool CTaskHelper::IsCourseComplete(const CCourseInfo* plan, const CCourseTable* table, int mode) const
{
    return plan && CountCourseNodes(plan->GetId(), table, mode) >= plan->GetWeekCount();
}

bool CTaskHelper::HasTableConflict(const CCourseTable* a, const CCourseTable* b) const
{
    if (!a || !b || !m_task)
        return false;
    return ForEachSlot(m_task->GetSchoolStructure(), {.counted = false},
                       [&](const tagTABLE_NODE& node) { return IsNodeConflict(*a, *b, node); });
}

bool CTaskHelper::HasLessons(const CCourseTable* table) const
{
    if (!table || !m_task)
        return false;
    return ForEachSlot(m_task->GetSchoolStructure(), {.counted = false},
                       [&](const tagTABLE_NODE& node) { return table->IsUsed(node); });
}

bool CTaskHelper::HasObject(int kind, const std::string& id) const
{
    if (!m_task)
        return false;
    switch (kind) {
    case 0:
        return m_task->GetClassInfoList().Find(id) != nullptr;
    case 1:
        return m_task->GetTeacherInfoList().Find(id) != nullptr;
    case 2:
        return m_task->GetRoomInfoList().Find(id) != nullptr;
    default:
        return false;
    }
}
