#include "support/DataDialogTestSupport.h"
#include "support/FakeAppServices.h"
#include "support/WriteFault.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MainToolBar.h"
#include "app/controls/TipWnd.h"
#include "app/data/LessonsOutsideWeek.h"
#include "app/data/PeriodNameDlg.h"
#include "app/data/TeachingTimeDlg.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "base/ScheduleValidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using zem::gui::Dialog;

constexpr int kFriday = 4;
const tagTABLE_NODE kCorner{-1, -1, -1};

class TeachingTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        CScheduleTask::ResetAutoBackupStateForTesting();
        tip.Create();
        services.task = &Task();
        services.tipWnd = &tip;
        SaveSchoolInFolder(Task(), folder.path());
    }

    CScheduleTask& Task() { return school.Task(); }

    // Runs the dialog on the task and works it while it is open; returns what DoModal returned.
    int Run(const std::function<void(CTeachingTimeDlg&)>& work, CScheduleTask* task = nullptr)
    {
        dialogs.Then([&work](Dialog& dialog) { work(static_cast<CTeachingTimeDlg&>(dialog)); });
        CTeachingTimeDlg dlg(nullptr, task);
        return dlg.DoModal();
    }

    static QCheckBox* DayBox(CTeachingTimeDlg& dlg, int day)
    {
        return dlg.Item<QCheckBox>(CTeachingTimeDlg::IDC_DAY_FIRST + day);
    }
    static QComboBox* SectionBox(CTeachingTimeDlg& dlg, int segment)
    {
        return dlg.Item<QComboBox>(CTeachingTimeDlg::IDC_SECTIONS_FIRST + segment);
    }
    // Picks an entry as the user does, also the one already shown.
    static void Choose(CTeachingTimeDlg& dlg, int segment, int index)
    {
        QComboBox* box = SectionBox(dlg, segment);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    static void Save(CTeachingTimeDlg& dlg) { dlg.Item<QPushButton>(zem::IDOK)->click(); }
    static void Click(CTeachingTimeDlg& dlg, const tagTABLE_NODE& cell, Qt::MouseButton button = Qt::LeftButton)
    {
        PressAt(&dlg.GetGrid(), CellCentreOf(dlg.GetGrid(), cell), button);
    }
    static void RightClickCorner(CTeachingTimeDlg& dlg) { PressAt(&dlg.GetGrid(), {3, 3}, Qt::RightButton); }

    SchoolBuilder school;
    TempFolder folder;
    FakeAppServices services;
    CTipWnd tip;
    DialogScript dialogs;
    MenuScript menus;
};

