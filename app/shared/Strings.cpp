#include "app/shared/Strings.h"

#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/UserFolders.h"

#include <cstring>
#include <random>

std::string IntToString(int value)
{
    return std::to_string(value);
}

int ToBool(int value)
{
    return value != 0 ? 1 : 0;
}

int ClampRange(int value, int low, int high, int fallback)
{
    if (value >= low && value <= high)
        return value;
    if (fallback >= low && fallback <= high)
        return fallback;
    return value < low ? low : high;
}

int ShowMessage(const std::string& text)
{
    return zem::ShowMessage(text, "提示", zem::MessageIcon::Information);
}

bool CheckGbkText(std::string_view text, std::string* message)
{
    const std::string bad = zem::FirstNonGbkChar(text);
    if (bad.empty())
        return true;
    if (message)
        *message = zem::Format("不能使用字符“%s”：它无法保存到排课文件中，请换用其他字符。", bad.c_str());
    return false;
}

bool StringArrayContainsNoCase(const std::vector<std::string>& array, std::string_view text)
{
    return std::any_of(array.begin(), array.end(), [&](const std::string& s) { return zem::EqualsNoCase(s, text); });
}

void StringArrayAddUnique(std::vector<std::string>& array, std::string_view text)
{
    if (!StringArrayContainsNoCase(array, text))
        array.emplace_back(text);
}

void StringArrayAddAllUnique(std::vector<std::string>& array, const std::vector<std::string>& more)
{
    for (const std::string& text : more)
        StringArrayAddUnique(array, text);
}

void RemoveString(std::vector<std::string>& array, std::string_view text)
{
    std::erase_if(array, [&](const std::string& s) { return s == text; });
}

void RemoveStringsIn(std::vector<std::string>& array, const std::vector<std::string>& remove)
{
    std::erase_if(array, [&](const std::string& s) { return StringArrayContainsNoCase(remove, s); });
}

std::string MakeUniqueName(const std::vector<std::string>& names, const std::string& baseName)
{
    auto taken = [&](const std::string& name) { return std::find(names.begin(), names.end(), name) != names.end(); };
    if (!taken(baseName))
        return baseName;
    std::string candidate;
    for (int i = 1; i <= 99; ++i) {
        candidate = baseName + "(" + std::to_string(i) + ")";
        if (!taken(candidate))
            break;
    }
    return candidate;
}

int SplitToArray(std::string_view text, std::string_view separators, std::vector<std::string>& out, bool dropEmpty)
{
    const std::size_t before = out.size();
    auto add = [&](std::string_view piece) {
        if (!piece.empty() || !dropEmpty)
            out.emplace_back(piece);
    };
    if (text.empty()) {
        add({});
        return static_cast<int>(out.size() - before);
    }
    std::string_view rest = text;
    for (;;) {
        const std::size_t at = rest.find_first_of(separators);
        if (at == std::string_view::npos) {
            add(rest);
            break;
        }
        add(rest.substr(0, at));
        rest.remove_prefix(at + 1);
        if (rest.empty()) {
            add({});
            break;
        }
    }
    return static_cast<int>(out.size() - before);
}

int SplitNameList(std::string_view text, std::vector<std::string>& separators, std::vector<std::string>* out,
                  bool dropEmpty)
{
    if (!out)
        return -1;
    if (separators.empty())
        separators = {",", "，", "、", "\r\n", "\n", ";", "；"};
    std::string_view rest = text;
    while (!rest.empty()) {
        std::size_t best = std::string_view::npos;
        std::size_t bestLength = 0;
        for (const std::string& separator : separators) {
            if (separator.empty())
                continue;
            const std::size_t at = rest.find(separator);
            if (at < best) {
                best = at;
                bestLength = separator.size();
            }
        }
        std::string_view piece = rest;
        if (best == std::string_view::npos) {
            rest = {};
        } else {
            piece = rest.substr(0, best);
            rest.remove_prefix(best + bestLength);
        }
        piece = zem::Trim(piece);
        if (!piece.empty() || !dropEmpty)
            out->emplace_back(piece);
    }
    return static_cast<int>(out->size());
}

std::string ColumnLetters(int column)
{
    std::string letters;
    for (int n = column; n > 0;) {
        int r = n % 26;
        if (r == 0)
            r = 26;
        letters.insert(letters.begin(), static_cast<char>(64 + r));
        n = n / 26 - (r == 26 ? 1 : 0);
    }
    return letters;
}

std::string NewGuidString()
{
    // One generator per thread, seeded from the system's entropy: ids of objects made on any thread
    // never repeat.
    thread_local std::mt19937_64 generator([] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }());
    unsigned char bytes[16];
    for (int i = 0; i < 16; i += 8) {
        const std::uint64_t value = generator();
        std::memcpy(bytes + i, &value, 8);
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // variant 1
    static const char kDigits[] = "0123456789abcdef";
    std::string id(32, '0');
    for (int i = 0; i < 16; ++i) {
        id[2 * i] = kDigits[bytes[i] >> 4];
        id[2 * i + 1] = kDigits[bytes[i] & 15];
    }
    return id;
}

std::string GetNowString()
{
    const zem::LocalTime t = zem::Now();
    return zem::Format("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string GetWindowsUserName()
{
    return zem::LoginName();
}

int AnsiToWide(std::string_view text, char16_t* buffer, int size)
{
    const std::u16string wide = zem::Utf8ToUtf16(text);
    if (!buffer || size < static_cast<int>(wide.size()) + 1)
        return 0;
    std::copy(wide.begin(), wide.end(), buffer);
    buffer[wide.size()] = 0;
    return static_cast<int>(wide.size());
}

int WideToAnsi(std::u16string_view text, char* buffer, int size)
{
    const std::string narrow = zem::Utf16ToUtf8(text);
    if (!buffer || size < static_cast<int>(narrow.size()) + 1)
        return 0;
    std::memcpy(buffer, narrow.data(), narrow.size());
    buffer[narrow.size()] = 0;
    return static_cast<int>(narrow.size());
}

std::string EncodeLineBreaks(const std::string& text, const std::string& token)
{
    return zem::ReplaceAll(zem::ReplaceAll(text, "\r\n", token), "\n", token);
}

std::string DecodeLineBreaks(const std::string& text, const std::string& token)
{
    return zem::ReplaceAll(text, token, "\r\n");
}
