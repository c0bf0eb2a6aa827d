// The engine's facade, its run thread and the messages it posts.
#include "core/Core.h"

#include "core/Engine.h"
#include "platform/Text.h"

#include <chrono>

// ---- CAutoRange

bool CAutoRange::hasClass(const std::string& classId) const
{
    for (const std::string& id : m_classIds)
        if (zem::EqualsNoCase(id, classId))
            return true;
    return false;
}

bool CAutoRange::IsCourseIn(const CCourseInfo* course) const
{
    if (!course)
        return false;
    switch (course->GetType()) {
    case COURSE_TYPE_PLAN:
        if (!has_common)
            return false;
        break;
    case COURSE_TYPE_MORNING_READING:
        if (!has_mr)
            return false;
        break;
    case COURSE_TYPE_SELF_STUDY:
        if (!has_ss)
            return false;
        break;
    }
    return hasClass(course->GetClassId());
}

// ---- CCore

CCore::CCore(CScheduleTask& task) : m_task(task), m_engine(std::make_unique<CAutoScheduler>()) {}

CCore::~CCore()
{
    if (m_engine)
        m_engine->Free();
}

void CCore::Init(zem::MessageTarget* window)
{
    if (m_engine)
        m_engine->Init(window, &m_task);
}

void CCore::SetRange(CAutoRange* range)
{
    if (m_engine)
        m_engine->SetRange(range);
}

void CCore::SetCallback(CoreCallback callback)
{
    if (m_engine)
        m_engine->SetCallback(std::move(callback));
}

void CCore::SetOptions(const CoreRunOptions& options)
{
    if (m_engine)
        m_engine->SetOptions(options);
}

void CCore::Start()
{
    if (m_engine)
        m_engine->Start();
}

void CCore::Cancel()
{
    if (m_engine)
        m_engine->Cancel();
}

void CCore::RequestStop()
{
    if (m_engine)
        m_engine->RequestStop();
}

void CCore::Free()
{
    if (m_engine)
        m_engine->Free();
}

void CCore::Wait()
{
    if (m_engine)
        m_engine->Wait();
}

bool CCore::IsRunning() const { return m_engine && m_engine->IsRunning(); }

const std::atomic<bool>& CCore::GetStopFlag() const { return m_engine->GetStopFlag(); }

const CoreRunStats& CCore::GetStats() const { return m_engine->GetStats(); }

// ---- CTeacherWeekCountMap

void CTeacherWeekCountMap::Build(const CScheduleTask& task)
{
    m_map.clear();
    std::vector<const CCombineClass*> counted;
    bool anyNotMain = false;
    for (const CCourseInfo* course : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList())) {
        anyNotMain = anyNotMain || !course->IsMainCourse();
        // A combined lesson is one lesson for its teacher, whichever class it is counted under.
        if (const CCombineClass* combined = task.GetCC(course->GetId())) {
            bool seen = false;
            for (const CCombineClass* c : counted)
                seen = seen || c == combined;
            if (seen)
                continue;
            counted.push_back(combined);
        }
        m_map[course->GetTeacherId()].total += course->GetWeekCount();
    }
    const int days = task.GetSchoolStructure().GetWeekDayCount();
    if (days > 0) {
        for (auto& [id, record] : m_map) {
            const int whole = record.total.GetWholeCount();
            record.perDayLimit = (whole + days - 1) / days + (record.total.HasHalfNode() ? 1 : 0);
        }
    }
    m_sortByMainType = task.GetTaskSetting().GetSortByMainCourseType() && anyNotMain;
}

int CTeacherWeekCountMap::GetPerDayLimit(const std::string& teacherId) const
{
    const Record* record = Find(teacherId);
    return record ? record->perDayLimit : 0;
}

const CTeacherWeekCountMap::Record* CTeacherWeekCountMap::Find(const std::string& teacherId) const
{
    auto it = m_map.find(teacherId);
    return it == m_map.end() ? nullptr : &it->second;
}

// ---- CCoreEngine

