#pragma once
// The big move's three merges: another task's timetables brought into the open task. Its classes,
// subjects, teachers and rooms are matched by name and added when missing, its plans matched by
// class, subject and teacher and added when missing, and its lessons, pre-arranged lessons, fixed
// no-class times and activities brought over.
//   列合并: the other task uses other days; the classes are the same.
//   行合并: the other task uses other segments; the classes are the same.
//   年级合并: the other task has other classes and the same week, and no teacher or room of the
//            two would be booked twice at once.
#include "app/timetable/TableMoves.h"

#include <string>

class CScheduleTask;

enum class MergeKind { Days, Segments, Classes };

// "列合并", "行合并", "年级合并".
const char* MergeName(MergeKind kind);
// Why the other task may not be merged so; empty when it may.
std::string CheckMerge(const CScheduleTask& task, const CScheduleTask& other, MergeKind kind);
// The merge in memory only, without checking. Working timetables are discarded first.
void MergeTaskInto(CScheduleTask& task, const CScheduleTask& other, MergeKind kind, CMoveResult& result);
// The whole merge, said to the user as the other moves are: checked, backed up, saved (a failed
// save puts the task and its files back), logged and reported.
CMoveResult MergeTask(CScheduleTask& task, const CScheduleTask& other, MergeKind kind, CAdjustmentEntryList& entries);
