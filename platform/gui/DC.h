#pragma once
// A drawing context over QPainter that keeps the pixel rules the program's drawing code counts on:
// a filled rectangle leaves out its right and bottom edge, a line leaves out its end point, and text
// is laid out by DrawText with the formats below.
#include "platform/gui/Font.h"
#include "platform/Gdi.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <string_view>

namespace zem::gui {

// DrawText formats.
constexpr unsigned DT_TOP = 0x0000;
constexpr unsigned DT_LEFT = 0x0000;
constexpr unsigned DT_CENTER = 0x0001;
constexpr unsigned DT_RIGHT = 0x0002;
constexpr unsigned DT_VCENTER = 0x0004;  // single line only
constexpr unsigned DT_BOTTOM = 0x0008;   // single line only
constexpr unsigned DT_WORDBREAK = 0x0010;
constexpr unsigned DT_SINGLELINE = 0x0020;
constexpr unsigned DT_NOCLIP = 0x0100;
constexpr unsigned DT_CALCRECT = 0x0400;
constexpr unsigned DT_NOPREFIX = 0x0800;  // accepted; "&" is never a prefix here
constexpr unsigned DT_EDITCONTROL = 0x2000;  // with DT_WORDBREAK: a word wider than the line is broken too

enum BkMode { TRANSPARENT = 1, OPAQUE = 2 };

class DC {
public:
    // Draws into an image (the memory bitmap of a window or a printout). Shapes are not antialiased.
    explicit DC(QImage* image);
    // Draws on any paint device, such as a printer, in its device pixels. For a printer, beginning to
    // paint starts the document: IsActive tells whether it started, End finishes it.
    explicit DC(QPaintDevice* device);
    ~DC();
    DC(const DC&) = delete;
    DC& operator=(const DC&) = delete;

    QPainter& Painter() { return m_painter; }
    QImage* Image() { return m_image; }  // null when drawing on another device

    bool IsActive() const { return m_painter.isActive(); }
    // Ends painting; false when the device reports a failure.
    bool End();

    // Only the part of what is drawn inside the rectangle shows from now on.
    void SetClipRect(const Rect& rect);

    // An empty or inverted rectangle fills nothing.
    void FillSolidRect(const Rect& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    // One-pixel frame just inside the rectangle.
    void FrameRect(const Rect& rect, COLORREF color);
    // Top and left edge in one colour, right and bottom edge in the other.
    void Draw3dRect(const Rect& rect, COLORREF topLeft, COLORREF bottomRight);
    // The dotted frame of a focused item, inverting every other pixel; drawing it twice removes it.
    void DrawFocusRect(const Rect& rect);

    // A one-pixel solid line in the pen colour, from the current position up to but not including
    // the end point, which becomes the current position.
    COLORREF SetPenColor(COLORREF color);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    void SelectFont(const Font& font);
    const Font& GetFont() const { return m_font; }
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);  // TRANSPARENT is the default here
    int SetTextCharacterExtra(int pixels);

    // Draws (or, with DT_CALCRECT, measures into `rect`) the text and returns its height.
    int DrawText(std::string_view text, Rect& rect, unsigned format);
    int DrawText(std::string_view text, const Rect& rect, unsigned format)
    {
        Rect r = rect;
        return DrawText(text, r, format & ~DT_CALCRECT);
    }
    Size GetTextExtent(std::string_view text);

    void DrawImage(const QImage& image, int x, int y);

private:
    void ApplyFont();
    // Measured for the device drawn on, so that a printer's text is laid out as it prints.
    QFontMetrics Metrics() const { return m_painter.fontMetrics(); }

    QImage* m_image = nullptr;
    QPainter m_painter;
    Font m_font;
    int m_charExtra = 0;
    COLORREF m_penColor = 0;
    COLORREF m_textColor = 0;
    COLORREF m_bkColor = 0xFFFFFF;
    int m_bkMode = TRANSPARENT;
    Point m_position;
};

// The lines DrawText breaks a text into at a width (DT_WORDBREAK | DT_EDITCONTROL) in a font:
// between words of Latin text, between any two Chinese characters, inside a word wider than the line.
QStringList WrapText(const QString& text, const QFont& font, int width);

QColor ToQColor(COLORREF color);
COLORREF FromQColor(const QColor& color);

}  // namespace zem::gui
