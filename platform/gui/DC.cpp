#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace zem::gui {

namespace {

struct TextLine {
    int start = 0;
    int length = 0;
    int width = 0;
};

int CharLength(const QString& text, int pos)
{
    return (text[pos].isHighSurrogate() && pos + 1 < text.size()) ? 2 : 1;
}

// A break may fall between words of Latin text and between any two Chinese characters.
int TokenEnd(const QString& text, int pos, int end)
{
    if (text[pos].unicode() >= 0x80)
        return pos + CharLength(text, pos);
    int i = pos;
    while (i < end && text[i] != u' ' && text[i].unicode() < 0x80)
        ++i;
    return i;
}

class LineBreaker {
public:
    LineBreaker(const QString& text, const QFontMetrics& metrics, int maxWidth, unsigned format)
        : m_text(text), m_metrics(metrics), m_maxWidth(maxWidth), m_format(format)
    {
    }

    std::vector<TextLine> Lines()
    {
        const int length = static_cast<int>(m_text.size());
        if (m_format & DT_SINGLELINE) {
            Emit(0, length);
            return std::move(m_lines);
        }
        int pos = 0;
        for (;;) {
            const int newline = static_cast<int>(m_text.indexOf(u'\n', pos));
            const int end = newline < 0 ? length : newline;
            int paragraphEnd = end;
            if (paragraphEnd > pos && m_text[paragraphEnd - 1] == u'\r')
                --paragraphEnd;
            if (m_format & DT_WORDBREAK)
                BreakParagraph(pos, paragraphEnd);
            else
                Emit(pos, paragraphEnd);
            if (newline < 0)
                break;
            pos = newline + 1;
        }
        return std::move(m_lines);
    }

private:
    int Width(int start, int end) const { return m_metrics.horizontalAdvance(m_text.mid(start, end - start)); }
    bool Fits(int start, int end) const { return Width(start, end) <= m_maxWidth; }
    void Emit(int start, int end) { m_lines.push_back({start, end - start, Width(start, end)}); }

    void BreakParagraph(int begin, int end)
    {
        const std::size_t before = m_lines.size();
        int lineStart = begin;  // -1: the next line starts at the next word (spaces at a break vanish)
        int lineEnd = begin;
        bool any = false;
        int i = begin;
        while (i < end) {
            if (m_text[i] == u' ') {
                ++i;
                continue;
            }
            if (lineStart < 0)
                lineStart = i;
            const int tokenEnd = TokenEnd(m_text, i, end);
            if (Fits(lineStart, tokenEnd)) {
                lineEnd = tokenEnd;
                any = true;
                i = tokenEnd;
                continue;
            }
            if (any) {
                Emit(lineStart, lineEnd);
                lineStart = i;
                any = false;
                continue;
            }
            // The word alone is wider than the line.
            if (!(m_format & DT_EDITCONTROL)) {
                lineEnd = tokenEnd;
                any = true;
                i = tokenEnd;
                continue;
            }
            int k = i + CharLength(m_text, i);
            while (k < tokenEnd && Fits(lineStart, k + CharLength(m_text, k)))
                k += CharLength(m_text, k);
            Emit(lineStart, k);
            lineStart = k;
            i = k;
        }
        if (any)
            Emit(lineStart, lineEnd);
        else if (m_lines.size() == before)
            Emit(begin, begin);  // an empty paragraph still takes a line
    }

    const QString& m_text;
    const QFontMetrics& m_metrics;
    int m_maxWidth;
    unsigned m_format;
    std::vector<TextLine> m_lines;
};

}  // namespace

QColor ToQColor(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF FromQColor(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

DC::DC(QImage* image) : DC(static_cast<QPaintDevice*>(image))
{
    m_image = image;
}

DC::DC(QPaintDevice* device)
{
    if (!m_painter.begin(device))
        return;
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, TextAntialiasing());
    ApplyFont();
}

DC::~DC()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool DC::End()
{
    return m_painter.isActive() && m_painter.end();
}

void DC::SetClipRect(const Rect& rect)
{
    m_painter.setClipRect(QRect(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height())));
}

void DC::FillSolidRect(const Rect& rect, COLORREF color)
{
    if (rect.IsRectEmpty())
        return;
    m_painter.fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()), ToQColor(color));
}

void DC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    // A negative extent counts back from the edge (a right or bottom edge drawn as cx = -1).
    Rect r(x, y, x + cx, y + cy);
    r.NormalizeRect();
    FillSolidRect(r, color);
}

void DC::FrameRect(const Rect& rect, COLORREF color)
{
    if (rect.IsRectEmpty())
        return;
    FillSolidRect(rect.left, rect.top, rect.Width(), 1, color);
    FillSolidRect(rect.left, rect.bottom - 1, rect.Width(), 1, color);
    FillSolidRect(rect.left, rect.top, 1, rect.Height(), color);
    FillSolidRect(rect.right - 1, rect.top, 1, rect.Height(), color);
}

