// The big-move dialog: its five entries, their pictures and texts.
#include "support/ScreenTestSupport.h"
#include "app/timetable/TableMoveDlg.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Dlg = CTableMoveDlg;

// The folder the program's pictures are installed from.
std::string PictureFolder()
{
    return std::string(ZEM_TEST_DATA_DIR) + "/../../resources/";
}

// How many pixels of the dialog's picture area are neither white nor the frame's grey: the picture shows.
int ColouredPixels(const QImage& shot)
{
    int count = 0;
    for (int y = 120; y < shot.height() - 80; ++y)
        for (int x = 40; x < shot.width() / 2; ++x) {
            const QRgb p = shot.pixel(x, y);
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p))
                ++count;
        }
    return count;
}

TEST(TableMoveDlg, OpensOnTheDaySwapAndRepaintsForTheChosenEntry)
{
    Dlg dialog(nullptr, PictureFolder());
    RunModal<Dlg>(dialog, [](Dlg& shown) {
        EXPECT_EQ(shown.Caption(), "课表大挪移 - 课表排好以后的结构性调整");
        auto* list = shown.Item<QComboBox>(Dlg::IDC_OPERATION);
        ASSERT_NE(list, nullptr);
        const char* lines[] = {"【表内调整 - 列交换】交换课表的两列", "【表内调整 - 行平移】平移课表的一行",
                               "【表外合并 - 列合并】合并两个课表的列", "【表外合并 - 行合并】合并两个课表的行",
                               "【数据合并 - 年级合并】合并两个年级课表"};
        ASSERT_EQ(list->count(), 5);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(list->itemText(i).toStdString(), lines[i]);
            EXPECT_FALSE(shown.GetOperations()[static_cast<std::size_t>(i)].picture.isNull()) << i;
        }
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(shown.GetChosen(), 0);
        EXPECT_TRUE(shown.rect().contains(shown.GetDlgItem(Dlg::IDC_START)->geometry()));
        const QImage first = Snapshot(&shown);
        EXPECT_GT(ColouredPixels(first), 1000);
        SaveScreenshot(&shown, "table_move_swap_days");

        for (int i = 1; i < 5; ++i) {
            list->setCurrentIndex(i);
            emit list->activated(i);
            EXPECT_EQ(shown.GetChosen(), i);
            SaveScreenshot(&shown, "table_move_entry_" + std::to_string(i));
        }
        EXPECT_EQ(shown.GetOperations()[4].example, "例如：\r\n合并两个年级的课表\r\n班级不重复");
        EXPECT_EQ(shown.GetOperations()[1].example,
                  "例如：\r\n把上午最后1节移到下午第1节\r\n把下午第1节移到上午最后1节\r\n在上午第1节前增加1节");
        EXPECT_NE(Snapshot(&shown), first);
    });
}

TEST(TableMoveDlg, WithoutItsPicturesStillOpensWithTheTexts)
{
    Dlg dialog(nullptr, std::string(ZEM_TEST_DATA_DIR) + "/no-such-folder/");
    RunModal<Dlg>(dialog, [](Dlg& shown) {
        ASSERT_EQ(shown.GetOperations().size(), 5u);
        for (const CMoveOperation& operation : shown.GetOperations())
            EXPECT_TRUE(operation.picture.isNull()) << operation.name;
        EXPECT_EQ(ColouredPixels(Snapshot(&shown)), 0);
        SaveScreenshot(&shown, "table_move_no_pictures");
    });
}

TEST(TableMoveDlg, WithoutAnOpenTaskStartsNothing)
{
    Dlg dialog(nullptr, PictureFolder());
    ScriptedMessages messages;
    RunModal<Dlg>(dialog, [](Dlg& shown) {
        QTest::mouseClick(shown.GetDlgItem(Dlg::IDC_START), Qt::LeftButton);
        EXPECT_FALSE(shown.IsEnded());
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"没有正在使用的排课任务"});
}

}  // namespace
