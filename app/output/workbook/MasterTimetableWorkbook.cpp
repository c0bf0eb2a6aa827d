#include "app/output/workbook/MasterTimetableWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/output/workbook/SheetPrinting.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <memory>

using zem::workbook::Value;
using zem::workbook::Workbook;
using zem::workbook::Worksheet;

namespace {

// One object of the sheet with the table its lessons come from.
struct MasterObject {
    std::string name;
    std::string id;
    const CCourseTable* table = nullptr;
};

// One period of a day, in the order morning reading, forenoon, afternoon, night, evening self-study.
struct MasterPeriod {
    int segment, section;
    std::string label;
};

class MasterWriter {
public:
    MasterWriter(CSpreadsheetExporter& exporter, const CMasterSheetLayout& layout, Worksheet& sheet, TABLE_TYPE kind)
        : m_exporter(exporter), m_layout(layout), m_sheet(sheet), m_kind(kind), m_task(*exporter.GetTask())
    {
        const CSchoolStructure& structure = m_task.GetSchoolStructure();
        const int morning = layout.showSS ? structure.GetSectionNodeMaxCount(zem::kMorningReading) : 0;
        int k = 0;
        for (const int segment : zem::kSegmentsInDayOrder) {
            if (!layout.showSS && zem::IsSelfStudySegment(segment))
                continue;
            for (int section = 0; section < structure.GetSectionNodeMaxCount(segment); ++section, ++k) {
                std::string label = segment == zem::kMorningReading ? kMorningReadingTitle
                                    : segment == zem::kEveningStudy ? kSelfStudyTitle
                                                                    : std::to_string(k - morning + 1);
                m_periods.push_back({segment, section, label});
            }
        }
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (structure.IsDayInUse(day))
                m_days.push_back(day);
        }
        m_label.fontName = layout.labelFont.faceName;
        m_label.fontSize = layout.labelFont.size;
        m_label.colorIndex = 15;
        m_label.border = true;
        m_name = m_label;
        m_name.colorIndex = -1;
        m_lesson.fontName = layout.lessonFont.faceName;
        m_lesson.fontSize = layout.lessonFont.size;
        m_lesson.bold = layout.lessonFont.bold;
        m_lesson.fontName2 = layout.lessonFont2.faceName;
        m_lesson.fontSize2 = layout.lessonFont2.size;
        m_lesson.border = true;
        CollectObjects();
    }

    void Write()
    {
        switch (m_layout.style) {
        case 1:
            WriteDown();
            break;
        case 2:
            WriteCrossed();
            break;
        default:
            WriteAcross();
            break;
        }
    }

private:
    void CollectObjects()
    {
        const auto add = [&](const std::string& name, CZemObject* object) {
            const CCourseTable* table = nullptr;
            if (m_kind == TABLE_ROOM) {
                // The union of the room's parallel uses, built aside so the task is only read.
                auto combined = std::make_unique<CCourseTable>();
                static_cast<CRoomInfo*>(object)->GetComplexTable().Combine(*combined, false);
                table = combined.get();
                m_combined.push_back(std::move(combined));
            } else {
                table = &static_cast<const CZemTableObject*>(object)->GetTable(false);
            }
            m_objects.push_back({name, object->GetId(), table});
        };
        if (&m_task == m_exporter.GetContext().openTask) {
            CStringPtrList lines;
            BuildObjectList(m_kind, lines, '\t');
            for (const auto& line : lines) {
                // Group headings stand for no object.
                if (line->object)
                    add(line->object->GetName(), line->object);
            }
            return;
        }
        CZemObjectList& list = m_kind == TABLE_TEACHER ? m_task.GetTeacherInfoList()
                               : m_kind == TABLE_ROOM  ? m_task.GetRoomInfoList()
                                                       : m_task.GetClassInfoList();
        std::vector<CZemObject*> objects;
        MapToOrderedList(list, objects);
        for (CZemObject* object : objects)
            add(object->GetName(), object);
    }

