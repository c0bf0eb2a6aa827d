// A real week grid filled by the task helper from a generated school: every cell it shows is the
// cell text the task builds for that slot.
#include "support/GeneratedSchool.h"
#include "app/controls/WeekTableCells.h"
#include "base/Utility.h"
#include "table/TableItem.h"
#include "table/WeekTable.h"

#include <regex>

namespace {

class WeekTableCellsTest : public testing::Test {
protected:
    void SetUp() override
    {
        task = MakeFilledSchool();
        ASSERT_TRUE(task);
        grid.Init(nullptr, nullptr);
        helper = std::make_unique<CTaskHelper>(task.get());
        helper->SetupWeekTable(&cells, nullptr, false);
    }

    // Calls check(slot, cell text) for every slot of the days in use.
    template <class Check>
    void ForEachShownCell(Check check)
    {
        const CSchoolStructure& week = task->GetSchoolStructure();
        ForEachSlot(week, [&](const tagTABLE_NODE& node) {
            std::string text;
            EXPECT_EQ(grid.GetCellInfo({week.GetWeekOrderByNumber(node.day), node.segment, node.section}, &text), 0);
            check(node, text);
        });
    }

    // The task's cell text as a cell holds it (a record without entries is an empty cell, "0").
    std::string Expected(const CCourseTable& table, const tagTABLE_NODE& slot, TABLE_TYPE type) const
    {
        CellInfoParam param;
        param.showRoomSeat = CHelperContext{}.showRoomNumber;
        CCell cell;
        EXPECT_EQ(cell.ParseInfo(task->GetCellInfo(table.GetNode(slot), type, param)), 0);
        return cell.GetInfo();
    }

    std::unique_ptr<CScheduleTask> task;
    CWeekTable grid;
    CWeekTableCells cells{grid};
    std::unique_ptr<CTaskHelper> helper;
};

TEST_F(WeekTableCellsTest, GridIsShapedForTheWeek)
{
    const CSchoolStructure& week = task->GetSchoolStructure();
    EXPECT_EQ(grid.GetColumnCount(), week.GetWeekDayCount());
    const CCell* last = grid.GetCell({week.GetWeekDayCount() - 1, 0, week.GetSectionNodeMaxCount(0) - 1});
    EXPECT_NE(last, nullptr);
}

// A class grid gets text only where the class has a lesson.
TEST_F(WeekTableCellsTest, ClassGridHoldsTheUsedCells)
{
    CClassInfo* cls = *ObjectsInOrder<CClassInfo>(task->GetClassInfoList()).begin();
    const CCourseTable& table = cls->GetTable(true);
    helper->FillWeekTable(&cells, &table, TABLE_CLASS, false, false, 0, cls->GetId());
    int used = 0;
    ForEachShownCell([&](const tagTABLE_NODE& slot, const std::string& text) {
        if (table.IsUsed(slot)) {
            ++used;
            EXPECT_EQ(text, Expected(table, slot, TABLE_CLASS)) << NodeToText(slot);
        } else {
            EXPECT_EQ(text, "0") << NodeToText(slot);
        }
    });
    EXPECT_GT(used, 20);
}

// A room grid gets the task's text for every slot, free or not.
TEST_F(WeekTableCellsTest, RoomGridHoldsEveryCell)
{
    CRoomInfo* busiest = nullptr;
    int most = 0;
    for (CRoomInfo* room : ObjectsInOrder<CRoomInfo>(task->GetRoomInfoList())) {
        const int lessons = CTaskHelper(task.get()).GetWeekCount(&room->GetCombineTable(true)).GetWholeCount();
        if (lessons > most) {
            most = lessons;
            busiest = room;
        }
    }
    ASSERT_NE(busiest, nullptr) << "the school uses its rooms";
    const CCourseTable& table = busiest->GetCombineTable(true);
    helper->FillWeekTable(&cells, &table, TABLE_ROOM, false, false, 0, busiest->GetId());
    int used = 0;
    ForEachShownCell([&](const tagTABLE_NODE& slot, const std::string& text) {
        used += table.IsUsed(slot) && text != "0";
        EXPECT_EQ(text, Expected(table, slot, TABLE_ROOM)) << NodeToText(slot);
    });
    EXPECT_EQ(used, most);
}

// The plans of one subject in one grid: the count form only where more than one has a lesson.
TEST_F(WeekTableCellsTest, SeveralPlansCountOnlyWhereTheyShareACell)
{
    std::vector<const CCourseTable*> tables;
    const std::string subject = (*ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()).begin())->GetSubjectId();
    for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
        if (plan->GetSubjectId() == subject && tables.size() < 6)
            tables.push_back(&plan->GetTable(true));
    ASSERT_GT(tables.size(), 1u);
    helper->FillWeekTableEx(&cells, tables, TABLE_CLASS);
    const std::regex counted(R"(\.\.\[(\d+)\])");
    int shared = 0;
    ForEachShownCell([&](const tagTABLE_NODE& slot, const std::string& text) {
        int users = 0;
        for (const CCourseTable* table : tables)
            users += table->IsUsed(slot);
        std::smatch match;
        if (users > 1) {
            ++shared;
            ASSERT_TRUE(std::regex_search(text, match, counted)) << NodeToText(slot) << " " << text;
            EXPECT_EQ(std::stoi(match[1]), users);
        } else {
            EXPECT_FALSE(std::regex_search(text, match, counted)) << NodeToText(slot) << " " << text;
            EXPECT_EQ(text == "0", users == 0) << NodeToText(slot);
        }
    });
    EXPECT_GT(shared, 0) << "plans of one subject meet in some slot";
}

}  // namespace
