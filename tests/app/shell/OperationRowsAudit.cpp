// The operation table's rows of the operations that take lessons away or change what the
// timetables must keep: a class, a teacher, a room and a subject deleted on their pages with
// lessons placed, the clear-timetable command over every timetable, a class's and a teacher's, a
// swap by hand in the week timetable window (undone and redone, or saved and undone), in the
// multi-timetable and the whole-school windows, strict spreading switched on over it, and rules
// the rule pages add over placed lessons (a subject's closed day, a combined class, exclusive
// teachers), each kept when asked.
// The engine's support first: Qt's headers make a keyword of one of its names.
#include "support/OperationSchools.h"

#include "app/controls/CardListBox.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/TipWnd.h"
#include "app/data/CombineClassListPage.h"
#include "app/data/FixedTimePages.h"
#include "app/data/MutexPages.h"
#include "app/data/ObjectListPages.h"
#include "app/data/PlanListPage.h"
#include "app/data/ScheduleRulesDlg.h"
#include "app/shell/ClearTimetableDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/timetable/MultiTableDlg.h"
#include "app/timetable/SchoolTimetableDlg.h"
#include "app/timetable/TableContainer.h"
#include "app/timetable/WeekTableWnd.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "base/ChangeCheck.h"
#include "base/ScheduleTask.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/Timers.h"
#include "support/BasicDataTestSupport.h"
#include "support/FakeAppServices.h"
#include "support/MessageRecorder.h"
#include "support/ModalScope.h"
#include "support/OperationTable.h"
#include "support/PickerClicks.h"
#include "support/ScreenTestSupport.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;

enum class Kind { Class, Teacher, Room, Subject };

std::vector<CCourseInfo*> PlansOf(const CScheduleTask& task)
{
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    return plans;
}

template <class Visit>
void ForEachSlot(Visit visit)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                visit(tagTABLE_NODE{day, segment, section});
}

// Where the plan's committed timetable (what a task read from its files holds) has lessons.
std::set<std::string> PlanSlots(const CCourseInfo& plan)
{
    std::set<std::string> places;
    const CCourseTable& own = plan.GetTable(false);
    ForEachSlot([&](const tagTABLE_NODE& node) {
        if (own.IsUsed(node))
            places.insert(zem::Format("%d/%d/%d:%d", node.day, node.segment, node.section,
                                     own.GetNode(node).GetOddEven(plan.GetId())));
    });
    return places;
}

// The first placed plan of a combined class (its partner then stays behind), else the first placed
// plan; with a room of its own for a room to take away.
const CCourseInfo* TargetPlan(const CScheduleTask& task, Kind kind)
{
    const CCourseInfo* target = nullptr;
    for (const CCourseInfo* plan : PlansOf(task)) {
        if (plan->GetType() != COURSE_TYPE_PLAN || PlanSlots(*plan).empty())
            continue;
        if (kind == Kind::Room && plan->GetSpecialRoomId().empty())
            continue;
        if (!target || (task.GetCC(plan->GetId()) && !task.GetCC(target->GetId())))
            target = plan;
    }
    return target;
}

// The object to take away: the one the target plan uses.
std::string TargetOf(const CScheduleTask& task, Kind kind)
{
    const CCourseInfo* target = TargetPlan(task, kind);
    if (!target)
        return {};
    switch (kind) {
    case Kind::Class: return target->GetClassId();
    case Kind::Teacher: return target->GetTeacherId();
    case Kind::Room: return target->GetSpecialRoomId();
    case Kind::Subject: return target->GetSubjectId();
    }
    return {};
}

bool Uses(const CCourseInfo& plan, Kind kind, const std::string& id)
{
    switch (kind) {
    case Kind::Class: return plan.GetClassId() == id;
    case Kind::Teacher: return plan.GetTeacherId() == id;
    case Kind::Room: return false;  // a plan outlives its room
    case Kind::Subject: return plan.GetSubjectId() == id;
    }
    return false;
}

