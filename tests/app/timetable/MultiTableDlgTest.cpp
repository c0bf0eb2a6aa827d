// The multi-timetable window on the demo task after a run: which objects the panes show and keep,
// a change in one pane reaching the others, saving, and closing with unsaved changes.

// Before Qt, which takes the word "slots".
#include "support/EngineRun.h"

#include "support/ScheduledDemo.h"

#include "app/controls/HoverButton.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ProgramFeatures.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/MultiTableDlg.h"
#include "app/timetable/WeekTableWnd.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "base/ScheduleTask.h"
#include "base/SchoolStructure.h"
#include "platform/Files.h"
#include "platform/gui/Desktop.h"
#include "support/MessageRecorder.h"
#include "support/TableConsistency.h"

#include <QComboBox>
#include <QTest>

#include <filesystem>
#include <optional>
#include <ostream>

// Failures name the pane entries.
void PrintTo(const CMultiTableDlg::PaneEntry& entry, std::ostream* out) { *out << entry.kind << "," << entry.id; }

namespace {

constexpr const char* kSection = CMultiTableDlg::kSection;

using Entry = CMultiTableDlg::PaneEntry;

class MultiTableTest : public ScheduledDemoTest {
protected:
    // One run of the engine on the demo task serves every test, each on its own copy.
    static void SetUpTestSuite() { MakeTemplate(TemplateFolder("MultiTableDemo")); }
    static void TearDownTestSuite() { std::filesystem::remove_all(TemplateFolder("MultiTableDemo")); }

    void SetUp() override
    {
        OpenCopyOf(TemplateFolder("MultiTableDemo"));
        for (int kind = 0; kind < 3; ++kind)
            ListTaskObjects(kind, objects[kind]);
    }
    std::string Id(int kind, std::size_t index) const { return objects[kind].at(index)->GetId(); }

    // Stores the pane entries as the window keeps them.
    void Store(int viewType, const std::vector<std::string>& entries, std::optional<int> count = std::nullopt)
    {
        task->SetConfigInt(kSection, "ViewType", viewType);
        task->SetConfigInt(kSection, "Count", count.value_or(static_cast<int>(entries.size())));
        for (std::size_t i = 0; i < entries.size(); ++i)
            task->SetConfig(kSection, std::to_string(i + 1), entries[i]);
    }

    void Run(const std::function<void(CMultiTableDlg&)>& act)
    {
        CMultiTableDlg dialog;
        RunModal<CMultiTableDlg>(dialog, act);
    }

    static std::vector<Entry> Shown(CMultiTableDlg& d)
    {
        std::vector<Entry> shown;
        for (int i = 0; i < d.GetPaneCount(); ++i) {
            Entry entry;
            d.GetPane(i)->GetCurrentObject(entry.kind, entry.id);
            shown.push_back(entry);
        }
        return shown;
    }
    static void ChooseView(CMultiTableDlg& d, int index)
    {
        auto* view = d.Item<QComboBox>(CMultiTableDlg::IDC_VIEW);
        view->setCurrentIndex(index);
        emit view->activated(index);
    }
    static zem::COLORREF SaveColour(CMultiTableDlg& d)
    {
        return d.Item<CHoverButton>(CMultiTableDlg::IDC_SAVE)->GetBkColor();
    }

