#include "base/ScheduleProctor.h"

#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "base/TaskXml.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/Xml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

using namespace taskxml;

namespace {

// No room is watched by more teachers than a school has; a larger count is a damaged number.
constexpr int kMaxTeacherCount = 999;

// No school has more exams, teachers or invigilations than these; a file with more is refused
// before any of it is built.
constexpr std::size_t kMaxPlans = 10000;
constexpr std::size_t kMaxTeachers = 3000;
constexpr std::size_t kMaxRooms = 1000;
constexpr std::size_t kMaxItems = 100000;

constexpr std::array<const char*, 12> kMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                     "July",    "August",   "September", "October", "November", "December"};

// ---- reading dates and times ----

// The pieces a date or time is made of; separators are dropped.
struct Token {
    enum Kind { Number, Colon, MonthName, YearMark, MonthMark, DayMark, Am, Pm } kind;
    int value = 0;   // a number's value or a month's number
    int digits = 0;  // how many digits a number was written with
};

bool StartsWith(std::string_view text, std::size_t pos, std::string_view piece)
{
    return text.substr(pos, piece.size()) == piece;
}

// The month an English word names, full or in three letters ("sept" too), any case; 0 for none.
int EnglishMonth(std::string_view word)
{
    const std::string lower = zem::ToLowerAscii(word);
    for (int m = 0; m < 12; ++m) {
        const std::string full = zem::ToLowerAscii(kMonthNames[m]);
        if (lower == full || lower == full.substr(0, 3))
            return m + 1;
    }
    return lower == "sept" ? 9 : 0;
}

// Chinese numerals by value, zero to ten.
constexpr std::array<std::string_view, 11> kChineseDigits = {"〇", "一", "二", "三", "四", "五",
                                                            "六", "七", "八", "九", "十"};

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
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            std::size_t end = pos;
            while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || (text[end] >= 'A' && text[end] <= 'Z')))
                ++end;
            const std::string_view word = text.substr(pos, end - pos);
            if (zem::EqualsNoCase(word, "am"))
                tokens.push_back({Token::Am});
            else if (zem::EqualsNoCase(word, "pm"))
                tokens.push_back({Token::Pm});
            else if (const int month = EnglishMonth(word))
                tokens.push_back({Token::MonthName, month});
            else if (!zem::EqualsNoCase(word, "t"))  // the one between an ISO date and its time
                return false;
            pos = end;
        } else if (c == ':') {
            tokens.push_back({Token::Colon});
            ++pos;
        } else if (c == ' ' || c == '\t' || c == ',' || c == '-' || c == '/' || c == '.') {
            ++pos;
        } else if (StartsWith(text, pos, "，") || StartsWith(text, pos, "　")) {
            pos += std::string_view("，").size();  // full-width comma and space, three bytes each
        } else if (ChineseDigitAt(text, pos)) {
            std::size_t end = pos;
            while (const std::size_t length = ChineseDigitAt(text, end))
                end += length;
            const int month = ChineseNumber(text.substr(pos, end - pos));
            if (!month || !StartsWith(text, end, "月"))
                return false;
            tokens.push_back({Token::MonthName, month});
            pos = end + std::string_view("月").size();
        } else {
            static constexpr std::pair<std::string_view, Token::Kind> kMarks[] = {
                {"年", Token::YearMark}, {"月", Token::MonthMark}, {"日", Token::DayMark},
                {"号", Token::DayMark},  {"上午", Token::Am},      {"下午", Token::Pm},
            };
            const auto* mark = std::find_if(std::begin(kMarks), std::end(kMarks),
                                            [&](const auto& m) { return StartsWith(text, pos, m.first); });
            if (mark == std::end(kMarks))
                return false;
            tokens.push_back({mark->second});
            pos += mark->first.size();
        }
    }
    return true;
}

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

// ---- files ----

bool Exists(const std::string& path) { return zem::FileExists(path) || zem::FolderExists(path); }

// Reads one file of a set through `read`, which says whether it read the whole document. False
// without a message for a missing file; false, having said so, for one not read in full.
template <class Read>
bool ReadSetFile(const std::string& folder, const char* file, const char* root, Read&& read)
{
    const std::string path = folder + "/" + file;
    if (!Exists(path))
        return false;
    pugi::xml_document doc;
    std::string error;
    int code = 0;
    std::string tooMany;
    auto readAll = [&] {
        try {
            return read(doc);
        } catch (const UnreadElements&) {
            return false;
        } catch (const TooManyObjects& fault) {
            tooMany = zem::Format("文件中的%s多于 %zu 个，超出了一所学校可能有的数量：\n%s", fault.kind, fault.limit,
                                  path.c_str());
            return false;
        }
    };
    if (!zem::LoadXmlFile(doc, path, &error, &code))
        CLog::inst()->Log("file", "%s", error.c_str());
    else if (!doc.select_node(zem::Format("//%s", root).c_str()))
        CLog::inst()->Log("file", "%s: no %s element", file, root);
    else if (!readAll())
        CLog::inst()->Log("file", "%s: part of the file could not be read", file);
    else
        return true;
    // A file no school has (too large, not a file at all, too many of a kind) is named with the reason.
    const std::string text = zem::Format("读取 %s 文件出错！", file);
    const std::string why = code == EFBIG || code == ESPIPE ? error : tooMany;
    zem::ShowMessage(why.empty() ? text : text + "\n\n" + why, "提示", zem::MessageIcon::Error);
    return false;
}

