#include "app/output/import/ReverseImportDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/output/import/BaseDataImportDlg.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ConfigHost.h"
#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTextEdit>

using zem::Rect;
using zem::gui::ToQ;

namespace {

// Above this many plans the task is backed up first.
constexpr int kBackupPlanCount = 30;

constexpr const char* kConfigSection = "Common";
constexpr const char* kCheckConflictKey = "CheckConflictInReverseImport";

CScheduleTask* OpenTask()
{
    return AppServices().GetTask();
}

int PlanCount(CScheduleTask& task)
{
    return task.GetCourseInfoList().GetCount() + task.GetSelfStudyInfoList().GetCount();
}

// The sample of the introduction: a master timetable across, a row per class, the periods of
// each day under its title.
QPixmap SampleSheet(QSize size, const QFont& font)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setFont(font);
    const QFontMetrics metrics(font);
    const int rowHeight = metrics.height() + 6;
    const int nameWidth = metrics.horizontalAdvance("高一(1)班") + 12;
    const int cellWidth = std::max(metrics.horizontalAdvance("语文") + 10, 34);
    const char* const days[] = {"星期一", "星期二", "星期三"};
    const char* const classes[] = {"高一(1)班", "高一(2)班", "高一(3)班", "高一(4)班"};
    const char* const lessons[] = {"语文", "数学", "英语", "物理", "化学", "历史"};
    const QColor grid(170, 170, 170);
    const QColor band(235, 240, 246);
    const int periods = 4;
    p.fillRect(0, 0, size.width(), 2 * rowHeight, band);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, nameWidth, rowHeight), Qt::AlignCenter, "星期");
    p.drawText(QRect(0, rowHeight, nameWidth, rowHeight), Qt::AlignCenter, "节次");
    int x = nameWidth;
    for (int d = 0; x < size.width(); ++d) {
        p.setPen(Qt::black);
        p.drawText(QRect(x, 0, cellWidth * periods, rowHeight), Qt::AlignCenter, days[d % 3]);
        for (int k = 0; k < periods; ++k) {
            p.drawText(QRect(x + k * cellWidth, rowHeight, cellWidth, rowHeight), Qt::AlignCenter,
                       QString::number(k + 1));
            for (int c = 0; c < 4; ++c)
                p.drawText(QRect(x + k * cellWidth, (2 + c) * rowHeight, cellWidth, rowHeight), Qt::AlignCenter,
                           lessons[(d * 5 + k * 3 + c * 2) % 6]);
        }
        p.setPen(grid);
        p.drawLine(x, 0, x, size.height());
        for (int k = 1; k < periods; ++k)
            p.drawLine(x + k * cellWidth, rowHeight, x + k * cellWidth, size.height());
        x += cellWidth * periods;
    }
    for (int c = 0; c < 4; ++c) {
        p.setPen(Qt::black);
        p.drawText(QRect(0, (2 + c) * rowHeight, nameWidth, rowHeight), Qt::AlignCenter, classes[c]);
    }
    p.setPen(grid);
    for (int y = rowHeight; y < size.height(); y += rowHeight)
        p.drawLine(y == rowHeight ? nameWidth : 0, y, size.width(), y);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    return pixmap;
}

}  // namespace

// ---- the introduction ----

CReverseImportDlg::CReverseImportDlg(QWidget* parent, CReverseImportHost host)
    : Dialog(parent, "反导入", {330, 230}), m_host(std::move(host))
{
}

bool CReverseImportDlg::OnInitDialog()
{
    CHoverButton* start = AddHoverButton(this, zem::IDOK, "开始反导入");
    const int buttonHeight = Units().Y(14);
    const int margin = (kDialogFooterHeight - buttonHeight) / 2;
    SetWidgetRect(start, Rect(width() - Units().X(70), height() - kDialogFooterHeight + margin, width() - Units().X(8),
                              height() - margin));
    setFixedSize(size());
    return true;
}

void CReverseImportDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        const CGdiResources* gdi = CGdiResources::GetInstance();
        dc.FillSolidRect(client, gdi->m_whiteBrush);
        dc.FillSolidRect(Rect(0, 0, client.right, kDialogBandHeight), gdi->m_headerBrush);
        dc.FillSolidRect(Rect(0, client.bottom - kDialogFooterHeight, client.right, client.bottom),
                         gdi->m_dialogBrush);
        dc.SelectFont(gdi->TitleFont);
        dc.SetTextColor(zem::RGB(255, 255, 255));
        dc.DrawText("从班级总课表Excel文件导入", Rect(20, 0, client.right, kDialogBandHeight),
                    zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
        const Rect text(10, kDialogBandHeight + 10, client.right - 10, kDialogBandHeight + 60);
        dc.SelectFont(DialogFont());
        dc.SetTextColor(zem::RGB(0, 0, 0));
        DrawTextLines(&dc, text.left, text.top, text.right, text.bottom,
                      "您可以创建一个新的排课任务，设置好教学时间，然后在这里直接把Excel总课表文件导入系统\r\n"
                      "系统会根据Excel课表文件的内容，自动帮您生成所有的基本数据和课表数据",
                      4, 0);
        const Rect picture(30, text.bottom + 10 + 20, client.right - 30, client.bottom - kDialogFooterHeight - 20);
        if (picture.Width() > 0 && picture.Height() > 0)
            dc.Painter().drawPixmap(picture.left, picture.top,
                                        SampleSheet(QSize(picture.Width(), picture.Height()), DialogFont().GetQFont()));
    });
}

bool CReverseImportDlg::TakeTask(bool& made)
{
    auto create = [&] {
        made = m_host.createTask && m_host.createTask();
        return made && OpenTask();
    };
    CScheduleTask* task = OpenTask();
    if (!task)
        return create();
    if (PlanCount(*task) == 0)
        return true;
    const int answer = AskQuestion(
        "当前排课任务中已有数据\r\n继续在当前任务中执行反导入，反导入的数据和现有数据会合并在一起\r\n\r\n"
        "您是否需要创建一个新的排课任务来存放反导入的数据？\r\n\r\n"
        "点击“是”创建新排课任务后再执行反导入\r\n点击“否”直接在当前任务中执行反导入",
        zem::MessageButtons::YesNoCancel);
    return answer == zem::IDNO || (answer == zem::IDYES && create());
}

void CReverseImportDlg::OnOK()
{
    bool made = false;
    const bool ready = TakeTask(made);
    zem::gui::FileDialogRequest request;
    request.title = "选择要反导入的班级总课表Excel文件";
    request.filter = "Excel 文件|*.xls;*.xlsx";
    const std::string path = ready ? zem::gui::ChooseFile(this, request) : std::string();
    bool imported = false;
    if (!path.empty()) {
        CReverseImportPreviewDlg preview(this, path, m_host);
        preview.DoModal();
        imported = preview.IsSaved();
    }
    // A new task takes its name only now, whole, whatever became of the import.
    if (made && (TaskFolder::IsKilledAt("new task: imported") || !m_host.finishTask || !m_host.finishTask(imported)))
        return;
    if (!path.empty())
        EndDialog(zem::IDOK);
}

// ---- the preview ----

CReverseImportPreviewDlg::CReverseImportPreviewDlg(QWidget* parent, const std::string& path, CReverseImportHost host)
    : Dialog(parent, "反导入预览", {330, 260}), m_path(path), m_host(std::move(host))
{
}

CReverseImportPreviewDlg::~CReverseImportPreviewDlg()
{
    StopWorker();
}

bool CReverseImportPreviewDlg::OnInitDialog()
{
    AddLabel(this, "总课表Excel文件", UnitsRect(7, 9, 64, 9));
    auto* path = AddEdit(this, IDC_PATH, UnitsRect(72, 7, 251, 13));
    path->setReadOnly(true);
    path->setText(ToQ(m_path));
    AddLabel(this, "当前任务教学时间", UnitsRect(7, 27, 64, 9));
    auto* time = AddEdit(this, IDC_TEACHING_TIME, UnitsRect(72, 25, 95, 13));
    time->setReadOnly(true);
    AddHoverButton(this, IDC_PREVIEW, "重新预览", UnitsRect(173, 24, 70, 15));
    AddHoverButton(this, IDC_SET_TIME, "设置教学时间", UnitsRect(249, 24, 74, 15));
    m_log = new QTextEdit(this);
    m_log->setReadOnly(true);
    m_log->setLineWrapMode(QTextEdit::WidgetWidth);
    AddField(this, IDC_LOG, m_log, UnitsRect(7, 45, 316, 170));
    const CConfigHost* config = AppServices().GetProgramConfig();
    const bool check = !config || config->GetConfigInt(kConfigSection, kCheckConflictKey, 1) == 1;
    AddCheck(this, IDC_CHECK_CONFLICT, "反导入过程中检查冲突", UnitsRect(7, 222, 120, 12), check);
    AddHoverButton(this, zem::IDOK, "以上预览信息已确认，开始反导入", UnitsRect(173, 220, 150, 16));
    EnableItem(zem::IDOK, false);
    setFixedSize(size());
    ShowTeachingTime();
    Request(0);
    return true;
}

void CReverseImportPreviewDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, CGdiResources::GetInstance()->m_dialogBrush);
    });
}

void CReverseImportPreviewDlg::ShowTeachingTime()
{
    CScheduleTask* task = OpenTask();
    if (!task)
        return;
    const CSchoolStructure& week = task->GetSchoolStructure();
    SetDlgItemText(IDC_TEACHING_TIME, zem::Format("%d 天，每天 %d 节", week.GetWeekDayCount(), week.GetDayNodeCount()));
}

void CReverseImportPreviewDlg::AppendLog(const std::string& text)
{
    if (!m_log)
        return;
    QTextCursor cursor = m_log->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToQ(zem::ReplaceAll(text, "\r\n", "\n") + "\n"));
    m_log->setTextCursor(cursor);
    m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
}

std::string CReverseImportPreviewDlg::LogText() const
{
    return m_log ? m_log->toPlainText().toStdString() : std::string();
}

void CReverseImportPreviewDlg::StopWorker()
{
    m_worker.StopAndWait();
}

// The worker reads the file and looks at it; the verdict, which needs the task, is the GUI
// thread's, and so is every message box.
void CReverseImportPreviewDlg::Request(int mode)
{
    if (mode != 0 || m_importing)
        return;
    EnableItem(zem::IDOK, false);
    StopWorker();
    m_sheet.reset();
    m_result = Pass();
    if (m_log)
        m_log->clear();
    const int pass = ++m_pass;
    m_worker.Start([this, pass, path = m_path] {
        auto log = [this, pass](const std::string& line) {
            PostText(WM_REVERSE_IMPORT_LOG, static_cast<zem::WPARAM>(pass), line);
        };
        log("正在准备导入环境...");
        log("正在加载您的班级总课表文件：" + path);
        Pass result;
        if (zem::import::ReadMasterSheet(path, result.sheet, result.error) && !m_worker.IsStopRequested()) {
            log("正在预览您的班级总课表Excel文件...");
            result.preview = zem::import::PreviewMasterSheet(*result.sheet, &m_worker.StopFlag());
        }
        m_result = std::move(result);
        Post(WM_REVERSE_IMPORT_PASS_DONE, static_cast<zem::WPARAM>(pass), 0);
    });
}

void CReverseImportPreviewDlg::FinishPreview()
{
    m_worker.Wait();
    Pass result = std::move(m_result);
    if (!result.error.empty()) {
        AppendLog(result.error);
        zem::ShowMessage(result.error, "提示", zem::MessageIcon::Error);
        return;
    }
    CScheduleTask* task = OpenTask();
    if (result.preview.stopped || !task)
        return;
    AppendLog(zem::import::MasterPreviewText(result.preview));
    const auto verdict = zem::import::JudgeMasterSheet(result.preview, task->GetSchoolStructure());
    AppendLog(zem::import::MasterVerdictText(verdict));
    if (verdict == zem::import::MasterVerdict::Differs)
        AppendLog(zem::import::MasterDifferenceText(result.preview, task->GetSchoolStructure()));
    if (verdict != zem::import::MasterVerdict::Matches)
        return;
    // What the sheet would add is counted now, so that a sheet the task cannot take is refused
    // before anything changes.
    const zem::import::MasterAdditions added = zem::import::CountMasterAdditions(*task, *result.sheet);
    if (const std::string note = zem::import::ShortNamesText(added); !note.empty())
        AppendLog(note);
    if (const std::string refused = zem::import::CheckMasterLimits(*task, added); !refused.empty()) {
        AppendLog(refused);
        return;
    }
    m_sheet = std::move(result.sheet);
    EnableItem(zem::IDOK, true);
}

void CReverseImportPreviewDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_PREVIEW:
        Request(0);
        break;
    case IDC_SET_TIME:
        if (m_host.editTeachingTime)
            m_host.editTeachingTime();
        ShowTeachingTime();
        Request(0);
        break;
    case IDC_CHECK_CONFLICT:
        if (const CConfigHost* config = AppServices().GetProgramConfig())
            config->SetConfigInt(kConfigSection, kCheckConflictKey, Item<QCheckBox>(id)->isChecked() ? 1 : 0);
        break;
    default:
        Dialog::OnCommand(id);
    }
}

void CReverseImportPreviewDlg::SetBusy(bool busy)
{
    EnableItem(IDC_PREVIEW, !busy);
    EnableItem(IDC_SET_TIME, !busy);
    EnableItem(zem::IDOK, false);
}

