#pragma once
// How the whole-school grid places, finds and draws its cells: one implementation per style behind
// this interface, chosen when the grid is refreshed.
#include "table/SchoolTableData.h"

namespace school_grid {
constexpr int kHeaderRowHeight = 26;
constexpr int kTitleColumnWidth = 26;
constexpr int kBarThickness = 22;
constexpr int kRowTitleWidth = 65;
constexpr zem::COLORREF kGridColor = zem::RGB(186, 186, 186);
}  // namespace school_grid

// Where a layout wants its scroll bar (the other one is hidden) and the bar's range.
struct SchoolBarPlacement {
    bool vertical = false;
    bool show = false;
    zem::Rect rect;
    int rangeMax = 0;
    int page = 0;
};

// What a refresh computes, in client pixels.
struct SchoolGeometry {
    int cellWidth = 0;
    int cellHeight = 24;
    int rowTitleWidth = school_grid::kRowTitleWidth;  // horizontal layout
    int headerHeight = 0;
    int leftMargin = school_grid::kTitleColumnWidth;  // cross layout
    int lineCount = 0;    // the visible lines of the horizontal layout, all lines of the others
    int columnCount = 0;  // all columns of the horizontal layout, the visible ones of the others
    int columnsPerDay = 0;  // cross layout
    bool barNeeded = false;
    zem::Rect body;
    zem::Rect nodeArea;
};

class CSchoolLayout {
public:
    explicit CSchoolLayout(SchoolTableData& data) : m_data(data) {}
    virtual ~CSchoolLayout() = default;
    CSchoolLayout(const CSchoolLayout&) = delete;
    CSchoolLayout& operator=(const CSchoolLayout&) = delete;

    // Computes the geometry for a client rectangle that is not empty.
    virtual SchoolBarPlacement Refresh(const zem::Rect& client) = 0;
    // The cell under a client point, or false outside the node area.
    virtual bool HitNode(zem::Point point, tagNMT_NODE2* node) const = 0;
    // Where a cell lies now, whether or not it holds a node (outside the window when scrolled
    // away); empty when the layout has no place for it.
    virtual zem::Rect GetNodeRect(int row, int col) const = 0;
    // Draws the whole grid into the rectangle.
    virtual void Draw(zem::gui::DC& dc, const zem::Rect& rect) = 0;

    // The horizontal layout has its objects as rows: its friends are columns and it scrolls up and
    // down. The others have them as columns and scroll sideways.
    virtual bool ObjectsAreRows() const { return false; }
    // Whether a click on a friend swaps the two nodes; the cross layout only moves the pick.
    virtual bool SwapsNodes() const { return true; }

    const SchoolGeometry& Geometry() const { return m_geometry; }
    // Where a node's texts go: the node less 2 pixels on every side.
    virtual zem::Rect TextArea(const zem::Rect& node) const;
    // Whether a cell lies on the picked object's line, and whether its period is a friend.
    bool OnPickedLine(int row, int col) const;
    bool IsFriendOfPick(int row, int col) const;

protected:
    // Lays out a node's texts inside its text area.
    virtual void MeasureTexts(zem::gui::DC& dc, CSchoolTableNode& node, const zem::Rect& text) const = 0;
    // The visible range of rows (horizontal) or display columns (others), inclusive; the first may
    // be -1.
    virtual int FirstVisible() const = 0;
    virtual int LastVisible() const = 0;
    virtual bool IsNodeShown(const CSchoolTableNode& node, int first, int last) const = 0;
    // Whether the fill of the pick or of a friend is drawn at a cell.
    virtual bool IsCellShown(int row, int col, int first, int last) const = 0;
    // The rule between the two entries of an odd/even node: across its middle.
    virtual void DrawEntryRule(zem::gui::DC& dc, const zem::Rect& text) const;

    // The fills of the pick and its friends, then the texts of the nodes shown.
    void DrawNodes(zem::gui::DC& dc, int first, int last);
    // A two-line title: the upper line grey above the middle, the lower one black below it; else one
    // centred line, fitted when `fitSingle`.
    void DrawTitle(zem::gui::DC& dc, SchoolTitleLayout& layout, const std::string& title, const zem::Rect& rect,
                   bool fitSingle) const;
    void DrawPeriodLabel(zem::gui::DC& dc, int period, const zem::Rect& rect) const;

    static constexpr unsigned kOneLine = zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE;

    // Fills the drawing rectangle with the grid colour and returns the frame the layouts draw in.
    static zem::Rect GridFrame(zem::gui::DC& dc, const zem::Rect& rect);
    // Lines as the grid's pens draw them: a 2-pixel line covers the pixel before its coordinate too.
    static void HorzLine(zem::gui::DC& dc, int left, int right, int y, int width);
    static void VertLine(zem::gui::DC& dc, int x, int top, int bottom, int width);
    static zem::Rect UpperHalf(const zem::Rect& r);
    static zem::Rect LowerHalf(const zem::Rect& r);
    // Lays out entry k's main and secondary text (see FitTextPair) and notes whether any was
    // shortened.
    void PrepareEntry(zem::gui::DC& dc, CSchoolTableNode& node, int k, const TextSlot& mainSlot,
                      const TextSlot& secondarySlot, const TextSlot& alone) const;

    SchoolTableData& m_data;
    SchoolGeometry m_geometry;

private:
    void DrawPickFills(zem::gui::DC& dc, int first, int last) const;
    // Places a node and lays its texts out again when its size changed.
    void PlaceNode(zem::gui::DC& dc, CSchoolTableNode& node) const;
};

// The layouts whose objects are columns: they scroll sideways, and a cell stands on a line of the
// node area in a display column.
class CSchoolColumnLayout : public CSchoolLayout {
public:
    using CSchoolLayout::CSchoolLayout;

    // The node less 2 pixels on the top and the sides: its bottom row is free of the grid lines.
    zem::Rect TextArea(const zem::Rect& node) const override;

protected:
    int FirstVisible() const override;
    int LastVisible() const override;
    bool IsCellShown(int row, int col, int first, int last) const override;
    // The line and the display column under a client point, or false outside the node area.
    bool HitCell(zem::Point point, int* line, int* displayColumn) const;
    // Where a display column's line lies now; empty while the cell size is not known.
    zem::Rect CellRect(int line, int displayColumn) const;
};
