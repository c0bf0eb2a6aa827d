#pragma once
// The program's push button: rounded, filled with a vertical gradient of its background colour,
// orange edges while the mouse is over it, blue edges and a focus rectangle while it has the focus.
// And the edit box with a flat light-grey frame.
#include "platform/Gdi.h"
#include "platform/gui/DC.h"

#include <QLineEdit>
#include <QPushButton>

#include <string_view>

class CHoverButton : public QPushButton {
public:
    // Item states of one drawing, as the button's owner-draw request carries them.
    enum : unsigned { ODS_SELECTED = 0x1, ODS_DISABLED = 0x4, ODS_FOCUS = 0x10, ODS_DEFAULT = 0x20 };

    explicit CHoverButton(QWidget* parent = nullptr);
    CHoverButton(std::string_view caption, QWidget* parent);

    // Makes the button a visible child of `parent` with an empty rectangle; a dialog parent gets it
    // under the control id. The owner moves it into place.
    bool CreateButton(QWidget* parent, std::string_view caption, int id);

    // The gradient's base colour; the program passes white or RGB(255, 255, 200).
    void SetBkColor(zem::COLORREF color);
    zem::COLORREF GetBkColor() const { return m_bkColor; }
    bool IsHovered() const { return m_hovered != 0; }

    // Draws the whole button for the item state into `dc` over `rect`.
    void DrawItem(zem::gui::DC& dc, const zem::Rect& rect, unsigned state);
    // The item state of the button as it stands.
    unsigned ItemState() const;

protected:
    virtual void DrawBackground(zem::gui::DC& dc, const zem::Rect& inner);
    virtual void DrawFocus(zem::gui::DC& dc, const zem::Rect& inner);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_hovered = 0;
    int m_focused = 0;
    int m_emphasised = 0;
    zem::COLORREF m_bkColor = zem::RGB(255, 255, 255);
};

class CFlatEdit : public QLineEdit {
public:
    explicit CFlatEdit(QWidget* parent = nullptr);

    // Makes the edit a visible child of `parent` at `rect`; a dialog parent gets it under the id.
    bool CreateFlat(const zem::Rect& rect, QWidget* parent, int id);

    static constexpr zem::COLORREF kFrameColor = zem::RGB(223, 223, 223);

protected:
    void paintEvent(QPaintEvent* event) override;
};
