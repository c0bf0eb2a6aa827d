// The week timetable window on the demo task after a run, worked as a user would: lessons go to
// the plan cards and back with their slides, saving and discarding reach the files, closing keeps
// the layout and the last object, and a failed save says so. Also the week-table pane.

// Before Qt, which takes the word "slots".
#include "support/ScheduledDemo.h"

#include "support/ScheduledDemo.h"

#include "app/controls/HoverButton.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/shared/ObjectLists.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shell/AutoScheduleReportDlg.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ProgramFeatures.h"
#include "app/shell/ScheduleCompletionDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/SchoolStructure.h"
#include "app/timetable/HistoryDlg.h"
#include "app/timetable/LessonCountDlg.h"
#include "app/timetable/TableFontDlg.h"
#include "app/timetable/WeekTableWnd.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/QtText.h"
#include "support/MessageRecorder.h"
#include "support/TableConsistency.h"
#include "platform/IniFile.h"
#include "table/TableItem.h"

#include <QComboBox>
#include <QMenu>
#include <QPainter>
#include <QWheelEvent>
#include <QTimer>
#include <QTest>

#include <filesystem>
#include <optional>
#include <set>

namespace {

QPoint Centre(const zem::Rect& r) { return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

class WeekTimetableTest : public ScheduledDemoTest {
protected:
    // One run of the engine on the demo task serves every test, each on its own copy.
    static void SetUpTestSuite() { MakeTemplate(TemplateFolder("WeekTimetableDemo")); }
    static void TearDownTestSuite() { std::filesystem::remove_all(TemplateFolder("WeekTimetableDemo")); }

    void SetUp() override
    {
        OpenCopyOf(TemplateFolder("WeekTimetableDemo"));
        CAppContext::Get()->SetPlaySoundInMoving(true);
        m_sound = zem::gui::SetSoundHook([this](const std::string& path) { sounds.push_back(path); });
        // Every look at the clock moves it on, so that a slide ends after a few frames.
        m_clock = zem::gui::SetAnimationClockHook([this] { return now += 60; });
    }
    void TearDown() override
    {
        zem::gui::SetSoundHook(m_sound);
        zem::gui::SetAnimationClockHook(m_clock);
    }

    // Runs the window on the object while `act` works it; the window is left open unless act closes it.
    void Run(int kind, const std::string& id, const std::function<void(CWeekTimetableDlg&)>& act)
    {
        CWeekTimetableDlg dialog;
        dialog.SetInitialObject(kind, id);
        RunModal<CWeekTimetableDlg>(dialog, act);
    }

    static CManualScheduleTable& Grid(CWeekTimetableDlg& d) { return d.GetContainer().GetGrid(); }
    static void ClickCell(CWeekTimetableDlg& d, const tagTABLE_NODE& slot)
    {
        zem::Rect r;  // on the screen
        Grid(d).GetCellRect(d.GetContainer().ToGridNode(slot), &r);
        QTest::mouseClick(&Grid(d), Qt::LeftButton, Qt::NoModifier, Grid(d).mapFromGlobal(Centre(r)));
    }
    static const CCourseCard* Card(CWeekTimetableDlg& d, const std::string& planId)
    {
        for (const auto& card : d.GetCardHost().GetView()->GetCards())
            if (card->plan && card->plan->GetId() == planId)
                return card.get();
        return nullptr;
    }
    static void ClickCard(CWeekTimetableDlg& d, const std::string& planId)
    {
        const CCourseCard* card = Card(d, planId);
        ASSERT_TRUE(card) << planId;
        QTest::mouseClick(d.GetCardHost().GetView(), Qt::LeftButton, Qt::NoModifier, Centre(card->rect));
    }
    // The regular slots of the task's week.
    std::vector<tagTABLE_NODE> Slots() const
    {
        std::vector<tagTABLE_NODE> nodes;
        ForEachSlot(task->GetSchoolStructure(), {.lastSegment = 2},
                    [&](const tagTABLE_NODE& node) { nodes.push_back(node); });
        return nodes;
    }
    // Takes a whole-week lesson of the shown class out into the buffer: a click on it, then on its
    // marked card. Its plan id.
    std::string MoveLessonToBuffer(CWeekTimetableDlg& d)
    {
        CCourseTable& table = *d.GetContainer().GetTable();
        for (const tagTABLE_NODE& slot : Slots()) {
            const CCourseTableNode& node = table.GetNode(slot);
            if (!table.IsUsed(slot) || node.IsInterleave())
                continue;
            const std::string planId = node.data(1).GetCourseId();
            ClickCell(d, slot);
            const CCourseCard* card = Card(d, planId);
            if (!card || card->mark != CCourseCard::kMarked) {
                ADD_FAILURE() << "a pick marks the card of its lesson";
                return {};
            }
            ClickCard(d, planId);
            if (!table.IsUsed(slot))
                return planId;
            ClickCell(d, slot);  // refused: the pick is dropped
        }
        ADD_FAILURE() << "no lesson could be taken out";
        return {};
    }
    // The first cell marked as a place for the selected card that is (or is not) occupied.
    std::optional<tagTABLE_NODE> AllowedCell(CWeekTimetableDlg& d, bool occupied)
    {
        CCourseTable& table = *d.GetContainer().GetTable();
        for (const tagTABLE_NODE& slot : Slots()) {
            const CCell* cell = Grid(d).GetCell(d.GetContainer().ToGridNode(slot));
            if (cell && cell->GetState() == CCell::STATE_FRIEND && table.IsUsed(slot) == occupied &&
                !table.GetNode(slot).IsInterleave())
                return slot;
        }
        return std::nullopt;
    }
    // Picks a lesson of the grid that may swap with another cell (an occupied one when asked): the
    // picked cell and that one; the pick stays. Nothing when no lesson may.
    std::optional<std::pair<tagTABLE_NODE, tagTABLE_NODE>> PickSwap(CWeekTimetableDlg& d, bool occupied)
    {
        CCourseTable& table = *d.GetContainer().GetTable();
        for (const tagTABLE_NODE& slot : Slots()) {
            if (!table.IsUsed(slot))
                continue;
            ClickCell(d, slot);
            for (const tagTABLE_NODE& each : Slots()) {
                const CCell* cell = Grid(d).GetCell(d.GetContainer().ToGridNode(each));
                if (cell && cell->GetState() == CCell::STATE_FRIEND && (!occupied || table.IsUsed(each)))
                    return std::make_pair(slot, each);
            }
            ClickCell(d, slot);
        }
        return std::nullopt;
    }
    static zem::COLORREF SaveColour(CWeekTimetableDlg& d)
    {
        return d.Item<CHoverButton>(CWeekTimetableDlg::IDC_SAVE)->GetBkColor();
    }

    std::vector<std::string> sounds;
    std::int64_t now = 0;

private:
    zem::gui::SoundHook m_sound;
    zem::gui::AnimationClockHook m_clock;
};

TEST_F(WeekTimetableTest, LessonsGoToTheBufferAndBackWithTheirSlides)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        ASSERT_TRUE(d.GetContainer().GetTable());
        EXPECT_EQ(d.GetContainer().GetObjectId(), FindFirstScheduledObject(0));
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 255));
        const std::string before = d.GetProgress().GetText();

        const std::string planId = MoveLessonToBuffer(d);
        ASSERT_FALSE(planId.empty());
        EXPECT_EQ(sounds.size(), 1u) << "one slide, cell to card";
        EXPECT_TRUE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 200));
        EXPECT_NE(d.GetProgress().GetText(), before) << "the task's progress follows";
        EXPECT_EQ(d.GetPlanPanel().m_title.rfind("调课缓冲区 - 相关教学计划（已排 ", 0), 0u) << d.GetPlanPanel().m_title;

        ClickCard(d, planId);
        EXPECT_EQ(d.GetCardHost().GetView()->GetSelectedId(), planId);
        const auto target = AllowedCell(d, false);
        ASSERT_TRUE(target) << "the lesson taken out has a free place to go";
        ClickCell(d, *target);
        EXPECT_EQ(d.GetContainer().GetTable()->GetNode(*target).data(1).GetCourseId(), planId);
        EXPECT_EQ(sounds.size(), 2u) << "one slide, card to cell";
        EXPECT_EQ(d.GetProgress().GetText(), before);
        EXPECT_TRUE(d.GetCardHost().GetView()->GetSelectedId().empty());
        EXPECT_FALSE(d.IsAnimating());
        EXPECT_TRUE(TablesConsistent(*task));
    });
}

