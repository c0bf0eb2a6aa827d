// The operation table's rows of the plan tools: the three adjustment wizards (a plan's teacher, its
// room, two teachers swapped), the batch modify of plans, the plan split, the grade promotion, the
// batch add of courses and the teaching-time change, each driven as its window drives it.
// The engine's support first: Qt's headers make a keyword of one of its names.
#include "support/OperationSchools.h"

#include "app/controls/TipWnd.h"
#include "app/data/BatchAddCourseDlg.h"
#include "app/data/BatchModifyPlanDlg.h"
#include "app/data/ObjectListPages.h"
#include "app/data/PlanListPage.h"
#include "app/data/PlanSplit.h"
#include "app/data/PromoteGradeDlg.h"
#include "app/data/SplitPlanDlg.h"
#include "app/data/TeachingTimeDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/timetable/AdjustRoomWizard.h"
#include "app/timetable/AdjustTeacherWizard.h"
#include "app/timetable/SwapTeacherWizard.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/Timers.h"
#include "support/BasicDataTestSupport.h"
#include "support/FakeAppServices.h"
#include "support/ModalScope.h"
#include "support/OperationTable.h"
#include "support/PickerClicks.h"
#include "support/TaskSplit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;

std::vector<CCourseInfo*> PlansOf(const CScheduleTask& task)
{
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    return plans;
}

// Each lesson of the plan's committed timetable (what a task read from its files holds): its slot,
// the week part the plan takes there and the cell.
template <class Visit>
void ForEachSavedLesson(const CCourseInfo& plan, Visit visit)
{
    const CCourseTable& own = plan.GetTable(false);
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                if (own.IsUsed(node))
                    visit(node, own.GetNode(node).GetOddEven(plan.GetId()), own.GetNode(node));
            }
}

int PlacedLessons(const CScheduleTask&, const CCourseInfo& plan)
{
    int lessons = 0;
    ForEachSavedLesson(plan, [&](const tagTABLE_NODE&, int, const CCourseTableNode&) { ++lessons; });
    return lessons;
}

// The plan of the class and subject named, or null.
CCourseInfo* NamedPlan(const CScheduleTask& task, const std::string& className, const std::string& subjectName)
{
    for (CCourseInfo* plan : PlansOf(task))
        if (task.GetClassNameA(plan->GetClassId()) == className && task.GetSubjectName(plan->GetSubjectId()) == subjectName)
            return plan;
    return nullptr;
}

CTeacherInfo* NamedTeacher(const CScheduleTask& task, const std::string& name)
{
    return dynamic_cast<CTeacherInfo*>(task.GetTeacherInfoList().FindByName(name));
}

// The plans worth changing first: placed ones of a combined class, then the other placed ones.
std::vector<CCourseInfo*> PlacedPlansCombinedFirst(const CScheduleTask& task)
{
    std::vector<CCourseInfo*> combined, single;
    for (CCourseInfo* plan : PlansOf(task))
        if (plan->GetType() == COURSE_TYPE_PLAN && PlacedLessons(task, *plan) > 0)
            (task.GetCC(plan->GetId()) ? combined : single).push_back(plan);
    combined.insert(combined.end(), single.begin(), single.end());
    return combined;
}

std::string TeacherNameOf(const CScheduleTask& task, const std::string& planId)
{
    const CCourseInfo* plan = task.FindCourse(planId);
    return plan ? task.GetTeacherName(plan->GetTeacherId()) : std::string();
}

std::string RoomNameOf(const CScheduleTask& task, const std::string& planId)
{
    const CCourseInfo* plan = task.FindCourse(planId);
    const CRoomInfo* room = plan ? task.GetRoom(plan->GetSpecialRoomId()) : nullptr;
    return room ? room->GetName() : std::string();
}

// The plans whose teacher differs between the two tasks.
std::vector<std::string> TeacherChanges(const CScheduleTask& before, const CScheduleTask& after)
{
    std::vector<std::string> changed;
    for (const CCourseInfo* plan : PlansOf(before))
        if (TeacherNameOf(before, plan->GetId()) != TeacherNameOf(after, plan->GetId()))
            changed.push_back(plan->GetId());
    return changed;
}

std::map<std::string, CWeekCount> CountsOf(const CScheduleTask& task)
{
    std::map<std::string, CWeekCount> counts;
    for (const CCourseInfo* plan : PlansOf(task))
        counts[plan->GetId()] = plan->GetWeekCount();
    return counts;
}

