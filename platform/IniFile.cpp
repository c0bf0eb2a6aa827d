#include "platform/IniFile.h"

#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <unordered_set>

namespace zem {
namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kSpace = " \t\r\v\f";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// GBK never uses these bytes inside a double-byte character, so trimming bytes is safe.
bool IsSpace(char c) { return kSpace.find(c) != npos; }

std::size_t SkipSpace(std::string_view s, std::size_t from, std::size_t to)
{
    while (from < to && IsSpace(s[from]))
        ++from;
    return from;
}

std::size_t SkipSpaceBack(std::string_view s, std::size_t from, std::size_t to)
{
    while (to > from && IsSpace(s[to - 1]))
        --to;
    return to;
}

// Finds an ASCII byte, stepping over double-byte characters: ']' is also a valid second byte of
// many GBK characters.
std::size_t FindGbkByte(std::string_view s, std::size_t from, char c)
{
    while (from < s.size()) {
        const auto b = static_cast<unsigned char>(s[from]);
        if (b == static_cast<unsigned char>(c))
            return from;
        from += (b >= 0x81 && b <= 0xFE && from + 1 < s.size()) ? 2 : 1;
    }
    return npos;
}

std::string_view Span(std::string_view s, std::size_t begin, std::size_t end) { return s.substr(begin, end - begin); }

std::string FileErrorText(const char* what, const std::string& path, int error)
{
    return Format("%s：\n%s\n（%s）", what, path.c_str(), FileErrorReason(error).c_str());
}

void ShowFileError(const char* what, const std::string& path, int error)
{
    ShowMessage(FileErrorText(what, path, error), "提示", MessageIcon::Warning);
}

// A NUL would end the text for a reader on Windows.
bool IsSavable(std::string_view text) { return text.find('\0') == npos && IsGbkRepresentable(text); }

// The first character that cannot be saved, shown in the message; bytes that are not UTF-8 as "\xNN".
std::string FirstUnsavableChar(std::string_view text)
{
    if (text.find('\0') != npos)
        return "\\x00";
    const std::string c = FirstNonGbkChar(text);
    return c.empty() ? "?" : c;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != npos; }

// A value that reading would change (surrounding white space, or one pair of quotes it already
// has) is written inside a pair of quotes, which reading strips again.
bool NeedsQuotes(std::string_view value)
{
    if (value.empty())
        return false;
    if (IsSpace(value.front()) || IsSpace(value.back()))
        return true;
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.front() == value.back();
}

}  // namespace

void IniFile::Classify(Line& line)
{
    const std::string_view raw = line.raw;
    line.nameOk = line.valueOk = line.hasEquals = false;
    line.name.clear();
    line.value.clear();
    line.valueBegin = line.valueEnd = 0;

    const std::size_t begin = SkipSpace(raw, 0, raw.size());
    if (begin == raw.size()) {
        line.kind = LineKind::Blank;
        return;
    }
    // Windows treats a line as a comment when its first non-blank character is ';'.
    if (raw[begin] == ';') {
        line.kind = LineKind::Comment;
        return;
    }
    if (raw[begin] == '[') {
        line.kind = LineKind::Section;
        // The name ends at the first ']'; a header without one names the rest of the line.
        std::size_t close = FindGbkByte(raw, begin + 1, ']');
        if (close == npos)
            close = raw.size();
        const std::size_t nameBegin = SkipSpace(raw, begin + 1, close);
        const std::size_t nameEnd = SkipSpaceBack(raw, nameBegin, close);
        line.nameOk = GbkToUtf8(Span(raw, nameBegin, nameEnd), line.name) && !line.name.empty();
        return;
    }

    line.kind = LineKind::Key;
    const std::size_t equals = raw.find('=', begin);  // '=' is never part of a GBK character
    line.hasEquals = equals != npos;
    const std::size_t nameEnd = SkipSpaceBack(raw, begin, line.hasEquals ? equals : raw.size());
    line.nameOk = GbkToUtf8(Span(raw, begin, nameEnd), line.name) && !line.name.empty();
    if (!line.hasEquals) {
        line.valueBegin = line.valueEnd = nameEnd;
        line.valueOk = true;
        return;
    }
    std::size_t valueBegin = SkipSpace(raw, equals + 1, raw.size());
    std::size_t valueEnd = SkipSpaceBack(raw, valueBegin, raw.size());
    if (valueBegin == valueEnd)
        valueBegin = valueEnd = equals + 1;
    line.valueBegin = valueBegin;
    line.valueEnd = valueEnd;
    if (valueEnd - valueBegin >= 2 && (raw[valueBegin] == '"' || raw[valueBegin] == '\'') &&
        raw[valueEnd - 1] == raw[valueBegin]) {
        ++valueBegin;
        --valueEnd;
    }
    line.valueOk = GbkToUtf8(Span(raw, valueBegin, valueEnd), line.value);
    if (!line.valueOk)
        line.value.clear();
}

