#include "app/controls/WorkerThread.h"

#include "platform/gui/Messages.h"

#include <utility>

CWorkerThread::~CWorkerThread()
{
    StopAndWait();
}

void CWorkerThread::Start(std::function<void()> work)
{
    StopAndWait();
    m_stop.store(false);
    m_running.store(true);
    m_thread = std::thread([this, work = std::move(work)] {
        work();
        // The last touch of the owner: after it the owner may go.
        m_running.store(false);
    });
}

void CWorkerThread::RequestStop()
{
    m_stop.store(true);
    m_stop.notify_all();
    if (m_stopHook)
        m_stopHook();
}

void CWorkerThread::StopAndWait()
{
    if (!m_thread.joinable())
        return;
    RequestStop();
    Wait();
}

void CWorkerThread::Wait()
{
    if (!m_thread.joinable())
        return;
    zem::gui::WaitWhile([this] { return m_running.load(); });
    m_thread.join();
}