TEST_F(TeachingTime, OpensOnTheTasksWeekWithEveryControlOfItsVocabulary)
{
    ScriptedMessages messages;
    Task().GetSchoolStructure().SetValue(2, 0, 1, CTimeTable::kInvalid);
    Task().GetActivities().AddActivity(tagTABLE_NODE{2, 0, 1}, "级会");
    // A stored morning-reading count the box cannot show.
    Task().GetSchoolStructure().SetSectionNodeMaxCount(3, 3, true);
    Run([&](CTeachingTimeDlg& dlg) {
        EXPECT_EQ(dlg.Caption(), "设置教学时间");
        for (int day = 0; day < zem::kDayCount; ++day) {
            EXPECT_TRUE(DayBox(dlg, day)->isVisible()) << day;
            EXPECT_EQ(DayBox(dlg, day)->isChecked(), day < 5) << day;
        }
        EXPECT_EQ(DayBox(dlg, 0)->text().toStdString(), "星期一");
        EXPECT_EQ(DayBox(dlg, 13)->text().toStdString(), "星期日");
        const std::vector<std::vector<std::string>> entries = {
            {"不上课", "1节", "2节", "3节", "4节", "5节", "6节"},
            {"不上课", "1节", "2节", "3节", "4节", "5节", "6节"},
            {"不上课", "1节", "2节", "3节", "4节", "5节", "6节"},
            {"不显示", "1节", "2节"},
            {"不显示", "1节", "2节", "3节", "4节", "5节", "6节"}};
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            QComboBox* box = SectionBox(dlg, segment);
            std::vector<std::string> shown;
            for (int i = 0; i < box->count(); ++i)
                shown.push_back(box->itemText(i).toStdString());
            EXPECT_EQ(shown, entries[static_cast<std::size_t>(segment)]) << segment;
        }
        const int expectedIndex[] = {4, 3, 0, 0, 0};
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            EXPECT_EQ(SectionBox(dlg, segment)->currentIndex(), expectedIndex[segment]) << segment;
        EXPECT_EQ(dlg.GetDlgItemText(CTeachingTimeDlg::IDC_PERIOD_NAMES), "节次名称(时间段)设置");
        EXPECT_EQ(dlg.GetDlgItemText(zem::IDOK), "保存(&S)");
        EXPECT_EQ(dlg.GetDlgItemText(CTeachingTimeDlg::IDC_HELP_GRADES), "不同年级的上课时间不一样应该如何设置");
        EXPECT_EQ(dlg.GetDlgItemText(CTeachingTimeDlg::IDC_HELP_BANNERS), "大课间眼保健操等通栏可以在导出课表时设置");

        // The closed Wednesday period shows its activity; the count is the 34 open lesson slots.
        EXPECT_TRUE(IsCellForbidden(dlg.GetGrid(), {2, 0, 1}));
        EXPECT_EQ(CellMain(dlg.GetGrid(), {2, 0, 1}), "级会");
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 34 早读 15");
        EXPECT_FALSE(dlg.IsModified());

        // The stored count of three stays until an entry is picked; picking "不显示" then takes it.
        EXPECT_EQ(dlg.GetWorkingStructure().GetSectionNodeMaxCount(3), 3);
        Choose(dlg, 3, 0);
        EXPECT_EQ(dlg.GetWorkingStructure().GetSectionNodeMaxCount(3), 0);
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 34");
        dlg.EndDialog(zem::IDCANCEL);
    });
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(TeachingTime, PictureOfAFiveDayWeekOfFourAndThreePeriodsWithNothingCutOrOverlapping)
{
    Task().GetSchoolStructure().SetValue(2, 0, 1, CTimeTable::kInvalid);
    Task().GetSchoolStructure().SetValue(kFriday, 1, 2, CTimeTable::kInvalid);
    Task().GetActivities().AddActivity(tagTABLE_NODE{kFriday, 1, 2}, "班会");
    Run([&](CTeachingTimeDlg& dlg) {
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 33");
        std::vector<QWidget*> controls;
        for (QWidget* child : dlg.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child->isVisible())
                controls.push_back(child);
        ASSERT_GE(controls.size(), 14u + 5 + 5 + 5);
        for (QWidget* control : controls) {
            EXPECT_TRUE(dlg.rect().contains(control->geometry())) << control->metaObject()->className();
            // Texts are never cut: every control gets the width its text asks for.
            if (control != &dlg.GetGrid()) {
                EXPECT_GE(control->width(), control->sizeHint().width()) << control->metaObject()->className();
            }
            for (QWidget* other : controls) {
                if (other != control) {
                    EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                        << control->metaObject()->className() << " " << other->metaObject()->className();
                }
            }
        }
        SaveScreenshot(&dlg, "teaching-time");
        dlg.EndDialog(zem::IDCANCEL);
    });
}

TEST_F(TeachingTime, HelpLinksOpenTheirPagesAndNoTaskOpensNothing)
{
    std::vector<std::string> opened;
    const zem::gui::OpenHook previous = zem::gui::SetOpenHook([&opened](const std::string& target) {
        opened.push_back(target);
        return zem::gui::kOpenDone;
    });
    Run([&](CTeachingTimeDlg& dlg) {
        PressAt(dlg.GetDlgItem(CTeachingTimeDlg::IDC_HELP_GRADES), {4, 4}, Qt::LeftButton, true);
        PressAt(dlg.GetDlgItem(CTeachingTimeDlg::IDC_HELP_BANNERS), {4, 4}, Qt::LeftButton, true);
        EXPECT_FALSE(dlg.IsModified());
        dlg.EndDialog(zem::IDCANCEL);
    });
    zem::gui::SetOpenHook(previous);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].rfind(std::string(kHomePageAddress) + "teaching-time-of-grades.php?", 0), 0u) << opened[0];
    EXPECT_EQ(opened[1].rfind(std::string(kHomePageAddress) + "export-banner-rows.php?", 0), 0u) << opened[1];

    services.task = nullptr;
    CTeachingTimeDlg dlg;
    EXPECT_EQ(dlg.DoModal(), zem::IDCANCEL);
    EXPECT_EQ(dialogs.captions.size(), 1u);  // only the first run was shown
}

