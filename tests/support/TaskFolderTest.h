#pragma once
// The tests of the shell's task dialogs share a small school written as a task folder in the test
// folder and opened by the application context, with the shell's dialogs in their feature slots.
#include "support/HelperSchool.h"
#include "support/ShellTestSupport.h"
#include "support/TaskFolders.h"
#include "app/shell/ProgramFeatures.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <map>
#include <string>

// Every file below the folder (relative path -> bytes), for comparing folders.
inline std::map<std::string, std::string> FilesIn(const std::string& root)
{
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file())
            files[std::filesystem::relative(it->path(), root).string()] = ReadRaw(it->path().string());
    }
    return files;
}

class TaskFolderTest : public ShellTest {
protected:
    TaskFolderTest() { RegisterProgramFeatures(); }

    // Writes the school with three lessons as "<test folder>/tasks/<name>/", with a task.ini, a
    // temporary task and a proctoring file, and opens it. The task file.
    std::string OpenSchool(const std::string& name = "初二")
    {
        HelperSchool school;
        school.Place("p1", HelperSchool::N(0, 0, 0));
        school.Place("p2", HelperSchool::N(0, 0, 1));
        school.Place("q1", HelperSchool::N(1, 0, 0));
        const std::string file = SaveTaskFolder(school.task, folder.path() + "tasks/" + name + "/", name);
        EXPECT_TRUE(CTaskHelper(&school.task).SaveTempTables());
        const CTaskInfo& info = school.task.GetTaskInfo();
        WriteRaw(info.GetTaskFolder() + "task.ini", "[WeekTable]\r\nLastView0=c1\r\n");
        WriteRaw(info.GetTaskFolder() + "temp/调课/调课.zem", "[Task Info]\r\nName=调课\r\n");
        WriteRaw(info.GetTaskFolder() + "proctor/期中/in.xml", "<proctor/>");
        if (!CAppContext::Exists())
            MakeContext();
        EXPECT_TRUE(CAppContext::Get()->OpenTask(file, false));
        return file;
    }

    CScheduleTask* Task() const { return CAppContext::Get()->GetTask(); }
    std::string TaskFolder() const { return Task()->GetTaskInfo().GetTaskFolder(); }
};
