#include "app/proctor/ProctorProgressDlg.h"

#include "app/shared/AppServices.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "platform/WindowMessages.h"

namespace {

std::optional<CProctorRunOptions>& TestRunOptions()
{
    static std::optional<CProctorRunOptions> options;
    return options;
}

}  // namespace

CProctorProgressDlg::CProctorProgressDlg(QWidget* parent) : CRunWindowDlg(parent, "正在自动排监考") {}

CProctorProgressDlg::~CProctorProgressDlg()
{
    KillTimers();
    StopWorker();
}

void CProctorProgressDlg::SetRunOptionsForTesting(std::optional<CProctorRunOptions> options)
{
    TestRunOptions() = std::move(options);
}

bool CProctorProgressDlg::OnInitDialog()
{
    SetCaption("正在自动排监考");
    BuildControls();

    CScheduleTask* task = AppServices().GetTask();
    if (!m_proctor || !task)
        return true;
    CProctorData& data = m_proctor->data();
    std::vector<std::string> words;
    for (const std::string& id : data.GetTeacherArray()) {
        if (const CZemObject* teacher = task->GetTeacher(id))
            words.push_back(teacher->GetName());
    }
    StartAnimation(std::move(words));

    // From here until the worker ends, its thread owns the proctoring's lists.
    const CProctorRunOptions options = TestRunOptions().value_or(CProctorRunOptions{});
    m_worker.Start([this, task, &data, options] {
        CProctorAssignment run(*task, data, options);
        run.onProgress = [this](int percent) { Send(WM_SCHEDULE_PROGRESS, 1, percent); };
        run.onMessage = [this](const zem::MessageRequest& request) {
            Send(WM_PROCTOR_MESSAGE, 0, zem::ToLParam(&request));
        };
        m_completed = run.Run(&m_worker.StopFlag());
        Send(WM_SCHEDULE_PROGRESS, 3, 0);
    });
    return true;
}

int CProctorProgressDlg::RunModal()
{
    const int code = DoModal();
    // The modal loop also ends when the program quits: the worker must not outlive the proctoring.
    KillTimers();
    StopWorker();
    return code;
}

void CProctorProgressDlg::OnCancel()
{
    // What the worker has appended so far stays; it stops before its next room.
    m_worker.RequestStop();
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
    return CRunWindowDlg::WindowProc(message, wParam, lParam);
}

void CProctorProgressDlg::StopWorker()
{
    m_closing = true;
    // The worker's messages are answered (and dropped) meanwhile, so it never waits on this thread.
    m_worker.StopAndWait();
}
