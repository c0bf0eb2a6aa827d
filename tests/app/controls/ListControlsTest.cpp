#include "support/ScreenTestSupport.h"

#include "app/controls/OwnerDrawListBox.h"
#include "app/controls/Bitmaps.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "app/controls/SortListCtrl.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zem::RGB;
using zem::gui::ReportList;

std::vector<std::string> Column(const ReportList& list, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

void AddRow(ReportList& list, const std::vector<std::string>& texts, std::uintptr_t data)
{
    const int row = list.InsertItem(list.GetItemCount(), texts[0], data);
    for (std::size_t c = 1; c < texts.size(); ++c)
        list.SetItemText(row, static_cast<int>(c), texts[c]);
}

void ClickHeading(CSortListCtrl& list, int column)
{
    QHeaderView* header = list.horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
}

TEST(SkinHeader, IsTwentyTwoPixelsHighAndTiledToTheRightEdge)
{
    ReportList list;
    list.resize(300, 120);
    list.InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list.InsertColumn(1, "名称", ReportList::Align::Center, 60);
    list.InsertColumn(2, "人数", ReportList::Align::Right, 60);
    auto* header = new CSkinHeaderCtrl;
    list.SetHeader(header);
    EXPECT_EQ(list.GetColumnWidth(1), 60);
    list.show();
    QApplication::processEvents();
    EXPECT_EQ(header->height(), CSkinHeaderCtrl::kHeight);

    const QImage image = Snapshot(header);
    const QImage skin = LoadBitmapResource(IDB_HEADER_SKIN);
    // Right of the last column the tile repeats to the edge, without text.
    for (int y : {0, 5, 21})
        for (int x : {140, 200, image.width() - 1})
            EXPECT_EQ(PixelOf(image, x, y), PixelOf(skin, 0, y)) << x << "," << y;
    // A centred title sits in the middle of its cell; a right-aligned one is drawn at the left.
    const zem::Rect centred = BoundsOfDark(image, {0, 0, 60, 22});
    ASSERT_FALSE(centred.IsRectEmpty());
    EXPECT_NEAR((centred.left + centred.right) / 2, 30, 2);
    const zem::Rect right = BoundsOfDark(image, {60, 0, 120, 22});
    ASSERT_FALSE(right.IsRectEmpty());
    EXPECT_LE(right.left, 60 + 6);
    SaveScreenshot(&list, "skin_header");
}

TEST(SortList, ColumnClicksSortAscendingDescendingAscendingKeepingRowsWhole)
{
    CSortListCtrl list;
    list.resize(400, 200);
    list.InsertColumn(0, "姓名", ReportList::Align::Left, 100);
    list.InsertColumn(1, "课时", ReportList::Align::Center, 100);
    list.SetColumnType(1, CSortListCtrl::COLUMN_NUMERIC);
    // 张 comes before 李 in Unicode, after it in GBK (pinyin) order.
    AddRow(list, {"张三", "10"}, 1);
    AddRow(list, {"李四", "9"}, 2);
    AddRow(list, {"bob", "1.004"}, 3);
    AddRow(list, {"Alice", "abc"}, 4);
    AddRow(list, {"王五", "1.001"}, 5);
    list.SetSelected(1, true);  // 李四
    list.show();

    ClickHeading(list, 0);
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Alice", "bob", "李四", "王五", "张三"}));
    ClickHeading(list, 0);
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"张三", "王五", "李四", "bob", "Alice"}));
    ClickHeading(list, 0);
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Alice", "bob", "李四", "王五", "张三"}));
    EXPECT_TRUE(list.IsAscending());

    // Another column starts ascending; numbers compare to two places (1.004 equals 1.001, which keep
    // their order) and text that is no number counts as 0.
    ClickHeading(list, 1);
    EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"abc", "1.004", "1.001", "9", "10"}));
    ClickHeading(list, 1);
    EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"10", "9", "1.004", "1.001", "abc"}));

    // Each row's item data and selection moved with its texts.
    const std::vector<std::pair<std::string, std::uintptr_t>> owners = {
        {"张三", 1}, {"李四", 2}, {"bob", 3}, {"Alice", 4}, {"王五", 5}};
    for (int row = 0; row < list.GetItemCount(); ++row) {
        for (const auto& [name, data] : owners) {
            if (list.GetItemText(row, 0) == name) {
                EXPECT_EQ(list.GetItemData(row), data) << name;
            }
        }
    }
    EXPECT_EQ(list.GetSelectedRows(), std::vector<int>{1});
    EXPECT_EQ(list.GetItemText(1, 0), "李四");
}

TEST(SortList, TheSortedColumnShowsItsArrowAndAnEarlierOneLosesIt)
{
    CSortListCtrl list;
    list.resize(300, 120);
    list.InsertColumn(0, "姓名", ReportList::Align::Left, 120);
    list.InsertColumn(1, "课时", ReportList::Align::Right, 120);
    AddRow(list, {"甲", "1"}, 0);
    list.show();
    QApplication::processEvents();
    const zem::COLORREF shadow = RGB(160, 160, 160);
    const int height = list.horizontalHeader()->height();
    const zem::Rect arrow0(120 - 4 * (height / 4) - 3, 0, 120, height);
    const zem::Rect arrow1(240 - 4 * (height / 4) - 3, 0, 240, height);

    list.SortColumn(0, true);
    QImage image = Snapshot(list.horizontalHeader());
    EXPECT_GT(CountColor(image, arrow0, shadow), 0);
    list.SortColumn(1, false);
    image = Snapshot(list.horizontalHeader());
    EXPECT_EQ(CountColor(image, arrow0, shadow), 0);
    EXPECT_GT(CountColor(image, arrow1, shadow), 0);
    EXPECT_TRUE(list.GetHeader()->IsOwnerDrawn(0));
}

TEST(OwnerDrawListBox, ItemsShowBothNamesAndAnEmptyItemOnlyItsFrame)
{
    COwnerDrawListBox box;
    box.resize(320, 200);
    CRenameRecord record{"初一（1）班", "701", "初二（1）班", "801"};
    box.AddString("初一（1）班 -> 初二（1）班");
    box.SetItemDataPtr(0, &record);
    box.AddString("");
    box.SetCurSel(0);
    box.show();
    QApplication::processEvents();
    EXPECT_EQ(box.GetItemDataPtr(0), &record);
    EXPECT_EQ(box.GetItemDataPtr(1), nullptr);

    const QImage image = Snapshot(box.viewport());
    const zem::Rect first(0, 0, 320, 36), second(0, 36, 320, 72);
    EXPECT_EQ(PixelOf(image, 6, 10), RGB(196, 202, 227));   // frame
    EXPECT_EQ(PixelOf(image, 10, 6), RGB(196, 202, 227));   // selected fill
    EXPECT_EQ(PixelOf(image, 10, 42), RGB(247, 247, 247));  // plain fill
    EXPECT_FALSE(BoundsOfDark(image, first).IsRectEmpty());
    EXPECT_GT(CountColor(image, {0, 18, 320, 34}, RGB(192, 192, 192)), 0);  // the grey short names
    EXPECT_TRUE(BoundsOfDark(image, second).IsRectEmpty());
    SaveScreenshot(&box, "rename_list_box");
}

}  // namespace
