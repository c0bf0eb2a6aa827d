// The proctoring page as a user works it, offscreen, on a copy of the demo task: exams, teachers,
// the assignment and its three views, changes by hand, saving and reopening, the proctorings' names,
// and a save that fails.
#include "app/proctor/ProctorDlg.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/controls/NameInputDlg.h"
#include "app/proctor/ExamPlanDlg.h"
#include "app/proctor/ProctorAssignment.h"
#include "app/proctor/ProctorProgressDlg.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "app/output/workbook/WorkbookReader.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"
#include "support/BasicDataTestSupport.h"
#include "support/DataDialogTestSupport.h"
#include "support/ProctorSchool.h"
#include "support/WorkerLatch.h"

#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace {

using Strings = std::vector<std::string>;
using zem::gui::Dialog;
using zem::gui::ItemList;
using zem::gui::ReportList;

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

// Records every message box; answers the first one whose text holds a part as told, the others as
// Enter would (Yes for a question).
class Answers {
public:
    Answers()
    {
        m_previous = zem::SetMessageHook([this](const zem::MessageRequest& request) {
            texts.push_back(request.text);
            for (auto rule = m_rules.begin(); rule != m_rules.end(); ++rule) {
                if (request.text.find(rule->first) != std::string::npos) {
                    const int answer = rule->second;
                    m_rules.erase(rule);
                    return answer;
                }
            }
            const bool question = request.buttons == zem::MessageButtons::YesNo ||
                                  request.buttons == zem::MessageButtons::YesNoCancel;
            return question ? int(zem::IDYES) : int(zem::IDOK);
        });
    }
    ~Answers() { zem::SetMessageHook(m_previous); }
    void Answer(const std::string& part, int answer) { m_rules.push_back({part, answer}); }
    bool Saw(const std::string& part) const
    {
        return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
    }

    Strings texts;

private:
    std::vector<std::pair<std::string, int>> m_rules;
    zem::MessageHook m_previous;
};

// The program's screen and a fixed draw of the assignment without its pauses.
class PageTest : public testing::Test {
protected:
    PageTest()
    {
        m_area = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1280, 800); });
        CProctorRunOptions options;
        options.seed = 9;
        options.pacing = false;
        CProctorProgressDlg::SetRunOptionsForTesting(options);
    }
    ~PageTest() override
    {
        CProctorProgressDlg::SetRunOptionsForTesting(std::nullopt);
        zem::gui::SetWorkAreaHook(m_area);
    }

    CScheduleTask& Task() { return *demo.task; }
    std::string ProctorFolder() { return Task().GetTaskInfo().GetProctorFolder(); }

    // Runs a page; `act` works it; every dialog it opens takes the next step queued with Then.
    void RunPage(const std::function<void(CProctorDlg&)>& act)
    {
        CProctorDlg page;
        script.Then([&](Dialog& shown) {
            ASSERT_EQ(&shown, &page);
            act(page);
        });
        page.DoModal();
        EXPECT_TRUE(page.IsEnded());
    }
    void Then(DialogScript::Step step) { script.Then(std::move(step)); }

    DemoSchool demo;
    Answers answers;
    MenuScript menus;
    DialogScript script;

private:
    zem::gui::WorkAreaHook m_area;
};

template <class D>
D& As(Dialog& dialog)
{
    auto* typed = dynamic_cast<D*>(&dialog);
    EXPECT_NE(typed, nullptr) << dialog.Caption();
    return *typed;
}

ItemList& ChooserList(CMultiSelectDlg& chooser)
{
    return *chooser.Item<ItemList>(CMultiSelectDlg::IDC_LIST);
}

// Ticks an item of a chooser as the user does.
void Tick(CMultiSelectDlg& chooser, int index)
{
    ItemList& list = ChooserList(chooser);
    list.EnsureVisible(index);
    ClickCheck(list, index);
}

// The row of a teacher in a chooser; -1 when not listed.
int ChooserIndex(CMultiSelectDlg& chooser, const std::string& id)
{
    ItemList& list = ChooserList(chooser);
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (list.GetItemPtr<CZemObject>(i)->GetId() == id)
            return i;
    return -1;
}

// A chooser that ends with only its first `count` items ticked.
DialogScript::Step ChooseFirst(int count)
{
    return [count](Dialog& shown) {
        auto& chooser = As<CMultiSelectDlg>(shown);
        Click(chooser, CMultiSelectDlg::IDC_CHECK_NONE);
        for (int i = 0; i < count; ++i)
            Tick(chooser, i);
        Click(chooser, zem::IDOK);
    };
}

// The exam dialog: rooms from the classes or the task's rooms, a time, OK.
DialogScript::Step AddExamStep(QTime start, QTime end, int roomsCommand)
{
    return [=](Dialog& shown) {
        auto& plan = As<CExamPlanDlg>(shown);
        plan.SendCommand(roomsCommand);
        plan.Item<QTimeEdit>(CExamPlanDlg::IDC_START)->setTime(start);
        plan.Item<QTimeEdit>(CExamPlanDlg::IDC_END)->setTime(end);
        Click(plan, zem::IDOK);
    };
}

