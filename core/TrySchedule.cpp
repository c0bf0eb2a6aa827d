// The tries of a run: each weighs and orders the plans, clears the range, places presets and then
// every plan, and is kept when it leaves fewer lessons unplaced than the best so far.
#include "core/Engine.h"

#include "base/ChangeCheck.h"
#include "base/Log.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

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

// The same as target = source for two tables whose free slots hold empty cells: only the cells of
// slots taken in either need copying.
void CopyTakenSlots(CCourseTable& target, const CCourseTable& source)
{
    const CTimeTable::Status* from = source.GetValues();
    const CTimeTable::Status* to = target.GetValues();
    CTimeTable::Status taken[zem::kSlotCount];
    for (int slot = 0; slot < zem::kSlotCount; ++slot)
        taken[slot] = static_cast<CTimeTable::Status>(from[slot] | to[slot]);
    ForEachTakenSlot(taken, [&](int slot) {
        const tagTABLE_NODE node = NodeOfSlot(slot);
        target.GetNode(node) = source.GetNode(node);
    });
    static_cast<CTimeTable&>(target) = source;
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
    // The task as it stands before the first try: what the result brings is judged against it.
    const CChangeCheck before(*m_task, false, CChangeCheck::Plans::Kept);
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
    if (stopped || !RepairBestTry()) {
        ReadCommittedTables();
        return;
    }
    FinishRun(before);
}

// The best try still lost lessons: the callback may place them by moving lessons across the
// timetables. What it places is kept; when it places nothing the best try stays as it was. False
// when the run was stopped meanwhile.
bool CAutoScheduler::RepairBestTry()
{
    CReportInfo& report = m_task->GetLastReportInfo();
    if (!m_callback || report.GetCourseLostInfo().empty())
        return true;
    PostStatus("正在补排未排上的课程，请稍候...");
    ReadCommittedTables();
    report.GetTempCourseLostInfo() = report.GetCourseLostInfo();
    report.GetTempUnDistributionCourse() = report.GetUnDistributionCourse();
    const CWeekCount before = report.GetTempCourseLostCount();
    const auto start = Clock::now();
    CallBack(TRY_SWAP_REPAIR);
    m_stats.secondsRepair = SecondsSince(start);
    if (Stopped())
        return false;
    if (report.GetTempCourseLostCount() < before) {
        CommitTry();
        return true;
    }
    report.ClearTempInfo();
    ReadCommittedTables();
    return true;
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
    // Heaviest first; a plan joins the run of equal weights at a random place, drawn from how
    // many of its weight came before it. Each weight's run is built in its own stretch of out.
    const std::size_t count = input.size();
    m_weights.clear();
    for (int plan : input)
        m_weights.push_back(m_plans[plan].weight);
    m_distinct.assign(m_weights.begin(), m_weights.end());
    std::sort(m_distinct.begin(), m_distinct.end(), std::greater<>());
    m_distinct.erase(std::unique(m_distinct.begin(), m_distinct.end()), m_distinct.end());
    auto groupOf = [&](int weight) {
        return static_cast<std::size_t>(std::lower_bound(m_distinct.begin(), m_distinct.end(), weight, std::greater<>()) -
                                        m_distinct.begin());
    };
    m_groupFill.assign(m_distinct.size(), 0);
    m_draws.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        int& fill = m_groupFill[groupOf(m_weights[i])];
        m_draws[i] = fill > 0 ? static_cast<int>(m_random() % static_cast<unsigned>(fill + 1)) : 0;
        ++fill;
    }
    m_groupStart.resize(m_distinct.size());
    int start = 0;
    for (std::size_t g = 0; g < m_distinct.size(); ++g) {
        m_groupStart[g] = start;
        start += m_groupFill[g];
        m_groupFill[g] = 0;
    }
    out.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t g = groupOf(m_weights[i]);
        int* run = out.data() + m_groupStart[g];
        const int fill = m_groupFill[g]++;
        std::copy_backward(run + m_draws[i], run + fill, run + fill + 1);
        run[m_draws[i]] = input[i];
    }
    if (!groupByTeacher)
        return;
    // Each teacher's plans follow the first of them, in their order.
    m_teacherFirst.assign(m_lastSide.size(), -1);
    m_draws.assign(count, -1);  // now per position: the next position of the same teacher
    for (std::size_t i = count; i-- > 0;) {
        const int teacher = m_plans[out[i]].teacherIndex;
        m_draws[i] = m_teacherFirst[teacher];
        m_teacherFirst[teacher] = static_cast<int>(i);
    }
    m_grouped.clear();
    for (std::size_t i = 0; i < count; ++i) {
        if (m_teacherFirst[m_plans[out[i]].teacherIndex] != static_cast<int>(i))
            continue;
        for (int k = static_cast<int>(i); k >= 0; k = m_draws[k])
            m_grouped.push_back(out[k]);
    }
    out.swap(m_grouped);
}

