#include "app/controls/RunWindowLayout.h"

#include "app/controls/DialogLook.h"
#include "app/controls/FloatingWords.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "platform/gui/Dialog.h"

#include <QLabel>
#include <QProgressBar>

namespace {

constexpr int kStatusId = 1023;
constexpr int kProgressId = 1021;

}  // namespace

CRunWindowControls BuildRunWindow(zem::gui::Dialog* dialog)
{
    const auto& u = dialog->Units();
    CRunWindowControls controls;
    controls.animation = dialog->UnitsRect(7, 7, 365, 78);
    controls.status = new QLabel(dialog);
    controls.status->setAttribute(Qt::WA_TranslucentBackground);
    controls.status->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    controls.status->setGeometry(u.X(7), u.Y(89), u.X(365), u.Y(12));
    dialog->AddControl(kStatusId, controls.status);
    controls.progress = new QProgressBar(dialog);
    controls.progress->setRange(0, 100);
    controls.progress->setValue(0);
    controls.progress->setTextVisible(false);
    controls.progress->setGeometry(u.X(7), u.Y(108), u.X(306), u.Y(12));
    dialog->AddControl(kProgressId, controls.progress);
    CHoverButton* cancel = AddHoverButton(dialog, zem::IDCANCEL, "取消");
    cancel->move(u.X(322), u.Y(107));
    return controls;
}

void PaintRunWindow(QWidget* window, const CFloatingWordsAnimation& animation)
{
    PaintOffscreen(window, [&](zem::gui::DC& dc, const zem::Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        animation.Draw(dc);
    });
}