TEST_F(WeekTimetableTest, PlacingIntoAnOccupiedCellSlidesTheDisplacedLessonToItsCard)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        const std::string planId = MoveLessonToBuffer(d);
        ASSERT_FALSE(planId.empty());
        sounds.clear();
        ClickCard(d, planId);
        const auto target = AllowedCell(d, true);
        ASSERT_TRUE(target) << "an occupied cell takes the lesson";
        const std::string displaced = d.GetContainer().GetTable()->GetNode(*target).data(1).GetCourseId();
        const CWeekCount displacedBefore = Card(d, displaced)->placed;
        ClickCell(d, *target);
        EXPECT_EQ(sounds.size(), 2u) << "card to cell, then cell to the displaced lesson's card";
        EXPECT_EQ(d.GetContainer().GetTable()->GetNode(*target).data(1).GetCourseId(), planId);
        EXPECT_NE(Card(d, displaced)->placed, displacedBefore);
        EXPECT_TRUE(TablesConsistent(*task));
    });
}

TEST_F(WeekTimetableTest, ClicksOnTheGridDuringASlideAreIgnored)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        CCourseTable& table = *d.GetContainer().GetTable();
        for (const tagTABLE_NODE& slot : Slots()) {
            if (!table.IsUsed(slot) || table.GetNode(slot).IsInterleave())
                continue;
            const std::string planId = table.GetNode(slot).data(1).GetCourseId();
            ClickCell(d, slot);
            // A cell the picked lesson could trade places with, holding another lesson.
            std::optional<tagTABLE_NODE> other;
            for (const tagTABLE_NODE& each : Slots()) {
                const CCell* cell = Grid(d).GetCell(d.GetContainer().ToGridNode(each));
                if (!other && cell && cell->GetState() == CCell::STATE_FRIEND && table.IsUsed(each) &&
                    !table.GetNode(each).IsInterleave() && table.GetNode(each).data(1).GetCourseId() != planId)
                    other = each;
            }
            if (!other) {
                ClickCell(d, slot);
                continue;
            }
            const std::string otherPlan = table.GetNode(*other).data(1).GetCourseId();
            const CWeekCount placedBefore = Card(d, planId)->placed;
            bool clickedWhileSliding = false;
            QTimer::singleShot(0, &d, [&] {
                if (!d.IsAnimating())
                    return;
                clickedWhileSliding = true;
                ClickCell(d, *other);
            });
            ClickCard(d, planId);
            QCoreApplication::processEvents();
            if (table.IsUsed(slot)) {  // this lesson may not leave: try another
                ClickCell(d, slot);
                continue;
            }
            EXPECT_TRUE(clickedWhileSliding);
            EXPECT_EQ(table.GetNode(*other).data(1).GetCourseId(), otherPlan) << "the click swapped nothing";
            EXPECT_NE(Card(d, planId)->placed, placedBefore) << "the picked lesson went to its card";
            EXPECT_TRUE(TablesConsistent(*task));
            return;
        }
        ADD_FAILURE() << "no lesson could be taken out";
    });
}

// Another class chosen in the list while a lesson slides into the grid: the lesson still goes to
// its own class, and the list waits.
TEST_F(WeekTimetableTest, TheObjectListWaitsForASlide)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        const std::string classId = d.GetContainer().GetObjectId();
        const std::string planId = MoveLessonToBuffer(d);
        ASSERT_FALSE(planId.empty());
        ClickCard(d, planId);
        const auto target = AllowedCell(d, false);
        ASSERT_TRUE(target);
        auto* list = d.Item<QComboBox>(CWeekTimetableDlg::IDC_CLASS_LIST);
        bool switchedWhileSliding = false;
        QTimer::singleShot(0, &d, [&] {
            if (!d.IsAnimating())
                return;
            switchedWhileSliding = true;
            QTest::keyClick(list, Qt::Key_Down);
        });
        ClickCell(d, *target);
        QCoreApplication::processEvents();
        EXPECT_TRUE(switchedWhileSliding);
        EXPECT_EQ(d.GetContainer().GetObjectId(), classId);
        EXPECT_EQ(list->currentText(), zem::gui::ToQ(task->GetClass(classId)->GetName()));
        EXPECT_EQ(task->GetClass(classId)->GetTable(true).GetNode(*target).data(1).GetCourseId(), planId);
        EXPECT_TRUE(TablesConsistent(*task));
    });
}

// While a lesson slides, nothing changes the timetable it lands in: the marked card of a lesson
// sliding to another cell does not take it out, and 撤销 does not undo under a card's lesson on
// its way into the grid.
TEST_F(WeekTimetableTest, NothingChangesTheTimetableUnderASlidingLesson)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        CCourseTable& table = *d.GetContainer().GetTable();
        const auto swap = PickSwap(d, false);
        ASSERT_TRUE(swap) << "no lesson could be picked";
        const std::string picked = table.GetNode(swap->first).GetCourseId(1);
        bool clicked = false;
        QTimer::singleShot(0, &d, [&] {
            clicked = Grid(d).IsMoving();
            if (clicked)
                ClickCard(d, picked);
        });
        ClickCell(d, swap->second);
        QCoreApplication::processEvents();
        EXPECT_TRUE(clicked);
        EXPECT_EQ(table.GetNode(swap->second).GetCourseId(1), picked) << "the lesson landed where it was dropped";
        EXPECT_TRUE(TablesConsistent(*task));

        const std::string planId = MoveLessonToBuffer(d);
        ASSERT_FALSE(planId.empty());
        ClickCard(d, planId);
        const auto target = AllowedCell(d, false);
        ASSERT_TRUE(target);
        const int records = d.GetContainer().GetHistory().GetCount();
        const zem::gui::PopupMenuHook menus = zem::gui::SetPopupMenuHook(
            [](const auto&) { return static_cast<int>(CWeekTimetableDlg::ID_UNDO); });
        bool undone = false;
        QTimer::singleShot(0, &d, [&] {
            undone = d.IsAnimating();
            if (undone)
                QTest::mouseClick(d.GetDlgItem(CWeekTimetableDlg::IDC_OPTIONS), Qt::LeftButton);
        });
        ClickCell(d, *target);
        QCoreApplication::processEvents();
        zem::gui::SetPopupMenuHook(menus);
        EXPECT_TRUE(undone);
        EXPECT_EQ(table.GetNode(*target).GetCourseId(1), planId);
        EXPECT_EQ(d.GetContainer().GetHistory().GetCount(), records + 1);
        EXPECT_EQ(d.GetContainer().GetHistory().GetIndex(), records);
        EXPECT_TRUE(TablesConsistent(*task));
    });
}

