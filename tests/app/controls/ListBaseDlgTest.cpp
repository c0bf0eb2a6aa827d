#include "support/FakeAppServices.h"
#include "support/PdfPages.h"
#include "support/ScreenTestSupport.h"

#include "app/controls/HoverButton.h"
#include "app/controls/ListBaseDlg.h"
#include "base/ScheduleTask.h"
#include "base/ZemObject.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;
using zem::gui::ReportList;

struct Row {
    std::string name;
    std::string count;
};

// A page of named objects: column 0 the id, 1 the name, 2 a number. Rows own CZemObjects.
class TestPage : public CListBaseDlg {
public:
    explicit TestPage(std::vector<Row> rows, bool gradeOrder = false) : m_rows(std::move(rows))
    {
        m_title = "班级信息";
        m_gradeOrderSort = gradeOrder;
    }

    void InitColumns() override
    {
        CListBaseDlg::InitColumns();
        ReportList* list = GetList();
        list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
        list->InsertColumn(1, "班级名称", ReportList::Align::Left, 260);
        list->InsertColumn(2, "人数", ReportList::Align::Center, 100);
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            AddRow(m_rows[i].name, m_rows[i].count);
    }

    void AddRow(const std::string& name, const std::string& count)
    {
        auto* object = new CZemObject;
        object->SetId("id" + std::to_string(++m_nextId));
        object->SetName(name);
        ReportList* list = GetList();
        const int row = list->InsertItem(list->GetItemCount(), object->GetId(), reinterpret_cast<std::uintptr_t>(object));
        list->SetItemText(row, 1, name);
        list->SetItemText(row, 2, count);
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < GetList()->GetItemCount(); ++row)
            names.push_back(GetList()->GetItemText(row, 1));
        return names;
    }

    // Each row's object still is the one made for its name.
    bool RowsKeepTheirObjects() const
    {
        for (int row = 0; row < GetList()->GetItemCount(); ++row) {
            const auto* object = GetList()->GetItemPtr<CZemObject>(row);
            if (!object || object->GetName() != GetList()->GetItemText(row, 1) ||
                object->GetId() != GetList()->GetItemText(row, 0))
                return false;
        }
        return true;
    }

    void Select(std::initializer_list<int> rows)
    {
        GetList()->ClearSelectedRows();
        for (int row : rows)
            GetList()->SetSelected(row, true);
    }

    std::function<void(TestPage&)> act;
    std::function<void(CListFindDlg&)> onFind;

private:
    std::vector<Row> m_rows;
    int m_nextId = 0;
};

// Runs the page modally; its actions and those of the find dialogs it opens run inside the hook.
int RunPage(TestPage& page)
{
    ModalScope scope([&](Dialog& dialog) {
        if (auto* find = dynamic_cast<CListFindDlg*>(&dialog)) {
            if (page.onFind)
                page.onFind(*find);
            return;
        }
        if (&dialog == &page && page.act)
            page.act(page);
    });
    return page.DoModal();
}

std::vector<Row> Rows(std::initializer_list<const char*> names)
{
    std::vector<Row> rows;
    int n = 30;
    for (const char* name : names)
        rows.push_back({name, std::to_string(n++)});
    return rows;
}

TEST(ListBaseDlg, ButtonsFollowTheRowsAndTheSelection)
{
    struct Case {
        int rows;
        bool selected;
        bool rowButtons;  // 修改 删除 上移 下移
        bool sort;
    };
    const Case cases[] = {{0, false, false, false}, {1, false, false, false}, {1, true, true, false},
                          {2, false, false, true},  {2, true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + (c.selected ? " selected" : ""));
        std::vector<Row> rows;
        for (int i = 0; i < c.rows; ++i)
            rows.push_back({"班" + std::to_string(i), "40"});
        TestPage page(rows);
        page.act = [&](TestPage& p) {
            if (c.selected)
                p.Select({0});
            for (int id : {CListBaseDlg::IDC_EDIT, CListBaseDlg::IDC_DELETE, CListBaseDlg::IDC_MOVE_UP,
                           CListBaseDlg::IDC_MOVE_DOWN})
                EXPECT_EQ(p.IsItemEnabled(id), c.rowButtons) << id;
            EXPECT_EQ(p.IsItemEnabled(CListBaseDlg::IDC_SORT), c.sort);
            EXPECT_TRUE(p.IsItemEnabled(CListBaseDlg::IDC_ADD));
            EXPECT_EQ(p.GetStatusText(),
                      zem::Format("当前共有 %d 条记录。（按住Ctrl或Shift键，再用鼠标单击可以多选；Ctrl+A全选）", c.rows));
        };
        RunPage(page);
    }
}

