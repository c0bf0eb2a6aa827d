#pragma once
// What the whole-school grid holds and its layouts read: titles, days and periods, the filled cells,
// the fonts, the pick and the scroll positions.
#include "base/CellRecord.h"
#include "table/TableItem.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A cell of the whole-school grid.
struct tagNMT_NODE2 {
    int row = -1;
    int column = -1;
    friend bool operator==(const tagNMT_NODE2&, const tagNMT_NODE2&) = default;
};

// Two cells to swap: where the pick was dropped, then where it was picked.
struct tagNMT_MOVE2 {
    tagNMT_NODE2 target;
    tagNMT_NODE2 picked;
};

// Where a layout put a node's texts: kept until the node's text or size changes, and only moved
// while the grid scrolls.
struct SchoolNodeLayout {
    bool dirty = true;
    bool shortened = false;  // some text was shrunk away or cut short with "…"
    zem::Rect rect;
    std::array<PreparedText, 2> main{};  // per entry
    std::array<PreparedText, 2> secondary{};

    // Moves the laid-out texts with the node.
    void MoveTo(const zem::Rect& to);
};

// A filled cell.
class CSchoolTableNode {
public:
    CSchoolTableNode(int row, int column, std::string text);

    int GetRow() const { return m_row; }
    int GetColumn() const { return m_column; }
    const std::string& GetText() const { return m_text; }
    const std::string& GetTip() const { return m_tip; }
    // What the tip shows: the host's tip, else the whole text when the layout left some out.
    std::string GetDisplayTip() const;
    // The number of entries the text shows: one for a whole cell, two for an odd/even slot, none for
    // a text of another shape.
    int EntryCount() const { return static_cast<int>(m_fields.entries.size()); }
    // An entry's key, main and secondary text, k below EntryCount().
    const zem::CellEntry& Entry(int k) const { return m_fields.entries[static_cast<std::size_t>(k)]; }

    SchoolNodeLayout& Layout() const { return m_layout; }

private:
    friend class CSchoolTable;

    void SetText(std::string text);
    void SetTip(std::string tip) { m_tip = std::move(tip); }
    // Trades texts and tips with another node; both stay where they are and are laid out again.
    void ExchangeContent(CSchoolTableNode& other);

    int m_row;
    int m_column;
    std::string m_text;
    std::string m_tip;
    zem::CellFields m_fields;  // into m_text: read again whenever it changes
    mutable SchoolNodeLayout m_layout;
};

// A title laid out once for its cell size.
struct SchoolTitleLayout {
    zem::Size size{-1, -1};
    bool twoLines = false;  // the title holds a separator: two lines of two colours
    PreparedText upper, lower;
};

// One scroll bar's position and range.
struct SchoolScrollState {
    int pos = 0;
    int rangeMax = 0;
    int page = 0;
    int Max() const { return std::max(0, rangeMax - page); }
};

struct SchoolTableData {
    bool bigNameMode = false;
    bool showSS = false;
    int hostCellHeight = 24;  // the horizontal layout's line height
    int hostCellWidth = 0;    // the vertical layout's column width

    std::vector<std::string> rowTitles;
    std::vector<std::string> colTitles;
    std::vector<std::string> days;
    std::vector<SchoolTitleLayout> rowTitleLayouts;
    std::vector<SchoolTitleLayout> colTitleLayouts;

    std::vector<std::unique_ptr<CSchoolTableNode>> nodes;  // creation order

    // forenoon, afternoon, night, morning reading, evening self-study
    std::array<int, 5> sections{};
    int dayNodes = 0;

    zem::gui::Font mainFont;
    zem::gui::Font secondaryFont;
    zem::gui::Font titleFont;

    bool picked = false;
    tagNMT_NODE2 pick;
    std::vector<int> friends;  // columns of the picked row, or rows of the picked column

    SchoolScrollState vBar;
    SchoolScrollState hBar;

    int DayCount() const { return static_cast<int>(days.size()); }
    // The label of a period of a day: "早" and "自" for morning reading and evening self-study when
    // shown, else its number among the other periods.
    std::string PeriodLabel(int period) const;
    // Every node and title is laid out again before it is drawn.
    void MarkAllDirty();
};