TEST_F(WeekTimetableTest, ClosingDuringASwapOfTheGridKeepsTheWindowOpen)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        const auto swap = PickSwap(d, false);
        ASSERT_TRUE(swap) << "no lesson could be picked";
        bool closedWhileSliding = false;
        QTimer::singleShot(0, &d, [&] {
            if (!Grid(d).IsMoving())
                return;
            closedWhileSliding = true;
            d.close();
        });
        ClickCell(d, swap->second);
        QCoreApplication::processEvents();
        EXPECT_TRUE(closedWhileSliding);
        EXPECT_FALSE(d.IsEnded()) << "the swap would be lost unasked";
        EXPECT_TRUE(d.IsModified());
        ScriptedMessages no({zem::IDNO});
        d.close();
        EXPECT_TRUE(d.IsEnded());
    });
}

// Half-week lessons and lessons of combined classes go to the buffer and back whole: nothing is
// lost, doubled or left in a partner class's or teacher's table.
TEST_F(WeekTimetableTest, HalfWeekAndCombinedLessonsGoToTheBufferAndBack)
{
    ScriptedMessages answers({}, zem::IDYES);
    for (const bool half : {true, false}) {
        SCOPED_TRACE(half ? "half-week" : "combined");
        // A class with such a lesson, and its slot.
        std::string classId;
        tagTABLE_NODE slot{};
        std::string planId;
        for (const auto& [id, object] : task->GetClassInfoList()) {
            const CCourseTable& table = static_cast<CClassInfo*>(object)->GetTable(false);
            for (const tagTABLE_NODE& each : Slots()) {
                const CCourseTableNode& node = table.GetNode(each);
                const std::string course = node.data(1).GetCourseId();
                if (!classId.empty() || course.empty())
                    continue;
                if (half ? node.GetOddEven(course) != 0 : task->GetCC(course) != nullptr) {
                    classId = id;
                    slot = each;
                    planId = course;
                }
            }
        }
        ASSERT_FALSE(classId.empty());
        Run(0, classId, [&](CWeekTimetableDlg& d) {
            ClickCell(d, slot);
            ASSERT_TRUE(Card(d, planId));
            ASSERT_EQ(Card(d, planId)->mark, CCourseCard::kMarked);
            const CWeekCount before = Card(d, planId)->placed;
            ClickCard(d, planId);
            EXPECT_NE(Card(d, planId)->placed, before) << "the lesson went to the buffer";
            EXPECT_TRUE(TablesConsistent(*task));
            ClickCard(d, planId);
            const auto target = AllowedCell(d, false);
            ASSERT_TRUE(target);
            // A free cell asks how much of a half-week plan goes in: its odd-week half.
            ModalScope lessonCount([](zem::gui::Dialog& dialog) {
                if (auto* count = dynamic_cast<CLessonCountDlg*>(&dialog))
                    count->m_value = 1;
                dialog.EndDialog(zem::IDOK);
            });
            ClickCell(d, *target);
            EXPECT_EQ(Card(d, planId)->placed, before) << "and back";
            EXPECT_TRUE(TablesConsistent(*task));
            ScriptedMessages no({zem::IDNO});
            d.close();
        });
    }
}

TEST_F(WeekTimetableTest, TeacherAndRoomTimetablesHaveNoBuffer)
{
    for (const int kind : {1, 2}) {
        SCOPED_TRACE(kind);
        Run(kind, "", [&](CWeekTimetableDlg& d) {
            CCourseTable& table = *d.GetContainer().GetTable();
            std::optional<tagTABLE_NODE> used;
            for (const tagTABLE_NODE& slot : Slots())
                if (!used && table.IsUsed(slot))
                    used = slot;
            ASSERT_TRUE(used);
            ClickCell(d, *used);
            for (const auto& card : d.GetCardHost().GetView()->GetCards())
                EXPECT_EQ(card->mark, CCourseCard::kNone);
            EXPECT_EQ(d.GetPlanPanel().m_title.rfind("相关教学计划（", 0), 0u) << d.GetPlanPanel().m_title;
            EXPECT_EQ(d.GetHintText(), "提示：在课程上单击鼠标右键转到对应班级课表");
            if (kind == 1) {
                EXPECT_EQ(d.GetInfoText().rfind("周课时数：", 0), 0u);
            }
            EXPECT_FALSE(d.IsModified());
        });
    }
}

TEST_F(WeekTimetableTest, SavedChangesAreWhatTheTaskOpensWith)
{
    std::string shown;
    Run(0, "", [&](CWeekTimetableDlg& d) {
        ASSERT_FALSE(MoveLessonToBuffer(d).empty());
        ScriptedMessages messages;
        QTest::mouseClick(d.GetDlgItem(CWeekTimetableDlg::IDC_SAVE), Qt::LeftButton);
        EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
        EXPECT_FALSE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 255));
        shown = ClassTables(*task, true);
        d.close();
        EXPECT_TRUE(messages.Texts().empty()) << "nothing to ask after a save";
        EXPECT_TRUE(d.IsEnded());
    });
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(TaskFolder() + kDemoName, TaskAccess::ReadOnly));
    EXPECT_TRUE(ClassTables(reopened, false) == shown);
    EXPECT_EQ(task->GetConfig("AdjustmentHistory", "1", "").rfind("周课表手工调课|", 0), 0u);
}

TEST_F(WeekTimetableTest, ClosingWithChangesAsksAndNoGoesBackToTheFiles)
{
    const std::string files = ClassTables(*task, false);
    const std::string output = ReadRaw(task->GetTaskInfo().GetOutputFilePath());
    Run(0, "", [&](CWeekTimetableDlg& d) {
        ASSERT_FALSE(MoveLessonToBuffer(d).empty());
        {
            ScriptedMessages cancel({zem::IDCANCEL});
            d.close();
            ASSERT_EQ(cancel.Texts(), std::vector<std::string>{CWeekTimetableDlg::kCloseQuestion});
            EXPECT_EQ(cancel.messages[0].buttons, zem::MessageButtons::YesNoCancel);
            EXPECT_FALSE(d.IsEnded());
            EXPECT_TRUE(d.IsModified());
        }
        ScriptedMessages no({zem::IDNO});
        d.close();
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_TRUE(ClassTables(*task, true) == files);
    EXPECT_TRUE(ReadRaw(task->GetTaskInfo().GetOutputFilePath()) == output);
}

TEST_F(WeekTimetableTest, AFailedSaveSaysWhyAndKeepsTheChanges)
{
    const std::string files = ClassTables(*task, false);
    const std::string outputPath = task->GetTaskInfo().GetOutputFilePath();
    Run(0, "", [&](CWeekTimetableDlg& d) {
        ASSERT_FALSE(MoveLessonToBuffer(d).empty());
        const std::string changed = ClassTables(*task, true);
        // As a read-only output.xml answers a write.
        const zem::FileWriteFaultHook previous = zem::SetFileWriteFaultHook(
            [&](const std::string& path) { return path == outputPath ? EACCES : 0; });
        {
            // Closing with 是 saves first, and a failed save keeps the window open.
            ScriptedMessages yes({zem::IDYES});
            d.close();
            ASSERT_EQ(yes.Texts().size(), 2u);
            EXPECT_EQ(yes.Texts()[1].rfind(CWeekTimetableDlg::kSaveFailedText, 0), 0u) << yes.Texts()[1];
            EXPECT_FALSE(d.IsEnded());
        }
        ScriptedMessages messages;
        QTest::mouseClick(d.GetDlgItem(CWeekTimetableDlg::IDC_SAVE), Qt::LeftButton);
        zem::SetFileWriteFaultHook(previous);
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_EQ(messages.Texts()[0].rfind(CWeekTimetableDlg::kSaveFailedText, 0), 0u) << messages.Texts()[0];
        EXPECT_NE(messages.Texts()[0].find(outputPath), std::string::npos) << messages.Texts()[0];
        EXPECT_TRUE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 200));
        EXPECT_TRUE(ClassTables(*task, true) == changed) << "the changes are still on the screen";
        EXPECT_TRUE(ClassTables(*task, false) == files) << "the committed tables are still the file's";

        ScriptedMessages no({zem::IDNO});
        d.close();
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_TRUE(ClassTables(*task, true) == files);
}

TEST_F(WeekTimetableTest, ClosingKeepsTheLayoutAndTheLastObject)
{
    struct Case {
        int relate, course;      // stored
        int wantRelate, wantCourse;
    } cases[] = {{0, 0, 350, 148}, {199, 49, 350, 148}, {5000, 169, 350, 148}, {-20, 100000, 350, 148}, {300, 100, 300, 100}};
    const CConfigHost& ini = *CAppContext::Get();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.relate);
        ini.SetConfigInt("Common", "WeekRelateWidth", c.relate);
        ini.SetConfigInt("Common", "WeekCourseHeight", c.course);
        std::string shown;
        Run(1, "", [&](CWeekTimetableDlg& d) {
            EXPECT_EQ(d.GetRelateWidth(), c.wantRelate);
            EXPECT_EQ(d.GetCourseHeight(), c.wantCourse);
            shown = d.GetContainer().GetObjectId();

            d.close();
        });
        EXPECT_EQ(ini.GetConfigInt("Common", "WeekRelateWidth", -1), c.wantRelate);
        EXPECT_EQ(ini.GetConfigInt("Common", "WeekCourseHeight", -1), c.wantCourse);
        EXPECT_EQ(task->GetConfig("WeekTable", "LastView1", ""), shown);
    }
    EXPECT_EQ(task->GetConfig("WeekTable", "LastView0", "none"), "none");

    // Made smaller, the window keeps the panels inside it.
    Run(0, "", [&](CWeekTimetableDlg& d) {
        d.resize(500, 400);
        EXPECT_EQ(d.GetRelateWidth(), 250);
        EXPECT_EQ(d.GetCourseHeight(), 100);
        d.close();
    });

    // Without rooms the window shows no object and remembers none.
    task->GetRoomInfoList().RemoveAll();
    task->MaintainRoomIntegrity(true);
    Run(2, "", [&](CWeekTimetableDlg& d) {
        EXPECT_TRUE(d.GetContainer().GetObjectId().empty());
        d.close();
    });
    EXPECT_EQ(task->GetConfig("WeekTable", "LastView2", "none"), "none");
}

