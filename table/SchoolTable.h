#pragma once
// The whole-school grid: the timetables of many objects at once, one line per object and one cell
// per period of every day. Three layouts: horizontal (objects are rows), vertical (objects are
// columns) and cross (each day a band of object columns, the periods of a day as rows). The host
// adds titles and cell texts and learns of the user's picks and swaps.
#include "table/TableItem.h"
#include "table/TableTipWnd.h"
#include "table/TableWnd.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QScrollBar;

// Virtual keys the host forwards to OnScrollKeyDown.
constexpr unsigned VK_PRIOR = 0x21;
constexpr unsigned VK_NEXT = 0x22;
constexpr unsigned VK_LEFT = 0x25;
constexpr unsigned VK_UP = 0x26;
constexpr unsigned VK_RIGHT = 0x27;
constexpr unsigned VK_DOWN = 0x28;

// Scroll requests of OnVScroll and OnHScroll (left/right share the values of up/down).
constexpr unsigned SB_LINEUP = 0;
constexpr unsigned SB_LINEDOWN = 1;
constexpr unsigned SB_PAGEUP = 2;
constexpr unsigned SB_PAGEDOWN = 3;
constexpr unsigned SB_THUMBPOSITION = 4;
constexpr unsigned SB_THUMBTRACK = 5;
constexpr unsigned SB_ENDSCROLL = 8;

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

// A filled cell. Its texts are laid out once and only moved while the grid scrolls.
class CSchoolTableNode {
public:
    CSchoolTableNode(int row, int column, std::string text);

    int GetRow() const { return m_row; }
    int GetColumn() const { return m_column; }
    const std::string& GetText() const { return m_text; }
    const std::string& GetTip() const { return m_tip; }

private:
    friend class CSchoolTable;

    void SetText(std::string text);
    // Trades texts and tips with another node; both stay where they are and are laid out again.
    void ExchangeContent(CSchoolTableNode& other);
    std::string_view Part(int i) const { return m_parts[static_cast<std::size_t>(i)]; }
    // The number of entries the text shows: 1 for four parts, 2 for seven, else none.
    int EntryCount() const;
    // Moves the laid-out texts with the node.
    void MoveTo(const zem::Rect& rect);

    int m_row;
    int m_column;
    std::string m_text;
    std::string m_tip;
    std::vector<std::string> m_parts;  // the text split at char 7
    bool m_dirty = true;
    int m_measuredStyle = -1;
    zem::Rect m_rect;
    std::array<PreparedText, 2> m_main{};  // per entry
    std::array<PreparedText, 2> m_secondary{};
};

class CSchoolTable : public CTableWnd {
public:
    enum STYLE { STYLE_HORZ = 0, STYLE_VERT = 1, STYLE_CROSS = 2 };

    static constexpr int kHeaderRowHeight = 26;
    static constexpr int kTitleColumnWidth = 26;
    static constexpr int kBarThickness = 22;
    static constexpr int kScrollLine = 5;
    static constexpr int kRowTitleWidth = 65;
    static constexpr int kBitmapWidth = 780;
    static constexpr int kBitmapHeight = 520;
    static constexpr zem::COLORREF kGridColor = zem::RGB(186, 186, 186);

    CSchoolTable();
    ~CSchoolTable() override;

    // Attaches the grid to its host, which it notifies, and creates its fonts. The host sizes the
    // window itself.
    void Init(QWidget* parent, zem::MessageTarget* notify);
    // Notifies `parent` when it receives the program's messages.
    void Init(QWidget* parent);

    // These take effect at the next Refresh.
    void SetStyle(STYLE style) { m_style = style; }
    bool IsHorzStyle() const { return m_style == STYLE_HORZ; }
    bool IsVertStyle() const { return m_style == STYLE_VERT; }
    bool IsCrossStyle() const { return m_style == STYLE_CROSS; }
    void SetBigNameMode(bool on) { m_bigNameMode = on; }
    // Line height of the horizontal layout (default 24).
    void SetCellHeight(int height) { m_hostCellHeight = height; }
    // Column width of the vertical layout; set it before using that layout.
    void SetCellWidth(int width) { m_hostCellWidth = width; }

    // Appends day names; a second call adds more days.
    bool SetDays(const std::vector<std::string>& names);
    // Period counts of the forenoon, afternoon, night, morning reading and evening self-study.
    bool SetSections(int forenoon, int afternoon, int night, int morningReading, int selfStudy);
    // Morning reading and evening self-study count as periods of a day only when shown.
    void SetShowSS(bool show);
    int GetDayNodes() const { return m_dayNodes; }

