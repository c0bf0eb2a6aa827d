// The whole-school timetable window on the demo task after a run, worked as a user would: the
// stored settings it opens with, the periods along the week, picks and swaps saved and read back,
// the options writing zem.ini at once, closing and failed saves, the print of the whole school and
// its export; and the print of the largest generated school.

// Before Qt, which takes the word "slots".
#include "support/ScheduledDemo.h"

#include "support/ShellTestSupport.h"

#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ProgramFeatures.h"
#include "app/timetable/SchoolTablePrint.h"
#include "app/timetable/SchoolTimetableDlg.h"
#include "base/BasicData.h"
#include "base/CellRecord.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/PopupMenu.h"
#include "support/FakeAppServices.h"
#include "support/GeneratedSchool.h"
#include "support/GbkBytes.h"
#include "support/PdfPages.h"
#include "support/TableConsistency.h"
#include "support/WriteFault.h"
#include "testing/generator/SchoolGenerator.h"

#include <QComboBox>
#include <QPrinter>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <optional>

namespace {

const std::string& kDemoName = kDemoTaskName;

std::string TemplateFolder()
{
    return std::string(ZEM_TEST_OUTPUT_DIR) + "/SchoolTimetableDemo." + std::to_string(::getpid()) + "/";
}

QPoint Centre(const zem::Rect& r) { return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

std::string ClassTables(CScheduleTask& task, bool temp) { return ClassTablesText(task, temp); }

class SchoolTimetableTest : public ShellTest {
protected:
    static void SetUpTestSuite() { WriteScheduledDemo(TemplateFolder()); }
    static void TearDownTestSuite() { std::filesystem::remove_all(TemplateFolder()); }

    void SetUp() override { Open(""); }
    void TearDown() override
    {
        zem::gui::SetWorkAreaHook(m_workArea);
        zem::gui::SetAnimationClockHook(m_clock);
        zem::gui::SetSoundHook(m_sound);
    }

    // A context over zem.ini holding `ini` first, with a copy of the scheduled demo task open.
    void Open(const std::string& ini)
    {
        MakeContext(ini);  // ASCII: the same bytes in GBK
        std::filesystem::remove_all(TaskFolder());
        ASSERT_EQ(zem::CopyFolder(TemplateFolder(), TaskFolder()), 0);
        ASSERT_TRUE(CAppContext::Get()->OpenTask(TaskFolder() + kDemoName, false));
        task = CAppContext::Get()->GetTask();
        ASSERT_TRUE(task);
        m_workArea = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1366, 768); });
        m_clock = zem::gui::SetAnimationClockHook([this] {
            if (onFrame)
                onFrame();
            return now += 60;
        });
        m_sound = zem::gui::SetSoundHook([](const std::string&) {});
    }

    std::string TaskFolder() const { return folder.path() + "task/"; }
    std::string Ini(const std::string& section, const std::string& key) const
    {
        CConfigHost ini;
        ini.SetConfigFile(IniPath());
        return ini.GetConfig(section, key, "");
    }

    static void Run(const std::function<void(CSchoolTimetableDlg&)>& act)
    {
        CSchoolTimetableDlg dialog;
        RunModal<CSchoolTimetableDlg>(dialog, act);
    }
    static void Choose(CSchoolTimetableDlg& d, int combo, int index)
    {
        auto* list = d.Item<QComboBox>(combo);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    static void ClickNode(CSchoolTimetableDlg& d, int row, int col)
    {
        QTest::mouseClick(&d.GetGrid(), Qt::LeftButton, Qt::NoModifier, Centre(d.GetGrid().GetNodeRect(row, col)));
    }
    // Clicks "打印": `work` works the preview that opens, whose print goes into the PDF file `pdf`.
    static void PrintFromPreview(CSchoolTimetableDlg& d, const std::string& pdf,
                                 const std::function<void(CPrintPreviewDlg&)>& work)
    {
        const zem::gui::PrintDialogHook previous = zem::gui::SetPrintDialogHook([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            return true;
        });
        ModalScope scope([&](zem::gui::Dialog& shown) {
            if (auto* preview = dynamic_cast<CPrintPreviewDlg*>(&shown)) {
                work(*preview);
                preview->EndDialog(zem::IDCANCEL);
            }
        });
        QTest::mouseClick(d.GetDlgItem(CSchoolTimetableDlg::IDC_PRINT), Qt::LeftButton);
        zem::gui::SetPrintDialogHook(previous);
    }
    // The menu item's state as the options menu shows it.
    static const zem::gui::MenuItem* MenuItemOf(const std::vector<zem::gui::MenuItem>& menu, int id)
    {
        for (const auto& item : menu)
            if (item.id == id)
                return &item;
        return nullptr;
    }
    // Chooses the options menu's item as the user does, through the button.
    static void ChooseOption(CSchoolTimetableDlg& d, int id)
    {
        const zem::gui::PopupMenuHook previous =
            zem::gui::SetPopupMenuHook([id](const std::vector<zem::gui::MenuItem>&) { return id; });
        QTest::mouseClick(d.GetDlgItem(CSchoolTimetableDlg::IDC_OPTIONS), Qt::LeftButton);
        zem::gui::SetPopupMenuHook(previous);
    }
    // Picks a lesson of the first class in the horizontal layout that has somewhere to go; its
    // period, with the friends marked.
    static std::optional<int> PickMovable(CSchoolTimetableDlg& d, int line = 0)
    {
        for (int period = 0; period < d.GetModel().GetPeriodCount(); ++period) {
            const CSchoolTableNode* node = d.GetGrid().GetNode(line, period);
            if (!node || node->EntryCount() == 0)
                continue;
            ClickNode(d, line, period);
            if (!d.GetGrid().GetFriendCells().empty())
                return period;
            ClickNode(d, line, period);  // ends the pick
        }
        return std::nullopt;
    }
    static zem::COLORREF SaveColour(CSchoolTimetableDlg& d)
    {
        return d.Item<CHoverButton>(CSchoolTimetableDlg::IDC_SAVE)->GetBkColor();
    }

    CScheduleTask* task = nullptr;
    std::int64_t now = 0;
    std::function<void()> onFrame;

private:
    zem::gui::WorkAreaHook m_workArea;
    zem::gui::AnimationClockHook m_clock;
    zem::gui::SoundHook m_sound;
};