TEST_F(WeekTimetableTest, AnIdThatIsGoneOpensTheFirstScheduledObject)
{
    const std::string teacher = FindFirstScheduledObject(1);
    const struct {
        int kind;
        std::string id;
        std::string want;
    } cases[] = {{0, "no-such-class", FindFirstScheduledObject(0)}, {1, "no-such-teacher", teacher}, {1, teacher, teacher},
                 {2, "", FindFirstScheduledObject(2)}};
    for (const auto& c : cases) {
        CWeekTimetableDlg dialog;
        dialog.SetInitialObject(c.kind, c.id);
        EXPECT_EQ(dialog.GetContainer().GetObjectId(), c.want) << c.id;
        EXPECT_FALSE(c.want.empty());
    }
}

TEST_F(WeekTimetableTest, TheListsThePickerAndTheCompletionViewChooseTheObject)
{
    std::vector<CZemObject*> teachers;
    ListTaskObjects(1, teachers);
    std::vector<CZemObject*> classes;
    ListTaskObjects(0, classes);
    ASSERT_GE(teachers.size(), 3u);
    ASSERT_GE(classes.size(), 2u);
    std::string completionClass;
    Run(1, teachers[0]->GetId(), [&](CWeekTimetableDlg& d) {
        auto* list = d.Item<QComboBox>(CWeekTimetableDlg::IDC_TEACHER_LIST);
        EXPECT_TRUE(list->isVisibleTo(&d));
        EXPECT_FALSE(d.GetDlgItem(CWeekTimetableDlg::IDC_CLASS_LIST)->isVisibleTo(&d));
        EXPECT_EQ(static_cast<CZemObject*>(reinterpret_cast<void*>(list->currentData().value<qulonglong>())), teachers[0]);

        // A teacher chosen in the list.
        for (int i = 0; i < list->count(); ++i)
            if (reinterpret_cast<void*>(list->itemData(i).value<qulonglong>()) == teachers[1]) {
                list->setCurrentIndex(i);
                emit list->activated(i);
            }
        EXPECT_EQ(d.GetContainer().GetObjectId(), teachers[1]->GetId());
        EXPECT_EQ(d.GetObjectName(), teachers[1]->GetName());

        // One chosen in the picker.
        {
            ModalScope picker([&](zem::gui::Dialog& shown) {
                auto* p = dynamic_cast<CTeacherPickerDlg*>(&shown);
                ASSERT_TRUE(p);
                p->GetList()->SetSelected(2, true);
                p->SendCommand(zem::IDOK);
            });
            QTest::mouseClick(d.GetDlgItem(CWeekTimetableDlg::IDC_GOTO), Qt::LeftButton);
        }
        EXPECT_EQ(d.GetContainer().GetKind(), 1);
        EXPECT_NE(d.GetContainer().GetObjectId(), teachers[1]->GetId());

        // A class chosen in the completion view that a click on the progress opens.
        {
            ModalScope completion([&](zem::gui::Dialog& shown) {
                auto* c = dynamic_cast<CScheduleCompletionDlg*>(&shown);
                ASSERT_TRUE(c);
                completionClass = ChooseFirstCompletionClass(*c);
            });
            QTest::mouseClick(&d.GetProgress(), Qt::LeftButton);
        }
        ASSERT_FALSE(completionClass.empty());
        EXPECT_EQ(d.GetContainer().GetKind(), 0);
        EXPECT_EQ(d.GetContainer().GetObjectId(), completionClass);
        EXPECT_TRUE(d.GetDlgItem(CWeekTimetableDlg::IDC_CLASS_LIST)->isVisibleTo(&d));
        EXPECT_EQ(d.GetPlanPanel().m_title.rfind("调课缓冲区 - ", 0), 0u);
    });
}

TEST_F(WeekTimetableTest, ScreenshotsOfClassTeacherAndRoomTimetables)
{
    const char* names[] = {"WeekTimetable.class", "WeekTimetable.teacher", "WeekTimetable.room"};
    for (int kind = 0; kind < 3; ++kind) {
        Run(kind, "", [&](CWeekTimetableDlg& d) {
            EXPECT_TRUE(d.windowState() & Qt::WindowMaximized);
            // The test screen is smaller than an office's: the pictures show a common screen size.
            d.setWindowState(Qt::WindowNoState);
            d.resize(1366, 768);
            EXPECT_FALSE(d.GetObjectName().empty());
            if (kind == 0) {
                // A lesson picked, so that its cards and targets show.
                CCourseTable& table = *d.GetContainer().GetTable();
                for (const tagTABLE_NODE& slot : Slots())
                    if (table.IsUsed(slot)) {
                        ClickCell(d, slot);
                        break;
                    }
            }
            SaveScreenshot(&d, names[kind]);
        });
    }
}

