// zem-import: a workbook imported into a task through the list page and the reader the program's
// import dialogs use, offscreen, with no window shown, and the page saved. Prints one JSON object:
// the rows sent, taken and refused, the seconds of the import and of the save; the import's end
// message goes to stderr. Exits 1 when the import was refused or the save failed.
//
//   zem-import TASK.zem --kind basic|plans|selfstudy|assistants|combined WORKBOOK
//              [--page classes|teachers|subjects|rooms|groups] [--format flat|cross] [--ini zem.ini]
//   zem-import --make-plans DIR     writes the large school's empty task and a flat plan list of
//                                   its 2,520 plans into DIR and prints the two paths
// --page chooses the basic-data page (teachers unless given); --format the plan sheet's shape as
// the dialog's choice (flat unless given); a sheet that looks like the other shape is read as that.
#include "app/data/AssistantListPage.h"
#include "app/data/CombineClassListPage.h"
#include "app/data/ObjectListPages.h"
#include "app/data/SelfStudyListPage.h"
#include "app/data/TeacherGroupListPage.h"
#include "app/output/import/PlanReader.h"
#include "app/shell/AppContext.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/gui/Dialog.h"

#include "ImportFixture.h"
#include "OffscreenTool.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: zem-import TASK.zem --kind basic|plans|selfstudy|assistants|combined WORKBOOK\n"
                         "                  [--page classes|teachers|subjects|rooms|groups] [--format flat|cross] "
                         "[--ini zem.ini]\n"
                         "       zem-import --make-plans DIR\n");
    return 2;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using PageMaker = std::function<std::unique_ptr<CListBaseDlg>()>;

template <class Page>
PageMaker Make()
{
    return [] { return std::make_unique<Page>(); };
}

const std::map<std::string, PageMaker> kBasicPages = {
    {"classes", Make<CClassListPage>()},   {"teachers", Make<CTeacherListPage>()},
    {"subjects", Make<CSubjectListPage>()}, {"rooms", Make<CRoomListPage>()},
    {"groups", Make<CTeacherGroupListPage>()}};

const std::map<std::string, PageMaker> kOtherPages = {
    {"plans", Make<CPlanListPage>()}, {"selfstudy", Make<CSelfStudyListPage>()},
    {"assistants", Make<CAssistantListPage>()}, {"combined", Make<CCombineClassListPage>()}};

struct Options {
    std::string taskFile, kind, workbook, page = "teachers", ini;
    int format = zem::import::kFlatListFormat;
};

// The reader of the kind, sending to the page on this thread as the dialogs' worker does to theirs.
zem::import::RowReadResult ReadInto(CListBaseDlg& page, const Options& options)
{
    zem::import::PlanReadJob job;
    job.sendRow = [&](CPageNotify& notify, const CPageRow& cells) {
        return zem::SendMessage(&page, WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&cells));
    };
    job.checkRows = [&](const std::vector<CPageRow>& rows) { return CheckPageRows(&page, rows, true); };
    if (options.kind != "plans" && options.kind != "selfstudy")
        return zem::import::ReadWorkbookRows(options.workbook, job);
    job.selfStudy = options.kind == "selfstudy";
    job.format = options.format;
    // As a user answering yes to the dialog's question.
    job.askFormat = [](int, int guess) { return guess; };
    job.sendHeadTeachers = [&](const std::map<std::string, std::string>& headTeachers) {
        zem::SendMessage(&page, WM_SET_HEAD_TEACHERS, 0, zem::ToLParam(&headTeachers));
    };
    return zem::import::ReadPlanWorkbook(options.workbook, job);
}

int Import(const Options& options)
{
    const auto& pages = options.kind == "basic" ? kBasicPages : kOtherPages;
    const auto maker = pages.find(options.kind == "basic" ? options.page : options.kind);
    if (maker == pages.end())
        return Usage();
    if (!CAppContext::Get()->OpenTask(options.taskFile, false))
        return 1;
    std::unique_ptr<CListBaseDlg> page = maker->second();
    int status = 1;
    // The page is built as the program builds it, and worked before its modal run would start.
    auto previous = zem::gui::SetModalHook([&](zem::gui::Dialog& dialog) {
        if (&dialog != page.get())
            return;
        const auto start = std::chrono::steady_clock::now();
        const zem::import::RowReadResult result = ReadInto(*page, options);
        const double importSeconds = SecondsSince(start);
        if (!result.Ok()) {
            std::fprintf(stderr, "zem-import: %s\n", result.error.c_str());
            dialog.EndDialog(zem::IDCANCEL);
            return;
        }
        std::fprintf(stderr, "%s\n", zem::import::ImportReportText(result).c_str());
        const auto saveStart = std::chrono::steady_clock::now();
        const bool saved = page->Save();
        const double saveSeconds = SecondsSince(saveStart);
        std::printf("{\"rows\": %d, \"taken\": %d, \"refused\": %zu, \"import_seconds\": %.4f, "
                    "\"save_seconds\": %.4f}\n",
                    result.sentRows, result.takenRows, result.refused.size(), importSeconds, saveSeconds);
        status = saved ? 0 : 1;
        dialog.EndDialog(zem::IDOK);
    });
    page->DoModal();
    zem::gui::SetModalHook(previous);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string fixture;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--kind" && hasValue)
            options.kind = argv[++i];
        else if (arg == "--page" && hasValue)
            options.page = argv[++i];
        else if (arg == "--format" && hasValue)
            options.format = std::string(argv[++i]) == "cross" ? zem::import::kCrossTableFormat
                                                               : zem::import::kFlatListFormat;
        else if (arg == "--ini" && hasValue)
            options.ini = argv[++i];
        else if (arg == "--make-plans" && hasValue)
            fixture = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && options.taskFile.empty())
            options.taskFile = arg;
        else if (!arg.empty() && arg[0] != '-' && options.workbook.empty())
            options.workbook = arg;
        else
            return Usage();
    }
    if (!fixture.empty()) {
        const ImportFixture made = WriteImportFixture(fixture);
        if (made.task.empty())
            return 1;
        std::printf("%s\n%s\n", made.task.c_str(), made.workbook.c_str());
        return 0;
    }
    if (options.taskFile.empty() || options.kind.empty() || options.workbook.empty())
        return Usage();
    return RunOffscreenTool(argv, "zem-import", options.ini, [&] {
        // Every box the import or the save would show is said on the terminal and answered OK.
        auto messages = zem::SetMessageHook([](const zem::MessageRequest& request) {
            std::fprintf(stderr, "zem-import: %s\n", request.text.c_str());
            return static_cast<int>(zem::IDOK);
        });
        const int status = Import(options);
        zem::SetMessageHook(messages);
        return status;
    });
}
