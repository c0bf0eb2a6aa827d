#include "app/proctor/ProctorTitleBand.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "platform/gui/DC.h"
#include "platform/gui/Font.h"

#include <QMouseEvent>

#include <algorithm>

using zem::Rect;

namespace {

constexpr zem::COLORREF kBand = zem::RGB(59, 72, 91);
constexpr zem::COLORREF kName = zem::RGB(236, 240, 246);
constexpr zem::COLORREF kHint = zem::RGB(160, 172, 190);
constexpr const char* kHintText = "点击这里可以修改监考名称、创建新的监考或打开之前的监考";

}  // namespace

CProctorTitleBand::CProctorTitleBand(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void CProctorTitleBand::SetName(const std::string& name)
{
    m_name = name;
    update();
}

void CProctorTitleBand::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        using namespace zem::gui;
        dc.FillSolidRect(client, kBand);
        const std::string& face = CGdiResources::GetInstance()->GetUiFontName();
        const Font nameFont(zem::LogFont{PointSizeToHeight(160), 700, false, false, face});
        dc.SelectFont(nameFont);
        dc.SetTextColor(kName);
        const int right = std::min(client.left + 16 + nameFont.TextWidth(m_name), client.right - 16);
        dc.DrawText(m_name, Rect(client.left + 16, client.top, right, client.bottom), DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        const Rect hint(right + 24, client.top, client.right - 16, client.bottom);
        if (hint.Width() > CGdiResources::GetInstance()->NormalFont.TextWidth(kHintText)) {
            dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
            dc.SetTextColor(kHint);
            dc.DrawText(kHintText, hint, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        }
    });
}

void CProctorTitleBand::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !onClick)
        return;
    const QPoint global = event->globalPosition().toPoint();
    onClick({global.x(), global.y()});
}
