// The free-text dates and times of invigilation plans, as machines with other date settings
// wrote them, and the one spelling written back.
#include "base/ScheduleProctor.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// The pieces a date or time is made of; separators are dropped.
struct Token {
    enum Kind { Number, Colon, MonthName, YearMark, MonthMark, DayMark, Am, Pm } kind;
    int value = 0;   // a number's value or a month's number
    int digits = 0;  // how many digits a number was written with
};

// ---- the spellings read ----

// English month names, full or in their first three letters, any case; also written back.
constexpr std::array<const char*, 12> kMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                     "July",    "August",   "September", "October", "November", "December"};
constexpr std::string_view kSeptemberInFour = "sept";

// English words besides the months, any case.
constexpr std::pair<std::string_view, Token::Kind> kEnglishWords[] = {{"am", Token::Am}, {"pm", Token::Pm}};
constexpr std::string_view kIsoTimeMark = "t";  // the one between an ISO date and its time

// Chinese numerals by value, zero to ten; a month is one to twelve of them followed by "月".
constexpr std::array<std::string_view, 11> kChineseDigits = {"〇", "一", "二", "三", "四", "五",
                                                            "六", "七", "八", "九", "十"};
constexpr std::string_view kChineseMonth = "月";

// Chinese marks after a number, and the halves of the day.
constexpr std::pair<std::string_view, Token::Kind> kChineseMarks[] = {
    {"年", Token::YearMark}, {"月", Token::MonthMark}, {"日", Token::DayMark},
    {"号", Token::DayMark},  {"上午", Token::Am},      {"下午", Token::Pm},
};

// Separators, dropped: ASCII ones, and the full-width comma and space.
constexpr std::string_view kSeparators = " \t,-/.";
constexpr std::string_view kWideSeparators[] = {"，", "　"};

// ---- tokens ----

bool StartsWith(std::string_view text, std::size_t pos, std::string_view piece)
{
    return text.substr(pos, piece.size()) == piece;
}

// The month an English word names; 0 for none.
int EnglishMonth(std::string_view word)
{
    const std::string lower = zem::ToLowerAscii(word);
    for (int m = 0; m < 12; ++m) {
        const std::string full = zem::ToLowerAscii(kMonthNames[m]);
        if (lower == full || lower == full.substr(0, 3))
            return m + 1;
    }
    return lower == kSeptemberInFour ? 9 : 0;
}

// The bytes of the Chinese numeral at pos, or 0.
std::size_t ChineseDigitAt(std::string_view text, std::size_t pos)
{
    for (std::string_view digit : kChineseDigits)
        if (StartsWith(text, pos, digit))
            return digit.size();
    return 0;
}

// The value of a Chinese numeral from one to twelve ("六", "十", "十二"); 0 for anything else.
int ChineseNumber(std::string_view numeral)
{
    auto value = [](std::string_view digit) {
        return static_cast<int>(std::find(kChineseDigits.begin(), kChineseDigits.end(), digit) - kChineseDigits.begin());
    };
    const std::size_t charBytes = kChineseDigits[0].size();
    if (numeral.size() == charBytes)
        return value(numeral) % 11;  // "〇" and a character that is no numeral give 0
    if (numeral.size() == 2 * charBytes && value(numeral.substr(0, charBytes)) == 10) {
        const int ones = value(numeral.substr(charBytes));
        return ones >= 1 && ones <= 2 ? 10 + ones : 0;
    }
    return 0;
}

// The bytes of the spelling from `table` at pos, with its kind; 0 bytes for none.
template <std::size_t N>
std::pair<std::size_t, Token::Kind> MarkAt(const std::pair<std::string_view, Token::Kind> (&table)[N],
                                           std::string_view text, std::size_t pos)
{
    for (const auto& [spelling, kind] : table)
        if (StartsWith(text, pos, spelling))
            return {spelling.size(), kind};
    return {0, Token::Number};
}

std::size_t WideSeparatorAt(std::string_view text, std::size_t pos)
{
    for (std::string_view separator : kWideSeparators)
        if (StartsWith(text, pos, separator))
            return separator.size();
    return 0;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool Tokenize(std::string_view text, std::vector<Token>& tokens)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c >= '0' && c <= '9') {
            std::size_t end = pos;
            long long value = 0;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
                value = std::min(value * 10 + (text[end] - '0'), 100000LL);
                ++end;
            }
            tokens.push_back({Token::Number, static_cast<int>(value), static_cast<int>(end - pos)});
            pos = end;
        } else if (IsAsciiLetter(c)) {
            std::size_t end = pos;
            while (end < text.size() && IsAsciiLetter(text[end]))
                ++end;
            const std::string_view word = text.substr(pos, end - pos);
            const auto* known = std::find_if(std::begin(kEnglishWords), std::end(kEnglishWords),
                                             [&](const auto& w) { return zem::EqualsNoCase(word, w.first); });
            if (known != std::end(kEnglishWords))
                tokens.push_back({known->second});
            else if (const int month = EnglishMonth(word))
                tokens.push_back({Token::MonthName, month});
            else if (!zem::EqualsNoCase(word, kIsoTimeMark))
                return false;
            pos = end;
        } else if (c == ':') {
            tokens.push_back({Token::Colon});
            ++pos;
        } else if (kSeparators.find(c) != std::string_view::npos) {
            ++pos;
        } else if (const std::size_t wide = WideSeparatorAt(text, pos)) {
            pos += wide;
        } else if (ChineseDigitAt(text, pos)) {
            std::size_t end = pos;
            while (const std::size_t length = ChineseDigitAt(text, end))
                end += length;
            const int month = ChineseNumber(text.substr(pos, end - pos));
            if (!month || !StartsWith(text, end, kChineseMonth))
                return false;
            tokens.push_back({Token::MonthName, month});
            pos = end + kChineseMonth.size();
        } else if (const auto [length, kind] = MarkAt(kChineseMarks, text, pos); length) {
            tokens.push_back({kind});
            pos += length;
        } else {
            return false;
        }
    }
    return true;
}

