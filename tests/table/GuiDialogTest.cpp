#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ReportList.h"
#include "support/ModalScope.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using zem::gui::Dialog;
using zem::gui::ReportList;

// A dialog of an OK button, a Cancel button, a third command and an edit, recording what reaches it.
class SampleDialog : public Dialog {
public:
    explicit SampleDialog(QWidget* parent = nullptr) : Dialog(parent, "样例", {200, 100}) {}

    std::vector<std::string> calls;
    bool refuseClose = false;
    bool swallowEnter = false;
    bool endWhileBuilding = false;

protected:
    bool OnInitDialog() override
    {
        auto* ok = new QPushButton(QStringLiteral("确定"), this);
        ok->setDefault(true);
        AddControl(1, ok);
        AddControl(2, new QPushButton(QStringLiteral("取消"), this));
        AddControl(1026, new QPushButton(QStringLiteral("添加(&A)"), this));
        AddControl(1003, new QLineEdit(this));
        calls.push_back("init");
        if (endWhileBuilding)
            EndDialog(7);
        return true;
    }
    void OnOK() override
    {
        calls.push_back("ok");
        Dialog::OnOK();
    }
    void OnCancel() override
    {
        calls.push_back("cancel");
        Dialog::OnCancel();
    }
    void OnClose() override
    {
        calls.push_back("close");
        if (!refuseClose)
            OnCancel();
    }
    void OnCommand(int id) override
    {
        calls.push_back("command " + std::to_string(id));
        Dialog::OnCommand(id);
    }
    bool PreTranslateKey(QKeyEvent* event) override
    {
        return swallowEnter && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter);
    }
};

QPushButton* Button(Dialog& dialog, int id)
{
    return dialog.Item<QPushButton>(id);
}

