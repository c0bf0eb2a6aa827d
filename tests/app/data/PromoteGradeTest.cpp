#include "support/DataDialogTestSupport.h"
#include "support/FakeAppServices.h"
#include "app/shared/Vocabulary.h"
#include "app/data/PromoteGradeDlg.h"
#include "base/ConfigHost.h"
#include "platform/gui/ReportList.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using zem::gui::Dialog;
using zem::gui::ReportList;

enum { kChinese6 = 2, kSeven89 = 4, kDigits6 = 8, kDigits789 = 10 };

CPromotionRecord Record(const char* name, const char* shortName)
{
    CPromotionRecord record;
    record.name = name;
    record.shortName = shortName;
    return record;
}

TEST(PromoteGrade, NextGradeMarkOfNamesAndShortNames)
{
    struct Case {
        const char* name;
        int tag;
        const char* promoted;
    } cases[] = {
        {"初一（1）班", kChinese6, "初二（1）班"},
        {"六年级1班", kChinese6, "一年级1班"},
        // 8 and 0 are not of the sequence; 2 is the first mark that is.
        {"802班", kDigits6, "803班"},
        {"802班", kDigits789, "902班"},
        {"七年级（2）班", kSeven89, "八年级（2）班"},
        {"高一（1）班", kSeven89, "高一（1）班"},
        {"小班", 0, "中班"},
        {"大班", 0, "托班"},
    };
    for (const Case& c : cases) {
        std::vector<CPromotionRecord> records{Record(c.name, c.name)};
        ComputePromotion(records, c.tag, c.tag);
        EXPECT_EQ(records[0].newName, c.promoted) << c.name << " " << c.tag;
        EXPECT_EQ(records[0].newShortName, c.promoted) << c.name << " " << c.tag;
    }
}

TEST(PromoteGrade, TheFirstRepeatedNewNameOrShortNameIsNamed)
{
    std::vector<CPromotionRecord> records{Record("初一（1）班", "1"), Record("初一（2）班", "2"), Record("初一（3）班", "2")};
    ComputePromotion(records, kChinese6, kDigits6);
    EXPECT_EQ(FindPromotionRepeat(records), "班级简称 3 重复");
    // Names compare without regard to case, and a name is checked before its short name.
    records = {Record("Class一", "1"), Record("class一", "1")};
    ComputePromotion(records, kChinese6, kDigits6);
    EXPECT_EQ(FindPromotionRepeat(records), "班级名称 class二 重复");
    records = {Record("初一（1）班", "701"), Record("初一（2）班", "702")};
    ComputePromotion(records, kChinese6, kDigits789);
    EXPECT_EQ(FindPromotionRepeat(records), "");
}

class PromoteGradeDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetConfigFile(folder.path() + "zem.ini");
        services.config = &config;
        list.InsertColumn(0, "ID");
        list.InsertColumn(1, "班级名称");
        list.InsertColumn(2, "简称");
        for (const auto& [id, name, shortName] : {std::tuple{"c1", "初一（1）班", "701"}, std::tuple{"c2", "六年级1班", "601"},
                                                   std::tuple{"c3", "802班", "802"}}) {
            const int row = list.InsertItem(list.GetItemCount(), id);
            list.SetItemText(row, 1, name);
            list.SetItemText(row, 2, shortName);
        }
    }

    std::vector<std::pair<std::string, std::string>> Rows() const
    {
        std::vector<std::pair<std::string, std::string>> rows;
        for (int row = 0; row < list.GetItemCount(); ++row)
            rows.emplace_back(list.GetItemText(row, 1), list.GetItemText(row, 2));
        return rows;
    }

    static QComboBox* Box(Dialog& dialog, int id) { return dialog.Item<QComboBox>(id); }

    TempFolder folder;
    CConfigHost config;
    FakeAppServices services;
    ReportList list;
};