TEST_F(SchoolTimetableTest, StoredSettingsOutsideTheirRangesOpenAsTheUserExpects)
{
    struct Case {
        const char* ini;
        int kind, style, mode;
    };
    const Case cases[] = {
        {"[SchoolTable]\r\nType=5\r\nStyle=7\r\n", 0, 2, 0},
        {"[SchoolTable]\r\nType=2\r\nStyle=-3\r\nCIF2=9\r\n", 2, 0, 0},
        {"[SchoolTable]\r\nType=1\r\nStyle=1\r\nCIF1=4\r\n", 1, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        Open(c.ini);
        Run([&](CSchoolTimetableDlg& d) {
            EXPECT_EQ(d.GetKind(), c.kind);
            EXPECT_EQ(d.Item<QComboBox>(CSchoolTimetableDlg::IDC_KIND)->currentIndex(), c.kind);
            EXPECT_EQ(d.Item<QComboBox>(CSchoolTimetableDlg::IDC_STYLE)->currentIndex(), c.style);
            const auto menu = d.BuildOptionsMenu();
            for (int mode = 0; mode < 6; ++mode)
                EXPECT_EQ(MenuItemOf(menu, CSchoolTimetableDlg::ID_TEXT_MODE0 + mode)->checked, mode == c.mode);
            EXPECT_EQ(d.GetTitleText().rfind(c.kind == 0 ? "班级总课表" : c.kind == 1 ? "教师总课表" : "教室总课表", 0), 0u);
            d.close();
        });
        EXPECT_EQ(Ini("SchoolTable", "Type"), std::to_string(c.kind)) << "the window writes back what it showed";
        EXPECT_EQ(Ini("SchoolTable", "Style"), std::to_string(c.style));
    }
}

// The window's title names the school the printed titles' "%SCHOOL%" names: [Common] SchoolName.
TEST_F(SchoolTimetableTest, TheTitleNamesTheSchoolOfTheSettings)
{
    const std::pair<std::string, std::string> cases[] = {
        {"[Common]\r\nLastPage=0\r\n", "演示学校"},
        {Gbk("[Common]\r\nSchoolName=实验中学\r\n"), "实验中学"},
    };
    for (const auto& [ini, school] : cases) {
        SCOPED_TRACE(school);
        Open(ini);
        Run([&](CSchoolTimetableDlg& d) {
            const std::string title = d.windowTitle().toStdString();
            EXPECT_NE(title.find(" - " + school + "总课表"), std::string::npos) << title;
            EXPECT_EQ(ExpandTitleTemplate("%SCHOOL%", "一班"), school);
            d.close();
        });
    }
}

TEST_F(SchoolTimetableTest, PeriodIndexesFollowTheShownSections)
{
    // A copy: each pass opens the task anew.
    const CSchoolStructure week = task->GetSchoolStructure();
    const int morning = week.GetSectionNodeMaxCount(3);
    const int forenoon = week.GetSectionNodeMaxCount(0);
    ASSERT_GT(morning, 0) << "the demo week has morning reading";
    const int day1 = week.GetWeekNumberByOrder(1);
    for (const bool showSS : {true, false}) {
        SCOPED_TRACE(showSS);
        CSchoolTimetableModel model;
        model.SetWeek(week, showSS);
        const int perDay = week.GetSectionNodeMaxCount(0) + week.GetSectionNodeMaxCount(1) +
                           week.GetSectionNodeMaxCount(2) +
                           (showSS ? morning + week.GetSectionNodeMaxCount(4) : 0);
        EXPECT_EQ(model.GetPeriodsPerDay(), perDay);
        EXPECT_EQ(model.PeriodIndex({day1, 3, 0}), showSS ? perDay : -1);
        EXPECT_EQ(model.PeriodIndex({day1, 0, 0}), perDay + (showSS ? morning : 0));
        EXPECT_EQ(model.PeriodIndex({day1, 1, 0}), perDay + (showSS ? morning : 0) + forenoon);
        for (int index = 0; index < model.GetPeriodCount(); ++index) {
            tagTABLE_NODE node;
            ASSERT_TRUE(model.NodeOfPeriod(index, &node));
            EXPECT_EQ(model.PeriodIndex(node), index);
        }
        // The grid counts the same periods in a day.
        Open(std::string("[SchoolTable]\r\nType=0\r\nStyle=0\r\nShowSS=") + (showSS ? "1" : "0") + "\r\n");
        Run([&](CSchoolTimetableDlg& d) {
            EXPECT_EQ(d.GetGrid().GetDayNodes(), perDay);
            EXPECT_EQ(d.GetGrid().GetColumnCount(), perDay * week.GetWeekDayCount());
            d.close();
        });
    }
}

TEST_F(SchoolTimetableTest, APickMarksOnlyPeriodsOfItsOwnKind)
{
    Open("[SchoolTable]\r\nType=0\r\nStyle=0\r\nShowSS=1\r\n");
    Run([&](CSchoolTimetableDlg& d) {
        const CSchoolTimetableModel& model = d.GetModel();
        const auto segmentOf = [&](int period) {
            tagTABLE_NODE node;
            EXPECT_TRUE(model.NodeOfPeriod(period, &node));
            return node.segment;
        };
        bool morningSeen = false, regularSeen = false;
        for (int period = 0; period < model.GetPeriodCount() && !(morningSeen && regularSeen); ++period) {
            const CSchoolTableNode* node = d.GetGrid().GetNode(0, period);
            if (!node || node->EntryCount() == 0)
                continue;
            const int segment = segmentOf(period);
            ClickNode(d, 0, period);
            const std::vector<int> friends = d.GetGrid().GetFriendCells();
            if (!friends.empty()) {
                for (const int f : friends) {
                    if (segment == 3 || segment == 4)
                        EXPECT_EQ(segmentOf(f), segment) << "a morning-reading pick offers only its own section";
                    else
                        EXPECT_LE(segmentOf(f), 2) << "a lesson never goes to morning reading";
                }
                (segment == 3 ? morningSeen : regularSeen) = true;
            }
            QTest::keyClick(&d, Qt::Key_Escape);
            EXPECT_FALSE(d.GetGrid().IsPicked()) << "Escape ends the pick";
            EXPECT_FALSE(d.IsEnded()) << "and leaves the window open";
        }
        EXPECT_TRUE(morningSeen);
        EXPECT_TRUE(regularSeen);

        // The crossed layout and the teacher and room timetables mark nothing.
        const std::pair<int, int> changes[][2] = {
            {{CSchoolTimetableDlg::IDC_STYLE, 2}, {CSchoolTimetableDlg::IDC_STYLE, 2}},
            {{CSchoolTimetableDlg::IDC_STYLE, 0}, {CSchoolTimetableDlg::IDC_KIND, 1}},
            {{CSchoolTimetableDlg::IDC_STYLE, 1}, {CSchoolTimetableDlg::IDC_KIND, 2}},
        };
        for (const auto& change : changes) {
            for (const auto& [combo, index] : change)
                Choose(d, combo, index);
            const bool rows = d.GetStyle() == 0;
            int clicked = 0;
            for (int period = 0; period < model.GetPeriodCount() && clicked < 3; ++period) {
                const CSchoolTableNode* node = d.GetGrid().GetNode(rows ? 0 : period, rows ? period : 0);
                if (!node || node->EntryCount() == 0)
                    continue;
                ClickNode(d, rows ? 0 : period, rows ? period : 0);
                EXPECT_TRUE(d.GetGrid().GetFriendCells().empty()) << d.GetStyle() << " " << d.GetKind();
                QTest::keyClick(&d, Qt::Key_Escape);
                ++clicked;
            }
            EXPECT_GT(clicked, 0);
        }
        d.close();
    });
}

TEST_F(SchoolTimetableTest, ASwapIsSavedReadBackAndLogged)
{
    std::string shown;
    std::string classId;
    Run([&](CSchoolTimetableDlg& d) {
        d.GetGrid().SetAnimateMoves(false);
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 255));
        const std::string before = ClassTables(*task, true);
        std::optional<int> from = PickMovable(d);
        ASSERT_TRUE(from);
        const int to = d.GetGrid().GetFriendCells().front();
        ClickNode(d, 0, to);
        EXPECT_NE(ClassTables(*task, true), before);
        EXPECT_TRUE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 200));
        EXPECT_TRUE(TablesConsistent(*task));
        // A second swap elsewhere keeps every table in step too.
        if (const std::optional<int> again = PickMovable(d, 1))
            ClickNode(d, 1, d.GetGrid().GetFriendCells().front());
        EXPECT_TRUE(TablesConsistent(*task));
        classId = d.GetModel().GetLines()[0].object->GetId();

        ScriptedMessages messages;
        QTest::mouseClick(d.GetDlgItem(CSchoolTimetableDlg::IDC_SAVE), Qt::LeftButton);
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_FALSE(d.IsModified());
        EXPECT_EQ(SaveColour(d), zem::RGB(255, 255, 255));
        shown = ClassTables(*task, true);
        d.close();
        EXPECT_TRUE(d.IsEnded());
        EXPECT_TRUE(messages.Texts().empty()) << "nothing to ask after a save";
    });
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(TaskFolder() + kDemoName, TaskAccess::ReadOnly));
    EXPECT_TRUE(ClassTables(reopened, false) == shown);
    const std::string entry = task->GetConfig("AdjustmentHistory", "1", "");
    EXPECT_EQ(entry.rfind(std::string(CSchoolTimetableDlg::kHistoryTitle) + "|", 0), 0u) << entry;
    EXPECT_NE(entry.find(classId), std::string::npos) << "the swapped class is named";
}

