#include "app/output/PreviewPageWnd.h"

#include "app/controls/PdfAside.h"
#include "app/output/BannerSettingsDlg.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSettingsDlg.h"
#include "platform/gui/Desktop.h"

#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr QRgb kCanvasColor = qRgb(192, 192, 192);
constexpr int kScrollLine = 15;

// The printer chosen last in this session, offered again by the next print dialog.
struct ChosenPrinter {
    bool chosen = false;
    QPrinter::OutputFormat format = QPrinter::NativeFormat;
    QString printerName;
    QString fileName;
};

ChosenPrinter& LastPrinter()
{
    static ChosenPrinter printer;
    return printer;
}

}  // namespace

CPreviewPageWnd::CPreviewPageWnd(QWidget* parent, zem::MessageTarget* notify, CPrintSheet* sheet,
                                 const CPrintPageInfo& info)
    : QAbstractScrollArea(parent), m_notify(notify), m_sheet(sheet), m_info(info)
{
    setFrameShape(QFrame::NoFrame);
    horizontalScrollBar()->setSingleStep(kScrollLine);
    verticalScrollBar()->setSingleStep(kScrollLine);
    RecalcLayout();
}

CPreviewPageWnd::~CPreviewPageWnd() = default;

void CPreviewPageWnd::CreateChildren()
{
    if (!m_sheet->HasWeekPageSettings())
        return;
    m_settings = new CPrintSettingsDlg(this, m_notify, m_info.mode, m_info.temporary);
    m_settings->Create();
    m_settings->move(mapToGlobal(QPoint(10, 80)));
    m_settings->show();
    m_banner = new CBannerSettingsDlg(this, m_notify);
    m_banner->Create();
    const zem::Rect area = zem::gui::WorkArea();
    m_banner->move(area.left + area.Width() - m_banner->width() - 50, mapToGlobal(QPoint(0, 80)).y());
}

void CPreviewPageWnd::ShowChild(int which)
{
    QWidget* child = which == 0 ? static_cast<QWidget*>(m_settings) : static_cast<QWidget*>(m_banner);
    if (!child)
        return;
    child->show();
    child->raise();
}

void CPreviewPageWnd::SetPages(int pageCount, int currentPage)
{
    m_info.pageCount = pageCount;
    m_info.currentPage = currentPage;
    m_page = QImage();
}

void CPreviewPageWnd::RecalcLayout()
{
    CPageLayout& layout = m_sheet->GetPageLayout();
    layout.CalcPageRect(nullptr, m_info.temporary, &m_sheet->GetStructure());
    m_pageRect = layout.paperRect;
    m_topMargin = static_cast<int>(12 * layout.pxPerMmY);
    m_page = QImage();
    UpdateScrollRanges();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

QSize CPreviewPageWnd::CanvasSize() const
{
    return QSize(m_pageRect.Width() + 2 * m_topMargin, m_pageRect.Height() + 2 * m_topMargin);
}

void CPreviewPageWnd::UpdateScrollRanges()
{
    const QSize canvas = CanvasSize();
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, canvas.width() - client.width()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    verticalScrollBar()->setRange(0, std::max(0, canvas.height() - client.height()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
}

const QImage& CPreviewPageWnd::PageImage()
{
    if (m_page.isNull() && !m_pageRect.IsRectEmpty()) {
        int dpiX = 96, dpiY = 96;
        DeviceResolution(nullptr, &dpiX, &dpiY);
        m_page = QImage(m_pageRect.Width(), m_pageRect.Height(), QImage::Format_RGB32);
        // The page image has the screen's resolution, so that it is laid out as the screen is.
        m_page.setDotsPerMeterX(qRound(dpiX / 0.0254));
        m_page.setDotsPerMeterY(qRound(dpiY / 0.0254));
        m_page.fill(Qt::white);
        m_info.onScreen = true;
        m_sheet->Print(&m_page, m_info);
    }
    return m_page;
}

QPoint CPreviewPageWnd::PageOrigin() const
{
    const int canvasWidth = std::max(CanvasSize().width(), viewport()->width());
    return QPoint((canvasWidth - m_pageRect.Width()) / 2, m_topMargin);
}

void CPreviewPageWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(kCanvasColor));
    const QImage& page = PageImage();
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.drawImage(PageOrigin() - scroll, page);
}

void CPreviewPageWnd::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void CPreviewPageWnd::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CPreviewPageWnd::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    ChosenPrinter& last = LastPrinter();
    if (last.chosen) {
        printer.setOutputFormat(last.format);
        if (last.format == QPrinter::PdfFormat)
            printer.setOutputFileName(last.fileName);
        else
            printer.setPrinterName(last.printerName);
    }
    ApplyLayoutPaper(printer, m_sheet->GetPageLayout());
    if (!zem::gui::RunPrintDialog(printer))
        return;
    last = {true, printer.outputFormat(), printer.printerName(), printer.outputFileName()};
    // The pages are laid out on the layout's paper, whatever the dialog was left at.
    ApplyLayoutPaper(printer, m_sheet->GetPageLayout());
    if (printer.outputFormat() == QPrinter::PdfFormat)
        PrepareForPdf(printer);
    else
        printer.setFullPage(true);
    m_info.onScreen = false;
    m_sheet->Print(&printer, m_info);
    m_info.onScreen = true;
}

void CPreviewPageWnd::Export()
{
    m_sheet->Export(m_info);
}
