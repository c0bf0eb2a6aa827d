#pragma once
// The engine's callback: after a try the program's passes improve the try's working timetables.
#include "core/Core.h"

#include <atomic>

class CScheduleTask;

// A callback for CCore::SetCallback over the run's task: after a try that lost lessons it places
// them, after a new best try it improves the timetables and places what is still lost, and after
// the last try it repairs the best one across timetables when it still lost lessons. A pass ends
// within one step once the stop flag is up. The task and the flag must outlive the run.
CoreCallback MakeTaskHelperCallback(CScheduleTask& task, const std::atomic<bool>& stop);