TEST_F(TeachingTime, DaySwitchedOffAndOnAgainHasEveryPeriodOpen)
{
    ScriptedMessages messages;
    Run([&](CTeachingTimeDlg& dlg) {
        Click(dlg, {2, 0, 1});  // Wednesday's second period closed
        menus.choices = {"班会"};
        Click(dlg, {2, 1, 2}, Qt::RightButton);
        ASSERT_TRUE(dlg.GetWorkingStructure().IsInvalid(2, 0, 1));
        ASSERT_EQ(dlg.GetWorkingActivities().GetActivity({2, 1, 2}), "班会");

        DayBox(dlg, 2)->click();
        EXPECT_FALSE(dlg.GetWorkingStructure().IsDayInUse(2));
        EXPECT_EQ(dlg.GetGrid().GetColumnCount(), 4);
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 28");

        DayBox(dlg, 2)->click();
        EXPECT_EQ(dlg.GetGrid().GetColumnCount(), 5);
        for (int segment : {0, 1})
            for (int section = 0; section < (segment == 0 ? 4 : 3); ++section) {
                EXPECT_TRUE(dlg.GetWorkingStructure().IsValid(2, segment, section)) << segment << section;
                EXPECT_FALSE(IsCellForbidden(dlg.GetGrid(), {2, segment, section})) << segment << section;
                EXPECT_EQ(CellMain(dlg.GetGrid(), {2, segment, section}), "") << segment << section;
            }
        // The activity stays stored, though the open slot does not show it.
        EXPECT_EQ(dlg.GetWorkingActivities().GetActivity({2, 1, 2}), "班会");
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 35");
        // A day of the second week makes the count one of two weeks.
        DayBox(dlg, 7)->click();
        EXPECT_EQ(dlg.GetSummaryText(), "两周课时数 42");
        DayBox(dlg, 7)->click();
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 35");
        EXPECT_TRUE(dlg.IsModified());
        EXPECT_EQ(dlg.Item<CHoverButton>(zem::IDOK)->GetBkColor(), zem::RGB(255, 255, 200));
        // Nothing reaches the task before a save.
        EXPECT_TRUE(Task().GetSchoolStructure().IsValid(2, 0, 1));
        dlg.EndDialog(zem::IDCANCEL);
    });
}

TEST_F(TeachingTime, ForenoonFourFiveFourOpensTheFifthPeriodAndLeavesItAsItWas)
{
    Run([&](CTeachingTimeDlg& dlg) {
        Choose(dlg, 0, 5);
        const CSchoolStructure& week = dlg.GetWorkingStructure();
        EXPECT_EQ(week.GetSectionNodeMaxCount(0), 5);
        for (int day = 0; day < 5; ++day)
            EXPECT_TRUE(week.IsValid(day, 0, 4)) << day;
        EXPECT_TRUE(week.IsInvalid(5, 0, 4));  // Saturday is not a school day
        EXPECT_NE(dlg.GetGrid().GetCell({4, 0, 4}), nullptr);
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 40");

        Click(dlg, {1, 0, 4});  // Tuesday's fifth period closed, then the count lowered
        Choose(dlg, 0, 4);
        EXPECT_EQ(week.GetSectionNodeMaxCount(0), 4);
        EXPECT_TRUE(week.IsValid(0, 0, 4));
        EXPECT_TRUE(week.IsInvalid(1, 0, 4));
        EXPECT_EQ(dlg.GetGrid().GetCell({4, 0, 4}), nullptr);
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 35");
        dlg.EndDialog(zem::IDCANCEL);
    });
}

TEST_F(TeachingTime, ActivityOnTheCornerClosesEveryPeriodAndALeftClickOpensOne)
{
    Run([&](CTeachingTimeDlg& dlg) {
        menus.choices = {"班会"};
        RightClickCorner(dlg);
        ASSERT_EQ(menus.shown.size(), 1u);
        std::vector<std::string> texts;
        for (const zem::gui::MenuItem& item : menus.shown[0])
            texts.push_back(item.text);
        EXPECT_EQ(texts, (std::vector<std::string>{"劳动", "自习", "级会", "班会", "党团活动", "教研活动", "教科研组活动",
                                                   "基础托管", "课后服务", "", "其他..."}));
        EXPECT_EQ(menus.shown[0][3].id, CTeachingTimeDlg::ID_ACTIVITY_FIRST + 3);

        const CSchoolStructure& week = dlg.GetWorkingStructure();
        int closed = 0;
        for (int day = 0; day < 5; ++day)
            for (int segment : {0, 1})
                for (int section = 0; section < (segment == 0 ? 4 : 3); ++section) {
                    closed += week.IsInvalid(day, segment, section);
                    EXPECT_EQ(dlg.GetWorkingActivities().GetActivity({day, segment, section}), "班会");
                    EXPECT_TRUE(IsCellForbidden(dlg.GetGrid(), {day, segment, section}));
                    EXPECT_EQ(CellMain(dlg.GetGrid(), {day, segment, section}), "班会");
                }
        EXPECT_EQ(closed, 35);
        EXPECT_EQ(dlg.GetWorkingActivities().GetMap().size(), 35u);
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 0");

        Click(dlg, {3, 1, 0});
        EXPECT_TRUE(week.IsValid(3, 1, 0));
        EXPECT_EQ(dlg.GetWorkingActivities().GetActivity({3, 1, 0}), "");
        EXPECT_EQ(CellMain(dlg.GetGrid(), {3, 1, 0}), "");
        EXPECT_EQ(dlg.GetSummaryText(), "每周课时数 1");
        dlg.EndDialog(zem::IDCANCEL);
    });
}