// Waits for the assignment's window to close itself.
void WaitForRun(Dialog& shown)
{
    auto& progress = As<CProctorProgressDlg>(shown);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress.IsEnded(); }, 20000));
}

Strings Column(const ReportList& list, int column)
{
    Strings texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

// Rows whose hidden text changes exactly where the group (the column's text) changes, starting white.
void ExpectGroupsAlternate(const ReportList& list, int groupColumn)
{
    ASSERT_GT(list.GetItemCount(), 0);
    bool grey = false;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (row > 0 && list.GetItemText(row, groupColumn) != list.GetItemText(row - 1, groupColumn))
            grey = !grey;
        EXPECT_EQ(list.GetItemText(row, 0), grey ? " " : "") << "row " << row;
    }
}

QColor RowBackground(ReportList& list, int row)
{
    const QImage image = Snapshot(list.viewport());
    // The right end of the room's cell, past its short name.
    const int x = list.columnViewportPosition(3) + list.columnWidth(3) - 3;
    const int y = list.rowViewportPosition(row) + list.rowHeight(row) / 2;
    return image.pixelColor(x, y);
}

std::string Bytes(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(zem::ReadFileBytes(path, bytes)) << path;
    return bytes;
}

// One field of every exam or item, in list order.
template <class List, class Field>
Strings Fields(const List& list, Field field)
{
    Strings texts;
    for (const auto& element : list)
        texts.push_back((*element).*field);
    return texts;
}

Strings PlanIds(const CProctorData& data)
{
    return Fields(data.GetPlanList(), &CProctorData::Plan::id);
}