    // A lesson of the pane's class that may move, and its place.
    std::optional<std::pair<tagTABLE_NODE, tagTABLE_NODE>> FindSwap(CWeekTableWnd& pane)
    {
        CCourseTable* table = pane.GetContainer().GetTable();
        if (!table)
            return std::nullopt;
        std::vector<tagTABLE_NODE> nodes;
        ForEachSlot(task->GetSchoolStructure(), {.lastSegment = 2}, [&](const tagTABLE_NODE& n) { nodes.push_back(n); });
        CTaskHelper helper(task, AppHelperContext());
        for (const tagTABLE_NODE& from : nodes) {
            if (!table->IsUsed(from) || table->GetNode(from).IsInterleave())
                continue;
            for (const tagTABLE_NODE& to : nodes)
                if (!(to == from) && helper.CanSwap(table, to, from, false))
                    return std::make_pair(from, to);
        }
        return std::nullopt;
    }
    // Moves a lesson of the pane's class as the user does; the teacher of the moved lesson.
    std::string SwapInPane(CWeekTableWnd& pane)
    {
        const auto swap = FindSwap(pane);
        if (!swap) {
            ADD_FAILURE() << "no lesson of " << pane.GetContainer().GetObjectId() << " may move";
            return {};
        }
        CCourseTable& table = *pane.GetContainer().GetTable();
        CCourseInfo* plan = CTaskHelper(task, AppHelperContext()).FindCourse(table.GetNode(swap->first).data(1).GetCourseId());
        CManualScheduleTable& grid = pane.GetContainer().GetGrid();
        grid.SetAnimateMoves(false);
        grid.SimulateToSwapCell(pane.GetContainer().ToGridNode(swap->first), pane.GetContainer().ToGridNode(swap->second));
        return plan ? plan->GetTeacherId() : std::string();
    }
    // What the pane's grid shows, cell by cell.
    std::vector<std::string> GridTexts(CWeekTableWnd& pane)
    {
        std::vector<std::string> texts;
        ForEachSlot(task->GetSchoolStructure(), [&](const tagTABLE_NODE& slot) {
            std::string text;
            pane.GetContainer().GetGrid().GetCellInfo(pane.GetContainer().ToGridNode(slot), &text);
            texts.push_back(text);
        });
        return texts;
    }

