// The page panel: its pages, header and tool box, the tool-box action codes, the information
// panel's quick tools and the temporary lesson-change tasks.
#include "support/ShellTestSupport.h"
#include "app/controls/HyperLink.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/controls/RemoveItemsDlg.h"
#include "app/shared/ObjectLists.h"
#include "app/data/DataStatisticsDlg.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ProgramFeatures.h"
#include "app/timetable/PlanAdjustHubDlg.h"
#include "base/ScheduleTask.h"
#include "core/Core.h"
#include "platform/IniFile.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"
#include "platform/gui/Timers.h"
#include "support/MessageRecorder.h"
#include "testing/generator/SchoolGenerator.h"

#include <QTest>

#include <unistd.h>

#include <map>

namespace {

using zem::gui::Dialog;

// Records the messages a window sends to its owner.
class RecordingTarget : public zem::MessageTarget {
public:
    zem::LRESULT Send(unsigned message, zem::WPARAM wParam, zem::LPARAM) override
    {
        sent.push_back({message, static_cast<int>(wParam)});
        return 0;
    }
    bool Post(unsigned, zem::WPARAM, zem::LPARAM) override { return false; }
    bool PostText(unsigned, zem::WPARAM, std::string) override { return false; }
    std::vector<std::pair<unsigned, int>> sent;
};

TEST(PageHeader, TabsAreTenPixelsPerGbkByteAndSelectOnce)
{
    EXPECT_EQ(CPageHeader::TabWidth("1 开始"), 78);
    EXPECT_EQ(CPageHeader::TabWidth("5 查看课表(手工调课)"), 218);

    RecordingTarget owner;
    CPageHeader header;
    header.Create(nullptr, &owner);
    header.resize(800, 28);
    header.AddPage("1 开始", "");
    header.AddPage("2 基本数据维护", "");
    EXPECT_EQ(header.GetPages()[1].rect, zem::Rect(98, 0, 98 + 158, 28));
    header.SelectPage(4);  // no such page
    EXPECT_TRUE(owner.sent.empty());
    QTest::mouseClick(&header, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    QTest::mouseClick(&header, Qt::LeftButton, Qt::NoModifier, QPoint(120, 10));  // already selected
    QTest::mouseClick(&header, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));   // left of the first tab
    QTest::mouseClick(&header, Qt::LeftButton, Qt::NoModifier, QPoint(500, 10));  // right of the last
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0], std::make_pair(WM_FILL_TOOLBOX, 1));
}

TEST(ToolBox, ColumnsAndRows)
{
    struct Width {
        int width;
        int columns;
    } widths[] = {{200, 1}, {291, 1}, {552, 2}, {1073, 3}, {1074, 4}};
    for (const Width& w : widths)
        EXPECT_EQ(CToolBox::ColumnCount(w.width), w.columns) << w.width;

    CToolBox box;
    box.AddItem(0, "", "", 0, true);  // a break at the start of a row
    for (int code = 1; code <= 8; ++code)
        box.AddItem(code, "项目", "", 148, false);
    box.AddItem(0, "", "", 0, true);  // at the start of a row after a full row
    box.AddItem(0, "", "", 0, true);
    box.AddItem(9, "项目", "", 148, false);
    box.Layout(1074);  // four columns
    EXPECT_EQ(box.GetItemRect(1), zem::Rect(30, 30, 271, 87));
    EXPECT_EQ(box.GetItemRect(4), zem::Rect(30 + 3 * 261, 30, 30 + 3 * 261 + 241, 87));
    EXPECT_EQ(box.GetItemRect(5).top, 107);
    EXPECT_EQ(box.GetItemRect(8).top, 107);
    EXPECT_EQ(box.GetItemRect(9), zem::Rect(30, 184, 271, 241));  // no empty row
    EXPECT_EQ(box.GetItemRect(42), zem::Rect());
}

class PagePanelTest : public ShellTest {
protected:
    void SetUp() override
    {
        MakeContext();
        ASSERT_TRUE(CAppContext::Get()->OpenDemoTask());
        panel.Create(nullptr);
        panel.resize(1200, 700);
        panel.AddTaskPages();
    }

