#include "support/ScreenTestSupport.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/controls/NameInputDlg.h"
#include "app/controls/RemoveItemsDlg.h"
#include "platform/gui/ItemList.h"
#include "support/SchoolBuilder.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;
using zem::gui::ItemList;

// Five teachers, listed in this order.
class Teachers {
public:
    Teachers()
    {
        m_school.Teacher("T1", "张伟");
        m_school.Teacher("T2", "李娜");
        m_school.Teacher("T3", "王芳");
        m_school.Teacher("T4", "赵磊");
        m_school.Teacher("T5", "Tom");
    }
    const CZemObjectList* List() { return &m_school.Task().GetTeacherInfoList(); }

private:
    SchoolBuilder m_school;
};

// Runs a dialog; `act` works it inside the modal hook.
template <class D>
int RunDialog(D& dialog, const std::function<void(D&)>& act)
{
    ModalScope scope([&](Dialog& shown) {
        if (&shown == &dialog)
            act(dialog);
    });
    return dialog.DoModal();
}

ItemList& ListOf(CMultiSelectDlg& dialog)
{
    return *dialog.Item<ItemList>(CMultiSelectDlg::IDC_LIST);
}

std::string Summary(CMultiSelectDlg& dialog)
{
    return dialog.GetDlgItemText(CMultiSelectDlg::IDC_SUMMARY);
}

void Search(CMultiSelectDlg& dialog, const char* text)
{
    dialog.Item<QLineEdit>(CMultiSelectDlg::IDC_SEARCH)->setText(QString::fromUtf8(text));
}

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

TEST(MultiSelectDlg, TickedItemsHiddenByASearchStayChosen)
{
    Teachers teachers;
    CMultiSelectDlg dialog;
    dialog.SetItems(teachers.List());
    dialog.m_caption = "选择参加监考的老师";
    dialog.m_preChecked = {"t1", "nope"};  // ids compare ignoring case; an unknown id is ignored
    ScriptedMessages messages;
    const int answer = RunDialog<CMultiSelectDlg>(dialog, [&](CMultiSelectDlg& d) {
        ItemList& list = ListOf(d);
        EXPECT_EQ(d.Caption(), "选择参加监考的老师");
        EXPECT_EQ(Listed(list), (std::vector<std::string>{"张伟", "李娜", "王芳", "赵磊", "Tom"}));
        EXPECT_EQ(Summary(d), "已选 1 项: 张伟");

        Search(d, "ln");  // the initials of 李娜
        EXPECT_EQ(Listed(list), std::vector<std::string>{"李娜"});
        ClickCheck(list, 0);
        EXPECT_EQ(Summary(d), "已选 2 项: 张伟,李娜");

        Search(d, "wang");
        Click(d, CMultiSelectDlg::IDC_CHECK_ALL);
        EXPECT_EQ(Summary(d), "已选 3 项: 张伟,李娜,王芳");
        Search(d, "l");  // 李娜 and 赵磊
        Click(d, CMultiSelectDlg::IDC_CHECK_NONE);  // unticks only what is listed
        EXPECT_EQ(Summary(d), "已选 2 项: 张伟,王芳");

        Search(d, "%SELECTED%");
        EXPECT_EQ(Listed(list), (std::vector<std::string>{"张伟", "王芳"}));
        Search(d, "tom");
        Click(d, CMultiSelectDlg::IDC_SHOW_SELECTED);
        EXPECT_EQ(Listed(list), (std::vector<std::string>{"张伟", "王芳"}));
        EXPECT_EQ(d.GetDlgItemText(CMultiSelectDlg::IDC_SEARCH), "tom");
        Click(d, CMultiSelectDlg::IDC_SHOW_ALL);
        EXPECT_EQ(list.GetItemCount(), 5);
        EXPECT_EQ(d.GetDlgItemText(CMultiSelectDlg::IDC_SEARCH), "");
        SaveScreenshot(&d, "multi_select");
        Search(d, "zhao");
        Click(d, zem::IDOK);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(dialog.GetChosenIds(), (std::vector<std::string>{"T1", "T3"}));
}

TEST(MultiSelectDlg, ExcludedItemsAreNeverListedEvenWhenTicked)
{
    Teachers teachers;
    CMultiSelectDlg dialog;
    dialog.SetItems(teachers.List());
    dialog.m_excluded = {"T2", "T4"};
    dialog.m_preChecked = {"T2", "T3"};
    RunDialog<CMultiSelectDlg>(dialog, [](CMultiSelectDlg& d) {
        EXPECT_EQ(Listed(ListOf(d)), (std::vector<std::string>{"张伟", "王芳", "Tom"}));
        EXPECT_EQ(Summary(d), "已选 1 项: 王芳");
        Click(d, zem::IDOK);
    });
    EXPECT_EQ(dialog.GetChosenIds(), std::vector<std::string>{"T3"});

    CMultiSelectDlg all;
    all.SetItems(teachers.List());
    all.SetItems(nullptr);  // keeps the items
    all.m_checkAll = true;
    all.m_okText = "添加";
    RunDialog<CMultiSelectDlg>(all, [](CMultiSelectDlg& d) {
        EXPECT_EQ(d.GetDlgItemText(zem::IDOK), "添加");
        EXPECT_EQ(Summary(d), "已选 5 项: 张伟,李娜,王芳,赵磊,Tom");
        Click(d, zem::IDOK);
    });
    EXPECT_EQ(all.GetChosenIds().size(), 5u);
}

TEST(MultiSelectDlg, OkWantsTheMinimumThenTheCheckThenTheConfirmation)
{
    Teachers teachers;
    struct Check : CMultiSelectCheck {
        bool answer = false;
        std::vector<std::vector<std::string>> calls;
        std::string checkId;
        bool CheckChosenIds(const std::vector<std::string>& ids, const std::string& id) override
        {
            calls.push_back(ids);
            checkId = id;
            return answer;
        }
    } check;
    CMultiSelectDlg dialog;
    dialog.SetItems(teachers.List());
    dialog.m_minCount = 2;
    dialog.m_check = &check;
    dialog.m_checkId = "plan7";
    dialog.m_confirmText = "确定要选择这 %COUNT% 位老师吗？共 %COUNT% 位";
    ScriptedMessages messages({zem::IDOK, zem::IDNO, zem::IDYES});
    const int answer = RunDialog<CMultiSelectDlg>(dialog, [&](CMultiSelectDlg& d) {
        ClickCheck(ListOf(d), 1);
        Click(d, zem::IDOK);  // one of at least two
        EXPECT_FALSE(d.IsEnded());
        EXPECT_TRUE(check.calls.empty());
        ClickCheck(ListOf(d), 3);
        Click(d, zem::IDOK);  // refused by the check
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(check.calls.size(), 1u);
        check.answer = true;
        Click(d, zem::IDOK);  // No to the confirmation
        EXPECT_FALSE(d.IsEnded());
        Click(d, zem::IDOK);  // Yes
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"您至少要选中 2 项", "确定要选择这 2 位老师吗？共 2 位",
                                                          "确定要选择这 2 位老师吗？共 2 位"}));
    EXPECT_EQ(messages.messages[1].buttons, zem::MessageButtons::YesNo);
    EXPECT_EQ(check.calls.back(), (std::vector<std::string>{"T2", "T4"}));
    EXPECT_EQ(check.checkId, "plan7");
    EXPECT_EQ(dialog.GetChosenIds(), (std::vector<std::string>{"T2", "T4"}));
}

TEST(MultiSelectDlg, WithoutItemsTheListIsEmptyAndOkIsRefused)
{
    CMultiSelectDlg dialog;
    dialog.SetItems(nullptr);
    ScriptedMessages messages;
    RunDialog<CMultiSelectDlg>(dialog, [](CMultiSelectDlg& d) {
        EXPECT_EQ(ListOf(d).GetItemCount(), 0);
        EXPECT_EQ(Summary(d), "已选 0 项");
        Search(d, "a");
        Click(d, CMultiSelectDlg::IDC_CHECK_ALL);
        Click(d, zem::IDOK);
        EXPECT_FALSE(d.IsEnded());
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"您至少要选中 1 项"});
}

TEST(RemoveItemsDlg, AsksBeforeRemovingTheTickedTexts)
{
    CRemoveItemsDlg dialog;
    dialog.SetItems({"旧的"});
    dialog.SetItems({"星期一 第1节", "星期二 第3节", "星期五 第7节"});
    dialog.SetPrompt("选择要移除的时间");
    ScriptedMessages messages({zem::IDOK, zem::IDCANCEL, zem::IDOK});
    const int answer = RunDialog<CRemoveItemsDlg>(dialog, [](CRemoveItemsDlg& d) {
        EXPECT_EQ(d.Caption(), "选择要移除的时间");
        EXPECT_EQ(d.GetList()->GetItemCount(), 3);
        Click(d, zem::IDOK);  // nothing ticked
        Click(d, CRemoveItemsDlg::IDC_CHECK_ALL);
        Click(d, CRemoveItemsDlg::IDC_CHECK_NONE);
        ClickCheck(*d.GetList(), 2);
        ClickCheck(*d.GetList(), 0);
        SaveScreenshot(&d, "remove_items");
        Click(d, zem::IDOK);  // Cancel to the question
        EXPECT_FALSE(d.IsEnded());
        Click(d, zem::IDOK);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"请勾选要移除的项目", "确定要移除这 2 个项目吗？",
                                                          "确定要移除这 2 个项目吗？"}));
    EXPECT_EQ(messages.messages[1].buttons, zem::MessageButtons::OkCancel);
    EXPECT_EQ(dialog.GetCheckedIndices(), (std::vector<unsigned>{0, 2}));
}

