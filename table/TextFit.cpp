#include "table/TextFit.h"

#include "platform/Text.h"

#include <QFontMetrics>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

using zem::COLORREF;
using zem::Rect;
using namespace zem::gui;

namespace {

const QString kEllipsis = QStringLiteral("…");

unsigned HAlignFormat(TextHAlign align)
{
    return align == TextHAlign::Center ? DT_CENTER : align == TextHAlign::Right ? DT_RIGHT : DT_LEFT;
}

unsigned VAlignFormat(TextVAlign align)
{
    return align == TextVAlign::Center ? DT_VCENTER : align == TextVAlign::Bottom ? DT_BOTTOM : DT_TOP;
}

// Where a block of `height` starts in the box.
int BlockTop(const Rect& box, int height, TextVAlign align)
{
    if (align == TextVAlign::Center)
        return box.top + (box.Height() - height) / 2;
    if (align == TextVAlign::Bottom)
        return box.bottom - height;
    return box.top;
}

int LineLeft(const Rect& box, int width, TextHAlign align)
{
    if (align == TextHAlign::Center)
        return box.left + (box.Width() - width) / 2;
    if (align == TextHAlign::Right)
        return box.right - width;
    return box.left;
}

// The font at another character height. Fonts are made once and kept for the process's life, so
// that fitted texts may point at them; grids draw on the GUI thread only.
const Font& ResizedFont(const Font& base, int pixels)
{
    struct Entry {
        zem::LogFont logFont;
        QFont::StyleStrategy strategy;
        std::unique_ptr<Font> font;
    };
    static std::vector<Entry> fonts;
    zem::LogFont logFont = base.GetLogFont();
    logFont.height = -pixels;
    const QFont::StyleStrategy strategy = base.GetQFont().styleStrategy();
    for (const Entry& entry : fonts) {
        if (entry.logFont == logFont && entry.strategy == strategy)
            return *entry.font;
    }
    fonts.push_back({logFont, strategy, std::make_unique<Font>(logFont)});
    return *fonts.back().font;
}

QString LinesText(const QStringList& lines)
{
    return lines.join(u'\n');
}

// Places the lines by their ink: true when every line is within the box's width and the ink of the
// block within its height.
bool PlaceByInk(const QStringList& lines, const QFontMetrics& metrics, const TextSlot& slot, FittedText& out)
{
    const Rect& box = slot.box;
    const int lineHeight = metrics.height();
    int inkTop = 0, inkBottom = 0, left = box.right, right = box.left;
    bool anyInk = false;
    for (int i = 0; i < lines.size(); ++i) {
        const int width = metrics.horizontalAdvance(lines[i]);
        if (width > box.Width())
            return false;
        const QRect ink = metrics.tightBoundingRect(lines[i]);
        if (ink.isEmpty())
            continue;
        const int x = LineLeft(box, width, slot.hAlign);
        // Some glyphs ink a pixel beyond their advance.
        if (x + ink.left() < box.left || x + ink.left() + ink.width() > box.right)
            return false;
        left = std::min(left, x + ink.left());
        right = std::max(right, x + ink.left() + ink.width());
        const int top = i * lineHeight + ink.top(), bottom = i * lineHeight + ink.top() + ink.height();
        inkTop = anyInk ? std::min(inkTop, top) : top;
        inkBottom = anyInk ? std::max(inkBottom, bottom) : bottom;
        anyInk = true;
    }
    const int inkHeight = inkBottom - inkTop;
    if (!anyInk || inkHeight > box.Height())
        return false;
    // The first baseline lies so far below the ink's top; the lines' boxes may pass the box where
    // no ink is.
    const int top = BlockTop(box, inkHeight, slot.vAlign);
    const int firstLineTop = top - inkTop - metrics.ascent();
    out.text = LinesText(lines).toStdString();
    out.rect = Rect(box.left, firstLineTop, box.right, firstLineTop + lineHeight * static_cast<int>(lines.size()));
    out.format = HAlignFormat(slot.hAlign);
    out.extent = Rect(left, top, right, top + inkHeight);
    return true;
}

// Whether the text could fit the box wrapped at all: its lines together are at least as wide as it
// is on one line, and the box holds a line more than its height in lines at the most. A long text
// in a small cell is then refused without wrapping it at every size tried.
bool CouldFitWrapped(const QString& text, const QFontMetrics& metrics, const Rect& box)
{
    const int lines = box.Height() / std::max(1, metrics.height()) + 1;
    // A line's width of slack for what a break costs or kerning gives back.
    const long long room = static_cast<long long>(lines + 1) * std::max(0, box.Width());
    return metrics.horizontalAdvance(QString(text).replace(u'\n', u' ')) <= room;
}

// The grids' own rule, when the text fits whole in the font: one line, or word-wrapped, placed in
// the box by its lines' height.
bool FitAsIs(const QString& text, const QFont& font, const TextSlot& slot, FittedText& out)
{
    const QFontMetrics metrics(font);
    const Rect& box = slot.box;
    const int lineHeight = metrics.height();
    if (!slot.wrap) {
        const int width = metrics.horizontalAdvance(text);
        if (text.contains(u'\n') || width > box.Width() || lineHeight > box.Height())
            return false;
        out.rect = box;
        out.format = DT_SINGLELINE | VAlignFormat(slot.vAlign) | HAlignFormat(slot.hAlign);
        const int left = LineLeft(box, width, slot.hAlign), top = BlockTop(box, lineHeight, slot.vAlign);
        out.extent = Rect(left, top, left + width, top + lineHeight);
        return true;
    }
    if (!CouldFitWrapped(text, metrics, box))
        return false;
    const QStringList lines = WrapText(text, font, box.Width());
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int height = lineHeight * static_cast<int>(lines.size());
    if (width > box.Width() || height > box.Height())
        return false;
    const int left = LineLeft(box, width, slot.hAlign), top = BlockTop(box, height, slot.vAlign);
    out.rect = Rect(left, top, left + width, top + height);
    out.format = DT_WORDBREAK | DT_EDITCONTROL | HAlignFormat(slot.hAlign);
    out.extent = out.rect;
    return true;
}

// The text on one line, or wrapped where the slot allows, placed by its ink.
bool FitSmaller(const QString& text, const QFont& font, const TextSlot& slot, FittedText& out)
{
    const QFontMetrics metrics(font);
    const QString oneLine = QString(text).replace(u'\n', u' ');
    if (!text.contains(u'\n') && PlaceByInk({oneLine}, metrics, slot, out))
        return true;
    return slot.wrap && CouldFitWrapped(text, metrics, slot.box) &&
           PlaceByInk(WrapText(text, font, slot.box.Width()), metrics, slot, out);
}

// The line cut short so that it ends in "…" within the width; empty when not even that fits.
QString Shortened(QString line, const QFontMetrics& metrics, int width)
{
    while (!line.isEmpty() && metrics.horizontalAdvance(line + kEllipsis) > width)
        line.chop(line.size() >= 2 && line.back().isLowSurrogate() ? 2 : 1);
    const QString shortened = line + kEllipsis;
    return metrics.horizontalAdvance(shortened) <= width ? shortened : QString();
}

// The start of the text that wraps into more than `lines` lines of the width, or the whole text:
// every wrapped line is at most the width, so a start that wide gives that many lines, and the
// lines before its last are those of the whole text. A long text is thus not wrapped to its end
// only to keep its first lines.
QString HeadOfLines(const QString& text, const QFontMetrics& metrics, int width, int lines)
{
    const long long wanted = static_cast<long long>(lines) * std::max(1, width);
    const int total = metrics.horizontalAdvance(QString(text).replace(u'\n', u' '));
    if (total <= wanted || text.contains(u'\n'))
        return text;
    // Twice the share the width takes of the whole, for characters of unequal widths.
    const qsizetype size = std::min<qsizetype>(text.size(), text.size() * wanted * 2 / total + 8);
    QString head = text.left(size);
    if (head.size() < text.size() && head.back().isHighSurrogate())
        head = text.left(size + 1);
    return metrics.horizontalAdvance(head) > wanted ? head : text;
}

// As many lines as the box holds, the last one ending in "…".
bool FitShortened(const QString& text, const QFont& font, const TextSlot& slot, FittedText& out)
{
    const QFontMetrics metrics(font);
    const int lines = slot.box.Height() / std::max(1, metrics.height()) + 1;
    const QStringList all = slot.wrap ? WrapText(HeadOfLines(text, metrics, slot.box.Width(), lines + 2), font,
                                                 slot.box.Width())
                                      : QStringList{QString(text).replace(u'\n', u' ')};
    const int most = std::min(static_cast<int>(all.size()), lines);
    for (int count = most; count >= 1; --count) {
        QStringList lines = all.mid(0, count);
        lines.back() = Shortened(lines.back(), metrics, slot.box.Width());
        if (!lines.back().isEmpty() && PlaceByInk(lines, metrics, slot, out))
            return true;
    }
    // Too low for a character: the ellipsis alone says there is text to see in the tip.
    return PlaceByInk({kEllipsis}, metrics, slot, out);
}

}  // namespace

