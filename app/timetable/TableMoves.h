#pragma once
// The structural moves of finished timetables. Each checks first and changes nothing when it
// refuses; a move that goes ahead backs the task up, changes the committed class timetables (the
// teacher, room and plan timetables follow), writes input.xml and then output.xml and logs one
// adjustment-history entry.
#include "app/shared/AdjustmentHistory.h"

#include <string>
#include <vector>

class CScheduleTask;

struct CMoveResult {
    std::string refusal;                 // why nothing changed; empty when the move was made
    bool saved = false;                  // both files written
    int movedLessons = 0;
    std::vector<std::string> changedIds; // the class, teacher and room timetables it changed
    std::vector<std::string> onClosedTimes; // "class time" of lessons now on a fixed no-class time of their class
};

// Why the two days may not change places; empty when they may.
std::string CheckSwapDays(const CScheduleTask& task, int dayA, int dayB);
// Swaps the lessons and pre-arranged lessons of the two days in memory only, without checking;
// swapping again undoes it. Working timetables are discarded first.
void SwapDayLessons(CScheduleTask& task, int dayA, int dayB, CMoveResult& result);
// The whole move, said to the user: refusals, a failed backup or save (the task's files are then
// put back as they were), and what was moved.
CMoveResult SwapDays(CScheduleTask& task, int dayA, int dayB, CAdjustmentEntryList& entries);