TEST(NameInputDlg, RefusesBlankNamesAndCharactersTheFilesCannotHold)
{
    struct Case {
        const char* typed;
        bool accepted;
        std::string name;     // after OK
        std::string message;  // shown when refused
    };
    const Case cases[] = {
        {"课外活动  ", true, "课外活动", ""},
        {"  课外活动", true, "  课外活动", ""},
        {"   ", false, "", "名称不能为空"},
        {"", false, "", "名称不能为空"},
        {"活动\xF0\xA0\x80\x80", false, "", "不能使用字符“\xF0\xA0\x80\x80”：它无法保存到排课文件中，请换用其他字符。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CNameInputDlg dialog;
        dialog.m_name = "预设";
        ScriptedMessages messages;
        const int answer = RunDialog<CNameInputDlg>(dialog, [&](CNameInputDlg& d) {
            EXPECT_EQ(d.GetDlgItemText(CNameInputDlg::IDC_NAME), "预设");
            EXPECT_EQ(d.Caption(), "输入");
            d.SetDlgItemText(CNameInputDlg::IDC_NAME, c.typed);
            QTest::keyClick(d.GetDlgItem(CNameInputDlg::IDC_NAME), Qt::Key_Return);
            EXPECT_EQ(d.IsEnded(), c.accepted);
        });
        EXPECT_EQ(answer, c.accepted ? zem::IDOK : zem::IDCANCEL);
        if (c.accepted) {
            EXPECT_EQ(dialog.m_name, c.name);
            EXPECT_TRUE(messages.messages.empty());
        } else {
            EXPECT_EQ(dialog.m_name, "预设");
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
        }
    }
}

}  // namespace
