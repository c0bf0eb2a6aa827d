// The reverse import of a class master timetable.
#include "app/output/import/ReverseImport.h"

#include "app/output/import/RowReader.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/SaveFailure.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/BasicData.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "base/TaskLimits.h"
#include "platform/Text.h"

#include <algorithm>
#include <type_traits>

namespace zem::import {

using zem::workbook::CellValue;
using zem::workbook::MergedArea;
using zem::workbook::SheetData;

namespace {

// The cells of a lesson text: subject, then teachers and room.
struct Lesson {
    std::string subject;
    std::vector<std::string> teachers;  // as the cell writes them, blanks between
    std::string room;
    bool teacherLine = false;  // the text names its teachers on a line of their own
};

std::string WithoutBlanks(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

Lesson SplitLesson(const std::string& text)
{
    Lesson lesson;
    const std::size_t lineFeed = text.find('\n');
    if (lineFeed == std::string::npos) {
        lesson.subject = WithoutBlanks(text);
        return lesson;
    }
    lesson.teacherLine = true;
    lesson.subject = WithoutBlanks(text.substr(0, lineFeed));
    std::string rest = ReplaceAll(ReplaceAll(text.substr(lineFeed + 1), "（", "("), "）", ")");
    const std::size_t open = rest.find('(');
    const std::size_t close = open == std::string::npos ? std::string::npos : rest.find(')', open + 1);
    if (open != std::string::npos && open > 0 && close != std::string::npos) {
        lesson.room = WithoutBlanks(rest.substr(open + 1, close - open - 1));
        rest.resize(open);
        // A shared room's seat, as timetables show it ("实验室:2"), names no room of its own.
        const std::size_t colon = lesson.room.rfind(':');
        if (colon != std::string::npos && colon > 0 && colon + 1 < lesson.room.size() &&
            std::all_of(lesson.room.begin() + static_cast<std::ptrdiff_t>(colon) + 1, lesson.room.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            lesson.room.resize(colon);
    }
    SplitToArray(rest, " \n", lesson.teachers, true);
    return lesson;
}

// The slot is used for that week part: a whole lesson, or the same half.
bool IsSlotTaken(const CCourseTable& table, const tagTABLE_NODE& node, int half)
{
    if (table.IsFullUsed(node))
        return true;
    if (!table.IsHalfUsed(node))
        return false;
    const CCourseTableNode& cell = table.GetNode(node);
    return half == 0 || !cell.IsInterleave() || cell.data(half).HasCourse();
}

bool HasText(const CMasterSheet& sheet, int row, int column)
{
    return !sheet.Text(row, column).empty();
}

}  // namespace

std::string MasterCellText(const CellValue& value)
{
    std::string text;
    switch (value.type) {
    case CellValue::Type::Text:
    case CellValue::Type::Date:
        // Without the names' normalisation: line breaks and parentheses carry meaning here.
        text = value.text;
        break;
    case CellValue::Type::Number:
        ReadCellText(value, text);
        break;
    default:
        break;
    }
    std::string kept;
    for (const char c : text) {
        if (c == '\r')
            continue;
        const bool blankAfterBreak = c == ' ' && (kept.empty() || kept.back() == ' ' || kept.back() == '\n');
        if (c == '\n' && !kept.empty() && kept.back() == ' ')
            kept.pop_back();
        if (!blankAfterBreak)
            kept += c;
    }
    if (!kept.empty() && kept.back() == ' ')
        kept.pop_back();
    return kept;
}

// ---- the sheet ----

CMasterSheet::CMasterSheet(SheetData sheet) : m_sheet(std::move(sheet))
{
    if (m_sheet.IsEmpty())
        return;
    // The header: the first row with two cells filled; the first column likewise, from the header down.
    std::map<int, int> rows;
    m_sheet.ForEachCell([&](int row, int, const CellValue& value) {
        if (!MasterCellText(value).empty())
            ++rows[row];
    });
    m_headerRow = m_sheet.FirstRow();
    for (const auto& [row, count] : rows)
        if (count > 1) {
            m_headerRow = row;
            break;
        }
    std::map<int, int> columns;
    m_sheet.ForEachCell([&](int row, int column, const CellValue& value) {
        if (row >= m_headerRow && !MasterCellText(value).empty())
            ++columns[column];
    });
    m_sheet.ForEachCell([&](int row, int column, const CellValue& value) {
        if (row < m_headerRow + 2 || column <= m_firstColumn || value.type != CellValue::Type::Text)
            return;
        const Lesson lesson = SplitLesson(MasterCellText(value));
        if (lesson.teacherLine) {
            m_teacherLines = true;
            m_subjects.insert(lesson.subject);
        }
    });
    m_firstColumn = m_sheet.FirstColumn();
    for (const auto& [column, count] : columns)
        if (count > 1) {
            m_firstColumn = column;
            break;
        }
    for (const MergedArea& area : m_sheet.MergedAreas())
        if (area.firstRow >= m_headerRow + 2 && area.lastColumn > area.firstColumn)
            m_merges[area.firstRow].push_back(area);
    for (auto& [row, areas] : m_merges)
        std::sort(areas.begin(), areas.end(),
                  [](const MergedArea& a, const MergedArea& b) { return a.firstColumn < b.firstColumn; });
}

std::string CMasterSheet::Text(int row, int column) const
{
    const CellValue& value = m_sheet.Value(row, column);
    if (value.type != CellValue::Type::Empty)
        return MasterCellText(value);
    // A cell covered by an area merged across a class row takes the area's value.
    const auto found = m_merges.find(row);
    if (found == m_merges.end())
        return {};
    const std::vector<MergedArea>& areas = found->second;
    auto after = std::upper_bound(areas.begin(), areas.end(), column,
                                  [](int c, const MergedArea& area) { return c < area.firstColumn; });
    if (after == areas.begin())
        return {};
    const MergedArea& area = *std::prev(after);
    if (column > area.lastColumn || column == area.firstColumn)
        return {};
    return MasterCellText(m_sheet.Value(area.firstRow, area.firstColumn));
}

std::vector<MasterClassRow> CMasterSheet::ClassRows() const
{
    std::vector<MasterClassRow> rows;
    if (IsEmpty())
        return rows;
    const int lastRow = LastRow();
    const int lastColumn = LastColumn();
    for (int row = m_headerRow + 2; row <= lastRow; ++row) {
        MasterClassRow classRow;
        classRow.row = row;
        classRow.name = WithoutBlanks(Text(row, m_firstColumn));
        if (classRow.name.empty())
            continue;
        const bool paired = row < lastRow && !HasText(*this, row + 1, m_firstColumn);
        for (int column = m_firstColumn + 1; column <= lastColumn; ++column) {
            std::string cell = Text(row, column);
            if (paired) {
                const std::string lower = Text(row + 1, column);
                if (!lower.empty())
                    cell += "|" + lower;
            }
            classRow.cells.push_back(std::move(cell));
        }
        rows.push_back(std::move(classRow));
    }
    return rows;
}

bool ReadMasterSheet(const std::string& path, std::unique_ptr<CMasterSheet>& sheet, std::string& error)
{
    SheetData data;
    std::string reason;
    if (!zem::workbook::ReadWorkbookSheet(path, data, reason)) {
        error = ReadFailureText(reason);
        return false;
    }
    sheet = std::make_unique<CMasterSheet>(std::move(data));
    return true;
}

// ---- the preview ----

namespace {

// What a period's title says of its kind: "早…" morning reading, "自…" self-study, "晚…" the night or the evening
// self-study, anything else (a number) a period of lessons.
enum class TitleKind { Lessons, Morning, Study, Evening };

TitleKind KindOfTitle(const std::string& title)
{
    auto starts = [&](const char* word) { return title.rfind(word, 0) == 0; };
    if (starts(kMorningReadingTitle))
        return TitleKind::Morning;
    if (starts(kSelfStudyTitle))
        return TitleKind::Study;
    if (starts("晚"))
        return TitleKind::Evening;
    return TitleKind::Lessons;
}

// The segments of a day's periods as a sheet shows them, with its morning reading and evening self-study or without.
std::vector<int> DaySegments(const CSchoolStructure& week, bool selfStudy)
{
    std::vector<int> segments;
    for (const int segment : zem::kSegmentsInDayOrder)
        if (selfStudy || !zem::IsSelfStudySegment(segment))
            segments.insert(segments.end(), static_cast<std::size_t>(week.GetSectionNodeMaxCount(segment)), segment);
    return segments;
}

// Whether a title may stand over a period of the segment.
bool TitleFits(TitleKind kind, int segment)
{
    switch (kind) {
    case TitleKind::Morning:
        return segment == zem::kMorningReading;
    case TitleKind::Study:
        return segment == zem::kEveningStudy;
    case TitleKind::Evening:
        return segment == zem::kNight || segment == zem::kEveningStudy;
    case TitleKind::Lessons:
        break;
    }
    return !zem::IsSelfStudySegment(segment);
}

// The columns whose titles do not fit the day's periods; none when the sheet titles no period as morning reading or
// self-study, whose periods are then matched by their count alone.
std::vector<std::size_t> MisfitTitles(const MasterPreview& preview, const std::vector<int>& segments)
{
    std::vector<std::size_t> misfits;
    bool titled = false;
    for (std::size_t i = 0; i < preview.titles.size(); ++i) {
        const TitleKind kind = KindOfTitle(preview.titles[i]);
        const int segment = segments[i % segments.size()];
        titled = titled || kind == TitleKind::Morning || kind == TitleKind::Study ||
                 (kind == TitleKind::Evening && segment == zem::kEveningStudy);
        if (!TitleFits(kind, segment))
            misfits.push_back(i);
    }
    return titled ? misfits : std::vector<std::size_t>{};
}

const char* SegmentWord(int segment)
{
    return segment == zem::kMorningReading ? "早读" : segment == zem::kEveningStudy ? "晚自习" : "上课节次";
}

}  // namespace

MasterPreview PreviewMasterSheet(const CMasterSheet& sheet, const std::atomic<bool>* stop)
{
    MasterPreview preview;
    if (sheet.IsEmpty())
        return preview;
    auto stopped = [&] { return preview.stopped = preview.stopped || (stop && stop->load()); };
    for (int row = sheet.HeaderRow() + 2; row <= sheet.LastRow() && !stopped(); ++row) {
        std::string name = WithoutBlanks(sheet.Text(row, sheet.FirstColumn()));
        if (!name.empty())
            preview.classes.push_back(std::move(name));
    }
    for (int column = sheet.FirstColumn() + 1; column <= sheet.LastColumn() && !stopped(); ++column) {
        preview.days += HasText(sheet, sheet.HeaderRow(), column);
        std::string period = WithoutBlanks(sheet.Text(sheet.HeaderRow() + 1, column));
        if (period.empty())
            continue;
        preview.morningReading += KindOfTitle(period) == TitleKind::Morning;
        preview.selfStudy += KindOfTitle(period) == TitleKind::Study;
        preview.titles.push_back(std::move(period));
    }
    preview.periods = static_cast<int>(preview.titles.size());
    preview.perDay = preview.days > 0 ? preview.periods / preview.days : 0;
    return preview;
}

bool MasterShowsSelfStudy(const MasterPreview& preview, const CSchoolStructure& week)
{
    // A sheet of fewer periods a day than the week has leaves out the morning reading and the self-study, as the
    // program writes it unless told to show them.
    return preview.perDay != static_cast<int>(DaySegments(week, false).size());
}

MasterVerdict JudgeMasterSheet(const MasterPreview& preview, const CSchoolStructure& week)
{
    const std::vector<int> segments = DaySegments(week, MasterShowsSelfStudy(preview, week));
    // A sheet that titles its morning-reading and self-study periods has them where the task has them, so that they
    // come back as lessons of their kind.
    if (preview.days > 0 && preview.days == week.GetWeekDayCount() && !segments.empty() &&
        preview.periods == preview.days * static_cast<int>(segments.size()) && MisfitTitles(preview, segments).empty())
        return MasterVerdict::Matches;
    if (preview.days > 14 || preview.perDay < 2)
        return MasterVerdict::NotAcross;
    return MasterVerdict::Differs;
}

const char* MasterVerdictText(MasterVerdict verdict)
{
    switch (verdict) {
    case MasterVerdict::Matches:
        return "和当前排课任务的教学时间一致，可以反导入";
    case MasterVerdict::NotAcross:
        return "您的Excel文件可能不是横排的班级总课表格式，请检查";
    case MasterVerdict::Differs:
        break;
    }
    return "和当前排课任务的教学时间不一致，您可以修改Excel文件或者点击上面的按钮调整教学时间";
}

std::string MasterDifferenceText(const MasterPreview& preview, const CSchoolStructure& week)
{
    const std::vector<int> all = DaySegments(week, true), regular = DaySegments(week, false);
    const int morning = week.GetSectionNodeMaxCount(zem::kMorningReading);
    const int study = week.GetSectionNodeMaxCount(zem::kEveningStudy);
    if (preview.days != week.GetWeekDayCount() || preview.days == 0 || preview.periods % preview.days != 0 ||
        (preview.perDay != static_cast<int>(all.size()) && preview.perDay != static_cast<int>(regular.size())))
        return Format("Excel文件中上课 %d 天、每天 %d 个节次；当前排课任务上课 %d 天、每天 %d 个节次（其中早读 %d 个、"
                      "晚自习 %d 个）",
                      preview.days, preview.perDay, week.GetWeekDayCount(), static_cast<int>(all.size()), morning,
                      study);
    const std::vector<int> segments = DaySegments(week, MasterShowsSelfStudy(preview, week));
    // A title that differs on every day is said once, by its place in the day.
    std::map<std::size_t, std::string> titles;
    for (const std::size_t i : MisfitTitles(preview, segments))
        titles.emplace(i % segments.size(), preview.titles[i]);
    std::string text;
    for (const auto& [place, title] : titles)
        text += Format("%s每天第 %d 个节次的标题是“%s”，当前排课任务的这个节次是%s", text.empty() ? "" : "；",
                       static_cast<int>(place) + 1, title.c_str(), SegmentWord(segments[place]));
    return text;
}

std::string MasterPreviewText(const MasterPreview& preview)
{
    std::string names;
    for (const std::string& name : preview.classes)
        names += (names.empty() ? "" : ",") + name;
    return Format("\r\nExcel文件中的班级有：%d个\r\n%s", static_cast<int>(preview.classes.size()), names.c_str()) +
           Format("\r\nExcel文件中的教学时间：总节次数 %d，上课天数 %d，每天节次数 %d\r\n", preview.periods,
                  preview.days, preview.perDay);
}

// ---- names ----

using NameIndex = std::map<std::string, CZemObject*>;

struct MasterNames {
    explicit MasterNames(const CScheduleTask& task)
    {
        Index<CSubjectInfo>(task.GetSubjectInfoList(), subjects);
        Index<CTeacherInfo>(task.GetTeacherInfoList(), teachers);
        Index<CRoomInfo>(task.GetRoomInfoList(), rooms);
        for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList()))
            teacherShortNames.emplace(teacher->GetShortName(), teacher);
    }

    // Every teacher a name may mean, as Find chooses first: the one of that name, then those of that
    // short name in display order (two teachers may share a short name).
    std::vector<CZemObject*> TeachersNamed(const CZemObjectList& list, const std::string& name) const
    {
        std::vector<CZemObject*> found;
        if (CZemObject* named = list.FindByName(name))
            found.push_back(named);
        const auto [first, last] = teacherShortNames.equal_range(name);
        for (auto it = first; it != last; ++it)
            if (std::find(found.begin(), found.end(), it->second) == found.end())
                found.push_back(it->second);
        return found;
    }

    // The object of the name, else of the short name (the first in display order): a sheet of
    // short names, as the program writes by default, finds the task's objects.
    static CZemObject* Find(const CZemObjectList& list, const NameIndex& shortNames, const std::string& name)
    {
        if (CZemObject* found = list.FindByName(name))
            return found;
        const auto found = shortNames.find(name);
        return found == shortNames.end() ? nullptr : found->second;
    }

    // Short names of the objects the task held when the import began.
    NameIndex subjects, teachers, rooms;
    std::multimap<std::string, CZemObject*> teacherShortNames;

private:
    template <class T>
    static void Index(const CZemObjectList& list, NameIndex& out)
    {
        for (T* object : ObjectsInOrder<T>(list))
            out.emplace(object->GetShortName(), object);
    }
};

namespace {

bool IsOneCharacter(const std::string& name)
{
    return !name.empty() && zem::Utf8CharLength(name, 0) == name.size();
}

// The teachers of a lesson: a blank parts them, but a name written with blanks ("张 三", padded
// to line up with longer names) stays one unless its pieces are the task's teachers.
std::vector<std::string> TeacherNames(const Lesson& lesson, const CZemObjectList& teachers, const NameIndex& shortNames)
{
    const std::vector<std::string>& parts = lesson.teachers;
    if (parts.size() < 2)
        return parts;
    auto known = [&](const std::string& name) { return MasterNames::Find(teachers, shortNames, name) != nullptr; };
    if (std::all_of(parts.begin(), parts.end(), known))
        return parts;
    std::string joined;
    for (const std::string& part : parts)
        joined += part;
    if (known(joined) || std::all_of(parts.begin(), parts.end(), IsOneCharacter))
        return {joined};
    return parts;
}

// Whether a cell is an activity of the class rather than a lesson: one line that names no subject
// of the task nor of the sheet's lessons, in a sheet whose lessons name their teachers.
bool IsActivity(const Lesson& lesson, int half, const CMasterSheet& sheet, const CScheduleTask& task,
                const NameIndex& subjects)
{
    return sheet.HasTeacherLines() && half == 0 && !lesson.teacherLine && !lesson.subject.empty() &&
           !sheet.TeachesSubject(lesson.subject) && !MasterNames::Find(task.GetSubjectInfoList(), subjects, lesson.subject);
}

_CourseType KindOfSegment(int segment)
{
    return segment == zem::kMorningReading ? COURSE_TYPE_MORNING_READING
           : segment == zem::kEveningStudy ? COURSE_TYPE_SELF_STUDY
                                           : COURSE_TYPE_PLAN;
}

// Visits the cells of a class row with their periods, in day order and, within a day, morning
// reading, forenoon, afternoon, night and evening self-study; "odd|even" cells once for each half.
template <class Visit>
void ForEachPeriod(const CSchoolStructure& week, bool selfStudyShown, const std::vector<std::string>& cells, Visit visit)
{
    std::size_t next = 0;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (!week.IsDayInUse(day))
            continue;
        for (const int segment : zem::kSegmentsInDayOrder) {
            // A sheet without the morning reading and the self-study has no column of theirs.
            const int sections = selfStudyShown || !zem::IsSelfStudySegment(segment) ? week.GetSectionNodeMaxCount(segment) : 0;
            for (int section = 0; section < sections; ++section) {
                // A short row (only ever a damaged sheet) leaves the rest of the week empty.
                if (next >= cells.size())
                    return;
                const std::string& cell = cells[next++];
                const std::size_t bar = cell.find('|');
                // "odd|even"; a side may be empty, so "|数学" is a lesson of the even weeks alone.
                if (bar != std::string::npos) {
                    visit(tagTABLE_NODE{day, segment, section}, 1, cell.substr(0, bar));
                    visit(tagTABLE_NODE{day, segment, section}, 2, cell.substr(bar + 1));
                } else {
                    visit(tagTABLE_NODE{day, segment, section}, 0, cell);
                }
            }
        }
    }
}

}  // namespace

// ---- what an import would add ----

MasterAdditions CountMasterAdditions(const CScheduleTask& task, const CMasterSheet& sheet)
{
    const MasterNames names(task);
    const bool selfStudyShown = MasterShowsSelfStudy(PreviewMasterSheet(sheet), task.GetSchoolStructure());
    std::set<std::string> classes, subjects, teachers, rooms, shortNames;
    // Plans by their names; true once the plan holds a whole lesson, which later cells join. Every
    // plan is counted as new, so that the count is at most one too many for a plan the task has.
    std::map<std::string, bool> plans;
    MasterAdditions added;
    auto note = [&](std::set<std::string>& made, const std::string& name) {
        if (made.insert(name).second && IsOneCharacter(name))
            shortNames.insert(name);
    };
    for (const MasterClassRow& row : sheet.ClassRows()) {
        if (!task.GetClassInfoList().FindByName(row.name))
            classes.insert(row.name);
        ForEachPeriod(task.GetSchoolStructure(), selfStudyShown, row.cells, [&](const tagTABLE_NODE& node, int half, const std::string& text) {
            const Lesson lesson = SplitLesson(text);
            if (text.empty() || lesson.subject.empty() ||
                IsActivity(lesson, half, sheet, task, names.subjects))
                return;
            std::string key = row.name + '\t' + lesson.subject + '\t' + lesson.room + '\t' +
                              std::to_string(KindOfSegment(node.segment));
            if (!MasterNames::Find(task.GetSubjectInfoList(), names.subjects, lesson.subject))
                note(subjects, lesson.subject);
            std::vector<std::string> named = TeacherNames(lesson, task.GetTeacherInfoList(), names.teachers);
            if (named.empty())
                named.push_back(row.name + lesson.subject);
            for (const std::string& teacher : named) {
                key += '\t' + teacher;
                if (!MasterNames::Find(task.GetTeacherInfoList(), names.teachers, teacher))
                    note(teachers, teacher);
            }
            if (!lesson.room.empty() && !MasterNames::Find(task.GetRoomInfoList(), names.rooms, lesson.room))
                rooms.insert(lesson.room);
            auto [plan, isNew] = plans.try_emplace(key, half == 0);
            if (isNew || !plan->second)
                ++(KindOfSegment(node.segment) == COURSE_TYPE_PLAN ? added.plans : added.selfStudy);
            plan->second = plan->second || half == 0 || !isNew;
        });
    }
    added.classes = classes.size();
    added.subjects = subjects.size();
    added.teachers = teachers.size();
    added.rooms = rooms.size();
    added.unknownShortNames.assign(shortNames.begin(), shortNames.end());
    return added;
}

std::string CheckMasterLimits(const CScheduleTask& task, const MasterAdditions& added)
{
    const std::pair<TaskObjectKind, std::size_t> counts[] = {
        {TaskObjectKind::Class, added.classes},     {TaskObjectKind::Subject, added.subjects},
        {TaskObjectKind::Teacher, added.teachers},  {TaskObjectKind::Room, added.rooms},
        {TaskObjectKind::RoomPlace, added.rooms},   {TaskObjectKind::Plan, added.plans},
        {TaskObjectKind::SelfStudy, added.selfStudy},
    };
    for (const auto& [kind, count] : counts) {
        std::string refused = CheckTaskLimit(task, kind, count);
        if (!refused.empty())
            return refused;
    }
    return {};
}

std::string ShortNamesText(const MasterAdditions& added)
{
    if (added.unknownShortNames.empty())
        return {};
    std::string names;
    for (std::size_t i = 0; i < added.unknownShortNames.size() && i < 10; ++i)
        names += (names.empty() ? "" : "、") + added.unknownShortNames[i];
    if (added.unknownShortNames.size() > 10)
        names += "……";
    return "Excel文件中有像是简称的科目或教师名称（" + names +
           "），当前排课任务中没有这些简称的科目或教师，反导入将按简称新建。如果要用全称，请先导入或录入基本数据";
}

// ---- the import ----

struct CReverseImporter::Made {
    // Objects made for the cell, in the order they were made, with their lists.
    std::vector<std::pair<CZemObjectList*, std::string>> objects;
    std::string planKey;  // the index entry of a plan made for the cell
    CCourseInfo* grown = nullptr;  // a plan the cell added a lesson to, and its count before
    CWeekCount grownFrom;
    CRoomInfo* widened = nullptr;  // a room the cell made room in
    CombinedGroup* joined = nullptr;  // a combined class the cell's new plan joined
};

// Cells of several classes at one slot with the same subject, room, kind and teachers: one lesson
// the classes take together, as the program shows a combined class in each of its classes. Each
// class's cell names its own teacher first, then its assistants, then the other classes' teachers.
struct CReverseImporter::CombinedGroup {
    std::map<std::string, std::size_t> ownTeachers;  // by class name: its teacher and assistants
    std::string id;  // the combined class, once made
};

CReverseImporter::CReverseImporter(CScheduleTask& task, const CMasterSheet& sheet, bool checkConflicts)
    : m_task(task), m_sheet(sheet), m_checkConflicts(checkConflicts),
      m_helper(std::make_unique<CTaskHelper>(&task)), m_names(std::make_unique<MasterNames>(task))
{
    m_priority = m_helper->GetPriorityIndex();
    m_selfStudyShown = MasterShowsSelfStudy(PreviewMasterSheet(sheet), task.GetSchoolStructure());
    IndexPlans();
    FindCombinedGroups();
}

CReverseImporter::~CReverseImporter() = default;

void CReverseImporter::Conflict(const std::string& line)
{
    ++m_conflicts;
    if (log)
        log(line);
}

void CReverseImporter::ImportClassRow(const std::string& className, const std::vector<std::string>& cells)
{
    if (log)
        log("正在导入 " + className);
    ForEachPeriod(m_task.GetSchoolStructure(), m_selfStudyShown, cells, [&](const tagTABLE_NODE& node, int half, const std::string& text) {
        ImportCell(className, node.day, node.segment, node.section, half, text);
    });
}

namespace {

// Gives a new object its id, names and place and adds it to the list.
template <class T>
T* Register(CZemObjectList& list, T* made, const std::string& name, int priority)
{
    made->SetId(NewGuidString());
    made->SetName(name);
    made->SetShortName(name);
    made->SetPriority(priority);
    made->SetIndex(list.GetCount());
    list.Add(made);
    return made;
}

std::string PlanKey(const std::string& classId, const std::string& subjectId,
                    const std::vector<std::string>& teacherIds, const std::string& roomId, int type)
{
    std::string key = classId + '\t' + subjectId + '\t' + roomId + '\t' + std::to_string(type);
    for (const std::string& id : teacherIds)
        key += '\t' + id;
    return key;
}

std::string SlotKey(const tagTABLE_NODE& node, int half)
{
    return Format("%d-%d-%d:%d", node.day, node.segment, node.section, half);
}

// A class's own teachers in its cell of a combined lesson: the first, and those after it up to
// the first name another class of the lesson puts first.
std::size_t OwnTeachers(const std::vector<std::string>& names, const std::set<std::string>& firsts)
{
    std::size_t own = 1;
    while (own < names.size() && (names[own] == names[0] || !firsts.count(names[own])))
        ++own;
    return own;
}

}  // namespace

void CReverseImporter::FindCombinedGroups()
{
    struct Cell {
        std::string className;
        std::vector<std::string> names;
    };
    // The lessons of each slot by what they teach: subject, room, kind and teachers in any order.
    std::map<std::string, std::vector<Cell>> lessons;
    for (const MasterClassRow& row : m_sheet.ClassRows())
        ForEachPeriod(m_task.GetSchoolStructure(), m_selfStudyShown, row.cells, [&](const tagTABLE_NODE& node, int half, const std::string& text) {
            const Lesson lesson = SplitLesson(text);
            if (text.empty() || lesson.subject.empty() || IsActivity(lesson, half, m_sheet, m_task, m_names->subjects))
                return;
            std::vector<std::string> names = TeacherNames(lesson, m_task.GetTeacherInfoList(), m_names->teachers);
            if (names.empty())
                return;
            std::vector<std::string> sorted = names;
            std::sort(sorted.begin(), sorted.end());
            std::string key = SlotKey(node, half) + '\t' + lesson.subject + '\t' + lesson.room + '\t' +
                              std::to_string(KindOfSegment(node.segment));
            for (const std::string& name : sorted)
                key += '\t' + name;
            lessons[key].push_back({row.name, std::move(names)});
        });
    for (const auto& [key, cells] : lessons) {
        std::set<std::string> classes, firsts;
        for (const Cell& cell : cells) {
            classes.insert(cell.className);
            firsts.insert(cell.names.front());
        }
        if (classes.size() < 2)
            continue;
        // The same classes taught the same way at other slots take the same combined class.
        std::string group = key.substr(key.find('\t'));
        for (const std::string& name : classes)
            group += '\n' + name;
        std::unique_ptr<CombinedGroup>& found = m_groups[group];
        if (!found)
            found = std::make_unique<CombinedGroup>();
        const std::string slot = key.substr(0, key.find('\t'));
        for (const Cell& cell : cells) {
            found->ownTeachers.emplace(cell.className, OwnTeachers(cell.names, firsts));
            m_groupOfCell[cell.className + '\t' + slot] = found.get();
        }
    }
}

namespace {

// The longest run of the plan's whole lessons one after another in a segment, and how many runs of
// that length the week holds.
std::pair<int, int> LongestRuns(const CSchoolStructure& week, const CCourseTable& table, zem::IdHandle plan)
{
    int longest = 1, runs = 0;
    for (int day = 0; day < week.GetWeekDayCount(); ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            int run = 0;
            for (int section = 0; section <= week.GetSectionNodeMaxCount(segment); ++section) {
                const bool whole = section < week.GetSectionNodeMaxCount(segment) &&
                                   !table.GetNode(day, segment, section).IsInterleave() &&
                                   table.GetNode(day, segment, section).data(1).GetCourseHandle() == plan;
                if (whole) {
                    ++run;
                    continue;
                }
                if (run > longest) {
                    longest = run;
                    runs = 0;
                }
                if (run > 1 && run == longest)
                    ++runs;
                run = 0;
            }
        }
    return {longest, runs};
}

}  // namespace

// A plan the import made records the double periods the sheet gives it, so that the lessons of a
// day stay within the plan's daily maximum and a later run keeps them together.
void CReverseImporter::RecordDoublePeriods()
{
    const CSchoolStructure& week = m_task.GetSchoolStructure();
    for (const auto& [key, plans] : m_plans)
        for (CCourseInfo* plan : plans) {
            const CClassInfo* cls = m_ownPlans.count(plan) ? nullptr : m_task.GetClass(plan->GetClassId());
            if (!cls)
                continue;
            const auto [block, times] = LongestRuns(week, cls->GetTempTable(), zem::InternId(plan->GetId()));
            if (block < 2)
                continue;
            plan->SetContinuousNodes(block);
            plan->SetContinuousTimes(times);
        }
}

void CReverseImporter::Finish()
{
    RecordDoublePeriods();
    CCombineClassList& list = m_task.GetCombineCourseList();
    for (auto& [key, group] : m_groups) {
        const auto* combined = static_cast<const CCombineClass*>(group->id.empty() ? nullptr : list.Find(group->id));
        if (combined && combined->GetCombineCourse().size() < 2) {
            list.Remove(group->id);
            group->id.clear();
        }
    }
    m_helper = std::make_unique<CTaskHelper>(&m_task);
}

void CReverseImporter::IndexPlans()
{
    for (CZemObjectList* list : {&m_task.GetCourseInfoList(), &m_task.GetSelfStudyInfoList()}) {
        std::vector<CZemObject*> ordered;
        MapToOrderedList(*list, ordered);
        for (CZemObject* object : ordered) {
            auto* plan = static_cast<CCourseInfo*>(object);
            // Its teacher, its assistants and its combined class's teachers, as its cells show them.
            std::vector<std::string> teachers;
            m_task.GetAllTeacherId(teachers, plan, true);
            m_plans[PlanKey(plan->GetClassId(), plan->GetSubjectId(), teachers, plan->GetSpecialRoomId(),
                            plan->GetType())]
                .push_back(plan);
            m_ownPlans.insert(plan);
        }
    }
}

CCourseInfo* CReverseImporter::PlanFor(CClassInfo& cls, const std::string& subjectId,
                                       const std::vector<std::string>& teacherIds, const std::string& roomId,
                                       const tagTABLE_NODE& node, int half, Made& made)
{
    const _CourseType type = KindOfSegment(node.segment);
    const CWeekCount halfLesson(0, true);
    const CWeekCount lesson = half == 0 ? CWeekCount(1, false) : halfLesson;
    const std::string key = PlanKey(cls.GetId(), subjectId, teacherIds, roomId, type);
    std::vector<CCourseInfo*>& same = m_plans[key];
    bool full = false;
    for (CCourseInfo* plan : same) {
        if (m_ownPlans.count(plan)) {
            // The task's own plan takes the lesson into a lesson it counts, never beyond.
            if (!(m_helper->CountCourseNodes(plan->GetId(), &cls.GetTempTable(), 0) + lesson > plan->GetWeekCount()))
                return plan;
            full = true;
            continue;
        }
        // A plan the import made of one half lesson stays one: a second half is a plan of its own.
        if (plan->GetWeekCount() == halfLesson)
            continue;
        made.grown = plan;
        made.grownFrom = plan->GetWeekCount();
        // A half cell adds half a lesson, so that the count stays what was placed.
        plan->GetWeekCount() += lesson;
        return plan;
    }
    // The sheet shows more lessons than the task's plan counts: the plan is the user's to change.
    if (full)
        return nullptr;
    const auto group = m_groupOfCell.find(cls.GetName() + '\t' + SlotKey(node, half));
    CombinedGroup* combined = group == m_groupOfCell.end() ? nullptr : group->second;
    // Several teachers in the cell: the first teaches the plan, the others assist, but for those
    // of the other classes of a combined lesson.
    const std::size_t own = combined ? combined->ownTeachers.at(cls.GetName()) : teacherIds.size();
    CCourseInfo* plan = MakePlan(cls, subjectId, teacherIds, own, roomId, type, half, made);
    if (combined)
        JoinCombined(*plan, *combined, made);
    same.push_back(plan);
    made.planKey = key;
    return plan;
}

CCourseInfo* CReverseImporter::MakePlan(CClassInfo& cls, const std::string& subjectId,
                                        const std::vector<std::string>& teacherIds, std::size_t ownTeachers,
                                        const std::string& roomId, int type, int half, Made& made)
{
    CZemObjectList& plans = type == COURSE_TYPE_PLAN ? m_task.GetCourseInfoList() : m_task.GetSelfStudyInfoList();
    auto* plan = new CCourseInfo;
    plan->SetId(NewGuidString());
    plan->SetClass(cls.GetId());
    plan->SetSubject(subjectId);
    plan->SetTeacher(teacherIds.front());
    plan->SetMainCourse(1);
    plan->SetWeekCount(half == 0 ? CWeekCount(1, false) : CWeekCount(0, true));
    plan->SetContinuousNodes(1);
    plan->SetContinuousTimes(0);
    if (!roomId.empty())
        plan->SetRoom(roomId);
    plan->SetType(static_cast<_CourseType>(type));
    plan->SetIndex(plans.GetCount());
    plans.Add(plan);
    made.objects.emplace_back(&plans, plan->GetId());
    if (ownTeachers > 1) {
        auto* assistant = new CCourseAssistant;
        assistant->SetId(plan->GetId());
        assistant->GetAssistants().assign(teacherIds.begin() + 1,
                                          teacherIds.begin() + static_cast<std::ptrdiff_t>(ownTeachers));
        assistant->SetIndex(m_task.GetAssistantList().GetCount());
        m_task.GetAssistantList().Add(assistant);
        made.objects.emplace_back(&m_task.GetAssistantList(), plan->GetId());
    }
    return plan;
}

// The plan joins its lesson's combined class, made with the first of its plans.
void CReverseImporter::JoinCombined(CCourseInfo& plan, CombinedGroup& group, Made& made)
{
    CCombineClassList& list = m_task.GetCombineCourseList();
    auto* combined = static_cast<CCombineClass*>(group.id.empty() ? nullptr : list.Find(group.id));
    if (!combined) {
        combined = new CCombineClass;
        combined->SetId(NewGuidString());
        combined->SetIndex(list.GetCount());
        list.Add(combined);
        group.id = combined->GetId();
        made.objects.emplace_back(&list, combined->GetId());
    }
    combined->GetCombineCourse().push_back(plan.GetId());
    list.ReBuildCourseMap();
    made.joined = &group;
    // The helper keeps what it learnt of the plans already in the combined class.
    m_helper = std::make_unique<CTaskHelper>(&m_task);
}

void CReverseImporter::Undo(Made& made)
{
    if (made.grown)
        made.grown->GetWeekCount() = made.grownFrom;
    if (made.widened)
        made.widened->SetCapacity(made.widened->GetCapacity() - 1);
    if (!made.planKey.empty())
        m_plans[made.planKey].pop_back();
    CCombineClassList& combinedList = m_task.GetCombineCourseList();
    if (made.joined) {
        if (auto* combined = static_cast<CCombineClass*>(combinedList.Find(made.joined->id)))
            combined->GetCombineCourse().pop_back();
    }
    for (auto it = made.objects.rbegin(); it != made.objects.rend(); ++it) {
        if (CZemObject* object = it->first->Find(it->second); object && it->first == &m_task.GetRoomInfoList())
            m_madeRooms.erase(static_cast<const CRoomInfo*>(object));
        if (it->first == &combinedList)
            made.joined->id.clear();
        it->first->Remove(it->second);
    }
    combinedList.ReBuildCourseMap();
    // The helper keeps what it learnt of plans and teachers by their addresses and ids.
    m_helper = std::make_unique<CTaskHelper>(&m_task);
}

void CReverseImporter::ImportActivity(CClassInfo& cls, const tagTABLE_NODE& node, const std::string& text)
{
    auto refuse = [&](const char* why) {
        Conflict(Format("%s %s %s，没有导入：%s", cls.GetName().c_str(), m_task.GetTimeNodeDesc(&node).c_str(), why,
                        text.c_str()));
    };
    if (IsSlotTaken(cls.GetTempTable(), node, 0))
        return refuse("已经有课");
    if (m_task.GetSchoolStructure().IsInvalid(node))
        return refuse("不是上课时间");
    // The class has no lesson there: the slot is one of its fixed times, named by the activity.
    CZemObjectList& fixedTimes = m_task.GetFixedTimeOfClassList();
    auto* fixed = static_cast<CFixedTimeOfObject*>(fixedTimes.Find(cls.GetId()));
    if (!fixed) {
        fixed = new CFixedTimeOfClass;
        fixed->SetId(cls.GetId());
        fixed->SetIndex(fixedTimes.GetCount());
        fixedTimes.Add(fixed);
    }
    CFixedTimeOfClass slot;
    slot.ReadFixedTimeFromString(std::to_string(node.day * 100 + node.segment * 10 + node.section) + ",");
    slot.GetActivities().AddActivity(node, text);
    fixed->Combine(&slot);
}

CClassInfo& CReverseImporter::ClassNamed(const std::string& name)
{
    CZemObjectList& classes = m_task.GetClassInfoList();
    if (auto* found = static_cast<CClassInfo*>(classes.FindByName(name)))
        return *found;
    auto* cls = new CClassInfo;
    cls->SetStudentCount(50);
    return *Register(classes, cls, name, m_priority);
}

void CReverseImporter::ImportCell(const std::string& className, int day, int segment, int section, int half,
                                  const std::string& text)
{
    if (text.empty())
        return;
    CClassInfo& cls = ClassNamed(className);
    const tagTABLE_NODE node{day, segment, section};
    // What the task already shows there (a school's or the class's activity) is nothing to add.
    if (half == 0 && text == m_task.GetActivityInfo(cls.GetId(), TABLE_CLASS, node))
        return;
    const Lesson lesson = SplitLesson(text);
    if (IsActivity(lesson, half, m_sheet, m_task, m_names->subjects))
        return ImportActivity(cls, node, text);
    if (lesson.subject.empty())
        return;
    auto refuse = [&](const char* why) {
        Conflict(Format("%s %s %s，没有导入：%s", className.c_str(), m_task.GetTimeNodeDesc(&node).c_str(), why,
                        ReplaceAll(text, "\n", " ").c_str()));
    };
    // Whatever the conflict check: a class named on two rows, or a half given twice, never
    // overwrites a lesson placed before, and no lesson goes where the school's week has none.
    // Nothing is made for a refused cell.
    if (IsSlotTaken(cls.GetTempTable(), node, half))
        return refuse("已经有课");
    if (m_task.GetSchoolStructure().IsInvalid(node))
        return refuse("不是上课时间");
    ImportLesson(cls, node, half, text);
}

CZemObject* CReverseImporter::Named(CZemObjectList& list, const std::string& name, Made& made)
{
    const bool subjects = &list == &m_task.GetSubjectInfoList();
    if (CZemObject* found = MasterNames::Find(list, subjects ? m_names->subjects : m_names->teachers, name))
        return found;
    CZemObject* object = subjects ? static_cast<CZemObject*>(Register(list, new CSubjectInfo, name, m_priority))
                                  : static_cast<CZemObject*>(Register(list, new CTeacherInfo, name, m_priority));
    made.objects.emplace_back(&list, object->GetId());
    return object;
}

CRoomInfo* CReverseImporter::RoomFor(const std::string& name, const tagTABLE_NODE& node, int half, Made& made)
{
    CZemObjectList& rooms = m_task.GetRoomInfoList();
    auto* room = static_cast<CRoomInfo*>(MasterNames::Find(rooms, m_names->rooms, name));
    if (!room) {
        room = new CRoomInfo;
        room->SetCapacity(1);
        Register(rooms, room, name, m_priority);
        made.objects.emplace_back(&rooms, room->GetId());
        m_madeRooms.insert(room);
    }
    // A room the sheet made holds as many classes at once as the sheet puts in it (a playground).
    int index = -1;
    if (m_madeRooms.count(room) && !room->GetComplexTable().PickFree(true, node, half, index)) {
        room->SetCapacity(room->GetCapacity() + 1);
        made.widened = room;
    }
    return room;
}

// A name several teachers answer to (a short name two teachers share) means the teachers of a plan the class has of
// the subject, where one fits; else the first teacher of the name, as elsewhere.
void CReverseImporter::PreferPlannedTeachers(const CClassInfo& cls, const std::string& subjectId,
                                             const std::vector<std::string>& names, const std::string& roomId,
                                             const tagTABLE_NODE& node, std::vector<std::string>& teacherIds) const
{
    std::vector<std::vector<std::string>> choices;
    std::size_t combinations = 1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::vector<std::string> ids;
        for (const CZemObject* teacher : m_names->TeachersNamed(m_task.GetTeacherInfoList(), names[i]))
            ids.push_back(teacher->GetId());
        if (ids.empty())
            ids.push_back(teacherIds[i]);
        combinations *= ids.size();
        choices.push_back(std::move(ids));
    }
    // A few teachers of one name at most; a sheet naming dozens alike is read as it stands.
    if (combinations < 2 || combinations > 64)
        return;
    std::vector<std::string> tried(names.size());
    for (std::size_t n = 0; n < combinations; ++n) {
        std::size_t rest = n;
        for (std::size_t i = 0; i < choices.size(); ++i) {
            tried[i] = choices[i][rest % choices[i].size()];
            rest /= choices[i].size();
        }
        const auto found = m_plans.find(PlanKey(cls.GetId(), subjectId, tried, roomId, KindOfSegment(node.segment)));
        if (found != m_plans.end() && !found->second.empty()) {
            teacherIds = tried;
            return;
        }
    }
}

