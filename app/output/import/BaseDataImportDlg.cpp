#include "app/output/import/BaseDataImportDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/controls/HyperLink.h"
#include "app/controls/ListBaseDlg.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/XlsxWriter.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>

#include <algorithm>

QPixmap DrawSampleSheet(const std::vector<std::vector<std::string>>& rows, QSize size, const QFont& font)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setFont(font);
    const QFontMetrics metrics(font);
    const int rowHeight = metrics.height() + 6;
    const int numberWidth = metrics.horizontalAdvance("00") + 8;
    std::vector<int> widths;
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.push_back(36);
            widths[i] = std::max(widths[i], metrics.horizontalAdvance(zem::gui::ToQ(row[i])) + 10);
        }
    const QColor band(230, 230, 230);
    const QColor grid(190, 190, 190);
    p.fillRect(0, 0, size.width(), rowHeight, band);
    p.fillRect(0, 0, numberWidth, size.height(), band);
    p.setPen(Qt::black);
    for (int i = 0, x = numberWidth; i < static_cast<int>(widths.size()); x += widths[static_cast<std::size_t>(i)], ++i)
        p.drawText(QRect(x, 0, widths[static_cast<std::size_t>(i)], rowHeight), Qt::AlignCenter,
                   zem::gui::ToQ(zem::workbook::ColumnName(i + 1)));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int x = numberWidth;
        const int y = rowHeight * static_cast<int>(r + 1);
        for (std::size_t i = 0; i < rows[r].size(); ++i) {
            p.drawText(QRect(x + 4, y, widths[i] - 4, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, zem::gui::ToQ(rows[r][i]));
            x += widths[i];
        }
    }
    p.setPen(grid);
    for (int row = 1, y = rowHeight; y < size.height(); ++row, y += rowHeight) {
        p.drawLine(0, y, size.width(), y);
        p.setPen(Qt::black);
        p.drawText(QRect(0, y, numberWidth, rowHeight), Qt::AlignCenter, QString::number(row));
        p.setPen(grid);
    }
    int x = numberWidth;
    p.drawLine(x, 0, x, size.height());
    for (int width : widths) {
        x += width;
        p.drawLine(x, 0, x, size.height());
    }
    return pixmap;
}

CBaseDataImportDlg::CBaseDataImportDlg(QWidget* parent) : CBaseDataImportDlg(parent, {330, 220}) {}

CBaseDataImportDlg::CBaseDataImportDlg(QWidget* parent, zem::Size sizeUnits) : Dialog(parent, "导入", sizeUnits) {}

CBaseDataImportDlg::~CBaseDataImportDlg()
{
    StopWorker();
}

void CBaseDataImportDlg::SetImportKind(zem::MessageTarget* page, const std::string& title,
                                       const std::vector<std::string>& columns)
{
    m_page = page;
    m_title = title;
    m_columns = columns;
}

bool CBaseDataImportDlg::OnInitDialog()
{
    SetCaption("导入" + m_title);
    const auto& u = Units();
    m_steps[0].m_title = "1 准备好如下格式的EXCEL文件:";
    m_steps[1].m_title = "2 点击下面的按钮，选择要导入的EXCEL文件";
    const zem::Rect first = UnitsRect(7, 7, 316, 130);
    const zem::Rect second = UnitsRect(7, 142, 316, 71);
    m_steps[0].SetRect(first.left, first.top, first.right, first.bottom);
    m_steps[1].SetRect(second.left, second.top, second.right, second.bottom);

    const zem::Rect body = m_steps[0].GetBodyRect();
    const zem::Rect pictureRect(body.left + u.X(4), body.top + u.Y(4), body.right - u.X(4), body.bottom - u.Y(16));
    QLabel* picture = AddLabel(this, "", pictureRect, IDC_PICTURE);
    picture->setPixmap(DrawSampleSheet({m_columns}, picture->size(), DialogFont().GetQFont()));
    picture->setStyleSheet("border: 1px solid #C0C0C0;");

    AddTemplateLink(zem::Rect(pictureRect.left, pictureRect.bottom + u.Y(4), pictureRect.left + u.X(90),
                              pictureRect.bottom + u.Y(14)));

    AddRunControls(m_steps[1].GetBodyRect());
    setFixedSize(size());
    return true;
}