// The lessons of the class, teacher and room timetables that name a plan the task does not have.
std::vector<std::string> StrandedLessons(CScheduleTask& task)
{
    std::vector<std::string> stranded;
    auto look = [&](const std::string& owner, const CCourseTable& table) {
        ForEachSlot([&](const tagTABLE_NODE& node) {
            const CCourseTableNode& cell = table.GetNode(node);
            for (const int half : {1, 2}) {
                const std::string& plan = cell.data(half).GetCourseId();
                if (!plan.empty() && !task.FindCourse(plan))
                    stranded.push_back(owner + " " + task.GetTimeNodeDesc(&node) + " " + plan);
            }
        });
    };
    for (const CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList()})
        for (const auto& [id, object] : *list)
            look(object->GetName(), static_cast<const CZemTableObject*>(object)->GetTable(false));
    for (const CRoomInfo* room : ObjectsInOrder<CRoomInfo>(task.GetRoomInfoList()))
        for (unsigned i = 0; i < room->GetComplexTable().GetCount(); ++i)
            look(room->GetName(), *room->GetComplexTable().Enum(false, static_cast<int>(i)));
    return stranded;
}

// ---- deleting on the basic-data pages

template <class Page>
void DeleteOnPage(OperationRun& run, Kind kind)
{
    FakeAppServices services;
    services.task = &run.task;
    CTipWnd tip;
    tip.Create();
    services.tipWnd = &tip;
    const std::string id = TargetOf(run.task, kind);
    ASSERT_FALSE(id.empty());
    Page page;
    RunPage<CBasicDataPage>(page, [&](CBasicDataPage& p) {
        for (int row = 0; row < p.GetList()->GetItemCount(); ++row)
            if (p.GetList()->GetItemText(row, 0) == id)
                SelectRow(p, row);
        p.SendCommand(CListBaseDlg::IDC_DELETE);
        p.SendCommand(CListBaseDlg::IDC_SAVE);
    });
}

// Gone with its plans, every lesson of them with it; every other plan keeps its lessons where
// they were. A refused delete names why, and the object stays.
void CompareDeleted(const OperationRun& run, CScheduleTask& after, Kind kind)
{
    const std::string id = TargetOf(run.before, kind);
    const CZemObjectList& objects = kind == Kind::Class     ? after.GetClassInfoList()
                                    : kind == Kind::Teacher ? after.GetTeacherInfoList()
                                    : kind == Kind::Room    ? after.GetRoomInfoList()
                                                            : after.GetSubjectInfoList();
    if (objects.Find(id)) {
        EXPECT_TRUE(Mentions(run.said, "没有保存")) << testing::PrintToString(run.said);
        return;
    }
    // Lessons taken away leave every rule the others keep kept: nothing to ask.
    EXPECT_FALSE(Mentions(run.said, "违反了排课规则")) << testing::PrintToString(run.said);
    for (const CCourseInfo* plan : PlansOf(run.before)) {
        const CCourseInfo* kept = after.FindCourse(plan->GetId());
        if (Uses(*plan, kind, id)) {
            EXPECT_EQ(kept, nullptr) << run.before.GetCourseDesc(plan);
            continue;
        }
        ASSERT_NE(kept, nullptr) << run.before.GetCourseDesc(plan);
        EXPECT_EQ(kept->GetWeekCount(), plan->GetWeekCount()) << run.before.GetCourseDesc(plan);
        EXPECT_EQ(PlanSlots(*kept), PlanSlots(*plan)) << run.before.GetCourseDesc(plan);
    }
    const std::vector<std::string> stranded = StrandedLessons(after);
    EXPECT_TRUE(stranded.empty()) << testing::PrintToString(stranded);
}

// The target plan deleted on the plan page, its class's card shown, and the page saved.
void DeletePlanOnPage(OperationRun& run)
{
    FakeAppServices services;
    services.task = &run.task;
    const CCourseInfo* plan = TargetPlan(run.task, Kind::Class);
    ASSERT_TRUE(plan);
    const std::string planId = plan->GetId();
    const std::string classId = plan->GetClassId();
    CPlanListPage page;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        for (int card = 0; card < p.GetCards()->GetCount() && p.GetShownClassId() != classId; ++card)
            p.SelectCard(card);
        ASSERT_EQ(p.GetShownClassId(), classId);
        for (int row = 0; row < p.GetList()->GetItemCount(); ++row)
            if (p.GetList()->GetItemText(row, 0) == planId)
                SelectRow(p, row);
        p.SendCommand(CListBaseDlg::IDC_DELETE);
        p.Save();
    });
}

