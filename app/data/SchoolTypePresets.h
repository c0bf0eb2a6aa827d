#pragma once
// The school types whose grades the class batch add knows, the class-number format and the
// settings of one batch add, from which the classes of a whole school are generated.
#include <memory>
#include <string>
#include <vector>

// One school type: its grade names and the number of its first grade.
class CSchoolTypePreset {
public:
    // `gradeList` is a comma list of grade names; empty pieces are dropped.
    CSchoolTypePreset(int id, std::string name, const std::string& gradeList, int firstGradeNumber, bool gradeSuffix);
    virtual ~CSchoolTypePreset() = default;

    int GetId() const { return m_id; }
    const std::string& GetName() const { return m_name; }
    int GetFirstGradeNumber() const { return m_firstGradeNumber; }
    int GetGradeCount() const { return static_cast<int>(m_gradeNames.size()); }
    // The grade name, followed by "年级" when the type says so; empty text outside the grades.
    virtual std::string GetGradeName(int index) const;

protected:
    int m_id;
    std::string m_name;
    std::vector<std::string> m_gradeNames;
    int m_firstGradeNumber;
    bool m_gradeSuffix;
};

// Universities and vocational schools: one grade per intake year, the latest year first, named by
// the year's last two digits.
class CIntakeYearPreset : public CSchoolTypePreset {
public:
    // Both years start from the clock: this year, and this year - 3.
    CIntakeYearPreset();

    void SetFromYear(int year);
    void SetToYear(int year);
    int GetFromYear() const { return m_fromYear; }
    int GetToYear() const { return m_toYear; }

private:
    void RebuildGrades();

    int m_fromYear;
    int m_toYear;
};

// How a class number is written: style 0 decimal ("数字"), 1 Chinese numerals ("汉字"), with or
// without full-width brackets, and always followed by "班".
class CClassNumbering {
public:
    int m_style = 0;
    bool m_brackets = true;

    // The suffix of the 0-based class `index`; empty text from 99 on.
    std::string GetClassSuffix(int index) const;
};

// 1..99 in Chinese numerals: 一 .. 九, 十, 十一 .. 九十九; empty text outside.
std::string ChineseClassNumber(int number);

// One generated class.
struct CGeneratedClass {
    std::string name;
    std::string shortName;
};

enum { kUniversityPresetId = 9, kMaxClassesPerGrade = 99 };

// What one opening of the class batch add works with.
class CBatchClassSettings {
public:
    CBatchClassSettings();

    const std::vector<std::unique_ptr<CSchoolTypePreset>>& GetPresets() const { return m_presets; }
    // The preset of the selected id; null when there is none.
    CSchoolTypePreset* FindSelected() const;
    CIntakeYearPreset& GetIntakeYears() const;
    bool IsUniversity() const { return m_selectedId == kUniversityPresetId; }

    // The first class's name: the first grade, then the first major (or "自动化控制") in university
    // mode, else the suffix of the first class.
    std::string GetPreviewText() const;
    const std::vector<std::string>& GetMajors() const { return m_majors; }
    // The majors from a comma list, "，" counting as ","; pieces are trimmed and empty ones dropped.
    void SetMajors(const std::string& text);

    // Every class, grade by grade: per major in university mode, else `m_classesPerGrade` (at most
    // 99) numbered classes.
    std::vector<CGeneratedClass> Generate() const;

    CClassNumbering m_numbering;
    int m_selectedId = 5;
    int m_classesPerGrade = 4;

private:
    std::vector<std::unique_ptr<CSchoolTypePreset>> m_presets;
    std::vector<std::string> m_majors;
};