    // Every feature window records its call.
    void RecordAllFeatures()
    {
        CFeatureWindows& w = FeatureWindows();
        for (int f = 0; f <= static_cast<int>(Feature::ExportSettings); ++f)
            w.windows[static_cast<Feature>(f)] = [this, f] { calls.push_back("F" + std::to_string(f)); };
        w.autoScheduleStart = [this] {
            calls.push_back("start");
            return true;
        };
        w.autoScheduleRun = [this](CAutoRange& range) {
            calls.push_back("run " + std::to_string(range.GetClassCount()));
            return 1;
        };
        w.partialReschedule = [this](CAutoRange& range) {
            calls.push_back("partial");
            range.SetClass({"C2", "C1"});
            return true;
        };
        w.scheduleReport = [this](const std::string&, int mode) {
            calls.push_back("report " + std::to_string(mode));
            return mode != 4;
        };
        w.weekTimetable = [this](int kind, const std::string& id) {
            calls.push_back("week " + std::to_string(kind) + " " + id);
        };
        w.planAdjustHub = [this] {
            calls.push_back("hub");
            return 2;
        };
        w.planAdjustTool = [this](int tool) { calls.push_back("tool " + std::to_string(tool)); };
        w.tempAdjust = [this](CScheduleTask& task, bool isNew, const std::string& teacherId) {
            calls.push_back("temp " + task.GetTaskInfo().GetTaskName() + (isNew ? " new" : " old"));
            tempFolders.push_back(task.GetTaskInfo().GetTaskFolder());
            return keepTemp;
        };
        panel.GetToolDescPanel().RefreshLinks();
    }

    static std::string F(Feature f) { return "F" + std::to_string(static_cast<int>(f)); }

    CScheduleTask* Task() { return CAppContext::Get()->GetTask(); }

    // A generated school with its timetables filled, opened as the task.
    void OpenScheduledSchool()
    {
        std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"S12", "normal", 1});
        zemgen::FillTimetables(*school);
        const std::string where = folder.path() + "S12/";
        ASSERT_TRUE(zemgen::WriteTaskFolder(*school, where, "S12", "test"));
        ASSERT_TRUE(school->SaveOutputData());
        school.reset();  // it lets go of the folder, as a program closing the task does
        ASSERT_TRUE(CAppContext::Get()->OpenTask(where + "S12.zem", true));
    }

    // Answers the absent-teacher picker with the first teacher who has lessons.
    void PickTeachersWithLessons()
    {
        m_picker = std::make_unique<ModalScope>([this](Dialog& d) {
            auto& picker = static_cast<CObjectPickerDlg&>(d);
            calls.push_back("pick " + picker.Caption());
            zem::gui::ItemList& list = *picker.GetList();
            for (int row = 0; row < list.GetItemCount(); ++row) {
                if (list.GetItemImage(row) == 0) {
                    list.SetSelected(row, true);
                    break;
                }
            }
            QTest::mouseClick(picker.GetDlgItem(zem::IDOK), Qt::LeftButton);
            if (picker.GetSelectedObject())
                pickedTeacher = picker.GetSelectedObject()->GetId();
        });
    }

    std::unique_ptr<ModalScope> m_picker;

    CPagePanel panel;
    std::vector<std::string> calls;
    std::string pickedTeacher;
    std::vector<std::string> tempFolders;
    bool keepTemp = false;
};

