#pragma once
// What the framework's dialogs share in their look: the grey band, the blue-grey frame drawn around
// lists and search boxes, and painting off-screen; and, through DialogPlacement.h, where their
// controls go.
#include "app/controls/DialogPlacement.h"
#include "platform/Gdi.h"
#include "platform/Hooks.h"
#include "platform/gui/DC.h"

#include <functional>
#include <string>
#include <string_view>

class QTreeWidget;
class QWidget;

namespace zem::gui {
class Dialog;
}

constexpr zem::COLORREF kDialogBandColor = zem::RGB(240, 240, 240);
constexpr zem::COLORREF kDialogFrameColor = zem::RGB(156, 182, 197);
// Height of the button and search bands of the dialogs, and of the title band of the tool dialogs.
constexpr int kDialogBandHeight = 42;
// Height of the grey button band at the foot of the tool, wizard and result dialogs.
constexpr int kDialogFooterHeight = 45;

// Paints the widget's whole client area through a memory image copied in one step.
void PaintOffscreen(QWidget* widget, const std::function<void(zem::gui::DC& dc, const zem::Rect& client)>& draw);
// The white box of a search edit (or any framed control) with its frame.
void DrawFramedBox(zem::gui::DC& dc, const zem::Rect& frame, bool whiteInside);

// The background of the picker dialogs: white, the grey band, the search box and the list frame.
void PaintBandDialog(QWidget* dialog, const zem::Rect& searchFrame, const zem::Rect& listFrame);
// The background of a dialog whose buttons sit in the grey band at its bottom: white above the band,
// and the blue-grey frames around its lists.
void PaintButtonBandDialog(QWidget* dialog, std::initializer_list<zem::Rect> frames = {});
// Lets a tree's item texts wrap to its width, rows growing to their lines, and wrap afresh as the
// tree is resized: a long step or title shows whole instead of running out of sight sideways.
void WrapTreeTexts(QTreeWidget* tree);
// A question with the caption "提示"; the answer.
int AskQuestion(const std::string& text, zem::MessageButtons buttons);
