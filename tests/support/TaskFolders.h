#pragma once
// Task folders written for a test: the task file alone (the test then writes what it needs beside
// it), or a whole task's task file and input.xml.
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

// Makes the folder and writes the task file "<name>.zem" of `info` there; the task file's path.
inline std::string WriteTaskFile(CTaskInfo& info, const std::string& folder, const std::string& name = "测试")
{
    info.SetTaskFolder(folder);
    info.SetTaskName(name);
    EXPECT_TRUE(zem::MakeFolder(folder));
    EXPECT_TRUE(info.WriteToFile());
    return info.GetTaskFile();
}

// A task folder of a hand-made input.xml (none when the bytes are empty); the task file's path.
inline std::string MakeTaskFolder(const std::string& folder, const std::string& inputBytes,
                                  const std::string& name = "测试")
{
    CTaskInfo info;
    const std::string file = WriteTaskFile(info, folder, name);
    if (!inputBytes.empty())
        WriteRaw(info.GetInputFilePath(), inputBytes);
    return file;
}

// The task saved as a task folder: its task file and input.xml (its timetables are the caller's to
// write). The task file's path.
inline std::string SaveTaskFolder(CScheduleTask& task, const std::string& folder, const std::string& name = "测试")
{
    const std::string file = WriteTaskFile(task.GetTaskInfo(), folder, name);
    EXPECT_TRUE(task.SaveInputData());
    return file;
}
