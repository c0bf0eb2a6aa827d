#pragma once
// The scheduling rules of a task: fixed no-lesson times of five kinds, preset lessons, combined
// classes, mutually exclusive teachers and subjects, and odd/even-week pairs. Each typed Copy does
// nothing for null or for the object itself; Clone makes an object of the same class.
//
// Node lists only ever hold slots of the grid: a slot read from a file or a table that lies
// outside it is skipped.
#include "base/BasicData.h"
#include "base/SchoolStructure.h"
#include "base/TimeTable.h"
#include "base/ZemObject.h"

#include <string>
#include <unordered_map>
#include <vector>

// A rule object holding a list of slots.
class CNodeListObject : public CZemObject {
public:
    // Drops every slot (a fixed time also its activities).
    virtual void ClearAll() { m_nodes.clear(); }
    bool HasFixedTime() const { return !m_nodes.empty(); }
    bool IsFixedTime(const tagTABLE_NODE& node) const;
    const std::vector<tagTABLE_NODE>& GetNodeList() const { return m_nodes; }

    // ClearAll, then every not-available slot of the table in slot order; nothing for null.
    void ReadFixedTimeFromTable(const CTimeTable* table);
    // "v," per slot with v = day × 100 + segment × 10 + section ("0,12,1305,").
    std::string GetAllFixedTime() const;
    // ClearAll, then the slots of such a text; empty, negative and out-of-grid pieces are skipped.
    void ReadFixedTimeFromString(const std::string& text);

protected:
    // Appends a slot of the grid (repeats allowed); anything else is ignored.
    void AddFixedTime(int day, int segment, int section);
    // Appends the other's slots; the other may be this object.
    void AppendNodes(const CNodeListObject& other);
    // Appends the other's slots that this object does not hold yet.
    void AppendNewNodes(const CNodeListObject& other);
    // Every slot to not available; nothing for null.
    void MarkNodesInvalid(CTimeTable* table) const;
    // Each slot in words (named as GetTimeNodeText with `namesWeek`), with "(activity)" where it has
    // one, joined by "，".
    std::string DescribeNodes(const CActivities* activities, bool namesWeek) const;

private:
    std::vector<tagTABLE_NODE> m_nodes;
};

// Slots at which the object named by the id (a class, plan, subject, teacher or teacher group)
// must have no lesson, each optionally labelled with an activity.
class CFixedTimeOfObject : public CNodeListObject {
public:
    // Adds the other's slots that this entry does not hold yet and takes its activities.
    void Combine(const CZemObject* other) override;
    CFixedTimeOfObject* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    // Id, name, slots and activities.
    virtual void Copy(const CFixedTimeOfObject* other);

    void ClearAll() override;
    CActivities& GetActivities() { return m_activities; }
    const CActivities& GetActivities() const { return m_activities; }
    void WriteFixedTimeToTable(CTimeTable* table) const { MarkNodesInvalid(table); }
    std::string GetAllFixedTimeWithPopularWord(bool namesWeek) const
    {
        return DescribeNodes(&m_activities, namesWeek);
    }

private:
    CActivities m_activities;
};

// The kinds say only which list of the task holds the object and what its id names.
template <class Kind>
class CFixedTimeOfKind : public CFixedTimeOfObject {
public:
    CFixedTimeOfObject* Clone() const override { return CloneByCopy(static_cast<const Kind&>(*this)); }
};
class CFixedTimeOfClass : public CFixedTimeOfKind<CFixedTimeOfClass> {};
class CFixedTimeOfCourse : public CFixedTimeOfKind<CFixedTimeOfCourse> {};
class CFixedTimeOfSubject : public CFixedTimeOfKind<CFixedTimeOfSubject> {};
class CFixedTimeOfTeacher : public CFixedTimeOfKind<CFixedTimeOfTeacher> {};
class CFixedTimeOfTeacherGroup : public CFixedTimeOfKind<CFixedTimeOfTeacherGroup> {};

// Slots at which a plan is placed before the automatic run; the id is the plan's id.
class CCoursePreset : public CNodeListObject {
public:
    CCoursePreset* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    // Id, name and slots.
    virtual void Copy(const CCoursePreset* other);

