#include "app/controls/NameInputDlg.h"

#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "platform/gui/QtText.h"

#include <QLabel>

CNameInputDlg::CNameInputDlg(QWidget* parent) : Dialog(parent, "输入", {187, 65}) {}

bool CNameInputDlg::OnInitDialog()
{
    const auto& u = Units();
    const int margin = u.X(7);
    SetCaption(m_caption);
    auto* prompt = new QLabel(zem::gui::ToQ(m_prompt), this);
    prompt->move(margin, margin);
    prompt->adjustSize();
    auto* edit = new CFlatEdit(this);
    edit->setText(zem::gui::ToQ(m_name));
    edit->setGeometry(margin, margin + prompt->height() + u.Y(3), width() - 2 * margin, u.Y(13));
    AddControl(IDC_NAME, edit);
    const int buttonWidth = u.X(50), buttonHeight = u.Y(14);
    const int top = height() - margin - buttonHeight;
    auto* ok = new CHoverButton("确定", this);
    ok->setDefault(true);
    ok->setGeometry(width() - margin - 2 * buttonWidth - u.X(4), top, buttonWidth, buttonHeight);
    AddControl(zem::IDOK, ok);
    auto* cancel = new CHoverButton("取消", this);
    cancel->setAutoDefault(false);
    cancel->setGeometry(width() - margin - buttonWidth, top, buttonWidth, buttonHeight);
    AddControl(zem::IDCANCEL, cancel);
    setFixedSize(size());
    edit->setFocus();
    return true;
}

void CNameInputDlg::OnOK()
{
    std::string name = GetDlgItemText(IDC_NAME);
    // Trailing blanks go; leading ones stay, as typed.
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r' || name.back() == '\n'))
        name.pop_back();
    if (name.empty()) {
        ShowMessage("名称不能为空");
        GetDlgItem(IDC_NAME)->setFocus();
        return;
    }
    std::string message;
    if (!CheckGbkText(name, &message)) {
        ShowMessage(message);
        GetDlgItem(IDC_NAME)->setFocus();
        return;
    }
    m_name = name;
    EndDialog(zem::IDOK);
}
