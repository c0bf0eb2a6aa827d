#include "app/shell/TaskInfoDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/NameInputDlg.h"
#include "app/controls/ShellFunctions.h"
#include "app/shell/TaskRename.h"
#include "base/ScheduleTask.h"
#include "platform/gui/QtText.h"

#include <QLineEdit>

using zem::Rect;
using zem::gui::ToQ;

CTaskInfoDlg::CTaskInfoDlg(QWidget* parent) : Dialog(parent, "排课任务信息", {303, 176}) {}

bool CTaskInfoDlg::OnInitDialog()
{
    AddLabel(this, "当前排课任务的名称：", UnitsRect(12, 12, 200, 10));
    AddEdit(this, IDC_NAME, UnitsRect(12, 24, 222, 14))->setReadOnly(true);
    AddHoverButton(this, IDC_RENAME, "修改名称", UnitsRect(240, 23, 52, 16));
    AddLabel(this, "当前排课任务的位置：", UnitsRect(12, 46, 200, 10));
    AddEdit(this, IDC_FOLDER, UnitsRect(12, 58, 222, 14))->setReadOnly(true);
    AddHoverButton(this, IDC_SAVE_AS, "另存为", UnitsRect(240, 57, 52, 16));
    m_explanation = UnitsRect(7, 80, 289, 66);
    AddHoverButton(this, zem::IDCANCEL, "关闭", UnitsRect(246, 154, 50, 15));
    ShowTask();
    SetFontOnChildren(this, CGdiResources::GetInstance()->NormalFont);
    return true;
}

void CTaskInfoDlg::ShowTask()
{
    CScheduleTask* task = AppServices().GetTask();
    SetDlgItemText(IDC_NAME, task ? task->GetTaskInfo().GetTaskName() : std::string());
    SetDlgItemText(IDC_FOLDER, task ? task->GetTaskInfo().GetTaskFolder() : std::string());
    EnableItem(IDC_RENAME, task != nullptr);
    EnableItem(IDC_SAVE_AS, task != nullptr);
}

void CTaskInfoDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_RENAME:
        return OnRename();
    case IDC_SAVE_AS:
        return OnSaveAs();
    default:
        Dialog::OnCommand(id);
    }
}

bool CTaskInfoDlg::AskName(const char* caption, const char* prompt, std::string& name)
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return false;
    CNameInputDlg input(this);
    input.m_caption = caption;
    input.m_prompt = prompt;
    input.m_name = task->GetTaskInfo().GetTaskName();
    if (input.DoModal() != zem::IDOK)
        return false;
    name = input.m_name;
    return true;
}

void CTaskInfoDlg::OnRename()
{
    std::string name;
    if (!AskName("修改名称", "请输入排课任务的新名称", name))
        return;
    RenameOpenTask(name);
    ShowTask();
}

void CTaskInfoDlg::OnSaveAs()
{
    std::string name;
    if (!AskName("另存为", "请输入新排课任务的名称", name))
        return;
    std::string folder = AppServices().GetTask()->GetTaskInfo().GetParentFolder();
    if (!BrowseForFolder(this, "选择新排课任务存放的文件夹", 0, folder) || folder.empty())
        return;
    SaveOpenTaskAs(folder, name);
    ShowTask();
}

void CTaskInfoDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(0xF0, 0xF0, 0xF0));
        dc.FillSolidRect(m_explanation, zem::RGB(255, 255, 255));
        dc.Draw3dRect(m_explanation, zem::RGB(0xC0, 0xC0, 0xC0), zem::RGB(255, 255, 255));
        dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
        dc.SetTextColor(zem::RGB(0x80, 0x80, 0x80));
        DrawTextLines(&dc, m_explanation.left + 15, m_explanation.top + 12, m_explanation.right - 15,
                      m_explanation.bottom - 12, kExplanation, 6, 0);
    });
}
