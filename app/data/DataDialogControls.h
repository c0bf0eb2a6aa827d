#pragma once
// The controls the data dialogs are built from, behind one small interface each: the program's push
// button with its background colour, a framed panel with a title band, a link that opens a help
// page, and the input of an activity name.
#include "platform/Gdi.h"
#include "platform/gui/DC.h"

#include <QLabel>

#include <string>
#include <string_view>

class QPushButton;
class QWidget;

// A push button of a dialog; its background starts white.
QPushButton* CreateDialogButton(QWidget* parent, std::string_view caption);
// The button's background: white, or RGB(255, 255, 200) while there is something to save.
void SetButtonBkColor(QPushButton* button, zem::COLORREF color);
zem::COLORREF GetButtonBkColor(const QPushButton* button);

// A white panel with a rounded grey frame and a blue title band, drawn by its owner.
class CDialogPanel {
public:
    static constexpr int kTitleHeight = 24;

    void SetTitle(std::string title) { m_title = std::move(title); }
    const std::string& GetTitle() const { return m_title; }
    void SetRect(const zem::Rect& rect) { m_rect = rect; }
    const zem::Rect& GetRect() const { return m_rect; }
    // Where the owner puts the panel's controls: below the band, inside the frame.
    zem::Rect GetBodyRect() const;
    void Draw(zem::gui::DC& dc, const zem::gui::Font& font) const;

private:
    std::string m_title;
    zem::Rect m_rect;
};

// A text that opens a web page of the program's site when clicked: blue, red and underlined under
// the mouse.
class CLinkLabel : public QLabel {
public:
    CLinkLabel(QWidget* parent, std::string_view text, std::string address);
    const std::string& GetAddress() const { return m_address; }
    // Opens the page, as a click does.
    void Open();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHovered(bool hovered);

    std::string m_address;
};

// Asks for the name of a school-wide activity ("输入"); true with the typed name after OK.
bool InputActivityName(QWidget* parent, std::string& name);
