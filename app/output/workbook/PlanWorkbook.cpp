#include "app/output/workbook/PlanWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>

using zem::workbook::Worksheet;

namespace {

constexpr std::array<const char*, 8> kPlanHeadings = {"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"};
constexpr std::array<const char*, 8> kSelfStudyHeadings = {"班级", "类型", "课程", "教师", "周课时数", "连课", "次数", "指定教室"};

std::vector<CCourseInfo*> PlansOf(const CScheduleTask& task, bool ordinaryPlans)
{
    return ObjectsInOrder<CCourseInfo>(ordinaryPlans ? task.GetCourseInfoList() : task.GetSelfStudyInfoList());
}

std::string RoomNameOf(const CScheduleTask& task, const CCourseInfo& plan)
{
    const std::string& room = plan.GetSpecialRoomId();
    return room.empty() ? std::string() : task.GetRoomName(room);
}

bool HasPlanSeparator(const std::string& name)
{
    return name.find('#') != std::string::npos || name.find(',') != std::string::npos ||
           name.find("，") != std::string::npos;
}

// The plans of each class of the class list, class by class; a plan of another class is left out.
template <class F>
void ForEachClassPlans(const CScheduleTask& task, const std::vector<CCourseInfo*>& plans, F&& f)
{
    std::map<std::string, std::vector<CCourseInfo*>> byClass;
    for (CCourseInfo* plan : plans)
        byClass[plan->GetClassId()].push_back(plan);
    static const std::vector<CCourseInfo*> none;
    for (CZemObject* cls : ObjectsInOrder(task.GetClassInfoList())) {
        const auto found = byClass.find(cls->GetId());
        f(*cls, found == byClass.end() ? none : found->second);
    }
}

void FrameCell(Worksheet& sheet, int column, int row)
{
    const std::string cell = CellAddress(column, row);
    sheet.GetRange(cell).BorderAround(1, 2, 1);
}

void WriteCrossTable(CSpreadsheetExporter& exporter, Worksheet& sheet, const std::vector<CCourseInfo*>& plans)
{
    const CScheduleTask& task = *exporter.GetTask();
    const CExportContext& context = exporter.GetContext();
    const int classes = task.GetClassInfoList().GetCount();
    PrepareListSheet(sheet, context.fontName, classes + 1);
    sheet.SetStandardWidth(15);
    sheet.Cells().SetNumberFormatLocal("@");
    CExportCellStyle body;
    body.fontName = context.tableFontName;
    body.fontSize = 11;
    CExportCellStyle header = body;
    header.bold = true;
    header.colorIndex = 15;
    WriteRange(sheet, "A1", "A1", std::string(), &header, false);

    PlanColumnIndex index(task);
    index.Build(plans);
    std::vector<std::string> keys;
    int row = 2;
    ForEachClassPlans(task, plans, [&](const CZemObject& cls, const std::vector<CCourseInfo*>& own) {
        exporter.ThrowIfCancelled();
        const std::string nameCell = CellAddress(1, row);
        CExportCellStyle name = body;
        name.bold = true;
        WriteRange(sheet, nameCell, nameCell, cls.GetName(), &name, false);
        std::vector<bool> free(keys.size(), true);
        for (const CCourseInfo* plan : own) {
            const std::string key = index.GetColumnKey(*plan);
            const std::string defaultValue = index.GetDefaultValue(key);
            std::size_t at = 0;
            while (at < free.size() && !(free[at] && zem::EqualsNoCase(keys[at], key)))
                ++at;
            if (at < free.size()) {
                free[at] = false;
            } else {
                at = keys.size();
                keys.push_back(key);
                free.push_back(false);
                const std::string head = CellAddress(static_cast<int>(at) + 2, 1);
                WriteRange(sheet, head, head, defaultValue.empty() ? key : key + "#" + defaultValue, &header, false);
            }
            std::string text = task.GetTeacherName(plan->GetTeacherId());
            const std::string value = index.GetPlanValue(*plan);
            if (value != defaultValue)
                text += "," + zem::ReplaceAll(value, "#", ",");
            const std::string cell = CellAddress(static_cast<int>(at) + 2, row);
            WriteRange(sheet, cell, cell, text, &body, false);
        }
        ++row;
    });
    // A header wider than its column wraps: row 1 grows to show every line of it.
    int lines = 1;
    for (std::size_t at = 0; at < keys.size(); ++at) {
        const std::string defaultValue = index.GetDefaultValue(keys[at]);
        const int width = zem::GbkWidth(defaultValue.empty() ? keys[at] : keys[at] + "#" + defaultValue);
        lines = std::max(lines, (width + 13) / 14);
    }
    SetRowHeight(sheet, 1, 18 * std::min(lines, 4));
    const int lastColumn = static_cast<int>(keys.size()) + 1;
    for (int r = 1; r < row; ++r)
        for (int column = 1; column <= lastColumn; ++column)
            FrameCell(sheet, column, r);
}

void WriteFlatList(CSpreadsheetExporter& exporter, Worksheet& sheet, const std::vector<CCourseInfo*>& plans,
                   bool ordinaryPlans)
{
    const CScheduleTask& task = *exporter.GetTask();
    const CExportContext& context = exporter.GetContext();
    PrepareListSheet(sheet, context.fontName, 1);
    CExportCellStyle header;
    header.fontName = context.fontName;
    header.fontSize = 11;
    header.bold = true;
    header.colorIndex = 15;
    header.border = true;
    const auto& headings = ordinaryPlans ? kPlanHeadings : kSelfStudyHeadings;
    for (int column = 1; column <= 8; ++column) {
        const std::string cell = CellAddress(column, 1);
        WriteRange(sheet, cell, cell, std::string(headings[static_cast<std::size_t>(column - 1)]), &header, false);
    }
    CExportCellStyle body;
    body.border = true;
    int row = 2;
    ForEachClassPlans(task, plans, [&](const CZemObject& cls, const std::vector<CCourseInfo*>& own) {
        exporter.ThrowIfCancelled();
        for (const CCourseInfo* plan : own) {
            const std::string subject = task.GetSubjectName(plan->GetSubjectId());
            const std::string teacher = task.GetTeacherName(plan->GetTeacherId());
            const std::string kind = ordinaryPlans ? (plan->IsMainCourse() ? "主课" : "副课")
                                                   : (plan->GetType() == COURSE_TYPE_MORNING_READING ? "早读" : "晚自习");
            const std::array<std::string, 8> texts = {
                cls.GetName(),
                ordinaryPlans ? subject : kind,
                ordinaryPlans ? teacher : subject,
                ordinaryPlans ? kind : teacher,
                plan->GetWeekCount().ToString(),
                zem::Format("%d", plan->GetContinuousNodes()),
                zem::Format("%d", plan->GetContinuousTimes()),
                RoomNameOf(task, *plan)};
            // Names stay as they are written ("0302", "3.10"); the counts are numbers.
            sheet.GetRange(CellAddress(1, row), CellAddress(4, row)).SetNumberFormatLocal("@");
            sheet.GetRange(CellAddress(8, row)).SetNumberFormatLocal("@");
            SetRowHeight(sheet, row, 18);
            for (int column = 1; column <= 8; ++column) {
                const std::string cell = CellAddress(column, row);
                WriteRange(sheet, cell, cell, texts[static_cast<std::size_t>(column - 1)], &body, false);
            }
            ++row;
        }
    });
}

}  // namespace

