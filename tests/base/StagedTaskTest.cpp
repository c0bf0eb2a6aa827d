// A new task made whole in its staging folder before it takes its name: which places it may take,
// and that only a task that reads back whole takes one.
#include "base/StagedTask.h"

#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/FolderSnapshot.h"
#include "support/SchoolBuilder.h"
#include "support/TaskFolders.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(StagedTask, ANewTaskStagesOnlyForAnEmptyPlace)
{
    const std::string filesThere = "该文件夹中已有文件，新的排课任务需要一个空文件夹：";
    struct Case {
        const char* what;
        std::function<void(const std::string& place, const TempFolder& dir)> arrange;
        bool staged;
    };
    const Case cases[] = {
        {"nothing there", [](const std::string&, const TempFolder&) {}, true},
        {"an empty folder", [](const std::string& place, const TempFolder&) { fs::create_directories(place); }, true},
        {"a folder with a file",
         [](const std::string& place, const TempFolder&) { WriteRaw(place + "/notes.txt", "notes"); }, false},
        {"a folder with a folder",
         [](const std::string& place, const TempFolder&) { fs::create_directories(place + "/sub"); }, false},
        {"a file", [](const std::string& place, const TempFolder&) { WriteRaw(place, "file"); }, false},
        {"a link to an empty folder",
         [](const std::string& place, const TempFolder& dir) {
             fs::create_directories(dir / "empty");
             fs::create_directory_symlink(dir / "empty", place);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const std::string place = dir / "tasks/新任务";
        fs::create_directories(dir / "tasks");
        c.arrange(place, dir);
        const auto before = Snapshot(dir.path());
        StagedTask staged;
        std::string error;
        EXPECT_EQ(staged.Begin(place + "/", error), c.staged) << error;
        EXPECT_EQ(staged.IsActive(), c.staged);
        if (!c.staged) {
            EXPECT_EQ(error, filesThere + place);
            EXPECT_EQ(Snapshot(dir.path()), before);
            continue;
        }
        EXPECT_EQ(staged.Target(), place + "/");
        // Made beside its place, with the marker that proves it the program's.
        EXPECT_EQ(staged.Folder().rfind(dir / "tasks/.新任务.staging-", 0), 0u) << staged.Folder();
        EXPECT_TRUE(zem::FileExists(staged.Folder() + TaskFolder::kOwnerMarker));
        staged.Discard();
        EXPECT_EQ(Snapshot(dir.path()), before);
    }
}

TEST(StagedTask, OnlyATaskThatReadsBackWholeTakesItsPlace)
{
    const std::string partly = "其中的文件没能完整读回：";
    struct Case {
        const char* what;
        bool withTimetables;
        // Spoils the staged files or the place once the task is written.
        std::function<void(const std::string& staging, const std::string& place)> spoil;
        std::string said;  // empty: put in place
    };
    const std::vector<Case> cases = {
        {"a whole task with its timetables", true, {}, ""},
        {"a whole task without timetables", false, [](const std::string& s, const std::string&) { fs::remove(s + "output.xml"); }, ""},
        {"a task without the timetables it was made with", true,
         [](const std::string& s, const std::string&) { fs::remove(s + "output.xml"); }, partly},
        {"output.xml that reads back only in part", true,
         [](const std::string& s, const std::string&) {
             const std::string bytes = ReadRaw(s + "output.xml");
             WriteRaw(s + "output.xml", zem::ReplaceAll(bytes, "</Output>",
                                                         "<Class id=\"c9\"><Item day=\"99\" segment=\"0\" section=\"0\"/>"
                                                         "</Class></Output>"));
         },
         partly},
        {"output.xml of another save", true,
         [](const std::string& s, const std::string&) {
             const std::string bytes = ReadRaw(s + "output.xml");
             WriteRaw(s + "output.xml", zem::ReplaceAll(bytes, "<Output", "<Output pair=\"20240101080000-1\""));
         },
         partly},
        {"no input.xml", true, [](const std::string& s, const std::string&) { fs::remove(s + "input.xml"); }, partly},
        {"a file put meanwhile in its folder", true,
         [](const std::string&, const std::string& place) { WriteRaw(place + "notes.txt", "notes"); },
         "该文件夹中已有文件，新的排课任务需要一个空文件夹："},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const std::string tasks = dir / "tasks/";
        const std::string place = tasks + "新任务/";
        fs::create_directories(place);
        StagedTask staged;
        std::string error;
        ASSERT_TRUE(staged.Begin(place, error)) << error;
        SchoolBuilder school;
        school.Class("c1", "一班");
        SaveTaskFolder(school.Task(), staged.Folder(), "新任务");
        ASSERT_TRUE(school.Task().SaveOutputData());
        if (c.spoil)
            c.spoil(staged.Folder(), place);
        const auto placeBefore = Snapshot(place);
        const std::string staging = staged.Folder();

        const bool placed = staged.PutInPlace(c.withTimetables, error);
        EXPECT_EQ(placed, c.said.empty()) << error;
        EXPECT_FALSE(staged.IsActive());
        // Either way no staging folder is left.
        EXPECT_EQ(NamesIn(tasks), std::vector<std::string>{"新任务"});
        if (placed) {
            CScheduleTask task;
            ASSERT_TRUE(task.Open(place + "新任务.zem", TaskAccess::ReadOnly));
            EXPECT_EQ(task.GetClassNameA("c1"), "一班");
            EXPECT_FALSE(zem::FileExists(place + TaskFolder::kOwnerMarker));
            continue;
        }
        const std::string where = c.said == partly ? staging : place.substr(0, place.size() - 1);
        EXPECT_EQ(error, c.said + where);
        EXPECT_EQ(Snapshot(place), placeBefore);
    }
}

}  // namespace
