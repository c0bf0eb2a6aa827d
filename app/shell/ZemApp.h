#pragma once
// The program's start: one running copy, the start-up password or splash, the main dialog, and
// the release of the shared singletons when it has closed.
#include <string>

class CZemApp {
public:
    // Runs the whole program; the result is the process's exit code.
    static int InitInstance();

    // The name of the lock that keeps one copy running.
    static const char* const kInstanceName;
    // The stored password digest of the settings file, lower-cased (a hand-edited digest may be
    // upper-case); empty without a password.
    static std::string ReadPasswordDigest(const std::string& iniPath);
    // Stores the digest (empty: no password); false, with the reason, when the file was not written.
    static bool WritePasswordDigest(const std::string& iniPath, const std::string& digest, std::string* error);
};