    void Cell(int row, int column, const std::string& text, const CExportCellStyle& style)
    {
        const std::string at = CellAddress(column, row);
        WriteRange(m_sheet, at, at, Value(text), &style, false);
    }

    void Lesson(const MasterObject& object, int day, const MasterPeriod& period, int row, int column, int mode,
                std::vector<int>& splits, bool mergeUpwards)
    {
        const int kindIndex = std::clamp(static_cast<int>(m_kind), 0, 2);
        WriteLessonCell(m_exporter.GetContext(), m_task, *object.table, {day, period.segment, period.section}, m_kind,
                        m_layout.fullNames, m_layout.cellFormat[kindIndex], m_layout.subjectFilter, m_sheet, row,
                        column, mode, splits, &m_lesson, object.id, mergeUpwards, false);
    }

    bool Split(const std::vector<int>& splits, int at) const
    {
        return std::find(splits.begin(), splits.end(), at) != splits.end();
    }

    void Progress(int done, int total, const std::string& name)
    {
        m_exporter.ThrowIfCancelled();
        m_exporter.SendProgress(done, total, name);
    }

    // 横排: a row per object, the periods of each day across.
    void WriteAcross()
    {
        const int n = static_cast<int>(m_periods.size());
        SetColumnWidth(m_sheet, "A", 10);
        Cell(1, 1, "星期", m_label);
        Cell(2, 1, "节次", m_label);
        int column = 2;
        for (const int day : m_days) {
            if (n > 0) {
                Cell(1, column, GetWeekdayName(day, false), m_label);
                MergeWithBorder(m_sheet, CellAddress(column, 1), CellAddress(column + n - 1, 1));
            }
            for (int k = 0; k < n; ++k)
                Cell(2, column + k, m_periods[static_cast<std::size_t>(k)].label, m_label);
            column += n;
        }
        SetRowHeight(m_sheet, 1, 18);
        int row = 3;
        int done = 0;
        for (const MasterObject& object : m_objects) {
            m_blockStarts.push_back(row);
            Cell(row, 1, object.name, m_name);
            std::vector<int> splits;  // columns
            int at = 2;
            for (const int day : m_days) {
                for (const MasterPeriod& period : m_periods)
                    Lesson(object, day, period, row, at++, kHalvesDown, splits, false);
            }
            if (splits.empty()) {
                SetRowHeight(m_sheet, row, 30);
                ++row;
            } else {
                SetRowHeight(m_sheet, row, 15);
                SetRowHeight(m_sheet, row + 1, 15);
                for (int c = 1; c < at; ++c) {
                    if (!Split(splits, c))
                        MergeWithBorder(m_sheet, CellAddress(c, row), CellAddress(c, row + 1));
                }
                row += 2;
            }
            Progress(++done, static_cast<int>(m_objects.size()), object.name);
        }
    }

    // 竖排: the periods of each day down, a column per object.
    void WriteDown()
    {
        const int n = static_cast<int>(m_periods.size());
        SetColumnWidth(m_sheet, "A", 10);
        Cell(1, 1, "星期", m_label);
        Cell(1, 2, "节次", m_label);
        int row = 2;
        for (const int day : m_days) {
            if (n > 0) {
                m_blockStarts.push_back(row);
                Cell(row, 1, GetWeekdayName(day, false), m_label);
                MergeWithBorder(m_sheet, CellAddress(1, row), CellAddress(1, row + n - 1));
            }
            for (int k = 0; k < n; ++k) {
                SetRowHeight(m_sheet, row + k, 30);
                Cell(row + k, 2, m_periods[static_cast<std::size_t>(k)].label, m_label);
            }
            row += n;
        }
        const int lastRow = row - 1;
        int column = 3;
        int done = 0;
        for (const MasterObject& object : m_objects) {
            Cell(1, column, object.name, m_name);
            std::vector<int> splits;  // rows
            int at = 2;
            for (const int day : m_days) {
                for (std::size_t k = 0; k < m_periods.size(); ++k, ++at)
                    Lesson(object, day, m_periods[k], at, column, kHalvesBeside, splits,
                           k > 0 && m_periods[k].segment == m_periods[k - 1].segment);
            }
            if (splits.empty()) {
                SetColumnWidth(m_sheet, ColumnLetters(column), 10);
                ++column;
            } else {
                SetColumnWidth(m_sheet, ColumnLetters(column), 5);
                SetColumnWidth(m_sheet, ColumnLetters(column + 1), 5);
                for (int r = 1; r <= lastRow; ++r) {
                    if (!Split(splits, r))
                        MergeWithBorder(m_sheet, CellAddress(column, r), CellAddress(column + 1, r));
                }
                column += 2;
            }
            Progress(++done, static_cast<int>(m_objects.size()), object.name);
        }
    }

