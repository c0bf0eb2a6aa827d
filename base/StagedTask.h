#pragma once
// A new task made whole before it takes its name. Its files are written into a staging folder
// beside its place, named as backups stage theirs; the folder takes the task's name only once its
// task file, input.xml and output.xml (when it has timetables) read back as a task. A program
// killed on the way leaves the staging folder alone, which TaskFolder::CleanStaging removes at the
// next start: there is then either no task or a complete one.
#include <string>

class StagedTask {
public:
    StagedTask() = default;
    ~StagedTask();
    StagedTask(const StagedTask&) = delete;
    StagedTask& operator=(const StagedTask&) = delete;

    // Makes the staging folder for a new task at `target`, which must be absent or an empty folder
    // (one the new-task window made). False with the reason.
    bool Begin(const std::string& target, std::string& error);
    bool IsActive() const { return !m_staging.empty(); }
    // The staging folder and the task's own folder, with a trailing '/'.
    const std::string& Folder() const { return m_staging; }
    const std::string& Target() const { return m_target; }

    // Reads the task back from the staging folder and puts the folder in its place; with
    // `withTimetables` its output.xml must be there too. False with the reason, the staging folder
    // then removed. For tests, the kill hook stops it at "new task: read back".
    bool PutInPlace(bool withTimetables, std::string& error);
    // Gives the new task up: the staging folder goes.
    void Discard();

private:
    std::string m_staging;
    std::string m_target;
};
