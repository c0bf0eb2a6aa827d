#pragma once
// The modal window the automatic assignment of invigilators runs under: a progress bar and the
// teachers' names floating over a star field, while the assignment works on a thread of its own.
// The worker's progress and message boxes come to this window as messages and are shown on its
// thread. The window closes itself half a second after the worker's end; closing it earlier (its
// Cancel button or close box) asks the worker to stop before its next room and waits for it.
#include "app/controls/FloatingWords.h"
#include "app/proctor/ProctorAssignment.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CScheduleProctor;
class CScheduleTask;
class QProgressBar;

// Sent by the worker to the window with a zem::MessageRequest* in lParam: shown on the window's thread.
constexpr unsigned WM_PROCTOR_MESSAGE = zem::WM_USER + 301;

class CProctorProgressDlg : public zem::gui::Dialog {
public:
    enum { IDD = 161, IDC_PROGRESS = 1021, IDC_STATUS = 1023, IDC_ANIMATION = 1294 };
    enum { kAnimationTimer = 1, kFinishTimer = 2 };
    static constexpr int kAnimationMs = 15;
    static constexpr int kFinishPauseMs = 500;

    explicit CProctorProgressDlg(QWidget* parent = nullptr);
    // Stops a worker still going and waits for it.
    ~CProctorProgressDlg() override;

    // The proctoring the worker fills; null opens the window without a worker.
    void SetProctor(CScheduleProctor* proctor) { m_proctor = proctor; }
    // Runs the window modally; when it returns, the worker has ended.
    int RunModal();

    bool IsWorkerRunning() const { return m_running.load(); }
    // Whether the worker has sent its end; its finish code (always 0).
    bool IsFinished() const { return m_finished; }
    int GetFinishCode() const { return m_finishCode; }
    int GetProgress() const;
    const std::vector<std::string>& GetWords() const { return m_words; }
    const CFloatingWordsAnimation& GetAnimation() const { return *m_animation; }

    // Tests and benchmarks only: the options of every run (a fixed seed, no pauses), or the
    // program's own with nullopt.
    static void SetRunOptionsForTesting(std::optional<CProctorRunOptions> options);

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTimer(int id);
    // Asks the worker to stop and waits for it, serving its messages meanwhile.
    void StopAndWait();

    CScheduleProctor* m_proctor = nullptr;
    std::unique_ptr<CFloatingWordsAnimation> m_animation;
    std::vector<std::string> m_words;
    zem::Rect m_animationRect;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
    bool m_finished = false;
    bool m_closing = false;
    int m_finishCode = 0;
    QProgressBar* m_progress = nullptr;
    zem::gui::WindowTimers m_timers;
};
