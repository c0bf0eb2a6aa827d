// The day's changes on the demo task after a run, driven only through the program's windows: a
// substitution planned in a temporary task, carried out, saved, compared, printed and exported; and
// each plan adjustment wizard used once, the history looked at and the changed timetables exported.
#include "support/JourneyTestSupport.h"
#include "support/PdfPages.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/timetable/AdjustRoomWizard.h"
#include "app/timetable/AdjustTeacherWizard.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "app/timetable/CompareTaskDlg.h"
#include "app/timetable/PlanAdjustHubDlg.h"
#include "app/timetable/SubstituteTeacherDlg.h"
#include "app/timetable/SwapTeacherWizard.h"
#include "app/timetable/TempAdjustDlg.h"
#include "base/ScheduleTask.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"
#include "base/ScheduleValidator.h"

#include <QPrinter>
#include <QTreeWidget>

#include <filesystem>
#include <set>

namespace {

using zem::gui::Dialog;

void SelectNamed(zem::gui::ItemList& list, const std::string& name)
{
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemText(row) == name) {
            list.SetSelected(row, true);
            return;
        }
    ADD_FAILURE() << "no " << name << " listed";
}

// Every text of a workbook's sheets, read back by the program's reader.
std::string WorkbookTexts(const std::string& path)
{
    std::string texts;
    zem::workbook::SheetData sheet;
    std::string error;
    EXPECT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error, 0)) << path << ": " << error;
    for (int index = 1; error.empty(); ++index) {
        for (int row = 1; row <= sheet.LastRow(); ++row)
            for (int column = 1; column <= sheet.LastColumn(); ++column)
                texts += sheet.Value(row, column).text + "\n";
        if (!zem::workbook::ReadWorkbookSheet(path, sheet, error, index))
            break;
    }
    return texts;
}

