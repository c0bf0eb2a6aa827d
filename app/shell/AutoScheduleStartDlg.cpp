#include "app/shell/AutoScheduleStartDlg.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shell/ShellBitmaps.h"

using zem::Rect;

CAutoScheduleStartDlg::CAutoScheduleStartDlg(QWidget* parent) : Dialog(parent, "自动排课", {346, 107}) {}

bool CAutoScheduleStartDlg::OnInitDialog()
{
    RegisterShellBitmaps();
    const auto& u = Units();
    m_pictureRect = UnitsRect(14, 12, 30, 30);
    m_textRect = UnitsRect(56, 14, 280, 36);
    CHoverButton* ok = AddHoverButton(this, zem::IDOK, "开始自动排课");
    SetWidgetSize(ok, u.X(80), u.Y(16));
    ok->setDefault(true);
    const int bandTop = height() - kBottomStrip;
    SetWidgetTopLeft(ok, width() - u.X(7) - ok->width(), bandTop + (kBottomStrip - ok->height()) / 2);
    ok->setFocus();
    return true;
}

void DrawRunWelcome(zem::gui::DC& dc, const Rect& client, int bottomStrip, const Rect& pictureRect, int pictureId,
                    const Rect& textRect, const std::string& text)
{
    dc.FillSolidRect(client, kDialogBandColor);
    dc.FillSolidRect(Rect(0, 0, client.right, client.bottom - bottomStrip), zem::RGB(255, 255, 255));
    DrawCenteredBitmap(&dc, pictureRect, pictureId);
    dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
    dc.SetTextColor(zem::RGB(0, 0, 0));
    DrawTextLines(&dc, textRect.left, textRect.top, textRect.right, textRect.bottom, text, 4, 0);
}

void CAutoScheduleStartDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        DrawRunWelcome(dc, client, kBottomStrip, m_pictureRect, IDB_PICTURE, m_textRect, kWelcomeText);
    });
}