// The ids whose count differs, a plan one task lacks included.
std::vector<std::string> CountChanges(const CScheduleTask& before, const CScheduleTask& after)
{
    const std::map<std::string, CWeekCount> a = CountsOf(before), b = CountsOf(after);
    std::vector<std::string> changed;
    for (const auto& [id, count] : a)
        if (!b.count(id) || b.at(id) != count)
            changed.push_back(id);
    for (const auto& [id, count] : b)
        if (!a.count(id))
            changed.push_back(id);
    return changed;
}

// Runs the window modally: `work` drives it once it is shown, `other` answers what it opens.
template <class Window>
void RunWindow(Window& window, const std::function<void(Window&)>& work, const std::function<void(Dialog&)>& other = {})
{
    ModalScope scope([&](Dialog& shown) {
        if (&shown == &window) {
            work(window);
            if (!window.IsEnded())
                window.EndDialog(zem::IDCANCEL);
        } else if (other) {
            other(shown);
        } else {
            ADD_FAILURE() << "unexpected dialog " << shown.Caption();
        }
    });
    window.DoModal();
}

// A wizard over the open task; its chooser never opens by itself, the row chooses.
template <class Wizard>
void RunWizard(OperationRun& run, const std::function<void(Wizard&)>& work, const std::function<void(Dialog&)>& other = {})
{
    FakeAppServices services;
    services.task = &run.task;
    zem::gui::FakeClock clock;
    Wizard wizard;
    RunWindow<Wizard>(wizard, work, other);
}

// The wizards as their pickers leave them: the plans and the target chosen, the status counted.
// The choosing is the pickers'; what is driven is the wizard's own counting and execution.
template <class Wizard>
struct ChosenWizard : Wizard {
    // True when the wizard would execute: no clash and something to change.
    bool Choose(const std::vector<CCourseInfo*>& plans, CZemTableObject* target)
    {
        this->m_plans = plans;
        this->m_plansChosen = true;
        this->ShowPlans();
        this->m_target = target;
        this->RefreshStatus();
        return this->GetConflictCount() == 0 && this->IsItemEnabled(zem::IDOK);
    }
};

// ---- the teacher of a plan

// The hand-made school's combined 体育 of 刘强 and 孙丽 given to 何静, who is exclusive with 马骏;
// elsewhere the first placed plan (of a combined class where there is one) given to the first
// teacher free at its times.
void ChangePlanTeacher(OperationRun& run)
{
    RunWizard<ChosenWizard<CAdjustTeacherWizard>>(run, [&](ChosenWizard<CAdjustTeacherWizard>& w) {
        CCourseInfo* named = NamedPlan(run.task, "初一(1)班", "体育");
        CTeacherInfo* heJing = NamedTeacher(run.task, "何静");
        if (named && heJing) {
            // Whatever the wizard counts, executing it must either refuse or keep every rule.
            w.Choose({named}, heJing);
            w.SendCommand(zem::IDOK);
            return;
        }
        const std::vector<CCourseInfo*> plans = PlacedPlansCombinedFirst(run.task);
        for (CCourseInfo* plan : std::vector<CCourseInfo*>(plans.begin(), plans.begin() + std::min<std::size_t>(plans.size(), 3)))
            for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(run.task.GetTeacherInfoList()))
                if (teacher->GetId() != plan->GetTeacherId() && w.Choose({plan}, teacher)) {
                    w.SendCommand(zem::IDOK);
                    return;
                }
        ADD_FAILURE() << "no plan could change its teacher";
    });
}

void CompareTeacherChange(const OperationRun& run, CScheduleTask& after)
{
    const std::vector<std::string> changed = TeacherChanges(run.before, after);
    if (!Mentions(run.said, CAdjustWizardBase::kSuccess)) {
        EXPECT_TRUE(changed.empty()) << "refused, yet " << changed.size() << " plans changed teacher";
        return;
    }
    ASSERT_FALSE(changed.empty());
    ASSERT_FALSE(run.said.empty());
    const std::string& question = run.said.front();
    const std::string teacher = TeacherNameOf(after, changed.front());
    EXPECT_NE(question.find("调整为 " + teacher + " 老师吗"), std::string::npos) << question;
    // Every plan that changed is named in the question: its class, and a partner by its description.
    for (const std::string& id : changed) {
        EXPECT_EQ(TeacherNameOf(after, id), teacher) << id;
        const CCourseInfo* plan = run.before.FindCourse(id);
        EXPECT_NE(question.find(run.before.GetClassNameA(plan->GetClassId())), std::string::npos)
            << run.before.GetCourseDesc(plan) << " changed and is not named:\n" << question;
    }
}

