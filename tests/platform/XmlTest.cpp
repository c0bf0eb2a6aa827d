#include "platform/Xml.h"

#include "platform/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace zem;

namespace {

const std::string kFixture = std::string(ZEM_TEST_DATA_DIR) + "/teachers-gbk.xml";

TEST(Xml, GbkFileReadsAsUtf8AndWritesBackByteIdentical)
{
    pugi::xml_document doc;
    std::string error;
    ASSERT_TRUE(LoadXmlFile(doc, kFixture, &error)) << error;

    const pugi::xml_node input = doc.child("Input");
    EXPECT_EQ(input.first_child().type(), pugi::node_comment);
    EXPECT_STREQ(input.first_child().value(), "教师名单");
    const pugi::xml_node first = input.child("TeacherInfo").child("Teacher");
    EXPECT_STREQ(first.attribute("name").value(), "张喆");
    EXPECT_STREQ(first.text().get(), "李堃");
    EXPECT_STREQ(first.next_sibling().text().get(), "陈瑋|琝");
    EXPECT_STREQ(first.next_sibling().attribute("name").value(), "王玥");
    EXPECT_STREQ(first.next_sibling().next_sibling().attribute("name").value(), "A&B <瑋>");

    const std::string original = ReadRaw(kFixture);
    std::string bytes;
    ASSERT_TRUE(XmlFileBytes(doc, bytes));
    EXPECT_EQ(bytes, original);
    TempFolder folder;
    ASSERT_TRUE(SaveXmlFile(doc, folder / "saved.xml", &error)) << error;
    EXPECT_EQ(ReadRaw(folder / "saved.xml"), original);
}

TEST(Xml, SaveWritesOneExactDeclarationAndReferencesForCharactersOutsideGbk)
{
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("Root");
    root.append_attribute("face") = "笑😀";
    root.append_child("Name").text() = "𠀀喆";
    root.append_child("Lines").text() = "一\r\n二\n三";
    root.append_child("Return").text() = "四\r五\r";

    std::string bytes;
    ASSERT_TRUE(XmlFileBytes(doc, bytes));
    EXPECT_EQ(bytes.rfind(std::string(kXmlDeclaration) + "\r\n", 0), 0u);
    EXPECT_EQ(bytes.find("<?xml", 1), std::string::npos);
    EXPECT_NE(bytes.find("&#x1F600;"), std::string::npos);
    EXPECT_NE(bytes.find("&#x20000;"), std::string::npos);

    TempFolder folder;
    std::string error;
    ASSERT_TRUE(SaveXmlFile(doc, folder / "out.xml", &error)) << error;
    pugi::xml_document back;
    ASSERT_TRUE(LoadXmlFile(back, folder / "out.xml", &error)) << error;
    EXPECT_STREQ(back.child("Root").attribute("face").value(), "笑😀");
    EXPECT_STREQ(back.child("Root").child("Name").text().get(), "𠀀喆");
    // Line ends inside text survive the CR LF of the file.
    EXPECT_STREQ(back.child("Root").child("Lines").text().get(), "一\n二\n三");
    // A carriage return on its own is no line end and stays what it was.
    EXPECT_STREQ(back.child("Root").child("Return").text().get(), "四\r五\r");
}

TEST(Xml, TheDeclaredEncodingIsHonoured)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;  // nullptr: reads as 喆
    };
    const Case cases[] = {
        {"no declaration", "<a>\x86\xb4</a>", nullptr},
        {"GB2312", "<?xml version='1.0' encoding='GB2312'?><a>\x86\xb4</a>", nullptr},
        {"gbk", "<?xml version=\"1.0\" encoding = \"gbk\"?><a>\x86\xb4</a>", nullptr},
        {"GB18030", "<?xml version='1.0' encoding='GB18030'?><a>\x86\xb4</a>", nullptr},
        {"UTF-8", "<?xml version='1.0' encoding='UTF-8'?><a>\xE5\x96\x86</a>", nullptr},
        {"UTF-8 after a mark, declared GB2312", "\xEF\xBB\xBF<?xml version='1.0' encoding='GB2312'?><a>\xE5\x96\x86</a>",
         nullptr},
        {"GBK declared as UTF-8", "<?xml version='1.0' encoding='UTF-8'?><a>\x86\xb4</a>", "文件编码有误：不是 UTF-8 编码的文本"},
        // Forms a lax decoder takes for characters, which no converter writes back.
        {"an overlong form in UTF-8", "<?xml version='1.0' encoding='UTF-8'?><a>\xC0\xAF</a>", "文件编码有误"},
        {"a surrogate in UTF-8", "<?xml version='1.0' encoding='UTF-8'?><a>\xED\xA0\x80</a>", "文件编码有误"},
        {"past U+10FFFF in UTF-8", "<?xml version='1.0' encoding='UTF-8'?><a>\xF4\x90\x80\x80</a>", "文件编码有误"},
        {"Big5", "<?xml version='1.0' encoding='Big5'?><a>x</a>", "不支持文件声明的编码“Big5”"},
        {"UTF-16", std::string("\xFF\xFE<\0a\0/\0>\0", 10), "不支持 UTF-16 编码的文件"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pugi::xml_document doc;
        std::string error;
        EXPECT_EQ(ParseXmlBytes(doc, c.bytes, &error), c.error == nullptr) << error;
        if (c.error)
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        else
            EXPECT_STREQ(doc.child("a").text().get(), "喆");
    }
    // GB18030's four-byte characters, which GBK lacks.
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes(doc, "<?xml version='1.0' encoding='GB18030'?><a>\x95\x32\x82\x36</a>"));
    EXPECT_STREQ(doc.child("a").text().get(), "𠀀");
}

