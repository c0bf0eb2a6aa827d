#include "app/output/PrinterJob.h"

#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/gui/Desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <numeric>

using zem::Rect;

namespace {

// The document is named after the program's title.
constexpr const char* kDocumentName = "Tavelin";
constexpr const char* kPrintFailed = "打印失败!";

// The list pages give margins and gaps in pixels of a typical office printer; a PDF file gets that
// resolution so that its pages look like theirs.
constexpr int kPdfResolution = 600;

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

// A file has no unprintable edge: its pages are drawn from the paper's corner.
void PrepareForPdf(QPrinter& printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(kPdfResolution);
    printer.setFullPage(true);
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
    selectedFont_.fill(-1);
}

CPrinterJob::~CPrinterJob()
{
    // A job dropped before its document ended leaves no half printout behind.
    DiscardOutput();
}

int CPrinterJob::SelectPrinter(std::string_view device, int copies)
{
    if (failed_ || dc_)
        return -1;
    copies_ = std::max(1, copies);
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (device.empty()) {
        if (!zem::gui::RunPrintDialog(*printer))
            return -1;
        copies_ = printer->copyCount();
        if (printer->outputFormat() == QPrinter::PdfFormat) {
            pdfTarget_ = printer->outputFileName().toStdString();
            if (pdfTarget_.empty())
                return Fail(kErrorNoDevice);
            PrepareForPdf(*printer);
        }
    } else if (NamesPdfFile(device)) {
        pdfTarget_ = std::string(device);
        PrepareForPdf(*printer);
        printer->setPageSize(QPageSize(QPageSize::A4));
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromUtf8(device.data(), device.size()));
        if (info.isNull())
            return Fail(kErrorNoDevice);
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        printer->setCopyCount(copies_);
    }
    printer_ = std::move(printer);
    return 0;
}

void CPrinterJob::SetOrientation(int orientation)
{
    if (!printer_ || (orientation != 1 && orientation != 2))
        return;
    printer_->setPageOrientation(orientation == 1 ? QPageLayout::Portrait : QPageLayout::Landscape);
}

int CPrinterJob::StartDoc()
{
    if (failed_)
        return -1;
    if (!printer_)
        return Fail(kErrorNoDevice);
    if (dc_)
        return 0;
    if (!pdfTarget_.empty()) {
        // Written aside and saved over the target when complete, so that a failed printout never
        // replaces a good file.
        const QFileInfo target(QString::fromStdString(pdfTarget_));
        if (!zem::FolderExists(target.absolutePath().toStdString()))
            return Fail();
        pdfTemp_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/zem-print-XXXXXX.pdf");
        if (!pdfTemp_->open())
            return Fail();
        pdfTemp_->close();
        printer_->setOutputFileName(pdfTemp_->fileName());
    }
    printer_->setDocName(QString::fromUtf8(kDocumentName));
    dc_ = std::make_unique<zem::gui::DC>(printer_.get());
    if (!dc_->IsActive())
        return Fail();
    pageWidth_ = printer_->width();
    pageHeight_ = printer_->height();
    pageOpen_ = false;
    pagesStarted_ = 0;
    return 0;
}

int CPrinterJob::StartPage()
{
    if (failed_)
        return -1;
    if (!dc_)
        return Fail(kErrorNoPage);
    // The document's first page begins with it; every later one is asked for.
    if (pagesStarted_ > 0 && !printer_->newPage())
        return Fail(kErrorNoPage);
    ++pagesStarted_;
    pageOpen_ = true;
    dc_->SetClipRect(Rect(0, 0, pageWidth_, pageHeight_));
    y_ = TopInPixels();
    return 0;
}

int CPrinterJob::EndPage()
{
    if (failed_)
        return -1;
    if (!dc_ || !pageOpen_)
        return Fail();
    pageOpen_ = false;
    return 0;
}

int CPrinterJob::EndDoc()
{
    if (failed_)
        return -1;
    if (!dc_)
        return Fail();
    pageOpen_ = false;
    const bool ended = dc_->End();
    dc_.reset();
    if (!ended || printer_->printerState() == QPrinter::Error)
        return Fail();
    if (pdfTemp_) {
        std::string bytes;
        if (!zem::ReadFileBytes(pdfTemp_->fileName().toStdString(), bytes) || bytes.empty() ||
            !zem::WriteFileAtomic(pdfTarget_, bytes))
            return Fail();
        pdfTemp_.reset();
    }
    return 0;
}

