#pragma once
// The frame every workbook export runs in: the records handed to a writer, the choice of engine,
// the worker under the progress window, splitting very long jobs into several workbooks, the stage
// and progress messages, the steps of writing one workbook, and the texts the user sees when it fails.
//
// An engine is what writes a finished workbook to disk. The program has one, built in; the settings
// ([Export] Driver and LUDriver of zem.ini) still name engines by number, so a job tries the preferred
// engine first and the others after it. The content of a workbook is written by the writer of its
// kind into the in-memory workbook.
#include "app/output/workbook/Workbook.h"
#include "app/taskhelper/ExportTableItem.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CScheduleTask;
struct CTimetableSheetLayout;

// The engine built into the program.
constexpr int kBuiltInEngine = 1;

// How many tables one workbook holds at most, per table of a printed page.
constexpr int kTablesPerWorkbookPage = 250;

// The state of one workbook of an export.
struct CExportParam {
    int kind = 0;  // 1..9
    bool result = false;
    int errorLevel = 0;  // 0 none; 1 the engine did not start; 2 a failure while writing
    std::string errorText;
    std::string fileName;
    std::string text1;
    std::string text2;
    const void* data0 = nullptr;
    const std::vector<CExportTableItem*>* tables = nullptr;  // kind 2; not owned
    int count = 0;
    const void* data1 = nullptr;
    const void* data2 = nullptr;
    bool flag = true;
    int value = 0;
    int engineUsed = 0;  // the engine that wrote the workbook

    void Reset();
};

// What an export reads of the program's settings (zem.ini) and the open task, taken once when the
// exporter is made.
struct CExportContext {
    CScheduleTask* openTask = nullptr;
    int driver = 0;    // [Export] Driver: 0 automatic, else the engine to try first
    int luDriver = 0;  // [Export] LUDriver: the engine that last succeeded
    bool showRoomNumber = true;      // [Common] ShowRoomNumber
    bool autoFillEmptyCell = false;  // [WeekTable] AutoFillEmptyCell
    bool mergeContinuous = false;    // [WeekTable] MergeContinuous
    int importFormat = 1;            // [Common] ImportFormat
    std::string schoolName;          // [Common] SchoolName
    // The grid library's default faces: of a whole sheet, and of its tables' texts.
    std::string fontName;
    std::string tableFontName;

    // From the program's services.
    static CExportContext Load();
};

// Writes a finished workbook where it belongs.
class CWorkbookEngine {
public:
    virtual ~CWorkbookEngine() = default;
    // The number the settings and the stage messages know the engine by.
    virtual int GetId() const = 0;
    // False, with the reason, when the engine cannot work on this computer.
    virtual bool Start(std::string& reason) = 0;
    // Throws zem::workbook::WorkbookError when the workbook cannot be saved.
    virtual void SaveAs(const zem::workbook::Workbook& book, const std::string& path) = 0;
    virtual void Quit() {}
};

// The built-in engine: an .xlsx file.
class CBuiltInWorkbookEngine : public CWorkbookEngine {
public:
    int GetId() const override { return kBuiltInEngine; }
    bool Start(std::string&) override { return true; }
    void SaveAs(const zem::workbook::Workbook& book, const std::string& path) override;
};

// One job on the worker thread under the progress window.
struct CExportJob {
    std::string filePath;  // shown in the window's status line
    // Runs on the worker thread; the window is the target of its progress messages.
    std::function<bool(zem::MessageTarget* window)> work;
    // Set by the window when the user closes it; the work stops at its next check.
    std::atomic<bool>* cancel = nullptr;
};
// Runs the job's work on a worker thread while the progress window shows, and returns when the work
// has ended. The program installs the window; without one the work runs in the calling thread.
using ExportProgressRunner = std::function<void(CExportJob& job)>;
ExportProgressRunner SetExportProgressRunner(ExportProgressRunner runner);

// Thrown by a writer that notices the user's cancel between two tables.
struct ExportCancelled {};

class CSpreadsheetExporter {
public:
    // Fills the workbook with the content of the current CExportParam. False (with the error stored
    // by SetError) when it cannot; a WorkbookError thrown is a failure while writing.
    using ContentWriter = std::function<bool(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book)>;

    // A null task means the open task.
    explicit CSpreadsheetExporter(CScheduleTask* task = nullptr);
    virtual ~CSpreadsheetExporter();
    CSpreadsheetExporter(const CSpreadsheetExporter&) = delete;
    CSpreadsheetExporter& operator=(const CSpreadsheetExporter&) = delete;