TEST_F(PromoteGradeDialogs, ChosenMarksAreRememberedAndTheRowsRenamedOnOk)
{
    ScriptedMessages messages;
    using Tag = CGradeTagDlg;
    using Promote = CPromoteGradeDlg;
    DialogScript script({
        [&](Dialog& dialog) {
            EXPECT_EQ(dialog.Caption(), "选择年级标识格式");
            ASSERT_EQ(Box(dialog, Tag::IDC_NAME_TAG)->count(), CGradeNamePresets::GetCount());
            EXPECT_EQ(Box(dialog, Tag::IDC_NAME_TAG)->currentText().toStdString(), "一二三四五六");
            EXPECT_EQ(Box(dialog, Tag::IDC_SHORT_NAME_TAG)->currentText().toStdString(), "123456");
            EXPECT_EQ(dialog.GetDlgItemText(Tag::IDC_HINT),
                      "年级标识是指班级名称中用来标识年级的汉字或数字\n如：初一（1）班中的“一”，802班中的“8”");
            Box(dialog, Tag::IDC_SHORT_NAME_TAG)->setCurrentIndex(kDigits789);
            QTest::mouseClick(dialog.GetDlgItem(zem::IDOK), Qt::LeftButton);
        },
        [&](Dialog& dialog) {
            auto& promote = static_cast<Promote&>(dialog);
            EXPECT_EQ(dialog.Caption(), "升年级");
            EXPECT_EQ(dialog.GetDlgItemText(Promote::IDC_TAG_LABEL), "班级名称：一二三四五六 简称：789");
            ASSERT_EQ(promote.GetList()->GetCount(), 3);
            EXPECT_EQ(promote.GetList()->item(0)->text().toStdString(), "初一（1）班 -> 初二（1）班");
            EXPECT_EQ(promote.GetList()->item(1)->text().toStdString(), "六年级1班 -> 一年级1班");
            EXPECT_EQ(promote.GetList()->GetItemDataPtr(2)->newShortName, "902");
            SaveScreenshot(&dialog, "promote-grade");
            // "更改" asks again, starting from what was chosen.
            QTest::mouseClick(dialog.GetDlgItem(Promote::IDC_CHANGE), Qt::LeftButton);
            EXPECT_EQ(dialog.GetDlgItemText(Promote::IDC_TAG_LABEL), "班级名称：123456 简称：789");
            EXPECT_EQ(promote.GetList()->item(2)->text().toStdString(), "802班 -> 803班");
            QTest::mouseClick(dialog.GetDlgItem(zem::IDOK), Qt::LeftButton);
        },
        [&](Dialog& dialog) {
            EXPECT_EQ(Box(dialog, Tag::IDC_SHORT_NAME_TAG)->currentIndex(), kDigits789);
            Box(dialog, Tag::IDC_NAME_TAG)->setCurrentIndex(kDigits6);
            QTest::mouseClick(dialog.GetDlgItem(zem::IDOK), Qt::LeftButton);
        },
    });
    EXPECT_TRUE(PromoteClassRows(nullptr, list));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{
                          {"初一（2）班", "801"}, {"六年级2班", "601"}, {"803班", "902"}}));
    EXPECT_EQ(config.GetConfigInt("Common", "UpgradeNameTag", -1), kDigits6);
    EXPECT_EQ(config.GetConfigInt("Common", "UpgradeShortNameTag", -1), kDigits789);
}

TEST_F(PromoteGradeDialogs, ARepeatedShortNameKeepsTheDialogOpenAndCancelChangesNothing)
{
    list.SetItemText(1, 2, "701");
    const auto before = Rows();
    ScriptedMessages messages;
    DialogScript script({
        [](Dialog& dialog) { QTest::mouseClick(dialog.GetDlgItem(zem::IDOK), Qt::LeftButton); },
        [&](Dialog& dialog) {
            QTest::mouseClick(dialog.GetDlgItem(zem::IDOK), Qt::LeftButton);
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{"班级简称 702 重复"});
            EXPECT_EQ(messages.messages.at(0).icon, zem::MessageIcon::Warning);
            EXPECT_FALSE(dialog.IsEnded());
        },
        // Cancelling the first question ends the command.
        [](Dialog& dialog) { QTest::mouseClick(dialog.GetDlgItem(zem::IDCANCEL), Qt::LeftButton); },
    });
    EXPECT_FALSE(PromoteClassRows(nullptr, list));
    EXPECT_FALSE(PromoteClassRows(nullptr, list));
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(script.captions, (std::vector<std::string>{"选择年级标识格式", "升年级", "选择年级标识格式"}));
}

}  // namespace
