#include "platform/gui/ItemList.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zem::gui::ItemList;

// Clicks the check box of an item as the user does.
void ClickCheck(ItemList& list, int index)
{
    const QRect rect = list.visualItemRect(list.item(index));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(rect.left() + 9, rect.center().y()));
}

TEST(GuiItemList, OnlyTheUsersClicksOnCheckBoxesAreReported)
{
    ItemList list;
    list.resize(300, 200);
    list.SetCheckBoxes(true);
    for (const char* name : {"张老师", "李老师", "王老师"})
        list.InsertItem(list.GetItemCount(), name, -1, reinterpret_cast<std::uintptr_t>(name));
    std::vector<std::pair<int, bool>> reported;
    list.onCheckChanged = [&](int index, bool checked) { reported.push_back({index, checked}); };
    list.show();
    QApplication::processEvents();

    list.SetCheck(0, true);
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_TRUE(reported.empty());

    ClickCheck(list, 1);
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_EQ(reported, (std::vector<std::pair<int, bool>>{{1, true}}));

    // Inserting in front moves the later items with their texts, data and checks.
    list.InsertItem(0, "赵老师");
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_EQ(list.GetItemText(2), "李老师");
    EXPECT_STREQ(list.GetItemPtr<const char>(2), "李老师");
}

TEST(GuiItemList, IconModeShowsImagesAndSelectsOneItem)
{
    ItemList list(nullptr, ItemList::Mode::Icon);
    list.resize(300, 200);
    zem::gui::ImageList images(32, 32);
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(Qt::red);
    images.Add(red, zem::RGB(255, 255, 255));
    list.SetImageList(images);
    list.SetSingleSelection(true);
    list.InsertItem(0, "初一（1）班", 0, 7);
    list.InsertItem(1, "初一（2）班", 0, 8);
    list.SetSelected(1, true);
    list.SetSelected(0, true);
    EXPECT_EQ(list.GetSelectedRows(), std::vector<int>{0});
    EXPECT_EQ(list.GetItemImage(0), 0);
    EXPECT_EQ(list.GetItemData(1), 8u);
    EXPECT_FALSE(list.item(0)->icon().isNull());
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemData(0), 8u);
    EXPECT_FALSE(list.DeleteItem(5));
}

}  // namespace
