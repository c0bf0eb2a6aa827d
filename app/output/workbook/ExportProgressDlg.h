#pragma once
// The window an export runs under, "导出中": a status line whose dots move while the worker writes,
// and a grey line with the table written last. Closing it (its close box or Esc) asks the worker to
// stop at its next check; the window stays, still answering, until the worker has ended, and then
// closes itself. The window never waits for the worker.
#include "app/controls/WorkerThread.h"
#include "platform/gui/Dialog.h"

#include <atomic>
#include <functional>
#include <string>

class CExportProgressDlg : public zem::gui::Dialog {
public:
    using Worker = std::function<bool(zem::MessageTarget* window)>;

    explicit CExportProgressDlg(QWidget* parent = nullptr);
    ~CExportProgressDlg() override;

    // The worker runs on a thread of its own and talks to this window through its messages;
    // `cancel` is set when the user closes the window.
    void SetWorker(Worker worker, std::atomic<bool>* cancel);
    // The workbook's path: its file name is shown in the status line.
    void SetFilePath(const std::string& path) { m_filePath = path; }
    void SetObjectName(const std::string& name) { m_objectName = name; }

    bool IsWorkerRunning() const { return m_worker.HasThread(); }
    bool GetResult() const { return m_result; }
    // One beat of the moving dots (the window's timer calls it every 500 ms).
    void Tick();

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void timerEvent(QTimerEvent* event) override;

private:
    Worker m_work;
    std::atomic<bool>* m_cancel = nullptr;
    std::string m_filePath;
    std::string m_objectName = "工作簿";
    std::string m_statusBase;
    std::atomic<bool> m_result{false};
    bool m_stopping = false;
    int m_timer = 0;
    CWorkerThread m_worker;
};

// Every export from now on runs under this window.
void InstallExportProgressWindow();
