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
#include "app/data/TeacherGroupListPage.h"
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
#include <iterator>
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


// ---- rows the task's rules refuse

// Each teaching plan as "class subject teacher count", as an import names it.
std::multiset<std::string> PlanKeys(const CScheduleTask& task)
{
    std::multiset<std::string> keys;
    for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList()))
        keys.insert(task.GetClassNameA(plan->GetClassId()) + " " + task.GetSubjectName(plan->GetSubjectId()) + " " +
                    task.GetTeacherName(plan->GetTeacherId()) + " " + plan->GetWeekCount().ToString());
    return keys;
}

// The plans the import added, every plan of the school kept as it was.
std::multiset<std::string> AddedPlans(const CScheduleTask& before, const CScheduleTask& after)
{
    const std::multiset<std::string> was = PlanKeys(before), now = PlanKeys(after);
    std::multiset<std::string> added, lost;
    std::set_difference(now.begin(), now.end(), was.begin(), was.end(), std::inserter(added, added.end()));
    std::set_difference(was.begin(), was.end(), now.begin(), now.end(), std::inserter(lost, lost.end()));
    EXPECT_TRUE(lost.empty()) << testing::PrintToString(lost);
    return added;
}

// The classes with the fewest lessons a week, the first of them first: new plans there keep the
// week's periods.
std::vector<std::string> RoomiestClasses(const CScheduleTask& task, std::size_t count)
{
    std::vector<std::pair<int, std::string>> halves;
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
        int half = 0;
        for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList()))
            if (plan->GetClassId() == cls->GetId())
                half += plan->GetWeekCount().GetWholeCount() * 2 + (plan->GetWeekCount().HasHalfNode() ? 1 : 0);
        halves.emplace_back(half, cls->GetName());
    }
    std::stable_sort(halves.begin(), halves.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count && i < halves.size(); ++i)
        names.push_back(halves[i].second);
    return names;
}

std::vector<std::string> TeacherNames(const CScheduleTask& task)
{
    std::vector<std::string> names;
    for (const CZemObject* teacher : ObjectsInOrder(task.GetTeacherInfoList()))
        names.push_back(teacher->GetName());
    return names;
}

const std::vector<std::string> kPlanHeadings = {"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"};

// Imported teacher groups and assistants naming people the task does not know: a group of none
// of its teachers, a group of one teacher and a stranger, a group of two teachers; an assistant
// row of a free teacher and a stranger.
void ImportUnknownNames(OperationRun& run)
{
    const std::vector<std::string> teachers = TeacherNames(run.task);
    ASSERT_GE(teachers.size(), 2u);
    ImportWorkbook<CTeacherGroupListPage>(run, [&](CTeacherGroupListPage& page) {
        return WriteImportSheet(Folder(run) + "教师组.xlsx", page.ImportHeadings(),
                                {{"外校组", "甲外校、乙外校"},
                                 {"半知组", teachers[0] + "、丙外校"},
                                 {"新教研组", teachers[0] + "、" + teachers[1]}});
    });
    const FreeAssistant free = FindFreeAssistant(run.task);
    ASSERT_NE(free.plan, nullptr);
    ImportWorkbook<CAssistantListPage>(run, [&](CAssistantListPage&) {
        return WriteImportSheet(Folder(run) + "助教.xlsx", {"班级", "课程", "教师", "类型", "助教列表"},
                                {{run.task.GetClassNameA(free.plan->GetClassId()),
                                  run.task.GetSubjectName(free.plan->GetSubjectId()),
                                  run.task.GetTeacherName(free.plan->GetTeacherId()), "常规",
                                  free.teacher->GetName() + "、丁外校"}});
    });
}