TEST_F(SchoolTimetableTest, AFailedSaveKeepsTheWindowOpenAndTheChanges)
{
    const std::string files = ClassTables(*task, false);
    const std::string outputPath = task->GetTaskInfo().GetOutputFilePath();
    Run([&](CSchoolTimetableDlg& d) {
        d.GetGrid().SetAnimateMoves(false);
        ASSERT_TRUE(PickMovable(d));
        ClickNode(d, 0, d.GetGrid().GetFriendCells().front());
        const std::string changed = ClassTables(*task, true);
        const zem::FileWriteFaultHook previous = zem::SetFileWriteFaultHook(
            [&](const std::string& path) { return path == outputPath ? EACCES : 0; });
        {
            ScriptedMessages yes({zem::IDYES});
            d.close();
            ASSERT_EQ(yes.Texts().size(), 2u);
            EXPECT_EQ(yes.Texts()[0], CSchoolTimetableDlg::kCloseQuestion);
            EXPECT_EQ(yes.messages[0].buttons, zem::MessageButtons::YesNo);
            EXPECT_EQ(yes.Texts()[1].rfind(CSchoolTimetableDlg::kSaveFailedText, 0), 0u) << yes.Texts()[1];
            EXPECT_NE(yes.Texts()[1].find(outputPath), std::string::npos) << "the reason: " << yes.Texts()[1];
            EXPECT_FALSE(d.IsEnded()) << "the changes would be lost";
        }
        zem::SetFileWriteFaultHook(previous);
        EXPECT_TRUE(d.IsModified());
        EXPECT_TRUE(ClassTables(*task, true) == changed);
        EXPECT_TRUE(ClassTables(*task, false) == files);
        ScriptedMessages no({zem::IDNO});
        d.close();
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_TRUE(ClassTables(*task, true) == files) << "否 lets the changes go";
    EXPECT_TRUE(task->GetConfig("AdjustmentHistory", "1", "").empty());
}

TEST_F(SchoolTimetableTest, ClosingAndChangingTheLayoutWaitForASlidingSwap)
{
    Run([&](CSchoolTimetableDlg& d) {
        ASSERT_TRUE(PickMovable(d));
        const int to = d.GetGrid().GetFriendCells().front();
        bool asked = false;
        onFrame = [&] {
            if (asked || !d.GetGrid().IsSwapRunning())
                return;
            asked = true;
            Choose(d, CSchoolTimetableDlg::IDC_STYLE, 1);
            EXPECT_EQ(d.GetStyle(), 0) << "the layout changes after the slide";
            d.close();
            EXPECT_FALSE(d.IsEnded());
        };
        ScriptedMessages yes({zem::IDYES});
        ClickNode(d, 0, to);
        onFrame = nullptr;
        EXPECT_TRUE(asked);
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }));
        EXPECT_EQ(yes.Texts(), std::vector<std::string>{CSchoolTimetableDlg::kCloseQuestion})
            << "the swap is recorded before the window asks";
        EXPECT_EQ(d.GetStyle(), 1);
    });
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(TaskFolder() + kDemoName, TaskAccess::ReadOnly));
    EXPECT_TRUE(ClassTables(reopened, false) == ClassTables(*task, true)) << "the swap was saved";
    EXPECT_EQ(Ini("SchoolTable", "Style"), "1");
}

