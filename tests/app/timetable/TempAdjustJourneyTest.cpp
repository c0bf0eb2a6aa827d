// Substitutions through the temporary lesson-change window, on a scheduled copy of the demo task,
// as the office works them: plan a substitute for an absent teacher's lessons in the chooser,
// carry the plan out, save, close, reopen from the menu, compare with the formal task and print.
#include "support/EngineRun.h"
#include "support/PdfPages.h"
#include "support/ShellTestSupport.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ProgramFeatures.h"
#include "app/timetable/CompareTaskDlg.h"
#include "app/timetable/SubstituteTeacherDlg.h"
#include "app/timetable/TempAdjustDlg.h"
#include "base/ScheduleTask.h"
#include "base/WeekCount.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/QtText.h"
#include "support/MessageRecorder.h"
#include "support/TaskDump.h"
#include "support/TreeTexts.h"
#include "base/ScheduleValidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <set>
#include <unistd.h>

namespace {

const std::string kDemoName = "演示排课.zem";

std::string TemplateFolder()
{
    return std::string(ZEM_TEST_OUTPUT_DIR) + "/TempAdjustDemo." + std::to_string(::getpid()) + "/";
}

std::vector<std::string> TreeTexts(CTempAdjustDlg& d)
{
    return TopLevelTexts(*d.Item<QTreeWidget>(CTempAdjustDlg::IDC_TREE));
}

void Click(zem::gui::Dialog& d, int id) { QTest::mouseClick(d.GetDlgItem(id), Qt::LeftButton); }

void SelectNamed(zem::gui::ItemList& list, const std::string& name)
{
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemText(row) == name) {
            list.SetSelected(row, true);
            return;
        }
    ADD_FAILURE() << "no " << name << " listed";
}

