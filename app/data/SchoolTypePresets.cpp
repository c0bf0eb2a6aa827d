#include "app/data/SchoolTypePresets.h"

#include "app/shared/Strings.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>

CSchoolTypePreset::CSchoolTypePreset(int id, std::string name, const std::string& gradeList, int firstGradeNumber,
                                     bool gradeSuffix)
    : m_id(id), m_name(std::move(name)), m_firstGradeNumber(firstGradeNumber), m_gradeSuffix(gradeSuffix)
{
    SplitToArray(gradeList, ",", m_gradeNames, true);
}

std::string CSchoolTypePreset::GetGradeName(int index) const
{
    if (index < 0 || index >= GetGradeCount())
        return {};
    const std::string& grade = m_gradeNames[static_cast<std::size_t>(index)];
    return m_gradeSuffix ? grade + "年级" : grade;
}

CIntakeYearPreset::CIntakeYearPreset() : CSchoolTypePreset(kUniversityPresetId, "大学、职业院校", "", 1, false)
{
    m_fromYear = zem::Now().year;
    m_toYear = m_fromYear - 3;
    RebuildGrades();
}

void CIntakeYearPreset::SetFromYear(int year)
{
    m_fromYear = year;
    RebuildGrades();
}

void CIntakeYearPreset::SetToYear(int year)
{
    m_toYear = year;
    RebuildGrades();
}

void CIntakeYearPreset::RebuildGrades()
{
    m_gradeNames.clear();
    for (int year = std::max(m_fromYear, m_toYear); year >= std::min(m_fromYear, m_toYear); --year)
        m_gradeNames.push_back(zem::Format("%02d", ((year % 100) + 100) % 100));
}

std::string ChineseClassNumber(int number)
{
    static constexpr const char* kDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    if (number < 1 || number > 99)
        return {};
    const int tens = number / 10;
    const int ones = number % 10;
    if (tens == 0)
        return kDigits[ones];
    return std::string(tens == 1 ? "" : kDigits[tens]) + "十" + kDigits[ones];
}

std::string CClassNumbering::GetClassSuffix(int index) const
{
    if (index < 0 || index >= kMaxClassesPerGrade)
        return {};
    const int number = index + 1;
    std::string suffix = m_brackets ? "（" : "";
    suffix += m_style == 0 ? std::to_string(number) : ChineseClassNumber(number);
    if (m_brackets)
        suffix += "）";
    return suffix + "班";
}

CBatchClassSettings::CBatchClassSettings()
{
    struct Row {
        int id;
        const char* name;
        const char* grades;
        int firstGrade;
        bool suffix;
    };
    static constexpr Row kRows[] = {
        {1, "幼儿园（托，小，中，大）", "托,小,中,大", 1, false},
        {2, "小学（一 ~ 六）", "一,二,三,四,五,六", 1, true},
        {3, "小学（一 ~ 五）", "一,二,三,四,五", 1, true},
        {4, "初中（七，八，九）", "七,八,九", 7, true},
        {5, "初中（初一，初二，初三）", "初一,初二,初三", 7, false},
        {6, "高中（高一，高二，高三）", "高一,高二,高三", 1, false},
        {7, "九年一贯制（一 - 九）", "一,二,三,四,五,六,七,八,九", 1, true},
        {8, "完中（初一，初二，初三，高一，高二，高三）", "初一,初二,初三,高一,高二,高三", 1, false},
    };
    for (const Row& row : kRows)
        m_presets.push_back(std::make_unique<CSchoolTypePreset>(row.id, row.name, row.grades, row.firstGrade, row.suffix));
    m_presets.push_back(std::make_unique<CIntakeYearPreset>());
}

CSchoolTypePreset* CBatchClassSettings::FindSelected() const
{
    for (const auto& preset : m_presets)
        if (preset->GetId() == m_selectedId)
            return preset.get();
    return nullptr;
}

CIntakeYearPreset& CBatchClassSettings::GetIntakeYears() const
{
    return static_cast<CIntakeYearPreset&>(*m_presets.back());
}

void CBatchClassSettings::SetMajors(const std::string& text)
{
    std::vector<std::string> pieces;
    SplitToArray(zem::ReplaceAll(text, "，", ","), ",", pieces, true);
    m_majors.clear();
    for (const std::string& piece : pieces) {
        // A blank after a comma is the user's spacing, not part of the major.
        const std::string_view major = zem::Trim(piece);
        if (!major.empty())
            m_majors.emplace_back(major);
    }
}

std::string CBatchClassSettings::GetPreviewText() const
{
    const CSchoolTypePreset* preset = FindSelected();
    if (!preset)
        return {};
    const std::string grade = preset->GetGradeName(0);
    if (IsUniversity())
        return grade + (m_majors.empty() ? std::string("自动化控制") : m_majors.front());
    return grade + m_numbering.GetClassSuffix(0);
}

std::vector<CGeneratedClass> CBatchClassSettings::Generate() const
{
    std::vector<CGeneratedClass> classes;
    const CSchoolTypePreset* preset = FindSelected();
    if (!preset)
        return classes;
    const int perGrade = std::min(m_classesPerGrade, static_cast<int>(kMaxClassesPerGrade));
    for (int g = 0; g < preset->GetGradeCount(); ++g) {
        const std::string grade = preset->GetGradeName(g);
        const int gradeNumber = g + preset->GetFirstGradeNumber();
        if (IsUniversity()) {
            for (const std::string& major : m_majors)
                classes.push_back({grade + major, zem::Format("%d%s", gradeNumber, major.c_str())});
            continue;
        }
        for (int k = 0; k < perGrade; ++k)
            classes.push_back({grade + m_numbering.GetClassSuffix(k), std::to_string(gradeNumber * 100 + k + 1)});
    }
    return classes;
}
