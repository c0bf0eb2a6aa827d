#pragma once
// What the tests of the plan adjustment wizards share: a small scheduled school opened as the
// task, a run of a wizard from the chooser it opens by itself 300 ms after it is shown, and the
// pickers answered as a user does.
#include "support/BasicDataTestSupport.h"
#include "support/DataDialogTestSupport.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/AdjustmentHistory.h"
#include "app/timetable/AdjustWizardBase.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ReportList.h"
#include "platform/gui/Timers.h"
#include "base/ScheduleValidator.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wizard_test {

inline const tagTABLE_NODE kA{0, 0, 0};  // Monday morning 1: k1
inline const tagTABLE_NODE kB{1, 0, 1};  // Tuesday morning 2: k1
inline const tagTABLE_NODE kC{2, 0, 0};  // Wednesday morning 1: k2 (王五)
inline const tagTABLE_NODE kD{3, 0, 0};  // Thursday morning 1: k3 (no teacher)

// k1: 语文 of 初一(1)班 by 张三 at kA and kB; k2: 数学 of 初一(2)班 by 王五 at kC; k3: 语文 of
// 初一(2)班 without a teacher at kD. `Build` may add more before the task is saved and opened.
class AdjustWizardTest : public testing::Test {
protected:
    void SetUp() override
    {
        CScheduleTask::ResetAutoBackupStateForTesting();
        CCourseInfo* k1 = school.b.Course("k1", "c1", "s1", "t1", "2");
        CCourseInfo* k2 = school.b.Course("k2", "c2", "s2", "t3", "1");
        CCourseInfo* k3 = school.b.Course("k3", "c2", "s1", "t1", "1");
        Place(k1, "", kA);
        Place(k1, "", kB);
        Place(k2, "", kC);
        Place(k3, "", kD);
        Build();
        school.Reopen();
        // Reading drops a plan without a teacher, so k3 loses 张三 in memory only.
        Task().FindCourse("k3")->SetTeacher("");
        for (const bool temp : {false, true})
            Task().UnsetTableNode(&Task().GetTeacher("t1")->GetTable(temp), kD, 0);
        ExpectValid(Task());
    }

    virtual void Build() {}

    // The lesson in both the saved and the working timetables of the built task.
    void Place(CCourseInfo* plan, const std::string& room, const tagTABLE_NODE& node)
    {
        for (const bool temp : {false, true})
            school.b.Task().SetCourseNode(plan, room, temp, node, 0);
    }

    CScheduleTask& Task() { return school.Task(); }
    std::string ConfigFile() { return Task().GetConfigFile(); }

    static void ExpectValid(CScheduleTask& task)
    {
        const ScheduleValidation validation = ValidateSchedule(task);
        EXPECT_TRUE(validation.IsClean()) << validation.Text();
    }

    // The task as its files hold it now.
    std::unique_ptr<CScheduleTask> Saved()
    {
        auto saved = std::make_unique<CScheduleTask>();
        EXPECT_TRUE(saved->Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
        return saved;
    }

    // Runs the wizard: nothing opens before 300 ms, then its chooser; the plan chooser ticks
    // `plans`; `work` goes on from there.
    template <class Wizard>
    void Run(const std::vector<std::string>& plans, const std::function<void(Wizard&)>& work)
    {
        zem::gui::FakeClock clock;
        Wizard wizard;
        ModalScope scope([&](zem::gui::Dialog& shown) {
            if (&shown == &wizard) {
                EXPECT_EQ(wizard.Caption(), std::string("教学计划调整 - ") + Wizard::kTitle);
                EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_STEP1), Wizard::kStep1);
                EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_STEP2), Wizard::kStep2);
                clock.Advance(Wizard::kChooseDelayMs - 1);
                EXPECT_EQ(shownCount, 0);
                clock.Advance(1);
                EXPECT_EQ(shownCount, 1);
                work(wizard);
                if (!wizard.IsEnded())
                    wizard.SendCommand(zem::IDCANCEL);
                return;
            }
            ++shownCount;
            Answer(shown, plans);
        });
        wizard.DoModal();
    }

    // Works the pickers the wizard opens: plans are ticked, a teacher or room is searched by the
    // next of `names` (the last one stays).
    void Answer(zem::gui::Dialog& shown, const std::vector<std::string>& plans)
    {
        if (auto* picker = dynamic_cast<CCoursePlanPickerDlg*>(&shown)) {
            EXPECT_EQ(picker->Caption().rfind("选择要调整的教学计划", 0), 0u) << picker->Caption();
            preChecked.push_back(picker->m_preChecked);
            zem::gui::ReportList& list = *picker->GetList();
            for (int row = 0; row < list.GetItemCount(); ++row) {
                const CCourseInfo* plan = list.GetItemPtr<CCourseInfo>(row);
                if (std::find(plans.begin(), plans.end(), plan->GetId()) != plans.end())
                    list.model()->setData(list.model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
            }
            picker->SendCommand(zem::IDOK);
            return;
        }
        if (dynamic_cast<CObjectPickerDlg*>(&shown) && !names.empty()) {
            shown.Item<QLineEdit>(CObjectPickerDlg::IDC_SEARCH)->setText(QString::fromStdString(names.front()));
            if (names.size() > 1)
                names.pop_front();
            shown.SendCommand(zem::IDOK);
            return;
        }
        if (onOther)
            onOther(shown);
        else
            ADD_FAILURE() << "unexpected dialog " << shown.Caption();
    }

    CAdjustmentEntryList History()
    {
        CAdjustmentHistory history;
        history.Load(ConfigFile(), kAdjustmentHistorySection, kAdjustmentHistoryCount);
        return std::move(history.GetEntries());
    }

    SmallSchool school;
    std::deque<std::string> names{"李四"};
    std::vector<std::vector<std::string>> preChecked;
    std::function<void(zem::gui::Dialog&)> onOther;
    int shownCount = 0;
};

}  // namespace wizard_test
