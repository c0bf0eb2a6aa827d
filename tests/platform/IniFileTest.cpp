#include "platform/IniFile.h"

#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"
#include "platform/Text.h"
#include "testing/fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(ZEM_TEST_OUTPUT_DIR) / "ini" / (std::string(info->test_suite_name()) + "." + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }

    // A copy of a fixture in the test's own folder.
    std::string Fixture(const std::string& name)
    {
        const fs::path copy = dir_ / name;
        fs::copy_file(fs::path(ZEM_TEST_DATA_DIR) / "ini" / name, copy, fs::copy_options::overwrite_existing);
        return copy.string();
    }

    fs::path dir_;
};

TEST_F(IniFileTest, ReadsWindowsFile)
{
    const std::string path = Fixture("windows.ini");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Task Info", "Name", "初二年级 喆堃"},          // the first of two keys differing in case
        {"TASK INFO", "creator", "王玥"},                 // names ignore case, values are trimmed
        {"Task Info", "Description", "  含空格的说明  "},  // one pair of quotes stripped
        {"Recently Temp Tasks", "1", "D:\\排课\\20230901_0800_琝_临时调代课\\琝.zem"},
        {"Recently Temp Tasks", "2", "瑋"},
        {" common ", "AutoBackupBeforeRestore", "0"},  // an indented key
        {"Common", "Count", "12abc"},                   // the duplicate section is ignored
        {"Common", "Flag", ""},                         // a key without '='
        {"Common", "; 注释", "<default>"},              // a comment is no key
        {"乚", "Key", "乚]"},                           // ']' as a GBK second byte
        {"乚", "LastLine", "末行"},                     // no final line break
        {"Missing", "Name", "<default>"},
        {"Task Info", "Missing", "<default>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zem::GetProfileString(path, c.section, c.key, "<default>"), c.expected) << c.section << "/" << c.key;

    EXPECT_EQ(zem::GetProfileInt(path, "Common", "Count", -1), 12);
    EXPECT_EQ(zem::GetProfileInt(path, "Common", "AutoBackupBeforeRestore", 1), 0);
    EXPECT_EQ(zem::GetProfileSectionNames(path),
              (std::vector<std::string>{"Task Info", "Recently Temp Tasks", "COMMON", "乚"}));
    EXPECT_EQ(zem::GetProfileSection(path, "task info"),
              (zem::IniKeyValues{{"Name", "初二年级 喆堃"},
                                 {"Creator", "王玥"},
                                 {"CreateTime", "2023-09-01"},
                                 {"Description", "  含空格的说明  "}}));
    EXPECT_EQ(zem::GetProfileString((dir_ / "absent.ini").string(), "Task Info", "Name", "d"), "d");
    EXPECT_TRUE(zem::GetProfileSectionNames((dir_ / "absent.ini").string()).empty());
}

TEST_F(IniFileTest, ReadsIntegerPrefixes)
{
    const zem::IniFile ini = zem::IniFile::FromBytes(
        "[s]\r\na=  42\r\nb=-7x\r\nc=+3\r\nd=abc\r\ne=\r\nf=99999999999\r\ng=-99999999999\r\nh=\"5\"\r\ni=\"\"\r\n");
    const std::pair<const char*, int> cases[] = {{"a", 42},        {"b", -7},      {"c", 3},
                                                 {"d", 0},         {"e", -1},      {"f", INT_MAX},
                                                 {"g", INT_MIN},   {"h", 5},       {"i", -1},
                                                 {"missing", -1}};
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(ini.GetInt("s", key, -1), expected) << key;
}

TEST_F(IniFileTest, WriteChangesOnlyItsLine)
{
    const std::string path = Fixture("windows.ini");
    const std::string original = ReadBytes(path);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        const char* oldLine;
        const char* newLine;
    };
    const Case cases[] = {
        {"task info", "CREATOR", "赵琝", "Creator = 王玥 ", "Creator = 赵琝 "},  // spacing kept
        {"Task Info", "name", "新名", "Name=初二年级 喆堃", "Name=新名"},        // the first duplicate
        {"Task Info", "Description", "无引号", "Description=\"  含空格的说明  \"", "Description=无引号"},
        {"Common", "Flag", "1", "Flag\r\n", "Flag=1\r\n"},
        {"乚", "LastLine", "改", "LastLine=末行", "LastLine=改"},  // still no final line break
    };
    for (const Case& c : cases) {
        WriteBytes(path, original);
        ASSERT_TRUE(zem::WriteProfileString(path, c.section, c.key, c.value)) << c.key;
        EXPECT_EQ(ReadBytes(path), ReplaceOnce(original, c.oldLine, c.newLine)) << c.key;
        EXPECT_EQ(zem::GetProfileString(path, c.section, c.key), c.value);
    }

    // Writing the value a key already has leaves the file alone.
    WriteBytes(path, original);
    ASSERT_TRUE(zem::WriteProfileInt(path, "Common", "Count", 12));
    EXPECT_EQ(ReadBytes(path), ReplaceOnce(original, "Count=12abc", "Count=12"));
    const auto before = fs::last_write_time(path);
    ASSERT_TRUE(zem::WriteProfileInt(path, "Common", "Count", 12));
    EXPECT_EQ(fs::last_write_time(path), before);
}

