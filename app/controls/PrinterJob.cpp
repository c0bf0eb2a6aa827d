#include "app/controls/PrinterJob.h"

#include "platform/Hooks.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/QtText.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <numeric>

using zem::Rect;

namespace {

// The document is named after the program's title.
constexpr const char* kDocumentName = "Tavelin";
constexpr const char* kPrintFailed = "打印失败!";

// A text shorter than this many characters past a line's last blank moves to the next line whole.
constexpr int kWordBreakReach = 20;

bool NamesPdfFile(std::string_view device)
{
    constexpr std::string_view suffix = ".pdf";
    if (device.size() <= suffix.size())
        return false;
    const std::string_view end = device.substr(device.size() - suffix.size());
    return std::equal(end.begin(), end.end(), suffix.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

int CharLength(const QString& text, qsizetype pos)
{
    return (text[pos].isHighSurrogate() && pos + 1 < text.size()) ? 2 : 1;
}

// Breaks a text into lines narrower than `width`, each holding at least one character, so that the
// whole text is used up whatever its characters measure.
std::vector<QString> BreakLines(const QString& text, const QFontMetrics& metrics, int width)
{
    std::vector<QString> lines;
    const qsizetype length = text.size();
    qsizetype pos = 0;
    while (pos < length) {
        const QString rest = text.mid(pos);
        if (metrics.horizontalAdvance(rest) <= width) {
            lines.push_back(rest);
            break;
        }
        qsizetype end = pos + CharLength(text, pos);
        while (end < length) {
            const qsizetype next = end + CharLength(text, end);
            if (metrics.horizontalAdvance(text.mid(pos, next - pos)) >= width)
                break;
            end = next;
        }
        if (end < length && text[end - 1] != u' ') {
            const qsizetype blank = text.lastIndexOf(u' ', end - 1);
            if (blank >= pos && end - blank <= kWordBreakReach)
                end = blank + 1;
        }
        lines.push_back(text.mid(pos, end - pos));
        pos = end;
    }
    if (lines.empty())
        lines.emplace_back();
    return lines;
}

}  // namespace

CPrinterJob::CPrinterJob()
{
    m_selectedFont.fill(-1);
}

CPrinterJob::~CPrinterJob()
{
    // A job dropped before its document ended leaves no half printout behind.
    DiscardOutput();
}

int CPrinterJob::SelectPrinter(std::string_view device, int copies)
{
    if (m_failed || m_dc)
        return -1;
    m_copies = std::max(1, copies);
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (device.empty()) {
        if (!zem::gui::RunPrintDialog(*printer))
            return -1;
        m_copies = printer->copyCount();
        if (printer->outputFormat() == QPrinter::PdfFormat) {
            m_pdfTarget = printer->outputFileName().toStdString();
            if (m_pdfTarget.empty())
                return Fail(kErrorNoDevice);
            PrepareForPdf(*printer);
        }
    } else if (NamesPdfFile(device)) {
        m_pdfTarget = std::string(device);
        PrepareForPdf(*printer);
        printer->setPageSize(QPageSize(QPageSize::A4));
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(zem::gui::ToQ(device));
        if (info.isNull())
            return Fail(kErrorNoDevice);
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        printer->setCopyCount(m_copies);
    }
    m_printer = std::move(printer);
    return 0;
}

void CPrinterJob::SetOrientation(int orientation)
{
    if (!m_printer || (orientation != 1 && orientation != 2))
        return;
    m_printer->setPageOrientation(orientation == 1 ? QPageLayout::Portrait : QPageLayout::Landscape);
}

int CPrinterJob::StartDoc()
{
    if (m_failed)
        return -1;
    if (!m_printer)
        return Fail(kErrorNoDevice);
    if (m_dc)
        return 0;
    if (!m_pdfTarget.empty() && !m_pdfAside.Begin(*m_printer, m_pdfTarget))
        return Fail();
    m_printer->setDocName(zem::gui::ToQ(kDocumentName));
    m_dc = std::make_unique<zem::gui::DC>(m_printer.get());
    if (!m_dc->IsActive())
        return Fail();
    m_pageWidth = m_printer->width();
    m_pageHeight = m_printer->height();
    m_pageOpen = false;
    m_pagesStarted = 0;
    return 0;
}

int CPrinterJob::StartPage()
{
    if (m_failed)
        return -1;
    if (!m_dc)
        return Fail(kErrorNoPage);
    // The document's first page begins with it; every later one is asked for.
    if (m_pagesStarted > 0 && !m_printer->newPage())
        return Fail(kErrorNoPage);
    ++m_pagesStarted;
    m_pageOpen = true;
    m_dc->SetClipRect(Rect(0, 0, m_pageWidth, m_pageHeight));
    m_y = TopInPixels();
    return 0;
}

int CPrinterJob::EndPage()
{
    if (m_failed)
        return -1;
    if (!m_dc || !m_pageOpen)
        return Fail();
    m_pageOpen = false;
    return 0;
}

int CPrinterJob::EndDoc()
{
    if (m_failed)
        return -1;
    if (!m_dc)
        return Fail();
    m_pageOpen = false;
    const bool ended = m_dc->End();
    m_dc.reset();
    if (!ended || m_printer->printerState() == QPrinter::Error)
        return Fail();
    if (!m_pdfAside.Commit())
        return Fail();
    return 0;
}

void CPrinterJob::SetMargins(int top, int bottom, int left, int right)
{
    if (top != -1)
        m_marginTop = top;
    if (bottom != -1)
        m_marginBottom = bottom;
    if (left != -1)
        m_marginLeft = left;
    if (right != -1)
        m_marginRight = right;
    m_y = TopInPixels();
}

void CPrinterJob::SetLineSpacing(int points)
{
    m_lineSpacing = points;
}

int CPrinterJob::AddFontSet(std::string_view face, int headerSize, int bodySize)
{
    if (m_fontSetCount >= kMaxFontSets)
        return -1;
    const int set = m_fontSetCount++;
    const int dpi = DpiY();
    const int sizes[2] = {headerSize, bodySize};
    for (int part = 0; part < 2; ++part) {
        const int pixels = std::max(1, sizes[part] * dpi / 72);
        for (int bold = 0; bold < 2; ++bold)
            m_fontSets[set][part * 2 + bold].emplace(
                zem::LogFont{-pixels, bold ? 700 : 400, false, false, std::string(face)});
    }
    m_currentFontSet = set;
    m_selectedFont[set] = 0;
    return set;
}

void CPrinterJob::SelectFontSet(int set)
{
    if (set >= 0 && set < m_fontSetCount)
        m_currentFontSet = set;
}

void CPrinterJob::SelectFont(int set, int font)
{
    if (set < 0 || set >= m_fontSetCount || font < 0 || font > 3)
        return;
    m_selectedFont[set] = font;
    m_currentFontSet = set;
}

int CPrinterJob::SkipLines(int set, int count)
{
    for (int i = 0; i < count; ++i) {
        if (PrintText(set, {}) != 0)
            return -1;
    }
    return 0;
}

void CPrinterJob::SetColumns(int count, std::span<const int> widths)
{
    SetColumnCount(count);
    for (int i = 0; i < m_columnCount && i < static_cast<int>(widths.size()); ++i)
        m_columnWidths[i] = std::max(0, widths[i]);
}

void CPrinterJob::SetColumnCount(int count)
{
    m_columnCount = std::max(0, count);
    m_columnWidths.resize(m_columnCount, 0);
}

int CPrinterJob::PrintText(int set, std::string_view text, int flags, int offset)
{
    if (!Usable())
        return Fail();
    ApplyFontSet(set);
    if (m_pageNumber == 0)
        m_pageNumber = 1;
    const int width = m_pageWidth - m_marginRight - m_marginLeft;
    if (width <= 0)
        return Fail();  // nothing fits between the margins

    const QFontMetrics metrics = m_dc->Painter().fontMetrics();
    const std::vector<QString> lines =
        BreakLines(zem::gui::ToQ(text), metrics, width);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // An empty text still takes the height of a line.
        const int textWidth = metrics.horizontalAdvance(lines[i].isEmpty() ? QStringLiteral(" ") : lines[i]);
        const int height = metrics.height();
        // A wrapped text is centred or right-aligned line by line.
        int x = m_marginLeft;
        if (flags & kCenter)
            x = m_marginLeft + width / 2 - textWidth / 2;
        else if (flags & kRight)
            x = m_marginLeft + width - textWidth;
        x += offset;
        if (!BreakPageFor(height))
            return -1;
        DrawTextAt(lines[i].toStdString(), x, m_y, height);
        // The lines of one text never overprint each other; "do not advance" holds after the last.
        if (i + 1 < lines.size() || !(flags & kNoAdvance))
            m_y += SpacingInPixels() + height;
    }
    return 0;
}

int CPrinterJob::PrintTable(int set, std::string_view row, int flags)
{
    if (!Usable())
        return Fail();
    ApplyFontSet(set);
    if (m_pageNumber == 0)
        m_pageNumber = 1;
    if (m_columnCount == 0)
        return 0;

    // A "|" inside a cell's text makes more cells than columns: those past the last column are left
    // out, and missing ones are printed empty.
    std::vector<std::string_view> cells(m_columnCount);
    for (int i = 0; i < m_columnCount; ++i) {
        const std::size_t bar = row.find('|');
        cells[i] = row.substr(0, bar);
        if (bar == std::string_view::npos)
            break;
        row.remove_prefix(bar + 1);
    }

    const int total = std::accumulate(m_columnWidths.begin(), m_columnWidths.end(), 0);
    const int area = m_pageWidth - m_marginRight - m_marginLeft;
    int offset = 0;
    if (m_tableAlign == 1)
        offset = area / 2 - total / 2 - (m_columnCount * m_columnGap - m_columnGap / 4) / 2;
    else if (m_tableAlign == 4)
        offset = m_columnGap / 4 + m_pageWidth - m_columnCount * m_columnGap - total - m_marginRight - m_marginLeft;

    const QFontMetrics metrics = m_dc->Painter().fontMetrics();
    const int height = metrics.height();
    if (!BreakPageFor(height))
        return -1;
    const int spacing = SpacingInPixels();
    const Rect page(0, 0, m_pageWidth, m_pageHeight);

    int g = m_marginLeft + offset;
    for (int i = 0; i < m_columnCount; ++i) {
        const int cw = m_columnWidths[i];
        const std::string_view text = cells[i];
        const int textWidth = metrics.horizontalAdvance(text.empty() ? QStringLiteral(" ") : zem::gui::ToQ(text));
        int x = g;
        if (textWidth < cw) {
            if (flags & kCenter)
                x = g + cw / 2 - textWidth / 2;
            else if (flags & kRight)
                x = g + cw - textWidth;
        }
        const int shift = i > 0 ? m_columnGap : (m_tableAlign == 2 && !m_verticalLines ? 0 : m_columnGap / 4);
        x += shift;
        g += shift;

        m_dc->SetClipRect(Rect(std::max(page.left, g - m_columnGap / 2), std::max(page.top, m_y),
                              std::min(page.right, g + cw + m_columnGap / 2),
                              std::min(page.bottom, m_y + spacing + height)));
        DrawTextAt(text, x, m_y, height);
        m_dc->SetClipRect(page);

        if (m_verticalLines) {
            const int left = i == 0 ? g - m_columnGap / 4 : g - m_columnGap / 2;
            DrawRule(left, m_y - spacing, left, m_y + spacing + height);
            DrawRule(g + cw + m_columnGap / 2, m_y - spacing, g + cw + m_columnGap / 2, m_y + spacing + height);
        }
        g += cw;
    }

    if (m_horizontalLines) {
        const int x0 = m_marginLeft + offset;
        const int x1 = x0 + m_columnCount * m_columnGap + total - m_columnGap / 4;
        DrawRule(x0, m_y - spacing, x1, m_y - spacing);
        DrawRule(x0, m_y + spacing + height, x1, m_y + spacing + height);
        m_y += spacing + height + spacing;
    } else if (!(flags & kNoAdvance)) {
        m_y += spacing + height;
    }
    return 0;
}

bool CPrinterJob::Usable() const
{
    return !m_failed && m_dc && m_dc->IsActive();
}

int CPrinterJob::Fail(int error)
{
    if (!m_failed) {
        m_failed = true;
        if (error != 0)
            m_error = error;
        zem::ShowMessage(m_pdfAside.FailureText(kPrintFailed));
    }
    DiscardOutput();
    return -1;
}

int CPrinterJob::TopInPixels() const
{
    return m_marginTop * DpiY() / 72;
}

int CPrinterJob::SpacingInPixels() const
{
    // A negative spacing would stack lines on each other.
    return std::max(0, m_lineSpacing * DpiY() / 72);
}

int CPrinterJob::DpiY() const
{
    return m_printer ? m_printer->resolution() : 96;
}

void CPrinterJob::ApplyFontSet(int set)
{
    SelectFontSet(set);
    if (m_currentFontSet < 0)
        return;
    const int font = std::max(0, m_selectedFont[m_currentFontSet]);
    m_dc->SelectFont(*m_fontSets[m_currentFontSet][font]);
}

bool CPrinterJob::BreakPageFor(int lineHeight)
{
    if (m_inPageBreak)
        return true;
    if (!m_pageOpen && StartPage() != 0)
        return false;
    const int spacing = SpacingInPixels();
    const int bottom = m_pageHeight - m_marginBottom;
    if (bottom >= spacing + m_y + lineHeight)
        return true;
    // A line that does not fit on an empty page would break pages for ever or print off the page.
    if (bottom < spacing + TopInPixels() + lineHeight) {
        Fail();
        return false;
    }
    m_inPageBreak = true;
    const bool broken = EndPage() == 0 && StartPage() == 0;
    m_inPageBreak = false;
    if (broken)
        ++m_pageNumber;
    return broken;
}

void CPrinterJob::DrawTextAt(std::string_view text, int x, int y, int height)
{
    m_dc->DrawText(text, Rect(x, y, x + m_pageWidth, y + height),
                  zem::gui::DT_SINGLELINE | zem::gui::DT_NOCLIP | zem::gui::DT_NOPREFIX);
}

void CPrinterJob::DrawRule(int x0, int y0, int x1, int y1)
{
    // A rule is a pen's width thick, centred on its line.
    const int width = std::max(1, m_penWidth);
    if (y0 == y1)
        m_dc->FillSolidRect(Rect(x0 - width / 2, y0 - width / 2, x1 + (width + 1) / 2, y0 + (width + 1) / 2), 0);
    else
        m_dc->FillSolidRect(Rect(x0 - width / 2, y0 - width / 2, x0 + (width + 1) / 2, y1 + (width + 1) / 2), 0);
}

void CPrinterJob::DiscardOutput()
{
    if (m_dc) {
        if (m_dc->IsActive())
            m_printer->abort();
        m_dc.reset();
    }
    m_pageOpen = false;
    m_pdfAside.Discard();
}