// The options change what the grid's periods stand for (the self-study rows come and go): chosen
// while a swap slides they wait for it, and the swap is made at the periods the user chose.
TEST_F(SchoolTimetableTest, TheOptionsWaitForASlidingSwap)
{
    Run([&](CSchoolTimetableDlg& d) {
        const std::optional<int> from = PickMovable(d);
        ASSERT_TRUE(from);
        const int to = d.GetGrid().GetFriendCells().front();
        tagTABLE_NODE source, target;
        ASSERT_TRUE(d.GetModel().NodeOfPeriod(*from, &source) && d.GetModel().NodeOfPeriod(to, &target));
        CCourseTable* table = d.GetModel().TableOf(0);
        const std::string moving = table->GetNode(source).GetCourseId(1);
        const bool showSS = SchoolPageLayout().ShowSS;
        int menus = 0;
        const zem::gui::PopupMenuHook previous = zem::gui::SetPopupMenuHook([&](const auto&) {
            ++menus;
            return static_cast<int>(CSchoolTimetableDlg::ID_SHOW_SS);
        });
        bool chosen = false;
        onFrame = [&] {
            if (chosen || !d.GetGrid().IsSwapRunning())
                return;
            chosen = true;
            QTest::mouseClick(d.GetDlgItem(CSchoolTimetableDlg::IDC_OPTIONS), Qt::LeftButton);
            EXPECT_EQ(menus, 0) << "the menu waits for the slide";
        };
        ClickNode(d, 0, to);
        onFrame = nullptr;
        EXPECT_TRUE(chosen);
        EXPECT_TRUE(QTest::qWaitFor([&] { return menus == 1; }));
        zem::gui::SetPopupMenuHook(previous);
        EXPECT_NE(SchoolPageLayout().ShowSS, showSS);
        EXPECT_EQ(table->GetNode(target).GetCourseId(1), moving);
        EXPECT_TRUE(TablesConsistent(*task));
        ScriptedMessages no({zem::IDNO});
        d.close();
    });
}