TEST_F(TeachingTime, ActivityTargetsOfTheRightClick)
{
    struct Case {
        const char* what;
        tagTABLE_NODE target;  // where the grid reports the click
        int closed;
    };
    const Case cases[] = {
        {"a cell", {1, 1, 2}, 1},
        {"a period name: that period on every day", {-1, 0, 3}, 5},
        {"a day title: every period of that day", {4, -1, -1}, 7},
        {"a day that is not there", {7, -1, -1}, 0},
    };
    for (const Case& c : cases) {
        Run([&](CTeachingTimeDlg& dlg) {
            menus.choices = {"自习"};
            zem::SendMessage(&dlg, WM_TABLE_HEADER_RCLICK, zem::ToWParam(&c.target), 0);
            EXPECT_EQ(static_cast<int>(dlg.GetWorkingActivities().GetMap().size()), c.closed) << c.what;
            EXPECT_EQ(dlg.GetWorkingStructure().GetWeekNodeCount(), 35 - c.closed) << c.what;
            EXPECT_EQ(dlg.IsModified(), c.closed > 0) << c.what;
            dlg.EndDialog(zem::IDCANCEL);
        });
    }
}

TEST_F(TeachingTime, OtherActivityNameIsAskedForAndListedFirst)
{
    ScriptedMessages messages;
    Run([&](CTeachingTimeDlg& dlg) {
        menus.choices = {"其他..."};
        dialogs.Then([](Dialog& input) {
            EXPECT_EQ(input.Caption(), "输入");
            input.Item<QLineEdit>(1003)->setText(QStringLiteral("   "));
            input.SendCommand(zem::IDOK);  // blanks only: refused, the dialog stays
            EXPECT_FALSE(input.IsEnded());
            input.Item<QLineEdit>(1003)->setText(QStringLiteral("升旗仪式  "));
            input.SendCommand(zem::IDOK);
        });
        Click(dlg, {0, 0, 0}, Qt::RightButton);
        EXPECT_EQ(dlg.GetActivityNames().front(), "升旗仪式");
        EXPECT_EQ(dlg.GetActivityNames().size(), 10u);
        EXPECT_EQ(dlg.GetWorkingActivities().GetActivity({0, 0, 0}), "升旗仪式");

        // A menu dismissed, or a command past the names, changes nothing.
        Click(dlg, {0, 0, 1}, Qt::RightButton);
        EXPECT_TRUE(dlg.GetWorkingStructure().IsValid(0, 0, 1));
        dlg.EndDialog(zem::IDCANCEL);
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"名称不能为空"});
}

TEST_F(TeachingTime, SaveWritesTheWeekAndActivitiesAndReopeningShowsThem)
{
    ScriptedMessages messages;
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, kFriday)->click();
        DayBox(dlg, 12)->click();  // Saturday of week 2
        menus.choices = {"级会"};
        Click(dlg, {1, 1, 2}, Qt::RightButton);
        Click(dlg, {0, 0, 0});
        Choose(dlg, 3, 1);
        Save(dlg);
        EXPECT_FALSE(dlg.IsModified());
        EXPECT_EQ(dlg.Item<CHoverButton>(zem::IDOK)->GetBkColor(), zem::RGB(255, 255, 255));
        EXPECT_EQ(tip.GetText(), "保存完成");
        EXPECT_FALSE(dlg.IsEnded());  // saving keeps the dialog open
        dlg.close();                  // nothing left to ask
    });
    EXPECT_TRUE(messages.messages.empty());

    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    const CSchoolStructure& week = reopened.GetSchoolStructure();
    EXPECT_FALSE(week.IsDayInUse(kFriday));
    EXPECT_TRUE(week.IsDayInUse(12));
    EXPECT_EQ(week.GetSectionNodeMaxCount(3), 1);
    EXPECT_TRUE(week.IsInvalid(0, 0, 0));
    EXPECT_EQ(reopened.GetActivities().GetActivity({1, 1, 2}), "级会");
    EXPECT_EQ(reopened.GetActivities().GetActivity({0, 0, 0}), "");

    services.task = &reopened;
    Run([&](CTeachingTimeDlg& dlg) {
        EXPECT_FALSE(DayBox(dlg, kFriday)->isChecked());
        EXPECT_TRUE(DayBox(dlg, 12)->isChecked());
        EXPECT_EQ(SectionBox(dlg, 3)->currentIndex(), 1);
        // Monday, Tuesday, Wednesday, Thursday, then week 2's Saturday.
        EXPECT_EQ(dlg.GetGrid().GetColumnCount(), 5);
        EXPECT_TRUE(IsCellForbidden(dlg.GetGrid(), {0, 0, 0}));
        EXPECT_EQ(CellMain(dlg.GetGrid(), {1, 1, 2}), "级会");
        // Days of both weeks: the count is of two weeks.
        EXPECT_EQ(dlg.GetSummaryText(), "两周课时数 33 早读 5");
        dlg.EndDialog(zem::IDCANCEL);
    });
}

