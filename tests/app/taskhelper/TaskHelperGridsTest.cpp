// Filling and marking week grids: which cells get text, tags, colours, focus and clash marks.
#include "app/taskhelper/SubjectColorMap.h"
#include "app/taskhelper/WeekGridCells.h"
#include "base/CellRecord.h"
#include "support/HelperSchool.h"

#include <array>
#include <map>
#include <tuple>

namespace {

// Records what the helper writes, by cell.
class RecordingGrid : public CWeekGridCells {
public:
    using Key = std::tuple<int, int, int>;
    static Key K(int column, int segment, int section) { return {column, segment, section}; }

    void SetWeekDays(int days) override { weekDays = days; }
    void SetSegmentNodes(int segment, int count) override { segments[static_cast<std::size_t>(segment)] = count; }
    void SetColumnTitle(int column, const std::string& title) override { titles[column] = title; }
    void SetPeriodNames(const std::vector<std::string>& names) override { periodNames = names; }
    void Clear() override { texts.clear(); }
    void SetCellInfo(const tagTABLE_NODE& c, const std::string& text) override { texts[Of(c)] = text; }
    void SetCellTipInfo(const tagTABLE_NODE& c, const std::string& tip) override { tips[Of(c)] = tip; }
    void SetCellTag(const tagTABLE_NODE& c, CELL_TAG tag) override { tags[Of(c)] = tag; }
    void SetCellBkColor(const tagTABLE_NODE& c, zem::COLORREF color) override { colors[Of(c)] = color; }
    void SetCellFocus(const tagTABLE_NODE& c, bool focus) override { focus ? focused[Of(c)] = true : focused.erase(Of(c)); }
    void SetForbidCell(const tagTABLE_NODE& c, bool forbid) override { forbidden[Of(c)] = forbid; }
    void SetAllCellNormal() override
    {
        focused.clear();
        forbidden.clear();
    }
    void Refresh() override { ++refreshes; }

    std::map<Key, std::string> texts, tips;
    std::map<Key, CELL_TAG> tags;
    std::map<Key, zem::COLORREF> colors;
    std::map<Key, bool> focused, forbidden;
    int refreshes = 0;
    int weekDays = -1;
    std::array<int, zem::kSegmentCount> segments{};
    std::map<int, std::string> titles;
    std::vector<std::string> periodNames;

private:
    static Key Of(const tagTABLE_NODE& c) { return {c.day, c.segment, c.section}; }
};

using Grids = HelperTest;

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

}  // namespace

TEST(CellRecords, DisplayTextOfARecord)
{
    const struct {
        std::string record;
        const char* text;
    } cases[] = {
        {zem::JoinCellRecord({"1", "1", "语文", "张老师"}), "语文\n张老师"},
        {zem::JoinCellRecord({"1", "1", "张老师，李老师", "101，102"}), "张老师 101\n李老师 102"},
        {zem::JoinCellRecord({"1", "1", "张老师，李老师", "101"}), "张老师，李老师\n101"},
        {zem::JoinCellRecord({"0", "1", "", ""}), ""},
        {zem::JoinCellRecord({"2", "1", "", "", "2", "英语", "王老师"}), "单周\n\n\n\n双周\n英语\n王老师"},
        {zem::JoinCellRecord({"2", "1", "", "", "2", "", ""}), ""},
        {zem::JoinCellRecord({"2", "1", "语文"}), ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatOddEvenCell(c.record), c.text) << c.record;
}

// A column per day in use and not hidden; a hidden day that is not in use takes no column away.
// Short titles drop "星期" and the custom period names.
TEST_F(Grids, SettingUpAWeekGrid)
{
    CSchoolStructure& week = task.GetSchoolStructure();
    for (int day = 7; day < 12; ++day)
        week.SetWeekDay(day, true);
    week.SetSectionNodeMaxCount(3, 1, true);
    week.GetCustomPeriodNameList().SetEnabled(true);
    week.GetCustomPeriodNameList().Add(0, 0, "第一节");
    week.RefreshData();
    std::array<bool, zem::kDayCount> hidden{};
    hidden[0] = hidden[6] = true;

    CTaskHelper helper(&task);
    RecordingGrid grid;
    helper.SetupWeekTable(&grid, &hidden, false);
    EXPECT_EQ(grid.weekDays, 9);
    EXPECT_EQ(grid.titles[0], "星期二");
    EXPECT_EQ(grid.titles[4], "星期一") << "week 2 starts after Tuesday to Friday";
    EXPECT_EQ(grid.titles[8], "星期五");
    EXPECT_EQ(grid.titles.size(), 9u);
    EXPECT_EQ(grid.segments, (std::array<int, zem::kSegmentCount>{4, 3, 0, 1, 0}));
    EXPECT_EQ(grid.periodNames, (std::vector<std::string>{"早", "第一节", "2", "3", "4", "5", "6", "7"}));

    RecordingGrid brief;
    helper.SetupWeekTable(&brief, nullptr, true);
    EXPECT_EQ(brief.weekDays, 10);
    EXPECT_EQ(brief.titles[0], "一");
    EXPECT_EQ(brief.titles[5], "一");
    EXPECT_EQ(brief.periodNames, (std::vector<std::string>{"早", "1", "2", "3", "4", "5", "6", "7"}));

    // A cell is addressed by its day's place among the days in use.
    helper.SetCellInfo(&brief, 8, 0, 1, "x");
    EXPECT_EQ(brief.texts[RecordingGrid::K(6, 0, 1)], "x");
}

// A class grid gets text where there are lessons, and activities elsewhere when asked; a room's
// grid gets a text for every slot, with a tip where there is something to say.
TEST_F(Grids, FillingAWeekGrid)
{
    task.GetSchoolStructure().SetWeekDay(0, false);
    task.GetSchoolStructure().RefreshData();
    Place("p1", {1, 0, 0}, 0, "r1");
    b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c1", "101,")->GetActivities().AddActivity(
        tagTABLE_NODE{1, 0, 1}, "班会");
    CTaskHelper helper(&task);
    RecordingGrid grid;
    helper.FillWeekTable(&grid, ClassTable("c1"), TABLE_CLASS, false, true, 0, "c1");
    ASSERT_EQ(grid.texts.size(), 1u);
    EXPECT_EQ(grid.texts.begin()->first, RecordingGrid::K(0, 0, 0)) << "Tuesday is the first column";
    EXPECT_TRUE(StartsWith(grid.texts.begin()->second, zem::JoinCellRecord({"1", "1", "语文", ""})));
    EXPECT_EQ(grid.refreshes, 1);

    helper.FillWeekTable(&grid, ClassTable("c1"), TABLE_CLASS, true, true, 0, "c1");
    EXPECT_EQ(grid.texts[RecordingGrid::K(0, 0, 1)], zem::JoinCellRecord({"1", "1", "班会", ""}));
    EXPECT_EQ(grid.texts[RecordingGrid::K(0, 0, 2)], zem::JoinCellRecord({"0", "1", "", ""}));

    RecordingGrid room;
    helper.FillWeekTable(&room, &task.GetRoom("r1")->GetCombineTable(true), TABLE_ROOM, false, true, 0, "r1");
    EXPECT_EQ(room.texts.size(), 4u * 7u);
    ASSERT_EQ(room.tips.size(), 1u);
    EXPECT_EQ(room.tips.begin()->first, RecordingGrid::K(0, 0, 0));
}