class TempAdjustJourneyTest : public ShellTest {
protected:
    // One run of the engine on the demo task serves every test, each on its own copy.
    static void SetUpTestSuite()
    {
        MessageRecorder quiet;
        const std::string folder = TemplateFolder();
        std::filesystem::remove_all(folder);
        ASSERT_EQ(zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", folder), 0);
        CScheduleTask task;
        ASSERT_TRUE(task.Open(folder + kDemoName));
        RunEngine(task);
        ASSERT_TRUE(task.SaveOutputData());
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(TemplateFolder()); }

    void SetUp() override
    {
        MakeContext();
        ASSERT_EQ(zem::CopyFolder(TemplateFolder(), TaskFolder()), 0);
        ASSERT_TRUE(CAppContext::Get()->OpenTask(TaskFolder() + kDemoName, false));
        RegisterProgramFeatures();
        m_workArea = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1366, 768); });
        m_menu = zem::gui::SetPopupMenuHook([this](const std::vector<zem::gui::MenuItem>& items) {
            for (const auto& item : items)
                menuTexts.push_back(item.text);
            return menuAnswer;
        });
        ChooseLesson();
    }
    void TearDown() override
    {
        zem::gui::SetPopupMenuHook(m_menu);
        zem::gui::SetWorkAreaHook(m_workArea);
    }

    std::string TaskFolder() const { return folder.path() + "task/"; }
    CScheduleTask* Formal() { return CAppContext::Get()->GetTask(); }

    // The regular teacher: one who gives a plan alone (no assistants, no combined class) at whole
    // cells only; the substitute: a teacher free at all of them; the busy one: one who is not.
    void ChooseLesson()
    {
        CScheduleTask& task = *Formal();
        for (const auto& [id, object] : task.GetCourseInfoList()) {
            auto* plan = static_cast<CCourseInfo*>(object);
            CTeacherInfo* teacher = task.GetTeacher(plan->GetTeacherId());
            if (!teacher || task.GetAssistant(plan->GetId()) || task.GetCC(plan->GetId()))
                continue;
            std::vector<tagTABLE_NODE> cells;
            bool whole = true;
            ForEachSlot(task.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
                const CCourseTableNode& node = teacher->GetTable(false).GetNode(cell);
                if (teacher->GetTable(false).IsUsed(cell) && (node.GetCourseId(1) == plan->GetId() ||
                                                              node.GetCourseId(2) == plan->GetId())) {
                    cells.push_back(cell);
                    whole = whole && !node.IsInterleave();
                }
            });
            if (cells.size() < 2 || !whole)
                continue;
            CTeacherInfo* free = nullptr;
            CTeacherInfo* busy = nullptr;
            for (const auto& [otherId, other] : task.GetTeacherInfoList()) {
                auto* t = static_cast<CTeacherInfo*>(other);
                if (t == teacher)
                    continue;
                const bool used = t->GetTable(false).IsUsed(cells[0]);
                bool freeAll = true;
                for (const tagTABLE_NODE& cell : cells)
                    freeAll = freeAll && !t->GetTable(false).IsUsed(cell);
                if (!free && freeAll)
                    free = t;
                if (!busy && used)
                    busy = t;
            }
            if (free && busy) {
                regularName = teacher->GetName();
                substituteName = free->GetName();
                busyName = busy->GetName();
                planId = plan->GetId();
                classId = plan->GetClassId();
                lessons = cells;
                return;
            }
        }
        FAIL() << "no lesson for a substitution";
    }

    // Right-clicks the regular teacher's first planned lesson in the window's left column and
    // answers the menu with the command.
    void RightClickLesson(CTempAdjustDlg& d, int command)
    {
        menuAnswer = command;
        CSubstituteWnd& wnd = d.GetSubstituteWnd();
        CWeekTable& table = wnd.GetTable();
        zem::Rect r;
        table.GetCellRect(wnd.ToGridNode(lessons[0]), &r);
        QTest::mouseClick(&table, Qt::RightButton, Qt::NoModifier,
                          table.mapFromGlobal(QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2)));
    }

    // The chooser, worked: with `freeOnly` the "有空的" box ticked first; the named teacher chosen.
    static void Choose(CSubstituteTeacherDlg& c, bool freeOnly, const std::string& name, const std::string& shot)
    {
        if (freeOnly)
            QTest::mouseClick(c.GetDlgItem(CSubstituteTeacherDlg::IDC_FREE), Qt::LeftButton);
        SelectNamed(*c.GetList(), name);
        EXPECT_EQ(c.GetPreviewTitle(), name + " 老师的课表");
        if (!shot.empty())
            SaveScreenshot(&c, shot);
        Click(c, zem::IDOK);
    }

    // Runs the launcher for a new temporary task (empty name) or a saved one, the window worked by
    // `act` and the other dialogs by `other`.
    void Run(const std::string& name, const std::function<void(CTempAdjustDlg&)>& act,
             const std::function<void(zem::gui::Dialog&)>& other = {})
    {
        ModalScope scope([&](zem::gui::Dialog& d) {
            if (auto* picker = dynamic_cast<CObjectPickerDlg*>(&d)) {
                SelectNamed(*picker->GetList(), regularName);
                Click(*picker, zem::IDOK);
            } else if (auto* window = dynamic_cast<CTempAdjustDlg*>(&d)) {
                act(*window);
            } else if (other) {
                other(d);
            } else {
                ADD_FAILURE() << "unexpected dialog " << d.Caption();
                d.EndDialog(zem::IDCANCEL);
            }
        });
        panel.StartTempAdjust(name);
    }

    CPagePanel panel;
    std::string regularName, substituteName, busyName, planId, classId;
    std::vector<tagTABLE_NODE> lessons;
    int menuAnswer = 0;
    std::vector<std::string> menuTexts;

private:
    zem::gui::WorkAreaHook m_workArea;
    zem::gui::PopupMenuHook m_menu;
};