    std::vector<CZemObject*> objects[3];
};

TEST_F(MultiTableTest, StoredEntriesThatCannotBeShownAreSkippedAndTheRestFilledUp)
{
    const std::string teacher = Id(1, 2);
    const std::string room = Id(2, 1);
    const std::string cls = Id(0, 3);
    const Entry class0{0, Id(0, 0)}, class1{0, Id(0, 1)}, class2{0, Id(0, 2)};
    struct Case {
        const char* what;
        std::vector<std::string> stored;
        std::optional<int> count;  // stored Count; none: the number of entries
        std::vector<Entry> want;  // of four panes
    } cases[] = {
        {"usable entries come first", {"1," + teacher, "2," + room, "0," + cls}, std::nullopt, {{1, teacher}, {2, room}, {0, cls}, class0}},
        {"a deleted teacher, a leading comma, kind 3 and no number",
         {"1,T-deleted", "," + teacher, "3," + cls, "x," + cls, "-1," + cls, "1 ," + teacher, "2," + room},
         std::nullopt,
         {{2, room}, class0, class1, class2}},
        {"Count above nine is read as nine", {"z", "z", "z", "z", "z", "z", "z", "z", "z", "1," + teacher}, 12,
         {class0, class1, class2, {0, Id(0, 3)}}},
        {"Count below the entries", {"1," + teacher, "2," + room}, 1, {{1, teacher}, class0, class1, class2}},
        {"a negative Count", {"1," + teacher}, -5, {class0, class1, class2, {0, Id(0, 3)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(0, c.stored, c.count);
        EXPECT_EQ(CMultiTableDlg::PaneEntries(*task, 4), c.want);
    }

    // The fill-up runs through classes, then teachers, then rooms.
    Store(0, {});
    const std::size_t classes = objects[0].size();
    const std::vector<Entry> many = CMultiTableDlg::PaneEntries(*task, static_cast<int>(classes) + 2);
    ASSERT_EQ(many.size(), classes + 2);
    EXPECT_EQ(many[classes], (Entry{1, Id(1, 0)}));
    EXPECT_EQ(many[classes + 1], (Entry{1, Id(1, 1)}));

    // A task without classes, teachers or rooms gives no entries at all.
    CScheduleTask empty;
    EXPECT_TRUE(CMultiTableDlg::PaneEntries(empty, 9).empty());
}

TEST_F(MultiTableTest, ThePanesShowTheStoredObjectsAndClosingKeepsThem)
{
    const std::string teacher = Id(1, 0);
    const std::string room = Id(2, 0);
    const struct {
        int viewType;
        int panes, rows, columns;
    } views[] = {{0, 4, 2, 2}, {1, 6, 2, 3}, {2, 6, 3, 2}, {3, 9, 3, 3}, {7, 4, 2, 2}, {-1, 4, 2, 2}};
    for (const auto& v : views) {
        SCOPED_TRACE(v.viewType);
        Store(v.viewType, {"1," + teacher, "2," + room});
        Run([&](CMultiTableDlg& d) {
            ASSERT_EQ(d.GetPaneCount(), v.panes);
            EXPECT_EQ(d.GetRows(), v.rows);
            EXPECT_EQ(d.GetColumns(), v.columns);
            EXPECT_EQ(Shown(d)[0], (Entry{1, teacher}));
            EXPECT_EQ(Shown(d)[1], (Entry{2, room}));
            EXPECT_EQ(Shown(d)[2], (Entry{0, Id(0, 0)}));
            // Panes in row-major order, inside the area below the band.
            const QRect last = d.GetPane(v.panes - 1)->geometry();
            EXPECT_GT(last.left(), d.width() / v.columns * (v.columns - 1));
            EXPECT_GT(last.top(), CMultiTableDlg::kBandHeight + (d.height() - 40) / v.rows * (v.rows - 1));
            EXPECT_LE(last.right(), d.width() - 10);
            EXPECT_TRUE(d.GetProgress().GetText().rfind("已排", 0) == 0) << d.GetProgress().GetText();
            d.GetPane(1)->SetObjects(0, Id(0, 4));
            d.close();
            EXPECT_TRUE(d.IsEnded()) << "nothing changed, nothing asked";
        });
        EXPECT_EQ(task->GetConfigInt(kSection, "Count", -1), v.panes);
        EXPECT_EQ(task->GetConfigInt(kSection, "ViewType", -1), std::clamp(v.viewType, 0, 3) == v.viewType ? v.viewType : 0);
        EXPECT_EQ(task->GetConfig(kSection, "1", ""), "1," + teacher);
        EXPECT_EQ(task->GetConfig(kSection, "2", ""), "0," + Id(0, 4));
        EXPECT_EQ(task->GetConfig(kSection, std::to_string(v.panes), ""), "0," + Id(0, static_cast<std::size_t>(v.panes - 3)));
    }
}

TEST_F(MultiTableTest, FewerPanesKeepTheFirstOnesWithTheirObjects)
{
    Store(3, {});
    Run([&](CMultiTableDlg& d) {
        ASSERT_EQ(d.GetPaneCount(), 9);
        for (int i = 0; i < 9; ++i)
            d.GetPane(i)->SetObjects(1, Id(1, static_cast<std::size_t>(i)));
        std::vector<CWeekTableWnd*> first;
        for (int i = 0; i < 4; ++i)
            first.push_back(d.GetPane(i));
        const std::vector<Entry> shown = Shown(d);

        ChooseView(d, 0);
        ASSERT_EQ(d.GetPaneCount(), 4);
        EXPECT_EQ(d.findChildren<QWidget*>("Zem_WeekTable").size(), 4u) << "panes 5-9 are gone";
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(d.GetPane(i), first[static_cast<std::size_t>(i)]);
        EXPECT_EQ(Shown(d), std::vector<Entry>(shown.begin(), shown.begin() + 4));

        // Back to nine: the new panes take their places' entries, not the first panes' again.
        ChooseView(d, 3);
        ASSERT_EQ(d.GetPaneCount(), 9);
        EXPECT_EQ(d.GetPane(0), first[0]);
        EXPECT_EQ(Shown(d)[4], (Entry{0, Id(0, 4)}));
        d.close();
    });
}

TEST_F(MultiTableTest, AChangeInOnePaneShowsInThePanesOfTheSameTeacher)
{
    Store(3, {"0," + Id(0, 0)});
    Run([&](CMultiTableDlg& d) {
        CWeekTableWnd& classPane = *d.GetPane(0);
        const auto swap = FindSwap(classPane);
        ASSERT_TRUE(swap);
        CCourseTable& table = *classPane.GetContainer().GetTable();
        CCourseInfo* plan = CTaskHelper(task, AppHelperContext()).FindCourse(table.GetNode(swap->first).data(1).GetCourseId());
        ASSERT_TRUE(plan);
        const std::string teacher = plan->GetTeacherId();
        // Two panes show the lesson's teacher, one of them before the swap and one after a pick.
        d.GetPane(4)->SetObjects(1, teacher);
        d.GetPane(8)->SetObjects(1, teacher);
        const std::vector<std::string> before = GridTexts(*d.GetPane(4));
        const std::vector<std::string> other = GridTexts(*d.GetPane(5));
        EXPECT_FALSE(d.IsModified());

        EXPECT_EQ(SwapInPane(classPane), teacher);
        EXPECT_TRUE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 200));
        const std::vector<std::string> after = GridTexts(*d.GetPane(4));
        EXPECT_NE(after, before) << "the teacher's pane shows the moved lesson";
        EXPECT_EQ(GridTexts(*d.GetPane(8)), after);
        // A pane made afresh on the teacher shows the same.
        QWidget host;
        CWeekTableWnd fresh;
        fresh.Create(&host, 0, task);
        fresh.SetObjects(1, teacher);
        EXPECT_EQ(GridTexts(fresh), after);
        EXPECT_EQ(GridTexts(*d.GetPane(5)), other) << "a pane of another class is as it was";
        EXPECT_TRUE(TablesConsistent(*task));

        // A lesson taken out in a pane is recounted in the task's progress.
        const int placed = d.GetProgress().GetPos();
        classPane.GetContainer().SetCurrentSlot(swap->second, 0);
        classPane.GetContainer().ClearCurrent();
        EXPECT_LT(d.GetProgress().GetPos(), placed);
        EXPECT_NE(GridTexts(*d.GetPane(4)), after);
        EXPECT_TRUE(TablesConsistent(*task));

        ScriptedMessages no({zem::IDNO});
        d.close();
    });
}

TEST_F(MultiTableTest, SavedSwapsAreWhatTheTaskOpensWith)
{
    std::string shown;
    std::string teacher;
    std::string cls;
    Run([&](CMultiTableDlg& d) {
        cls = d.GetPane(0)->GetContainer().GetObjectId();
        teacher = SwapInPane(*d.GetPane(0));
        ASSERT_FALSE(teacher.empty());
        SwapInPane(*d.GetPane(1));
        EXPECT_TRUE(TablesConsistent(*task));
        const std::vector<std::string> changed = d.GetChangedTables();
        EXPECT_NE(std::find(changed.begin(), changed.end(), cls), changed.end());
        EXPECT_NE(std::find(changed.begin(), changed.end(), teacher), changed.end());

        ScriptedMessages messages;
        QTest::mouseClick(d.GetDlgItem(CMultiTableDlg::IDC_SAVE), Qt::LeftButton);
        EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
        EXPECT_FALSE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 255));
        EXPECT_TRUE(d.GetChangedTables().empty());
        shown = ClassTables(*task, true);
        // Escape and Enter do not close the window.
        QTest::keyClick(&d, Qt::Key_Escape);
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_FALSE(d.IsEnded());
        d.close();
        EXPECT_TRUE(messages.Texts().empty()) << "nothing to ask after a save";
        EXPECT_TRUE(d.IsEnded());
    });
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(TaskFolder() + kDemoName, TaskAccess::ReadOnly));
    EXPECT_TRUE(ClassTables(reopened, false) == shown);
    EXPECT_TRUE(TablesConsistent(reopened));
    const std::string logged = task->GetConfig("AdjustmentHistory", "1", "");
    EXPECT_EQ(logged.rfind("多课表手工调课|", 0), 0u) << logged;
    EXPECT_NE(logged.find(cls), std::string::npos) << logged;
    EXPECT_NE(logged.find(teacher), std::string::npos) << logged;
}

