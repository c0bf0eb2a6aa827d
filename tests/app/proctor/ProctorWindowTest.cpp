// The proctoring window on a screen smaller than it would like: it opens over the work area with
// its frame, and the buttons of its bottom band stay whole on the screen.
#include "app/proctor/ProctorDlg.h"
#include "platform/gui/Desktop.h"
#include "support/ModalScope.h"
#include "support/PixelProbes.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

TEST(ProctorWindow, OpensInsideTheWorkAreaWithItsBottomButtonsWhole)
{
    const zem::Rect area(0, 0, 1600, 1000);
    const auto previous = zem::gui::SetWorkAreaHook([area] { return area; });
    const QRect work(area.left, area.top, area.Width(), area.Height());
    CProctorDlg page;
    bool shown = false;
    {
        ModalScope modal([&](zem::gui::Dialog& dialog) {
            shown = true;
            // The window is placed again once the window system has framed it.
            QCoreApplication::processEvents();
            EXPECT_TRUE(work.contains(dialog.frameGeometry())) << "frame " << dialog.frameGeometry().height();
            for (const int id : {CProctorDlg::IDC_RULE, CProctorDlg::IDC_START, CProctorDlg::IDC_SAVE}) {
                const QWidget* button = dialog.GetDlgItem(id);
                ASSERT_NE(button, nullptr);
                const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
                EXPECT_TRUE(work.contains(onScreen)) << button->property("text").toString().toStdString();
                EXPECT_TRUE(dialog.rect().contains(button->geometry()));
            }
            SavePicture(dialog.grab().toImage(), "proctor-window-1600x1000.png");
            dialog.EndDialog(zem::IDCANCEL);
        });
        page.DoModal();
    }
    EXPECT_TRUE(shown);
    zem::gui::SetWorkAreaHook(previous);
}

}  // namespace
