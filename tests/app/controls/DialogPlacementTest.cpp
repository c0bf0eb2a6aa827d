// The placement vocabulary of the dialogs: field rows stacked down a column and a list in a band,
// in dialog units of the dialog's font.
#include "app/controls/DialogPlacement.h"
#include "platform/gui/Dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(DialogPlacement, FieldRowsStackDownTheColumnAndAButtonEndsItsRow)
{
    zem::gui::Dialog dialog(nullptr, "rows", {200, 120});
    const auto& u = dialog.Units();
    CFieldRows rows(&dialog, {10, 20, 300, 40, 6});
    EXPECT_EQ(rows.Bottom(), 20);
    auto* name = new QLineEdit(&dialog);
    QLabel* label = rows.Add("名称:", 1, name, nullptr, 0, 7);
    auto* teacher = new QLineEdit(&dialog);
    auto* pick = new QPushButton(&dialog);
    rows.Add("班主任:", 2, teacher, pick, 3);

    const int rowHeight = u.Y(14), step = u.Y(14) + u.Y(6);
    EXPECT_EQ(label->geometry(), QRect(10, 20, u.X(40) - u.X(2), rowHeight));
    EXPECT_EQ(dialog.GetDlgItem(7), label);
    EXPECT_EQ(name->geometry(), QRect(10 + u.X(40), 20, 300 - 10 - u.X(40), rowHeight));
    const int buttonWidth = rowHeight + u.X(4);
    EXPECT_EQ(pick->geometry(), QRect(300 - buttonWidth, 20 + step, buttonWidth, rowHeight));
    EXPECT_EQ(teacher->geometry().right() + 1, 300 - buttonWidth - u.X(3));
    EXPECT_EQ(dialog.GetDlgItem(2), teacher);
    EXPECT_EQ(dialog.GetDlgItem(3), pick);
    EXPECT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.Bottom(), 20 + step + rowHeight);
}

TEST(DialogPlacement, AListInABandKeepsTheMarginsAndSitsInsideItsFrame)
{
    zem::gui::Dialog dialog(nullptr, "list", {200, 120});
    dialog.resize(400, 300);
    const int margin = dialog.Units().X(7);
    auto* list = new QWidget(&dialog);
    const zem::Rect frame = PlaceList(&dialog, list, 50, 250, 3);
    EXPECT_EQ(frame, zem::Rect(margin, 50, 400 - margin, 250));
    EXPECT_EQ(list->geometry(), QRect(margin + 3, 53, 400 - 2 * margin - 6, 194));
    // A band too low for the list leaves it empty, never inside out.
    PlaceList(&dialog, list, 250, 240);
    EXPECT_EQ(list->height(), 0);
}

}  // namespace