TEST(ListBaseDlg, MovingRowsCarriesTheirObjectsAndMarksThePageModified)
{
    struct Case {
        const char* name;
        std::initializer_list<int> selected;
        bool up;
        std::vector<std::string> names;
        std::vector<int> selectedAfter;
    };
    const Case cases[] = {
        {"a block moves up", {2, 3}, true, {"A", "C", "D", "B", "E"}, {1, 2}},
        {"a block moves down", {1, 2}, false, {"A", "D", "B", "C", "E"}, {2, 3}},
        {"a single row at the top stays", {0}, true, {"A", "B", "C", "D", "E"}, {0}},
        {"a single row at the bottom stays", {4}, false, {"A", "B", "C", "D", "E"}, {4}},
        // The ascending pass swaps row 1 with row 0 without looking at row 0's selection.
        {"a block at the top edge", {0, 1}, true, {"B", "A", "C", "D", "E"}, {0}},
        {"a block at the bottom edge", {3, 4}, false, {"A", "B", "C", "E", "D"}, {4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPage page(Rows({"A", "B", "C", "D", "E"}));
        page.act = [&](TestPage& p) {
            p.Select(c.selected);
            QTest::mouseClick(p.GetDlgItem(c.up ? CListBaseDlg::IDC_MOVE_UP : CListBaseDlg::IDC_MOVE_DOWN),
                              Qt::LeftButton);
            EXPECT_EQ(p.Names(), c.names);
            EXPECT_EQ(p.GetList()->GetSelectedRows(), c.selectedAfter);
            EXPECT_TRUE(p.RowsKeepTheirObjects());
            EXPECT_TRUE(p.IsModified());
            EXPECT_EQ(p.Caption(), "班级信息 (已修改,未保存)");
            EXPECT_EQ(p.Item<CHoverButton>(CListBaseDlg::IDC_SAVE)->GetBkColor(), zem::RGB(255, 255, 200));
        };
        RunPage(page);
    }
}

TEST(ListBaseDlg, SortingOrdersByGbkOrGradeAndKeepsObjects)
{
    // 张 comes before 李 in Unicode but after it in GBK (pinyin) order; 一 二 三 sort as 二 三 一 in
    // GBK and as grades only with grade order on.
    struct Case {
        bool gradeOrder;
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {false, {"Grade b", "grade C", "高二（1）班", "高三（1）班", "高一（2）班", "李四", "张三"}},
        {true, {"Grade b", "grade C", "高一（2）班", "高二（1）班", "高三（1）班", "李四", "张三"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gradeOrder ? "grade order" : "GBK order");
        TestPage page(Rows({"张三", "高三（1）班", "grade C", "李四", "高一（2）班", "Grade b", "高二（1）班"}),
                      c.gradeOrder);
        page.act = [&](TestPage& p) {
            p.Select({0});
            QTest::mouseClick(p.GetDlgItem(CListBaseDlg::IDC_SORT), Qt::LeftButton);
            EXPECT_EQ(p.Names(), c.sorted);
            EXPECT_TRUE(p.RowsKeepTheirObjects());
            EXPECT_EQ(p.GetList()->GetItemText(p.GetList()->GetFirstSelected(), 1), "张三");
            EXPECT_TRUE(p.IsModified());
        };
        RunPage(page);
    }
}

TEST(ListBaseDlg, ValidateRefusesDuplicatesBlankNamesAndCharactersTheFilesCannotHold)
{
    struct Case {
        const char* name;
        std::string candidate;
        int replace;
        bool quiet;
        bool accepted;
        std::string message;  // empty: no box
    };
    const Case cases[] = {
        {"new name", "初一（2）班", 0, false, true, ""},
        {"ASCII parentheses", "初一(1)班", 0, false, false, "初一（1）班 已存在"},
        {"letter case", "GRADE A", 0, false, false, "GRADEA 已存在"},
        {"blanks and line feeds", "高一 1\n班", 0, false, false, "高一1班 已存在"},
        {"quiet duplicate", "grade a", 0, true, false, ""},
        {"replacing the selected row with its own name", "Grade A", 1, false, true, ""},
        {"replacing the selected row with another row's name", "初一（1）班", 1, false, false, "初一（1）班 已存在"},
        {"blank name", "  \n ", 0, false, false, "名称不能为空"},
        {"a character GBK cannot hold", "王\xF0\xA0\x80\x80", 0, false, false,
         "不能使用字符“\xF0\xA0\x80\x80”：它无法保存到排课文件中，请换用其他字符。"},
    };
    TestPage page(Rows({"初一（1）班", "Grade A", "高一 1班"}));
    page.act = [&](TestPage& p) {
        p.Select({1});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            ScriptedMessages messages;
            CPageNotify notify;
            notify.replace = c.replace;
            notify.quiet = c.quiet;
            const CPageRow cells{c.candidate, "45"};
            EXPECT_EQ(p.Validate(&cells, &notify), c.accepted);
            if (c.message.empty()) {
                EXPECT_TRUE(messages.messages.empty());
            } else {
                EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
                EXPECT_EQ(notify.message, c.message);
            }
        }
        EXPECT_FALSE(p.Validate(nullptr, nullptr));
    };
    RunPage(page);
}

TEST(ListBaseDlg, FindCyclesThroughTheHitsAndWrapsAround)
{
    TestPage page(Rows({"初一（1）班", "初一（2）班", "高一（1）班", "初二（1）班"}));
    page.act = [](TestPage& p) {
        p.Select({3});
        QTest::mouseClick(p.GetDlgItem(CListBaseDlg::IDC_FIND), Qt::LeftButton);
    };
    ScriptedMessages messages;
    page.onFind = [&](CListFindDlg& find) {
        auto* edit = find.Item<QLineEdit>(CListFindDlg::IDC_FIND_TEXT);
        auto* next = find.GetDlgItem(zem::IDOK);
        QTest::mouseClick(next, Qt::LeftButton);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"请输入查找的内容"});

        edit->insert(QString::fromUtf8("初"));
        std::vector<int> hits;
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(next, Qt::LeftButton);
            hits.push_back(find.GetRequest().row);
            // Each hit is selected and the one before it deselected.
            EXPECT_TRUE(page.GetList()->IsSelected(hits.back()));
        }
        EXPECT_EQ(hits, (std::vector<int>{0, 1, 3, 0}));
        EXPECT_FALSE(page.GetList()->IsSelected(1));
        EXPECT_TRUE(find.isVisible());  // the dialog stays open

        edit->setText(QString::fromUtf8("id1"));  // the hidden id column is never searched
        QTest::mouseClick(next, Qt::LeftButton);
        EXPECT_EQ(messages.Texts().back(), "没有找到：id1");
        EXPECT_EQ(find.GetRequest().row, 0);
        QTest::keyClick(edit, Qt::Key_Escape);
    };
    RunPage(page);
    EXPECT_EQ(messages.messages.size(), 2u);
}

