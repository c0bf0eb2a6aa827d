#include "app/output/workbook/WorkbookReader.h"

#include "WorkbookReaderParts.h"
#include "app/output/workbook/Workbook.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <filesystem>
#include <fstream>

namespace zem::workbook {

namespace {

// A text cell whose bytes are no UTF-8 (an overlong form, a lone surrogate an .xlsx file wrote as a
// reference) cannot be saved into a task: the whole sheet is refused at the first such cell, as a
// character GBK lacks is refused at its cell, rather than a save later writing something else.
bool CheckSheetText(const SheetData& sheet, std::string& error)
{
    bool ok = true;
    sheet.ForEachCell([&](int row, int column, const CellValue& value) {
        if (ok && value.type == CellValue::Type::Text && FirstInvalidUtf8(value.text) != std::string_view::npos) {
            error = Format("第 %d 行第 %s 列的文字编码有误，无法读入", row, ColumnName(column).c_str());
            ok = false;
        }
    });
    return ok;
}

}  // namespace

// ---- which reader ----

bool ReadWorkbookSheet(const std::string& path, SheetData& sheet, std::string& error, int sheetIndex)
{
    sheet.Clear();
    error.clear();
    if (FolderExists(path) || !FileExists(path)) {
        error = "找不到文件：" + path;
        return false;
    }
    // A pipe or a device would block the reading or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "不是Excel文件（*.xlsx或*.xls），无法读取：" + path;
        return false;
    }
    std::string head(8, '\0');
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            error = "无法读取文件：" + path;
            return false;
        }
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
    }
    bool ok = false;
    if (head.starts_with("PK\x03\x04")) {
        ok = ReadXlsxFile(path, sheet, error, sheetIndex);
    } else if (head == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        if (sheetIndex > 0)
            error = "工作簿中没有这张工作表";
        else
            ok = ReadXlsFile(path, sheet, error);
    } else {
        error = "不是Excel文件（*.xlsx或*.xls），无法读取：" + path;
        return false;
    }
    ok = ok && CheckSheetText(sheet, error);
    if (!ok) {
        sheet.Clear();
        error = Format("无法读取Excel文件 %s\n%s", path.c_str(), error.c_str());
    }
    return ok;
}

}  // namespace zem::workbook
