#pragma once
// Renaming the open task and saving it under another name or place. Both reopen the task from its
// new task file, so that the recent-task list, the caption and every window see the new path.
// Refusals and failures are told to the user; on failure the task stays as it was.
#include <string>

// Renames "<old>.zem" to "<name>.zem" in the task's folder and writes the name into it.
bool RenameOpenTask(const std::string& name);

// Copies the whole task folder to "<folder>/<name>/", names the copy's task file and the task in
// it after the name, and opens the copy. The folder of the open task is never changed.
bool SaveOpenTaskAs(const std::string& folder, const std::string& name);
