#include "app/proctor/ProctorProgressDlg.h"

#include "app/controls/RunWindowLayout.h"
#include "app/shared/AppServices.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "core/Core.h"

#include <QProgressBar>

namespace {

std::optional<CProctorRunOptions>& TestRunOptions()
{
    static std::optional<CProctorRunOptions> options;
    return options;
}

}  // namespace

CProctorProgressDlg::CProctorProgressDlg(QWidget* parent)
    : Dialog(parent, "正在自动排监考", kRunWindowSize),
      m_animation(std::make_unique<CFloatingWordsAnimation>()),
      m_timers([this](int id) { OnTimer(id); })
{
}

CProctorProgressDlg::~CProctorProgressDlg()
{
    m_timers.KillAll();
    StopAndWait();
}

void CProctorProgressDlg::SetRunOptionsForTesting(std::optional<CProctorRunOptions> options)
{
    TestRunOptions() = std::move(options);
}

bool CProctorProgressDlg::OnInitDialog()
{
    SetCaption("正在自动排监考");
    const CRunWindowControls controls = BuildRunWindow(this);
    m_animationRect = controls.animation;
    m_progress = controls.progress;

    CScheduleTask* task = AppServices().GetTask();
    if (!m_proctor || !task)
        return true;
    CProctorData& data = m_proctor->data();
    for (const std::string& id : data.GetTeacherArray()) {
        if (const CZemObject* teacher = task->GetTeacher(id))
            m_words.push_back(teacher->GetName());
    }
    m_animation->Init(this, m_animationRect.left, m_animationRect.top, m_animationRect.right, m_animationRect.bottom,
                      m_words);
    m_timers.SetTimer(kAnimationTimer, kAnimationMs);

    // From here until the worker ends, its thread owns the proctoring's lists.
    const CProctorRunOptions options = TestRunOptions().value_or(CProctorRunOptions{});
    m_running = true;
    m_thread = std::thread([this, task, &data, options] {
        CProctorAssignment run(*task, data, options);
        run.onProgress = [this](int percent) { Send(WM_SCHEDULE_PROGRESS, 1, percent); };
        run.onMessage = [this](const zem::MessageRequest& request) {
            Send(WM_PROCTOR_MESSAGE, 0, zem::ToLParam(&request));
        };
        run.Run(&m_cancel);
        Send(WM_SCHEDULE_PROGRESS, 3, 0);
        m_running = false;
    });
    return true;
}

int CProctorProgressDlg::RunModal()
{
    const int code = DoModal();
    // The modal loop also ends when the program quits: the worker must not outlive the proctoring.
    m_timers.KillAll();
    StopAndWait();
    return code;
}

int CProctorProgressDlg::GetProgress() const
{
    return m_progress ? m_progress->value() : 0;
}

void CProctorProgressDlg::OnTimer(int id)
{
    if (id == kFinishTimer) {
        m_timers.KillTimer(kFinishTimer);
        EndDialog(zem::IDCANCEL);
        return;
    }
    m_animation->Step();
    update(m_animationRect.left, m_animationRect.top, m_animationRect.Width(), m_animationRect.Height());
}

void CProctorProgressDlg::OnCancel()
{
    // What the worker has appended so far stays; it stops before its next room.
    m_cancel = true;
    EndDialog(zem::IDCANCEL);
}

zem::LRESULT CProctorProgressDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    // A window on its way out shows nothing more of a worker it has asked to stop.
    if (m_closing)
        return 0;
    if (message == WM_PROCTOR_MESSAGE) {
        if (const auto* request = zem::FromLParam<const zem::MessageRequest>(lParam))
            zem::ShowMessage(*request);
        return 0;
    }
    if (message != WM_SCHEDULE_PROGRESS)
        return Dialog::WindowProc(message, wParam, lParam);
    switch (wParam) {
    case 0:
        if (lParam)
            SetDlgItemText(IDC_STATUS, zem::FromLParam<const char>(lParam));
        break;
    case 1:
        if (m_progress)
            m_progress->setValue(static_cast<int>(lParam));
        break;
    case 3:
        m_finished = true;
        m_finishCode = static_cast<int>(lParam);
        if (!IsEnded())
            m_timers.SetTimer(kFinishTimer, kFinishPauseMs);
        break;
    default:
        break;
    }
    return 0;
}

void CProctorProgressDlg::StopAndWait()
{
    m_closing = true;
    m_cancel = true;
    // The worker's messages are answered (and dropped) meanwhile, so it never waits on this thread.
    zem::gui::WaitWhile([this] { return m_running.load(); });
    if (m_thread.joinable())
        m_thread.join();
}

void CProctorProgressDlg::paintEvent(QPaintEvent*)
{
    PaintRunWindow(this, *m_animation);
}