void CompareDeletedPlan(const OperationRun& run, CScheduleTask& after)
{
    const std::string planId = TargetPlan(run.before, Kind::Class)->GetId();
    EXPECT_EQ(after.FindCourse(planId), nullptr);
    EXPECT_FALSE(Mentions(run.said, "违反了排课规则")) << testing::PrintToString(run.said);
    for (const CCourseInfo* plan : PlansOf(run.before))
        if (plan->GetId() != planId) {
            const CCourseInfo* kept = after.FindCourse(plan->GetId());
            ASSERT_NE(kept, nullptr) << run.before.GetCourseDesc(plan);
            EXPECT_EQ(PlanSlots(*kept), PlanSlots(*plan)) << run.before.GetCourseDesc(plan);
        }
    const std::vector<std::string> stranded = StrandedLessons(after);
    EXPECT_TRUE(stranded.empty()) << testing::PrintToString(stranded);
}

// ---- the clear-timetable command

// Its dialog as the user works it: the scope chosen from its menu and its list of names, the
// button pressed once its eight seconds have passed, the warning answered OK.
void ClearTimetables(OperationRun& run, int scopeCommand, const std::string& id)
{
    FakeAppServices services;
    services.task = &run.task;
    zem::gui::FakeClock clock;
    const zem::gui::PopupMenuHook previousMenu =
        zem::gui::SetPopupMenuHook([scopeCommand](const std::vector<zem::gui::MenuItem>&) { return scopeCommand; });
    const CZemObject* object = scopeCommand == CClearTimetableDlg::ID_SCOPE_CLASS
                                  ? static_cast<const CZemObject*>(run.task.GetClass(id))
                                  : run.task.GetTeacher(id);
    const std::string name = object ? object->GetName() : std::string();
    ScriptedMessages messages({zem::IDOK}, zem::IDYES);
    {
        ModalScope modal([&](Dialog& shown) {
            if (auto* select = dynamic_cast<CMultiSelectDlg*>(&shown)) {
                zem::gui::ItemList& list = *select->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
                for (int i = 0; i < list.GetItemCount(); ++i)
                    if (list.GetItemText(i) == name)
                        ClickCheck(list, i);
                select->SendCommand(zem::IDOK);
                return;
            }
            auto& dialog = dynamic_cast<CClearTimetableDlg&>(shown);
            if (scopeCommand != CClearTimetableDlg::ID_SCOPE_ALL)
                dialog.SendCommand(CClearTimetableDlg::IDC_SCOPE);
            clock.Advance(CClearTimetableDlg::kCountdownStart * 1000);
            dialog.SendCommand(CClearTimetableDlg::IDC_CLEAR);
            EXPECT_TRUE(dialog.IsEnded());
        });
        CClearTimetableDlg dialog;
        dialog.DoModal();
    }
    zem::gui::SetPopupMenuHook(previousMenu);
    run.said = messages.Texts();
}

// The lessons of the plans the scope reaches are gone, and only theirs: a combined class's
// partners go with it.
void CompareCleared(const OperationRun& run, CScheduleTask& after, const std::set<std::string>& clearedPlans)
{
    ASSERT_TRUE(Mentions(run.said, "清除完成")) << testing::PrintToString(run.said);
    for (const CCourseInfo* plan : PlansOf(run.before)) {
        const CCourseInfo* kept = after.FindCourse(plan->GetId());
        ASSERT_NE(kept, nullptr);
        if (clearedPlans.count(plan->GetId()))
            EXPECT_TRUE(PlanSlots(*kept).empty()) << run.before.GetCourseDesc(plan);
        else
            EXPECT_EQ(PlanSlots(*kept), PlanSlots(*plan)) << run.before.GetCourseDesc(plan);
    }
}

// The plans whose lessons a clear of the object's timetable takes: its own, with their combined
// classes' partners.
std::set<std::string> PlansReached(const CScheduleTask& task, Kind kind, const std::string& id)
{
    std::set<std::string> reached;
    for (CCourseInfo* plan : PlansOf(task)) {
        std::vector<std::string> teachers;
        task.GetAllTeacherId(teachers, plan, false);
        const bool own = kind == Kind::Class ? plan->GetClassId() == id
                                             : std::find(teachers.begin(), teachers.end(), id) != teachers.end();
        if (!own || PlanSlots(*plan).empty())
            continue;
        reached.insert(plan->GetId());
        if (const CCombineClass* group = task.GetCC(plan->GetId()))
            for (const std::string& partner : group->GetCombineCourse())
                reached.insert(partner);
    }
    return reached;
}

