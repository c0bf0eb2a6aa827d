// The first sheet of an .xls file. The library reads no formulas: their cells come back empty.
//
// The library reads past its buffers on some damaged files, so it runs in a child process of its
// own: whatever a file does to it, the program gets the cells or a reason, never a crash.
#include "WorkbookReaderParts.h"
#include "platform/Text.h"

#include <fcntl.h>
#include <freexl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

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

bool ReadInThisProcess(const std::string& path, SheetData& sheet, std::string& error)
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

// The child's answer on the pipe: 'E' and the reason, or 'K', the sheet's name and its cells.
void PutNumber(std::string& out, std::uint32_t value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutText(std::string& out, const std::string& text)
{
    PutNumber(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

std::string Encode(bool ok, const SheetData& sheet, const std::string& error)
{
    std::string out(1, ok ? 'K' : 'E');
    if (!ok) {
        PutText(out, error);
        return out;
    }
    PutText(out, sheet.name);
    for (int row = sheet.FirstRow(); !sheet.IsEmpty() && row <= sheet.LastRow(); ++row) {
        for (int column = sheet.FirstColumn(); column <= sheet.LastColumn(); ++column) {
            const CellValue& value = sheet.Value(row, column);
            if (value.type == CellValue::Type::Empty)
                continue;
            PutNumber(out, static_cast<std::uint32_t>(row));
            PutNumber(out, static_cast<std::uint32_t>(column));
            out += static_cast<char>(value.type);
            out.append(reinterpret_cast<const char*>(&value.number), sizeof value.number);
            PutText(out, value.text);
        }
    }
    return out;
}

class Decoder {
public:
    explicit Decoder(const std::string& bytes) : m_bytes(bytes) {}
    bool AtEnd() const { return m_pos == m_bytes.size(); }
    bool Get(void* target, std::size_t size)
    {
        if (m_bytes.size() - m_pos < size)
            return false;
        std::memcpy(target, m_bytes.data() + m_pos, size);
        m_pos += size;
        return true;
    }
    bool GetText(std::string& text)
    {
        std::uint32_t size = 0;
        if (!Get(&size, sizeof size) || m_bytes.size() - m_pos < size)
            return false;
        text.assign(m_bytes, m_pos, size);
        m_pos += size;
        return true;
    }

private:
    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

bool Decode(const std::string& bytes, SheetData& sheet, std::string& error)
{
    Decoder in(bytes);
    char status = 0;
    if (!in.Get(&status, 1) || (status != 'K' && status != 'E'))
        return false;
    if (status == 'E') {
        if (!in.GetText(error))
            return false;
        return true;
    }
    if (!in.GetText(sheet.name))
        return false;
    while (!in.AtEnd()) {
        std::uint32_t row = 0, column = 0;
        char type = 0;
        CellValue value;
        if (!in.Get(&row, sizeof row) || !in.Get(&column, sizeof column) || !in.Get(&type, 1) ||
            !in.Get(&value.number, sizeof value.number) || !in.GetText(value.text))
            return false;
        value.type = static_cast<CellValue::Type>(type);
        sheet.Set(static_cast<int>(row), static_cast<int>(column), std::move(value));
    }
    return true;
}

void WriteAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

// A file that keeps the library busy longer than this is taken for a damaged one.
constexpr auto kReadTimeLimit = std::chrono::seconds(60);

}  // namespace

bool ReadXlsFile(const std::string& path, SheetData& sheet, std::string& error)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = "系统资源不足";
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        error = "系统资源不足";
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        // What the library or a checker says on its way down is no message for the user.
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (quiet >= 0)
            ::dup2(quiet, STDERR_FILENO);
        SheetData read;
        std::string reason;
        const bool ok = ReadInThisProcess(path, read, reason);
        WriteAll(fds[1], Encode(ok, read, reason));
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string bytes;
    bool timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() + kReadTimeLimit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buffer[65536];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    error.clear();
    if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !Decode(bytes, sheet, error)) {
        sheet.Clear();
        error = "文件已损坏";
        return false;
    }
    if (!error.empty()) {
        sheet.Clear();
        return false;
    }
    return true;
}

}  // namespace zem::workbook