void DC::Draw3dRect(const Rect& rect, COLORREF topLeft, COLORREF bottomRight)
{
    const int x = rect.left, y = rect.top, cx = rect.Width(), cy = rect.Height();
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx, y, -1, cy, bottomRight);
    FillSolidRect(x, y + cy, cx, -1, bottomRight);
}

void DC::DrawFocusRect(const Rect& rect)
{
    if (rect.IsRectEmpty())
        return;
    std::vector<Point> points;
    for (int x = rect.left; x < rect.right; ++x) {
        points.push_back({x, rect.top});
        if (rect.bottom - 1 > rect.top)
            points.push_back({x, rect.bottom - 1});
    }
    for (int y = rect.top + 1; y < rect.bottom - 1; ++y) {
        points.push_back({rect.left, y});
        if (rect.right - 1 > rect.left)
            points.push_back({rect.right - 1, y});
    }
    const auto mode = m_painter.compositionMode();
    m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const Point& p : points) {
        if (((p.x + p.y) & 1) == 0)
            m_painter.fillRect(QRect(p.x, p.y, 1, 1), Qt::white);
    }
    m_painter.setCompositionMode(mode);
}

COLORREF DC::SetPenColor(COLORREF color)
{
    std::swap(m_penColor, color);
    return color;
}

void DC::MoveTo(int x, int y)
{
    m_position = {x, y};
}

void DC::LineTo(int x1, int y1)
{
    int x = m_position.x, y = m_position.y;
    const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
    const QColor color = ToQColor(m_penColor);
    if (dy == 0 || dx == 0) {
        // Straight lines in one rectangle.
        if (dy == 0 && dx > 0)
            m_painter.fillRect(QRect(sx > 0 ? x : x1 + 1, y, dx, 1), color);
        else if (dx == 0 && dy < 0)
            m_painter.fillRect(QRect(x, sy > 0 ? y : y1 + 1, 1, -dy), color);
    } else {
        int error = dx + dy;
        while (x != x1 || y != y1) {
            m_painter.fillRect(QRect(x, y, 1, 1), color);
            const int e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y += sy;
            }
        }
    }
    m_position = {x1, y1};
}

void DC::SelectFont(const Font& font)
{
    m_font = font;
    ApplyFont();
}

void DC::ApplyFont()
{
    QFont font = m_font.GetQFont();
    if (m_charExtra != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, m_charExtra);
    if (m_painter.isActive())
        m_painter.setFont(font);
}

COLORREF DC::SetTextColor(COLORREF color)
{
    std::swap(m_textColor, color);
    return color;
}

COLORREF DC::SetBkColor(COLORREF color)
{
    std::swap(m_bkColor, color);
    return color;
}

int DC::SetBkMode(int mode)
{
    std::swap(m_bkMode, mode);
    return mode;
}

int DC::SetTextCharacterExtra(int pixels)
{
    std::swap(m_charExtra, pixels);
    ApplyFont();
    return pixels;
}

int DC::DrawText(std::string_view text, Rect& rect, unsigned format)
{
    const QString s = ToQ(text);
    const QFontMetrics metrics = Metrics();
    const int lineHeight = metrics.height();
    const std::vector<TextLine> lines = LineBreaker(s, metrics, rect.Width(), format).Lines();
    int widest = 0;
    for (const TextLine& line : lines)
        widest = std::max(widest, line.width);
    const int height = lineHeight * static_cast<int>(lines.size());

    if (format & DT_CALCRECT) {
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
        return height;
    }

    int y = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect.top + (rect.Height() - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect.bottom - lineHeight;
    }
    m_painter.save();
    if (!(format & DT_NOCLIP))
        m_painter.setClipRect(QRect(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height())),
                             Qt::IntersectClip);
    m_painter.setPen(ToQColor(m_textColor));
    const bool clipped = !(format & DT_NOCLIP);
    for (const TextLine& line : lines) {
        // Lines below a clipped rectangle would be shaped and drawn for nothing.
        if (clipped && y >= rect.bottom)
            break;
        int x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + (rect.Width() - line.width) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - line.width;
        if (m_bkMode == OPAQUE)
            m_painter.fillRect(QRect(x, y, line.width, lineHeight), ToQColor(m_bkColor));
        m_painter.drawText(QPoint(x, y + metrics.ascent()), s.mid(line.start, line.length));
        y += lineHeight;
    }
    m_painter.restore();
    return height;
}

QStringList WrapText(const QString& text, const QFont& font, int width)
{
    const QFontMetrics metrics(font);
    QStringList lines;
    for (const TextLine& line : LineBreaker(text, metrics, width, DT_WORDBREAK | DT_EDITCONTROL).Lines())
        lines.push_back(text.mid(line.start, line.length));
    return lines;
}

Size DC::GetTextExtent(std::string_view text)
{
    const QFontMetrics metrics = Metrics();
    return {metrics.horizontalAdvance(ToQ(text)),
            metrics.height()};
}

void DC::DrawImage(const QImage& image, int x, int y)
{
    m_painter.drawImage(x, y, image);
}

}  // namespace zem::gui