TEST_F(IniFileTest, AppendsKeysAndSections)
{
    const std::string path = Fixture("windows.ini");
    const std::string original = ReadBytes(path);

    // A new key follows the section's last key, before its blank line.
    ASSERT_TRUE(zem::WriteProfileString(path, "Recently Temp Tasks", "3", "新任务"));
    EXPECT_EQ(ReadBytes(path), ReplaceOnce(original, "2='瑋'\r\n", "2='瑋'\r\n3=新任务\r\n"));

    // In the last section, whose last line has no break, the break is added first.
    WriteBytes(path, original);
    ASSERT_TRUE(zem::WriteProfileString(path, "乚", "New", "1"));
    EXPECT_EQ(ReadBytes(path), original + "\r\nNew=1\r\n");

    WriteBytes(path, original);
    ASSERT_TRUE(zem::WriteProfileString(path, "Recently Tasks", "1", "/学校/任务.zem"));
    EXPECT_EQ(ReadBytes(path), original + Gbk("\r\n[Recently Tasks]\r\n1=/学校/任务.zem\r\n"));

    // A header without keys takes the key right below it.
    const std::string empty = (dir_ / "empty.ini").string();
    WriteBytes(empty, "[A]\r\n\r\n[B]\r\nx=1\r\n");
    ASSERT_TRUE(zem::WriteProfileString(empty, "a", "k", "v"));
    EXPECT_EQ(ReadBytes(empty), "[A]\r\nk=v\r\n\r\n[B]\r\nx=1\r\n");

    const std::string created = (dir_ / "created.ini").string();
    ASSERT_TRUE(zem::WriteProfileString(created, "Task Info", "Name", "喆"));
    EXPECT_EQ(ReadBytes(created), Gbk("[Task Info]\r\nName=喆\r\n"));
}