std::string PlanColumnIndex::GetColumnKey(const CCourseInfo& plan) const
{
    const char* mark = plan.GetType() == COURSE_TYPE_PLAN ? (plan.IsMainCourse() ? "主" : "副")
                       : plan.GetType() == COURSE_TYPE_MORNING_READING ? "早"
                                                                       : "晚";
    return m_task.GetSubjectName(plan.GetSubjectId()) + "#" + mark;
}

std::string PlanColumnIndex::GetPlanValue(const CCourseInfo& plan) const
{
    std::string value = zem::Format("%s#%d#%d", plan.GetWeekCount().ToString().c_str(), plan.GetContinuousNodes(),
                                    plan.GetContinuousTimes());
    if (!plan.GetSpecialRoomId().empty())
        value += "#" + RoomNameOf(m_task, plan);
    if (value.size() >= 4 && value.compare(value.size() - 4, 4, "#1#0") == 0)
        value.resize(value.size() - 4);
    return value;
}

std::string PlanColumnIndex::GetDefaultValue(const std::string& key) const
{
    const auto found = m_defaults.find(key);
    return found == m_defaults.end() ? std::string() : found->second;
}

void PlanColumnIndex::Build(const std::vector<CCourseInfo*>& plans)
{
    m_defaults.clear();
    std::vector<std::string> keys, values;
    for (const CCourseInfo* plan : plans) {
        keys.push_back(GetColumnKey(*plan));
        values.push_back(GetPlanValue(*plan));
    }
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (m_defaults.count(keys[i]))
            continue;
        // The value most of the key's later plans have; among equal counts the first met.
        std::string candidate = values[i];
        std::vector<std::pair<std::string, int>> counts;
        for (std::size_t j = i + 1; j < plans.size(); ++j) {
            if (keys[j] != keys[i])
                continue;
            auto found = std::find_if(counts.begin(), counts.end(), [&](const auto& each) { return each.first == values[j]; });
            if (found == counts.end())
                counts.emplace_back(values[j], 1);
            else
                ++found->second;
        }
        int best = 0;
        for (const auto& [value, count] : counts)
            if (count > best) {
                best = count;
                candidate = value;
            }
        if (!candidate.empty())
            m_defaults[keys[i]] = candidate;
    }
}

std::vector<std::string> CrossTableSplitNames(const CScheduleTask& task, bool ordinaryPlans)
{
    std::vector<std::string> names;
    auto note = [&](const std::string& name) {
        if (HasPlanSeparator(name) && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    ForEachClassPlans(task, PlansOf(task, ordinaryPlans), [&](const CZemObject&, const std::vector<CCourseInfo*>& own) {
        for (const CCourseInfo* plan : own) {
            note(task.GetSubjectName(plan->GetSubjectId()));
            note(task.GetTeacherName(plan->GetTeacherId()));
            note(RoomNameOf(task, *plan));
        }
    });
    return names;
}

std::string CrossTableRefusalText(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : "、") + name;
    return "以下名称含有“#”或逗号，写入交叉表格后再导入时会被拆开：\n" + list +
           "\n\n请在导入窗口中选择“格式二：平铺列表”，再按平铺列表导出。";
}

bool WritePlanWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book)
{
    const CScheduleTask* task = exporter.GetTask();
    if (!task)
        return false;
    const CExportParam& param = exporter.GetParam();
    const bool ordinaryPlans = param.flag;
    const std::vector<CCourseInfo*> plans = PlansOf(*task, ordinaryPlans);
    Worksheet& sheet = book.GetSheet(1);
    if (exporter.GetContext().importFormat == 0) {
        const std::vector<std::string> split = CrossTableSplitNames(*task, ordinaryPlans);
        if (!split.empty()) {
            exporter.SetError(2, CrossTableRefusalText(split));
            return false;
        }
        WriteCrossTable(exporter, sheet, plans);
    } else {
        WriteFlatList(exporter, sheet, plans, ordinaryPlans);
    }
    return true;
}
