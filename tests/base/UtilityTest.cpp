#include "base/CellRecord.h"
#include "base/Utility.h"

#include "support/TempFolder.h"
#include "platform/Xml.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// Parses UTF-8 source text (the mark tells the reader it is not GBK).
pugi::xml_node Parse(pugi::xml_document& doc, const char* xml)
{
    EXPECT_TRUE(zem::ParseXmlBytes(doc, std::string("\xEF\xBB\xBF") + xml)) << xml;
    return doc.document_element();
}

TEST(Utility, FindChildNodeByNameStopsAtTheFirstChildThatIsNotAnElement)
{
    struct Case {
        const char* xml;
        const char* name;
        const char* foundText;  // nullptr: not found
    };
    const Case cases[] = {
        {"<r><a>1</a><B>2</B></r>", "b", "2"},
        {"<r><a>1</a><a>2</a></r>", "A", "1"},
        {"<r><a>1</a></r>", "ab", nullptr},
        {"<r><!--note--><a>1</a></r>", "a", nullptr},
        {"<r><a>1</a><!--note--><b>2</b></r>", "b", nullptr},
        {"<r><?pi data?><a>1</a></r>", "a", nullptr},
        {"<r>text<a>1</a></r>", "a", nullptr},
        {"<r>\r\n  <a>1</a>\r\n</r>", "a", "1"},
        {"<r><x><a>inner</a></x></r>", "a", nullptr},
    };
    for (const Case& c : cases) {
        pugi::xml_document doc;
        const pugi::xml_node found = FindChildNodeByName(Parse(doc, c.xml), c.name);
        if (c.foundText)
            EXPECT_STREQ(found.text().get(), c.foundText) << c.xml;
        else
            EXPECT_FALSE(found) << c.xml;
    }

    // The same on a file: the comment before the teachers hides them from the walk.
    pugi::xml_document doc;
    ASSERT_TRUE(zem::LoadXmlFile(doc, std::string(ZEM_TEST_DATA_DIR) + "/teachers-gbk.xml"));
    pugi::xml_node input = doc.child("Input");
    EXPECT_FALSE(FindChildNodeByName(input, "TeacherInfo"));
    input.remove_child(input.first_child());
    const pugi::xml_node info = FindChildNodeByName(input, "teacherinfo");
    ASSERT_TRUE(info);
    EXPECT_EQ(GetNodeAttribute(FindChildNodeByName(info, "Teacher"), "name"), "张喆");
}

TEST(Utility, GetNodeAttributeMatchesTheNameExactly)
{
    pugi::xml_document doc;
    const pugi::xml_node e = Parse(doc, "<e id='7' Name='瑋' empty=''/>");
    EXPECT_EQ(GetNodeAttribute(e, "id"), "7");
    EXPECT_EQ(GetNodeAttribute(e, "Name"), "瑋");
    EXPECT_EQ(GetNodeAttribute(e, "name"), "");
    EXPECT_EQ(GetNodeAttribute(e, "empty"), "");
    EXPECT_EQ(GetNodeAttribute(pugi::xml_node(), "id"), "");
}

