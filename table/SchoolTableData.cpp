#include "table/SchoolTableData.h"

#include "base/CellRecord.h"

using zem::Rect;

void SchoolNodeLayout::MoveTo(const Rect& to)
{
    const int dx = to.left - rect.left, dy = to.top - rect.top;
    if (dx == 0 && dy == 0)
        return;
    for (std::size_t k = 0; k < main.size(); ++k) {
        main[k].Offset(dx, dy);
        secondary[k].Offset(dx, dy);
    }
    rect = to;
}

CSchoolTableNode::CSchoolTableNode(int row, int column, std::string text) : m_row(row), m_column(column)
{
    SetText(std::move(text));
}

void CSchoolTableNode::SetText(std::string text)
{
    m_text = std::move(text);
    m_fields = zem::ReadCellRecord(m_text);
    m_layout.dirty = true;
}

void CSchoolTableNode::ExchangeContent(CSchoolTableNode& other)
{
    std::string text = std::move(m_text);
    SetText(std::move(other.m_text));
    other.SetText(std::move(text));
    std::swap(m_tip, other.m_tip);
}

std::string CSchoolTableNode::GetDisplayTip() const
{
    if (!m_tip.empty() || !m_layout.shortened)
        return m_tip;
    std::string whole;
    for (const zem::CellEntry& entry : m_fields.entries) {
        for (const std::string_view text : {entry.main, entry.secondary}) {
            if (text.empty())
                continue;
            if (!whole.empty())
                whole += '\n';
            whole += text;
        }
    }
    return whole;
}

std::string SchoolTableData::PeriodLabel(int period) const
{
    const int morning = showSS ? sections[3] : 0;
    if (showSS && period < morning)
        return "早";
    if (showSS && period >= dayNodes - sections[4])
        return "自";
    return std::to_string(period + 1 - morning);
}

void SchoolTableData::MarkAllDirty()
{
    for (const auto& node : nodes)
        node->Layout().dirty = true;
    for (auto* layouts : {&rowTitleLayouts, &colTitleLayouts})
        for (SchoolTitleLayout& layout : *layouts)
            layout.size = {-1, -1};
}