TEST_F(TempAdjustJourneyTest, PlanExecuteSaveReopenCompareAndPrint)
{
    const std::string formal = Formal()->GetTaskInfo().GetTaskFolder();
    const std::string input = ReadRaw(formal + "input.xml");
    const std::string output = ReadRaw(formal + "output.xml");

    Run("", [&](CTempAdjustDlg& d) {
            EXPECT_FALSE(d.GetDlgItem(CTempAdjustDlg::IDC_EXECUTE)->isEnabled());
            RightClickLesson(d, CSubstituteWnd::ID_SUBSTITUTE_COURSE);
            ASSERT_EQ(d.GetSubstituteWnd().GetPlan().GetRecords().size(), lessons.size());
            EXPECT_EQ(d.GetSubstituteWnd().GetStatusText(), "没有冲突");
            EXPECT_NE(TreeTexts(d)[0].find("点击上方的“执行代课”按钮执行代课操作"), std::string::npos);
            CTeacherInfo* substitute = static_cast<CTeacherInfo*>(d.GetTask()->GetTeacherInfoList().FindByName(substituteName));
            ASSERT_TRUE(substitute);
            EXPECT_TRUE(d.GetSubstitutePanel().GetFriendTables().FindTable(substitute->GetId()));
            std::string cell;
            d.GetSubstituteWnd().GetTable().GetCellInfo(d.GetSubstituteWnd().ToGridNode(lessons[0]), &cell);
            EXPECT_NE(cell.find("【代】" + substituteName), std::string::npos);
            SaveScreenshot(&d, "TempAdjustDlg-planned");

            Click(d, CTempAdjustDlg::IDC_EXECUTE);
            EXPECT_TRUE(d.GetSubstituteWnd().GetPlan().GetRecords().empty());
            ASSERT_EQ(d.GetExecuted().size(), 1u);
            EXPECT_TRUE(d.IsModified());
            const std::vector<std::string> tree = TreeTexts(d);
            ASSERT_EQ(tree.size(), 2u);
            EXPECT_NE(tree[1].find(zem::Format(" 安排代课 %s %d节 -> %s", regularName.c_str(),
                                               static_cast<int>(lessons.size()), substituteName.c_str())),
                      std::string::npos)
                << tree[1];
            SaveScreenshot(&d, "TempAdjustDlg-executed");
            Click(d, CTempAdjustDlg::IDC_SAVE);
            EXPECT_TRUE(d.IsSaved());
            EXPECT_FALSE(d.IsModified());
            d.close();
        }, [&](zem::gui::Dialog& other) {
            if (auto* chooser = dynamic_cast<CSubstituteTeacherDlg*>(&other))
                Choose(*chooser, true, substituteName, "SubstituteTeacherDlg");
        });
    EXPECT_EQ(menuTexts.size(), 7u);
    EXPECT_EQ(ReadRaw(formal + "input.xml"), input);
    EXPECT_EQ(ReadRaw(formal + "output.xml"), output);
    ASSERT_EQ(CAppContext::Get()->GetRecentTempTasks().GetCount(), 1);
    const std::string name = CAppContext::Get()->GetRecentTempTasks().GetAt(0);

    // Reopened from the menu, the substitution is in the timetables and in the history.
    const std::string pdf = folder.path() + "临时课表.pdf";
    std::set<std::string> compared, expected;
    Run(name, [&](CTempAdjustDlg& d) {
            CScheduleTask& temp = *d.GetTask();
            const std::vector<std::string> tree = TreeTexts(d);
            ASSERT_EQ(tree.size(), 2u);
            EXPECT_NE(tree[1].find(" 安排代课 " + regularName), std::string::npos);
            ASSERT_EQ(d.GetHistory().GetEntries().size(), 1u);
            for (const std::string& id : d.GetHistory().GetEntries()[0]->ids)
                if (temp.GetClass(id) || temp.GetTeacher(id))
                    expected.insert(temp.GetClass(id) ? temp.GetClass(id)->GetName() : temp.GetTeacher(id)->GetName());
            auto* regular = static_cast<CTeacherInfo*>(temp.GetTeacherInfoList().FindByName(regularName));
            auto* substitute = static_cast<CTeacherInfo*>(temp.GetTeacherInfoList().FindByName(substituteName));
            ASSERT_TRUE(regular && substitute);
            for (const tagTABLE_NODE& cell : lessons) {
                EXPECT_FALSE(regular->GetTable(false).IsUsed(cell));
                const CCourseInfo* copy = temp.FindCourse(substitute->GetTable(false).GetNode(cell).GetCourseId(1));
                ASSERT_TRUE(copy);
                EXPECT_EQ(copy->GetTeacherId(), substitute->GetId());
                EXPECT_EQ(copy->GetClassId(), classId);
                EXPECT_EQ(temp.GetClass(classId)->GetTable(false).GetNode(cell).GetCourseId(1), copy->GetId());
            }
            EXPECT_EQ(temp.FindCourse(planId)->GetWeekCount(),
                      Formal()->FindCourse(planId)->GetWeekCount() - CWeekCount(static_cast<int>(lessons.size()), false));
            const ScheduleValidation check = ValidateSchedule(
                temp, false, kCheckDoubleBooking | kCheckConsistency | kCheckWeekCount | kCheckCombined | kCheckHalves);
            EXPECT_TRUE(check.IsClean()) << check.Text();

            Click(d, CTempAdjustDlg::IDC_COMPARE);
            const auto previous = zem::gui::SetPrintDialogHook([&](QPrinter& printer) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(QString::fromStdString(pdf));
                return true;
            });
            Click(d, CTempAdjustDlg::IDC_PRINT);
            zem::gui::SetPrintDialogHook(previous);
            d.close();
        }, [&](zem::gui::Dialog& other) {
            if (auto* compare = dynamic_cast<CCompareTaskDlg*>(&other)) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return !compare->IsComparing(); }, 20000));
                for (const CTaskDifference& difference : compare->GetDifferences())
                    compared.insert(difference.temp->GetName());
                compare->close();
            } else if (auto* chooser = dynamic_cast<CMultiSelectDlg*>(&other)) {
                // The changed timetables come ticked.
                std::set<std::string> ticked;
                for (const std::string& id : chooser->GetCheckedSet())
                    ticked.insert(id);
                EXPECT_EQ(ticked.size(), expected.size());
                Click(*chooser, zem::IDOK);
            } else if (auto* preview = dynamic_cast<CPrintPreviewDlg*>(&other)) {
                Click(*preview, CPrintPreviewDlg::ID_PRINT);
                Click(*preview, CPrintPreviewDlg::ID_CLOSE);
            }
        });
    EXPECT_GE(expected.size(), 2u);
    EXPECT_EQ(compared, expected);
    EXPECT_EQ(ReadRaw(formal + "input.xml"), input);
    EXPECT_EQ(ReadRaw(formal + "output.xml"), output);

    // The substitute's name under a temporary title.
    bool shown = false;
    for (const PdfPage& page : ReadPdfPages(pdf)) {
        bool title = false, substitute = false;
        for (const PdfWord& word : page.words) {
            title = title || word.text.find("临时课表") != std::string::npos;
            substitute = substitute || word.text.find(substituteName) != std::string::npos;
        }
        shown = shown || (title && substitute);
    }
    EXPECT_TRUE(shown);
    RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/TempAdjustDlg-print.png", 60);
}

