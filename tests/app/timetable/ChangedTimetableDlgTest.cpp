// The list of plan adjustments with the timetables they changed: the stored history read only,
// and a tool's changes, whose timetables are chosen and exported or printed.
#include "support/BasicDataTestSupport.h"
#include "support/MessageRecorder.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "platform/IniFile.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ItemList.h"

#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using zem::gui::Dialog;
using Changed = CChangedTimetableDlg;

class ChangedTimetables : public testing::Test {
protected:
    ChangedTimetables() { school.Task().SetConfigFile(ConfigFile()); }

    std::string ConfigFile() { return school.folder / "task.ini"; }

    static std::vector<std::string> Lines(const Changed& dialog)
    {
        std::vector<std::string> lines;
        QTreeWidget* tree = dialog.GetTree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* root = tree->topLevelItem(i);
            EXPECT_TRUE(root->isExpanded());
            lines.push_back(root->text(0).toStdString());
            for (int j = 0; j < root->childCount(); ++j) {
                EXPECT_EQ(root->child(j)->data(0, Qt::UserRole).toInt(), 1);
                lines.push_back("  " + root->child(j)->text(0).toStdString());
            }
        }
        return lines;
    }

    SmallSchool school;
};

// Stored entries newest first, each with the names of the timetables the task still has; a
// title without ids gets an empty line of names.
TEST_F(ChangedTimetables, HistoryListsTheStoredEntriesReadOnly)
{
    zem::IniFile ini;
    ini.SetString(kAdjustmentHistorySection, "1", "换老师|c1|gone|t1");
    ini.SetString(kAdjustmentHistorySection, "2", "只有标题");
    ini.SetString(kAdjustmentHistorySection, "3", "");
    ASSERT_TRUE(ini.SaveAs(ConfigFile()));
    int shown = 0;
    ModalScope scope([&](Dialog& dialog) {
        auto* viewer = dynamic_cast<Changed*>(&dialog);
        ASSERT_NE(viewer, nullptr);
        ++shown;
        EXPECT_EQ(viewer->Caption(), "历史记录");
        EXPECT_EQ(Lines(*viewer),
                  (std::vector<std::string>{"换老师", "  变动课表：初一(1)班，张三", "只有标题", "  变动课表："}));
        EXPECT_FALSE(viewer->GetDlgItem(Changed::IDC_EXPORT)->isVisible());
        EXPECT_FALSE(viewer->GetDlgItem(Changed::IDC_PRINT)->isVisible());
        // Without the buttons the list reaches down to the bottom.
        EXPECT_GE(viewer->GetTree()->geometry().bottom(), viewer->height() - 12);
        SaveScreenshot(viewer, "changed_timetables_history");
    });
    ShowAdjustmentHistory(nullptr);
    EXPECT_EQ(shown, 1);
    // Without an open task there is nothing to show.
    school.services.task = nullptr;
    ShowAdjustmentHistory(nullptr);
    EXPECT_EQ(shown, 1);
}

// Export: every changed timetable the task still has is offered ticked; one chosen names the
// workbook after it, more name it "变动课表". Print offers the same through the print preview.
TEST_F(ChangedTimetables, ExportAndPrintTheChosenTimetables)
{
    CAdjustmentEntryList entries;
    entries.push_back(std::make_unique<CAdjustmentEntry>(CAdjustmentEntry{"先", {"c1", "gone"}}));
    entries.push_back(std::make_unique<CAdjustmentEntry>(CAdjustmentEntry{"后", {"t1", "c1"}}));
    struct Case {
        int button;
        std::vector<std::string> untick;
        const char* chooser;
        const char* okText;
        const char* groupName;
        std::size_t tables;
    } cases[] = {
        {Changed::IDC_EXPORT, {}, "选择要导出的变动课表", "导出", "变动课表", 2},
        {Changed::IDC_EXPORT, {"张三"}, "选择要导出的变动课表", "导出", "初一(1)班", 1},
        {Changed::IDC_PRINT, {}, "选择要打印的变动课表", "打印", "变动课表", 2},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.chooser + std::string(" ") + test.groupName);
        std::vector<zem::gui::FileDialogRequest> requests;
        const auto previousFiles = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
            requests.push_back(request);
            return std::string();
        });
        Changed* changed = nullptr;
        bool previewed = false;
        ModalScope scope([&](Dialog& dialog) {
            if (auto* shown = dynamic_cast<Changed*>(&dialog)) {
                changed = shown;
                EXPECT_EQ(Lines(*shown), (std::vector<std::string>{"后", "  变动课表：张三，初一(1)班", "先",
                                                                    "  变动课表：初一(1)班"}));
                if (test.untick.empty() && test.button == Changed::IDC_EXPORT)
                    SaveScreenshot(shown, "changed_timetables_export");
                QTest::mouseClick(shown->GetDlgItem(test.button), Qt::LeftButton);
            } else if (auto* chooser = dynamic_cast<CMultiSelectDlg*>(&dialog)) {
                EXPECT_EQ(chooser->Caption(), test.chooser);
                EXPECT_EQ(chooser->m_okText, test.okText);
                auto* list = chooser->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
                ASSERT_EQ(list->GetItemCount(), 2);
                for (int row = 0; row < list->GetItemCount(); ++row) {
                    EXPECT_TRUE(list->GetCheck(row));
                    for (const std::string& name : test.untick)
                        if (list->GetItemText(row) == name)
                            list->item(row)->setCheckState(Qt::Unchecked);
                }
                chooser->SendCommand(zem::IDOK);
            } else if (auto* preview = dynamic_cast<CPrintPreviewDlg*>(&dialog)) {
                previewed = true;
                const auto& groups = changed->GetSheet().GetGroups();
                ASSERT_EQ(groups.size(), 1u);
                EXPECT_EQ(groups[0]->name, test.groupName);
                EXPECT_EQ(groups[0]->items.size(), test.tables);
                const bool exporting = test.button == Changed::IDC_EXPORT;
                EXPECT_EQ(preview->HasButton(CPrintPreviewDlg::ID_EXPORT), exporting);
                if (exporting)
                    preview->SendCommand(CPrintPreviewDlg::ID_EXPORT);
                preview->SendCommand(CPrintPreviewDlg::ID_CLOSE);
            } else {
                ADD_FAILURE() << "unexpected dialog " << dialog.Caption();
            }
        });
        ShowChangedTimetables(nullptr, entries);
        zem::gui::SetFileDialogHook(previousFiles);
        EXPECT_TRUE(previewed);
        if (test.button == Changed::IDC_EXPORT) {
            ASSERT_EQ(requests.size(), 1u);
            EXPECT_EQ(requests[0].fileName.rfind(std::string(test.groupName) + "(", 0), 0u) << requests[0].fileName;
        } else {
            EXPECT_TRUE(requests.empty());
        }
    }
}

}  // namespace
