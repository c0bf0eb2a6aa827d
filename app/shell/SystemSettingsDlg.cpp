#include "app/shell/SystemSettingsDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "app/shell/AppContext.h"
#include "app/shell/ChangePasswordDlg.h"
#include "app/shell/FeatureWindows.h"
#include "platform/Hooks.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStandardItemModel>

using zem::Rect;
using zem::gui::ToQ;

namespace {

CAppContext* Context()
{
    return CAppContext::Exists() ? CAppContext::Get() : nullptr;
}

}  // namespace

CSystemSettingsDlg::CSystemSettingsDlg(QWidget* parent) : Dialog(parent, "系统设置", {290, 236})
{
    if (const CAppContext* context = Context()) {
        m_driverIndex = context->GetSpreadsheetDriver();
        m_mergeContinuousOn = context->GetMergeContinuous() ? 1 : 0;
        m_autoFillOn = context->GetAutoFillEmptyCell() ? 1 : 0;
    }
}

std::string CSystemSettingsDlg::PasswordHint()
{
    return "您可以通过修改登录密码，来设置只有输入密码后才能使用" + LoadResString(2) +
           "\n第一次使用时，原密码为空\n如果要取消密码设置，将新密码设置为空即可";
}

bool CSystemSettingsDlg::OnInitDialog()
{
    AddGroup(this, "登录密码", UnitsRect(7, 6, 276, 78));
    m_hintFrame = UnitsRect(14, 20, 262, 34);
    AddHoverButton(this, IDC_CHANGE_PASSWORD, "修改登录密码", UnitsRect(14, 60, 70, 15));

    AddGroup(this, "导入和导出", UnitsRect(7, 90, 276, 110));
    AddLabel(this, "导入导出引擎", UnitsRect(14, 106, 56, 10));
    m_driver = new QComboBox(this);
    AddField(this, IDC_DRIVER, m_driver, UnitsRect(72, 104, 150, 14));
    for (const char* text : {"智能选择", "优先使用 Microsoft Office Excel", "优先使用 WPS 表格"})
        m_driver->addItem(ToQ(text));
    // The program writes workbooks itself: the entries that name another program cannot be chosen.
    if (auto* model = qobject_cast<QStandardItemModel*>(m_driver->model())) {
        for (int row = 1; row < model->rowCount(); ++row)
            model->item(row)->setEnabled(false);
    }
    m_driver->setCurrentIndex(m_driverIndex >= 0 && m_driverIndex < m_driver->count() ? m_driverIndex : 0);
    connect(m_driver, &QComboBox::activated, this, [this](int index) { OnDriverChanged(index); });
    AddHoverButton(this, IDC_CHECK_ENGINE, "检测", UnitsRect(228, 103, 48, 15));
    EnableItem(IDC_CHECK_ENGINE, FeatureWindows().Has(Feature::EngineCheck));

    AddLabel(this, "导出课表格式", UnitsRect(14, 128, 56, 10));
    AddHoverButton(this, IDC_WEEK_FORMAT, "周课表格式设置", UnitsRect(72, 125, 70, 15));
    EnableItem(IDC_WEEK_FORMAT, FeatureWindows().Has(Feature::ExportSettings));
    AddHoverButton(this, IDC_SCHOOL_FORMAT, "总课表格式和总课表界面保持一致", UnitsRect(146, 125, 130, 15));
    EnableItem(IDC_SCHOOL_FORMAT, false);
    m_mergeContinuous = AddCheck(this, IDC_MERGE_CONTINUOUS, "在导出的Excel文件中合并连课单元格",
                                 UnitsRect(14, 152, 262, 12), m_mergeContinuousOn != 0);
    m_autoFill = AddCheck(this, IDC_AUTO_FILL, "在导出的Excel文件中班级课表的空白节次显示为自习",
                          UnitsRect(14, 172, 262, 12), m_autoFillOn != 0);

    AddHoverButton(this, zem::IDOK, "关闭")->setDefault(true);
    const int buttonHeight = Units().Y(14);
    PlaceButtonRow(this, height() - kDialogFooterHeight + (kDialogFooterHeight - buttonHeight) / 2, {}, {zem::IDOK});
    SetFontOnChildren(this, CGdiResources::GetInstance()->NormalFont);
    return true;
}

void CSystemSettingsDlg::OnDriverChanged(int index)
{
    CAppContext* context = Context();
    if (!context || index == m_driverIndex)
        return;
    if (!context->SetDriver(index)) {
        // Not written: the list keeps showing what zem.ini holds.
        m_driver->setCurrentIndex(m_driverIndex);
        return;
    }
    m_driverIndex = index;
}

void CSystemSettingsDlg::OnCheckEngine()
{
    if (!AppServices().GetTask()) {
        zem::ShowMessage("当前没有打开的排课任务", "提示", zem::MessageIcon::Warning);
        return;
    }
    FeatureWindows().Run(Feature::EngineCheck);
}

void CSystemSettingsDlg::OnCommand(int id)
{
    CAppContext* context = Context();
    switch (id) {
    case IDC_MERGE_CONTINUOUS:
    case IDC_AUTO_FILL: {
        QCheckBox* box = id == IDC_MERGE_CONTINUOUS ? m_mergeContinuous : m_autoFill;
        const bool on = box->isChecked();
        const bool written = context && (id == IDC_MERGE_CONTINUOUS ? context->SetMergeContinuous(on)
                                                                     : context->SetAutoFillEmptyCell(on));
        if (!written) {
            box->setChecked(!on);
            return;
        }
        (id == IDC_MERGE_CONTINUOUS ? m_mergeContinuousOn : m_autoFillOn) = on ? 1 : 0;
        return;
    }
    case IDC_CHECK_ENGINE:
        return OnCheckEngine();
    case IDC_WEEK_FORMAT:
        FeatureWindows().Run(Feature::ExportSettings);
        return;
    case IDC_CHANGE_PASSWORD: {
        CChangePasswordDlg dialog(context ? context->GetConfigFile() : CAppContext::GetIniFilePath(), this);
        dialog.DoModal();
        return;
    }
    default:
        Dialog::OnCommand(id);
    }
}

void CSystemSettingsDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::gui::FromQColor(palette().color(QPalette::Window)));
        dc.FillSolidRect(Rect(0, 0, client.right, client.bottom - kDialogFooterHeight), zem::RGB(0xF0, 0xF0, 0xF0));
        dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        DrawTextLines(&dc, m_hintFrame.left, m_hintFrame.top, m_hintFrame.right, m_hintFrame.bottom, PasswordHint(), 2, 0);
    });
}
