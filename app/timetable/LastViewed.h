#pragma once
// The object of each kind (0 class, 1 teacher, 2 room) the week timetable window showed when it last
// closed on a task, kept in the task's settings: the window writes it, the tool box opens on it.
#include <string>

class CScheduleTask;

// Empty when none is kept.
std::string LastViewedObject(const CScheduleTask& task, int kind);
void RememberViewedObject(CScheduleTask& task, int kind, const std::string& objectId);
