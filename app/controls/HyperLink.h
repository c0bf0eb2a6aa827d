#pragma once
// A static text that works as a link: blue, purple once visited, red and underlined while the mouse
// is over it, with the hand cursor. A click opens its address in the web browser; a link without an
// address instead sends WM_QUICK_TOOL with its control id to its parent, so dialogs use such links
// as text commands.
#include "platform/Gdi.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Font.h"

#include <QCursor>
#include <QLabel>
#include <QTimer>

#include <optional>
#include <string>
#include <string_view>

class CHyperLink : public QLabel {
public:
    // Underline modes.
    enum { UNDERLINE_HOVER = -1, UNDERLINE_NEVER = 0, UNDERLINE_ALWAYS = 1 };

    explicit CHyperLink(QWidget* parent = nullptr);
    ~CHyperLink() override;

    // Makes the link a visible child of `parent` (a dialog parent gets it under the id), at `rect`
    // before it is fitted to its text.
    bool Create(std::string_view caption, QWidget* parent, int id);
    bool Create(std::string_view caption, const zem::Rect& rect, QWidget* parent, int id);
    int GetControlId() const { return m_id; }

    // The address; when the link exists it is fitted to its text again.
    void SetURL(std::string_view address);
    std::string GetURL() const { return m_url; }
    // Null: the system's hand cursor.
    void SetLinkCursor(const std::optional<QCursor>& cursor);
    void SetBkColor(zem::COLORREF color);
    void SetVisited(bool visited);
    bool IsVisited() const { return m_visited != 0; }
    void SetUnderline(int mode);
    int GetUnderline() const { return m_underline; }
    // The font of the link at rest and the font while the mouse is over it.
    void SetFont(const zem::gui::Font& font);
    void SetHoverFont(const zem::gui::Font& font);
    bool IsOverControl() const { return m_overControl != 0; }
    zem::COLORREF TextColor() const;

    // Opens the address in the browser; above 32 when it was opened.
    static int GotoURL(const std::string& address);
    // The box that says why an address could not be opened.
    static void ReportError(int code);
    static std::string ErrorText(int code);

protected:
    void PositionWindow();
    void SetDefaultCursor();
    // The periodic check whether the mouse has left the link.
    void OnTimer();

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Attach(QWidget* parent, int id, const zem::Rect& rect);
    void ApplyFont(const zem::gui::Font& font);
    void Clicked();

    zem::COLORREF m_linkColor = zem::RGB(0, 0, 238);
    zem::COLORREF m_visitedColor = zem::RGB(85, 26, 139);
    zem::COLORREF m_hoverColor = zem::RGB(255, 0, 0);
    zem::COLORREF m_bkColor = zem::RGB(255, 255, 255);
    int m_overControl = 0;
    int m_visited = 0;
    int m_underline = UNDERLINE_HOVER;
    int m_adjustToFit = 1;
    std::string m_url;
    zem::gui::Font m_underlineFont;
    zem::gui::Font m_normalFont;
    std::optional<QCursor> m_linkCursor;
    QTimer m_timer;  // the hover check, every 100 ms while the mouse is over the link
    int m_id = 0;
};
