#include "support/FakeAppServices.h"
#include "support/ScreenTestSupport.h"

#include "app/controls/ObjectPickerDlg.h"
#include "platform/gui/ItemList.h"
#include "support/SchoolBuilder.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;
using zem::gui::ItemList;

// A small school, open in the application while the test runs.
class OpenSchool {
public:
    OpenSchool()
    {
        for (int i = 1; i <= 8; ++i)
            m_school.Class("C" + std::to_string(i), "初一（" + std::to_string(i) + "）班");
        m_school.Room("R1", "计算机房");
        m_school.Room("R2", "操场", 3);
        m_school.Room("R3", "音乐教室");
        m_school.Subject("S1", "语文");
        m_school.Subject("S2", "数学");
        m_school.Subject("S3", "英语");
        m_school.Teacher("T1", "张伟");
        m_school.Teacher("T2", "李娜");
        m_school.Teacher("T3", "王芳");
        m_school.Teacher("T4", "赵磊");
        m_school.Group("G1", "语文组", {"T1", "T2"});
        m_school.Group("G2", "数学组", {"T3"});
        // 张伟's only lesson is on the last slot of the fortnight; 王芳 has one on Monday morning.
        m_school.Task().GetTeacher("T1")->GetTable(false).SetValue(13, 4, 5, CTimeTable::kHalfUsed);
        m_school.Task().GetTeacher("T3")->GetTable(false).SetValue(0, 0, 0, CTimeTable::kFullUsed);
        // 李娜's lesson is only in the working copy, which does not count.
        m_school.Task().GetTeacher("T2")->GetTempTable().SetValue(1, 0, 0, CTimeTable::kFullUsed);
        m_services.task = &m_school.Task();
    }

private:
    SchoolBuilder m_school;
    FakeAppServices m_services;
};

int RunPicker(CObjectPickerDlg& picker, const std::function<void(CObjectPickerDlg&)>& act)
{
    ModalScope scope([&](Dialog& shown) {
        if (&shown == &picker)
            act(picker);
    });
    return picker.DoModal();
}

void Search(CObjectPickerDlg& picker, const char* text)
{
    picker.Item<QLineEdit>(CObjectPickerDlg::IDC_SEARCH)->setText(QString::fromUtf8(text));
}

