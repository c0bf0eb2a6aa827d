#pragma once
// Where a task lives, and its task file: the ".zem" file the user opens, an ini file whose section
// "Task Info" names the task. The rest of the task is the folder around that file.
#include <string>

class CTaskInfo {
public:
    CTaskInfo();
    CTaskInfo(const CTaskInfo&) = default;
    CTaskInfo& operator=(const CTaskInfo&) = default;
    virtual ~CTaskInfo() = default;

    std::string GetTaskName() const { return m_strTaskName; }
    std::string GetTaskFolder() const { return m_strTaskFolder; }
    std::string GetTaskAuthor() const { return m_strAuthor; }
    std::string GetCreateDate() const { return m_strCreateDate; }
    std::string GetDescription() const { return m_strDescription; }
    std::string GetInputFile() const { return m_strInputFile; }
    std::string GetOutputFile() const { return m_strOutputFile; }

    void SetTaskName(const std::string& name) { m_strTaskName = name; }
    void SetTaskAuthor(const std::string& author) { m_strAuthor = author; }
    void SetCreateDate(const std::string& date) { m_strCreateDate = date; }
    void SetDescription(const std::string& description) { m_strDescription = description; }
    // Stores the folder with a trailing '/'. An empty folder stays empty rather than becoming the root.
    void SetTaskFolder(const std::string& folder);

    // The file the task was read from, or "<folder><name>.zem" for a task never read.
    std::string GetTaskFile() const;
    std::string GetInputFilePath() const { return m_strTaskFolder + m_strInputFile; }
    std::string GetOutputFilePath() const { return m_strTaskFolder + m_strOutputFile; }
    std::string GetTempFolder() const { return m_strTaskFolder + "temp/"; }
    std::string GetProctorFolder() const { return m_strTaskFolder + "proctor/"; }
    // The folder that holds the task folder, with its trailing '/'; the folder itself (without
    // the '/') when it has no parent to cut back to.
    std::string GetParentFolder() const;

    bool HasSaved() const { return !m_strTaskName.empty(); }

    // Writes the four keys of "Task Info" into GetTaskFile(), changing only their lines. Writes
    // nothing for a task without a name, and refuses with a message (writing nothing) a name that
    // would become an unsafe file name. True when the file holds the keys afterwards.
    bool WriteToFile() const;
    // Reads the four keys from `path` (missing keys give empty text); the folder and the task file
    // name come from the path. False, with the fields still set from the path and the reason in
    // `error`, when the file cannot be read (also when it is no regular file or too large).
    bool ReadFromFile(const std::string& path, std::string* error = nullptr);

private:
    std::string m_strTaskName;
    std::string m_strTaskFolder;
    std::string m_strAuthor;
    std::string m_strCreateDate;
    std::string m_strDescription;
    std::string m_strTaskFile;
    std::string m_strInputFile;
    std::string m_strOutputFile;
};