    int GetFixedTimeCount() const { return static_cast<int>(GetNodeList().size()); }
    void DisableFixedTimeToTable(CTimeTable* table) const { MarkNodesInvalid(table); }
    // Places the plan at every slot: full, half 1 naming this plan and the room. The room index
    // and the odd/even split stay as they are. Nothing for null.
    void WriteFixedTimeToTable(CCourseTable* table, const std::string& roomId) const;
    std::string GetAllFixedTimeWithPopularWord(bool namesWeek) const { return DescribeNodes(nullptr, namesWeek); }
};

// Plans taught together in one lesson.
class CCombineClass : public CIdArrayObject {
public:
    CCombineClass* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    void Copy(const CCombineClass* other) { CopyIds(other); }

    std::vector<std::string>& GetCombineCourse() { return Ids(); }
    const std::vector<std::string>& GetCombineCourse() const { return Ids(); }
    // ASCII case ignored.
    bool HasCourse(const std::string& courseId) const;
};

// The combined classes, with a map from each plan to its group. The map is rebuilt by Remove,
// Replace and ReBuildCourseMap; after Add, Update or Combine the owner rebuilds it.
class CCombineClassList : public CZemObjectList {
public:
    // A plan in two groups maps to the one enumerated last.
    void ReBuildCourseMap();
    // Exact key. Never a group removed since the last rebuild, nor one that no longer holds the plan.
    CCombineClass* FindByCourse(const std::string& courseId) const;

    void Replace(const std::string& oldId, const std::string& newId) override;
    bool Remove(const std::string& id) override;
    bool RemoveAll() override;

private:
    // Plan id to group id: a group that Add replaced is looked up afresh, never through a
    // pointer to the deleted one.
    std::unordered_map<std::string, std::string> m_courseMap;
};

// The teachers who must not teach at the same time as the teacher whose id and name this record has.
class CMutexOfTeacher : public CIdArrayObject {
public:
    CMutexOfTeacher* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    virtual void Copy(const CMutexOfTeacher* other) { CopyIds(other); }

    std::vector<std::string>& GetMutexTeachers() { return Ids(); }
    const std::vector<std::string>& GetMutexTeachers() const { return Ids(); }
};

// The records, with a map from every teacher to all teachers exclusive with it, both directions.
class CMutexOfTeacherList : public CZemObjectList {
public:
    // Rebuilds the map from the records: A: [B] gives A → [B] and B → [A], without repeats.
    void RebuildEachTeacherMap();
    // Null when the teacher has no partner (as of the last rebuild).
    const std::vector<std::string>* FindTeacherMutexInfo(const std::string& teacherId) const;

private:
    void ClearEachTeacherMap() { m_teacherMap.clear(); }
    std::vector<std::string>& BuildEachTeacherInfo(const std::string& teacherId);
    static bool IsInStringArray(const std::vector<std::string>& array, const std::string& id);

    std::unordered_map<std::string, std::vector<std::string>> m_teacherMap;
};

// Subjects that a class must not have on the same day.
class CMutexSubject : public CIdArrayObject {
public:
    CMutexSubject* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    virtual void Copy(const CMutexSubject* other) { CopyIds(other); }

    const std::vector<std::string>& GetSubjectArray() const { return Ids(); }
    void Reset(const std::vector<std::string>& subjectIds) { Ids() = subjectIds; }
};

// Two half-lesson plans sharing a slot: one on odd weeks, the other on even weeks.
class COETeam : public CZemObject {
public:
    // Each of the two ids equal to the old id becomes the new id.
    void Replace(const std::string& oldId, const std::string& newId) override;
    COETeam* Clone() const override { return CloneByCopy(*this); }
    using CZemObject::Copy;
    virtual void Copy(const COETeam* other);

    void Set(const std::string& oddCourseId, const std::string& evenCourseId);
    const std::string& GetOdd() const { return m_oddCourseId; }
    const std::string& GetEven() const { return m_evenCourseId; }
    void Swap() { m_oddCourseId.swap(m_evenCourseId); }
    bool Has(const std::string& courseId) const { return courseId == m_oddCourseId || courseId == m_evenCourseId; }

private:
    std::string m_oddCourseId;
    std::string m_evenCourseId;
};
