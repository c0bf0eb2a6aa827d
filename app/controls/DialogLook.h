#pragma once
// What the framework's dialogs share in their look: the grey band, the blue-grey frame drawn around
// lists and search boxes, the borderless edit set inside its frame, and painting off-screen.
#include "platform/Gdi.h"
#include "platform/Hooks.h"
#include "platform/gui/DC.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

class CHoverButton;
class QWidget;

namespace zem::gui {
class Dialog;
}

constexpr zem::COLORREF kDialogBandColor = zem::RGB(240, 240, 240);
constexpr zem::COLORREF kDialogFrameColor = zem::RGB(156, 182, 197);
// Height of the button and search bands of the dialogs.
constexpr int kDialogBandHeight = 42;

// Paints the widget's whole client area through a memory image copied in one step.
void PaintOffscreen(QWidget* widget, const std::function<void(zem::gui::DC& dc, const zem::Rect& client)>& draw);
// A widget's rectangle in its parent's coordinates.
zem::Rect WidgetRect(const QWidget* widget);
void SetWidgetRect(QWidget* widget, const zem::Rect& rect);
// Puts a borderless edit inside its frame, 3, 5, 3 and 1 pixels in from the left, top, right and bottom.
void PlaceEditInFrame(QWidget* edit, const zem::Rect& frame);
// The white box of a search edit (or any framed control) with its frame.
void DrawFramedBox(zem::gui::DC& dc, const zem::Rect& frame, bool whiteInside);

// A push button of the dialog under the id, 50 x 14 dialog units, that Enter does not press unless
// it is made the default.
CHoverButton* AddHoverButton(zem::gui::Dialog* dialog, int id, std::string_view text);
// One row of the dialog's buttons at `top`: the first ids from the left edge, the others ending at
// the right edge, 7 dialog units in and 4 apart.
void PlaceButtonRow(zem::gui::Dialog* dialog, int top, std::initializer_list<int> left, std::initializer_list<int> right);
// The search band of the picker dialogs: the label, then the edit's frame up to the right margin,
// after the band button; the edit goes inside the frame. Returns the frame.
zem::Rect PlaceSearchBand(zem::gui::Dialog* dialog, const QWidget* lastButton, QWidget* label, QWidget* edit);
// The list of a picker dialog between the band and the button row at `buttonsTop`, 1 pixel inside
// its frame. Returns the frame.
zem::Rect PlaceBandList(zem::gui::Dialog* dialog, QWidget* list, int buttonsTop);
// The background of the picker dialogs: white, the grey band, the search box and the list frame.
void PaintBandDialog(QWidget* dialog, const zem::Rect& searchFrame, const zem::Rect& listFrame);
// The background of a dialog whose buttons sit in the grey band at its bottom: white above the band,
// and the blue-grey frames around its lists.
void PaintButtonBandDialog(QWidget* dialog, std::initializer_list<zem::Rect> frames = {});
// A question with the caption "提示"; the answer.
int AskQuestion(const std::string& text, zem::MessageButtons buttons);
