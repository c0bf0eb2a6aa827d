#include "support/BasicDataTestSupport.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/data/ObjectInfoDlg.h"
#include "app/data/ObjectListPages.h"
#include "app/data/TeacherGroupDlg.h"
#include "app/data/TeacherGroupListPage.h"
#include "platform/gui/ItemList.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using zem::gui::Dialog;
using zem::gui::ItemList;

void Type(Dialog& dialog, int id, const char* text)
{
    dialog.Item<QLineEdit>(id)->setText(QString::fromUtf8(text));
}

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

std::string Text(const Dialog& dialog, int id)
{
    return dialog.GetDlgItemText(id);
}

std::string ComboText(const Dialog& dialog, int id)
{
    return dialog.Item<QComboBox>(id)->currentText().toStdString();
}

TEST(ObjectInfoDialogs, ClassDialogStaysOpenAndEmptyInAddModeAndClosesInModifyMode)
{
    SmallSchool school;
    CClassListPage page;
    ScriptedMessages messages;
    int dialogs = 0;
    RunPage<CClassListPage>(
        page,
        [&](CClassListPage& p) {
            p.SendCommand(CListBaseDlg::IDC_ADD);
            EXPECT_EQ(RowTexts(p, 2), (std::vector<std::string>{"初二(1)班", "初二1", "高", "王五"}));
            EXPECT_EQ(p.GetStatusText().find("当前共有 3 条记录"), 0u);
            SelectRow(p, 0);
            p.SendCommand(CListBaseDlg::IDC_EDIT);
            EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{"初一(9)班", "初一1", "正常", "李四"}));
            EXPECT_EQ(p.GetList()->GetItemCount(), 3);
        },
        [&](Dialog& dialog) {
            if (auto* picker = dynamic_cast<CTeacherPickerDlg*>(&dialog)) {
                picker->GetList()->SetSelected(1, true);  // 李四
                picker->SendCommand(zem::IDOK);
                return;
            }
            auto& d = dynamic_cast<CClassInfoDlg&>(dialog);
            if (++dialogs == 1) {
                EXPECT_EQ(d.Caption(), "添加班级信息");
                EXPECT_EQ(Text(d, zem::IDOK), "添加(&A)");
                EXPECT_EQ(Text(d, zem::IDCANCEL), "关闭(&C)");
                EXPECT_EQ(ComboText(d, CObjectInfoDlg::IDC_PRIORITY), "正常");
                // The short name takes the name's first text, then stays as it is.
                Type(d, CObjectInfoDlg::IDC_NAME, "初二(3)班");
                EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_SHORT_NAME), "初二(3)班");
                Type(d, CObjectInfoDlg::IDC_NAME, "初二(1)班");
                EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_SHORT_NAME), "初二(3)班");
                Type(d, CObjectInfoDlg::IDC_NAME, " ");
                EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_SHORT_NAME), "");
                Click(d, zem::IDOK);
                Type(d, CObjectInfoDlg::IDC_NAME, "初一(1)班");  // taken already
                Type(d, CObjectInfoDlg::IDC_SHORT_NAME, "");
                Click(d, zem::IDOK);
                Type(d, CObjectInfoDlg::IDC_SHORT_NAME, "初一1");
                Click(d, zem::IDOK);
                EXPECT_FALSE(d.IsEnded());
                EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_NAME), "初一(1)班");

                Type(d, CObjectInfoDlg::IDC_NAME, "初二(1)班");
                Type(d, CObjectInfoDlg::IDC_SHORT_NAME, "初二1  ");
                d.Item<QComboBox>(CObjectInfoDlg::IDC_PRIORITY)->setCurrentIndex(0);
                d.Item<QComboBox>(CClassInfoDlg::IDC_HEAD_TEACHER)->setCurrentText(QStringLiteral("王五"));
                Click(d, zem::IDOK);
                EXPECT_FALSE(d.IsEnded());
                EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_NAME), "");
                EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_SHORT_NAME), "");
                EXPECT_TRUE(d.ShortNameFollows());
                Type(d, CObjectInfoDlg::IDC_NAME, "初二(2)班");
                EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_SHORT_NAME), "初二(2)班");
                SaveScreenshot(&d, "data-dialog-class");
                return;  // closed as the user would close it
            }
            EXPECT_EQ(d.Caption(), "修改班级信息");
            EXPECT_EQ(Text(d, zem::IDOK), "保存(&S)");
            EXPECT_EQ(Text(d, zem::IDCANCEL), "取消(&C)");
            EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_NAME), "初一(1)班");
            EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_SHORT_NAME), "初一1");
            EXPECT_EQ(ComboText(d, CClassInfoDlg::IDC_HEAD_TEACHER), "张三");
            EXPECT_FALSE(d.ShortNameFollows());
            Type(d, CObjectInfoDlg::IDC_NAME, "初一(9)班");
            EXPECT_EQ(Text(d, CObjectInfoDlg::IDC_SHORT_NAME), "初一1");
            Click(d, CClassInfoDlg::IDC_PICK_TEACHER);
            EXPECT_EQ(ComboText(d, CClassInfoDlg::IDC_HEAD_TEACHER), "李四");
            Click(d, zem::IDOK);
            EXPECT_TRUE(d.IsEnded());
        });
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"请输入班级名称", "请输入班级简称", "初一（1）班 已存在"}));
}

