// The imports in the operation table: the reverse import into a new task, the workbook imports of
// the basic data, plans, self-study, assistants and combined classes (each of a workbook the
// program wrote from the school itself, and one that adds to it), and the room page's modify,
// each through the page's save as the user ends it.
// The engine's support first: Qt's headers make a keyword of one of its names.
#include "support/OperationSchools.h"

#include "app/controls/PageNotify.h"
#include "app/data/AssistantListPage.h"
#include "app/data/CombineClassListPage.h"
#include "app/data/ObjectListPages.h"
#include "app/data/PlanListPage.h"
#include "app/data/SelfStudyListPage.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/output/TimetableExport.h"
#include "app/output/import/PlanReader.h"
#include "app/output/import/ReverseImport.h"
#include "app/output/import/RowReader.h"
#include "app/output/workbook/CombinedClassWorkbooks.h"
#include "app/output/workbook/PlanWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/XlsxWriter.h"
#include "base/ScheduleTask.h"
#include "base/TaskUndo.h"
#include "support/BasicDataTestSupport.h"
#include "support/FakeAppServices.h"
#include "support/OperationTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using zem::import::RowReadJob;
using zem::import::RowReadResult;

std::string Folder(const OperationRun& run)
{
    return run.task.GetTaskInfo().GetTaskFolder();
}

std::set<std::string> NamesOf(const CZemObjectList& list)
{
    std::set<std::string> names;
    for (const CZemObject* object : ObjectsInOrder(list))
        names.insert(object->GetName());
    return names;
}

// The program's own workbook of an export kind, written from the task.
std::string Export(CScheduleTask& task, int kind, bool flag, const std::string& path)
{
    CSpreadsheetExporter exporter(&task);
    exporter.SetDirect(true);
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kind;
    param.flag = flag;
    param.fileName = path;
    EXPECT_TRUE(exporter.RunExport()) << param.errorText;
    return path;
}

// What the import dialog does over its page, on this thread: the rows read and sent to the page,
// its report; then the user saves the page.
template <class Page>
void ImportIntoPage(OperationRun& run, const std::function<RowReadResult(Page&, const RowReadJob&)>& read)
{
    FakeAppServices services;
    services.task = &run.task;
    Page page;
    RunPage<Page>(page, [&](Page& p) {
        RowReadJob job;
        job.sendRow = [&p](CPageNotify& notify, const CPageRow& cells) {
            return zem::SendMessage(&p, WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&cells));
        };
        job.checkRows = [&p](const std::vector<CPageRow>& rows) { return CheckPageRows(&p, rows, true); };
        const RowReadResult result = read(p, job);
        zem::ShowMessage(result.Ok() ? zem::import::ImportReportText(result) : result.error);
        if (p.IsModified())
            p.Save();
    });
}

template <class Page>
void ImportWorkbook(OperationRun& run, const std::function<std::string(Page&)>& workbook)
{
    ImportIntoPage<Page>(run, [&](Page& page, const RowReadJob& job) {
        return zem::import::ReadWorkbookRows(workbook(page), job);
    });
}

void ImportPlans(OperationRun& run, bool selfStudy, const std::function<std::string(CPlanListPage&)>& workbook)
{
    auto read = [&](CPlanListPage& page, const RowReadJob& job) {
        zem::import::PlanReadJob plan;
        static_cast<RowReadJob&>(plan) = job;
        plan.selfStudy = selfStudy;
        plan.format = zem::import::kFlatListFormat;
        plan.askFormat = [](int current, int) { return current; };
        plan.sendHeadTeachers = [&page](const std::map<std::string, std::string>& headTeachers) {
            zem::SendMessage(&page, WM_SET_HEAD_TEACHERS, 0, zem::ToLParam(&headTeachers));
        };
        return zem::import::ReadPlanWorkbook(workbook(page), plan);
    };
    if (selfStudy)
        ImportIntoPage<CSelfStudyListPage>(run, [&](CSelfStudyListPage& page, const RowReadJob& job) { return read(page, job); });
    else
        ImportIntoPage<CPlanListPage>(run, read);
}

// Every row of a page, written under its headings: the page's own data, as its template takes it.
template <class Page>
std::string PageAsShown(Page& page, const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < page.GetList()->GetItemCount(); ++row)
        rows.push_back(RowTexts(page, row));
    return WriteImportSheet(path, page.ImportHeadings(), rows);
}