namespace {

FittedText FitTextUncached(const Font& base, std::string_view text, const TextSlot& slot)
{
    FittedText out;
    out.rect = slot.box;
    out.format = DT_SINGLELINE | VAlignFormat(slot.vAlign) | HAlignFormat(slot.hAlign);
    if (text.empty())
        return out;
    const QString q = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    out.text = text;
    if (FitAsIs(q, base.GetQFont(), slot, out))
        return out;

    const int basePixels = base.GetQFont().pixelSize();
    const int minPixels = std::min(basePixels, kMinTextPixels);
    for (int pixels = basePixels; pixels >= minPixels; --pixels) {
        const Font& font = pixels == basePixels ? base : ResizedFont(base, pixels);
        if (FitSmaller(q, font.GetQFont(), slot, out)) {
            out.font = pixels == basePixels ? nullptr : &font;
            return out;
        }
    }
    const Font& smallest = minPixels == basePixels ? base : ResizedFont(base, minPixels);
    out.whole = false;
    if (FitShortened(q, smallest.GetQFont(), slot, out)) {
        out.font = minPixels == basePixels ? nullptr : &smallest;
        return out;
    }
    out.text.clear();  // not one character fits
    out.extent = Rect();
    return out;
}

}  // namespace

FittedText FitText(const Font& base, std::string_view text, const TextSlot& slot)
{
    // A grid fits the same texts into the same slots at every repaint, and a long text takes many
    // measurements: the answers are kept (the GUI thread's grids are the only callers). The fonts
    // of an answer are the base or the resized ones, which live as long as the program.
    static std::unordered_map<std::string, FittedText> answers;
    const QFont& font = base.GetQFont();
    std::string key = font.key().toStdString();
    key += zem::Format("|%d|%d|%d,%d,%d,%d|%d%d%d|", static_cast<int>(font.styleStrategy()), font.pixelSize(),
                       slot.box.left, slot.box.top, slot.box.right, slot.box.bottom, static_cast<int>(slot.vAlign),
                       static_cast<int>(slot.hAlign), slot.wrap ? 1 : 0);
    key.append(text);
    if (const auto found = answers.find(key); found != answers.end())
        return found->second;
    FittedText out = FitTextUncached(base, text, slot);
    // A bound on what is kept: a grid's cells are a few hundred.
    if (answers.size() >= 8192)
        answers.clear();
    answers.emplace(std::move(key), out);
    return out;
}