TEST_F(SchoolTimetableTest, OptionsWriteZemIniAtOnceAndTheGridFollows)
{
    Run([&](CSchoolTimetableDlg& d) {
        EXPECT_FALSE(MenuItemOf(d.BuildOptionsMenu(), CSchoolTimetableDlg::ID_GROUP_TEACHERS))
            << "grouping is offered for teachers only";
        const int columns = d.GetGrid().GetColumnCount();
        ChooseOption(d, CSchoolTimetableDlg::ID_SHOW_SS);
        EXPECT_EQ(Ini("SchoolTable", "ShowSS"), "1");
        EXPECT_GT(d.GetGrid().GetColumnCount(), columns);

        ChooseOption(d, CSchoolTimetableDlg::ID_TEXT_MODE0 + 3);
        EXPECT_EQ(Ini("SchoolTable", "CIF0"), "3");
        EXPECT_TRUE(MenuItemOf(d.BuildOptionsMenu(), CSchoolTimetableDlg::ID_TEXT_MODE0 + 3)->checked);
        for (int period = 0; period < d.GetModel().GetPeriodCount(); ++period)
            if (const CSchoolTableNode* node = d.GetGrid().GetNode(0, period); node && node->EntryCount() == 1) {
                EXPECT_TRUE(node->Entry(0).secondary.empty()) << "only the subject's name";
            }

        ChooseOption(d, CSchoolTimetableDlg::ID_SHORT_NAMES);
        EXPECT_EQ(Ini("SchoolTable", "ShowFullName"), "1");
        EXPECT_FALSE(MenuItemOf(d.BuildOptionsMenu(), CSchoolTimetableDlg::ID_SHORT_NAMES)->checked);

        const bool sound = d.GetGrid().IsPlaySoundInMoving();
        ChooseOption(d, CSchoolTimetableDlg::ID_SOUND);
        EXPECT_EQ(Ini("WeekTable", "PlaySoundInMoving"), sound ? "0" : "1");
        EXPECT_EQ(d.GetGrid().IsPlaySoundInMoving(), !sound);

        Choose(d, CSchoolTimetableDlg::IDC_KIND, 1);
        ASSERT_TRUE(MenuItemOf(d.BuildOptionsMenu(), CSchoolTimetableDlg::ID_GROUP_TEACHERS));
        const bool grouped = CAppContext::Get()->GetShowTeacherByGroup();
        ChooseOption(d, CSchoolTimetableDlg::ID_GROUP_TEACHERS);
        EXPECT_EQ(Ini("Common", "ShowTeacherByGroup"), grouped ? "0" : "1");
        const bool twoLineTitles = zem::ReadTitleLines(d.GetModel().GetLines().front().label).twoLines;
        EXPECT_EQ(twoLineTitles, !grouped && task->GetTeacherGroupInfoList().GetCount() > 0);

        // The font item opens the table font dialog.
        EXPECT_TRUE(MenuItemOf(d.BuildOptionsMenu(), CSchoolTimetableDlg::ID_FONT)->enabled);

        // The subject filter: the title says it and other subjects' lessons show no text.
        const auto cellsWithText = [&] {
            int count = 0;
            for (int line = 0; line < static_cast<int>(d.GetModel().GetLines().size()); ++line)
                for (int period = 0; period < d.GetModel().GetPeriodCount(); ++period)
                    if (const CSchoolTableNode* node = d.GetGrid().GetNode(line, period); node && node->EntryCount() > 0)
                        ++count;
            return count;
        };
        const int before = cellsWithText();
        for (const bool choose : {false, true}) {
            std::string chosenName;
            ModalScope scope([&](zem::gui::Dialog& shown) {
                auto* chooser = dynamic_cast<CMultiSelectDlg*>(&shown);
                if (!chooser)
                    return;
                EXPECT_EQ(chooser->m_caption, "选择在总课表中显示的课程");
                EXPECT_TRUE(chooser->m_checkAll) << "every subject ticked while none is chosen";
                if (!choose) {
                    chooser->EndDialog(zem::IDCANCEL);
                    return;
                }
                chooser->SendCommand(CMultiSelectDlg::IDC_CHECK_NONE);
                ClickCheck(*chooser->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST), 0);
                chooser->SendCommand(zem::IDOK);
                ASSERT_EQ(chooser->GetChosenIds().size(), 1u);
                chosenName = task->GetSubject(chooser->GetChosenIds()[0])->GetName();
            });
            ChooseOption(d, CSchoolTimetableDlg::ID_SUBJECTS);
            if (!choose) {
                EXPECT_EQ(d.GetTitleText(), "教师总课表-全部") << "a cancelled choice changes nothing";
                EXPECT_EQ(cellsWithText(), before);
            } else {
                EXPECT_EQ(d.GetTitleText(), "教师总课表-" + chosenName);
                EXPECT_EQ(MenuItemOf(d.BuildOptionsMenu(), CSchoolTimetableDlg::ID_SUBJECTS)->text,
                          "显示课程范围：" + chosenName);
                EXPECT_LT(cellsWithText(), before);
                EXPECT_GT(cellsWithText(), 0);
            }
        }
        d.close();
    });
}