TEST(Xml, NestingDeeperThanAnyFileIsRefusedWithoutRecursion)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    deep += "x";
    for (int i = 0; i < 100000; ++i)
        deep += "</a>";
    pugi::xml_document doc;
    std::string error;
    EXPECT_FALSE(ParseXmlBytes(doc, deep, &error));
    EXPECT_EQ(error, "XML 嵌套层次过深（超过 32 层）");
    EXPECT_FALSE(doc.first_child());

    // Exactly at the limit, counting the text under the innermost element.
    std::string atLimit = "x";
    for (int i = 0; i < kMaxXmlDepth - 1; ++i)
        atLimit = "<a>" + atLimit + "</a>";
    EXPECT_TRUE(ParseXmlBytes(doc, atLimit, &error)) << error;
    EXPECT_FALSE(ParseXmlBytes(doc, "<a>" + atLimit + "</a>", &error));
}

TEST(Xml, DamagedFilesFailWithWhatAndWhere)
{
    TempFolder folder;
    const std::string good = ReadRaw(kFixture);
    struct Case {
        const char* file;
        std::string bytes;  // not written for "missing.xml"
        std::string expected;
    };
    const Case cases[] = {
        {"missing.xml", "", "找不到文件"},
        {"empty.xml", "", "文件是空的"},
        {"blank.xml", "\r\n  \r\n", "没有根元素"},
        {"not-gbk.xml", "<a>\r\n<b>\x81\x7F</b></a>", "不是 GBK 编码的文本（第 2 行，第 4 列）"},
        {"bad-utf8.xml", "\xEF\xBB\xBF<a>\xE5\x96</a>", "不是 UTF-8 编码的文本（第 1 行，第 4 列）"},
        {"overlong.xml", "<?xml version='1.0' encoding='UTF-8'?>\r\n<a n=\"\xE7\x8E\x8B\xC0\xAF\"/>",
         "文件编码有误：不是 UTF-8 编码的文本（第 2 行，第 8 列）"},
        {"cut.xml", good.substr(0, good.size() / 2), "XML 格式错误"},
        {"mismatch.xml", "<a>\n<b></a>", "XML 格式错误（第 2 行，第 6 列）"},
        // References to no character: text would be cut there, or hold bytes that are no text.
        {"ref-zero.xml", "<a>\r\n<b>x&#0;y</b></a>", "XML 格式错误（第 2 行，第 5 列）：字符引用无效"},
        {"ref-huge.xml", "<a b=\"&#888888888;\"/>", "XML 格式错误（第 1 行，第 7 列）：字符引用无效"},
        {"ref-surrogate.xml", "<a>&#xD800;</a>", "XML 格式错误（第 1 行，第 4 列）：字符引用无效"},
    };
    for (const Case& c : cases) {
        const std::string path = folder / c.file;
        if (std::string(c.file) != "missing.xml")
            WriteRaw(path, c.bytes);
        pugi::xml_document doc;
        doc.append_child("Stale");
        std::string error;
        EXPECT_FALSE(LoadXmlFile(doc, path, &error)) << c.file;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.file << ": " << error;
        EXPECT_NE(error.find(path), std::string::npos) << c.file << ": " << error;
        EXPECT_FALSE(doc.first_child()) << c.file;
    }
    pugi::xml_document doc;
    std::string error;
    EXPECT_FALSE(LoadXmlFile(doc, folder.path(), &error));
    EXPECT_NE(error.find("文件夹"), std::string::npos) << error;

    // Comments and CDATA sections hold no references; references to characters are fine.
    EXPECT_TRUE(ParseXmlBytes(doc, "<a><!-- &#0; --><![CDATA[&#0;]]>&#x20BB7;&#1114111;</a>", &error)) << error;
}