FittedText FitText(DC& dc, std::string_view text, const TextSlot& slot)
{
    return FitText(dc.GetFont(), text, slot);
}

void DrawFitted(DC& dc, const FittedText& fitted)
{
    if (fitted.text.empty())
        return;
    if (fitted.font) {
        const Font previous = dc.GetFont();
        dc.SelectFont(*fitted.font);
        dc.DrawText(fitted.text, fitted.rect, fitted.format);
        dc.SelectFont(previous);
    } else {
        dc.DrawText(fitted.text, fitted.rect, fitted.format);
    }
}

FittedText DrawFittedText(DC& dc, std::string_view text, const TextSlot& slot)
{
    FittedText fitted = FitText(dc, text, slot);
    DrawFitted(dc, fitted);
    return fitted;
}

TextPair FitTextPair(std::string_view main, const Font& mainFont, const TextSlot& mainSlot,
                     std::string_view secondary, const Font& secondaryFont, const TextSlot& secondarySlot,
                     const TextSlot& alone)
{
    TextPair pair;
    if (secondary.empty()) {
        pair.main = FitText(mainFont, main, alone);
        pair.whole = pair.main.whole;
        return pair;
    }
    pair.main = FitText(mainFont, main, mainSlot);
    pair.secondary = FitText(secondaryFont, secondary, secondarySlot);
    pair.whole = pair.main.whole && pair.secondary.whole;
    if (pair.whole)
        return pair;
    // A secondary text cut short still says something; one cut down to "…" says nothing.
    const bool secondaryShows = !pair.secondary.text.empty() && pair.secondary.text != "…";
    if (pair.main.whole && secondaryShows)
        return pair;
    FittedText single = FitText(mainFont, main, alone);
    if (single.whole) {
        pair.main = std::move(single);
        pair.secondary = FittedText{};
    }
    return pair;
}