TEST_F(SchoolTimetableTest, ARefusedDropSaysWhyAndAnEmptyReasonSaysNothing)
{
    Run([&](CSchoolTimetableDlg& d) {
        d.GetGrid().SetAnimateMoves(false);
        const std::optional<int> from = PickMovable(d);
        ASSERT_TRUE(from);
        const std::vector<int>& friends = d.GetGrid().GetFriendCells();
        std::optional<int> refused;
        for (int period = 0; period < d.GetModel().GetPeriodCount() && !refused; ++period) {
            const CSchoolTableNode* node = d.GetGrid().GetNode(0, period);
            if (period != *from && node && !node->GetTip().empty() &&
                std::find(friends.begin(), friends.end(), period) == friends.end())
                refused = period;
        }
        ASSERT_TRUE(refused) << "a lesson that cannot go everywhere";
        const std::string reason = d.GetGrid().GetNode(0, *refused)->GetTip();
        {
            ScriptedMessages ok;
            ClickNode(d, 0, *refused);
            EXPECT_EQ(ok.Texts(), std::vector<std::string>{reason});
            EXPECT_EQ(ok.messages[0].caption, "提示");
        }
        EXPECT_TRUE(d.GetGrid().IsPicked()) << "the pick stays";
        EXPECT_FALSE(d.IsModified());
        d.close();
    });
}

TEST_F(SchoolTimetableTest, ScreenshotsOfTheThreeLayouts)
{
    Run([&](CSchoolTimetableDlg& d) {
        const char* names[] = {"SchoolTimetable-horizontal", "SchoolTimetable-vertical", "SchoolTimetable-crossed"};
        for (int style = 0; style < 3; ++style) {
            Choose(d, CSchoolTimetableDlg::IDC_STYLE, style);
            EXPECT_GT(d.GetGrid().GetLineCount(), 0);
            SaveScreenshot(&d, names[style]);
        }
        d.close();
    });
}

