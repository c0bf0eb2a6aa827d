#pragma once
// Everything below a folder by relative path, read with the standard library (links never
// followed): "file <bytes>" ("large <size>" past 1 MiB), "folder", "link <target>", "special".
// Two snapshots compare equal exactly when the trees do.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

inline std::map<std::string, std::string> Snapshot(const std::string& root)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; it != end; it.increment(ec)) {
        const fs::file_status status = it->symlink_status(ec);
        const std::string path = it->path().lexically_relative(root).string();
        if (fs::is_symlink(status)) {
            entries[path] = "link " + fs::read_symlink(it->path(), ec).string();
        } else if (fs::is_directory(status)) {
            entries[path] = "folder";
        } else if (!fs::is_regular_file(status)) {
            entries[path] = "special";
        } else if (fs::file_size(it->path(), ec) > (1u << 20)) {
            entries[path] = "large " + std::to_string(fs::file_size(it->path(), ec));
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            entries[path] = "file " + std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return entries;
}

// The names of the entries right in the folder, sorted.
inline std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
