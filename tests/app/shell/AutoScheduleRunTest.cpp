// The automatic run as the user works it on the demo task: the start page, the run dialog, the
// report, cancelling, partial re-scheduling, and the completion view.
#include "support/OutputLessons.h"
#include "support/ShellTestSupport.h"
#include "support/TableConsistency.h"

#include "app/shared/LessonCounter.h"
#include "app/shared/ObjectLists.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shell/AutoScheduleDlg.h"
#include "app/shell/AutoScheduleReportDlg.h"
#include "app/shell/AutoScheduleStartDlg.h"
#include "app/shell/PagePanel.h"
#include "app/shell/PartialRescheduleDlg.h"
#include "app/shell/ScheduleCompletionDlg.h"
#include "app/shell/ScheduleWindows.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"
#include "base/ScheduleValidator.h"

#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>

#include <algorithm>
#include <atomic>
#include <functional>
#include <chrono>
#include <functional>
#include <latch>
#include <thread>
#include <utility>
#include <map>

namespace {

using zem::gui::Dialog;

const std::string kDemoFolder = std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD/";
const std::string kDemoName = "演示排课.zem";

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

// Works the dialogs of a run by their type, as a user would; records which were shown.
struct RunScript {
    std::function<void(CAutoScheduleStartDlg&)> start = [](CAutoScheduleStartDlg& d) { Click(d, zem::IDOK); };
    std::function<void(CAutoScheduleDlg&)> run = [](CAutoScheduleDlg& d) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 300000));
    };
    std::function<void(CAutoScheduleReportDlg&)> report = [](CAutoScheduleReportDlg& d) { Click(d, zem::IDCANCEL); };
    std::function<void(CPartialRescheduleDlg&)> partial;
    std::function<void(CMultiSelectDlg&)> chooser;
    std::vector<std::string> shown;

    zem::gui::ModalHook Hook()
    {
        return [this](Dialog& d) {
            if (auto* s = dynamic_cast<CAutoScheduleStartDlg*>(&d)) {
                shown.push_back("start");
                start(*s);
            } else if (auto* r = dynamic_cast<CAutoScheduleDlg*>(&d)) {
                shown.push_back("run");
                run(*r);
            } else if (auto* p = dynamic_cast<CAutoScheduleReportDlg*>(&d)) {
                shown.push_back("report");
                report(*p);
            } else if (auto* q = dynamic_cast<CPartialRescheduleDlg*>(&d)) {
                shown.push_back("partial");
                partial(*q);
            } else if (auto* c = dynamic_cast<CMultiSelectDlg*>(&d)) {
                shown.push_back("chooser");
                chooser(*c);
            }
        };
    }
};

// The look of the line after the report's result heading.
struct LineLook {
    bool found = false;
    bool bold = false;
    bool red = false;
    std::string text;
};

LineLook LookAfter(QTextEdit* edit, const char* heading)
{
    LineLook look;
    const QString text = edit->toPlainText();
    const int at = text.indexOf(QString::fromUtf8(heading));
    if (at < 0)
        return look;
    const int start = text.indexOf('\n', at) + 1;
    int end = text.indexOf('\n', start);
    if (end < 0)
        end = text.size();
    look.found = true;
    look.text = text.mid(start, end - start).toStdString();
    QTextCursor cursor(edit->document());
    cursor.setPosition(start + 1);
    look.bold = cursor.charFormat().fontWeight() >= QFont::Bold;
    look.red = cursor.charFormat().foreground().color() == QColor(255, 0, 0);
    return look;
}

// The entries of backup.ini made for a reason, read from a fresh copy of the task.
int BackupsFor(const std::string& taskFile, const std::string& reason)
{
    CScheduleTask task;
    EXPECT_TRUE(task.Open(taskFile, TaskAccess::ReadOnly));
    std::vector<const CBackupEntry*> entries;
    task.GetBackupManager().GetAllBackups(entries);
    int n = 0;
    for (const CBackupEntry* entry : entries)
        n += entry->m_strDescription == reason;
    return n;
}

using OutputItems = std::map<std::string, std::vector<std::string>>;

// Holds the engine's thread at the end of its first try until the test lets it go, so that what the
// test does meanwhile never races the run. Tries are counted.
class FirstTryLatch {
public:
    void operator()(const CoreTryInfo&)
    {
        if (m_tries++ != 0)
            return;
        m_held = true;
        // Only a program that never lets the latch go meets the deadline: its test fails, not hangs.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (!m_released && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
    }
    // On the GUI thread: waits, serving its events, until the engine is held (false when the run
    // ended without a try).
    bool WaitHeld(CAutoScheduleDlg& dialog)
    {
        return QTest::qWaitFor([&] { return m_held.load() || dialog.IsEnded(); }, 300000) && m_held;
    }
    void Release() { m_released = true; }
    int Tries() const { return m_tries; }

    // Lets the engine go when the test's part ends, also when an assertion ended it early.
    struct Releaser {
        FirstTryLatch& latch;
        ~Releaser() { latch.Release(); }
    };

private:
    std::atomic<int> m_tries{0};
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_released{false};
};

