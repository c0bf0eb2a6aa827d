#pragma once
// The horizontal layout of the whole-school grid: one line per object, one column per period of
// every day; the lines scroll up and down.
#include "table/SchoolLayout.h"

class CSchoolLayoutHorz : public CSchoolLayout {
public:
    using CSchoolLayout::CSchoolLayout;

    SchoolBarPlacement Refresh(const zem::Rect& client) override;
    bool HitNode(zem::Point point, tagNMT_NODE2* node) const override;
    zem::Rect GetNodeRect(int row, int col) const override;
    void Draw(zem::gui::DC& dc, const zem::Rect& rect) override;
    bool ObjectsAreRows() const override { return true; }

protected:
    void MeasureTexts(zem::gui::DC& dc, CSchoolTableNode& node, const zem::Rect& text) const override;
    int FirstVisible() const override;
    int LastVisible() const override;
    bool IsNodeShown(const CSchoolTableNode& node, int first, int last) const override;
    bool IsCellShown(int row, int col, int first, int last) const override;

private:
    void DrawHeader(zem::gui::DC& dc, const zem::Rect& d, const zem::Rect& r) const;
};
