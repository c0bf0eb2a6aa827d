#include "app/controls/DialogPlacement.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <algorithm>
#include <iterator>

zem::Rect WidgetRect(const QWidget* widget)
{
    const QRect r = widget->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void SetWidgetRect(QWidget* widget, const zem::Rect& rect)
{
    widget->setGeometry(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height()));
}

void SetWidgetTopLeft(QWidget* widget, int left, int top)
{
    widget->move(left, top);
}

void SetWidgetSize(QWidget* widget, int width, int height)
{
    widget->resize(width, height);
}

void PlaceEditInFrame(QWidget* edit, const zem::Rect& frame)
{
    zem::Rect inner = frame;
    inner.DeflateRect(3, 5, 3, 1);
    SetWidgetRect(edit, inner);
}

CHoverButton* AddHoverButton(zem::gui::Dialog* dialog, int id, std::string_view text)
{
    auto* button = new CHoverButton(text, dialog);
    button->setAutoDefault(false);
    button->resize(dialog->Units().X(50), dialog->Units().Y(14));
    dialog->AddControl(id, button);
    return button;
}

CHoverButton* AddHoverButton(zem::gui::Dialog* dialog, int id, std::string_view text, const zem::Rect& rect)
{
    CHoverButton* button = AddHoverButton(dialog, id, text);
    SetWidgetRect(button, rect);
    return button;
}

QGroupBox* AddGroup(zem::gui::Dialog* dialog, std::string_view title, const zem::Rect& rect)
{
    auto* box = new QGroupBox(zem::gui::ToQ(title), dialog);
    SetWidgetRect(box, rect);
    return box;
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
    return PlaceList(dialog, list, kDialogBandHeight + u.Y(5), buttonsTop - u.Y(5));
}

QLabel* AddLabel(zem::gui::Dialog* dialog, std::string_view text, const zem::Rect& rect, int id)
{
    auto* label = new QLabel(zem::gui::ToQ(text), dialog);
    SetWidgetRect(label, rect);
    if (id)
        dialog->AddControl(id, label);
    return label;
}

QLineEdit* AddEdit(zem::gui::Dialog* dialog, int id, const zem::Rect& rect)
{
    auto* edit = new QLineEdit(dialog);
    AddField(dialog, id, edit, rect);
    return edit;
}

QCheckBox* AddCheck(zem::gui::Dialog* dialog, int id, std::string_view text, const zem::Rect& rect, bool checked)
{
    auto* box = new QCheckBox(zem::gui::ToQ(text), dialog);
    box->setChecked(checked);
    AddField(dialog, id, box, rect);
    return box;
}

QWidget* AddField(zem::gui::Dialog* dialog, int id, QWidget* control, const zem::Rect& rect)
{
    SetWidgetRect(control, rect);
    dialog->AddControl(id, control);
    return control;
}

CFieldRows::CFieldRows(zem::gui::Dialog* dialog, const Column& column)
    : m_dialog(dialog), m_column(column), m_rowHeight(dialog->Units().Y(column.rowHeight)),
      m_rowGap(dialog->Units().Y(column.rowGap))
{
}

QLabel* CFieldRows::Add(std::string_view label, int id, QWidget* field, QWidget* button, int buttonId, int labelId)
{
    const auto& u = m_dialog->Units();
    const int top = m_column.top + m_count * (m_rowHeight + m_rowGap);
    const int fieldLeft = m_column.left + u.X(m_column.labelWidth);
    auto* text = new QLabel(zem::gui::ToQ(label), m_dialog);
    text->setGeometry(m_column.left, top, fieldLeft - m_column.left - u.X(2), m_rowHeight);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (labelId)
        m_dialog->AddControl(labelId, text);
    int fieldRight = m_column.right;
    if (button) {
        const int buttonWidth = m_rowHeight + u.X(4);
        button->setGeometry(m_column.right - buttonWidth, top, buttonWidth, m_rowHeight);
        fieldRight = m_column.right - buttonWidth - u.X(3);
        m_dialog->AddControl(buttonId, button);
    }
    field->setGeometry(fieldLeft, top, fieldRight - fieldLeft, m_rowHeight);
    m_dialog->AddControl(id, field);
    ++m_count;
    return text;
}

int CFieldRows::Bottom() const
{
    return m_count == 0 ? m_column.top : m_column.top + m_count * (m_rowHeight + m_rowGap) - m_rowGap;
}

CWordRow::CWordRow(zem::gui::Dialog* dialog, const Line& line) : m_dialog(dialog), m_line(line), m_x(line.left) {}

QLabel* CWordRow::Words(std::string_view words)
{
    auto* label = new QLabel(zem::gui::ToQ(words), m_dialog);
    label->adjustSize();
    label->move(m_x, m_line.top + (m_line.height - label->height()) / 2);
    m_x += label->width() + m_line.gap;
    return label;
}

QWidget* CWordRow::Field(int id, QWidget* field, int width)
{
    AddField(m_dialog, id, field, zem::Rect(m_x, m_line.top, m_x + width, m_line.top + m_line.height));
    m_x += width + m_line.gap;
    return field;
}

zem::Rect PlaceList(zem::gui::Dialog* dialog, QWidget* list, int top, int bottom, int inset)
{
    const int margin = dialog->Units().X(7);
    const zem::Rect frame(margin, top, dialog->width() - margin, bottom);
    zem::Rect inner = frame;
    inner.DeflateRect(inset);
    SetWidgetRect(list, inner);
    return frame;
}
