#pragma once
// The basic data of a task: subjects, teachers, teacher groups, classes, rooms, teaching plans and
// the assistant teachers of a plan. Each typed Copy copies everything and does nothing for null or
// for the object itself; Clone makes an object of the same class.
#include "base/TimeTable.h"
#include "base/WeekCount.h"
#include "base/ZemObject.h"

#include <string>
#include <vector>

// A new object of the class, filled by its own typed Copy: what every Clone does.
template <class T>
T* CloneByCopy(const T& object)
{
    auto* clone = new T;
    clone->Copy(&object);
    return clone;
}

// An object whose data is an array of other objects' ids (teachers, plans or subjects).
class CIdArrayObject : public CZemObject {
public:
    // Every element equal to the old id becomes the new id.
    void Replace(const std::string& oldId, const std::string& newId) override;

protected:
    std::vector<std::string>& Ids() { return m_ids; }
    const std::vector<std::string>& Ids() const { return m_ids; }
    // The base fields and the ids; nothing for null or this object.
    void CopyIds(const CIdArrayObject* other);

private:
    std::vector<std::string> m_ids;
};

class CSubjectInfo : public CZemObject {
public:
    CSubjectInfo* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    // Takes the other's short name as GetShortName gives it (its name when it has none).
    virtual void Copy(const CSubjectInfo* other);

    // The name when no short name is set.
    const std::string& GetShortName() const { return m_shortName.empty() ? GetName() : m_shortName; }
    void SetShortName(const std::string& shortName) { m_shortName = shortName; }

private:
    std::string m_shortName;
};

class CTeacherInfo : public CZemTableObject {
public:
    CTeacherInfo* Clone() const override { return CloneByCopy(*this); }
    using CZemTableObject::Copy;
    virtual void Copy(const CTeacherInfo* other) { CZemTableObject::Copy(other); }
};

class CTeacherGroupInfo : public CIdArrayObject {
public:
    CTeacherGroupInfo* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    virtual void Copy(const CTeacherGroupInfo* other) { CopyIds(other); }

    // Appends without looking for the id.
    void AddTeacher(const std::string& teacherId) { Ids().push_back(teacherId); }
    bool FindTeacher(const std::string& teacherId) const;
    // Removes the last element equal to the id, only that one.
    void RemoveTeacher(const std::string& teacherId);
    void RemoveAllTeacher() { Ids().clear(); }
    void ResetGroup(const std::vector<std::string>& teacherIds) { Ids() = teacherIds; }
    const std::vector<std::string>& GetTeacherArray() const { return Ids(); }
};

class CClassInfo : public CZemTableObject {
public:
    CClassInfo* Clone() const override { return CloneByCopy(*this); }
    using CZemTableObject::Copy;
    virtual void Copy(const CClassInfo* other);

    unsigned GetStudentCount() const { return m_studentCount; }
    void SetStudentCount(unsigned count) { m_studentCount = count; }
    const std::string& GetHeadTeacherName() const { return m_headTeacherName; }
    void SetHeadTeacherName(const std::string& name) { m_headTeacherName = name; }

private:
    unsigned m_studentCount = 0;
    std::string m_headTeacherName;
};

// A room holds as many lessons at once as its capacity, one parallel timetable each. Its own two
// tables only serve as the target of GetCombineTable.
class CRoomInfo : public CZemTableObject {
public:
    static constexpr unsigned kMaxCapacity = 999;

    // Capacity 1 with its one parallel timetable, so that a new room can take lessons at once.
    CRoomInfo();

    CRoomInfo* Clone() const override { return CloneByCopy(*this); }
    using CZemTableObject::Copy;
    virtual void Copy(const CRoomInfo* other);
    using CZemTableObject::CopyTable;
    // Short name, both tables and the parallel tables; the capacity stays.
    virtual void CopyTable(const CRoomInfo* other);

    // 0 and negative numbers give 1. More than 999 lessons at once is no room but a damaged number
    // (each place costs two timetables), so the capacity stops there. The parallel tables follow it.
    void SetCapacity(long long capacity);
    unsigned GetCapacity() const { return m_capacity; }
    bool IsComplex() const { return m_capacity > 1; }
    CComplexTable& GetComplexTable() { return m_complexTable; }
    const CComplexTable& GetComplexTable() const { return m_complexTable; }

