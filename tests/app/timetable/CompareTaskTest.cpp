// Comparing a temporary task with the formal one: which timetables count as changed, the dialog's
// result, its marks and its hand-over of the changed timetables, and closing it while its worker is
// held.

// Before Qt, which takes the word "slots".
#include "support/EngineRun.h"

#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/CompareTaskDlg.h"

#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "support/FakeAppServices.h"
#include "support/ScreenTestSupport.h"
#include "support/TempFolder.h"
#include "testing/generator/SchoolGenerator.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<CScheduleTask> School()
{
    std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"S12", "normal", 1});
    zemgen::FillTimetables(*school);
    school->ReadTempTables();
    return school;
}

std::vector<std::string> Names(const std::vector<CTaskDifference>& differences)
{
    std::vector<std::string> names;
    for (const CTaskDifference& d : differences)
        names.push_back(std::to_string(d.kind) + d.temp->GetName());
    return names;
}

// The first used whole cell of the object's working timetable on a day in use.
tagTABLE_NODE UsedCell(const CScheduleTask& task, CZemTableObject& object)
{
    tagTABLE_NODE found{};
    ForEachSlot(task.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
        found = cell;
        return object.GetTable(true).IsUsed(cell) && !object.GetTable(true).GetNode(cell).IsInterleave();
    });
    return found;
}

class CompareTaskTest : public testing::Test {
protected:
    void SetUp() override
    {
        formal = School();
        temp = School();
        services.task = formal.get();
        cls = static_cast<CZemTableObject*>(temp->GetClassInfoList().begin()->second);
        for (const auto& [id, object] : temp->GetTeacherInfoList()) {
            auto* candidate = static_cast<CZemTableObject*>(object);
            if (candidate->GetTable(true).IsUsed(UsedCell(*temp, *candidate)))
                teacher = candidate;
        }
        ASSERT_TRUE(teacher);
    }

    std::unique_ptr<CScheduleTask> formal;
    std::unique_ptr<CScheduleTask> temp;
    FakeAppServices services;
    CZemTableObject* cls = nullptr;
    CZemTableObject* teacher = nullptr;
};

TEST_F(CompareTaskTest, WhatCountsAsAChangedTimetable)
{
    EXPECT_TRUE(FindTaskDifferences(*temp, *formal).empty());

    // A class of the temporary task only is never listed, whatever it holds.
    auto* extra = new CClassInfo;
    extra->SetId("只在临时任务");
    extra->SetName("只在临时任务");
    extra->GetTable(true).SetValue({0, 0, 0}, CTimeTable::kFullUsed);
    temp->GetClassInfoList().Add(extra);
    // A day the week does not use is never compared.
    ASSERT_FALSE(temp->GetSchoolStructure().IsDayInUse(6));
    teacher->GetTable(true).SetValue({6, 0, 0}, CTimeTable::kFullUsed);
    EXPECT_TRUE(FindTaskDifferences(*temp, *formal).empty());

    // The odd/even flag alone makes a difference; the teacher comes after the classes.
    const tagTABLE_NODE cell = UsedCell(*temp, *cls);
    cls->GetTable(true).GetNode(cell).SetInterleave(true);
    const tagTABLE_NODE teacherCell = UsedCell(*temp, *teacher);
    teacher->GetTable(true).SetValue(teacherCell, CTimeTable::kFree);
    teacher->GetTable(true).GetNode(teacherCell).Clear();
    EXPECT_EQ(Names(FindTaskDifferences(*temp, *formal)),
              (std::vector<std::string>{"0" + cls->GetName(), "1" + teacher->GetName()}));
    // The stop flag is read before each timetable.
    const std::atomic<bool> stop{true};
    EXPECT_TRUE(FindTaskDifferences(*temp, *formal, &stop).empty());
}

// The even weeks' lesson of an odd/even slot alone changed: the timetable counts as changed.
TEST_F(CompareTaskTest, AChangeInTheEvenWeeksAloneCounts)
{
    const tagTABLE_NODE cell = UsedCell(*temp, *cls);
    CCourseTableNode& changed = cls->GetTable(true).GetNode(cell);
    CCourseTableNode& kept = static_cast<CZemTableObject*>(formal->GetClassInfoList().Find(cls->GetId()))
                                 ->GetTable(false)
                                 .GetNode(cell);
    for (CCourseTableNode* node : {&changed, &kept}) {
        node->SetInterleave(true);
        node->data(2) = node->data(1);
    }
    EXPECT_TRUE(FindTaskDifferences(*temp, *formal).empty());
    changed.data(2) = CCourseTableNode::NodeData();
    EXPECT_EQ(Names(FindTaskDifferences(*temp, *formal)), std::vector<std::string>{"0" + cls->GetName()});
}

