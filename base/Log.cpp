#include "base/Log.h"

#include "base/ScheduleTask.h"

#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>

namespace {

std::atomic<CLog*> g_instance{nullptr};
std::mutex g_instanceMutex;
// Set by Configure: whether "--debug" was given, and where the file goes.
std::optional<bool> g_debugSwitch;
std::string g_folder;

bool HasDebugSwitch(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--debug")
            return true;
    }
    return false;
}

std::vector<std::string> SystemArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        const std::size_t end = bytes.find('\0', begin);
        arguments.push_back(bytes.substr(begin, end - begin));
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    return arguments;
}

std::string StateFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/zem/";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.local/state/zem/";
    return {};
}

std::FILE* OpenTruncated(const std::string& path) { return std::fopen(path.c_str(), "we"); }

}  // namespace

void CLog::Configure(int argc, const char* const* argv, const std::string& folder)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    std::lock_guard lock(g_instanceMutex);
    g_debugSwitch = HasDebugSwitch(arguments);
    g_folder = folder;
}

CLog* CLog::inst()
{
    CLog* log = g_instance.load(std::memory_order_acquire);
    if (log)
        return log;
    std::lock_guard lock(g_instanceMutex);
    log = g_instance.load(std::memory_order_relaxed);
    if (!log) {
        const bool enabled = g_debugSwitch ? *g_debugSwitch : HasDebugSwitch(SystemArguments());
        log = new (std::nothrow) CLog(enabled, g_folder.empty() ? zem::ProgramFolder() : g_folder);
        g_instance.store(log, std::memory_order_release);
    }
    return log;
}

void CLog::free()
{
    std::lock_guard lock(g_instanceMutex);
    delete g_instance.exchange(nullptr, std::memory_order_acq_rel);
}

CLog::CLog(bool enabled, const std::string& folder) : m_bEnabled(enabled)
{
    if (!enabled)
        return;
    std::string path = folder + "debug.txt";
    m_file = OpenTruncated(path);
    // An installed program cannot write beside itself.
    if (!m_file) {
        const std::string state = StateFolder();
        if (!state.empty() && zem::MakeFolder(state)) {
            path = state + "debug.txt";
            m_file = OpenTruncated(path);
        }
    }
    if (m_file)
        m_strPath = path;
}

CLog::~CLog()
{
    if (m_file)
        std::fclose(m_file);
}

void CLog::Log(const char* tag, const char* format, ...)
{
    if (!m_bEnabled || !m_file)
        return;
    va_list args;
    va_start(args, format);
    const std::string message = zem::FormatV(format, args);
    va_end(args);
    WriteLine(tag, message);
}

void CLog::Log(const char* tag, const int* values, int count)
{
    if (!m_bEnabled || !m_file)
        return;
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(values[i]);
        text += ' ';
    }
    WriteLine(tag, text);
}

void CLog::Log(const CScheduleTask* task, const CTimeTable* table)
{
    if (!m_bEnabled || !m_file || !task || !table)
        return;
    const CSchoolStructure& week = task->GetSchoolStructure();
    // A full week of 14 days and 30 periods takes about 2,100 characters.
    std::string text;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
        for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section) {
            text += '\n';
            for (int day = 0; day < zem::kDayCount; ++day) {
                if (week.IsDayInUse(day))
                    text += zem::Format("%5d", table->GetValue(day, segment, section));
            }
        }
    }
    text += '\n';
    Write(text);
}

void CLog::WriteLine(const char* tag, const std::string& message)
{
    std::string line = zem::Format("[%-16s] %lld ", tag ? tag : "", static_cast<long long>(zem::TickCount()));
    line += message;
    line += '\n';
    Write(line);
}

void CLog::Write(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    std::fwrite(text.data(), 1, text.size(), m_file);
    std::fflush(m_file);
}