std::vector<std::string> ChildTexts(pugi::xml_node parent, bool& complete, const char* kind, std::size_t limit)
{
    CheckCount(parent, kind, limit);
    std::vector<std::string> texts;
    complete &= ForEachElementInFull(parent, [&](pugi::xml_node child) { texts.push_back(ElementText(child)); });
    return texts;
}

// An empty or missing value leaves the default; text that is no date or time is a fault.
bool ReadDateTime(pugi::xml_node element, const char* name, CProctorData::DateTime& value)
{
    const std::string text = GetNodeAttribute(element, name);
    if (zem::Trim(text).empty() || value.Parse(text))
        return true;
    CLog::inst()->Log("file", "in.xml: %s=\"%s\" is no date or time", name, text.c_str());
    return false;
}

}  // namespace

// ---- CProctorData

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

CProctorData::Plan* CProctorData::GetPlan(std::string_view id) const
{
    for (const auto& plan : m_plans)
        if (plan->id == id)
            return plan.get();
    return nullptr;
}

// ---- CScheduleProctor

bool CScheduleProctor::CheckName() const
{
    if (m_strName.empty()) {
        zem::ShowMessage("监考名称不能为空");
        return false;
    }
    std::string message;
    if (!zem::CheckFileName(m_strName, &message)) {
        zem::ShowMessage(message, "提示", zem::MessageIcon::Warning);
        return false;
    }
    return true;
}

bool CScheduleProctor::MakeFolders(std::string* error, int* errorCode) const
{
    // One level at a time, so that a task folder that was moved away is not made anew here, and
    // never a link, so that nothing is written outside the task folder.
    for (const std::string& folder : {m_strProctorFolder, DataFolder()}) {
        if (!zem::MakeRealFolder(folder, error, errorCode)) {
            CLog::inst()->Log("file", "cannot use %s", folder.c_str());
            return false;
        }
    }
    return true;
}

void CScheduleProctor::ShowSaveError(const std::string& path, int errorCode) const
{
    const std::string folder = DataFolder();
    // A folder that is gone was moved away with the task; any other failure has its own reason.
    const std::string text = zem::FolderExists(folder) || (errorCode != ENOENT && errorCode != ENOTDIR)
                                 ? SaveErrorText(path, errorCode)
                                 : zem::Format("保存出错！\n\n监考数据文件夹不存在，可能已被改名或移动：\n%s", folder.c_str());
    zem::ShowMessage(text, "提示", zem::MessageIcon::Error);
}

bool CScheduleProctor::SaveDocument(const pugi::xml_document& doc, const char* file) const
{
    const std::string path = DataFolder() + "/" + file;
    std::string error;
    int code = 0;
    if (!zem::SaveXmlFile(doc, path, &error, &code)) {
        CLog::inst()->Log("file", "%s", error.c_str());
        ShowSaveError(path, code);
        return false;
    }
    return true;
}

bool CScheduleProctor::Open(CScheduleTask* task, const std::string& name)
{
    // A task never saved has no folder to hold its invigilation data.
    if (!task || task->GetTaskInfo().GetTaskFolder().empty())
        return false;
    m_strProctorFolder = task->GetTaskInfo().GetProctorFolder();
    if (!name.empty())
        m_strName = name;
    if (!CheckName())
        return false;
    std::string error;
    if (!MakeFolders(&error)) {
        zem::ShowMessage("无法创建监考数据文件夹。\n\n" + error, "提示", zem::MessageIcon::Error);
        return false;
    }
    // A file that exists but cannot be read in full must not be replaced by what was read of it.
    const std::string folder = DataFolder() + "/";
    m_readFailed = (Exists(folder + "in.xml") && !ReadInputData()) || (Exists(folder + "out.xml") && !ReadOutputData());
    return !m_readFailed;
}

bool CScheduleProctor::Save()
{
    if (!CheckName())
        return false;
    if (m_readFailed) {
        zem::ShowMessage("监考数据未能完整读入。为免覆盖 in.xml 和 out.xml 中的数据，本次未保存。", "提示",
                         zem::MessageIcon::Warning);
        return false;
    }
    std::string error;
    int code = ENOENT;
    if (m_strProctorFolder.empty() || !MakeFolders(&error, &code)) {
        ShowSaveError(DataFolder(), code);
        return false;
    }
    return SaveInputData() && SaveOutputData();
}