// "打印" opens the preview on a job of its own, whose print button writes the pages as the
// window shows the school: each page titled, numbered at its foot, on the layout's paper.
TEST_F(SchoolTimetableTest, ThePrintOfTheWholeSchoolIsAPageJobOfItsOwn)
{
    const char* styles[] = {"横排", "竖排", "交叉"};
    for (int style = 0; style < 3; ++style) {
        SCOPED_TRACE(styles[style]);
        const std::string pdf = folder.path() + "school" + std::to_string(style) + ".pdf";
        int pages = 0;
        Run([&](CSchoolTimetableDlg& d) {
            Choose(d, CSchoolTimetableDlg::IDC_STYLE, style);
            PrintFromPreview(d, pdf, [&](CPrintPreviewDlg& preview) {
                pages = preview.GetPageCount();
                EXPECT_FALSE(preview.HasButton(CPrintPreviewDlg::ID_PAGE_SETTINGS)) << "the week pages' settings";
                EXPECT_FALSE(preview.HasButton(CPrintPreviewDlg::ID_EXPORT));
                if (style == 0)
                    SaveScreenshot(&preview, "SchoolTimetable-preview");
                MessageRecorder messages;
                preview.SendCommand(CPrintPreviewDlg::ID_PRINT);
                EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
            });
            d.close();
        });
        ASSERT_GE(pages, 1);
        const auto info = PdfInfo(pdf);
        ASSERT_FALSE(info.empty());
        EXPECT_EQ(info.at("Pages"), std::to_string(pages));
        const std::vector<PdfPage> read = ReadPdfPages(pdf);
        ASSERT_EQ(read.size(), static_cast<std::size_t>(pages));
        EXPECT_GT(read[0].width, read[0].height) << "A4 landscape";
        const std::string title = zem::Format("全校班级总课表（%s）", styles[style]);
        for (std::size_t i = 0; i < read.size(); ++i) {
            std::string text;
            for (const PdfLine& line : read[i].Lines())
                text += line.text + "\n";
            EXPECT_NE(text.find(title), std::string::npos) << "page " << i + 1;
            EXPECT_NE(text.find(zem::Format("第%zu页/共%zu页", i + 1, read.size())), std::string::npos) << text;
        }
        RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/SchoolTimetable-print-" + std::to_string(style) + ".png",
                   70);
    }
}

// A school whose lessons cannot all be printed whole: the preview says before printing, page by page
// and in the words of the week timetables' preview, how many lessons the page prints in part, as
// many as the printed page ends in "…".
TEST_F(SchoolTimetableTest, ThePreviewSaysWhichPagesPrintLessonsInPart)
{
    // The largest generated school: its shared rooms hold more classes at once than a cell can name.
    const std::string where = folder.path() + "L120/";
    ASSERT_TRUE(WriteFilledSchool("L120", where));  // it lets go of the folder at once
    ASSERT_TRUE(CAppContext::Get()->OpenTask(where + "L120.zem", false));
    const std::string pdf = folder.path() + "school.pdf";
    std::vector<std::string> captions;  // by page
    bool pictured = false;
    Run([&](CSchoolTimetableDlg& d) {
        // The rooms 横排: a shared room's cell holds several classes' lessons.
        Choose(d, CSchoolTimetableDlg::IDC_KIND, 2);
        Choose(d, CSchoolTimetableDlg::IDC_STYLE, 0);
        PrintFromPreview(d, pdf, [&](CPrintPreviewDlg& preview) {
            for (int page = 1; page <= preview.GetPageCount(); ++page) {
                if (page > 1)
                    QTest::mouseClick(preview.GetDlgItem(CPrintPreviewDlg::ID_NEXT_PAGE), Qt::LeftButton);
                captions.push_back(preview.Caption());
                // The first page that warns, for a person to see.
                if (!pictured && captions.back().find("放不下") != std::string::npos)
                    pictured = !SaveScreenshotWithCaption(&preview, "SchoolTimetable-preview-shortened").empty();
            }
            QTest::mouseClick(preview.GetDlgItem(CPrintPreviewDlg::ID_PRINT), Qt::LeftButton);
        });
        d.close();
    });
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    ASSERT_EQ(pages.size(), captions.size());
    int warned = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const auto shortened = std::count_if(pages[i].words.begin(), pages[i].words.end(),
                                             [](const PdfWord& w) { return w.text.ends_with("…"); });
        std::string expected =
            zem::Format("Tavelin - 打印预览 ( 第 %zu 页 共 %zu 页 )", i + 1, pages.size());
        if (shortened > 0)
            expected += zem::Format("  本页有 %d 节课的文字放不下，只印出了一部分（以“…”结尾），"
                                    "请减少每页的课表数或选用较短的格子内容",
                                    static_cast<int>(shortened));
        EXPECT_EQ(captions[i], expected);
        warned += shortened > 0;
    }
    EXPECT_GT(warned, 0) << "no page prints a lesson in part";
}

