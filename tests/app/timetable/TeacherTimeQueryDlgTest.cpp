// The teacher time query over a small school: 张三 and "赵,六" teach on Monday's first and Tuesday's
// second period, 李四 on Monday's first only, 王五 never. Periods are chosen in the picker as the user
// does; the answer goes to a text file through the save dialog's hook.
#include "support/DataDialogTestSupport.h"
#include "support/FakeAppServices.h"
#include "support/PickerClicks.h"

#include "app/timetable/TeacherTimeQueryDlg.h"
#include "platform/Files.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ReportList.h"

#include <QRadioButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Dlg = CTeacherTimeQueryDlg;

const tagTABLE_NODE kMonday1{0, 0, 0};
const tagTABLE_NODE kTuesday2{1, 0, 1};
const tagTABLE_NODE kWednesdayFree{2, 1, 2};

class TeacherTimeQuery : public testing::Test {
protected:
    TeacherTimeQuery()
    {
        b.Teacher("t1", "张三");
        b.Teacher("t2", "李四");
        b.Teacher("t3", "王五");
        b.Teacher("t4", "赵,六");
        b.Subject("s1", "语文");
        for (const char* id : {"c1", "c2", "c3"})
            b.Class(id, std::string("班") + id);
        CCourseInfo* first = b.Course("k1", "c1", "s1", "t1", "2");
        CCourseInfo* second = b.Course("k2", "c2", "s1", "t2", "1");
        CCourseInfo* third = b.Course("k3", "c3", "s1", "t4", "2");
        for (CCourseInfo* plan : {first, third})
            for (const tagTABLE_NODE& slot : {kMonday1, kTuesday2})
                b.Task().SetCourseNode(plan, "", false, slot, 0);
        b.Task().SetCourseNode(second, "", false, kMonday1, 0);
        services.task = &b.Task();
    }

    std::string Desc(const tagTABLE_NODE& slot) { return b.Task().GetTimeNodeDesc(slot.day, slot.segment, slot.section); }

    static std::vector<std::string> Names(const Dlg& dlg)
    {
        std::vector<std::string> names;
        for (int row = 0; row < dlg.GetResultList()->GetItemCount(); ++row)
            names.push_back(dlg.GetResultList()->GetItemText(row, 1));
        return names;
    }

    static std::string Heading(const Dlg& dlg) { return dlg.GetResultList()->GetColumnHeading(1); }

    // Opens the dialog and works it; the picker, when it opens, is worked by `pick`.
    void Run(const std::function<void(Dlg&)>& work, const std::function<void(CTimeSlotPickerDlg&)>& pick = {})
    {
        Dlg dlg;
        ModalScope scope([&](zem::gui::Dialog& shown) {
            if (&shown == &dlg)
                work(dlg);
            else if (auto* picker = dynamic_cast<CTimeSlotPickerDlg*>(&shown); picker && pick)
                pick(*picker);
        });
        dlg.DoModal();
    }

    SchoolBuilder b;
    FakeAppServices services;
    TempFolder folder;
};

TEST_F(TeacherTimeQuery, TeachersWithALessonOrFreeAtEveryChosenPeriodOfTwoDays)
{
    int picked = 0;
    Run(
        [&](Dlg& dlg) {
            EXPECT_EQ(dlg.Caption(), "教师上课时间查询");
            EXPECT_FALSE(dlg.IsItemEnabled(Dlg::IDC_EXPORT));
            QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_CHOOSE), Qt::LeftButton);
            ASSERT_EQ(picked, 1);
            EXPECT_EQ(dlg.GetPeriods().size(), 2u);
            EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_RANGE), Desc(kMonday1) + "," + Desc(kTuesday2));
            // A school of one week: no "第1周".
            EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_RANGE), "周一上午第1节,周二上午第2节");
            EXPECT_EQ(Names(dlg), (std::vector<std::string>{"张三", "赵,六"}));
            EXPECT_EQ(Heading(dlg), "查询结果(2)");
            EXPECT_EQ(dlg.GetResultList()->GetItemText(0, 0), "t1");
            EXPECT_TRUE(dlg.IsItemEnabled(Dlg::IDC_EXPORT));
            // The first teacher's week, the chosen periods marked.
            EXPECT_EQ(dlg.GetPreviewTitle(), "张三老师的课表");
            EXPECT_TRUE(IsCellForbidden(dlg.GetPreview(), kMonday1));
            EXPECT_TRUE(IsCellForbidden(dlg.GetPreview(), kTuesday2));
            EXPECT_FALSE(IsCellForbidden(dlg.GetPreview(), kWednesdayFree));
            EXPECT_NE(CellMain(dlg.GetPreview(), kMonday1), "");
            SaveScreenshot(&dlg, "teacher_time_query");

            QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_FREE), Qt::LeftButton);
            EXPECT_EQ(Names(dlg), std::vector<std::string>{"王五"});
            EXPECT_EQ(Heading(dlg), "查询结果(1)");
            EXPECT_EQ(dlg.GetPreviewTitle(), "王五老师的课表");
            EXPECT_EQ(CellMain(dlg.GetPreview(), kMonday1), "");

            // The picker opens on the chosen periods; cancelling it keeps them.
            QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_CHOOSE), Qt::LeftButton);
            EXPECT_EQ(picked, 2);
            EXPECT_EQ(Names(dlg), std::vector<std::string>{"王五"});
            dlg.EndDialog(zem::IDCANCEL);
        },
        [&](CTimeSlotPickerDlg& picker) {
            ++picked;
            EXPECT_EQ(picker.Caption(), "选择要查询的节次");
            EXPECT_EQ(picker.GetDlgItemText(zem::IDOK), "查询");
            if (picked == 1) {
                ClickGrid(picker, kMonday1);
                ClickGrid(picker, kTuesday2);
                picker.SendCommand(zem::IDOK);
                return;
            }
            EXPECT_TRUE(picker.m_marks.IsInvalid(kMonday1));
            EXPECT_TRUE(picker.m_marks.IsInvalid(kTuesday2));
            EXPECT_EQ(picker.CountMarks(), 2);
            picker.SendCommand(zem::IDCANCEL);
        });
}

