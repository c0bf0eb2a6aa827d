#pragma once
// The one ini engine of the program: task files, task.ini, backup.ini and zem.ini all go through it.
//
// Files are GBK on disk and follow the Windows profile-file rules, so that a file written on either
// side reads the same on the other: section and key names ignore ASCII case, the first match wins,
// one pair of matching quotes around a value is stripped, a line whose first non-blank character is
// ';' is a comment, white space around names and values is ignored. A line in a section without '='
// is a key with an empty value.
//
// An edit changes only the line it concerns and keeps every other byte of the file as it was, so
// comments, odd spacing, duplicate keys, lines that are not valid GBK and a missing final line break
// all survive. New lines end in CRLF; CRLF, LF and CR are all read. A file that starts with a UTF-8
// byte-order mark is read as UTF-8 and written back as GBK; a line in it that is no UTF-8 is read
// as GBK, as editors leave such lines behind the mark. Every save is atomic.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zem {

using IniKeyValues = std::vector<std::pair<std::string, std::string>>;

// No settings file comes near this; a larger one is not read.
inline constexpr std::size_t kMaxIniFileBytes = std::size_t{1} << 20;

class IniFile {
public:
    IniFile() = default;

    // Reads the file. A missing file (or folder) gives an empty document and true; false (with an
    // empty document) when the file exists but cannot be read, is not a regular file or is larger
    // than kMaxIniFileBytes. Shows no message.
    bool Load(const std::string& path);
    // Load before an edit: a file that exists but cannot be read shows a message and gives false,
    // so that it is never replaced by a document that lacks its contents.
    bool LoadForEdit(const std::string& path);
    // A document over bytes already in memory; never throws on any input.
    static IniFile FromBytes(std::string_view bytes);

    // Writes the document to the path it was loaded from, atomically. A failure leaves the file as
    // it was, shows a message and returns false; given `error`, the message goes there instead.
    bool Save(std::string* error = nullptr) const { return SaveAs(path_, error); }
    bool SaveAs(const std::string& path, std::string* error = nullptr) const;
    // True when every key this document reads reads the same value from the bytes; otherwise
    // `reason` names the first that differs.
    bool ReadsBackAs(std::string_view bytes, std::string* reason = nullptr) const;
    // Save when an edit changed the bytes; true when there was nothing to write.
    bool SaveIfModified(std::string* error = nullptr) const { return !modified_ || Save(error); }

    const std::string& Path() const { return path_; }
    // The file's bytes as they would be saved.
    std::string Bytes() const;

    // Names are compared without ASCII case and without surrounding white space. A missing section
    // or key gives the default; so does a key whose value is not valid GBK.
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    // The value read as an integer prefix ("12abc" is 12, "abc" is 0); a missing or empty value
    // gives the default.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    // Section names in file order, each once.
    std::vector<std::string> GetSectionNames() const;
    // The keys of the section in file order, each once with its first value.
    IniKeyValues GetSectionKeys(std::string_view section) const;

    // Edits in memory; Save writes them. A name or value that cannot be stored (a line break, a
    // character GBK cannot hold, a name that would read back as something else) is refused with a
    // message and false, and the document is left as it was.
    bool SetString(std::string_view section, std::string_view key, std::string_view value);
    bool SetInt(std::string_view section, std::string_view key, int value);
    // Removes every line of the key in the section (so that no duplicate shows through).
    void DeleteKey(std::string_view section, std::string_view key);
    // Removes the section with all its lines, duplicates of it included.
    void DeleteSection(std::string_view section);

    // True once an edit has changed the bytes.
    bool IsModified() const { return modified_; }
    // True when the file was UTF-8: Bytes() then gives its GBK form, not the bytes read.
    bool IsConverted() const { return converted_; }

private:
    enum class LineKind { Blank, Comment, Section, Key };
    struct Line {
        std::string raw;  // the bytes without the line break
        std::string eol;  // "\r\n", "\n", "\r" or "" for a last line without a break
        LineKind kind = LineKind::Blank;
        bool nameOk = false;   // the name decodes
        bool valueOk = false;  // the value decodes
        std::string name;      // section or key name, UTF-8, trimmed
        std::string value;     // UTF-8, trimmed, quotes stripped
        std::size_t valueBegin = 0;  // the trimmed value's bytes in raw
        std::size_t valueEnd = 0;
        bool hasEquals = false;
    };

    static void Classify(Line& line);
    void Parse(std::string_view bytes);
    // Index of the first section header of that name, or npos.
    std::size_t FindSection(std::string_view name) const;
    // One past the section's last line (the next header or the end).
    std::size_t SectionEnd(std::size_t header) const;
    std::size_t FindKey(std::size_t header, std::string_view key) const;
    void InsertLine(std::size_t at, std::string raw);
    bool CheckText(std::string_view section, std::string_view key, std::string_view value) const;

    std::string path_;
    std::vector<Line> lines_;
    bool modified_ = false;
    bool converted_ = false;
};

// Calls shaped like the Windows profile calls; each reads the file anew and a write saves at once.
std::string GetProfileString(const std::string& path, std::string_view section, std::string_view key,
                             std::string_view defaultValue = {});
int GetProfileInt(const std::string& path, std::string_view section, std::string_view key, int defaultValue);
IniKeyValues GetProfileSection(const std::string& path, std::string_view section);
std::vector<std::string> GetProfileSectionNames(const std::string& path);

// Writes create a missing file (never its folder). They return false with a message when the text
// cannot be stored, the existing file cannot be read or the new one cannot be written; the file is
// then unchanged. An edit that changes nothing writes nothing.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
bool WriteProfileInt(const std::string& path, std::string_view section, std::string_view key, int value);
bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);
bool DeleteProfileSection(const std::string& path, std::string_view section);

}  // namespace zem
