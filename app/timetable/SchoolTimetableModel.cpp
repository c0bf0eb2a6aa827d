#include "app/timetable/SchoolTimetableModel.h"

#include "app/output/PageLayout.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/TextBuilders.h"
#include "base/BasicData.h"
#include "base/CellLayouts.h"
#include "base/CellRecord.h"
#include "base/ScheduleTask.h"
#include "base/SchoolStructure.h"
#include "base/Segment.h"

#include <algorithm>

namespace {

// The sections of a day in the order the week shows them.

}  // namespace

int SchoolKindOf(int stored)
{
    return stored == 1 || stored == 2 ? stored : 0;
}

int SchoolStyleOf(int stored)
{
    return std::clamp(stored, 0, 2);
}

int SchoolTextModeOf(int stored)
{
    return stored >= 0 && stored < zem::kCellLayoutCount ? stored : 0;
}

void CSchoolTimetableModel::SetWeek(const CSchoolStructure& structure, bool showSS)
{
    m_days.clear();
    for (int order = 0; order < structure.GetWeekDayCount(); ++order) {
        const int day = structure.GetWeekNumberByOrder(order);
        if (structure.IsDayInUse(day))
            m_days.push_back(day);
    }
    m_sectionStart.assign(zem::kSegmentCount, -1);
    m_sectionCount.assign(zem::kSegmentCount, 0);
    m_periodsPerDay = 0;
    m_labels.clear();
    for (const int segment : zem::kSegmentsInDayOrder) {
        if (!showSS && zem::IsSelfStudySegment(segment))
            continue;
        m_sectionStart[static_cast<std::size_t>(segment)] = m_periodsPerDay;
        m_sectionCount[static_cast<std::size_t>(segment)] = structure.GetSectionNodeMaxCount(segment);
        m_periodsPerDay += structure.GetSectionNodeMaxCount(segment);
        for (int section = 0; section < structure.GetSectionNodeMaxCount(segment); ++section)
            m_labels.push_back(structure.GetPeriodName(segment, section, true));
    }
}

void CSchoolTimetableModel::SetLines(int kind, bool groupTeachers)
{
    m_kind = kind;
    m_lines.clear();
    // Teachers come under their groups when the program lists them so; a group's heading is no line.
    CStringPtrList items;
    BuildObjectList(kind, items, zem::kCellSeparator);
    for (const auto& item : items) {
        auto* object = dynamic_cast<CZemTableObject*>(item->object);
        if (object)
            m_lines.push_back({groupTeachers && !item->text.empty() ? item->text : object->GetName(), object});
    }
}

int CSchoolTimetableModel::PeriodIndex(const tagTABLE_NODE& node) const
{
    if (node.segment < 0 || node.segment >= zem::kSegmentCount)
        return -1;
    const auto segment = static_cast<std::size_t>(node.segment);
    if (m_sectionStart[segment] < 0 || node.section < 0 || node.section >= m_sectionCount[segment])
        return -1;
    const auto day = std::find(m_days.begin(), m_days.end(), node.day);
    if (day == m_days.end())
        return -1;
    return static_cast<int>(day - m_days.begin()) * m_periodsPerDay + m_sectionStart[segment] + node.section;
}

std::string CSchoolTimetableModel::PeriodLabel(int inDay) const
{
    return inDay >= 0 && inDay < static_cast<int>(m_labels.size()) ? m_labels[static_cast<std::size_t>(inDay)]
                                                                     : std::string();
}

bool CSchoolTimetableModel::NodeOfPeriod(int index, tagTABLE_NODE* node) const
{
    if (index < 0 || m_periodsPerDay == 0 || index >= GetPeriodCount())
        return false;
    const int inDay = index % m_periodsPerDay;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
        const int start = m_sectionStart[static_cast<std::size_t>(segment)];
        if (start >= 0 && inDay >= start && inDay < start + m_sectionCount[static_cast<std::size_t>(segment)]) {
            *node = tagTABLE_NODE{m_days[static_cast<std::size_t>(index / m_periodsPerDay)], segment, inDay - start};
            return true;
        }
    }
    return false;
}

CCourseTable* CSchoolTimetableModel::TableOf(int line) const
{
    if (line < 0 || line >= static_cast<int>(m_lines.size()))
        return nullptr;
    CZemTableObject* object = m_lines[static_cast<std::size_t>(line)].object;
    if (auto* room = dynamic_cast<CRoomInfo*>(object))
        return &room->GetCombineTable(true);
    return &object->GetTable(true);
}

std::string CSchoolTimetableModel::CellText(CScheduleTask& task, const CTablePageLayout& layout, bool showRoomNumber,
                                            int line, int period, std::string* tip) const
{
    tagTABLE_NODE node;
    CCourseTable* table = TableOf(line);
    if (!table || !NodeOfPeriod(period, &node))
        return {};
    const auto type = static_cast<TABLE_TYPE>(m_kind);
    if (type == TABLE_ROOM || table->IsUsed(node)) {
        CellInfoParam param;
        param.fullName = layout.ShowFullName;
        param.showRoomSeat = showRoomNumber;
        param.layout = SchoolTextModeOf(layout.GetCourseInfoFormat(m_kind));
        param.subjectFilter = layout.subjectFilter;
        std::string text = task.GetCellInfo(table->GetNode(node), type, param);
        const std::string_view count = zem::ReadCellRecord(text).count;
        if (!count.empty() && count != "0") {
            if (tip && type == TABLE_ROOM)
                *tip = FormatOddEvenCell(text);
            return text;
        }
    }
    const std::string activity =
        task.GetActivityInfo(m_lines[static_cast<std::size_t>(line)].object->GetId(), type, node);
    return activity.empty() ? std::string() : MakeCellKey(activity, "");
}