// Receives the hand-over as the temporary window does, keeping what it can read during the send.
class Receiver : public zem::gui::MessageReceiver {
public:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        if (message != WM_EXPORT_DIFF_TABLES)
            return 0;
        title = *zem::FromWParam<std::string>(wParam);
        std::vector<CZemObject*> ordered;
        for (const auto& [id, object] : *zem::FromLParam<CZemObjectList>(lParam))
            ordered.push_back(object);
        std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->GetIndex() < b->GetIndex(); });
        for (const CZemObject* object : ordered)
            names.push_back(object->GetName());
        return 0;
    }
    std::string title;
    std::vector<std::string> names;
};

TEST_F(CompareTaskTest, TheDialogListsTheChangesAndHandsThemOver)
{
    struct Case {
        bool change;
        std::string result;
        int items;
    } cases[] = {{false, CCompareTaskDlg::kNoDifferenceText, 0},
                 {true, "经比对，当前临时任务中有 2 张课表和正式任务有差异", 2}};
    for (const Case& c : cases) {
        if (c.change) {
            const tagTABLE_NODE cell = UsedCell(*temp, *teacher);
            teacher->GetTable(true).SetValue(cell, CTimeTable::kFree);
            teacher->GetTable(true).GetNode(cell).Clear();
            cls->GetTable(true).GetNode(UsedCell(*temp, *cls)).SetInterleave(true);
        }
        Receiver receiver;
        CCompareTaskDlg dialog(nullptr, temp.get(), &receiver);
        RunModal<CCompareTaskDlg>(dialog, [&](CCompareTaskDlg& d) {
            d.resize(1100, 600);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !d.IsComparing() && !d.GetResultText().empty(); }, 10000));
            EXPECT_EQ(d.GetResultText(), c.result);
            EXPECT_EQ(d.GetList()->count(), c.items);
            EXPECT_EQ(d.GetDlgItem(CCompareTaskDlg::IDC_EXPORT)->isEnabled(), c.items > 0);
            if (c.items > 0) {
                EXPECT_EQ(d.GetList()->currentIndex(), 0);
                SaveScreenshot(&d, "CompareTaskDlg");
                QTest::mouseClick(d.GetDlgItem(CCompareTaskDlg::IDC_EXPORT), Qt::LeftButton);
                EXPECT_EQ(receiver.title, CCompareTaskDlg::kExportTitle);
                EXPECT_EQ(receiver.names, (std::vector<std::string>{cls->GetName(), teacher->GetName()}));
            }
            d.close();
        });
    }
}

// Closed while its worker is held between two timetables, the dialog stops it by its flag and
// waits without freezing; the worker never reads a dialog that is gone.
TEST_F(CompareTaskTest, ClosingStopsTheHeldWorker)
{
    std::atomic<bool> held{false};
    int reached = -1;
    {
        CCompareTaskDlg dialog(nullptr, temp.get(), nullptr);
        dialog.SetWorkerHook([&](int index, const std::atomic<bool>& stop) {
            if (index != 3)
                return;
            reached = index;
            held = true;
            held.notify_all();
            stop.wait(false);
        });
        RunModal<CCompareTaskDlg>(dialog, [&](CCompareTaskDlg& d) {
            held.wait(false);
            EXPECT_TRUE(d.IsComparing());
            d.close();
            EXPECT_TRUE(d.IsEnded());
            EXPECT_FALSE(d.IsComparing());
            EXPECT_TRUE(d.GetDifferences().empty());
        });
    }
    EXPECT_EQ(reached, 3);
}

// The cells of the grid the dialog marked as changed.
int MarkedCells(const CScheduleTask& task, CWeekTable& grid)
{
    int marked = 0;
    const CSchoolStructure& week = task.GetSchoolStructure();
    ForEachSlot(week, [&](const tagTABLE_NODE& slot) {
        const CCell* cell = grid.GetCell({week.GetWeekOrderByNumber(slot.day), slot.segment, slot.section});
        marked += cell && cell->GetState() == CCell::STATE_FORBIDDEN ? 1 : 0;
    });
    return marked;
}

