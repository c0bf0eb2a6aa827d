// Every text the grids draw stays inside its cell at our fonts' sizes: the week grid of a class, of
// the room six classes share at once and of a small window, and the whole-school grid in its three
// layouts at two screen widths, all filled from a generated school as the program fills them. The
// pictures go to the test output folder for a person to look at.
#include "app/taskhelper/TaskHelper.h"
#include "app/controls/WeekTableCells.h"
#include "base/CellRecord.h"
#include "base/Segment.h"
#include "platform/gui/DC.h"
#include "table/SchoolTable.h"
#include "table/WeekTable.h"
#include "testing/generator/SchoolGenerator.h"
#include "support/PixelProbes.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using zem::COLORREF;
using zem::Rect;
using zem::RGB;

namespace {

bool Inside(const Rect& inner, const Rect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string Describe(const Rect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// Every pixel of the colours must lie in one of the allowed places; returns how many do not.
int PixelsOutside(const QImage& image, const std::vector<COLORREF>& colors, const Rect& region,
                  const std::function<bool(int x, int y)>& allowed)
{
    int outside = 0;
    for (int y = std::max(0, region.top); y < std::min(image.height(), region.bottom); ++y) {
        for (int x = std::max(0, region.left); x < std::min(image.width(), region.right); ++x) {
            const COLORREF c = PixelOf(image, x, y);
            if (std::find(colors.begin(), colors.end(), c) != colors.end() && !allowed(x, y))
                ++outside;
        }
    }
    return outside;
}

class GridTexts : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_task = zemgen::GenerateSchool({"S36", "normal", 1}).release();
        ASSERT_NE(s_task, nullptr);
        zemgen::FillTimetables(*s_task);
    }
    static void TearDownTestSuite()
    {
        delete s_task;
        s_task = nullptr;
    }

    CScheduleTask& Task() { return *s_task; }
    const CSchoolStructure& Week() { return s_task->GetSchoolStructure(); }

    std::vector<std::string> DayNames()
    {
        static const char* const names[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
        std::vector<std::string> days;
        for (int day = 0; day < zem::kDayCount; ++day)
            if (Week().IsDayInUse(day))
                days.push_back(names[day % 7]);
        return days;
    }

    // The week grid set up for the school's week, as the timetable window does.
    void SetUpWeek(CWeekTable& grid)
    {
        const CSchoolStructure& week = Week();
        grid.SetWeekDays(week.GetWeekDayCount());
        grid.SetForenoonNodes(static_cast<short>(week.GetSectionNodeMaxCount(0)));
        grid.SetAfternoonNodes(static_cast<short>(week.GetSectionNodeMaxCount(1)));
        grid.SetNightNodes(static_cast<short>(week.GetSectionNodeMaxCount(2)));
        grid.SetMorningReadingNodes(static_cast<short>(week.GetSectionNodeMaxCount(3)));
        grid.SetNightSelfStudyNodes(static_cast<short>(week.GetSectionNodeMaxCount(4)));
        std::vector<std::string> names;
        for (int segment : zem::kSegmentsInDayOrder)
            for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section)
                names.push_back(week.GetPeriodName(segment, section, false));
        grid.SetPeriodNames(names);
        const std::vector<std::string> days = DayNames();
        for (std::size_t i = 0; i < days.size(); ++i)
            grid.SetColumnTitle(static_cast<short>(i), days[i]);
    }

    static int LessonsAt(const CCourseTableNode& cell)
    {
        std::vector<const CCourseTableNode::NodeData*> more;
        cell.GetMoreData(more, 1);
        return (cell.data(1).HasCourse() ? 1 : 0) + static_cast<int>(more.size());
    }

    // The merged timetable of the room where the most lessons meet at once, with that slot made
    // to hold six: the playground takes six classes at once, which a greedy fill never reaches.
    CCourseTable* SharedRoomTable(CRoomInfo** room, tagTABLE_NODE* busiest)
    {
        int lessons = 0;
        for (CRoomInfo* candidate : ObjectsInOrder<CRoomInfo>(Task().GetRoomInfoList())) {
            const CCourseTable& table = candidate->GetCombineTable(false);
            for (int day = 0; day < zem::kDayCount; ++day)
                for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                    for (int section = 0; section < zem::kSectionCount; ++section) {
                        const int count = LessonsAt(table.GetNode(day, segment, section));
                        if (count > lessons) {
                            lessons = count;
                            *room = candidate;
                            *busiest = {day, segment, section};
                        }
                    }
        }
        if (!*room)
            return nullptr;
        CCourseTable* table = &(*room)->GetCombineTable(false);
        CCourseTableNode& cell = table->GetNode(*busiest);
        std::vector<std::string> classes;
        CTaskHelper(&Task()).GetNodeClassIds(cell, &classes);
        for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(Task().GetCourseInfoList())) {
            if (LessonsAt(cell) >= 6)
                break;
            if (plan->GetSpecialRoomId() != (*room)->GetId() ||
                std::find(classes.begin(), classes.end(), plan->GetClassId()) != classes.end())
                continue;
            CCourseTableNode extra;
            extra.data(1) = CCourseTableNode::NodeData(plan->GetId(), (*room)->GetId(), LessonsAt(cell));
            cell.Combine(extra);
            classes.push_back(plan->GetClassId());
        }
        return table;
    }

