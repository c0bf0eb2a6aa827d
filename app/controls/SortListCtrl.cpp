#include "app/controls/SortListCtrl.h"
#include "app/controls/GdiResources.h"

#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

using zem::Rect;
using zem::RGB;
using zem::gui::DC;

namespace {

constexpr zem::COLORREF kButtonFace = RGB(240, 240, 240);
constexpr zem::COLORREF kButtonHighlight = RGB(255, 255, 255);
constexpr zem::COLORREF kButtonShadow = RGB(160, 160, 160);

// A numeric cell to two decimal places, as the list compares them; text that is no number is 0.
std::int64_t Hundredths(const std::string& text)
{
    const double value = zem::ParseDecimalPrefix(text) * 100.0;
    if (!std::isfinite(value))
        return 0;
    return static_cast<std::int64_t>(std::trunc(std::clamp(value, -9.0e18, 9.0e18)));
}

}  // namespace

CSortHeaderCtrl::CSortHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void CSortHeaderCtrl::SetSortImage(int column, bool ascending)
{
    m_sortColumn = column;
    m_ascending = ascending;
    m_ownerDrawn.insert(column);
    viewport()->update();
}

void CSortHeaderCtrl::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton ? logicalIndexAt(event->position().toPoint()) : -1;
    QHeaderView::mousePressEvent(event);
    viewport()->update();
}

void CSortHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = -1;
    QHeaderView::mouseReleaseEvent(event);
    viewport()->update();
}

void CSortHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!IsOwnerDrawn(logicalIndex) || rect.width() <= 0 || rect.height() <= 0) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const int width = rect.width(), height = rect.height();
    QImage image(width, height, QImage::Format_RGB32);
    {
        DC dc(&image);
        dc.FillSolidRect(Rect(0, 0, width, height), kButtonFace);
        dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
        dc.SetBkMode(zem::gui::TRANSPARENT);

        const QString title = model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString().left(255)
                                      : QString();
        const int align =
            model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole).toInt() : 0;
        unsigned format = zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_NOCLIP;
        if (align & Qt::AlignHCenter)
            format |= zem::gui::DT_CENTER;
        else if (align & Qt::AlignRight)
            format |= zem::gui::DT_RIGHT;

        Rect text(0, 0, width, height);
        if (m_pressed == logicalIndex) {
            text.left += 1;
            text.top += 2;
            text.right += 1;
        }
        const int o = height / 4;
        const bool sorted = logicalIndex == m_sortColumn;
        if (sorted)
            text.right -= 3 * o;
        text.left += o;
        text.right -= o;
        if (text.left < text.right) {
            const QFontMetrics metrics(CGdiResources::GetInstance()->DefaultFont.GetQFont());
            const QString shown = metrics.elidedText(title, Qt::ElideRight, text.Width());
            dc.DrawText(zem::gui::FromQ(shown), text, format);
        }

        if (sorted) {
            const int r = width, b = height;
            if (m_ascending) {
                dc.SetPenColor(kButtonHighlight);
                dc.MoveTo(r - 2 * o, o);
                dc.LineTo(r - o, b - o - 1);
                dc.LineTo(r - 3 * o - 2, b - o - 1);
                dc.SetPenColor(kButtonShadow);
                dc.MoveTo(r - 3 * o - 1, b - o - 1);
                dc.LineTo(r - 2 * o, o - 1);
            } else {
                dc.SetPenColor(kButtonHighlight);
                dc.MoveTo(r - o - 1, o);
                dc.LineTo(r - 2 * o - 1, b - o);
                dc.SetPenColor(kButtonShadow);
                dc.MoveTo(r - 2 * o - 2, b - o);
                dc.LineTo(r - 3 * o - 1, o);
                dc.LineTo(r - o - 1, o);
            }
        }
    }
    painter->save();
    painter->setClipRect(rect);
    painter->drawImage(rect.topLeft(), image);
    painter->restore();
}

CSortListCtrl::CSortListCtrl(QWidget* parent) : ReportList(parent), m_header(new CSortHeaderCtrl(this))
{
    SetHeader(m_header);
}

void CSortListCtrl::SetColumnType(int column, int type)
{
    m_columnTypes[column] = type;
}

void CSortListCtrl::SortColumn(int column, bool ascending)
{
    m_sortColumn = column;
    m_ascending = ascending;
    m_header->SetSortImage(column, ascending);
    SortItems([this](int a, int b) { return CompareRows(a, b); });
}

void CSortListCtrl::OnColumnClick(int column)
{
    const bool ascending = column != m_sortColumn ? true : !m_ascending;
    SortColumn(column, ascending);
    const int first = GetFirstSelected();
    if (first >= 0)
        EnsureVisible(first);
    ReportList::OnColumnClick(column);
}

int CSortListCtrl::CompareRows(int row1, int row2) const
{
    const std::string t1 = GetItemText(row1, m_sortColumn);
    const std::string t2 = GetItemText(row2, m_sortColumn);
    auto it = m_columnTypes.find(m_sortColumn);
    if (it != m_columnTypes.end() && it->second == COLUMN_NUMERIC) {
        const std::int64_t v1 = Hundredths(t1), v2 = Hundredths(t2);
        // The sign of the difference, which a cut to int could turn for large values.
        const int order = v1 < v2 ? -1 : (v1 > v2 ? 1 : 0);
        return m_ascending ? order : -order;
    }
    return m_ascending ? zem::CompareGbkNoCase(t1, t2) : zem::CompareGbkNoCase(t2, t1);
}
