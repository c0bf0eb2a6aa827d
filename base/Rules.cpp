#include "base/Rules.h"

#include "base/Utility.h"
#include "platform/Text.h"

#include <algorithm>

// ---- CNodeListObject

bool CNodeListObject::IsFixedTime(const tagTABLE_NODE& node) const
{
    return std::find(m_nodes.begin(), m_nodes.end(), node) != m_nodes.end();
}

void CNodeListObject::AddFixedTime(int day, int segment, int section)
{
    if (IsNodeInRange(day, segment, section))
        m_nodes.push_back({day, segment, section});
}

void CNodeListObject::AppendNodes(const CNodeListObject& other)
{
    // Through a copy: appending its own list grows it while it is read.
    const std::vector<tagTABLE_NODE> theirs = other.m_nodes;
    for (const tagTABLE_NODE& node : theirs)
        AddFixedTime(node.day, node.segment, node.section);
}

void CNodeListObject::AppendNewNodes(const CNodeListObject& other)
{
    const std::vector<tagTABLE_NODE> theirs = other.m_nodes;
    for (const tagTABLE_NODE& node : theirs)
        if (!IsFixedTime(node))
            AddFixedTime(node.day, node.segment, node.section);
}

void CNodeListObject::ReadFixedTimeFromTable(const CTimeTable* table)
{
    if (!table)
        return;
    ClearAll();
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (table->IsInvalid(day, segment, section))
                    m_nodes.push_back({day, segment, section});
}

void CNodeListObject::MarkNodesInvalid(CTimeTable* table) const
{
    if (!table)
        return;
    for (const tagTABLE_NODE& node : m_nodes)
        table->SetValue(node, CTimeTable::kInvalid);
}

std::string CNodeListObject::GetAllFixedTime() const
{
    std::string text;
    for (const tagTABLE_NODE& node : m_nodes)
        text += zem::Format("%d,", node.day * 100 + node.segment * 10 + node.section);
    return text;
}

void CNodeListObject::ReadFixedTimeFromString(const std::string& text)
{
    ClearAll();
    std::vector<std::string> pieces;
    SplitTextToArray(text, ",", pieces, true);
    for (const std::string& piece : pieces) {
        // A value naming no slot of the grid ("9999"; "59" has section 9) is skipped rather than
        // read into another slot.
        const int value = zem::ParseIntPrefix(piece);
        if (value >= 0)
            AddFixedTime(value / 100, value / 10 % 10, value % 10);
    }
}

std::string CNodeListObject::DescribeNodes(const CActivities* activities, bool namesWeek) const
{
    std::string text;
    for (const tagTABLE_NODE& node : m_nodes) {
        if (!text.empty())
            text += "，";
        text += GetTimeNodeText(&node, namesWeek);
        if (activities) {
            const std::string& activity = activities->GetActivity(node);
            if (!activity.empty())
                text += "(" + activity + ")";
        }
    }
    return text;
}

// ---- CFixedTimeOfObject

void CFixedTimeOfObject::Combine(const CZemObject* other)
{
    const auto* fixed = dynamic_cast<const CFixedTimeOfObject*>(other);
    if (!fixed)
        return;
    // A set of slots: one the entry holds already is not listed twice.
    AppendNewNodes(*fixed);
    m_activities.Combine(fixed->m_activities);
}

void CFixedTimeOfObject::Copy(const CFixedTimeOfObject* other)
{
    // Clearing first would empty a copy onto itself.
    if (!other || other == this)
        return;
    CZemObject::Copy(other);
    ClearAll();
    AppendNodes(*other);
    m_activities = other->m_activities;
}

void CFixedTimeOfObject::ClearAll()
{
    CNodeListObject::ClearAll();
    m_activities.GetMap().clear();
}

// ---- CCoursePreset

void CCoursePreset::Copy(const CCoursePreset* other)
{
    if (!other || other == this)
        return;
    CZemObject::Copy(other);
    ClearAll();
    AppendNodes(*other);
}