    static inline CScheduleTask* s_task = nullptr;
};

// Renders the week grid at w x h and checks every text against its cell and every period name
// against its row, by the boxes the grid reports and by the pixels it drew.
void CheckWeekGrid(CWeekTable& grid, int w, int h, const std::string& file, bool expectAllWhole)
{
    grid.resize(w, h);
    QImage image;
    ASSERT_TRUE(grid.GetBitmap(image, CELL_STYLE_COLOR, w, h));
    SavePicture(image, file);

    std::vector<const CCell*> cells;
    for (int day = 0; day < grid.GetColumnCount(); ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (const CCell* cell = grid.GetCell({day, segment, section}))
                    cells.push_back(cell);
    int shortened = 0;
    for (const CCell* cell : cells) {
        for (int i = 0; i < cell->GetTextCount(); ++i) {
            EXPECT_TRUE(Inside(cell->GetTextExtent(i), cell->GetRect()))
                << file << ": text " << Describe(cell->GetTextExtent(i)) << " passes its cell "
                << Describe(cell->GetRect());
        }
        if (cell->FitTexts().whole)
            continue;
        ++shortened;
        // The tip holds what the cell could not show (the host's own tip, where it set one).
        const std::string tip = cell->GetDisplayTip();
        EXPECT_FALSE(tip.empty()) << file;
        for (int e = 0; e < cell->GetEntryCount() && cell->GetTip().empty(); ++e) {
            for (const std::string* text : {&cell->GetEntry(e).main, &cell->GetEntry(e).secondary})
                EXPECT_NE(tip.find(*text), std::string::npos) << file << ": " << *text;
        }
    }
    EXPECT_TRUE(!expectAllWhole || shortened == 0) << file << ": " << shortened << " cells cut short";

    // Cell texts are blue and green: each of their pixels lies in a text box of the cell it is in.
    const auto inTextOfCell = [&](int x, int y) {
        for (const CCell* cell : cells) {
            if (!cell->GetRect().PtInRect({x, y}))
                continue;
            for (int i = 0; i < cell->GetTextCount(); ++i)
                if (cell->GetTextExtent(i).PtInRect({x, y}))
                    return true;
        }
        return false;
    };
    EXPECT_EQ(PixelsOutside(image, {RGB(0, 0, 255), RGB(0, 128, 0)}, Rect(0, 0, w, h), inTextOfCell), 0) << file;

    // Period names are black on the period column's rows.
    const CPeriodColumn& periods = grid.GetPeriodColumn();
    const int rows = std::min(periods.GetRowCount(), static_cast<int>(periods.GetPeriodNames().size()));
    for (int row = 0; row < rows; ++row) {
        EXPECT_TRUE(Inside(periods.GetNameExtent(row), periods.GetRowRect(row)))
            << file << ": period " << row << " " << Describe(periods.GetNameExtent(row)) << " passes its row "
            << Describe(periods.GetRowRect(row));
    }
    const auto inName = [&](int x, int y) {
        for (int row = 0; row < rows; ++row)
            if (periods.GetRowRect(row).PtInRect({x, y}) && periods.GetNameExtent(row).PtInRect({x, y}))
                return true;
        return false;
    };
    EXPECT_EQ(PixelsOutside(image, {RGB(0, 0, 0)}, periods.GetRect(), inName), 0) << file;
}

TEST_F(GridTexts, WeekGridsOfAClassASharedRoomAndASmallWindow)
{
    CTaskHelper helper(&Task());
    CClassInfo* cls = ObjectsInOrder<CClassInfo>(Task().GetClassInfoList()).front();

    CWeekTable classGrid;
    SetUpWeek(classGrid);
    CWeekTableCells classCells(classGrid);
    helper.FillWeekTable(&classCells, &cls->GetTable(false), TABLE_CLASS, true, true, 0, cls->GetId());
    CheckWeekGrid(classGrid, 760, 560, "grid_texts_week_class.png", true);
    CheckWeekGrid(classGrid, 420, 300, "grid_texts_week_small.png", false);

    CRoomInfo* room = nullptr;
    tagTABLE_NODE busiest;
    CCourseTable* roomTable = SharedRoomTable(&room, &busiest);
    ASSERT_NE(roomTable, nullptr);
    ASSERT_EQ(LessonsAt(roomTable->GetNode(busiest)), 6);
    CWeekTable roomGrid;
    SetUpWeek(roomGrid);
    CWeekTableCells roomCells(roomGrid);
    helper.FillWeekTable(&roomCells, roomTable, TABLE_ROOM, false, true, 0, room->GetId());
    CheckWeekGrid(roomGrid, 760, 560, "grid_texts_week_room.png", false);
    const tagTABLE_NODE cell{Week().GetWeekOrderByNumber(busiest.day), busiest.segment, busiest.section};
    ASSERT_NE(roomGrid.GetCell(cell), nullptr);
    EXPECT_FALSE(roomGrid.GetCell(cell)->GetDisplayTip().empty());
}

// The titles and cell texts of every class, as the whole-school window fills the grid.
void FillSchoolGrid(CSchoolTable& grid, CScheduleTask& task, bool objectsAreRows)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    CellInfoParam param;
    param.fullName = true;
    param.showRoomSeat = true;
    std::vector<tagTABLE_NODE> periods;  // of one day, in the grid's order
    for (int segment : zem::kSegmentsInDayOrder)
        for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section)
            periods.push_back({0, segment, section});
    int line = 0;
    for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
        // "高一(1)班" as two lines: the grade in grey above the class.
        const std::string& name = cls->GetName();
        const std::size_t split = name.find('(');
        const std::string title =
            split == std::string::npos ? name : zem::JoinCellRecord({name.substr(0, split), name.substr(split)});
        objectsAreRows ? grid.AddRow(title) : grid.AddCol(title);
        const CCourseTable& table = cls->GetTable(false);
        int column = 0;
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!week.IsDayInUse(day))
                continue;
            for (tagTABLE_NODE period : periods) {
                period.day = day;
                const int index = column++;
                if (!table.IsUsed(period))
                    continue;
                const std::string text = task.GetCellInfo(table.GetNode(period), TABLE_CLASS, param);
                objectsAreRows ? grid.SetNodeText(line, index, text) : grid.SetNodeText(index, line, text);
            }
        }
        ++line;
    }
}

