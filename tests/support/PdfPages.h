#pragma once
// Reads back a printed PDF with poppler's command-line tools, so that tests check the file a user
// would get, not the drawing calls that made it.
#include <map>
#include <string>
#include <utility>
#include <vector>

struct PdfWord {
    std::string text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // points from the page's top left
};

// Words that share a baseline, left to right.
struct PdfLine {
    std::string text;  // the words joined without blanks
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

struct PdfPage {
    double width = 0, height = 0;  // points
    std::vector<PdfWord> words;    // in reading order
    std::vector<PdfLine> Lines() const;
};

// The fields pdfinfo reports ("Pages", "Title", ...); empty when the file cannot be read.
std::map<std::string, std::string> PdfInfo(const std::string& path);
// Every page's words with their boxes (pdftotext -bbox).
std::vector<PdfPage> ReadPdfPages(const std::string& path);
// How many images the page (from 1) draws (pdfimages -list); -1 when the file cannot be read.
int PdfImageCount(const std::string& pdf, int page);
// Renders one page (from 1) to `png` (pdftoppm); false when that fails.
bool RenderPage(const std::string& pdf, int page, const std::string& png, int dpi = 100);
// The lowest row of the rendered page that holds a dark pixel, in points from the top; -1 when none.
double LowestInk(const std::string& pdf, int page);
// Pairs of words of the page whose boxes overlap by more than `slack` points across and by more
// than a third of the lower one's height: text that ran out of its cell or line into another's,
// as clipped or crowded text does.
std::vector<std::pair<PdfWord, PdfWord>> OverlappingWords(const PdfPage& page, double slack = 0.5);