void CPrinterJob::SetMargins(int top, int bottom, int left, int right)
{
    if (top != -1)
        marginTop_ = top;
    if (bottom != -1)
        marginBottom_ = bottom;
    if (left != -1)
        marginLeft_ = left;
    if (right != -1)
        marginRight_ = right;
    y_ = TopInPixels();
}

void CPrinterJob::SetLineSpacing(int points)
{
    lineSpacing_ = points;
}

int CPrinterJob::AddFontSet(std::string_view face, int headerSize, int bodySize)
{
    if (fontSetCount_ >= kMaxFontSets)
        return -1;
    const int set = fontSetCount_++;
    const int dpi = DpiY();
    const int sizes[2] = {headerSize, bodySize};
    for (int part = 0; part < 2; ++part) {
        const int pixels = std::max(1, sizes[part] * dpi / 72);
        for (int bold = 0; bold < 2; ++bold)
            fontSets_[set][part * 2 + bold].emplace(
                zem::LogFont{-pixels, bold ? 700 : 400, false, false, std::string(face)});
    }
    currentFontSet_ = set;
    selectedFont_[set] = 0;
    return set;
}

void CPrinterJob::SelectFontSet(int set)
{
    if (set >= 0 && set < fontSetCount_)
        currentFontSet_ = set;
}

void CPrinterJob::SelectFont(int set, int font)
{
    if (set < 0 || set >= fontSetCount_ || font < 0 || font > 3)
        return;
    selectedFont_[set] = font;
    currentFontSet_ = set;
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
    for (int i = 0; i < columnCount_ && i < static_cast<int>(widths.size()); ++i)
        columnWidths_[i] = std::max(0, widths[i]);
}

void CPrinterJob::SetColumnCount(int count)
{
    columnCount_ = std::max(0, count);
    columnWidths_.resize(columnCount_, 0);
}

int CPrinterJob::PrintText(int set, std::string_view text, int flags, int offset)
{
    if (!Usable())
        return Fail();
    ApplyFontSet(set);
    if (pageNumber_ == 0)
        pageNumber_ = 1;
    const int width = pageWidth_ - marginRight_ - marginLeft_;
    if (width <= 0)
        return Fail();  // nothing fits between the margins

    const QFontMetrics metrics = dc_->Painter().fontMetrics();
    const std::vector<QString> lines =
        BreakLines(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), metrics, width);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // An empty text still takes the height of a line.
        const int textWidth = metrics.horizontalAdvance(lines[i].isEmpty() ? QStringLiteral(" ") : lines[i]);
        const int height = metrics.height();
        // A wrapped text is centred or right-aligned line by line.
        int x = marginLeft_;
        if (flags & kCenter)
            x = marginLeft_ + width / 2 - textWidth / 2;
        else if (flags & kRight)
            x = marginLeft_ + width - textWidth;
        x += offset;
        if (!BreakPageFor(height))
            return -1;
        DrawTextAt(lines[i].toStdString(), x, y_, height);
        // The lines of one text never overprint each other; "do not advance" holds after the last.
        if (i + 1 < lines.size() || !(flags & kNoAdvance))
            y_ += SpacingInPixels() + height;
    }
    return 0;
}

