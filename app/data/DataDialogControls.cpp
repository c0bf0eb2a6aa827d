#include "app/data/DataDialogControls.h"

#include "app/controls/ShellFunctions.h"
#include "app/controls/Strings.h"
#include "platform/gui/DC.h"
#include "platform/gui/Dialog.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

using zem::COLORREF;
using zem::RGB;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

QPushButton* CreateDialogButton(QWidget* parent, std::string_view caption)
{
    auto* button = new QPushButton(zem::gui::ToQ(caption), parent);
    // Enter never presses a button of these dialogs: they save only when the user clicks.
    button->setAutoDefault(false);
    SetButtonBkColor(button, kWhite);
    return button;
}

void SetButtonBkColor(QPushButton* button, COLORREF color)
{
    if (!button)
        return;
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, zem::gui::ToQColor(color));
    button->setPalette(palette);
    button->setProperty("zemBkColor", static_cast<unsigned>(color));
    button->update();
}

COLORREF GetButtonBkColor(const QPushButton* button)
{
    return button ? static_cast<COLORREF>(button->property("zemBkColor").toUInt()) : kWhite;
}

CLinkLabel::CLinkLabel(QWidget* parent, std::string_view text, std::string address)
    : QLabel(zem::gui::ToQ(text), parent), m_address(std::move(address))
{
    setCursor(Qt::PointingHandCursor);
    SetHovered(false);
}

void CLinkLabel::Open()
{
    OpenWebPage(m_address);
}

void CLinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Open();
    QLabel::mousePressEvent(event);
}

void CLinkLabel::enterEvent(QEnterEvent* event)
{
    SetHovered(true);
    QLabel::enterEvent(event);
}

void CLinkLabel::leaveEvent(QEvent* event)
{
    SetHovered(false);
    QLabel::leaveEvent(event);
}

void CLinkLabel::SetHovered(bool hovered)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, hovered ? Qt::red : Qt::blue);
    setPalette(palette);
    QFont font = this->font();
    font.setUnderline(hovered);
    setFont(font);
}

namespace {

class ActivityNameDlg : public zem::gui::Dialog {
public:
    explicit ActivityNameDlg(QWidget* parent) : Dialog(parent, "输入", {187, 65}) {}

    std::string m_name;

protected:
    bool OnInitDialog() override
    {
        auto* prompt = new QLabel(QStringLiteral("请输入固定活动名称"), this);
        prompt->setGeometry(Units().X(7), Units().Y(7), Units().X(173), Units().Y(10));
        auto* edit = new QLineEdit(zem::gui::ToQ(m_name), this);
        edit->setGeometry(Units().X(7), Units().Y(20), Units().X(173), Units().Y(14));
        AddControl(1003, edit);
        auto* ok = new QPushButton(QStringLiteral("确定"), this);
        ok->setDefault(true);
        ok->setGeometry(Units().X(76), Units().Y(43), Units().X(50), Units().Y(14));
        AddControl(zem::IDOK, ok);
        auto* cancel = new QPushButton(QStringLiteral("取消"), this);
        cancel->setGeometry(Units().X(130), Units().Y(43), Units().X(50), Units().Y(14));
        AddControl(zem::IDCANCEL, cancel);
        edit->setFocus();
        return true;
    }

    void OnOK() override
    {
        std::string name = GetDlgItemText(1003);
        // Trailing blanks go; leading ones are the user's.
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.pop_back();
        std::string message;
        if (name.empty()) {
            ShowMessage("名称不能为空");
            return;
        }
        if (!CheckGbkText(name, &message)) {
            ShowMessage(message);
            return;
        }
        m_name = name;
        EndDialog(zem::IDOK);
    }
};

}  // namespace

bool InputActivityName(QWidget* parent, std::string& name)
{
    ActivityNameDlg dlg(parent);
    dlg.m_name = name;
    if (dlg.DoModal() != zem::IDOK)
        return false;
    name = dlg.m_name;
    return true;
}