bool CScheduleProctor::ReadInputData()
{
    return ReadSetFile(DataFolder(), "in.xml", "Input", [&](const pugi::xml_document& doc) {
        bool complete = true;
        if (pugi::xml_node planInfo = SelectSection(doc, "Input", "PlanInfo")) {
            CheckCount(planInfo, "考试", kMaxPlans);
            complete &= ForEachElementInFull(planInfo, [&](pugi::xml_node element) {
                auto plan = std::make_unique<CProctorData::Plan>();
                plan->id = GetNodeAttribute(element, "id");
                plan->subject = GetNodeAttribute(element, "subject");
                complete &= ReadDateTime(element, "date", plan->date);
                complete &= ReadDateTime(element, "starttime", plan->startTime);
                complete &= ReadDateTime(element, "endtime", plan->endTime);
                plan->teacherCount = ClampedInt(GetNodeAttribute(element, "teachercount"), 0, kMaxTeacherCount);
                if (pugi::xml_node rooms = FindChild(element, "Rooms"))
                    plan->rooms = ChildTexts(rooms, complete, "考场", kMaxRooms);
                m_data.GetPlanList().push_back(std::move(plan));
            });
        }
        if (pugi::xml_node teachers = SelectSection(doc, "Input", "TeacherInfo")) {
            for (std::string& teacher : ChildTexts(teachers, complete, "教师", kMaxTeachers))
                m_data.GetTeacherArray().push_back(std::move(teacher));
        }
        if (pugi::xml_node rule = SelectSection(doc, "Input", "Rule")) {
            if (pugi::xml_node policy = FindChild(rule, "ClassPolicy"))
                m_data.GetRule().classPolicy = zem::ParseIntPrefix(ElementText(policy));
            if (pugi::xml_node policy = FindChild(rule, "SubjectPolicy"))
                m_data.GetRule().subjectPolicy = zem::ParseIntPrefix(ElementText(policy));
        }
        return complete;
    });
}

bool CScheduleProctor::ReadOutputData()
{
    return ReadSetFile(DataFolder(), "out.xml", "Output", [&](const pugi::xml_document& doc) {
        bool complete = true;
        if (pugi::xml_node items = SelectSection(doc, "Output", "Items")) {
            CheckCount(items, "监考安排", kMaxItems);
            complete &= ForEachElementInFull(items, [&](pugi::xml_node element) {
                auto item = std::make_unique<CProctorData::ProctorItem>();
                item->id = GetNodeAttribute(element, "id");
                item->plan = GetNodeAttribute(element, "plan");
                item->room = GetNodeAttribute(element, "room");
                if (pugi::xml_node teachers = FindChild(element, "Teachers"))
                    item->teachers = ChildTexts(teachers, complete, "教师", kMaxTeachers);
                m_data.GetProctorList().push_back(std::move(item));
            });
        }
        return complete;
    });
}

bool CScheduleProctor::SaveInputData()
{
    pugi::xml_document doc;
    pugi::xml_node input = doc.append_child("Input");
    pugi::xml_node planInfo = Append(input, "PlanInfo");
    for (const auto& plan : m_data.GetPlanList()) {
        pugi::xml_node element = Append(planInfo, "Plan");
        SetAttribute(element, "id", plan->id);
        SetAttribute(element, "date", plan->date.FormatDate());
        SetAttribute(element, "starttime", plan->startTime.FormatTime());
        SetAttribute(element, "endtime", plan->endTime.FormatTime());
        SetAttribute(element, "subject", plan->subject);
        SetAttribute(element, "teachercount", plan->teacherCount);
        pugi::xml_node rooms = Append(element, "Rooms");
        for (const std::string& room : plan->rooms)
            AppendText(rooms, "Room", room);
    }
    pugi::xml_node teachers = Append(input, "TeacherInfo");
    for (const std::string& teacher : m_data.GetTeacherArray())
        AppendText(teachers, "Teacher", teacher);
    pugi::xml_node rule = Append(input, "Rule");
    AppendText(rule, "ClassPolicy", zem::Format("%d", m_data.GetRule().classPolicy));
    AppendText(rule, "SubjectPolicy", zem::Format("%d", m_data.GetRule().subjectPolicy));

    return SaveDocument(doc, "in.xml");
}

bool CScheduleProctor::SaveOutputData()
{
    pugi::xml_document doc;
    pugi::xml_node items = Append(doc.append_child("Output"), "Items");
    for (const auto& item : m_data.GetProctorList()) {
        pugi::xml_node element = Append(items, "Item");
        SetAttribute(element, "id", item->id);
        SetAttribute(element, "plan", item->plan);
        SetAttribute(element, "room", item->room);
        pugi::xml_node teachers = Append(element, "Teachers");
        for (const std::string& teacher : item->teachers)
            AppendText(teachers, "Teacher", teacher);
    }
    return SaveDocument(doc, "out.xml");
}