// A plan given to a teacher it would clash with, and refused. On the hand-made school a plan with
// a lesson while 马骏 teaches goes to 何静, who may not teach then; elsewhere the first teacher the
// wizard counts a clash with.
void ChangeTeacherOverAClash(OperationRun& run)
{
    RunWizard<ChosenWizard<CAdjustTeacherWizard>>(run, [&](ChosenWizard<CAdjustTeacherWizard>& w) {
        const CTeacherInfo* maJun = NamedTeacher(run.task, "马骏");
        CTeacherInfo* heJing = NamedTeacher(run.task, "何静");
        const std::vector<CCourseInfo*> plans = PlacedPlansCombinedFirst(run.task);
        if (maJun && heJing) {
            for (CCourseInfo* plan : plans) {
                bool meets = false;
                ForEachSavedLesson(*plan, [&](const tagTABLE_NODE& node, int, const CCourseTableNode&) {
                    meets = meets || maJun->GetTable(false).IsUsed(node);
                });
                if (meets && plan->GetTeacherId() != maJun->GetId() && plan->GetTeacherId() != heJing->GetId()) {
                    // Counted or not, executing it must not pass.
                    w.Choose({plan}, heJing);
                    w.SendCommand(zem::IDOK);
                    return;
                }
            }
        }
        for (CCourseInfo* plan : plans)
            for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(run.task.GetTeacherInfoList()))
                if (teacher->GetId() != plan->GetTeacherId() && !w.Choose({plan}, teacher) &&
                    w.GetConflictCount() > 0) {
                    w.SendCommand(zem::IDOK);
                    return;
                }
        ADD_FAILURE() << "no clash found";
    });
}

void CompareRefusedTeacherChange(const OperationRun& run, CScheduleTask& after)
{
    EXPECT_FALSE(Mentions(run.said, CAdjustWizardBase::kSuccess)) << testing::PrintToString(run.said);
    EXPECT_TRUE(Mentions(run.said, CAdjustWizardBase::kUnsolved) || Mentions(run.said, "这样调整会违反排课规则"))
        << testing::PrintToString(run.said);
    EXPECT_TRUE(TeacherChanges(run.before, after).empty());
}

// ---- the room of a plan

// The first placed plan (of a combined class where there is one) taken to the first room free at
// its times; where no room is, its room is taken away.
void ChangePlanRoom(OperationRun& run)
{
    RunWizard<ChosenWizard<CAdjustRoomWizard>>(run, [&](ChosenWizard<CAdjustRoomWizard>& w) {
        const std::vector<CCourseInfo*> plans = PlacedPlansCombinedFirst(run.task);
        ASSERT_FALSE(plans.empty());
        CCourseInfo* plan = plans.front();
        for (CRoomInfo* room : ObjectsInOrder<CRoomInfo>(run.task.GetRoomInfoList()))
            if (room->GetId() != plan->GetSpecialRoomId() && w.Choose({plan}, room)) {
                w.SendCommand(zem::IDOK);
                return;
            }
        if (!plan->GetSpecialRoomId().empty() && w.Choose({plan}, nullptr))
            w.SendCommand(zem::IDOK);
    });
}

void CompareRoomChange(const OperationRun& run, CScheduleTask& after)
{
    std::vector<std::string> changed;
    for (const CCourseInfo* plan : PlansOf(run.before))
        if (RoomNameOf(run.before, plan->GetId()) != RoomNameOf(after, plan->GetId()))
            changed.push_back(plan->GetId());
    if (!Mentions(run.said, CAdjustWizardBase::kSuccess)) {
        EXPECT_TRUE(changed.empty());
        return;
    }
    ASSERT_FALSE(changed.empty());
    const CCourseInfo* first = after.FindCourse(changed.front());
    const CCombineClass* combined = after.GetCC(first->GetId());
    for (const std::string& id : changed) {
        const CCourseInfo* plan = after.FindCourse(id);
        // Only the chosen plan and its combined-class partners.
        EXPECT_TRUE(plan == first || (combined && after.GetCC(id) == combined)) << after.GetCourseDesc(plan);
        EXPECT_EQ(plan->GetSpecialRoomId(), first->GetSpecialRoomId()) << after.GetCourseDesc(plan);
        // Its placed lessons are in the new room (or in none).
        ForEachSavedLesson(*plan, [&](const tagTABLE_NODE&, int part, const CCourseTableNode& cell) {
            EXPECT_EQ(cell.data(part == 2 ? 2 : 1).GetRoomId(), plan->GetSpecialRoomId()) << after.GetCourseDesc(plan);
        });
    }
    const std::string room = RoomNameOf(after, first->GetId());
    EXPECT_TRUE(Mentions(run.said, room.empty() ? std::string("您是要取消") : "调整为 " + room + " 吗"))
        << testing::PrintToString(run.said);
}

