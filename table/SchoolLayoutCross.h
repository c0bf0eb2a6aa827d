#pragma once
// The cross layout of the whole-school grid: each day a band of object columns side by side, the
// periods of one day as lines; the bands scroll sideways. It shows and moves the pick, and swaps
// nothing.
#include "table/SchoolLayout.h"

class CSchoolLayoutCross : public CSchoolColumnLayout {
public:
    using CSchoolColumnLayout::CSchoolColumnLayout;

    SchoolBarPlacement Refresh(const zem::Rect& client) override;
    bool HitNode(zem::Point point, tagNMT_NODE2* node) const override;
    zem::Rect GetNodeRect(int row, int col) const override;
    void Draw(zem::gui::DC& dc, const zem::Rect& rect) override;
    bool SwapsNodes() const override { return false; }

protected:
    void MeasureTexts(zem::gui::DC& dc, CSchoolTableNode& node, const zem::Rect& text) const override;
    bool IsNodeShown(const CSchoolTableNode& node, int first, int last) const override;

private:
    // The display column and the line of a cell, or false.
    bool Place(int row, int col, int* displayColumn, int* line) const;
    void DrawTitles(zem::gui::DC& dc, const zem::Rect& r, int first, int last) const;
};
