#pragma once
// The window long automatic runs share (the scheduling run and the assignment of invigilators):
// floating words over a dark area, a status line, a bar from 0 to 100 and Cancel, in a window of
// 379 x 131 dialog units on the light grey of the dialogs. The run reports through
// WM_SCHEDULE_PROGRESS (wParam 0 a status text in lParam, 1 the percentage, 3 the end with its
// finish code); the window closes itself half a second after the end.
#include "app/controls/FloatingWords.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;

constexpr zem::Size kRunWindowSize{379, 131};

class CRunWindowDlg : public zem::gui::Dialog {
public:
    enum { IDD = 161, IDC_PROGRESS = 1021, IDC_STATUS = 1023, IDC_ANIMATION = 1294 };
    enum { kAnimationTimer = 1, kFinishTimer = 2 };
    static constexpr int kAnimationMs = 15;
    // The finish code stays on screen this long before the window closes.
    static constexpr int kFinishPauseMs = 500;

    CRunWindowDlg(QWidget* parent, const std::string& title);
    ~CRunWindowDlg() override;

    // Whether the run has reported its end, and its finish code (0 until then).
    bool IsFinished() const { return m_finished; }
    int GetFinishCode() const { return m_finishCode; }
    const std::string& GetStatusText() const { return m_statusText; }
    int GetProgress() const;
    const std::vector<std::string>& GetWords() const { return m_words; }
    const CFloatingWordsAnimation& GetAnimation() const { return *m_animation; }

protected:
    // Builds the status line (empty), the bar and Cancel.
    void BuildControls();
    // Floats `words` over the dark area from now on.
    void StartAnimation(std::vector<std::string> words);
    // Stops the animation and the pending close; the derived window's destructor calls it first.
    void KillTimers() { m_timers.KillAll(); }
    void SetStatus(const std::string& text);
    // A status text of the run; shown unless the derived window drops it.
    virtual void OnStatusText(const char* text) { SetStatus(text); }
    // Each animation step, after the words moved.
    virtual void OnAnimationStep() {}

    void OnOK() override {}
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTimer(int id);

    std::unique_ptr<CFloatingWordsAnimation> m_animation;
    std::vector<std::string> m_words;
    zem::Rect m_animationRect;
    std::string m_statusText;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    bool m_finished = false;
    int m_finishCode = 0;
    zem::gui::WindowTimers m_timers;
};
