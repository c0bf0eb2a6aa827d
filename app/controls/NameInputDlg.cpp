#include "app/controls/NameInputDlg.h"

#include "app/controls/DialogPlacement.h"
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
    SetWidgetTopLeft(prompt, margin, margin);
    prompt->adjustSize();
    auto* edit = new CFlatEdit(this);
    edit->setText(zem::gui::ToQ(m_name));
    const int editTop = margin + prompt->height() + u.Y(3);
    AddField(this, IDC_NAME, edit, zem::Rect(margin, editTop, width() - margin, editTop + u.Y(13)));
    AddHoverButton(this, zem::IDOK, "确定")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, height() - margin - u.Y(14), {}, {zem::IDOK, zem::IDCANCEL});
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
