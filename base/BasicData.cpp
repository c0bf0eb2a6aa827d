#include "base/BasicData.h"

#include <algorithm>

namespace {

const std::string kNoText;

}  // namespace

// ---- CIdArrayObject

void CIdArrayObject::Replace(const std::string& oldIdRef, const std::string& newIdRef)
{
    // Copies: either id may be an element of the array itself.
    const std::string oldId = oldIdRef;
    const std::string newId = newIdRef;
    std::replace(m_ids.begin(), m_ids.end(), oldId, newId);
}

void CIdArrayObject::CopyIds(const CIdArrayObject* other)
{
    if (!other || other == this)
        return;
    CZemObject::Copy(other);
    m_ids = other->m_ids;
}

// ---- CSubjectInfo

void CSubjectInfo::Copy(const CSubjectInfo* other)
{
    if (!other || other == this)
        return;
    CZemObject::Copy(other);
    m_shortName = other->GetShortName();
}

// ---- CTeacherGroupInfo

bool CTeacherGroupInfo::FindTeacher(const std::string& teacherId) const
{
    return std::find(Ids().begin(), Ids().end(), teacherId) != Ids().end();
}

void CTeacherGroupInfo::RemoveTeacher(const std::string& teacherId)
{
    std::vector<std::string>& ids = Ids();
    auto last = std::find(ids.rbegin(), ids.rend(), teacherId);
    if (last != ids.rend())
        ids.erase(std::next(last).base());
}

// ---- CClassInfo

void CClassInfo::Copy(const CClassInfo* other)
{
    if (!other || other == this)
        return;
    CZemTableObject::Copy(other);
    m_studentCount = other->m_studentCount;
    m_headTeacherName = other->m_headTeacherName;
}

// ---- CRoomInfo

CRoomInfo::CRoomInfo() { m_complexTable.Resize(m_capacity); }

void CRoomInfo::Copy(const CRoomInfo* other)
{
    if (!other || other == this)
        return;
    CZemTableObject::Copy(other);
    SetCapacity(other->m_capacity);
    m_complexTable = other->m_complexTable;
}

void CRoomInfo::CopyTable(const CRoomInfo* other)
{
    if (!other || other == this)
        return;
    CZemTableObject::CopyTable(other);
    m_complexTable = other->m_complexTable;
}

void CRoomInfo::SetCapacity(long long capacity)
{
    m_capacity = static_cast<unsigned>(std::clamp<long long>(capacity, 1, kMaxCapacity));
    m_complexTable.Resize(m_capacity);
}

CCourseTable& CRoomInfo::GetCombineTable(bool temp)
{
    CCourseTable& table = CZemTableObject::GetTable(temp);
    table.Clear();
    m_complexTable.Combine(table, temp);
    return table;
}

// ---- CCourseInfo

void CCourseInfo::Replace(const std::string& oldIdRef, const std::string& newId)
{
    // A copy: the old id may be one of the fields about to change.
    const std::string oldId = oldIdRef;
    for (std::string* field : {&m_subjectId, &m_teacherId, &m_classId, &m_roomParam}) {
        if (*field == oldId) {
            *field = newId;
            return;
        }
    }
}

void CCourseInfo::Copy(const CCourseInfo* other)
{
    if (!other || other == this)
        return;
    CZemTableObject::Copy(other);
    m_classId = other->m_classId;
    m_subjectId = other->m_subjectId;
    m_teacherId = other->m_teacherId;
    m_mainCourse = other->m_mainCourse;
    m_weekCount = other->m_weekCount;
    m_continuousNodes = other->m_continuousNodes;
    m_continuousTimes = other->m_continuousTimes;
    m_roomStrategy = other->m_roomStrategy;
    m_roomParam = other->m_roomParam;
    m_type = other->m_type;
}

void CCourseInfo::SetRoom(const std::string& roomId)
{
    m_roomStrategy = roomId.empty() ? ROOM_STRATEGY_NONE : ROOM_STRATEGY_FIXED;
    m_roomParam = roomId;
}

const std::string& CCourseInfo::GetSpecialRoomId() const
{
    return m_roomStrategy == ROOM_STRATEGY_FIXED ? m_roomParam : kNoText;
}

// ---- CCourseAssistant

bool CCourseAssistant::operator==(const CCourseAssistant& other) const
{
    if (GetId() != other.GetId() || Ids().size() != other.Ids().size())
        return false;
    // Each teacher uses up one entry of the other's, so repeated ids count as often as they occur.
    std::vector<std::string> left = other.Ids();
    for (const std::string& id : Ids()) {
        auto match = std::find(left.begin(), left.end(), id);
        if (match == left.end())
            return false;
        left.erase(match);
    }
    return left.empty();
}
