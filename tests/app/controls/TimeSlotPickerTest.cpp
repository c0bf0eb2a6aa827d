#include "support/PickerSchool.h"
#include "support/PickerClicks.h"
#include "support/ScreenTestSupport.h"

#include "app/controls/NameInputDlg.h"
#include "app/shared/TextBuilders.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "base/WeekCount.h"
#include "platform/gui/PopupMenu.h"
#include "table/StructureTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

bool Marked(const CTimeSlotPickerDlg& picker, int day, int segment, int section)
{
    return picker.m_marks.IsInvalid(day, segment, section);
}

std::string CellText(const CTimeSlotPickerDlg& picker, const tagTABLE_NODE& cell)
{
    std::string text;
    picker.GetGrid()->GetCellInfo(cell, &text);
    return text;
}

// Answers pop-up menus with the item of the given text, recording what each menu offered.
class MenuChoice {
public:
    explicit MenuChoice(std::string text) : m_text(std::move(text))
    {
        m_previous = zem::gui::SetPopupMenuHook([this](const std::vector<zem::gui::MenuItem>& items) {
            offered.clear();
            for (const zem::gui::MenuItem& item : items)
                offered.push_back(item.IsSeparator() ? "-" : item.text);
            for (const zem::gui::MenuItem& item : items)
                if (item.text == m_text)
                    return item.id;
            return 0;
        });
    }
    ~MenuChoice() { zem::gui::SetPopupMenuHook(m_previous); }

    Strings offered;

private:
    std::string m_text;
    zem::gui::PopupMenuHook m_previous;
};

