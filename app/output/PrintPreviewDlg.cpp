#include "app/output/PrintPreviewDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/output/PreviewPageWnd.h"
#include "app/output/PrintSheet.h"
#include "app/shared/Strings.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"

#include <QPainter>
#include <QToolButton>

namespace {

constexpr int kButtonWidth = 79;
constexpr int kButtonHeight = 24;
constexpr int kSeparatorWidth = 10;
constexpr int kToolBarHeight = kButtonHeight + 6;

// The tool bar's commands in order; 0 is a separator.
constexpr int kToolBarCommands[] = {
    CPrintPreviewDlg::ID_CLOSE,        0,
    CPrintPreviewDlg::ID_FIRST_PAGE,   CPrintPreviewDlg::ID_PREVIOUS_PAGE,
    CPrintPreviewDlg::ID_NEXT_PAGE,    CPrintPreviewDlg::ID_LAST_PAGE,
    0,                                 CPrintPreviewDlg::ID_PAGE_SETTINGS,
    CPrintPreviewDlg::ID_BANNERS,      0,
    CPrintPreviewDlg::ID_PRINT,        CPrintPreviewDlg::ID_EXPORT,
};

// A command's tip: its string, or the part after the string's first line feed.
std::string ToolTipOf(int id)
{
    const std::string text = LoadResString(id);
    const std::size_t feed = text.find('\n');
    return feed == std::string::npos ? text : text.substr(feed + 1);
}

// The label of a command's button: its string up to a line feed.
std::string LabelOf(int id)
{
    const std::string text = LoadResString(id);
    return text.substr(0, text.find('\n'));
}

}  // namespace

CPrintPreviewDlg::CPrintPreviewDlg(QWidget* parent, CPrintSheet* sheet, int pageCount, int currentPage, bool onScreen,
                                   int mode, bool temporary)
    : Dialog(parent, "打印预览", {480, 320}),
      m_sheet(sheet),
      m_mode(mode),
      m_temporary(temporary),
      m_onScreen(onScreen),
      m_title(mode == PREVIEW_EXPORT || mode == PREVIEW_SETTINGS ? "周课表导出预览" : "打印预览"),
      m_currentPage(currentPage),
      m_pageCount(pageCount)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
}

CPrintPreviewDlg::~CPrintPreviewDlg() = default;

bool CPrintPreviewDlg::OnInitDialog()
{
    FillWorkArea();
    BuildToolBar();

    CPrintPageInfo info;
    info.pageCount = m_pageCount;
    info.currentPage = m_currentPage;
    info.onScreen = m_onScreen;
    info.mode = m_mode;
    info.temporary = m_temporary;
    m_pageWnd = new CPreviewPageWnd(this, this, m_sheet, info);
    PlacePageWnd();
    m_pageWnd->show();

    EnablePaging(false, m_pageCount > 1);
    if (m_mode == PREVIEW_EXPORT || m_mode == PREVIEW_SETTINGS)
        ShowItem(ID_PRINT, false);
    if (m_mode == PREVIEW_PRINT || m_mode == PREVIEW_SETTINGS)
        ShowItem(ID_EXPORT, false);
    if (!m_sheet->HasWeekPageSettings()) {
        ShowItem(ID_PAGE_SETTINGS, false);
        ShowItem(ID_BANNERS, false);
    }
    BuildToolBar();
    UpdateCaption();
    m_pageWnd->CreateChildren();
    return true;
}

void CPrintPreviewDlg::BuildToolBar()
{
    if (!m_toolBar) {
        m_toolBar = new QWidget(this);
        m_toolBar->setAutoFillBackground(true);
        QPalette palette = m_toolBar->palette();
        palette.setColor(QPalette::Window, QColor(240, 240, 240));
        m_toolBar->setPalette(palette);
        for (const int id : kToolBarCommands) {
            if (id == 0)
                continue;
            auto* button = new QToolButton(m_toolBar);
            button->setAutoRaise(true);
            button->setText(zem::gui::ToQ(LabelOf(id)));
            button->setToolTip(zem::gui::ToQ(ToolTipOf(id)));
            button->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
            AddControl(id, button);
        }
    }
    // The buttons left to right; a removed one leaves no gap.
    int x = 2;
    bool separator = false;
    for (const int id : kToolBarCommands) {
        if (id == 0) {
            separator = true;
            continue;
        }
        QWidget* button = GetDlgItem(id);
        if (button->isHidden())
            continue;
        if (separator)
            x += kSeparatorWidth;
        separator = false;
        SetWidgetRect(button, zem::Rect(x, 3, x + kButtonWidth, 3 + kButtonHeight));
        x += kButtonWidth;
    }
    SetWidgetRect(m_toolBar, zem::Rect(0, 0, width(), kToolBarHeight));
}