class ScheduleRunTest : public ShellTest {
protected:
    ScheduleRunTest()
    {
        std::string error;
        EXPECT_EQ(zem::CopyFolder(kDemoFolder, TaskFolder(), &error), 0) << error;
        MakeContext();
        EXPECT_TRUE(CAppContext::Get()->OpenTask(TaskFile(), false));
        RegisterScheduleWindows();
        CAutoScheduleDlg::ResetFirstRunTimeForTesting();
        CScheduleTask::ResetAutoBackupStateForTesting();
        SetRunOptions(4);
    }
    ~ScheduleRunTest() override { CAutoScheduleDlg::SetRunOptionsForTesting(std::nullopt); }

    static void SetRunOptions(int tries, std::function<void(const CoreTryInfo&)> observer = {})
    {
        CoreRunOptions options;
        options.seed = 5;
        options.tries = tries;
        options.pauses = false;
        options.observer = std::move(observer);
        CAutoScheduleDlg::SetRunOptionsForTesting(options);
    }

    std::string TaskFolder() const { return folder.path() + "task/"; }
    std::string TaskFile() const { return TaskFolder() + kDemoName; }
    CScheduleTask& Task() { return *CAppContext::Get()->GetTask(); }

    CAutoRange WholeSchool()
    {
        CAutoRange range;
        std::vector<std::string> ids;
        for (const auto& [id, object] : Task().GetClassInfoList())
            ids.push_back(id);
        range.SetClass(ids);
        return range;
    }
    int RunWholeSchool(CAutoRange& range)
    {
        ModalScope scope(script.Hook());
        return RunAutoSchedule(range);
    }

    // Runs an action of the tool box as its click would.
    void Action(int code)
    {
        CPagePanel panel;
        panel.Create(nullptr);
        panel.AddTaskPages();
        ModalScope scope(script.Hook());
        panel.OnToolboxAction(code);
    }

    RunScript script;
    ScriptedMessages messages;
};

TEST_F(ScheduleRunTest, WholeSchoolRunFromTheToolBoxReportsItsResultAndBacksUpOnce)
{
    LineLook result;
    bool viewShown = false, viewEnabled = true;
    std::string report;
    FirstTryLatch latch;
    SetRunOptions(4, std::ref(latch));
    bool placingShown = false;
    script.start = [](CAutoScheduleStartDlg& d) {
        SaveScreenshot(&d, "auto_schedule_start");
        Click(d, zem::IDOK);
    };
    script.run = [&](CAutoScheduleDlg& d) {
        FirstTryLatch::Releaser releaser{latch};
        ASSERT_TRUE(latch.WaitHeld(d));
        // Held in its first try, the engine has said it is placing: the text reaches the window.
        placingShown = QTest::qWaitFor([&] { return d.GetStatusText() == "正在排课，请稍候..."; }, 300000);
        latch.Release();
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 300000));
    };
    script.report = [&](CAutoScheduleReportDlg& d) {
        QTextEdit* edit = d.GetReportEdit();
        report = edit->toPlainText().toStdString();
        result = LookAfter(edit, CReportInfo::kResultHeading);
        viewShown = d.GetDlgItem(zem::IDOK)->isVisibleTo(&d);
        viewEnabled = d.IsItemEnabled(zem::IDOK);
        SaveScreenshot(&d, "auto_schedule_report");
        Click(d, zem::IDCANCEL);
    };
    Action(24);

    EXPECT_EQ(script.shown, (std::vector<std::string>{"start", "run", "report"}));
    EXPECT_TRUE(placingShown);
    EXPECT_NE(report.find(CReportInfo::kResultHeading), std::string::npos);
    ASSERT_TRUE(result.found);
    EXPECT_TRUE(result.text.find("全部排完") == 0 || result.text.find("本次自动排课结束") == 0) << result.text;
    EXPECT_TRUE(result.bold);
    EXPECT_FALSE(result.red);
    // The run placed lessons, but no timetable window exists yet to open them in.
    EXPECT_TRUE(viewShown);
    EXPECT_FALSE(viewEnabled);
    EXPECT_EQ(BackupsFor(TaskFile(), "自动排课前"), 1);
    EXPECT_TRUE(zem::FileExists(TaskFolder() + "output.xml"));
    EXPECT_TRUE(CompareWithReopened(Task(), TaskFile()).IsClean());
    // The checks of later changes read the lessons the run placed.
    EXPECT_TRUE(WorkingTablesMatchCommitted(Task()));
}

TEST_F(ScheduleRunTest, AFailedDataCheckShowsTheResultLineRedAndNoTimetableButton)
{
    // A plan whose teacher is gone: the engine refuses the data.
    std::vector<CCourseInfo*> plans;
    Task().GetFullCourseList(plans);
    ASSERT_FALSE(plans.empty());
    Task().GetTeacherInfoList().Remove(plans.front()->GetTeacherId());

    LineLook result;
    bool viewShown = true;
    script.report = [&](CAutoScheduleReportDlg& d) {
        result = LookAfter(d.GetReportEdit(), CReportInfo::kResultHeading);
        viewShown = d.GetDlgItem(zem::IDOK)->isVisibleTo(&d);
        SaveScreenshot(&d, "auto_schedule_report_check_failed");
        Click(d, zem::IDCANCEL);
    };
    Action(24);

    EXPECT_EQ(script.shown, (std::vector<std::string>{"start", "run", "report"}));
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.text.rfind("本次自动排课未开始", 0), 0u) << result.text;
    EXPECT_TRUE(result.bold);
    EXPECT_TRUE(result.red);
    EXPECT_FALSE(viewShown);
}

