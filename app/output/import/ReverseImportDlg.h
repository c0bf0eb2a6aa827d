#pragma once
// "反导入": a class master timetable from a workbook into the open task (or a new one). The
// introduction makes sure there is a task and chooses the file; the preview reads the file on a
// worker, compares its teaching time with the task's and, once they match, imports the very sheet
// it read, class by class on the GUI thread, and saves the task.
#include "app/controls/WorkerThread.h"
#include "app/output/import/ReverseImport.h"
#include "platform/gui/Dialog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTextEdit;

// What the program around the dialogs does for them: the new-task dialog (true when a task was
// made and opened; it is made aside), putting that task in its place once the import is over (true
// with the import saved; false when it is not in place), and the teaching-time dialog.
struct CReverseImportHost {
    std::function<bool()> createTask;
    std::function<bool(bool imported)> finishTask;
    std::function<void()> editTeachingTime;
};

class CReverseImportDlg : public zem::gui::Dialog {
public:
    enum { IDD = 355 };

    explicit CReverseImportDlg(QWidget* parent = nullptr, CReverseImportHost host = {});

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The open task, or a new one (`made`) when there is none or the user asks; false to stop.
    bool TakeTask(bool& made);

    CReverseImportHost m_host;
};

class CReverseImportPreviewDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 356,
        IDC_PATH = 1086,
        IDC_TEACHING_TIME = 1087,
        IDC_LOG = 1347,
        IDC_PREVIEW = 1375,
        IDC_SET_TIME = 1376,
        IDC_CHECK_CONFLICT = 1400,
    };

    CReverseImportPreviewDlg(QWidget* parent, const std::string& path, CReverseImportHost host = {});
    ~CReverseImportPreviewDlg() override;

    // A preview pass (mode 0) on the worker, which reads the file afresh.
    void Request(int mode);
    void AppendLog(const std::string& text);
    std::string LogText() const;
    bool IsPreviewing() const { return m_worker.HasThread(); }
    bool IsImporting() const { return m_importing; }
    bool ConflictsReported() const { return m_conflicts; }
    // Whether an import ran and its task was saved.
    bool IsSaved() const { return m_saved; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Pass {
        std::unique_ptr<zem::import::CMasterSheet> sheet;
        zem::import::MasterPreview preview;
        std::string error;
    };

    void StopWorker();
    void FinishPreview();
    void ShowTeachingTime();
    void ImportNextClass();
    void FinishImport();
    void SetBusy(bool busy);

    std::string m_path;
    CReverseImportHost m_host;
    QTextEdit* m_log = nullptr;
    CWorkerThread m_worker;
    int m_pass = 0;
    Pass m_result;  // written by the worker before it posts the end of its pass
    // The sheet of the last preview that matched the task; the import reads nothing else.
    std::unique_ptr<zem::import::CMasterSheet> m_sheet;
    std::unique_ptr<zem::import::CReverseImportCheck> m_check;
    std::unique_ptr<zem::import::CReverseImporter> m_importer;
    std::vector<zem::import::MasterClassRow> m_rows;
    std::size_t m_nextRow = 0;
    bool m_importing = false;
    bool m_stopImport = false;
    bool m_closeAfterImport = false;
    bool m_conflicts = false;
    bool m_saved = false;
};

// Runs the introduction over the parent.
void RunReverseImport(QWidget* parent, const CReverseImportHost& host);