TEST(ObjectInfoDialogs, RoomDialogRefusesACapacityBelowOne)
{
    SmallSchool school;
    CRoomListPage page;
    ScriptedMessages messages;
    RunPage<CRoomListPage>(
        page, [&](CRoomListPage& p) { p.SendCommand(CListBaseDlg::IDC_ADD); },
        [&](Dialog& dialog) {
            auto& d = dynamic_cast<CRoomInfoDlg&>(dialog);
            EXPECT_EQ(d.Caption(), "添加教室信息");
            EXPECT_EQ(Text(d, CRoomInfoDlg::IDC_CAPACITY), "1");
            Type(d, CObjectInfoDlg::IDC_NAME, "操场");
            for (const char* capacity : {"0", ""}) {
                Type(d, CRoomInfoDlg::IDC_CAPACITY, capacity);
                Click(d, zem::IDOK);
            }
            EXPECT_EQ(page.GetList()->GetItemCount(), 1);
            Type(d, CRoomInfoDlg::IDC_CAPACITY, "6");
            Click(d, zem::IDOK);
            EXPECT_EQ(RowTexts(page, 1), (std::vector<std::string>{"操场", "操场", "6"}));
            SaveScreenshot(&d, "data-dialog-room");
        });
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"教室数量应该大于零", "教室数量应该大于零"}));
}

TEST(TeacherGroupDialog, AddsGroupsOneAfterAnotherAndClosesAfterAModification)
{
    SmallSchool school;
    CTeacherGroupListPage page;
    ScriptedMessages messages;
    std::vector<std::vector<int>> ticks{{1, 2}, {2}};  // 李四 and 王五; then 王五 as well
    std::vector<std::vector<std::string>> preChecked;
    int groupDialogs = 0;
    RunPage<CTeacherGroupListPage>(
        page,
        [&](CTeacherGroupListPage& p) {
            p.SendCommand(CListBaseDlg::IDC_ADD);
            EXPECT_EQ(RowTexts(p, 1), (std::vector<std::string>{"数学组", "2", "李四，王五"}));
            SelectRow(p, 0);
            p.SendCommand(CListBaseDlg::IDC_EDIT);
            EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{"语文组", "2", "张三，王五"}));
        },
        [&](Dialog& dialog) {
            if (auto* chooser = dynamic_cast<CMultiSelectDlg*>(&dialog)) {
                EXPECT_EQ(chooser->Caption(), "选择教师组成员");
                preChecked.push_back(chooser->m_preChecked);
                ItemList& list = *chooser->findChild<ItemList*>();
                for (int index : ticks.front())
                    ClickCheck(list, index);
                ticks.erase(ticks.begin());
                chooser->SendCommand(zem::IDOK);
                return;
            }
            auto& d = dynamic_cast<CTeacherGroupDlg&>(dialog);
            if (++groupDialogs == 1) {
                EXPECT_EQ(d.Caption(), "添加教师组信息");
                EXPECT_EQ(Text(d, zem::IDOK), "添加教师组(&A)");
                EXPECT_EQ(Text(d, CTeacherGroupDlg::IDC_NAME_LABEL), "教师组名");
                EXPECT_EQ(Text(d, CTeacherGroupDlg::IDC_MEMBER_COUNT), "成员列表（共 0 人）");
                Click(d, zem::IDOK);  // no name
                Type(d, CTeacherGroupDlg::IDC_NAME, "数学组");
                Click(d, zem::IDOK);  // no members: the chooser opens
                EXPECT_EQ(Listed(*d.GetMemberList()), (std::vector<std::string>{"李四", "王五"}));
                EXPECT_EQ(Text(d, CTeacherGroupDlg::IDC_MEMBER_COUNT), "成员列表（共 2 人）");
                SaveScreenshot(&d, "data-dialog-teacher-group");
                Click(d, zem::IDOK);
                EXPECT_FALSE(d.IsEnded());
                EXPECT_EQ(Text(d, CTeacherGroupDlg::IDC_NAME), "");
                EXPECT_EQ(d.GetMemberList()->GetItemCount(), 0);
                EXPECT_EQ(Text(d, CTeacherGroupDlg::IDC_MEMBER_COUNT), "成员列表（共 0 人）");
                return;
            }
            EXPECT_EQ(d.Caption(), "修改教师组信息");
            EXPECT_EQ(Text(d, zem::IDOK), "保存教师组(&S)");
            EXPECT_EQ(Listed(*d.GetMemberList()), std::vector<std::string>{"张三"});
            Click(d, CTeacherGroupDlg::IDC_CHOOSE_MEMBERS);
            EXPECT_EQ(Listed(*d.GetMemberList()), (std::vector<std::string>{"张三", "王五"}));
            Click(d, zem::IDOK);
            EXPECT_TRUE(d.IsEnded());
        });
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"请输入教师组的名称", "请选择教师组成员", "数学组 已添加"}));
    EXPECT_EQ(preChecked, (std::vector<std::vector<std::string>>{{}, {"t1"}}));
}

}  // namespace
