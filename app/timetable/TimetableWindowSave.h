#pragma once
// Saving from a timetable window with one message on failure, and asking to save when it closes.
#include "app/shared/SaveFailure.h"

#include <functional>
#include <string>
#include <vector>

class CScheduleTask;

// Saves the working timetables with `save`, saying why on failure (failedText, and `reason` when
// the files say none); then says every rule the saved changes broke. Whether it saved.
bool SaveTimetablesSayingWhatTheyBreak(CScheduleTask& task, const std::function<bool()>& save,
                                       const std::string& failedText, const std::string& reason);

// A timetable window's save: the working timetables committed and output.xml written, as above;
// then one adjustment-history entry under the title for the changed ids, when any.
bool SaveTimetablesAndLog(CScheduleTask* task, const std::string& failedText, const std::string& historyTitle,
                          const std::vector<std::string>& changedIds);

// The lead of what a save says over the rules its changes broke.
constexpr const char* kTimetablesSavedWithFindings = "课表已保存。调整后以下课程违反了排课规则：\n";

// The question a timetable window with unsaved changes asks when it closes.
constexpr const char* kSaveBeforeClosingQuestion = "课表已修改，关闭前要保存吗？";
// Asks it (Yes, No, Cancel): Yes runs the save, No puts the task's working timetables back to the
// committed ones. Whether the window may close: not on Cancel or a failed save.
bool AskSaveBeforeClosing(CScheduleTask* task, const std::function<bool()>& save);
