// The reverse import of a class master timetable.
#include "app/output/import/ReverseImport.h"

#include "app/output/import/RowReader.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>

namespace zem::import {

using zem::workbook::CellValue;
using zem::workbook::MergedArea;
using zem::workbook::SheetData;

namespace {

// The segments of a day in the order of the sheet's columns.
constexpr int kSegmentOrder[] = {3, 0, 1, 2, 4};

// The cells of a lesson text: subject, then teacher and room.
struct Lesson {
    std::string subject;
    std::string teacher;
    std::string room;
};

Lesson SplitLesson(const std::string& className, const std::string& text)
{
    Lesson lesson;
    const std::size_t lineFeed = text.find('\n');
    if (lineFeed == std::string::npos) {
        lesson.subject = text;
        lesson.teacher = className + text;
        return lesson;
    }
    lesson.subject = text.substr(0, lineFeed);
    std::string rest = ReplaceAll(ReplaceAll(text.substr(lineFeed + 1), "（", "("), "）", ")");
    const std::size_t open = rest.find('(');
    const std::size_t close = open == std::string::npos ? std::string::npos : rest.find(')', open + 1);
    if (open != std::string::npos && open > 0 && close != std::string::npos) {
        lesson.room = rest.substr(open + 1, close - open - 1);
        rest.resize(open);
        // A shared room's seat, as timetables show it ("实验室:2"), names no room of its own.
        const std::size_t colon = lesson.room.rfind(':');
        if (colon != std::string::npos && colon > 0 && colon + 1 < lesson.room.size() &&
            std::all_of(lesson.room.begin() + static_cast<std::ptrdiff_t>(colon) + 1, lesson.room.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            lesson.room.resize(colon);
    }
    lesson.teacher = rest;
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
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\r'; }), text.end());
    return text;
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
        classRow.name = Text(row, m_firstColumn);
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

MasterPreview PreviewMasterSheet(const CMasterSheet& sheet, const std::atomic<bool>* stop)
{
    MasterPreview preview;
    if (sheet.IsEmpty())
        return preview;
    auto stopped = [&] { return preview.stopped = preview.stopped || (stop && stop->load()); };
    for (int row = sheet.HeaderRow() + 2; row <= sheet.LastRow() && !stopped(); ++row) {
        std::string name = sheet.Text(row, sheet.FirstColumn());
        if (!name.empty())
            preview.classes.push_back(std::move(name));
    }
    for (int column = sheet.FirstColumn() + 1; column <= sheet.LastColumn() && !stopped(); ++column) {
        preview.days += HasText(sheet, sheet.HeaderRow(), column);
        preview.periods += HasText(sheet, sheet.HeaderRow() + 1, column);
    }
    preview.perDay = preview.days > 0 ? preview.periods / preview.days : 0;
    return preview;
}

MasterVerdict JudgeMasterSheet(const MasterPreview& preview, const CSchoolStructure& week)
{
    if (preview.days > 0 && preview.days == week.GetWeekDayCount() && preview.perDay == week.GetDayNodeCount() &&
        preview.periods % preview.days == 0)
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

std::string MasterPreviewText(const MasterPreview& preview)
{
    std::string names;
    for (const std::string& name : preview.classes)
        names += (names.empty() ? "" : ",") + name;
    return Format("\r\nExcel文件中的班级有：%d个\r\n%s", static_cast<int>(preview.classes.size()), names.c_str()) +
           Format("\r\nExcel文件中的教学时间：总节次数 %d，上课天数 %d，每天节次数 %d\r\n", preview.periods,
                  preview.days, preview.perDay);
}

// ---- the import ----

CReverseImporter::CReverseImporter(CScheduleTask& task, bool checkConflicts)
    : m_task(task), m_checkConflicts(checkConflicts), m_helper(std::make_unique<CTaskHelper>(&task))
{
    m_priority = m_helper->GetPriorityIndex();
    IndexPlans();
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
    const CSchoolStructure& week = m_task.GetSchoolStructure();
    std::size_t next = 0;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (!week.IsDayInUse(day))
            continue;
        for (const int segment : kSegmentOrder) {
            const int sections = week.GetSectionNodeMaxCount(segment);
            for (int section = 0; section < sections; ++section) {
                // A short row (only ever a damaged sheet) leaves the rest of the week empty.
                if (next >= cells.size())
                    return;
                const std::string& cell = cells[next++];
                const std::size_t bar = cell.find('|');
                // "odd|even"; a side may be empty, so "|数学" is a lesson of the even weeks alone.
                if (bar != std::string::npos) {
                    ImportCell(className, day, segment, section, 1, cell.substr(0, bar));
                    ImportCell(className, day, segment, section, 2, cell.substr(bar + 1));
                } else {
                    ImportCell(className, day, segment, section, 0, cell);
                }
            }
        }
    }
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

template <class T>
T* FindOrCreate(CZemObjectList& list, const std::string& name, int priority)
{
    if (CZemObject* found = list.FindByName(name))
        return static_cast<T*>(found);
    return Register(list, new T, name, priority);
}

std::string PlanKey(const std::string& classId, const std::string& subjectId, const std::string& teacherId,
                    const std::string& roomId, int type)
{
    return classId + '\t' + subjectId + '\t' + teacherId + '\t' + roomId + '\t' + std::to_string(type);
}

std::string PlanKey(const CCourseInfo& plan)
{
    return PlanKey(plan.GetClassId(), plan.GetSubjectId(), plan.GetTeacherId(), plan.GetSpecialRoomId(),
                   plan.GetType());
}

}  // namespace

void CReverseImporter::IndexPlans()
{
    for (CZemObjectList* list : {&m_task.GetCourseInfoList(), &m_task.GetSelfStudyInfoList()}) {
        std::vector<CZemObject*> ordered;
        MapToOrderedList(*list, ordered);
        for (CZemObject* object : ordered) {
            auto* plan = static_cast<CCourseInfo*>(object);
            m_plans[PlanKey(*plan)].push_back(plan);
        }
    }
}

CCourseInfo* CReverseImporter::PlanFor(const std::string& classId, const std::string& subjectId,
                                       const std::string& teacherId, const std::string& roomId, int segment, int half)
{
    const bool selfStudy = segment == 3 || segment == 4;
    const _CourseType type = segment == 3   ? COURSE_TYPE_MORNING_READING
                             : segment == 4 ? COURSE_TYPE_SELF_STUDY
                                            : COURSE_TYPE_PLAN;
    const CWeekCount halfLesson(0, true);
    std::vector<CCourseInfo*>& same = m_plans[PlanKey(classId, subjectId, teacherId, roomId, type)];
    for (CCourseInfo* plan : same) {
        if (plan->GetWeekCount() == halfLesson)
            continue;
        // A half cell adds half a lesson, so that the count stays what was placed.
        plan->GetWeekCount() += half == 0 ? CWeekCount(1, false) : halfLesson;
        return plan;
    }
    CZemObjectList& plans = selfStudy ? m_task.GetSelfStudyInfoList() : m_task.GetCourseInfoList();
    auto* plan = new CCourseInfo;
    plan->SetId(NewGuidString());
    plan->SetClass(classId);
    plan->SetSubject(subjectId);
    plan->SetTeacher(teacherId);
    plan->SetMainCourse(1);
    plan->SetWeekCount(half == 0 ? CWeekCount(1, false) : halfLesson);
    plan->SetContinuousNodes(1);
    plan->SetContinuousTimes(0);
    if (!roomId.empty())
        plan->SetRoom(roomId);
    plan->SetType(type);
    plan->SetIndex(plans.GetCount());
    plans.Add(plan);
    same.push_back(plan);
    return plan;
}

void CReverseImporter::ImportCell(const std::string& className, int day, int segment, int section, int half,
                                  const std::string& text)
{
    if (text.empty())
        return;
    CZemObjectList& classes = m_task.GetClassInfoList();
    auto* cls = static_cast<CClassInfo*>(classes.FindByName(className));
    if (!cls) {
        cls = new CClassInfo;
        cls->SetStudentCount(50);
        Register(classes, cls, className, m_priority);
    }
    const Lesson lesson = SplitLesson(className, text);
    if (lesson.subject.empty() || lesson.teacher.empty())
        return;
    CSubjectInfo* subject = FindOrCreate<CSubjectInfo>(m_task.GetSubjectInfoList(), lesson.subject, m_priority);
    CTeacherInfo* teacher = FindOrCreate<CTeacherInfo>(m_task.GetTeacherInfoList(), lesson.teacher, m_priority);
    const tagTABLE_NODE node{day, segment, section};
    CCourseTable& table = cls->GetTempTable();
    auto refuse = [&](const char* why) {
        Conflict(Format("%s %s %s，没有导入：%s", className.c_str(), m_task.GetTimeNodeDesc(&node).c_str(), why,
                        ReplaceAll(text, "\n", " ").c_str()));
    };
    // Whatever the conflict check: a class named on two rows, or a half given twice, never
    // overwrites a lesson placed before, and no lesson goes where the school's week has none.
    if (IsSlotTaken(table, node, half))
        return refuse("已经有课");
    if (m_task.GetSchoolStructure().IsInvalid(node))
        return refuse("不是上课时间");
    CRoomInfo* room = nullptr;
    if (!lesson.room.empty()) {
        CZemObjectList& rooms = m_task.GetRoomInfoList();
        room = static_cast<CRoomInfo*>(rooms.FindByName(lesson.room));
        if (!room) {
            room = new CRoomInfo;
            room->SetCapacity(1);
            Register(rooms, room, lesson.room, m_priority);
            m_madeRooms.insert(room);
        }
        // A room the sheet made holds as many classes at once as the sheet puts in it (a playground).
        int index = -1;
        if (m_madeRooms.count(room) && !room->GetComplexTable().PickFree(true, node, half, index))
            room->SetCapacity(room->GetCapacity() + 1);
    }
    const std::string roomId = room ? room->GetId() : std::string();
    CCourseInfo* plan = PlanFor(cls->GetId(), subject->GetId(), teacher->GetId(), roomId, segment, half);
    if (m_checkConflicts && !m_helper->CanPlaceCourse(&table, node, half, plan, roomId)) {
        // The check's reason names the slot and the lesson in the way; the lesson refused goes first.
        Conflict(className + " " + ReplaceAll(text, "\n", " ") + "：" + m_helper->GetText());
        return;
    }
    m_helper->SetCourseNode(&table, plan, roomId, node, half);
    ++m_placed;
}

std::string SaveReverseImport(CScheduleTask& task)
{
    // One pair: the timetables name the plans.
    if (!CTaskHelper(&task).SaveInputAndTempTables())
        return "保存排课任务失败，反导入的数据和课表都没有保存";
    return {};
}

ReverseImportResult ImportMasterSheet(CScheduleTask& task, const CMasterSheet& sheet, bool checkConflicts,
                                      const std::function<void(const std::string& line)>& log)
{
    CTaskHelper(&task).RestoreTempTables();
    CReverseImporter importer(task, checkConflicts);
    importer.log = log;
    ReverseImportResult result;
    for (const MasterClassRow& row : sheet.ClassRows()) {
        importer.ImportClassRow(row.name, row.cells);
        ++result.classes;
    }
    result.lessons = importer.PlacedLessons();
    result.conflicts = importer.Conflicts();
    result.error = SaveReverseImport(task);
    return result;
}

}  // namespace zem::import
