#include "support/BasicDataTestSupport.h"

#include "app/data/BatchAddTeacherDlg.h"
#include "app/data/BatchAddTeacherGroupDlg.h"
#include "app/data/ObjectListPages.h"
#include "app/data/TeacherGroupListPage.h"
#include "base/TaskLimits.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/Timers.h"

#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using zem::gui::Dialog;

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

struct PageCase {
    std::function<std::unique_ptr<CBasicDataPage>()> make;
    const char* caption;
    std::function<void(Dialog&)> work;
    std::vector<std::string> names;
};

// The batch-add button of each page opens its dialog, whose rows go through the page's own checks:
// the names the page holds already (also written with ASCII brackets) are dropped without a word.
TEST(BatchAddPages, EachPagesBatchAddPutsItsRowsIntoThePage)
{
    SmallSchool school;
    school.b.Course("p1", "c1", "s1", "t1");
    school.b.Course("p2", "c2", "s1", "t2");
    school.b.Course("p3", "c1", "s2", "t3");
    const PageCase cases[] = {
        {[] { return std::make_unique<CClassListPage>(); }, "批量添加班级",
         [](Dialog& dialog) { Click(dialog, zem::IDOK); },
         {"初一(1)班", "初一(2)班", "初一（3）班", "初一（4）班", "初二（1）班", "初二（2）班", "初二（3）班", "初二（4）班",
          "初三（1）班", "初三（2）班", "初三（3）班", "初三（4）班"}},
        {[] { return std::make_unique<CTeacherListPage>(); }, "批量添加教师",
         [](Dialog& dialog) {
             static_cast<CBatchAddTeacherDlg&>(dialog).GetNamesEdit()->setPlainText(QStringLiteral("张三，Tom\n赵六"));
             Click(dialog, zem::IDOK);
         },
         {"张三", "李四", "王五", "Tom", "赵六"}},
        {[] { return std::make_unique<CRoomListPage>(); }, "批量添加教室",
         [](Dialog& dialog) { Click(dialog, zem::IDOK); },
         {"机房", "操场", "体育馆", "音乐教室", "舞蹈教室", "美术教室", "书法教室"}},
        {[] { return std::make_unique<CTeacherGroupListPage>(); }, "批量添加教师组（根据当前教学计划信息生成）",
         [](Dialog& dialog) {
             Click(dialog, CBatchAddTeacherGroupDlg::IDC_CHECK_ALL);
             Click(dialog, zem::IDOK);
         },
         {"语文组", "数学组"}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.caption);
        ScriptedMessages messages;
        std::unique_ptr<CBasicDataPage> page = c.make();
        std::vector<std::string> captions;
        RunPage<CBasicDataPage>(
            *page,
            [&](CBasicDataPage& p) {
                EXPECT_TRUE(p.IsItemEnabled(CBasicDataPage::IDC_BATCH_ADD));
                Click(p, CBasicDataPage::IDC_BATCH_ADD);
                EXPECT_EQ(ColumnTexts(p, 1), c.names);
                EXPECT_TRUE(p.IsModified());
            },
            [&](Dialog& dialog) {
                captions.push_back(dialog.Caption());
                c.work(dialog);
            });
        EXPECT_EQ(captions, std::vector<std::string>{c.caption});
        // Only the teacher-group batch names what the page refused.
        const std::vector<std::string> expected =
            c.names.back() == "数学组"
                ? std::vector<std::string>{"由于名称已经存在，以下教师组本次没有添加成功：\n\n语文组"}
                : std::vector<std::string>{};
        EXPECT_EQ(messages.Texts(), expected);
    }
}

// A batch that would take the page past the task's limit of teachers is refused before any row is
// sent, naming the limit, and its dialog stays open.
TEST(BatchAddPages, ABatchOverTheLimitAddsNothing)
{
    SmallSchool school;
    QString names;
    for (std::size_t i = 0; i < GetTaskLimit(TaskObjectKind::Teacher).max - 3 + 1; ++i)
        names += QStringLiteral("教师%1，").arg(i);
    ScriptedMessages messages;
    CTeacherListPage page;
    bool stayedOpen = false;
    RunPage<CBasicDataPage>(
        page,
        [&](CBasicDataPage& p) {
            Click(p, CBasicDataPage::IDC_BATCH_ADD);
            EXPECT_EQ(p.GetList()->GetItemCount(), 3);
            EXPECT_FALSE(p.IsModified());
        },
        [&](Dialog& dialog) {
            static_cast<CBatchAddTeacherDlg&>(dialog).GetNamesEdit()->setPlainText(names);
            Click(dialog, zem::IDOK);
            stayedOpen = !dialog.IsEnded();
            dialog.EndDialog(zem::IDCANCEL);
        });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"一个排课任务中的教师不能多于 3000 个（这样会有 3001 个），排课任务将无法再打开。"});
}

// A save asks the task's limits of the page's rows as they stand, whatever put them there (an add,
// a modify, a batch add, a promotion): rooms whose places pass the limit are refused, named, and
// nothing is stored or written.
TEST(BatchAddPages, ASaveOverALimitStoresNothing)
{
    SmallSchool school;
    CScheduleTask& task = school.Reopen();
    std::string input;
    ASSERT_TRUE(zem::ReadFileBytes(task.GetTaskInfo().GetInputFilePath(), input));
    ScriptedMessages messages;
    CRoomListPage page;
    RunPage<CBasicDataPage>(page, [&](CBasicDataPage& p) {
        ASSERT_EQ(p.GetList()->GetItemCount(), 1);
        // Six rooms of 999 places each: more than the task may hold.
        p.GetList()->SetItemText(0, 3, "999");
        for (int i = 0; i < 5; ++i) {
            const int row = p.GetList()->InsertItem(p.GetList()->GetItemCount(), "new" + std::to_string(i));
            p.GetList()->SetItemText(row, 1, "教室" + std::to_string(i));
            p.GetList()->SetItemText(row, 3, "999");
        }
        p.SetModified(true);
        EXPECT_FALSE(p.Save());
        EXPECT_TRUE(p.IsModified());
    });
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{TaskLimitText(GetTaskLimit(TaskObjectKind::RoomPlace), 6 * 999)});
    EXPECT_EQ(task.GetRoom("r1")->GetCapacity(), 2u);
    EXPECT_EQ(task.GetRoomInfoList().GetCount(), 1);
    std::string after;
    ASSERT_TRUE(zem::ReadFileBytes(task.GetTaskInfo().GetInputFilePath(), after));
    EXPECT_TRUE(after == input);
}