TEST_F(Grids, SeveralTimetablesInOneGrid)
{
    Place("p1", {0, 0, 0});
    Place("q1", {0, 0, 0});
    Place("p2", {0, 0, 1}, 1);
    Place("q2", {0, 0, 1}, 2);
    Place("w1", {0, 0, 2});
    CTaskHelper helper(&task);
    RecordingGrid grid;
    helper.FillWeekTableEx(&grid, {&Plan("p1")->GetTable(true), &Plan("q1")->GetTable(true)}, TABLE_CLASS);
    ASSERT_EQ(grid.texts.size(), 1u);
    EXPECT_TRUE(StartsWith(grid.texts.begin()->second, zem::JoinCellRecord({"1", "1", "语文..[2]", ""})));

    helper.FillWeekTableEx(&grid, {ClassTable("c1"), ClassTable("c2"), ClassTable("c3")}, TABLE_CLASS);
    const std::string split = grid.texts[RecordingGrid::K(0, 0, 1)];
    EXPECT_TRUE(StartsWith(split, zem::JoinCellRecord({"2", "1", "数学", ""})));
    EXPECT_NE(split.find(zem::JoinCellRecord({"", "2", "物理", ""})), std::string::npos)
        << "even weeks from the other class";
    EXPECT_TRUE(StartsWith(grid.texts[RecordingGrid::K(0, 0, 2)], zem::JoinCellRecord({"1", "1", "物理", ""})))
        << "one user: no count";
}

