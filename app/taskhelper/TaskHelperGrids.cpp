// Filling and marking week grids from timetables.
#include "app/taskhelper/PlacementRules.h"
#include "app/taskhelper/SubjectColorMap.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/taskhelper/WeekGridCells.h"

#include "base/CellRecord.h"
#include "base/Segment.h"
#include "base/Utility.h"
#include "platform/Text.h"

namespace {

// The pieces of a list of names, split at "，", empty ones dropped.
std::vector<std::string> NameList(std::string_view text)
{
    std::vector<std::string> names;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find("，", begin);
        if (end == std::string_view::npos)
            end = text.size();
        std::string piece(zem::Trim(text.substr(begin, end - begin)));
        if (!piece.empty())
            names.push_back(std::move(piece));
        begin = end + std::string("，").size();
    }
    return names;
}

// A room's merged timetable, anything else's working one.
const CCourseTable* TimetableOf(CZemTableObject* object)
{
    if (!object)
        return nullptr;
    if (auto* room = dynamic_cast<CRoomInfo*>(object))
        return &room->GetCombineTable(true);
    return &object->GetTable(true);
}

}  // namespace

std::string FormatOddEvenCell(const std::string& record)
{
    const zem::CellFields fields = zem::ReadCellRecord(record);
    const int parts = zem::ParseIntPrefix(fields.count);
    if (parts < 0 || parts > static_cast<int>(fields.entries.size()))
        return {};
    if (fields.entries.size() == 1) {
        const std::string main(fields.entries[0].main), secondary(fields.entries[0].secondary);
        if (main.empty())
            return {};
        const std::vector<std::string> first = NameList(main);
        const std::vector<std::string> second = NameList(secondary);
        if (first.size() < 2 || first.size() != second.size())
            return main + "\n" + secondary;
        std::string text;
        for (std::size_t i = 0; i < first.size(); ++i)
            text += (i ? "\n" : "") + first[i] + " " + second[i];
        return text;
    }
    if (fields.IsPair() && (!fields.entries[0].main.empty() || !fields.entries[1].main.empty())) {
        const zem::CellEntry& odd = fields.entries[0];
        const zem::CellEntry& even = fields.entries[1];
        return "单周\n" + std::string(odd.main) + "\n" + std::string(odd.secondary) + "\n\n双周\n" +
               std::string(even.main) + "\n" + std::string(even.secondary);
    }
    return {};
}

void CTaskHelper::SetupWeekTable(CWeekGridCells* grid, const std::array<bool, zem::kDayCount>* hiddenDays,
                                 bool shortTitles, const CSchoolStructure* structure) const
{
    if (!structure && m_task)
        structure = &m_task->GetSchoolStructure();
    if (!grid || !structure)
        return;
    static constexpr const char* kWeekdays[zem::kDayCount] = {"一", "二", "三", "四", "五", "六", "日",
                                                              "一", "二", "三", "四", "五", "六", "日"};
    // Only days in use get a column, so a hidden day that is not in use takes none away.
    int column = 0;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (!structure->IsDayInUse(day) || (hiddenDays && (*hiddenDays)[static_cast<std::size_t>(day)]))
            continue;
        grid->SetColumnTitle(column++, shortTitles ? std::string(kWeekdays[day]) : std::string("星期") + kWeekdays[day]);
    }
    grid->SetWeekDays(column);
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        grid->SetSegmentNodes(segment, structure->GetSectionNodeMaxCount(segment));
    // Top to bottom: morning reading, forenoon, afternoon, night, evening self-study.
    std::vector<std::string> names;
    for (int segment : zem::kSegmentsInDayOrder)
        for (int section = 0; section < structure->GetSectionNodeMaxCount(segment); ++section)
            names.push_back(structure->GetPeriodName(segment, section, shortTitles));
    grid->SetPeriodNames(names);
}

void CTaskHelper::SetCellInfo(CWeekGridCells* grid, int day, int segment, int section, const std::string& text) const
{
    if (grid && m_task)
        grid->SetCellInfo(GridCell({day, segment, section}), text);
}

tagTABLE_NODE CTaskHelper::GridCell(const tagTABLE_NODE& period) const
{
    return {m_task->GetSchoolStructure().GetWeekOrderByNumber(period.day), period.segment, period.section};
}