TEST(BatchAddPages, BatchAddedRowsCarryTheirShortNamesAndDefaults)
{
    SmallSchool school;
    auto run = [](CBasicDataPage& page, const std::function<void(Dialog&)>& work) {
        RunPage<CBasicDataPage>(
            page, [](CBasicDataPage& p) { Click(p, CBasicDataPage::IDC_BATCH_ADD); }, work);
    };
    CSubjectListPage subjects;
    run(subjects, [](Dialog& dialog) { Click(dialog, zem::IDOK); });
    // The primary-school table less 足球 and 班队, and less 语文 and 数学, which the page holds.
    ASSERT_EQ(subjects.GetList()->GetItemCount(), 2 + 14);
    EXPECT_EQ(RowTexts(subjects, 3), (std::vector<std::string>{"英语", "英", "正常"}));
    CRoomListPage rooms;
    run(rooms, [](Dialog& dialog) { Click(dialog, zem::IDOK); });
    EXPECT_EQ(RowTexts(rooms, 1), (std::vector<std::string>{"操场", "操场", "1"}));
    CClassListPage classes;
    run(classes, [](Dialog& dialog) { Click(dialog, zem::IDOK); });
    EXPECT_EQ(RowTexts(classes, 2), (std::vector<std::string>{"初一（3）班", "703", "正常", ""}));
}

TEST(BatchAddPages, AClassPageWithoutClassesOffersTheBatchAddByItself)
{
    SmallSchool school;
    school.Task().GetClassInfoList().RemoveAll();
    zem::gui::FakeClock clock;
    CClassListPage page;
    std::vector<std::string> captions;
    RunPage<CBasicDataPage>(
        page,
        [&](CBasicDataPage&) {
            clock.Advance(499);
            EXPECT_TRUE(captions.empty());
            clock.Advance(1);
            EXPECT_EQ(captions, std::vector<std::string>{"批量添加班级"});
            clock.Advance(1000);
            EXPECT_EQ(captions.size(), 1u);
        },
        [&](Dialog& dialog) { captions.push_back(dialog.Caption()); });
}

// A window opened before the offer is due keeps it from opening over it. The user's act on the page
// cancels the offer, also after the window it opened has closed; a window from elsewhere that is
// open when the offer falls due lets it pass.
TEST(BatchAddPages, TheClassPagesOfferNeverOpensOverAWindowOpenedMeanwhile)
{
    struct Case {
        const char* name;
        std::function<void(CBasicDataPage&)> open;
        int openFor;  // ms the window stays open
    };
    const Case cases[] = {
        {"the page's add", [](CBasicDataPage& p) { Click(p, CBasicDataPage::IDC_ADD); }, 0},
        {"a window from elsewhere",
         [](CBasicDataPage&) {
             Dialog other(nullptr, "别的窗口", zem::Size{100, 60});
             other.DoModal();
         },
         1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmallSchool school;
        school.Task().GetClassInfoList().RemoveAll();
        zem::gui::FakeClock clock;
        CClassListPage page;
        std::vector<std::string> captions;
        RunPage<CBasicDataPage>(
            page,
            [&](CBasicDataPage& p) {
                clock.Advance(200);
                c.open(p);
                clock.Advance(1000);
                EXPECT_EQ(clock.PendingCount(), 0u);
            },
            [&](Dialog& dialog) {
                captions.push_back(dialog.Caption());
                clock.Advance(c.openFor);
                dialog.EndDialog(zem::IDCANCEL);
            });
        EXPECT_EQ(captions.size(), 1u);
        EXPECT_EQ(std::count(captions.begin(), captions.end(), "批量添加班级"), 0);
    }
}

TEST(BatchAddPages, PromotionRenamesTheRowsAndTheSavedTaskFindsTheNewNames)
{
    SmallSchool school;
    CClassListPage page;
    RunPage<CBasicDataPage>(
        page,
        [&](CBasicDataPage& p) {
            ASSERT_TRUE(p.IsItemEnabled(CClassListPage::IDC_PROMOTE));
            Click(p, CClassListPage::IDC_PROMOTE);
            EXPECT_EQ(ColumnTexts(p, 1), (std::vector<std::string>{"初二(1)班", "初二(2)班"}));
            EXPECT_EQ(ColumnTexts(p, 2), (std::vector<std::string>{"初一2", "初一3"}));
            EXPECT_TRUE(p.IsModified());
            EXPECT_TRUE(p.Save());
        },
        [](Dialog& dialog) { Click(dialog, zem::IDOK); });
    const CZemObject* promoted = school.Task().GetClassInfoList().FindByName("初二(1)班");
    ASSERT_NE(promoted, nullptr);
    EXPECT_EQ(promoted->GetId(), "c1");
    EXPECT_EQ(static_cast<const CClassInfo*>(promoted)->GetShortName(), "初一2");
}

}  // namespace