TEST_F(WeekTimetableTest, TheProgramOpensTheWindowFromItsLaunchers)
{
    RegisterProgramFeatures();
    const std::string teacher = FindFirstScheduledObject(1);
    std::vector<std::string> opened;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (auto* week = dynamic_cast<CWeekTimetableDlg*>(&shown)) {
            opened.push_back(std::to_string(week->GetContainer().GetKind()) + " " + week->GetContainer().GetObjectId());
            week->close();
        } else if (auto* report = dynamic_cast<CAutoScheduleReportDlg*>(&shown)) {
            EXPECT_TRUE(report->GetDlgItem(zem::IDOK)->isEnabled()) << "查看课表(&V)";
            report->EndDialog(zem::IDCANCEL);
        }
    });
    ASSERT_TRUE(FeatureWindows().weekTimetable);
    FeatureWindows().weekTimetable(1, teacher);
    EXPECT_EQ(opened, std::vector<std::string>{"1 " + teacher});
    FeatureWindows().scheduleReport("报告", 1);

    // The tool box of page 5 opens the class, teacher and room timetables on the object last shown.
    std::vector<CZemObject*> rooms;
    ListTaskObjects(2, rooms);
    ASSERT_GE(rooms.size(), 2u);
    task->SetConfig("WeekTable", "LastView2", rooms[1]->GetId());
    CPagePanel panel;
    panel.Create(nullptr);
    panel.resize(1200, 700);
    panel.AddTaskPages();
    panel.GetPageHeader().SelectPage(4);
    opened.clear();
    for (const int code : {30, 31, 32}) {
        EXPECT_TRUE(CPagePanel::IsActionAvailable(code)) << code;
        panel.OnToolboxAction(code);
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"0 " + FindFirstScheduledObject(0), "1 " + teacher,
                                                "2 " + rooms[1]->GetId()}));
}

// ---- Options, keys, print and export ----

// What a print or export command showed: the chooser and the groups the preview was given.
struct OutputJob {
    std::string caption;
    std::string okText;
    std::vector<std::string> listed;
    bool previewed = false;
    std::vector<std::pair<std::string, std::vector<std::string>>> groups;  // name: the tables' names
};

class WeekWindowCommands : public WeekTimetableTest {
protected:
    // Clicks the button and chooses the command from the menu it drops; the items it offered.
    static std::vector<zem::gui::MenuItem> ChooseFromMenu(CWeekTimetableDlg& d, int button, int command)
    {
        std::vector<zem::gui::MenuItem> offered;
        const zem::gui::PopupMenuHook previous =
            zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
                offered = items;
                return command;
            });
        QTest::mouseClick(d.GetDlgItem(button), Qt::LeftButton);
        zem::gui::SetPopupMenuHook(previous);
        return offered;
    }
    // A print or export command of the button's menu, with `choose` working the chooser.
    static OutputJob RunOutput(CWeekTimetableDlg& d, int button, int command,
                               const std::function<void(CMultiSelectDlg&, zem::gui::ItemList&)>& choose)
    {
        OutputJob job;
        ModalScope nested([&](zem::gui::Dialog& shown) {
            if (auto* chooser = dynamic_cast<CMultiSelectDlg*>(&shown)) {
                auto& list = *chooser->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
                job.caption = chooser->Caption();
                job.okText = chooser->GetDlgItemText(zem::IDOK);
                job.listed = Listed(list);
                choose(*chooser, list);
            } else if (auto* preview = dynamic_cast<CPrintPreviewDlg*>(&shown)) {
                job.previewed = true;
                for (const auto& group : d.GetGroups()) {
                    std::vector<std::string> names;
                    for (const auto& item : group->items)
                        names.push_back(item->GetName());
                    job.groups.emplace_back(group->name, names);
                }
                QTest::mouseClick(preview->GetDlgItem(CPrintPreviewDlg::ID_CLOSE), Qt::LeftButton);
            }
        });
        ChooseFromMenu(d, button, command);
        return job;
    }
    static void Accept(CMultiSelectDlg& chooser, zem::gui::ItemList&) { chooser.SendCommand(zem::IDOK); }
    static void Cancel(CMultiSelectDlg& chooser, zem::gui::ItemList&) { chooser.EndDialog(zem::IDCANCEL); }

    static const zem::gui::MenuItem* FindItem(const std::vector<zem::gui::MenuItem>& items, int id)
    {
        for (const zem::gui::MenuItem& item : items) {
            if (item.id == id && item.children.empty())
                return &item;
            if (const zem::gui::MenuItem* inner = FindItem(item.children, id))
                return inner;
        }
        return nullptr;
    }
    int CountCells(CWeekTimetableDlg& d, const std::function<bool(const CCell&)>& counts) const
    {
        int n = 0;
        for (const tagTABLE_NODE& slot : Slots())
            if (const CCell* cell = Grid(d).GetCell(d.GetContainer().ToGridNode(slot)))
                n += counts(*cell) ? 1 : 0;
        return n;
    }
    int TagCount(CWeekTimetableDlg& d, int tag) const
    {
        return CountCells(d, [tag](const CCell& cell) { return cell.GetTag() == tag; });
    }
    std::string CellTexts(CWeekTimetableDlg& d) const
    {
        std::string texts;
        for (const tagTABLE_NODE& slot : Slots())
            if (const CCell* cell = Grid(d).GetCell(d.GetContainer().ToGridNode(slot)))
                texts += cell->GetInfo() + "|";
        return texts;
    }
    // Goes through the shown kind's list until the grid shows a cell with the tag.
    bool ShowObjectWithTag(CWeekTimetableDlg& d, int listId, int tag) const
    {
        auto* list = d.Item<QComboBox>(listId);
        for (int i = 0; i < list->count() && TagCount(d, tag) == 0; ++i) {
            list->setCurrentIndex(i);
            emit list->activated(i);
        }
        return TagCount(d, tag) > 0;
    }
    std::string Ini(const char* section, const char* key) const
    {
        return zem::GetProfileString(IniPath(), section, key);
    }
};

