#pragma once
// The small yellow note a grid shows beside the cursor over a cell with a tip text.
#include "platform/gui/Font.h"
#include "platform/Gdi.h"

#include <QWidget>

#include <string>

class CTableTipWnd : public QWidget {
public:
    CTableTipWnd();
    ~CTableTipWnd() override;

    // Shows the text beside the cursor, or hides the tip for an empty text.
    void ShowAtCursor(const std::string& text);
    void HideTip();
    const std::string& GetText() const { return m_text; }

    // Top-left corner of a tip of `size` for the cursor: below and right of it, flipped above and to
    // the left where it would pass the work area's bottom or right edge.
    static zem::Point Place(zem::Point cursor, zem::Size size, const zem::Rect& workArea);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string m_text;
    zem::Rect m_textRect;
    zem::gui::Font m_font;
};
