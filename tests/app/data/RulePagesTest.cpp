// The pages of fixed no-class times, the basic rules and the odd/even pairs, worked as a user does:
// the chooser, the time-slot picker, saving, and what the saved task then holds.
// First: its helpers name a variable as Qt's keyword macro does.
#include "support/EngineRun.h"

#include "support/BasicDataTestSupport.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "app/data/FixedTimePages.h"
#include "app/data/OETeamPage.h"
#include "app/data/ScheduleRulesDlg.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"
#include "testing/generator/SchoolGenerator.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;
using zem::gui::ItemList;
using zem::gui::ReportList;
using Strings = std::vector<std::string>;

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

// Answers the dialogs a rule page opens: ticks the named objects in the multi-select chooser or
// the plans in the plan picker, marks the slots in the time-slot picker, and records what it saw.
struct DialogScript {
    Strings names;
    Strings plans;
    std::vector<tagTABLE_NODE> marks;

    Strings captions;      // of every dialog, in order
    bool refused = false;  // the time-slot picker stayed open after OK (then cancelled)
    Strings shownMarks;    // slots marked in the picker when it opened, as day*100+segment*10+section

    void operator()(Dialog& dialog)
    {
        captions.push_back(dialog.Caption());
        if (auto* chooser = dynamic_cast<CMultiSelectDlg*>(&dialog)) {
            ItemList& list = *chooser->Item<ItemList>(CMultiSelectDlg::IDC_LIST);
            const Strings listed = Listed(list);
            for (std::size_t i = 0; i < listed.size(); ++i)
                if (std::find(names.begin(), names.end(), listed[i]) != names.end())
                    ClickCheck(list, static_cast<int>(i));
        } else if (auto* picker = dynamic_cast<CCoursePlanPickerDlg*>(&dialog)) {
            ReportList& list = *picker->GetList();
            for (int row = 0; row < list.GetItemCount(); ++row)
                if (std::find(plans.begin(), plans.end(), list.GetItemPtr<CCourseInfo>(row)->GetId()) != plans.end())
                    list.model()->setData(list.model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
        } else if (auto* picker = dynamic_cast<CTimeSlotPickerDlg*>(&dialog)) {
            shownMarks.clear();
            for (int day = 0; day < zem::kDayCount; ++day)
                for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                    for (int section = 0; section < zem::kSectionCount; ++section)
                        if (picker->m_marks.IsInvalid(day, segment, section))
                            shownMarks.push_back(std::to_string(day * 100 + segment * 10 + section));
            picker->m_marks.Clear();
            for (const tagTABLE_NODE& node : marks)
                picker->m_marks.SetValue(node, CTimeTable::kInvalid);
            Click(dialog, zem::IDOK);
            if (!dialog.IsEnded()) {
                refused = true;
                Click(dialog, zem::IDCANCEL);
            }
            return;
        }
        Click(dialog, zem::IDOK);
    }
};

// Clicks a check box on its square, as a short text leaves the rest of the box unclickable.
void ClickBox(Dialog& dialog, int id)
{
    auto* box = dialog.Item<QCheckBox>(id);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// The slots of a row's entry, as the task's files write them.
std::string RowSlots(const CListBaseDlg& page, int row)
{
    const auto* entry = page.GetList()->GetItemPtr<CFixedTimeOfObject>(row);
    return entry ? entry->GetAllFixedTime() : std::string("(none)");
}

int RowOf(const CFixedTimePage& page, const std::string& id)
{
    return page.FindRow(id);
}

// The small school with a morning-reading period, a third subject and plans of both classes.
class RuleSchool : public SmallSchool {
public:
    RuleSchool()
    {
        CSchoolStructure& week = Task().GetSchoolStructure();
        week.SetSectionNodeMaxCount(3, 1, true);
        week.RefreshData();
        b.Subject("s3", "英语", "英");
        b.Course("p1", "c1", "s1", "t1", "4");
        b.Course("p2", "c2", "s2", "t2", "4");
        b.SelfStudy("m1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING);
        Task().GetTaskInfo().SetTaskName("school");
        EXPECT_TRUE(Task().GetTaskInfo().WriteToFile());
    }

    template <class Entry>
    void Fixed(CZemObjectList& list, const std::string& id, const char* nodes)
    {
        auto* entry = new Entry;
        entry->SetId(id);
        entry->ReadFixedTimeFromString(nodes);
        list.Add(entry);
    }

    // The task as its input file holds it now.
    std::unique_ptr<CScheduleTask> Reread() const
    {
        auto task = std::make_unique<CScheduleTask>();
        EXPECT_TRUE(task->Open(folder / "school.zem", TaskAccess::ReadOnly));
        return task;
    }
};

std::string StoredSlots(const CZemObjectList& list, const std::string& id)
{
    const auto* entry = dynamic_cast<const CFixedTimeOfObject*>(list.Find(id));
    return entry ? entry->GetAllFixedTime() : std::string("(none)");
}

TEST(FixedTimePages, SeveralClassesAtOnceMergeTheSlotsAsASet)
{
    RuleSchool school;
    school.Fixed<CFixedTimeOfClass>(school.Task().GetFixedTimeOfClassList(), "c1", "0,210,");
    dynamic_cast<CFixedTimeOfClass*>(school.Task().GetFixedTimeOfClassList().Find("c1"))
        ->GetActivities()
        .AddActivity(tagTABLE_NODE{0, 0, 0}, "班会");

    CClassFixedTimePage page;
    DialogScript script;
    script.names = {"初一(1)班", "初一(2)班"};
    script.marks = {{0, 0, 0}, {1, 0, 0}};  // c1 holds the first already
    RunPage<CClassFixedTimePage>(page, [&](CClassFixedTimePage& p) {
        Click(p, CListBaseDlg::IDC_ADD);
        EXPECT_EQ(script.captions, (Strings{"选择班级", "设置 初一(1)班 等2个班级的固定无课时间"}));
        ASSERT_EQ(p.GetList()->GetItemCount(), 2);
        EXPECT_EQ(RowSlots(p, RowOf(p, "c1")), "0,210,100,");
        EXPECT_EQ(RowSlots(p, RowOf(p, "c2")), "0,100,");
        EXPECT_EQ(p.GetList()->GetItemText(RowOf(p, "c1"), 2),
                  "周一上午第1节(班会)，周三下午第1节，周二上午第1节");
        EXPECT_TRUE(p.IsModified());

        // One class alone that has a row is edited there: its slots replaced by the marks.
        script.captions.clear();
        script.names = {"初一(2)班"};
        script.marks = {{4, 1, 2}};
        Click(p, CListBaseDlg::IDC_ADD);
        EXPECT_EQ(script.captions, (Strings{"选择班级", "设置 初一(2)班 的固定无课时间"}));
        EXPECT_EQ(script.shownMarks, (Strings{"0", "100"}));
        EXPECT_EQ(p.GetList()->GetItemCount(), 2);
        EXPECT_EQ(RowSlots(p, RowOf(p, "c2")), "412,");

        EXPECT_TRUE(p.Save());
    }, std::ref(script));
    std::unique_ptr<CScheduleTask> stored = school.Reread();
    EXPECT_EQ(StoredSlots(stored->GetFixedTimeOfClassList(), "c1"), "0,210,100,");
    EXPECT_EQ(StoredSlots(stored->GetFixedTimeOfClassList(), "c2"), "412,");
}

TEST(FixedTimePages, SubjectAndPlanPagesReplaceTheSlotsOfAnOwnerChosenAgain)
{
    struct Case {
        const char* name;
        std::function<std::unique_ptr<CFixedTimePage>()> make;
        CZemObjectList& (CScheduleTask::*list)();
        bool byPlan;
        Strings owners;  // names in the chooser, or plan ids
    };
    const Case cases[] = {
        {"subjects", [] { return std::make_unique<CSubjectFixedTimePage>(); }, &CScheduleTask::GetFixedTimeOfSubjectList,
         false, {"语文", "数学"}},
        {"plans", [] { return std::make_unique<CPlanFixedTimePage>(); }, &CScheduleTask::GetFixedTimeOfCourseList, true,
         {"p1", "p2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RuleSchool school;
        CZemObjectList& list = (school.Task().*c.list)();
        const std::string first = c.byPlan ? "p1" : "s1";
        const std::string second = c.byPlan ? "p2" : "s2";
        school.Fixed<CFixedTimeOfSubject>(list, first, "0,1,");
        std::unique_ptr<CFixedTimePage> page = c.make();
        DialogScript script;
        (c.byPlan ? script.plans : script.names) = c.owners;
        script.marks = {{3, 0, 0}};
        RunPage<CFixedTimePage>(*page, [&](CFixedTimePage& p) {
            Click(p, CListBaseDlg::IDC_ADD);
            ASSERT_EQ(script.captions.size(), 2u);
            const std::string firstName = c.byPlan ? school.Task().GetCourseDesc("p1") : "语文";
            const char* many = c.byPlan ? "设置 %s 等2个教学计划的固定无课时间" : "设置 %s 等2个课程的固定无课时间";
            EXPECT_EQ(script.captions[1], zem::Format(many, firstName.c_str()));
            EXPECT_EQ(RowSlots(p, RowOf(p, first)), "300,");
            EXPECT_EQ(RowSlots(p, RowOf(p, second)), "300,");
            EXPECT_TRUE(p.Save());
        }, std::ref(script));
        std::unique_ptr<CScheduleTask> stored = school.Reread();
        EXPECT_EQ(StoredSlots((stored.get()->*c.list)(), first), "300,");
        EXPECT_EQ(StoredSlots((stored.get()->*c.list)(), second), "300,");
    }
}

TEST(FixedTimePages, AMorningReadingPlanTakesOnlyMorningReadingSlots)
{
    RuleSchool school;
    CPlanFixedTimePage page;
    ScriptedMessages messages;
    DialogScript script;
    script.plans = {"m1"};
    script.marks = {{0, 0, 0}, {1, 3, 0}};
    RunPage<CPlanFixedTimePage>(page, [&](CPlanFixedTimePage& p) {
        Click(p, CListBaseDlg::IDC_ADD);
        EXPECT_TRUE(script.refused);
        EXPECT_EQ(messages.Texts(), Strings{"选择了不被允许的区域"});
        EXPECT_EQ(p.GetList()->GetItemCount(), 0);
        EXPECT_FALSE(p.IsModified());

        script.refused = false;
        script.marks = {{1, 3, 0}};
        Click(p, CListBaseDlg::IDC_ADD);
        EXPECT_FALSE(script.refused);
        EXPECT_EQ(RowSlots(p, RowOf(p, "m1")), "130,");
    }, std::ref(script));
}

// A fixed no-class time set on the page and saved is kept by a run of the engine over the task the
// files hold.
TEST(FixedTimePages, ASavedClassFixedTimeIsKeptByTheEngine)
{
    RuleSchool built;
    built.b.Course("p3", "c1", "s2", "t2", "5");
    built.b.Course("p4", "c1", "s3", "t3", "5");
    const std::string folder = built.folder / "school/";
    std::string error;
    ASSERT_TRUE(zemgen::WriteTaskFolder(built.Task(), folder, "school", "", &error)) << error;
    FakeAppServices services;
    auto task = std::make_unique<CScheduleTask>();
    ASSERT_TRUE(task->Open(folder + "school.zem"));
    services.task = task.get();

    // Every forenoon of the week's first two periods.
    DialogScript script;
    script.names = {"初一(1)班"};
    for (int day = 0; day < 5; ++day)
        for (int section = 0; section < 2; ++section)
            script.marks.push_back({day, 0, section});
    CClassFixedTimePage page;
    RunPage<CClassFixedTimePage>(page, [&](CClassFixedTimePage& p) {
        Click(p, CListBaseDlg::IDC_ADD);
        EXPECT_TRUE(p.Save());
    }, std::ref(script));
    services.task = nullptr;
    task.reset();

    auto reopened = std::make_unique<CScheduleTask>();
    ASSERT_TRUE(reopened->Open(folder + "school.zem"));
    ASSERT_EQ(StoredSlots(reopened->GetFixedTimeOfClassList(), "c1"), "0,1,100,101,200,201,300,301,400,401,");
    RunEngine(*reopened);
    EXPECT_TRUE(ScheduleIsValid(*reopened, kCheckFixedTime | kCheckDoubleBooking));
    const CClassInfo* c1 = reopened->GetClass("c1");
    ASSERT_NE(c1, nullptr);
    int placed = 0;
    for (int day = 0; day < 5; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const bool used = c1->GetTable(false).IsUsed(day, segment, section);
                placed += used;
                if (segment == 0 && section < 2) {
                    EXPECT_FALSE(used) << day << "," << section;
                }
            }
    EXPECT_GT(placed, 0);
}

TEST(ScheduleRules, OkSavesTheFourFlagsAndCancelLeavesThem)
{
    RuleSchool school;
    const int boxes[] = {CScheduleRulesDlg::IDC_STRICT_DISTRIBUTION, CScheduleRulesDlg::IDC_MAIN_COURSE_FORENOON,
                         CScheduleRulesDlg::IDC_CONCENTRATE_TEACHER, CScheduleRulesDlg::IDC_CONCENTRATE_SELF_STUDY};
    auto flags = [](const CTaskSetting& s) {
        return std::vector<bool>{s.GetStrictDistribution(), s.GetSortByMainCourseType(), s.GetConcentrateByTeacher(),
                                 s.GetConcentrateSelfstudy()};
    };
    const std::vector<bool> defaults{true, true, false, true};
    const std::vector<bool> flipped{false, false, true, false};
    ASSERT_EQ(flags(school.Task().GetTaskSetting()), defaults);

    for (const int answer : {zem::IDCANCEL, zem::IDOK}) {
        SCOPED_TRACE(answer);
        CScheduleRulesDlg dialog;
        std::vector<bool> shown;
        const int result = RunModal<CScheduleRulesDlg>(dialog, [&](CScheduleRulesDlg& d) {
            for (int id : boxes) {
                shown.push_back(d.Item<QCheckBox>(id)->isChecked());
                ClickBox(d, id);
            }
            if (answer == zem::IDOK)
                SaveScreenshot(&d, "schedule_rules_dialog");
            Click(d, answer);
        });
        EXPECT_EQ(result, answer);
        EXPECT_EQ(shown, defaults);
        EXPECT_EQ(flags(school.Task().GetTaskSetting()), answer == zem::IDOK ? flipped : defaults);
        EXPECT_EQ(zem::FileExists(school.folder / "input.xml"), answer == zem::IDOK);
    }
    EXPECT_EQ(flags(school.Reread()->GetTaskSetting()), flipped);

    // A save that fails keeps the dialog open and the task's flags as its file holds them.
    ASSERT_TRUE(zem::WriteFileAtomic(school.folder / "blocker", "x"));
    school.Task().GetTaskInfo().SetTaskFolder(school.folder / "blocker/");
    ScriptedMessages messages;
    CScheduleRulesDlg failing;
    const int result = RunModal<CScheduleRulesDlg>(failing, [&](CScheduleRulesDlg& d) {
        ClickBox(d, boxes[0]);
        Click(d, zem::IDOK);
        EXPECT_FALSE(d.IsEnded());
    });
    EXPECT_EQ(result, zem::IDCANCEL);
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(flags(school.Task().GetTaskSetting()), flipped);
}

// Plans of half a lesson a week: A1, A2 and B1 of class 1 in three subjects, B2 of class 1 in A1's
// subject, C1 of class 2.
class PairSchool : public RuleSchool {
public:
    PairSchool()
    {
        b.Course("A1", "c1", "s1", "t1", "0.5");
        b.Course("A2", "c1", "s2", "t2", "0.5");
        b.Course("B1", "c1", "s3", "t3", "0.5");
        b.Course("B2", "c1", "s1", "t3", "1.5");
        b.Course("C1", "c2", "s3", "t3", "0.5");
    }

    std::vector<CCourseInfo*> Plans(const Strings& ids)
    {
        std::vector<CCourseInfo*> plans;
        for (const std::string& id : ids)
            plans.push_back(Task().FindCourse(id));
        return plans;
    }
};

Strings Pairs(const COETeamPage& page)
{
    Strings pairs;
    for (int row = 0; row < page.GetList()->GetItemCount(); ++row) {
        const auto* team = page.GetList()->GetItemPtr<COETeam>(row);
        pairs.push_back(team->GetOdd() + "|" + team->GetEven());
    }
    return pairs;
}

TEST(OETeamPage, PairsPlansOfOneClassInDifferentSubjects)
{
    struct Case {
        const char* name;
        Strings before;  // pairs made first
        Strings odd, even;
        int made;
        Strings after;
    };
    const Case cases[] = {
        {"A1 pairs with B1, A2 stays unpaired", {}, {"A1", "A2"}, {"B1"}, 1, {"A1|B1"}},
        {"the same subject never pairs", {}, {"A1"}, {"B2"}, 0, {}},
        {"another class never pairs", {}, {"A1"}, {"C1"}, 0, {}},
        {"a plan in both lists does not pair with itself", {}, {"A1"}, {"A1"}, 0, {}},
        {"re-pairing replaces the old pair", {"A1", "B1"}, {"A2"}, {"B1"}, 1, {"A2|B1"}},
        {"an untouched pair stays, the new one last", {"A1", "B1"}, {"A2"}, {"B2"}, 1, {"A1|B1", "A2|B2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PairSchool school;
        COETeamPage page;
        ScriptedMessages messages;
        RunPage<COETeamPage>(page, [&](COETeamPage& p) {
            for (std::size_t i = 0; i + 1 < c.before.size(); i += 2)
                ASSERT_EQ(p.Pair(school.Plans({c.before[i]}), school.Plans({c.before[i + 1]})), 1);
            EXPECT_EQ(p.Pair(school.Plans(c.odd), school.Plans(c.even)), c.made);
            EXPECT_EQ(Pairs(p), c.after);
            EXPECT_EQ(p.IsModified(), c.made > 0 || !c.before.empty());
        });
        EXPECT_TRUE(messages.Texts().empty());
    }
}

TEST(OETeamPage, AddAsksForOddThenEvenPlansAndSwapAndSaveKeepTheRows)
{
    PairSchool school;
    COETeamPage page;
    ScriptedMessages messages;
    int pickerRuns = 0;
    DialogScript script;
    auto answer = [&](Dialog& d) {
        // The odd weeks first, then the even weeks.
        script.plans = pickerRuns++ == 0 ? Strings{"A1", "A2"} : Strings{"B1", "C1"};
        script(d);
    };
    RunPage<COETeamPage>(page, [&](COETeamPage& p) {
        EXPECT_EQ(p.Caption(), "单双周组合（如果有单双周课程，可以在这里指定组合；如不指定，自动排课时将随机配对）");
        EXPECT_EQ(p.GetDlgItemText(CListBaseDlg::IDC_EDIT), "交换(&E)");
        Click(p, CListBaseDlg::IDC_ADD);
        EXPECT_EQ(script.captions, (Strings{"选择要排在单周的教学计划", "选择要排在双周的教学计划"}));
        EXPECT_EQ(Pairs(p), Strings{"A1|B1"});
        EXPECT_EQ(p.Caption(), "单双周组合 (已修改,未保存)");

        // Nothing of one class: told so, nothing changes.
        pickerRuns = 0;
        script.captions.clear();
        p.GetList()->ClearSelectedRows();
        auto noMatch = [&](Dialog& d) {
            script.plans = pickerRuns++ == 0 ? Strings{"A2"} : Strings{"C1"};
            script(d);
        };
        {
            ModalScope nested(noMatch);
            Click(p, CListBaseDlg::IDC_ADD);
        }
        EXPECT_EQ(Pairs(p), Strings{"A1|B1"});

        SelectRow(p, 0);
        Click(p, CListBaseDlg::IDC_EDIT);
        EXPECT_EQ(Pairs(p), Strings{"B1|A1"});
        EXPECT_EQ(p.GetList()->GetItemText(0, 1), school.Task().GetCourseDesc("B1"));
        EXPECT_TRUE(p.Save());
    }, answer);
    EXPECT_EQ(messages.Texts(), (Strings{"先选择：单周\n\n可以按课程进行搜索，可以多选",
                                         "再选择：双周\n\n可以按课程进行搜索，可以多选",
                                         "先选择：单周\n\n可以按课程进行搜索，可以多选",
                                         "再选择：双周\n\n可以按课程进行搜索，可以多选",
                                         "同一班级的单周和双周课程才能进行组合"}));
    std::unique_ptr<CScheduleTask> stored = school.Reread();
    ASSERT_EQ(stored->GetOETeamList().GetCount(), 1);
    const auto* team = dynamic_cast<const COETeam*>(stored->GetOETeamList().begin()->second);
    EXPECT_EQ(team->GetOdd() + "|" + team->GetEven(), "B1|A1");
}

TEST(OETeamPage, ATaskWithoutHalfLessonsShowsTheHintOnceAfterOpening)
{
    RuleSchool school;
    COETeamPage page;
    ScriptedMessages messages;
    RunPage<COETeamPage>(page, [&](COETeamPage&) {
        EXPECT_TRUE(messages.Texts().empty());
        // The hint comes by a short timer of its own: wait for it, however busy the machine.
        QTRY_VERIFY_WITH_TIMEOUT(!messages.Texts().empty(), 60000);
    });
    EXPECT_EQ(messages.Texts(), Strings{"当前教学计划列表中，没有单双周的教学计划\r\n\r\n"
                                        "如要设置单双周的教学计划，可以在第2页基本数据维护中把该教学计划的周课时数设为0.5"});
}

// Each page on the demo school, as a person sees it.
TEST(RulePages, DemoSchoolScreenshots)
{
    DemoSchool demo;
    ASSERT_TRUE(demo.task);
    struct Shot {
        const char* file;
        std::function<std::unique_ptr<CListBaseDlg>()> make;
    };
    const Shot shots[] = {
        {"class_fixed_time_page", [] { return std::make_unique<CClassFixedTimePage>(); }},
        {"subject_fixed_time_page", [] { return std::make_unique<CSubjectFixedTimePage>(); }},
        {"teacher_fixed_time_page", [] { return std::make_unique<CTeacherFixedTimePage>(); }},
        {"teacher_group_fixed_time_page", [] { return std::make_unique<CTeacherGroupFixedTimePage>(); }},
        {"plan_fixed_time_page", [] { return std::make_unique<CPlanFixedTimePage>(); }},
        {"odd_even_pairs_page", [] { return std::make_unique<COETeamPage>(); }},
    };
    for (const Shot& shot : shots) {
        SCOPED_TRACE(shot.file);
        std::unique_ptr<CListBaseDlg> page = shot.make();
        page->resize(900, 560);
        RunPage<CListBaseDlg>(*page, [&](CListBaseDlg& p) {
            EXPECT_GT(p.GetList()->GetItemCount(), 0);
            for (int row = 0; row < p.GetList()->GetItemCount(); ++row)
                EXPECT_FALSE(p.GetList()->GetItemText(row, 2).empty()) << row;
            SaveScreenshot(&p, shot.file);
        });
    }

    // The picker of a row, as Edit opens it.
    CTeacherFixedTimePage page;
    RunPage<CTeacherFixedTimePage>(page, [&](CTeacherFixedTimePage& p) {
        SelectRow(p, 0);
        ModalScope picker([](Dialog& d) { SaveScreenshot(&d, "teacher_fixed_time_picker"); });
        Click(p, CListBaseDlg::IDC_EDIT);
    });
}

}  // namespace