CCoreEngine::~CCoreEngine() { Cancel(); }

void CCoreEngine::Init(zem::MessageTarget* window, CScheduleTask* task)
{
    m_window = window;
    m_task = task;
    m_ready = task != nullptr;
}

void CCoreEngine::Start()
{
    if (!m_ready || m_running.load())
        return;
    Join();  // the worker of a finished run
    m_stop = false;
    m_stats = CoreRunStats();
    m_lastPercent = -1;
    m_running = true;
    m_thread = std::thread([this] { Worker(); });
}

void CCoreEngine::RequestStop()
{
    m_stop = true;
    std::lock_guard<std::mutex> lock(m_pauseMutex);
    m_wake.notify_all();
}

void CCoreEngine::Cancel()
{
    RequestStop();
    // The run's own thread (a callback, an observer, a message target) can only ask.
    if (OnWorker())
        return;
    Join();
}

void CCoreEngine::Wait()
{
    if (OnWorker())
        return;
    Join();
}

void CCoreEngine::Join()
{
    std::lock_guard<std::mutex> lock(m_joinMutex);
    if (m_thread.joinable())
        m_thread.join();
}

bool CCoreEngine::OnWorker() const { return m_worker.load() == std::this_thread::get_id(); }

void CCoreEngine::Worker()
{
    // Known before the first message, so that a receiver of it may stop the run; the thread's
    // handle may not be stored yet.
    m_worker = std::this_thread::get_id();
    using Clock = std::chrono::steady_clock;
    const std::uint64_t seed = m_options.seed ? *m_options.seed
                                              : static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32)};
    m_random.seed(sequence);

    const auto start = Clock::now();
    m_task->InitReportInfo();
    m_teacherMap.Build(*m_task);
    const bool checked = CheckData();
    m_stats.secondsCheck = std::chrono::duration<double>(Clock::now() - start).count();
    if (checked && !Stopped())
        Run();
    m_stats.stopped = Stopped();
    if (m_stats.stopped)
        m_stats.code = 0;
    m_worker = std::thread::id();
    m_running = false;
}

void CCoreEngine::PostStatus(const char* text)
{
    zem::PostText(m_window, WM_SCHEDULE_PROGRESS, 0, text);
}

void CCoreEngine::PostProgress(int percent, bool force)
{
    // One message per step of the bar, not per course.
    if (percent == m_lastPercent && !force)
        return;
    m_lastPercent = percent;
    zem::PostMessage(m_window, WM_SCHEDULE_PROGRESS, 1, percent);
}

void CCoreEngine::PostResult(int code) { zem::PostMessage(m_window, WM_SCHEDULE_PROGRESS, 3, code); }

void CCoreEngine::Pause(int milliseconds)
{
    if (!m_options.pauses)
        return;
    std::unique_lock<std::mutex> lock(m_pauseMutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(m_options.pauseMs.value_or(milliseconds)),
                    [this] { return Stopped(); });
}

void CCoreEngine::CallBack(TRY_SWAP_TYPE kind)
{
    const auto start = std::chrono::steady_clock::now();
    m_callback(kind, m_range);
    m_stats.secondsCallback += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string CCoreEngine::MakeTitle() const
{
    if (!m_range)
        return {};
    auto& task = *m_task;
    if (m_range->GetClassCount() == task.GetClassInfoList().GetCount() && m_range->IsTypeFull())
        return {};
    std::string kinds;
    if (m_range->IsTypeFull())
        kinds = "所有计划";
    else
        kinds = zem::Format("%s%s%s 计划", m_range->hasMR() ? "早读" : "", m_range->hasCommon() ? "常规" : "",
                            m_range->hasSS() ? "晚自习" : "");
    const std::string className = task.GetClassNameA(m_range->GetFirstClassId());
    if (m_range->GetClassCount() == 1)
        return zem::Format("重排 %s 的 %s", className.c_str(), kinds.c_str());
    return zem::Format("重排 %s 等 %d 个班级的 %s", className.c_str(), m_range->GetClassCount(), kinds.c_str());
}
