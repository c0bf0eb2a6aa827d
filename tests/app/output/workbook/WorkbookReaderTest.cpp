// Reading the sheet a workbook opens on: .xls files made once by tests/data/workbook/make_xls_fixtures.py,
// .xlsx files put together here part by part, and files that are no workbooks or damaged ones.
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "support/TempFolder.h"

#include "platform/Text.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

namespace {

using namespace zem::workbook;
using Type = CellValue::Type;
using zem::Format;

const std::string kFixtures = std::string(ZEM_TEST_DATA_DIR) + "/workbook/";

// An .xlsx file from its parts' texts.
void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& parts)
{
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, text] : parts) {
        zip_source_t* source = zip_source_buffer(zip, text.data(), text.size(), 0);
        const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << name;
        // The fastest compression: the bounds tests pack hundreds of megabytes.
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    }
    ASSERT_EQ(zip_close(zip), 0);
}

const char* const kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)";
const char* const kRootRels =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="book/main.xml"/>
</Relationships>)";
// Parts where another program may put them, with a prefix on every element, the second sheet shown.
const char* const kBook =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<x:bookViews><x:workbookView activeTab="1"/></x:bookViews>
<x:sheets><x:sheet name="封面" sheetId="1" r:id="rId1"/><x:sheet name="教师" sheetId="2" r:id="rId2"/></x:sheets>
</x:workbook>)";
const char* const kBookRels =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="sheets/one.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/book/sheets/../sheets/two.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="strings.xml"/>
<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
</Relationships>)";
const char* const kStrings =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<x:sst xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:si><x:t>封面文字</x:t></x:si>
<x:si><x:r><x:rPr><x:sz val="12"/></x:rPr><x:t>语文</x:t></x:r><x:r><x:t xml:space="preserve">
302</x:t></x:r><x:rPh sb="0" eb="2"><x:t>yuwen</x:t></x:rPh></x:si>
<x:si><x:t>A_x000D_B</x:t></x:si>
<x:si><x:t></x:t></x:si>
</x:sst>)";
// Styles: 0 general, 1 a built-in date, 2 a date format of the file's own, 3 a number format with
// letters that is no date.
const char* const kStyles =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<x:styleSheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:numFmts><x:numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/><x:numFmt numFmtId="165" formatCode="[Red]0.0&quot;days&quot;"/></x:numFmts>
<x:cellXfs><x:xf numFmtId="0"/><x:xf numFmtId="14"/><x:xf numFmtId="164"/><x:xf numFmtId="165"/></x:cellXfs>
</x:styleSheet>)";
const char* const kSheetOne =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c></row></sheetData></worksheet>)";
const char* const kSheetTwo =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:sheetData>
<x:row r="2"><x:c r="B2" t="s"><x:v>1</x:v></x:c><x:c r="C2"><x:v>3</x:v></x:c><x:c><x:v>2.5</x:v></x:c><x:c r="E2" t="b"><x:v>1</x:v></x:c></x:row>
<x:row r="3"><x:c r="B3"><x:f>1+2</x:f><x:v>3</x:v></x:c><x:c r="C3" t="str"><x:f>"高"&amp;"一"</x:f><x:v>高一</x:v></x:c><x:c r="D3"><x:f>A1</x:f></x:c><x:c r="E3" t="e"><x:v>#DIV/0!</x:v></x:c></x:row>
<x:row><x:c r="B4" s="1"><x:v>45536</x:v></x:c><x:c r="C4" s="2"><x:v>45536.5</x:v></x:c><x:c r="D4" s="3"><x:v>7</x:v></x:c><x:c r="E4" t="inlineStr"><x:is><x:t>行内</x:t></x:is></x:c></x:row>
<x:row r="5"><x:c r="B5" t="s"><x:v>2</x:v></x:c><x:c r="C5" t="s"><x:v>3</x:v></x:c><x:c r="D5" t="s"><x:v>99</x:v></x:c><x:c r="E5" s="7"><x:v>1</x:v></x:c></x:row>
</x:sheetData><x:mergeCells count="4"><x:mergeCell ref="B2:C2"/><x:mergeCell ref="E4:D3"/><x:mergeCell ref="X"/><x:mergeCell ref="A1:ZZZZ9"/></x:mergeCells><x:mergeCells><x:mergeCell ref="B5:C5"/></x:mergeCells></x:worksheet>)";