void IniFile::Parse(std::string_view bytes)
{
    lines_.clear();
    modified_ = false;
    // A file saved by an editor as UTF-8 with a mark: read as UTF-8, written back as GBK. A line
    // that GBK cannot hold keeps its bytes (and reads as missing) rather than being lost.
    const bool utf8 = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    converted_ = utf8;
    // Marks repeated by careless editors all go, so that the GBK form never starts with one.
    while (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        bytes.remove_prefix(kUtf8Bom.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        Line line;
        // CR LF, LF or a CR on its own ends a line.
        const std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == npos) {
            line.raw.assign(bytes.substr(pos));
            pos = bytes.size();
        } else {
            line.raw.assign(bytes.substr(pos, end - pos));
            const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
            line.eol = crlf ? "\r\n" : std::string(1, bytes[end]);
            pos = end + line.eol.size();
        }
        bool kept = false;
        if (utf8) {
            std::string gbk;
            if (line.raw.find('\0') != npos)
                kept = true;
            else if (Utf8ToGbk(line.raw, gbk))
                line.raw = std::move(gbk);
            else
                // UTF-8 that GBK cannot hold keeps its bytes; bytes that are no UTF-8 are GBK an
                // editor left behind the mark, and read as what they are.
                kept = FirstInvalidUtf8(line.raw) == npos;
        }
        Classify(line);
        if (kept) {
            // Its value reads as missing, but an ASCII name is still found: an edit then
            // replaces the line rather than adding a second one that reading would not reach.
            line.valueOk = false;
            line.nameOk = line.nameOk && IsAscii(line.name);
            line.value.clear();
        }
        lines_.push_back(std::move(line));
    }
}

bool IniFile::Load(const std::string& path)
{
    path_ = path;
    std::string bytes;
    int error = 0;
    const bool read = ReadFileBytes(path, bytes, nullptr, &error, kMaxIniFileBytes);
    Parse(bytes);
    if (!read && error != ENOENT && error != ENOTDIR) {
        errno = error;  // for the caller's message
        return false;
    }
    return true;
}

bool IniFile::LoadForEdit(const std::string& path)
{
    if (Load(path))
        return true;
    ShowFileError("无法读取文件", path, errno);
    return false;
}

IniFile IniFile::FromBytes(std::string_view bytes)
{
    IniFile ini;
    ini.Parse(bytes);
    return ini;
}

std::string IniFile::Bytes() const
{
    std::size_t size = 0;
    for (const Line& line : lines_)
        size += line.raw.size() + line.eol.size();
    std::string out;
    out.reserve(size);
    for (const Line& line : lines_) {
        out += line.raw;
        out += line.eol;
    }
    return out;
}

bool IniFile::ReadsBackAs(std::string_view bytes, std::string* reason) const
{
    // Every key this document reads reads the same from the bytes. A line kept as it was because
    // it cannot be read (a UTF-8 line GBK lacks) may read otherwise and is no loss of its own.
    const IniFile read = FromBytes(bytes);
    for (const std::string& section : GetSectionNames()) {
        for (const auto& [key, value] : GetSectionKeys(section)) {
            if (read.GetString(section, key, "\x01missing") != value) {
                if (reason)
                    *reason = Format("读回的内容与要保存的不同（[%s] %s）", section.c_str(), key.c_str());
                return false;
            }
        }
    }
    return true;
}

