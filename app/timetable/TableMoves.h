#pragma once
// The structural moves of finished timetables. Each checks first and changes nothing when it
// refuses; a move that goes ahead backs the task up, changes the committed class timetables (the
// teacher, room and plan timetables follow), writes input.xml and then output.xml and logs one
// adjustment-history entry.
#include "app/shared/AdjustmentHistory.h"

#include <memory>
#include <string>
#include <vector>

class CScheduleTask;

class CChangeCheck;

struct CMoveResult {
    std::string refusal;                 // why nothing changed; empty when the move was made
    bool saved = false;                  // both files written
    int movedLessons = 0;
    std::vector<std::string> changedIds; // the class, teacher and room timetables it changed
    std::vector<std::string> onClosedTimes; // the lessons now on a fixed no-lesson time of their class or teachers
    std::shared_ptr<const CChangeCheck> check; // the task's rules as the move found them
};

// Why the two days may not change places; empty when they may.
std::string CheckSwapDays(const CScheduleTask& task, int dayA, int dayB);
// Swaps the lessons and pre-arranged lessons of the two days in memory only, without checking;
// swapping again undoes it. Working timetables are discarded first.
void SwapDayLessons(CScheduleTask& task, int dayA, int dayB, CMoveResult& result);
// The whole move, said to the user: refusals, a failed backup or save (the task's files are then
// put back as they were), and what was moved.
CMoveResult SwapDays(CScheduleTask& task, int dayA, int dayB, CAdjustmentEntryList& entries);

// 行平移: the boundary of two neighbouring segments moved by one period, or an empty period added at
// the start or the end of a segment. Lessons, pre-arranged lessons, fixed no-class times,
// activities and period names follow their period.
struct CRowShift {
    enum Kind {
        BoundaryForward,  // the last period of `segment` becomes the first of the next segment
        BoundaryBack,     // the first period of the next segment becomes the last of `segment`
        InsertFirst,      // an empty period before the first of `segment`
        InsertLast,       // an empty period after the last of `segment`
        RemoveFirst,      // the inverses of the two inserts, for putting a task back
        RemoveLast,
    };
    Kind kind = BoundaryForward;
    int segment = 0;  // 0 forenoon, 1 afternoon, 2 night
};

struct CRowShiftChoice {
    CRowShift shift;
    const char* caption;
};
// The shifts offered, in the order the input dialog lists them.
const std::vector<CRowShiftChoice>& RowShiftChoices();

// Why the periods may not shift so; empty when they may.
std::string CheckRowShift(const CScheduleTask& task, const CRowShift& shift);
// The shift in memory only, without checking. Working timetables are discarded first.
void ShiftRowLessons(CScheduleTask& task, const CRowShift& shift, CMoveResult& result);
// The whole move, said to the user, as SwapDays.
CMoveResult ShiftRow(CScheduleTask& task, const CRowShift& shift, CAdjustmentEntryList& entries);

