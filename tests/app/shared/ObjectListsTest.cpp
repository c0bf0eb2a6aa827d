// Objects in the user's order, chooser lines, the first object worth showing, and the stored
// history of plan adjustments.
#include "support/FakeAppServices.h"
#include "app/shared/AdjustmentHistory.h"
#include "app/shared/ObjectLists.h"
#include "support/SchoolBuilder.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const std::vector<CZemObject*>& objects)
{
    std::vector<std::string> names;
    for (const CZemObject* object : objects)
        names.push_back(object->GetName());
    return names;
}

std::vector<std::string> Texts(const CStringPtrList& items)
{
    std::vector<std::string> texts;
    for (const auto& item : items)
        texts.push_back(item->text);
    return texts;
}

class ObjectListsTest : public testing::Test {
protected:
    ObjectListsTest()
    {
        // Added out of order; the index is the user's order.
        b.Class("c3", "初三")->SetIndex(2);
        b.Class("c1", "初一")->SetIndex(0);
        b.Class("c2", "初二")->SetIndex(1);
        b.Teacher("t1", "张")->SetIndex(3);
        b.Teacher("t2", "李")->SetIndex(2);
        b.Teacher("t3", "王")->SetIndex(1);
        b.Teacher("t4", "赵")->SetIndex(0);
        b.Group("g2", "数学组", {"t2", "t1"})->SetIndex(1);
        b.Group("g1", "语文组", {"t1", "missing"})->SetIndex(0);
        b.Subject("s1", "语文");
        b.Course("p1", "c1", "s1", "t1");
        b.Course("p2", "c2", "s1", "t1");
        b.Course("p3", "c3", "s1", "t2");
        b.Combined("cc", {"p1", "p2"});
        services.task = &b.Task();
    }

    SchoolBuilder b;
    FakeAppServices services;
};

TEST_F(ObjectListsTest, ObjectsComeInIndexOrder)
{
    std::vector<CZemObject*> classes = {nullptr};
    MapToOrderedList(b.Task().GetClassInfoList(), classes);  // emptied first
    EXPECT_EQ(Names(classes), (std::vector<std::string>{"初一", "初二", "初三"}));

    std::vector<CZemObject*> rooms;
    ListTaskObjects(OBJECT_ROOM, rooms);
    EXPECT_TRUE(rooms.empty());
    std::vector<CZemObject*> untouched = {classes[0]};
    ListTaskObjects(7, untouched);
    EXPECT_EQ(untouched.size(), 1u);
    services.task = nullptr;
    ListTaskObjects(OBJECT_CLASS, untouched);
    EXPECT_EQ(untouched.size(), 1u);
}

TEST_F(ObjectListsTest, TeachersByGroupThenTheUngrouped)
{
    CStringPtrList items;
    BuildObjectList(OBJECT_TEACHER, items, '-');
    EXPECT_EQ(Texts(items), (std::vector<std::string>{"语文组-张", "数学组-李", "数学组-张", "赵", "王"}));
    EXPECT_EQ(items[0]->object, b.Task().GetTeacher("t1"));
    EXPECT_EQ(items[2]->object, b.Task().GetTeacher("t1"));

    services.showTeacherByGroup = false;
    CStringPtrList plain;
    BuildObjectList(OBJECT_TEACHER, plain, '-');
    EXPECT_EQ(Texts(plain), (std::vector<std::string>{"赵", "王", "李", "张"}));

    CStringPtrList classes;
    BuildObjectList(OBJECT_CLASS, classes, '-');
    EXPECT_EQ(Texts(classes), (std::vector<std::string>{"初一", "初二", "初三"}));
    EXPECT_EQ(NewNamedObjectItem(b.Task().GetClass("c1"), "")->text, "初一");
    EXPECT_EQ(NewNamedObjectItem(b.Task().GetClass("c1"), "一")->text, "一");
}

TEST_F(ObjectListsTest, FirstScheduledObject)
{
    EXPECT_EQ(FindFirstScheduledObject(OBJECT_CLASS), "c1");  // no class has lessons
    b.Task().SetTableNode(&b.Task().GetClass("c3")->GetTable(false), "p3", "", 0, {1, 0, 0}, 0);
    EXPECT_EQ(FindFirstScheduledObject(OBJECT_CLASS), "c3");
    EXPECT_EQ(FindFirstScheduledObject(OBJECT_ROOM), "");
    services.task = nullptr;
    EXPECT_EQ(FindFirstScheduledObject(OBJECT_CLASS), "");
}

TEST_F(ObjectListsTest, CombinedClassIds)
{
    std::vector<std::string> ids = {"C2"};
    CollectCombinedClassIds(ids, b.Task().FindCourse("p1"), &b.Task());
    EXPECT_EQ(ids, (std::vector<std::string>{"C2", "c1"}));  // c2 is there already, in other letters
    ids.clear();
    CollectCombinedClassIds(ids, b.Task().FindCourse("p3"), &b.Task());
    EXPECT_EQ(ids, (std::vector<std::string>{"c3"}));
    CollectCombinedClassIds(ids, nullptr, &b.Task());
    EXPECT_EQ(ids.size(), 1u);
}

CAdjustmentEntryList Entries(int first, int count)
{
    CAdjustmentEntryList entries;
    for (int i = first; i < first + count; ++i) {
        auto entry = std::make_unique<CAdjustmentEntry>();
        entry->title = "调整" + std::to_string(i);
        entry->ids = {"c" + std::to_string(i), "t" + std::to_string(i)};
        entries.push_back(std::move(entry));
    }
    return entries;
}