bool CPrintPreviewDlg::HasButton(int id) const
{
    const QWidget* button = GetDlgItem(id);
    return button && !button->isHidden();
}

void CPrintPreviewDlg::PlacePageWnd()
{
    if (m_toolBar)
        SetWidgetRect(m_toolBar, zem::Rect(0, 0, width(), kToolBarHeight));
    if (m_pageWnd)
        SetWidgetRect(m_pageWnd, zem::Rect(0, kToolBarHeight + 2, width(), height()));
}

void CPrintPreviewDlg::EnablePaging(bool backward, bool forward)
{
    EnableItem(ID_FIRST_PAGE, backward);
    EnableItem(ID_PREVIOUS_PAGE, backward);
    EnableItem(ID_NEXT_PAGE, forward);
    EnableItem(ID_LAST_PAGE, forward);
}

void CPrintPreviewDlg::ShowPage()
{
    m_pageWnd->SetPages(m_pageCount, m_currentPage);
    m_pageWnd->viewport()->update();
    UpdateCaption();
}

void CPrintPreviewDlg::UpdateCaption()
{
    std::string caption = zem::Format("%s - %s ( 第 %d 页 共 %d 页 )", LoadResString(2).c_str(), m_title.c_str(),
                                      m_currentPage, m_pageCount);
    // Said before printing: lessons whose lines cannot fit their cells at the smallest legible size.
    if (m_sheet && m_pageCount > 0) {
        if (const int shortened = m_sheet->ShortenedLessons(m_currentPage))
            caption += zem::Format("  本页有 %d 节课的文字放不下，只印出了一部分（以“…”结尾），"
                                   "请减少每页的课表数或选用较短的格子内容",
                                   shortened);
    }
    SetCaption(caption);
}

void CPrintPreviewDlg::OnCommand(int id)
{
    switch (id) {
    case ID_CLOSE:
        EndDialog(zem::IDCANCEL);
        return;
    case ID_FIRST_PAGE:
        m_currentPage = 1;
        EnablePaging(false, m_pageCount > 1);
        return ShowPage();
    case ID_PREVIOUS_PAGE:
        m_currentPage = std::max(1, m_currentPage - 1);
        EnablePaging(m_currentPage > 1, true);
        return ShowPage();
    case ID_NEXT_PAGE:
        m_currentPage = std::min(m_pageCount, m_currentPage + 1);
        EnablePaging(true, m_currentPage < m_pageCount);
        return ShowPage();
    case ID_LAST_PAGE:
        m_currentPage = std::max(1, m_pageCount);
        EnablePaging(m_currentPage > 1, false);
        return ShowPage();
    case ID_PAGE_SETTINGS:
        return m_pageWnd->ShowChild(0);
    case ID_BANNERS:
        return m_pageWnd->ShowChild(1);
    case ID_PRINT:
        return m_pageWnd->Print();
    case ID_EXPORT:
        return m_pageWnd->Export();
    default:
        Dialog::OnCommand(id);
    }
}

zem::LRESULT CPrintPreviewDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM)
{
    if (message != WM_PRINT_SETTINGS_CHANGED || !m_pageWnd)
        return 0;
    if (wParam != 0) {
        m_pageCount = m_sheet->GetPageCount();
        m_currentPage = 1;
        m_pageWnd->SetPages(m_pageCount, m_currentPage);
        m_pageWnd->RecalcLayout();
        OnCommand(ID_FIRST_PAGE);
    } else {
        m_pageWnd->RecalcLayout();
        UpdateCaption();
    }
    return 0;
}

void CPrintPreviewDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(60, 70, 120));
}

void CPrintPreviewDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    PlacePageWnd();
}
