#include "app/shell/MainDlg.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/ShellFunctions.h"
#include "app/shared/Strings.h"
#include "app/shell/AppContext.h"
#include "app/shell/ShellBitmaps.h"
#include "base/ScheduleTask.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/QtText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using zem::Rect;

CMainDlg::CMainDlg(QWidget* parent)
    : Dialog(parent, "", {640, 400}), m_timers([this](int id) { OnTimer(id); })
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(MainIcon());
    setMouseTracking(true);
}

CMainDlg::~CMainDlg() = default;

std::string CMainDlg::BuildTitle()
{
    return LoadResString(14) + " " + LoadResString(15);
}

void CMainDlg::SetTitleWithTask(const std::string& taskName)
{
    SetCaption(BuildTitle() + " - " + taskName);
}

bool CMainDlg::OnInitDialog()
{
    RegisterShellBitmaps();
    SetCaption(BuildTitle());
    CGdiResources::GetInstance()->StartFontScan(this);
    FitToWorkArea();
    CreateChildren();
    CAppContext::CleanStagedTasks();
    CAppContext::Get()->ReopenLastTask();
    if (m_pagePanel.GetPageHeader().GetPageCount() > 1) {
        int page = CAppContext::Get()->GetLastPage();
        if (page < 0 || page >= m_pagePanel.GetPageHeader().GetPageCount())
            page = 1;
        m_pagePanel.GetPageHeader().SelectPage(page);
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    m_timers.SetTimer(kShowTimer, 1000);
    return true;
}

void CMainDlg::FitToWorkArea()
{
    // The window system may not maximise (no window manager): the work area is the size either way.
    const Rect area = zem::gui::WorkArea();
    if (!area.IsRectEmpty())
        setGeometry(area.left, area.top, area.Width(), area.Height());
}

void CMainDlg::CreateChildren()
{
    m_toolBar.Create(this);
    m_pagePanel.Create(this);
    CAppContext* context = CAppContext::Get();
    context->SetMainDlg(this);
    context->UpdateCaption();
    m_bChildrenCreated = true;
    LayoutChildren();
}

void CMainDlg::DestroyChildren()
{
    m_toolBar.RemoveAllButtons();
    m_toolBar.hide();
    m_pagePanel.ClearToolBox();
    CGdiResources::DestroyInstance();
}

void CMainDlg::UpdateCaption()
{
    std::string name;
    std::string folder;
    if (CAppContext::Exists()) {
        if (const CScheduleTask* task = CAppContext::Get()->GetTask()) {
            name = task->GetTaskInfo().GetTaskName();
            folder = task->GetTaskInfo().GetTaskFolder();
        }
    }
    SetTitleWithTask(name);
    m_toolBar.SetStatusText(name, "位置：" + folder);
    m_pagePanel.GetToolDescPanel().SetTaskName(name);
    m_pagePanel.GetToolDescPanel().SetTaskLocation(folder);
}

void CMainDlg::OnTimer(int id)
{
    if (id != kShowTimer || !isVisible())
        return;
    m_timers.KillTimer(kShowTimer);
    if (CAppContext::Exists() && !CAppContext::Get()->HasTask())
        m_pagePanel.Send(WM_TOOLBOX_ACTION, 2, 0);
}

zem::LRESULT CMainDlg::WindowProc(unsigned message, zem::WPARAM, zem::LPARAM)
{
    if (message != WM_FONTS_READY)
        return 0;
    CGdiResources::GetInstance()->RefreshFonts();
    if (CAppContext::Exists())
        CAppContext::Get()->ApplyScannedFonts();
    m_toolBar.update();
    m_pagePanel.GetToolDescPanel().update();
    return 0;
}

bool CMainDlg::PreTranslateKey(QKeyEvent* event)
{
    // Neither Enter nor Escape closes the main window.
    const int key = event->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

void CMainDlg::ShutDown()
{
    if (m_bClosing)
        return;
    if (CAppContext::Exists() && !CAppContext::Get()->ConfirmCloseTask())
        return;
    m_bClosing = true;
    m_timers.KillAll();
    if (CAppContext::Exists())
        CAppContext::Get()->SetLastPage(m_pagePanel.GetCurrentPage());
    DestroyChildren();
    CAppContext::Free();
    EndDialog(zem::IDCANCEL);
}

void CMainDlg::OnCancel()
{
    ShutDown();
}

void CMainDlg::OnClose()
{
    ShutDown();
}

void CMainDlg::LayoutChildren()
{
    if (!m_bChildrenCreated)
        return;
    const int cx = width();
    const int cy = height();
    SetWidgetRect(&m_toolBar, Rect(350, 20, cx - kMargin, 20 + m_toolBar.GetCapHeight()));
    SetWidgetRect(&m_pagePanel, Rect(kMargin, 85, cx - kMargin, cy - kMargin));
}

void CMainDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    LayoutChildren();
}

void CMainDlg::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_RGB32);
    {
        zem::gui::DC dc(&image);
        dc.FillSolidRect(Rect(0, 0, width(), height()), zem::RGB(0xFA, 0xFA, 0xFA));
        const QImage banner = LoadBitmapResource(IDB_BANNER);
        DrawBitmapTiled(&dc, Rect(0, 0, width(), kBannerHeight), &banner);
        const QImage logo = LoadBitmapResource(IDB_LOGO);
        m_logoRect = Rect(35, 15, 35 + logo.width(), 15 + logo.height());
        DrawTransparentBitmap(&dc, m_logoRect, &logo, zem::RGB(0, 0, 0));
    }
    QPainter(this).drawImage(0, 0, image);
}

void CMainDlg::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_logoRect.PtInRect({p.x(), p.y()}))
        OpenWebPage(kHomePageAddress);
}

void CMainDlg::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    CGdiResources* gdi = CGdiResources::GetInstance();
    setCursor(m_logoRect.PtInRect({p.x(), p.y()}) ? gdi->m_handCursor : gdi->m_arrowCursor);
}