// The import's report: rows taken.
int Taken(const OperationRun& run)
{
    const int all = NumberBefore(run.said, "条");
    const std::regex some("导入 (\\d+) 条，未导入");
    for (const std::string& text : run.said)
        if (std::smatch match; std::regex_search(text, match, some))
            return std::stoi(match[1]);
    const std::regex every("共导入 (\\d+) 条");
    for (const std::string& text : run.said)
        if (std::smatch match; std::regex_search(text, match, every))
            return std::stoi(match[1]);
    return all;
}

// A workbook the program wrote from the school adds nothing: every row is the school's already.
void NothingAdded(const OperationRun& run, CScheduleTask& after)
{
    EXPECT_EQ(Taken(run), 0) << testing::PrintToString(run.said);
    // Refused as the school's already, never as naming what the school lacks.
    EXPECT_FALSE(Mentions(run.said, "不存在")) << testing::PrintToString(run.said);
    auto& before = const_cast<CScheduleTask&>(run.before);
    EXPECT_EQ(NamesOf(after.GetClassInfoList()), NamesOf(before.GetClassInfoList()));
    EXPECT_EQ(NamesOf(after.GetTeacherInfoList()), NamesOf(before.GetTeacherInfoList()));
    EXPECT_EQ(NamesOf(after.GetRoomInfoList()), NamesOf(before.GetRoomInfoList()));
    EXPECT_EQ(NamesOf(after.GetSubjectInfoList()), NamesOf(before.GetSubjectInfoList()));
    EXPECT_EQ(after.GetCourseInfoList().GetCount(), before.GetCourseInfoList().GetCount());
    EXPECT_EQ(after.GetSelfStudyInfoList().GetCount(), before.GetSelfStudyInfoList().GetCount());
    EXPECT_EQ(after.GetAssistantList().GetCount(), before.GetAssistantList().GetCount());
    EXPECT_EQ(after.GetCombineCourseList().GetCount(), before.GetCombineCourseList().GetCount());
}

// The reverse import's result, for the row's comparison.
zem::import::ReverseImportResult& LastReverseImport()
{
    static zem::import::ReverseImportResult result;
    return result;
}

int ClassLessons(const CScheduleTask& task)
{
    int lessons = 0;
    for (int day = 0; day < task.GetSchoolStructure().GetWeekDayCount(); ++day)
        lessons += ClassLessonsOnDay(task, day);
    return lessons;
}

void EmptyOfData(CScheduleTask& task)
{
    for (CZemObjectList* list : TaskObjectLists(task))
        list->RemoveAll();
    task.GetCombineCourseList().ReBuildCourseMap();
    task.GetMutexOfTeacherList().RebuildEachTeacherMap();
}

int UsedSlots(const CScheduleTask& task, const CZemTableObject& owner)
{
    int used = 0;
    const CSchoolStructure& week = task.GetSchoolStructure();
    for (int day = 0; day < week.GetWeekDayCount(); ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section)
                used += owner.GetTable(false).IsUsed(tagTABLE_NODE{day, segment, section}) ? 1 : 0;
    return used;
}

// The first plan without assistants that has lessons, and a teacher free at every one of them:
// the row of an assistant the page can take without a question.
struct FreeAssistant {
    const CCourseInfo* plan = nullptr;
    const CTeacherInfo* teacher = nullptr;
};
FreeAssistant FindFreeAssistant(const CScheduleTask& task)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList())) {
        if (task.GetAssistant(plan->GetId()) || task.GetCC(plan->GetId()))
            continue;
        std::vector<tagTABLE_NODE> taught;
        for (int day = 0; day < week.GetWeekDayCount(); ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section)
                    if (plan->GetTable(false).IsUsed(tagTABLE_NODE{day, segment, section}))
                        taught.push_back(tagTABLE_NODE{day, segment, section});
        if (taught.empty())
            continue;
        for (const CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
            if (teacher->GetId() == plan->GetTeacherId())
                continue;
            if (std::none_of(taught.begin(), taught.end(), [&](const tagTABLE_NODE& slot) {
                    return teacher->GetTable(false).IsUsed(slot) || task.IsTeacherFixedTime(teacher->GetId(), slot);
                }))
                return {plan, teacher};
        }
    }
    return {};
}

