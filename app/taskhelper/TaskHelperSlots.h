#pragma once
// Which segments take a plan, the slot test of two timetables, and the walk over a plan's placed lessons.
#include "base/BasicData.h"
#include "base/SchoolStructure.h"
#include "base/Segment.h"

// Morning reading goes to its own segment, evening self-study to its own, every other plan to the
// forenoon, afternoon or night.
inline bool SegmentTakes(int segment, _CourseType type)
{
    switch (type) {
    case COURSE_TYPE_MORNING_READING:
        return segment == zem::kMorningReading;
    case COURSE_TYPE_SELF_STUDY:
        return segment == zem::kEveningStudy;
    default:
        return zem::IsRegularSegment(segment);
    }
}

// Both timetables use the slot with different lessons, and not as two halves that fit together.
inline bool IsNodeConflict(const CCourseTable& a, const CCourseTable& b, const tagTABLE_NODE& node)
{
    if (!a.IsUsed(node) || !b.IsUsed(node))
        return false;
    const CCourseTableNode& cellA = a.GetNode(node);
    const CCourseTableNode& cellB = b.GetNode(node);
    if (cellA == cellB)
        return false;
    if (a.IsHalfUsed(node) && b.IsHalfUsed(node)) {
        auto only = [](const CCourseTableNode& cell, int half) {
            return cell.data(half).HasCourse() && !cell.data(half == 1 ? 2 : 1).HasCourse();
        };
        if ((only(cellA, 1) && only(cellB, 2)) || (only(cellA, 2) && only(cellB, 1)))
            return false;
    }
    return true;
}

class CScheduleTask;

// Each slot of the days in use where the plan's own timetable has its lesson, with the week part
// the plan takes there and the cell.
template <class Visit>
void ForEachPlacedLesson(const CSchoolStructure& structure, const CCourseInfo& plan, Visit visit)
{
    const CCourseTable& own = plan.GetTable(true);
    ForEachSlot(structure, {.counted = false}, [&](const tagTABLE_NODE& node) {
        if (own.IsUsed(node)) {
            const CCourseTableNode& cell = own.GetNode(node);
            visit(node, cell.GetOddEven(plan.GetId()), cell);
        }
    });
}

// Saves every working timetable as the committed one and clears their changed flags.
void CommitTempTables(CScheduleTask& task);