    // Append a title and return its index: rows are the objects of the horizontal layout, columns
    // those of the vertical and cross layouts. A title may hold two parts separated by char 7.
    int AddRow(const std::string& title);
    int AddCol(const std::string& title);

    // A node's row is its object and its column day x day nodes + period in the horizontal layout;
    // the other way round in the vertical and cross layouts. A second text for the same cell
    // replaces the first, tip included.
    bool SetNodeText(int row, int col, const std::string& text);
    // False when the cell holds no node.
    bool SetNodeTip(int row, int col, const std::string& tip);
    const CSchoolTableNode* GetNode(int row, int col) const;
    // The periods where the pick may go: columns in the horizontal layout, rows in the others.
    // n < 0 keeps the list; 0 empties it.
    void SetFriendCells(int n, const int* keys);
    const std::vector<int>& GetFriendCells() const { return m_friends; }
    // Ends the pick and repaints.
    void SetAllCellNormal();
    // Removes titles, nodes, pick and friends; day names and period counts stay.
    void Clear();
    // Trades the texts and tips of two nodes; nothing when either is missing.
    void SwapNode(const tagNMT_MOVE2& move);

    bool IsPicked() const { return m_picked; }
    tagNMT_NODE2 GetPick() const { return m_pick; }
    bool IsSwapRunning() const { return m_swapRunning; }
    // Off: a swap trades the cells at once, without sliding their pictures.
    void SetAnimateMoves(bool on) { m_animateMoves = on; }

    // Navigation keys the host forwards.
    void OnScrollKeyDown(unsigned key);
    // Scroll requests of the vertical and the horizontal bar; `thumb` is read by the thumb codes.
    void OnVScroll(unsigned code, int thumb = 0);
    void OnHScroll(unsigned code, int thumb = 0);
    int GetVertScrollPos() const { return m_vBar.pos; }
    int GetHorzScrollPos() const { return m_hBar.pos; }

    // Each non-null record replaces that font: node main text, node secondary text, titles.
    void SetFont(const LOGFONTA* main, const LOGFONTA* secondary, const LOGFONTA* title) override;
    // Lays out the current style for the client area and repaints.
    void Refresh() override;
    // Draws the current layout into a new 780 x 520 image with the current geometry.
    bool GetBitmap(QImage& image);

    // Geometry of the last Refresh, in client pixels.
    int GetCellWidth() const { return m_cellWidth; }
    int GetCellHeight() const { return m_cellHeight; }
    int GetRowTitleWidth() const { return m_rowTitleWidth; }
    int GetHeaderHeight() const { return m_headerHeight; }
    int GetLeftMargin() const { return m_leftMargin; }
    int GetLineCount() const { return m_lineCount; }
    int GetColumnCount() const { return m_columnCount; }
    int GetColumnsPerDay() const { return m_columnsPerDay; }
    bool IsBarNeeded() const { return m_barNeeded; }
    const zem::Rect& GetNodeArea() const { return m_layoutStyle == STYLE_HORZ ? m_horzNodeArea : m_vertNodeArea; }
    const zem::Rect& GetBody() const { return m_layoutStyle == STYLE_HORZ ? m_horzBody : m_vertBody; }
    QScrollBar* GetVertBar() const { return m_vScrollBar; }
    QScrollBar* GetHorzBar() const { return m_hScrollBar; }
    const CTableTipWnd& GetTipWnd() const { return *m_tip; }
    // Where the cell lies now, whether or not it holds a node (outside the window when scrolled
    // away); an empty rectangle when the layout has no place for it.
    zem::Rect GetNodeRect(int row, int col) const;
    // The cell under a client point, or false.
    bool HitNode(zem::Point point, tagNMT_NODE2* node) const;

