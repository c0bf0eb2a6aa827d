// The printable sheet's export through the preview's export button: one workbook per group, named
// by group and day, into the file or folder the user chose; what it says when done.
#include "support/HelperSchool.h"
#include "support/PrintTestSupport.h"
#include "support/ScreenTestSupport.h"
#include "support/TempFolder.h"

#include "app/output/PrintPreviewDlg.h"
#include "app/output/TimetableExport.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/WorkbookReader.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

using zem::gui::Dialog;
using zem::gui::FileDialogRequest;

class SheetExport : public testing::Test {
protected:
    SheetExport() : sheet(&school.task), previous(SetAppServices(&services))
    {
        previousOpen = zem::gui::SetOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return zem::gui::kOpenDone;
        });
        previousDialog = zem::gui::SetFileDialogHook([this](const FileDialogRequest& request) {
            requests.push_back(request);
            return answer;
        });
    }
    ~SheetExport() override
    {
        zem::gui::SetFileDialogHook(previousDialog);
        zem::gui::SetOpenHook(previousOpen);
        SetAppServices(previous);
    }

    void AddGroup(const std::string& name, int tables, const std::string& tableName = "表")
    {
        auto group = std::make_unique<CPrintTableGroup>(name);
        for (int i = 1; i <= tables; ++i)
            group->items.push_back(
                std::make_unique<CExportTableItem>("c1", tableName, TABLE_CLASS, school.ClassTable("c1")));
        sheet.AddGroup(std::move(group));
    }

    // Presses the preview's export button, then closes the preview.
    void ExportThroughPreview()
    {
        ModalScope modal([](Dialog& shown) {
            auto* preview = dynamic_cast<CPrintPreviewDlg*>(&shown);
            ASSERT_NE(preview, nullptr);
            QWidget* button = preview->GetDlgItem(CPrintPreviewDlg::ID_EXPORT);
            ASSERT_TRUE(button->isEnabled());
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::mouseClick(preview->GetDlgItem(CPrintPreviewDlg::ID_CLOSE), Qt::LeftButton);
        });
        sheet.ShowPreview(PREVIEW_EXPORT, false);
    }

    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::string Day() const
    {
        const zem::LocalTime now = zem::Now();
        return zem::Format("(%04d%02d%02d).xlsx", now.year, now.month, now.day);
    }

    ExportServices services;
    HelperSchool school;
    TestPrintSheet sheet;
    CAppServices* previous;
    TempFolder folder;
    std::string answer;
    std::vector<FileDialogRequest> requests;
    std::vector<std::string> opened;
    zem::gui::OpenHook previousOpen;
    zem::gui::FileDialogHook previousDialog;
};

TEST_F(SheetExport, GroupsIntoAFolderEachUnderANameOfItsOwn)
{
    // A name with a path character, and two groups of one name.
    for (const char* name : {"A", "B", "a/b", "B"})
        AddGroup(name, 2);
    answer = folder.path();
    ScriptedMessages messages({zem::IDYES});
    ExportThroughPreview();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogRequest::Kind::Folder);
    EXPECT_EQ(requests[0].title, "导出到");
    EXPECT_EQ(Files(), (std::set<std::string>{"A" + Day(), "B" + Day(), "a-b" + Day(), "B(1)" + Day()}));
    EXPECT_EQ(sheet.afterPreview, std::vector<bool>{true});
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"导出成功! 现在要打开导出文件夹吗？"});
    EXPECT_EQ(opened, std::vector<std::string>{services.folder});
    EXPECT_EQ(std::filesystem::path(services.folder), std::filesystem::path(folder.path() + "/"));

    zem::workbook::SheetData read;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(folder.path() + "/B(1)" + Day(), read, error, 0)) << error;
    EXPECT_EQ(read.Value(1, 1).text, "表");

    // Again into the same folder: asked once whether to replace; No writes nothing.
    for (const char* name : {"A", "B"})
        AddGroup(name, 1);
    const auto before = std::filesystem::last_write_time(folder.path() + "/A" + Day());
    ScriptedMessages refuse({zem::IDNO});
    ExportThroughPreview();
    EXPECT_EQ(refuse.Texts().size(), 1u);
    EXPECT_EQ(std::filesystem::last_write_time(folder.path() + "/A" + Day()), before);
    EXPECT_EQ(sheet.afterPreview.back(), false);
}

TEST_F(SheetExport, OneGroupAsksForAFileAndCancelLeavesItUndone)
{
    AddGroup("高一(1)班", 1);
    answer.clear();
    ScriptedMessages messages;
    ExportThroughPreview();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogRequest::Kind::SaveFile);
    EXPECT_EQ(requests[0].fileName, "高一(1)班" + Day());
    EXPECT_EQ(sheet.afterPreview, std::vector<bool>{false});
    EXPECT_TRUE(Files().empty());
    EXPECT_TRUE(messages.Texts().empty());

    AddGroup("高一(1)班", 1);
    answer = folder.path() + "/课表.xls";
    ScriptedMessages success({zem::IDNO});
    ExportThroughPreview();
    EXPECT_EQ(Files(), std::set<std::string>{"课表.xlsx"});
    EXPECT_EQ(success.Texts(), std::vector<std::string>{"导出成功! 现在要打开EXCEL文档吗？"});
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(sheet.afterPreview.back(), true);
}

TEST_F(SheetExport, AFailedTableIsReportedInsteadOfSuccess)
{
    // A title longer than a cell takes.
    AddGroup("A", 2, std::string(40000, 'x'));
    answer = folder.path() + "/A.xlsx";
    ScriptedMessages messages;
    ExportThroughPreview();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{CSpreadsheetExporter::IncompleteText(2)});
    EXPECT_EQ(Files(), std::set<std::string>{"A.xlsx"});
}

}  // namespace

namespace {

TEST(MasterTimetableRequest, WritesTheKindAsTheWholeSchoolLayoutSays)
{
    HelperSchool school;
    TempFolder folder;
    CTablePageLayout layout;
    layout.Style = 1;
    ASSERT_TRUE(ExportMasterTimetable(&school.task, layout, TABLE_TEACHER, folder.path() + "/总课表.xls"));
    zem::workbook::SheetData read;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(folder.path() + "/总课表.xlsx", read, error, 0)) << error;
    EXPECT_EQ(read.name, "全校教师总课表(竖排)");
    EXPECT_EQ(read.Value(1, 2).text, "节次");
}

}  // namespace
