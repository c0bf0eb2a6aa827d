// The first sheet of an .xls file. The library reads no formulas: their cells come back empty.
#include "app/output/workbook/WorkbookReaderParts.h"
#include "platform/Text.h"

#include <freexl.h>

#include <cstdio>

namespace zem::workbook {

namespace {

struct Handle {
    const void* xls = nullptr;
    ~Handle()
    {
        if (xls)
            freexl_close(xls);
    }
};

std::string ReasonOf(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return "内存不足";
    case FREEXL_FILE_NOT_FOUND: return "找不到文件";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND: return "文件中没有工作簿";
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX: return "工作簿中没有工作表";
    case FREEXL_UNSUPPORTED_CHARSET: return "不支持文件的字符集";
    default: return Format("文件已损坏（%d）", code);
    }
}

CellValue DateValue(const char* text, bool hasDate)
{
    CellValue value;
    int y = 1899, mo = 12, d = 31, h = 0, mi = 0, s = 0;
    const int fields = hasDate ? std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s)
                               : std::sscanf(text, "%d:%d:%d", &h, &mi, &s);
    if (fields < 3 || y < 1899 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31)
        return value;
    value.type = CellValue::Type::Date;
    value.number = (hasDate ? SerialOfDate(y, mo, d) : 0) + (h * 3600 + mi * 60 + s) / 86400.0;
    value.text = hasDate ? DateTextOfSerial(value.number) : Format("%02d:%02d:%02d", h, mi, s);
    return value;
}

}  // namespace

bool ReadXlsFile(const std::string& path, SheetData& sheet, std::string& error)
{
    Handle handle;
    int code = freexl_open(path.c_str(), &handle.xls);
    if (code != FREEXL_OK) {
        error = ReasonOf(code);
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle.xls, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        error = "文件设有密码保护";
        return false;
    }
    if ((code = freexl_select_active_worksheet(handle.xls, 0)) != FREEXL_OK) {
        error = ReasonOf(code);
        return false;
    }
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle.xls, 0, &name) == FREEXL_OK && name)
        sheet.name = name;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if ((code = freexl_worksheet_dimensions(handle.xls, &rows, &columns)) != FREEXL_OK) {
        error = ReasonOf(code);
        return false;
    }
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle.xls, r, c, &cell) != FREEXL_OK)
                continue;
            CellValue value;
            switch (cell.type) {
            case FREEXL_CELL_INT:
                value.type = CellValue::Type::Number;
                value.number = cell.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                value.type = CellValue::Type::Number;
                value.number = cell.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                value.type = CellValue::Type::Text;
                value.text = cell.value.text_value ? cell.value.text_value : "";
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                value = DateValue(cell.value.text_value ? cell.value.text_value : "", true);
                break;
            case FREEXL_CELL_TIME:
                value = DateValue(cell.value.text_value ? cell.value.text_value : "", false);
                break;
            default:
                continue;
            }
            sheet.Set(static_cast<int>(r) + 1, static_cast<int>(c) + 1, std::move(value));
            if (sheet.CellCount() > kMaxReadCells) {
                error = "工作表太大，无法读取";
                return false;
            }
        }
    }
    return true;
}

}  // namespace zem::workbook
