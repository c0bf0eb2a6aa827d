#include "app/shell/ToolBox.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/shell/ShellBitmaps.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using zem::Rect;
using zem::gui::DC;

CToolBox::CToolBox()
{
    setWindowTitle("ToolBox_Wnd");
    setMouseTracking(true);
}

bool CToolBox::Create(QWidget* owner, zem::MessageTarget* notify)
{
    setParent(owner);
    m_pNotify = notify;
    show();
    return true;
}

void CToolBox::AddItem(int code, const std::string& caption, const std::string& description, int bitmapId,
                       bool lineBreak, bool enabled)
{
    CToolBoxItem item;
    item.code = code;
    item.caption = caption;
    item.description = description;
    item.lineBreak = lineBreak ? 1 : 0;
    item.enabled = enabled;
    if (code != 0) {
        QImage picture = LoadBitmapResource(bitmapId);
        if (!enabled)
            picture = FadedPicture(picture);
        item.image = m_images.Add(picture, zem::RGB(255, 255, 255));
    }
    m_items.push_back(std::move(item));
    update();
}

void CToolBox::Clear()
{
    m_items.clear();
    m_images = zem::gui::ImageList(40, 40);
    update();
}

Rect CToolBox::GetItemRect(int code) const
{
    for (const CToolBoxItem& item : m_items) {
        if (item.code == code && !item.lineBreak)
            return item.rect;
    }
    return {};
}

int CToolBox::ColumnCount(int width)
{
    return std::max(1, (width - kMargin) / (kItemWidth + kGap));
}

void CToolBox::Layout(int width)
{
    const int columns = ColumnCount(width);
    int x = kMargin;
    int y = kMargin;
    int column = 0;
    for (CToolBoxItem& item : m_items) {
        if (item.lineBreak) {
            if (x != kMargin)
                y += kItemHeight + kGap;
            x = kMargin;
            column = 0;
            item.rect = {};
            continue;
        }
        item.rect = Rect(x, y, x + kItemWidth, y + kItemHeight);
        if (++column == columns) {
            y += kItemHeight + kGap;
            x = kMargin;
            column = 0;
        } else {
            x += kItemWidth + kGap;
        }
    }
}

const CToolBoxItem* CToolBox::ItemByNumber(int number) const
{
    int n = 0;
    for (const CToolBoxItem& item : m_items) {
        if (item.lineBreak)
            continue;
        if (n++ == number)
            return &item;
    }
    return nullptr;
}

int CToolBox::HitTest(zem::Point point) const
{
    int n = 0;
    for (const CToolBoxItem& item : m_items) {
        if (item.lineBreak)
            continue;
        if (item.rect.PtInRect(point))
            return item.enabled ? n : -1;
        ++n;
    }
    return -1;
}

void CToolBox::paintEvent(QPaintEvent*)
{
    Layout(width());
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        DC dc(&image);
        CGdiResources* gdi = CGdiResources::GetInstance();
        dc.SelectFont(gdi->NormalFont);
        dc.SetBkMode(zem::gui::TRANSPARENT);
        int n = 0;
        for (const CToolBoxItem& item : m_items) {
            if (item.lineBreak)
                continue;
            if (n++ == m_nHover)
                DrawCenteredBitmap(&dc, item.rect, IDB_TOOL_HOVER);
            m_images.Draw(dc, item.image, {item.rect.left + 5, item.rect.top + (kItemHeight - 40) / 2});
            Rect text = item.rect;
            text.left += 50;
            dc.SetTextColor(item.enabled ? zem::RGB(0, 0, 0) : zem::RGB(160, 160, 160));
            dc.DrawText(item.caption, text, zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT);
        }
    }
    QPainter(this).drawImage(0, 0, image);
}

void CToolBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const int hover = HitTest({p.x(), p.y()});
    if (hover != m_nHover) {
        m_nHover = hover;
        update();
    }
    CGdiResources* gdi = CGdiResources::GetInstance();
    setCursor(m_nHover != -1 ? gdi->m_handCursor : gdi->m_arrowCursor);
}

void CToolBox::leaveEvent(QEvent*)
{
    if (m_nHover != -1) {
        m_nHover = -1;
        update();
    }
}

void CToolBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    Layout(width());
    // The press itself says where the mouse is, also when no move came before it.
    m_nHover = HitTest({p.x(), p.y()});
    if (m_nHover == -1)
        return;
    const CToolBoxItem* item = ItemByNumber(m_nHover);
    if (item && item->enabled)
        zem::SendMessage(m_pNotify, WM_TOOLBOX_ACTION, static_cast<zem::WPARAM>(item->code),
                         reinterpret_cast<zem::LPARAM>(item));
}

void CToolBox::resizeEvent(QResizeEvent*)
{
    update();
}