bool IniFile::SaveAs(const std::string& path, std::string* error) const
{
    int code = 0;
    const ReadBackCheck check = [this](std::string_view bytes, std::string* reason) {
        return ReadsBackAs(bytes, reason);
    };
    if (!WriteFileAtomic(path, Bytes(), nullptr, &code, check)) {
        if (error)
            *error = FileErrorText("无法写入文件", path, code);
        else
            ShowFileError("无法写入文件", path, code);
        return false;
    }
    return true;
}

std::size_t IniFile::FindSection(std::string_view name) const
{
    name = Trim(name);
    if (name.empty())
        return npos;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Section && line.nameOk && EqualsNoCase(line.name, name))
            return i;
    }
    return npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != LineKind::Section)
        ++i;
    return i;
}

std::size_t IniFile::FindKey(std::size_t header, std::string_view key) const
{
    key = Trim(key);
    if (header == npos || key.empty())
        return npos;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Key && line.nameOk && EqualsNoCase(line.name, key))
            return i;
    }
    return npos;
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const std::size_t at = FindKey(FindSection(section), key);
    if (at == npos || !lines_[at].valueOk)
        return std::string(defaultValue);
    return lines_[at].value;
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const
{
    const std::size_t at = FindKey(FindSection(section), key);
    // An empty value reads as missing, as on Windows.
    if (at == npos || !lines_[at].valueOk || lines_[at].value.empty())
        return defaultValue;
    return ParseIntPrefix(lines_[at].value);
}

std::vector<std::string> IniFile::GetSectionNames() const
{
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Section && line.nameOk && seen.insert(ToLowerAscii(line.name)).second)
            names.push_back(line.name);
    }
    return names;
}

IniKeyValues IniFile::GetSectionKeys(std::string_view section) const
{
    IniKeyValues keys;
    const std::size_t header = FindSection(section);
    if (header == npos)
        return keys;
    std::unordered_set<std::string> seen;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const Line& line = lines_[i];
        // A key seen first with an unreadable value stays unreadable, as GetString has it.
        if (line.kind == LineKind::Key && line.nameOk && seen.insert(ToLowerAscii(line.name)).second &&
            line.valueOk)
            keys.emplace_back(line.name, line.value);
    }
    return keys;
}

bool IniFile::CheckText(std::string_view section, std::string_view key, std::string_view value) const
{
    const std::string tail = path_.empty() ? "。" : "，未能写入文件：\n" + path_;
    auto refuse = [&](const std::string& text) {
        ShowMessage(text + tail, "提示", MessageIcon::Warning);
        return false;
    };
    // A name must read back as itself: not empty, on one line, and not taken for a header,
    // a comment or the start of the value.
    const auto checkName = [&](std::string_view name, bool isKey) {
        name = Trim(name);
        if (name.empty())
            return refuse("设置名称为空");
        if (HasLineBreak(name) || (!isKey && name.find(']') != npos) ||
            (isKey && (name.find('=') != npos || name.front() == ';' || name.front() == '[')))
            return refuse(Format("设置名称“%s”无效", std::string(name).c_str()));
        if (!IsSavable(name))
            return refuse(Format("设置名称中含有无法保存的字符“%s”", FirstUnsavableChar(name).c_str()));
        return true;
    };
    if (!checkName(section, false) || !checkName(key, true))
        return false;
    if (HasLineBreak(value))
        return refuse("设置值中含有换行符");
    if (!IsSavable(value))
        return refuse(Format("设置值中含有无法保存的字符“%s”", FirstUnsavableChar(value).c_str()));
    return true;
}

