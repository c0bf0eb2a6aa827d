#pragma once
// The demo task after one engine run, written once per suite for its tests to copy, the class
// timetables of a task as text to compare, and a fixture that opens a copy as the program's task.
// Include after support/EngineRun.h, which must come before Qt.
#include "support/EngineRun.h"
#include "support/MessageRecorder.h"
#include "support/ShellTestSupport.h"

#include "app/shell/ScheduleCompletionDlg.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/gui/Desktop.h"

#include <QTreeWidget>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

inline const std::string kDemoTaskName = "演示排课.zem";

// Copies the shipped demo task into the folder, runs the engine on it and saves its timetables.
inline void WriteScheduledDemo(const std::string& folder)
{
    MessageRecorder quiet;
    std::filesystem::remove_all(folder);
    ASSERT_EQ(zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", folder), 0);
    CScheduleTask task;
    ASSERT_TRUE(task.Open(folder + kDemoTaskName));
    RunEngine(task);
    ASSERT_TRUE(task.SaveOutputData());
}

// Every class timetable, working (temp) or committed, as text.
inline std::string ClassTablesText(CScheduleTask& task, bool temp)
{
    std::string out;
    for (const auto& [id, object] : task.GetClassInfoList()) {
        const CCourseTable& table = static_cast<CClassInfo*>(object)->GetTable(temp);
        out += id + ":";
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    out += std::to_string(table.GetValue(day, segment, section)) + "/" + cell.data(1).GetCourseId() +
                           "/" + cell.data(2).GetCourseId() + ",";
                }
        out += "\n";
    }
    return out;
}

// Chooses the first class the completion view lists, as a user does, and confirms; its id, empty
// when it lists none.
inline std::string ChooseFirstCompletionClass(CScheduleCompletionDlg& view)
{
    QTreeWidgetItem* root = view.GetTree()->topLevelItem(0);
    for (int g = 0; root && g < root->childCount(); ++g)
        if (root->child(g)->childCount() > 0) {
            view.GetTree()->setCurrentItem(root->child(g)->child(0));
            view.SendCommand(zem::IDOK);
            return view.GetSelectedClassId();
        }
    return {};
}

class ScheduledDemoTest : public ShellTest {
protected:
    static constexpr const char* kDemoName = "演示排课.zem";

    static std::string ClassTables(CScheduleTask& task, bool temp) { return ClassTablesText(task, temp); }

    // The suite's template folder, one per process.
    static std::string TemplateFolder(const std::string& suite)
    {
        return std::string(ZEM_TEST_OUTPUT_DIR) + "/" + suite + "." + std::to_string(::getpid()) + "/";
    }
    // The demo task scheduled and saved into the folder; for SetUpTestSuite.
    static void MakeTemplate(const std::string& folder) { WriteScheduledDemo(folder); }
    ~ScheduledDemoTest() override { zem::gui::SetWorkAreaHook(m_workArea); }

    // A context over the test's zem.ini with a copy of the template opened as its task, on a
    // common office screen.
    void OpenCopyOf(const std::string& templateFolder)
    {
        m_workArea = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1366, 768); });
        MakeContext();
        ASSERT_EQ(zem::CopyFolder(templateFolder, TaskFolder()), 0);
        ASSERT_TRUE(CAppContext::Get()->OpenTask(TaskFolder() + kDemoName, false));
        task = CAppContext::Get()->GetTask();
        ASSERT_TRUE(task);
    }

    std::string TaskFolder() const { return folder.path() + "task/"; }

    CScheduleTask* task = nullptr;

private:
    zem::gui::WorkAreaHook m_workArea;
};