    // Writes the timetables (kind 2) into one workbook, or several when there are more than 250 pages
    // of them: the second is named with "_2" before the extension, and so on. A name ending ".xls"
    // is saved as ".xlsx". True when every workbook was written.
    bool Export(const std::string& fileName, const std::vector<CExportTableItem*>& tables);
    // Writes one workbook of the current CExportParam, under the progress window unless direct.
    bool RunExport();
    // The worker's body: tries the engines in order until one writes the workbook.
    bool DoExport(zem::MessageTarget* window);

    // Column width of the grid writers: 12 for no columns, else 65 / count, at least 7.
    static int GetGridColumnWidth(int count);
    // "附加信息：" and the reason of a failure while writing.
    static std::string FormatAutomationError(const std::string& reason);
    // The text shown for a failure while writing, with the extra line.
    static std::string BuildExportErrorText(const std::string& extra);
    // The texts of the failures.
    static std::string EngineStartFailedText();
    // The workbook name of chunk n (2, 3, ...): "_n" before the extension of the file's name, or
    // after the name when it has none.
    static std::string ChunkFileName(const std::string& fileName, int chunk);
    // The name a workbook is saved under: ".xlsx" in place of ".xls", and added to a name without it.
    static std::string WorkbookFileName(const std::string& fileName);
    // What the caller says instead of success when some tables could not be written whole.
    static std::string IncompleteText(int tables);

    CScheduleTask* GetTask() const { return m_task; }
    CExportParam& GetParam() { return *m_param; }
    const CExportContext& GetContext() const { return m_context; }

    int GetStandardWidth() const { return m_standardWidth; }
    void SetStandardWidth(int width) { m_standardWidth = width; }
    bool IsTemporary() const { return m_temporary; }
    void SetTemporary(bool temporary) { m_temporary = temporary; }
    bool IsDirect() const { return m_direct; }
    void SetDirect(bool direct) { m_direct = direct; }
    // Off: a failure is only stored in the param, for a caller that reports it itself.
    void SetShowErrors(bool show) { m_showErrors = show; }
    zem::MessageTarget* GetNotifyWindow() const { return m_notifyWnd; }
    void SetNotifyWindow(zem::MessageTarget* window) { m_notifyWnd = window; }
    // Tables on one printed page of the week-timetable layout (1, 2, 4 or 6): a workbook holds 250 pages.
    void SetTablesPerPage(int tables) { m_tablesPerPage = tables; }
    // The week-timetable layout the timetable blocks follow; without one, the defaults.
    void SetTimetableLayout(std::shared_ptr<const CTimetableSheetLayout> layout) { m_timetableLayout = std::move(layout); }
    const CTimetableSheetLayout* GetTimetableLayout() const { return m_timetableLayout.get(); }

    // The engines to try; the built-in one unless replaced.
    void SetEngines(std::vector<std::shared_ptr<CWorkbookEngine>> engines) { m_engines = std::move(engines); }
    // The writer of a kind; unless set, the program's own writer of that kind.
    void SetContentWriter(int kind, ContentWriter writer) { m_writers[kind] = std::move(writer); }

    // For the writers.
    // Stores an error text unless one of the same or a higher level is stored already.
    void SetError(int level, const std::string& text);
    // Sends "%d/%d %s" to the notify window.
    void SendProgress(int done, int total, const std::string& name);
    // A table that could not be written whole; the workbook goes on with the next.
    void NoteIncompleteTable() { ++m_incompleteTables; }
    int GetIncompleteTables() const { return m_incompleteTables; }
    // The user's cancel, checked between tables.
    bool IsCancelled() const { return m_cancel.load(); }
    void ThrowIfCancelled() const;
    void RequestCancel() { m_cancel = true; }

private:
    // The engines in the order the settings prefer.
    std::vector<CWorkbookEngine*> EngineOrder() const;
    ContentWriter WriterOf(int kind) const;
    // The steps of one workbook through one engine.
    bool WriteWorkbook(CWorkbookEngine& engine, const ContentWriter& writer);
    void PostStage(int engine, int stage) const;
    void RememberEngine(int engine);

    CScheduleTask* m_task;
    CExportContext m_context;
    int m_standardWidth = 0;
    bool m_temporary = false;
    bool m_direct = false;
    bool m_showErrors = true;
    zem::MessageTarget* m_notifyWnd = nullptr;
    std::unique_ptr<CExportParam> m_param;
    int m_tablesPerPage = 1;
    std::shared_ptr<const CTimetableSheetLayout> m_timetableLayout;
    std::vector<std::shared_ptr<CWorkbookEngine>> m_engines;
    std::map<int, ContentWriter> m_writers;
    std::atomic<bool> m_cancel{false};
    int m_incompleteTables = 0;
};

// The program's writer of an export kind; empty for a kind it cannot write.
CSpreadsheetExporter::ContentWriter ProgramContentWriter(int kind);
