#pragma once
// What a task folder holds, and the one copy of it that backups and restores make.
//
// The parts of a task: its task file ("<name>.zem") and input.xml, output.xml and task.ini when
// present, and the temp and proctor folders. report.txt, backup.ini and Backup/ belong to the
// folder, not to a copy of the task.
//
// A link in a task folder is not the task's: task.ini, temp and proctor count only when they are
// real, and links inside the folders are left out of a copy. The data files (the task file,
// input.xml, output.xml) are copied as the task reads them.
//
// A backup is copied into a staging folder beside its place, gets its marker last and only then
// takes its place whole, so that a folder with the marker is a complete backup and one without
// is a copy that never finished.
//
// Every folder the program stages or puts aside carries an owner marker written before anything
// else, naming the process and the place it is for. The clean-up after a killed run touches only
// folders with that marker, of a process that no longer runs: a look-alike name proves nothing.
#include <functional>
#include <string>
#include <vector>

class TaskFolder {
public:
    static constexpr const char* kInputFile = "input.xml";
    static constexpr const char* kOutputFile = "output.xml";
    static constexpr const char* kSettingsFile = "task.ini";
    static constexpr const char* kTempFolder = "temp";
    static constexpr const char* kProctorFolder = "proctor";
    static constexpr const char* kTaskFileExtension = ".zem";
    // The file a complete backup holds, written last.
    static constexpr const char* kBackupMarker = ".backup-complete";
    // The file that proves a staging or put-aside folder this program's, written first.
    static constexpr const char* kOwnerMarker = ".zem-staging";

    // The folder, with a trailing '/' added when missing.
    explicit TaskFolder(std::string folder);
    const std::string& Path() const { return m_folder; }

    // A task's folder: one that holds a task file or input.xml (a link counts).
    static bool IsTaskFolder(const std::string& folder);
    // True when the folder holds any file of a task (a task file, input.xml, output.xml, task.ini):
    // a new task there would take them for its own.
    static bool HoldsTaskFiles(const std::string& folder);

    // What a copy did.
    struct CopyReport {
        bool ok = false;
        // When not ok: the part that failed (its name in the copy; empty for the copy's folder),
        // whether it failed being removed from the target, why, and the errno.
        std::string failedPart;
        bool failedRemoving = false;
        std::string error;
        int errorCode = 0;
        // The parts in the copy, by their names there.
        std::vector<std::string> copied;
        // The parts, or pieces of them, that were left out, by part name; `reasons` in step.
        std::vector<std::string> leftOut;
        std::vector<std::string> reasons;
        // True when everything left out was a link.
        bool onlyLinksLeftOut = true;
    };

    // Copies the parts into the existing folder `target`, over what is there: the task file
    // `taskFile` (none when empty) as `taskFileName`, input.xml, which must be there, and the
    // optional parts. The target's output.xml goes when the task has none, so that a copy
    // without timetables keeps no older ones; optional parts the task lacks stay. A failed data
    // file ends the copy; an optional part that cannot be copied whole is left out and reported.
    CopyReport CopyInto(const std::string& target, const std::string& taskFile = {},
                        const std::string& taskFileName = {}) const;

    // What a complete backup's marker holds.
    struct BackupMark {
        std::string time;         // "YYYYMMDDhhmmss", or empty
        std::string description;  // what the backup was taken before, or empty
    };
    // Copies the parts (as CopyInto) into a staging folder beside `target`, writes the marker
    // last and puts the staging folder in target's place, replacing a folder or link there.
    // Callers ask CheckReplace first. On failure the staging folder goes and `target` is as it
    // was. A file at `target` is never replaced.
    CopyReport BackUpTo(const std::string& target, const BackupMark& mark, const std::string& taskFile = {},
                        const std::string& taskFileName = {}) const;

    // True for a complete backup: a real folder with its marker and input.xml. The marker's
    // contents go to `mark` when given.
    static bool IsCompleteBackup(const std::string& folder, BackupMark* mark = nullptr);

    // Whether a folder may be replaced or removed by a copy.
    struct ReplaceCheck {
        enum Verdict {
            Absent,         // nothing has the name
            Replaceable,    // a folder (or a link) that may go
            HoldsOpenTask,  // it is, or holds, the open task's folder
            HoldsTask,      // it is, or holds, another task's folder: `task`
            NotAFolder,     // a file has the name
            CannotCheck,    // its contents could not all be seen: `error`
        };
        Verdict verdict = Absent;
        std::string task;
        std::string error;
        bool isBackup = false;  // a replaceable complete backup
        int entries = 0;        // the files and folders a replaceable folder holds
    };
    // A folder may go when it neither is nor holds the open task's folder or any task folder,
    // but for a backup's own: a backup (a complete one, or one by its place, `backupByPlace`,
    // as in the task's Backup folder) is a task folder itself and holds its temporary tasks.
    // Links in it are not followed; a link in its place may always go.
    static ReplaceCheck CheckReplace(const std::string& folder, const std::string& openTaskFolder,
                                     bool backupByPlace = false);

    // Finishes or removes what backups and new tasks cut short left in `parent` (staging folders
    // and folders put aside while one took its place): only for the place named `leaf`, or for all
    // with an empty one. Only folders with the owner marker of a process that no longer runs are
    // touched (of this process: those it is not working in); a folder is moved only into a free name.
    static void CleanStaging(const std::string& parent, const std::string& leaf = {});
    // Makes a staging folder beside `target` ("<parent>/.<leaf>.staging-<pid>-<n>") with its owner
    // marker in it, its path in `path`: CleanStaging removes one that never took its place.
    static bool MakeStagingFolder(const std::string& target, std::string& path, std::string* error = nullptr,
                                  int* code = nullptr);
    // Takes the owner marker out of a staging folder that took its place.
    static void DropOwnerMarker(const std::string& folder);

    // True when anything has the name, a link included.
    static bool HasEntry(const std::string& path);

    // Marks a folder as one this program is working in now, for as long as it lives: clean-ups
    // of what killed work left leave it alone.
    class Busy {
    public:
        explicit Busy(const std::string& folder);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        std::string m_key;
    };
    static bool IsBusy(const std::string& folder);

    // For tests: called at each step of a backup or a restore by its name ("copied", "marked",
    // "held input.xml", ...); true stops the work there and leaves the files as a killed program
    // would. Returns the previous hook; an empty function turns it off.
    using KillHook = std::function<bool(const std::string& step)>;
    static KillHook SetKillHookForTesting(KillHook hook);
    // True when the test hook stops the work at `step`.
    static bool IsKilledAt(const std::string& step);

private:
    std::string m_folder;
};