TEST_F(PageTest, AJourneyFromTheFirstExamToTheSavedArrangement)
{
    Strings order;
    std::string inXml, outXml;
    RunPage([&](CProctorDlg& page) {
        // The first use of the task: the default proctoring with every teacher.
        EXPECT_EQ(page.Caption(), LoadResString(2) + " - 排监考");
        ASSERT_NE(page.GetProctor(), nullptr);
        EXPECT_EQ(page.GetProctor()->GetName(), "未命名的监考");
        const int teachers = Task().GetTeacherInfoList().GetCount();
        EXPECT_EQ(page.GetTeacherList()->GetItemCount(), teachers);
        EXPECT_EQ(page.GetTeacherPanel().m_title, "2 监考教师列表 (" + std::to_string(teachers) + ")");
        EXPECT_EQ(page.GetRecentList().GetAt(0), "未命名的监考");
        EXPECT_FALSE(page.IsModified());

        // Three exams: two that touch, and one at the same time as the first in other rooms.
        Then([&](Dialog& shown) {
            auto& plan = As<CExamPlanDlg>(shown);
            Click(plan, zem::IDOK);
            EXPECT_TRUE(answers.Saw("没有指定考场"));
            plan.SendCommand(CExamPlanDlg::ID_ROOMS_FROM_CLASSES);
            plan.Item<QTimeEdit>(CExamPlanDlg::IDC_END)->setTime(QTime(8, 30));
            Click(plan, zem::IDOK);
            EXPECT_TRUE(answers.Saw("结束时间必须晚于开始时间"));
            EXPECT_FALSE(plan.IsEnded());
            plan.Item<QTimeEdit>(CExamPlanDlg::IDC_END)->setTime(QTime(11, 0));
            Click(plan, zem::IDOK);
        });
        Then(ChooseFirst(4));
        Click(page, CProctorDlg::IDC_ADD);
        Then(AddExamStep(QTime(11, 0), QTime(12, 0), CExamPlanDlg::ID_ROOMS_FROM_CLASSES));
        Then(ChooseFirst(4));
        Click(page, CProctorDlg::IDC_ADD);
        Then(AddExamStep(QTime(10, 0), QTime(11, 30), CExamPlanDlg::ID_ROOMS_FROM_ROOMS));
        Then(ChooseFirst(3));
        Click(page, CProctorDlg::IDC_ADD);
        ASSERT_EQ(page.GetPlanList()->GetItemCount(), 3);
        EXPECT_EQ(page.GetPlanList()->GetItemText(0, 3), "2");
        EXPECT_EQ(page.GetPlanList()->GetItemText(2, 4), "3");
        EXPECT_TRUE(page.IsModified());
        CProctorData& data = page.GetProctor()->data();

        // The teachers of the first six classes.
        page.SendCommand(CProctorDlg::ID_TEACHERS_CLEAR);
        EXPECT_EQ(page.GetTeacherList()->GetItemCount(), 0);
        Then(ChooseFirst(6));
        page.SendCommand(CProctorDlg::ID_TEACHERS_BY_CLASS);
        std::vector<CZemObject*> classes;
        MapToOrderedList(Task().GetClassInfoList(), classes);
        std::set<std::string> expected;
        for (int i = 0; i < 6; ++i)
            for (const auto& [id, object] : Task().GetCourseInfoList())
                if (const auto* plan = static_cast<CCourseInfo*>(object);
                    plan->GetClassId() == classes[static_cast<std::size_t>(i)]->GetId() && !plan->GetTeacherId().empty())
                    expected.insert(plan->GetTeacherId());
        EXPECT_EQ(std::set<std::string>(data.GetTeacherArray().begin(), data.GetTeacherArray().end()), expected);
        EXPECT_EQ(page.GetTeacherList()->GetItemCount(), static_cast<int>(expected.size()));

        Then(WaitForRun);
        Click(page, CProctorDlg::IDC_START);
        ASSERT_EQ(data.GetProctorList().size(), 11u);
        for (const CProctorData::ProctorItem* first : ItemsOf(data, data.GetPlanList()[0]->id))
            for (const CProctorData::ProctorItem* third : ItemsOf(data, data.GetPlanList()[2]->id))
                for (const std::string& id : first->teachers)
                    EXPECT_FALSE(StringArrayContainsNoCase(third->teachers, id)) << id;

        // The three views, groups alternating white and grey.
        ReportList& results = *page.GetResultList();
        EXPECT_EQ(page.GetResultPanel().m_title, "5 监考安排表 - 按考试计划（点击鼠标右键可以更改监考教师）");
        EXPECT_EQ(results.GetItemCount(), 11);
        ExpectGroupsAlternate(results, 1);
        EXPECT_EQ(RowBackground(results, 0), QColor(255, 255, 255));
        EXPECT_EQ(RowBackground(results, 4), QColor(243, 243, 243));
        SaveScreenshot(&page, "proctor_page_by_plan");
        menus.choices.push_back("按监考教师显示");
        Click(page, CProctorDlg::IDC_RESULT_MENU);
        EXPECT_EQ(page.GetResultShowBy(), 1);
        EXPECT_EQ(results.GetColumnHeading(1), "监考教师");
        ExpectGroupsAlternate(results, 1);
        SaveScreenshot(&page, "proctor_page_by_teacher");
        page.SendCommand(CProctorDlg::ID_SHOW_BY_ROOM);
        EXPECT_EQ(results.GetColumnHeading(1), "考场");
        EXPECT_EQ(results.GetItemCount(), 11);
        ExpectGroupsAlternate(results, 1);
        SaveScreenshot(&page, "proctor_page_by_room");
        EXPECT_EQ(Task().GetConfigInt("Proctor", "ResultShowBy", 0), 2);
        page.SendCommand(CProctorDlg::ID_SHOW_BY_PLAN);

        // The second exam moves up, in the list and in the proctoring.
        const Strings before = PlanIds(data);
        page.GetPlanList()->SetSelected(1, true);
        page.SendCommand(CProctorDlg::ID_PLAN_UP);
        order = {before[1], before[0], before[2]};
        EXPECT_EQ(PlanIds(data), order);
        EXPECT_EQ(Column(*page.GetPlanList(), 0), order);

        // One room's invigilators by hand: a teacher of another room of the exam is refused.
        results.SetSelected(0, true);
        CProctorData::ProctorItem* item = data.GetProctorList()[0].get();
        const std::string busy = data.GetProctorList()[1]->teachers.at(0);
        // Free of the exam and of the one at the same time; the one after it does not count.
        std::string free;
        for (const std::string& id : data.GetTeacherArray()) {
            bool used = false;
            for (const auto& other : data.GetProctorList())
                used = used || (other->plan != order[0] && StringArrayContainsNoCase(other->teachers, id));
            if (!used && free.empty())
                free = id;
        }
        ASSERT_FALSE(free.empty());
        Then([&](Dialog& shown) {
            auto& chooser = As<CMultiSelectDlg>(shown);
            auto indexOf = [&](const std::string& id) { return ChooserIndex(chooser, id); };
            ASSERT_GE(indexOf(busy), 0);
            Tick(chooser, indexOf(busy));
            Click(chooser, zem::IDOK);
            EXPECT_FALSE(chooser.IsEnded());
            EXPECT_TRUE(answers.Saw("已安排在这场考试的考场"));
            Tick(chooser, indexOf(busy));
            Tick(chooser, indexOf(free));
            Click(chooser, zem::IDOK);
        });
        page.SendCommand(CProctorDlg::ID_CHANGE_TEACHERS);
        EXPECT_TRUE(StringArrayContainsNoCase(item->teachers, free));
        EXPECT_FALSE(StringArrayContainsNoCase(item->teachers, busy));

        Click(page, CProctorDlg::IDC_SAVE);
        EXPECT_FALSE(page.IsModified());
        const std::string folder = ProctorFolder() + "未命名的监考/";
        inXml = Bytes(folder + "in.xml");
        outXml = Bytes(folder + "out.xml");
        page.SendCommand(zem::IDCANCEL);
    });

    // Reopened: the same proctoring, in the same order, saved again byte for byte.
    RunPage([&](CProctorDlg& page) {
        EXPECT_EQ(page.GetProctor()->GetName(), "未命名的监考");
        EXPECT_EQ(PlanIds(page.GetProctor()->data()), order);
        EXPECT_EQ(page.GetResultList()->GetItemCount(), 11);
        page.SetModified(true);
        Click(page, CProctorDlg::IDC_SAVE);
        const std::string folder = ProctorFolder() + "未命名的监考/";
        EXPECT_EQ(Bytes(folder + "in.xml"), inXml);
        EXPECT_EQ(Bytes(folder + "out.xml"), outXml);
        page.SendCommand(zem::IDCANCEL);
    });
}

