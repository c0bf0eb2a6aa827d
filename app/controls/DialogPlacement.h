#pragma once
// The one placement vocabulary of the program's dialogs. Rectangles are given in dialog units of
// the dialog's font (Dialog::UnitsRect, Dialog::Units), converted once, so a dialog keeps its shape
// whatever the font measures. A dialog, new or old, places its controls only with these:
//   - a fixed control of its description: AddLabel, AddEdit, AddCheck, AddGroup, AddHoverButton,
//     AddField (any other control), all at a UnitsRect;
//   - rows of a label and its field down a column: a CFieldRows, one Add per row, then Bottom()
//     for what comes below (the button band, the dialog's height);
//   - a list in a band: PlaceList between a top and a bottom (the band's, a row's, the buttons'),
//     7 units in from the sides, the list inside its frame; PlaceBandList under the search band of
//     the pickers; a resizable dialog calls them again from its resizeEvent, with PlaceButtonRow;
//   - a row of buttons: PlaceButtonRow; the search band of the pickers: PlaceSearchBand;
//   - words and fields read as one sentence across the dialog: a CWordRow;
//   - a rectangle in pixels the dialog works out itself (a resizable dialog's layout, a look drawn to
//     the pixel): SetWidgetRect; a control at its own size (a label fitted to its text, a button
//     sized before) at a point it works out: SetWidgetTopLeft; a control's size before its place
//     is known (a button of a row): SetWidgetSize.
// No dialog writes its own row stacker or list placement.
#include "platform/Gdi.h"

#include <initializer_list>
#include <string_view>

class CHoverButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace zem::gui {
class Dialog;
}

// A widget's rectangle in its parent's coordinates.
zem::Rect WidgetRect(const QWidget* widget);
void SetWidgetRect(QWidget* widget, const zem::Rect& rect);
// The widget at its own size with its top left corner at the point.
void SetWidgetTopLeft(QWidget* widget, int left, int top);
// The widget at the size, where it is.
void SetWidgetSize(QWidget* widget, int width, int height);

// A static text at the rectangle; under the id when one is given.
QLabel* AddLabel(zem::gui::Dialog* dialog, std::string_view text, const zem::Rect& rect, int id = 0);
// A plain edit at the rectangle under the id.
QLineEdit* AddEdit(zem::gui::Dialog* dialog, int id, const zem::Rect& rect);
// A check box at the rectangle under the id, ticked or not.
QCheckBox* AddCheck(zem::gui::Dialog* dialog, int id, std::string_view text, const zem::Rect& rect, bool checked);
// Any control of the dialog (a list, a drop-down list, an edit of its own kind) at the rectangle under
// the id.
QWidget* AddField(zem::gui::Dialog* dialog, int id, QWidget* control, const zem::Rect& rect);
// A group box drawn around controls placed over it.
QGroupBox* AddGroup(zem::gui::Dialog* dialog, std::string_view title, const zem::Rect& rect);
// A push button of the dialog under the id, 50 x 14 dialog units (or at the rectangle), that Enter
// does not press unless it is made the default.
CHoverButton* AddHoverButton(zem::gui::Dialog* dialog, int id, std::string_view text);
CHoverButton* AddHoverButton(zem::gui::Dialog* dialog, int id, std::string_view text, const zem::Rect& rect);

// Rows of a label and its field stacked down a column of the dialog, in pixels of its units: each
// row `rowHeight` units high and `rowGap` units below the one before, the label from `left` up to
// 2 units before the field, the field from `labelWidth` units after `left` to `right`; a small
// button given with a row ends it at `right`, the field 3 units before the button.
class CFieldRows {
public:
    struct Column {
        int left;        // pixels
        int top;         // pixels
        int right;       // pixels
        int labelWidth;  // units
        int rowGap;      // units
        int rowHeight = 14;  // units
    };

    CFieldRows(zem::gui::Dialog* dialog, const Column& column);

    // Adds the next row: its label (under the label id when one is given), its field under the id
    // and, when given, the button under its id. The label.
    QLabel* Add(std::string_view label, int id, QWidget* field, QWidget* button = nullptr, int buttonId = 0,
                int labelId = 0);
    int Count() const { return m_count; }
    // The bottom of the last row; the column's top before the first.
    int Bottom() const;

private:
    zem::gui::Dialog* m_dialog;
    Column m_column;
    int m_rowHeight;
    int m_rowGap;
    int m_count = 0;
};

// Words and fields in one line across the dialog, read as a sentence: from `left` at `top`, each
// `gap` pixels after the one before; the words at the size of their text, centred on the line's
// height, the fields as high as the line at the width given.
class CWordRow {
public:
    struct Line {
        int left;    // pixels
        int top;     // pixels
        int height;  // pixels
        int gap;     // pixels
    };

    CWordRow(zem::gui::Dialog* dialog, const Line& line);

    QLabel* Words(std::string_view words);
    // The field under the id, `width` pixels wide.
    QWidget* Field(int id, QWidget* field, int width);

private:
    zem::gui::Dialog* m_dialog;
    Line m_line;
    int m_x;
};

// The list of a dialog in the band from `top` to `bottom`, 7 units in from both sides, `inset`
// pixels inside its frame. Returns the frame, which the dialog paints.
zem::Rect PlaceList(zem::gui::Dialog* dialog, QWidget* list, int top, int bottom, int inset = 1);
// The list of a picker dialog between the search band and the button row at `buttonsTop`.
zem::Rect PlaceBandList(zem::gui::Dialog* dialog, QWidget* list, int buttonsTop);
// Puts a borderless edit inside its frame, 3, 5, 3 and 1 pixels in from the left, top, right and bottom.
void PlaceEditInFrame(QWidget* edit, const zem::Rect& frame);
// One row of the dialog's buttons at `top`: the first ids from the left edge, the others ending at
// the right edge, 7 dialog units in and 4 apart.
void PlaceButtonRow(zem::gui::Dialog* dialog, int top, std::initializer_list<int> left, std::initializer_list<int> right);
// The search band of the picker dialogs: the label, then the edit's frame up to the right margin,
// after the band button; the edit goes inside the frame. Returns the frame.
zem::Rect PlaceSearchBand(zem::gui::Dialog* dialog, const QWidget* lastButton, QWidget* label, QWidget* edit);