int CPrinterJob::PrintTable(int set, std::string_view row, int flags)
{
    if (!Usable())
        return Fail();
    ApplyFontSet(set);
    if (pageNumber_ == 0)
        pageNumber_ = 1;
    if (columnCount_ == 0)
        return 0;

    // A "|" inside a cell's text makes more cells than columns: those past the last column are left
    // out, and missing ones are printed empty.
    std::vector<std::string_view> cells(columnCount_);
    for (int i = 0; i < columnCount_; ++i) {
        const std::size_t bar = row.find('|');
        cells[i] = row.substr(0, bar);
        if (bar == std::string_view::npos)
            break;
        row.remove_prefix(bar + 1);
    }

    const int total = std::accumulate(columnWidths_.begin(), columnWidths_.end(), 0);
    const int area = pageWidth_ - marginRight_ - marginLeft_;
    int offset = 0;
    if (tableAlign_ == 1)
        offset = area / 2 - total / 2 - (columnCount_ * columnGap_ - columnGap_ / 4) / 2;
    else if (tableAlign_ == 4)
        offset = columnGap_ / 4 + pageWidth_ - columnCount_ * columnGap_ - total - marginRight_ - marginLeft_;

    const QFontMetrics metrics = dc_->Painter().fontMetrics();
    const int height = metrics.height();
    if (!BreakPageFor(height))
        return -1;
    const int spacing = SpacingInPixels();
    const Rect page(0, 0, pageWidth_, pageHeight_);

    int g = marginLeft_ + offset;
    for (int i = 0; i < columnCount_; ++i) {
        const int cw = columnWidths_[i];
        const std::string text(cells[i]);
        const int textWidth = metrics.horizontalAdvance(text.empty() ? QStringLiteral(" ") : QString::fromStdString(text));
        int x = g;
        if (textWidth < cw) {
            if (flags & kCenter)
                x = g + cw / 2 - textWidth / 2;
            else if (flags & kRight)
                x = g + cw - textWidth;
        }
        const int shift = i > 0 ? columnGap_ : (tableAlign_ == 2 && !verticalLines_ ? 0 : columnGap_ / 4);
        x += shift;
        g += shift;

        dc_->SetClipRect(Rect(std::max(page.left, g - columnGap_ / 2), std::max(page.top, y_),
                              std::min(page.right, g + cw + columnGap_ / 2),
                              std::min(page.bottom, y_ + spacing + height)));
        DrawTextAt(text, x, y_, height);
        dc_->SetClipRect(page);

        if (verticalLines_) {
            const int left = i == 0 ? g - columnGap_ / 4 : g - columnGap_ / 2;
            DrawRule(left, y_ - spacing, left, y_ + spacing + height);
            DrawRule(g + cw + columnGap_ / 2, y_ - spacing, g + cw + columnGap_ / 2, y_ + spacing + height);
        }
        g += cw;
    }

    if (horizontalLines_) {
        const int x0 = marginLeft_ + offset;
        const int x1 = x0 + columnCount_ * columnGap_ + total - columnGap_ / 4;
        DrawRule(x0, y_ - spacing, x1, y_ - spacing);
        DrawRule(x0, y_ + spacing + height, x1, y_ + spacing + height);
        y_ += spacing + height + spacing;
    } else if (!(flags & kNoAdvance)) {
        y_ += spacing + height;
    }
    return 0;
}

bool CPrinterJob::Usable() const
{
    return !failed_ && dc_ && dc_->IsActive();
}

int CPrinterJob::Fail(int error)
{
    if (!failed_) {
        failed_ = true;
        if (error != 0)
            error_ = error;
        zem::ShowMessage(kPrintFailed);
    }
    DiscardOutput();
    return -1;
}

int CPrinterJob::TopInPixels() const
{
    return marginTop_ * DpiY() / 72;
}

int CPrinterJob::SpacingInPixels() const
{
    // A negative spacing would stack lines on each other.
    return std::max(0, lineSpacing_ * DpiY() / 72);
}

int CPrinterJob::DpiY() const
{
    return printer_ ? printer_->resolution() : 96;
}

void CPrinterJob::ApplyFontSet(int set)
{
    SelectFontSet(set);
    if (currentFontSet_ < 0)
        return;
    const int font = std::max(0, selectedFont_[currentFontSet_]);
    dc_->SelectFont(*fontSets_[currentFontSet_][font]);
}

bool CPrinterJob::BreakPageFor(int lineHeight)
{
    if (inPageBreak_)
        return true;
    if (!pageOpen_ && StartPage() != 0)
        return false;
    const int spacing = SpacingInPixels();
    const int bottom = pageHeight_ - marginBottom_;
    if (bottom >= spacing + y_ + lineHeight)
        return true;
    // A line that does not fit on an empty page would break pages for ever or print off the page.
    if (bottom < spacing + TopInPixels() + lineHeight) {
        Fail();
        return false;
    }
    inPageBreak_ = true;
    const bool broken = EndPage() == 0 && StartPage() == 0;
    inPageBreak_ = false;
    if (broken)
        ++pageNumber_;
    return broken;
}

void CPrinterJob::DrawTextAt(std::string_view text, int x, int y, int height)
{
    dc_->DrawText(text, Rect(x, y, x + pageWidth_, y + height),
                  zem::gui::DT_SINGLELINE | zem::gui::DT_NOCLIP | zem::gui::DT_NOPREFIX);
}

void CPrinterJob::DrawRule(int x0, int y0, int x1, int y1)
{
    // A rule is a pen's width thick, centred on its line.
    const int width = std::max(1, penWidth_);
    if (y0 == y1)
        dc_->FillSolidRect(Rect(x0 - width / 2, y0 - width / 2, x1 + (width + 1) / 2, y0 + (width + 1) / 2), 0);
    else
        dc_->FillSolidRect(Rect(x0 - width / 2, y0 - width / 2, x0 + (width + 1) / 2, y1 + (width + 1) / 2), 0);
}

void CPrinterJob::DiscardOutput()
{
    if (dc_) {
        if (dc_->IsActive())
            printer_->abort();
        dc_.reset();
    }
    pageOpen_ = false;
    pdfTemp_.reset();
}