// ---- two teachers swapped

// Picks the teacher in the teacher picker as the user does.
void PickTeacherRow(Dialog& shown, const CTeacherInfo* teacher)
{
    auto* picker = dynamic_cast<CObjectPickerDlg*>(&shown);
    ASSERT_NE(picker, nullptr) << shown.Caption();
    zem::gui::ItemList* list = picker->GetList();
    for (int row = 0; row < list->GetItemCount(); ++row)
        list->SetSelected(row, list->GetItemPtr<CZemObject>(row) == teacher);
    picker->SendCommand(zem::IDOK);
}

std::vector<CTeacherInfo*> TeachersWithPlans(const CScheduleTask& task)
{
    std::set<std::string> teaching;
    for (const CCourseInfo* plan : PlansOf(task))
        if (PlacedLessons(task, *plan) > 0)
            teaching.insert(plan->GetTeacherId());
    std::vector<CTeacherInfo*> teachers;
    for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList()))
        if (teaching.count(teacher->GetId()))
            teachers.push_back(teacher);
    return teachers;
}

// On the hand-made school 刘强, whose 体育 is a combined class with 孙丽's, and 何静, exclusive with
// 马骏; elsewhere the first two teachers with lessons whose swap clashes nowhere.
void SwapTeachers(OperationRun& run)
{
    const CTeacherInfo* picked = nullptr;
    auto pick = [&](CSwapTeacherWizard& w, int step, const CTeacherInfo* teacher) {
        picked = teacher;
        w.SendCommand(step == 1 ? CSwapTeacherWizard::IDC_STEP1 : CSwapTeacherWizard::IDC_STEP2);
    };
    RunWizard<CSwapTeacherWizard>(
        run,
        [&](CSwapTeacherWizard& w) {
            CTeacherInfo* liuQiang = NamedTeacher(run.task, "刘强");
            CTeacherInfo* heJing = NamedTeacher(run.task, "何静");
            if (liuQiang && heJing) {
                pick(w, 1, liuQiang);
                pick(w, 2, heJing);
                w.SendCommand(zem::IDOK);
                return;
            }
            std::vector<CTeacherInfo*> teachers = TeachersWithPlans(run.task);
            teachers.resize(std::min<std::size_t>(teachers.size(), 12));
            for (std::size_t a = 0; a < teachers.size(); ++a) {
                pick(w, 1, teachers[a]);
                for (std::size_t b = a + 1; b < teachers.size(); ++b) {
                    pick(w, 2, teachers[b]);
                    if (w.GetConflictCount() == 0 && w.IsItemEnabled(zem::IDOK)) {
                        w.SendCommand(zem::IDOK);
                        return;
                    }
                }
            }
            ADD_FAILURE() << "no two teachers could swap";
        },
        [&](Dialog& shown) { PickTeacherRow(shown, picked); });
}

// The teacher or an assistant: the places a teacher holds on a plan.
bool Holds(const CScheduleTask& task, const CCourseInfo& plan, const std::string& teacherName)
{
    if (task.GetTeacherName(plan.GetTeacherId()) == teacherName)
        return true;
    if (const CCourseAssistant* assistant = task.GetAssistant(plan.GetId()))
        for (const std::string& id : assistant->GetAssistants())
            if (task.GetTeacherName(id) == teacherName)
                return true;
    return false;
}

void CompareSwap(const OperationRun& run, CScheduleTask& after)
{
    const std::vector<std::string> changed = TeacherChanges(run.before, after);
    if (!Mentions(run.said, CAdjustWizardBase::kSuccess)) {
        EXPECT_TRUE(changed.empty());
        return;
    }
    // "确定要将 A的N门课和 B的M门课 交换吗": N plans went from A to B, M from B to A, and no plan of a
    // third teacher changed hands.
    const std::regex pattern("确定要将 (.+)的(\\d+)门课和 (.+)的(\\d+)门课 交换吗");
    std::smatch match;
    ASSERT_FALSE(run.said.empty());
    ASSERT_TRUE(std::regex_search(run.said.front(), match, pattern)) << run.said.front();
    const std::string a = match[1], b = match[3];
    int aToB = 0, bToA = 0;
    for (const CCourseInfo* plan : PlansOf(run.before)) {
        const CCourseInfo* now = after.FindCourse(plan->GetId());
        ASSERT_NE(now, nullptr);
        const bool heldByA = Holds(run.before, *plan, a), heldByB = Holds(run.before, *plan, b);
        aToB += heldByA && !Holds(after, *now, a) && Holds(after, *now, b);
        bToA += heldByB && !Holds(after, *now, b) && Holds(after, *now, a);
        if (!heldByA && !heldByB) {
            EXPECT_EQ(TeacherNameOf(after, plan->GetId()), TeacherNameOf(run.before, plan->GetId()))
                << "a third teacher's plan changed hands: " << run.before.GetCourseDesc(plan);
        }
    }
    EXPECT_EQ(aToB, std::stoi(match[2]));
    EXPECT_EQ(bToA, std::stoi(match[4]));
}

