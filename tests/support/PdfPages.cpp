#include "support/PdfPages.h"

#include <pugixml.hpp>

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

}  // namespace

std::vector<PdfLine> PdfPage::Lines() const
{
    std::vector<PdfLine> lines;
    for (const PdfWord& word : words) {
        // Words of one line share their box's bottom within a fraction of a point.
        auto line = std::find_if(lines.begin(), lines.end(),
                                 [&](const PdfLine& l) { return std::abs(l.yMax - word.yMax) < 1.0; });
        if (line == lines.end()) {
            lines.push_back({word.text, word.xMin, word.yMin, word.xMax, word.yMax});
            continue;
        }
        line->text += word.text;
        line->xMin = std::min(line->xMin, word.xMin);
        line->xMax = std::max(line->xMax, word.xMax);
        line->yMin = std::min(line->yMin, word.yMin);
    }
    std::stable_sort(lines.begin(), lines.end(), [](const PdfLine& a, const PdfLine& b) { return a.yMax < b.yMax; });
    return lines;
}

std::map<std::string, std::string> PdfInfo(const std::string& path)
{
    std::map<std::string, std::string> fields;
    const std::string output = RunCommand("pdfinfo " + Quote(path) + " 2>/dev/null");
    std::size_t pos = 0;
    while (pos < output.size()) {
        std::size_t end = output.find('\n', pos);
        if (end == std::string::npos)
            end = output.size();
        const std::string line = output.substr(pos, end - pos);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::size_t value = line.find_first_not_of(' ', colon + 1);
            fields[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
        }
        pos = end + 1;
    }
    return fields;
}

std::vector<PdfPage> ReadPdfPages(const std::string& path)
{
    std::vector<PdfPage> pages;
    const std::string html = RunCommand("pdftotext -bbox " + Quote(path) + " - 2>/dev/null");
    pugi::xml_document document;
    if (!document.load_string(html.c_str()))
        return pages;
    for (const pugi::xpath_node& p : document.select_nodes("//page")) {
        PdfPage page;
        page.width = p.node().attribute("width").as_double();
        page.height = p.node().attribute("height").as_double();
        for (const pugi::xml_node& w : p.node().children("word"))
            page.words.push_back({w.text().as_string(), w.attribute("xMin").as_double(),
                                  w.attribute("yMin").as_double(), w.attribute("xMax").as_double(),
                                  w.attribute("yMax").as_double()});
        pages.push_back(std::move(page));
    }
    return pages;
}

bool RenderPage(const std::string& pdf, int page, const std::string& png, int dpi)
{
    std::string root = png;
    if (root.size() > 4 && root.compare(root.size() - 4, 4, ".png") == 0)
        root.resize(root.size() - 4);
    const std::string command = "pdftoppm -png -singlefile -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + Quote(pdf) +
                                " " + Quote(root) + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

int PdfImageCount(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    const std::string output =
        RunCommand("pdfimages -list -f " + p + " -l " + p + " " + Quote(pdf) + " 2>/dev/null");
    // Two heading lines, then one line per image.
    if (output.empty())
        return -1;
    const long lines = std::count(output.begin(), output.end(), '\n');
    return static_cast<int>(std::max(0L, lines - 2));
}

double LowestInk(const std::string& pdf, int page)
{
    constexpr int kDpi = 144;
    const std::string png = pdf + ".page" + std::to_string(page) + ".png";
    if (!RenderPage(pdf, page, png, kDpi))
        return -1;
    const QImage image(QString::fromStdString(png));
    std::remove(png.c_str());
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                return (y + 1) * 72.0 / kDpi;
        }
    }
    return -1;
}

std::vector<std::pair<PdfWord, PdfWord>> OverlappingWords(const PdfPage& page, double slack)
{
    std::vector<std::pair<PdfWord, PdfWord>> overlaps;
    for (std::size_t i = 0; i < page.words.size(); ++i) {
        for (std::size_t j = i + 1; j < page.words.size(); ++j) {
            const PdfWord& a = page.words[i];
            const PdfWord& b = page.words[j];
            // A word's box holds the font's whole ascent and descent, so the lines of one cell
            // touch; text that ran into another's place covers a good part of it.
            const double across = std::min(a.xMax, b.xMax) - std::max(a.xMin, b.xMin);
            const double down = std::min(a.yMax, b.yMax) - std::max(a.yMin, b.yMin);
            const double lower = std::min(a.yMax - a.yMin, b.yMax - b.yMin);
            if (across > slack && down > std::max(slack, lower * 0.3))
                overlaps.emplace_back(a, b);
        }
    }
    return overlaps;
}