void CTaskHelper::FillWeekTable(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type, bool showActivities,
                                bool fullNames, int layout, const std::string& objectId)
{
    if (!grid || !table || !m_task)
        return;
    grid->Clear();
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& period) {
        std::string text;
        std::string tip;
        if (!WeekCellText(table, type, showActivities, fullNames, layout, objectId, period, &text, &tip))
            return;
        grid->SetCellInfo(GridCell(period), text);
        if (!tip.empty())
            grid->SetCellTipInfo(GridCell(period), tip);
    });
    ForEachCell(grid, table, type, objectId);
    ApplyCellColors(grid, table);
}

void CTaskHelper::FillWeekCell(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type, bool showActivities,
                               bool fullNames, int layout, const std::string& objectId, const tagTABLE_NODE& period)
{
    if (!grid || !table || !m_task)
        return;
    std::string text;
    std::string tip;
    WeekCellText(table, type, showActivities, fullNames, layout, objectId, period, &text, &tip);
    grid->SetCellInfo(GridCell(period), text);
    grid->SetCellTipInfo(GridCell(period), tip);
}

bool CTaskHelper::WeekCellText(const CCourseTable* table, TABLE_TYPE type, bool showActivities, bool fullNames,
                               int layout, const std::string& objectId, const tagTABLE_NODE& period, std::string* text,
                               std::string* tip) const
{
    if (table->IsUsed(period) || type == TABLE_ROOM) {
        CellInfoParam param;
        param.fullName = fullNames;
        param.showRoomSeat = m_context.showRoomNumber;
        param.layout = layout;
        *text = m_task->GetCellInfo(table->GetNode(period), type, param);
        if (type == TABLE_ROOM)
            *tip = FormatOddEvenCell(*text);
        return true;
    }
    if (!showActivities)
        return false;
    *text = MakeCellText(m_task->GetActivityInfo(objectId, type, period), "");
    return true;
}

void CTaskHelper::FillWeekTableEx(CWeekGridCells* grid, const std::vector<const CCourseTable*>& tables,
                                  TABLE_TYPE type)
{
    if (!grid || !m_task)
        return;
    grid->Clear();
    CellInfoParam param;
    param.showRoomSeat = m_context.showRoomNumber;
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& period) {
        struct Lines {
            std::string main, secondary;
        };
        std::vector<Lines> kept;  // the entries of the first record, filled by later ones
        bool keptRecord = false;
        int users = 0;
        for (const CCourseTable* table : tables) {
            if (!table || !table->IsUsed(period))
                continue;
            ++users;
            const std::string record = m_task->GetCellInfo(table->GetNode(period), type, param);
            const zem::CellFields fields = zem::ReadCellRecord(record);
            if (!keptRecord) {
                for (const zem::CellEntry& entry : fields.entries)
                    kept.push_back({std::string(entry.main), std::string(entry.secondary)});
                keptRecord = true;
            } else if (kept.size() == 2 && fields.IsPair()) {
                // Odd weeks of one timetable and even weeks of another make one split cell.
                for (std::size_t half = 0; half < 2; ++half) {
                    if (kept[half].main.empty()) {
                        kept[half] = {std::string(fields.entries[half].main), std::string(fields.entries[half].secondary)};
                        break;
                    }
                }
            }
        }
        if (kept.size() == 1) {
            const std::string first =
                users > 1 ? zem::Format("%s..[%d]", kept[0].main.c_str(), users) : kept[0].main;
            grid->SetCellInfo(GridCell(period), MakeCellText(first, kept[0].secondary));
        } else if (kept.size() == 2) {
            grid->SetCellInfo(GridCell(period),
                              MakeCellTextEx(kept[0].main, kept[0].secondary, kept[1].main, kept[1].secondary));
        }
    });
}

void CTaskHelper::ForEachCell(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type,
                              const std::string& objectId)
{
    if (!grid || !table || !m_task)
        return;
    ForEachSlot(m_task->GetSchoolStructure(),
                [&](const tagTABLE_NODE& period) { MarkCellTag(grid, table, type, objectId, period); });
    grid->Refresh();
}