// A proctoring saved on disk as the one opened last.
void SaveProctoring(CScheduleTask& task, const std::string& name, const std::function<void(CProctorData&)>& fill)
{
    CScheduleProctor proctor;
    ASSERT_TRUE(proctor.Open(&task, name));
    fill(proctor.data());
    ASSERT_TRUE(proctor.Save());
    ASSERT_TRUE(task.SetConfig(CProctorDlg::kRecentSection, "1", name));
}

void AddItem(CProctorData& data, const std::string& plan, const std::string& room, const Strings& teachers)
{
    data.GetProctorList().push_back(std::make_unique<CProctorData::ProctorItem>(
        CProctorData::ProctorItem{NewGuidString(), plan, room, teachers}));
}

TEST_F(PageTest, DeletingAnExamTakesItsItemsAndOnlyTheExamViewChangesTeachers)
{
    std::vector<CZemObject*> teachers, classes;
    MapToOrderedList(Task().GetTeacherInfoList(), teachers);
    MapToOrderedList(Task().GetClassInfoList(), classes);
    const std::string t1 = teachers[0]->GetId(), t2 = teachers[1]->GetId(), gone = "不在任务中的教师";
    const std::string c1 = classes[0]->GetId(), c2 = classes[1]->GetId();
    SaveProctoring(Task(), "期中考试", [&](CProctorData& data) {
        data.GetTeacherArray() = {t1, gone, t2};
        auto exam = [&](const char* id, int day) {
            auto plan = std::make_unique<CProctorData::Plan>();
            plan->id = id;
            plan->date = {2024, 6, day};
            plan->startTime.Parse("08:00");
            plan->endTime.Parse("10:00");
            plan->rooms = {c1, c2};
            plan->teacherCount = 1;
            data.GetPlanList().push_back(std::move(plan));
        };
        exam("p1", 5);
        exam("p2", 6);
        AddItem(data, "p1", c1, {t1});
        AddItem(data, "p1", c2, {t2});
        AddItem(data, "p2", c1, {t2});
    });
    RunPage([&](CProctorDlg& page) {
        EXPECT_EQ(page.GetProctor()->GetName(), "期中考试");
        // The id that names no teacher is neither listed nor counted.
        EXPECT_EQ(page.GetTeacherList()->GetItemCount(), 2);
        EXPECT_EQ(page.GetTeacherPanel().m_title, "2 监考教师列表 (2)");
        page.SendCommand(CProctorDlg::ID_SHOW_BY_TEACHER);
        ReportList& results = *page.GetResultList();
        EXPECT_EQ(results.GetItemCount(), 3);
        // Neither a double click nor the manual command works outside the exam view.
        results.SetSelected(0, true);
        const int dialogs = static_cast<int>(script.captions.size());
        page.SendCommand(CProctorDlg::ID_CHANGE_TEACHERS);
        results.onDoubleClick(0);
        EXPECT_EQ(static_cast<int>(script.captions.size()), dialogs);

        page.GetPlanList()->SetSelected(0, true);
        page.SendCommand(CProctorDlg::ID_PLAN_DELETE);
        EXPECT_TRUE(answers.Saw("确定要删除选中的这 1 项考试计划吗"));
        EXPECT_EQ(page.GetProctor()->data().GetProctorList().size(), 1u);
        EXPECT_EQ(results.GetItemCount(), 1);
        EXPECT_EQ(page.GetPlanList()->GetItemCount(), 1);
        // The teachers' menu greys what cannot be done.
        const std::vector<zem::gui::MenuItem> plans = page.PlanMenu();
        EXPECT_FALSE(plans[0].enabled);
        EXPECT_TRUE(plans.back().enabled);
        answers.Answer("要保存吗", zem::IDNO);
        page.SendCommand(zem::IDCANCEL);
    });
}