// Every row naming a stranger is refused naming him; the group of teachers is kept, and stays
// when the task is opened again.
void CompareUnknownNames(const OperationRun& run, CScheduleTask& after)
{
    EXPECT_TRUE(Mentions(run.said, "导入 1 条，未导入 2 条")) << testing::PrintToString(run.said);
    EXPECT_TRUE(Mentions(run.said, "外校组 的成员中有不是已有教师的名字：甲外校、乙外校")) << testing::PrintToString(run.said);
    EXPECT_TRUE(Mentions(run.said, "半知组 的成员中有不是已有教师的名字：丙外校")) << testing::PrintToString(run.said);
    std::set<std::string> groups = NamesOf(run.before.GetTeacherGroupInfoList());
    groups.insert("新教研组");
    EXPECT_EQ(NamesOf(after.GetTeacherGroupInfoList()), groups);
    const auto* added = static_cast<const CTeacherGroupInfo*>(after.GetTeacherGroupInfoList().FindByName("新教研组"));
    ASSERT_NE(added, nullptr);
    const std::vector<std::string> teachers = TeacherNames(run.before);
    const CZemObjectList& known = after.GetTeacherInfoList();
    EXPECT_EQ(added->GetTeacherArray(),
              (std::vector<std::string>{known.GetObjectId(teachers[0]), known.GetObjectId(teachers[1])}));

    EXPECT_TRUE(Mentions(run.said, "在第2页教师信息中没有找到这些助教信息: 丁外校")) << testing::PrintToString(run.said);
    const FreeAssistant free = FindFreeAssistant(run.before);
    ASSERT_NE(free.plan, nullptr);
    EXPECT_EQ(after.GetAssistant(free.plan->GetId()), nullptr);
    EXPECT_EQ(after.GetAssistantList().GetCount(), run.before.GetAssistantList().GetCount());
}

// Flat plan lists as other offices write them, each class on its first row only, so that the class
// column is mostly empty: headed in their words, not headed at all, and headed without a teacher
// column, which cannot be placed. Three classes of the most room take three or four lessons each.
struct FlatListCase {
    const char* file;
    std::vector<std::string> headings;
    std::vector<std::pair<int, std::vector<std::string>>> subjects;  // of each class, by its rank in room
};

const FlatListCase kFlatLists[] = {
    {"他校计划.xlsx", {"班级", "科目", "任课教师", "类型", "周课时"}, {{0, {"篆刻", "围棋", "剪纸"}}, {1, {"陶艺", "茶艺", "棋艺"}}}},
    {"无表头计划.xlsx", {}, {{2, {"泥塑", "编织", "面塑", "刺绣"}}}},
    {"无教师列计划.xlsx", {"班级", "科目", "主讲", "类型", "周课时"}, {{0, {"书画", "舞蹈", "书画", "舞蹈"}}}},
};

void ImportFlatListsOfOtherHeadings(OperationRun& run)
{
    const std::vector<std::string> classes = RoomiestClasses(run.task, 3);
    ASSERT_EQ(classes.size(), 3u);
    const std::string teacher = TeacherNames(run.task).front();
    for (const FlatListCase& list : kFlatLists) {
        std::vector<std::vector<std::string>> rows;
        for (const auto& [rank, subjects] : list.subjects)
            for (std::size_t i = 0; i < subjects.size(); ++i)
                rows.push_back({i == 0 ? classes[static_cast<std::size_t>(rank)] : "", subjects[i], teacher, "副课", "1"});
        ImportPlans(run, false, [&](CPlanListPage&) { return WriteImportSheet(Folder(run) + list.file, list.headings, rows); });
    }
}