TEST_F(TeachingTime, EnterAndEscapeDoNothingAndTheCloseBoxAsks)
{
    const std::string before = ReadRaw(Task().GetTaskInfo().GetInputFilePath());
    ScriptedMessages messages({zem::IDNO});
    const int result = Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, 0)->click();
        for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            for (QWidget* target : {static_cast<QWidget*>(&dlg), static_cast<QWidget*>(DayBox(dlg, 1))}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QApplication::sendEvent(target, &press);
                EXPECT_FALSE(dlg.IsEnded()) << key;
            }
        }
        EXPECT_TRUE(dlg.IsModified());
        EXPECT_TRUE(messages.messages.empty());
        dlg.close();
        EXPECT_TRUE(dlg.IsEnded());
    });
    EXPECT_EQ(result, zem::IDCANCEL);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "教学时间已修改,要保存吗?");
    EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::YesNo);
    // No: the change is dropped.
    EXPECT_TRUE(Task().GetSchoolStructure().IsDayInUse(0));
    EXPECT_EQ(ReadRaw(Task().GetTaskInfo().GetInputFilePath()), before);
}

TEST_F(TeachingTime, CloseBoxYesSavesAndCloses)
{
    ScriptedMessages messages({zem::IDYES});
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, 0)->click();
        dlg.close();
        EXPECT_TRUE(dlg.IsEnded());
    });
    EXPECT_FALSE(Task().GetSchoolStructure().IsDayInUse(0));
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_FALSE(reopened.GetSchoolStructure().IsDayInUse(0));
    EXPECT_EQ(tip.GetText(), "");  // the close path shows no tip
}

TEST_F(TeachingTime, FailedSaveKeepsTheDialogOpenAndTheTaskAsItWas)
{
    ScriptedMessages messages({zem::IDOK, zem::IDYES});
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, 0)->click();
        std::filesystem::remove_all(folder.path());
        Save(dlg);
        EXPECT_TRUE(dlg.IsModified());
        EXPECT_EQ(tip.GetText(), "");
        dlg.close();  // Yes: the save fails again and the dialog stays
        EXPECT_FALSE(dlg.IsEnded());
        dlg.EndDialog(zem::IDCANCEL);
    });
    ASSERT_EQ(messages.messages.size(), 3u);
    EXPECT_NE(messages.messages[0].text.find("排课任务文件夹不存在"), std::string::npos);
    EXPECT_EQ(messages.messages[1].text, "教学时间已修改,要保存吗?");
    EXPECT_TRUE(Task().GetSchoolStructure().IsDayInUse(0));
}

TEST_F(TeachingTime, NoUsableTimeWarnsAndSavesAllTheSame)
{
    ScriptedMessages messages;
    Run([&](CTeachingTimeDlg& dlg) {
        for (int day = 0; day < 5; ++day)
            DayBox(dlg, day)->click();
        Save(dlg);
        EXPECT_FALSE(dlg.IsModified());
        dlg.EndDialog(zem::IDCANCEL);
    });
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "按照当前设置，可用的教学时间为 0");
    EXPECT_EQ(messages.messages[0].caption, "警告");
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
    EXPECT_EQ(Task().GetSchoolStructure().GetWeekDayCount(), 0);
}

TEST_F(TeachingTime, PeriodNamesAreTakenIntoTheWeekWhenConfirmed)
{
    Run([&](CTeachingTimeDlg& dlg) {
        // Cancelled: nothing changes.
        dialogs.Then([](Dialog& names) { names.SendCommand(zem::IDCANCEL); });
        dlg.SendCommand(CTeachingTimeDlg::IDC_PERIOD_NAMES);
        EXPECT_FALSE(dlg.IsModified());

        dialogs.Then([this](Dialog& names) {
            EXPECT_EQ(names.Caption(), "设置节次名称");
            dialogs.Then([](Dialog& custom) {
                custom.Item<QPlainTextEdit>(CCustomPeriodNameDlg::IDC_CUSTOM_NAME)->setPlainText(
                    QStringLiteral("8：00"));
                custom.SendCommand(zem::IDOK);
            });
            static_cast<CPeriodNameDlg&>(names).EditRow(0);
            names.SendCommand(zem::IDOK);
        });
        dlg.SendCommand(CTeachingTimeDlg::IDC_PERIOD_NAMES);
        EXPECT_TRUE(dlg.IsModified());
        EXPECT_EQ(dlg.GetWorkingStructure().GetPeriodName(0, 0, false), "8:00");
        EXPECT_EQ(dlg.GetWorkingStructure().GetPeriodName(0, 1, false), "2");
        dlg.EndDialog(zem::IDCANCEL);
    });
    EXPECT_EQ(dialogs.captions, (std::vector<std::string>{"设置教学时间", "设置节次名称", "设置节次名称", "自定义节次名称"}));
}

