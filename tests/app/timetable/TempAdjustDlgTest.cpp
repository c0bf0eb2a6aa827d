// The temporary lesson-change window, opened from the page panel as a user does on a scheduled
// school: what it shows first, its history, changing and saving the temporary task without
// touching the formal one, and closing over unsaved changes.
#include "support/ShellTestSupport.h"

#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/ObjectLists.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ProgramFeatures.h"
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/timetable/CompareTaskDlg.h"
#include "app/timetable/TempAdjustDlg.h"
#include "table/TableDefs.h"
#include "table/TableItem.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/QtText.h"
#include "support/MessageRecorder.h"
#include "support/TreeTexts.h"
#include "testing/generator/SchoolGenerator.h"
#include "base/ScheduleValidator.h"

#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cerrno>
#include <memory>
#include <optional>

namespace {

std::string TableText(const CCourseTable& table)
{
    std::string out;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const CCourseTableNode& cell = table.GetNode(day, segment, section);
                out += std::to_string(table.GetValue(day, segment, section)) + "/" + cell.data(1).GetCourseId() + "/" +
                       cell.data(2).GetCourseId() + ",";
            }
    return out;
}

std::vector<std::string> TreeTexts(CTempAdjustDlg& d)
{
    return TopLevelTexts(*d.Item<QTreeWidget>(CTempAdjustDlg::IDC_TREE));
}

// Every class's and teacher's working timetable.
std::string AllTables(const CScheduleTask& task)
{
    std::string text;
    for (const CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList()})
        for (const auto& [id, object] : *list)
            text += id + ":" + TableText(static_cast<const CZemTableObject*>(object)->GetTable(true)) + "\n";
    return text;
}

// A whole lesson of a class that may move from `from` to `to`, and at `to` another class's lesson
// of `regularId` that the moved lesson's teacher (`substituteId`) may take over: carried out while
// the lesson slides, that substitution makes the drop a double booking of the substitute.
struct StaleDrop {
    std::string classId, regularId, substituteId;
    tagTABLE_NODE from, to;
};

std::optional<StaleDrop> FindStaleDrop(CScheduleTask& task)
{
    CTaskHelper helper(&task);
    const CSchoolStructure& week = task.GetSchoolStructure();
    auto wholeLesson = [&](const CCourseTable& table, const tagTABLE_NODE& cell) -> const CCourseInfo* {
        const CCourseTableNode& node = table.GetNode(cell);
        const CCourseInfo* plan = table.IsUsed(cell) && !node.IsInterleave() ? task.FindCourse(node.GetCourseId(1)) : nullptr;
        return plan && !task.GetCC(plan->GetId()) ? plan : nullptr;
    };
    for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
        CCourseTable& table = cls->GetTable(true);
        std::optional<StaleDrop> found;
        ForEachSlot(week, {.lastSegment = 2}, [&](const tagTABLE_NODE& from) {
            const CCourseInfo* moved = wholeLesson(table, from);
            const CTeacherInfo* teacher = moved ? task.GetTeacher(moved->GetTeacherId()) : nullptr;
            if (!teacher)
                return false;
            return ForEachSlot(week, {.lastSegment = 2}, [&](const tagTABLE_NODE& to) {
                if (to == from || teacher->GetTable(true).IsUsed(to) || !helper.CanSwap(&table, to, from, false))
                    return false;
                for (CTeacherInfo* regular : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
                    const CCourseInfo* there = wholeLesson(regular->GetTable(true), to);
                    if (regular == teacher || !there || there->GetClassId() == cls->GetId())
                        continue;
                    // Only a substitution the task's rules accept is carried out: tried on a copy.
                    CScheduleTask probe;
                    if (!probe.Open(task.GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly))
                        return false;
                    CTaskHelper(&probe).RestoreTempTables();
                    const CSubstituteRecord record{to.day, to.segment, to.section, 0,
                                                   probe.GetTeacherInfoList().Find(teacher->GetId())};
                    if (!CSubstitution().Execute(probe, regular->GetId(), {record}).done)
                        continue;
                    found = StaleDrop{cls->GetId(), regular->GetId(), teacher->GetId(), from, to};
                    return true;
                }
                return false;
            });
        });
        if (found)
            return found;
    }
    return std::nullopt;
}