std::string ReplaceOnceIn(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::vector<std::pair<std::string, std::string>> GoodParts()
{
    return {{"[Content_Types].xml", kContentTypes}, {"_rels/.rels", kRootRels},
            {"book/main.xml", kBook},               {"book/_rels/main.xml.rels", kBookRels},
            {"book/strings.xml", kStrings},         {"book/styles.xml", kStyles},
            {"book/sheets/one.xml", kSheetOne},     {"book/sheets/two.xml", kSheetTwo}};
}

// The sheet GoodParts() shows, as it must be read.
void ExpectTheSheetShown(const SheetData& sheet)
{
    EXPECT_EQ(sheet.name, "教师");
    EXPECT_EQ(sheet.FirstRow(), 2);
    EXPECT_EQ(sheet.FirstColumn(), 2);
    EXPECT_EQ(sheet.LastRow(), 5);
    EXPECT_EQ(sheet.LastColumn(), 5);

    struct Expect {
        int row, column;
        Type type;
        const char* text;
        double number;
    } cells[] = {
        {2, 2, Type::Text, "语文\n302", 0},  // runs joined, the phonetic guide left out
        {2, 3, Type::Number, "", 3},
        {2, 4, Type::Number, "", 2.5},       // a cell without a reference follows the one before
        {2, 5, Type::Boolean, "", 1},
        {3, 2, Type::Number, "", 3},         // a formula's value saved with it
        {3, 3, Type::Text, "高一", 0},
        {3, 4, Type::Empty, "", 0},          // a formula without a saved value
        {3, 5, Type::Error, "#DIV/0!", 0},
        {4, 2, Type::Date, "2024-09-01", 45536},
        {4, 3, Type::Date, "2024-09-01 12:00:00", 45536.5},
        {4, 4, Type::Number, "", 7},         // "[Red]" and quoted letters make no date
        {4, 5, Type::Text, "行内", 0},
        {5, 2, Type::Text, "A\rB", 0},
        {5, 3, Type::Empty, "", 0},          // an empty string
        {5, 4, Type::Empty, "", 0},          // a string that is not there
        {5, 5, Type::Number, "", 1},         // a style that is not there
    };
    // Merged areas as the first list gives them, in order; a reference naming no area is passed over.
    std::vector<std::vector<int>> merged;
    for (const auto& area : sheet.MergedAreas())
        merged.push_back({area.firstRow, area.firstColumn, area.lastRow, area.lastColumn});
    EXPECT_EQ(merged, (std::vector<std::vector<int>>{{2, 2, 2, 3}, {3, 4, 4, 5}}));
    for (const Expect& e : cells) {
        SCOPED_TRACE(CellName(e.row, e.column));
        const CellValue& value = sheet.Value(e.row, e.column);
        EXPECT_EQ(value.type, e.type);
        EXPECT_EQ(value.text, e.text);
        EXPECT_EQ(value.number, e.number);
    }
}

TEST(XlsxReader, ReadsTheSheetShownWithWhatItsCellsHold)
{
    TempFolder folder;
    const std::string path = folder / "教师.xls";  // the name says .xls; the content decides
    WriteZip(path, GoodParts());
    SheetData sheet;
    std::string error;
    ASSERT_TRUE(ReadWorkbookSheet(path, sheet, error)) << error;
    ExpectTheSheetShown(sheet);
}

std::string Encoded(std::string_view utf8, const char* encoding)
{
    iconv_t converter = iconv_open(encoding, "UTF-8");
    std::string out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    iconv(converter, &in, &inLeft, &to, &toLeft);
    iconv_close(converter);
    out.resize(out.size() - toLeft);
    return out;
}

// The sheet's part read as it unpacks: markup of every kind between and inside the cells, and the
// encodings XML allows besides UTF-8.
TEST(XlsxReader, ReadsEveryKindOfMarkupAndTheWideEncodings)
{
    std::string marked = zem::ReplaceAll(kSheetTwo, "<x:worksheet", "<!DOCTYPE x:worksheet [ <!ENTITY e \"[>\"> ]><x:worksheet");
    marked = zem::ReplaceAll(marked, "</x:row>", "</x:row><!-- a note <x:row r=\"9\"> --><?tool 1?>\n");
    marked = zem::ReplaceAll(marked, "<x:v>3</x:v></x:c>", "<x:v><![CDATA[3]]></x:v><!-- > --></x:c>");
    marked = zem::ReplaceAll(marked, "<x:c r=\"E2\" t=\"b\">", "<x:c r=\"E2\" note='a>b' t=\"b\" >");
    const struct {
        const char* name;
        std::string bytes;
    } variants[] = {
        {"UTF-8 with every kind of markup", marked},
        {"UTF-8 after a byte-order mark", "\xEF\xBB\xBF" + marked},
        {"UTF-16LE after a byte-order mark", Encoded("\xEF\xBB\xBF" + marked, "UTF-16LE")},
        {"UTF-16BE", Encoded(marked, "UTF-16BE")},
    };
    TempFolder folder;
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.name);
        auto parts = GoodParts();
        parts.back().second = variant.bytes;
        WriteZip(folder / "wide.xlsx", parts);
        SheetData sheet;
        std::string error;
        ASSERT_TRUE(ReadWorkbookSheet(folder / "wide.xlsx", sheet, error)) << error;
        ExpectTheSheetShown(sheet);
    }
}