    // 交叉: a block per day, or all days in one block, objects across, each period two rows.
    void WriteCrossed()
    {
        const int n = static_cast<int>(m_periods.size());
        const int half = n > 0 ? 200 / n : 25;
        const int objects = static_cast<int>(m_objects.size());
        // Days side by side too wide for a legible page would go on over pages across, most of them
        // naming no day: each day gets a block of its own, named in the column every page repeats.
        const int smallest = std::min({m_label.fontSize, m_lesson.fontSize, m_lesson.fontSize2});
        const bool blockPerDay = objects * static_cast<int>(m_days.size()) > 200 ||
                                 (m_days.size() > 1 && !zem::workbook::FitsALegiblePageWide(
                                                           objects * static_cast<int>(m_days.size()), 6,
                                                           smallest > 0 ? smallest : 11));
        const int total = objects * static_cast<int>(m_days.size());
        int top = 1;
        int column = 2;
        int done = 0;
        const auto startBlock = [&]() {
            Cell(top, 1, "", m_label);
            Cell(top + 1, 1, "", m_label);
            SetRowHeight(m_sheet, top, 20);
            SetRowHeight(m_sheet, top + 1, 60);
            for (int k = 0; k < n; ++k) {
                const int row = top + 2 + 2 * k;
                SetRowHeight(m_sheet, row, half);
                SetRowHeight(m_sheet, row + 1, half);
                Cell(row, 1, m_periods[static_cast<std::size_t>(k)].label, m_label);
                MergeWithBorder(m_sheet, CellAddress(1, row), CellAddress(1, row + 1));
            }
            column = 2;
        };
        startBlock();
        for (std::size_t d = 0; d < m_days.size(); ++d) {
            const int day = m_days[d];
            if (blockPerDay && d > 0) {
                top += 2 + 2 * n + 1;
                m_blockTops.push_back(top);
                startBlock();
            }
            const int first = column;
            const std::string dayName = GetWeekdayName(day, false);
            // A block's corner is in the column every page across repeats: it names the day there.
            if (blockPerDay)
                Cell(top, 1, dayName, m_label);
            for (const MasterObject& object : m_objects) {
                Cell(top + 1, column, object.name, m_name);
                SetColumnWidth(m_sheet, ColumnLetters(column), 6);
                std::vector<int> splits;  // rows
                for (int k = 0; k < n; ++k)
                    Lesson(object, day, m_periods[static_cast<std::size_t>(k)], top + 2 + 2 * k, column,
                           kHalvesDownByRow, splits,
                           k > 0 && m_periods[static_cast<std::size_t>(k)].segment ==
                                        m_periods[static_cast<std::size_t>(k - 1)].segment);
                for (int k = 0; k < n; ++k) {
                    const int row = top + 2 + 2 * k;
                    if (!Split(splits, row))
                        MergeWithBorder(m_sheet, CellAddress(column, row), CellAddress(column, row + 1));
                }
                ++column;
                Progress(++done, total, dayName + " " + object.name);
            }
            if (column > first) {
                Cell(top, first, dayName, m_label);
                MergeWithBorder(m_sheet, CellAddress(first, top), CellAddress(column - 1, top));
                // A day's block is wider than a page: its name stands at the left of the first one,
                // not cut at a page's edge.
                if (blockPerDay)
                    m_sheet.GetRange(CellAddress(first, top), CellAddress(column - 1, top))
                        .SetHorizontalAlignment(-4131);
            }
        }
    }