class TempAdjustTest : public ShellTest {
protected:
    void SetUp() override
    {
        MakeContext();
        std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"S12", "normal", 1});
        zemgen::FillTimetables(*school);
        const std::string where = folder.path() + "S12/";
        ASSERT_TRUE(zemgen::WriteTaskFolder(*school, where, "S12", "test"));
        ASSERT_TRUE(school->SaveOutputData());
        school.reset();
        ASSERT_TRUE(CAppContext::Get()->OpenTask(where + "S12.zem", true));
        RegisterProgramFeatures();
        m_workArea = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1366, 768); });
    }
    void TearDown() override { zem::gui::SetWorkAreaHook(m_workArea); }

    CScheduleTask* Task() { return CAppContext::Get()->GetTask(); }

    // Starts a new temporary task for the first teacher with lessons, working the window with act.
    void RunNew(const std::function<void(CTempAdjustDlg&)>& act)
    {
        ModalScope scope([&](zem::gui::Dialog& d) {
            if (auto* picker = dynamic_cast<CObjectPickerDlg*>(&d)) {
                zem::gui::ItemList& list = *picker->GetList();
                for (int row = 0; row < list.GetItemCount(); ++row)
                    if (list.GetItemImage(row) == 0) {
                        list.SetSelected(row, true);
                        break;
                    }
                QTest::mouseClick(picker->GetDlgItem(zem::IDOK), Qt::LeftButton);
                teacherId = picker->GetSelectedObject() ? picker->GetSelectedObject()->GetId() : "";
            } else if (auto* window = dynamic_cast<CTempAdjustDlg*>(&d)) {
                tempTask = window->GetContainer().GetTable() ? window->GetTitleText() : "";
                tempFolder = Task()->GetTaskInfo().GetTempFolder();
                act(*window);
            }
        });
        panel.StartTempAdjust("");
    }

    // Swaps two lessons of the shown class through the grid's move; the class's working table after.
    std::string SwapTwoLessons(CTempAdjustDlg& d)
    {
        CTableContainer& container = d.GetContainer();
        CCourseTable& table = *container.GetTable();
        const std::string before = TableText(table);
        const CSchoolStructure& s = d.GetTask()->GetSchoolStructure();
        std::vector<tagTABLE_NODE> used;
        for (int day = 0; day < zem::kDayCount; ++day)
            if (s.IsDayInUse(day))
                for (int section = 0; section < s.GetSectionNodeMaxCount(0); ++section)
                    if (table.IsUsed(day, 0, section) && !table.GetNode(day, 0, section).IsInterleave())
                        used.push_back({day, 0, section});
        // The grid offers only cells the lesson may go to.
        CTaskHelper helper(d.GetTask(), AppHelperContext());
        MessageRecorder yes(zem::IDYES);
        for (std::size_t i = 0; i + 1 < used.size(); ++i)
            for (std::size_t j = i + 1; j < used.size(); ++j) {
                if (table.GetNode(used[i]).data(1).GetCourseId() == table.GetNode(used[j]).data(1).GetCourseId())
                    continue;
                if (!helper.CanSwap(&table, used[j], used[i], false))
                    continue;
                container.OnPick(container.ToGridNode(used[i]));
                container.OnMoved(container.ToGridNode(used[j]), container.ToGridNode(used[i]));
                if (TableText(table) != before)
                    return TableText(table);
            }
        ADD_FAILURE() << "no two lessons could be swapped";
        return before;
    }

    static void ClickSave(CTempAdjustDlg& d)
    {
        QTest::mouseClick(d.GetDlgItem(CTempAdjustDlg::IDC_SAVE), Qt::LeftButton);
    }

    CPagePanel panel;
    std::string teacherId;
    std::string tempTask;
    std::string tempFolder;

private:
    zem::gui::WorkAreaHook m_workArea;
};

TEST_F(TempAdjustTest, ASavedChangeStaysInTheTemporaryTaskOnly)
{
    const std::string formal = Task()->GetTaskInfo().GetTaskFolder();
    const std::string input = ReadRaw(formal + "input.xml");
    const std::string output = ReadRaw(formal + "output.xml");
    const ScheduleValidation before = ValidateSchedule(*Task(), false, kCheckDoubleBooking | kCheckConsistency);
    ASSERT_TRUE(before.IsClean()) << before.Text();
    std::string classId, changed;
    RunNew([&](CTempAdjustDlg& d) {
        classId = d.GetContainer().GetObjectId();
        EXPECT_EQ(classId, FirstClassOfTeacher(*Task(), teacherId));
        EXPECT_TRUE(d.Item<QComboBox>(CTempAdjustDlg::IDC_CLASS_LIST)->isVisibleTo(&d));
        EXPECT_FALSE(d.Item<QComboBox>(CTempAdjustDlg::IDC_TEACHER_LIST)->isVisibleTo(&d));
        const std::vector<std::string> tree = TreeTexts(d);
        ASSERT_EQ(tree.size(), 1u);
        EXPECT_EQ(tree[0], "【当前操作】为 " + Task()->GetTeacherName(teacherId) +
                               " 老师的课程安排代课教师 （在左边的课表上单击鼠标右键可以选择代课教师）");
        changed = SwapTwoLessons(d);
        EXPECT_TRUE(d.IsModified());
        SaveScreenshot(&d, "TempAdjustDlg");
        ClickSave(d);
        EXPECT_FALSE(d.IsModified());
        EXPECT_TRUE(d.IsSaved());
        d.close();
    });
    ASSERT_FALSE(tempTask.empty());
    EXPECT_EQ(ReadRaw(formal + "input.xml"), input);
    EXPECT_EQ(ReadRaw(formal + "output.xml"), output);

    // Offered again in the menu, and the change is in its files.
    const CRecentList& temps = CAppContext::Get()->GetRecentTempTasks();
    ASSERT_EQ(temps.GetCount(), 1);
    const std::string tempName = temps.GetAt(0);
    EXPECT_EQ("临时任务：" + tempName, tempTask);
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(CPagePanel::TempTaskFile(tempName)));
    auto* cls = static_cast<CZemTableObject*>(reopened.GetClassInfoList().Find(classId));
    ASSERT_TRUE(cls);
    EXPECT_EQ(TableText(cls->GetTable(false)), changed);
    const ScheduleValidation check = ValidateSchedule(reopened, false, kCheckDoubleBooking | kCheckConsistency);
    EXPECT_TRUE(check.IsClean()) << check.Text();
}