TEST(Utility, IsPathExistTellsFilesFromFolders)
{
    TempFolder folder;
    WriteRaw(folder / "task.zem", "x");
    std::filesystem::create_symlink("task.zem", folder / "link");
    struct Case {
        std::string path;
        bool wantFolder;
        bool expected;
    };
    const Case cases[] = {
        {folder.path(), true, true},       {folder.path(), false, false},
        {folder / "task.zem", false, true}, {folder / "task.zem", true, false},
        {folder / "link", false, true},     {folder / "none", false, false},
        {folder / "none", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPathExist(c.path, c.wantFolder), c.expected) << c.path << " " << c.wantFolder;
}

TEST(Utility, SplitTextToArray)
{
    struct Case {
        const char* text;
        const char* separators;
        bool skipEmpty;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"", ",", false, {}},
        {"a", ",", false, {"a"}},
        {"a,b", ",", false, {"a", "b"}},
        {"a,,b", ",", false, {"a", "", "b"}},
        {"a,,b", ",", true, {"a", "b"}},
        {"a,b,", ",", false, {"a", "b"}},
        {",a", ",", false, {"", "a"}},
        {",a", ",", true, {"a"}},
        {",", ",", false, {""}},
        {",,", ",", true, {}},
        {"1;2 3", "; ", false, {"1", "2", "3"}},
        {"abc", "", false, {"abc"}},
        // 瑋's second GBK byte is '|': the UTF-8 text splits only at the real separator.
        {"陈瑋|琝", "|", false, {"陈瑋", "琝"}},
        {"瑋瑋", "|", false, {"瑋瑋"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> pieces = {"kept"};
        const int count = SplitTextToArray(c.text, c.separators, pieces, c.skipEmpty);
        EXPECT_EQ(count, static_cast<int>(c.pieces.size())) << c.text;
        std::vector<std::string> expected = {"kept"};
        expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
        EXPECT_EQ(pieces, expected) << c.text;
    }
}

TEST(Utility, IsAllDigits)
{
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits("12a4"));
    EXPECT_FALSE(IsAllDigits("-1"));
    EXPECT_FALSE(IsAllDigits("１２"));
}

TEST(Utility, CellRecords)
{
    EXPECT_EQ(MakeCellText("语文", "张喆"), zem::JoinCellRecord({"1", "1", "语文", "张喆"}));
    EXPECT_EQ(MakeCellText("", "张喆"), zem::JoinCellRecord({"0", "1", "", "张喆"}));
    EXPECT_EQ(MakeCellTextEx("语文", "甲", "", "乙"), zem::JoinCellRecord({"2", "1", "语文", "甲", "2", "", "乙"}));
}

TEST(Utility, ActivityAndTimeNodeNames)
{
    EXPECT_EQ(GetActivityTypeName(0), "教学计划");
    EXPECT_EQ(GetActivityTypeName(1), "早读");
    EXPECT_EQ(GetActivityTypeName(2), "晚自习");
    EXPECT_EQ(GetActivityTypeName(7), "教学计划");

    // With the week named (a school of two weeks) and without it (a school of one).
    struct Case {
        tagTABLE_NODE node;
        const char* text;
        const char* withoutWeek;
    };
    const Case cases[] = {
        {{0, 0, 0}, "第1周周一上午第1节", "周一上午第1节"},
        {{7, 2, 1}, "第2周周一晚上第2节", "周一晚上第2节"},
        {{13, 4, 5}, "第2周周日晚自习第6节", "周日晚自习第6节"},
        {{14, 0, 0}, "", ""},
        {{0, 5, 0}, "", ""},
        {{-1, 0, 0}, "", ""},
        {{0, 0, 6}, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetTimeNodeText(&c.node, true), c.text) << c.node.day << c.node.segment << c.node.section;
        EXPECT_EQ(GetTimeNodeText(&c.node, false), c.withoutWeek) << c.node.day << c.node.segment << c.node.section;
    }
    EXPECT_EQ(GetTimeNodeText(nullptr, true), "");
}

TEST(Utility, UniqueStringsIgnoreAsciiCaseOnly)
{
    std::vector<std::string> ids = {"Abc", "张喆"};
    AddUniqueString(ids, "aBC");
    AddUniqueString(ids, "张喆");
    AddUniqueString(ids, "Ａbc");
    AddUniqueString(ids, "abcd");
    EXPECT_EQ(ids, (std::vector<std::string>{"Abc", "张喆", "Ａbc", "abcd"}));
    EXPECT_TRUE(IsStringInArray(ids, "ABCD"));
    EXPECT_FALSE(IsStringInArray(ids, "张"));
    EXPECT_FALSE(IsStringInArray({}, ""));
}

TEST(Utility, NodeKeysRoundTripAndBadKeysAreRefused)
{
    EXPECT_EQ(MakeNodeKey(0, 1, 2), "012");
    EXPECT_EQ(MakeNodeKey(10, 2, 3), "1023");
    for (int slot = 0; slot < zem::kSlotCount; ++slot) {
        const int day = slot / (zem::kSegmentCount * zem::kSectionCount);
        const int segment = slot / zem::kSectionCount % zem::kSegmentCount;
        const int section = slot % zem::kSectionCount;
        int d = -1, g = -1, s = -1;
        ASSERT_TRUE(ParseNodeKey(MakeNodeKey(day, segment, section), d, g, s)) << slot;
        ASSERT_EQ(SlotOf(d, g, s), slot);
    }

    struct Case {
        const char* key;
        bool valid;
        int day, segment, section;
    };
    const Case cases[] = {
        {"1245", true, 12, 4, 5},  {"5", true, 0, 0, 5},       {"9999", false, 99, 9, 9},
        {"1406", false, 14, 0, 6}, {"006", false, 0, 0, 6},     {"", false, 0, 0, 0},
        {"abc", false, 0, 0, 0},   {"012x", false, 0, 1, 2},    {"-12", false, 0, -1, -2},
        {" 12", false, 0, 1, 2},   {"99999999999", false, 21474836, 4, 7},
    };
    for (const Case& c : cases) {
        int d = -1, g = -1, s = -1;
        EXPECT_EQ(ParseNodeKey(c.key, d, g, s), c.valid) << c.key;
        EXPECT_EQ(d, c.day) << c.key;
        EXPECT_EQ(g, c.segment) << c.key;
        EXPECT_EQ(s, c.section) << c.key;
    }
}

TEST(Utility, CopyFolderSilentlyCopiesANestedFolder)
{
    TempFolder folder;
    WriteRaw(folder / "task/temp/第1周/out.xml", "<Output/>");
    WriteRaw(folder / "task/temp/in.xml", "<Input/>");
    EXPECT_EQ(CopyFolderSilently(folder / "task/temp/", folder / "copy/temp/"), 0);
    EXPECT_EQ(ReadRaw(folder / "copy/temp/第1周/out.xml"), "<Output/>");
    EXPECT_EQ(ReadRaw(folder / "copy/temp/in.xml"), "<Input/>");
    EXPECT_NE(CopyFolderSilently(folder / "task/none/", folder / "copy/none/"), 0);
}

}  // namespace