// A substitute who already teaches at a planned lesson is refused with the count; a substitution
// carried out and not saved is asked about on closing, and the new task then goes.
// The substitute may not teach at the hour the busy teacher teaches: carrying the substitution out
// is refused with that rule named and the temporary task stays exactly as it was. Once carried out
// without the rule, the rule laid again stands for a conflict kept in the window: saving names it.
TEST_F(TempAdjustJourneyTest, ASubstitutionThatBreaksARuleIsRefusedAndAKeptBreakIsNamedOnSaving)
{
    Run("", [&](CTempAdjustDlg& d) {
            CScheduleTask& temp = *d.GetTask();
            const std::string substituteId = temp.GetTeacherInfoList().GetObjectId(substituteName);
            const std::string busyId = temp.GetTeacherInfoList().GetObjectId(busyName);
            const auto exclude = [&] {
                auto* rule = new CMutexOfTeacher;
                rule->SetId(substituteId);
                rule->GetMutexTeachers() = {busyId};
                temp.GetMutexOfTeacherList().Add(rule);
                temp.GetMutexOfTeacherList().RebuildEachTeacherMap();
            };
            exclude();
            RightClickLesson(d, CSubstituteWnd::ID_SUBSTITUTE_CELL);
            ASSERT_EQ(d.GetSubstituteWnd().GetPlan().GetRecords().size(), 1u);
            const std::string before = taskdump::Dump(temp);
            {
                MessageRecorder messages;
                Click(d, CTempAdjustDlg::IDC_EXECUTE);
                ASSERT_EQ(messages.Texts().size(), 1u);
                const std::string said = messages.Texts()[0];
                EXPECT_EQ(said.rfind("这样调整会违反排课规则，已撤销调整：\n", 0), 0u) << said;
                EXPECT_NE(said.find("是互斥教师"), std::string::npos) << said;
                EXPECT_NE(said.find(substituteName), std::string::npos) << said;
            }
            EXPECT_EQ(taskdump::Dump(temp), before);
            EXPECT_TRUE(d.GetExecuted().empty());
            EXPECT_FALSE(d.IsModified());

            temp.GetMutexOfTeacherList().Remove(substituteId);
            temp.GetMutexOfTeacherList().RebuildEachTeacherMap();
            Click(d, CTempAdjustDlg::IDC_EXECUTE);
            ASSERT_EQ(d.GetExecuted().size(), 1u);
            exclude();
            {
                MessageRecorder messages;
                Click(d, CTempAdjustDlg::IDC_SAVE);
                ASSERT_EQ(messages.Texts().size(), 1u);
                const std::string said = messages.Texts()[0];
                EXPECT_EQ(said.rfind(std::string(CTempAdjustDlg::kSavedWithFindingsText) +
                                         "调整后以下课程违反了排课规则：\n",
                                     0),
                          0u)
                    << said;
                EXPECT_NE(said.find("是互斥教师"), std::string::npos) << said;
            }
            EXPECT_TRUE(d.IsSaved());
            EXPECT_FALSE(d.IsModified());
            d.close();
        }, [&](zem::gui::Dialog& other) {
            if (auto* chooser = dynamic_cast<CSubstituteTeacherDlg*>(&other))
                Choose(*chooser, false, substituteName, "");
        });
}