    // A name written down the narrow day column: a line feed after every two GBK bytes, never
    // inside a character.
    static std::string StackDayName(std::string_view name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct ScrollState {
        int pos = 0;
        int rangeMax = 0;
        int page = 0;
        int Max() const { return std::max(0, rangeMax - page); }
    };
    // A title laid out once for its cell size.
    struct TitleLayout {
        zem::Size size{-1, -1};
        std::vector<std::string> parts;
        PreparedText upper, lower;
    };

    void OnLButtonDown(zem::Point point);
    void OnLButtonDownSwapping(const tagNMT_NODE2& hit);
    void OnLButtonDownCross(const tagNMT_NODE2& hit);
    // Picks a cell after emptying every tip, and tells the host.
    void PickAndNotify(const tagNMT_NODE2& cell);
    // Slides and trades the picked cell with the clicked one, tells the host and ends the pick.
    void SwapWithPick(const tagNMT_NODE2& clicked);
    void ClearAllTips();
    void OnMouseWheel(int delta);

    void RefreshHorz(const zem::Rect& client);
    void RefreshVert(const zem::Rect& client);
    void RefreshCross(const zem::Rect& client);
    void PlaceBar(QScrollBar* bar, ScrollState& state, bool show, const zem::Rect& rect);
    void ScrollTo(ScrollState& state, int pos);
    int ScrollTarget(const ScrollState& state, unsigned code, int thumb) const;
    void MarkAllDirty();

    void DrawLayout(zem::gui::DC& dc, const zem::Rect& rect);
    void DrawHorzTable(zem::gui::DC& dc, const zem::Rect& rect);
    void DrawVertTable(zem::gui::DC& dc, const zem::Rect& rect);
    void DrawCrossTable(zem::gui::DC& dc, const zem::Rect& rect);
    // The fills of the pick and its friends, then the texts of the nodes the layout shows.
    void DrawNodes(zem::gui::DC& dc, int firstVisible, int lastVisible);
    void DrawPickFills(zem::gui::DC& dc, int firstVisible, int lastVisible);
    void MeasureNode(zem::gui::DC& dc, CSchoolTableNode& node);
    void MeasureHorz(zem::gui::DC& dc, CSchoolTableNode& node, const zem::Rect& text);
    void MeasureVert(zem::gui::DC& dc, CSchoolTableNode& node, const zem::Rect& text);
    void MeasureCross(zem::gui::DC& dc, CSchoolTableNode& node, const zem::Rect& text);
    // A two-part title: part 0 grey above the middle, part 1 black below it; else one centred line.
    void DrawTitle(zem::gui::DC& dc, TitleLayout& layout, const std::string& title, const zem::Rect& rect,
                   bool fitSingle);
    void DrawPeriodLabel(zem::gui::DC& dc, int period, const zem::Rect& rect);
    std::string PeriodLabel(int period) const;
    // The display column of the cross layout and the line of a node, or false.
    bool CrossPlace(int row, int col, int* displayColumn, int* line) const;
    // Whether a cell lies on the picked object's line, and whether its period is a friend.
    bool OnPickedLine(int row, int col) const;
    bool IsFriendOfPick(int row, int col) const;
    int FirstVisible() const;  // horizontal: first row; others: first display column (may be -1)
    int LastVisible() const;   // inclusive
    void UpdateNodeRect(CSchoolTableNode& node) const;
    bool IsNodeShown(const CSchoolTableNode& node, int firstVisible, int lastVisible) const;

    static std::uint64_t Key(int row, int col)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(col);
    }
    CSchoolTableNode* FindNode(int row, int col);

    STYLE m_style = STYLE_HORZ;
    STYLE m_layoutStyle = STYLE_HORZ;  // the style of the last Refresh, which the geometry follows
    bool m_bigNameMode = false;
    bool m_showSS = false;

    QScrollBar* m_hScrollBar = nullptr;  // children, deleted with the window
    QScrollBar* m_vScrollBar = nullptr;
    std::unique_ptr<CTableTipWnd> m_tip;

    zem::gui::Font m_mainFont;
    zem::gui::Font m_secondaryFont;
    zem::gui::Font m_titleFont;

    std::vector<std::string> m_rowTitles;
    std::vector<std::string> m_colTitles;
    std::vector<std::string> m_days;
    std::vector<TitleLayout> m_rowTitleLayouts;
    std::vector<TitleLayout> m_colTitleLayouts;

    std::vector<std::unique_ptr<CSchoolTableNode>> m_nodes;  // creation order
    std::unordered_map<std::uint64_t, CSchoolTableNode*> m_nodeMap;

    // forenoon, afternoon, night, morning reading, evening self-study
    std::array<int, 5> m_sections{};
    int m_dayNodes = 0;

    int m_hostCellHeight = 24;
    int m_hostCellWidth = 0;
    int m_cellHeight = 24;
    int m_cellWidth = 0;
    int m_leftMargin = kTitleColumnWidth;
    int m_lineCount = 0;
    int m_columnCount = 0;
    int m_columnsPerDay = 0;
    bool m_barNeeded = false;
    int m_rowTitleWidth = kRowTitleWidth;
    int m_headerHeight = 0;
    zem::Rect m_horzBody;
    zem::Rect m_vertBody;
    zem::Rect m_horzNodeArea;
    zem::Rect m_vertNodeArea;
    ScrollState m_vBar;
    ScrollState m_hBar;
    int m_wheelRest = 0;  // part of a notch not yet scrolled

    bool m_picked = false;
    tagNMT_NODE2 m_pick;
    std::vector<int> m_friends;
    bool m_swapRunning = false;
    bool m_animateMoves = true;

    QImage m_buffer;
};
