// Invigilation in the whole program, on the demo task after a run, driven only through its windows:
// an exam over ten rooms and its rules, the automatic assignment, one room's teachers changed by
// hand, the workbook exported, and the proctoring closed and opened again as it was.
#include "support/JourneyTestSupport.h"
#include "support/DataDialogTestSupport.h"
#include "support/OfficeCsv.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/proctor/ExamPlanDlg.h"
#include "app/proctor/ProctorDlg.h"
#include "app/proctor/ProctorProgressDlg.h"
#include "app/proctor/ProctorRuleDlg.h"
#include "app/shared/Strings.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QRadioButton>

#include <filesystem>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using zem::gui::ItemList;
using zem::gui::ReportList;

Rows Texts(const ReportList& list)
{
    Rows rows;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        rows.emplace_back();
        for (int column = 1; column < list.GetColumnCount(); ++column)
            rows.back().push_back(list.GetItemText(row, column));
    }
    return rows;
}

// A left click on a row, then the right click the window system turns into a context menu.
void RightClickRow(ReportList& list, int row)
{
    const QRect cell = list.visualRect(list.model()->index(row, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QContextMenuEvent menu(QContextMenuEvent::Mouse, cell.center(), list.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(list.viewport(), &menu);
}

class ProctorJourney : public Journey {
protected:
    ProctorJourney()
    {
        CProctorRunOptions options;
        options.seed = 3;
        options.pacing = false;
        CProctorProgressDlg::SetRunOptionsForTesting(options);
    }
    ~ProctorJourney() override { CProctorProgressDlg::SetRunOptionsForTesting(std::nullopt); }

    MenuScript menus;
};

TEST_F(ProctorJourney, AnExamOverTenRoomsAssignedChangedExportedAndReopened)
{
    const std::string workbook = (std::filesystem::path(folder.path()) / "导出" / "期中监考.xlsx").string();
    std::filesystem::create_directories(std::filesystem::path(workbook).parent_path());
    std::vector<zem::gui::FileDialogRequest> asked;
    const auto previousDialog = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& r) {
        asked.push_back(r);
        return workbook;
    });
    std::vector<std::string> opened;
    const auto previousOpen = zem::gui::SetOpenHook([&](const std::string& target) {
        opened.push_back(target);
        return zem::gui::kOpenDone;
    });
    Rows plans, results;
    std::string changedRoom, added, dropped;
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        RunWholeSchool(main, "journey_proctor_report");
        ASSERT_TRUE(StepsDone());

        Expect<CProctorDlg>("proctoring", [&](CProctorDlg& page) {
            SaveScreenshot(&page, "journey_proctor_opened");
            // One exam in the classrooms of the first ten classes.
            Expect<CExamPlanDlg>("exam", [&](CExamPlanDlg& d) {
                d.Item<QDateEdit>(CExamPlanDlg::IDC_DATE)->setDate(QDate(2026, 11, 16));
                d.Item<QComboBox>(CExamPlanDlg::IDC_COUNT)->setCurrentText("2");
                Expect<CMultiSelectDlg>("rooms", [](CMultiSelectDlg& c) {
                    Click(c, CMultiSelectDlg::IDC_CHECK_NONE);
                    ItemList& list = *c.Item<ItemList>(CMultiSelectDlg::IDC_LIST);
                    ASSERT_GE(list.GetItemCount(), 10);
                    for (int i = 0; i < 10; ++i) {
                        list.EnsureVisible(i);
                        ClickCheck(list, i);
                    }
                    Click(c, zem::IDOK);
                });
                menus.choices.push_back("从班级信息列表添加常规教室考场");
                Click(d, CExamPlanDlg::IDC_ROOM_MENU);
                EXPECT_EQ(d.GetRooms().size(), 10u);
                SaveScreenshot(&d, "journey_proctor_exam");
                Click(d, zem::IDOK);
            });
            Click(page, CProctorDlg::IDC_ADD);
            ASSERT_TRUE(StepsDone());
            ASSERT_EQ(page.GetPlanList()->GetItemCount(), 1);
            EXPECT_EQ(page.GetPlanList()->GetItemText(0, 4), "10");

            Expect<CProctorRuleDlg>("rules", [](CProctorRuleDlg& d) {
                QTest::mouseClick(d.Radio(CProctorRuleDlg::IDC_CLASS_PREFER), Qt::LeftButton);
                QTest::mouseClick(d.Radio(CProctorRuleDlg::IDC_SUBJECT_AVOID), Qt::LeftButton);
                SaveScreenshot(&d, "journey_proctor_rules");
                Click(d, zem::IDOK);
            });
            Click(page, CProctorDlg::IDC_RULE);

            Expect<CProctorProgressDlg>("assignment", [](CProctorProgressDlg& d) {
                SaveScreenshot(&d, "journey_proctor_progress");
                EXPECT_TRUE(Until([&] { return d.IsEnded(); }, 60000)) << "the assignment did not end";
            });
            Click(page, CProctorDlg::IDC_START);
            ASSERT_TRUE(StepsDone());
            ReportList& list = *page.GetResultList();
            ASSERT_EQ(list.GetItemCount(), 10);
            const CProctorData& data = page.GetProctor()->data();
            // The rules as set: first a teacher of the class in the room, nobody who teaches the
            // exam's subject.
            const CProctorData::Plan& exam = *data.GetPlanList().at(0);
            auto teaches = [&](const std::string& teacher, const std::string& classId, const std::string& subject) {
                for (const auto& [id, object] : CAppContext::Get()->GetTask()->GetCourseInfoList()) {
                    const auto* plan = static_cast<const CCourseInfo*>(object);
                    if (zem::EqualsNoCase(plan->GetTeacherId(), teacher) &&
                        (classId.empty() || plan->GetClassId() == classId) &&
                        (subject.empty() || plan->GetSubjectId() == subject))
                        return true;
                }
                return false;
            };
            for (const auto& item : data.GetProctorList()) {
                ASSERT_EQ(item->teachers.size(), 2u) << item->room;
                EXPECT_TRUE(teaches(item->teachers[0], item->room, "")) << item->room;
                for (const std::string& teacher : item->teachers)
                    EXPECT_FALSE(teaches(teacher, "", exam.subject)) << teacher;
            }
            SaveScreenshot(&page, "journey_proctor_assigned");

            // The third room: its first teacher gives way to one who watches no room of the exam.
            const CProctorData::ProctorItem& item = *list.GetItemPtr<const CProctorData::ProctorItem>(2);
            changedRoom = item.room;
            dropped = item.teachers[0];
            Expect<CMultiSelectDlg>("teachers", [&](CMultiSelectDlg& c) {
                ItemList& teachers = *c.Item<ItemList>(CMultiSelectDlg::IDC_LIST);
                int drop = -1, add = -1;
                for (int i = 0; i < teachers.GetItemCount(); ++i) {
                    const std::string id = teachers.GetItemPtr<CZemObject>(i)->GetId();
                    bool used = false;
                    for (const auto& other : data.GetProctorList())
                        used = used || StringArrayContainsNoCase(other->teachers, id);
                    if (id == dropped)
                        drop = i;
                    else if (!used && add < 0)
                        add = i;
                }
                ASSERT_GE(drop, 0);
                ASSERT_GE(add, 0);
                added = teachers.GetItemPtr<CZemObject>(add)->GetId();
                teachers.EnsureVisible(drop);
                ClickCheck(teachers, drop);
                teachers.EnsureVisible(add);
                ClickCheck(teachers, add);
                SaveScreenshot(&c, "journey_proctor_change");
                Click(c, zem::IDOK);
            });
            menus.choices.push_back("更改监考教师");
            RightClickRow(list, 2);
            ASSERT_TRUE(StepsDone());
            EXPECT_FALSE(StringArrayContainsNoCase(item.teachers, dropped));
            EXPECT_TRUE(StringArrayContainsNoCase(item.teachers, added));
            SaveScreenshot(&page, "journey_proctor_changed");

            menus.choices.push_back("导出");
            Click(page, CProctorDlg::IDC_RESULT_MENU);
            EXPECT_EQ(opened, std::vector<std::string>{workbook});

            plans = Texts(*page.GetPlanList());
            results = Texts(list);
            // The close box; Yes to saving.
            page.close();
            EXPECT_TRUE(page.IsEnded());
        });
        ClickQuickTool(main, 1373);
        ASSERT_TRUE(StepsDone());

        Expect<CProctorDlg>("proctoring reopened", [&](CProctorDlg& page) {
            EXPECT_EQ(Texts(*page.GetPlanList()), plans);
            EXPECT_EQ(Texts(*page.GetResultList()), results);
            for (const auto& item : page.GetProctor()->data().GetProctorList())
                if (item->room == changedRoom) {
                    EXPECT_TRUE(StringArrayContainsNoCase(item->teachers, added));
                }
            EXPECT_FALSE(page.IsModified());
            SaveScreenshot(&page, "journey_proctor_reopened");
            Expect<CProctorRuleDlg>("rules reopened", [](CProctorRuleDlg& d) {
                EXPECT_TRUE(d.Radio(CProctorRuleDlg::IDC_CLASS_PREFER)->isChecked());
                EXPECT_TRUE(d.Radio(CProctorRuleDlg::IDC_SUBJECT_AVOID)->isChecked());
                Click(d, zem::IDCANCEL);
            });
            Click(page, CProctorDlg::IDC_RULE);
            page.close();
        });
        ClickQuickTool(main, 1373);
        ASSERT_TRUE(StepsDone());
        main.close();
    });
    zem::gui::SetOpenHook(previousOpen);
    zem::gui::SetFileDialogHook(previousDialog);
    ASSERT_FALSE(results.empty());
    // Proposed in the documents folder under the proctoring's name; the run itself told nothing.
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].folder, Documents());
    EXPECT_EQ(asked[0].fileName.rfind("监考安排表2", 0), 0u) << asked[0].fileName;
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "监考安排表已经导出到：\n" + workbook + "\n\n要打开这个工作簿吗？");
    EXPECT_EQ(messages[1], CProctorDlg::kCloseQuestion);

    // The exam sheet holds the rows the page showed, under its title and headings; LibreOffice reads
    // every one of its texts.
    zem::workbook::SheetData sheet;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(workbook, sheet, error, 0)) << error;
    ASSERT_EQ(sheet.LastRow(), static_cast<int>(results.size()) + 2);
    // A proctoring never named has no exam name to give.
    EXPECT_EQ(sheet.Value(1, 1).text, "监考安排表");
    Rows written;
    for (int row = 3; row <= sheet.LastRow(); ++row) {
        written.emplace_back();
        for (int column = 1; column <= static_cast<int>(results[0].size()); ++column)
            written.back().push_back(sheet.Value(row, column).text);
    }
    EXPECT_EQ(written, results);

    const QString office = OfficeProgram();
    ASSERT_FALSE(office.isEmpty()) << "LibreOffice is not installed";
    ASSERT_EQ(ConvertSheetsToCsv(office, workbook, folder.path()), "");
    std::string csv;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path() + "/csv"))
        csv += ReadCsv(entry.path().string());
    EXPECT_NE(csv.find(sheet.Value(1, 1).text), std::string::npos);
    for (const auto& row : results)
        for (const std::string& text : row)
            EXPECT_NE(csv.find(text), std::string::npos) << text;
}

}  // namespace