TEST(Xml, FailedSaveChangesNothing)
{
    TempFolder folder;
    pugi::xml_document doc;
    doc.append_child("Input");
    std::string error;

    EXPECT_FALSE(SaveXmlFile(doc, folder / "gone/input.xml", &error));
    EXPECT_NE(error.find("文件夹不存在"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(folder / "gone"));

    // A folder in the file's place stays as it is.
    WriteRaw(folder / "input.xml/keep.txt", "keep");
    error.clear();
    EXPECT_FALSE(SaveXmlFile(doc, folder / "input.xml", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadRaw(folder / "input.xml/keep.txt"), "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace

namespace {

// What a save leaves: the file's bytes, or "missing".
std::string Left(const std::string& path) { return FileExists(path) ? ReadRaw(path) : "missing"; }

}  // namespace

TEST(Xml, ASaveNeverPutsInPlaceWhatDoesNotReadBack)
{
    TempFolder folder;
    const std::string path = folder / "a.xml";
    WriteRaw(path, "old");
    // Text that is no UTF-8 has no bytes to write: the save says where, and nothing is written.
    for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE5\x96"}) {
        pugi::xml_document doc;
        doc.append_child("Root").append_attribute("name").set_value(("王" + bad + "喆").c_str());
        std::string bytes;
        EXPECT_FALSE(XmlFileBytes(doc, bytes));
        std::string error;
        int code = 0;
        EXPECT_FALSE(SaveXmlFile(doc, path, &error, &code));
        EXPECT_EQ(code, EILSEQ);
        EXPECT_NE(error.find("文件中有无法保存的文字：第 2 行"), std::string::npos) << error;
        EXPECT_EQ(Left(path), "old");
    }
    // A writer whose bytes lose text, or change it, is caught before its file goes in place.
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Root");
    root.append_attribute("name").set_value("王玥");
    root.append_child("Text").text().set("一\r\n二");
    for (const auto& [what, change] : std::vector<std::pair<const char*, std::function<void(std::string&)>>>{
             {"cut at the name", [](std::string& b) { b.resize(b.find("\xcd\xf5")); }},
             {"a character changed", [](std::string& b) { b.replace(b.find("\xcd\xf5"), 2, "?"); }},
             {"an element left out", [](std::string& b) { b.erase(b.find("<Text>"), b.find("</Text>") + 7 - b.find("<Text>")); }},
         }) {
        SCOPED_TRACE(what);
        const FileBytesHook previous = SetFileBytesHookForTesting([&](const std::string& at, std::string& bytes) {
            if (at == path)
                change(bytes);
        });
        std::string error;
        int code = 0;
        EXPECT_FALSE(SaveXmlFile(doc, path, &error, &code));
        SetFileBytesHookForTesting(previous);
        EXPECT_EQ(code, EILSEQ);
        EXPECT_NE(error.find("写入的内容读回时与要保存的不符"), std::string::npos) << error;
        EXPECT_EQ(Left(path), "old");
        std::vector<FolderEntry> entries;
        ASSERT_TRUE(ListFolder(folder.path(), entries));
        EXPECT_EQ(entries.size(), 1u);  // no temporary file left
    }
    // The same document, written as it is, reads back and goes in place.
    std::string error;
    ASSERT_TRUE(SaveXmlFile(doc, path, &error)) << error;
    pugi::xml_document back;
    ASSERT_TRUE(LoadXmlFile(back, path, &error)) << error;
    EXPECT_TRUE(XmlReadsBackAs(doc, ReadRaw(path)));
}
