// The operation table's rows of the day's lesson changes and the runs: substitutions carried out in
// the temporary-task window, a lesson moved there by hand and saved, the automatic and the partial
// run as the schedule dialog runs them, and the invigilation run of the proctoring page.
// The engine's support first: Qt's headers make a keyword of one of its names.
#include "support/OperationSchools.h"

#include "app/proctor/ProctorDlg.h"
#include "app/proctor/ProctorProgressDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperCallback.h"
#include "app/timetable/TempAdjustDlg.h"
#include "base/ChangeCheck.h"
#include "base/ReportInfo.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"
#include "core/Core.h"
#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ReportList.h"
#include "support/FakeAppServices.h"
#include "support/ModalScope.h"
#include "support/OperationTable.h"
#include "support/ProctorSchool.h"
#include "support/ScreenTestSupport.h"
#include "support/TreeTexts.h"
#include "support/WorkerLatch.h"

#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Cells = std::vector<tagTABLE_NODE>;

// The cells of the teacher's working (temp) or committed timetable that hold a lesson.
Cells UsedCells(const CScheduleTask& task, const CTeacherInfo& teacher, bool temp = true)
{
    Cells cells;
    ForEachSlot(task.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
        if (teacher.GetTable(temp).IsUsed(cell))
            cells.push_back(cell);
        return false;
    });
    return cells;
}

// A substitution to try: the regular teacher, the cells of his lessons, the substitute.
struct Substitution {
    std::string regularId;
    Cells cells;
    CZemObject* substitute = nullptr;
};

// The first teacher, in the task's order, free at every cell and allowed to teach there.
CZemObject* FreeSubstitute(CScheduleTask& task, const std::string& regularId, const Cells& cells)
{
    CTaskHelper helper(&task);
    for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
        if (teacher->GetId() == regularId)
            continue;
        bool free = true;
        for (const tagTABLE_NODE& cell : cells)
            free = free && !teacher->GetTable(true).IsUsed(cell) && helper.CanTeacherTakeAt(teacher->GetId(), cell);
        if (free)
            return teacher;
    }
    return nullptr;
}

// The first teacher with lessons gives those of his first day to a teacher free for them all.
std::optional<Substitution> ADaysLessons(CScheduleTask& task)
{
    for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
        const Cells used = UsedCells(task, *teacher);
        if (used.empty())
            continue;
        Cells day;
        for (const tagTABLE_NODE& cell : used)
            if (cell.day == used.front().day)
                day.push_back(cell);
        if (CZemObject* substitute = FreeSubstitute(task, teacher->GetId(), day))
            return Substitution{teacher->GetId(), day, substitute};
    }
    return std::nullopt;
}

// A lesson given to a teacher on his own fixed no-lesson time (the hand-made school's 张喆 on his
// 党团活动), free of lessons there.
std::optional<Substitution> OntoAFixedTime(CScheduleTask& task)
{
    for (CTeacherInfo* substitute : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList()))
        for (CTeacherInfo* regular : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList()))
            if (regular != substitute)
                for (const tagTABLE_NODE& cell : UsedCells(task, *regular))
                    if (!substitute->GetTable(true).IsUsed(cell) && task.IsTeacherFixedTime(substitute->GetId(), cell))
                        return Substitution{regular->GetId(), {cell}, substitute};
    return std::nullopt;
}

// A lesson given to a teacher while one exclusive with him teaches (马骏 and 何静).
std::optional<Substitution> BesideAnExclusiveTeacher(CScheduleTask& task)
{
    CMutexOfTeacherList& rules = task.GetMutexOfTeacherList();
    rules.RebuildEachTeacherMap();
    for (CTeacherInfo* substitute : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
        const std::vector<std::string>* partners = rules.FindTeacherMutexInfo(substitute->GetId());
        if (!partners)
            continue;
        for (const std::string& partnerId : *partners) {
            const CTeacherInfo* partner = task.GetTeacher(partnerId);
            for (CTeacherInfo* regular : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
                if (regular == substitute || regular == partner || !partner)
                    continue;
                for (const tagTABLE_NODE& cell : UsedCells(task, *regular))
                    if (partner->GetTable(true).IsUsed(cell) && !substitute->GetTable(true).IsUsed(cell) &&
                        !task.IsTeacherFixedTime(substitute->GetId(), cell))
                        return Substitution{regular->GetId(), {cell}, substitute};
            }
        }
    }
    return std::nullopt;
}

