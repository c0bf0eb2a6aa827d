#include "app/shell/BackupDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Paths.h"
#include "app/controls/ShellFunctions.h"
#include "app/shell/AppContext.h"
#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <cerrno>

using zem::Rect;
using zem::gui::FromQ;
using zem::gui::ToQ;

namespace {

constexpr const char* kBackupFolderKey = "BackupFolder";
constexpr const char* kChooseOtherText = "\n\n请换一个备份文件夹名或位置。";

// The question before a folder is replaced: Enter keeps it.
bool AskToReplace(const std::string& destination, const TaskFolder::ReplaceCheck& check)
{
    zem::MessageRequest question;
    question.text = "备份位置已经存在同名的文件夹，要将其覆盖吗\n\n";
    question.text += check.isBackup ? zem::Format("覆盖后，其中较早的备份将被删除：\n%s", destination.c_str())
                                    : zem::Format("覆盖后，其中的 %d 个文件和文件夹将被删除：\n%s", check.entries,
                                                  destination.c_str());
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::YesNo;
    question.defaultAnswer = zem::IDNO;
    return zem::ShowMessage(question) == zem::IDYES;
}

// Why the destination may not be replaced; empty when it may.
std::string RefusalOf(const std::string& destination, const TaskFolder::ReplaceCheck& check)
{
    switch (check.verdict) {
    case TaskFolder::ReplaceCheck::HoldsOpenTask:
        return zem::Format("备份位置 %s 中有当前排课任务，不能覆盖。%s", destination.c_str(), kChooseOtherText);
    case TaskFolder::ReplaceCheck::HoldsTask:
        return zem::Format("备份位置 %s 中有排课任务 %s，不能覆盖。%s", destination.c_str(), check.task.c_str(),
                           kChooseOtherText);
    case TaskFolder::ReplaceCheck::NotAFolder:
        return zem::Format("备份位置已经存在同名的文件：%s%s", destination.c_str(), kChooseOtherText);
    case TaskFolder::ReplaceCheck::CannotCheck:
        return zem::Format("无法查看备份位置 %s 中的内容，不能覆盖：%s%s", destination.c_str(), check.error.c_str(),
                           kChooseOtherText);
    default:
        return {};
    }
}

}  // namespace

CBackupDlg::CBackupDlg(QWidget* parent) : Dialog(parent, "备份当前排课任务", {300, 142}) {}

std::string CBackupDlg::MakeFolderName(const std::string& taskName)
{
    const zem::LocalTime now = zem::Now();
    return zem::Format("%s_%04d%02d%02d%02d%02d", taskName.c_str(), now.year, now.month, now.day, now.hour, now.minute);
}

bool CBackupDlg::OnInitDialog()
{
    AddLabel(this, "当前排课任务位置", UnitsRect(12, 12, 276, 9));
    m_taskFolder = AddEdit(this, IDC_TASK_FOLDER, UnitsRect(12, 23, 276, 13));
    m_taskFolder->setReadOnly(true);
    AddLabel(this, "备份到", UnitsRect(12, 42, 230, 9));
    m_targetFolder = AddEdit(this, IDC_TARGET_FOLDER, UnitsRect(12, 53, 226, 13));
    AddHoverButton(this, IDC_BROWSE, "浏览", UnitsRect(242, 52, 46, 15));
    AddLabel(this, "备份文件夹名", UnitsRect(12, 72, 230, 9));
    m_folderName = AddEdit(this, IDC_FOLDER_NAME, UnitsRect(12, 83, 276, 13));
    m_openAfter = AddCheck(this, IDC_OPEN_AFTER, "备份完成后打开备份文件夹", UnitsRect(12, 123, 150, 10), false);
    AddHoverButton(this, zem::IDOK, "开始备份吧", UnitsRect(168, 120, 64, 15))->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消", UnitsRect(238, 120, 50, 15));

    // Without an open task the fields stay empty.
    if (CScheduleTask* task = AppServices().GetTask()) {
        const CTaskInfo& info = task->GetTaskInfo();
        m_taskFolderPath = info.GetTaskFolder();
        const std::string remembered =
            CAppContext::Exists() ? CAppContext::Get()->GetConfig("Common", kBackupFolderKey, "") : std::string();
        m_targetFolderPath = PathIsKind(remembered, true) ? remembered : GetMyDocumentsFolder();
        m_folderNameText = MakeFolderName(info.GetTaskName());
    }
    m_taskFolder->setText(ToQ(m_taskFolderPath));
    m_targetFolder->setText(ToQ(m_targetFolderPath));
    m_folderName->setText(ToQ(m_folderNameText));
    m_openAfter->setChecked(m_openFolderAfter);
    m_folderName->setFocus();
    return true;
}

void CBackupDlg::TakeFields()
{
    m_targetFolderPath = FromQ(m_targetFolder->text());
    m_folderNameText = FromQ(m_folderName->text());
    m_openFolderAfter = m_openAfter->isChecked();
}

void CBackupDlg::OnCommand(int id)
{
    if (id == IDC_BROWSE)
        return OnBrowse();
    Dialog::OnCommand(id);
}

void CBackupDlg::OnBrowse()
{
    TakeFields();
    std::string path = m_targetFolderPath;
    if (!BrowseForFolder(this, "将当前排课任务备份到", 0x41, path) || path.empty())
        return;
    m_targetFolderPath = path;
    if (CAppContext::Exists())
        CAppContext::Get()->SetConfig("Common", kBackupFolderKey, path);
    m_targetFolder->setText(ToQ(path));
}

