#pragma once
// The save of a list page or dialog that may change timetables in memory, and the backup it makes
// before it removes lessons.
#include <string>

class CScheduleTask;

// Writes input.xml, or while `outputOwed` is set input.xml and output.xml as one pair; the flag is
// cleared only when the pair was written, so tables changed by a failed attempt are still written
// by the next one even when it finds nothing left to change. False when a write failed; a failed
// pair leaves both files as they were.
bool SaveTaskFiles(CScheduleTask& task, bool& outputOwed);

// Backs the task up (AutoBackup with `timed` and the reason) before placed lessons are removed.
// False, after telling the user that `what` was not saved, when the backup failed; a task never
// saved has nothing to back up and passes.
bool BackUpBeforeRemovingLessons(CScheduleTask& task, bool timed, const std::string& reason, const std::string& what);