TEST(GuiDialog, TheHookWorksTheDialogAndDoModalAnswersWhatItEndedWith)
{
    struct Case {
        const char* name;
        std::function<void(SampleDialog&)> act;
        int answer;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"OK button", [](SampleDialog& d) { QTest::mouseClick(Button(d, 1), Qt::LeftButton); }, zem::IDOK,
         {"init", "command 1", "ok"}},
        {"Cancel button", [](SampleDialog& d) { QTest::mouseClick(Button(d, 2), Qt::LeftButton); }, zem::IDCANCEL,
         {"init", "command 2", "cancel"}},
        // Escape cancels without passing the close handler (the close prompt of list pages).
        {"Escape", [](SampleDialog& d) { QTest::keyClick(d.GetDlgItem(1003), Qt::Key_Escape); }, zem::IDCANCEL,
         {"init", "cancel"}},
        {"close box", [](SampleDialog& d) { d.close(); }, zem::IDCANCEL, {"init", "close", "cancel"}},
        {"close box refused", [](SampleDialog& d) {
             d.refuseClose = true;
             d.close();
             EXPECT_TRUE(d.isVisible());
         },
         zem::IDCANCEL, {"init", "close"}},
        {"other command", [](SampleDialog& d) { QTest::mouseClick(Button(d, 1026), Qt::LeftButton); }, zem::IDCANCEL,
         {"init", "command 1026"}},
        {"Enter presses the default button", [](SampleDialog& d) { QTest::keyClick(d.GetDlgItem(1003), Qt::Key_Return); },
         zem::IDOK, {"init", "command 1", "ok"}},
        {"Enter swallowed by the key filter", [](SampleDialog& d) {
             d.swallowEnter = true;
             QTest::keyClick(d.GetDlgItem(1003), Qt::Key_Return);
         },
         zem::IDCANCEL, {"init"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModalScope scope([&](Dialog& dialog) {
            auto& sample = dynamic_cast<SampleDialog&>(dialog);
            EXPECT_TRUE(sample.isVisible());
            c.act(sample);
        });
        SampleDialog dialog;
        EXPECT_EQ(dialog.DoModal(), c.answer);
        EXPECT_EQ(dialog.calls, c.calls);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(GuiDialog, ControlsByIdAndADialogEndedWhileBuilding)
{
    int hookCalls = 0;
    ModalScope scope([&](Dialog&) { ++hookCalls; });
    SampleDialog dialog;
    dialog.endWhileBuilding = true;
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_EQ(hookCalls, 0);

    dialog.SetDlgItemText(1003, "初一（1）班");
    EXPECT_EQ(dialog.GetDlgItemText(1003), "初一（1）班");
    EXPECT_EQ(dialog.GetDlgItemText(1026), "添加(&A)");
    dialog.EnableItem(1026, false);
    EXPECT_FALSE(dialog.IsItemEnabled(1026));
    EXPECT_EQ(dialog.GetDlgCtrlID(dialog.GetDlgItem(2)), 2);
    EXPECT_EQ(dialog.GetDlgItem(9999), nullptr);
    dialog.SetDlgItemText(9999, "nothing");  // no such control: nothing happens
    EXPECT_EQ(dialog.Caption(), "样例");
}

TEST(GuiDialog, NestedDialogsPassTheHookEachInTurn)
{
    std::vector<std::string> order;
    ModalScope scope([&](Dialog& dialog) {
        order.push_back(dialog.Caption());
        if (dialog.Caption() == "外层") {
            SampleDialog inner(&dialog);
            inner.SetCaption("内层");
            EXPECT_EQ(inner.DoModal(), zem::IDCANCEL);
            dialog.EndDialog(zem::IDOK);
        }
    });
    SampleDialog outer;
    outer.SetCaption("外层");
    EXPECT_EQ(outer.DoModal(), zem::IDOK);
    EXPECT_EQ(order, (std::vector<std::string>{"外层", "内层"}));
}

TEST(GuiDialog, DialogUnitsFollowTheFont)
{
    SampleDialog dialog;
    const zem::gui::DialogUnits& units = dialog.Units();
    EXPECT_GT(units.baseX, 3);
    EXPECT_GT(units.baseY, 8);
    EXPECT_EQ(units.X(4), units.baseX);
    EXPECT_EQ(units.Y(8), units.baseY);
    EXPECT_EQ(dialog.width(), units.X(200));
    EXPECT_EQ(dialog.height(), units.Y(100));
    const zem::Rect rect = dialog.UnitsRect(4, 8, 40, 16);
    EXPECT_EQ(rect.left, units.baseX);
    EXPECT_EQ(rect.Height(), 2 * units.baseY);
}

TEST(GuiDialog, MessageBoxesFromAWorkerAreShownOnTheGuiThreadWhileItWaits)
{
    zem::gui::InstallMessageBoxes();
    // Answers the box that comes up with 否 once it is there.
    QTimer answer;
    std::string shownText;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            shownText = box->text().toStdString();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QStringLiteral("否(&N)"))
                    button->click();
            }
        }
    });
    answer.start(10);

    std::atomic<bool> done{false};
    int result = 0;
    std::thread worker([&] {
        zem::MessageRequest request;
        request.text = "保存失败，要重试吗？";
        request.buttons = zem::MessageButtons::YesNo;
        request.icon = zem::MessageIcon::Question;
        result = zem::ShowMessage(request);
        done = true;
    });
    EXPECT_TRUE(zem::gui::WaitWhile([&] { return !done.load(); }, 10000));
    worker.join();
    answer.stop();
    zem::SetMessageHook({});
    EXPECT_EQ(result, zem::IDNO);
    EXPECT_EQ(shownText, "保存失败，要重试吗？");
}

