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

int AskQuestion(const std::string& text, zem::MessageButtons buttons)
{
    zem::MessageRequest question;
    question.text = text;
    question.icon = zem::MessageIcon::Question;
    question.buttons = buttons;
    return zem::ShowMessage(question);
}