TEST_F(TempAdjustJourneyTest, AConflictIsRefusedAndAnUnsavedSubstitutionAsked)
{
    std::string tempFolder;
    Run("", [&](CTempAdjustDlg& d) {
            tempFolder = d.GetTask()->GetTaskInfo().GetTaskFolder();
            RightClickLesson(d, CSubstituteWnd::ID_SUBSTITUTE_CELL);
            ASSERT_EQ(d.GetSubstituteWnd().GetPlan().GetRecords().size(), 1u);
            EXPECT_EQ(d.GetSubstituteWnd().GetStatusText(), "有 1 节冲突");
            EXPECT_NE(TreeTexts(d)[0].find("可以在下方的课表中手工调整以解决冲突"), std::string::npos);
            {
                MessageRecorder messages;
                Click(d, CTempAdjustDlg::IDC_EXECUTE);
                // Each conflict named: who, when, and what takes the hour.
                ASSERT_EQ(messages.Texts().size(), 1u);
                const std::string said = messages.Texts()[0];
                EXPECT_EQ(said.rfind(zem::Format(CTempAdjustDlg::kConflictsText, 1) + "\n" + busyName + " ", 0), 0u)
                    << said;
                EXPECT_NE(said.find("已有课程\n"), std::string::npos) << said;
            }
            EXPECT_TRUE(d.GetExecuted().empty());
            EXPECT_FALSE(d.IsModified());
            // The second choice for the cell replaces the first, and goes through.
            RightClickLesson(d, CSubstituteWnd::ID_SUBSTITUTE_CELL);
            ASSERT_EQ(d.GetSubstituteWnd().GetPlan().GetRecords().size(), 1u);
            Click(d, CTempAdjustDlg::IDC_EXECUTE);
            ASSERT_EQ(d.GetExecuted().size(), 1u);
            MessageRecorder no(zem::IDNO);
            d.close();
            EXPECT_EQ(no.Texts(), std::vector<std::string>{CTempAdjustDlg::kCloseQuestion});
        }, [&, chosen = 0](zem::gui::Dialog& other) mutable {
            if (auto* chooser = dynamic_cast<CSubstituteTeacherDlg*>(&other))
                Choose(*chooser, false, chosen++ == 0 ? busyName : substituteName, "");
        });
    ASSERT_FALSE(tempFolder.empty());
    EXPECT_FALSE(zem::FolderExists(tempFolder));
    EXPECT_EQ(CAppContext::Get()->GetRecentTempTasks().GetCount(), 0);
}

}  // namespace