    CSpreadsheetExporter& m_exporter;
    const CMasterSheetLayout& m_layout;
    Worksheet& m_sheet;
    TABLE_TYPE m_kind;
    CScheduleTask& m_task;
    std::vector<MasterPeriod> m_periods;
    std::vector<int> m_days;
    std::vector<MasterObject> m_objects;
    std::vector<std::unique_ptr<CCourseTable>> m_combined;
    CExportCellStyle m_label, m_name, m_lesson;

public:
    // 交叉 with a block per day: the rows the blocks after the first start at.
    std::vector<int> m_blockTops;
    // 横排 and 竖排: the rows an object's rows, or a day's periods, start at, for a page to hold whole.
    std::vector<int> m_blockStarts;
};

}  // namespace

std::string MasterTimetableTitle(int tableKind, int style)
{
    static const char* const kKinds[] = {"班级", "教师", "教室"};
    static const char* const kStyles[] = {"横排", "竖排", "交叉"};
    const char* kind = kKinds[std::clamp(tableKind, 0, 2)];
    const char* arrangement = kStyles[std::clamp(style, 0, 2)];
    return std::string("全校") + kind + "总课表（" + arrangement + "）";
}

bool WriteMasterTimetableWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    if (!exporter.GetTask()) {
        exporter.SetError(2, "当前没有打开的排课任务");
        return false;
    }
    static const CMasterSheetLayout kDefaults;
    const auto* layout = param.data1 ? static_cast<const CMasterSheetLayout*>(param.data1) : &kDefaults;
    const TABLE_TYPE kind = static_cast<TABLE_TYPE>(std::clamp(param.value, 0, 2));
    Worksheet& sheet = book.GetSheet(1);
    sheet.SetStandardWidth(4);
    zem::workbook::Range all = sheet.Cells();
    all.SetHorizontalAlignment(3);
    all.SetVerticalAlignment(zem::workbook::kAlignCenter);
    all.SetWrapText(true);
    all.Font().SetName(exporter.GetContext().fontName);
    all.Font().SetSize(11);
    MasterWriter writer(exporter, *layout, sheet, kind);
    writer.Write();
    // The day and period heading of 横排 and the names of 竖排 head every page; 交叉 prints a page a day.
    // A sheet too wide for a legible page goes on over pages across, its label columns on each.
    zem::workbook::PrintShape shape;
    if (layout->style == 0)
        shape = zem::workbook::PrintShape::Heading(1, 2);
    else if (layout->style == 1)
        shape = zem::workbook::PrintShape::Heading(1, 1);
    else
        shape.pageStarts = writer.m_blockTops;
    shape.blockStarts = writer.m_blockStarts;
    shape.titleFirstColumn = 1;
    shape.titleLastColumn = layout->style == 1 ? 2 : 1;
    // The sheet's first row is already the grid: the school, the title and the day it was made head
    // every page.
    const std::string title = MasterTimetableTitle(kind, layout->style);
    const zem::LocalTime today = zem::Now();
    shape.heading = {exporter.GetContext().schoolName, title,
                     zem::Format("%04d年%02d月%02d日", today.year, today.month, today.day)};
    zem::workbook::SetUpPrinting(sheet, shape);
    sheet.SetName(zem::workbook::MakeUniqueSheetName(zem::workbook::SanitizeSheetName(title), {}));
    return true;
}
