#pragma once
// What the placement checks need to know about plans and teachers, read from the task once and
// kept as pointers and slot bit sets, so that a check in the passes' inner loops does no lookup
// by text and builds no text.
#include "app/taskhelper/TaskHelper.h"

#include <algorithm>
#include <bitset>
#include <unordered_map>

using SlotSet = std::bitset<zem::kSlotCount>;

struct CTeacherRules {
    CTeacherInfo* teacher = nullptr;
    SlotSet fixed;  // the teacher's own fixed no-lesson slots
    struct Group {
        const CTeacherGroupInfo* group;
        SlotSet fixed;
    };
    std::vector<Group> groups;  // groups listing the teacher that have fixed slots, in display order
    SlotSet groupFixed;         // all of them together
    std::vector<CTeacherInfo*> exclusive;  // teachers who must not teach at the same time
};

struct CPlanRules {
    CCourseInfo* plan = nullptr;
    zem::IdHandle id = zem::kNoId;
    CClassInfo* cls = nullptr;
    CSubjectInfo* subject = nullptr;
    const CTeacherInfo* mainTeacher = nullptr;
    bool complete = false;  // class, subject and every teacher exist
    std::vector<const CTeacherRules*> teachers;  // own teacher and assistants
    std::vector<const CTeacherInfo*> allTeachers;  // also the teachers of the combined class
    SlotSet classFixed;
    SlotSet subjectFixed;
    SlotSet planFixed;
    SlotSet blocked;  // every fixed slot above and of the teachers and their groups
    SlotSet preset;
    SlotSet allowed;  // where its own rules let it go, whatever the timetables hold
    int dayMax = 0;  // most lessons a day under even spreading
    const CCombineClass* combined = nullptr;
    std::vector<CCourseInfo*> partners;  // the other plans of the combined class that exist
    std::vector<const CClassInfo*> combinedClasses;  // classes of the combined class's plans, itself too
    std::vector<zem::IdHandle> group;  // its own id and its partners' ids
    bool Holds(zem::IdHandle lesson) const { return lesson == id || std::find(group.begin(), group.end(), lesson) != group.end(); }
    std::vector<const CSubjectInfo*> exclusiveSubjects;  // other subjects that must not share its day
    bool hasMutexSubject = false;
    CScheduleTask::CourseNodeTargets targets;  // the tables its lessons are written to
};

class CPlacementRules {
public:
    explicit CPlacementRules(CScheduleTask& task) : m_task(task) {}

    CScheduleTask& Task() { return m_task; }
    // Null for an unknown plan.
    const CPlanRules* Plan(zem::IdHandle id)
    {
        // Handles are small numbers given out in order: a plain table finds them quickest.
        if (id < m_byHandle.size() && m_byHandle[id] != &kNotLooked)
            return m_byHandle[id];
        return LookUp(id);
    }
    const CPlanRules* Plan(CCourseInfo* plan);
    const CPlanRules* PlanOfSlot(const CCourseTableNode& cell, int part)
    {
        // A whole-week lesson holds both week parts.
        const zem::IdHandle id = cell.GetCourseHandle(part == 2 ? 2 : 1);
        return id == zem::kNoId ? nullptr : Plan(id);
    }
    const CTeacherRules* Teacher(const std::string& id);

    // The plans the teacher teaches or assists in, read once.
    const std::vector<CCourseInfo*>& PlansOf(const CTeacherInfo* teacher);
    // Display order (the order field, then the id), so that every run walks them the same way.
    const std::vector<CClassInfo*>& Classes();
    const std::vector<CTeacherInfo*>& Teachers();

private:
    const CPlanRules* LookUp(zem::IdHandle id);
    // The week's slots in the segments that take plans of the kind.
    const SlotSet& OpenSlots(_CourseType type);
    void Fill(CPlanRules& rules, CCourseInfo* plan);

    static const CPlanRules kNotLooked;  // marks a handle not looked up yet
    void AddSlots(SlotSet& set, CZemObjectList& list, const std::string& id);

    CScheduleTask& m_task;
    std::vector<std::unique_ptr<CPlanRules>> m_owned;
    std::vector<const CPlanRules*> m_byHandle;  // null for an unknown plan
    std::unordered_map<const CCourseInfo*, const CPlanRules*> m_byPointer;
    std::unordered_map<std::string, std::unique_ptr<CTeacherRules>> m_teachers;
    SlotSet m_open[3];  // teaching plans, morning reading, evening self-study
    bool m_openRead = false;
    std::vector<const CTeacherGroupInfo*> m_groups;
    bool m_groupsRead = false;
    std::vector<CClassInfo*> m_classes;
    std::vector<CTeacherInfo*> m_teacherOrder;
    bool m_ordered = false;
    std::unordered_map<const CTeacherInfo*, std::vector<CCourseInfo*>> m_plansOf;
    bool m_plansOfRead = false;
};


// Why a check refused, with the objects it names as ids; GetText writes it out.
struct CTaskHelper::Reason {
    enum Kind : std::uint8_t {
        kText,            // text
        kSchoolWide,      // node; number 1 when the slot has an activity
        kPreset,          // node
        kClassFixed,      // node, ids[0] class
        kSubjectFixed,    // node, ids[0] subject
        kTeacherFixed,    // node, ids[0] teacher
        kGroupFixed,      // node, ids[0] teacher, ids[1] group
        kPlanFixed,       // node, ids[0] plan
        kMutexTeacher,    // node, ids[0] busy teacher, ids[1] the plan's teacher
        kMutexSubject,    // node (the other slot), ids[0] its subject, ids[1] this subject
        kTeacherBusy,     // node, ids[0] teacher, ids[1] plan there, number week part name
        kRoom,            // node, ids[0] room, number 1 full, list the plans there
    };
    Kind kind = kText;
    tagTABLE_NODE node{};
    zem::IdHandle ids[2]{};
    int number = 0;
    std::string text;
    std::vector<zem::IdHandle> list;
    std::vector<zem::IdHandle> partnerClasses;  // "合班课程" prefixes, innermost first
};