// A message naming every rule a change broke, hundreds of lines, stays within the screen: its first
// line and its question stay in sight, the lines between scroll, and its buttons answer.
TEST(GuiDialog, ALongMessageScrollsBetweenItsFirstAndLastLines)
{
    zem::gui::InstallMessageBoxes();
    const zem::gui::WorkAreaHook area = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1024, 700); });
    std::string text = "保存后以下课程违反了排课规则：\n";
    for (int i = 1; i <= 300; ++i)
        text += zem::Format("初一(%d)班 体育(秦平 操场)排在周三下午第%d节，这是科目体育的固定不排课时间\n", i, i % 4 + 1);
    text += "是否仍然保存？";
    // Works the box once it is up, inside its own modal loop.
    QTimer answer;
    bool seen = false;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* list = widget->isVisible() ? widget->findChild<QPlainTextEdit*>("zem_message_list") : nullptr;
            if (!list)
                continue;
            answer.stop();
            seen = true;
            EXPECT_LE(widget->frameGeometry().height(), 700);
            EXPECT_EQ(list->toPlainText().count('\n'), 299);
            EXPECT_GT(list->verticalScrollBar()->maximum(), 0) << "the lines between scroll";
            std::vector<std::string> labels;
            for (const QLabel* label : widget->findChildren<QLabel*>())
                labels.push_back(label->text().toStdString());
            EXPECT_NE(std::find(labels.begin(), labels.end(), "保存后以下课程违反了排课规则："), labels.end());
            EXPECT_NE(std::find(labels.begin(), labels.end(), "是否仍然保存？"), labels.end());
            widget->grab().save(QString::fromStdString(std::string(ZEM_TEST_OUTPUT_DIR) + "/long-message.png"));
            QPushButton* yes = nullptr;
            for (QPushButton* button : widget->findChildren<QPushButton*>()) {
                EXPECT_TRUE(button->isVisible());
                EXPECT_LE(button->mapTo(widget, QPoint(0, button->height())).y(), widget->height());
                if (button->text() == QStringLiteral("是(&Y)"))
                    yes = button;
            }
            ASSERT_TRUE(yes);
            yes->click();
        }
    });
    answer.start(10);
    zem::MessageRequest request;
    request.text = text;
    request.buttons = zem::MessageButtons::YesNo;
    request.icon = zem::MessageIcon::Question;
    EXPECT_EQ(zem::ShowMessage(request), zem::IDYES);
    answer.stop();
    zem::SetMessageHook({});
    zem::gui::SetWorkAreaHook(area);
    EXPECT_TRUE(seen);
}

// A list of three columns: id (hidden), name, number.
void Fill(ReportList& list, const std::vector<std::pair<std::string, int>>& rows)
{
    list.InsertColumn(0, "", ReportList::Align::Left, 0);
    list.InsertColumn(1, "名称");
    list.InsertColumn(2, "人数", ReportList::Align::Right);
    for (const auto& [name, number] : rows) {
        const int row = list.InsertItem(list.GetItemCount(), "id-" + name, static_cast<std::uintptr_t>(number));
        list.SetItemText(row, 1, name);
        list.SetItemText(row, 2, std::to_string(number));
    }
}

TEST(GuiReportList, RowsKeepTheirTextsDataChecksAndSelectionThroughSortsAndSwaps)
{
    ReportList list;
    // 张 comes before 李 in code point order and after it in GBK (pinyin) order.
    Fill(list, {{"张三", 3}, {"李四", 1}, {"王五", 2}, {"李四", 4}});
    ASSERT_EQ(list.GetItemCount(), 4);
    list.SetCheckBoxes(true, 1);
    list.SetCheck(0, true);
    list.SetSelected(0, true);
    list.SetSelected(2, true);

    list.SortItems([&](int a, int b) { return zem::CompareGbk(list.GetItemText(a, 1), list.GetItemText(b, 1)); });
    std::vector<std::string> names;
    std::vector<std::uintptr_t> data;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        names.push_back(list.GetItemText(row, 1));
        data.push_back(list.GetItemData(row));
        EXPECT_EQ(list.GetItemText(row, 2), std::to_string(list.GetItemData(row)));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"李四", "李四", "王五", "张三"}));
    EXPECT_EQ(data, (std::vector<std::uintptr_t>{1, 4, 2, 3}));  // equal names keep their order
    EXPECT_EQ(list.GetSelectedRows(), (std::vector<int>{2, 3}));
    EXPECT_TRUE(list.GetCheck(3));
    EXPECT_FALSE(list.GetCheck(0));

    list.SwapItems(0, 3);
    EXPECT_EQ(list.GetItemText(0, 1), "张三");
    EXPECT_EQ(list.GetItemData(0), 3u);
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_EQ(list.GetSelectedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(list.FindItemData(4), 1);
    EXPECT_EQ(list.FindItemData(99), -1);
}

