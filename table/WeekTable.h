#pragma once
// The week grid: a column per weekday, a row per period grouped by segment, period names on the left
// and day titles on top. The host fills cells by node; the day of a node is its column.
#include "table/TableItem.h"
#include "table/TableTipWnd.h"
#include "table/TableWnd.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

class CPeriodColumn : public CTableColumn {
public:
    void SetPeriodNames(std::vector<std::string> names) { m_names = std::move(names); }
    const std::vector<std::string>& GetPeriodNames() const { return m_names; }
    void SetLeftColumnWidth(int width) { m_leftWidth = width; }
    int GetLeftColumnWidth() const { return m_leftWidth; }
    void SetTitleHeight(int height) { m_titleHeight = height; }
    int GetTitleHeight() const { return m_titleHeight; }
    const zem::Rect& GetCornerRect() const { return m_corner; }
    // Where the last drawing put a row's name.
    const zem::Rect& GetNameExtent(int row) const { return m_nameExtents.at(static_cast<std::size_t>(row)); }
    // Whether the row is too small for its whole name.
    bool IsNameShortened(int row) const;

    void Layout() override;
    void Draw(zem::gui::DC& dc) override;

private:
    static zem::Rect NameBox(const zem::Rect& row);

    std::array<zem::Rect, kMaxRows> m_nameExtents{};
    std::vector<std::string> m_names;
    int m_leftWidth = 22;
    int m_titleHeight = 26;
    zem::Rect m_corner;
};

class CTitleRow : public CTableItem {
public:
    static constexpr int kMaxTitles = 15;

    CTitleRow();
    void SetTitle(int index, std::string title) { m_titles.at(static_cast<std::size_t>(index)) = std::move(title); }
    const std::string& GetTitle(int index) const { return m_titles.at(static_cast<std::size_t>(index)); }
    void SetColumns(int count, bool bufferColumn)
    {
        m_columnCount = count;
        m_bufferColumn = bufferColumn;
    }
    void SetSingleTitle(bool on) { m_singleTitle = on; }
    // The column whose title holds the point, else -1.
    int HitTitle(zem::Point point) const;
    const zem::Rect& GetTitleRect(int index) const { return m_titleRects.at(static_cast<std::size_t>(index)); }
    // The text shown over a column.
    std::string DisplayTitle(int index) const;

    void Layout() override;
    void Draw(zem::gui::DC& dc) override;

private:
    std::array<std::string, kMaxTitles> m_titles;
    std::array<zem::Rect, kMaxTitles> m_titleRects{};
    int m_columnCount = 0;
    bool m_bufferColumn = false;
    bool m_singleTitle = false;
};

class CWeekTable : public CTableWnd {
public:
    static constexpr int kMaxWeekDays = zem::kDayCount;
    static constexpr int kMaxColumns = kMaxWeekDays + 1;  // with the buffer column
    static constexpr short kOutOfRange = -1;

    CWeekTable();
    ~CWeekTable() override;

    // Attaches the grid to its host and resets fonts, colours, counts and flags to their defaults;
    // call the setters after it. The host sizes the window itself.
    virtual void Init(QWidget* parent, zem::MessageTarget* notify);
    // Notifies `parent` when it receives the program's messages.
    void Init(QWidget* parent);

    short SetWeekDays(int days);  // 0..14
    short SetForenoonNodes(short count);  // each 0..6
    short SetAfternoonNodes(short count);
    short SetNightNodes(short count);
    short SetMorningReadingNodes(short count);
    short SetNightSelfStudyNodes(short count);
    void SetPeriodNames(const std::vector<std::string>& names);
    void SetTitleHeight(int height);
    void SetLeftColumnWidth(int width);
    void SetSingleTitle(bool on);
    void SetBackgroundColor(zem::COLORREF color);
    short SetColumnTitle(short index, const std::string& title);  // 0..14
    void ShowCacheColumn(bool show);
    // Shared by every week grid of the process; the host keeps the array alive.
    void SetBlankLine(const BlankLine* lines);
    void SetAnimateMoves(bool on) { m_animateMoves = on; }
    bool IsAnimateMoves() const { return m_animateMoves; }