TEST_F(IniFileTest, ReadsAndEditsFilesWithOtherLineEnds)
{
    struct Case {
        const char* bytes;
        const char* edited;
    };
    const Case cases[] = {
        {"[s]\nk=v\n\n[t]\nj=w", "[s]\nk=x\nn=1\r\n\n[t]\nj=w"},
        {"[s]\rk=v\r\r[t]\rj=w", "[s]\rk=x\rn=1\r\n\r[t]\rj=w"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string path = (dir_ / "ends.ini").string();
        WriteBytes(path, c.bytes);
        EXPECT_EQ(zem::GetProfileString(path, "s", "k"), "v");
        EXPECT_EQ(zem::GetProfileString(path, "t", "j"), "w");
        ASSERT_TRUE(zem::WriteProfileString(path, "s", "k", "x"));
        ASSERT_TRUE(zem::WriteProfileString(path, "s", "n", "1"));
        EXPECT_EQ(ReadBytes(path), c.edited);
    }
}

TEST_F(IniFileTest, ReadsUtf8WithAMarkAndWritesItBackAsGbk)
{
    // An editor's UTF-8 with its mark; a line GBK cannot hold keeps its bytes.
    const std::string marked = (dir_ / "marked.zem").string();
    WriteBytes(marked, "\xEF\xBB\xBF[Task Info]\r\nName=物理喆\r\nFace=😀\r\n");
    EXPECT_EQ(zem::GetProfileString(marked, "Task Info", "Name"), "物理喆");
    EXPECT_EQ(zem::GetProfileString(marked, "Task Info", "Face", "none"), "none");
    ASSERT_TRUE(zem::WriteProfileString(marked, "task info", "Creator", "王玥"));
    EXPECT_EQ(ReadBytes(marked), Gbk("[Task Info]\r\nName=物理喆\r\n") + "Face=😀\r\n" + Gbk("Creator=王玥\r\n"));
    EXPECT_EQ(zem::GetProfileString(marked, "Task Info", "Creator"), "王玥");

    // An edit of a key whose value cannot be read replaces its line: a second line of the key
    // would never be read, as the first wins.
    ASSERT_TRUE(zem::WriteProfileString(marked, "Task Info", "Face", "笑脸"));
    EXPECT_EQ(ReadBytes(marked), Gbk("[Task Info]\r\nName=物理喆\r\nFace=笑脸\r\nCreator=王玥\r\n"));
}

TEST_F(IniFileTest, GbkLinesBehindAUtf8MarkAreReadAsGbk)
{
    // An editor that added the mark to a GBK file, or GBK lines typed into a UTF-8 one.
    const std::string marked = (dir_ / "mixed.zem").string();
    WriteBytes(marked, "\xEF\xBB\xBF[Task Info]\r\nName=物理组\r\n" + Gbk("Creator=王喆\r\nDescription=初一年级\r\n"));
    EXPECT_EQ(zem::GetProfileString(marked, "Task Info", "Name"), "物理组");
    EXPECT_EQ(zem::GetProfileString(marked, "Task Info", "Creator"), "王喆");
    EXPECT_EQ(zem::GetProfileString(marked, "Task Info", "Description"), "初一年级");
    // One key, written once: the edit replaces its line and reopening reads the edit.
    ASSERT_TRUE(zem::WriteProfileString(marked, "Task Info", "Creator", "李堃"));
    EXPECT_EQ(ReadBytes(marked), Gbk("[Task Info]\r\nName=物理组\r\nCreator=李堃\r\nDescription=初一年级\r\n"));
    EXPECT_EQ(zem::GetProfileString(marked, "Task Info", "Creator"), "李堃");
}

TEST_F(IniFileTest, ValuesRoundTripWhole)
{
    const std::string longValue = std::string(3000, 'x') + "喆堃玥瑋琝";
    const std::string values[] = {"",       " lead",  "trail ", "\"quoted\"", "'single'", "\"",
                                  "a=b;c",  "琝\\",   "[x]",    longValue};
    zem::IniFile ini;
    for (const std::string& value : values) {
        ASSERT_TRUE(ini.SetString("s", "k", value));
        EXPECT_EQ(zem::IniFile::FromBytes(ini.Bytes()).GetString("s", "k", "<default>"), value);
    }
    // A plain value is written as it is.
    ASSERT_TRUE(ini.SetString("s", "k", "v"));
    EXPECT_EQ(ini.Bytes(), "[s]\r\nk=v\r\n");

    // Read back from a file, past any 1 KB limit.
    const std::string path = (dir_ / "long.ini").string();
    ASSERT_TRUE(zem::WriteProfileString(path, "s", "k", longValue));
    EXPECT_EQ(zem::GetProfileString(path, "s", "k"), longValue);
}

TEST_F(IniFileTest, RefusesTextThatCannotBeStored)
{
    const std::string path = Fixture("windows.ini");
    const std::string original = ReadBytes(path);
    const std::string tail = "，未能写入文件：\n" + path;
    struct Case {
        const char* section;
        const char* key;
        std::string value;
        std::string message;
    };
    const Case cases[] = {
        {"Task Info", "Name", "第一行\r\n第二行", "设置值中含有换行符"},
        {"Task Info", "Name", "行\n", "设置值中含有换行符"},
        {"Task Info", "Name", "笑😀", "设置值中含有无法保存的字符“😀”"},
        {"Task Info", "Name", std::string("a\0b", 3), "设置值中含有无法保存的字符“\\x00”"},
        {"Task Info", "Name", "bad\xff", "设置值中含有无法保存的字符“\\xFF”"},
        {"Task Info", "", "v", "设置名称为空"},
        {"Task Info", "a=b", "v", "设置名称“a=b”无效"},
        {"Task Info", ";k", "v", "设置名称“;k”无效"},
        {"a]b", "k", "v", "设置名称“a]b”无效"},
        {"Task Info", "😀", "v", "设置名称中含有无法保存的字符“😀”"},
    };
    for (const Case& c : cases) {
        MessageRecorder recorder;
        EXPECT_FALSE(zem::WriteProfileString(path, c.section, c.key, c.value)) << c.message;
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{c.message + tail});
        EXPECT_EQ(ReadBytes(path), original) << c.message;
    }
    // Refused in memory too, leaving the document as it was.
    MessageRecorder recorder;
    zem::IniFile ini = zem::IniFile::FromBytes("[s]\r\nk=v");
    EXPECT_FALSE(ini.SetString("s", "k", "😀"));
    EXPECT_EQ(ini.Bytes(), "[s]\r\nk=v");
    EXPECT_FALSE(ini.IsModified());
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"设置值中含有无法保存的字符“😀”。"});
}