    // The temp table (temp true) or the table, cleared and filled with the lessons of all parallel
    // tables of that set: each slot shows every lesson held there and is full only when every
    // place is taken.
    CCourseTable& GetCombineTable(bool temp);

protected:
    // Callers reach the room's lessons through its parallel tables or GetCombineTable.
    virtual CCourseTable& GetTable() { return CZemTableObject::GetTable(false); }
    CCourseTable& GetTempTable() override { return CZemTableObject::GetTempTable(); }
    void ReadTempTable() override { CZemTableObject::ReadTempTable(); }
    void SaveTempTable() override { CZemTableObject::SaveTempTable(); }

private:
    unsigned m_capacity = 1;
    CComplexTable m_complexTable;
};

enum ROOM_STRATEGY : int {
    ROOM_STRATEGY_NONE = 0,   // no particular room
    ROOM_STRATEGY_FIXED = 2,  // the room parameter names the room
};

enum _CourseType : int {
    COURSE_TYPE_PLAN = 0,
    COURSE_TYPE_MORNING_READING = 1,
    COURSE_TYPE_SELF_STUDY = 2,
};

// One teaching plan: a subject taught to a class by a teacher so many lessons a week. The engine
// reads these fields in its inner loops: the getters return references and do no work.
class CCourseInfo : public CZemTableObject {
public:
    // Re-points the first of subject, teacher, class and room parameter (in that order) that holds
    // the old id; the others are not looked at.
    void Replace(const std::string& oldId, const std::string& newId) override;
    CCourseInfo* Clone() const override { return CloneByCopy(*this); }
    using CZemTableObject::Copy;
    virtual void Copy(const CCourseInfo* other);

    void SetClass(const std::string& classId) { m_classId = classId; }
    void SetSubject(const std::string& subjectId) { m_subjectId = subjectId; }
    void SetTeacher(const std::string& teacherId) { m_teacherId = teacherId; }
    void SetRoomParam(const std::string& roomParam) { m_roomParam = roomParam; }
    const std::string& GetClassId() const { return m_classId; }
    const std::string& GetSubjectId() const { return m_subjectId; }
    const std::string& GetTeacherId() const { return m_teacherId; }
    const std::string& GetRoomParam() const { return m_roomParam; }

    // A fixed room for a non-empty id, no particular room for the empty one.
    void SetRoom(const std::string& roomId);
    // The fixed room's id, or empty text.
    const std::string& GetSpecialRoomId() const;

    void SetWeekCount(const CWeekCount& count) { m_weekCount = count; }
    CWeekCount& GetWeekCount() { return m_weekCount; }
    const CWeekCount& GetWeekCount() const { return m_weekCount; }
    // Lessons per block of consecutive lessons; blocks only exist from 2 on.
    void SetContinuousNodes(int nodes) { m_continuousNodes = nodes; }
    int GetContinuousNodes() const { return m_continuousNodes; }
    // Blocks per week; the rest of the week count is single lessons.
    void SetContinuousTimes(int times) { m_continuousTimes = times; }
    int GetContinuousTimes() const { return m_continuousTimes; }
    void SetMainCourse(int mainCourse) { m_mainCourse = mainCourse; }
    bool IsMainCourse() const { return m_mainCourse == 1; }
    void SetRoomStrategy(ROOM_STRATEGY strategy) { m_roomStrategy = strategy; }
    ROOM_STRATEGY GetRoomStrategy() const { return m_roomStrategy; }
    void SetType(_CourseType type) { m_type = type; }
    _CourseType GetType() const { return m_type; }

private:
    std::string m_classId;
    std::string m_subjectId;
    std::string m_teacherId;
    int m_mainCourse = 1;
    CWeekCount m_weekCount;
    int m_continuousNodes = 1;
    int m_continuousTimes = 0;
    ROOM_STRATEGY m_roomStrategy = ROOM_STRATEGY_NONE;
    std::string m_roomParam;
    _CourseType m_type = COURSE_TYPE_PLAN;
};

// The assistant teachers of a plan; its id is the plan's id.
class CCourseAssistant : public CIdArrayObject {
public:
    CCourseAssistant* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    virtual void Copy(const CCourseAssistant* other) { CopyIds(other); }

    std::vector<std::string>& GetAssistants() { return Ids(); }
    const std::vector<std::string>& GetAssistants() const { return Ids(); }

    // Equal ids and the same teachers in any order, a repeated teacher as often in both.
    bool operator==(const CCourseAssistant& other) const;
    bool operator!=(const CCourseAssistant& other) const { return !(*this == other); }
};