// The lesson of a cell that may have it: its subject, teachers and room found or made, its plan
// found or made, and the lesson placed; when the check refuses it, everything made goes again.
void CReverseImporter::ImportLesson(CClassInfo& cls, const tagTABLE_NODE& node, int half, const std::string& text)
{
    const Lesson lesson = SplitLesson(text);
    Made made;
    CZemObject* subject = Named(m_task.GetSubjectInfoList(), lesson.subject, made);
    std::vector<std::string> names = TeacherNames(lesson, m_task.GetTeacherInfoList(), m_names->teachers);
    // A subject alone is taught by the class's teacher of it.
    if (names.empty())
        names.push_back(cls.GetName() + lesson.subject);
    std::vector<std::string> teacherIds;
    for (const std::string& name : names)
        teacherIds.push_back(Named(m_task.GetTeacherInfoList(), name, made)->GetId());
    const CRoomInfo* room = lesson.room.empty() ? nullptr : RoomFor(lesson.room, node, half, made);
    const std::string roomId = room ? room->GetId() : std::string();
    PreferPlannedTeachers(cls, subject->GetId(), names, roomId, node, teacherIds);
    CCourseInfo* plan = PlanFor(cls, subject->GetId(), teacherIds, roomId, node, half, made);
    if (!plan) {
        Conflict(cls.GetName() + " " + m_task.GetTimeNodeDesc(&node) + " " + ReplaceAll(text, "\n", " ") +
                 "：教学计划的周课时已经排满，没有导入");
        Undo(made);
        return;
    }
    CCourseTable& table = cls.GetTempTable();
    if (m_checkConflicts && !m_helper->CanPlaceCourse(&table, node, half, plan, roomId)) {
        // The check's reason names the slot and the lesson in the way; the lesson refused goes first.
        Conflict(cls.GetName() + " " + ReplaceAll(text, "\n", " ") + "：" + m_helper->GetText());
        Undo(made);
        return;
    }
    m_helper->SetCourseNode(&table, plan, roomId, node, half);
    ++m_placed;
}