TEST_F(PagePanelTest, EveryActionCodeReachesItsFeature)
{
    RecordAllFeatures();
    Task()->SetConfig("WeekTable", "LastView1", "T7");
    zem::gui::FakeClock clock;
    auto menu = zem::gui::SetPopupMenuHook([](const std::vector<zem::gui::MenuItem>& items) {
        return items[2].id;  // the third item
    });
    const std::string firstClass = FindFirstScheduledObject(0);
    const int classes = Task()->GetClassInfoList().GetCount();
    struct Case {
        int code;
        std::vector<std::string> calls;
    } cases[] = {
        {8, {F(Feature::TeachingTime)}},
        {9, {F(Feature::ClassList)}},
        {10, {F(Feature::SubjectList)}},
        {11, {F(Feature::TeacherList)}},
        {12, {F(Feature::TeacherGroupList)}},
        {13, {F(Feature::RoomList)}},
        {14, {F(Feature::SelfStudyList)}},
        {15, {F(Feature::PlanList)}},
        {16, {F(Feature::ScheduleRules)}},
        {17, {F(Feature::PresetList)}},
        {18, {F(Feature::CombineClassList)}},
        {19, {F(Feature::TeacherFixedTime)}},
        {20, {F(Feature::MutexTeacher)}},
        {21, {F(Feature::AssistantList)}},
        {22, {F(Feature::OETeam)}},
        {23, {F(Feature::MutexSubject)}},
        {24, {"start", "run " + std::to_string(classes), "report 1", "week 0 " + firstClass}},
        {25, {"partial", "run 2", "report 1", "week 0 C2"}},
        {26, {"report 4"}},
        {28, {F(Feature::SchoolTimetable)}},
        {29, {F(Feature::MultiTable)}},
        {30, {"week 0 "}},
        {31, {"week 1 T7"}},
        {32, {"week 2 "}},
        {33, {"hub", "tool 2"}},
        {4, {}},
        {27, {}},
        {35, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        calls.clear();
        panel.Send(WM_TOOLBOX_ACTION, static_cast<zem::WPARAM>(c.code), 0);
        EXPECT_EQ(calls, c.calls);
    }
    EXPECT_EQ(panel.GetCurrentPage(), 4);  // the report's "查看课表" went to page 5
    zem::gui::SetPopupMenuHook(menu);
}

TEST_F(PagePanelTest, EntriesOfMissingFeaturesAreShownDisabled)
{
    panel.FillToolBox(1);
    for (const CToolBoxItem& item : panel.GetToolBox().GetItems())
        EXPECT_FALSE(item.enabled) << item.caption;
    EXPECT_FALSE(panel.GetToolDescPanel().GetLink(104)->isEnabled());
    EXPECT_TRUE(panel.GetToolDescPanel().GetLink(1366)->isEnabled());

    RecordAllFeatures();
    panel.FillToolBox(1);
    for (const CToolBoxItem& item : panel.GetToolBox().GetItems())
        EXPECT_TRUE(item.enabled) << item.caption;
    EXPECT_TRUE(panel.GetToolDescPanel().GetLink(104)->isEnabled());

    // A click on a disabled entry does nothing.
    FeatureWindows().windows.erase(Feature::ClassList);
    panel.FillToolBox(1);
    panel.GetToolBox().Layout(panel.GetToolBox().width());
    const zem::Rect rect = panel.GetToolBox().GetItemRect(9);
    calls.clear();
    QTest::mouseClick(&panel.GetToolBox(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rect.left + 10, rect.top + 10));
    EXPECT_TRUE(calls.empty());
    const zem::Rect time = panel.GetToolBox().GetItemRect(8);
    QTest::mouseClick(&panel.GetToolBox(), Qt::LeftButton, Qt::NoModifier, QPoint(time.left + 10, time.top + 10));
    EXPECT_EQ(calls, std::vector<std::string>{F(Feature::TeachingTime)});
}

TEST_F(PagePanelTest, PagesAndTheirTips)
{
    EXPECT_EQ(panel.GetPageHeader().GetPageCount(), 5);
    panel.AddTaskPages();
    EXPECT_EQ(panel.GetPageHeader().GetPageCount(), 5);
    const std::pair<int, const char*> tips[] = {{0, "什么是排课任务"}, {1, "快速生成基本数据"}, {4, "手工调课的缓冲区"}};
    for (const auto& [page, title] : tips) {
        panel.GetPageHeader().SelectPage(page);
        EXPECT_EQ(panel.GetToolDescPanel().GetTipTitle(), title);
    }
    panel.GetPageHeader().SelectPage(2);  // pages 3 and 4 keep the tip
    EXPECT_EQ(panel.GetToolDescPanel().GetTipTitle(), "手工调课的缓冲区");
    EXPECT_EQ(panel.GetToolBox().GetItems().size(), 8u);
    panel.FillToolBox(7);
    EXPECT_TRUE(panel.GetToolBox().GetItems().empty());
}

TEST_F(PagePanelTest, QuickToolsNeedATask)
{
    RecordAllFeatures();
    MessageRecorder messages;
    panel.GetToolDescPanel().Send(WM_QUICK_TOOL, 104, 0);
    EXPECT_EQ(calls, std::vector<std::string>{F(Feature::Backup)});
    CAppContext::Get()->CloseTask();
    calls.clear();
    for (int id : {104, 106, 105, 109, 1373, 1364, 1395, 108, 1299})
        panel.GetToolDescPanel().Send(WM_QUICK_TOOL, static_cast<zem::WPARAM>(id), 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(9, "没有正在使用的排课任务"));
    // The reverse import makes a task of its own.
    panel.GetToolDescPanel().Send(WM_QUICK_TOOL, 1372, 0);
    EXPECT_EQ(calls, std::vector<std::string>{F(Feature::ReverseImport)});
}

TEST_F(PagePanelTest, TheRecentListCleanUpOffersEveryEntryButTheOpenTask)
{
    CRecentList& recent = CAppContext::Get()->GetRecentTasks();
    const std::string open = recent.GetAt(0);
    const std::string moved = folder.path() + "搬走了/任务.zem";
    recent.Add(moved);  // first now, and no longer on disk
    std::vector<zem::gui::MenuItem> shown;
    auto previousMenu = zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
        shown = items;
        return CPagePanel::ID_RECENT_CLEAN;
    });
    std::vector<std::string> offered;
    ModalScope scope([&](Dialog& d) {
        auto& dialog = static_cast<CRemoveItemsDlg&>(d);
        for (int i = 0; i < dialog.GetList()->GetItemCount(); ++i)
            offered.push_back(dialog.GetList()->GetItemText(i));
        EXPECT_EQ(dialog.Caption(), "从最近使用列表中移除");
        dialog.SendCommand(CRemoveItemsDlg::IDC_CHECK_ALL);
        d.SendCommand(zem::IDOK);
    });

    panel.OnToolboxAction(1);
    EXPECT_EQ(offered, std::vector<std::string>{moved});
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, moved + " （文件不存在）");
    EXPECT_FALSE(shown[0].enabled);
    EXPECT_EQ(shown[1].text, open);
    EXPECT_EQ(shown[3].id, CPagePanel::ID_RECENT_CLEAN);
    // Ticking all removed the moved task, not the open one.
    EXPECT_EQ(recent.GetCount(), 1);
    EXPECT_EQ(recent.GetAt(0), open);
    EXPECT_EQ(zem::GetProfileString(IniPath(), "Recently Tasks", "1"), open);
    EXPECT_EQ(zem::GetProfileString(IniPath(), "Recently Tasks", "2"), "");

    // Only the open task is left: nothing to clean.
    panel.OnToolboxAction(1);
    for (const zem::gui::MenuItem& item : shown)
        EXPECT_NE(item.id, CPagePanel::ID_RECENT_CLEAN);
    zem::gui::SetPopupMenuHook(previousMenu);
}