TEST(XlsReader, ReadsTheFirstSheetOfTheFixture)
{
    SheetData sheet;
    std::string error;
    ASSERT_TRUE(ReadWorkbookSheet(kFixtures + "teachers.xls", sheet, error)) << error;
    EXPECT_EQ(sheet.name, "教师");
    // A title in A1 over a table from B2: the used range starts at A1, column A holds only the title.
    EXPECT_EQ(sheet.FirstRow(), 1);
    EXPECT_EQ(sheet.FirstColumn(), 1);
    EXPECT_EQ(sheet.LastRow(), 4);
    EXPECT_EQ(sheet.LastColumn(), 6);
    EXPECT_EQ(sheet.Value(1, 1).text, "某校教师名单");
    for (int row = 2; row <= 4; ++row)
        EXPECT_EQ(sheet.Value(row, 1).type, Type::Empty);
    EXPECT_EQ(sheet.Value(2, 6).text, "合计");
    EXPECT_EQ(sheet.Value(3, 2).text, "张 三");
    EXPECT_EQ(sheet.Value(4, 2).text, "高一(1)班\n语文");
    // 3 as an integer, 3.0 and 2.5 as numbers.
    EXPECT_EQ(sheet.Value(3, 3).type, Type::Number);
    EXPECT_EQ(sheet.Value(3, 3).number, 3);
    EXPECT_EQ(sheet.Value(3, 4).number, 3);
    EXPECT_EQ(sheet.Value(4, 3).number, 2.5);
    EXPECT_EQ(sheet.Value(4, 4).number, 2.5);
    // Dates in a built-in format and in one of the file's own.
    EXPECT_EQ(sheet.Value(3, 5).type, Type::Date);
    EXPECT_EQ(sheet.Value(3, 5).text, "2024-09-01");
    EXPECT_EQ(sheet.Value(3, 5).number, 45536);
    EXPECT_EQ(sheet.Value(4, 5).text, "2023-02-28");
    // The formula's cell comes back empty.
    EXPECT_EQ(sheet.Value(3, 6).type, Type::Empty);
}

TEST(WorkbookReaderDates, DayNumbersOfThe1900System)
{
    EXPECT_EQ(SerialOfDate(1900, 1, 1), 1);
    EXPECT_EQ(SerialOfDate(1900, 2, 28), 59);
    EXPECT_EQ(SerialOfDate(1900, 3, 1), 61);
    EXPECT_EQ(DateTextOfSerial(60), "1900-02-29");
    EXPECT_EQ(DateTextOfSerial(61), "1900-03-01");
    EXPECT_EQ(DateTextOfSerial(45536.75), "2024-09-01 18:00:00");
    EXPECT_EQ(DateTextOfSerial(-1), "");
}

