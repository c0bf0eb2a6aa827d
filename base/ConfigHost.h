#pragma once
// Typed settings of one ini file (a task's task.ini, the program's zem.ini). Every call goes to the
// file; nothing is cached, so two hosts on one file always agree.
#include <string>

class CConfigHost {
public:
    CConfigHost() = default;
    CConfigHost(const CConfigHost&) = default;
    CConfigHost& operator=(const CConfigHost&) = default;
    virtual ~CConfigHost() = default;

    void SetConfigFile(const std::string& path) { m_strConfigFile = path; }
    std::string GetConfigFile() const { return m_strConfigFile; }

    // The whole value, or the default when the file, section or key is missing.
    std::string GetConfig(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // The value read as an integer prefix; the default when missing or empty.
    int GetConfigInt(const std::string& section, const std::string& key, int defaultValue) const;
    // Writes at once. False, with a message, when the value cannot be stored or the file not written.
    bool SetConfig(const std::string& section, const std::string& key, const std::string& value) const;
    bool SetConfigInt(const std::string& section, const std::string& key, int value) const;

private:
    std::string m_strConfigFile;
};