TEST_F(PagePanelTest, TemporaryTasksNeverOverwriteOrDeleteWhatIsKept)
{
    OpenScheduledSchool();
    RecordAllFeatures();
    PickTeachersWithLessons();
    zem::gui::FakeClock clock;  // 2026-03-05 08:07
    const std::string temp = Task()->GetTaskInfo().GetTempFolder();

    keepTemp = true;
    panel.OnToolboxAction(34);  // an empty list: straight to a new one
    const std::string teacher = Task()->GetTeacherName(pickedTeacher);
    const std::string name = "20260305_0807_" + teacher + "_临时调代课";
    ASSERT_EQ(calls, (std::vector<std::string>{"pick 选择被代课的教师", "temp " + name + " new"}));
    EXPECT_EQ(tempFolders.back(), temp + name + "/");
    EXPECT_TRUE(zem::FileExists(temp + name + "/input.xml"));

    // The same teacher in the same minute: a folder of its own, deleted when not kept.
    keepTemp = false;
    calls.clear();
    panel.StartTempAdjust("");
    EXPECT_EQ(calls.back(), "temp " + name + "_2 new");
    EXPECT_FALSE(zem::FolderExists(temp + name + "_2"));
    EXPECT_TRUE(zem::FileExists(temp + name + "/" + name + ".zem"));

    // Reopened from the list and left unsaved: its folder stays.
    calls.clear();
    panel.StartTempAdjust(name);
    EXPECT_EQ(calls, (std::vector<std::string>{"pick 选择本次被代课的教师 （基于临时任务 - " + name + "）",
                                               "temp " + name + " old"}));
    EXPECT_TRUE(zem::FolderExists(temp + name));

    // A task that fails to open says why, in one message.
    MessageRecorder messages;
    panel.StartTempAdjust("没有这个");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"打开临时任务 没有这个 出错\n\n临时任务文件 " + temp +
                                                         "没有这个/没有这个.zem 不存在"});
    ASSERT_TRUE(zem::WriteFileAtomic(temp + name + "/input.xml", "不是课表"));
    messages.messages.clear();
    calls.clear();
    panel.StartTempAdjust(name);
    ASSERT_EQ(messages.Texts().size(), 1u);
    const std::string said = messages.Texts()[0];
    const std::string head = "打开临时任务 " + name + " 出错\n\n";
    EXPECT_EQ(said.rfind(head, 0), 0u) << said;
    EXPECT_NE(said.find("input.xml"), std::string::npos) << said;
    EXPECT_TRUE(calls.empty());
}