TEST(ListBaseDlg, KeysSelectAllDeleteAndNeverClose)
{
    TestPage page(Rows({"A", "B", "C"}));
    page.act = [](TestPage& p) {
        QWidget* other = p.GetDlgItem(CListBaseDlg::IDC_ADD);
        QTest::keyClick(other, Qt::Key_Escape);
        QTest::keyClick(other, Qt::Key_Return);
        EXPECT_FALSE(p.IsEnded());
        QTest::keyClick(p.GetList(), Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(p.GetList()->GetSelectedCount(), 3);
        p.Select({0, 2});
        QTest::keyClick(other, Qt::Key_Delete);  // focus elsewhere: still deletes
        EXPECT_EQ(p.Names(), std::vector<std::string>{"B"});
        EXPECT_EQ(p.GetDeletedIds(), (std::vector<std::string>{"id3", "id1"}));
        EXPECT_TRUE(p.RowsKeepTheirObjects());
        EXPECT_EQ(p.GetStatusText().rfind("当前共有 1 条记录。", 0), 0u);
        EXPECT_FALSE(p.IsItemEnabled(CListBaseDlg::IDC_DELETE));
    };
    RunPage(page);
}

TEST(ListBaseDlg, TheCloseBoxAndCancelAskToSave)
{
    TempFolder folder;
    CScheduleTask task;
    FakeAppServices services;
    services.task = &task;

    struct Case {
        const char* name;
        bool modified;
        int answer;         // to "列表内容已修改,要保存吗?"
        bool canSave;       // the task's folder can be written
        bool cancelButton;  // 取消 instead of the close box
        bool staysOpen;
    };
    const Case cases[] = {
        {"unmodified", false, zem::IDYES, true, false, false},
        {"No closes without saving", true, zem::IDNO, true, false, false},
        {"Yes saves and closes", true, zem::IDYES, true, false, false},
        {"Yes with a failing save stays open", true, zem::IDYES, false, false, true},
        // 取消 would throw the unsaved rows away too: it asks, and its own 取消 keeps the page open.
        {"取消 asks, and Yes saves and closes", true, zem::IDYES, true, true, false},
        {"取消 asked, 取消 stays open", true, zem::IDCANCEL, true, true, true},
        {"取消 unmodified closes without a box", false, zem::IDYES, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        task.GetTaskInfo().SetTaskFolder(c.canSave ? folder.path() : folder.path() + "missing/deeper/");
        std::filesystem::remove(folder.path() + "input.xml");
        TestPage page(Rows({"A"}));
        ScriptedMessages messages({c.answer});
        page.act = [&](TestPage& p) {
            if (c.modified)
                p.SetModified(true);
            if (c.cancelButton)
                QTest::mouseClick(p.GetDlgItem(zem::IDCANCEL), Qt::LeftButton);
            else
                p.close();
            EXPECT_EQ(p.IsEnded(), !c.staysOpen);
            if (c.staysOpen) {
                EXPECT_TRUE(p.IsModified());
                EXPECT_EQ(p.Caption(), "班级信息 (已修改,未保存)");
                p.EndDialog(zem::IDCANCEL);
            }
        };
        EXPECT_EQ(RunPage(page), zem::IDCANCEL);
        const bool asked = c.modified;
        ASSERT_FALSE(messages.messages.empty() && asked);
        if (asked) {
            EXPECT_EQ(messages.messages[0].text, "列表内容已修改,要保存吗?");
            EXPECT_EQ(messages.messages[0].buttons,
                      c.cancelButton ? zem::MessageButtons::YesNoCancel : zem::MessageButtons::YesNo);
            EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Question);
        } else {
            EXPECT_TRUE(messages.messages.empty());
        }
        const bool saved = asked && c.answer == zem::IDYES && c.canSave;
        EXPECT_EQ(std::filesystem::exists(folder.path() + "input.xml"), saved);
    }
}

TEST(ListBaseDlg, ButtonsCanBeInsertedIntoAndRemovedFromTheColumn)
{
    TestPage page(Rows({"A"}));
    page.act = [](TestPage& p) {
        const auto& column = p.GetButtonColumn();
        QWidget* add = p.GetDlgItem(CListBaseDlg::IDC_ADD);
        QWidget* edit = p.GetDlgItem(CListBaseDlg::IDC_EDIT);
        const int addTop = add->y(), editTop = edit->y();
        EXPECT_EQ(std::find(column.begin(), column.end(), p.GetDlgItem(CListBaseDlg::IDC_IMPORT)), column.end());

        auto* batch = new CHoverButton;
        ASSERT_TRUE(batch->CreateButton(&p, "批量添加(&T)", 1237));
        p.InsertButton(batch, add, 6);
        EXPECT_EQ(batch->y(), addTop);
        EXPECT_EQ(add->y(), addTop + batch->height() + 6);
        EXPECT_EQ(edit->y(), editTop + batch->height() + 6);
        EXPECT_EQ(column.front(), batch);

        p.RemoveButton(add);
        EXPECT_FALSE(add->isVisible());
        EXPECT_EQ(edit->y(), editTop);
        SaveScreenshot(&p, "list_page_buttons");
    };
    RunPage(page);
}

}  // namespace