std::string SaveReverseImport(CScheduleTask& task)
{
    // One pair: the timetables name the plans. The task's own notices of the failure (the file, the
    // reason, the backup) become the one message's reason instead of messages of their own.
    std::string reason;
    if (SaveHoldingNotices([&] { return CTaskHelper(&task).SaveInputAndTempTables(); }, reason))
        return {};
    return std::string(kReverseImportSaveFailed) + "\n\n" + (reason.empty() ? kCheckTaskFolderReason : reason);
}

CReverseImportCheck::CReverseImportCheck(CScheduleTask& task)
    : m_check(task, false, CChangeCheck::Plans::KeptWhereTheyStay), m_undo(task)
{
}

ChangeFindings CReverseImportCheck::Finish()
{
    ChangeFindings findings = m_check.FindingsInWorkingTables();
    if (Refuses(findings))
        m_undo.Restore();
    return findings;
}

std::string ReverseImportDoneText(const ChangeFindings& findings)
{
    if (findings.broken.IsClean())
        return "反导入完成";
    return "反导入完成\n\n" + KeptImportText(findings);
}

ReverseImportResult ImportMasterSheet(CScheduleTask& task, const CMasterSheet& sheet, bool checkConflicts,
                                      const std::function<void(const std::string& line)>& log)
{
    ReverseImportResult result;
    // Refused before anything changes: a task over the limits would not open again.
    result.error = CheckMasterLimits(task, CountMasterAdditions(task, sheet));
    if (!result.error.empty())
        return result;
    CTaskHelper(&task).RestoreTempTables();
    CReverseImportCheck check(task);
    {
        CReverseImporter importer(task, sheet, checkConflicts);
        importer.log = log;
        for (const MasterClassRow& row : sheet.ClassRows()) {
            importer.ImportClassRow(row.name, row.cells);
            ++result.classes;
        }
        importer.Finish();
        result.lessons = importer.PlacedLessons();
        result.conflicts = importer.Conflicts();
    }
    // Asked with the importer gone: a refusal puts other objects in the task's lists.
    result.findings = check.Finish();
    if (CReverseImportCheck::Refuses(result.findings)) {
        result.lessons = 0;
        result.error = RefusedImportText(result.findings);
        return result;
    }
    result.error = SaveReverseImport(task);
    return result;
}

}  // namespace zem::import
