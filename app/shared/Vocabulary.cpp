#include "app/shared/Vocabulary.h"

#include "base/SchoolStructure.h"
#include "base/ZemObject.h"
#include "base/Segment.h"
#include "platform/Text.h"

#include <array>

namespace {

constexpr std::array<const char*, 11> kGradePresets = {
    "托小中大", "小中大", "一二三四五六", "一二三四五", "七八九", "一二三", "1234", "123", "123456", "12345", "789",
};

constexpr std::array<const char*, 14> kWeekdays = {
    "一", "二", "三", "四", "五", "六", "日", "一", "二", "三", "四", "五", "六", "日",
};

constexpr std::array<const char*, 5> kSegments = {"上午", "下午", "晚上", "早读", "晚自习"};
constexpr std::array<const char*, 3> kCourseKinds = {"常规", "早读", "晚自习"};

}  // namespace

int CGradeNamePresets::GetCount()
{
    return static_cast<int>(kGradePresets.size());
}

std::string CGradeNamePresets::GetAt(int index)
{
    return index >= 0 && index < GetCount() ? kGradePresets[static_cast<std::size_t>(index)] : "";
}

std::string CGradeNamePresets::NextGradeName(const std::string& name, int presetIndex)
{
    const std::u16string preset = zem::Utf8ToUtf16(GetAt(presetIndex));
    if (preset.empty())
        return name;
    std::u16string text = zem::Utf8ToUtf16(name);
    for (char16_t& c : text) {
        const std::size_t at = preset.find(c);
        if (at == std::u16string::npos)
            continue;
        c = preset[(at + 1) % preset.size()];
        return zem::Utf16ToUtf8(text);
    }
    return name;
}

void GradeSortKey(std::string& name)
{
    static constexpr const char* kNumerals[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
    static constexpr const char* kKindergarten[] = {"托", "小", "中", "大"};
    for (int i = 0; i < 9; ++i)
        name = zem::ReplaceAll(name, kNumerals[i], std::to_string(i));
    for (int i = 0; i < 4; ++i)
        name = zem::ReplaceAll(name, kKindergarten[i], std::to_string(i));
}

std::string GetWeekdayName(int day, bool shortName)
{
    if (day < 0 || day >= static_cast<int>(kWeekdays.size()))
        return {};
    const std::string character = kWeekdays[static_cast<std::size_t>(day)];
    return shortName ? character : "星期" + character;
}

std::string GetDayName(const CSchoolStructure& structure, int day)
{
    const std::string name = GetWeekdayName(day, false);
    if (name.empty() || !structure.NamesWeeks())
        return name;
    return zem::Format("第%d周", day / 7 + 1) + name;
}

void CollectUsedDayNames(std::vector<std::string>& out, const CSchoolStructure& structure, bool shortName)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        if (structure.IsDayInUse(day))
            out.push_back(GetWeekdayName(day, shortName));
}

std::string GetSectionKindNames(int segment)
{
    return segment >= 0 && segment < static_cast<int>(kSegments.size()) ? kSegments[static_cast<std::size_t>(segment)]
                                                                         : "";
}

void GetPeriodNames(std::vector<std::string>& out, const CSchoolStructure& structure)
{
    for (const int segment : zem::kSegmentsInDayOrder)
        for (int section = 0; section < structure.GetSectionNodeMaxCount(segment); ++section)
            out.push_back(structure.GetPeriodName(segment, section, false));
}

std::string GetCourseKindName(int kind)
{
    return kind >= 0 && kind < static_cast<int>(kCourseKinds.size()) ? kCourseKinds[static_cast<std::size_t>(kind)]
                                                                      : "Unknown Course Type";
}

int ParseCourseKind(const std::string& text)
{
    if (zem::EqualsNoCase(text, "早读"))
        return 1;
    if (zem::EqualsNoCase(text, "晚自习"))
        return 2;
    return 0;
}

bool SegmentAcceptsCourseKind(int segment, int kind)
{
    switch (segment) {
    case zem::kForenoon:
    case zem::kAfternoon:
    case zem::kNight:
        return kind == 0;
    case zem::kMorningReading:
        return kind == 1;
    case zem::kEveningStudy:
        return kind == 2;
    default:
        return false;
    }
}

int AddSegmentsOfCourseKind(int kind, std::vector<int>* segments)
{
    if (!segments)
        return 0;
    if (kind == 1)
        segments->push_back(zem::kMorningReading);
    else if (kind == 2)
        segments->push_back(zem::kEveningStudy);
    else
        segments->insert(segments->end(), {zem::kForenoon, zem::kAfternoon, zem::kNight});
    return static_cast<int>(segments->size());
}

std::string GetOddEvenName(int weekKind)
{
    return weekKind == 1 ? "单周" : weekKind == 2 ? "双周" : "";
}

std::string GetObjectKindName(int kind)
{
    return kind == 2 ? "教室" : kind == 1 ? "教师" : "班级";
}

void GetActivityKindNames(std::vector<std::string>& out)
{
    out.insert(out.end(), {"劳动", "自习", "级会", "班会", "党团活动", "教研活动", "教科研组活动", "基础托管", "课后服务"});
}

std::string FormatContinuityCount(int count)
{
    return count == 0 || count == 1 ? "不连" : std::to_string(count);
}

std::string FormatContinuity(int setting)
{
    return setting == 0 ? "自动" : std::to_string(setting);
}

int ParseContinuityCount(const std::string& text)
{
    if (text == "不连" || text == "单排")
        return 1;
    const int value = zem::ParseIntPrefix(text);
    return value == 0 ? 1 : value;
}

int ParseContinuity(const std::string& text)
{
    return text == "自动" ? 0 : zem::ParseIntPrefix(text);
}

void NormalizeName(std::string& name)
{
    name = zem::ReplaceAll(name, " ", "");
    name = zem::ReplaceAll(name, "\n", "");
    name = zem::ReplaceAll(name, "(", "（");
    name = zem::ReplaceAll(name, ")", "）");
}

CZemObject* FindByImportedName(const CZemObjectList& list, const std::string& name)
{
    if (name.empty())
        return nullptr;
    if (CZemObject* found = list.FindByName(name))
        return found;
    std::string wanted = name;
    NormalizeName(wanted);
    for (CZemObject* object : ObjectsInOrder<CZemObject>(list)) {
        std::string other = object->GetName();
        NormalizeName(other);
        if (zem::EqualsNoCase(other, wanted))
            return object;
    }
    return nullptr;
}

std::string IdByImportedName(const CZemObjectList& list, const std::string& name)
{
    const CZemObject* found = FindByImportedName(list, name);
    return found ? found->GetId() : std::string();
}