// A school with lessons on Friday: a plan in a room every day, a combined class of two plans and
// an odd-week half lesson.
class LessonsOnFriday : public TeachingTime {
protected:
    void SetUp() override
    {
        school.Subject("s1", "语文");
        school.Subject("s2", "数学");
        school.Teacher("t1", "王老师");
        school.Teacher("t2", "李老师");
        school.Class("c1", "一(1)班");
        school.Class("c2", "一(2)班");
        school.Room("r1", "实验室");
        CCourseInfo* daily = school.Course("p1", "c1", "s1", "t1", "5", "r1");
        CCourseInfo* combined1 = school.Course("p2", "c1", "s2", "t2", "1");
        CCourseInfo* combined2 = school.Course("p3", "c2", "s2", "t2", "1");
        school.Combined("cc", {"p2", "p3"});
        CCourseInfo* half = school.Course("p4", "c2", "s1", "t1", "1.5");
        for (int day = 0; day < 5; ++day)
            Task().SetCourseNode(daily, "r1", false, {day, 0, 0}, 0);
        Task().SetCourseNode(combined1, "", false, {kFriday, 1, 0}, 0);
        Task().SetCourseNode(combined2, "", false, {kFriday, 1, 0}, 0);
        Task().SetCourseNode(half, "", false, {0, 0, 1}, 0);
        Task().SetCourseNode(half, "", false, {kFriday, 0, 2}, 1);
        TeachingTime::SetUp();
        ASSERT_TRUE(ValidateSchedule(Task()).IsClean()) << ValidateSchedule(Task()).Text();
    }

    // The committed timetable, or with `working` the tables the windows show.
    int LessonsOf(const std::string& planId, bool working = false)
    {
        const CCourseTable& table = Task().FindCourse(planId)->GetTable(working);
        int count = 0;
        for (int slot = 0; slot < zem::kSlotCount; ++slot)
            count += CTimeTable::IsUsedStatus(table.GetValues()[slot]);
        return count;
    }

    static std::string Question(int count)
    {
        return zem::Format("有 %d 节已排课程位于不再使用的时间", count);
    }
};

TEST_F(LessonsOnFriday, LessonsLeftOutsideTheWeekAreCountedAndCancelKeepsTheDialogOpen)
{
    struct Case {
        const char* what;
        std::function<void(CTeachingTimeDlg&)> change;
        int stranded;
    };
    const Case cases[] = {
        {"Friday switched off", [](CTeachingTimeDlg& dlg) { DayBox(dlg, kFriday)->click(); }, 4},
        {"two forenoon periods", [](CTeachingTimeDlg& dlg) { Choose(dlg, 0, 2); }, 1},
        {"no afternoon", [](CTeachingTimeDlg& dlg) { Choose(dlg, 1, 0); }, 2},
        {"Friday's first afternoon period closed", [](CTeachingTimeDlg& dlg) { Click(dlg, {kFriday, 1, 0}); }, 2},
        {"a closed period opened", [](CTeachingTimeDlg& dlg) { Click(dlg, {0, 1, 2}); }, 0},
    };
    const std::string input = ReadRaw(Task().GetTaskInfo().GetInputFilePath());
    for (const Case& c : cases) {
        ScriptedMessages messages({zem::IDCANCEL});
        Run([&](CTeachingTimeDlg& dlg) {
            c.change(dlg);
            EXPECT_EQ(CountLessonsLeftOutside(Task(), Task().GetSchoolStructure(), dlg.GetWorkingStructure()), c.stranded)
                << c.what;
            if (c.stranded == 0) {
                dlg.EndDialog(zem::IDCANCEL);
                return;
            }
            Save(dlg);
            ASSERT_EQ(messages.messages.size(), 1u) << c.what;
            EXPECT_EQ(messages.messages[0].text.rfind(Question(c.stranded), 0), 0u) << messages.messages[0].text;
            EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::YesNoCancel);
            EXPECT_FALSE(dlg.IsEnded()) << c.what;
            EXPECT_TRUE(dlg.IsModified()) << c.what;
            dlg.EndDialog(zem::IDCANCEL);
        });
        EXPECT_EQ(ReadRaw(Task().GetTaskInfo().GetInputFilePath()), input) << c.what;
        EXPECT_TRUE(Task().GetSchoolStructure().IsDayInUse(kFriday));
        EXPECT_EQ(Task().GetSchoolStructure().GetSectionNodeMaxCount(0), 4);
    }
}

