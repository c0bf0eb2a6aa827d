#pragma once
// A printer job that prints plain text lines and ruled tables of text cells straight to a printer,
// page after page. The list pages print their lists with it. Everything is in device pixels of the
// chosen printer, except the top margin and the line spacing, which are points.
#include "app/controls/PdfAside.h"
#include "platform/gui/DC.h"
#include "platform/gui/Font.h"
#include "platform/Gdi.h"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QPrinter;

class CPrinterJob {
public:
    // Flags of PrintText and PrintTable.
    static constexpr int kCenter = 1;
    static constexpr int kRight = 4;
    static constexpr int kNoAdvance = 8;

    // Values of the error field.
    static constexpr int kErrorNoDevice = 8;
    static constexpr int kErrorNoPage = 7;

    static constexpr int kMaxFontSets = 10;

    CPrinterJob();
    ~CPrinterJob();
    CPrinterJob(const CPrinterJob&) = delete;
    CPrinterJob& operator=(const CPrinterJob&) = delete;

    // Called once per job. With a device name: that printer, or the PDF file that a name ending in
    // ".pdf" names. Without: the print dialog. 0 when the job has its printer, -1 when the user
    // cancels or the printer cannot be used.
    int SelectPrinter(std::string_view device = {}, int copies = 1);
    // 1 portrait, 2 landscape; other values are ignored.
    void SetOrientation(int orientation);

    // Each returns 0, or -1 after telling the user that printing failed. Once a job has failed, every
    // later step returns -1 without a further message.
    int StartDoc();
    int StartPage();
    int EndPage();
    int EndDoc();

    // Top in points, the others in device pixels; -1 keeps a value. Puts the print position at the
    // top margin.
    void SetMargins(int top, int bottom, int left, int right);
    void SetLineSpacing(int points);

    // Header and body fonts of the face, each normal and bold; the set's index, -1 when ten sets exist.
    int AddFontSet(std::string_view face, int headerSize, int bodySize);
    void SelectFontSet(int set);
    // Font 0 header, 1 header bold, 2 body, 3 body bold.
    void SelectFont(int set, int font);
    // The list pages' form: the body font of the set, bold or not.
    void SelectFont(int set, bool bold) { SelectFont(set, bold ? 3 : 2); }

    int SkipLines(int set, int count);
    zem::Size GetPageSize() const { return {m_pageWidth, m_pageHeight}; }
    zem::Rect GetPrintRect() const { return m_printRect; }
    void SetPrintPosition(int y) { m_y = y; }
    // The list pages' name for setting the print position.
    void SetLineHeight(int y) { SetPrintPosition(y); }

    // Column widths in device pixels; a count beyond the widths given gets columns of width 0.
    void SetColumns(int count, std::span<const int> widths);
    void SetColumnCount(int count);
    void SetColumnGap(int pixels) { m_columnGap = pixels; }
    // The gap now in force; half of it insets a cell's text on either side.
    int GetColumnGap() const { return m_columnGap; }
    void SetHorizontalLines(bool on) { m_horizontalLines = on; }
    void SetVerticalLines(bool on) { m_verticalLines = on; }
    void SetPenWidth(int pixels) { m_penWidth = pixels; }
    // 1 centres the table on the page, 4 right-aligns it, other values left-align it.
    void SetTableAlign(int align) { m_tableAlign = align; }

    // The list pages number the table options; this is the one place their numbers are mapped.
    void SetOption1(int value) { SetColumnGap(value); }
    void SetOption2(int value) { SetHorizontalLines(value != 0); }
    void SetOption3(int value) { SetVerticalLines(value != 0); }
    void SetOption4(int value) { SetPenWidth(value); }
    void SetOption5(int value) { SetTableAlign(value); }

    // One text, wrapped over as many lines as it needs. 0, or -1 when nothing more can be printed.
    int PrintText(int set, std::string_view text, int flags = 0, int offset = 0);
    // One table row, its cells separated by "|"; cells past the column count are left out.
    int PrintTable(int set, std::string_view row, int flags = 0);

    int GetError() const { return m_error; }
    int GetCopies() const { return m_copies; }

private:
    bool Usable() const;
    int Fail(int error = 0);
    int TopInPixels() const;
    int SpacingInPixels() const;
    int DpiY() const;
    void ApplyFontSet(int set);
    // Ends the page and starts the next when a line of the height does not fit below the print
    // position. False when the job failed, also when the line cannot fit on any page.
    bool BreakPageFor(int lineHeight);
    void DrawTextAt(std::string_view text, int x, int y, int height);
    void DrawRule(int x0, int y0, int x1, int y1);
    void DiscardOutput();

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<zem::gui::DC> m_dc;
    std::string m_pdfTarget;  // the PDF file the printout replaces when it succeeds
    CPdfAside m_pdfAside;     // where it is written until then
    bool m_failed = false;
    bool m_pageOpen = false;
    int m_pagesStarted = 0;

    int m_copies = 1;
    int m_error = 0;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginBottom = 0;
    int m_marginTop = 0;  // points
    int m_y = 0;
    int m_lineSpacing = 0;  // points
    std::array<std::array<std::optional<zem::gui::Font>, 4>, kMaxFontSets> m_fontSets;
    int m_fontSetCount = 0;
    int m_currentFontSet = -1;
    std::array<int, kMaxFontSets> m_selectedFont;
    int m_pageNumber = 0;
    bool m_inPageBreak = false;
    int m_columnCount = 0;
    std::vector<int> m_columnWidths;
    int m_columnGap = 50;
    bool m_horizontalLines = false;
    bool m_verticalLines = false;
    int m_penWidth = 0;
    int m_tableAlign = 2;
    zem::Rect m_printRect;
};