// The ink of the grid's marked cells that holds text: blue or green pixels, which cannot be read
// on their red, and white ones.
struct MarkedInk {
    int coloured = 0, white = 0;
};
MarkedInk InkOfMarkedCells(const CScheduleTask& task, CWeekTable& grid)
{
    MarkedInk ink;
    const QImage image = grid.grab().toImage();
    const CSchoolStructure& week = task.GetSchoolStructure();
    ForEachSlot(week, [&](const tagTABLE_NODE& slot) {
        const CCell* cell = grid.GetCell({week.GetWeekOrderByNumber(slot.day), slot.segment, slot.section});
        if (!cell || cell->GetState() != CCell::STATE_FORBIDDEN)
            return;
        const zem::Rect& r = cell->GetRect();
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x) {
                const QColor c = image.pixelColor(x, y);
                ink.coloured += c.blue() > c.red() + 60 || c.green() > c.red() + 40;
                ink.white += c.red() > 240 && c.green() > 200 && c.blue() > 200;
            }
    });
    return ink;
}

// A task scheduled in this session holds in memory what its files do not say (which place of a
// shared room a lesson takes, which plan of a combined class a teacher's slot names); the temporary
// task is read from the files. With one lesson of a combined class taken out of it, every listed
// timetable marks that one slot and nothing else.
TEST(CompareScheduledTask, MarksOnlyTheSlotThatChanged)
{
    TempFolder folder;
    const std::string where = folder.path() + "demo/";
    ASSERT_EQ(zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", where), 0);
    const std::string taskFile = where + "演示排课.zem";
    CScheduleTask formal;
    ASSERT_TRUE(formal.Open(taskFile));
    RunEngine(formal);
    ASSERT_TRUE(formal.SaveOutputData());
    CScheduleTask temp;
    ASSERT_TRUE(temp.Open(taskFile, TaskAccess::ReadOnly));
    FakeAppServices services;
    services.task = &formal;
    ASSERT_TRUE(FindTaskDifferences(temp, formal).empty());

    // The first placed lesson of a combined class, out of the temporary task.
    CTaskHelper helper(&temp);
    bool removed = false;
    for (const auto& [id, object] : temp.GetCombineCourseList()) {
        const std::string planId = static_cast<CCombineClass*>(object)->GetCombineCourse().front();
        CCourseInfo* plan = temp.FindCourse(planId);
        CCourseTable& table = temp.GetClass(plan->GetClassId())->GetTable(true);
        ForEachSlot(temp.GetSchoolStructure(), [&](const tagTABLE_NODE& slot) {
            CCourseTableNode& node = table.GetNode(slot);
            if (removed || node.IsInterleave() || node.data(1).GetCourseId() != planId)
                return false;
            helper.RemoveCourseWithPartners(&table, &node, slot, 0);
            removed = true;
            return true;
        });
        if (removed)
            break;
    }
    ASSERT_TRUE(removed);

    CCompareTaskDlg dialog(nullptr, &temp, nullptr);
    RunModal<CCompareTaskDlg>(dialog, [&](CCompareTaskDlg& d) {
        d.resize(1100, 600);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !d.IsComparing() && !d.GetResultText().empty(); }, 60000));
        // Two classes at least, and their teacher.
        ASSERT_GE(d.GetList()->count(), 3);
        for (int index = 0; index < d.GetList()->count(); ++index) {
            d.GetList()->setCurrentIndex(index);
            SCOPED_TRACE(d.GetList()->currentText().toStdString());
            EXPECT_EQ(MarkedCells(temp, d.GetTempTable()), 1);
            EXPECT_EQ(MarkedCells(temp, d.GetFormalTable()), 1);
            // The formal side still holds the lesson there: legible on the mark's red.
            const MarkedInk ink = InkOfMarkedCells(temp, d.GetFormalTable());
            EXPECT_EQ(ink.coloured, 0);
            EXPECT_GT(ink.white, 0);
        }
        SaveScreenshot(&d, "CompareTaskDlg_scheduled");
        d.close();
    });
}

}  // namespace