// A temp folder that is a link, to itself or out of the task folder, gets no temporary task: the
// user hears why, and nothing is written through the link.
TEST_F(PagePanelTest, ATempFolderThatIsALinkGetsNoTemporaryTask)
{
    OpenScheduledSchool();
    RecordAllFeatures();
    PickTeachersWithLessons();
    const std::string temp = Task()->GetTaskInfo().GetTempFolder();
    const std::string link = temp.substr(0, temp.size() - 1);
    const std::string outside = folder.path() + "别处";
    ASSERT_TRUE(zem::MakeFolder(outside));
    for (const std::string& target : {link, outside}) {
        SCOPED_TRACE(target);
        zem::RemoveFolder(link);
        ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
        MessageRecorder messages;
        calls.clear();
        panel.StartTempAdjust("");
        EXPECT_EQ(messages.Texts(),
                  std::vector<std::string>{"生成临时任务文件出错\n\n无法使用文件夹，同名的是一个链接：" + link});
        EXPECT_EQ(calls.size(), 1u);  // the picker, and no temporary task
        EXPECT_TRUE(zem::IsLink(link));
    }
    std::vector<zem::FolderEntry> entries;
    ASSERT_TRUE(zem::ListFolder(outside, entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(PagePanelTest, TheTemporaryTaskMenu)
{
    RecordAllFeatures();
    CRecentList& temps = CAppContext::Get()->GetRecentTempTasks();
    temps.Add("丢失的");
    std::vector<zem::gui::MenuItem> shown;
    auto previous = zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
        shown = items;
        return 0;
    });
    panel.OnToolboxAction(34);
    zem::gui::SetPopupMenuHook(previous);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].text, "基于当前任务 - 演示排课");
    EXPECT_TRUE(shown[1].IsSeparator());
    EXPECT_EQ(shown[2].text, "基于临时任务 - 丢失的 （没有找到文件）");
    EXPECT_FALSE(shown[2].enabled);
    EXPECT_EQ(shown[4].text, "清理临时任务...");
    EXPECT_TRUE(calls.empty());
}

TEST_F(PagePanelTest, WeekTimetablesOfAnEmptyListSaySo)
{
    RecordAllFeatures();
    MessageRecorder messages;
    Task()->GetRoomInfoList().RemoveAll();
    panel.OnToolboxAction(32);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"教室和场地列表为空，没有可供查看的教室课表！\n\n您可以在第2页基本数据维护中维护教室和场地信息"});
}

}  // namespace

