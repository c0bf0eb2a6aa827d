#include "app/output/ExportAllDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "app/output/TimetableExport.h"
#include "app/output/workbook/LessonGridWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/TimetableWorkbook.h"
#include "app/shared/AppServices.h"
#include "app/shared/Paths.h"
#include "app/shared/TextBuilders.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ReportList.h"

#include <QApplication>

#include <filesystem>

using zem::Rect;
using zem::gui::ReportList;

namespace {

constexpr zem::COLORREF kListFrameColor = 0x9CB6C5;  // BGR of RGB(197, 182, 156)

// Masks 1, 2 and 4: the master timetables; 16, 32 and 64: every timetable of a kind; 256 the list.
bool IsMasterRow(int index) { return index <= 2; }
bool IsTimetableRow(int index) { return index >= 3 && index <= 5; }

// The line of a failure that says what happened, without the advice around it.
std::string ShortReason(const std::string& errorText)
{
    static const std::string kExtra = "附加信息：";
    const std::size_t extra = errorText.find(kExtra);
    std::string reason = extra != std::string::npos ? errorText.substr(extra + kExtra.size()) : errorText;
    reason = reason.substr(0, reason.find('\n'));
    return reason.empty() ? std::string("未知原因") : reason;
}

}  // namespace

CExportAllDlg::CExportAllDlg(QWidget* parent) : Dialog(parent, "一键导出所有课表", {389, 172}) {}

CExportAllDlg::~CExportAllDlg() = default;

const std::vector<ExportAllKind>& CExportAllDlg::Kinds()
{
    static const std::vector<ExportAllKind> kinds = {
        {0, 1, "全校班级总课表"},  {1, 2, "全校教师总课表"},  {2, 4, "全校教室总课表"},   {3, 16, "所有班级课表"},
        {4, 32, "所有教师课表"},   {5, 64, "所有教室课表"},   {6, 256, "全校课表数据列表"},
    };
    return kinds;
}

QWidget* CExportAllDlg::GetOwnerWnd() const
{
    return const_cast<CExportAllDlg*>(this);
}

CScheduleTask* CExportAllDlg::GetTask() const
{
    return AppServices().GetTask();
}

bool CExportAllDlg::OnInitDialog()
{
    m_list = new ReportList(this);
    m_list->SetHeader(new CSkinHeaderCtrl(m_list));
    m_list->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    m_list->SetCheckBoxes(true);
    // All seven rows in sight under the header.
    m_list->SetRowHeight(24);
    AddControl(IDC_LIST, m_list);
    m_listFrame = UnitsRect(7, 7, 375, 129);
    Rect inside = m_listFrame;
    inside.DeflateRect(1, 1, 1, 2);
    SetWidgetRect(m_list, inside);
    m_list->InsertColumn(COLUMN_NAME, "课表类型", ReportList::Align::Left, 160);
    m_list->InsertColumn(COLUMN_FILE, "导出文件", ReportList::Align::Left, 260);
    m_list->InsertColumn(COLUMN_STATUS, "导出状态", ReportList::Align::Left, 100);
    m_list->horizontalHeader()->setStretchLastSection(true);
    for (const ExportAllKind& kind : Kinds()) {
        const int row = m_list->InsertItem(kind.index, kind.name, static_cast<std::uintptr_t>(kind.mask));
        m_list->SetItemText(row, COLUMN_FILE, RowFileName(row));
        m_list->SetCheck(row, m_range == 0 || (m_range & kind.mask) != 0);
    }
    AddHoverButton(this, IDC_SETTINGS, "设置", UnitsRect(7, 145, 63, 20));
    AddHoverButton(this, zem::IDOK, "开始导出吧(&E)", UnitsRect(264, 145, 118, 20))->setDefault(true);
    return true;
}

// The name the row's workbook gets: the file column shows it as it will be on disk.
std::string CExportAllDlg::RowFileName(int row) const
{
    const ExportAllKind& kind = Kinds()[static_cast<std::size_t>(row)];
    std::string stem = kind.mask <= 4 ? AppendSubjectScope(kind.name) : kind.name;
    // A subject's name may hold characters no file name takes.
    SanitizeFileName(stem);
    return stem + ".xlsx";
}

void CExportAllDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        dc.FrameRect(m_listFrame, kListFrameColor);
    });
}

std::vector<zem::gui::MenuItem> CExportAllDlg::SettingsMenu() const
{
    // The master timetables follow the whole-school layout already; the third entry is a statement.
    return {{ID_WEEK_EXPORT_SETTINGS, "周课表导出格式设置"},
            {ID_SCHOOL_FORMAT, "总课表导出格式和总课表界面保持一致", false},
            {ID_OPEN_FOLDER, "导出后打开目标文件夹", true, m_openFolder}};
}

void CExportAllDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_SETTINGS: {
        QWidget* button = GetDlgItem(IDC_SETTINGS);
        const QPoint at = button->mapToGlobal(QPoint(0, button->height()));
        if (const int command = zem::gui::TrackPopupMenu(this, SettingsMenu(), {at.x(), at.y()}))
            OnCommand(command);
        break;
    }
    case ID_WEEK_EXPORT_SETTINGS: ExportSettings(); break;
    case ID_OPEN_FOLDER: m_openFolder = !m_openFolder; break;
    default: Dialog::OnCommand(id); break;
    }
}