TEST_F(TeacherTimeQuery, NoTeacherFoundReadsNoneAndNothingCanBeExported)
{
    Run([&](Dlg& dlg) {
        dlg.SetPeriods({kMonday1});
        EXPECT_EQ(Names(dlg), (std::vector<std::string>{"张三", "李四", "赵,六"}));
        dlg.SetPeriods({kWednesdayFree});
        EXPECT_TRUE(Names(dlg).empty());
        EXPECT_EQ(Heading(dlg), "查询结果(无)");
        EXPECT_FALSE(dlg.IsItemEnabled(Dlg::IDC_EXPORT));
        EXPECT_EQ(dlg.GetPreviewTitle(), "");
        EXPECT_EQ(CellMain(dlg.GetPreview(), kMonday1), "");
        // No period chosen: no answer is left standing beside the empty range.
        dlg.SetPeriods({kMonday1});
        dlg.SetPeriods({});
        EXPECT_TRUE(Names(dlg).empty());
        EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_RANGE), "");
        EXPECT_FALSE(dlg.IsItemEnabled(Dlg::IDC_EXPORT));
    });
}

TEST_F(TeacherTimeQuery, TheTextFileHoldsTheAnswerInUtf8WithCrLfLines)
{
    const zem::ClockHook previousClock = zem::SetClockHook([] { return zem::LocalTime{2024, 3, 5, 9, 30, 0}; });
    std::vector<zem::gui::FileDialogRequest> requests;
    std::string answer;
    const auto previousDialog = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
        requests.push_back(request);
        return answer;
    });
    std::vector<std::string> opened;
    const auto previousOpen = zem::gui::SetOpenHook([&](const std::string& target) {
        opened.push_back(target);
        return zem::gui::kOpenDone;
    });
    ScriptedMessages messages({zem::IDYES});
    const std::string path = folder / "结果.txt";
    Run([&](Dlg& dlg) {
        dlg.SetPeriods({kMonday1, kTuesday2});
        // Cancelled: nothing is written or asked.
        QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_EXPORT), Qt::LeftButton);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_TRUE(messages.Texts().empty());
        answer = path;
        QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_EXPORT), Qt::LeftButton);
    });
    zem::gui::SetOpenHook(previousOpen);
    zem::gui::SetFileDialogHook(previousDialog);
    zem::SetClockHook(previousClock);

    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, zem::gui::FileDialogRequest::Kind::SaveFile);
    EXPECT_EQ(requests[0].fileName, "20240305教师时间查询结果.txt");
    EXPECT_EQ(requests[0].filter, "文本文件|*.txt||");
    EXPECT_EQ(requests[0].defaultSuffix, "txt");
    // A name with "," takes two lines of the upright list.
    EXPECT_EQ(ReadRaw(path), "\xEF\xBB\xBF范围：" + Desc(kMonday1) + "," + Desc(kTuesday2) +
                                 "\r\n对象：有课的老师\r\n数量：2\r\n\r\n教师（横排）：\r\n张三,赵,六\r\n\r\n"
                                 "教师（竖排）：\r\n张三\r\n赵\r\n六");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "导出成功！现在要查看导出的文本文件吗");
    EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::YesNo);
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Question);
    EXPECT_EQ(opened, std::vector<std::string>{path});
}

TEST_F(TeacherTimeQuery, AFileThatCannotBeWrittenSaysSoAndNoFileIsLeft)
{
    const std::string locked = folder / "只读/";
    std::filesystem::create_directories(locked);
    struct Case {
        const char* what;
        std::string path;
        bool refuseWrites;
    } cases[] = {
        {"a folder that is not there", folder / "没有的文件夹/结果.txt", false},
        {"a folder that may not be written", locked + "结果.txt", true},
    };
    for (const Case& c : cases) {
        const auto previousDialog =
            zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest&) { return c.path; });
        const auto previousFault = zem::SetFileWriteFaultHook([&](const std::string& target) {
            return c.refuseWrites && target.rfind(locked, 0) == 0 ? EACCES : 0;
        });
        ScriptedMessages messages({zem::IDYES});
        Run([&](Dlg& dlg) {
            dlg.SetPeriods({kMonday1});
            QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_EXPORT), Qt::LeftButton);
        });
        zem::SetFileWriteFaultHook(previousFault);
        zem::gui::SetFileDialogHook(previousDialog);
        ASSERT_EQ(messages.messages.size(), 1u) << c.what;
        EXPECT_EQ(messages.messages[0].text, "创建导出文件失败") << c.what;
        EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning) << c.what;
        EXPECT_EQ(messages.messages[0].caption, "提示") << c.what;
        EXPECT_FALSE(std::filesystem::exists(c.path)) << c.what;
        EXPECT_TRUE(std::filesystem::is_empty(locked)) << c.what;
    }
}

}  // namespace