namespace {

using LaunchersTest = ShellTest;

TEST_F(LaunchersTest, ALauncherWithoutItsWindowSaysSo)
{
    CAppContext* context = MakeContext();
    MessageRecorder messages;
    context->ShowTaskInfoDialog();  // silent without a task
    context->ShowSettingsDialog();
    context->ShowReverseImportDialog();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, kFeatureMissingText));
    int runs = 0;
    FeatureWindows().windows[Feature::Settings] = [&] { ++runs; };
    context->ShowSettingsDialog();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(messages.messages.size(), 2u);
}

}  // namespace

namespace {

using InformationPanelTest = ShellTest;

TEST_F(InformationPanelTest, TheTipChangesEvery25SecondsUnlessTheMouseRestsOnIt)
{
    MakeContext();
    zem::gui::FakeClock clock;
    CToolDescPanel panel;
    panel.Create(nullptr);
    panel.resize(1200, CToolDescPanel::kHeight);
    panel.ShowTip(1);
    zem::Point cursor{5000, 5000};
    auto previous = zem::gui::SetCursorPosHook([&] { return cursor; });
    clock.Advance(24999);
    EXPECT_EQ(panel.GetTipTitle(), "什么是排课任务");
    clock.Advance(1);
    EXPECT_NE(panel.GetTipTitle(), "什么是排课任务");

    const QPoint over = panel.mapToGlobal(QPoint(100, 60));
    cursor = {over.x(), over.y()};
    const std::string shown = panel.GetTipTitle();
    clock.Advance(25000);
    EXPECT_EQ(panel.GetTipTitle(), shown);
    zem::gui::SetCursorPosHook(previous);

    // A click on the tip shows another one.
    QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
    EXPECT_NE(panel.GetTipTitle(), shown);
}

}  // namespace

namespace {

using ProgramFeaturesTest = ShellTest;

// The panel with the program's own windows on the demo task, showing the page.
void ShowDemoTaskPage(CPagePanel& panel, int page)
{
    EXPECT_TRUE(CAppContext::Get()->OpenDemoTask());
    RegisterProgramFeatures();
    panel.Create(nullptr);
    panel.resize(1200, 700);
    panel.AddTaskPages();
    panel.GetPageHeader().SelectPage(page);
}

TEST_F(ProgramFeaturesTest, TheTeachingTimeOpensFromPage2)
{
    MakeContext();
    CPagePanel panel;
    ShowDemoTaskPage(panel, 1);
    EXPECT_TRUE(panel.GetToolBox().GetItems().front().enabled);
    std::string caption;
    ModalScope scope([&](Dialog& d) {
        caption = d.Caption();
        d.close();
    });
    panel.OnToolboxAction(8);
    EXPECT_EQ(caption, "设置教学时间");
}

TEST_F(ProgramFeaturesTest, TheDataStatisticsOpenOnTheOpenTask)
{
    MakeContext();
    ASSERT_TRUE(CAppContext::Get()->OpenDemoTask());
    RegisterProgramFeatures();
    EXPECT_TRUE(FeatureWindows().Has(Feature::DataStatistics));
    std::vector<std::string> firstLine;
    ModalScope scope([&](Dialog& d) {
        firstLine = {d.Caption(), static_cast<CDataStatisticsDlg&>(d).GetList()->GetItemText(0, 1)};
        d.close();
    });
    CAppContext::Get()->ShowDataStatisticsDialog();
    EXPECT_EQ(firstLine, (std::vector<std::string>{"基本数据统计", CAppContext::Get()->GetTask()->GetTaskInfo().GetTaskName()}));
}

TEST_F(ProgramFeaturesTest, Page5sEntryRunsTheChooserThenTheSplitAndNeedsATask)
{
    MakeContext();
    CPagePanel panel;
    ShowDemoTaskPage(panel, 4);
    panel.GetToolBox().Layout(panel.GetToolBox().width());
    const zem::Rect entry = panel.GetToolBox().GetItemRect(33);
    ASSERT_FALSE(entry.IsRectEmpty());
    auto clickEntry = [&] {
        QTest::mouseClick(&panel.GetToolBox(), Qt::LeftButton, Qt::NoModifier, QPoint(entry.left + 10, entry.top + 10));
    };

    std::vector<std::string> opened;
    bool chooseSplit = true;
    ModalScope scope([&](Dialog& shown) {
        opened.push_back(shown.Caption());
        if (dynamic_cast<CPlanAdjustHubDlg*>(&shown) && chooseSplit)
            QTest::mouseClick(shown.GetDlgItem(CPlanAdjustHubDlg::IDC_SPLIT_PLAN), Qt::LeftButton);
        else
            shown.EndDialog(zem::IDCANCEL);
    });
    clickEntry();
    EXPECT_EQ(opened, (std::vector<std::string>{"教学计划调整", "教学计划调整 - 拆分教学计划"}));

    // A chooser closed without a choice opens nothing more.
    opened.clear();
    chooseSplit = false;
    clickEntry();
    EXPECT_EQ(opened, std::vector<std::string>{"教学计划调整"});

    opened.clear();
    CAppContext::Get()->CloseTask();
    MessageRecorder messages;
    panel.OnToolboxAction(33);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"没有正在使用的排课任务"});
}

