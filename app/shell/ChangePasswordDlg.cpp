#include "app/shell/ChangePasswordDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Md5.h"
#include "app/shared/Strings.h"
#include "app/shell/ZemApp.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QLabel>
#include <QLineEdit>

using zem::Rect;

CChangePasswordDlg::CChangePasswordDlg(const std::string& iniPath, QWidget* parent)
    : Dialog(parent, "修改登录密码", {228, 99}), m_iniPath(iniPath)
{
}

bool CChangePasswordDlg::OnInitDialog()
{
    int top = 10;
    for (const auto& [id, text] : {std::pair{IDC_OLD, "原密码："}, std::pair{IDC_NEW, "新密码："},
                                   std::pair{IDC_REPEAT, "再输一次新密码："}}) {
        AddLabel(this, text, UnitsRect(12, top + 2, 70, 10))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        AddEdit(this, id, UnitsRect(86, top, 128, 14))->setEchoMode(QLineEdit::Password);
        top += 20;
    }
    AddHoverButton(this, zem::IDOK, "修改密码", UnitsRect(108, 76, 50, 15))->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消", UnitsRect(164, 76, 50, 15));
    GetDlgItem(IDC_OLD)->setFocus();
    return true;
}

void CChangePasswordDlg::OnOK()
{
    const std::string oldPassword = GetDlgItemText(IDC_OLD);
    const std::string stored = CZemApp::ReadPasswordDigest(m_iniPath);
    std::string digest = oldPassword;
    Md5HexInPlace(digest);
    // Without a stored password the old one must be left empty.
    if (!zem::EqualsNoCase(digest, stored) && (!stored.empty() || !oldPassword.empty())) {
        zem::MessageRequest request;
        request.text = "原密码不正确";
        request.caption = LoadResString(2);
        request.icon = zem::MessageIcon::None;
        zem::ShowMessage(request);
        return;
    }
    const std::string newPassword = GetDlgItemText(IDC_NEW);
    if (oldPassword.empty() && newPassword.empty()) {
        zem::ShowMessage("请输入新密码", "提示", zem::MessageIcon::Information);
        GetDlgItem(IDC_NEW)->setFocus();
        return;
    }
    // Letter case counts: a password that differs only in case would lock the user out.
    if (newPassword != GetDlgItemText(IDC_REPEAT)) {
        zem::ShowMessage("两次输入的新密码不一致，请检查后重新输入", "提示", zem::MessageIcon::Error);
        return;
    }
    std::string value = newPassword;
    if (!value.empty())
        Md5HexInPlace(value);
    std::string reason;
    if (!CZemApp::WritePasswordDigest(m_iniPath, value, &reason)) {
        zem::ShowMessage(zem::Format("无法写入设置文件 %s", m_iniPath.c_str()), "提示", zem::MessageIcon::Error);
        return;
    }
    zem::ShowMessage("修改密码成功", "提示", zem::MessageIcon::Information);
    EndDialog(zem::IDOK);
}

void CChangePasswordDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [](zem::gui::DC& dc, const Rect& client) { dc.FillSolidRect(client, kDialogBandColor); });
}