TEST_F(IniFileTest, KeepsLinesThatAreNotGbk)
{
    const std::string path = Fixture("bad-bytes.ini");
    const std::string original = ReadBytes(path);
    EXPECT_EQ(zem::GetProfileString(path, "Good", "A"), "1");
    EXPECT_EQ(zem::GetProfileString(path, "Good", "B", "<default>"), "<default>");
    EXPECT_EQ(zem::GetProfileString(path, "Good", "C"), "3");
    // The keys under a header that does not decode do not join the section before it.
    EXPECT_EQ(zem::GetProfileString(path, "Good", "D", "<default>"), "<default>");
    EXPECT_EQ(zem::GetProfileSection(path, "Good"), (zem::IniKeyValues{{"A", "1"}, {"C", "3"}}));
    EXPECT_EQ(zem::GetProfileSectionNames(path), (std::vector<std::string>{"Good", "Tail"}));

    ASSERT_TRUE(zem::WriteProfileString(path, "Good", "C", "33"));
    EXPECT_EQ(ReadBytes(path), ReplaceOnce(original, "C=3\r\n", "C=33\r\n"));
    // A write mends the undecodable value in place.
    ASSERT_TRUE(zem::WriteProfileString(path, "Good", "B", "2"));
    EXPECT_EQ(ReadBytes(path), ReplaceBytesOnce(ReplaceOnce(original, "C=3\r\n", "C=33\r\n"), "B=\xfe\xff", "B=2"));
}

TEST_F(IniFileTest, DeletesKeysAndSections)
{
    const std::string path = Fixture("windows.ini");
    const std::string original = ReadBytes(path);

    // Both spellings of the duplicate go, so no old value shows through.
    ASSERT_TRUE(zem::DeleteProfileKey(path, "Task Info", "NAME"));
    EXPECT_EQ(ReadBytes(path), ReplaceOnce(ReplaceOnce(original, "Name=初二年级 喆堃\r\n", ""), "name=重复的键\r\n", ""));
    EXPECT_EQ(zem::GetProfileString(path, "Task Info", "Name", "<default>"), "<default>");

    WriteBytes(path, original);
    ASSERT_TRUE(zem::DeleteProfileSection(path, "Common"));
    EXPECT_EQ(ReadBytes(path),
              ReplaceOnce(original,
                          "[COMMON]\r\n  AutoBackupBeforeRestore = 0\r\n   ; 注释=不是键\r\nCount=12abc\r\nFlag\r\n"
                          "[common]\r\nCount=99\r\n",
                          ""));
    EXPECT_EQ(zem::GetProfileInt(path, "Common", "Count", -1), -1);

    // Deleting what is not there writes nothing, and creates no file.
    const std::string absent = (dir_ / "absent.ini").string();
    EXPECT_TRUE(zem::DeleteProfileKey(absent, "s", "k"));
    EXPECT_TRUE(zem::DeleteProfileSection(absent, "s"));
    EXPECT_FALSE(fs::exists(absent));
}