TEST_F(ScheduleRunTest, ClosingTheStartPageRunsNothing)
{
    script.start = [](CAutoScheduleStartDlg& d) { d.close(); };
    Action(24);
    EXPECT_EQ(script.shown, std::vector<std::string>{"start"});
    EXPECT_FALSE(zem::FileExists(TaskFolder() + "Backup"));
}

TEST_F(ScheduleRunTest, CancelStopsTheEngineAtOnceAndLeavesTheTaskAsItsFilesHoldIt)
{
    // The second run comes four hours after the first, so that both back the task up.
    std::int64_t now = zem::ToEpochSeconds({2026, 3, 5, 8, 7, 0});
    const zem::ClockHook previousClock = zem::SetClockHook([&] { return zem::FromEpochSeconds(now); });
    // A first run gives output.xml a timetable to compare with.
    CAutoRange all = WholeSchool();
    ASSERT_NE(RunWholeSchool(all), 0);
    const std::string outputBefore = ReadRaw(TaskFolder() + "output.xml");
    const std::string reportBefore = ReadRaw(TaskFolder() + "report.txt");
    const PlanCountSnapshot counts = CaptureCounts(Task());

    now += 4 * 3600;
    // The engine is held in its first try while the user presses Cancel; without the stop it asks
    // for, the run would go on to its 50th try and save.
    FirstTryLatch latch;
    SetRunOptions(50, std::ref(latch));
    std::string stoppingText;
    script.run = [&](CAutoScheduleDlg& d) {
        FirstTryLatch::Releaser releaser{latch};
        ASSERT_TRUE(latch.WaitHeld(d));
        SaveScreenshot(&d, "auto_schedule_running");
        Click(d, zem::IDCANCEL);
        EXPECT_TRUE(d.IsStopping());
        stoppingText = d.GetStatusText();
        latch.Release();
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 300000));
    };
    script.shown.clear();
    const int finish = RunWholeSchool(all);

    EXPECT_EQ(finish, 0);
    EXPECT_EQ(stoppingText, CAutoScheduleDlg::kStoppingText);
    EXPECT_EQ(latch.Tries(), 1);  // no try ran to its end after Cancel
    EXPECT_EQ(script.shown, std::vector<std::string>{"run"});
    EXPECT_EQ(ReadRaw(TaskFolder() + "output.xml"), outputBefore);
    EXPECT_EQ(ReadRaw(TaskFolder() + "report.txt"), reportBefore);
    // The task in memory is what its files hold: nothing of the stopped run is left to be saved.
    const ScheduleValidation reopened = CompareWithReopened(Task(), TaskFile());
    EXPECT_TRUE(reopened.IsClean()) << reopened.Text();
    const ScheduleValidation changed = CompareCounts(counts, Task());
    EXPECT_TRUE(changed.IsClean()) << changed.Text();
    CScheduleTask fromFiles;
    ASSERT_TRUE(fromFiles.Open(TaskFile()));
    EXPECT_EQ(Task().GetLastReportInfo().GetReportInfo(), fromFiles.GetLastReportInfo().GetReportInfo());
    // The backup made before the stopped run stays.
    EXPECT_EQ(BackupsFor(TaskFile(), "自动排课前"), 2);
    zem::SetClockHook(previousClock);
}

TEST_F(ScheduleRunTest, PartialRunReschedulesTheChosenClassesAndKindsOnly)
{
    CAutoRange all = WholeSchool();
    ASSERT_NE(RunWholeSchool(all), 0);
    const OutputItems before = LessonsByClass(TaskFolder() + "output.xml");

    std::vector<std::string> chosen;
    script.shown.clear();
    script.partial = [&](CPartialRescheduleDlg& d) {
        d.Item<QCheckBox>(CPartialRescheduleDlg::IDC_MORNING_READING)->click();
        // OK without a class opens the chooser first.
        Click(d, zem::IDOK);
        chosen = d.GetChosenIds();
        EXPECT_EQ(d.GetClassList()->GetItemCount(), 2);
        EXPECT_EQ(d.GetCountText(), "已选择 2 个班级");
        SaveScreenshot(&d, "partial_reschedule");
    };
    script.chooser = [](CMultiSelectDlg& d) {
        auto& list = *d.Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
        ClickCheck(list, 0);
        ClickCheck(list, 1);
        Click(d, zem::IDOK);
    };
    Action(25);

    EXPECT_EQ(script.shown, (std::vector<std::string>{"partial", "chooser", "run", "report"}));
    ASSERT_EQ(chosen.size(), 2u);
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.back().text,
              "您选中的 2 个班级的 常规晚自习 将重新自动排课\n现有相关课表数据会被新的自动排课结果覆盖\n\n确定要继续吗");
    EXPECT_EQ(messages.messages.back().caption, "自动排课");

    // Morning reading was not chosen: it stays even in the chosen classes.
    auto morningReading = [](const std::vector<std::string>& items) {
        std::vector<std::string> kept;
        for (const std::string& item : items)
            if (item.find(" segment=3 ") != std::string::npos)
                kept.push_back(item);
        return kept;
    };
    const OutputItems after = LessonsByClass(TaskFolder() + "output.xml");
    ASSERT_EQ(after.size(), before.size());
    int changedInRange = 0;
    for (const auto& [classId, items] : before) {
        const std::vector<std::string>& now = after.at(classId);
        if (classId == chosen[0] || classId == chosen[1]) {
            EXPECT_EQ(morningReading(now), morningReading(items)) << classId;
            EXPECT_FALSE(morningReading(items).empty());
            changedInRange += now != items;
            continue;
        }
        ASSERT_EQ(now.size(), items.size()) << classId;
        for (std::size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(now[i], items[i]) << classId << " item " << i;
    }
    EXPECT_GT(changedInRange, 0);
    const ScheduleValidation validation = ValidateSchedule(Task());
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
    EXPECT_TRUE(WorkingTablesMatchCommitted(Task()));
}

}  // namespace