// The captions of the windows the page's tool-box actions, then the menu commands, open on the
// demo task.
std::vector<std::string> CaptionsOpenedFromPage(int page, std::initializer_list<int> codes,
                                                std::initializer_list<int> menuCommands = {})
{
    CPagePanel panel;
    ShowDemoTaskPage(panel, page);
    std::vector<std::string> captions;
    ModalScope scope([&](Dialog& d) {
        captions.push_back(d.Caption());
        d.close();
    });
    for (int code : codes) {
        EXPECT_TRUE(CPagePanel::IsActionAvailable(code)) << code;
        panel.OnToolboxAction(code);
    }
    for (int id : menuCommands)
        panel.OnMenuCommand(id);
    return captions;
}

TEST_F(ProgramFeaturesTest, TheBasicDataPagesOpenFromPage2)
{
    MakeContext();
    EXPECT_EQ(CaptionsOpenedFromPage(1, {9, 10, 11, 13, 12}),
              (std::vector<std::string>{"班级信息列表", "课程信息列表", "教师信息列表",
                                        "教室和场地信息列表 （此处维护有竞争性的特殊教室，如计算机机房、"
                                        "操场等。每班一个的固定教室可以不录入）",
                                        "教师组信息列表"}));
}

TEST_F(ProgramFeaturesTest, TheRulePagesOpenFromPage3)
{
    MakeContext();
    EXPECT_EQ(CaptionsOpenedFromPage(2, {16, 17, 18, 20, 22, 23},
                                     {CPagePanel::ID_FIXED_CLASS, CPagePanel::ID_FIXED_SUBJECT,
                                      CPagePanel::ID_FIXED_TEACHER, CPagePanel::ID_FIXED_TEACHER_GROUP,
                                      CPagePanel::ID_FIXED_PLAN}),
              (std::vector<std::string>{
                  "自动排课基本规则", "预排课", "合班", "互斥教师组",
                  "单双周组合（如果有单双周课程，可以在这里指定组合；如不指定，自动排课时将随机配对）",
                  "课程互斥（同一班级课表上的互斥课程不安排在同一天，例如体育和足球）",
                  "班级固定无课时间", "设置课程固定无课时间", "教师固定无课时间", "教师组固定无课时间",
                  "教学计划固定无课时间"}));
}

TEST_F(ProgramFeaturesTest, TheSelfStudyAndAssistantPagesOpen)
{
    MakeContext();
    ASSERT_TRUE(CAppContext::Get()->OpenDemoTask());
    RegisterProgramFeatures();
    CPagePanel panel;
    panel.Create(nullptr);
    panel.AddTaskPages();
    std::vector<std::string> captions;
    ModalScope scope([&](Dialog& d) {
        captions.push_back(d.Caption());
        d.close();
    });
    for (int code : {14, 21}) {
        EXPECT_TRUE(CPagePanel::IsActionAvailable(code)) << code;
        panel.OnToolboxAction(code);
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"早读和晚自习信息列表", "助教"}));
}

}  // namespace

