#include "app/shell/BackupDlg.h"

#include "app/controls/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/Paths.h"
#include "app/controls/ShellFunctions.h"
#include "app/shell/AppContext.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <cerrno>
#include <filesystem>
#include <system_error>

using zem::Rect;
using zem::gui::FromQ;
using zem::gui::ToQ;

namespace {

constexpr const char* kBackupFolderKey = "BackupFolder";

std::string WithoutSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// A step that failed: its text and the system's error number.
struct CopyFailure {
    std::string text;
    int code = 0;
};

bool CopyOneFile(const std::string& from, const std::string& to, int* code)
{
    std::string bytes;
    return zem::ReadFileBytes(from, bytes, nullptr, code) && zem::WriteFileAtomic(to, bytes, nullptr, code);
}

bool Rename(const std::string& from, const std::string& to, int* code)
{
    std::error_code ec;
    std::filesystem::rename(WithoutSlash(from), WithoutSlash(to), ec);
    if (code)
        *code = ec.value();
    return !ec;
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
    auto label = [this](const char* text, const Rect& r) {
        auto* widget = new QLabel(ToQ(text), this);
        SetWidgetRect(widget, r);
    };
    auto edit = [this](int id, const Rect& r) {
        auto* widget = new QLineEdit(this);
        SetWidgetRect(widget, r);
        AddControl(id, widget);
        return widget;
    };
    label("当前排课任务位置", UnitsRect(12, 12, 276, 9));
    m_taskFolder = edit(IDC_TASK_FOLDER, UnitsRect(12, 23, 276, 13));
    m_taskFolder->setReadOnly(true);
    label("备份到", UnitsRect(12, 42, 230, 9));
    m_targetFolder = edit(IDC_TARGET_FOLDER, UnitsRect(12, 53, 226, 13));
    AddHoverButton(this, IDC_BROWSE, "浏览");
    SetWidgetRect(GetDlgItem(IDC_BROWSE), UnitsRect(242, 52, 46, 15));
    label("备份文件夹名", UnitsRect(12, 72, 230, 9));
    m_folderName = edit(IDC_FOLDER_NAME, UnitsRect(12, 83, 276, 13));
    m_openAfter = new QCheckBox(ToQ("备份完成后打开备份文件夹"), this);
    SetWidgetRect(m_openAfter, UnitsRect(12, 123, 150, 10));
    AddControl(IDC_OPEN_AFTER, m_openAfter);
    AddHoverButton(this, zem::IDOK, "开始备份吧")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    SetWidgetRect(GetDlgItem(zem::IDOK), UnitsRect(168, 120, 64, 15));
    SetWidgetRect(GetDlgItem(zem::IDCANCEL), UnitsRect(238, 120, 50, 15));

    // Without an open task the fields stay empty.
    if (CScheduleTask* task = AppServices().GetTask()) {
        const CTaskInfo& info = task->GetTaskInfo();
        m_strTaskFolder = info.GetTaskFolder();
        const std::string remembered =
            CAppContext::Exists() ? CAppContext::Get()->GetConfig("Common", kBackupFolderKey, "") : std::string();
        m_strTargetFolder = PathIsKind(remembered, true) ? remembered : GetMyDocumentsFolder();
        m_strFolderName = MakeFolderName(info.GetTaskName());
    }
    m_taskFolder->setText(ToQ(m_strTaskFolder));
    m_targetFolder->setText(ToQ(m_strTargetFolder));
    m_folderName->setText(ToQ(m_strFolderName));
    m_openAfter->setChecked(m_bOpenAfter);
    m_folderName->setFocus();
    return true;
}

void CBackupDlg::TakeFields()
{
    m_strTargetFolder = FromQ(m_targetFolder->text());
    m_strFolderName = FromQ(m_folderName->text());
    m_bOpenAfter = m_openAfter->isChecked();
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
    std::string path = m_strTargetFolder;
    if (!BrowseForFolder(this, "将当前排课任务备份到", 0x41, path) || path.empty())
        return;
    m_strTargetFolder = path;
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

void CBackupDlg::OnOK()
{
    TakeFields();
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return;
    while (!m_strFolderName.empty() && (m_strFolderName.back() == ' ' || m_strFolderName.back() == '\t'))
        m_strFolderName.pop_back();
    m_folderName->setText(ToQ(m_strFolderName));
    if (m_strFolderName.empty()) {
        zem::ShowMessage("备份文件夹名不能为空", "提示", zem::MessageIcon::Warning);
        m_folderName->setFocus();
        return;
    }
    std::string reason;
    if (!zem::CheckFileName(m_strFolderName, &reason)) {
        zem::ShowMessage(reason, "提示", zem::MessageIcon::Warning);
        m_folderName->setFocus();
        return;
    }

    const CTaskInfo& info = task->GetTaskInfo();
    const std::string source = WithTrailingSlash(m_strTaskFolder);
    const std::string target = WithTrailingSlash(m_strTargetFolder);
    const std::string destination = target + m_strFolderName + "/";
    // A relative place would land wherever the program was started, and be listed nowhere.
    if (!target.empty() && target.front() != '/' && !zem::IsWindowsPath(target))
        return ShowCopyError("创建备份目录失败", EINVAL, false);
    // A copy of the task inside itself would be copied again by every later backup.
    if (!target.empty() && zem::IsPathSameOrInside(destination, source)) {
        zem::ShowMessage("不能备份到排课任务文件夹内部", "提示", zem::MessageIcon::Warning);
        m_targetFolder->setFocus();
        return;
    }
    const bool replacing = PathIsKind(destination, true) != 0;
    if (replacing && AskQuestion("备份位置已经存在同名的文件夹，要将其覆盖吗", zem::MessageButtons::YesNo) != zem::IDYES)
        return;

    // The copy is made beside the destination and put in its place only when complete, so that a
    // failed backup neither leaves half a folder nor spoils the one it was to replace.
    const std::string staging = target + "." + m_strFolderName + ".backup/";
    const std::string previous = target + "." + m_strFolderName + ".old/";
    zem::RemoveFolder(staging);
    if (target.empty() || zem::IsWindowsPath(target) || !PathIsKind(target, true))
        return ShowCopyError("创建备份目录失败", ENOENT, false);
    int code = 0;
    if (!zem::MakeFolder(staging, nullptr, &code))
        return ShowCopyError("创建备份目录失败", code, false);
    auto fail = [&](const char* text, bool sourceMissing) {
        zem::RemoveFolder(staging);
        ShowCopyError(text, code, sourceMissing);
    };
    const std::string taskFile = info.GetTaskFile();
    const bool sourceMissing = !zem::FileExists(taskFile) || !zem::FileExists(source + "input.xml");
    if (!CopyOneFile(taskFile, staging + info.GetTaskName() + ".zem", &code))
        return fail("备份任务文件失败", sourceMissing);
    if (!CopyOneFile(source + "input.xml", staging + "input.xml", &code))
        return fail("备份input.xml文件失败", sourceMissing);
    if (zem::FileExists(source + "output.xml") && !CopyOneFile(source + "output.xml", staging + "output.xml", &code))
        return fail("备份output.xml文件失败", false);

    // The rest is worth a backup even when a piece of it cannot be copied; the user is told which.
    std::vector<std::string> notCopied;
    if (zem::FileExists(source + "task.ini") && !CopyOneFile(source + "task.ini", staging + "task.ini", nullptr))
        notCopied.push_back("task.ini");
    for (const char* folder : {"temp", "proctor"}) {
        if (zem::FolderExists(source + folder) && zem::CopyFolder(source + folder, staging + folder) != 0)
            notCopied.push_back(folder);
    }

    if (replacing) {
        zem::RemoveFolder(previous);
        if (!Rename(destination, previous, &code))
            return fail("创建备份目录失败", false);
    }
    if (!Rename(staging, destination, &code)) {
        if (replacing)
            Rename(previous, destination, nullptr);
        return fail("创建备份目录失败", false);
    }
    if (replacing)
        zem::RemoveFolder(previous);

    const zem::LocalTime now = zem::Now();
    const std::string time =
        zem::Format("%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute, now.second);
    // A list that cannot be written has said so itself; the copy stands all the same.
    task->GetBackupManager().AddEntry(CBackupManager::ManualBackup, time, destination, "");

    if (notCopied.empty()) {
        zem::ShowMessage("备份成功", "提示", zem::MessageIcon::Information);
    } else {
        std::string list;
        for (const std::string& name : notCopied)
            list += (list.empty() ? "" : "、") + name;
        zem::ShowMessage("备份完成，但以下内容未能复制：" + list, "提示", zem::MessageIcon::Warning);
    }
    if (m_bOpenAfter)
        zem::gui::OpenWithDesktop(destination);
    EndDialog(zem::IDOK);
}

void CBackupDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [](zem::gui::DC& dc, const Rect& client) { dc.FillSolidRect(client, kDialogBandColor); });
}
