#include "app/output/workbook/ExportProgressDlg.h"

#include "app/output/workbook/SpreadsheetExporter.h"
#include "platform/gui/Font.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace {

// Posted by the worker thread when its work has ended.
constexpr unsigned kWorkerDone = zem::WM_USER + 0x7F0;

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

CExportProgressDlg::CExportProgressDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("导出中");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    QFont font(zem::gui::ResolveFace("宋体"));
    font.setPointSize(9);
    setFont(font);

    auto* icon = new QLabel(this);
    icon->setPixmap(WorkbookIcon());
    icon->setFixedSize(32, 32);
    m_status = new QLabel(this);
    m_status->setObjectName("status");  // 1023
    m_progress = new QLabel(this);
    m_progress->setObjectName("progress");  // 1024
    m_progress->setStyleSheet("color: #A8A8A8;");

    auto* lines = new QVBoxLayout;
    lines->setSpacing(8);
    lines->addWidget(m_status);
    lines->addWidget(m_progress);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(lines, 1);
    setFixedSize(360, 90);
}

CExportProgressDlg::~CExportProgressDlg()
{
    if (m_thread.joinable()) {
        // Never left running: ask it to stop and serve its messages until it has.
        if (m_cancel)
            *m_cancel = true;
        zem::gui::WaitWhile([this] { return !m_finished.load(); });
        m_thread.join();
    }
}

void CExportProgressDlg::SetWorker(Worker worker, std::atomic<bool>* cancel)
{
    m_worker = std::move(worker);
    m_cancel = cancel;
}

bool CExportProgressDlg::DoModal()
{
    Start();
    exec();
    return m_result;
}

void CExportProgressDlg::Start()
{
    if (!m_filePath.empty()) {
        const std::size_t slash = m_filePath.rfind('/');
        const std::string name = m_filePath.substr(slash == std::string::npos ? 0 : slash + 1);
        if (!name.empty())
            m_objectName = name;
    }
    m_statusBase = "正在导出 " + m_objectName + "，请稍候 ";
    Tick();
    m_timer = startTimer(500);
    m_running = true;
    m_finished = false;
    show();
    m_thread = std::thread([this] {
        const bool result = m_worker ? m_worker(this) : false;
        m_result = result;
        m_finished = true;
        Post(kWorkerDone, 0, 0);
    });
}

void CExportProgressDlg::Tick()
{
    m_status->setText(QString::fromStdString(m_statusBase + std::string(static_cast<std::size_t>(g_dots), '.')));
    g_dots = g_dots % 6 + 1;
}

QString CExportProgressDlg::GetStatusText() const
{
    return m_status->text();
}

QString CExportProgressDlg::GetProgressText() const
{
    return m_progress->text();
}

zem::LRESULT CExportProgressDlg::WindowProc(unsigned message, zem::WPARAM, zem::LPARAM lParam)
{
    switch (message) {
    case WM_EXPORT_PROGRESS:
        if (const auto* text = zem::FromLParam<const std::string>(lParam)) {
            QString line = QString::fromStdString(*text);
            line.replace('\n', ' ');
            m_progress->setText(line);
        }
        return 0;
    case kWorkerDone:
        if (m_thread.joinable())
            m_thread.join();
        m_running = false;
        if (m_timer) {
            killTimer(m_timer);
            m_timer = 0;
        }
        done(QDialog::Accepted);
        return 0;
    default:
        return 0;
    }
}

void CExportProgressDlg::AskToStop()
{
    if (m_cancel)
        *m_cancel = true;
    if (!m_stopping) {
        m_stopping = true;
        m_statusBase = "正在停止导出，请稍候 ";
        Tick();
    }
}

void CExportProgressDlg::reject()
{
    if (m_running) {
        AskToStop();
        return;
    }
    QDialog::reject();
}

void CExportProgressDlg::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        AskToStop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CExportProgressDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer)
        Tick();
    else
        QDialog::timerEvent(event);
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