// ---- the batch modify of plans

// The first course with a whole count of at least two placed in two classes, lowered to one
// lesson a week in those two classes through the page's batch modify, then the page saved.
struct BatchTarget {
    std::string course;
    std::vector<std::string> classes;
};

BatchTarget BatchModifyTarget(const CScheduleTask& task)
{
    std::map<std::string, std::vector<std::string>> classesOf;
    std::vector<std::string> order;
    for (const CCourseInfo* plan : PlansOf(task)) {
        if (plan->GetType() != COURSE_TYPE_PLAN || plan->GetWeekCount().GetWholeCount() < 2 ||
            PlacedLessons(task, *plan) < 2)
            continue;
        const std::string course = task.GetSubjectName(plan->GetSubjectId());
        if (!classesOf.count(course))
            order.push_back(course);
        std::vector<std::string>& classes = classesOf[course];
        const std::string cls = task.GetClassNameA(plan->GetClassId());
        if (std::find(classes.begin(), classes.end(), cls) == classes.end())
            classes.push_back(cls);
    }
    for (const std::string& course : order)
        if (classesOf[course].size() >= 2)
            return {course, {classesOf[course][0], classesOf[course][1]}};
    return {};
}

void BatchModifyCounts(OperationRun& run, const std::string& count)
{
    FakeAppServices services;
    services.task = &run.task;
    const BatchTarget target = BatchModifyTarget(run.task);
    ASSERT_FALSE(target.course.empty());
    CPlanListPage page;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        CBatchModifyPlanDlg dialog(&p);
        dialog.m_receiver = &p;
        dialog.m_classes = &p.Classes();
        dialog.m_courses = &p.Courses();
        RunModal<CBatchModifyPlanDlg>(dialog, [&](CBatchModifyPlanDlg& d) {
            {
                ModalScope chooser([&](Dialog& shown) { ChooseInMultiSelect(shown, target.classes); });
                d.ChooseClasses();
            }
            auto* course = d.Item<QComboBox>(CBatchModifyPlanDlg::IDC_COURSE);
            course->setCurrentIndex(course->findText(QString::fromStdString(target.course)));
            auto* property = d.Item<QComboBox>(CBatchModifyPlanDlg::IDC_PROPERTY);
            property->setCurrentIndex(2);  // 周课时数
            d.OnPropertyChanged();
            d.SetDlgItemText(CBatchModifyPlanDlg::IDC_VALUE, count);
            d.SendCommand(zem::IDOK);
            d.EndDialog(zem::IDCANCEL);
        });
        p.Save();
    });
}

void BatchModifyPlans(OperationRun& run)
{
    BatchModifyCounts(run, "1");
}

// A count neither whole nor half a lesson more is refused as the plan dialog refuses it, naming
// it, and no plan changes.
void BatchModifyToACountNeitherWholeNorHalf(OperationRun& run)
{
    BatchModifyCounts(run, "2.7");
}

void CompareRefusedBatchModify(const OperationRun& run, CScheduleTask& after)
{
    EXPECT_TRUE(Mentions(run.said, "周课时数无效: 2.7")) << testing::PrintToString(run.said);
    EXPECT_FALSE(Mentions(run.said, "已成功修改")) << testing::PrintToString(run.said);
    EXPECT_EQ(CountChanges(run.before, after), std::vector<std::string>{});
}

