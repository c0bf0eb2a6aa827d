#pragma once
// The whole-school grid: the timetables of many objects at once, one line per object and one cell
// per period of every day. Three layouts: horizontal (objects are rows), vertical (objects are
// columns) and cross (each day a band of object columns, the periods of a day as rows). The host
// adds titles and cell texts and learns of the user's picks and swaps.
#include "platform/gui/ScrollCodes.h"
#include "table/SchoolLayout.h"
#include "table/TableTipWnd.h"
#include "table/TableWnd.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>
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

// Scroll requests of OnVScroll and OnHScroll.
using zem::gui::SB_ENDSCROLL;
using zem::gui::SB_LINEDOWN;
using zem::gui::SB_LINEUP;
using zem::gui::SB_PAGEDOWN;
using zem::gui::SB_PAGEUP;
using zem::gui::SB_THUMBPOSITION;
using zem::gui::SB_THUMBTRACK;

class CSchoolTable : public CTableWnd {
public:
    enum STYLE { STYLE_HORZ = 0, STYLE_VERT = 1, STYLE_CROSS = 2 };

    static constexpr int kScrollLine = 5;
    static constexpr int kBitmapWidth = 780;
    static constexpr int kBitmapHeight = 520;

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
    void SetBigNameMode(bool on) { m_data.bigNameMode = on; }
    // Line height of the horizontal layout (default 24).
    void SetCellHeight(int height) { m_data.hostCellHeight = height; }
    // Column width of the vertical layout; set it before using that layout.
    void SetCellWidth(int width) { m_data.hostCellWidth = width; }

    // Appends day names; a second call adds more days.
    bool SetDays(const std::vector<std::string>& names);
    // Period counts of the forenoon, afternoon, night, morning reading and evening self-study.
    bool SetSections(int forenoon, int afternoon, int night, int morningReading, int selfStudy);
    // Morning reading and evening self-study count as periods of a day only when shown.
    void SetShowSS(bool show);
    int GetDayNodes() const { return m_data.dayNodes; }

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
    const std::vector<int>& GetFriendCells() const { return m_data.friends; }
    // Ends the pick and repaints.
    void SetAllCellNormal();
    // Removes titles, nodes, pick and friends; day names and period counts stay.
    void Clear();
    // Trades the texts and tips of two nodes; nothing when either is missing.
    void SwapNode(const tagNMT_MOVE2& move);

    bool IsPicked() const { return m_data.picked; }
    tagNMT_NODE2 GetPick() const { return m_data.pick; }
    bool IsSwapRunning() const { return m_swapRunning; }
    // Off: a swap trades the cells at once, without sliding their pictures.
    void SetAnimateMoves(bool on) { m_animateMoves = on; }

    // Navigation keys the host forwards.
    void OnScrollKeyDown(unsigned key);
    // Scroll requests of the vertical and the horizontal bar; `thumb` is read by the thumb codes.
    void OnVScroll(unsigned code, int thumb = 0);
    void OnHScroll(unsigned code, int thumb = 0);
    int GetVertScrollPos() const { return m_data.vBar.pos; }
    int GetHorzScrollPos() const { return m_data.hBar.pos; }

    // Each non-null record replaces that font: node main text, node secondary text, titles.
    void SetFont(const LOGFONTA* main, const LOGFONTA* secondary, const LOGFONTA* title) override;
    // Lays out the current style for the client area and repaints.
    void Refresh() override;
    // Draws the current layout into a new 780 x 520 image with the current geometry.
    bool GetBitmap(QImage& image);

    // Geometry of the last Refresh, in client pixels.
    int GetCellWidth() const { return Geometry().cellWidth; }
    int GetCellHeight() const { return Geometry().cellHeight; }
    int GetRowTitleWidth() const { return Geometry().rowTitleWidth; }
    int GetHeaderHeight() const { return Geometry().headerHeight; }
    int GetLeftMargin() const { return Geometry().leftMargin; }
    int GetLineCount() const { return Geometry().lineCount; }
    int GetColumnCount() const { return Geometry().columnCount; }
    int GetColumnsPerDay() const { return Geometry().columnsPerDay; }
    bool IsBarNeeded() const { return Geometry().barNeeded; }
    const zem::Rect& GetNodeArea() const { return Geometry().nodeArea; }
    const zem::Rect& GetBody() const { return Geometry().body; }
    QScrollBar* GetVertBar() const { return m_vScrollBar; }
    QScrollBar* GetHorzBar() const { return m_hScrollBar; }
    const CTableTipWnd& GetTipWnd() const { return *m_tip; }
    // Where the cell lies now, whether or not it holds a node (outside the window when scrolled
    // away); an empty rectangle when the layout has no place for it.
    zem::Rect GetNodeRect(int row, int col) const { return m_layout->GetNodeRect(row, col); }
    // Where the cell's texts go.
    zem::Rect GetNodeTextRect(int row, int col) const { return m_layout->TextArea(GetNodeRect(row, col)); }
    // The cell under a client point, or false.
    bool HitNode(zem::Point point, tagNMT_NODE2* node) const { return m_layout->HitNode(point, node); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const SchoolGeometry& Geometry() const { return m_layout->Geometry(); }
    void OnLButtonDown(zem::Point point);
    void OnLButtonDownSwapping(const tagNMT_NODE2& hit);
    void OnLButtonDownCross(const tagNMT_NODE2& hit);
    // Picks a cell after emptying every tip, and tells the host.
    void PickAndNotify(const tagNMT_NODE2& cell);
    // Slides and trades the picked cell with the clicked one, tells the host and ends the pick.
    void SwapWithPick(const tagNMT_NODE2& clicked);
    void ClearPick();
    void ClearAllTips();
    void OnMouseWheel(int delta);

    void PlaceBar(QScrollBar* bar, SchoolScrollState& state, bool show, const zem::Rect& rect);
    // The state of the bar the current layout scrolls with.
    SchoolScrollState& LayoutBar();
    void ScrollTo(SchoolScrollState& state, int pos);
    int ScrollTarget(const SchoolScrollState& state, unsigned code, int thumb) const;

    static std::uint64_t Key(int row, int col)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(col);
    }
    CSchoolTableNode* FindNode(int row, int col);

    SchoolTableData m_data;
    STYLE m_style = STYLE_HORZ;
    STYLE m_layoutStyle = STYLE_HORZ;  // the style of m_layout, chosen at the last Refresh
    std::unique_ptr<CSchoolLayout> m_layout;
    std::unordered_map<std::uint64_t, CSchoolTableNode*> m_nodeMap;

    QScrollBar* m_hScrollBar = nullptr;  // children, deleted with the window
    QScrollBar* m_vScrollBar = nullptr;
    std::unique_ptr<CTableTipWnd> m_tip;
    int m_wheelRest = 0;  // part of a notch not yet scrolled

    bool m_swapRunning = false;
    bool m_animateMoves = true;

    QImage m_buffer;
};
