#pragma once
// The program's one tip balloon: a pale-yellow top-most box with an optional title line and a text
// of one or more lines, shown at a screen point for some seconds or until it is clicked.
#include "platform/Gdi.h"

#include <QTimer>
#include <QWidget>

#include <string>

class CTipWnd : public QWidget {
public:
    CTipWnd();
    ~CTipWnd() override;

    // Makes the (hidden) window; true when it exists.
    bool Create();
    // Sizes the balloon to the text, shows it with its top left at the screen point and, for
    // seconds above 0, hides it after that long. Showing again replaces texts, place and timer.
    void ShowTip(int x, int y, const std::string& title, const std::string& text, int seconds);

    const std::string& GetTitle() const { return m_title; }
    const std::string& GetText() const { return m_text; }
    // The auto-hide timer, for a look at what is pending.
    const QTimer& GetHideTimer() const { return m_hideTimer; }

    static constexpr int kTitleHeight = 18;
    static constexpr int kLineSpacing = 2;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::string m_title;
    std::string m_text;
    QTimer m_hideTimer;
};

// Shows "保存完成" for a second in the program's tip balloon at the window's top-right corner
// (corner 1) or its bottom-left corner (any other value).
void ShowSavedTip(QWidget* window, int corner);