// ---- dates and times ----

bool IsDate(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= (month == 2 && leap ? 29 : kDays[month - 1]);
}

bool IsTime(int hour, int minute, int second)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

// Takes the time "H:M" or "H:M:S" out of the tokens, with its "AM"/"PM" or "上午"/"下午".
// False when the tokens hold a broken time or more than one.
bool TakeTime(std::vector<Token>& tokens, CProctorData::DateTime& value, bool& found)
{
    found = false;
    int half = 0;  // 1 morning, 2 afternoon
    std::vector<Token> rest;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Am || t.kind == Token::Pm) {
            if (half)
                return false;
            half = t.kind == Token::Am ? 1 : 2;
        } else if (t.kind == Token::Number && i + 2 < tokens.size() && tokens[i + 1].kind == Token::Colon &&
                   tokens[i + 2].kind == Token::Number) {
            if (found)
                return false;
            found = true;
            value.hour = t.value;
            value.minute = tokens[i + 2].value;
            value.second = 0;
            i += 2;
            if (i + 2 < tokens.size() && tokens[i + 1].kind == Token::Colon && tokens[i + 2].kind == Token::Number) {
                value.second = tokens[i + 2].value;
                i += 2;
            }
        } else if (t.kind == Token::Colon) {
            return false;
        } else {
            rest.push_back(t);
        }
    }
    if (half && !found)
        return false;
    if (half) {
        if (value.hour > 12)
            return false;
        value.hour = value.hour % 12 + (half == 2 ? 12 : 0);
    }
    tokens = std::move(rest);
    return !found || IsTime(value.hour, value.minute, value.second);
}

int FullYear(const Token& number)
{
    // A year written with two digits falls within a century either side of 2000.
    if (number.digits <= 2)
        return number.value + (number.value < 50 ? 2000 : 1900);
    return number.value;
}

// Reads the date the tokens left after the time hold: numbers marked by "年", "月", "日", a
// named month, and unmarked numbers in the orders the date settings of other machines write.
bool TakeDate(const std::vector<Token>& tokens, CProctorData::DateTime& value)
{
    std::optional<int> year, month, day;
    std::vector<Token> plain;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        std::optional<int>* slot = nullptr;
        int v = t.value;
        if (t.kind == Token::MonthName) {
            slot = &month;
        } else if (t.kind != Token::Number) {
            return false;  // a mark without its number
        } else if (i + 1 < tokens.size() && tokens[i + 1].kind >= Token::YearMark && tokens[i + 1].kind <= Token::DayMark) {
            const Token::Kind mark = tokens[++i].kind;
            slot = mark == Token::YearMark ? &year : mark == Token::MonthMark ? &month : &day;
            if (mark == Token::YearMark)
                v = FullYear(t);
        } else {
            plain.push_back(t);
            continue;
        }
        if (*slot)
            return false;
        *slot = v;
    }

    const int missing = !year + !month + !day;
    if (static_cast<int>(plain.size()) != missing)
        return false;
    if (missing == 3) {
        const Token &a = plain[0], &b = plain[1], &c = plain[2];
        if (a.digits >= 3) {  // year, month, day
            year = a.value;
            month = b.value;
            day = c.value;
        } else if (c.digits >= 3) {  // month, day, year; day, month, year when the first cannot be a month
            year = c.value;
            month = a.value > 12 ? b.value : a.value;
            day = a.value > 12 ? a.value : b.value;
        } else {
            return false;  // no telling which number is the year
        }
    } else if (missing == 2 && month) {
        // "5 June 2024", "June 5, 2024", "2024 June 5"
        const bool yearFirst = plain[0].digits >= 3;
        year = FullYear(yearFirst ? plain[0] : plain[1]);
        day = yearFirst ? plain[1].value : plain[0].value;
    } else if (missing == 1) {
        if (!year)
            year = FullYear(plain[0]);
        else if (!month)
            month = plain[0].value;
        else
            day = plain[0].value;
    } else if (missing != 0) {
        return false;
    }
    if (!IsDate(*year, *month, *day))
        return false;
    value.year = *year;
    value.month = *month;
    value.day = *day;
    return true;
}

}  // namespace

bool CProctorData::DateTime::Parse(std::string_view text)
{
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens))
        return false;
    DateTime parsed;
    bool hasTime = false;
    if (!TakeTime(tokens, parsed, hasTime))
        return false;
    if (tokens.empty() ? !hasTime : !TakeDate(tokens, parsed))
        return false;
    *this = parsed;
    return true;
}

// A value the reader would refuse is written as empty text, which reads back as no value: the
// file then still opens.
std::string CProctorData::DateTime::FormatDate() const
{
    if (!IsDate(year, month, day))
        return {};
    return zem::Format("%02d %s %d", day, kMonthNames[month - 1], year);
}

std::string CProctorData::DateTime::FormatTime() const
{
    if (!IsTime(hour, minute, second))
        return {};
    return zem::Format("%02d:%02d:%02d", hour, minute, second);
}

