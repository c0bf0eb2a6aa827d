// The most objects of each kind a task may hold. The reader of input.xml refuses a file with more,
// so every path that adds objects (imports, batch adds, merges) checks the same table before it
// changes anything: no save can then produce a task the program refuses to open.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CScheduleTask;

enum class TaskObjectKind { Subject, Teacher, TeacherGroup, Class, Room, RoomPlace, SelfStudy, Plan };

struct TaskLimit {
    TaskObjectKind kind;
    const char* name;  // as the messages name the kind
    std::size_t max;
};

const TaskLimit& GetTaskLimit(TaskObjectKind kind);

// How many objects of the kind the task holds now (room places: the rooms' capacities summed).
std::size_t CountTaskObjects(const CScheduleTask& task, TaskObjectKind kind);

// Empty when the task can take `added` more objects of the kind; else the message that names the
// limit, for the caller to show before it changes anything.
std::string CheckTaskLimit(const CScheduleTask& task, TaskObjectKind kind, std::size_t added);

// Empty when a task may hold `total` objects of the kind; else the message that names the limit.
std::string CheckTaskLimitTotal(TaskObjectKind kind, std::size_t total);

// A message for each kind the task holds more of than its limit; empty when it keeps them all.
std::vector<std::string> CheckTaskLimits(const CScheduleTask& task);

// The message for `total` objects of a kind over its limit.
std::string TaskLimitText(const TaskLimit& limit, std::size_t total);
