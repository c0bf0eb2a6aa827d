// The week timetable window on the demo task after a run, worked as a user would: lessons go to
// the plan cards and back with their slides, saving and discarding reach the files, closing keeps
// the layout and the last object, and a failed save says so. Also the week-table pane.

// Before Qt, which takes the word "slots".
#include "support/EngineRun.h"

#include "support/ScheduledDemo.h"

#include "app/controls/HoverButton.h"
#include "app/shared/ObjectLists.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shell/AutoScheduleReportDlg.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ProgramFeatures.h"
#include "app/shell/ScheduleCompletionDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/SchoolStructure.h"
#include "app/timetable/LessonCountDlg.h"
#include "app/timetable/WeekTableWnd.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/QtText.h"
#include "support/MessageRecorder.h"
#include "support/TableConsistency.h"
#include "table/TableItem.h"

#include <QComboBox>
#include <QTimer>
#include <QTest>

#include <filesystem>
#include <optional>

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

TEST_F(WeekTimetableTest, ClosingDuringASwapOfTheGridKeepsTheWindowOpen)
{
    Run(0, "", [&](CWeekTimetableDlg& d) {
        CCourseTable& table = *d.GetContainer().GetTable();
        for (const tagTABLE_NODE& slot : Slots()) {
            if (!table.IsUsed(slot))
                continue;
            ClickCell(d, slot);
            std::optional<tagTABLE_NODE> target;
            for (const tagTABLE_NODE& each : Slots()) {
                const CCell* cell = Grid(d).GetCell(d.GetContainer().ToGridNode(each));
                if (!target && cell && cell->GetState() == CCell::STATE_FRIEND)
                    target = each;
            }
            if (!target) {
                ClickCell(d, slot);
                continue;
            }
            bool closedWhileSliding = false;
            QTimer::singleShot(0, &d, [&] {
                if (!Grid(d).IsMoving())
                    return;
                closedWhileSliding = true;
                d.close();
            });
            ClickCell(d, *target);
            QCoreApplication::processEvents();
            EXPECT_TRUE(closedWhileSliding);
            EXPECT_FALSE(d.IsEnded()) << "the swap would be lost unasked";
            EXPECT_TRUE(d.IsModified());
            ScriptedMessages no({zem::IDNO});
            d.close();
            EXPECT_TRUE(d.IsEnded());
            return;
        }
        ADD_FAILURE() << "no lesson could be picked";
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
