#pragma once
// The drawable parts of the week grids: cells, the day columns that hold them and what columns share.
#include "platform/gui/DC.h"
#include "table/TableDefs.h"
#include "table/TextFit.h"

#include <array>
#include <string>
#include <string_view>

class CTableItem {
public:
    virtual ~CTableItem() = default;
    virtual void Draw(zem::gui::DC& dc) = 0;
    // Places the item's children inside its rectangle.
    virtual void Layout() {}

    void SetRect(const zem::Rect& rect) { m_rect = rect; }
    const zem::Rect& GetRect() const { return m_rect; }
    // Not owned: the grid owns its fonts.
    void SetFonts(const zem::gui::Font* primary, const zem::gui::Font* secondary)
    {
        m_primaryFont = primary;
        m_secondaryFont = secondary;
    }

protected:
    zem::Rect m_rect;
    const zem::gui::Font* m_primaryFont = nullptr;
    const zem::gui::Font* m_secondaryFont = nullptr;
};

// The index of the first of the first `count` rectangles that holds the point, else -1.
template <std::size_t N>
int FirstRectHolding(const std::array<zem::Rect, N>& rects, int count, zem::Point point)
{
    for (int i = 0; i < count && i < static_cast<int>(N); ++i) {
        if (rects[static_cast<std::size_t>(i)].PtInRect(point))
            return i;
    }
    return -1;
}

struct CellEntry {
    std::string key;  // stored and handed back, never drawn
    std::string main;
    std::string secondary;
};

class CCell : public CTableItem {
public:
    static constexpr int kMaxEntries = 2;
    enum State { STATE_NORMAL = 0, STATE_PICKED = 1, STATE_FRIEND = 2, STATE_FORBIDDEN = 3 };
    static constexpr int kMalformed = -3;

    // Takes a cell record (the entry count, then per entry key, main and secondary text). "0" and ""
    // empty the cell. Returns 0, or kMalformed with the cell unchanged.
    int ParseInfo(std::string_view text);
    // The cell text of the entries held.
    std::string GetInfo() const;

    int GetEntryCount() const { return m_entryCount; }
    const CellEntry& GetEntry(int i) const { return m_entries.at(static_cast<std::size_t>(i)); }

    const std::string& GetTip() const { return m_tip; }
    void SetTip(std::string tip) { m_tip = std::move(tip); }
    // What the tip shows: the host's tip, else the whole text when the last drawing left some out.
    std::string GetDisplayTip() const;
    int GetState() const { return m_state; }
    void SetState(int state) { m_state = state; }
    bool HasFocus() const { return m_focus; }
    void SetFocus(bool focus) { m_focus = focus; }
    int GetTag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    zem::COLORREF GetCustomBkColor() const { return m_customBk; }
    void SetCustomBkColor(zem::COLORREF color) { m_customBk = color; }
    void SetColorMode(bool on) { m_colorMode = on; }

    zem::COLORREF GetNormalColor() const { return m_normalBk; }
    void SetNormalColor(zem::COLORREF color) { m_normalBk = color; }
    void SetColors(zem::COLORREF picked, zem::COLORREF friendColor, zem::COLORREF mainText,
                   zem::COLORREF secondaryText);

    // Empties the cell as an empty text does.
    void Empty();
    // Trades what a move carries (entries, tip, state, focus, custom background); tags stay put.
    void ExchangeContent(CCell& other);

    zem::COLORREF BackgroundColor() const;
    void Draw(zem::gui::DC& dc) override;

    // The entries' texts as they go into the cell's rectangle.
    struct Texts {
        std::array<TextPair, kMaxEntries> entries;
        int count = 0;
        bool whole = true;  // false when some text was shrunk away or cut short
    };
    Texts FitTexts() const;
    // Where the last drawing put its texts.
    int GetTextCount() const { return m_textCount; }
    const zem::Rect& GetTextExtent(int i) const { return m_textExtents.at(static_cast<std::size_t>(i)); }

private:
    // Insets of an entry's texts from the sides of its half of the cell.
    struct EntryInsets {
        int mainLeft, mainRight, secondaryLeft, secondaryRight;
    };
    TextPair FitEntry(const CellEntry& entry, const zem::Rect& half, const EntryInsets& insets) const;
    const zem::gui::Font& PrimaryFont() const;
    const zem::gui::Font& SecondaryFont() const;
    // Narrows a text box that the tag image would cover.
    zem::Rect AvoidTag(zem::Rect box) const;

    std::array<CellEntry, kMaxEntries> m_entries;
    int m_entryCount = 0;
    std::string m_tip;
    zem::COLORREF m_normalBk = 0, m_pickedBk = 0, m_friendBk = 0;
    zem::COLORREF m_mainText = 0, m_secondaryText = 0, m_customBk = 0;
    bool m_colorMode = false;
    int m_state = STATE_NORMAL;
    bool m_focus = false;
    int m_tag = 0;
    std::array<zem::Rect, 2 * kMaxEntries> m_textExtents{};
    int m_textCount = 0;
};

// A column of period rows, grouped by segment: morning reading, forenoon, afternoon, night, evening
// self-study from top to bottom.
class CTableColumn : public CTableItem {
public:
    static constexpr int kMaxRows = zem::kSegmentCount * zem::kSectionCount;
    static constexpr int kGap = 3;  // pixels between blocks and at banner rows

    // Counts by segment code (0 forenoon, 1 afternoon, 2 night, 3 morning reading, 4 evening
    // self-study), each 0..6.
    void SetSegmentCounts(const std::array<int, zem::kSegmentCount>& counts);
    int GetSegmentCount(int segment) const;
    int GetRowCount() const { return m_rowCount; }

    int SegmentOfRow(int row) const;
    int SectionOfRow(int row) const;
    // The row of a node, or -1 when the node has none (a section beyond its segment's count).
    int RowOfNode(int segment, int section) const;
    int GapCount() const;
    // The first laid-out row whose rectangle holds the point, else -1.
    int HitRow(zem::Point point) const;
    const zem::Rect& GetRowRect(int row) const { return m_rowRects.at(static_cast<std::size_t>(row)); }

protected:
    // Lays the rows out between `top` and `bottom`, leaving the gaps; the last row ends at `bottom`.
    void LayoutRows(int left, int right, int top, int bottom);

    std::array<int, zem::kSegmentCount> m_counts{};
    int m_rowCount = 0;
    std::array<zem::Rect, kMaxRows> m_rowRects{};
};

// One weekday: a cell per row, addressed by row.
class CDayColumn : public CTableColumn {
public:
    CCell& GetCell(int row) { return m_cells.at(static_cast<std::size_t>(row)); }
    const CCell& GetCell(int row) const { return m_cells.at(static_cast<std::size_t>(row)); }
    // The cell of a node, or null when the node has no row here.
    CCell* CellOfNode(int segment, int section);

    // Passed on to every cell.
    void SetCellColors(zem::COLORREF picked, zem::COLORREF friendColor, zem::COLORREF mainText,
                       zem::COLORREF secondaryText);
    void SetCellFonts(const zem::gui::Font* primary, const zem::gui::Font* secondary);
    void SetColorMode(bool on);

    void Layout() override;
    void Draw(zem::gui::DC& dc) override;

private:
    std::array<CCell, kMaxRows> m_cells;
};