// ---- the timetable windows' moves

// Two lessons of the container's class swapped as the user does it, a click on one and a click on
// a cell the grid marks for it; whether they changed places.
bool SwapTwoLessons(CScheduleTask& task, CTableContainer& container)
{
    CCourseTable* table = container.GetTable();
    if (!table)
        return false;
    std::vector<tagTABLE_NODE> whole;
    ForEachSlot(task.GetSchoolStructure(), {.lastSegment = 0}, [&](const tagTABLE_NODE& cell) {
        if (table->IsUsed(cell) && !table->GetNode(cell).IsInterleave())
            whole.push_back(cell);
        return false;
    });
    CTaskHelper helper(&task);
    container.GetGrid().SetAnimateMoves(false);
    for (std::size_t i = 0; i < whole.size(); ++i)
        for (std::size_t j = i + 1; j < whole.size(); ++j) {
            const std::string first = table->GetNode(whole[i]).data(1).GetCourseId();
            if (table->GetNode(whole[j]).data(1).GetCourseId() == first ||
                !helper.CanSwap(table, whole[i], whole[j], false))
                continue;
            container.GetGrid().SimulateToSwapCell(container.ToGridNode(whole[i]), container.ToGridNode(whole[j]));
            return container.GetTable()->GetNode(whole[j]).data(1).GetCourseId() == first;
        }
    return false;
}

// The window run on the open task as the user works it: `prepare` sets it up before it opens,
// `act` works it with every question answered 是, and it is saved when modified and closed.
template <class Window>
void InWindow(OperationRun& run, const std::function<void(Window&)>& act,
              const std::function<void(Window&)>& prepare = {})
{
    FakeAppServices services;
    services.task = &run.task;
    const zem::gui::WorkAreaHook area = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1366, 768); });
    {
        Window window;
        if (prepare)
            prepare(window);
        ModalScope scope([&](Dialog& shown) {
            if (&shown != &window)
                return;
            act(window);
            if (window.IsModified())
                window.Save();
            window.close();
        });
        window.DoModal();
    }
    zem::gui::SetWorkAreaHook(area);
}

// The week timetable window on the target class.
void InWeekWindow(OperationRun& run, const std::function<void(CWeekTimetableDlg&)>& act)
{
    const std::string classId = TargetOf(run.task, Kind::Class);
    ASSERT_FALSE(classId.empty());
    InWindow<CWeekTimetableDlg>(run, act, [&](CWeekTimetableDlg& window) { window.SetInitialObject(0, classId); });
}

void SwapInWeekWindow(OperationRun& run)
{
    InWeekWindow(run, [&](CWeekTimetableDlg& window) { EXPECT_TRUE(SwapTwoLessons(run.task, window.GetContainer())); });
}

// The save names every rule the kept swap breaks.
void CompareSwapInWeekWindow(const OperationRun& run, CScheduleTask& after)
{
    const ScheduleValidation broken =
        NewViolations(ValidateSchedule(const_cast<CScheduleTask&>(run.before)), ValidateSchedule(after));
    EXPECT_EQ(Mentions(run.said, "违反了排课规则"), !broken.IsClean()) << broken.Text();
}

// The swap undone after its save, and saved again: the task is as it was before the swap.
void CompareSwapUndone(const OperationRun& run, CScheduleTask& after)
{
    const ScheduleValidation moved = CompareTimetables(const_cast<CScheduleTask&>(run.before), after);
    EXPECT_TRUE(moved.IsClean()) << moved.Text();
}

// A swap in the first pane of the multi-timetable window.
void SwapInMultiTableWindow(OperationRun& run)
{
    InWindow<CMultiTableDlg>(run, [&](CMultiTableDlg& window) {
        CWeekTableWnd* pane = window.GetPane(0);
        ASSERT_TRUE(pane);
        EXPECT_TRUE(SwapTwoLessons(run.task, pane->GetContainer()));
    });
}

