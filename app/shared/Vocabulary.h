#pragma once
// The program's small fixed vocabularies: grade-name sequences, weekdays, segments of a day, kinds of
// plans, activities and lessons per block, and the name form every page compares names in.
#include <string>
#include <vector>

class CZemObject;
class CZemObjectList;

class CSchoolStructure;

// The eleven ways of naming grades, each listing its grade characters in promotion order.
class CGradeNamePresets {
public:
    static int GetCount();
    // Empty text outside 0..10.
    static std::string GetAt(int index);
    // The name with its first character that the preset holds replaced by the next one of the
    // preset (the last by the first); a name without such a character, or a preset outside the
    // table, is returned unchanged.
    static std::string NextGradeName(const std::string& name, int presetIndex);
};

// Grade characters to their positions ("一".."九" to 0..8, then "托小中大" to 0..3), in place, so
// that class names sort by grade.
void GradeSortKey(std::string& name);

// The day's character of "一二三四五六日一二三四五六日", after "星期" unless short; empty outside 0..13.
std::string GetWeekdayName(int day, bool shortName);
// The day as a message names it: "星期一", in a school of two weeks "第2周星期一" and the like
// (CSchoolStructure::NamesWeeks decides); empty outside 0..13.
std::string GetDayName(const CSchoolStructure& structure, int day);
// Appends the names of the days the week uses, in day order.
void CollectUsedDayNames(std::vector<std::string>& out, const CSchoolStructure& structure, bool shortName);
// "上午" "下午" "晚上" "早读" "晚自习" for segments 0..4; empty text for others.
std::string GetSectionKindNames(int segment);
// Appends the period names of the week, segment by segment in the day's order.
void GetPeriodNames(std::vector<std::string>& out, const CSchoolStructure& structure);

// "常规" "早读" "晚自习" for kinds 0..2; "Unknown Course Type" for others.
std::string GetCourseKindName(int kind);
// 1 for "早读", 2 for "晚自习", else 0.
int ParseCourseKind(const std::string& text);
// True for segment 3 with kind 1, segment 4 with kind 2, and segments 0..2 with kind 0.
bool SegmentAcceptsCourseKind(int segment, int kind);
// Appends the segments a kind of plan may use (3 for 1, 4 for 2, else 0, 1, 2); returns the size.
int AddSegmentsOfCourseKind(int kind, std::vector<int>* segments);
// "单周" for 1, "双周" for 2, else empty text.
std::string GetOddEvenName(int weekKind);
// "教室" for 2, "教师" for 1, "班级" for any other kind.
std::string GetObjectKindName(int kind);
// Appends the nine kinds of school activity.
void GetActivityKindNames(std::vector<std::string>& out);

// "不连" for 0 and 1, else the number.
std::string FormatContinuityCount(int count);
// "自动" for 0, else the number.
std::string FormatContinuity(int setting);
// 1 for "不连" and "单排"; else the number, 1 when that is 0.
int ParseContinuityCount(const std::string& text);
// 0 for "自动", else the number.
int ParseContinuity(const std::string& text);

// Removes every blank and line feed and makes "(" and ")" full-width, in place.
void NormalizeName(std::string& name);
// The list's object of the name as typed, or else the one whose name normalises as it does
// (ignoring ASCII case): an import hands names normalised, the task keeps them as they were
// typed. Null when there is none.
CZemObject* FindByImportedName(const CZemObjectList& list, const std::string& name);
// Its id; empty when there is none.
std::string IdByImportedName(const CZemObjectList& list, const std::string& name);
