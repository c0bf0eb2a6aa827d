#pragma once
// Putting a text into its box in a grid. A text that fits in the grid's font is placed by the grids'
// text-fitting rule (one line, or word-wrapped and centred); otherwise it takes the largest smaller
// size, down to a readable minimum, that holds it on one line or wrapped; otherwise, at that minimum,
// as many lines as the box holds, the last one ending in "…". A character is drawn whole or not at
// all: what is left out is the cell tip's to show.
#include "platform/gui/DC.h"

#include <QPoint>
#include <QStaticText>

#include <string>
#include <string_view>

enum class TextVAlign { Top, Center, Bottom };
enum class TextHAlign { Left, Center, Right };

// The smallest character height a text is shrunk to, in pixels.
constexpr int kMinTextPixels = 9;

// Where a text goes.
struct TextSlot {
    zem::Rect box;
    TextVAlign vAlign = TextVAlign::Center;
    TextHAlign hAlign = TextHAlign::Center;
    bool wrap = true;  // false: one line at the most
};

// How a text is drawn into its slot.
struct FittedText {
    std::string text;  // as drawn: the text, or its lines joined by line feeds, maybe shortened
    zem::Rect rect;    // DrawText's rectangle and format
    unsigned format = 0;
    const zem::gui::Font* font = nullptr;  // a smaller font than the DC's, or null
    zem::Rect extent;  // where its pixels fall; empty when nothing is drawn
    bool whole = true;  // false when part of the text was left out
};

// Fits the text into the slot in the font, or in the DC's current font.
FittedText FitText(const zem::gui::Font& font, std::string_view text, const TextSlot& slot);
FittedText FitText(zem::gui::DC& dc, std::string_view text, const TextSlot& slot);
// Draws a fitted text in its own font, or else in the DC's current font.
void DrawFitted(zem::gui::DC& dc, const FittedText& fitted);
// Fits the text in the DC's current font and draws it.
FittedText DrawFittedText(zem::gui::DC& dc, std::string_view text, const TextSlot& slot);

// A main text over (or beside) its secondary text, each in its own slot and font. Without a
// secondary text, or when the main text does not fit whole in its slot or the secondary text cannot
// show a character, the main text takes `alone` (the two slots together), if it fits whole there,
// and the secondary text is left out.
struct TextPair {
    FittedText main;
    FittedText secondary;
    bool whole = true;
};
TextPair FitTextPair(std::string_view main, const zem::gui::Font& mainFont, const TextSlot& mainSlot,
                     std::string_view secondary, const zem::gui::Font& secondaryFont, const TextSlot& secondarySlot,
                     const TextSlot& alone);

// A text laid out once and drawn many times, as DrawText would draw it on a transparent background:
// a text that stays on one line is shaped once; any other is handed to DrawText each time.
class PreparedText {
public:
    // Lays the text out for DrawText(text, rect, format) in the DC's current font.
    void Prepare(zem::gui::DC& dc, std::string_view text, const zem::Rect& rect, unsigned format);
    // Lays a fitted text out, in its own font where it has one.
    void Prepare(zem::gui::DC& dc, const FittedText& fitted);
    // Draws it moved by (dx, dy). Unless it has a font of its own, the DC's font must be the one it
    // was prepared in.
    void Draw(zem::gui::DC& dc, int dx, int dy, zem::COLORREF color) const;
    void Offset(int dx, int dy);
    const zem::Rect& GetRect() const { return m_rect; }
    unsigned GetFormat() const { return m_format; }
    // False when the text was handed to DrawText instead of being shaped once.
    bool IsShaped() const { return m_shaped; }
    // Where a fitted text's pixels fall, and whether all of it is shown.
    const zem::Rect& GetExtent() const { return m_extent; }
    bool IsWhole() const { return m_whole; }

private:
    void PrepareIn(zem::gui::DC& dc, const zem::gui::Font* ownFont, std::string_view text, const zem::Rect& rect,
                   unsigned format);

    zem::Rect m_rect;
    unsigned m_format = 0;
    bool m_empty = true;
    bool m_shaped = false;
    bool m_clip = false;
    const zem::gui::Font* m_font = nullptr;
    QPoint m_topLeft;
    QStaticText m_line;
    std::string m_text;  // only for DrawText
    zem::Rect m_extent;
    bool m_whole = true;
};