TEST_F(LessonsOnFriday, YesBacksUpAndRemovesThemEverywhere)
{
    ScriptedMessages messages({zem::IDYES});
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, kFriday)->click();
        Save(dlg);
        EXPECT_FALSE(dlg.IsModified());
        dlg.EndDialog(zem::IDCANCEL);
    });
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text.rfind(Question(4), 0), 0u);
    EXPECT_TRUE(ValidateSchedule(Task()).IsClean()) << ValidateSchedule(Task()).Text();
    EXPECT_TRUE(ValidateSchedule(Task(), true).IsClean()) << ValidateSchedule(Task(), true).Text();
    EXPECT_EQ(LessonsOf("p1"), 4);
    EXPECT_EQ(LessonsOf("p2") + LessonsOf("p3"), 0);
    EXPECT_EQ(LessonsOf("p4"), 1);

    std::vector<const CBackupEntry*> backups;
    Task().GetBackupManager().GetAllBackups(backups);
    ASSERT_FALSE(backups.empty());
    EXPECT_EQ(backups.front()->m_strDescription, "修改教学时间前");

    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_TRUE(ValidateSchedule(reopened).IsClean()) << ValidateSchedule(reopened).Text();
    EXPECT_TRUE(CompareTimetables(Task(), reopened).IsClean());
}

TEST_F(LessonsOnFriday, NoKeepsThemInTheTimetables)
{
    ScriptedMessages messages({zem::IDNO});
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, kFriday)->click();
        Save(dlg);
        EXPECT_FALSE(dlg.IsModified());
        dlg.EndDialog(zem::IDCANCEL);
    });
    EXPECT_FALSE(Task().GetSchoolStructure().IsDayInUse(kFriday));
    const ScheduleValidation kept = ValidateSchedule(Task());
    EXPECT_EQ(kept.Count(kCheckUnavailable), 4u) << kept.Text();
    EXPECT_EQ(LessonsOf("p1"), 5);
    // The save names every lesson it kept where the week has no lesson time.
    ASSERT_EQ(messages.messages.size(), 2u) << testing::PrintToString(messages.Texts());
    const std::string said = messages.Texts()[1];
    EXPECT_EQ(said.rfind("调整后以下课程违反了排课规则：\n", 0), 0u) << said;
    for (const ScheduleViolation& violation : kept.Violations())
        EXPECT_NE(said.find(violation.said), std::string::npos) << violation.said << "\n" << said;
    std::vector<const CBackupEntry*> backups;
    Task().GetBackupManager().GetAllBackups(backups);
    for (const CBackupEntry* entry : backups)
        EXPECT_NE(entry->m_strDescription, "修改教学时间前");

    // Lessons the user chose to keep are not asked about at the next change.
    Run([&](CTeachingTimeDlg& dlg) {
        Choose(dlg, 4, 1);
        Save(dlg);
        EXPECT_FALSE(dlg.IsModified());
        dlg.EndDialog(zem::IDCANCEL);
    });
    EXPECT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(Task().GetSchoolStructure().GetSectionNodeMaxCount(4), 1);
}

// Taking a pre-arranged lesson out with its day would leave the preset unheld: the change is
// refused, named, and the week, the lessons and the files are as before.
TEST_F(LessonsOnFriday, RemovingAPresetLessonIsRefusedAndNamed)
{
    auto* preset = new CCoursePreset;
    preset->SetId("p1");
    preset->ReadFixedTimeFromString("400,");  // Friday's first period
    Task().GetCoursePresetList().Add(preset);
    ASSERT_TRUE(Task().SaveInputData());
    ASSERT_TRUE(ValidateSchedule(Task()).IsClean()) << ValidateSchedule(Task()).Text();
    const std::string input = ReadRaw(Task().GetTaskInfo().GetInputFilePath());
    const std::string output = ReadRaw(Task().GetTaskInfo().GetOutputFilePath());
    ScriptedMessages messages({zem::IDYES});
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, kFriday)->click();
        Save(dlg);
        EXPECT_TRUE(dlg.IsModified());
        EXPECT_EQ(tip.GetText(), "");
        dlg.EndDialog(zem::IDCANCEL);
    });
    ASSERT_EQ(messages.messages.size(), 2u) << testing::PrintToString(messages.Texts());
    const std::string said = messages.Texts()[1];
    EXPECT_EQ(said.rfind("这样调整会违反排课规则，已撤销调整：\n", 0), 0u) << said;
    EXPECT_NE(said.find("预排在"), std::string::npos) << said;
    EXPECT_TRUE(Task().GetSchoolStructure().IsDayInUse(kFriday));
    EXPECT_EQ(LessonsOf("p1"), 5);
    EXPECT_TRUE(ValidateSchedule(Task()).IsClean()) << ValidateSchedule(Task()).Text();
    EXPECT_TRUE(ValidateSchedule(Task(), true).IsClean()) << ValidateSchedule(Task(), true).Text();
    EXPECT_EQ(ReadRaw(Task().GetTaskInfo().GetInputFilePath()), input);
    EXPECT_EQ(ReadRaw(Task().GetTaskInfo().GetOutputFilePath()), output);
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_TRUE(reopened.GetSchoolStructure().IsDayInUse(kFriday));
    EXPECT_TRUE(CompareTimetables(Task(), reopened).IsClean()) << CompareTimetables(Task(), reopened).Text();
}