void CAutoScheduler::ClearRange()
{
    for (CClassInfo* cls : m_classes)
        ResetTable(cls->GetTempTable());
    for (CTeacherInfo* teacher : m_teachers)
        ResetTable(teacher->GetTempTable());
    for (CRoomInfo* room : m_rooms)
        for (int i = 0; CCourseTable* table = room->GetComplexTable().Enum(true, i); ++i)
            ResetTable(*table);
    for (CPlanState& plan : m_plans)
        ResetTable(plan.course->GetTempTable());
    m_tablesReset = true;
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

void CAutoScheduler::ResetTable(CCourseTable& table) const
{
    if (!m_tablesReset) {
        table.Clear();
        return;
    }
    // Since the whole clear of the run's first try, lessons came and went only through the task's
    // placing operations, which leave the cell of every free slot empty: the cells of the other
    // slots are all there is to clear.
    ForEachTakenSlot(table.GetValues(), [&](int slot) { table.GetNode(NodeOfSlot(slot)).Clear(); });
    table.CTimeTable::Clear();
}

void CAutoScheduler::PlacePresets()
{
    for (std::size_t i = 0; i < m_presets.size(); ++i) {
        const int index = m_presetPlans[i];
        if (index < 0 || m_plans[index].done)
            continue;
        CPlanState& plan = m_plans[index];
        CCourseTable& table = plan.course->GetTempTable();
        m_presets[i]->WriteFixedTimeToTable(&table, plan.roomId);
        // What remains comes from what the plan holds, so a lesson a partner already brought
        // over is not counted twice.
        plan.remaining = plan.saved - HeldLessons(plan);
        WriteCourseTable(plan, table);
        SyncPartners(plan, table);
    }
}

void CAutoScheduler::CommitTry()
{
    CopyTables(true);
    m_committedCopied = true;
    m_task->GetLastReportInfo().SaveTempInfo();
}

// After a run, finished or stopped, the working copies show what was kept, not the last try.
void CAutoScheduler::ReadCommittedTables() { CopyTables(false); }

// Every table of the run, working to committed or back.
void CAutoScheduler::CopyTables(bool commit)
{
    // Once both sides were cleared or copied whole this run, their free slots hold empty cells.
    const bool whole = !m_tablesReset || !m_committedCopied;
    auto copy = [&](CCourseTable& committed, CCourseTable& working) {
        CCourseTable& target = commit ? committed : working;
        const CCourseTable& source = commit ? working : committed;
        if (whole)
            target = source;
        else
            CopyTakenSlots(target, source);
    };
    for (CPlanState& plan : m_plans)
        copy(plan.course->GetTable(false), plan.course->GetTable(true));
    for (CClassInfo* cls : m_classes)
        copy(cls->GetTable(false), cls->GetTable(true));
    for (CTeacherInfo* teacher : m_teachers)
        copy(teacher->GetTable(false), teacher->GetTable(true));
    for (CRoomInfo* room : m_rooms) {
        CComplexTable& places = room->GetComplexTable();
        for (int i = 0; CCourseTable* committed = places.Enum(false, i); ++i)
            copy(*committed, *places.Enum(true, i));
    }
}

void CAutoScheduler::FinishRun(const CChangeCheck& before)
{
    CScheduleTask& task = *m_task;
    CReportInfo& report = task.GetLastReportInfo();
    if (m_options.beforeSave)
        m_options.beforeSave();
    if (Stopped()) {
        ReadCommittedTables();
        return;
    }

    // The result the run keeps, after the passes and the repair, asked against the task's rules. A
    // run never changes what a plan asks for: a result that changed a weekly count (or passes the
    // task's limits) is refused unsaved. Broken rules do not undo a whole run's work: the user
    // gets the result with each broken rule listed in its report, as for the lessons left over.
    const ChangeFindings findings = before.Findings();
    if (!findings.counts.IsClean() || !findings.limits.empty()) {
        RefuseResult(findings);
        return;
    }
    report.SetBrokenRules(findings.broken.Said(findings.broken.Count()));

    // The two files describe one result and are saved as one. A failed save of output.xml is shown
    // to the user by the task itself; the report in memory says it too.
    const auto start = Clock::now();
    report.MakeReport(task, MakeTitle(), CReportInfo::kRunFinished);
    const CScheduleTask::RunResultSave save = task.SaveRunResult();
    const bool outputSaved = save.outputSaved;
    const bool reportSaved = save.reportError == 0;
    const std::string heading = std::string(CReportInfo::kSaveFailedHeading) + "\n";
    if (!outputSaved)
        report.SetReportInfo(report.GetReportInfo() + heading +
                             "排课结果未能保存到课表文件 output.xml，请检查任务文件夹是否可以写入。\n");
    const std::string reportFailure = zem::Format("排课报告未能保存到 report.txt（%s），请检查任务文件夹是否可以写入。",
                                                  zem::FileErrorReason(save.reportError).c_str());
    if (!reportSaved)
        report.SetReportInfo(report.GetReportInfo() + (outputSaved ? heading : std::string()) + reportFailure + "\n");
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
    PostStatus(m_stats.saveFailed     ? "排课完成，但排课结果未能全部保存."
               : !findings.broken.IsClean() ? "排课完成，但排课结果违反了排课规则."
                                           : "排课完成.");
    PostResult(code);
}

void CAutoScheduler::RefuseResult(const ChangeFindings& findings)
{
    CLog::inst()->Log("schedule", "run result refused:\n%s%s", findings.counts.Text().c_str(),
                      findings.broken.Text().c_str());
    m_stats.code = kRunRefused;
    m_stats.refusal = RefusedChangeText(findings);
    ReadCommittedTables();
    if (Stopped())
        return;
    PostProgress(100, true);
    PostStatus("排课结果违反了排课规则，未保存.");
    PostResult(kRunRefused);
}
