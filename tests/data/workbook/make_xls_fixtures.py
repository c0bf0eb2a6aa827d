#!/usr/bin/env python3
"""Writes the .xls fixtures of the workbook reader tests (run once; the files are committed).

No C library on the machine writes .xls files, so this holds the least writer of the old binary
format the fixtures need: a compound file with one "Workbook" stream of BIFF8 records.

    tests/data/workbook/make_xls_fixtures.py [output folder]
"""
import os
import struct
import sys

# ---- BIFF8 records ----


def record(kind, body=b""):
    return struct.pack("<HH", kind, len(body)) + body


def bof(sheet):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, 0x0010 if sheet else 0x0005, 0x0DBB, 0x07CC, 0, 6))


def eof():
    return record(0x000A)


def short_string(text):
    data = text.encode("utf-16-le")
    return struct.pack("<BB", len(data) // 2, 1) + data


def long_string(text):
    data = text.encode("utf-16-le")
    return struct.pack("<HB", len(data) // 2, 1) + data


def font(name="宋体", twips=220, bold=False):
    return record(0x0031, struct.pack("<HHHHHBBBB", twips, 0, 0x7FFF, 700 if bold else 400, 0, 0, 0, 0x86, 0)
                  + short_string(name))


def number_format(index, code):
    return record(0x041E, struct.pack("<H", index) + long_string(code))


def xf(font_index, format_index, style):
    flags = 0xFFF5 if style else 0x0001
    return record(0x00E0, struct.pack("<HHHBBBBIIH", font_index, format_index, flags, 0x20, 0, 0,
                                      0xF4 if style else 0, 0, 0, 0x20C0))


def boundsheet(offset, name):
    return record(0x0085, struct.pack("<IBB", offset, 0, 0) + short_string(name))


def sst(strings):
    body = struct.pack("<II", len(strings), len(strings))
    for s in strings:
        body += long_string(s)
    assert len(body) <= 8224, "the fixtures' strings fit one record"
    return record(0x00FC, body)


def dimensions(first_row, last_row, first_col, last_col):
    return record(0x0200, struct.pack("<IIHHH", first_row, last_row + 1, first_col, last_col + 1, 0))


def label(row, col, index, xf_index=15):
    return record(0x00FD, struct.pack("<HHHI", row, col, xf_index, index))


def number(row, col, value, xf_index=15):
    return record(0x0203, struct.pack("<HHHd", row, col, xf_index, value))


def rk_integer(row, col, value, xf_index=15):
    return record(0x027E, struct.pack("<HHHI", row, col, xf_index, (value << 2) | 2))


def rk_double(row, col, value, xf_index=15):
    bits = struct.unpack("<Q", struct.pack("<d", value))[0]
    assert bits & 0xFFFFFFFF == 0, "only doubles whose low half is zero fit an RK value"
    return record(0x027E, struct.pack("<HHHI", row, col, xf_index, bits >> 32))


def formula_one_plus_two(row, col, xf_index=15):
    tokens = struct.pack("<BHBHB", 0x1E, 1, 0x1E, 2, 0x03)  # 1, 2, +
    return record(0x0006, struct.pack("<HHHdHI", row, col, xf_index, 3.0, 0, 0)
                  + struct.pack("<H", len(tokens)) + tokens)


def workbook_stream(sheets, strings):
    """sheets: list of (name, rows, cols, cell records); the first sheet is the one shown."""
    globals_head = bof(False) + record(0x0042, struct.pack("<H", 1200))
    globals_head += record(0x003D, struct.pack("<HHHHHHHHH", 0, 0, 0x4000, 0x2000, 0x38, 0, 0, 1, 600))
    globals_head += record(0x0022, struct.pack("<H", 0))
    for i in range(5):
        globals_head += font(bold=(i == 1))
    globals_head += number_format(164, "yyyy\"年\"m\"月\"d\"日\"")
    for _ in range(15):
        globals_head += xf(0, 0, True)
    globals_head += xf(0, 0, False)    # 15: every plain cell
    globals_head += xf(0, 14, False)   # 16: a date in a format of the program's own list
    globals_head += xf(0, 164, False)  # 17: a date in a format of the file's own
    # Streams under 4096 bytes would go into the small-block part of the container: pad the
    # globals with records every reader skips.
    padding = b""
    while len(globals_head) + len(padding) < 4096:
        padding += record(0x005C, struct.pack("<H", 0) + b" " * 110)
    tail = sst(strings) + eof()

    sheet_records = []
    for name, _, _, cells in sheets:
        sheet_records.append(cells)
    bounds_size = sum(len(boundsheet(0, name)) for name, _, _, _ in sheets)
    offset = len(globals_head) + len(padding) + bounds_size + len(tail)
    bounds = b""
    bodies = b""
    for (name, rows, cols, cells) in sheets:
        body = bof(True) + dimensions(rows[0], rows[1], cols[0], cols[1]) + cells + eof()
        bounds += boundsheet(offset + len(bodies), name)
        bodies += body
    return globals_head + padding + bounds + tail + bodies


# ---- the compound file ----

SECTOR = 512
END_OF_CHAIN = 0xFFFFFFFE
FAT_SECTOR = 0xFFFFFFFD
FREE = 0xFFFFFFFF
NO_STREAM = 0xFFFFFFFF


def directory_entry(name, kind, child, start, size):
    if not name:
        return struct.pack("<64sHBBIII16sIQQIQ", b"", 0, 0, 0, NO_STREAM, NO_STREAM, NO_STREAM, b"", 0, 0, 0, 0, 0)
    encoded = (name + "\0").encode("utf-16-le")
    return struct.pack("<64sHBBIII16sIQQIQ", encoded, len(encoded), kind, 1, NO_STREAM, NO_STREAM, child,
                       b"", 0, 0, 0, start, size)


def compound_file(stream):
    assert len(stream) >= 4096
    data_sectors = (len(stream) + SECTOR - 1) // SECTOR
    fat_sectors = 1
    while (data_sectors + 1 + fat_sectors) > fat_sectors * (SECTOR // 4):
        fat_sectors += 1
    assert fat_sectors <= 109
    directory_sector = data_sectors
    fat = [FREE] * (fat_sectors * SECTOR // 4)
    for i in range(data_sectors):
        fat[i] = i + 1 if i + 1 < data_sectors else END_OF_CHAIN
    fat[directory_sector] = END_OF_CHAIN
    for i in range(fat_sectors):
        fat[directory_sector + 1 + i] = FAT_SECTOR

    difat = [directory_sector + 1 + i for i in range(fat_sectors)] + [FREE] * (109 - fat_sectors)
    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
    header += struct.pack("<HHHHH", 0x003E, 0x0003, 0xFFFE, 9, 6) + b"\0" * 6
    header += struct.pack("<IIIIIIIII", 0, fat_sectors, directory_sector, 0, 4096, END_OF_CHAIN, 0,
                          END_OF_CHAIN, 0)
    header += struct.pack("<109I", *difat)
    assert len(header) == SECTOR

    body = stream + b"\0" * (data_sectors * SECTOR - len(stream))
    directory = directory_entry("Root Entry", 5, 1, END_OF_CHAIN, 0)
    directory += directory_entry("Workbook", 2, NO_STREAM, 0, len(stream))
    directory += directory_entry("", 0, 0, 0, 0) * 2
    return header + body + directory + struct.pack("<%dI" % len(fat), *fat)


def days_1900(year, month, day):
    import datetime
    return (datetime.date(year, month, day) - datetime.date(1899, 12, 30)).days


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    strings = ["某校教师名单", "姓名", "周课时", "系数", "入职日期", "合计", "张 三", "高一(1)班\n语文", "第二页的内容"]
    s = {text: i for i, text in enumerate(strings)}
    # A title in A1 over a table from B2: column A holds nothing else.
    cells = label(0, 0, s["某校教师名单"])
    for col, head in enumerate(["姓名", "周课时", "系数", "入职日期", "合计"], start=1):
        cells += label(1, col, s[head])
    cells += label(2, 1, s["张 三"]) + rk_integer(2, 2, 3) + number(2, 3, 3.0)
    cells += number(2, 4, days_1900(2024, 9, 1), 16) + formula_one_plus_two(2, 5)
    cells += label(3, 1, s["高一(1)班\n语文"]) + rk_double(3, 2, 2.5) + number(3, 3, 2.5)
    cells += number(3, 4, days_1900(2023, 2, 28), 17)
    second = label(0, 0, s["第二页的内容"])
    stream = workbook_stream([("教师", (0, 3), (0, 5), cells), ("第二页", (0, 0), (0, 0), second)], strings)
    with open(os.path.join(folder, "teachers.xls"), "wb") as out:
        out.write(compound_file(stream))


if __name__ == "__main__":
    main()