TEST_F(MultiTableTest, ClosingUnsavedAsksAndNoPutsTheTimetablesBack)
{
    const std::string files = ClassTables(*task, false);
    const std::string outputPath = task->GetTaskInfo().GetOutputFilePath();
    const std::string output = ReadRaw(outputPath);
    Run([&](CMultiTableDlg& d) {
        ASSERT_FALSE(SwapInPane(*d.GetPane(0)).empty());
        const std::string changed = ClassTables(*task, true);
        {
            ScriptedMessages cancel({zem::IDCANCEL});
            d.close();
            ASSERT_EQ(cancel.Texts(), std::vector<std::string>{CWeekTimetableDlg::kCloseQuestion});
            EXPECT_EQ(cancel.messages[0].buttons, zem::MessageButtons::YesNoCancel);
            EXPECT_FALSE(d.IsEnded());
            EXPECT_TRUE(d.IsModified());
        }
        // As a read-only output.xml answers a write.
        const zem::FileWriteFaultHook previous =
            zem::SetFileWriteFaultHook([&](const std::string& path) { return path == outputPath ? EACCES : 0; });
        {
            // 是 saves first, and a failed save keeps the window open.
            ScriptedMessages yes({zem::IDYES});
            d.close();
            ASSERT_EQ(yes.Texts().size(), 2u);
            EXPECT_EQ(yes.Texts()[1].rfind(CWeekTimetableDlg::kSaveFailedText, 0), 0u) << yes.Texts()[1];
            EXPECT_NE(yes.Texts()[1].find(outputPath), std::string::npos) << yes.Texts()[1];
            EXPECT_FALSE(d.IsEnded());
        }
        {
            ScriptedMessages messages;
            QTest::mouseClick(d.GetDlgItem(CMultiTableDlg::IDC_SAVE), Qt::LeftButton);
            ASSERT_EQ(messages.Texts().size(), 1u);
            EXPECT_EQ(messages.Texts()[0].rfind(CWeekTimetableDlg::kSaveFailedText, 0), 0u) << messages.Texts()[0];
        }
        zem::SetFileWriteFaultHook(previous);
        EXPECT_TRUE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 200));
        EXPECT_TRUE(ClassTables(*task, true) == changed) << "the changes are still on the screen";
        EXPECT_TRUE(ClassTables(*task, false) == files) << "the committed tables are still the file's";

        ScriptedMessages no({zem::IDNO});
        d.close();
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_TRUE(WorkingTablesMatchCommitted(*task));
    EXPECT_TRUE(ClassTables(*task, true) == files);
    EXPECT_TRUE(ReadRaw(outputPath) == output);
    EXPECT_EQ(task->GetConfig("AdjustmentHistory", "1", "none"), "none");
}