void CCoursePreset::WriteFixedTimeToTable(CCourseTable* table, const std::string& roomId) const
{
    if (!table)
        return;
    const zem::IdHandle course = zem::InternId(GetId());
    const zem::IdHandle room = zem::InternId(roomId);
    for (const tagTABLE_NODE& node : GetNodeList()) {
        table->SetValue(node, CTimeTable::kFullUsed);
        CCourseTableNode::NodeData& half = table->GetNode(node).data(1);
        half.SetCourseHandle(course);
        half.SetRoomHandle(room);
    }
}

// ---- CCombineClass

bool CCombineClass::HasCourse(const std::string& courseId) const { return IsStringInArray(Ids(), courseId); }

// ---- CCombineClassList

void CCombineClassList::ReBuildCourseMap()
{
    m_courseMap.clear();
    for (const auto& [id, object] : *this)
        if (const auto* group = dynamic_cast<const CCombineClass*>(object))
            for (const std::string& courseId : group->GetCombineCourse())
                m_courseMap[courseId] = group->GetId();
}

CCombineClass* CCombineClassList::FindByCourse(const std::string& courseId) const
{
    auto it = m_courseMap.find(courseId);
    if (it == m_courseMap.end())
        return nullptr;
    auto* group = dynamic_cast<CCombineClass*>(Find(it->second));
    if (!group)
        return nullptr;
    // The group under that id may have been replaced by one without the plan.
    const std::vector<std::string>& courses = group->GetCombineCourse();
    return std::find(courses.begin(), courses.end(), courseId) != courses.end() ? group : nullptr;
}

void CCombineClassList::Replace(const std::string& oldId, const std::string& newId)
{
    CZemObjectList::Replace(oldId, newId);
    ReBuildCourseMap();
}

bool CCombineClassList::Remove(const std::string& id)
{
    CZemObjectList::Remove(id);
    ReBuildCourseMap();
    return true;
}

bool CCombineClassList::RemoveAll()
{
    CZemObjectList::RemoveAll();
    m_courseMap.clear();
    return true;
}

// ---- CMutexOfTeacherList

void CMutexOfTeacherList::RebuildEachTeacherMap()
{
    ClearEachTeacherMap();
    for (const auto& [id, object] : *this) {
        const auto* record = dynamic_cast<const CMutexOfTeacher*>(object);
        if (!record)
            continue;
        const std::string& teacher = record->GetId();
        const std::vector<std::string>& partners = record->GetMutexTeachers();
        // References into the map stay valid while it grows.
        std::vector<std::string>& own = BuildEachTeacherInfo(teacher);
        for (auto partner = partners.rbegin(); partner != partners.rend(); ++partner) {
            if (!IsInStringArray(own, *partner))
                own.push_back(*partner);
        }
        for (const std::string& partner : partners) {
            std::vector<std::string>& theirs = BuildEachTeacherInfo(partner);
            if (!IsInStringArray(theirs, teacher))
                theirs.push_back(teacher);
        }
    }
}

const std::vector<std::string>* CMutexOfTeacherList::FindTeacherMutexInfo(const std::string& teacherId) const
{
    auto it = m_teacherMap.find(teacherId);
    return it == m_teacherMap.end() ? nullptr : &it->second;
}

std::vector<std::string>& CMutexOfTeacherList::BuildEachTeacherInfo(const std::string& teacherId)
{
    return m_teacherMap[teacherId];
}

bool CMutexOfTeacherList::IsInStringArray(const std::vector<std::string>& array, const std::string& id)
{
    return std::find(array.rbegin(), array.rend(), id) != array.rend();
}

// ---- COETeam

void COETeam::Replace(const std::string& oldIdRef, const std::string& newIdRef)
{
    // Copies: the caller may pass this pair's own ids.
    const std::string oldId = oldIdRef;
    const std::string newId = newIdRef;
    if (m_oddCourseId == oldId)
        m_oddCourseId = newId;
    if (m_evenCourseId == oldId)
        m_evenCourseId = newId;
}

void COETeam::Copy(const COETeam* other)
{
    if (!other || other == this)
        return;
    CZemObject::Copy(other);
    m_oddCourseId = other->m_oddCourseId;
    m_evenCourseId = other->m_evenCourseId;
}

void COETeam::Set(const std::string& oddCourseId, const std::string& evenCourseId)
{
    m_oddCourseId = oddCourseId;
    m_evenCourseId = evenCourseId;
}
