#pragma once
// What the tests of the basic-data pages share: a small school in a folder of its own, installed
// as the open task; running a page with a script; sending it rows as the dialogs and imports do.
#include "support/FakeAppServices.h"
#include "support/ScreenTestSupport.h"

#include "app/controls/PageNotify.h"
#include "app/data/BasicDataPage.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/XlsxWriter.h"
#include "platform/Files.h"
#include "platform/gui/ReportList.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Teachers 张三 (t1), 李四 (t2), 王五 (t3); classes 初一(1)班 (c1), 初一(2)班 (c2); subjects 语文
// (s1), 数学 (s2); the room 机房 (r1, two classes at once); the group 语文组 of 张三. The task
// saves into a folder of the test.
class SmallSchool {
public:
    SmallSchool()
    {
        b.Teacher("t1", "张三", "张");
        b.Teacher("t2", "李四", "李");
        b.Teacher("t3", "王五", "王");
        b.Class("c1", "初一(1)班", "初一1")->SetHeadTeacherName("张三");
        b.Class("c2", "初一(2)班", "初一2");
        b.Subject("s1", "语文", "语");
        b.Subject("s2", "数学", "数");
        b.Room("r1", "机房", 2);
        b.Group("g1", "语文组", {"t1"});
        Task().GetTaskInfo().SetTaskFolder(folder.path());
        services.task = &Task();
    }

    // The built task until Reopen, then the one read from disk.
    CScheduleTask& Task() { return reopened ? *reopened : b.Task(); }

    // Writes the built task's files and opens them as the program opens a user's task; that task
    // is then the open one.
    CScheduleTask& Reopen()
    {
        CTaskInfo& info = b.Task().GetTaskInfo();
        info.SetTaskName("测试");
        EXPECT_TRUE(info.WriteToFile());
        EXPECT_TRUE(b.Task().SaveInputData());
        EXPECT_TRUE(b.Task().SaveOutputData());
        reopened = std::make_unique<CScheduleTask>();
        EXPECT_TRUE(reopened->Open(info.GetTaskFile()));
        services.task = reopened.get();
        return *reopened;
    }

    TempFolder folder;
    SchoolBuilder b;
    FakeAppServices services;
    std::unique_ptr<CScheduleTask> reopened;
};

// A copy of the demo school, opened and installed as the open task.
class DemoSchool {
public:
    DemoSchool()
    {
        const bool copied = zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", folder.path()) == 0;
        EXPECT_TRUE(copied);
        task = Open(TaskAccess::ReadWrite);
        services.task = task.get();
    }

    // The task as its files hold it now; read only, beside the open task that holds the folder.
    std::unique_ptr<CScheduleTask> Open(TaskAccess access = TaskAccess::ReadOnly) const
    {
        auto opened = std::make_unique<CScheduleTask>();
        if (!opened->Open(folder / "演示排课.zem", access))
            return nullptr;
        return opened;
    }

    TempFolder folder;
    std::unique_ptr<CScheduleTask> task;
    FakeAppServices services;
};

// Runs the page modally; `act` works it once it is built and shown, `onDialog` every other dialog
// it opens. The page answers IDCANCEL unless `act` ends it otherwise.
template <class Page>
int RunPage(Page& page, const std::function<void(Page&)>& act,
            const std::function<void(zem::gui::Dialog&)>& onDialog = {})
{
    ModalScope scope([&](zem::gui::Dialog& dialog) {
        if (&dialog == &page)
            act(page);
        else if (onDialog)
            onDialog(dialog);
    });
    return page.DoModal();
}

struct SentRow {
    zem::LRESULT answer = 0;
    CPageNotify notify;
};

// Sends the row as its senders do: dialogs (replace = modify), batch adds (quiet), imports (quiet,
// byName).
inline SentRow SendRow(CListBaseDlg& page, const CPageRow& cells, int replace = 0, bool quiet = false,
                       bool byName = false)
{
    SentRow sent;
    sent.notify.replace = replace;
    sent.notify.quiet = quiet;
    sent.notify.byName = byName;
    sent.answer = page.Send(WM_PAGE_ROW, zem::ToWParam(&sent.notify), zem::ToLParam(&cells));
    return sent;
}

// The texts of a column, row by row.
inline std::vector<std::string> ColumnTexts(const CListBaseDlg& page, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < page.GetList()->GetItemCount(); ++row)
        texts.push_back(page.GetList()->GetItemText(row, column));
    return texts;
}

inline std::vector<std::string> RowTexts(const CListBaseDlg& page, int row)
{
    std::vector<std::string> texts;
    for (int column = 1; column < page.GetList()->GetColumnCount(); ++column)
        texts.push_back(page.GetList()->GetItemText(row, column));
    return texts;
}

inline void SelectRow(CListBaseDlg& page, int row)
{
    page.GetList()->ClearSelectedRows();
    page.GetList()->SetSelected(row, true);
}

// A workbook of the rows under the headings in row 1, as a page's template filled in; its path.
inline std::string WriteImportSheet(const std::string& path, const std::vector<std::string>& headings,
                                    const std::vector<std::vector<std::string>>& rows)
{
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    auto put = [&](int row, const std::vector<std::string>& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (!texts[i].empty())
                sheet.GetRange(zem::workbook::CellName(row, static_cast<int>(i) + 1)).SetValue(texts[i]);
    };
    put(1, headings);
    for (std::size_t r = 0; r < rows.size(); ++r)
        put(static_cast<int>(r) + 2, rows[r]);
    zem::workbook::SaveXlsx(book, path);
    return path;
}