TEST_F(Grids, TagsAndColours)
{
    b.Preset("p1", "0,");
    b.Course("k1", "c1", "s4", "t3", "1");
    b.Course("k2", "c2", "s4", "t3", "1");
    b.Combined("kk", {"k1", "k2"});
    Place("p1", {0, 0, 0});
    Place("k1", {0, 0, 1});
    Place("k2", {0, 0, 1});
    b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c1", "2,");
    CHelperContext context;
    context.showTagLinked = false;
    {
        CTaskHelper helper(&task, context);
        RecordingGrid grid;
        helper.ForEachCell(&grid, ClassTable("c1"), TABLE_CLASS, "c1");
        EXPECT_EQ(grid.tags[RecordingGrid::K(0, 0, 0)], CELL_TAG_LOCKED);
        EXPECT_EQ(grid.tags[RecordingGrid::K(0, 0, 1)], CELL_TAG_NONE);
        EXPECT_EQ(grid.tags[RecordingGrid::K(0, 0, 2)], CELL_TAG_DISABLED);
    }
    context.showTagLinked = true;
    context.showTagLocked = false;
    CTaskHelper helper(&task, context);
    RecordingGrid grid;
    helper.ForEachCell(&grid, ClassTable("c1"), TABLE_CLASS, "c1");
    EXPECT_EQ(grid.tags[RecordingGrid::K(0, 0, 0)], CELL_TAG_NONE);
    EXPECT_EQ(grid.tags[RecordingGrid::K(0, 0, 1)], CELL_TAG_LINKED);

    // Colours: only when asked for, and only for the open task.
    CSubjectColorMap colors;
    colors.Build(&task);
    context.colorMap = &colors;
    context.openTask = &task;
    EXPECT_EQ(CTaskHelper(&task, context).GetCellColor(ClassTable("c1"), {0, 0, 0}), 0u);
    context.colorTable = true;
    EXPECT_EQ(CTaskHelper(&task, context).GetCellColor(ClassTable("c1"), {0, 0, 0}), colors.GetColor(Plan("p1"), &task));
    EXPECT_EQ(CTaskHelper(&task, context).GetCellColor(ClassTable("c1"), {0, 0, 3}), 0u);
    SchoolBuilder other;
    context.openTask = &other.Task();
    EXPECT_EQ(CTaskHelper(&task, context).GetCellColor(ClassTable("c1"), {0, 0, 0}), 0u);
    RecordingGrid painted;
    CTaskHelper(&task, context).ApplyCellColors(&painted, ClassTable("c1"));
    EXPECT_EQ(painted.colors[RecordingGrid::K(0, 0, 1)], colors.GetColor(Plan("k1"), &task));
    EXPECT_EQ(painted.colors[RecordingGrid::K(0, 0, 3)], 0u);
}

// Plans chosen for a new teacher: clashes among the plans and with the teacher's own lessons.
TEST_F(Grids, PlanConflictsWithATarget)
{
    Place("p1", {0, 0, 0});
    Place("q1", {0, 0, 0});  // 张老师 twice at once
    Place("p3", {1, 0, 0});
    Place("w1", {1, 0, 0});  // 王老师 in 三班 at the same time as 一班 英语
    CHelperContext context;
    context.openTask = &task;
    CTaskHelper helper(nullptr, context);
    RecordingGrid plans, teacher;
    std::vector<std::string> classes;
    bool allAlready = true;
    const int clashes = helper.MarkPlanConflicts({Plan("p1"), Plan("q1"), Plan("p3")}, &plans, task.GetTeacher("t3"),
                                                 &teacher, 1, &classes, &allAlready);
    EXPECT_FALSE(allAlready);
    // 张老师's two plans clash; 一班 英语 clashes with 王老师's lesson in 三班.
    EXPECT_EQ(clashes, 2);
    EXPECT_TRUE(plans.forbidden[RecordingGrid::K(0, 0, 0)]);
    EXPECT_TRUE(plans.forbidden[RecordingGrid::K(1, 0, 0)]);
    EXPECT_TRUE(teacher.forbidden[RecordingGrid::K(1, 0, 0)]);
    EXPECT_FALSE(teacher.forbidden[RecordingGrid::K(0, 0, 0)]);
    EXPECT_EQ(classes, (std::vector<std::string>{"c3", "c1", "c2"}));

    // A target that already teaches every plan adds nothing of its own.
    EXPECT_EQ(helper.MarkPlanConflicts({Plan("p1"), Plan("q1")}, &plans, task.GetTeacher("t1"), &teacher, 1, &classes,
                                       &allAlready),
              1);
    EXPECT_TRUE(allAlready);
    EXPECT_TRUE(teacher.forbidden.empty());
    EXPECT_EQ(helper.MarkPlanConflicts({}, &plans, nullptr, nullptr, 1, &classes, nullptr), 0);
}

// Exchanging 一班 语文 (张老师) with 三班 物理 (王老师): their slots are focused, and a slot where
// one moves but the other's lesson stays clashes.
TEST_F(Grids, SubstituteTables)
{
    Place("p1", {0, 0, 0});
    Place("q2", {0, 0, 0});  // 二班 物理 stays
    Place("p1", {0, 0, 2});
    Place("w1", {0, 0, 2});
    CTaskHelper helper(&task);
    RecordingGrid a, b2;
    std::vector<std::string> classes;
    const int clashes = helper.FillSubstituteTables(task.GetTeacher("t1"), {"p1"}, &a, task.GetTeacher("t3"), {"w1"},
                                                    &b2, &classes);
    EXPECT_TRUE(a.focused[RecordingGrid::K(0, 0, 0)]);
    EXPECT_TRUE(a.focused[RecordingGrid::K(0, 0, 2)]);
    EXPECT_TRUE(b2.focused[RecordingGrid::K(0, 0, 2)]);
    EXPECT_FALSE(b2.focused.count(RecordingGrid::K(0, 0, 0)));
    EXPECT_EQ(clashes, 1);
    EXPECT_TRUE(a.forbidden[RecordingGrid::K(0, 0, 0)]);
    EXPECT_TRUE(b2.forbidden[RecordingGrid::K(0, 0, 0)]);
    EXPECT_FALSE(a.forbidden[RecordingGrid::K(0, 0, 2)]) << "both lessons there move";
    EXPECT_EQ(a.refreshes, 1);
}
