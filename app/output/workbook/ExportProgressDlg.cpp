#include "app/output/workbook/ExportProgressDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "platform/WindowMessages.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimerEvent>

#include <algorithm>

namespace {

constexpr int kStatusLine = 1023;
constexpr int kProgressLine = 1024;

// One count for every window, so the dots carry on where the last window left them.
int g_dots = 1;

// A small sheet with a header band and a grid: what is being made.
QPixmap WorkbookIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(96, 96, 96));
    p.setBrush(Qt::white);
    p.drawRect(3, 2, 25, 27);
    p.fillRect(4, 3, 24, 6, QColor(47, 125, 80));
    p.setPen(QColor(170, 170, 170));
    for (int y = 14; y < 29; y += 5)
        p.drawLine(4, y, 27, y);
    for (int x = 11; x < 28; x += 8)
        p.drawLine(x, 9, x, 28);
    return pixmap;
}

}  // namespace

CExportProgressDlg::CExportProgressDlg(QWidget* parent) : Dialog(parent, "导出中", {190, 44}) {}

CExportProgressDlg::~CExportProgressDlg()
{
    // Never left running: ask it to stop and serve its messages until it has.
    m_worker.StopAndWait();
}

void CExportProgressDlg::SetWorker(Worker worker, std::atomic<bool>* cancel)
{
    m_work = std::move(worker);
    m_cancel = cancel;
    // The export stops through the flag it was given.
    m_worker.SetStopHook([this] {
        if (m_cancel)
            *m_cancel = true;
    });
}

bool CExportProgressDlg::OnInitDialog()
{
    AddLabel(this, "", UnitsRect(8, 8, 20, 20))->setPixmap(WorkbookIcon());
    AddLabel(this, "", UnitsRect(36, 9, 148, 10), kStatusLine);
    QLabel* progress = AddLabel(this, "", UnitsRect(36, 25, 148, 10), kProgressLine);
    progress->setStyleSheet("color: #A8A8A8;");
    setFixedSize(size());

    if (!m_filePath.empty()) {
        const std::size_t slash = m_filePath.rfind('/');
        const std::string name = m_filePath.substr(slash == std::string::npos ? 0 : slash + 1);
        if (!name.empty())
            m_objectName = name;
    }
    m_statusBase = "正在导出 " + m_objectName + "，请稍候 ";
    Tick();
    m_timer = startTimer(500);
    m_worker.Start([this] {
        m_result = m_work ? m_work(this) : false;
        Post(WM_EXPORT_WORKER_DONE, 0, 0);
    });
    return true;
}

void CExportProgressDlg::Tick()
{
    SetDlgItemText(kStatusLine, m_statusBase + std::string(static_cast<std::size_t>(g_dots), '.'));
    g_dots = g_dots % 6 + 1;
}

zem::LRESULT CExportProgressDlg::WindowProc(unsigned message, zem::WPARAM, zem::LPARAM lParam)
{
    switch (message) {
    case WM_EXPORT_PROGRESS:
        // Shown on one line.
        if (const auto* text = zem::FromLParam<const std::string>(lParam)) {
            std::string line = *text;
            std::replace(line.begin(), line.end(), '\n', ' ');
            SetDlgItemText(kProgressLine, line);
        }
        return 0;
    case WM_EXPORT_WORKER_DONE:
        m_worker.Wait();
        if (m_timer) {
            killTimer(m_timer);
            m_timer = 0;
        }
        EndDialog(zem::IDOK);
        return 0;
    default:
        return 0;
    }
}

void CExportProgressDlg::OnCancel()
{
    if (!m_worker.HasThread()) {
        EndDialog(zem::IDCANCEL);
        return;
    }
    // The worker stops at its next check and the window closes when it has.
    m_worker.RequestStop();
    if (!m_stopping) {
        m_stopping = true;
        m_statusBase = "正在停止导出，请稍候 ";
        Tick();
    }
}

void CExportProgressDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer)
        Tick();
    else
        Dialog::timerEvent(event);
}

void InstallExportProgressWindow()
{
    SetExportProgressRunner([](CExportJob& job) {
        CExportProgressDlg dialog;
        dialog.SetFilePath(job.filePath);
        dialog.SetWorker(job.work, job.cancel);
        dialog.DoModal();
    });
}