// ---- PreparedText

void PreparedText::Prepare(DC& dc, const FittedText& fitted)
{
    PrepareIn(dc, fitted.font, fitted.text, fitted.rect, fitted.format);
    m_extent = fitted.extent;
    m_whole = fitted.whole;
}

void PreparedText::Prepare(DC& dc, std::string_view text, const Rect& rect, unsigned format)
{
    PrepareIn(dc, nullptr, text, rect, format);
}

void PreparedText::PrepareIn(DC& dc, const Font* ownFont, std::string_view text, const Rect& rect, unsigned format)
{
    m_font = ownFont;
    m_rect = rect;
    m_format = format & ~DT_CALCRECT;
    m_empty = text.empty();
    m_shaped = false;
    m_clip = false;
    m_line = QStaticText();
    m_text.clear();
    m_extent = Rect();
    m_whole = true;
    if (m_empty)
        return;
    const QFont& font = m_font ? m_font->GetQFont() : dc.Painter().font();
    const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(line);
    // Spaces and line feeds change where DrawText breaks or trims lines; a wrapped text wider than
    // its rectangle takes more than one line. Those are left to DrawText.
    const bool oneLine = text.find_first_of(" \r\n") == std::string_view::npos &&
                         ((m_format & DT_SINGLELINE) || width <= rect.Width());
    if (!oneLine) {
        m_text = text;
        return;
    }
    int x = rect.left, y = rect.top;
    if (m_format & DT_CENTER)
        x = rect.left + (rect.Width() - width) / 2;
    else if (m_format & DT_RIGHT)
        x = rect.right - width;
    if (m_format & DT_SINGLELINE) {
        if (m_format & DT_VCENTER)
            y = rect.top + (rect.Height() - metrics.height()) / 2;
        else if (m_format & DT_BOTTOM)
            y = rect.bottom - metrics.height();
    }
    m_topLeft = QPoint(x, y);
    // Clipping costs; it is needed only where the ink may leave the rectangle.
    const QRect ink = metrics.boundingRect(line).translated(x, y + metrics.ascent()).adjusted(-1, -1, 1, 1);
    m_clip = !(m_format & DT_NOCLIP) && !QRect(rect.left, rect.top, rect.Width(), rect.Height()).contains(ink);
    m_line.setTextFormat(Qt::PlainText);
    m_line.setText(line);
    m_line.prepare(QTransform(), font);
    m_shaped = true;
}

void PreparedText::Draw(DC& dc, int dx, int dy, COLORREF color) const
{
    if (m_empty)
        return;
    if (!m_shaped) {
        Rect r = m_rect;
        r.OffsetRect(dx, dy);
        const COLORREF previous = dc.SetTextColor(color);
        if (m_font) {
            const Font font = dc.GetFont();
            dc.SelectFont(*m_font);
            dc.DrawText(m_text, r, m_format);
            dc.SelectFont(font);
        } else {
            dc.DrawText(m_text, r, m_format);
        }
        dc.SetTextColor(previous);
        return;
    }
    QPainter& painter = dc.Painter();
    painter.setPen(ToQColor(color));
    const QPoint at = m_topLeft + QPoint(dx, dy);
    if (!m_clip && !m_font) {
        painter.drawStaticText(at, m_line);
        return;
    }
    painter.save();
    if (m_font)
        painter.setFont(m_font->GetQFont());
    if (m_clip)
        painter.setClipRect(QRect(m_rect.left + dx, m_rect.top + dy, std::max(0, m_rect.Width()),
                                  std::max(0, m_rect.Height())),
                            Qt::IntersectClip);
    painter.drawStaticText(at, m_line);
    painter.restore();
}

void PreparedText::Offset(int dx, int dy)
{
    m_rect.OffsetRect(dx, dy);
    m_topLeft += QPoint(dx, dy);
    m_extent.OffsetRect(dx, dy);
}
