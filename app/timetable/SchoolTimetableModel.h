#pragma once
// What the whole-school timetable shows, apart from any window: the periods along the week, the
// lines (one class, teacher or room each) and the text of every cell, as the window's settings
// shape them. The window fills its grid from it and its print draws pages from it.
#include "base/TimeTable.h"

#include <string>
#include <vector>

class CScheduleTask;
class CSchoolStructure;
class CTablePageLayout;
class CZemTableObject;

// One line of the master timetable.
struct CSchoolLine {
    std::string label;  // the object's name; "group<7>teacher" for a grouped teacher
    CZemTableObject* object = nullptr;
};

// The kind (0 class, 1 teacher, 2 room) and layout (0 横排, 1 竖排, 2 交叉) of stored settings: a
// kind other than 1 or 2 is a class one, a layout is kept within 0..2; a cell text mode other than
// 0..5 is the first.
int SchoolKindOf(int stored);
int SchoolStyleOf(int stored);
int SchoolTextModeOf(int stored);

class CSchoolTimetableModel {
public:
    // The periods of the task's week with morning reading and evening self-study or without them.
    void SetWeek(const CSchoolStructure& structure, bool showSS);
    // The lines of every object of the kind of the open task in the order the program lists them;
    // with `groupTeachers`, a teacher's label names the group the list shows it under.
    void SetLines(int kind, bool groupTeachers);

    int GetPeriodsPerDay() const { return m_periodsPerDay; }
    int GetPeriodCount() const { return m_periodsPerDay * static_cast<int>(m_days.size()); }
    int GetDayCount() const { return static_cast<int>(m_days.size()); }
    // The linear index of a node: day order x periods per day + the periods of the sections before
    // the node's (morning reading, forenoon, afternoon, night, evening self-study) + its period;
    // -1 when the node is not shown.
    int PeriodIndex(const tagTABLE_NODE& node) const;
    // The label of a period within a day: "早", "自" or its running number.
    std::string PeriodLabel(int inDay) const;
    // The node of a linear index; false outside the week.
    bool NodeOfPeriod(int index, tagTABLE_NODE* node) const;

    int GetKind() const { return m_kind; }
    const std::vector<CSchoolLine>& GetLines() const { return m_lines; }
    // The timetable of a line: its working copy (a room's combined one).
    CCourseTable* TableOf(int line) const;
    // The cell record of a line at a period (empty: nothing shown) and its tip (rooms only).
    std::string CellText(CScheduleTask& task, const CTablePageLayout& layout, bool showRoomNumber, int line,
                         int period, std::string* tip) const;

private:
    std::vector<int> m_days;  // day numbers in display order
    std::vector<std::string> m_labels;  // of the periods of a day
    std::vector<int> m_sectionStart;  // per segment, its first period within a day; -1 when hidden
    std::vector<int> m_sectionCount;  // per segment, its periods as shown
    int m_periodsPerDay = 0;
    int m_kind = 0;
    std::vector<CSchoolLine> m_lines;
};