// The checked state the menu shows for the item, looked up in its sub-menus too.
std::optional<bool> MenuCheck(const std::vector<zem::gui::MenuItem>& items, int id)
{
    for (const zem::gui::MenuItem& item : items) {
        if (item.id == id)
            return item.checked;
        if (auto inner = MenuCheck(item.children, id))
            return inner;
    }
    return std::nullopt;
}

TEST_F(MultiTableTest, EachOptionWritesItsSettingAtOnceAndThePanesFollow)
{
    CAppContext& context = *CAppContext::Get();
    const struct {
        int id;
        const char* section;
        const char* key;
        std::function<int()> value;  // the setting as the program holds it
    } cases[] = {
        {32915, "WeekTable", "ColorTable", [&] { return int(context.GetColorTable()); }},
        {32914, "WeekTable", "ColorTable", [&] { return int(context.GetColorTable()); }},
        {32938, "WeekTable", "Background", [&] { return context.GetBackground(); }},
        {32939, "WeekTable", "Background", [&] { return context.GetBackground(); }},
        {32894, "WeekTable", "AutoShowDistribution", [&] { return int(context.GetAutoShowDistribution()); }},
        {32913, "WeekTable", "PlaySoundInMoving", [&] { return int(context.GetPlaySoundInMoving()); }},
        {32902, "WeekTable", "ShowTagLocked", [&] { return int(context.GetShowTagLocked()); }},
        {32903, "WeekTable", "ShowTagLinked", [&] { return int(context.GetShowTagLinked()); }},
        {32904, "WeekTable", "ShowTagDisabled", [&] { return int(context.GetShowTagDisabled()); }},
        {32925, "Common", "ShowRoomNumber", [&] { return int(context.GetShowRoomNumber()); }},
    };
    Run([&](CMultiTableDlg& d) {
        ASSERT_TRUE(d.IsItemEnabled(CMultiTableDlg::IDC_OPTIONS));
        for (const auto& c : cases) {
            SCOPED_TRACE(c.id);
            const int before = c.value();
            std::vector<zem::gui::MenuItem> shown;
            const zem::gui::PopupMenuHook previous = zem::gui::SetPopupMenuHook([&](const auto& items) {
                shown = items;
                return c.id;
            });
            QTest::mouseClick(d.GetDlgItem(CMultiTableDlg::IDC_OPTIONS), Qt::LeftButton);
            zem::gui::SetPopupMenuHook(previous);
            const bool radio = c.id == 32914 || c.id == 32915 || c.id == 32938 || c.id == 32939;
            const bool setsOne = c.id == 32915 || c.id == 32939;
            if (radio) {
                EXPECT_EQ(MenuCheck(shown, c.id), std::optional<bool>((before == 1) == setsOne));
                EXPECT_EQ(c.value(), setsOne ? 1 : 0);
            } else {
                EXPECT_EQ(MenuCheck(shown, c.id), std::optional<bool>(before != 0));
                EXPECT_NE(c.value(), before) << "toggled";
            }
            // Written at once: a fresh reading of zem.ini sees it.
            EXPECT_EQ(CConfigHost(context).GetConfigInt(c.section, c.key, -1), c.value());
            for (int i = 0; i < d.GetPaneCount(); ++i) {
                const CManualScheduleTable& grid = d.GetPane(i)->GetContainer().GetGrid();
                EXPECT_EQ(grid.IsColorMode(), context.GetColorTable());
                EXPECT_EQ(grid.IsPlaySoundInMoving(), context.GetPlaySoundInMoving());
            }
        }
        // The font item opens the table font dialog.
        std::vector<zem::gui::MenuItem> shown;
        const zem::gui::PopupMenuHook previous = zem::gui::SetPopupMenuHook([&](const auto& items) {
            shown = items;
            return 0;
        });
        QTest::mouseClick(d.GetDlgItem(CMultiTableDlg::IDC_OPTIONS), Qt::LeftButton);
        zem::gui::SetPopupMenuHook(previous);
        const auto font = std::find_if(shown.begin(), shown.end(), [](const auto& item) { return item.id == 32836; });
        ASSERT_NE(font, shown.end());
        EXPECT_TRUE(font->enabled);

        // Ctrl+T switches the style, both ways.
        const bool color = context.GetColorTable();
        QTest::keyClick(d.GetPane(0), Qt::Key_T, Qt::ControlModifier);
        EXPECT_NE(context.GetColorTable(), color);
        EXPECT_EQ(d.GetPane(3)->GetContainer().GetGrid().IsColorMode(), !color);
        QTest::keyClick(&d, Qt::Key_T, Qt::ControlModifier);
        EXPECT_EQ(context.GetColorTable(), color);
        d.close();
    });
}

