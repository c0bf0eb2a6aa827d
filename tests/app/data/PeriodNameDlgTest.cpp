#include "support/DataDialogTestSupport.h"
#include "app/data/PeriodNameDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

using zem::gui::Dialog;

// A week of 4 forenoon, 2 afternoon and 1 morning-reading period, no night and no self-study.
CSchoolStructure SmallWeek()
{
    CSchoolStructure week;
    week.SetSectionNodeMaxCount(0, 4, true);
    week.SetSectionNodeMaxCount(1, 2, true);
    week.SetSectionNodeMaxCount(3, 1, true);
    return week;
}

std::vector<std::string> Column(const zem::gui::ReportList& list, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

// Types into the custom-name dialog and confirms it.
DialogScript::Step TypeCustomName(const char* text, std::string* shownDefault = nullptr)
{
    return [text, shownDefault](Dialog& custom) {
        EXPECT_EQ(custom.Caption(), "自定义节次名称");
        if (shownDefault)
            *shownDefault = custom.GetDlgItemText(CCustomPeriodNameDlg::IDC_DEFAULT_NAME);
        custom.Item<QPlainTextEdit>(CCustomPeriodNameDlg::IDC_CUSTOM_NAME)->setPlainText(QString::fromUtf8(text));
        if (shownDefault)
            SaveScreenshot(&custom, "custom-period-name");
        custom.SendCommand(zem::IDOK);
    };
}

TEST(PeriodNames, ListsEveryPeriodOfTheWeekFromMorningReadingDown)
{
    const CSchoolStructure week = SmallWeek();
    DialogScript dialogs({[](Dialog& dialog) {
        auto& dlg = static_cast<CPeriodNameDlg&>(dialog);
        EXPECT_EQ(dlg.Caption(), "设置节次名称");
        EXPECT_EQ(dlg.GetDlgItemText(CPeriodNameDlg::IDC_USE_CUSTOM), "使用自定义名称(双击编辑)");
        const zem::gui::ReportList& list = *dlg.GetList();
        EXPECT_EQ(list.GetColumnHeading(1), "默认");
        EXPECT_EQ(list.GetColumnHeading(2), "自定义");
        EXPECT_TRUE(list.isColumnHidden(0) || list.GetColumnWidth(0) == 0);
        // The night and the evening self-study have no periods and no rows.
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"30", "00", "01", "02", "03", "10", "11"}));
        EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"早", "1", "2", "3", "4", "5", "6"}));
        dlg.SendCommand(zem::IDCANCEL);
    }});
    CPeriodNameDlg dlg;
    dlg.SetSchoolStructure(&week);
    EXPECT_EQ(dlg.DoModal(), zem::IDCANCEL);
}

TEST(PeriodNames, EditingSwitchesCustomNamesOnAndStoresEveryRow)
{
    CSchoolStructure week = SmallWeek();
    week.GetCustomPeriodNameList().Add(0, 1, "第二节");
    std::string shownDefault;
    DialogScript dialogs;
    dialogs.Then([&](Dialog& dialog) {
        auto& dlg = static_cast<CPeriodNameDlg&>(dialog);
        EXPECT_FALSE(dlg.Item<QCheckBox>(CPeriodNameDlg::IDC_USE_CUSTOM)->isChecked());
        dialogs.Then(TypeCustomName("8：00-8：45\n早自习后", &shownDefault));
        dlg.EditRow(1);
        EXPECT_TRUE(dlg.Item<QCheckBox>(CPeriodNameDlg::IDC_USE_CUSTOM)->isChecked());
        // Clearing a name leaves it empty.
        dialogs.Then(TypeCustomName(""));
        dlg.EditRow(2);
        EXPECT_EQ(dlg.GetList()->GetItemText(1, CPeriodNameDlg::COLUMN_CUSTOM), "8:00-8:45\r\n早自习后");
        SaveScreenshot(&dlg, "period-names");
        dlg.SendCommand(zem::IDOK);
    });
    CPeriodNameDlg dlg;
    dlg.SetSchoolStructure(&week);
    ASSERT_EQ(dlg.DoModal(), zem::IDOK);
    EXPECT_EQ(shownDefault, "1");

    const CPeriodNameList& names = dlg.GetPeriodNameList();
    EXPECT_TRUE(names.IsEnabled());
    EXPECT_EQ(names.GetMap().size(), 7u);  // every row, empty names too
    EXPECT_EQ(names.Query(0, 0), "8:00-8:45\r\n早自习后");
    EXPECT_EQ(names.Query(0, 1), "");
    EXPECT_EQ(names.Query(1, 1), "");
    week.GetCustomPeriodNameList() = names;
    EXPECT_EQ(week.GetPeriodName(0, 0, false), "8:00-8:45\r\n早自习后");
    EXPECT_EQ(week.GetPeriodName(0, 1, false), "2");  // a cleared name shows the default again
}

TEST(PeriodNames, CheckBoxSwitchesTheNamesAndCancelChangesNothing)
{
    CSchoolStructure week = SmallWeek();
    week.GetCustomPeriodNameList().SetEnabled(true);
    week.GetCustomPeriodNameList().Add(3, 0, "晨读");
    DialogScript dialogs({[](Dialog& dialog) {
        auto& dlg = static_cast<CPeriodNameDlg&>(dialog);
        QCheckBox* box = dlg.Item<QCheckBox>(CPeriodNameDlg::IDC_USE_CUSTOM);
        EXPECT_TRUE(box->isChecked());
        box->click();
        EXPECT_FALSE(dlg.GetPeriodNameList().IsEnabled());
        dlg.SendCommand(zem::IDCANCEL);
    }});
    CPeriodNameDlg dlg;
    dlg.SetSchoolStructure(&week);
    EXPECT_EQ(dlg.DoModal(), zem::IDCANCEL);
    EXPECT_TRUE(week.GetCustomPeriodNameList().IsEnabled());
    EXPECT_EQ(week.GetPeriodName(3, 0, false), "晨读");
}

TEST(PeriodNames, WithoutAWeekTheListIsEmpty)
{
    DialogScript dialogs({[](Dialog& dialog) {
        auto& dlg = static_cast<CPeriodNameDlg&>(dialog);
        EXPECT_EQ(dlg.GetList()->GetItemCount(), 0);
        dlg.EditRow(0);  // nothing to edit
        dlg.SendCommand(zem::IDOK);
    }});
    CPeriodNameDlg dlg;
    EXPECT_EQ(dlg.DoModal(), zem::IDOK);
    EXPECT_EQ(dialogs.captions, std::vector<std::string>{"设置节次名称"});
    EXPECT_TRUE(dlg.GetPeriodNameList().GetMap().empty());
}

}  // namespace