void CReverseImportPreviewDlg::OnOK()
{
    CScheduleTask* task = OpenTask();
    if (!task || !m_sheet || m_importing)
        return;
    SetBusy(true);
    SetDlgItemText(zem::IDOK, "正在导入中……");
    if (PlanCount(*task) > kBackupPlanCount && !task->AutoBackup(true, "反导入前", false)) {
        if (AskQuestion("反导入前无法备份当前排课任务，是否继续反导入？", zem::MessageButtons::YesNo) != zem::IDYES) {
            SetBusy(false);
            SetDlgItemText(zem::IDOK, "以上预览信息已确认，开始反导入");
            EnableItem(zem::IDOK, true);
            return;
        }
    }
    if (m_log)
        m_log->clear();
    CTaskHelper(task).RestoreTempTables();
    m_check = std::make_unique<zem::import::CReverseImportCheck>(*task);
    const QCheckBox* check = Item<QCheckBox>(IDC_CHECK_CONFLICT);
    m_importer = std::make_unique<zem::import::CReverseImporter>(*task, *m_sheet, check && check->isChecked());
    m_importer->log = [this](const std::string& line) { AppendLog(line); };
    m_rows = m_sheet->ClassRows();
    m_nextRow = 0;
    m_importing = true;
    m_stopImport = false;
    Post(WM_REVERSE_IMPORT_STEP, 0, 0);
}

void CReverseImportPreviewDlg::ImportNextClass()
{
    if (!m_importing)
        return;
    if (m_stopImport || m_nextRow >= m_rows.size()) {
        FinishImport();
        return;
    }
    const zem::import::MasterClassRow& row = m_rows[m_nextRow++];
    m_importer->ImportClassRow(row.name, row.cells);
    Post(WM_REVERSE_IMPORT_STEP, 0, 0);
}

// What was imported is saved, also after a stop: the task in memory and its files stay one. An
// import the task's rules refuse is undone whole and nothing is saved.
void CReverseImportPreviewDlg::FinishImport()
{
    m_importing = false;
    m_importer->Finish();
    m_conflicts = m_importer->ConflictsReported();
    m_importer.reset();
    // A sheet is imported once; another import starts from another preview.
    m_sheet.reset();
    const ChangeFindings findings = m_check->Finish();
    m_check.reset();
    CScheduleTask* task = OpenTask();
    std::string error;
    if (zem::import::CReverseImportCheck::Refuses(findings))
        error = RefusedImportText(findings);
    else
        error = task ? zem::import::SaveReverseImport(*task) : std::string("没有正在使用的排课任务");
    m_saved = error.empty();
    if (m_saved && !findings.broken.IsClean())
        AppendLog(KeptImportText(findings));
    if (m_closeAfterImport) {
        if (!error.empty())
            zem::ShowMessage(error, "提示", zem::MessageIcon::Error);
        else if (!findings.broken.IsClean())
            zem::ShowMessage(zem::import::ReverseImportDoneText(findings), "提示", zem::MessageIcon::Warning);
        EndDialog(zem::IDCANCEL);
        return;
    }
    if (!error.empty()) {
        AppendLog(error);
        zem::ShowMessage(error, "提示", zem::MessageIcon::Error);
        SetDlgItemText(zem::IDOK, "反导入没有完成");
        return;
    }
    if (findings.broken.IsClean())
        zem::ShowMessage(zem::import::ReverseImportDoneText(findings));
    else
        zem::ShowMessage(zem::import::ReverseImportDoneText(findings), "提示", zem::MessageIcon::Warning);
    if (m_conflicts || !findings.broken.IsClean()) {
        SetDlgItemText(zem::IDOK, "反导入完成");
        return;
    }
    EndDialog(zem::IDOK);
}

void CReverseImportPreviewDlg::OnCancel()
{
    if (m_importing) {
        if (!AskToStopImport())
            return;
        // The class being imported is finished, what was imported saved, and the dialog then closes.
        m_stopImport = true;
        m_closeAfterImport = true;
        return;
    }
    StopWorker();
    EndDialog(zem::IDCANCEL);
}

zem::LRESULT CReverseImportPreviewDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_REVERSE_IMPORT_LOG:
        if (static_cast<int>(wParam) == m_pass)
            AppendLog(reinterpret_cast<const char*>(lParam));
        return 0;
    case WM_REVERSE_IMPORT_PASS_DONE:
        if (static_cast<int>(wParam) == m_pass)
            FinishPreview();
        return 0;
    case WM_REVERSE_IMPORT_STEP:
        ImportNextClass();
        return 0;
    default:
        return 0;
    }
}

void RunReverseImport(QWidget* parent, const CReverseImportHost& host)
{
    CReverseImportDlg dialog(parent, host);
    dialog.DoModal();
}
