#pragma once
// The modal dialog of an automatic run: backs the task up when needed, starts the engine on its
// own thread with the task helper's passes as its callback, shows the engine's status texts and
// percentage over floating names of the range's subjects and teachers, and closes itself when the
// engine reports the end. Cancel stops the engine cooperatively; the window stays responsive
// while it waits.
#include "app/controls/FloatingWords.h"
#include "core/Core.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CScheduleTask;
class QLabel;
class QProgressBar;

class CAutoScheduleDlg : public zem::gui::Dialog {
public:
    enum { IDD = 161, IDC_PROGRESS = 1021, IDC_STATUS = 1023, IDC_ANIMATION = 1294 };
    enum { kAnimationTimer = 1, kFinishTimer = 2 };
    static constexpr int kAnimationMs = 15;
    // The finish code stays on screen this long before the dialog closes.
    static constexpr int kFinishPauseMs = 500;
    static constexpr const char* kBackupReason = "自动排课前";
    static constexpr const char* kStoppingText = "正在停止自动排课，请稍候...";

    explicit CAutoScheduleDlg(QWidget* parent = nullptr);
    // Stops a run still going and waits for its thread.
    ~CAutoScheduleDlg() override;

    // The range must outlive the dialog.
    void SetRange(CAutoRange* range) { m_pRange = range; }
    // Runs the dialog modally; when it returns, the engine's thread has ended.
    int RunModal();

    // 0 until the engine reports the end; then 1 all placed, 2 data check failed, 3 lessons left.
    int GetFinishCode() const { return m_nFinishCode; }
    bool IsEngineStarted() const { return m_bStarted; }
    bool IsEngineRunning() const { return m_pCore && m_pCore->IsRunning(); }
    bool IsStopping() const { return m_bStopping; }
    const std::string& GetStatusText() const { return m_strStatus; }
    int GetProgress() const;
    const CFloatingWordsAnimation& GetAnimation() const { return *m_pAnimation; }
    const std::vector<std::string>& GetWords() const { return m_words; }
    // What the engine's run did; valid once RunModal has returned.
    const CoreRunStats* GetRunStats() const { return m_pCore ? &m_pCore->GetStats() : nullptr; }
    // Whether this run backed the task up first.
    bool IsBackedUp() const { return m_bBackedUp; }

    // The names the animation floats: the subjects and teachers of the range's plans, each once;
    // all subjects and then all teachers when the range gives none.
    static std::vector<std::string> CollectWords(const CScheduleTask& task, const CAutoRange* range);

    // Tests and benchmarks only: the engine's options for every run (a fixed seed), or the
    // program's own with nullopt.
    static void SetRunOptionsForTesting(std::optional<CoreRunOptions> options);
    // Tests only: forgets the time of every task's first run since the program started.
    static void ResetFirstRunTimeForTesting();

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BackUpIfDue(CScheduleTask& task);
    void OnTimer(int id);
    void SetStatus(const std::string& text);
    // Asks the engine to stop and waits for its thread, the window still painting meanwhile.
    void StopAndWait();

    std::unique_ptr<CCore> m_pCore;
    CAutoRange* m_pRange = nullptr;
    std::unique_ptr<CFloatingWordsAnimation> m_pAnimation;
    std::vector<std::string> m_words;
    zem::Rect m_animationRect;
    std::string m_strStatus;
    int m_nFinishCode = 0;
    bool m_bStarted = false;
    bool m_bStopping = false;
    bool m_bBackedUp = false;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    zem::gui::WindowTimers m_timers;
};