namespace {

// Opens the run dialog over the whole school and cancels it at once; answers whether it backed up.
bool BackedUpByARunAt(std::int64_t epochSeconds)
{
    const zem::ClockHook previous = zem::SetClockHook([=] { return zem::FromEpochSeconds(epochSeconds); });
    CAutoRange range;
    CAutoScheduleDlg dialog;
    dialog.SetRange(&range);
    ModalScope scope([](Dialog& d) { Click(d, zem::IDCANCEL); });
    dialog.RunModal();
    zem::SetClockHook(previous);
    return dialog.IsBackedUp();
}

}  // namespace

TEST_F(ScheduleRunTest, TheFirstRunBacksUpAndSoDoesARunMoreThanThreeHoursLater)
{
    const std::int64_t first = zem::ToEpochSeconds({2026, 3, 5, 8, 7, 0});
    struct Case {
        std::int64_t at;
        bool backup;
    };
    const Case cases[] = {
        {first, true},                 // the first run since the program started
        {first + 10 * 60, false},      // ten minutes later
        {first + 3 * 3600, false},     // three hours: not more than three
        {first + 4 * 3600, true},      // four hours after the first run
        {first + 5 * 3600, true},      // and every run after that: the first run's time stays
    };
    for (const Case& c : cases)
        EXPECT_EQ(BackedUpByARunAt(c.at), c.backup) << (c.at - first) << " s after the first run";
    EXPECT_EQ(BackupsFor(TaskFile(), "自动排课前"), 3);

    // A second task opened later in the session keeps a first-run time of its own.
    const std::string second = folder.path() + "second/";
    std::string error;
    ASSERT_EQ(zem::CopyFolder(kDemoFolder, second, &error), 0) << error;
    ASSERT_TRUE(CAppContext::Get()->OpenTask(second + kDemoName, false));
    EXPECT_TRUE(BackedUpByARunAt(first + 20 * 60));
    EXPECT_FALSE(BackedUpByARunAt(first + 30 * 60));
    EXPECT_EQ(BackupsFor(second + kDemoName, "自动排课前"), 1);
}

TEST_F(ScheduleRunTest, TheWordsAreTheRangesSubjectsAndTeachersOrEverySubjectAndTeacher)
{
    CScheduleTask& task = Task();
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    const std::string classId = plans.front()->GetClassId();
    CAutoRange oneClass;
    oneClass.SetClass({classId});
    std::vector<std::string> expected;
    for (const CCourseInfo* plan : plans) {
        if (plan->GetClassId() != classId)
            continue;
        for (const std::string& name : {task.GetSubjectName(plan->GetSubjectId()), task.GetTeacherName(plan->GetTeacherId())})
            if (std::find(expected.begin(), expected.end(), name) == expected.end())
                expected.push_back(name);
    }
    EXPECT_EQ(CAutoScheduleDlg::CollectWords(task, &oneClass), expected);

    // A range whose classes have no plans floats every subject and then every teacher.
    CAutoRange noPlans;
    noPlans.SetClass({"no-such-class"});
    const std::vector<std::string> all = CAutoScheduleDlg::CollectWords(task, &noPlans);
    EXPECT_EQ(all.size(), static_cast<std::size_t>(task.GetSubjectInfoList().GetCount() + task.GetTeacherInfoList().GetCount()));
    EXPECT_EQ(CAutoScheduleDlg::CollectWords(task, nullptr), all);
}