TEST_F(PageTest, RenamingAndCreatingKeepFoldersAndTheRecentListInStep)
{
    auto typeName = [](const std::string& name) {
        return [name](Dialog& shown) {
            auto& input = As<CNameInputDlg>(shown);
            input.Item<QLineEdit>(CNameInputDlg::IDC_NAME)->setText(QString::fromStdString(name));
            Click(input, zem::IDOK);
        };
    };
    RunPage([&](CProctorDlg& page) {
        ASSERT_TRUE(zem::FolderExists(ProctorFolder() + "未命名的监考"));
        // A click on the header band, under the hand cursor, opens the title menu.
        QWidget* band = page.childAt(page.GetHeaderRect().CenterPoint().x, 20);
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->cursor().shape(), Qt::PointingHandCursor);
        Then(typeName("期中考试"));
        menus.choices.push_back("修改当前监考的名称");
        QTest::mouseClick(band, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        ASSERT_EQ(menus.shown.size(), 1u);
        EXPECT_EQ(page.GetProctor()->GetName(), "期中考试");
        EXPECT_TRUE(zem::FolderExists(ProctorFolder() + "期中考试"));
        EXPECT_FALSE(zem::FolderExists(ProctorFolder() + "未命名的监考"));
        EXPECT_EQ(page.GetRecentList().GetAt(0), "期中考试");
        EXPECT_EQ(page.GetRecentList().GetCount(), 1);

        // A taken name and one no folder can have are refused; the prompt comes again.
        Then(typeName("期中考试"));
        Then(typeName("期末/考试"));
        Then(typeName("期末考试"));
        page.SendCommand(CProctorDlg::ID_CREATE);
        EXPECT_TRUE(answers.Saw("已经有名为“期中考试”的监考"));
        EXPECT_EQ(page.GetProctor()->GetName(), "期末考试");
        EXPECT_TRUE(zem::FolderExists(ProctorFolder() + "期末考试"));
        EXPECT_EQ(page.GetRecentList().GetAt(0), "期末考试");
        EXPECT_EQ(page.GetRecentList().GetAt(1), "期中考试");
        // Never saved, it starts with every teacher.
        EXPECT_EQ(page.GetTeacherList()->GetItemCount(), Task().GetTeacherInfoList().GetCount());

        // The title menu offers the other one; a proctoring whose folder has gone is greyed.
        std::vector<zem::gui::MenuItem> menu = page.TitleMenu();
        ASSERT_EQ(menu.back().children.size(), 1u);
        EXPECT_EQ(menu.back().children[0].text, "期中考试");
        ASSERT_TRUE(zem::RemoveFolder(ProctorFolder() + "期中考试"));
        menu = page.TitleMenu();
        EXPECT_EQ(menu.back().children[0].text, "期中考试 （不存在）");
        EXPECT_FALSE(menu.back().children[0].enabled);
        page.SendCommand(zem::IDCANCEL);
    });
    // The task remembers the recent proctorings in its task.ini.
    EXPECT_EQ(Task().GetConfig(CProctorDlg::kRecentSection, "1", ""), "期末考试");
    EXPECT_EQ(Task().GetConfig(CProctorDlg::kRecentSection, "2", ""), "期中考试");
}

