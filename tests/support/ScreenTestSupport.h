#pragma once
// What the screen tests of the program's controls and dialogs share: one offscreen application,
// pixel probes, scripted answers to message boxes and dialogs, and screenshots for a person to see.
#include "platform/Gdi.h"
#include "platform/Hooks.h"
#include "platform/gui/Dialog.h"
#include "support/PixelProbes.h"
#include "support/MessageRecorder.h"
#include "support/ModalScope.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

// The widget as it is painted now.
QImage Snapshot(QWidget* widget);
// Writes the widget's picture to the build's test-output folder as <name>.png; returns the path.
std::string SaveScreenshot(QWidget* widget, const std::string& name);
// The same under a bar that shows the window's caption, as a desktop's title bar does: offscreen
// windows have none, and some windows say what matters in their caption.
std::string SaveScreenshotWithCaption(QWidget* window, const std::string& name);

namespace zem::gui {
class ItemList;
}
// Clicks the check box of an item of a check list as the user does.
void ClickCheck(zem::gui::ItemList& list, int index);
// The texts of the list's items, in order.
std::vector<std::string> Listed(const zem::gui::ItemList& list);
// The texts of the items whose text rectangle cannot hold them, measured with the list's font
// (wrapped where the list wraps its texts), in order.
std::vector<std::string> CutItemTexts(zem::gui::ItemList& list);

// Runs the dialog modally while `act` works it as the user would; what DoModal answers.
template <class D>
int RunModal(D& dialog, const std::function<void(D&)>& act)
{
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (&shown == &dialog)
            act(dialog);
    });
    return dialog.DoModal();
}