void CBaseDataImportDlg::AddTemplateLink(const zem::Rect& rect)
{
    auto* link = new CHyperLink(this);
    link->Create("保存并打开导入模板", rect, this, IDC_TEMPLATE);
    // A text command of this dialog: without this the link would take its caption for an address.
    link->SetURL("");
}

void CBaseDataImportDlg::AddRunControls(const zem::Rect& lower)
{
    const auto& u = Units();
    const int left = lower.left + u.X(4), pathLeft = lower.left + u.X(68), startLeft = lower.right - u.X(60);
    const int top = lower.top + u.Y(5), progressTop = lower.top + u.Y(25), startTop = lower.top + u.Y(23);
    AddHoverButton(this, IDC_CHOOSE, "选择EXCEL文件", zem::Rect(left, top, left + u.X(60), top + u.Y(14)));
    auto* path = new CFlatEdit(this);
    path->setReadOnly(true);
    AddField(this, IDC_PATH, path, zem::Rect(pathLeft, top, pathLeft + lower.Width() - u.X(72), top + u.Y(14)));
    auto* progress = new QProgressBar(this);
    progress->setRange(0, 100);
    progress->setTextVisible(false);
    AddField(this, IDC_PROGRESS, progress,
             zem::Rect(left, progressTop, left + lower.Width() - u.X(68), progressTop + u.Y(10)));
    AddHoverButton(this, IDC_START, "开始导入吧",
                   zem::Rect(startLeft, startTop, startLeft + u.X(56), startTop + u.Y(14)));
}

void CBaseDataImportDlg::paintEvent(QPaintEvent*)
{
    zem::gui::DC dc(this);
    dc.FillSolidRect(zem::Rect(0, 0, width(), height()), zem::RGB(240, 240, 240));
    for (const CTitledPanel& step : m_steps)
        step.Draw(dc);
}

void CBaseDataImportDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_CHOOSE:
        ChooseFile();
        break;
    case IDC_START:
        StartOrStop();
        break;
    default:
        Dialog::OnCommand(id);
    }
}

void CBaseDataImportDlg::ChooseFile()
{
    zem::gui::FileDialogRequest request;
    request.title = "请选择要导入的Excel文件";
    request.filter = zem::workbook::kOpenWorkbookFilter;
    const std::string path = zem::gui::ChooseFile(this, request);
    if (!path.empty())
        SetDlgItemText(IDC_PATH, path);
}

void CBaseDataImportDlg::StartOrStop()
{
    if (m_worker.HasThread()) {
        StopWorker();
        return;
    }
    std::string path = GetDlgItemText(IDC_PATH);
    if (path.empty()) {
        ChooseFile();
        path = GetDlgItemText(IDC_PATH);
        if (path.empty())
            return;
    }
    if (!zem::FileExists(path)) {
        zem::ShowMessage(path + "\r\n文件不存在");
        return;
    }
    if (!ConfirmStart(path))
        return;
    SetDlgItemText(IDC_START, "取消");
    Item<QProgressBar>(IDC_PROGRESS)->setValue(0);
    const int run = ++m_run;
    m_worker.Start([this, path, run] {
        zem::import::RowReadJob job;
        job.cancel = &m_worker.StopFlag();
        job.progress = [this](int percent) { Post(WM_BASE_IMPORT_PROGRESS, static_cast<zem::WPARAM>(percent), 0); };
        job.sendRow = [this](CPageNotify& notify, const CPageRow& cells) {
            return zem::SendMessage(m_page, WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&cells));
        };
        job.checkRows = [this](const std::vector<CPageRow>& rows) { return CheckPageRows(m_page, rows, true); };
        m_result = ReadRows(path, job);
        Post(WM_BASE_IMPORT_DONE, static_cast<zem::WPARAM>(run), 0);
    });
}

// The worker stops before its next row; the rows it sent stay in the page.
void CBaseDataImportDlg::StopWorker()
{
    if (!m_worker.HasThread())
        return;
    m_worker.StopAndWait();
    if (GetDlgItem(IDC_START)) {
        SetDlgItemText(IDC_START, "开始导入吧");
        Item<QProgressBar>(IDC_PROGRESS)->setValue(0);
    }
}