// The export proposes the proctoring's name and the day, writes the three sheets and offers to open
// the workbook; each sheet holds, row by row, what the window lists in its view.
TEST_F(PageTest, ExportWritesTheWorkbookAndOffersToOpenIt)
{
    std::vector<CZemObject*> teachers, classes;
    MapToOrderedList(Task().GetTeacherInfoList(), teachers);
    MapToOrderedList(Task().GetClassInfoList(), classes);
    const std::string t1 = teachers[0]->GetId(), t2 = teachers[1]->GetId(), t3 = teachers[2]->GetId();
    const std::string c1 = classes[0]->GetId(), c2 = classes[1]->GetId();
    SaveProctoring(Task(), "期中考试", [&](CProctorData& data) {
        data.GetTeacherArray() = {t1, t2, t3, "不在任务中的教师"};
        const auto exam = [&](const char* id, int day, const char* start, const char* end, Strings rooms, int count) {
            auto plan = std::make_unique<CProctorData::Plan>();
            plan->id = id;
            plan->date = {2024, 6, day};
            plan->startTime.Parse(start);
            plan->endTime.Parse(end);
            plan->rooms = std::move(rooms);
            plan->teacherCount = count;
            data.GetPlanList().push_back(std::move(plan));
        };
        exam("p1", 5, "08:00", "10:00", {c1, c2}, 2);
        exam("p2", 6, "14:00", "16:00", {c2}, 1);
        AddItem(data, "p1", c1, {t1, t2});
        AddItem(data, "p1", c2, {t3, "不在任务中的教师"});
        AddItem(data, "p2", c2, {t1});
        // An item whose exam is gone.
        AddItem(data, "pX", c1, {t2});
    });
    const zem::LocalTime today{2025, 3, 7, 9, 30, 0};
    const zem::ClockHook previousClock = zem::SetClockHook([today] { return today; });
    std::vector<zem::gui::FileDialogRequest> requests;
    const std::string chosen = demo.folder / "导出/期中考试监考安排表.xls";
    ASSERT_TRUE(zem::MakeFolder(demo.folder / "导出"));
    const zem::gui::FileDialogHook previousDialog = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& r) {
        requests.push_back(r);
        return chosen;
    });
    Strings opened;
    const zem::gui::OpenHook previousOpen = zem::gui::SetOpenHook([&](const std::string& target) {
        opened.push_back(target);
        return zem::gui::kOpenDone;
    });
    std::vector<std::vector<Strings>> shown;  // by view, the rows the window lists
    RunPage([&](CProctorDlg& page) {
        for (const int view : {CProctorDlg::ID_SHOW_BY_PLAN, CProctorDlg::ID_SHOW_BY_TEACHER, CProctorDlg::ID_SHOW_BY_ROOM}) {
            page.SendCommand(view);
            const ReportList& results = *page.GetResultList();
            std::vector<Strings>& rows = shown.emplace_back();
            for (int row = 0; row < results.GetItemCount(); ++row)
                rows.push_back({results.GetItemText(row, 1), results.GetItemText(row, 2), results.GetItemText(row, 3),
                                results.GetItemText(row, 4)});
        }
        page.SendCommand(CProctorDlg::ID_EXPORT);
        page.SendCommand(zem::IDCANCEL);
    });
    zem::gui::SetOpenHook(previousOpen);
    zem::gui::SetFileDialogHook(previousDialog);
    zem::SetClockHook(previousClock);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fileName, "期中考试监考安排表20250307.xlsx");
    // Saved as .xlsx whatever was typed, and opened as the user asked.
    const std::string written = demo.folder / "导出/期中考试监考安排表.xlsx";
    EXPECT_TRUE(answers.Saw("要打开这个工作簿吗"));
    EXPECT_EQ(opened, Strings{written});
    ASSERT_EQ(shown.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(zem::Format("sheet %d", n + 1));
        zem::workbook::SheetData sheet;
        std::string error;
        ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(written, sheet, error, n)) << error;
        EXPECT_EQ(sheet.Value(1, 1).text, "期中考试监考安排表");
        std::vector<Strings> rows;
        for (int row = 3; row <= sheet.LastRow(); ++row)
            rows.push_back({sheet.Value(row, 1).text, sheet.Value(row, 2).text, sheet.Value(row, 3).text,
                            sheet.Value(row, 4).text});
        // The three items of the exams that are there, in every view.
        EXPECT_GE(shown[static_cast<std::size_t>(n)].size(), 3u);
        EXPECT_EQ(rows, shown[static_cast<std::size_t>(n)]);
    }
}