TEST_F(TempAdjustTest, ClosingOverUnsavedChangesAsks)
{
    RunNew([&](CTempAdjustDlg& d) {
        SwapTwoLessons(d);
        {
            MessageRecorder cancel(zem::IDCANCEL);
            d.close();
            EXPECT_EQ(cancel.Texts(), std::vector<std::string>{CTempAdjustDlg::kCloseQuestion});
            EXPECT_FALSE(d.IsEnded());
        }
        MessageRecorder no(zem::IDNO);
        d.close();
        EXPECT_TRUE(d.IsEnded());
        EXPECT_FALSE(d.IsSaved());
    });
    ASSERT_FALSE(tempTask.empty());
    // The new task left unsaved is gone, and not offered.
    std::vector<zem::FolderEntry> entries;
    zem::ListFolder(tempFolder, entries);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(CAppContext::Get()->GetRecentTempTasks().GetCount(), 0);
}

// A write that fails, of the plans or of the timetables, is said once; the window stays modified
// and unsaved, so the new task's folder goes when the user then closes without saving.
TEST_F(TempAdjustTest, AFailedSaveIsSaidAndSavesNothing)
{
    for (const char* file : {"input.xml", "output.xml"}) {
        SCOPED_TRACE(file);
        RunNew([&](CTempAdjustDlg& d) {
            SwapTwoLessons(d);
            const std::string path = d.GetTask()->GetTaskInfo().GetTaskFolder() + file;
            const zem::FileWriteFaultHook previous =
                zem::SetFileWriteFaultHook([&](const std::string& p) { return p == path ? EACCES : 0; });
            MessageRecorder messages;
            ClickSave(d);
            zem::SetFileWriteFaultHook(previous);
            ASSERT_EQ(messages.Texts().size(), 1u);
            EXPECT_EQ(messages.Texts()[0].rfind(CTempAdjustDlg::kSaveFailedText, 0), 0u) << messages.Texts()[0];
            EXPECT_TRUE(d.IsModified());
            EXPECT_FALSE(d.IsSaved());
            MessageRecorder no(zem::IDNO);
            d.close();
        });
        std::vector<zem::FolderEntry> entries;
        zem::ListFolder(tempFolder, entries);
        EXPECT_TRUE(entries.empty());
    }
}

// The history is read from key "1" up, ten at most, ending at a gap; the current operation comes first.
TEST_F(TempAdjustTest, TheTreeShowsTheStoredHistory)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> keys;
        std::vector<std::string> titles;
    } cases[] = {
        {{{"1", "甲|T1|C1"}, {"2", "乙"}, {"4", "丁"}}, {"甲", "乙"}},
        {{{"2", "乙"}}, {}},
        {{{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}, {"6", "6"}, {"7", "7"}, {"8", "8"},
          {"9", "9"}, {"10", "10"}, {"11", "11"}},
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
    };
    const std::string teacher = Task()->GetTeacherInfoList().begin()->first;
    for (const Case& c : cases) {
        CScheduleTask temp;
        ASSERT_TRUE(temp.Open(Task()->GetTaskInfo().GetTaskFile()));
        zem::IniFile ini;
        ASSERT_TRUE(ini.LoadForEdit(temp.GetConfigFile()));
        for (const auto& [key, value] : c.keys)
            ini.SetString(CTempAdjustDlg::kHistorySection, key, value);
        ASSERT_TRUE(ini.SaveIfModified());
        CTempAdjustDlg dialog(nullptr, &temp, false, teacher);
        std::vector<std::string> tree;
        RunModal<CTempAdjustDlg>(dialog, [&](CTempAdjustDlg& d) {
            tree = TreeTexts(d);
            d.close();
        });
        ASSERT_FALSE(tree.empty());
        EXPECT_EQ(tree[0].rfind("【当前操作】", 0), 0u);
        EXPECT_EQ(std::vector<std::string>(tree.begin() + 1, tree.end()), c.titles);
        zem::IniFile clear;
        ASSERT_TRUE(clear.LoadForEdit(temp.GetConfigFile()));
        for (const auto& [key, value] : c.keys)
            clear.SetString(CTempAdjustDlg::kHistorySection, key, "");
        clear.SaveIfModified();
    }
}

