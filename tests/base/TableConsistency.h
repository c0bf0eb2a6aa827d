#pragma once
// Checks that a task's timetables tell one story: every lesson of a plan's own table sits in its
// class's, teacher's, assistants' and room's tables, every lesson in those tables belongs to a plan
// that has it in its own table, and every status says what its cell holds (0 empty, 50 one half
// of a split cell, 100 full). Lessons of a combined class may share a teacher's or room's cell.
#include "base/ScheduleTask.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace table_consistency {

inline bool HalfHolds(const CCourseTableNode& cell, int half)
{
    return cell.data(half).HasCourse() || cell.HasMoreData(half);
}

inline CTimeTable::Status ExpectedStatus(const CCourseTableNode& cell)
{
    if (!cell.IsInterleave())
        return HalfHolds(cell, 1) ? CTimeTable::kFullUsed : CTimeTable::kFree;
    const int halves = (HalfHolds(cell, 1) ? 1 : 0) + (HalfHolds(cell, 2) ? 1 : 0);
    return halves == 2 ? CTimeTable::kFullUsed : halves == 1 ? CTimeTable::kHalfUsed : CTimeTable::kFree;
}

class Checker {
public:
    Checker(CScheduleTask& task, bool temp) : task_(task), temp_(temp) {}

    std::vector<std::string> Run()
    {
        std::vector<CCourseInfo*> courses;
        task_.GetFullCourseList(courses);
        for (CCourseInfo* course : courses) {
            CheckStatuses("plan " + course->GetId(), course->GetTable(temp_));
            ForEachLesson(course->GetTable(temp_), [&](const tagTABLE_NODE& node, int half, const Lesson& lesson) {
                CheckPlanLesson(*course, node, half, lesson);
            });
        }
        for (const auto& [id, object] : task_.GetClassInfoList())
            CheckHolder("class " + id, static_cast<CClassInfo*>(object)->GetTable(temp_), nullptr, -1);
        for (const auto& [id, object] : task_.GetTeacherInfoList())
            CheckHolder("teacher " + id, static_cast<CTeacherInfo*>(object)->GetTable(temp_), nullptr, -1);
        for (const auto& [id, object] : task_.GetRoomInfoList()) {
            CComplexTable& set = static_cast<CRoomInfo*>(object)->GetComplexTable();
            for (int i = 0; CCourseTable* table = set.Enum(temp_, i); ++i)
                CheckHolder("room " + id + "#" + std::to_string(i), *table, &id, i);
        }
        return problems_;
    }

private:
    using Lesson = CCourseTableNode::NodeData;

