#pragma once
// A backup brought back into a task folder as one change. The backup's parts are copied aside
// into ".restore-new"; the task's own parts are moved aside into ".restore-old-<time>" together
// with a plan naming the parts brought in, and the copies take their places. Until Commit the
// change can be undone. A restore cut short (the program killed half-way) is undone the next
// time the task is opened for writing, so the task is as it was before the restore began.
#include "base/TaskFolder.h"

#include <string>
#include <vector>

class TaskFolderRestore {
public:
    TaskFolderRestore(const std::string& taskFolder, const std::string& backupFolder);
    // Undoes what was not committed.
    ~TaskFolderRestore();
    TaskFolderRestore(const TaskFolderRestore&) = delete;
    TaskFolderRestore& operator=(const TaskFolderRestore&) = delete;

    // Copies the backup's parts aside; nothing of the task changes. The backup's task file (the
    // one named `taskFileName`, else its only one) comes under that name with the task's name
    // `taskName` inside, so a backup taken before a rename keeps the task's present name. A
    // backup without output.xml takes the task's timetables away; other parts it lacks stay,
    // and parts that are links in the backup are not taken (LeftOut). False with the reason.
    bool Stage(const std::string& taskFileName, const std::string& taskName, std::string& error);
    // The backup's parts that were links and so not brought back.
    const std::vector<std::string>& LeftOut() const { return m_leftOut; }

    // Moves the task's parts aside and the staged ones into their places. On failure everything
    // moved goes back. False with the reason.
    bool Swap(std::string& error);
    // Makes the change final: the task's old parts go.
    void Commit();
    // Puts the task's own parts back. False when some could not go back: they wait in the
    // holding folder, and the next open tries again.
    bool Undo();

    // Undoes a restore that was cut short in the task folder and removes what it left; a
    // restore this program is making now is left alone. Called when a task opens for writing.
    static void FinishInterrupted(const std::string& taskFolder);

private:
    std::string m_folder;
    std::string m_backup;
    std::string m_staging;
    std::string m_holding;
    TaskFolder::Busy m_busy;  // an open of the task on the way (the restore reopens it) must not undo it
    std::vector<std::string> m_staged;    // by name in the task folder
    std::vector<std::string> m_replaced;  // the task's parts to be moved aside
    std::vector<std::string> m_leftOut;
    bool m_swapped = false;
    bool m_done = false;    // committed or undone
    bool m_killed = false;  // stopped by the test hook: the files stay as they are
};