TEST_F(ScheduleRunTest, TheReportEmphasisesItsResultLineByMode)
{
    const std::string head = "【排课时间】\n2026-03-05\n\n";
    struct Case {
        const char* what;
        std::string text;
        int mode;
        bool canView;
        bool bold, red, viewShown, viewEnabled;
    };
    const Case cases[] = {
        {"all placed", head + "【自动排课结果】\n全部排完，排课成功！\n", 1, true, true, false, true, true},
        {"lessons left, no timetable window", head + "【自动排课结果】\n本次自动排课结束。\n", 3, false, true, false, true, false},
        {"data check failed", head + "【自动排课结果】\n本次自动排课未开始！\n", 2, true, true, true, false, false},
        {"from the tool box", head + "【自动排课结果】\n全部排完，排课成功！\n", 4, true, true, false, false, false},
        {"the result could not be saved",
         head + "【自动排课结果】\n全部排完，排课成功！\n【保存失败】\n排课结果未能保存到课表文件 output.xml。\n", 1, true,
         true, true, true, true},
        {"no heading", head + "全部排完\n", 1, true, false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CAutoScheduleReportDlg dialog;
        dialog.m_report = c.text;
        dialog.m_mode = c.mode;
        dialog.m_canViewTables = c.canView;
        LineLook result, failure;
        bool shown = false, enabled = false;
        int caret = -1;
        ModalScope scope([&](Dialog&) {
            result = LookAfter(dialog.GetReportEdit(), CReportInfo::kResultHeading);
            failure = LookAfter(dialog.GetReportEdit(), CReportInfo::kSaveFailedHeading);
            if (!result.found)
                result = LookAfter(dialog.GetReportEdit(), "【排课时间】");
            shown = dialog.GetDlgItem(zem::IDOK)->isVisibleTo(&dialog);
            enabled = dialog.IsItemEnabled(zem::IDOK);
            caret = dialog.GetReportEdit()->textCursor().position();
            if (c.mode == 1 && failure.found)
                SaveScreenshot(&dialog, "auto_schedule_report_save_failed");
        });
        dialog.DoModal();
        EXPECT_EQ(dialog.Caption(), "自动排课报告");
        EXPECT_EQ(result.bold, c.bold);
        EXPECT_EQ(result.red, c.red);
        if (failure.found) {
            EXPECT_TRUE(failure.bold);
            EXPECT_TRUE(failure.red);
        }
        EXPECT_EQ(shown, c.viewShown);
        EXPECT_EQ(enabled, c.viewEnabled);
        EXPECT_EQ(caret, QString::fromStdString(c.text).size());
    }
}

TEST_F(ScheduleRunTest, PartialDialogNamesTheKindsAndStaysOpenUntilARangeIsConfirmed)
{
    struct Kinds {
        bool common, morning, self;
        const char* text;
    };
    for (const Kinds& k : {Kinds{true, false, true, "常规晚自习"}, Kinds{true, true, true, "所有课程"},
                           Kinds{false, true, false, "早读"}, Kinds{true, true, false, "常规早读"}})
        EXPECT_EQ(CPartialRescheduleDlg::MakeKindsText(k.common, k.morning, k.self), k.text);

    CAutoRange range;
    CPartialRescheduleDlg dialog;
    dialog.SetRange(&range);
    std::vector<bool> endedAfter;
    script.partial = [&](CPartialRescheduleDlg& d) {
        // The chooser cancelled: still no class, the dialog stays.
        Click(d, zem::IDOK);
        endedAfter.push_back(d.IsEnded());
        // Two classes but no kind.
        Click(d, CPartialRescheduleDlg::IDC_CHOOSE_CLASSES);
        for (int id : {CPartialRescheduleDlg::IDC_COMMON, CPartialRescheduleDlg::IDC_MORNING_READING,
                       CPartialRescheduleDlg::IDC_SELF_STUDY})
            d.Item<QCheckBox>(id)->click();
        Click(d, zem::IDOK);
        endedAfter.push_back(d.IsEnded());
        // The question answered with Cancel.
        d.Item<QCheckBox>(CPartialRescheduleDlg::IDC_SELF_STUDY)->click();
        Click(d, zem::IDOK);
        endedAfter.push_back(d.IsEnded());
        Click(d, zem::IDOK);
        endedAfter.push_back(d.IsEnded());
    };
    int choosers = 0;
    script.chooser = [&](CMultiSelectDlg& d) {
        if (choosers++ == 0) {
            Click(d, zem::IDCANCEL);
            return;
        }
        auto& list = *d.Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
        ClickCheck(list, 0);
        ClickCheck(list, 2);
        Click(d, zem::IDOK);
    };
    ScriptedMessages answers({zem::IDOK, zem::IDCANCEL, zem::IDOK});
    ModalScope scope(script.Hook());
    EXPECT_EQ(dialog.DoModal(), zem::IDOK);
    EXPECT_EQ(endedAfter, (std::vector<bool>{false, false, false, true}));
    ASSERT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(answers.messages[0].text, "常规、早读和晚自习中，您必须至少选择一种类型");
    EXPECT_EQ(answers.messages[1].text, answers.messages[2].text);
    EXPECT_EQ(answers.messages[1].text.rfind("您选中的 2 个班级的 晚自习 将重新自动排课", 0), 0u);
    EXPECT_EQ(range.GetClassCount(), 2);
    EXPECT_TRUE(range.hasSS());
    EXPECT_FALSE(range.hasCommon());
    EXPECT_FALSE(range.hasMR());
}

namespace {

// The planned and placed lessons of a class, counted here from its plans and its own table.
std::pair<CWeekCount, CWeekCount> CountClass(CScheduleTask& task, const std::string& classId)
{
    CWeekCount planned, placed;
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    for (const CCourseInfo* plan : plans)
        if (plan->GetClassId() == classId)
            planned += plan->GetWeekCount();
    const CCourseTable& table = task.GetClass(classId)->GetTable(false);
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (table.IsUsed(day, segment, section)) {
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    if (!cell.IsInterleave())
                        placed += CWeekCount(1, false);
                    else  // half a lesson for each week that has one
                        for (int half : {1, 2})
                            placed += cell.GetCourseId(half).empty() ? CWeekCount() : CWeekCount(0, true);
                }
    return {planned, placed};
}

std::string TreeText(QTreeWidgetItem* item)
{
    return item->text(0).toStdString();
}

}  // namespace

TEST_F(ScheduleRunTest, CompletionViewCountsEveryClassIntoItsGroup)
{
    CAutoRange all = WholeSchool();
    ASSERT_NE(RunWholeSchool(all), 0);
    CScheduleTask& task = Task();
    // The fixed seed places every lesson: only the two changes below leave a class unfinished or over.
    ASSERT_NE(task.GetLastReportInfo().GetReportInfo().find("全部排完"), std::string::npos);
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    // One lesson taken out of the first plan's class, one put in beyond its plan for another class.
    const CSchoolStructure& week = task.GetSchoolStructure();
    auto forEachSlot = [&](const std::function<bool(const tagTABLE_NODE&)>& visit) {
        return ForEachSlot(week, {.lastSegment = 1}, visit);
    };
    const std::string shortClass = plans.front()->GetClassId();
    CCourseTable& shortTable = task.GetClass(shortClass)->GetTable(false);
    const CCourseInfo* short1 = nullptr;
    const bool removed = forEachSlot([&](const tagTABLE_NODE& node) {
        const CCourseTableNode& cell = shortTable.GetNode(node);
        if (!shortTable.IsUsed(node) || cell.IsInterleave())
            return false;
        short1 = task.FindCourse(cell.GetCourseId(0));
        task.UnsetTableNode(&shortTable, node, 0);
        return short1 != nullptr;
    });
    const CCourseInfo* extra = nullptr;
    bool added = false;
    for (const CCourseInfo* plan : plans) {
        if (added || plan->GetClassId() == shortClass || plan->GetType() != COURSE_TYPE_PLAN)
            continue;
        CCourseTable& table = task.GetClass(plan->GetClassId())->GetTable(false);
        added = forEachSlot([&](const tagTABLE_NODE& node) {
            if (table.IsUsed(node) || week.IsInvalid(node))
                return false;
            task.SetTableNode(&table, plan->GetId(), "", 0, node, 0);
            return true;
        });
        extra = plan;
    }
    ASSERT_TRUE(removed && added);

    CLessonCounter counter(&task);
    counter.Count("", false);
    CScheduleCompletionDlg dialog;
    dialog.SetLessonCounter(&counter);
    std::vector<std::string> texts;
    std::string picked;
    ScriptedMessages notes;
    ModalScope scope([&](Dialog&) {
        QTreeWidget* tree = dialog.GetTree();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree->topLevelItem(0);
        texts.push_back(TreeText(root));
        EXPECT_TRUE(root->isExpanded());
        ASSERT_EQ(root->childCount(), 3);
        for (int g = 0; g < 3; ++g) {
            texts.push_back(TreeText(root->child(g)));
            for (int i = 0; i < root->child(g)->childCount(); ++i)
                texts.push_back(TreeText(root->child(g)->child(i)));
        }
        EXPECT_TRUE(root->child(0)->isExpanded());
        SaveScreenshot(&dialog, "schedule_completion");
        // A group is no class; the first class of the over-placed group is.
        tree->setCurrentItem(root->child(1));
        Click(dialog, zem::IDOK);
        EXPECT_FALSE(dialog.IsEnded());
        tree->setCurrentItem(root->child(1)->child(0));
        Click(dialog, zem::IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), zem::IDOK);
    EXPECT_EQ(dialog.GetSelectedClassId(), extra->GetClassId());
    EXPECT_EQ(notes.Texts(), std::vector<std::string>{"没有选中有效的班级节点"});

    // The texts as the task's own counts give them.
    std::vector<std::string> unfinished, over, finished;
    for (const CZemObject* cls : [&] {
             std::vector<CZemObject*> v;
             MapToOrderedList(task.GetClassInfoList(), v);
             return v;
         }()) {
        const auto [planned, placed] = CountClass(task, cls->GetId());
        const std::string name = cls->GetName();
        const std::string counts = "已排" + placed.ToString() + "节/总" + planned.ToString() + "节";
        if (cls->GetId() == short1->GetClassId())
            unfinished.push_back(name + " (" + counts + " 其中 " + task.GetSubjectName(short1->GetSubjectId()) + " 未排完)");
        else if (cls->GetId() == extra->GetClassId())
            over.push_back(name + " (" + counts + " 其中 " + task.GetSubjectName(extra->GetSubjectId()) + " 超排)");
        else if (planned == placed)
            finished.push_back(name);
    }
    std::vector<std::string> expected{zem::Format("所有班级(%d)", task.GetClassInfoList().GetCount())};
    expected.push_back(zem::Format("未排完(%d)", static_cast<int>(unfinished.size())));
    expected.insert(expected.end(), unfinished.begin(), unfinished.end());
    expected.push_back(zem::Format("已超出(%d)", static_cast<int>(over.size())));
    expected.insert(expected.end(), over.begin(), over.end());
    expected.push_back(zem::Format("已排完(%d)", static_cast<int>(finished.size())));
    expected.insert(expected.end(), finished.begin(), finished.end());
    EXPECT_EQ(texts, expected);
}

TEST_F(ScheduleRunTest, CompletionPlanTextsNameFewSubjectsAndCountMany)
{
    CScheduleTask& task = Task();
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    std::vector<std::string> ids;
    for (const CCourseInfo* plan : plans)
        if (plan->GetClassId() == plans.front()->GetClassId())
            ids.push_back(plan->GetId());
    ASSERT_GE(ids.size(), 5u);
    auto subject = [&](std::size_t i) { return task.GetSubjectName(task.FindCourse(ids[i])->GetSubjectId()); };
    EXPECT_EQ(CScheduleCompletionDlg::MakePlanText({ids[0], ids[1]}), subject(0) + "," + subject(1));
    EXPECT_EQ(CScheduleCompletionDlg::MakePlanText({ids[0], "gone", ids[1]}), subject(0) + "," + subject(1));
    const std::vector<std::string> five(ids.begin(), ids.begin() + 5);
    EXPECT_EQ(CScheduleCompletionDlg::MakePlanText(five), subject(4) + "等5门课程");

    // Without a counter the tree stays empty.
    CScheduleCompletionDlg dialog;
    int items = -1;
    ModalScope scope([&](Dialog&) { items = dialog.GetTree()->topLevelItemCount(); });
    dialog.DoModal();
    EXPECT_EQ(items, 0);
}

TEST_F(ScheduleRunTest, AResultThatCouldNotBeSavedIsReportedAsAFailureWithItsReason)
{
    // As the final save begins, a folder takes output.xml's place: the file cannot be written.
    CoreRunOptions options;
    options.seed = 5;
    options.tries = 4;
    options.pauses = false;
    options.beforeSave = [this] { zem::MakeFolder(TaskFolder() + "output.xml/blocked"); };
    CAutoScheduleDlg::SetRunOptionsForTesting(options);

    std::string lastStatus;
    LineLook result, failure;
    script.run = [&](CAutoScheduleDlg& d) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 300000));
        lastStatus = d.GetStatusText();
    };
    script.report = [&](CAutoScheduleReportDlg& d) {
        result = LookAfter(d.GetReportEdit(), CReportInfo::kResultHeading);
        failure = LookAfter(d.GetReportEdit(), CReportInfo::kSaveFailedHeading);
        Click(d, zem::IDCANCEL);
    };
    Action(24);

    EXPECT_EQ(lastStatus, "排课完成，但排课结果未能全部保存.");
    EXPECT_TRUE(result.red);
    ASSERT_TRUE(failure.found);
    EXPECT_NE(failure.text.find("output.xml"), std::string::npos);
    EXPECT_TRUE(failure.bold && failure.red);
    // The task's own message told the user when the save failed.
    EXPECT_FALSE(messages.messages.empty());
}