void CBaseDataImportDlg::Finish()
{
    m_worker.Wait();
    SetDlgItemText(IDC_START, "开始导入吧");
    auto* progress = Item<QProgressBar>(IDC_PROGRESS);
    if (!m_result.Ok()) {
        progress->setValue(0);
        zem::ShowMessage(m_result.error, "提示", zem::MessageIcon::Error);
    } else if (!m_result.cancelled) {
        // The report is of the page's rows: the task changes only when the page is saved, and its
        // save asks the task's rules of the result.
        progress->setValue(100);
        bool refused = false;
        const std::string report = zem::import::ImportReportText(m_result, &refused);
        zem::ShowMessage(report, "提示", refused ? zem::MessageIcon::Warning : zem::MessageIcon::Information);
        EndDialog(zem::IDOK);
    } else {
        progress->setValue(0);
    }
}

void CBaseDataImportDlg::OnCancel()
{
    if (m_worker.HasThread()) {
        if (!AskToStopImport())
            return;
        StopWorker();
    }
    EndDialog(zem::IDCANCEL);
}

zem::import::RowReadResult CBaseDataImportDlg::ReadRows(const std::string& path, const zem::import::RowReadJob& job)
{
    return zem::import::ReadWorkbookRows(path, job);
}

std::string CBaseDataImportDlg::TemplateName() const
{
    const zem::LocalTime now = zem::Now();
    return zem::Format("%s（%04d%02d%02d）.%s", m_title.c_str(), now.year, now.month, now.day, zem::workbook::kWorkbookSuffix);
}

void CBaseDataImportDlg::SaveTemplate()
{
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::SaveFile;
    request.fileName = TemplateName();
    request.filter = zem::workbook::kSaveWorkbookFilter;
    request.defaultSuffix = zem::workbook::kWorkbookSuffix;
    const std::string path = zem::gui::ChooseFile(this, request);
    if (path.empty())
        return;
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    // Names stay text, as typed: "0302" and "3.10" are rooms, not numbers.
    sheet.Cells().SetNumberFormatLocal("@");
    const std::vector<std::vector<std::string>> rows = TemplateRows();
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t i = 0; i < rows[r].size(); ++i) {
            auto cell = sheet.GetRange(zem::workbook::CellName(static_cast<int>(r) + 1, static_cast<int>(i) + 1));
            cell.SetValue(rows[r][i]);
            cell.Font().SetBold(r == 0);
        }
    try {
        zem::workbook::SaveXlsx(book, path);
    } catch (const zem::workbook::WorkbookError& error) {
        zem::ShowMessage(std::string("保存模板文件失败\n") + error.what(), "提示", zem::MessageIcon::Error);
        return;
    }
    // The user fills it in and imports it with the next start.
    SetDlgItemText(IDC_PATH, path);
    zem::gui::OpenWithDesktop(path);
}

zem::LRESULT CBaseDataImportDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM)
{
    switch (message) {
    case WM_BASE_IMPORT_PROGRESS:
        if (m_worker.HasThread())
            Item<QProgressBar>(IDC_PROGRESS)->setValue(static_cast<int>(wParam));
        return 0;
    case WM_BASE_IMPORT_DONE:
        // A run already stopped was ended by Stop.
        if (m_worker.HasThread() && static_cast<int>(wParam) == m_run)
            Finish();
        return 0;
    case WM_QUICK_TOOL:
        if (wParam == IDC_TEMPLATE)
            SaveTemplate();
        return 0;
    default:
        return 0;
    }
}

bool AskToStopImport()
{
    return AskQuestion("正在导入数据中, 要立即退出吗?", zem::MessageButtons::YesNo) == zem::IDYES;
}

std::vector<std::string> ImportColumns(const CListBaseDlg& page)
{
    std::vector<std::string> columns;
    const zem::gui::ReportList* list = page.GetList();
    for (int column = 1; list && column < list->GetColumnCount(); ++column)
        columns.push_back(list->GetColumnHeading(column));
    return columns;
}

void RunBaseDataImport(CListBaseDlg* page, const std::string& title, const std::vector<std::string>& columns)
{
    CBaseDataImportDlg dialog(page);
    dialog.SetImportKind(page, title, columns);
    dialog.DoModal();
}