namespace {

TEST(ListBaseDlg, PrintsTheTitleHeaderAndRowsWithoutTheIdColumn)
{
    TempFolder folder;
    const std::string pdf = folder.path() + "list.pdf";
    std::vector<Row> rows;
    for (int i = 1; i <= 30; ++i)
        rows.push_back({zem::Format("初一（%d）班", i), std::to_string(40 + i % 7)});
    TestPage page(rows);
    int dialogs = 0;
    const auto previous = zem::gui::SetPrintDialogHook([&](QPrinter& printer) {
        // The first print is cancelled at the printer choice, the second goes to a file.
        if (++dialogs == 1)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    });
    ScriptedMessages messages;
    page.act = [&](TestPage& p) {
        QTest::mouseClick(p.GetDlgItem(CListBaseDlg::IDC_PRINT), Qt::LeftButton);
        EXPECT_FALSE(std::filesystem::exists(pdf));
        QTest::mouseClick(p.GetDlgItem(CListBaseDlg::IDC_PRINT), Qt::LeftButton);
        p.Select({2});
        SaveScreenshot(&p, "list_page_30_rows");
    };
    RunPage(page);
    zem::gui::SetPrintDialogHook(previous);
    EXPECT_TRUE(messages.messages.empty());

    RenderPage(pdf, 1, TestOutputPath("list_page_printed.png"), 60);
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    ASSERT_FALSE(pages.empty());
    std::vector<std::string> lines;
    for (const PdfPage& printed : pages)
        for (const PdfLine& line : printed.Lines())
            lines.push_back(line.text);
    ASSERT_GE(lines.size(), 32u);
    EXPECT_EQ(lines[0], "班级信息");
    EXPECT_EQ(lines[1], "班级名称人数");
    EXPECT_EQ(lines[2], "初一（1）班41");
    EXPECT_EQ(lines[31], "初一（30）班42");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("id"), std::string::npos) << line;
}

}  // namespace
