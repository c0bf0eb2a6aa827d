#pragma once
// Checked writes to the program's settings files. Nothing is shown: a failure comes back with its
// reason, so the caller logs it and tells the user where the user asked for the change.
#include <string>
#include <vector>

// The section of zem.ini that holds the program-wide choices of every window.
constexpr const char* kCommonSection = "Common";

// A key of a settings file and its section, spelled once where it is both read and written.
struct CSettingKey {
    const char* section;
    const char* key;
};

struct CSettingWrite {
    std::string section;
    std::string key;
    std::string value;
};

// Writes the values in one atomic save of the file (created when missing; its folder must exist).
// False, with the reason in `error` and the file unchanged, when a value cannot be held by the
// file's GBK text, the existing file cannot be read, is read-only, or the new one cannot be written.
bool WriteSettings(const std::string& path, const std::vector<CSettingWrite>& writes, std::string* error);