TEST_F(WeekWindowCommands, EachOptionWritesItsSettingAtOnceAndTheWindowFollows)
{
    CAppContext& context = *CAppContext::Get();
    using Setter = bool (CAppContext::*)(bool);
    for (Setter set : std::initializer_list<Setter>{&CAppContext::SetShowTagLocked, &CAppContext::SetShowTagLinked,
                       &CAppContext::SetShowTagDisabled, &CAppContext::SetShowRoomNumber,
                       &CAppContext::SetShowTeacherByGroup, &CAppContext::SetAutoShowDistribution})
        (context.*set)(true);
    context.SetBackground(1);
    // A class's fixed time without its activity is closed, not shown as the activity.
    for (const auto& [id, fixed] : task->GetFixedTimeOfClassList())
        static_cast<CFixedTimeOfObject*>(fixed)->GetActivities() = CActivities();
    struct Toggle {
        int id;
        int kind;      // the window's kind
        int tag;       // a cell mark the option shows, or -1
        const char* section;
        const char* key;
        std::function<int()> setting;
        std::function<std::string(CWeekTimetableDlg&)> look;  // what the option changes on the screen
    };
    const auto background = [](CWeekTimetableDlg& d) {
        const zem::Rect grid = WidgetRect(&d.GetContainer());
        return std::to_string(Snapshot(&d).pixel(grid.left - 20, grid.top + 20) == qRgb(129, 129, 129));
    };
    const Toggle toggles[] = {
        {CWeekTimetableDlg::ID_BACKGROUND_PLAIN, 0, -1, "WeekTable", "Background",
         [&] { return context.GetBackground(); }, background},
        {CWeekTimetableDlg::ID_SHOW_DISTRIBUTION, 0, -1, "WeekTable", "AutoShowDistribution",
         [&] { return int(context.GetAutoShowDistribution()); }, nullptr},
        {CWeekTimetableDlg::ID_PLAY_SOUND, 0, -1, "WeekTable", "PlaySoundInMoving",
         [&] { return int(context.GetPlaySoundInMoving()); },
         [](CWeekTimetableDlg& d) { return std::to_string(Grid(d).IsPlaySoundInMoving()); }},
        {CWeekTimetableDlg::ID_TAG_LOCKED, 0, CELL_TAG_LOCKED, "WeekTable", "ShowTagLocked",
         [&] { return int(context.GetShowTagLocked()); },
         [&](CWeekTimetableDlg& d) { return std::to_string(TagCount(d, CELL_TAG_LOCKED)); }},
        {CWeekTimetableDlg::ID_TAG_LINKED, 0, CELL_TAG_LINKED, "WeekTable", "ShowTagLinked",
         [&] { return int(context.GetShowTagLinked()); },
         [&](CWeekTimetableDlg& d) { return std::to_string(TagCount(d, CELL_TAG_LINKED)); }},
        {CWeekTimetableDlg::ID_TAG_DISABLED, 0, CELL_TAG_DISABLED, "WeekTable", "ShowTagDisabled",
         [&] { return int(context.GetShowTagDisabled()); },
         [&](CWeekTimetableDlg& d) { return std::to_string(TagCount(d, CELL_TAG_DISABLED)); }},
        {CWeekTimetableDlg::ID_ROOM_NUMBER, 2, -1, "Common", "ShowRoomNumber",
         [&] { return int(context.GetShowRoomNumber()); }, [&](CWeekTimetableDlg& d) { return CellTexts(d); }},
        {CWeekTimetableDlg::ID_TEACHER_BY_GROUP, 1, -1, "Common", "ShowTeacherByGroup",
         [&] { return int(context.GetShowTeacherByGroup()); },
         [](CWeekTimetableDlg& d) {
             auto* list = d.Item<QComboBox>(CWeekTimetableDlg::IDC_TEACHER_LIST);
             return std::to_string(list->count()) + " " + list->currentText().toStdString();
         }},
    };
    for (const Toggle& toggle : toggles) {
        SCOPED_TRACE(toggle.key);
        // A shared room: its seat numbers show in its cells.
        const std::string id = toggle.kind == 2 ? task->GetRoomInfoList().FindByName("化学实验室")->GetId() : "";
        Run(toggle.kind, id, [&](CWeekTimetableDlg& d) {
            if (toggle.tag >= 0) {
                ASSERT_TRUE(ShowObjectWithTag(d, CWeekTimetableDlg::IDC_CLASS_LIST + toggle.kind, toggle.tag));
            }
            const int before = toggle.setting();
            const std::string shown = toggle.look ? toggle.look(d) : "";
            const auto menu = ChooseFromMenu(d, CWeekTimetableDlg::IDC_OPTIONS, toggle.id);
            const zem::gui::MenuItem* item = FindItem(menu, toggle.id);
            ASSERT_TRUE(item);
            EXPECT_EQ(item->checked, toggle.id == CWeekTimetableDlg::ID_BACKGROUND_PLAIN ? before == 0 : before == 1);
            EXPECT_NE(toggle.setting(), before);
            EXPECT_EQ(Ini(toggle.section, toggle.key), std::to_string(toggle.setting())) << "written at once";
            if (toggle.look) {
                EXPECT_TRUE(toggle.look(d) != shown) << "the window shows the option";
            }
            if (toggle.id == CWeekTimetableDlg::ID_TEACHER_BY_GROUP) {
                EXPECT_EQ(d.Item<QComboBox>(CWeekTimetableDlg::IDC_TEACHER_LIST)->currentText().toStdString(),
                          d.GetObjectName())
                    << "the current teacher is chosen again";
            }
            // Back again: the same menu item, now the other way.
            const auto again = ChooseFromMenu(d, CWeekTimetableDlg::IDC_OPTIONS,
                                              toggle.id == CWeekTimetableDlg::ID_BACKGROUND_PLAIN
                                                  ? CWeekTimetableDlg::ID_BACKGROUND_STARRY
                                                  : toggle.id);
            EXPECT_EQ(toggle.setting(), before);
            if (toggle.look) {
                EXPECT_TRUE(toggle.look(d) == shown) << "the window shows the option";
            }
        });
    }
    // Teacher grouping is offered only in a teacher timetable.
    for (const int kind : {0, 2}) {
        Run(kind, "", [&](CWeekTimetableDlg& d) {
            const auto menu = ChooseFromMenu(d, CWeekTimetableDlg::IDC_OPTIONS, 0);
            EXPECT_FALSE(FindItem(menu, CWeekTimetableDlg::ID_TEACHER_BY_GROUP));
            EXPECT_TRUE(FindItem(menu, CWeekTimetableDlg::ID_ROOM_NUMBER));
        });
    }
}