// Two plans of one teacher and subject in two classes, of one weekly count and in no combined
// class, the fewest lessons first: combined, they are taught at once where the timetables have
// them apart.
std::pair<const CCourseInfo*, const CCourseInfo*> PlansTaughtApart(const CScheduleTask& task)
{
    std::pair<const CCourseInfo*, const CCourseInfo*> best{};
    const auto plans = ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList());
    for (std::size_t a = 0; a < plans.size(); ++a)
        for (std::size_t b = a + 1; b < plans.size(); ++b) {
            const CCourseInfo& x = *plans[a];
            const CCourseInfo& y = *plans[b];
            if (x.GetTeacherId() != y.GetTeacherId() || x.GetSubjectId() != y.GetSubjectId() ||
                x.GetClassId() == y.GetClassId() || !(x.GetWeekCount() == y.GetWeekCount()) ||
                task.GetCC(x.GetId()) || task.GetCC(y.GetId()))
                continue;
            if (!best.first || x.GetWeekCount() < best.first->GetWeekCount())
                best = {&x, &y};
        }
    return best;
}

const Operation kImportOperations[] = {
    // The school's master timetable into a task of its teaching time and nothing else, as the new
    // task the dialog makes holds: every class and lesson comes back.
    {"reverse import into a new task", true,
     [](OperationRun& run) {
         CTablePageLayout layout;
         layout.Style = 0;
         layout.ShowSS = true;
         const std::string path = Folder(run) + "总课表.xlsx";
         ASSERT_TRUE(ExportMasterTimetable(&run.task, layout, TABLE_CLASS, path));
         std::unique_ptr<zem::import::CMasterSheet> sheet;
         std::string error;
         ASSERT_TRUE(zem::import::ReadMasterSheet(path, sheet, error)) << error;
         EmptyOfData(run.task);
         ASSERT_TRUE(run.task.SaveInputAndOutput());
         LastReverseImport() = zem::import::ImportMasterSheet(run.task, *sheet, true);
         const auto& result = LastReverseImport();
         zem::ShowMessage(result.error.empty() ? zem::import::ReverseImportDoneText(result.findings) : result.error);
     },
     [](const OperationRun& run, CScheduleTask& after) {
         const auto& result = LastReverseImport();
         EXPECT_EQ(result.error, "");
         EXPECT_EQ(result.conflicts, 0);
         auto& before = const_cast<CScheduleTask&>(run.before);
         EXPECT_EQ(result.classes, before.GetClassInfoList().GetCount());
         EXPECT_EQ(NamesOf(after.GetClassInfoList()), NamesOf(before.GetClassInfoList()));
         EXPECT_EQ(ClassLessons(after), result.lessons);
         EXPECT_EQ(result.lessons, ClassLessons(run.before));
     }},
    {"basic data imported as the pages show it", false,
     [](OperationRun& run) {
         const std::string folder = Folder(run);
         ImportWorkbook<CSubjectListPage>(run, [&](auto& page) { return PageAsShown(page, folder + "课程.xlsx"); });
         ImportWorkbook<CTeacherListPage>(run, [&](auto& page) { return PageAsShown(page, folder + "教师.xlsx"); });
         ImportWorkbook<CRoomListPage>(run, [&](auto& page) { return PageAsShown(page, folder + "教室.xlsx"); });
         ImportWorkbook<CClassListPage>(run, [&](auto& page) { return PageAsShown(page, folder + "班级.xlsx"); });
     },
     NothingAdded},
    {"basic data import adding rooms", false,
     [](OperationRun& run) {
         ImportWorkbook<CRoomListPage>(run, [&](CRoomListPage& page) {
             return WriteImportSheet(Folder(run) + "新教室.xlsx", page.ImportHeadings(), {{"机房甲", "机甲", "2"}, {"机房乙", "机乙", "1"}});
         });
     },
     [](const OperationRun& run, CScheduleTask& after) {
         EXPECT_EQ(Taken(run), 2) << testing::PrintToString(run.said);
         std::set<std::string> added = NamesOf(after.GetRoomInfoList());
         for (const std::string& name : NamesOf(run.before.GetRoomInfoList()))
             added.erase(name);
         EXPECT_EQ(added, (std::set<std::string>{"机房甲", "机房乙"}));
     }},
    {"plans imported as exported", true,
     [](OperationRun& run) {
         ImportPlans(run, false, [&](CPlanListPage&) { return Export(run.task, kPlanExport, true, Folder(run) + "计划.xlsx"); });
     },
     NothingAdded},
    {"plan import adding a plan", true,
     [](OperationRun& run) {
         ImportPlans(run, false, [&](CPlanListPage&) {
             const auto classes = ObjectsInOrder(run.task.GetClassInfoList());
             const auto teachers = ObjectsInOrder(run.task.GetTeacherInfoList());
             return WriteImportSheet(Folder(run) + "新计划.xlsx", {"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"},
                              {{classes.front()->GetName(), "书法", teachers.front()->GetName(), "副课", "1", "1", "0", ""}});
         });
     },
     [](const OperationRun& run, CScheduleTask& after) {
         EXPECT_EQ(Taken(run), 1) << testing::PrintToString(run.said);
         EXPECT_EQ(after.GetCourseInfoList().GetCount(), run.before.GetCourseInfoList().GetCount() + 1);
         ASSERT_NE(after.GetSubjectInfoList().FindByName("书法"), nullptr);
     }},
    {"self study imported as exported", true,
     [](OperationRun& run) {
         ImportPlans(run, true, [&](CPlanListPage&) { return Export(run.task, kPlanExport, false, Folder(run) + "自习.xlsx"); });
     },
     NothingAdded},
    // A plan's row takes the place of its record: the same assistants again.
    {"assistants imported as exported", false,
     [](OperationRun& run) {
         ImportWorkbook<CAssistantListPage>(
             run, [&](CAssistantListPage&) { return Export(run.task, kAssistantExport, true, Folder(run) + "助教.xlsx"); });
     },
     [](const OperationRun& run, CScheduleTask& after) {
         EXPECT_EQ(Taken(run), run.before.GetAssistantList().GetCount()) << testing::PrintToString(run.said);
         ASSERT_EQ(after.GetAssistantList().GetCount(), run.before.GetAssistantList().GetCount());
         for (const CCourseAssistant* record : ObjectsInOrder<CCourseAssistant>(run.before.GetAssistantList())) {
             const CCourseAssistant* now = after.GetAssistant(record->GetId());
             ASSERT_NE(now, nullptr);
             EXPECT_EQ(now->GetAssistants(), record->GetAssistants());
         }
     }},
    // Of the kind the week has periods for: the page's save refuses self-study the week cannot hold.
    {"self study import adding one", true,
     [](OperationRun& run) {
         ImportPlans(run, true, [&](CPlanListPage&) {
             const auto classes = ObjectsInOrder(run.task.GetClassInfoList());
             const auto teachers = ObjectsInOrder(run.task.GetTeacherInfoList());
             const bool evening = run.task.GetSchoolStructure().GetSectionNodeMaxCount(zem::kEveningStudy) > 0;
             return WriteImportSheet(Folder(run) + "新自习.xlsx", {"班级", "类型", "课程", "教师", "周课时数", "连课", "次数", "指定教室"},
                                     {{classes.back()->GetName(), evening ? "晚自习" : "早读", "自习",
                                       teachers.back()->GetName(), "1", "1", "0", ""}});
         });
     },
     [](const OperationRun& run, CScheduleTask& after) {
         EXPECT_EQ(Taken(run), 1) << testing::PrintToString(run.said);
         EXPECT_EQ(after.GetSelfStudyInfoList().GetCount(), run.before.GetSelfStudyInfoList().GetCount() + 1)
             << testing::PrintToString(run.said);
     }},
    {"assistant import adding an assistant", false,
     [](OperationRun& run) {
         const FreeAssistant free = FindFreeAssistant(run.task);
         ASSERT_NE(free.plan, nullptr);
         const std::string cls = run.task.GetClassNameA(free.plan->GetClassId());
         const std::string subject = run.task.GetSubjectName(free.plan->GetSubjectId());
         const std::string teacher = run.task.GetTeacherName(free.plan->GetTeacherId());
         const std::string assistant = free.teacher->GetName();
         ImportWorkbook<CAssistantListPage>(run, [&](CAssistantListPage&) {
             return WriteImportSheet(Folder(run) + "新助教.xlsx", {"班级", "课程", "教师", "类型", "助教列表"},
                                     {{cls, subject, teacher, "常规", assistant}});
         });
     },
     [](const OperationRun& run, CScheduleTask& after) {
         const FreeAssistant free = FindFreeAssistant(run.before);
         ASSERT_NE(free.plan, nullptr);
         EXPECT_EQ(Taken(run), 1) << testing::PrintToString(run.said);
         const CCourseAssistant* record = after.GetAssistant(free.plan->GetId());
         ASSERT_NE(record, nullptr);
         EXPECT_EQ(record->GetAssistants(), std::vector<std::string>{free.teacher->GetId()});
         // The assistant takes the plan's lessons.
         const CTeacherInfo* assistant = after.GetTeacher(free.teacher->GetId());
         const CCourseInfo* plan = after.FindCourse(free.plan->GetId());
         ASSERT_TRUE(assistant && plan);
         EXPECT_EQ(UsedSlots(after, *assistant) - UsedSlots(run.before, *free.teacher), UsedSlots(after, *plan));
     }},
    {"combined classes imported as exported", false,
     [](OperationRun& run) {
         ImportWorkbook<CCombineClassListPage>(
             run, [&](CCombineClassListPage&) { return Export(run.task, kCombinedClassExport, true, Folder(run) + "合班.xlsx"); });
     },
     NothingAdded},
    // The save asks before it keeps a combined class whose lessons stand apart; answered 是, it
    // keeps it and the question named what it breaks.
    {"combined class import of two plans taught apart", false,
     [](OperationRun& run) {
         const auto [x, y] = PlansTaughtApart(run.task);
         if (!x)
             return;
         const std::vector<std::string> row{run.task.GetSubjectName(x->GetSubjectId()), run.task.GetTeacherName(x->GetTeacherId()),
                                            "常规", run.task.GetClassNameA(x->GetClassId()) + "," + run.task.GetClassNameA(y->GetClassId())};
         ImportWorkbook<CCombineClassListPage>(run, [&](CCombineClassListPage&) {
             return WriteImportSheet(Folder(run) + "新合班.xlsx", {"课程", "教师", "类型", "班级列表"}, {row});
         });
     },
     [](const OperationRun& run, CScheduleTask& after) {
         const auto [x, y] = PlansTaughtApart(run.before);
         if (!x)
             return;
         EXPECT_EQ(Taken(run), 1) << testing::PrintToString(run.said);
         const CCombineClass* combined = after.GetCC(x->GetId());
         ASSERT_NE(combined, nullptr) << testing::PrintToString(run.said);
         EXPECT_TRUE(combined->HasCourse(y->GetId()));
         EXPECT_TRUE(Mentions(run.said, "保存后以下课程违反了排课规则")) << testing::PrintToString(run.said);
     }},
    // Seven rooms of 999 places pass the task's 5,000: the rows that would pass it are refused as
    // they are modified, and the save keeps the limit.
    {"room capacities modified past the limit", false,
     [](OperationRun& run) {
         FakeAppServices services;
         services.task = &run.task;
         CRoomListPage page;
         RunPage<CRoomListPage>(page, [&](CRoomListPage& p) {
             for (int row = 0; row < 7 && row < p.GetList()->GetItemCount(); ++row) {
                 SelectRow(p, row);
                 CPageRow cells = RowTexts(p, row);
                 cells[2] = "999";
                 SendRow(p, cells, 1);
             }
             if (p.IsModified())
                 p.Save();
         });
     },
     [](const OperationRun& run, CScheduleTask& after) {
         int places = 0, modified = 0;
         for (const CRoomInfo* room : ObjectsInOrder<CRoomInfo>(after.GetRoomInfoList())) {
             places += room->GetCapacity();
             modified += room->GetCapacity() == 999 ? 1 : 0;
         }
         EXPECT_LE(places, 5000);
         // Each modify the limit refused is said, naming it; the others are saved.
         const int tried = std::min(7, run.before.GetRoomInfoList().GetCount());
         EXPECT_EQ(Mentions(run.said, "5000"), modified < tried) << testing::PrintToString(run.said);
     }},
};

}  // namespace

ZEM_OPERATION_ROWS(Imports, kImportOperations);
