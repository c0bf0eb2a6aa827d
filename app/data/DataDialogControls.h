#pragma once
// The controls the data dialogs are built from, behind one small interface each: the program's push
// button with its background colour, a link that opens a help page, and the input of an activity name.
#include "platform/Gdi.h"

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