// A teacher the task lacks is said, and the window stays without tables.
TEST_F(TempAdjustTest, AMissingTeacherIsSaid)
{
    CScheduleTask temp;
    ASSERT_TRUE(temp.Open(Task()->GetTaskInfo().GetTaskFile()));
    CTempAdjustDlg dialog(nullptr, &temp, false, "没有这个");
    MessageRecorder messages;
    RunModal<CTempAdjustDlg>(dialog, [&](CTempAdjustDlg& d) {
        EXPECT_EQ(d.GetContainer().GetTable(), nullptr);
        for (const int id : {CTempAdjustDlg::IDC_EXECUTE, CTempAdjustDlg::IDC_PRINT, CTempAdjustDlg::IDC_EXPORT})
            EXPECT_FALSE(d.GetDlgItem(id)->isEnabled()) << id;
        EXPECT_TRUE(d.GetDlgItem(CTempAdjustDlg::IDC_COMPARE)->isEnabled());
        d.close();
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{CTempAdjustDlg::kNoTeacherText});
}

// Presses on the bar, drags it `by` pixels sideways and lets go, as a user does.
void DragBar(QWidget* bar, int by)
{
    const QPoint from(2, 100);
    const QPoint to(2 + by, 100);
    for (const auto& [type, at] : {std::pair{QEvent::MouseButtonPress, from}, std::pair{QEvent::MouseMove, to},
                                   std::pair{QEvent::MouseButtonRelease, to}}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, bar->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          held, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &event);
    }
}

// The two bars share the window between the columns: the absent teacher's week and the
// substitutes' weeks grow as the user drags, the middle gives way, and neither side takes more
// than half the window.
TEST_F(TempAdjustTest, TheSplittersShareTheWindowBetweenTheColumns)
{
    CScheduleTask temp;
    ASSERT_TRUE(temp.Open(Task()->GetTaskInfo().GetTaskFile()));
    CTempAdjustDlg dialog(nullptr, &temp, false, Task()->GetTeacherInfoList().begin()->first);
    RunModal<CTempAdjustDlg>(dialog, [&](CTempAdjustDlg& d) {
        QWidget* left = d.GetDlgItem(CTempAdjustDlg::IDC_LEFT_SPLITTER);
        QWidget* right = d.GetDlgItem(CTempAdjustDlg::IDC_RIGHT_SPLITTER);
        ASSERT_TRUE(left && right);
        EXPECT_EQ(left->cursor().shape(), Qt::SizeHorCursor);
        const QRect regular = d.GetSubstituteWnd().geometry();
        const QRect middle = d.GetContainer().geometry();
        const QRect substitutes = d.GetSubstitutePanel().geometry();
        DragBar(left, 60);
        DragBar(right, -40);
        EXPECT_EQ(d.GetSubstituteWnd().width(), regular.width() + 60);
        EXPECT_EQ(d.GetContainer().x(), middle.x() + 60);
        EXPECT_EQ(d.GetContainer().geometry().right(), middle.right() - 40);
        EXPECT_EQ(d.GetSubstitutePanel().width(), substitutes.width() + 40);
        EXPECT_EQ(d.GetSubstitutePanel().geometry().right(), substitutes.right());
        SaveScreenshot(&d, "TempAdjustDlg_splitters");
        // Dragged far, a bar stops where the other half of the window begins.
        DragBar(left, d.width());
        EXPECT_LE(left->geometry().right(), d.width() / 2);
        DragBar(right, -d.width());
        EXPECT_GE(right->x(), d.width() / 2);
        d.close();
    });
}