TEST_F(WeekWindowCommands, KeysUndoRedoShowTheHistorySwitchTheStyleAndClearTheMarks)
{
    CAppContext::Get()->SetColorTable(false);
    const std::string files = ClassTables(*task, true);
    Run(0, "", [&](CWeekTimetableDlg& d) {
        const auto undoable = [&] {
            const auto menu = d.BuildOptionsMenu();
            return std::make_pair(FindItem(menu, CWeekTimetableDlg::ID_UNDO)->enabled,
                                  FindItem(menu, CWeekTimetableDlg::ID_REDO)->enabled);
        };
        EXPECT_EQ(undoable(), std::make_pair(false, false));
        ASSERT_FALSE(MoveLessonToBuffer(d).empty());
        const std::string moved = ClassTables(*task, true);
        EXPECT_EQ(undoable(), std::make_pair(true, false));
        QTest::keyClick(&d, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(ClassTables(*task, true) == files);
        EXPECT_EQ(undoable(), std::make_pair(false, true));
        QTest::keyClick(&d, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_TRUE(ClassTables(*task, true) == moved);
        // The menu's commands are the keys'.
        ChooseFromMenu(d, CWeekTimetableDlg::IDC_OPTIONS, CWeekTimetableDlg::ID_UNDO);
        EXPECT_TRUE(ClassTables(*task, true) == files);
        ChooseFromMenu(d, CWeekTimetableDlg::IDC_OPTIONS, CWeekTimetableDlg::ID_REDO);
        EXPECT_TRUE(ClassTables(*task, true) == moved);

        ASSERT_TRUE(d.GetContainer().GetHistoryWindow());
        EXPECT_FALSE(d.GetContainer().GetHistoryWindow()->isVisible());
        QTest::keyClick(&d, Qt::Key_H, Qt::ControlModifier);
        EXPECT_TRUE(d.GetContainer().GetHistoryWindow()->isVisible());
        d.GetContainer().GetHistoryWindow()->hide();

        // Ctrl+T: the flat style becomes the coloured one, with the subjects' colours, and back.
        const auto coloured = [&] {
            return CountCells(d, [](const CCell& c) {
                return c.GetCustomBkColor() != 0 && c.BackgroundColor() == c.GetCustomBkColor();
            });
        };
        EXPECT_EQ(coloured(), 0);
        QTest::keyClick(&d, Qt::Key_T, Qt::ControlModifier);
        EXPECT_TRUE(CAppContext::Get()->GetColorTable());
        EXPECT_EQ(Ini("WeekTable", "ColorTable"), "1");
        EXPECT_TRUE(Grid(d).IsColorMode());
        EXPECT_GT(coloured(), 0);
        EXPECT_EQ(d.GetHintText().find("绿色"), std::string::npos) << d.GetHintText();
        QTest::keyClick(&d, Qt::Key_T, Qt::ControlModifier);
        EXPECT_FALSE(CAppContext::Get()->GetColorTable());
        EXPECT_EQ(Ini("WeekTable", "ColorTable"), "0");
        EXPECT_FALSE(Grid(d).IsColorMode());
        EXPECT_EQ(coloured(), 0);

        // Escape clears what a pick marked and leaves the window open.
        CCourseTable& table = *d.GetContainer().GetTable();
        for (const tagTABLE_NODE& slot : Slots())
            if (table.IsUsed(slot)) {
                ClickCell(d, slot);
                break;
            }
        const auto marked = [&] {
            int n = CountCells(d, [](const CCell& c) { return c.GetState() != CCell::STATE_NORMAL; });
            for (const auto& card : d.GetCardHost().GetView()->GetCards())
                n += card->mark != CCourseCard::kNone ? 1 : 0;
            return n;
        };
        ASSERT_GT(marked(), 0);
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_EQ(marked(), 0);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_TRUE(ClassTables(*task, true) == moved) << "Escape changes no lesson";

        ScriptedMessages no({zem::IDNO});
        d.close();
        EXPECT_EQ(no.Texts(), std::vector<std::string>{CWeekTimetableDlg::kCloseQuestion});
        EXPECT_TRUE(d.IsEnded());
    });
}

TEST_F(WeekWindowCommands, ExportsNameTheGroupAfterItsOneTableOrAfterTheKind)
{
    // A name that cannot name a file as it stands.
    const std::string classId = FindFirstScheduledObject(0);
    CZemObject* cls = task->GetClassInfoList().Find(classId);
    cls->SetName("高一/1班");
    task->GetClassInfoList().Modify(cls);
    Run(0, classId, [&](CWeekTimetableDlg& d) {
        // Each button drops its own half of the commands.
        const auto exports = ChooseFromMenu(d, CWeekTimetableDlg::IDC_EXPORT, 0);
        const auto prints = ChooseFromMenu(d, CWeekTimetableDlg::IDC_PRINT, 0);
        ASSERT_EQ(exports.size(), 5u);
        ASSERT_EQ(prints.size(), 5u);
        for (int kind = 0; kind < 5; ++kind) {
            EXPECT_EQ(exports[kind].id, CWeekTimetableDlg::kExportIds[kind]);
            EXPECT_EQ(exports[kind].text.rfind("导出", 0), 0u);
            EXPECT_EQ(prints[kind].id, CWeekTimetableDlg::kPrintIds[kind]);
            EXPECT_EQ(prints[kind].text.rfind("打印", 0), 0u);
        }
        EXPECT_EQ(exports[3].text, "导出教室和场地课表");

        const OutputJob one = RunOutput(d, CWeekTimetableDlg::IDC_EXPORT, 32837, [&](CMultiSelectDlg& c, auto& list) {
            EXPECT_EQ(c.GetCheckedSet(), std::set<std::string>{classId}) << "the window's class is ticked";
            Accept(c, list);
        });
        EXPECT_EQ(one.caption, "选择要导出的班级课表");
        EXPECT_EQ(one.okText, "导出");
        using Groups = std::vector<std::pair<std::string, std::vector<std::string>>>;
        EXPECT_EQ(one.groups, (Groups{{"高一-1班", {"高一/1班"}}}));

        const OutputJob two = RunOutput(d, CWeekTimetableDlg::IDC_EXPORT, 32837, [&](CMultiSelectDlg& c, auto& list) {
            ClickCheck(list, list.GetItemText(0) == "高一/1班" ? 1 : 0);
            Accept(c, list);
        });
        ASSERT_EQ(two.groups.size(), 1u);
        EXPECT_EQ(two.groups[0].first, "班级课表");
        EXPECT_EQ(two.groups[0].second.size(), 2u);

        // Another kind than the window's: every teacher starts ticked; printing makes one unnamed group.
        const std::size_t teachers = task->GetTeacherInfoList().GetCount();
        const OutputJob print = RunOutput(d, CWeekTimetableDlg::IDC_PRINT, 32848, [&](CMultiSelectDlg& c, auto& list) {
            EXPECT_EQ(c.GetCheckedSet().size(), teachers);
            Accept(c, list);
        });
        EXPECT_EQ(print.caption, "选择要打印的教师课表");
        EXPECT_EQ(print.okText, "打印");
        ASSERT_EQ(print.groups.size(), 1u);
        EXPECT_EQ(print.groups[0].first, "");
        EXPECT_EQ(print.groups[0].second.size(), teachers);

        const OutputJob cancelled = RunOutput(d, CWeekTimetableDlg::IDC_EXPORT, 32846, Cancel);
        EXPECT_EQ(cancelled.caption, "选择要导出的教室课表");
        EXPECT_FALSE(cancelled.previewed);
        EXPECT_TRUE(d.GetGroups().empty());
    });
}

TEST_F(WeekWindowCommands, TeacherGroupsWithoutTeachersAreNotExported)
{
    CZemObjectList& groups = task->GetTeacherGroupInfoList();
    for (const auto& [name, member] : {std::pair<const char*, const char*>{"空教研组", nullptr}, {"旧教研组", "gone"}}) {
        auto* group = new CTeacherGroupInfo;
        group->SetId(std::string("g-") + name);
        group->SetName(name);
        group->SetIndex(groups.GetCount());
        if (member)
            group->AddTeacher(member);
        groups.Add(group);
    }
    std::vector<std::pair<std::string, std::vector<std::string>>> expected;
    std::vector<CZemObject*> ordered;
    MapToOrderedList(groups, ordered);
    for (CZemObject* object : ordered) {
        std::vector<std::string> names;
        for (const std::string& id : static_cast<CTeacherGroupInfo*>(object)->GetTeacherArray())
            if (CTeacherInfo* teacher = task->GetTeacher(id))
                names.push_back(teacher->GetName());
        if (!names.empty())
            expected.emplace_back("教师组课表 " + object->GetName(), names);
    }
    ASSERT_GE(expected.size(), 2u);
    Run(1, "", [&](CWeekTimetableDlg& d) {
        const OutputJob job = RunOutput(d, CWeekTimetableDlg::IDC_EXPORT, 32845, [&](CMultiSelectDlg& c, auto& list) {
            EXPECT_EQ(c.GetCheckedSet().size(), groups.GetCount());
            Accept(c, list);
        });
        EXPECT_EQ(job.caption, "选择要导出的教师组课表");
        EXPECT_EQ(job.groups, expected);
    });
}

TEST_F(WeekWindowCommands, ChangedTablesAreThoseOfThisWindowAlsoAfterASave)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        const OutputJob opened = RunOutput(d, CWeekTimetableDlg::IDC_PRINT, 32851, Cancel);
        EXPECT_EQ(opened.caption, "选择要打印的变动课表");
        EXPECT_TRUE(opened.listed.empty()) << opened.listed.front();

        // A swap of two lessons of the grid.
        CCourseTable& table = *d.GetContainer().GetTable();
        const auto swap = PickSwap(d, true);
        ASSERT_TRUE(swap);
        std::set<std::string> involved = {d.GetObjectName()};
        for (const tagTABLE_NODE& cell : {swap->first, swap->second})
            for (const int half : {1, 2}) {
                CCourseInfo* plan = CTaskHelper(task).FindCourse(table.GetNode(cell).data(half).GetCourseId());
                if (!plan)
                    continue;
                std::vector<std::string> ids;
                task->GetAllTeacherId(ids, plan, true);
                CollectCombinedClassIds(ids, plan, task);
                for (const std::string& id : ids)
                    if (CZemTableObject* object = CTaskHelper(task).FindObject(id, -1))
                        involved.insert(object->GetName());
            }
        ClickCell(d, swap->second);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Grid(d).IsMoving(); }));
        ASSERT_TRUE(d.IsModified());
        const OutputJob changed = RunOutput(d, CWeekTimetableDlg::IDC_PRINT, 32851, Cancel);
        const std::set<std::string> listed(changed.listed.begin(), changed.listed.end());
        for (const std::string& name : involved)
            EXPECT_TRUE(listed.count(name)) << name;

        // A finished print or export offers to save; 是 saves.
        {
            ScriptedMessages yes({zem::IDYES});
            d.AfterPreview(true);
            EXPECT_EQ(yes.Texts(), std::vector<std::string>{CWeekTimetableDlg::kSaveAfterOutputQuestion});
            EXPECT_FALSE(d.IsModified());
        }
        const OutputJob saved = RunOutput(d, CWeekTimetableDlg::IDC_PRINT, 32851, Cancel);
        EXPECT_EQ(saved.listed, changed.listed) << "a save does not forget what changed";
        {
            ScriptedMessages none;
            d.AfterPreview(true);
            EXPECT_TRUE(none.Texts().empty()) << "nothing to save";
        }
        // What is chosen is printed from the task's tables.
        const OutputJob print = RunOutput(d, CWeekTimetableDlg::IDC_PRINT, 32851, Accept);
        ASSERT_EQ(print.groups.size(), 1u);
        EXPECT_EQ(print.groups[0].second.size(), changed.listed.size());
    });
}

