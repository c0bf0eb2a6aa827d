#pragma once
// The modal dialog of an automatic run: backs the task up when needed, starts the engine on its
// own thread with the task helper's passes as its callback, shows the engine's status texts and
// percentage over floating names of the range's subjects and teachers, and closes itself when the
// engine reports the end. Cancel stops the engine cooperatively; the window stays responsive
// while it waits.
#include "app/controls/RunWindow.h"
#include "core/Core.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CScheduleTask;

class CAutoScheduleDlg : public CRunWindowDlg {
public:
    static constexpr const char* kBackupReason = "自动排课前";
    static constexpr const char* kStoppingText = "正在停止自动排课，请稍候...";

    explicit CAutoScheduleDlg(QWidget* parent = nullptr);
    // Stops a run still going and waits for its thread.
    ~CAutoScheduleDlg() override;

    // The range must outlive the dialog.
    void SetRange(CAutoRange* range) { m_range = range; }
    // Runs the dialog modally; when it returns, the engine's thread has ended.
    int RunModal();

    // GetFinishCode: 0 until the engine reports the end; then 1 all placed, 2 data check failed,
    // 3 lessons left, kRunRefused a result refused unsaved (GetRunStats says why).
    bool IsEngineStarted() const { return m_started; }
    bool IsEngineRunning() const { return m_core && m_core->IsRunning(); }
    bool IsStopping() const { return m_stopping; }
    // What the engine's run did; valid once RunModal has returned.
    const CoreRunStats* GetRunStats() const { return m_core ? &m_core->GetStats() : nullptr; }
    // Whether this run backed the task up first.
    bool IsBackedUp() const { return m_backedUp; }

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
    void OnCancel() override;
    // Texts still queued when the user stopped the run would hide that it is stopping.
    void OnStatusText(const char* text) override;
    // A stopped engine has left the task to the window again: it closes.
    void OnAnimationStep() override;

private:
    void BackUpIfDue(CScheduleTask& task);
    // Asks the engine to stop and waits for its thread, the window still painting meanwhile.
    void StopWorker();

    std::unique_ptr<CCore> m_core;
    CAutoRange* m_range = nullptr;
    bool m_started = false;
    bool m_stopping = false;
    bool m_backedUp = false;
};
