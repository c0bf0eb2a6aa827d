#pragma once
// The modal window the automatic assignment of invigilators runs under: a progress bar and the
// teachers' names floating over a star field, while the assignment works on a thread of its own.
// The worker's progress and message boxes come to this window as messages and are shown on its
// thread. The window closes itself half a second after the worker's end; closing it earlier (its
// Cancel button or close box) asks the worker to stop before its next room and waits for it.
#include "app/controls/RunWindow.h"
#include "app/controls/WorkerThread.h"
#include "app/proctor/ProctorAssignment.h"

#include <atomic>
#include <optional>

class CScheduleProctor;

class CProctorProgressDlg : public CRunWindowDlg {
public:
    explicit CProctorProgressDlg(QWidget* parent = nullptr);
    // Stops a worker still going and waits for it.
    ~CProctorProgressDlg() override;

    // The proctoring the worker fills; null opens the window without a worker.
    void SetProctor(CScheduleProctor* proctor) { m_proctor = proctor; }
    // Runs the window modally; when it returns, the worker has ended.
    int RunModal();

    bool IsWorkerRunning() const { return m_worker.IsRunning(); }
    // Whether the worker's run went to its end (not cancelled, no room conflict).
    bool IsRunCompleted() const { return m_completed.load(); }

    // Tests and benchmarks only: the options of every run (a fixed seed, no pauses), or the
    // program's own with nullopt.
    static void SetRunOptionsForTesting(std::optional<CProctorRunOptions> options);

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;

private:
    // Asks the worker to stop and waits for it, serving its messages meanwhile.
    void StopWorker();

    CScheduleProctor* m_proctor = nullptr;
    CWorkerThread m_worker;
    bool m_closing = false;
    std::atomic<bool> m_completed{false};
};
