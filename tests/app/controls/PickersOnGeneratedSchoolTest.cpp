// The plan picker, the analyses of a slot and the time-slot picker on the generated 36-class
// school, with pictures for a person to look at.
#include "support/FakeAppServices.h"
#include "support/GeneratedSchool.h"
#include "support/ScreenTestSupport.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/shared/ObjectLists.h"
#include "app/controls/RoomSlotAnalysisDlg.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "platform/gui/ReportList.h"
#include "table/StructureTable.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

class GeneratedSchoolPickers : public testing::Test {
protected:
    void SetUp() override
    {
        task = MakeFilledSchool();
        ASSERT_NE(task, nullptr);
        services.task = task.get();
        std::vector<CZemObject*> classes;
        MapToOrderedList(task->GetClassInfoList(), classes);
        firstClass = static_cast<CClassInfo*>(classes.front());
    }

    std::unique_ptr<CScheduleTask> task;
    FakeAppServices services;
    CClassInfo* firstClass = nullptr;
};

TEST_F(GeneratedSchoolPickers, ThePlanPickerListsEveryPlanClassByClass)
{
    std::vector<CCourseInfo*> plans;
    task->GetFullCourseList(plans);
    CCoursePlanPickerDlg picker;
    picker.SetTitle("选择要调整的教学计划");
    picker.m_singleSelection = false;
    picker.m_preChecked = {plans[0]->GetId(), plans[1]->GetId()};
    RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
        zem::gui::ReportList& list = *p.GetList();
        EXPECT_EQ(list.GetItemCount(), static_cast<int>(plans.size()));
        int lastClass = -1;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            const int index = task->GetClass(list.GetItemPtr<CCourseInfo>(row)->GetClassId())->GetIndex();
            EXPECT_GE(index, lastClass) << row;
            lastClass = index;
        }
        EXPECT_EQ(p.Caption(), "选择要调整的教学计划 - 已选 2 项");
        SaveScreenshot(&p, "plan_picker_S36");
    });
}

TEST_F(GeneratedSchoolPickers, TheSlotAnalysesOfAFilledTimetable)
{
    const tagTABLE_NODE slot{0, 0, 0};
    const CCourseTableNode& cell = firstClass->GetTempTable().GetNode(slot);
    ASSERT_FALSE(cell.GetCourseId(1).empty());

    CPlanSlotAnalysisDlg plans;
    plans.SetTitle("选择教学计划");
    plans.m_classFilter = firstClass->GetId();
    RunModal<CCoursePlanPickerDlg>(plans, [&](CCoursePlanPickerDlg& p) {
        ASSERT_GT(p.GetList()->GetItemCount(), 3);
        int lastRank = 0;
        for (int row = 0; row < p.GetList()->GetItemCount(); ++row) {
            EXPECT_GE(plans.GetRowRecord(row)->rank, lastRank) << row;
            lastRank = plans.GetRowRecord(row)->rank;
        }
        SaveScreenshot(&p, "plan_slot_analysis_S36");
    });

    CRoomSlotAnalysisDlg rooms;
    rooms.SetTitle("选择教室");
    rooms.m_planId = cell.GetCourseId(1);
    rooms.m_currentRoomId = cell.GetRoomId(1);
    RunModal<CRoomSlotAnalysisDlg>(rooms, [&](CRoomSlotAnalysisDlg& d) {
        ASSERT_GT(d.GetList()->GetItemCount(), 1);
        int lastRank = 0, busy = 0;
        for (int row = 0; row < d.GetList()->GetItemCount(); ++row) {
            const CRoomSlotAnalysisDlg::RowRecord* record = d.GetRowRecord(row);
            EXPECT_GE(record->rank, lastRank) << row;
            lastRank = record->rank;
            busy += record->rank;
            if (record->room->GetId() == rooms.m_currentRoomId) {
                EXPECT_EQ(record->text, "可以排");
            }
        }
        EXPECT_GT(busy, 0);  // at the first period of a full school some room is taken
        SaveScreenshot(&d, "room_slot_analysis_S36");
    });
}

TEST_F(GeneratedSchoolPickers, TheTimeSlotPickerOverTheSchoolsWeek)
{
    const CSchoolStructure& week = task->GetSchoolStructure();
    CTimeSlotPickerDlg picker;
    picker.SetTitle("一班 固定无课时间");
    picker.m_activityMode = true;
    picker.m_marks.SetValue(0, 1, 0, CTimeTable::kInvalid);
    picker.m_activities.AddActivity(tagTABLE_NODE{0, 1, 0}, "班会");
    picker.m_marks.SetValue(2, 0, 3, CTimeTable::kInvalid);
    RunModal<CTimeSlotPickerDlg>(picker, [&](CTimeSlotPickerDlg& p) {
        EXPECT_EQ(p.GetGrid()->GetColumnCount(), week.GetWeekDayCount());
        EXPECT_EQ(p.CountMarks(), 2);
        SaveScreenshot(&p, "time_slot_picker_S36");
    });
}

}  // namespace
