#pragma once
// Getting a written sheet ready for paper: rows tall enough for the lines of their cells, and the
// page setup the sheet's shape needs (the paper's way round, scaled to one page wide, the heading
// rows on every page, the used area as the print area, a page for each group of tables).
#include "app/output/workbook/Workbook.h"

#include <string>
#include <vector>

namespace zem::workbook {

// The texts of a page header, left, centre and right; plain text (the office's codes are escaped).
struct PageHeading {
    std::string left, centre, right;
};

// What the writer knows of how its sheet should print.
struct PrintShape {
    int titleFirstRow = 0;  // rows repeated on top of every page; 0: none
    int titleLastRow = 0;
    // Columns repeated at the left of every page when the sheet is too wide for one legible page
    // and prints over several pages across; 0: such a sheet is scaled to one page wide.
    int titleFirstColumn = 0;
    int titleLastColumn = 0;
    PageHeading heading;
    bool onePage = false;         // the whole sheet on one page
    std::vector<int> pageStarts;  // rows that start a page (the first page starts at row 1)
    // Rows that start a block a page should hold whole (a day, an object's rows): a sheet that
    // runs down over pages breaks only there, as many blocks on a page as fit.
    std::vector<int> blockStarts;

    // A list or grid whose heading rows head every page.
    static PrintShape Heading(int first, int last)
    {
        PrintShape shape;
        shape.titleFirstRow = first;
        shape.titleLastRow = last;
        return shape;
    }
    static PrintShape OnePage()
    {
        PrintShape shape;
        shape.onePage = true;
        return shape;
    }
};

// The height in points a cell's text needs: its lines, wrapped to `width` points, at the sizes of
// its fonts.
double TextHeightNeeded(const Cell& cell, const CellFormat& effective, double width);
// The width in points of columns first..last.
double ColumnsWidth(const Worksheet& sheet, int first, int last);
double RowHeight(const Worksheet& sheet, int row);

// Raises every row that is lower than its cells' lines need; never lowers one.
void FitRowsToText(Worksheet& sheet);
// Whether `columns` columns `characters` wide, their smallest text `size` points, print on one
// page across at a legible size; a wider sheet goes on over pages across.
bool FitsALegiblePageWide(int columns, double characters, double size);
// FitRowsToText, then the page setup of the shape.
void SetUpPrinting(Worksheet& sheet, const PrintShape& shape);

}  // namespace zem::workbook