// Works the temporary-task window over the open task as the user does: `act` in the window, then
// saved when it changed anything; what the window's tree shows goes with what was said.
void InTempWindow(OperationRun& run, const std::string& teacherId, const std::function<void(CTempAdjustDlg&)>& act)
{
    FakeAppServices services;
    services.task = &run.task;
    const zem::gui::WorkAreaHook area = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1366, 768); });
    CTempAdjustDlg window(nullptr, &run.task, false, teacherId);
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (&shown != &window)
            return;
        act(window);
        if (window.IsModified())
            window.Save();
        run.standIns = window.GetSubstitution().StandIns(run.task);
        for (const std::string& text : TopLevelTexts(*window.Item<QTreeWidget>(CTempAdjustDlg::IDC_TREE)))
            run.said.push_back(text);
        window.close();
    });
    window.DoModal();
    zem::gui::SetWorkAreaHook(area);
}

void Substitute(OperationRun& run, const std::optional<Substitution>& substitution)
{
    if (!substitution)
        return;  // the school has no such lesson: nothing to try
    run.said.push_back("代课 " + run.task.GetTeacherName(substitution->regularId) + " -> " +
                       substitution->substitute->GetName());
    InTempWindow(run, substitution->regularId, [&](CTempAdjustDlg& window) {
        CSubstitutePlan& plan = window.GetSubstituteWnd().GetPlan();
        plan.Assign(substitution->cells, substitution->cells.front(), 0, kSubstituteAll, substitution->substitute);
        window.GetSubstituteWnd().Refill();
        SaveScreenshot(&window, "operation_substitution");
        window.Execute();
    });
}

// The weekly count of every class, subject and kind, copies and plans together.
std::map<std::tuple<std::string, std::string, int>, CWeekCount> CountsBySubject(const CScheduleTask& task)
{
    std::map<std::tuple<std::string, std::string, int>, CWeekCount> counts;
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    for (const CCourseInfo* plan : plans) {
        CWeekCount& count = counts[{plan->GetClassId(), plan->GetSubjectId(), plan->GetType()}];
        count = count + plan->GetWeekCount();
    }
    return counts;
}

// The teacher's lessons in the committed timetable: a whole cell one, a split cell one a half it holds.
int TeacherLessons(const CScheduleTask& task, const std::string& teacherId)
{
    const CTeacherInfo* teacher = task.GetTeacher(teacherId);
    int lessons = 0;
    for (const tagTABLE_NODE& cell : teacher ? UsedCells(task, *teacher, false) : Cells{}) {
        const CCourseTableNode& node = teacher->GetTable(false).GetNode(cell);
        lessons += !node.IsInterleave() ? 1 : (node.data(1).HasCourse() ? 1 : 0) + (node.data(2).HasCourse() ? 1 : 0);
    }
    return lessons;
}

bool SameTimetables(const CScheduleTask& a, CScheduleTask& b)
{
    const ScheduleValidation differences = CompareTimetables(const_cast<CScheduleTask&>(a), b);
    EXPECT_TRUE(differences.IsClean()) << differences.Text();
    return differences.IsClean();
}

