#include "app/proctor/ProctorTitleBand.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "platform/gui/DC.h"
#include "platform/gui/Font.h"

#include <QMouseEvent>

using zem::Rect;

namespace {

constexpr zem::COLORREF kBand = zem::RGB(59, 72, 91);
constexpr zem::COLORREF kName = zem::RGB(236, 240, 246);

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
        dc.DrawText(m_name, Rect(client.left + 16, client.top, client.right - 16, client.bottom),
                    DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    });
}

void CProctorTitleBand::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !onClick)
        return;
    const QPoint global = event->globalPosition().toPoint();
    onClick({global.x(), global.y()});
}