// A lesson of the whole-school window's first line moved onto the first cell the grid marks for
// it, as two clicks do.
void SwapInSchoolWindow(OperationRun& run)
{
    InWindow<CSchoolTimetableDlg>(run, [&](CSchoolTimetableDlg& window) {
        CSchoolTable& grid = window.GetGrid();
        grid.SetAnimateMoves(false);
        auto click = [&](int line, int period) {
            const zem::Rect r = grid.GetNodeRect(line, period);
            QTest::mouseClick(&grid, Qt::LeftButton, Qt::NoModifier,
                              QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        };
        bool moved = false;
        for (int period = 0; period < window.GetModel().GetPeriodCount() && !moved; ++period) {
            const CSchoolTableNode* node = grid.GetNode(0, period);
            if (!node || node->EntryCount() == 0)
                continue;
            click(0, period);
            if (grid.GetFriendCells().empty()) {
                click(0, period);
                continue;
            }
            click(0, grid.GetFriendCells().front());
            moved = true;
        }
        EXPECT_TRUE(moved);
    });
}

// ---- the rule pages

// A row added on the page as the user adds it, `onDialog` working the choosers it opens, and the
// page saved.
template <class Page>
void AddOnPage(OperationRun& run, const std::function<void(Dialog&)>& onDialog)
{
    FakeAppServices services;
    services.task = &run.task;
    Page page;
    RunPage<Page>(
        page,
        [](Page& p) {
            p.Add();
            p.Save();
        },
        onDialog);
}

// The target plan's subject and the first day it has a lesson.
std::pair<std::string, int> SubjectDay(const CScheduleTask& task)
{
    const CCourseInfo* plan = TargetPlan(task, Kind::Class);
    return plan ? std::pair{plan->GetSubjectId(), PlanSlots(*plan).begin()->front() - '0'} : std::pair{std::string(), 0};
}

// That whole day closed to the subject on the subject page.
void CloseASubjectsDay(OperationRun& run)
{
    const auto [subjectId, day] = SubjectDay(run.task);
    ASSERT_FALSE(subjectId.empty());
    const std::string subject = run.task.GetSubjectName(subjectId);
    AddOnPage<CSubjectFixedTimePage>(run, [&](Dialog& shown) {
        auto* picker = dynamic_cast<CTimeSlotPickerDlg*>(&shown);
        if (!picker)
            return ChooseInMultiSelect(shown, {subject});
        ClickGrid(*picker, tagTABLE_NODE{day, -1, 0});
        QTest::mouseClick(picker->GetDlgItem(zem::IDOK), Qt::LeftButton);
    });
}

// More of the day is closed, its lessons kept where they were, after the question naming each of
// them.
void CompareSubjectsDay(const OperationRun& run, CScheduleTask& after)
{
    const auto [subjectId, day] = SubjectDay(run.before);
    auto closedOnDay = [&](const CScheduleTask& task) {
        const auto* closed = static_cast<const CFixedTimeOfObject*>(task.GetFixedTimeOfSubjectList().Find(subjectId));
        int count = 0;
        ForEachSlot([&](const tagTABLE_NODE& node) { count += closed && node.day == day && closed->IsFixedTime(node); });
        return count;
    };
    EXPECT_GT(closedOnDay(after), closedOnDay(run.before));
    EXPECT_TRUE(Mentions(run.said, "保存后以下课程违反了排课规则")) << testing::PrintToString(run.said);
}

// Two placed plans of one teacher, subject, weekly count and kind in two classes, neither in a
// combined class: what the combined-class picker lets the user join.
std::vector<std::string> UncombinedPair(const CScheduleTask& task)
{
    const std::vector<CCourseInfo*> plans = PlansOf(task);
    for (const CCourseInfo* a : plans)
        for (const CCourseInfo* b : plans)
            if (a != b && a->GetClassId() != b->GetClassId() && a->GetTeacherId() == b->GetTeacherId() &&
                a->GetSubjectId() == b->GetSubjectId() && a->GetWeekCount() == b->GetWeekCount() &&
                a->GetType() == b->GetType() && a->GetType() == COURSE_TYPE_PLAN && !task.GetCC(a->GetId()) &&
                !task.GetCC(b->GetId()) && !PlanSlots(*a).empty() && PlanSlots(*a) != PlanSlots(*b))
                return {a->GetId(), b->GetId()};
    return {};
}

// The two plans joined through the combined-class page's picker ("添加完成"), and the page saved.
void CombineThroughPicker(OperationRun& run)
{
    const std::vector<std::string> pair = UncombinedPair(run.task);
    ASSERT_EQ(pair.size(), 2u);
    AddOnPage<CCombineClassListPage>(run, [&](Dialog& shown) {
        ChoosePlans(shown, pair);
        if (!shown.IsEnded())
            shown.SendCommand(zem::IDCANCEL);
    });
}

// The combined class stands as asked, its lessons where they were, after the question.
void CompareCombined(const OperationRun& run, CScheduleTask& after)
{
    const std::vector<std::string> pair = UncombinedPair(run.before);
    ASSERT_EQ(pair.size(), 2u);
    const CCombineClass* group = after.GetCC(pair[0]);
    ASSERT_TRUE(group);
    EXPECT_EQ(group, after.GetCC(pair[1]));
    EXPECT_TRUE(Mentions(run.said, "保存后以下课程违反了排课规则")) << testing::PrintToString(run.said);
}

// The target plan's teacher and a teacher who teaches at one of its times, neither's name within
// another teacher's, so that the picker's search finds each alone.
std::pair<const CTeacherInfo*, const CTeacherInfo*> TeachingAtOnce(const CScheduleTask& task)
{
    const std::vector<CTeacherInfo*> teachers = ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList());
    auto findable = [&](const CTeacherInfo* teacher) {
        return std::none_of(teachers.begin(), teachers.end(), [&](const CTeacherInfo* other) {
            return other != teacher && other->GetName().find(teacher->GetName()) != std::string::npos;
        });
    };
    const CCourseInfo* plan = TargetPlan(task, Kind::Class);
    const CTeacherInfo* teacher = plan ? task.GetTeacher(plan->GetTeacherId()) : nullptr;
    if (!teacher || !findable(teacher))
        return {};
    for (const CTeacherInfo* other : teachers) {
        bool atOnce = false;
        ForEachSlot([&](const tagTABLE_NODE& node) {
            atOnce = atOnce || (plan->GetTable(false).IsUsed(node) && other->GetTable(false).IsUsed(node));
        });
        if (other != teacher && atOnce && findable(other))
            return {teacher, other};
    }
    return {};
}

