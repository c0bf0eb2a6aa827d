#pragma once
// Planned substitutions: which teacher stands in for an absent (regular) teacher at which of the
// regular teacher's lessons, and the teachers who may. Planning changes nothing in the task.
#include "base/TableNode.h"

#include <map>
#include <string>
#include <vector>

class CCourseInfo;
class CCourseTable;
class CScheduleTask;
class CZemObject;

// One planned substitution. Half 0 a whole lesson; 1 the odd-week, 2 the even-week half of a split
// cell. (day, segment, section, half) is the key: a plan holds one record per key.
struct CSubstituteRecord {
    int day = 0;
    int segment = 0;
    int section = 0;
    int half = 0;
    CZemObject* substitute = nullptr;
};

// The commands of the regular teacher's table, with the lessons they reach.
enum SubstituteMode : int {
    kSubstituteCell = 0,     // the clicked lesson only
    kSubstituteCourse = 1,   // every lesson of the clicked course
    kSubstituteSubject = 2,  // every lesson of the clicked lesson's subject
    kSubstituteAll = 3,      // every lesson
};

class CSubstitutePlan {
public:
    void SetTask(CScheduleTask* task, const std::string& teacherId);
    const std::string& GetTeacherId() const { return m_teacherId; }

    // The regular teacher's used cells, in the week's order over the days in use, that hold a
    // lesson the mode reaches from the clicked cell and half (0 in a whole cell).
    std::vector<tagTABLE_NODE> TargetCells(const tagTABLE_NODE& clicked, int clickedHalf, int mode) const;
    // Gives every reached lesson of the targets the substitute: a split cell's halves one record
    // each, a whole cell one with half 0. A record of the same key gets the new substitute.
    void Assign(const std::vector<tagTABLE_NODE>& targets, const tagTABLE_NODE& clicked, int clickedHalf, int mode,
                CZemObject* substitute);
    void Cancel(const tagTABLE_NODE& cell, int half);
    // A lesson moved by hand from source to target (two lessons swapped): when the regular teacher
    // is among the teachers of either cell, the records of each cell go to the other, keeping
    // their halves.
    void FollowMove(const tagTABLE_NODE& source, const tagTABLE_NODE& target, const std::vector<std::string>& teachers);
    void CancelAll() { m_records.clear(); }

    std::vector<CSubstituteRecord>& GetRecords() { return m_records; }
    const std::vector<CSubstituteRecord>& GetRecords() const { return m_records; }
    // The record of the key, or null.
    const CSubstituteRecord* Find(const tagTABLE_NODE& cell, int half) const;

    // The plan of the regular teacher's lesson in the cell's half (0 and 1 the first), or null.
    CCourseInfo* CourseAt(const tagTABLE_NODE& cell, int half) const;
    // Every used cell of the regular teacher over the days in use, segment and section counts.
    std::vector<tagTABLE_NODE> UsedCells() const;

private:
    const CCourseTable* Table() const;
    bool Matches(const tagTABLE_NODE& cell, int half, const tagTABLE_NODE& clicked, int clickedHalf, int mode) const;

    CScheduleTask* m_task = nullptr;
    std::string m_teacherId;
    std::vector<CSubstituteRecord> m_records;
};

// The teachers who may stand in at the target cells, in the task's teacher order, never the
// regular teacher. Made once for a chooser; Fill runs per keystroke.
class CSubstituteCandidates {
public:
    CSubstituteCandidates(const CScheduleTask& task, const std::string& regularId,
                          const std::vector<tagTABLE_NODE>& targets);

    // freeOnly: no lesson of their own at any target; sameClass / sameSubject: a plan of their own
    // in a class / subject of the target lessons; search: every blank-separated word in the name,
    // its pinyin initials or its full pinyin.
    std::vector<CZemObject*> Fill(bool freeOnly, bool sameClass, bool sameSubject, const std::string& search) const;

    const std::vector<std::string>& GetSubjectIds() const { return m_subjectIds; }
    const std::vector<std::string>& GetClassIds() const { return m_classIds; }

private:
    struct Teacher {
        CZemObject* object;
        bool busy;          // a lesson at a target cell
        bool sameClass;     // a plan in a target class
        bool sameSubject;   // a plan of a target subject
    };
    std::vector<Teacher> m_teachers;
    std::vector<std::string> m_subjectIds;
    std::vector<std::string> m_classIds;
};