TEST(ObjectPicker, EachPickerListsItsObjectsUnderItsCaption)
{
    OpenSchool school;
    struct Case {
        std::function<std::unique_ptr<CObjectPickerDlg>()> make;
        std::string caption;
        std::vector<std::string> names;
        const char* picture;
    };
    const Case cases[] = {
        {[] { return std::make_unique<CClassPickerDlg>(); }, "选择班级",
         {"初一（1）班", "初一（2）班", "初一（3）班", "初一（4）班", "初一（5）班", "初一（6）班", "初一（7）班",
          "初一（8）班"},
         "picker_class"},
        {[] { return std::make_unique<CRoomPickerDlg>(); }, "选择教室", {"计算机房", "操场", "音乐教室"}, "picker_room"},
        {[] { return std::make_unique<CCoursePickerDlg>(); }, "选择课程", {"语文", "数学", "英语"}, "picker_course"},
        {[] { return std::make_unique<CTeacherPickerDlg>(); }, "选择教师", {"张伟", "李娜", "王芳", "赵磊"},
         "picker_teacher"},
        {[] { return std::make_unique<CTeacherGroupPickerDlg>(); }, "选择教师组", {"语文组", "数学组"},
         "picker_teacher_group"},
        {[] { return std::make_unique<CTeacherAbsencePickerDlg>(); }, "请选择请假的老师",
         {"张伟", "李娜 (无课)", "王芳", "赵磊 (无课)"}, "picker_teacher_absence"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        std::unique_ptr<CObjectPickerDlg> picker = c.make();
        if (c.caption == "请选择请假的老师")
            picker->SetTitle(c.caption);
        const int answer = RunPicker(*picker, [&](CObjectPickerDlg& p) {
            EXPECT_EQ(p.Caption(), c.caption);
            EXPECT_EQ(Listed(*p.GetList()), c.names);
            EXPECT_EQ(p.GetList()->GetSelectedRows(), std::vector<int>{0});
            SaveScreenshot(&p, c.picture);
            QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
        });
        EXPECT_EQ(answer, zem::IDOK);
        ASSERT_NE(picker->GetSelectedObject(), nullptr);
        EXPECT_EQ(picker->GetSelectedObject()->GetName(), c.names[0]);
    }
}

TEST(ObjectPicker, SearchSelectsTheFirstMatchAndAnEmptyResultRefusesOk)
{
    OpenSchool school;
    CClassPickerDlg picker;
    picker.m_excluded = {"C2"};
    ScriptedMessages messages;
    const int answer = RunPicker(picker, [&](CObjectPickerDlg& p) {
        Search(p, "xyz");
        EXPECT_EQ(p.GetList()->GetItemCount(), 0);
        QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
        EXPECT_FALSE(p.IsEnded());
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"没有选择对象"});

        QTest::mouseClick(p.GetDlgItem(CObjectPickerDlg::IDC_SHOW_ALL), Qt::LeftButton);
        EXPECT_EQ(p.GetList()->GetItemCount(), 7);  // the excluded class is never listed
        EXPECT_EQ(p.GetDlgItemText(CObjectPickerDlg::IDC_SEARCH), "");

        Search(p, "（3");
        EXPECT_EQ(Listed(*p.GetList()), std::vector<std::string>{"初一（3）班"});
        Search(p, "chuyi");
        EXPECT_EQ(p.GetList()->GetItemCount(), 7);
        EXPECT_EQ(p.GetList()->GetSelectedRows(), std::vector<int>{0});
        // A double click acts as OK.
        QCoreApplication::processEvents();  // the view lays its items out
        const QRect second = p.GetList()->visualItemRect(p.GetList()->item(1));
        QTest::mouseClick(p.GetList()->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
        QTest::mouseDClick(p.GetList()->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    });
    EXPECT_EQ(answer, zem::IDOK);
    ASSERT_NE(picker.GetSelectedObject(), nullptr);
    EXPECT_EQ(picker.GetSelectedObject()->GetId(), "C3");
}

TEST(ObjectPicker, WithoutASourceTheListStaysEmptyAndOkIsRefused)
{
    FakeAppServices noTask;  // no task is open
    CTeacherAbsencePickerDlg absence;
    CRoomPickerDlg rooms;
    for (CObjectPickerDlg* picker : std::initializer_list<CObjectPickerDlg*>{&absence, &rooms}) {
        ScriptedMessages messages;
        const int answer = RunPicker(*picker, [](CObjectPickerDlg& p) {
            EXPECT_EQ(p.GetList()->GetItemCount(), 0);
            Search(p, "a");
            QTest::mouseClick(p.GetDlgItem(CObjectPickerDlg::IDC_SHOW_ALL), Qt::LeftButton);
            EXPECT_EQ(p.GetList()->GetItemCount(), 0);
            QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
            p.EndDialog(zem::IDCANCEL);
        });
        EXPECT_EQ(answer, zem::IDCANCEL);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"没有选择对象"});
        EXPECT_EQ(picker->GetSelectedObject(), nullptr);
    }
}

TEST(ObjectPicker, TheAbsencePickerRefusesATeacherWithoutLessons)
{
    OpenSchool school;
    CTeacherAbsencePickerDlg picker;
    ScriptedMessages messages;
    const int answer = RunPicker(picker, [&](CObjectPickerDlg& p) {
        ItemList& list = *p.GetList();
        EXPECT_EQ(list.GetItemImage(0), 0);  // 张伟: a lesson on day 13, segment 4, section 5
        EXPECT_EQ(list.GetItemImage(1), 1);  // 李娜: only the working copy has a lesson
        list.SetSelected(1, true);
        QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
        EXPECT_FALSE(p.IsEnded());
        EXPECT_EQ(p.GetSelectedObject()->GetId(), "T2");  // stays set
        list.SetSelected(2, true);
        QTest::mouseClick(p.GetDlgItem(zem::IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"李娜 老师在该任务中没有安排课程或已被代课"});
    EXPECT_EQ(picker.GetSelectedObject()->GetId(), "T3");
}

}  // namespace