// Every line of the substitution screen's help and of its current operation shows whole, wrapped
// to the column it has: in the smallest window the program opens in, in a large one, and with the
// absent teacher's column dragged to its narrowest.
TEST_F(TempAdjustTest, TheHelpAndTheCurrentOperationShowEveryLineWhole)
{
    CScheduleTask temp;
    ASSERT_TRUE(temp.Open(Task()->GetTaskInfo().GetTaskFile()));
    for (const zem::Rect& area : {zem::Rect(0, 0, 1366, 768), zem::Rect(0, 0, 1920, 1080)}) {
        SCOPED_TRACE(area.Width());
        zem::gui::SetWorkAreaHook([area] { return area; });
        CTempAdjustDlg dialog(nullptr, &temp, false, Task()->GetTeacherInfoList().begin()->first);
        RunModal<CTempAdjustDlg>(dialog, [&](CTempAdjustDlg& d) {
            auto* help = d.GetSubstituteWnd().findChild<QTreeWidget*>();
            auto* history = d.Item<QTreeWidget>(CTempAdjustDlg::IDC_TREE);
            ASSERT_TRUE(help && history);
            EXPECT_EQ(TopLevelTexts(*help), std::vector<std::string>{"代课操作说明"});
            EXPECT_EQ(help->topLevelItem(0)->childCount(), 4);
            EXPECT_EQ(TextsNotWhole(*help), std::vector<std::string>{});
            EXPECT_EQ(TextsNotWhole(*history), std::vector<std::string>{});
            SaveScreenshot(&d, zem::Format("TempAdjustDlg_help_%d", area.Width()));
            // At its narrowest the column's help runs down past its foot, to be scrolled to.
            DragBar(d.GetDlgItem(CTempAdjustDlg::IDC_LEFT_SPLITTER), -d.width());
            EXPECT_EQ(TextsNotWhole(*help, true), std::vector<std::string>{});
            SaveScreenshot(&d, zem::Format("TempAdjustDlg_help_%d_narrow", area.Width()));
            d.close();
        });
    }
}

// With the first day switched off, a planned substitute's text and a conflict's mark sit in the
// column of the lesson's day, and the plan's state reaches the status line and the buttons.
TEST_F(TempAdjustTest, PlansAreMarkedInTheirDaysColumns)
{
    CScheduleTask temp;
    ASSERT_TRUE(temp.Open(Task()->GetTaskInfo().GetTaskFile()));
    temp.GetSchoolStructure().SetWeekDay(0, false);
    // A teacher's whole lesson after the first day, and a teacher busy then.
    std::string regularId;
    tagTABLE_NODE cell{};
    CZemObject* busy = nullptr;
    for (const auto& [id, object] : temp.GetTeacherInfoList()) {
        const CCourseTable& table = static_cast<CTeacherInfo*>(object)->GetTable(true);
        ForEachSlot(temp.GetSchoolStructure(), [&](const tagTABLE_NODE& c) {
            if (busy || c.day < 2 || !table.IsUsed(c) || table.GetNode(c).IsInterleave())
                return;
            for (const auto& [otherId, other] : temp.GetTeacherInfoList())
                if (other != object && static_cast<CTeacherInfo*>(other)->GetTable(true).IsUsed(c)) {
                    busy = other;
                    regularId = id;
                    cell = c;
                    return;
                }
        });
        if (busy)
            break;
    }
    ASSERT_TRUE(busy);
    CTempAdjustDlg dialog(nullptr, &temp, false, regularId);
    RunModal<CTempAdjustDlg>(dialog, [&](CTempAdjustDlg& d) {
        CSubstituteWnd& wnd = d.GetSubstituteWnd();
        EXPECT_EQ(wnd.GetStatusText(), "在课表上点击鼠标右键可以选择代课教师");
        EXPECT_FALSE(d.GetDlgItem(CTempAdjustDlg::IDC_EXECUTE)->isEnabled());
        wnd.GetPlan().Assign({cell}, cell, 0, kSubstituteCell, busy);
        wnd.Refill();
        const tagTABLE_NODE grid{cell.day - 1, cell.segment, cell.section};
        EXPECT_EQ(wnd.ToGridNode(cell), grid);
        std::string text;
        wnd.GetTable().GetCellInfo(grid, &text);
        EXPECT_NE(text.find("【代】" + busy->GetName()), std::string::npos) << text;
        EXPECT_EQ(wnd.GetTable().GetCell(grid)->GetState(), CCell::STATE_FORBIDDEN);
        EXPECT_NE(wnd.GetTable().GetCell({cell.day - 2, cell.segment, cell.section})->GetState(),
                  CCell::STATE_FORBIDDEN);
        EXPECT_EQ(wnd.GetStatusText(), "有 1 节冲突");
        EXPECT_TRUE(d.GetDlgItem(CTempAdjustDlg::IDC_EXECUTE)->isEnabled());
        CWeekTable* table = d.GetSubstitutePanel().GetFriendTables().FindTable(busy->GetId());
        ASSERT_TRUE(table);
        EXPECT_EQ(table->GetCell(grid)->GetState(), CCell::STATE_FORBIDDEN);
        d.close();
    });
}