    void SetFont(const LOGFONTA* primary, const LOGFONTA* secondary, const LOGFONTA* title) override;
    void GetFont(LOGFONTA* primary) const;
    void SetColorMode(bool on) override;
    void Refresh() override;

    // Cells: -1 for a day outside the columns in use; a node without a cell is ignored (0). None of
    // these repaints: the host calls Refresh when done.
    short SetCellInfo(const tagTABLE_NODE& node, std::string_view text);
    short GetCellInfo(const tagTABLE_NODE& node, std::string* text) const;
    short SetCellTipInfo(const tagTABLE_NODE& node, std::string_view tip);
    short SetCellTag(const tagTABLE_NODE& node, CELL_TAG tag);
    short SetCellFocus(const tagTABLE_NODE& node, bool focus);
    short SetCellBkColor(const tagTABLE_NODE& node, zem::COLORREF color);  // shown in colour mode; 0 none
    short SetCellFriend(const tagTABLE_NODE& node);
    void SetForbidCell(const tagTABLE_NODE& node, bool forbid);
    // Every cell normal and without tip, the pick cleared.
    void SetAllCellNormal();
    // Every cell emptied, untagged and normal, the pick cleared; custom backgrounds stay.
    void Clear();

    short GetSelectedCell(tagTABLE_NODE* node) const;
    bool IsCellSelected() const { return m_picked; }
    // Screen rectangles; nothing is written when there is no such cell.
    void GetSelectedCellRect(zem::Rect* rect);
    void GetCellRect(const tagTABLE_NODE& node, zem::Rect* rect);

    // Renders the whole grid into a new w x h image in the colour (0) or plain palette.
    bool GetBitmap(QImage& image, CELL_STYLE style, int w, int h);

    // Read access for hosts that place things over the grid.
    int GetColumnCount() const;
    const CCell* GetCell(const tagTABLE_NODE& node) const;
    const CPeriodColumn& GetPeriodColumn() const { return m_periodColumn; }
    const CTableTipWnd& GetTipWnd() const { return *m_tip; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Over a cell, the tip shows the cell's tip text, or its whole text where the cell cannot show
    // all of it; over a period name cut short, the whole name.
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

    virtual void OnLButtonDown(zem::Point point);
    virtual void OnRButtonDown(zem::Point point);

    CCell* CellOf(const tagTABLE_NODE& node);
    // -1 for a day outside the columns in use, else 0; `cell` is null when the node has no cell.
    short Locate(const tagTABLE_NODE& node, CCell*& cell);
    // Applies `change` to the node's cell, if it has one; the result is Locate's.
    template <class Change>
    short ChangeCell(const tagTABLE_NODE& node, Change change);
    // The node of the cell under the point (client pixels): the first column whose rows hold it.
    bool HitCell(zem::Point point, tagTABLE_NODE* node) const;
    // Lays the parts out for the client area, as the next paint will.
    void LayoutClient();
    void DrawTable(zem::gui::DC& dc, const zem::Rect& rect);
    zem::Rect ClientToScreen(const zem::Rect& rect) const;

    std::array<CDayColumn, kMaxColumns> m_columns;
    CPeriodColumn m_periodColumn;
    CTitleRow m_titleRow;
    bool m_picked = false;
    tagTABLE_NODE m_pickedNode;

private:
    void InitDefaultProperties();
    void RefreshPartInfo();
    void CalcRect(const zem::Rect& rect);
    short SetSegmentCount(int segment, short count);
    int CalcLeftColumnWidth(const std::vector<std::string>& names) const;

    zem::gui::Font m_titleFont;
    zem::gui::Font m_primaryFont;
    zem::gui::Font m_secondaryFont;
    zem::COLORREF m_tableBk;
    zem::COLORREF m_pickedBk = 0;
    zem::COLORREF m_friendBk = 0;
    zem::COLORREF m_mainText;
    zem::COLORREF m_secondaryText;
    std::array<int, zem::kSegmentCount> m_counts{4, 2, 0, 0, 0};
    int m_weekDays = kMaxWeekDays;
    bool m_bufferColumn = false;
    bool m_animateMoves = true;
    int m_titleHeight = 26;
    std::unique_ptr<CTableTipWnd> m_tip;
};
