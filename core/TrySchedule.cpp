// The tries of a run: each weighs and orders the plans, clears the range, places presets and then
// every plan, and is kept when it leaves fewer lessons unplaced than the best so far.
#include "core/Engine.h"

#include "base/Log.h"
#include "platform/Hooks.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

CWeekCount SumOf(const CReportInfo::CourseLostMap& lost)
{
    CWeekCount sum;
    for (const auto& [id, count] : lost)
        sum += count;
    return sum;
}

}  // namespace

CAutoScheduler::~CAutoScheduler() { Cancel(); }

void CAutoScheduler::Run()
{
    PostStatus("正在排课，请稍候...");
    Pause(500);
    if (Stopped())
        return;
    const auto start = Clock::now();
    m_tries = std::max(1, m_options.tries);
    BuildPlans();
    CWeekCount bestFinal;
    CWeekCount bestAuto;
    bool stopped = false;
    for (int i = 0; i < m_tries; ++i) {
        if (!Try(i, bestFinal, bestAuto)) {
            stopped = true;
            break;
        }
        if (bestFinal.IsEmpty() && bestAuto.IsEmpty())
            break;
    }
    m_stats.secondsPlace = SecondsSince(start) - m_stats.secondsCallback;
    if (stopped) {
        ReadCommittedTables();
        return;
    }
    FinishRun();
}

bool CAutoScheduler::Try(int index, CWeekCount& bestFinal, CWeekCount& bestAuto)
{
    CScheduleTask& task = *m_task;
    CReportInfo& report = task.GetLastReportInfo();
    CLog* log = CLog::inst();

    m_strict = true;
    m_verticalMargin = index < m_tries - 10;
    const int mode = static_cast<int>(m_random() % 5);
    log->Log("schedule", "try %d strict: %d priority: %d vert-margin: %d", index, m_strict ? 1 : 0, mode,
             m_verticalMargin ? 1 : 0);
    report.ClearTempInfo();
    WeighAll(mode);

    // Teaching plans first, grouped by teacher when asked; then self-study, always grouped.
    m_order.clear();
    for (int i = 0; i < m_planCount; ++i)
        m_order.push_back(i);
    Order(m_order, m_orderedPlans, task.GetTaskSetting().GetConcentrateByTeacher());
    m_order.clear();
    for (int i = m_planCount; i < static_cast<int>(m_plans.size()); ++i)
        m_order.push_back(i);
    Order(m_order, m_orderedSelf, true);
    m_work.clear();
    for (int plan : m_orderedPlans)
        m_work.push_back({plan, -1});
    for (int plan : m_orderedSelf)
        m_work.push_back({plan, -1});

    for (CPlanState& plan : m_plans) {
        plan.remaining = plan.saved;
        plan.done = false;
    }
    ClearRange();
    PreparePairs();
    PlacePresets();

    CWeekCount automatic;
    const long long n = static_cast<long long>(m_work.size());
    for (long long k = 0; k < n; ++k) {
        automatic += PlaceCourse(m_work[k]);
        PostProgress(static_cast<int>((index * n + k + 1) * 100 / (n * m_tries)));
        if (Stopped())
            break;
    }
    RemovePairs();
    if (Stopped())
        return false;

    CWeekCount final = automatic;
    if (!automatic.IsEmpty() && m_callback) {
        CallBack(TRY_SWAP_LOST);
        final = report.GetTempCourseLostCount();
        if (Stopped())
            return false;
    }
    if (log->IsEnabled())
        log->Log("schedule", "priority - %d value: auto - %s final - %s", mode, automatic.ToString().c_str(),
                 final.ToString().c_str());

    const bool best = index == 0 || final < bestFinal ||
                      (m_strict && m_verticalMargin && final == bestFinal && automatic < bestAuto);
    if (best) {
        log->Log("schedule", "update best value");
        if (m_callback) {
            CallBack(TRY_SWAP_IMPROVE);
            CallBack(TRY_SWAP_RELAXED);
            if (Stopped())
                return false;
        }
        bestAuto = automatic;
        bestFinal = final;
        CommitTry();
        m_stats.bestTry = index;
    }
    m_stats.tries = index + 1;
    if (m_options.observer)
        m_options.observer(CoreTryInfo{index, automatic, final, best});
    return true;
}

void CAutoScheduler::WeighAll(int mode)
{
    for (CPlanState& plan : m_plans) {
        const CCourseInfo* course = plan.course;
        const int r = static_cast<int>(m_random() % 10) + 10;
        int w = plan.weightBase;
        if (course->IsMainCourse())
            w += mode == 1 ? r : 3;
        if (course->GetContinuousNodes() > 1)
            w += mode == 2 ? r : 3;
        if (mode == 3)
            w += plan.g;
        if (mode == 4)
            w += plan.teacherLessons + 3 * plan.teacherClasses;
        plan.weight = w;
        // The plan's priority field carries its weight, as the program has always shown it.
        plan.course->SetPriority(w);
    }
}

