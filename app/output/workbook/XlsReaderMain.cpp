// zem-xls-reader: the .xls reader's own process, installed beside the program, which starts it for
// each .xls file it reads:
//
//   zem-xls-reader -- FILE    reads the first sheet of FILE and writes it to its standard output
//   zem-xls-reader --report   writes what the process keeps after it gave everything else up
//
// The answer goes out as XlsAnswer.h describes. The library reads no formulas: their cells come
// back empty. It corrupts memory on some damaged files, so before it opens one this process gives
// up all it does not need: every descriptor but its standard output, the right to gain privileges,
// and memory, processor time and file size beyond small limits. Whatever a file then does to it,
// the program gets the cells or a reason, and nothing else of the program is within its reach.
#include "XlsAnswer.h"
#include "platform/Text.h"

#include <dirent.h>
#include <freexl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

using namespace zem;
using namespace zem::workbook;

#if defined(__SANITIZE_ADDRESS__)
#define ZEM_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEM_ADDRESS_SANITIZER 1
#endif
#endif

// Reading a sheet takes a fraction of these.
constexpr rlim_t kCpuSeconds = 10;
constexpr rlim_t kAddressSpace = 1024ul * 1024 * 1024;
constexpr rlim_t kOpenFiles = 16;

void Limit(int resource, rlim_t value, rlim_t hard)
{
    const rlimit limit{value, hard};
    ::setrlimit(resource, &limit);
}

void GiveUpAllElse()
{
    // The answer goes out on descriptor 1; nothing else the program had open stays reachable.
    ::close(STDIN_FILENO);
    ::close_range(STDERR_FILENO, ~0u, 0);
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    // The soft limit ends the process with SIGXCPU, which the program tells from a crash.
    Limit(RLIMIT_CPU, kCpuSeconds, kCpuSeconds + 1);
    Limit(RLIMIT_FSIZE, 0, 0);
    Limit(RLIMIT_CORE, 0, 0);
    Limit(RLIMIT_NOFILE, kOpenFiles, kOpenFiles);
#ifndef ZEM_ADDRESS_SANITIZER
    // The address sanitizer reserves terabytes of address space for itself.
    Limit(RLIMIT_AS, kAddressSpace, kAddressSpace);
#endif
}

std::string ReasonOf(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return kTooLargeReason;  // beyond this process's limit
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

CellValue ValueOf(const FreeXL_CellValue& cell)
{
    CellValue value;
    const char* text = cell.value.text_value ? cell.value.text_value : "";
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
        value.text = text;
        break;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME: value = DateValue(text, true); break;
    case FREEXL_CELL_TIME: value = DateValue(text, false); break;
    default: break;
    }
    return value;
}

struct Handle {
    const void* xls = nullptr;
    ~Handle()
    {
        if (xls)
            freexl_close(xls);
    }
};

// The first sheet, cell by cell as the library gives them; the program counts what it takes.
void ReadSheet(const char* path, AnswerWriter& answer)
{
    Handle handle;
    int code = freexl_open(path, &handle.xls);
    if (code != FREEXL_OK)
        return answer.Refuse(ReasonOf(code));
    unsigned int info = 0;
    if (freexl_get_info(handle.xls, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return answer.Refuse("文件设有密码保护");
    if ((code = freexl_select_active_worksheet(handle.xls, 0)) != FREEXL_OK)
        return answer.Refuse(ReasonOf(code));
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle.xls, 0, &name) == FREEXL_OK && name)
        answer.Name(name);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if ((code = freexl_worksheet_dimensions(handle.xls, &rows, &columns)) != FREEXL_OK)
        return answer.Refuse(ReasonOf(code));
    for (unsigned int r = 0; r < rows && r < static_cast<unsigned int>(INT_MAX); ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle.xls, r, c, &cell) != FREEXL_OK)
                continue;
            const CellValue value = ValueOf(cell);
            if (value.type != CellValue::Type::Empty && !(value.type == CellValue::Type::Text && value.text.empty()))
                answer.Cell(static_cast<int>(r) + 1, static_cast<int>(c) + 1, value);
        }
    }
    answer.End();
}

// For the tests: a row for each open descriptor (its number, what it is) and each limit.
void Report(AnswerWriter& answer)
{
    int row = 0;
    auto put = [&](const std::string& key, const CellValue& value) {
        ++row;
        answer.Cell(row, 1, {CellValue::Type::Text, key, 0});
        answer.Cell(row, 2, value);
    };
    answer.Name("report");
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(folder)) {
            const int fd = std::atoi(entry->d_name);
            if (entry->d_name[0] == '.' || fd == ::dirfd(folder))
                continue;
            char target[4096] = {};
            const ssize_t n = ::readlink(Format("/proc/self/fd/%d", fd).c_str(), target, sizeof target - 1);
            put(Format("fd %d", fd), {CellValue::Type::Text, n > 0 ? std::string(target, n) : "?", 0});
        }
        ::closedir(folder);
    }
    const struct {
        const char* name;
        int resource;
    } limits[] = {{"RLIMIT_CPU", RLIMIT_CPU}, {"RLIMIT_FSIZE", RLIMIT_FSIZE}, {"RLIMIT_CORE", RLIMIT_CORE},
                  {"RLIMIT_NOFILE", RLIMIT_NOFILE}, {"RLIMIT_AS", RLIMIT_AS}};
    for (const auto& limit : limits) {
        rlimit value{};
        ::getrlimit(limit.resource, &value);
        put(limit.name, {CellValue::Type::Number, {},
                         value.rlim_cur == RLIM_INFINITY ? -1.0 : static_cast<double>(value.rlim_cur)});
    }
    put("no new privileges", {CellValue::Type::Number, {}, static_cast<double>(::prctl(PR_GET_NO_NEW_PRIVS, 0, 0, 0, 0))});
    answer.End();
}

}  // namespace

int main(int argc, char** argv)
{
    const bool report = argc == 2 && std::strcmp(argv[1], "--report") == 0;
    if (!report && (argc != 3 || std::strcmp(argv[1], "--") != 0)) {
        std::fprintf(stderr, "usage: zem-xls-reader -- FILE | --report\n");
        return 2;
    }
    GiveUpAllElse();
    AnswerWriter answer(STDOUT_FILENO);
    try {
        if (report)
            Report(answer);
        else
            ReadSheet(argv[2], answer);
    } catch (const std::bad_alloc&) {
        answer.Refuse(kTooLargeReason);
    }
    // The answer is all this process gives. It ends without its exit handlers, so that what the
    // library leaves unfreed on a damaged file (which a leak checker would report) cannot turn
    // a sheet read into a failure.
    ::_exit(0);
}