// The two made exclusive on the mutex page.
void MakeExclusiveWhileTeaching(OperationRun& run)
{
    const auto [teacher, partner] = TeachingAtOnce(run.task);
    ASSERT_TRUE(teacher && partner);
    AddOnPage<CMutexTeacherPage>(run, [&](Dialog& shown) {
        if (dynamic_cast<CTeacherPickerDlg*>(&shown))
            PickObject(shown, teacher->GetName());
        else
            ChooseInMultiSelect(shown, {partner->GetName()});
    });
}

// They are exclusive, their lessons where they were, after the question.
void CompareExclusive(const OperationRun& run, CScheduleTask& after)
{
    const auto [teacher, partner] = TeachingAtOnce(run.before);
    ASSERT_TRUE(teacher && partner);
    const std::vector<std::string>* partners = after.GetMutexOfTeacherList().FindTeacherMutexInfo(teacher->GetId());
    ASSERT_TRUE(partners);
    EXPECT_NE(std::find(partners->begin(), partners->end(), partner->GetId()), partners->end());
    EXPECT_TRUE(Mentions(run.said, "保存后以下课程违反了排课规则")) << testing::PrintToString(run.said);
}

// ---- the automatic run's rules

// Strict spreading switched on or off in the rules dialog, and saved.
void SetStrictSpreading(OperationRun& run, bool on)
{
    FakeAppServices services;
    services.task = &run.task;
    CScheduleRulesDlg dialog;
    ModalScope modal([&](Dialog& shown) {
        if (&shown != &dialog)
            return;
        auto* box = dialog.Item<QCheckBox>(CScheduleRulesDlg::IDC_STRICT_DISTRIBUTION);
        if (box->isChecked() != on)
            box->click();
        dialog.SendCommand(zem::IDOK);
    });
    dialog.DoModal();
}

