#pragma once
// The vertical layout of the whole-school grid: one column per object, the periods of all days
// running down the window; the columns scroll sideways.
#include "table/SchoolLayout.h"

class CSchoolLayoutVert : public CSchoolColumnLayout {
public:
    using CSchoolColumnLayout::CSchoolColumnLayout;

    SchoolBarPlacement Refresh(const zem::Rect& client) override;
    bool HitNode(zem::Point point, tagNMT_NODE2* node) const override;
    zem::Rect GetNodeRect(int row, int col) const override;
    void Draw(zem::gui::DC& dc, const zem::Rect& rect) override;

    // A name written down the narrow day column: a line feed after every two GBK bytes, never
    // inside a character.
    static std::string StackDayName(std::string_view name);

protected:
    void MeasureTexts(zem::gui::DC& dc, CSchoolTableNode& node, const zem::Rect& text) const override;
    bool IsNodeShown(const CSchoolTableNode& node, int first, int last) const override;
    // Two entries stand side by side: the rule runs down the middle.
    void DrawEntryRule(zem::gui::DC& dc, const zem::Rect& text) const override;

private:
    void DrawTitleArea(zem::gui::DC& dc, const zem::Rect& r, int bottom) const;
};