TEST_F(IniFileTest, FailedWritesChangeNothing)
{
    {
        MessageRecorder recorder;
        const fs::path path = dir_ / "no-folder" / "zem.ini";
        EXPECT_FALSE(zem::WriteProfileString(path.string(), "SYSTEM", "Auth", "x"));
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"无法写入文件：\n" + path.string() + "\n（文件夹不存在）"});
        EXPECT_FALSE(fs::exists(path.parent_path()));
    }
    {
        // An existing file that cannot be read is never replaced.
        MessageRecorder recorder;
        const fs::path path = dir_ / "a-folder";
        fs::create_directory(path);
        EXPECT_FALSE(zem::WriteProfileString(path.string(), "s", "k", "v"));
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"无法读取文件：\n" + path.string() + "\n（这是一个文件夹）"});
        EXPECT_TRUE(fs::is_directory(path));
        EXPECT_TRUE(fs::is_empty(path));
    }
    if (::geteuid() != 0) {
        MessageRecorder recorder;
        const fs::path folder = dir_ / "read-only";
        fs::create_directory(folder);
        const std::string path = (folder / "task.ini").string();
        WriteBytes(path, "[s]\r\nk=v\r\n");
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(zem::WriteProfileString(path, "s", "k", "w"));
        fs::permissions(folder, fs::perms::owner_all);
        EXPECT_EQ(ReadBytes(path), "[s]\r\nk=v\r\n");
        EXPECT_EQ(recorder.Texts().size(), 1u);
    }
}

TEST_F(IniFileTest, SaveKeepsModeReplacesALinkAndLeavesNoTemporaryFile)
{
    const fs::path real = dir_ / "real.ini";
    const fs::path link = dir_ / "link.ini";
    WriteBytes(real, "[s]\r\nk=v\r\n");
    ::chmod(real.c_str(), 0640);
    ASSERT_TRUE(zem::WriteProfileString(real.string(), "s", "k", "w"));
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A save never writes through a link: the link becomes a file, what it pointed to stays.
    fs::create_symlink(real.filename(), link);
    ASSERT_TRUE(zem::WriteProfileString(link.string(), "s", "k", "x"));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(link), "[s]\r\nk=x\r\n");
    EXPECT_EQ(ReadBytes(real), "[s]\r\nk=w\r\n");

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"link.ini", "real.ini"}));
}

TEST_F(IniFileTest, DamagedBytesNeverCrashAndRoundTrip)
{
    // What the fuzzer checks of every input: reads, edits and the byte-exact round trip.
    const zemfuzz::Target ini = zemfuzz::FindTarget("ini");
    ASSERT_NE(ini, nullptr);
    const std::string inputs[] = {
        "",
        "[",
        "]",
        "[\xff",
        "=",
        "==\r\n=a=b",
        "\r\r\n\r",
        std::string("\0[\0]\0=\0\n", 9),
        "[a]\n\x81",
        "[a\x81]\nk=1",
        "[a]\nk=\"",
        "[a]\nk='\n",
        "[a]\n  [b  \n k = v ",
        "\r\n\r\r\n\n\r",
        std::string(10000, '['),
    };
    for (const std::string& input : inputs) {
        EXPECT_EQ(zem::IniFile::FromBytes(input).Bytes(), input);
        EXPECT_EQ(ini(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), 0);
    }
    // A header without ']' names the rest of its line.
    EXPECT_EQ(zem::IniFile::FromBytes("[a]\n  [b  \n k = v ").GetString("b", "k"), "v");
}

}  // namespace
