#include "app/shell/BackupRestoreDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Paths.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "app/shell/TaskRestore.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

#include <algorithm>

using zem::Rect;
using zem::gui::ReportList;

namespace {

constexpr int kRowHeight = 25;
// The widths of the columns before the last, which takes the rest of the list.
constexpr int kFixedColumnsWidth = 660;

bool IsAllDigits(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

CBackupRestoreDlg::CBackupRestoreDlg(QWidget* parent) : Dialog(parent, "从备份中恢复数据", {600, 270}) {}

std::string CBackupRestoreDlg::FormatBackupTime(const std::string& time)
{
    if (time.size() != 14 || !IsAllDigits(time))
        return time;
    auto part = [&](std::size_t at, std::size_t length) { return std::stoi(time.substr(at, length)); };
    return zem::Format("%04d年%02d月%02d日 %02d:%02d:%02d", part(0, 4), part(4, 2), part(6, 2), part(8, 2), part(10, 2),
                       part(12, 2));
}

bool CBackupRestoreDlg::OnInitDialog()
{
    m_list = new ReportList(this);
    m_list->SetHeader(new CSkinHeaderCtrl(m_list));
    m_list->setShowGrid(true);
    m_list->setFont(DialogFont().GetQFont());
    m_list->SetRowHeight(kRowHeight);
    AddControl(IDC_LIST, m_list);
    m_list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    m_list->InsertColumn(1, "备份时间", ReportList::Align::Left, 180);
    m_list->InsertColumn(2, "备份类型", ReportList::Align::Left, 200);
    m_list->InsertColumn(3, "备份详情(数据大小)", ReportList::Align::Left, 250);
    m_list->InsertColumn(4, "备份位置", ReportList::Align::Left, 100);
    m_list->setColumnHidden(0, true);
    m_list->onSelectionChanged = [this] { UpdateOkButton(); };

    AddHoverButton(this, zem::IDOK, "恢复(&R)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "关闭");
    Layout();
    FillRows();
    return true;
}

void CBackupRestoreDlg::FillRows()
{
    m_rows.clear();
    m_list->DeleteAllItems();
    CScheduleTask* task = AppServices().GetTask();
    if (task) {
        std::vector<const CBackupEntry*> entries;
        task->GetBackupManager().GetAllBackups(entries);
        const std::string autoFolder = task->GetBackupManager().GetAutoBackupPath();
        for (const CBackupEntry* entry : entries) {
            Row row;
            row.entry = *entry;
            const bool manual = entry->m_type == CBackupManager::ManualBackup;
            row.folder = manual ? entry->m_strFolder : autoFolder + "/" + entry->m_strFolder;
            // A path written on Windows names nothing here.
            row.missing = zem::IsWindowsPath(row.folder) || !zem::FolderExists(row.folder);
            m_rows.push_back(std::move(row));
        }
    }
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        const bool manual = row.entry.m_type == CBackupManager::ManualBackup;
        const int at = m_list->InsertItem(m_list->GetItemCount(), row.missing ? "1" : "", i);
        m_list->SetItemText(at, 1, FormatBackupTime(row.entry.m_strTime));
        std::string kind = manual ? "用户手工备份" : "系统自动备份";
        if (!row.entry.m_strDescription.empty())
            kind += " - " + row.entry.m_strDescription;
        m_list->SetItemText(at, 2, kind);
        const std::string folder = row.folder + (row.folder.empty() || row.folder.back() == '/' ? "" : "/");
        m_list->SetItemText(at, 3, row.missing ? std::string("备份文件不存在，可能被移动或删除")
                                               : zem::Format("基本数据：%s KB 课表数据：%s KB",
                                                             FormatFileSizeKB(folder + "input.xml").c_str(),
                                                             FormatFileSizeKB(folder + "output.xml").c_str()));
        m_list->SetItemText(at, 4, manual ? MakeDisplayPath(row.folder) : std::string("当前排课任务目录"));
        if (row.missing)
            m_list->SetItemColors(at, kMissingColor);
    }
    UpdateOkButton();
}

std::string CBackupRestoreDlg::GetRowFolder(int row) const
{
    const std::size_t index = m_list->GetItemData(row);
    return index < m_rows.size() ? m_rows[index].folder : std::string();
}

void CBackupRestoreDlg::UpdateOkButton()
{
    const int row = m_list->GetFirstSelected();
    // A backup whose folder is gone has nothing to restore.
    EnableItem(zem::IDOK, row >= 0 && m_list->GetItemText(row, 0) != "1");
}

void CBackupRestoreDlg::Layout()
{
    if (!m_list)
        return;
    const auto& u = Units();
    const int margin = u.X(7);
    const int buttonHeight = u.Y(14);
    const int bandTop = height() - kDialogBandHeight;
    m_listFrame = Rect(margin, margin, width() - margin, bandTop);
    Rect list = m_listFrame;
    list.DeflateRect(1, 1, 1, 2);
    SetWidgetRect(m_list, list);
    m_list->SetColumnWidth(4, std::max(80, list.Width() - kFixedColumnsWidth - 4));
    PlaceButtonRow(this, bandTop + (kDialogBandHeight - buttonHeight) / 2, {}, {zem::IDOK, zem::IDCANCEL});
}

void CBackupRestoreDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CBackupRestoreDlg::OnOK()
{
    const int row = m_list->GetFirstSelected();
    if (row < 0 || m_list->GetItemText(row, 0) == "1")
        return;
    const std::string question =
        "恢复后，当前排课任务的数据将被所选备份中的数据替换（恢复前会自动备份当前数据）。\n\n确定要恢复吗？";
    if (AskQuestion(question, zem::MessageButtons::OkCancel) != zem::IDOK)
        return;
    std::vector<std::string> leftOut;
    if (!RestoreTaskFromBackup(GetRowFolder(row), &leftOut)) {
        // The automatic backup made on the way is listed now.
        FillRows();
        return;
    }
    if (leftOut.empty()) {
        zem::ShowMessage("恢复成功", "提示", zem::MessageIcon::Information);
    } else {
        std::string list;
        for (const std::string& name : leftOut)
            list += (list.empty() ? "" : "、") + name;
        zem::ShowMessage("恢复完成，但备份中的链接没有恢复：" + list, "提示", zem::MessageIcon::Warning);
    }
    EndDialog(zem::IDOK);
}

void CBackupRestoreDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        dc.FrameRect(m_listFrame, kDialogFrameColor);
    });
}