TEST_F(ObjectListsTest, HistoryKeepsTheHundredNewestWithinItsSize)
{
    TempFolder folder;
    const std::string ini = folder / "task.ini";
    b.Task().SetConfigFile(ini);
    CAdjustmentEntryList first = Entries(1, 100);
    SaveAdjustmentHistory(first);
    EXPECT_TRUE(first.empty());
    CAdjustmentEntryList second = Entries(101, 2);
    SaveAdjustmentHistory(second);

    // 102 entries: keys 1..100 hold the hundred newest, the last given first; key 101 is empty.
    EXPECT_EQ(zem::GetProfileString(ini, "AdjustmentHistory", "1"), "调整102|c102|t102");
    EXPECT_EQ(zem::GetProfileString(ini, "AdjustmentHistory", "100"), "调整3|c3|t3");
    EXPECT_EQ(zem::GetProfileString(ini, "AdjustmentHistory", "101", "missing"), "");

    CAdjustmentHistory history;
    history.Load(ini, "AdjustmentHistory", 100);
    ASSERT_EQ(history.GetEntries().size(), 100u);
    EXPECT_EQ(history.GetEntries()[1]->title, "调整101");
    EXPECT_EQ(history.GetEntries()[1]->ids, (std::vector<std::string>{"c101", "t101"}));

    // Entries of 100 KB each: the section stays within 256 KB by dropping the oldest.
    CAdjustmentEntryList large = Entries(200, 3);
    for (auto& entry : large)
        entry->title += std::string(100 * 1024, 'x');
    SaveAdjustmentHistory(large);
    CAdjustmentHistory kept;
    kept.Load(ini, "AdjustmentHistory", 100);
    ASSERT_EQ(kept.GetEntries().size(), 2u);
    EXPECT_EQ(kept.GetEntries()[0]->title.rfind("调整202", 0), 0u);
    EXPECT_EQ(kept.GetEntries()[0]->ids, (std::vector<std::string>{"c202", "t202"}));
}

TEST_F(ObjectListsTest, HistoryTitlesAndEmptyEntriesNeverBreakTheList)
{
    TempFolder folder;
    const std::string ini = folder / "task.ini";
    b.Task().SetConfigFile(ini);
    CAdjustmentEntryList entries = Entries(1, 1);
    entries.push_back(std::make_unique<CAdjustmentEntry>());  // nothing to store
    auto piped = std::make_unique<CAdjustmentEntry>();
    piped->title = "甲|乙";
    piped->ids = {"c1"};
    entries.push_back(std::move(piped));
    SaveAdjustmentHistory(entries);

    CAdjustmentHistory history;
    history.Load(ini, "AdjustmentHistory", 10);
    ASSERT_EQ(history.GetEntries().size(), 2u);
    EXPECT_EQ(history.GetEntries()[0]->title, "甲｜乙");
    EXPECT_EQ(history.GetEntries()[0]->ids, (std::vector<std::string>{"c1"}));
    EXPECT_EQ(history.GetEntries()[1]->title, "调整1");

    // Without an open task nothing is written, and the given entries are still taken.
    services.task = nullptr;
    CAdjustmentEntryList more = Entries(2, 1);
    SaveAdjustmentHistory(more);
    EXPECT_TRUE(more.empty());
    EXPECT_EQ(zem::GetProfileString(ini, "AdjustmentHistory", "1"), "甲｜乙|c1");
}

// Reading: each value whole however long (no fixed buffer), every "|" but the title's own
// a separator, and the first empty key the end of the list.
TEST_F(ObjectListsTest, HistoryReadsValuesWholeAndStopsAtAGap)
{
    std::string sixty = "六十个";
    std::vector<std::string> sixtyIds;
    for (int i = 0; i < 60; ++i) {
        sixtyIds.push_back(zem::Format("{%08d-0000-4000-8000-%012d}", i, i));
        sixty += "|" + sixtyIds.back();
    }
    struct Case {
        std::vector<std::string> values;  // keys "1", "2", ...
        std::vector<std::string> titles;
        std::vector<std::size_t> idCounts;
    } cases[] = {
        {{sixty}, {"六十个"}, {60}},
        {{"甲|c1", "", "丙|c3"}, {"甲"}, {1}},
        {{"甲｜乙|c1|t1", "标题"}, {"甲｜乙", "标题"}, {2, 0}},
    };
    for (const Case& test : cases) {
        TempFolder folder;
        const std::string path = folder / "task.ini";
        zem::IniFile ini;
        for (std::size_t i = 0; i < test.values.size(); ++i)
            ini.SetString("AdjustmentHistory", std::to_string(i + 1), test.values[i]);
        ASSERT_TRUE(ini.SaveAs(path));
        CAdjustmentHistory history;
        history.Load(path, "AdjustmentHistory", 100);
        const CAdjustmentEntryList& entries = history.GetEntries();
        ASSERT_EQ(entries.size(), test.titles.size()) << test.values.front().substr(0, 20);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i]->title, test.titles[i]);
            EXPECT_EQ(entries[i]->ids.size(), test.idCounts[i]);
        }
        if (test.idCounts.front() == 60) {
            EXPECT_EQ(entries.front()->ids, sixtyIds);
        }
    }
}

}  // namespace