void CompareBatchModify(const OperationRun& run, CScheduleTask& after)
{
    // "N 个班级的 X 课程\n已成功修改 周课时数 为 1": N classes' plans of X count 1 now, no other changed.
    const std::regex pattern("(\\d+) 个班级的 (.+) 课程\n已成功修改 周课时数 为 1");
    std::smatch match;
    const auto said = std::find_if(run.said.begin(), run.said.end(),
                                   [&](const std::string& text) { return std::regex_search(text, match, pattern); });
    ASSERT_NE(said, run.said.end()) << testing::PrintToString(run.said);
    std::set<std::string> classes;
    for (const std::string& id : CountChanges(run.before, after)) {
        const CCourseInfo* plan = after.FindCourse(id);
        ASSERT_NE(plan, nullptr) << id;
        EXPECT_EQ(after.GetSubjectName(plan->GetSubjectId()), match[2].str()) << after.GetCourseDesc(plan);
        EXPECT_EQ(plan->GetWeekCount(), CWeekCount(1, false)) << after.GetCourseDesc(plan);
        classes.insert(plan->GetClassId());
    }
    EXPECT_EQ(static_cast<int>(classes.size()), std::stoi(match[1]));
}

// ---- the plan split

struct SplitTarget {
    CCourseInfo* plan = nullptr;
    std::string course;
};

// The first placed plan a split of one lesson into another course allows.
SplitTarget SplitTargetOf(const CScheduleTask& task)
{
    const CPlanKeyIndex index = BuildPlanKeyIndex(task);
    for (CCourseInfo* plan : PlacedPlansCombinedFirst(task))
        for (const CSubjectInfo* course : ObjectsInOrder<CSubjectInfo>(task.GetSubjectInfoList()))
            if (course->GetId() != plan->GetSubjectId() && CheckSplit(task, index, *plan, 1, course->GetId()).empty())
                return {plan, course->GetName()};
    return {};
}

void SetComboText(Dialog& dialog, int id, const std::string& text)
{
    auto* combo = dialog.Item<QComboBox>(id);
    const int index = combo->findText(QString::fromStdString(text));
    if (index >= 0)
        combo->setCurrentIndex(index);
    else
        combo->setEditText(QString::fromStdString(text));
}

void SplitPlan(OperationRun& run)
{
    FakeAppServices services;
    services.task = &run.task;
    zem::gui::FakeClock clock;
    const SplitTarget target = SplitTargetOf(run.task);
    ASSERT_NE(target.plan, nullptr);
    CSplitPlanDlg dialog;
    RunWindow<CSplitPlanDlg>(
        dialog,
        [&](CSplitPlanDlg& d) {
            clock.Advance(CSplitPlanDlg::kChooseDelayMs);
            ASSERT_EQ(d.GetPlans().size(), 1u);
            SetComboText(d, CSplitPlanDlg::IDC_POSITION, "一周中靠前");
            SetComboText(d, CSplitPlanDlg::IDC_COUNT, "1");
            SetComboText(d, CSplitPlanDlg::IDC_COURSE, target.course);
            d.SendCommand(zem::IDOK);
        },
        [&](Dialog& shown) { ChoosePlans(shown, {target.plan->GetId()}); });
}

void CompareSplit(const OperationRun& run, CScheduleTask& after)
{
    const std::vector<std::string> changed = CountChanges(run.before, after);
    const std::regex pattern("拆分完成：(\\d+) 个教学计划各有 (\\d+) 节改为 (.+)（已排好的课有 (\\d+) 节随之修改）");
    std::smatch match;
    const auto said = std::find_if(run.said.begin(), run.said.end(),
                                   [&](const std::string& text) { return std::regex_search(text, match, pattern); });
    if (said == run.said.end()) {
        EXPECT_TRUE(changed.empty()) << "not split, yet counts changed";
        return;
    }
    ASSERT_EQ(std::stoi(match[1]), 1);
    const int count = std::stoi(match[2]);
    // One plan gave `count` lessons a week to the plan of the new course of its class and teacher.
    ASSERT_EQ(changed.size(), 2u) << testing::PrintToString(changed);
    const CCourseInfo* from = nullptr;
    const CCourseInfo* to = nullptr;
    for (const std::string& id : changed) {
        const CCourseInfo* plan = after.FindCourse(id);
        ASSERT_NE(plan, nullptr);
        (after.GetSubjectName(plan->GetSubjectId()) == match[3].str() ? to : from) = plan;
    }
    ASSERT_TRUE(from && to);
    const CCourseInfo* source = run.before.FindCourse(from->GetId());
    EXPECT_EQ(from->GetWeekCount() + CWeekCount(count, false), source->GetWeekCount());
    const CCourseInfo* joined = run.before.FindCourse(to->GetId());
    EXPECT_EQ(to->GetWeekCount(), (joined ? joined->GetWeekCount() : CWeekCount()) + CWeekCount(count, false));
    EXPECT_EQ(to->GetClassId(), from->GetClassId());
    EXPECT_EQ(to->GetTeacherId(), from->GetTeacherId());
    // The placed lessons said to follow are the ones the new plan gained.
    EXPECT_EQ(PlacedLessons(after, *to) - (joined ? PlacedLessons(run.before, *joined) : 0), std::stoi(match[4]));
    EXPECT_EQ(PlacedLessons(run.before, *source) - PlacedLessons(after, *from), std::stoi(match[4]));
}