TEST(GuiReportList, PositionsOutOfRangeAreSafe)
{
    ReportList empty;
    EXPECT_EQ(empty.InsertItem(0, "x"), -1);  // no columns yet
    ReportList list;
    Fill(list, {{"甲", 1}});
    EXPECT_EQ(list.InsertItem(99, "end"), 1);
    EXPECT_EQ(list.InsertItem(0, "front"), 0);
    EXPECT_EQ(list.GetItemText(0, 0), "front");
    EXPECT_FALSE(list.SetItemText(7, 1, "x"));
    EXPECT_FALSE(list.DeleteItem(-1));
    EXPECT_EQ(list.GetItemText(3, 1), "");
    EXPECT_EQ(list.GetItemData(-2), 0u);
    EXPECT_EQ(list.GetFirstSelected(), -1);
    list.SetSelected(5, true);
    EXPECT_EQ(list.GetSelectedCount(), 0);
    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(list.GetItemCount(), 2);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST(GuiReportList, UserActionsReachTheOwner)
{
    ReportList list;
    Fill(list, {{"甲", 1}, {"乙", 2}});
    list.SetCheckBoxes(true, 1);
    list.resize(300, 200);
    list.show();
    QApplication::processEvents();

    std::vector<std::pair<int, bool>> checks;
    std::vector<int> columns;
    std::vector<int> doubleClicks;
    int selectionChanges = 0;
    list.onCheckChanged = [&](int row, bool checked) { checks.emplace_back(row, checked); };
    list.onColumnClick = [&](int column) { columns.push_back(column); };
    list.onDoubleClick = [&](int row) { doubleClicks.push_back(row); };
    list.onSelectionChanged = [&] { ++selectionChanges; };

    // Programmatic checks are not the user's.
    list.SetCheck(1, true);
    EXPECT_TRUE(checks.empty());

    const QRect cell = list.visualRect(list.model()->index(1, 2));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(list.GetSelectedRows(), (std::vector<int>{1}));
    EXPECT_GT(selectionChanges, 0);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(doubleClicks, (std::vector<int>{1}));

    // The check box sits at the left of column 1.
    const QRect nameCell = list.visualRect(list.model()->index(0, 1));
    list.model()->setData(list.model()->index(0, 1), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(checks, (std::vector<std::pair<int, bool>>{{0, true}}));
    EXPECT_TRUE(nameCell.isValid());

    auto* header = list.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    EXPECT_EQ(columns, (std::vector<int>{2}));
    // The view never sorts by itself.
    EXPECT_EQ(list.GetItemText(0, 1), "甲");
}

}  // namespace

namespace {

TEST(GuiFileDialogs, FiltersAsTheProgramWritesThemAndTheTestHook)
{
    EXPECT_EQ(zem::gui::ToToolkitFilter("Excel文件|*.xlsx;*.xls|所有文件|*.*||"),
              "Excel文件 (*.xlsx *.xls);;所有文件 (*)");
    EXPECT_EQ(zem::gui::ToToolkitFilter(""), "");

    std::vector<zem::gui::FileDialogRequest> asked;
    auto previous = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
        asked.push_back(request);
        return request.kind == zem::gui::FileDialogRequest::Kind::Folder ? std::string("/tmp/备份/") : std::string();
    });
    zem::gui::FileDialogRequest folder;
    folder.kind = zem::gui::FileDialogRequest::Kind::Folder;
    folder.title = "选择备份位置";
    EXPECT_EQ(zem::gui::ChooseFile(nullptr, folder), "/tmp/备份/");
    EXPECT_EQ(zem::gui::ChooseFile(nullptr, {}), "");  // cancelled
    zem::gui::SetFileDialogHook(std::move(previous));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "选择备份位置");
}

}  // namespace