// Pick, change the timetables while the lesson slides to its target, drop: the drop is asked again
// when it is made, in the class timetable it was picked in. The slide waits for the change.
TEST_F(TempAdjustTest, ADropIsAskedAgainWhenItIsMade)
{
    CScheduleTask school;
    ASSERT_TRUE(school.Open(Task()->GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    CTaskHelper(&school).RestoreTempTables();
    const std::optional<StaleDrop> drop = FindStaleDrop(school);
    ASSERT_TRUE(drop) << "a lesson whose target a substitution can take";
    std::string otherClass;
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(school.GetClassInfoList()))
        if (otherClass.empty() && cls->GetId() != drop->classId)
            otherClass = cls->GetId();
    struct Case {
        const char* name;
        std::function<void(CTempAdjustDlg&)> whileSliding;
        bool moves;
    } cases[] = {
        // The moved lesson's teacher takes another class's lesson at the target: refused, named.
        {"a substitution carried out",
         [&](CTempAdjustDlg& d) {
             CSubstituteWnd& wnd = d.GetSubstituteWnd();
             wnd.GetPlan().Assign({drop->to}, drop->to, 0, kSubstituteCell,
                                  d.GetTask()->GetTeacherInfoList().Find(drop->substituteId));
             wnd.Refill();
             EXPECT_TRUE(d.Execute());
         },
         false},
        // The slid lesson is not put down in another class's timetable.
        {"another class shown",
         [&](CTempAdjustDlg& d) {
             d.GetContainer().SetObject(TABLE_CLASS, otherClass);
             d.GetContainer().ShowObject();
         },
         false},
        // No context menu under a sliding lesson: its commands would change the timetable it lands in.
        {"a right click",
         [&](CTempAdjustDlg& d) {
             CManualScheduleTable& grid = d.GetContainer().GetGrid();
             const zem::Point at = grid.GetCell(d.GetContainer().ToGridNode(drop->to))->GetRect().CenterPoint();
             QTest::mouseClick(&grid, Qt::RightButton, Qt::NoModifier, QPoint(at.x, at.y));
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScheduleTask temp;
        ASSERT_TRUE(temp.Open(Task()->GetTaskInfo().GetTaskFile()));
        CTempAdjustDlg dialog(nullptr, &temp, false, drop->regularId);
        bool menu = false;
        const zem::gui::PopupMenuHook menus = zem::gui::SetPopupMenuHook([&](const auto&) {
            menu = true;
            return 0;
        });
        RunModal<CTempAdjustDlg>(dialog, [&](CTempAdjustDlg& d) {
            CTableContainer& container = d.GetContainer();
            container.SetObject(TABLE_CLASS, drop->classId);
            container.ShowObject();
            container.GetGrid().SetPlaySoundInMoving(false);
            std::string beforeDrop, reason;
            bool posted = false, done = false;
            std::int64_t now = 0;
            const zem::gui::AnimationClockHook clock = zem::gui::SetAnimationClockHook([&] {
                if (!posted && container.GetGrid().IsMoving()) {
                    posted = true;
                    // Served by the slide's own event loop, as a click of the user's is.
                    QTimer::singleShot(0, &d, [&] {
                        c.whileSliding(d);
                        beforeDrop = AllTables(temp);
                        CTaskHelper helper(&temp);
                        helper.CanSwap(&temp.GetClass(drop->classId)->GetTable(true), drop->to, drop->from, false);
                        reason = helper.GetText();
                        done = true;
                    });
                }
                return done ? now += 60 : now;
            });
            const int records = container.GetHistory().GetCount();
            MessageRecorder messages;
            container.GetGrid().SimulateToSwapCell(container.ToGridNode(drop->from), container.ToGridNode(drop->to));
            zem::gui::SetAnimationClockHook(clock);
            ASSERT_TRUE(done);
            EXPECT_FALSE(menu);
            EXPECT_EQ(AllTables(temp) != beforeDrop, c.moves);
            EXPECT_EQ(container.GetHistory().GetCount(), records + (c.moves ? 1 : 0));
            if (!c.moves && container.GetObjectId() == drop->classId) {
                EXPECT_EQ(messages.Texts(), std::vector<std::string>{reason});
            } else {
                EXPECT_TRUE(messages.Texts().empty()) << testing::PrintToString(messages.Texts());
            }
            // The grid shows what the timetable holds, whatever it slid: as it shows it written anew.
            std::string shown[2], held[2];
            for (int i = 0; i < 2; ++i)
                container.GetGrid().GetCellInfo(container.ToGridNode(i ? drop->to : drop->from), &shown[i]);
            if (&c == &cases[0])
                SaveScreenshot(&d, "TempAdjustDlg_drop_refused");
            container.Refill();
            for (int i = 0; i < 2; ++i) {
                container.GetGrid().GetCellInfo(container.ToGridNode(i ? drop->to : drop->from), &held[i]);
                EXPECT_EQ(shown[i], held[i]);
            }
            MessageRecorder no(zem::IDNO);
            d.close();
        });
        zem::gui::SetPopupMenuHook(menus);
    }
}

// A lesson of the regular teacher swapped by hand in the middle timetable takes its planned
// substitute along; the swap is heard as the grid reports it.
TEST_F(TempAdjustTest, APlannedLessonSwappedByHandKeepsItsSubstitute)
{
    RunNew([&](CTempAdjustDlg& d) {
        CTableContainer& container = d.GetContainer();
        CCourseTable& table = *container.GetTable();
        CSubstituteWnd& wnd = d.GetSubstituteWnd();
        const CTeacherInfo* regular = d.GetTask()->GetTeacher(teacherId);
        ASSERT_TRUE(regular);
        CZemObject* substitute = nullptr;
        for (const auto& [id, object] : d.GetTask()->GetTeacherInfoList())
            if (id != teacherId)
                substitute = object;
        // A whole lesson of the teacher in the class shown, and a cell it may trade places with.
        CTaskHelper helper(d.GetTask(), AppHelperContext());
        MessageRecorder yes(zem::IDYES);
        std::optional<std::pair<tagTABLE_NODE, tagTABLE_NODE>> swap;
        const CSchoolStructure& week = d.GetTask()->GetSchoolStructure();
        ForEachSlot(week, {.lastSegment = 0}, [&](const tagTABLE_NODE& a) {
            if (!regular->GetTable(true).IsUsed(a) || !table.IsUsed(a) || table.GetNode(a).IsInterleave())
                return false;
            return ForEachSlot(week, {.lastSegment = 0}, [&](const tagTABLE_NODE& b) {
                if (a == b || !table.IsUsed(b) || regular->GetTable(true).IsUsed(b) ||
                    table.GetNode(b).IsInterleave() || !helper.CanSwap(&table, b, a, false))
                    return false;
                swap = std::make_pair(a, b);
                return true;
            });
        });
        ASSERT_TRUE(swap);
        const auto [from, to] = *swap;
        wnd.GetPlan().Assign({from}, from, 0, kSubstituteCell, substitute);
        wnd.Refill();
        tagNMT_MOVE move{};
        move.picked = container.ToGridNode(from);
        move.target = container.ToGridNode(to);
        container.OnPick(move.picked);
        zem::SendMessage(&container, WM_TABLE_CELL_MOVED, zem::ToWParam(&move), 0);
        ASSERT_TRUE(regular->GetTable(true).IsUsed(to));
        ASSERT_EQ(wnd.GetPlan().GetRecords().size(), 1u);
        EXPECT_TRUE(wnd.GetPlan().Find(to, 0));
        EXPECT_TRUE(d.IsModified());
        MessageRecorder no(zem::IDNO);
        d.close();
    });
}

// The comparison's hand-over: nothing without a list, "导出" without a title; the chosen
// timetables of the temporary task go to the export preview as one group.
TEST_F(TempAdjustTest, DifferingTimetablesHandedOverAreExported)
{
    CScheduleTask temp;
    ASSERT_TRUE(temp.Open(Task()->GetTaskInfo().GetTaskFile()));
    const std::string teacher = Task()->GetTeacherInfoList().begin()->first;
    std::vector<CZemObject*> classes;
    MapToOrderedList(temp.GetClassInfoList(), classes);
    ASSERT_GE(classes.size(), 2u);
    CTempAdjustDlg dialog(nullptr, &temp, false, teacher);
    std::vector<std::string> captions, groups;
    std::vector<bool> exports;
    RunModal<CTempAdjustDlg>(dialog, [&](CTempAdjustDlg& d) {
        ModalScope inner([&](zem::gui::Dialog& shown) {
            captions.push_back(shown.Caption());
            if (auto* preview = dynamic_cast<CPrintPreviewDlg*>(&shown)) {
                for (const auto& group : d.GetGroups())
                    groups.push_back(group->name);
                exports.push_back(preview->HasButton(CPrintPreviewDlg::ID_EXPORT));
                shown.EndDialog(zem::IDCANCEL);
            } else if (auto* chooser = dynamic_cast<CMultiSelectDlg*>(&shown)) {
                QTest::mouseClick(chooser->GetDlgItem(zem::IDOK), Qt::LeftButton);
            }
        });
        zem::SendMessage(&d, WM_EXPORT_DIFF_TABLES, 0, 0);
        EXPECT_TRUE(captions.empty());
        // Copies, as the comparison sends them; they are gone before the preview reads the tables.
        for (const bool titled : {false, true}) {
            std::string title = "选择要导出的差异课表";
            auto copies = std::make_unique<CZemObjectList>();
            for (int i = 0; i < (titled ? 2 : 1); ++i) {
                CZemObject* copy = classes[static_cast<std::size_t>(i)]->Clone();
                copy->SetIndex(i);
                copies->Add(copy);
            }
            zem::SendMessage(&d, WM_EXPORT_DIFF_TABLES, zem::ToWParam(titled ? &title : nullptr),
                             zem::ToLParam(copies.get()));
        }
        d.close();
    });
    ASSERT_EQ(captions.size(), 4u);
    EXPECT_EQ(captions[0], "导出");
    EXPECT_EQ(captions[2], "选择要导出的差异课表");
    EXPECT_EQ(groups, (std::vector<std::string>{classes[0]->GetName() + "临时课表",
                                                classes[0]->GetName() + "等2张临时课表"}));
    EXPECT_EQ(exports, (std::vector<bool>{true, true}));
}

// A planned substitute's text: the lesson's two lines on the first, the substitute on the second,
// for the whole cell or each planned half; other texts stay.
TEST(DecorateSubstituteCell, PlannedHalvesAndWholeCells)
{
    CTeacherInfo substitute;
    substitute.SetName("玥瑋");
    CSubstitutePlan plan;
    plan.GetRecords().push_back({0, 0, 0, 0, &substitute});
    plan.GetRecords().push_back({1, 0, 0, 2, &substitute});
    const std::string s(1, '\x07');
    struct Case {
        tagTABLE_NODE cell;
        std::string text;
        std::string decorated;
    } cases[] = {
        {{0, 0, 0}, "1" + s + "1" + s + "语文" + s + "高一1", "1" + s + "1" + s + "语文 高一1" + s + "【代】玥瑋"},
        {{1, 0, 0}, "2" + s + "1" + s + "音" + s + "甲" + s + "2" + s + "美" + s + "乙",
         "2" + s + "1" + s + "音" + s + "甲" + s + "2" + s + "美 乙" + s + "【代】玥瑋"},
        {{2, 0, 0}, "1" + s + "1" + s + "语文" + s + "高一1", "1" + s + "1" + s + "语文" + s + "高一1"},
        {{0, 0, 0}, "别的", "别的"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecorateSubstituteCell(c.text, plan, c.cell), c.decorated) << c.text;
}

// Segment by segment, then day by day over the days in use: an afternoon lesson on the first day
// comes after a morning one on the second, and a lesson on a day switched off counts for nothing.
TEST(FirstClassOfTeacher, TheFirstLessonsClassElseTheFirstClass)
{
    std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"S12", "normal", 1});
    std::vector<CZemObject*> classes;
    MapToOrderedList(school->GetClassInfoList(), classes);
    ASSERT_GE(classes.size(), 3u);
    EXPECT_EQ(FirstClassOfTeacher(*school, "没有这个"), classes.front()->GetId());
    // One plan of each of two later classes.
    std::vector<CCourseInfo*> plans;
    for (const std::string& classId : {classes[1]->GetId(), classes[2]->GetId()})
        for (const auto& [id, object] : school->GetCourseInfoList())
            if (static_cast<CCourseInfo*>(object)->GetClassId() == classId) {
                plans.push_back(static_cast<CCourseInfo*>(object));
                break;
            }
    ASSERT_EQ(plans.size(), 2u);
    auto* teacher = static_cast<CZemTableObject*>(school->GetTeacherInfoList().begin()->second);
    CCourseTable& table = teacher->GetTable(true);
    table.Clear();
    EXPECT_EQ(FirstClassOfTeacher(*school, teacher->GetId()), classes.front()->GetId());

    CSchoolStructure& week = school->GetSchoolStructure();
    ASSERT_TRUE(week.IsDayInUse(0) && week.IsDayInUse(1));
    const auto put = [&](int day, int segment, const CCourseInfo* plan) {
        table.SetValue(day, segment, 0, CTimeTable::kFullUsed);
        table.GetNode(day, segment, 0).data(1).SetCourseId(plan->GetId());
    };
    put(0, 1, plans[0]);
    put(1, 0, plans[1]);
    EXPECT_EQ(FirstClassOfTeacher(*school, teacher->GetId()), plans[1]->GetClassId());
    week.SetWeekDay(1, false);
    EXPECT_EQ(FirstClassOfTeacher(*school, teacher->GetId()), plans[0]->GetClassId());
}

}  // namespace
