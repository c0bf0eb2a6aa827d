#include "app/shell/PageHeader.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"

#include <QMouseEvent>
#include <QPainter>

using zem::Rect;
using zem::gui::DC;

namespace {

void Stretch(DC& dc, const Rect& rect, int bitmapId)
{
    const QImage* bitmap = CGdiResources::GetInstance()->GetBitmap(bitmapId);
    if (bitmap && !rect.IsRectEmpty())
        dc.Painter().drawImage(QRect(rect.left, rect.top, rect.Width(), rect.Height()), *bitmap);
}

}  // namespace

CPageHeader::CPageHeader()
{
    setWindowTitle("Web_Sheet_Header");
    setMouseTracking(true);
}

bool CPageHeader::Create(QWidget* parent, zem::MessageTarget* owner)
{
    setParent(parent);
    m_pOwner = owner;
    show();
    return true;
}

int CPageHeader::TabWidth(const std::string& name)
{
    return 10 * zem::GbkWidth(name) + 18;
}

void CPageHeader::AddPage(const std::string& name, const std::string& description)
{
    const int width = TabWidth(name);
    m_pages.push_back({name, description, Rect(m_nNextX, 0, m_nNextX + width, kPageHeight), m_nPageCount});
    m_nNextX += width;
    ++m_nPageCount;
    update();
}

void CPageHeader::SelectPage(int index)
{
    if (index < 0 || index >= m_nPageCount)
        return;
    if (index != m_nSelected) {
        m_nSelected = index;
        zem::SendMessage(m_pOwner, WM_FILL_TOOLBOX, static_cast<zem::WPARAM>(index), 0);
    }
    update();
}

int CPageHeader::PageAt(zem::Point point) const
{
    for (const CPageTab& page : m_pages) {
        if (page.rect.PtInRect(point))
            return page.index;
    }
    return -1;
}

void CPageHeader::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int page = PageAt({event->position().toPoint().x(), event->position().toPoint().y()});
    if (page >= 0)
        SelectPage(page);
}

void CPageHeader::mouseMoveEvent(QMouseEvent* event)
{
    const int page = PageAt({event->position().toPoint().x(), event->position().toPoint().y()});
    CGdiResources* gdi = CGdiResources::GetInstance();
    setCursor(page >= 0 ? gdi->m_handCursor : gdi->m_arrowCursor);
}

void CPageHeader::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        DC dc(&image);
        const int h = height();
        Stretch(dc, Rect(0, 0, kLeftMargin, h), IDB_HEADER_BACK);
        Stretch(dc, Rect(m_nNextX, 0, width(), h), IDB_HEADER_BACK);
        CGdiResources* gdi = CGdiResources::GetInstance();
        dc.SelectFont(gdi->HeaderFont);
        dc.SetBkMode(zem::gui::TRANSPARENT);
        for (const CPageTab& page : m_pages) {
            const bool selected = page.index == m_nSelected;
            Rect middle = page.rect;
            middle.DeflateRect(9, 0, 9, 0);
            Stretch(dc, middle, selected ? IDB_TAB_SEL_MIDDLE : IDB_TAB_MIDDLE);
            if (const QImage* left = gdi->GetBitmap(selected ? IDB_TAB_SEL_LEFT : IDB_TAB_LEFT))
                dc.Painter().drawImage(QPoint(page.rect.left, 0), *left, QRect(0, 0, 9, 28));
            if (const QImage* right = gdi->GetBitmap(selected ? IDB_TAB_SEL_RIGHT : IDB_TAB_RIGHT))
                dc.Painter().drawImage(QPoint(page.rect.right - 9, 0), *right, QRect(0, 0, 9, 28));
            dc.SetTextColor(selected ? zem::RGB(0, 0, 0) : zem::RGB(255, 255, 255));
            dc.DrawText(page.name, page.rect, zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
        }
    }
    QPainter(this).drawImage(0, 0, image);
}

bool CSheetTabStrip::Create(QWidget* parent)
{
    setWindowTitle("Web_Sheet_Header");
    setParent(parent);
    show();
    return true;
}

void CSheetTabStrip::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        DC dc(&image);
        Stretch(dc, Rect(0, 0, width(), height()), IDB_TABSTRIP_BACK);
    }
    QPainter(this).drawImage(0, 0, image);
}
