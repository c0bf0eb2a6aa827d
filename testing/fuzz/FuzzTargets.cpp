#include "testing/fuzz/FuzzTargets.h"

#include "app/output/workbook/WorkbookReader.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/Xml.h"

#include <stdlib.h>

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <filesystem>
#include <string>

namespace zemfuzz {
namespace {

void Check(bool ok, const char* promise)
{
    if (!ok) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

// Damaged files make the readers speak; nobody is there to answer.
struct QuietMessages {
    zem::MessageHook previous = zem::SetMessageHook([](const zem::MessageRequest&) { return zem::IDOK; });
    ~QuietMessages() { zem::SetMessageHook(previous); }
};

// A folder of this process's own, removed when the process ends normally.
class Workspace {
public:
    static const std::string& Folder()
    {
        static Workspace workspace;
        return workspace.m_folder;
    }

private:
    Workspace()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zem-fuzz-XXXXXX").string();
        Check(::mkdtemp(pattern.data()) != nullptr, "a temporary folder can be made");
        m_folder = pattern + "/";
    }
    ~Workspace()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }

    std::string m_folder;
};

// Plain writes, not the program's atomic ones: this runs for every input.
void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr, "the workspace can be written");
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    Check(zem::ReadFileBytes(path, bytes), "a file just written can be read");
    return bytes;
}

// A task folder in the workspace with its task file and, when given, input.xml.
struct FuzzTask {
    FuzzTask(const std::string& name, std::string_view inputBytes)
    {
        QuietMessages quiet;
        info.SetTaskFolder(Workspace::Folder() + name);
        info.SetTaskName(name);
        Check(zem::MakeFolder(info.GetTaskFolder()) && info.WriteToFile(), "a task file can be made");
        if (!inputBytes.empty())
            WriteBytes(info.GetInputFilePath(), inputBytes);
    }
    CTaskInfo info;
};

