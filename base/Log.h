#pragma once
// The program-wide debug log: debug.txt beside the program, written only when the program was
// started with "--debug". One line per call: "[tag             ] <milliseconds since boot> message".
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

class CScheduleTask;
class CTimeTable;

class CLog {
public:
    // Tells the log the program's arguments before the first inst(); without this call the
    // arguments are read from the system. Only an argument "--debug" after the program name
    // turns the log on. `folder` is where debug.txt goes, the program's folder when empty.
    static void Configure(int argc, const char* const* argv, const std::string& folder = {});

    // The one instance, created on the first call (from any thread).
    static CLog* inst();
    // Deletes the instance and closes its file; the next inst() creates a new one.
    static void free();

    // A log writing "debug.txt" in `folder`; when that folder cannot be written, in the user's
    // state folder ($XDG_STATE_HOME/zem/, else ~/.local/state/zem/). The file is truncated.
    CLog(bool enabled, const std::string& folder);
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;
    virtual ~CLog();

    void Log(const char* tag, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // The values as "%d " each, on one line.
    void Log(const char* tag, const int* values, int count);
    // The table's status values as a grid without a prefix: a row per period of the task's week,
    // a "%5d" column per day in use.
    void Log(const CScheduleTask* task, const CTimeTable* table);

    bool IsEnabled() const { return m_bEnabled; }
    // The file written, or empty when the log is off or no file could be opened.
    const std::string& GetPath() const { return m_strPath; }

private:
    void WriteLine(const char* tag, const std::string& message);
    void Write(const std::string& text);

    bool m_bEnabled = false;
    std::FILE* m_file = nullptr;
    std::string m_strPath;
    std::mutex m_mutex;  // keeps lines of two threads whole
};