namespace {

// Run options whose hook, as the final save begins (the result kept, after the passes and the
// repair), breaks the result the way a faulty pass would.
CoreRunOptions OptionsBreakingTheResult(std::function<void()> fault)
{
    CoreRunOptions options;
    options.seed = 5;
    options.tries = 4;
    options.pauses = false;
    options.beforeSave = std::move(fault);
    return options;
}

// Lays a fixed no-lesson time of a class under the first lesson of its committed week.
void CloseTheFirstLesson(CScheduleTask& task)
{
    for (const auto& [id, object] : task.GetClassInfoList()) {
        const CCourseTable& table = static_cast<CClassInfo*>(object)->GetTable(false);
        tagTABLE_NODE lesson{};
        if (!ForEachSlot(task.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
                lesson = cell;
                return table.IsUsed(cell) && !table.GetNode(cell).data(1).GetCourseId().empty();
            }))
            continue;
        auto* fixed = new CFixedTimeOfClass;
        fixed->SetId(id);
        fixed->ReadFixedTimeFromString(std::to_string(lesson.day * 100 + lesson.segment * 10 + lesson.section) + ",");
        task.GetFixedTimeOfClassList().Add(fixed);
        return;
    }
}

}  // namespace

// The run goes on over a result that broke a rule: its report names each broken rule, in red, and
// says no success.
TEST_F(ScheduleRunTest, AResultThatBreaksARuleIsReportedWithEveryRuleItBreaks)
{
    CAutoScheduleDlg::SetRunOptionsForTesting(OptionsBreakingTheResult([this] { CloseTheFirstLesson(Task()); }));
    std::string lastStatus, report;
    LineLook result, broken;
    script.run = [&](CAutoScheduleDlg& d) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 300000));
        lastStatus = d.GetStatusText();
    };
    script.report = [&](CAutoScheduleReportDlg& d) {
        report = d.GetReportEdit()->toPlainText().toStdString();
        result = LookAfter(d.GetReportEdit(), CReportInfo::kResultHeading);
        broken = LookAfter(d.GetReportEdit(), CReportInfo::kBrokenRulesHeading);
        SaveScreenshot(&d, "auto_schedule_report_rules_broken");
        Click(d, zem::IDCANCEL);
    };
    Action(24);

    EXPECT_EQ(script.shown, (std::vector<std::string>{"start", "run", "report"}));
    EXPECT_EQ(lastStatus, "排课完成，但排课结果违反了排课规则.");
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.text.find("排课成功"), std::string::npos) << result.text;
    EXPECT_TRUE(result.red);
    ASSERT_TRUE(broken.found);
    EXPECT_TRUE(broken.bold && broken.red);
    const ScheduleValidation now = ValidateSchedule(Task());
    ASSERT_GT(now.Count(kCheckFixedTime), 0u);
    for (const ScheduleViolation& violation : now.Violations()) {
        if (violation.check == kCheckFixedTime) {
            EXPECT_NE(report.find(violation.said), std::string::npos) << violation.said;
        }
    }
    // The result is kept: saved with its report.
    const ScheduleValidation reopened = CompareWithReopened(Task(), TaskFile());
    EXPECT_TRUE(reopened.IsClean()) << reopened.Text();
}