TEST(TimeSlotPicker, OkChecksTheAllowedSegmentsAndTheNumberOfMarks)
{
    PickerSchool school;
    struct Case {
        const char* name;
        std::function<void(CTimeSlotPickerDlg&)> set;
        std::vector<tagTABLE_NODE> clicks;
        Strings messages;
        bool accepted;
    };
    const Case cases[] = {
        {"morning reading only, a forenoon mark", [](CTimeSlotPickerDlg& p) { p.SetAllowedSlots({3}); },
         {{1, 3, 0}, {0, 0, 0}}, {"选择了不被允许的区域"}, false},
        {"morning reading only", [](CTimeSlotPickerDlg& p) { p.SetAllowedSlots({3}); }, {{1, 3, 0}}, {}, true},
        {"one at most",
         [](CTimeSlotPickerDlg& p) {
             p.m_maxCount = 1;
             p.m_overCountMessage = "只能选一节";
         },
         {{0, 0, 0}, {1, 1, 2}}, {"只能选一节"}, false},
        {"no maximum at 0", [](CTimeSlotPickerDlg& p) { p.m_maxCount = 0; }, {{0, 0, 0}, {1, 1, 2}}, {}, true},
        {"nothing marked", [](CTimeSlotPickerDlg&) {}, {}, {"您必须至少选中一项"}, false},
        {"a mark made and taken back", [](CTimeSlotPickerDlg&) {}, {{2, 0, 0}, {2, 0, 0}}, {"您必须至少选中一项"}, false},
        {"half a lesson a week has no maximum, two marks",
         [](CTimeSlotPickerDlg& p) { p.SetLessonLimit(CWeekCount("0.5"), false); },
         {{0, 0, 0}, {1, 0, 0}}, {}, true},
        {"half a lesson a week has no maximum, one mark",
         [](CTimeSlotPickerDlg& p) { p.SetLessonLimit(CWeekCount("0.5"), false); }, {{0, 0, 0}}, {}, true},
        {"three and a half lessons a week, four marks",
         [](CTimeSlotPickerDlg& p) { p.SetLessonLimit(CWeekCount("3.5"), false); },
         {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, {"该教学计划每周只有3节课，您的选择已超出。"}, false},
        {"a group of at least two lessons, three marks",
         [](CTimeSlotPickerDlg& p) { p.SetLessonLimit(CWeekCount("2.5"), true); },
         {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {"该组教学计划最少的每周只有2节课，您的选择已超出。"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeSlotPickerDlg picker;
        c.set(picker);
        ScriptedMessages messages;
        const int answer = RunModal<CTimeSlotPickerDlg>(picker, [&](CTimeSlotPickerDlg& p) {
            for (const tagTABLE_NODE& cell : c.clicks)
                ClickGrid(p, cell);
            QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
        });
        EXPECT_EQ(answer, c.accepted ? zem::IDOK : zem::IDCANCEL);
        EXPECT_EQ(messages.Texts(), c.messages);
        if (c.messages.size() == 1 && c.messages[0].find("超出") != std::string::npos) {
            EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
        }
    }
}

TEST(TimeSlotPicker, RightClicksFixActivitiesOnACellADayOrAPeriod)
{
    PickerSchool school;
    CTimeSlotPickerDlg picker;
    picker.m_activityMode = true;
    picker.SetTitle("全校固定活动");
    const int answer = RunModal<CTimeSlotPickerDlg>(picker, [&](CTimeSlotPickerDlg& p) {
        EXPECT_EQ(p.Caption(), "全校固定活动");
        EXPECT_EQ(p.GetDlgItemText(CTimeSlotPickerDlg::IDC_HINT), "左键固定无课，右键固定活动");
        {
            MenuChoice choice("级会");
            ClickGrid(p, {2, -1, -1}, Qt::RightButton);  // Wednesday's title
            EXPECT_EQ(choice.offered, (Strings{"劳动", "自习", "级会", "班会", "党团活动", "教研活动", "教科研组活动",
                                               "基础托管", "课后服务", "-", "其他..."}));
        }
        int marked = 0;
        for (int segment = 0; segment < 5; ++segment)
            for (int section = 0; section < 6; ++section)
                if (Marked(p, 2, segment, section)) {
                    ++marked;
                    EXPECT_EQ(p.m_activities.GetActivity({2, segment, section}), "级会");
                }
        EXPECT_EQ(marked, 4 + 3 + 1 + 1);  // every period of the day
        EXPECT_FALSE(Marked(p, 1, 0, 0));
        EXPECT_EQ(CellText(p, {2, 1, 2}), MakeCellKey("级会", ""));
        EXPECT_EQ(p.GetGrid()->GetCell({2, 1, 2})->GetState(), CCell::STATE_FORBIDDEN);

        // A left click takes the mark and its activity away.
        ClickGrid(p, {2, 1, 2});
        EXPECT_FALSE(Marked(p, 2, 1, 2));
        EXPECT_EQ(p.m_activities.GetActivity({2, 1, 2}), "");
        EXPECT_EQ(p.GetGrid()->GetCell({2, 1, 2})->GetEntryCount(), 0);

        // A name of the user's, on the first forenoon period of every day.
        ModalScope names([](zem::gui::Dialog& shown) {
            shown.Item<QLineEdit>(CNameInputDlg::IDC_NAME)->setText(QStringLiteral("升旗"));
            QTest::mouseClick(shown.GetDlgItem(zem::IDOK), Qt::LeftButton);
        });
        MenuChoice other("其他...");
        ClickGrid(p, {-1, 0, 0}, Qt::RightButton);
        for (int day = 0; day < 5; ++day)
            EXPECT_EQ(p.m_activities.GetActivity({day, 0, 0}), "升旗") << day;
        EXPECT_EQ(p.m_activityNames.front(), "升旗");
        SaveScreenshot(&p, "time_slot_picker_small");
        QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(picker.CountMarks(), 9 - 1 + 4);
}

TEST(TimeSlotPicker, MarksLandOnTheDayClickedWhenTheDaysInUseHaveGaps)
{
    PickerSchool school;
    CSchoolStructure& week = school.task.GetSchoolStructure();
    for (int day = 7; day <= 11; ++day)
        week.SetWeekDay(day, true);
    week.RefreshData();

    CTimeSlotPickerDlg picker;
    picker.m_activityMode = true;
    picker.m_marks.SetValue(8, 1, 0, CTimeTable::kInvalid);  // column 6
    picker.m_marks.SetValue(5, 0, 0, CTimeTable::kInvalid);  // a day not in use
    picker.m_marks.SetValue(0, 0, 5, CTimeTable::kInvalid);  // past the forenoon's four periods
    picker.m_activities.AddActivity(tagTABLE_NODE{8, 1, 0}, "班会");
    RunModal<CTimeSlotPickerDlg>(picker, [&](CTimeSlotPickerDlg& p) {
        EXPECT_EQ(p.GetGrid()->GetColumnCount(), 10);
        EXPECT_EQ(p.GetGrid()->GetCell({6, 1, 0})->GetState(), CCell::STATE_FORBIDDEN);
        EXPECT_EQ(CellText(p, {6, 1, 0}), MakeCellKey("班会", ""));
        EXPECT_FALSE(Marked(p, 5, 0, 0));
        EXPECT_FALSE(Marked(p, 0, 0, 5));

        ClickGrid(p, {5, 0, 1});
        EXPECT_TRUE(Marked(p, 7, 0, 1));
        EXPECT_FALSE(Marked(p, 5, 0, 1));
        MenuChoice choice("劳动");
        ClickGrid(p, {9, 1, 2}, Qt::RightButton);
        EXPECT_EQ(p.m_activities.GetActivity({11, 1, 2}), "劳动");
        EXPECT_TRUE(Marked(p, 11, 1, 2));
        EXPECT_EQ(p.m_activities.GetActivity({9, 1, 2}), "");
    });
}

TEST(TimeSlotPicker, LabelModeShowsTheLabelAndThePadlock)
{
    PickerSchool school;
    CTimeSlotPickerDlg picker;
    picker.m_labelMode = true;
    picker.m_labelText = MakeCellKey("语文", "张伟");
    picker.m_marks.SetValue(1, 0, 2, CTimeTable::kInvalid);
    const int answer = RunModal<CTimeSlotPickerDlg>(picker, [&](CTimeSlotPickerDlg& p) {
        EXPECT_EQ(CellText(p, {1, 0, 2}), p.m_labelText);
        EXPECT_EQ(p.GetGrid()->GetCell({1, 0, 2})->GetTag(), CELL_TAG_LOCKED);
        // Right clicks offer nothing outside activity mode.
        MenuChoice choice("劳动");
        ClickGrid(p, {0, 0, 0}, Qt::RightButton);
        EXPECT_TRUE(choice.offered.empty());

        ClickGrid(p, {3, 1, 0});
        EXPECT_TRUE(Marked(p, 3, 1, 0));
        EXPECT_EQ(CellText(p, {3, 1, 0}), p.m_labelText);
        EXPECT_EQ(p.GetGrid()->GetCell({3, 1, 0})->GetTag(), CELL_TAG_LOCKED);
        ClickGrid(p, {1, 0, 2});
        EXPECT_FALSE(Marked(p, 1, 0, 2));
        EXPECT_EQ(p.GetGrid()->GetCell({1, 0, 2})->GetEntryCount(), 0);
        SaveScreenshot(&p, "time_slot_picker_label");
        QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(picker.CountMarks(), 1);
}

}  // namespace