void CAutoScheduler::Order(const std::vector<int>& input, std::vector<int>& out, bool groupByTeacher)
{
    // Heaviest first; a plan joins the run of equal weights at a random place.
    out.clear();
    for (int plan : input) {
        const int w = m_plans[plan].weight;
        std::size_t at = 0;
        while (at < out.size() && m_plans[out[at]].weight > w)
            ++at;
        std::size_t equal = 0;
        while (at + equal < out.size() && m_plans[out[at + equal]].weight == w)
            ++equal;
        if (equal > 0)
            at += m_random() % (equal + 1);
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), plan);
    }
    if (!groupByTeacher)
        return;
    // Each teacher's plans follow the first of them, in their order.
    m_taken.assign(out.size(), 0);
    m_grouped.clear();
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (m_taken[i])
            continue;
        m_grouped.push_back(out[i]);
        const zem::IdHandle teacher = m_plans[out[i]].teacherKey;
        for (std::size_t j = i + 1; j < out.size(); ++j) {
            if (!m_taken[j] && m_plans[out[j]].teacherKey == teacher) {
                m_taken[j] = 1;
                m_grouped.push_back(out[j]);
            }
        }
    }
    out.swap(m_grouped);
}

void CAutoScheduler::ClearRange()
{
    for (CClassInfo* cls : m_classes)
        cls->GetTempTable().Clear();
    for (CTeacherInfo* teacher : m_teachers)
        teacher->GetTempTable().Clear();
    for (CRoomInfo* room : m_rooms)
        for (int i = 0; CCourseTable* table = room->GetComplexTable().Enum(true, i); ++i)
            table->Clear();
    for (CPlanState& plan : m_plans)
        plan.course->GetTempTable().Clear();
    if (!m_range)
        return;
    // Plans outside the range keep their committed lessons.
    for (CPlanState& plan : m_plans) {
        if (m_range->IsCourseIn(plan.course))
            continue;
        const CCourseTable& committed = plan.course->GetTable(false);
        WriteCourseTable(plan, committed);
        if (!plan.done) {
            SyncPartners(plan, committed);
            plan.done = true;
        }
    }
}

void CAutoScheduler::PlacePresets()
{
    for (const CCoursePreset* preset : m_presets) {
        const int index = PlanOf(preset->GetId());
        if (index < 0 || m_plans[index].done)
            continue;
        CPlanState& plan = m_plans[index];
        CCourseTable& table = plan.course->GetTempTable();
        preset->WriteFixedTimeToTable(&table, plan.roomId);
        // What remains comes from what the plan holds, so a lesson a partner already brought
        // over is not counted twice.
        plan.remaining = plan.saved - HeldLessons(plan);
        WriteCourseTable(plan, table);
        SyncPartners(plan, table);
    }
}

void CAutoScheduler::CommitTry()
{
    for (CPlanState& plan : m_plans)
        plan.course->SaveTempTable();
    for (CClassInfo* cls : m_classes)
        cls->SaveTempTable();
    for (CTeacherInfo* teacher : m_teachers)
        teacher->SaveTempTable();
    for (CRoomInfo* room : m_rooms)
        room->GetComplexTable().SaveTemps();
    m_task->GetLastReportInfo().SaveTempInfo();
}

// After a run, finished or stopped, the working copies show what was kept, not the last try.
void CAutoScheduler::ReadCommittedTables()
{
    for (CPlanState& plan : m_plans)
        plan.course->ReadTempTable();
    for (CClassInfo* cls : m_classes)
        cls->ReadTempTable();
    for (CTeacherInfo* teacher : m_teachers)
        teacher->ReadTempTable();
    for (CRoomInfo* room : m_rooms)
        room->GetComplexTable().ReadTemps();
}

void CAutoScheduler::FinishRun()
{
    CScheduleTask& task = *m_task;
    CReportInfo& report = task.GetLastReportInfo();
    if (m_options.beforeSave)
        m_options.beforeSave();
    if (Stopped()) {
        ReadCommittedTables();
        return;
    }

    // The two files describe one result: once the first is written, the second follows.
    // A failed save of output.xml is shown to the user by the task itself; the report says it too.
    const auto start = Clock::now();
    const bool outputSaved = task.SaveOutputData();
    report.MakeReport(task, MakeTitle(), CReportInfo::kRunFinished);
    const char* const kHeading = "【保存失败】\n";
    if (!outputSaved)
        report.SetReportInfo(report.GetReportInfo() + kHeading +
                             "排课结果未能保存到课表文件 output.xml，请检查任务文件夹是否可以写入。\n");
    const bool reportSaved = task.SaveLastReportInfo();
    const std::string reportFailure = "排课报告未能保存到 report.txt，请检查任务文件夹是否可以写入。";
    if (!reportSaved)
        report.SetReportInfo(report.GetReportInfo() + (outputSaved ? kHeading : "") + reportFailure + "\n");
    m_stats.secondsSave = SecondsSince(start);
    ReadCommittedTables();

    const CReportInfo::CourseLostMap& lost = report.GetCourseLostInfo();
    const int code = lost.empty() ? 1 : 3;
    m_stats.code = code;
    m_stats.lost = SumOf(lost);
    m_stats.saveFailed = !outputSaved || !reportSaved;
    if (Stopped())
        return;
    if (!reportSaved)
        zem::ShowMessage(reportFailure, "提示", zem::MessageIcon::Warning);
    PostProgress(100, true);
    PostStatus(m_stats.saveFailed ? "排课完成，但排课结果未能全部保存." : "排课完成.");
    PostResult(code);
}