void IniFile::InsertLine(std::size_t at, std::string raw)
{
    // The line before a new one gets the break the file may have lacked at its end.
    if (at > 0 && lines_[at - 1].eol.empty())
        lines_[at - 1].eol = kCrLf;
    Line line;
    line.raw = std::move(raw);
    line.eol = kCrLf;
    Classify(line);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    modified_ = true;
}

bool IniFile::SetString(std::string_view section, std::string_view key, std::string_view value)
{
    if (!CheckText(section, key, value))
        return false;
    section = Trim(section);
    key = Trim(key);
    std::string gbkValue;
    Utf8ToGbk(value, gbkValue);
    if (NeedsQuotes(value))
        gbkValue = '"' + gbkValue + '"';

    const std::size_t header = FindSection(section);
    const std::size_t at = FindKey(header, key);
    if (at != npos) {
        Line& line = lines_[at];
        // The same value keeps its line as written, quotes and all.
        if (line.valueOk && line.value == value)
            return true;
        std::string raw = line.raw.substr(0, line.valueBegin);
        if (!line.hasEquals)
            raw += '=';
        raw += gbkValue;
        raw += line.raw.substr(line.valueEnd);
        if (raw != line.raw) {
            line.raw = std::move(raw);
            Classify(line);
            modified_ = true;
        }
        return true;
    }

    std::string gbkKey;
    Utf8ToGbk(key, gbkKey);
    std::string keyLine = gbkKey + '=' + gbkValue;
    if (header != npos) {
        // After the section's last key, so that blank lines and a comment that heads the next
        // section stay where they are.
        std::size_t insertAt = header + 1;
        const std::size_t end = SectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            if (lines_[i].kind == LineKind::Key)
                insertAt = i + 1;
        }
        InsertLine(insertAt, std::move(keyLine));
        return true;
    }
    std::string gbkSection;
    Utf8ToGbk(section, gbkSection);
    InsertLine(lines_.size(), '[' + gbkSection + ']');
    InsertLine(lines_.size(), std::move(keyLine));
    return true;
}

bool IniFile::SetInt(std::string_view section, std::string_view key, int value)
{
    return SetString(section, key, std::to_string(value));
}

void IniFile::DeleteKey(std::string_view section, std::string_view key)
{
    const std::size_t header = FindSection(section);
    for (std::size_t at = FindKey(header, key); at != npos; at = FindKey(header, key)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
        modified_ = true;
    }
}

void IniFile::DeleteSection(std::string_view section)
{
    for (std::size_t header = FindSection(section); header != npos; header = FindSection(section)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
        modified_ = true;
    }
}

namespace {

IniFile LoadForRead(const std::string& path)
{
    IniFile ini;
    ini.Load(path);  // an unreadable file reads as empty, giving the defaults
    return ini;
}

}  // namespace

std::string GetProfileString(const std::string& path, std::string_view section, std::string_view key,
                             std::string_view defaultValue)
{
    return LoadForRead(path).GetString(section, key, defaultValue);
}

int GetProfileInt(const std::string& path, std::string_view section, std::string_view key, int defaultValue)
{
    return LoadForRead(path).GetInt(section, key, defaultValue);
}

IniKeyValues GetProfileSection(const std::string& path, std::string_view section)
{
    return LoadForRead(path).GetSectionKeys(section);
}

std::vector<std::string> GetProfileSectionNames(const std::string& path)
{
    return LoadForRead(path).GetSectionNames();
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value)
{
    IniFile ini;
    return ini.LoadForEdit(path) && ini.SetString(section, key, value) && ini.SaveIfModified();
}

bool WriteProfileInt(const std::string& path, std::string_view section, std::string_view key, int value)
{
    return WriteProfileString(path, section, key, std::to_string(value));
}

bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key)
{
    IniFile ini;
    if (!ini.LoadForEdit(path))
        return false;
    ini.DeleteKey(section, key);
    return ini.SaveIfModified();
}

bool DeleteProfileSection(const std::string& path, std::string_view section)
{
    IniFile ini;
    if (!ini.LoadForEdit(path))
        return false;
    ini.DeleteSection(section);
    return ini.SaveIfModified();
}

}  // namespace zem
