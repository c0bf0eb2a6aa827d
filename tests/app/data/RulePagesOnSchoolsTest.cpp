// The rule pages on real schools: rules set through the pages and saved are what a run of the
// engine keeps, and the pages filled from the demo task as a user sees them.
// Before Qt's headers, which make "slots" a keyword.
#include "support/EngineRun.h"

#include "support/BasicDataTestSupport.h"
#include "support/PickerClicks.h"

#include "app/data/CombineClassListPage.h"
#include "app/data/CoursePresetPage.h"
#include "app/data/FixedTimePages.h"
#include "app/data/MutexPages.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "testing/generator/SchoolGenerator.h"

#include <gtest/gtest.h>

using zem::gui::Dialog;
using Strings = std::vector<std::string>;

namespace {

// The first teacher (in order) with no pre-arranged lesson, whose name no other teacher's name
// contains, so that a search finds them alone; never `other`.
const CTeacherInfo* SearchableTeacher(CScheduleTask& task, const CTeacherInfo* other = nullptr)
{
    const std::vector<CTeacherInfo*> teachers = ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList());
    auto hasPreset = [&](const CTeacherInfo* teacher) {
        for (const auto& [planId, preset] : task.GetCoursePresetList())
            if (const CCourseInfo* plan = task.FindCourse(planId); plan && plan->GetTeacherId() == teacher->GetId())
                return true;
        return false;
    };
    for (const CTeacherInfo* teacher : teachers) {
        const bool unique = std::none_of(teachers.begin(), teachers.end(), [&](const CTeacherInfo* t) {
            return t != teacher && t->GetName().find(teacher->GetName()) != std::string::npos;
        });
        if (unique && teacher != other && !hasPreset(teacher))
            return teacher;
    }
    return nullptr;
}

// Whether a fixed no-class time of the plan, its class, subject, teacher or the teacher's groups
// closes the slot, activities or not.
bool NoClassTime(const CScheduleTask& task, const CCourseInfo& plan, const tagTABLE_NODE& node)
{
    auto closed = [&](const CZemObjectList& list, const std::string& id) {
        const auto* fixed = static_cast<const CFixedTimeOfObject*>(list.Find(id));
        return fixed && fixed->IsFixedTime(node);
    };
    if (closed(task.GetFixedTimeOfClassList(), plan.GetClassId()) ||
        closed(task.GetFixedTimeOfTeacherList(), plan.GetTeacherId()) ||
        closed(task.GetFixedTimeOfSubjectList(), plan.GetSubjectId()) ||
        closed(task.GetFixedTimeOfCourseList(), plan.GetId()))
        return true;
    for (const CTeacherGroupInfo* group : ObjectsInOrder<CTeacherGroupInfo>(task.GetTeacherGroupInfoList()))
        if (group->FindTeacher(plan.GetTeacherId()) && closed(task.GetFixedTimeOfTeacherGroupList(), group->GetId()))
            return true;
    return false;
}

}  // namespace