// A substitution refused leaves the task as it was; one carried out moves exactly the lessons its
// history entry counts from the regular teacher to the substitute, and every class keeps the
// weekly counts of its subjects, copies included. `carriedOut`: whether the row's substitute may
// take the lessons.
void CompareSubstitution(const OperationRun& run, CScheduleTask& after, bool carriedOut)
{
    std::string regular, substitute;
    const std::regex tried("^代课 (.+) -> (.+)$");
    std::smatch match;
    for (const std::string& text : run.said)
        if (std::regex_search(text, match, tried)) {
            regular = match[1];
            substitute = match[2];
        }
    if (regular.empty())
        return;
    const std::regex entry(" 安排代课 " + regular + " (\\d+)节 -> (.+)$");
    std::string said;
    for (const std::string& text : run.said)
        if (std::regex_search(text, match, entry))
            said = text;
    EXPECT_EQ(CountsBySubject(run.before), CountsBySubject(after));
    EXPECT_EQ(!said.empty(), carriedOut) << testing::PrintToString(run.said);
    if (said.empty()) {
        // Refused, naming the substitute and why.
        const bool named = std::any_of(run.said.begin(), run.said.end(), [&](const std::string& text) {
            return (text.find("已撤销调整") != std::string::npos || text.find("请先解决冲突") != std::string::npos) &&
                   text.find(substitute) != std::string::npos;
        });
        EXPECT_TRUE(named) << testing::PrintToString(run.said);
        SameTimetables(run.before, after);
        EXPECT_EQ(after.GetCourseInfoList().GetCount(), run.before.GetCourseInfoList().GetCount());
        return;
    }
    std::regex_search(said, match, entry);
    const int lessons = std::stoi(match[1]);
    EXPECT_EQ(match[2].str(), substitute);
    std::string regularId, substituteId;
    for (const auto& [id, object] : after.GetTeacherInfoList()) {
        regularId = object->GetName() == regular ? id : regularId;
        substituteId = object->GetName() == substitute ? id : substituteId;
    }
    EXPECT_EQ(TeacherLessons(after, regularId), TeacherLessons(run.before, regularId) - lessons);
    EXPECT_EQ(TeacherLessons(after, substituteId), TeacherLessons(run.before, substituteId) + lessons);
}

// The move the row tries: the window's class (that of the first teacher with lessons) and its
// first two whole lessons of different plans, in the week's order, over the working timetables.
struct TriedMove {
    std::string teacherId, classId;
    tagTABLE_NODE from, to;
};

std::optional<TriedMove> FirstTwoLessons(const CScheduleTask& task)
{
    const CTeacherInfo* first = nullptr;
    for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList()))
        if (!first && !UsedCells(task, *teacher).empty())
            first = teacher;
    const CClassInfo* cls = first ? task.GetClass(FirstClassOfTeacher(task, first->GetId())) : nullptr;
    if (!cls)
        return std::nullopt;
    const CCourseTable& table = cls->GetTable(true);
    Cells whole;
    ForEachSlot(task.GetSchoolStructure(), {.lastSegment = 0}, [&](const tagTABLE_NODE& cell) {
        if (table.IsUsed(cell) && !table.GetNode(cell).IsInterleave())
            whole.push_back(cell);
        return false;
    });
    for (std::size_t j = 1; j < whole.size(); ++j)
        if (table.GetNode(whole[j]).GetCourseId(1) != table.GetNode(whole.front()).GetCourseId(1))
            return TriedMove{first->GetId(), cls->GetId(), whole.front(), whole[j]};
    return std::nullopt;
}

// The first lesson of the window's class picked and put on the first lesson of another plan, as a
// drop arrives from the grid, whether or not the pick marked that cell (every question answered
// 是); saved when it changed anything.
void MoveByHand(OperationRun& run)
{
    const std::optional<TriedMove> tried = FirstTwoLessons(run.task);
    ASSERT_TRUE(tried);
    InTempWindow(run, tried->teacherId, [&](CTempAdjustDlg& window) {
        CTableContainer& container = window.GetContainer();
        ASSERT_EQ(container.GetObjectId(), tried->classId);
        const tagTABLE_NODE picked = container.ToGridNode(tried->from);
        const zem::Point at = container.GetGrid().GetCell(picked)->GetRect().CenterPoint();
        QTest::mouseClick(&container.GetGrid(), Qt::LeftButton, Qt::NoModifier, QPoint(at.x, at.y));
        tagNMT_MOVE move{container.ToGridNode(tried->to), picked};
        zem::SendMessage(&container, WM_TABLE_CELL_MOVED, zem::ToWParam(&move), 0);
    });
}

