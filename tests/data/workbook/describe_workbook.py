#!/usr/bin/env python3
"""Prints what an independent reader sees in a workbook: its sheets, the merged areas of the first,
and the value, font, fill and format of each of its cells that has a value or a fill; with a reader
that keeps the fonts of parts of a text, a "runs" line for each such cell."""
import sys

import openpyxl


def fill_of(cell):
    fill = cell.fill
    if fill is None or fill.fill_type != "solid":
        return "None"
    return str(fill.fgColor.rgb)


def main():
    try:
        book = openpyxl.load_workbook(sys.argv[1], rich_text=True)
    except TypeError:
        book = openpyxl.load_workbook(sys.argv[1])
    print("sheets %s active %s" % ("|".join(book.sheetnames), book.active.title))
    first = book.worksheets[0]
    print("merged " + " ".join(sorted(str(r) for r in first.merged_cells.ranges)))
    for row in first.iter_rows():
        for cell in row:
            if cell.value is None and fill_of(cell) == "None":
                continue
            font = cell.font
            value = cell.value if cell.value is None or isinstance(cell.value, (int, float)) else str(cell.value)
            line = "%s %r %s %s bold=%s fill=%s format=%s" % (cell.coordinate, value, font.name, font.sz,
                                                             bool(font.b), fill_of(cell), cell.number_format)
            print(line)
            if hasattr(cell.value, "as_list") and not isinstance(cell.value, str):
                runs = [(getattr(p, "font", None) and p.font.rFont, getattr(p, "font", None) and p.font.sz,
                         getattr(p, "text", p)) for p in cell.value]
                print("runs %s %r" % (cell.coordinate, runs))
    second = book.worksheets[1]
    print("Sheet2 A1 %r B2 %r" % (second["A1"].value, second["B2"].value))


if __name__ == "__main__":
    main()