// The week and the lessons taken out of it are saved as one pair: a failed output.xml leaves both
// files and the task as they were, and the next save writes both.
TEST_F(LessonsOnFriday, AFailedTimetableWriteKeepsTheWeekAndItsLessonsUntilTheNextSave)
{
    const std::string inputPath = Task().GetTaskInfo().GetInputFilePath();
    const std::string outputPath = Task().GetTaskInfo().GetOutputFilePath();
    const std::string input = ReadRaw(inputPath);
    const std::string output = ReadRaw(outputPath);
    ScriptedMessages messages({zem::IDYES, zem::IDOK, zem::IDYES});
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, kFriday)->click();
        {
            // Nothing can be written where output.xml should go; the backup can.
            WriteFault readOnly(outputPath);
            Save(dlg);
        }
        EXPECT_TRUE(dlg.IsModified());
        EXPECT_EQ(tip.GetText(), "");
        EXPECT_EQ(ReadRaw(inputPath), input);
        EXPECT_EQ(ReadRaw(outputPath), output);
        EXPECT_TRUE(Task().GetSchoolStructure().IsDayInUse(kFriday));
        for (const bool working : {false, true}) {
            EXPECT_EQ(LessonsOf("p1", working), 5) << working;
            EXPECT_EQ(LessonsOf("p2", working) + LessonsOf("p3", working), 2) << working;
            EXPECT_EQ(LessonsOf("p4", working), 2) << working;
        }
        EXPECT_TRUE(ValidateSchedule(Task(), true).IsClean()) << ValidateSchedule(Task(), true).Text();
        Save(dlg);
        EXPECT_FALSE(dlg.IsModified());
        dlg.EndDialog(zem::IDCANCEL);
    });
    // The question, the failed save, the question again.
    ASSERT_EQ(messages.messages.size(), 3u) << testing::PrintToString(messages.Texts());
    EXPECT_NE(messages.Texts()[1].find("output.xml"), std::string::npos) << messages.Texts()[1];
    EXPECT_NE(messages.Texts()[1].find("input.xml 和 output.xml 都没有改变。"), std::string::npos);
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_FALSE(reopened.GetSchoolStructure().IsDayInUse(kFriday));
    EXPECT_TRUE(ValidateSchedule(reopened).IsClean()) << ValidateSchedule(reopened).Text();
    EXPECT_EQ(LessonsOf("p1"), 4);
}

// Lessons are removed only after a backup: without one the save is refused and says why.
TEST_F(LessonsOnFriday, AFailedBackupRefusesTheSaveAndChangesNothing)
{
    const std::string input = ReadRaw(Task().GetTaskInfo().GetInputFilePath());
    const std::string output = ReadRaw(Task().GetTaskInfo().GetOutputFilePath());
    ScriptedMessages messages({zem::IDYES});
    Run([&](CTeachingTimeDlg& dlg) {
        DayBox(dlg, kFriday)->click();
        {
            WriteFault noBackups([](const std::string& path) { return path.find("/Backup") != std::string::npos; });
            Save(dlg);
        }
        EXPECT_TRUE(dlg.IsModified());
        EXPECT_EQ(tip.GetText(), "");
        dlg.EndDialog(zem::IDCANCEL);
    });
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts().back(), "修改教学时间前无法备份当前排课任务，教学时间没有保存");
    EXPECT_TRUE(Task().GetSchoolStructure().IsDayInUse(kFriday));
    EXPECT_EQ(LessonsOf("p1"), 5);
    EXPECT_EQ(ReadRaw(Task().GetTaskInfo().GetInputFilePath()), input);
    EXPECT_EQ(ReadRaw(Task().GetTaskInfo().GetOutputFilePath()), output);
}

}  // namespace