// A move the task helper refuses is refused with its reason, the task as before; one it allows is
// made, and the save names what the kept move breaks, or nothing when it breaks nothing.
void CompareMoveByHand(const OperationRun& run, CScheduleTask& after)
{
    auto& before = const_cast<CScheduleTask&>(run.before);
    CTaskHelper helper(&before);
    helper.RestoreTempTables();
    const std::optional<TriedMove> tried = FirstTwoLessons(before);
    ASSERT_TRUE(tried);
    const CCourseTable& was = before.GetClass(tried->classId)->GetTable(true);
    const bool allowed = helper.CanSwap(&before.GetClass(tried->classId)->GetTable(true), tried->to, tried->from, false);
    const ScheduleValidation broken = NewViolations(ValidateSchedule(before), ValidateSchedule(after));
    if (!allowed) {
        EXPECT_TRUE(Mentions(run.said, helper.GetText())) << helper.GetText() << "\n" << testing::PrintToString(run.said);
        SameTimetables(before, after);
        return;
    }
    const CCourseTable& now = after.GetClass(tried->classId)->GetTable(false);
    EXPECT_EQ(now.GetNode(tried->to).GetCourseId(1), was.GetNode(tried->from).GetCourseId(1));
    EXPECT_EQ(now.GetNode(tried->from).GetCourseId(1), was.GetNode(tried->to).GetCourseId(1));
    EXPECT_EQ(Mentions(run.said, "调整后以下课程违反了排课规则"), !broken.IsClean()) << broken.Text();
}

// A run as the schedule dialog starts it: the task helper's callback (the repair), one try.
void RunLikeTheDialog(OperationRun& run, CAutoRange& range)
{
    CoreRunOptions options;
    options.seed = 11;
    options.tries = 1;
    options.pauses = false;
    RecordingTarget target;
    CCore core(run.task);
    core.Init(&target);
    core.SetRange(&range);
    core.SetCallback(MakeTaskHelperCallback(run.task, core.GetStopFlag()));
    core.SetOptions(options);
    core.Start();
    core.Wait();
    const CoreRunStats& stats = core.GetStats();
    if (stats.code == kRunRefused)
        zem::ShowMessage(stats.refusal, "自动排课", zem::MessageIcon::Warning);
    else
        run.said.push_back(run.task.GetLastReportInfo().GetReportInfo());
}

std::vector<std::string> FirstClasses(const CScheduleTask& task, std::size_t count)
{
    std::vector<std::string> ids;
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList()))
        if (ids.size() < count)
            ids.push_back(cls->GetId());
    return ids;
}

// The plans of the run's range the report lists as not placed in full are those the saved task
// lacks lessons of.
void CompareRunReport(const OperationRun& run, CScheduleTask& after, const CAutoRange& range)
{
    std::string report;
    for (const std::string& text : run.said)
        if (text.find(CReportInfo::kResultHeading) != std::string::npos)
            report = text;
    ASSERT_FALSE(report.empty()) << testing::PrintToString(run.said);
    int listed = 0;
    for (std::size_t at = 0; (at = report.find("节课未排", at)) != std::string::npos; ++at)
        ++listed;
    int unplaced = 0;
    std::vector<CCourseInfo*> plans;
    after.GetFullCourseList(plans);
    for (const CCourseInfo* plan : plans)
        unplaced += range.IsCourseIn(plan) && LessonsOf(*plan) < plan->GetWeekCount() ? 1 : 0;
    EXPECT_EQ(listed, unplaced);
    EXPECT_EQ(report.find("全部排完") != std::string::npos, unplaced == 0);
}

// Classes outside the partial run's range keep their timetables.
CAutoRange RangeOf(const std::vector<std::string>& classes)
{
    CAutoRange range;
    range.SetClass(classes);
    return range;
}

CAutoRange WholeSchool(const CScheduleTask& task)
{
    return RangeOf(FirstClasses(task, task.GetClassInfoList().GetCount()));
}

void ComparePartialRun(const OperationRun& run, CScheduleTask& after)
{
    CompareRunReport(run, after, RangeOf(FirstClasses(run.before, 2)));
    const std::vector<std::string> range = FirstClasses(run.before, 2);
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(run.before.GetClassInfoList())) {
        if (std::find(range.begin(), range.end(), cls->GetId()) != range.end())
            continue;
        const CClassInfo* now = after.GetClass(cls->GetId());
        ASSERT_TRUE(now);
        ForEachSlot(after.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
            EXPECT_EQ(now->GetTable(false).GetNode(cell).data(1).GetCourseId(),
                      cls->GetTable(false).GetNode(cell).data(1).GetCourseId())
                << cls->GetName();
            return false;
        });
    }
}