std::string_view View(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The same document without its comments and processing instructions, as file bytes written
// without indentation so that every text stays as it was; empty when the bytes do not parse or
// hold neither. Reading it must give what reading the bytes gave: a note in a file hides nothing.
std::string WithoutComments(std::string_view bytes)
{
    pugi::xml_document doc;
    if (!zem::ParseXmlBytes(doc, bytes))
        return {};
    static constexpr std::string_view kMarkChars = "\x01\x02\x03\x04";
    struct Collect : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> passed;
        std::vector<pugi::xml_node> texts;
        bool marked = false;  // an attribute holds a character the marks below use
        bool for_each(pugi::xml_node& node) override
        {
            if (node.type() == pugi::node_comment || node.type() == pugi::node_pi)
                passed.push_back(node);
            else if (node.type() == pugi::node_pcdata)
                texts.push_back(node);
            for (const pugi::xml_attribute attribute : node.attributes())
                marked = marked || std::string_view(attribute.value()).find_first_of(kMarkChars) != std::string_view::npos;
            return true;
        }
    } collect;
    doc.traverse(collect);
    if (collect.passed.empty() || collect.marked)
        return {};
    for (pugi::xml_node node : collect.passed)
        node.parent().remove_child(node);
    // A text of white space alone, which the file held as references, would be dropped when
    // read back if written plainly: its characters go through as control characters, which the
    // writer escapes, and are put back as references after. A text that holds such characters
    // itself is left out of the promise.
    static constexpr std::pair<char, std::string_view> kMarks[] = {
        {' ', "&#32;"}, {'\t', "&#9;"}, {'\n', "&#10;"}, {'\r', "&#13;"}};
    for (pugi::xml_node text : collect.texts) {
        std::string value = text.value();
        if (value.find_first_of(kMarkChars) != std::string::npos)
            return {};
        if (value.find_first_not_of(" \t\n\r") != std::string::npos)
            continue;
        for (char& c : value)
            c = static_cast<char>(1 + std::find_if(std::begin(kMarks), std::end(kMarks),
                                                   [c](const auto& mark) { return mark.first == c; }) -
                                  std::begin(kMarks));
        text.set_value(value.c_str());
    }
    struct StringWriter : pugi::xml_writer {
        std::string text;
        void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
    } writer;
    doc.print(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    // A carriage return in a text would read back as a line feed.
    std::string text = zem::ReplaceAll(writer.text, "\r", "&#13;");
    for (std::size_t i = 0; i < std::size(kMarks); ++i)
        text = zem::ReplaceAll(std::move(text), zem::Format("&#%02zu;", i + 1), kMarks[i].second);
    std::string gbk;
    zem::Utf8ToGbkWithCharRefs(text, gbk);
    return std::string(zem::kXmlDeclaration) + gbk;
}

// Opens the task, saves its input.xml and gives the bytes saved; empty when it does not open.
std::string OpenAndSaveInput(const CTaskInfo& info)
{
    CScheduleTask task;
    if (!task.Open(info.GetTaskFile()))
        return {};
    // A task that opens is saved so that it opens again and saves the same.
    Check(task.SaveInputData(), "an opened task can be saved");
    return ReadBytes(info.GetInputFilePath());
}

int InputXml(const std::uint8_t* data, std::size_t size)
{
    static const FuzzTask fuzzTask("input", {});
    QuietMessages quiet;
    const std::string path = fuzzTask.info.GetInputFilePath();
    const std::string stripped = WithoutComments(View(data, size));
    WriteBytes(path, View(data, size));
    const std::string saved = OpenAndSaveInput(fuzzTask.info);
    if (!stripped.empty()) {
        WriteBytes(path, stripped);
        Check(OpenAndSaveInput(fuzzTask.info) == saved, "comments change nothing of what is read");
    }
    if (saved.empty())
        return 0;
    Check(OpenAndSaveInput(fuzzTask.info) == saved, "a saved task reads back the same");
    return 0;
}

// Opens the school, saves its output.xml and gives the bytes saved; empty when the timetables
// were not read in full.
std::string OpenAndSaveOutput(const CTaskInfo& info)
{
    CScheduleTask task;
    Check(task.Open(info.GetTaskFile()), "the school opens");
    if (task.IsOutputReadPartial())
        return {};
    // Timetables read in full are written so that they read back the same.
    Check(task.SaveOutputData(), "timetables read in full can be saved");
    return ReadBytes(info.GetOutputFilePath());
}

// The timetables of a small school with every kind of object.
int OutputXml(const std::uint8_t* data, std::size_t size)
{
    static const FuzzTask fuzzTask("output", ReadBytes(std::string(ZEM_FUZZ_DATA_DIR) + "/input/full.xml"));
    QuietMessages quiet;
    const std::string path = fuzzTask.info.GetOutputFilePath();
    const std::string stripped = WithoutComments(View(data, size));
    WriteBytes(path, View(data, size));
    const std::string saved = OpenAndSaveOutput(fuzzTask.info);
    if (!stripped.empty()) {
        WriteBytes(path, stripped);
        Check(OpenAndSaveOutput(fuzzTask.info) == saved, "comments change nothing of what is read");
    }
    if (saved.empty())
        return 0;
    Check(OpenAndSaveOutput(fuzzTask.info) == saved, "saved timetables read back the same");
    return 0;
}

// Which texts two sets must hold alike.
enum class Texts {
    Same,   // read from files that hold the same texts
    Saved,  // the second read from what the first saved: a line end inside a text reads back as a
            // plain line feed, by design
};

bool SameData(const CProctorData& a, const CProctorData& b, Texts texts)
{
    auto lines = [texts](std::vector<std::string> values) {
        if (texts == Texts::Saved)
            for (std::string& value : values)
                value = zem::ReplaceAll(std::move(value), "\r\n", "\n");
        return values;
    };
    auto samePlan = [&](const auto& x, const auto& y) {
        // The file holds the date of "date" and the time of day of the two times.
        return x->id == y->id && x->date.FormatDate() == y->date.FormatDate() &&
               x->startTime.FormatTime() == y->startTime.FormatTime() &&
               x->endTime.FormatTime() == y->endTime.FormatTime() && x->subject == y->subject &&
               lines(x->rooms) == y->rooms && x->teacherCount == y->teacherCount;
    };
    auto sameItem = [&](const auto& x, const auto& y) {
        return x->id == y->id && x->plan == y->plan && x->room == y->room && lines(x->teachers) == y->teachers;
    };
    return std::equal(a.GetPlanList().begin(), a.GetPlanList().end(), b.GetPlanList().begin(),
                      b.GetPlanList().end(), samePlan) &&
           lines(a.GetTeacherArray()) == b.GetTeacherArray() && a.GetRule().classPolicy == b.GetRule().classPolicy &&
           a.GetRule().subjectPolicy == b.GetRule().subjectPolicy &&
           std::equal(a.GetProctorList().begin(), a.GetProctorList().end(), b.GetProctorList().begin(),
                      b.GetProctorList().end(), sameItem);
}

// One file of an invigilation set; what opens is saved as another set, which must read back the
// same, and the file without its comments must read the same.
int ProctorFile(const char* name, const char* file, const std::uint8_t* data, std::size_t size)
{
    static const FuzzTask fuzzTask("proctor", {});
    static CScheduleTask& task = [] () -> CScheduleTask& {
        static CScheduleTask owner;
        owner.SetTaskInfo(fuzzTask.info);
        return owner;
    }();
    QuietMessages quiet;
    const std::string folder = fuzzTask.info.GetProctorFolder() + name;
    zem::MakeFolder(folder);
    WriteBytes(folder + "/" + file, View(data, size));
    CScheduleProctor proctor;
    const bool opened = proctor.Open(&task, name);
    if (const std::string stripped = WithoutComments(View(data, size)); !stripped.empty()) {
        WriteBytes(folder + "/" + file, stripped);
        CScheduleProctor plain;
        Check(plain.Open(&task, name) == opened && (!opened || SameData(proctor.data(), plain.data(), Texts::Same)),
              "comments change nothing of what is read");
    }
    if (!opened)
        return 0;
    proctor.SetName("copy");
    Check(proctor.Save(), "what was read can be saved");
    CScheduleProctor again;
    Check(again.Open(&task, "copy"), "a saved set opens");
    Check(SameData(proctor.data(), again.data(), Texts::Saved), "a saved set reads back the same");
    return 0;
}

int ProctorIn(const std::uint8_t* data, std::size_t size) { return ProctorFile("in", "in.xml", data, size); }
int ProctorOut(const std::uint8_t* data, std::size_t size) { return ProctorFile("out", "out.xml", data, size); }

// An ini file's bytes: an unedited document gives back every byte, one read as UTF-8 its GBK form
// (which reads back the same); every key reads as listed, and an edit reads back.
int Ini(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = View(data, size);
    zem::IniFile ini = zem::IniFile::FromBytes(bytes);
    const std::string written = ini.Bytes();
    Check(ini.IsConverted() ? zem::IniFile::FromBytes(written).Bytes() == written : written == bytes,
          "an unedited file is written as it was read");
    QuietMessages quiet;
    const std::vector<std::string> names = ini.GetSectionNames();
    for (const std::string& name : names) {
        for (const auto& [key, value] : ini.GetSectionKeys(name)) {
            Check(ini.GetString(name, key) == value, "a key reads as its section lists it");
            ini.GetInt(name, key, 0);
        }
    }
    const std::string section = names.empty() ? "Fuzz" : names.front();
    if (ini.SetString(section, "FuzzKey", " fuzz value "))
        Check(ini.GetString(section, "FuzzKey") == " fuzz value ", "a stored value reads back");
    ini.DeleteKey(section, "FuzzKey");
    ini.DeleteSection(section);
    return 0;
}

// The GBK decoder, the measures of UTF-8 text, and the XML file parser over the same bytes.
int Gbk(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = View(data, size);
    std::string utf8;
    if (zem::GbkToUtf8(bytes, utf8)) {
        std::string gbk;
        Check(zem::Utf8ToGbk(utf8, gbk), "decoded text encodes again");
        std::string again;
        Check(zem::GbkToUtf8(gbk, again) && again == utf8, "decoded text survives a round trip");
        std::string withRefs;
        Check(zem::Utf8ToGbkWithCharRefs(utf8, withRefs) && withRefs == gbk, "text GBK holds needs no references");
        Check(zem::GbkWidth(utf8) == static_cast<int>(gbk.size()), "the width of text is its GBK length");
    }
    // The same bytes as UTF-8 text, valid or not.
    const int width = zem::GbkWidth(bytes);
    Check(width >= 0, "a width is not negative");
    const int limit = width / 2;
    const std::string_view prefix = zem::GbkPrefix(bytes, limit);
    Check(bytes.substr(0, prefix.size()) == prefix && zem::GbkWidth(prefix) <= limit, "a prefix fits its limit");
    std::string converted;
    Check(zem::Utf8ToGbkWithCharRefs(bytes, converted) == (zem::FirstInvalidUtf8(bytes) == std::string_view::npos),
          "a conversion fails exactly on text that is not UTF-8");
    Check(zem::CompareGbk(bytes, utf8) == -zem::CompareGbk(utf8, bytes), "comparing is antisymmetric");
    pugi::xml_document doc;
    std::string error;
    if (!zem::ParseXmlBytes(doc, bytes, &error))
        Check(!error.empty(), "a parse failure says why");
    return 0;
}

// A sheet read from a workbook a user picked: read whole or refused with a reason, never half.
void CheckSheetRead(bool ok, const zem::workbook::SheetData& sheet, const std::string& error)
{
    Check(ok == error.empty(), "a refused workbook says why, a read one says nothing");
    Check(ok || (sheet.IsEmpty() && sheet.name.empty()), "a refused workbook leaves no cells");
    if (!sheet.IsEmpty()) {
        Check(sheet.FirstRow() >= 1 && sheet.FirstRow() <= sheet.LastRow() && sheet.FirstColumn() >= 1 &&
                  sheet.FirstColumn() <= sheet.LastColumn(),
              "the used range is a range");
        Check(!sheet.IsOverReadLimit(), "a sheet holds no more than the limits");
        Check(sheet.Value(sheet.FirstRow() - 1, sheet.FirstColumn()).type == zem::workbook::CellValue::Type::Empty,
              "nothing lies above the used range");
    }
}

int Xlsx(const std::uint8_t* data, std::size_t size)
{
    zem::workbook::SheetData sheet;
    std::string error;
    const bool ok = zem::workbook::ReadXlsxBytes(View(data, size), sheet, error);
    CheckSheetRead(ok, sheet, error);
    return 0;
}

// An .xls file, read by the reader's own process: whatever the file does to that process, this one
// gets the cells or a reason. The first bytes always say .xls, so that every input reaches it.
int Xls(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::string_view kMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    std::string bytes(kMagic);
    if (size > kMagic.size())
        bytes.append(View(data, size).substr(kMagic.size()));
    const std::string path = Workspace::Folder() + "fuzz.xls";
    WriteBytes(path, bytes);
    zem::workbook::SheetData sheet;
    std::string error;
    const bool ok = zem::workbook::ReadWorkbookSheet(path, sheet, error);
    CheckSheetRead(ok, sheet, error);
    return 0;
}

}  // namespace

const std::vector<NamedTarget>& Targets()
{
    static const std::vector<NamedTarget> targets = {
        {"input_xml", InputXml}, {"output_xml", OutputXml}, {"proctor_in", ProctorIn},
        {"proctor_out", ProctorOut}, {"ini", Ini}, {"gbk", Gbk}, {"xlsx", Xlsx}, {"xls", Xls},
    };
    return targets;
}

Target FindTarget(std::string_view name)
{
    for (const NamedTarget& target : Targets())
        if (target.name == name)
            return target.run;
    return nullptr;
}

}  // namespace zemfuzz