// The exported arrangement's title names the exam once, and says "监考" once.
TEST(ProctorExportTitle, NamesTheExamAndSaysProctoringOnce)
{
    const struct {
        const char* name;
        const char* title;
    } cases[] = {
        {"期中考试", "期中考试监考安排表"},
        {"期末考试监考", "期末考试监考安排表"},
        {CScheduleProctor::kDefaultName, "监考安排表"},
        {"", "监考安排表"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CProctorDlg::ExportTitle(c.name), c.title) << c.name;
}

// The demo task's first teachers, classes and subjects, by id.
struct DemoIds {
    explicit DemoIds(const CScheduleTask& task)
    {
        for (const CZemObject* object : ObjectsInOrder(task.GetTeacherInfoList()))
            teachers.push_back(object->GetId());
        for (const CZemObject* object : ObjectsInOrder(task.GetClassInfoList()))
            classes.push_back(object->GetId());
        for (const CZemObject* object : ObjectsInOrder(task.GetSubjectInfoList()))
            subjects.push_back(object->GetId());
    }
    Strings teachers, classes, subjects;
};

Strings RoomsOf(const CProctorData& data)
{
    return Fields(data.GetProctorList(), &CProctorData::ProctorItem::room);
}

Strings ItemIds(const CProctorData& data)
{
    return Fields(data.GetProctorList(), &CProctorData::ProctorItem::id);
}

// Restarting with 是 puts a new arrangement in place of the old one, each room once; two exams at
// one time in one room are said before anything is asked, and the old arrangement, changed by
// hand, stays in the page and on disk as it was.
TEST_F(PageTest, ANewRunReplacesTheOldArrangementAndOneThatCannotRunKeepsIt)
{
    const DemoIds ids(Task());
    const Strings& c = ids.classes;
    // p1 arranged by hand; p2 at the same time, in the room `p2Room`.
    auto fill = [&](const std::string& p2Room) {
        return [&, p2Room](CProctorData& data) {
            data.GetTeacherArray() = {ids.teachers[0], ids.teachers[1], ids.teachers[2]};
            AddExam(data, "p1", 5, "08:00", "10:00", ids.subjects[0], {c[0], c[1]}, 1);
            AddExam(data, "p2", 5, "09:00", "11:00", ids.subjects[1], {p2Room}, 1);
            AddItem(data, "p1", c[0], {ids.teachers[2]});
            AddItem(data, "p1", c[1], {ids.teachers[1]});
        };
    };
    SaveProctoring(Task(), "期中考试", fill(c[2]));
    RunPage([&](CProctorDlg& page) {
        const CProctorData& data = page.GetProctor()->data();
        const Strings old = ItemIds(data);
        Then(WaitForRun);
        Click(page, CProctorDlg::IDC_START);
        EXPECT_TRUE(answers.Saw("当前监考安排表已有数据！确定要重新开始排监考吗？"));
        EXPECT_EQ(RoomsOf(data), (Strings{c[0], c[1], c[2]}));
        for (const std::string& id : ItemIds(data))
            EXPECT_FALSE(StringArrayContainsNoCase(old, id)) << "an old item stayed";
        EXPECT_EQ(page.GetResultList()->GetItemCount(), 3);
        EXPECT_TRUE(page.IsModified());
        SaveScreenshot(&page, "proctor_page_new_run");
        answers.Answer("要保存吗", zem::IDNO);
        page.SendCommand(zem::IDCANCEL);
    });

    SaveProctoring(Task(), "期末考试", fill(c[0]));
    const std::string folder = ProctorFolder() + "期末考试/";
    const std::string inXml = Bytes(folder + "in.xml"), outXml = Bytes(folder + "out.xml");
    answers.texts.clear();
    RunPage([&](CProctorDlg& page) {
        const CProctorData& data = page.GetProctor()->data();
        const Strings old = ItemIds(data);
        const std::size_t dialogs = script.captions.size();
        Click(page, CProctorDlg::IDC_START);
        const CProctorData::Plan& p1 = *data.GetPlanList()[0];
        const CProctorData::Plan& p2 = *data.GetPlanList()[1];
        EXPECT_EQ(answers.texts,
                  Strings{zem::Format(CProctorAssignment::kConflictFormat, GetClassOrRoomName(&Task(), c[0]).c_str(),
                                      FormatTimeRange(p1, false).c_str(), Task().GetSubjectName(p1.subject).c_str(),
                                      FormatTimeRange(p2, false).c_str(), Task().GetSubjectName(p2.subject).c_str())});
        EXPECT_EQ(script.captions.size(), dialogs) << "the run's window opened";
        EXPECT_EQ(ItemIds(data), old);
        EXPECT_EQ(page.GetResultList()->GetItemCount(), 2);
        EXPECT_FALSE(page.IsModified());
        SaveScreenshot(&page, "proctor_page_room_conflict");
        Click(page, CProctorDlg::IDC_SAVE);
        page.SendCommand(zem::IDCANCEL);
    });
    EXPECT_EQ(Bytes(folder + "in.xml"), inXml);
    EXPECT_EQ(Bytes(folder + "out.xml"), outXml);
}

// A restarted run that does not end with a new arrangement leaves the old one, changed by hand, as
// it was: one cancelled after its first room (the worker held there), one that starts and makes
// nothing (its exams have no room, the old items being of rooms taken off since).
TEST_F(PageTest, ARestartedRunCancelledOrMakingNothingKeepsTheOldArrangement)
{
    const DemoIds ids(Task());
    const Strings& c = ids.classes;
    struct Case {
        const char* what;
        Strings firstRooms;   // of the exam p1 the old items are of
        Strings secondRooms;  // of the exam p2 no run has filled yet
        bool cancel;
    } cases[] = {{"making nothing", {}, {}, false},
                 {"cancelled after its first room", {c[0], c[1]}, {c[2], c[3], c[4]}, true}};
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        SaveProctoring(Task(), "期中考试", [&](CProctorData& data) {
            data.GetTeacherArray() = {ids.teachers[0], ids.teachers[1], ids.teachers[2]};
            AddExam(data, "p1", 5, "08:00", "10:00", ids.subjects[0], each.firstRooms, 1);
            AddItem(data, "p1", c[0], {ids.teachers[2]});
            AddItem(data, "p1", c[1], {ids.teachers[1]});
            AddExam(data, "p2", 6, "08:00", "10:00", ids.subjects[1], each.secondRooms, 1);
        });
        WorkerLatch latch;
        CProctorRunOptions options;
        options.seed = 9;
        options.pacing = false;
        options.afterItem = [&](std::size_t items) {
            if (items == 1)
                latch.Hold();
        };
        CProctorProgressDlg::SetRunOptionsForTesting(options);
        RunPage([&](CProctorDlg& page) {
            const CProctorData& data = page.GetProctor()->data();
            const Strings old = ItemIds(data);
            const int rowsBefore = page.GetResultList()->GetItemCount();
            Then([&](Dialog& shown) {
                auto& progress = As<CProctorProgressDlg>(shown);
                if (!each.cancel) {
                    WaitForRun(shown);
                    return;
                }
                EXPECT_TRUE(latch.WaitHeld());
                Click(progress, zem::IDCANCEL);
                latch.Release();
            });
            Click(page, CProctorDlg::IDC_START);
            EXPECT_TRUE(answers.Saw("当前监考安排表已有数据！确定要重新开始排监考吗？"));
            EXPECT_EQ(ItemIds(data), old);
            // The page shows the old arrangement as it did before the run.
            EXPECT_EQ(page.GetResultList()->GetItemCount(), rowsBefore);
            EXPECT_FALSE(page.IsModified());
            page.SendCommand(zem::IDCANCEL);
        });
        answers.texts.clear();
    }
}