constexpr const char* kProctoring = "期中考试";

// Two exams in the first three classes' rooms, watched by the first six teachers, saved as the
// proctoring the page opens.
void SetUpExams(OperationRun& run)
{
    std::vector<std::string> teachers, classes = FirstClasses(run.task, 3);
    for (const CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(run.task.GetTeacherInfoList()))
        if (teachers.size() < 6)
            teachers.push_back(teacher->GetId());
    std::vector<CCourseInfo*> plans;
    run.task.GetFullCourseList(plans);
    ASSERT_FALSE(plans.empty());
    CScheduleProctor proctor;
    ASSERT_TRUE(proctor.Open(&run.task, kProctoring));
    proctor.data().GetTeacherArray() = teachers;
    AddExam(proctor.data(), "p1", 5, "08:00", "10:00", plans.front()->GetSubjectId(), classes, 1);
    AddExam(proctor.data(), "p2", 6, "08:00", "10:00", plans.back()->GetSubjectId(), classes, 1);
    ASSERT_TRUE(proctor.Save());
    ASSERT_TRUE(run.task.SetConfig(CProctorDlg::kRecentSection, "1", kProctoring));
}

// The proctoring page over the open task: `act` works it, `progress` each run's window; the runs
// draw from a fixed seed, at full speed, held where `afterItem` holds them.
void OnProctorPage(OperationRun& run, const std::function<void(CProctorDlg&)>& act,
                   const std::function<void(CProctorProgressDlg&)>& progress,
                   const std::function<void(std::size_t)>& afterItem = {})
{
    CProctorRunOptions options;
    options.seed = 3;
    options.pacing = false;
    options.afterItem = afterItem;
    CProctorProgressDlg::SetRunOptionsForTesting(options);
    FakeAppServices services;
    services.task = &run.task;
    const zem::gui::WorkAreaHook area = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1280, 800); });
    CProctorDlg page;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (auto* window = dynamic_cast<CProctorProgressDlg*>(&shown)) {
            progress(*window);
            return;
        }
        if (&shown != &page)
            return;
        act(page);
        page.SendCommand(zem::IDCANCEL);
    });
    page.DoModal();
    zem::gui::SetWorkAreaHook(area);
    CProctorProgressDlg::SetRunOptionsForTesting(std::nullopt);
}

void WaitForTheRun(CProctorProgressDlg& progress)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress.IsEnded(); }, 60000));
}

// The page's run, then its save; what the page lists goes with what was said.
void Invigilate(OperationRun& run, const std::string& screenshot)
{
    SetUpExams(run);
    OnProctorPage(
        run,
        [&](CProctorDlg& page) {
            page.SendCommand(CProctorDlg::IDC_START);
            page.SendCommand(CProctorDlg::IDC_SAVE);
            SaveScreenshot(&page, screenshot);
            run.said.push_back(zem::Format("监考安排 %d 项", page.GetResultList()->GetItemCount()));
        },
        WaitForTheRun);
}

// The timetables and plans as they were; the saved arrangement holds as many items as the page
// listed, one for every room of every exam.
void CompareInvigilation(const OperationRun& run, CScheduleTask& after)
{
    SameTimetables(run.before, after);
    CScheduleProctor saved;
    ASSERT_TRUE(saved.Open(&after, kProctoring));
    const std::size_t items = saved.data().GetProctorList().size();
    EXPECT_EQ(NumberBefore(run.said, "项"), static_cast<int>(items));
    const std::size_t rooms = 2 * std::min<std::size_t>(3, after.GetClassInfoList().GetCount());
    EXPECT_LE(items, rooms);
    if (items < rooms) {
        EXPECT_TRUE(Mentions(run.said, "部分考场监考教师未达指定人数")) << testing::PrintToString(run.said);
    }
}