// Files a user may pick that are no readable workbook: each gives a reason naming the file and an
// empty sheet, and none crashes.
TEST(WorkbookReaderDamaged, EachGivesAReasonAndNoCells)
{
    TempFolder folder;
    const std::string xls = ReadRaw(kFixtures + "teachers.xls");
    std::string goodXlsx;
    {
        WriteZip(folder / "good.xlsx", GoodParts());
        goodXlsx = ReadRaw(folder / "good.xlsx");
    }
    auto without = [](const std::string& name) {
        auto parts = GoodParts();
        std::erase_if(parts, [&](const auto& p) { return p.first == name; });
        return parts;
    };
    auto replaced = [](const std::string& name, const std::string& text) {
        auto parts = GoodParts();
        for (auto& p : parts) {
            if (p.first == name)
                p.second = text;
        }
        return parts;
    };
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make;
        const char* reason;
    } cases[] = {
        {"missing", [](const std::string&) {}, "找不到文件"},
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, "找不到文件"},
        {"empty", [](const std::string& p) { WriteRaw(p, ""); }, "不是Excel文件"},
        {"text", [](const std::string& p) { WriteRaw(p, "姓名,课时\n张三,3\n"); }, "不是Excel文件"},
        {"xlsx cut in half", [&](const std::string& p) { WriteRaw(p, goodXlsx.substr(0, goodXlsx.size() / 2)); }, "压缩包已损坏"},
        {"xlsx without its workbook part", [&](const std::string& p) { WriteZip(p, without("book/main.xml")); }, "缺少"},
        {"xlsx with a broken sheet", [&](const std::string& p) { WriteZip(p, replaced("book/sheets/two.xml", "<x:worksheet><x:sheetData>")); }, "已损坏"},
        {"xlsx with a sheet whose tags do not match", [&](const std::string& p) { WriteZip(p, replaced("book/sheets/two.xml", "<x:worksheet><x:sheetData></x:worksheet>")); }, "已损坏"},
        {"xlsx whose sheet is missing", [&](const std::string& p) { WriteZip(p, without("book/sheets/two.xml")); }, "找不到工作表 教师"},
        {"xlsx without sheets", [&](const std::string& p) { WriteZip(p, replaced("book/main.xml", "<workbook><sheets/></workbook>")); }, "没有工作表"},
        {"xls cut short", [&](const std::string& p) { WriteRaw(p, xls.substr(0, 1500)); }, "文件已损坏"},
        // Text that no task file could hold, refused at its cell for every import.
        {"xlsx with a lone surrogate in a text", [&](const std::string& p) {
             WriteZip(p, replaced("book/sheets/two.xml", ReplaceOnceIn(kSheetTwo, "<x:t>行内</x:t>", "<x:t>行&#xD800;内</x:t>")));
         }, "第 4 行第 E 列的文字编码有误"},
        {"xlsx with an overlong form in a text", [&](const std::string& p) {
             WriteZip(p, replaced("book/sheets/two.xml", ReplaceOnceIn(kSheetTwo, "<x:t>行内</x:t>", "<x:t>行\xC0\xAF内</x:t>")));
         }, "第 4 行第 E 列的文字编码有误"},
        // Found by the fuzzer: the library reads past a stack buffer. The address sanitizer ends
        // the reader's process at that; a Release build's reader finds the text it made invalid.
        {"xls that makes the library read past a stack buffer",
         [&](const std::string& p) { WriteRaw(p, ReadRaw(kFixtures + "reads-past-a-stack-buffer.xls")); }, "文件已损坏"},
        {"xls with its tables overwritten", [&](const std::string& p) {
             std::string bytes = xls;
             for (std::size_t i = 512; i < bytes.size(); ++i)
                 bytes[i] = static_cast<char>(0xFF);
             WriteRaw(p, bytes);
         }, "文件已损坏"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / (std::string(c.name) + ".xlsx");
        c.make(path);
        SheetData sheet;
        sheet.Set(1, 1, CellValue{Type::Text, "left over", 0});
        std::string error;
        EXPECT_FALSE(ReadWorkbookSheet(path, sheet, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_TRUE(sheet.IsEmpty());
    }
}

}  // namespace

// ---- bounds ----

