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

zem::Rect WidgetRect(const QWidget* widget)
{
    const QRect r = widget->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void SetWidgetRect(QWidget* widget, const zem::Rect& rect)
{
    widget->setGeometry(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height()));
}

void PlaceEditInFrame(QWidget* edit, const zem::Rect& frame)
{
    zem::Rect inner = frame;
    inner.DeflateRect(3, 5, 3, 1);
    SetWidgetRect(edit, inner);
}

void DrawFramedBox(zem::gui::DC& dc, const zem::Rect& frame, bool whiteInside)
{
    if (whiteInside)
        dc.FillSolidRect(frame, zem::RGB(255, 255, 255));
    dc.Draw3dRect(frame, kDialogFrameColor, kDialogFrameColor);
}

CHoverButton* AddHoverButton(zem::gui::Dialog* dialog, int id, std::string_view text)
{
    auto* button = new CHoverButton(text, dialog);
    button->setAutoDefault(false);
    button->resize(dialog->Units().X(50), dialog->Units().Y(14));
    dialog->AddControl(id, button);
    return button;
}

void PlaceButtonRow(zem::gui::Dialog* dialog, int top, std::initializer_list<int> left, std::initializer_list<int> right)
{
    const int margin = dialog->Units().X(7), gap = dialog->Units().X(4);
    int x = margin;
    for (int id : left) {
        if (QWidget* button = dialog->GetDlgItem(id)) {
            button->move(x, top);
            x += button->width() + gap;
        }
    }
    x = dialog->width() - margin;
    for (auto it = std::rbegin(right); it != std::rend(right); ++it) {
        if (QWidget* button = dialog->GetDlgItem(*it)) {
            x -= button->width();
            button->move(x, top);
            x -= gap;
        }
    }
}

zem::Rect PlaceSearchBand(zem::gui::Dialog* dialog, const QWidget* lastButton, QWidget* label, QWidget* edit)
{
    const auto& u = dialog->Units();
    const int buttonHeight = u.Y(14);
    const int bandTop = (kDialogBandHeight - buttonHeight) / 2;
    label->adjustSize();
    const int labelLeft = lastButton->x() + lastButton->width() + u.X(12);
    label->move(labelLeft, (kDialogBandHeight - label->height()) / 2);
    const zem::Rect frame(labelLeft + label->width() + u.X(4), bandTop, dialog->width() - u.X(7),
                          bandTop + buttonHeight);
    PlaceEditInFrame(edit, frame);
    return frame;
}

zem::Rect PlaceBandList(zem::gui::Dialog* dialog, QWidget* list, int buttonsTop)
{
    const auto& u = dialog->Units();
    const zem::Rect frame(u.X(7), kDialogBandHeight + u.Y(5), dialog->width() - u.X(7), buttonsTop - u.Y(5));
    zem::Rect inner = frame;
    inner.DeflateRect(1);
    SetWidgetRect(list, inner);
    return frame;
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
