#pragma once
// The save of a list page that may have changed timetables in memory.
class CScheduleTask;

// Writes input.xml and then, while `outputOwed` is set, output.xml; the flag is cleared only when
// output.xml was written, so tables changed by a failed attempt are still written by the next
// one even when it finds nothing left to change. False when either write failed.
bool SaveTaskFiles(CScheduleTask& task, bool& outputOwed);