// Each item of an arrangement as "exam room teachers", in the list's order.
std::vector<std::string> ArrangementOf(const CProctorData& data)
{
    std::vector<std::string> items;
    for (const auto& item : data.GetProctorList()) {
        std::string text = item->plan + " " + item->room;
        for (const std::string& teacher : item->teachers)
            text += " " + teacher;
        items.push_back(text);
    }
    return items;
}

std::vector<std::string>& ArrangementBeforeTheRestart()
{
    static std::vector<std::string> items;
    return items;
}

// A run to its end, saved; then a new run, cancelled once it has filled its first room (the
// worker held there until 取消 is pressed), and the page saved as the user leaves it.
void CancelARestartedInvigilation(OperationRun& run)
{
    Invigilate(run, "operation_invigilation_before_restart");
    {
        CScheduleProctor saved;
        ASSERT_TRUE(saved.Open(&run.task, kProctoring));
        ArrangementBeforeTheRestart() = ArrangementOf(saved.data());
    }
    WorkerLatch latch;
    const auto holdAtTheFirstRoom = [&](std::size_t items) {
        if (items == 1)
            latch.Hold();
    };
    const auto cancelWhenHeld = [&](CProctorProgressDlg& progress) {
        EXPECT_TRUE(latch.WaitHeld());
        progress.SendCommand(zem::IDCANCEL);
        latch.Release();
    };
    OnProctorPage(
        run,
        [&](CProctorDlg& page) {
            page.SendCommand(CProctorDlg::IDC_START);
            SaveScreenshot(&page, "operation_invigilation_cancelled");
            run.said.push_back(zem::Format("取消后监考安排 %d 项", page.GetResultList()->GetItemCount()));
            page.SendCommand(CProctorDlg::IDC_SAVE);
        },
        cancelWhenHeld, holdAtTheFirstRoom);
}

// The cancelled run leaves the saved arrangement and the page's list as the finished run left them.
void CompareCancelledInvigilation(const OperationRun& run, CScheduleTask& after)
{
    SameTimetables(run.before, after);
    const std::vector<std::string>& old = ArrangementBeforeTheRestart();
    ASSERT_GE(old.size(), 2u) << "the first run filled too few rooms to tell a part from the whole";
    CScheduleProctor saved;
    ASSERT_TRUE(saved.Open(&after, kProctoring));
    EXPECT_EQ(ArrangementOf(saved.data()), old);
    EXPECT_EQ(NumberBefore(run.said, "项"), static_cast<int>(old.size()));
    EXPECT_EQ(NumberBefore({run.said.back()}, "项"), static_cast<int>(old.size())) << testing::PrintToString(run.said);
}

const Operation kRunOperations[] = {
    {"substitution of a day", true, [](OperationRun& run) { Substitute(run, ADaysLessons(run.task)); },
     [](const OperationRun& run, CScheduleTask& after) { CompareSubstitution(run, after, true); }},
    {"substitute on his fixed time", true, [](OperationRun& run) { Substitute(run, OntoAFixedTime(run.task)); },
     [](const OperationRun& run, CScheduleTask& after) { CompareSubstitution(run, after, false); }},
    {"substitute beside an exclusive teacher", true,
     [](OperationRun& run) { Substitute(run, BesideAnExclusiveTeacher(run.task)); },
     [](const OperationRun& run, CScheduleTask& after) { CompareSubstitution(run, after, false); }},
    {"temporary task move by hand", false, MoveByHand, CompareMoveByHand},
    {"automatic run", false,
     [](OperationRun& run) {
         CAutoRange range = WholeSchool(run.task);
         RunLikeTheDialog(run, range);
     },
     [](const OperationRun& run, CScheduleTask& after) { CompareRunReport(run, after, WholeSchool(run.before)); }},
    {"partial run", false,
     [](OperationRun& run) {
         CAutoRange range = RangeOf(FirstClasses(run.task, 2));
         RunLikeTheDialog(run, range);
     },
     ComparePartialRun},
    {"invigilation run", false, [](OperationRun& run) { Invigilate(run, "operation_invigilation"); },
     CompareInvigilation},
    {"restarted invigilation run cancelled", false, CancelARestartedInvigilation, CompareCancelledInvigilation},
};

}  // namespace

ZEM_OPERATION_ROWS(Runs, kRunOperations);