TEST_F(GridTexts, WholeSchoolGridInEveryLayoutAtTwoScreenWidths)
{
    const CSchoolStructure& week = Week();
    struct Case {
        CSchoolTable::STYLE style;
        int w, h;
        const char* file;
    };
    const Case cases[] = {
        {CSchoolTable::STYLE_HORZ, 1024, 720, "grid_texts_school_horizontal_1024.png"},
        {CSchoolTable::STYLE_HORZ, 1920, 1000, "grid_texts_school_horizontal_1920.png"},
        {CSchoolTable::STYLE_VERT, 1024, 720, "grid_texts_school_vertical_1024.png"},
        {CSchoolTable::STYLE_VERT, 1920, 1000, "grid_texts_school_vertical_1920.png"},
        {CSchoolTable::STYLE_CROSS, 1024, 720, "grid_texts_school_cross_1024.png"},
        {CSchoolTable::STYLE_CROSS, 1920, 1000, "grid_texts_school_cross_1920.png"},
    };
    for (const Case& c : cases) {
        CSchoolTable grid;
        grid.Init(nullptr, nullptr);
        grid.SetDays(DayNames());
        grid.SetSections(week.GetSectionNodeMaxCount(0), week.GetSectionNodeMaxCount(1),
                         week.GetSectionNodeMaxCount(2), week.GetSectionNodeMaxCount(3),
                         week.GetSectionNodeMaxCount(4));
        grid.SetShowSS(true);
        // The window's sizes for two-line cell texts.
        grid.SetCellHeight(52);
        grid.SetCellWidth(160);
        const bool rows = c.style == CSchoolTable::STYLE_HORZ;
        FillSchoolGrid(grid, Task(), rows);
        grid.SetStyle(c.style);
        grid.resize(c.w, c.h);
        grid.Refresh();
        const QImage image = grid.grab().toImage();
        SavePicture(image, c.file);

        // The nodes drawn, and the text area of each: texts keep off the cell's edges and lines.
        const Rect client(0, 0, c.w, c.h);
        std::vector<std::pair<const CSchoolTableNode*, Rect>> shown;
        const int objects = 36, periodsOfWeek = grid.GetDayNodes() * static_cast<int>(DayNames().size());
        for (int object = 0; object < objects; ++object) {
            for (int period = 0; period < periodsOfWeek; ++period) {
                const int row = rows ? object : period, col = rows ? period : object;
                const CSchoolTableNode* node = grid.GetNode(row, col);
                const Rect rect = grid.GetNodeRect(row, col);
                const bool onScreen = rect.left < client.right && rect.right > client.left &&
                                      rect.top < client.bottom && rect.bottom > client.top;
                if (!node || node->Layout().dirty || rect.IsRectEmpty() || !onScreen)
                    continue;
                shown.emplace_back(node, grid.GetNodeTextRect(row, col));
            }
        }
        ASSERT_GT(shown.size(), 100u) << c.file;
        int shortened = 0;
        for (const auto& [node, text] : shown) {
            const SchoolNodeLayout& layout = node->Layout();
            for (const PreparedText* prepared : {&layout.main[0], &layout.secondary[0], &layout.main[1],
                                                 &layout.secondary[1]}) {
                const Rect& extent = prepared->GetExtent();
                EXPECT_TRUE(extent.IsRectEmpty() || Inside(extent, text))
                    << c.file << ": text " << Describe(extent) << " passes its cell " << Describe(text);
            }
            if (!layout.shortened)
                continue;
            ++shortened;
            const std::string tip = node->GetDisplayTip();
            for (int k = 0; k < node->EntryCount(); ++k)
                for (const std::string_view part : {node->Entry(k).main, node->Entry(k).secondary})
                    EXPECT_NE(tip.find(part), std::string::npos) << c.file << ": " << part;
        }
        // Main texts are black, secondary texts red: none of their pixels leaves a text area.
        const auto inText = [&](int x, int y) {
            for (const auto& [node, text] : shown)
                if (text.PtInRect({x, y}))
                    return true;
            return false;
        };
        EXPECT_EQ(PixelsOutside(image, {RGB(0, 0, 0), RGB(255, 0, 0)}, grid.GetNodeArea(), inText), 0) << c.file;
        std::printf("%s: %zu cells shown, %d shortened\n", c.file, shown.size(), shortened);
    }
}

}  // namespace
