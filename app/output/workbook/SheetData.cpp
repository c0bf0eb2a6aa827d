// The cells of a sheet read from a workbook, and the day numbers of its dates.
#include "app/output/workbook/WorkbookReader.h"

#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace zem::workbook {

namespace {

std::uint64_t KeyOf(int row, int column)
{
    return (static_cast<std::uint64_t>(row) << 16) | static_cast<std::uint64_t>(column);
}

// Days from 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

}  // namespace

// ---- dates ----

// The 1900 system counts a 29 February 1900 that never was (day 60); days before it are one off.
double SerialOfDate(int year, int month, int day)
{
    const long long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const long long march1900 = DaysFromCivil(1900, 3, 1);
    if (days >= march1900)
        return static_cast<double>(days - DaysFromCivil(1899, 12, 30));
    return static_cast<double>(days - DaysFromCivil(1899, 12, 31));
}

std::string DateTextOfSerial(double serial)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)  // up to 9999-12-31
        return {};
    long long whole = static_cast<long long>(std::floor(serial));
    long long seconds = std::llround((serial - static_cast<double>(whole)) * 86400.0);
    if (seconds >= 86400) {
        ++whole;
        seconds -= 86400;
    }
    int year = 1900, month = 2, day = 29;
    if (whole != 60) {
        const long long base = whole > 60 ? DaysFromCivil(1899, 12, 30) : DaysFromCivil(1899, 12, 31);
        CivilFromDays(base + whole, year, month, day);
    }
    std::string text = Format("%04d-%02d-%02d", year, month, day);
    if (seconds > 0)
        text += Format(" %02d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                       static_cast<int>(seconds % 60));
    return text;
}

// ---- the sheet ----

const CellValue& SheetData::Value(int row, int column) const
{
    static const CellValue kEmpty;
    if (row < 1 || column < 1 || column > 0xFFFF)
        return kEmpty;
    const auto it = m_cells.find(KeyOf(row, column));
    return it == m_cells.end() ? kEmpty : it->second;
}

void SheetData::Set(int row, int column, CellValue value)
{
    if (row < 1 || column < 1 || column > 0xFFFF)
        return;
    if (value.type == CellValue::Type::Text && value.text.empty())
        value.type = CellValue::Type::Empty;
    const std::uint64_t key = KeyOf(row, column);
    if (value.type == CellValue::Type::Empty) {
        const auto it = m_cells.find(key);
        if (it != m_cells.end()) {
            m_textBytes -= it->second.text.size();
            m_cells.erase(it);
            Recount();
        }
        return;
    }
    const bool first = m_cells.empty();
    const auto [it, added] = m_cells.try_emplace(key);
    m_textBytes += value.text.size() - (added ? 0 : it->second.text.size());
    it->second = std::move(value);
    if (first) {
        m_firstRow = m_lastRow = row;
        m_firstColumn = m_lastColumn = column;
        return;
    }
    m_firstRow = std::min(m_firstRow, row);
    m_lastRow = std::max(m_lastRow, row);
    m_firstColumn = std::min(m_firstColumn, column);
    m_lastColumn = std::max(m_lastColumn, column);
}

bool SheetData::IsOverReadLimit() const
{
    return m_cells.size() > kMaxReadCells || m_textBytes > kMaxReadTextBytes;
}

void SheetData::Clear()
{
    name.clear();
    m_cells.clear();
    m_merges.clear();
    m_textBytes = 0;
    Recount();
}

void SheetData::Recount()
{
    m_firstRow = m_firstColumn = m_lastRow = m_lastColumn = 0;
    bool first = true;
    for (const auto& [key, value] : m_cells) {
        const int row = static_cast<int>(key >> 16);
        const int column = static_cast<int>(key & 0xFFFF);
        if (first) {
            m_firstRow = m_lastRow = row;
            m_firstColumn = m_lastColumn = column;
            first = false;
            continue;
        }
        m_firstRow = std::min(m_firstRow, row);
        m_lastRow = std::max(m_lastRow, row);
        m_firstColumn = std::min(m_firstColumn, column);
        m_lastColumn = std::max(m_lastColumn, column);
    }
}

}  // namespace zem::workbook