void CBackupDlg::ShowCopyError(const std::string& text, int errorCode, bool sourceMissing)
{
    std::string message = text;
    if (sourceMissing)
        message += "\r\n\r\n找不到要备份的当前排课任务文件！";
    else
        message += zem::Format("\r\n\r\n错误代码：%d（%s）\r\n您可以尝试更换“备份到”的目标文件夹（比如备份到桌面）", errorCode,
                               zem::FileErrorReason(errorCode).c_str());
    zem::ShowMessage(message, "提示", zem::MessageIcon::Error);
}

// The folder name as typed, without trailing blanks; false, having said why, when it cannot name a folder.
bool CBackupDlg::TakeFolderName()
{
    while (!m_folderNameText.empty() && (m_folderNameText.back() == ' ' || m_folderNameText.back() == '\t'))
        m_folderNameText.pop_back();
    m_folderName->setText(ToQ(m_folderNameText));
    std::string reason;
    if (m_folderNameText.empty())
        reason = "备份文件夹名不能为空";
    else if (zem::CheckFileName(m_folderNameText, &reason))
        return true;
    zem::ShowMessage(reason, "提示", zem::MessageIcon::Warning);
    m_folderName->setFocus();
    return false;
}

// Whether the backup may go to the destination in the target folder; false, having said why (or
// the user having kept what is there), when not.
bool CBackupDlg::MayBackUpTo(const std::string& source, const std::string& target, const std::string& destination)
{
    // A relative place would land wherever the program was started, and be listed nowhere.
    if (!target.empty() && target.front() != '/' && !zem::IsWindowsPath(target)) {
        ShowCopyError("创建备份目录失败", EINVAL, false);
        return false;
    }
    // A copy of the task inside itself would be copied again by every later backup.
    if (!target.empty() && zem::IsPathSameOrInside(destination, source)) {
        zem::ShowMessage("不能备份到排课任务文件夹内部", "提示", zem::MessageIcon::Warning);
        m_targetFolder->setFocus();
        return false;
    }
    if (target.empty() || zem::IsWindowsPath(target) || !PathIsKind(target, true)) {
        ShowCopyError("创建备份目录失败", ENOENT, false);
        return false;
    }
    // Only an earlier backup or a folder without tasks is replaced, and only when the user says so.
    const TaskFolder::ReplaceCheck check = TaskFolder::CheckReplace(destination, source);
    if (const std::string refusal = RefusalOf(destination, check); !refusal.empty()) {
        zem::ShowMessage(refusal, "提示", zem::MessageIcon::Warning);
        m_folderName->setFocus();
        return false;
    }
    return check.verdict != TaskFolder::ReplaceCheck::Replaceable || AskToReplace(destination, check);
}

void CBackupDlg::OnOK()
{
    TakeFields();
    CScheduleTask* task = AppServices().GetTask();
    if (!task || !TakeFolderName())
        return;
    const CTaskInfo& info = task->GetTaskInfo();
    const std::string source = WithTrailingSlash(m_taskFolderPath);
    const std::string target = WithTrailingSlash(m_targetFolderPath);
    const std::string destination = target + m_folderNameText + "/";
    if (!MayBackUpTo(source, target, destination))
        return;

    // The copy is made beside the destination and put in its place only when complete, so that a
    // failed backup neither leaves half a folder nor spoils the one it was to replace.
    const zem::LocalTime now = zem::Now();
    const std::string time =
        zem::Format("%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute, now.second);
    const std::string taskFile = info.GetTaskFile();
    const std::string taskFileName = info.GetTaskName() + TaskFolder::kTaskFileExtension;
    const TaskFolder::CopyReport copy = TaskFolder(source).BackUpTo(destination, {time, ""}, taskFile, taskFileName);
    if (!copy.ok) {
        const bool sourceMissing = !zem::FileExists(taskFile) || !zem::FileExists(source + TaskFolder::kInputFile);
        if (copy.failedPart == taskFileName)
            return ShowCopyError("备份任务文件失败", copy.errorCode, sourceMissing);
        if (copy.failedPart == TaskFolder::kInputFile)
            return ShowCopyError("备份input.xml文件失败", copy.errorCode, sourceMissing);
        if (copy.failedPart == TaskFolder::kOutputFile)
            return ShowCopyError("备份output.xml文件失败", copy.errorCode, false);
        return ShowCopyError("创建备份目录失败", copy.errorCode, false);
    }

    // A list that cannot be written has said so itself; the copy stands all the same.
    task->GetBackupManager().AddEntry(CBackupManager::ManualBackup, time, destination, "");

    // The rest is worth a backup even when a piece of it cannot be copied; the user is told which.
    if (copy.leftOut.empty()) {
        zem::ShowMessage("备份成功", "提示", zem::MessageIcon::Information);
    } else {
        std::string list;
        for (const std::string& name : copy.leftOut)
            list += (list.empty() ? "" : "、") + name;
        zem::ShowMessage("备份完成，但以下内容未能复制：" + list, "提示", zem::MessageIcon::Warning);
    }
    if (m_openFolderAfter)
        zem::gui::OpenWithDesktop(destination);
    EndDialog(zem::IDOK);
}

void CBackupDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [](zem::gui::DC& dc, const Rect& client) { dc.FillSolidRect(client, kDialogBandColor); });
}