TEST_F(WeekWindowCommands, TheFontCommandEditsTheWindowsFontsAsTheyChange)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        ModalScope nested([&](zem::gui::Dialog& shown) {
            auto* fonts = dynamic_cast<CTableFontDlg*>(&shown);
            ASSERT_TRUE(fonts);
            auto* sizes = fonts->Item<QComboBox>(CTableFontDlg::IDC_TITLE_SIZE);
            const int index = sizes->findText("20");
            sizes->setCurrentIndex(index);
            emit sizes->activated(index);
            // The grid has the new size while the dialog is still open.
            LOGFONTA shownFont{};
            LOGFONTA wanted{};
            Grid(d).GetFont(&shownFont);
            MakeLogFont(&fonts->GetWorkingFonts().main, &wanted);
            EXPECT_EQ(shownFont.height, wanted.height);
            fonts->close();
        });
        ChooseFromMenu(d, CWeekTimetableDlg::IDC_OPTIONS, CWeekTimetableDlg::ID_TABLE_FONT);
        EXPECT_EQ(CAppContext::Get()->GetTableFont(0).main.size, 20) << "the week window's record";
        EXPECT_EQ(Ini("TableFont", "0_Size"), "20");
    });
}

TEST_F(WeekWindowCommands, TheWheelOutsideThePanelsStepsThroughTheObjects)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        auto* list = d.Item<QComboBox>(CWeekTimetableDlg::IDC_CLASS_LIST);
        list->setCurrentIndex(0);
        emit list->activated(0);
        const auto wheel = [&](int delta) {
            const QPoint at(WidgetRect(&d.GetContainer()).left - 20, 60);
            QWheelEvent event(at, d.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&d, &event);
        };
        wheel(-120);
        EXPECT_EQ(list->currentIndex(), 1);
        EXPECT_EQ(d.GetObjectName(), list->currentText().toStdString());
        wheel(120);
        wheel(120);  // the first object stays
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(d.GetObjectName(), list->currentText().toStdString());
    });
}

TEST_F(WeekWindowCommands, ScreenshotOfTheOptionsMenu)
{
    Run(1, "", [&](CWeekTimetableDlg& d) {
        d.setWindowState(Qt::WindowNoState);
        d.resize(1366, 768);
        QImage picture = Snapshot(&d);
        std::unique_ptr<QMenu> menu(zem::gui::CreatePopupMenu(nullptr, d.BuildOptionsMenu()));
        menu->adjustSize();
        const QImage shown = menu->grab().toImage();
        const zem::Rect button = WidgetRect(d.GetDlgItem(CWeekTimetableDlg::IDC_OPTIONS));
        QPainter painter(&picture);
        painter.drawImage(QPoint(button.left, button.bottom), shown);
        painter.end();
        EXPECT_GT(shown.height(), 200) << "every item of the menu shows";
        SavePicture(picture, "WeekTimetable.options.png");
    });
}

// ---- The week-table pane ----

class PaneOwner : public QWidget, public zem::gui::MessageReceiver {
public:
    std::vector<std::pair<zem::WPARAM, std::string>> changes;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        if (message == WM_WEEKTABLE_CHANGED)
            changes.emplace_back(wParam, *zem::FromLParam<std::string>(lParam));
        return 0;
    }
};

TEST_F(WeekTimetableTest, APaneShowsAnObjectAndTellsItsOwnerOfAnotherOne)
{
    CTaskHelper(task).RestoreTempTables();  // as the owner does when it opens
    PaneOwner owner;
    owner.resize(700, 500);
    owner.show();
    CWeekTableWnd pane;
    pane.Create(&owner, 3, task);
    pane.setGeometry(0, 0, 700, 500);
    int kind = -1;
    std::string id;
    pane.GetCurrentObject(kind, id);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(id, pane.GetContainer().GetObjectId());
    EXPECT_FALSE(id.empty());
    EXPECT_EQ(pane.GetInfoText().rfind("班主任：", 0), 0u);

    const std::string teacher = FindFirstScheduledObject(1);
    pane.SetObjects(1, teacher);
    EXPECT_EQ(pane.GetKindChooser()->currentText().toStdString(), "教师课表");
    EXPECT_EQ(pane.GetContainer().GetObjectId(), teacher);
    EXPECT_EQ(pane.GetInfoText(),
              "周课时数：" + CTaskHelper(task).GetWeekCount(&task->GetTeacher(teacher)->GetTable(true)).ToString());
    EXPECT_NE(pane.GetInfoText(), "周课时数：0");
    EXPECT_TRUE(owner.changes.empty()) << "the pane's own choices are no news to the owner";

    // The container goes to a class of the teacher's, as its menu does.
    const std::string cls = FindFirstScheduledObject(0);
    pane.GetContainer().SetObject(0, cls);
    pane.GetContainer().ShowObject();
    ASSERT_EQ(owner.changes.size(), 1u);
    EXPECT_EQ(owner.changes[0], std::make_pair(zem::WPARAM(3), cls));
    EXPECT_EQ(pane.GetKindChooser()->currentIndex(), 0) << "the choosers follow";
    SaveScreenshot(&owner, "WeekTableWnd");
}

// A kind without objects empties the pane: the last table must not stand under the new kind's name,
// nor stay in use once its object may be gone.
TEST_F(WeekTimetableTest, APaneOnAKindWithoutObjectsShowsNoTable)
{
    task->GetRoomInfoList().RemoveAll();
    task->MaintainRoomIntegrity(true);
    PaneOwner owner;
    CWeekTableWnd pane;
    pane.Create(&owner, 0, task);
    pane.SetObjects(0, FindFirstScheduledObject(0));
    ASSERT_NE(pane.GetContainer().GetTable(), nullptr);

    pane.GetKindChooser()->setCurrentIndex(TABLE_ROOM);
    emit pane.GetKindChooser()->activated(TABLE_ROOM);
    int kind = -1;
    std::string id = "?";
    pane.GetCurrentObject(kind, id);
    EXPECT_EQ(kind, TABLE_ROOM);
    EXPECT_EQ(id, "");
    EXPECT_EQ(pane.GetContainer().GetTable(), nullptr);
    EXPECT_EQ(pane.GetInfoText(), "");
    int filled = 0;
    ForEachSlot(task->GetSchoolStructure(), [&](const tagTABLE_NODE& slot) {
        std::string text;
        pane.GetContainer().GetGrid().GetCellInfo(pane.GetContainer().ToGridNode(slot), &text);
        filled += text == "0" ? 0 : 1;  // the cell's entry count leads its text
    });
    EXPECT_EQ(filled, 0);
}

}  // namespace