// A teacher put on an exam by hand while watching another exam at the same time is refused with
// the other exam's time, subject and room; one whose exam only touches this one's end is taken.
TEST_F(PageTest, ATeacherWatchingAnExamAtTheSameTimeIsRefusedByHand)
{
    const DemoIds ids(Task());
    const Strings& t = ids.teachers;
    SaveProctoring(Task(), "期中考试", [&](CProctorData& data) {
        data.GetTeacherArray() = {t[0], t[1], t[2]};
        AddExam(data, "p1", 5, "08:00", "10:00", ids.subjects[0], {ids.classes[0]}, 1);
        AddExam(data, "p2", 5, "09:00", "11:00", ids.subjects[1], {ids.classes[1]}, 1);
        AddExam(data, "p3", 5, "10:00", "12:00", ids.subjects[2], {ids.classes[2]}, 1);
        AddItem(data, "p1", ids.classes[0], {t[0]});
        AddItem(data, "p2", ids.classes[1], {t[1]});
        AddItem(data, "p3", ids.classes[2], {t[2]});
    });
    RunPage([&](CProctorDlg& page) {
        const CProctorData& data = page.GetProctor()->data();
        const CProctorData::Plan& p2 = *data.GetPlanList()[1];
        page.GetResultList()->SetSelected(0, true);
        Then([&](Dialog& shown) {
            auto& chooser = As<CMultiSelectDlg>(shown);
            const int second = ChooserIndex(chooser, t[1]), third = ChooserIndex(chooser, t[2]);
            ASSERT_GE(second, 0);
            ASSERT_GE(third, 0);
            Tick(chooser, second);
            Click(chooser, zem::IDOK);
            EXPECT_FALSE(chooser.IsEnded());
            EXPECT_EQ(answers.texts,
                      Strings{Task().GetTeacherName(t[1]) + " 已安排在 " + FormatTimeRange(p2, false) + " " +
                              Task().GetSubjectName(p2.subject) + " 的考场 " + GetClassOrRoomName(&Task(), ids.classes[1]) +
                              " 监考，与这场考试的时间冲突"});
            SaveScreenshot(&chooser, "proctor_change_teachers_refused");
            Tick(chooser, second);
            Tick(chooser, third);
            Click(chooser, zem::IDOK);
        });
        page.SendCommand(CProctorDlg::ID_CHANGE_TEACHERS);
        EXPECT_EQ(data.GetProctorList()[0]->teachers, (Strings{t[0], t[2]}));
        EXPECT_EQ(answers.texts.size(), 1u);
        answers.Answer("要保存吗", zem::IDNO);
        page.SendCommand(zem::IDCANCEL);
    });
}

// "Yes, save" that fails keeps the page and the open proctoring as they are.
TEST_F(PageTest, AFailedSaveKeepsThePageOpen)
{
    SaveProctoring(Task(), "期中考试", [](CProctorData&) {});
    std::vector<CZemObject*> teachers;
    MapToOrderedList(Task().GetTeacherInfoList(), teachers);
    SaveProctoring(Task(), "期末考试", [&](CProctorData& data) { data.GetTeacherArray() = {teachers[0]->GetId()}; });
    const std::string blocked = ProctorFolder() + "期末考试/";
    const zem::FileWriteFaultHook previous = zem::SetFileWriteFaultHook(
        [blocked](const std::string& path) { return path.rfind(blocked, 0) == 0 ? EACCES : 0; });
    CProctorDlg page;
    Then([&](Dialog&) {
        page.SendCommand(CProctorDlg::ID_TEACHERS_CLEAR);
        ASSERT_TRUE(page.IsModified());
        page.SendCommand(zem::IDCANCEL);
        EXPECT_FALSE(page.IsEnded());
        EXPECT_TRUE(page.IsModified());
        EXPECT_FALSE(page.OpenProctor("期中考试"));
        EXPECT_EQ(page.GetProctor()->GetName(), "期末考试");
        EXPECT_TRUE(page.IsModified());
        EXPECT_TRUE(answers.Saw("当前监考内容有变化，要保存当前数据吗"));
        zem::SetFileWriteFaultHook(previous);
        page.SendCommand(zem::IDCANCEL);
        EXPECT_TRUE(page.IsEnded());
    });
    page.DoModal();
    zem::SetFileWriteFaultHook(previous);
    CScheduleProctor saved;
    ASSERT_TRUE(saved.Open(&Task(), "期末考试"));
    EXPECT_TRUE(saved.data().GetTeacherArray().empty());
}

}  // namespace