TEST(RulePagesOnSchools, RulesSetOnThePagesAreKeptByARun)
{
    TempFolder temp;
    const std::string folder = temp / "school/";
    {
        zemgen::SchoolOptions options;
        options.size = "S36";
        std::string error;
        std::unique_ptr<CScheduleTask> generated = zemgen::GenerateSchool(options, &error);
        ASSERT_TRUE(generated && zemgen::WriteTaskFolder(*generated, folder, "school", "", &error)) << error;
    }
    auto task = std::make_unique<CScheduleTask>();
    ASSERT_TRUE(task->Open(folder + "school.zem"));
    FakeAppServices services;
    services.task = task.get();

    const CTeacherInfo* teacher = SearchableTeacher(*task);
    const CTeacherInfo* partner = SearchableTeacher(*task, teacher);
    ASSERT_TRUE(teacher && partner);
    CMutexTeacherPage mutex;
    RunPage<CMutexTeacherPage>(
        mutex, [](CMutexTeacherPage& p) {
            p.Add();
            EXPECT_TRUE(p.Save());
        },
        [&](Dialog& d) {
            if (dynamic_cast<CTeacherPickerDlg*>(&d))
                PickObject(d, teacher->GetName());
            else
                ChooseInMultiSelect(d, {partner->GetName()});
        });

    // A plan of the first class, pre-arranged at two slots its class and teacher can take.
    const CCourseInfo* plan = ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()).front();
    ASSERT_GE(plan->GetWeekCount().GetWholeCount(), 2);
    std::vector<tagTABLE_NODE> chosenSlots;
    for (int day = 0; day < 5 && chosenSlots.size() < 2; ++day) {
        const tagTABLE_NODE node{day, 1, 1};
        if (!NoClassTime(*task, *plan, node))
            chosenSlots.push_back(node);
    }
    ASSERT_EQ(chosenSlots.size(), 2u);
    CCoursePresetPage presets;
    RunPage<CCoursePresetPage>(
        presets, [](CCoursePresetPage& p) {
            p.Add();
            EXPECT_TRUE(p.Save());
        },
        [&](Dialog& d) {
            auto* picker = dynamic_cast<CTimeSlotPickerDlg*>(&d);
            if (!picker)
                return ChoosePlans(d, {plan->GetId()});
            for (const tagTABLE_NODE& slot : chosenSlots)
                ClickGrid(*picker, slot);
            QTest::mouseClick(picker->GetDlgItem(zem::IDOK), Qt::LeftButton);
        });

    // A fixed no-class time of the last class, at a slot none of its presets takes.
    const CClassInfo* closedClass = ObjectsInOrder<CClassInfo>(task->GetClassInfoList()).back();
    const tagTABLE_NODE closedSlot{2, 0, 1};
    for (const CCourseInfo* classPlan : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList())) {
        const auto* classPreset = static_cast<const CCoursePreset*>(task->GetCoursePresetList().Find(classPlan->GetId()));
        if (classPlan->GetClassId() == closedClass->GetId() && classPreset) {
            ASSERT_FALSE(classPreset->IsFixedTime(closedSlot));
        }
    }
    CClassFixedTimePage fixedTimes;
    RunPage<CClassFixedTimePage>(
        fixedTimes, [](CClassFixedTimePage& p) {
            p.Add();
            EXPECT_TRUE(p.Save());
        },
        [&](Dialog& d) {
            auto* picker = dynamic_cast<CTimeSlotPickerDlg*>(&d);
            if (!picker)
                return ChooseInMultiSelect(d, {closedClass->GetName()});
            ClickGrid(*picker, closedSlot);
            QTest::mouseClick(picker->GetDlgItem(zem::IDOK), Qt::LeftButton);
        });

    // The rules as the files hold them, run.
    const std::string closedClassId = closedClass->GetId();
    const std::string planId = plan->GetId();
    const std::string teacherId = teacher->GetId();
    const std::string partnerId = partner->GetId();
    services.task = nullptr;
    task.reset();
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(folder + "school.zem"));
    const Strings* partners = reopened.GetMutexOfTeacherList().FindTeacherMutexInfo(partnerId);
    ASSERT_NE(partners, nullptr);
    EXPECT_EQ(*partners, Strings{teacherId});
    const auto* preset = static_cast<const CCoursePreset*>(reopened.GetCoursePresetList().Find(planId));
    ASSERT_NE(preset, nullptr);
    EXPECT_EQ(preset->GetFixedTimeCount(), 2);

    const auto* fixed = static_cast<const CFixedTimeOfObject*>(reopened.GetFixedTimeOfClassList().Find(closedClassId));
    ASSERT_NE(fixed, nullptr);
    EXPECT_TRUE(fixed->IsFixedTime(closedSlot));

    CoreRunOptions options = TestOptions(1);
    options.tries = 2;
    RecordingTarget target;
    const CoreRunStats stats = RunEngine(reopened, options, &target);
    EXPECT_EQ(stats.tries, options.tries) << reopened.GetLastReportInfo().GetReportInfo();
    EXPECT_TRUE(ScheduleIsValid(reopened));
    const std::vector<int> placed = SlotsOf(*reopened.FindCourse(planId));
    for (const tagTABLE_NODE& slot : chosenSlots)
        EXPECT_NE(std::find(placed.begin(), placed.end(), slot.day * 100 + slot.segment * 10 + slot.section),
                  placed.end());
    EXPECT_FALSE(reopened.GetClass(closedClassId)->GetTable(false).IsUsed(closedSlot));
}

TEST(RulePagesOnSchools, PagesFilledFromTheDemoTask)
{
    DemoSchool demo;
    ASSERT_TRUE(demo.task);
    CScheduleTask& task = *demo.task;
    // Two subject groups beside the demo's own, from its first subjects.
    const std::vector<CSubjectInfo*> subjects = ObjectsInOrder<CSubjectInfo>(task.GetSubjectInfoList());
    ASSERT_GE(subjects.size(), 4u);
    for (int group = 0; group < 2; ++group) {
        auto* entry = new CMutexSubject;
        entry->SetId("demo-group-" + std::to_string(group));
        entry->SetIndex(group);
        entry->Reset({subjects[2 * group]->GetId(), subjects[2 * group + 1]->GetId()});
        task.GetMutexSubjectList().Add(entry);
    }

    auto shoot = [](auto& page, const char* name) {
        using Page = std::remove_reference_t<decltype(page)>;
        RunPage<Page>(page, [&](Page& p) {
            EXPECT_GT(p.GetList()->GetItemCount(), 0) << name;
            SaveScreenshot(&p, name);
        });
    };
    CMutexTeacherPage mutexTeachers;
    shoot(mutexTeachers, "mutex_teacher_page");
    CMutexSubjectPage mutexSubjects;
    shoot(mutexSubjects, "mutex_subject_page");
    CCoursePresetPage presets;
    shoot(presets, "course_preset_page");
    CCombineClassListPage combined;
    shoot(combined, "combine_class_page");
}