class ChangesJourney : public Journey {
protected:
    ChangesJourney()
    {
        std::filesystem::create_directories(Into());
        m_files = zem::gui::SetFileDialogHook([this](const zem::gui::FileDialogRequest& request) {
            fileRequests.push_back(request);
            return Into() + request.fileName;
        });
        m_print = zem::gui::SetPrintDialogHook([this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(Into() + "打印.pdf"));
            return true;
        });
        m_open = zem::gui::SetOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return zem::gui::kOpenDone;
        });
        m_menu = zem::gui::SetPopupMenuHook([this](const std::vector<zem::gui::MenuItem>&) { return menuAnswer; });
    }
    ~ChangesJourney() override
    {
        zem::gui::SetPopupMenuHook(m_menu);
        zem::gui::SetOpenHook(m_open);
        zem::gui::SetPrintDialogHook(m_print);
        zem::gui::SetFileDialogHook(m_files);
    }

    std::string Into() const { return folder.path() + "/导出/"; }
    static CScheduleTask& Formal() { return *CAppContext::Get()->GetTask(); }

    // A plan given by its teacher alone at whole cells, a teacher and a room free at all its
    // lessons, and another such plan of the same teacher at times the free teacher is free too: a
    // change of teacher or room clashes with nothing, nor an exchange of the two plans.
    void ChooseLesson()
    {
        CScheduleTask& task = Formal();
        const auto lessonsOf = [&](CCourseInfo* plan, CTeacherInfo* teacher) {
            std::vector<tagTABLE_NODE> cells;
            bool whole = true;
            ForEachSlot(task.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
                const CCourseTableNode& node = teacher->GetTable(true).GetNode(cell);
                if (teacher->GetTable(true).IsUsed(cell) &&
                    (node.GetCourseId(1) == plan->GetId() || node.GetCourseId(2) == plan->GetId())) {
                    cells.push_back(cell);
                    whole = whole && !node.IsInterleave();
                }
            });
            const bool alone = !task.GetAssistant(plan->GetId()) && !task.GetCC(plan->GetId());
            return alone && whole && cells.size() >= 2 ? cells : std::vector<tagTABLE_NODE>{};
        };
        const auto teacherFree = [&](CTeacherInfo* other, const std::vector<tagTABLE_NODE>& cells) {
            for (const tagTABLE_NODE& cell : cells)
                if (other->GetTable(true).IsUsed(cell) || task.IsTeacherFixedTime(other->GetId(), cell))
                    return false;
            return true;
        };
        const auto roomFree = [&](CRoomInfo* room, const std::vector<tagTABLE_NODE>& cells) {
            for (const tagTABLE_NODE& cell : cells)
                if (room->GetCombineTable(true).IsUsed(cell))
                    return false;
            return true;
        };
        for (const auto& [id, object] : task.GetCourseInfoList()) {
            auto* plan = static_cast<CCourseInfo*>(object);
            CTeacherInfo* teacher = task.GetTeacher(plan->GetTeacherId());
            const std::vector<tagTABLE_NODE> cells = teacher ? lessonsOf(plan, teacher) : std::vector<tagTABLE_NODE>{};
            if (cells.empty())
                continue;
            CRoomInfo* room = nullptr;
            for (const auto& [roomId, other] : task.GetRoomInfoList())
                if (!room && roomFree(static_cast<CRoomInfo*>(other), cells))
                    room = static_cast<CRoomInfo*>(other);
            for (const auto& [freeId, other] : task.GetTeacherInfoList()) {
                auto* free = static_cast<CTeacherInfo*>(other);
                if (!room || free == teacher || !teacherFree(free, cells))
                    continue;
                for (const auto& [secondId, second] : task.GetCourseInfoList()) {
                    auto* exchanged = static_cast<CCourseInfo*>(second);
                    if (exchanged == plan || exchanged->GetTeacherId() != teacher->GetId())
                        continue;
                    const std::vector<tagTABLE_NODE> its = lessonsOf(exchanged, teacher);
                    if (its.empty() || !teacherFree(free, its))
                        continue;
                    regularName = teacher->GetName();
                    freeName = free->GetName();
                    roomName = room->GetName();
                    planId = plan->GetId();
                    exchangedId = exchanged->GetId();
                    lessons = cells;
                    return;
                }
            }
        }
        FAIL() << "no lesson to change";
    }

    // Picks the named object in a teacher or room picker.
    template <class Picker>
    void ExpectPick(const std::string& step, const std::string& name)
    {
        Expect<Picker>(step, [name](Picker& d) {
            SelectNamed(*d.GetList(), name);
            Click(d, zem::IDOK);
        });
    }

    // The chooser of the timetables to print or export keeps its ticks; the preview prints or
    // exports them.
    void ExpectPreview(const std::string& step, int button, const std::string& picture)
    {
        Expect<CMultiSelectDlg>(step + " chooser", [this, step](CMultiSelectDlg& d) {
            const auto& ticked = d.GetCheckedSet();
            chosen.assign(ticked.begin(), ticked.end());
            SaveScreenshot(&d, "journey_changes_" + step + "_chooser");
            Click(d, zem::IDOK);
        });
        Expect<CPrintPreviewDlg>(step + " preview", [button, picture](CPrintPreviewDlg& d) {
            SaveScreenshot(&d, picture);
            Click(d, button);
            Click(d, CPrintPreviewDlg::ID_CLOSE);
        });
    }

    // What the validator says of the open task; the journeys compare it with what it said after
    // the run.
    static std::string Validation() { return ValidateSchedule(Formal()).Text(); }

    std::string regularName, freeName, roomName, planId, exchangedId;
    std::vector<tagTABLE_NODE> lessons;
    std::vector<std::string> chosen;
    std::vector<zem::gui::FileDialogRequest> fileRequests;
    std::vector<std::string> opened;
    int menuAnswer = 0;

private:
    zem::gui::FileDialogHook m_files;
    zem::gui::PrintDialogHook m_print;
    zem::gui::OpenHook m_open;
    zem::gui::PopupMenuHook m_menu;
};