void CTaskHelper::MarkCellTag(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type,
                              const std::string& objectId, const tagTABLE_NODE& period)
{
    if (!grid || !table || !m_task)
        return;
    CELL_TAG tag = CELL_TAG_NONE;
    const int slot = SlotOf(period);
    if (m_context.showTagDisabled && m_task->IsDisabledNode(objectId, type, period)) {
        tag = CELL_TAG_DISABLED;
    } else if ((m_context.showTagLocked || m_context.showTagLinked) && slot >= 0) {
        const CCourseTableNode& node = table->GetNode(period);
        for (int half = 1; half <= 2 && tag == CELL_TAG_NONE; ++half) {
            const CPlanRules* plan = Rules().PlanOfSlot(node, half);
            if (!plan || (half == 2 && !node.data(2).HasCourse()))
                continue;
            if (m_context.showTagLocked && plan->preset[slot]) {
                tag = CELL_TAG_LOCKED;
                break;
            }
            if (m_context.showTagLinked)
                for (const CCourseInfo* partner : plan->partners)
                    if (partner->GetTable(true).IsUsed(period))
                        tag = CELL_TAG_LINKED;
        }
    }
    grid->SetCellTag(GridCell(period), tag);
}

zem::COLORREF CTaskHelper::GetCellColor(const CCourseTable* table, const tagTABLE_NODE& period) const
{
    if (!table || !m_task || m_task != m_context.openTask || !m_context.colorTable || !m_context.colorMap ||
        !table->IsUsed(period))
        return 0;
    return m_context.colorMap->GetColor(FindCourse(table->GetNode(period).GetFirstValidCourseId()), m_task);
}

void CTaskHelper::ApplyCellColors(CWeekGridCells* grid, const CCourseTable* table) const
{
    if (!grid || !table || !m_task || !m_context.colorTable)
        return;
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& period) {
        zem::COLORREF color = 0;
        if (table->IsUsed(period) && m_context.colorMap)
            color = m_context.colorMap->GetColor(FindCourse(table->GetNode(period).GetFirstValidCourseId()), m_task);
        grid->SetCellBkColor(GridCell(period), color);
    });
    grid->Refresh();
}

int CTaskHelper::MarkPlanConflicts(const std::vector<CCourseInfo*>& plans, CWeekGridCells* gridA,
                                   CZemTableObject* target, CWeekGridCells* gridB, int type,
                                   std::vector<std::string>* classes, bool* allAlready)
{
    if (plans.empty())
        return 0;
    CTaskHelper open(m_context.openTask ? m_context.openTask : m_task, m_context);
    CScheduleTask* task = open.GetTask();
    if (!task)
        return 0;
    if (target && allAlready) {
        *allAlready = type == 1 || type == 2;
        for (const CCourseInfo* plan : plans) {
            const std::string& already = type == 1 ? plan->GetTeacherId() : plan->GetSpecialRoomId();
            *allAlready = *allAlready && already == target->GetId();
        }
    }
    for (CWeekGridCells* grid : {gridA, gridB})
        if (grid)
            grid->SetAllCellNormal();
    if (classes)
        classes->clear();
    const bool checkTarget = target && !(allAlready && *allAlready);
    const CCourseTable* targetTable = checkTarget ? TimetableOf(target) : nullptr;
    int clashes = 0;
    auto forbid = [&](CWeekGridCells* grid, const tagTABLE_NODE& cell) {
        if (grid)
            grid->SetForbidCell(cell, true);
    };
    ForEachSlot(task->GetSchoolStructure(), {.counted = false}, [&](const tagTABLE_NODE& period) {
        const tagTABLE_NODE cell = open.GridCell(period);
        CCourseInfo* first = nullptr;
        for (CCourseInfo* plan : plans) {
            const CCourseTable& own = plan->GetTable(true);
            if (!own.IsUsed(period))
                continue;
            if (!first) {
                first = plan;
            } else if (!open.IsSameCombinedClass(first, plan) && !open.IsOddEvenPair(first, plan, period)) {
                forbid(gridA, cell);
                ++clashes;
            }
            if (!checkTarget)
                continue;
            bool clash;
            if (type == 2) {
                const CCourseTableNode& node = own.GetNode(period);
                const int part = node.GetOddEven(plan->GetId());
                std::string message;
                clash = open.CheckRoomConflict(target->GetId(), period, part, plan->GetId(),
                                               node.GetRoomId(part == 2 ? 2 : 1), &message);
            } else {
                // The new teacher takes the lesson as a placement by hand would give it to him.
                clash = IsNodeConflict(own, *targetTable, period) ||
                        (type == 1 && !open.CanTeacherTakeAt(target->GetId(), period, open.TeachersGivingUp(plan)));
            }
            if (!clash)
                continue;
            forbid(gridA, cell);
            forbid(gridB, cell);
            ++clashes;
            if (classes)
                open.GetNodeClassIds(targetTable->GetNode(period), classes);
        }
    });
    if (classes)
        for (const CCourseInfo* plan : plans)
            AddUniqueString(*classes, plan->GetClassId());
    return clashes;
}