const Operation kAuditOperations[] = {
    {"class deleted with its lessons", true,
     [](OperationRun& run) { DeleteOnPage<CClassListPage>(run, Kind::Class); },
     [](const OperationRun& run, CScheduleTask& after) { CompareDeleted(run, after, Kind::Class); }},
    {"teacher deleted with its lessons", true,
     [](OperationRun& run) { DeleteOnPage<CTeacherListPage>(run, Kind::Teacher); },
     [](const OperationRun& run, CScheduleTask& after) { CompareDeleted(run, after, Kind::Teacher); }},
    {"room deleted with its lessons", true,
     [](OperationRun& run) { DeleteOnPage<CRoomListPage>(run, Kind::Room); },
     [](const OperationRun& run, CScheduleTask& after) { CompareDeleted(run, after, Kind::Room); }},
    {"subject deleted with its lessons", true,
     [](OperationRun& run) { DeleteOnPage<CSubjectListPage>(run, Kind::Subject); },
     [](const OperationRun& run, CScheduleTask& after) { CompareDeleted(run, after, Kind::Subject); }},
    {"plan deleted on the plan page", true, DeletePlanOnPage, CompareDeletedPlan},
    {"every timetable cleared", false,
     [](OperationRun& run) { ClearTimetables(run, CClearTimetableDlg::ID_SCOPE_ALL, {}); },
     [](const OperationRun& run, CScheduleTask& after) {
         std::set<std::string> all;
         for (const CCourseInfo* plan : PlansOf(run.before))
             all.insert(plan->GetId());
         CompareCleared(run, after, all);
     }},
    {"a class's timetable cleared", false,
     [](OperationRun& run) {
         ClearTimetables(run, CClearTimetableDlg::ID_SCOPE_CLASS, TargetOf(run.task, Kind::Class));
     },
     [](const OperationRun& run, CScheduleTask& after) {
         CompareCleared(run, after, PlansReached(run.before, Kind::Class, TargetOf(run.before, Kind::Class)));
     }},
    {"a teacher's timetable cleared", false,
     [](OperationRun& run) {
         ClearTimetables(run, CClearTimetableDlg::ID_SCOPE_TEACHER, TargetOf(run.task, Kind::Teacher));
     },
     [](const OperationRun& run, CScheduleTask& after) {
         CompareCleared(run, after, PlansReached(run.before, Kind::Teacher, TargetOf(run.before, Kind::Teacher)));
     }},
    {"swap by hand in the week timetable window", false, SwapInWeekWindow, CompareSwapInWeekWindow},
    {"swap by hand undone and redone, then saved", false,
     [](OperationRun& run) {
         InWeekWindow(run, [&](CWeekTimetableDlg& window) {
             ASSERT_TRUE(SwapTwoLessons(run.task, window.GetContainer()));
             EXPECT_TRUE(window.GetContainer().Undo());
             EXPECT_TRUE(window.GetContainer().Redo());
         });
     },
     CompareSwapInWeekWindow},
    {"swap by hand saved, undone and saved again", false,
     [](OperationRun& run) {
         InWeekWindow(run, [&](CWeekTimetableDlg& window) {
             ASSERT_TRUE(SwapTwoLessons(run.task, window.GetContainer()));
             EXPECT_TRUE(window.Save());
             EXPECT_TRUE(window.GetContainer().Undo());
         });
     },
     CompareSwapUndone},
    {"swap in the multi-timetable window", false, SwapInMultiTableWindow, CompareSwapInWeekWindow},
    {"move in the whole-school window", false, SwapInSchoolWindow, CompareSwapInWeekWindow},
    {"a subject's day closed over its lessons", false, CloseASubjectsDay, CompareSubjectsDay},
    {"two plans combined through the picker", false, CombineThroughPicker, CompareCombined},
    {"teachers made exclusive while teaching at once", false, MakeExclusiveWhileTeaching, CompareExclusive},
    // A swap made while spreading was not strict may leave a plan twice on a day.
    {"strict spreading switched back on over a swap by hand", false,
     [](OperationRun& run) {
         SetStrictSpreading(run, false);
         SwapInWeekWindow(run);
         SetStrictSpreading(run, true);
     },
     [](const OperationRun& run, CScheduleTask& after) {
         EXPECT_TRUE(after.GetTaskSetting().GetStrictDistribution() || Mentions(run.said, "违反了排课规则"));
     }},
};

}  // namespace

ZEM_OPERATION_ROWS(Audit, kAuditOperations);
