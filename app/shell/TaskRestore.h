#pragma once
// Brings a complete backup back into the open task's folder and reopens the task. The current
// state is backed up first ("恢复备份前"); the backup's files are copied aside before anything of
// the task changes, then swapped in. Every failure leaves the task's files and the open task as
// they were and says so; a restore the program was stopped in is undone when the task next opens.
#include <string>
#include <vector>

// The backup folder holds input.xml and, as the backup had them, the task file, output.xml,
// task.ini and the temp and proctor folders. What the backup holds replaces the task's own; a
// backup without output.xml leaves the task without timetables; the rest the backup lacks stays.
// Parts that are links in the backup are not followed: they go to `leftOut`, and the task keeps
// its own. True when the task was restored and reopened.
bool RestoreTaskFromBackup(const std::string& backupFolder, std::vector<std::string>* leftOut = nullptr);

// Said when the open task's input.xml and output.xml were not saved together (a save stopped
// between them): names the newest backup, the one made before that save's operation, and restores
// it when the user agrees. True when the task was restored.
bool OfferBackupForMismatchedFiles();