int CTaskHelper::FillSubstituteTables(CZemTableObject* a, const std::vector<std::string>& chosenA,
                                      CWeekGridCells* gridA, CZemTableObject* b,
                                      const std::vector<std::string>& chosenB, CWeekGridCells* gridB,
                                      std::vector<std::string>* classes)
{
    if (!m_task || !a || !b || !gridA || !gridB)
        return 0;
    const CCourseTable& tableA = a->GetTable(true);
    const CCourseTable& tableB = b->GetTable(true);
    // A timetable holds one plan id for a combined class; whichever of its plans was chosen, the
    // whole class moves, so every one of them counts.
    const std::vector<std::string> idsA = PlansMovedWithTeacher(chosenA, a->GetId());
    const std::vector<std::string> idsB = PlansMovedWithTeacher(chosenB, b->GetId());
    auto holds = [](const std::vector<std::string>& ids, const std::string& planId) {
        return !planId.empty() && std::find(ids.begin(), ids.end(), planId) != ids.end();
    };
    auto holdsAny = [&](const CCourseTableNode& node, const std::vector<std::string>& ids) {
        return holds(ids, node.data(1).GetCourseId()) || holds(ids, node.data(2).GetCourseId());
    };
    // An exchange clashes where both use the slot differently, unless both lessons there move
    // or both stay.
    auto swapConflict = [&](const tagTABLE_NODE& period) {
        if (!IsNodeConflict(tableA, tableB, period))
            return false;
        const CCourseTableNode& nodeA = tableA.GetNode(period);
        const CCourseTableNode& nodeB = tableB.GetNode(period);
        auto halfClashes = [&](int half) {
            const std::string& planA = nodeA.data(half).GetCourseId();
            const std::string& planB = nodeB.data(half).GetCourseId();
            return planA.empty() || planB.empty() || holds(idsA, planA) != holds(idsB, planB);
        };
        return halfClashes(1) || ((nodeA.IsInterleave() || nodeB.IsInterleave()) && halfClashes(2));
    };
    // A lesson that moves goes to the teacher taking it over as a placement by hand would: not on
    // his fixed no-lesson times, nor beside an exclusive teacher (the one giving it up aside).
    auto movesIntoFixedTime = [&](const CCourseTable& from, const std::vector<std::string>& ids, CZemTableObject* to,
                                  const tagTABLE_NODE& period) {
        const CTeacherInfo* leaving = dynamic_cast<const CTeacherInfo*>(&from == &tableA ? a : b);
        return from.IsUsed(period) && holdsAny(from.GetNode(period), ids) && dynamic_cast<CTeacherInfo*>(to) &&
               !CanTeacherTakeAt(to->GetId(), period, {&leaving, 1});
    };
    gridA->SetAllCellNormal();
    gridB->SetAllCellNormal();
    std::vector<std::string> ownClasses;
    std::vector<std::string>& all = classes ? *classes : ownClasses;
    int clashes = 0;
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& period) {
        const tagTABLE_NODE cell = GridCell(period);
        gridA->SetCellFocus(cell, false);
        gridB->SetCellFocus(cell, false);
        std::vector<std::string> classesA, classesB;
        if (tableA.IsUsed(period) && holdsAny(tableA.GetNode(period), idsA)) {
            gridA->SetCellFocus(cell, true);
            GetNodeClassIds(tableA.GetNode(period), &classesA);
        }
        if (tableB.IsUsed(period) && holdsAny(tableB.GetNode(period), idsB)) {
            gridB->SetCellFocus(cell, true);
            GetNodeClassIds(tableB.GetNode(period), &classesB);
        }
        if (swapConflict(period) || movesIntoFixedTime(tableA, idsA, b, period) ||
            movesIntoFixedTime(tableB, idsB, a, period)) {
            gridA->SetForbidCell(cell, true);
            gridB->SetForbidCell(cell, true);
            ++clashes;
            std::vector<std::string> merged = classesA;
            for (const std::string& id : classesB)
                AddUniqueString(merged, id);
            for (const std::string& id : all)
                AddUniqueString(merged, id);
            all = std::move(merged);
        } else {
            for (const std::vector<std::string>* list : {&classesA, &classesB})
                for (const std::string& id : *list)
                    AddUniqueString(all, id);
        }
    });
    gridA->Refresh();
    gridB->Refresh();
    return clashes;
}
