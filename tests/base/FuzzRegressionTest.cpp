// Inputs that once made a fuzz target crash, hang or break a promise run clean now. They live in
// data/fuzz-regressions/<target>/, one file each.
#include "testing/fuzz/FuzzTargets.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(FuzzRegression, InputsThatOnceFoundFaultsRunClean)
{
    const std::filesystem::path root = std::filesystem::path(ZEM_TEST_DATA_DIR) / "fuzz-regressions";
    for (const std::filesystem::directory_entry& folder : std::filesystem::directory_iterator(root)) {
        const zemfuzz::Target target = zemfuzz::FindTarget(folder.path().filename().string());
        ASSERT_NE(target, nullptr) << "no fuzz target for " << folder.path();
        for (const std::filesystem::directory_entry& file : std::filesystem::directory_iterator(folder.path())) {
            SCOPED_TRACE(file.path().string());
            const std::string bytes = ReadRaw(file.path().string());
            EXPECT_EQ(target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
        }
    }
}

}  // namespace
