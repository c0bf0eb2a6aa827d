#pragma once
// A fresh folder for one test's output under the build tree, removed when the test ends; raw file
// reads and writes; and the files kept in the test-output folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder()
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string(ZEM_TEST_OUTPUT_DIR) + "/" + test->test_suite_name() + "." + test->name() + "." +
                std::to_string(::getpid()) + "/";
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending with '/'.
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + std::string(name); }

private:
    std::string path_;
};

// Writes bytes with the standard library, independent of the code under test.
inline void WriteRaw(const std::string& path, std::string_view bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadRaw(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file of the build's test-output folder that is kept for a person to look at (the folder made).
inline std::string TestOutputPath(const std::string& name)
{
    std::filesystem::create_directories(ZEM_TEST_OUTPUT_DIR);
    return std::string(ZEM_TEST_OUTPUT_DIR) + "/" + name;
}