TEST_F(SchoolTimetableTest, TheExportWritesTheMasterTimetableInTheWindowsLayout)
{
    const std::string path = folder.path() + "总课表.xlsx";
    Run([&](CSchoolTimetableDlg& d) {
        Choose(d, CSchoolTimetableDlg::IDC_STYLE, 2);
        const zem::gui::FileDialogHook previous = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& r) {
            EXPECT_EQ(r.fileName, "全校班级总课表（交叉）.xlsx");
            return path;
        });
        ScriptedMessages no({zem::IDNO});
        QTest::mouseClick(d.GetDlgItem(CSchoolTimetableDlg::IDC_EXPORT), Qt::LeftButton);
        zem::gui::SetFileDialogHook(previous);
        EXPECT_EQ(no.Texts().back(), "导出成功! 现在要打开EXCEL文档吗？");
        d.close();
    });
    ASSERT_TRUE(std::filesystem::exists(path));
    zem::workbook::SheetData sheet;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error)) << error;
    EXPECT_NE(sheet.name.find("全校班级总课表"), std::string::npos) << sheet.name;
    EXPECT_NE(sheet.name.find("交叉"), std::string::npos) << sheet.name;
    EXPECT_GT(sheet.CellCount(), static_cast<std::size_t>(task->GetClassInfoList().GetCount()));
}

TEST_F(SchoolTimetableTest, PageFiveOpensTheWindow)
{
    RegisterProgramFeatures();
    int opened = 0;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (auto* school = dynamic_cast<CSchoolTimetableDlg*>(&shown)) {
            ++opened;
            school->close();
        }
    });
    CPagePanel panel;
    panel.Create(nullptr);
    panel.resize(1200, 700);
    panel.AddTaskPages();
    panel.GetPageHeader().SelectPage(4);
    EXPECT_TRUE(CPagePanel::IsActionAvailable(28));
    panel.OnToolboxAction(28);
    EXPECT_EQ(opened, 1);
}

// ---- The print of the largest generated school ----

TEST(SchoolTablePrint, NoLineOfTheLargestSchoolIsCutBetweenPages)
{
    MessageRecorder quiet;
    std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({"L120", "normal", 1});
    zemgen::FillTimetables(*task);
    CTablePageLayout layout;
    struct Services : FakeAppServices {
        CTablePageLayout* school = nullptr;
        CTablePageLayout* GetSchoolPageLayout() const override { return school; }
    };
    for (const int kind : {0, 1}) {
        for (const int style : {0, 1, 2}) {
            SCOPED_TRACE(zem::Format("kind %d style %d", kind, style));
            Services inner;
            inner.task = task.get();
            inner.showTeacherByGroup = false;
            inner.school = &layout;
            layout.ShowSS = style == 1;
            CSchoolTablePrintSheet sheet(nullptr, task.get(), kind, style);
            const int lines = static_cast<int>(sheet.GetModel().GetLines().size());
            ASSERT_GT(lines, 100);
            QImage device(1, 1, QImage::Format_RGB32);
            device.setDotsPerMeterX(qRound(600 / 0.0254));
            device.setDotsPerMeterY(qRound(600 / 0.0254));
            // Each line's periods are printed once each, whole, inside the page's content.
            std::vector<int> printed(static_cast<std::size_t>(lines), 0);
            for (int page = 1; page <= sheet.GetPageCount(); ++page) {
                const CSchoolPrintPage& p = sheet.GetPages()[static_cast<std::size_t>(page - 1)];
                sheet.LineRects(&device, page, p.firstLine);  // lays the page out for the device
                const zem::Rect content = layout.contentRect;
                for (int line = p.firstLine; line < p.firstLine + p.lineCount; ++line) {
                    for (const zem::Rect& r : sheet.LineRects(&device, page, line)) {
                        EXPECT_TRUE(r.left >= content.left && r.right <= content.right && r.top >= content.top &&
                                    r.bottom <= content.bottom)
                            << "page " << page << " line " << line;
                        ++printed[static_cast<std::size_t>(line)];
                    }
                }
            }
            for (int line = 0; line < lines; ++line)
                EXPECT_EQ(printed[static_cast<std::size_t>(line)], sheet.GetModel().GetPeriodCount()) << line;
        }
    }
}

}  // namespace