TEST_F(MultiTableTest, AClassChosenInTheCompletionViewShowsInTheFirstPane)
{
    Store(0, {"1," + Id(1, 0)});
    Run([&](CMultiTableDlg& d) {
        std::string chosen;
        {
            ModalScope completion([&](zem::gui::Dialog& shown) {
                auto* c = dynamic_cast<CScheduleCompletionDlg*>(&shown);
                ASSERT_TRUE(c);
                chosen = ChooseFirstCompletionClass(*c);
            });
            QTest::mouseClick(&d.GetProgress(), Qt::LeftButton);
        }
        ASSERT_FALSE(chosen.empty());
        EXPECT_EQ(Shown(d)[0], (Entry{0, chosen}));
        EXPECT_EQ(d.GetPane(0)->GetKindChooser()->currentIndex(), 0);
        d.close();
    });
}

TEST_F(MultiTableTest, ScreenshotOfNinePanes)
{
    Store(3, {"0," + Id(0, 0), "1," + Id(1, 0), "2," + Id(2, 0)});
    Run([&](CMultiTableDlg& d) {
        d.setWindowState(Qt::WindowNoState);
        d.resize(1366, 768);
        ASSERT_EQ(d.GetPaneCount(), 9);
        SwapInPane(*d.GetPane(0));
        SaveScreenshot(&d, "MultiTable.nine");
        ScriptedMessages no({zem::IDNO});
        d.close();
    });
}

TEST_F(MultiTableTest, PageFiveOpensTheWindow)
{
    RegisterProgramFeatures();
    int opened = 0;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (auto* multi = dynamic_cast<CMultiTableDlg*>(&shown)) {
            ++opened;
            EXPECT_EQ(multi->Caption(), LoadResString(2) + " - 多课表调整");
            multi->close();
        }
    });
    CPagePanel panel;
    panel.Create(nullptr);
    panel.AddTaskPages();
    EXPECT_TRUE(CPagePanel::IsActionAvailable(29));
    panel.OnToolboxAction(29);
    EXPECT_EQ(opened, 1);
}

}  // namespace