void CExportAllDlg::StoreRange()
{
    int range = 0;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetCheck(row))
            range |= static_cast<int>(m_list->GetItemData(row));
    }
    m_range = range;
}

void CExportAllDlg::OnCancel()
{
    // The progress window of a workbook is modal; nothing closes this dialog under a running export.
    if (m_running)
        return;
    StoreRange();
    Dialog::OnCancel();
}

void CExportAllDlg::OnOK()
{
    if (m_running)
        return;
    bool any = false;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        any = any || m_list->GetCheck(row);
    if (!any) {
        zem::ShowMessage("请至少勾选一种要导出的课表", "提示", zem::MessageIcon::Information);
        return;
    }
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::Folder;
    request.title = "导出到";
    request.folder = AppServices().GetExportFolder();
    std::string folder = zem::gui::ChooseFile(this, request);
    if (folder.empty())
        return;
    if (folder.back() != '/')
        folder += '/';
    ExportInto(folder);
}

void CExportAllDlg::SetStatus(int row, const std::string& status)
{
    m_list->SetItemText(row, COLUMN_STATUS, status);
    m_list->viewport()->repaint();
}

void CExportAllDlg::ExportInto(const std::string& folder)
{
    CScheduleTask* task = GetTask();
    if (!task)
        return;
    std::vector<int> rows;
    bool replaces = false;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        SetStatus(row, "");
        if (!m_list->GetCheck(row))
            continue;
        rows.push_back(row);
        std::error_code error;
        replaces = replaces || std::filesystem::exists(folder + RowFileName(row), error);
    }
    if (replaces && zem::ShowMessage({"导出文件夹中已有同名的课表文件，要替换它们吗？", "提示",
                                      zem::MessageIcon::Question, zem::MessageButtons::YesNo, zem::IDNO}) !=
                        zem::IDYES)
        return;

    m_running = true;
    EnableItem(zem::IDOK, false);
    EnableItem(IDC_SETTINGS, false);
    // The workbooks show the saved timetables, whatever a window left in the working copies.
    CTaskHelper(task, AppHelperContext()).RestoreTempTables();
    bool written = false;
    for (const int row : rows) {
        SetStatus(row, "正在导出");
        std::string reason;
        const Outcome outcome = ExportRow(Kinds()[static_cast<std::size_t>(row)], folder + RowFileName(row), reason);
        switch (outcome) {
        case Outcome::Done: SetStatus(row, "完成"); break;
        case Outcome::Incomplete: SetStatus(row, "不完整"); break;
        case Outcome::Failed: SetStatus(row, "失败：" + reason); break;
        case Outcome::Cancelled: SetStatus(row, "已取消"); break;
        }
        written = written || outcome == Outcome::Done || outcome == Outcome::Incomplete;
        // Closing a progress window stops the run, not only its workbook.
        if (outcome == Outcome::Cancelled)
            break;
    }
    m_running = false;
    EnableItem(zem::IDOK, true);
    EnableItem(IDC_SETTINGS, true);
    if (written) {
        AppServices().StoreExportFolder(folder);
        if (m_openFolder)
            zem::gui::OpenWithDesktop(folder);
    }
}

void CExportAllDlg::PrepareExporter(CSpreadsheetExporter& exporter) const
{
    // Each row shows its own failure; a message box per workbook would only repeat it.
    exporter.SetShowErrors(false);
    if (!m_engines.empty())
        exporter.SetEngines(m_engines);
}

CExportAllDlg::Outcome CExportAllDlg::ExportRow(const ExportAllKind& kind, const std::string& path,
                                                std::string& reason)
{
    CScheduleTask* task = GetTask();
    CSpreadsheetExporter exporter(task);
    PrepareExporter(exporter);
    bool result = false;
    if (IsMasterRow(kind.index)) {
        result = ExportMasterTimetable(exporter, m_schoolLayout, kind.index, path);
    } else if (IsTimetableRow(kind.index)) {
        const std::unique_ptr<CPrintTableGroup> group = MakeTableGroup(*task, kind.index - 3, kind.name);
        std::vector<CExportTableItem*> tables;
        for (const auto& item : group->items)
            tables.push_back(item.get());
        const auto layout = TimetableSheetLayoutOf(WeekPageLayout(), task->GetSchoolStructure(), false);
        exporter.SetTablesPerPage(layout->tablesPerPage);
        exporter.SetTimetableLayout(layout);
        result = exporter.Export(path, tables);
    } else {
        result = ExportLessonGrid(exporter, path);
    }
    if (result)
        return exporter.GetIncompleteTables() > 0 ? Outcome::Incomplete : Outcome::Done;
    if (exporter.IsCancelled())
        return Outcome::Cancelled;
    reason = ShortReason(exporter.GetParam().errorText);
    return Outcome::Failed;
}