    template <class Visit>
    static void ForEachLesson(const CCourseTable& table, Visit visit)
    {
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const tagTABLE_NODE node{day, segment, section};
                    const CCourseTableNode& cell = table.GetNode(node);
                    for (int half = 1; half <= (cell.IsInterleave() ? 2 : 1); ++half)
                        if (cell.data(half).HasCourse())
                            visit(node, half, cell.data(half));
                }
    }

    static std::string Where(const tagTABLE_NODE& node, int half)
    {
        std::ostringstream out;
        out << " at " << node.day << "/" << node.segment << "/" << node.section << " half " << half << ": ";
        return out.str();
    }

    void Fail(const std::string& text) { problems_.push_back(text); }

    void CheckStatuses(const std::string& name, const CCourseTable& table)
    {
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    const int status = table.GetValue(day, segment, section);
                    const int expected = ExpectedStatus(cell);
                    if (status == CTimeTable::kInvalid && expected == CTimeTable::kFree)
                        continue;
                    if (status != expected || (cell.IsInterleave() && expected == CTimeTable::kFree))
                        Fail(name + Where({day, segment, section}, 0) + "status " + std::to_string(status) +
                             " for a cell worth " + std::to_string(expected) +
                             (cell.IsInterleave() ? " (split)" : ""));
                }
    }

    // The plan itself, or a plan of its combined class.
    bool SameGroup(const CCourseInfo& course, const std::string& otherId) const
    {
        if (otherId == course.GetId())
            return true;
        const CCombineClass* combined = task_.GetCC(course.GetId());
        return combined && combined->HasCourse(otherId);
    }

    void CheckShared(const std::string& name, const CCourseTable& table, const CCourseInfo& course,
                     const tagTABLE_NODE& node, int half, const CCourseTableNode& own)
    {
        const CCourseTableNode& cell = table.GetNode(node);
        if (cell.IsInterleave() != own.IsInterleave())
            Fail(name + Where(node, half) + "split differs from plan " + course.GetId());
        else if (!SameGroup(course, cell.data(half).GetCourseId()))
            Fail(name + Where(node, half) + "misses plan " + course.GetId() + " (holds '" +
                 cell.data(half).GetCourseId() + "')");
    }

    void CheckPlanLesson(const CCourseInfo& course, const tagTABLE_NODE& node, int half, const Lesson& lesson)
    {
        const std::string plan = "plan " + course.GetId();
        if (lesson.GetCourseId() != course.GetId()) {
            Fail(plan + Where(node, half) + "holds plan " + lesson.GetCourseId());
            return;
        }
        const CCourseTableNode& own = course.GetTable(temp_).GetNode(node);
        if (CClassInfo* cls = task_.GetClass(course.GetClassId())) {
            const CCourseTableNode& cell = cls->GetTable(temp_).GetNode(node);
            if (cell.IsInterleave() != own.IsInterleave() || !(cell.data(half) == lesson))
                Fail("class " + cls->GetId() + Where(node, half) + "misses " + plan);
        }
        if (CTeacherInfo* teacher = task_.GetTeacher(course.GetTeacherId()))
            CheckShared("teacher " + teacher->GetId(), teacher->GetTable(temp_), course, node, half, own);
        if (const CCourseAssistant* assistant = task_.GetAssistant(course.GetId()))
            for (const std::string& id : assistant->GetAssistants())
                if (CTeacherInfo* teacher = task_.GetTeacher(id))
                    CheckShared("assistant " + id, teacher->GetTable(temp_), course, node, half, own);
        if (lesson.GetRoomIndex() < 0)
            return;
        CRoomInfo* room = task_.GetRoom(lesson.GetRoomId());
        if (!room)
            return;
        const CCourseTable* table = room->GetComplexTable().Enum(temp_, lesson.GetRoomIndex());
        if (!table) {
            Fail(plan + Where(node, half) + "room index out of range");
            return;
        }
        CheckShared("room " + room->GetId(), *table, course, node, half, own);
        if (table->GetNode(node).data(half).GetRoomId() != room->GetId())
            Fail("room " + room->GetId() + Where(node, half) + "names another room");
    }

    // A class, teacher or room table: each lesson belongs to a plan that has it in its own table.
    void CheckHolder(const std::string& name, const CCourseTable& table, const std::string* roomId, int roomIndex)
    {
        CheckStatuses(name, table);
        ForEachLesson(table, [&](const tagTABLE_NODE& node, int half, const Lesson& lesson) {
            const CCourseInfo* course = task_.FindCourse(lesson.GetCourseId());
            if (!course) {
                Fail(name + Where(node, half) + "holds unknown plan '" + lesson.GetCourseId() + "'");
                return;
            }
            const CCourseTableNode& own = course->GetTable(temp_).GetNode(node);
            const Lesson& mine = own.data(half);
            const bool same = own.IsInterleave() == table.GetNode(node).IsInterleave() &&
                              mine.GetCourseId() == lesson.GetCourseId() &&
                              (!roomId || (mine.GetRoomId() == *roomId && mine.GetRoomIndex() == roomIndex));
            if (!same)
                Fail(name + Where(node, half) + "plan " + course->GetId() + " is not there in its own table");
        });
    }

    CScheduleTask& task_;
    bool temp_;
    std::vector<std::string> problems_;
};

}  // namespace table_consistency

// Both sets of timetables; the problems, one per line, when they disagree.
inline testing::AssertionResult TablesConsistent(CScheduleTask& task)
{
    std::string all;
    for (const bool temp : {false, true})
        for (const std::string& problem : table_consistency::Checker(task, temp).Run())
            all += (temp ? "[temp] " : "") + problem + "\n";
    if (all.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << all;
}