// A result that changed a plan's weekly count is refused, of the whole school's run and of a
// partial one: nothing saved, the task as before the run in memory and in its files, and the
// message names the plan.
TEST_F(ScheduleRunTest, AResultThatChangedAWeeklyCountIsRefusedAndLeavesTheTaskAsBefore)
{
    CAutoRange all = WholeSchool();
    ASSERT_NE(RunWholeSchool(all), 0);
    CAutoRange two;
    two.SetClass({all.GetClassIds()[0], all.GetClassIds()[1]});
    const std::string outputBefore = ReadRaw(TaskFolder() + "output.xml");
    const std::string reportBefore = ReadRaw(TaskFolder() + "report.txt");
    const std::string inputBefore = ReadRaw(TaskFolder() + "input.xml");
    const PlanCountSnapshot counts = CaptureCounts(Task());
    std::vector<CCourseInfo*> plans;
    Task().GetFullCourseList(plans);
    const auto inRange = std::find_if(plans.begin(), plans.end(), [&](const CCourseInfo* p) { return two.IsCourseIn(p); });
    ASSERT_NE(inRange, plans.end());
    const std::string planId = (*inRange)->GetId();
    const std::string planSaid = Task().GetCourseDesc(*inRange);
    CAutoScheduleDlg::SetRunOptionsForTesting(OptionsBreakingTheResult([this, planId] {
        CCourseInfo* plan = Task().FindCourse(planId);
        plan->SetWeekCount(plan->GetWeekCount() + CWeekCount(1, false));
    }));

    for (CAutoRange* range : {&all, &two}) {
        SCOPED_TRACE(range->GetClassCount());
        script.shown.clear();
        messages.messages.clear();
        const int finish = RunWholeSchool(*range);

        EXPECT_EQ(finish, 0);
        EXPECT_EQ(script.shown, std::vector<std::string>{"run"});
        ASSERT_EQ(messages.messages.size(), 1u);
        const std::string& said = messages.messages.front().text;
        EXPECT_EQ(said.rfind("这样调整会违反排课规则，已撤销调整：\n", 0), 0u) << said;
        EXPECT_NE(said.find(planSaid + "的周课时由"), std::string::npos) << said;
        EXPECT_EQ(ReadRaw(TaskFolder() + "output.xml"), outputBefore);
        EXPECT_EQ(ReadRaw(TaskFolder() + "report.txt"), reportBefore);
        EXPECT_EQ(ReadRaw(TaskFolder() + "input.xml"), inputBefore);
        const ScheduleValidation changed = CompareCounts(counts, Task());
        EXPECT_TRUE(changed.IsClean()) << changed.Text();
        const ScheduleValidation reopened = CompareWithReopened(Task(), TaskFile());
        EXPECT_TRUE(reopened.IsClean()) << reopened.Text();
        EXPECT_TRUE(WorkingTablesMatchCommitted(Task()));
    }
}

TEST_F(ScheduleRunTest, AModalLoopEndedByTheProgramsEndStopsTheEngineWhileTheWindowsStillPaint)
{
    // The engine is held in its first try, as a long step would hold it, until the window has
    // been served a few timer ticks while it waits for the engine to stop.
    FirstTryLatch latch;
    SetRunOptions(50, std::ref(latch));
    bool stopAsked = false;
    int ticksWhileStopping = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (stopAsked && ++ticksWhileStopping > 5)
            latch.Release();
    });
    ticker.start(10);
    script.run = [&](CAutoScheduleDlg& d) {
        ASSERT_TRUE(latch.WaitHeld(d));
        // The program quits: the modal loop ends without the dialog ending itself.
        stopAsked = true;
    };
    CAutoRange all = WholeSchool();
    EXPECT_EQ(RunWholeSchool(all), 0);
    EXPECT_GT(ticksWhileStopping, 5);
    EXPECT_FALSE(zem::FileExists(TaskFolder() + "output.xml"));
    const ScheduleValidation reopened = CompareWithReopened(Task(), TaskFile());
    EXPECT_TRUE(reopened.IsClean()) << reopened.Text();
}
