#pragma once
// How the .xls reader's own process hands the sheet it read to the program over a pipe: records of
// a kind byte and their fields, in the machine's byte order (both ends are the same machine). The
// sheet's name, its cells one by one, and last either the end of the sheet or a reason to refuse it.
// The program reads the records as they come, so it never holds more than the sheet.
#include "app/output/workbook/WorkbookReader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zem::workbook {

class AnswerWriter {
public:
    // Writes to the descriptor; what it cannot write is lost (the reader then finds no end).
    explicit AnswerWriter(int fd) : m_fd(fd) {}

    void Name(std::string_view name);
    void Cell(int row, int column, const CellValue& value);
    void End();
    void Refuse(std::string_view reason);

private:
    void Text(std::string_view text);
    void Flush();

    int m_fd;
    std::string m_buffer;
};

class AnswerReader {
public:
    enum class State {
        More,      // the answer goes on
        Read,      // the sheet was read in full
        Refused,   // the reader refused the file: Reason() says why
        TooLarge,  // more than a sheet that is read may hold
        Garbled,   // not an answer
    };

    explicit AnswerReader(SheetData& sheet) : m_sheet(sheet) {}

    // Takes the next bytes of the answer; once the state is no longer More, takes nothing more.
    State Take(std::string_view bytes);
    State Current() const { return m_state; }
    const std::string& Reason() const { return m_reason; }

private:
    State Record(std::string_view bytes, std::size_t& used);

    SheetData& m_sheet;
    std::string m_pending;
    std::string m_reason;
    State m_state = State::More;
};

}  // namespace zem::workbook