TEST_F(ChangesJourney, ASubstitutionInATemporaryTaskIsSavedComparedPrintedAndExported)
{
    std::set<std::string> compared;
    std::string formalInput, formalOutput, substituteName, className;
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        RunWholeSchool(main, "journey_changes_report");
        ASSERT_TRUE(StepsDone());
        ChooseLesson();
        className = Formal().GetClass(Formal().FindCourse(planId)->GetClassId())->GetName();
        const std::string taskFolder = Formal().GetTaskInfo().GetTaskFolder();
        formalInput = ReadRaw(taskFolder + "input.xml");
        formalOutput = ReadRaw(taskFolder + "output.xml");

        ClickPage(main, 4);
        ExpectPick<CTeacherAbsencePickerDlg>("absent teacher", regularName);
        Expect<CTempAdjustDlg>("temporary task", [&](CTempAdjustDlg& d) {
            SaveScreenshot(&d, "journey_changes_temp_opened");
            // The absent teacher's lesson, right-clicked: all its lessons go to a free teacher.
            // The first teacher the chooser says is free.
            Expect<CSubstituteTeacherDlg>("substitute", [&](CSubstituteTeacherDlg& c) {
                Click(c, CSubstituteTeacherDlg::IDC_FREE);
                ASSERT_GT(c.GetList()->GetItemCount(), 0);
                substituteName = c.GetList()->GetItemText(0);
                c.GetList()->SetSelected(0, true);
                SaveScreenshot(&c, "journey_changes_substitute");
                Click(c, zem::IDOK);
            });
            menuAnswer = CSubstituteWnd::ID_SUBSTITUTE_COURSE;
            CSubstituteWnd& wnd = d.GetSubstituteWnd();
            zem::Rect r;
            wnd.GetTable().GetCellRect(wnd.ToGridNode(lessons[0]), &r);
            QTest::mouseClick(&wnd.GetTable(), Qt::RightButton, Qt::NoModifier,
                              wnd.GetTable().mapFromGlobal(QPoint(r.CenterPoint().x, r.CenterPoint().y)));
            ASSERT_TRUE(StepsDone());
            EXPECT_EQ(wnd.GetPlan().GetRecords().size(), lessons.size());
            EXPECT_EQ(wnd.GetStatusText(), "没有冲突");
            SaveScreenshot(&d, "journey_changes_temp_planned");

            Click(d, CTempAdjustDlg::IDC_EXECUTE);
            EXPECT_EQ(d.GetExecuted().size(), 1u);
            const ScheduleValidation check =
                ValidateSchedule(*d.GetTask(), true,
                                 kCheckDoubleBooking | kCheckConsistency | kCheckWeekCount | kCheckCombined |
                                     kCheckHalves | kCheckFixedTime | kCheckUnavailable);
            EXPECT_TRUE(check.IsClean()) << check.Text();
            Click(d, CTempAdjustDlg::IDC_SAVE);
            EXPECT_TRUE(d.IsSaved());
            EXPECT_FALSE(d.IsModified());
            SaveScreenshot(&d, "journey_changes_temp_saved");

            Expect<CCompareTaskDlg>("compare", [&](CCompareTaskDlg& c) {
                EXPECT_TRUE(Until([&] { return !c.IsComparing(); }, 20000));
                for (const CTaskDifference& difference : c.GetDifferences())
                    compared.insert(difference.temp->GetName());
                SaveScreenshot(&c, "journey_changes_compare");
                c.close();
            });
            Click(d, CTempAdjustDlg::IDC_COMPARE);
            ExpectPreview("print", CPrintPreviewDlg::ID_PRINT, "journey_changes_temp_print");
            Click(d, CTempAdjustDlg::IDC_PRINT);
            ExpectPreview("export", CPrintPreviewDlg::ID_EXPORT, "journey_changes_temp_export");
            Click(d, CTempAdjustDlg::IDC_EXPORT);
            ASSERT_TRUE(StepsDone());
            d.close();
            EXPECT_TRUE(d.IsEnded());
        });
        ClickTool(main, 34);
        ASSERT_TRUE(StepsDone());
        EXPECT_EQ(CAppContext::Get()->GetRecentTempTasks().GetCount(), 1);
        // The formal task is as the run left it, and as the validator found it.
        EXPECT_EQ(ReadRaw(taskFolder + "input.xml"), formalInput);
        EXPECT_EQ(ReadRaw(taskFolder + "output.xml"), formalOutput);
        SaveScreenshot(&main, "journey_changes_temp_closed");
        main.close();
    });

    // The absent teacher's timetable, the substitute's and the class's differ, and nothing else.
    EXPECT_EQ(compared, (std::set<std::string>{regularName, substituteName, className}));
    const std::vector<PdfPage> pages = ReadPdfPages(Into() + "打印.pdf");
    EXPECT_EQ(pages.size(), chosen.size());
    std::string printed;
    for (const PdfPage& page : pages)
        for (const PdfWord& word : page.words)
            printed += word.text;
    EXPECT_NE(printed.find("临时课表"), std::string::npos);
    EXPECT_NE(printed.find(substituteName), std::string::npos);
    RenderPage(Into() + "打印.pdf", 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/journey_changes_temp_print_page.png", 60);
    ASSERT_EQ(fileRequests.size(), 1u);
    const std::string workbook = Into() + fileRequests[0].fileName;
    EXPECT_NE(WorkbookTexts(workbook).find(substituteName), std::string::npos);
}