namespace {

// What a read in a child process of its own gave, and the most heap it held at once, as a
// counting allocator sees it: under the address sanitizer through its allocator's hooks (its
// shadow and quarantine make resident memory meaningless), else by wrapping the C library's
// allocator, which every library here allocates through. (The resident memory of a forked child
// would not do: it reuses what its parent freed without growing.)
struct MeasuredRead {
    bool ok = false;
    std::string error;
    std::size_t peakBytes = 0;
    std::size_t cells = 0;
};

// Only ever counting in the measuring child, which has one thread; the read frees nothing that
// was allocated before.
bool g_counting = false;
std::size_t g_liveBytes = 0;
std::size_t g_peakBytes = 0;

void CountAllocated(std::size_t size)
{
    if (!g_counting)
        return;
    g_liveBytes += size;
    g_peakBytes = std::max(g_peakBytes, g_liveBytes);
}

void CountFreed(std::size_t size)
{
    if (g_counting)
        g_liveBytes -= std::min(g_liveBytes, size);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void*);

namespace {
bool StartCounting()
{
    const bool installed = __sanitizer_install_malloc_and_free_hooks(
        [](const volatile void*, std::size_t size) { CountAllocated(size); },
        [](const volatile void* p) { CountFreed(__sanitizer_get_allocated_size(p)); });
    g_counting = installed;
    return installed;
}
}  // namespace
#else
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

static void* Counted(void* p)
{
    CountAllocated(p ? malloc_usable_size(p) : 0);
    return p;
}

void* malloc(std::size_t size) noexcept
{
    return Counted(__libc_malloc(size));
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    return Counted(__libc_calloc(count, size));
}

void* realloc(void* old, std::size_t size) noexcept
{
    const std::size_t oldSize = old ? malloc_usable_size(old) : 0;
    void* p = __libc_realloc(old, size);
    if (!p && size != 0)
        return p;  // the old block stays
    CountFreed(oldSize);
    return Counted(p);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept
{
    return Counted(__libc_memalign(alignment, size));
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
{
    return memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept
{
    void* p = memalign(alignment, size);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

void free(void* p) noexcept
{
    if (p)
        CountFreed(malloc_usable_size(p));
    __libc_free(p);
}
}

namespace {
bool StartCounting()
{
    g_counting = true;
    return true;
}
}  // namespace
#endif

namespace {

MeasuredRead MeasureRead(const std::string& path)
{
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::string answer = "-";
        if (StartCounting()) {
            SheetData sheet;
            std::string error;
            const bool ok = ReadWorkbookSheet(path, sheet, error);
            g_counting = false;
            answer = std::to_string(g_peakBytes) + " " + std::to_string(sheet.CellCount()) + " " +
                     (ok ? "1" : "0") + error;
        }
        for (std::size_t done = 0; done < answer.size();) {
            const ssize_t n = ::write(fds[1], answer.data() + done, answer.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    MeasuredRead read;
    std::istringstream in(answer);
    char ok = 0;
    if (!(in >> read.peakBytes >> read.cells) || !in.get() || !in.get(ok))
        return read;
    read.ok = ok == '1';
    std::getline(in, read.error, '\0');
    return read;
}

std::string Repeated(std::string_view piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

std::string SheetOf(std::string_view data, std::string_view after = {})
{
    return std::string(R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)") +
           std::string(data) + "</sheetData>" + std::string(after) + "</worksheet>";
}

std::string StringsOf(std::string_view items)
{
    return std::string(R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)") +
           std::string(items) + "</sst>";
}

// Files that are small but unpack to a great deal, or that hold as much as a sheet may: each is
// read in full or refused as too large, never as damaged, and the reader never takes 200 MB.
TEST(WorkbookReaderBounds, ASheetTooLargeIsRefusedAndNoReadTakes200MB)
{
    TempFolder folder;
    using Parts = std::vector<std::pair<std::string, std::string>>;
    auto with = [](std::vector<std::pair<std::string, std::string>> replaced) {
        Parts parts = GoodParts();
        for (auto& [name, text] : replaced) {
            auto it = std::find_if(parts.begin(), parts.end(), [&](const auto& p) { return p.first == name; });
            if (it == parts.end())
                parts.emplace_back(name, std::move(text));
            else
                it->second = std::move(text);
        }
        return parts;
    };
    const std::string sheet = "book/sheets/two.xml";
    const std::string strings = "book/strings.xml";
    // As many shared strings of 100 bytes as a sheet may hold cells, each in one cell.
    auto fullest = [&] {
        std::string items, rows;
        const std::string text(94, 'x');
        for (std::size_t i = 0; i < kMaxReadCells; ++i) {
            items += Format("<si><t>%06zu%s</t></si>", i, text.c_str());
            if (i % 10 == 0)
                rows += i == 0 ? "<row>" : "</row><row>";
            rows += Format("<c t=\"s\"><v>%zu</v></c>", i);
        }
        return with({{strings, StringsOf(items)}, {sheet, SheetOf(rows + "</row>")}});
    };
    struct Case {
        const char* name;
        std::function<Parts()> parts;
        std::size_t cells;  // read in full with this many cells, or refused when 0
        // Why it is refused: too large unless a reason of its own is given.
        const char* reason = kTooLargeReason;
    } cases[] = {
        {"more empty rows than a sheet has", [&] { return with({{sheet, SheetOf(Repeated("<row/>", 1'100'000))}}); }, 0},
        {"a string table of 400,000 empty items",
         [&] { return with({{strings, StringsOf(Repeated("<si/>", 400'000))}}); }, 0},
        {"a string table of 40 MB",
         [&] { return with({{strings, StringsOf(Repeated("<si><t>" + std::string(2000, 'y') + "</t></si>", 20'000))}}); },
         0},
        {"one long string in every cell",
         [&] {
             return with({{strings, StringsOf("<si><t>" + std::string(30'000, 'z') + "</t></si>")},
                          {sheet, SheetOf("<row>" + Repeated("<c t=\"s\"><v>0</v></c>", 20'000) + "</row>")}});
         },
         0},
        {"a cell of 8 MB of runs",
         [&] { return with({{sheet, SheetOf("<row><c t=\"inlineStr\"><is>" + Repeated("<r/>", 2'000'000) + "</is></c></row>")}}); },
         0, kCellTooLargeReason},
        {"one shared string of 30 MB",
         [&] { return with({{strings, StringsOf("<si><t>" + std::string(30'000'000, 'w') + "</t></si>")}}); }, 0,
         kCellTooLargeReason},
        {"a tag of 10 MB",
         [&] { return with({{sheet, SheetOf("<row r=\"1\" spans=\"" + std::string(10'000'000, '1') + "\"/>")}}); }, 0,
         kTagTooLongReason},
        {"elements nested 100,000 deep",
         [&] { return with({{sheet, SheetOf("", Repeated("<e>", 100'000) + Repeated("</e>", 100'000))}}); }, 0,
         kTooDeepReason},
        {"ten thousand zip entries",
         [&] {
             Parts parts = GoodParts();
             for (int i = 0; i < 10'000; ++i)
                 parts.emplace_back(Format("pad/%d", i), "");
             return parts;
         },
         0, kTooManyPartsReason},
        {"210 MB of white space between two rows",
         [&] {
             return with({{sheet, SheetOf("<row><c><v>1</v></c></row>" + std::string(210'000'000, ' ') +
                                          "<row><c><v>2</v></c></row>")}});
         },
         2},
        {"as many cells and as much text as a sheet may hold", fullest, kMaxReadCells},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / (std::string(c.name) + ".xlsx");
        WriteZip(path, c.parts());
        const MeasuredRead read = MeasureRead(path);
        if (read.error.empty() && !read.ok && read.peakBytes == 0)
            GTEST_SKIP() << "the heap cannot be counted in this build";
        EXPECT_LT(read.peakBytes, 200u * 1024 * 1024);
        if (c.cells == 0) {
            EXPECT_FALSE(read.ok);
            EXPECT_NE(read.error.find(c.reason), std::string::npos) << read.error;
            EXPECT_NE(read.error.find(path), std::string::npos) << read.error;
            // Only a sheet that is too large says so, and then never that the file is damaged.
            const bool tooLarge = std::string_view(c.reason) == kTooLargeReason;
            EXPECT_EQ(read.error.find("工作表太大") != std::string::npos, tooLarge) << read.error;
            if (tooLarge) {
                EXPECT_EQ(read.error.find("已损坏"), std::string::npos) << read.error;
            }
        } else {
            EXPECT_TRUE(read.ok) << read.error;
            EXPECT_EQ(read.cells, c.cells);
        }
    }
}

}  // namespace