// ---- the grade promotion

// The class page's promotion with the grade marks the dialog offers, then the page saved.
void PromoteGrades(OperationRun& run)
{
    FakeAppServices services;
    services.task = &run.task;
    CClassListPage page;
    RunPage<CBasicDataPage>(
        page,
        [&](CBasicDataPage& p) {
            p.SendCommand(CClassListPage::IDC_PROMOTE);
            p.Save();
        },
        [&](Dialog& shown) { shown.SendCommand(zem::IDOK); });
}

void ComparePromotion(const OperationRun& run, CScheduleTask& after)
{
    // Names with the marks remembered (the dialog's first offer); a repeated new name refuses all.
    std::vector<CPromotionRecord> records;
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(run.before.GetClassInfoList())) {
        CPromotionRecord record;
        record.id = cls->GetId();
        record.name = cls->GetName();
        record.shortName = cls->GetShortName();
        records.push_back(record);
    }
    CGradeTagDlg tags;
    ComputePromotion(records, tags.GetNameTag(), tags.GetShortNameTag());
    const bool refused = !FindPromotionRepeat(records).empty();
    for (const CPromotionRecord& record : records) {
        const CClassInfo* cls = after.GetClass(record.id);
        ASSERT_NE(cls, nullptr) << record.name;
        EXPECT_EQ(cls->GetName(), refused ? record.name : record.newName);
        EXPECT_EQ(cls->GetShortName(), refused ? record.shortName : record.newShortName);
    }
}

// ---- the batch add of courses

std::vector<std::string> TickedNames(const zem::gui::ItemList& list)
{
    std::vector<std::string> names;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetCheck(row)) {
            // A row shows the name and, in brackets, the short name.
            const std::string text = list.GetItemText(row);
            names.push_back(text.substr(0, text.rfind('(')));
        }
    return names;
}

// What the row's dialog ticked, for its compare: the dialog is gone by then.
std::vector<std::string> g_tickedCourses;

void BatchAddCourses(OperationRun& run)
{
    FakeAppServices services;
    services.task = &run.task;
    g_tickedCourses.clear();
    CSubjectListPage page;
    RunPage<CBasicDataPage>(
        page,
        [&](CBasicDataPage& p) {
            p.SendCommand(CBasicDataPage::IDC_BATCH_ADD);
            p.Save();
        },
        [&](Dialog& shown) {
            auto* dialog = dynamic_cast<CBatchAddCourseDlg*>(&shown);
            ASSERT_NE(dialog, nullptr) << shown.Caption();
            g_tickedCourses = TickedNames(*dialog->GetList());
            dialog->SendCommand(zem::IDOK);
        });
}

// Every course ticked is a course of the task now; those it had are not there twice.
void CompareBatchAdd(const OperationRun& run, CScheduleTask& after)
{
    ASSERT_FALSE(g_tickedCourses.empty());
    std::set<std::string> expected;
    for (const CSubjectInfo* course : ObjectsInOrder<CSubjectInfo>(run.before.GetSubjectInfoList()))
        expected.insert(course->GetName());
    const std::size_t had = expected.size();
    for (const std::string& name : g_tickedCourses)
        expected.insert(name);
    std::set<std::string> names;
    for (const CSubjectInfo* course : ObjectsInOrder<CSubjectInfo>(after.GetSubjectInfoList()))
        EXPECT_TRUE(names.insert(course->GetName()).second) << "twice: " << course->GetName();
    EXPECT_EQ(names, expected);
    EXPECT_GT(names.size(), had);
}

// ---- a room's capacity

// The room most classes use at once, and how many.
std::pair<std::string, int> BusiestRoom(const CScheduleTask& task)
{
    std::map<std::string, int> most;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                std::map<std::string, int> now;
                for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
                    const CCourseTableNode& cell = cls->GetTable(false).GetNode(day, segment, section);
                    for (const int half : {1, 2})
                        if ((half == 1 || cell.IsInterleave()) && cell.data(half).HasCourse() &&
                            !cell.data(half).GetRoomId().empty())
                            ++now[cell.data(half).GetRoomId()];
                }
                for (const auto& [room, classes] : now)
                    most[room] = std::max(most[room], classes);
            }
    std::pair<std::string, int> busiest;
    for (const auto& [room, classes] : most)
        if (classes > busiest.second)
            busiest = {room, classes};
    return busiest;
}