TEST_F(ChangesJourney, EachPlanAdjustmentWizardOnceThenTheHistoryAndTheChangedTimetablesExported)
{
    std::size_t historyEntries = 0;
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        RunWholeSchool(main, "journey_adjust_report");
        ASSERT_TRUE(StepsDone());
        ChooseLesson();
        const std::string validation = Validation();
        ClickPage(main, 4);

        // Opens the hub, chooses the tool; the wizard is worked by `work` once its plan chooser,
        // opening by itself, has been answered by `pick`.
        const auto runTool = [&](int button, const std::string& step, const std::function<void()>& pick,
                                 const std::function<void(CAdjustWizardBase&)>& work) {
            Expect<CPlanAdjustHubDlg>("hub for " + step, [button](CPlanAdjustHubDlg& d) { Click(d, button); });
            Expect<CAdjustWizardBase>(step, [&, step](CAdjustWizardBase& w) {
                pick();
                EXPECT_TRUE(Until([&] { return StepsDone(); })) << "no chooser by itself";
                work(w);
                EXPECT_TRUE(Until([&] { return StepsDone(); }));
                SaveScreenshot(&w, "journey_adjust_" + step);
                w.close();
            });
            ClickTool(main, 33);
            EXPECT_TRUE(StepsDone());
            EXPECT_EQ(Validation(), validation) << step;
        };
        const auto pickPlan = [&] {
            Expect<CPlanPairPickerDlg>("plans", [&](CPlanPairPickerDlg& d) {
                zem::gui::ReportList& list = *d.GetList();
                for (int row = 0; row < list.GetItemCount(); ++row)
                    if (list.GetItemPtr<CCourseInfo>(row)->GetId() == planId)
                        list.model()->setData(list.model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
                Click(d, zem::IDOK);
            });
        };

        // The plan to the free teacher, and its changed timetables exported from the wizard.
        runTool(CPlanAdjustHubDlg::IDC_ADJUST_TEACHER, "teacher", pickPlan, [&](CAdjustWizardBase& w) {
            ExpectPick<CTeacherPickerDlg>("new teacher", freeName);
            Click(w, CAdjustWizardBase::IDC_STEP2);
            EXPECT_EQ(w.GetStatusText(), "没有冲突，可以调整");
            Click(w, zem::IDOK);
            EXPECT_EQ(w.GetStatusText(), CAdjustWizardBase::kSuccess);
            Expect<CChangedTimetableDlg>("changed", [&](CChangedTimetableDlg& c) {
                EXPECT_EQ(c.GetTree()->topLevelItemCount(), 1);
                SaveScreenshot(&c, "journey_adjust_changed");
                ExpectPreview("changed", CPrintPreviewDlg::ID_EXPORT, "journey_adjust_changed_preview");
                Click(c, CChangedTimetableDlg::IDC_EXPORT);
                c.close();
            });
            Click(w, CAdjustWizardBase::IDC_EXPORT);
        });
        // The plan into the free room.
        runTool(CPlanAdjustHubDlg::IDC_ADJUST_ROOM, "room", pickPlan, [&](CAdjustWizardBase& w) {
            ExpectPick<CRoomPickerDlg>("new room", roomName);
            Click(w, CAdjustWizardBase::IDC_STEP2);
            EXPECT_EQ(w.GetStatusText(), "没有冲突，可以调整");
            Click(w, zem::IDOK);
            EXPECT_EQ(w.GetStatusText(), CAdjustWizardBase::kSuccess);
        });
        // The free teacher, who now gives the plan, gives it back for another plan of the one who gave it.
        runTool(CPlanAdjustHubDlg::IDC_SWAP_TEACHER, "swap", [&] { ExpectPick<CTeacherPickerDlg>("first", freeName); },
                [&](CAdjustWizardBase& w) {
                    ExpectPick<CTeacherPickerDlg>("second", regularName);
                    Click(w, CAdjustWizardBase::IDC_STEP2);
                    // Only the plan goes back: every other of either teacher is unticked.
                    auto& swap = static_cast<CSwapTeacherWizard&>(w);
                    for (const int side : {0, 1}) {
                        zem::gui::ItemList& list = *swap.GetList(side);
                        for (int row = 0; row < list.GetItemCount(); ++row)
                            if (list.GetItemPtr<CCourseInfo>(row)->GetId() != (side == 0 ? planId : exchangedId))
                                list.item(row)->setCheckState(Qt::Unchecked);
                    }
                    EXPECT_EQ(swap.GetTickedIds(0), std::vector<std::string>{planId});
                    EXPECT_EQ(swap.GetTickedIds(1), std::vector<std::string>{exchangedId});
                    EXPECT_EQ(w.GetStatusText(), "没有冲突，可以交换");
                    Click(w, zem::IDOK);
                    EXPECT_EQ(w.GetStatusText(), CAdjustWizardBase::kSuccess);
                });
        EXPECT_EQ(Formal().GetTeacherName(Formal().FindCourse(planId)->GetTeacherId()), regularName);
        EXPECT_EQ(Formal().GetTeacherName(Formal().FindCourse(exchangedId)->GetTeacherId()), freeName);

        // The history lists the three, newest first.
        Expect<CPlanAdjustHubDlg>("hub for the history", [&](CPlanAdjustHubDlg& d) {
            Expect<CChangedTimetableDlg>("history", [&](CChangedTimetableDlg& c) {
                EXPECT_EQ(c.Caption(), "历史记录");
                historyEntries = static_cast<std::size_t>(c.GetTree()->topLevelItemCount());
                SaveScreenshot(&c, "journey_adjust_history");
                c.close();
            });
            QTest::mouseClick(d.Item<CHyperLink>(CPlanAdjustHubDlg::IDC_HISTORY), Qt::LeftButton);
            d.close();
        });
        ClickTool(main, 33);
        ASSERT_TRUE(StepsDone());
        main.close();
    });
    EXPECT_GE(historyEntries, 3u);
    ASSERT_EQ(fileRequests.size(), 1u);
    const std::string texts = WorkbookTexts(Into() + fileRequests[0].fileName);
    EXPECT_NE(texts.find(freeName), std::string::npos) << texts;
}

}  // namespace