// The two lists that can be placed add their plans to their classes, every one said; the third
// is refused as a whole, naming the column it lacks, and makes nothing.
void CompareFlatListsOfOtherHeadings(const OperationRun& run, CScheduleTask& after)
{
    const std::vector<std::string> classes = RoomiestClasses(run.before, 3);
    const std::string teacher = TeacherNames(run.before).front();
    std::multiset<std::string> expected;
    for (const FlatListCase& list : {kFlatLists[0], kFlatLists[1]})
        for (const auto& [rank, subjects] : list.subjects)
            for (const std::string& subject : subjects)
                expected.insert(classes[static_cast<std::size_t>(rank)] + " " + subject + " " + teacher + " 1");
    EXPECT_EQ(AddedPlans(run.before, after), expected) << testing::PrintToString(run.said);
    EXPECT_EQ(NamesOf(after.GetClassInfoList()), NamesOf(run.before.GetClassInfoList()));
    EXPECT_TRUE(Mentions(run.said, "导入完成，共导入 6 条")) << testing::PrintToString(run.said);
    EXPECT_TRUE(Mentions(run.said, "导入完成，共导入 4 条")) << testing::PrintToString(run.said);
    EXPECT_TRUE(Mentions(run.said, "表头中没有“教师”列，无法确定各列的内容，没有导入任何数据"))
        << testing::PrintToString(run.said);
    EXPECT_EQ(after.GetSubjectInfoList().FindByName("书画"), nullptr);
}

// Weekly counts neither whole nor half a lesson more, in number cells: in a plan list beside one
// of 1.5 (2.46 is no 2.5), and in a self-study list.
void ImportCountsNeitherWholeNorHalf(OperationRun& run)
{
    const std::string cls = RoomiestClasses(run.task, 1).front();
    const std::string t = TeacherNames(run.task).front();
    ImportPlans(run, false, [&](CPlanListPage&) {
        return WriteImportSheet(Folder(run) + "课时计划.xlsx", kPlanHeadings,
                                {{cls, "篆刻", t, "副课", "2.7", "1", "0", ""},
                                 {cls, "围棋", t, "副课", "1.25", "1", "0", ""},
                                 {cls, "剪纸", t, "副课", "1.5", "1", "0", ""},
                                 {cls, "棋艺", t, "副课", "2.46", "1", "0", ""}});
    });
    const bool evening = run.task.GetSchoolStructure().GetSectionNodeMaxCount(zem::kEveningStudy) > 0;
    ImportPlans(run, true, [&](CPlanListPage&) {
        return WriteImportSheet(Folder(run) + "课时自习.xlsx", {"班级", "类型", "课程", "教师", "周课时数", "连课", "次数", "指定教室"},
                                {{cls, evening ? "晚自习" : "早读", "自习", t, "2.7", "1", "0", ""}});
    });
}

void CompareCountsNeitherWholeNorHalf(const OperationRun& run, CScheduleTask& after)
{
    const std::string cls = RoomiestClasses(run.before, 1).front();
    const std::string t = TeacherNames(run.before).front();
    EXPECT_TRUE(Mentions(run.said, "导入 1 条，未导入 3 条：\n第 2 行：周课时数无效: 2.7\n第 3 行：周课时数无效: 1.25\n"
                                     "第 5 行：周课时数无效: 2.46"))
        << testing::PrintToString(run.said);
    EXPECT_EQ(AddedPlans(run.before, after), (std::multiset<std::string>{cls + " 剪纸 " + t + " 1.5"}));
    EXPECT_EQ(after.GetSubjectInfoList().FindByName("篆刻"), nullptr);
    EXPECT_TRUE(Mentions(run.said, "导入 0 条，未导入 1 条：\n第 2 行：周课时数无效: 2.7")) << testing::PrintToString(run.said);
    EXPECT_EQ(after.GetSelfStudyInfoList().GetCount(), run.before.GetSelfStudyInfoList().GetCount());
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
    {"teacher groups and assistants of names the task does not know", false, ImportUnknownNames, CompareUnknownNames},
    {"flat plan lists of other headings or none", true, ImportFlatListsOfOtherHeadings, CompareFlatListsOfOtherHeadings},
    {"plan counts neither whole nor half", true, ImportCountsNeitherWholeNorHalf, CompareCountsNeitherWholeNorHalf},
};

}  // namespace

ZEM_OPERATION_ROWS(Imports, kImportOperations);