// The busiest room made to hold one class at a time, as its modify dialog sends the row, and the
// page saved: where it holds more at once, the page refuses.
void LowerRoomCapacity(OperationRun& run)
{
    FakeAppServices services;
    services.task = &run.task;
    const std::string room = BusiestRoom(run.task).first;
    ASSERT_FALSE(room.empty());
    CRoomListPage page;
    RunPage<CBasicDataPage>(page, [&](CBasicDataPage& p) {
        for (int row = 0; row < p.GetList()->GetItemCount(); ++row)
            if (p.GetList()->GetItemText(row, 0) == room) {
                SelectRow(p, row);
                std::vector<std::string> cells = RowTexts(p, row);
                cells.at(2) = "1";
                EXPECT_EQ(SendRow(p, cells, 1).answer, 0);
            }
        p.Save();
    });
}

void CompareRoomCapacity(const OperationRun& run, CScheduleTask& after)
{
    const CRoomInfo* room = after.GetRoom(BusiestRoom(run.before).first);
    ASSERT_NE(room, nullptr);
    // Taken, or refused by the page naming the room and the places it uses.
    if (room->GetCapacity() != 1u) {
        EXPECT_TRUE(Mentions(run.said, room->GetName() + " 的第 ") && Mentions(run.said, "容纳班数不能少于"))
            << testing::PrintToString(run.said);
    }
}

// ---- the teaching time

// The last day of the week switched off in the teaching-time window and saved; its lessons are
// taken away as the question offers.
int LastDayInUse(const CScheduleTask& task)
{
    for (int day = zem::kDayCount - 1; day >= 0; --day)
        if (task.GetSchoolStructure().IsDayInUse(day))
            return day;
    return -1;
}

void ChangeTeachingTime(OperationRun& run)
{
    FakeAppServices services;
    services.task = &run.task;
    CTipWnd tip;
    tip.Create();
    services.tipWnd = &tip;
    const int day = LastDayInUse(run.task);
    CTeachingTimeDlg dialog(nullptr, &run.task);
    RunWindow<CTeachingTimeDlg>(dialog, [&](CTeachingTimeDlg& d) {
        d.Item<QCheckBox>(CTeachingTimeDlg::IDC_DAY_FIRST + day)->click();
        d.Item<QPushButton>(zem::IDOK)->click();
    });
}

void CompareTeachingTime(const OperationRun& run, CScheduleTask& after)
{
    const int day = LastDayInUse(run.before);
    const int lessons = ClassLessonsAt(run.before, [day](const tagTABLE_NODE& node) { return node.day == day; });
    if (Mentions(run.said, "已撤销")) {
        EXPECT_TRUE(after.GetSchoolStructure().IsDayInUse(day));
        return;
    }
    EXPECT_FALSE(after.GetSchoolStructure().IsDayInUse(day));
    // The question counts the lessons the day held, and they are gone.
    EXPECT_EQ(NumberBefore(run.said, "节已排课程位于不再使用的时间"), lessons > 0 ? lessons : -1);
    EXPECT_EQ(ClassLessonsAt(after, [day](const tagTABLE_NODE& node) { return node.day == day; }), 0);
}

const Operation kPlanOperations[] = {
    {"teacher change", false, ChangePlanTeacher, CompareTeacherChange},
    {"teacher change over a clash", false, ChangeTeacherOverAClash, CompareRefusedTeacherChange},
    {"room change", false, ChangePlanRoom, CompareRoomChange},
    {"teacher swap", false, SwapTeachers, CompareSwap},
    {"batch modify", true, BatchModifyPlans, CompareBatchModify},
    {"batch modify to a count neither whole nor half", true, BatchModifyToACountNeitherWholeNorHalf,
     CompareRefusedBatchModify},
    {"plan split", true, SplitPlan, CompareSplit},
    // Renaming classes keeps every plan's count.
    {"grade promotion", false, PromoteGrades, ComparePromotion},
    {"batch add of courses", false, BatchAddCourses, CompareBatchAdd},
    {"room capacity lowered", false, LowerRoomCapacity, CompareRoomCapacity},
    {"teaching time", false, ChangeTeachingTime, CompareTeachingTime},
};

}  // namespace

ZEM_OPERATION_ROWS(Plans, kPlanOperations);
