#include "app/controls/DialogLook.h"

#include "app/controls/HoverButton.h"
#include "platform/gui/Dialog.h"

#include <QPainter>
#include <QWidget>

void PaintOffscreen(QWidget* widget, const std::function<void(zem::gui::DC&, const zem::Rect&)>& draw)
{
    if (widget->width() <= 0 || widget->height() <= 0)
        return;
    QImage buffer(widget->width(), widget->height(), QImage::Format_RGB32);
    {
        zem::gui::DC dc(&buffer);
        draw(dc, zem::Rect(0, 0, widget->width(), widget->height()));
    }
    QPainter(widget).drawImage(0, 0, buffer);
}

void DrawFramedBox(zem::gui::DC& dc, const zem::Rect& frame, bool whiteInside)
{
    if (whiteInside)
        dc.FillSolidRect(frame, zem::RGB(255, 255, 255));
    dc.Draw3dRect(frame, kDialogFrameColor, kDialogFrameColor);
}

void PaintBandDialog(QWidget* dialog, const zem::Rect& searchFrame, const zem::Rect& listFrame)
{
    PaintOffscreen(dialog, [&](zem::gui::DC& dc, const zem::Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(zem::Rect(0, 0, client.right, kDialogBandHeight), kDialogBandColor);
        DrawFramedBox(dc, searchFrame, true);
        DrawFramedBox(dc, listFrame, false);
    });
}

void PaintButtonBandDialog(QWidget* dialog, std::initializer_list<zem::Rect> frames)
{
    PaintOffscreen(dialog, [&](zem::gui::DC& dc, const zem::Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(zem::Rect(0, client.bottom - kDialogBandHeight, client.right, client.bottom), kDialogBandColor);
        for (const zem::Rect& frame : frames)
            DrawFramedBox(dc, frame, false);
    });
}

int AskQuestion(const std::string& text, zem::MessageButtons buttons)
{
    zem::MessageRequest question;
    question.text = text;
    question.icon = zem::MessageIcon::Question;
    question.buttons = buttons;
    return zem::ShowMessage(question);
}
