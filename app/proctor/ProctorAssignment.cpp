#include "app/proctor/ProctorAssignment.h"

#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>
#include <thread>

namespace {

using Plan = CProctorData::Plan;

std::uint32_t ClockSeed()
{
    return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

void BuildTeacherInfoMap(const CScheduleTask& task, CProctorData& data)
{
    CProctorData::TeacherInfoMap& map = data.GetTeacherInfoMap();
    if (!map.empty())
        return;
    for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList())) {
        CProctorData::TeacherInfo& info = map[plan->GetTeacherId()];
        StringArrayAddUnique(info.subjects, plan->GetSubjectId());
        StringArrayAddUnique(info.classes, plan->GetClassId());
    }
}

CArrangementAside::CArrangementAside(CProctorData& data) : m_data(data), m_old(std::move(data.GetProctorList()))
{
    data.FreeProctorList();
}

bool CArrangementAside::ReplacedByRun(bool completed)
{
    if (!m_data.GetProctorList().empty() && (completed || m_old.empty()))
        return true;
    m_data.GetProctorList() = std::move(m_old);
    m_old.clear();
    return false;
}

CProctorAssignment::CProctorAssignment(const CScheduleTask& task, CProctorData& data, CProctorRunOptions options)
    : m_task(task), m_data(data), m_options(std::move(options)), m_random(m_options.seed.value_or(ClockSeed()))
{
}

void CProctorAssignment::Pause(int ms, const std::atomic<bool>* cancel) const
{
    if (!m_options.pacing)
        return;
    // In short steps, so that a cancel is not kept waiting by the start pause.
    for (int waited = 0; waited < ms && !(cancel && cancel->load()); waited += kRoomPauseMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kRoomPauseMs, ms - waited)));
}

void CProctorAssignment::Report(const std::string& text) const
{
    if (!onMessage)
        return;
    zem::MessageRequest request;
    request.text = text;
    request.icon = zem::MessageIcon::Warning;
    onMessage(request);
}

std::string CProctorAssignment::FindRoomConflict() const
{
    const CProctorData::PlanList& plans = m_data.GetPlanList();
    for (std::size_t p = 0; p < plans.size(); ++p) {
        for (std::size_t q = p + 1; q < plans.size(); ++q) {
            const Plan& first = *plans[p];
            const Plan& second = *plans[q];
            if (!ExamTimesOverlap(&first, &second))
                continue;
            for (const std::string& room : first.rooms) {
                if (!StringArrayContainsNoCase(second.rooms, room))
                    continue;
                return zem::Format(kConflictFormat, GetClassOrRoomName(&m_task, room).c_str(),
                                   FormatTimeRange(first, false).c_str(), m_task.GetSubjectName(first.subject).c_str(),
                                   FormatTimeRange(second, false).c_str(),
                                   m_task.GetSubjectName(second.subject).c_str());
            }
        }
    }
    return {};
}

CProctorAssignment::Candidate CProctorAssignment::MakeCandidate(const std::string& id,
                                                               const CProctorData::TeacherInfoMap& info,
                                                               const std::string& subject)
{
    Candidate candidate;
    candidate.id = id;
    if (const auto found = info.find(id); found != info.end()) {
        candidate.info = &found->second;
        candidate.teachesSubject = StringArrayContainsNoCase(found->second.subjects, subject);
    }
    return candidate;
}

std::vector<CProctorAssignment::Candidate> CProctorAssignment::OrderedCandidates(const Plan& plan)
{
    // Teachers of items of other plans at the same time are busy (ids compared ignoring case).
    std::unordered_set<std::string> busy;
    for (const auto& item : m_data.GetProctorList()) {
        const auto plans = m_plansById.find(item->plan);
        if (plans == m_plansById.end())
            continue;
        const bool overlaps = std::any_of(plans->second.begin(), plans->second.end(), [&](const Plan* other) {
            return other != &plan && ExamTimesOverlap(other, &plan);
        });
        if (overlaps) {
            for (const std::string& id : item->teachers)
                busy.insert(zem::ToLowerAscii(id));
        }
    }
    // Ids that name no teacher of the task (one deleted since the list was made) take no part.
    std::vector<Candidate> candidates;
    const CProctorData::TeacherInfoMap& info = m_data.GetTeacherInfoMap();
    for (const std::string& id : m_data.GetTeacherArray()) {
        if (!m_task.GetTeacher(id) || busy.count(zem::ToLowerAscii(id)))
            continue;
        candidates.push_back(MakeCandidate(id, info, plan.subject));
    }

    const std::size_t n = candidates.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = m_random() % n;
        Candidate taken = std::move(candidates[k]);
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(k));
        candidates.push_back(std::move(taken));
    }

    auto dutiesOf = [&](const Candidate& candidate) {
        const auto found = m_duties.find(candidate.id);
        return found == m_duties.end() ? 0 : found->second;
    };
    // Rising by duties; equal duties keep the shuffled order.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const Candidate& a, const Candidate& b) { return dutiesOf(a) < dutiesOf(b); });
    return candidates;
}

std::vector<std::string> CProctorAssignment::Pick(std::vector<Candidate>& remaining, int count,
                                                  const std::string& roomId, const CProctorData::Rule& rule)
{
    std::vector<std::string> picked;
    if (remaining.empty() || count <= 0)
        return picked;
    std::vector<char> teachesClass(remaining.size());
    for (std::size_t i = 0; i < remaining.size(); ++i)
        teachesClass[i] = remaining[i].info && StringArrayContainsNoCase(remaining[i].info->classes, roomId);
    for (int k = 0; k < count && !remaining.empty(); ++k) {
        // The scan runs over one group (subject teachers, or the others) and then the other.
        const bool subjectFirst = k == 0 && rule.subjectPolicy != CProctorData::Policy::Avoid;
        const bool wantClass = rule.classPolicy == CProctorData::Policy::PreferOne && k == 0;
        auto firstWhere = [&](auto fits) {
            for (const bool group : {subjectFirst, !subjectFirst})
                for (std::size_t i = 0; i < remaining.size(); ++i)
                    if (remaining[i].teachesSubject == group && fits(i))
                        return static_cast<std::ptrdiff_t>(i);
            return std::ptrdiff_t{-1};
        };
        std::ptrdiff_t chosen = firstWhere([&](std::size_t i) { return (teachesClass[i] != 0) == wantClass; });
        if (chosen < 0)
            chosen = firstWhere([](std::size_t) { return true; });
        const std::string id = remaining[static_cast<std::size_t>(chosen)].id;
        for (std::size_t i = remaining.size(); i-- > 0;) {
            if (remaining[i].id == id) {
                remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
                teachesClass.erase(teachesClass.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        picked.push_back(id);
    }
    return picked;
}

std::vector<std::string> CProctorAssignment::PickTeachers(std::vector<std::string>& remaining, const Plan& plan,
                                                          const std::string& roomId, const CProctorData::Rule& rule,
                                                          const CProctorData::TeacherInfoMap& info)
{
    std::vector<Candidate> candidates;
    for (const std::string& id : remaining) {
        candidates.push_back(MakeCandidate(id, info, plan.subject));
    }
    std::vector<std::string> picked = Pick(candidates, plan.teacherCount, roomId, rule);
    for (const std::string& id : picked)
        RemoveString(remaining, id);
    return picked;
}

std::string CProctorAssignment::FormatShortageReport(const std::vector<std::string>& lines)
{
    std::string text = kShortageHead;
    for (std::size_t i = 0; i < lines.size() && i < static_cast<std::size_t>(kShownShortages); ++i)
        text += lines[i] + "\n";
    if (lines.size() > static_cast<std::size_t>(kShownShortages))
        text += "...";
    return text;
}

bool CProctorAssignment::Run(const std::atomic<bool>* cancel)
{
    m_shortages.clear();
    Pause(kStartPauseMs, cancel);
    if (const std::string conflict = FindRoomConflict(); !conflict.empty()) {
        Report(conflict);
        return false;
    }
    auto cancelled = [cancel] { return cancel && cancel->load(); };
    m_plansById.clear();
    for (const auto& plan : m_data.GetPlanList())
        m_plansById[plan->id].push_back(plan.get());
    m_duties.clear();
    for (const auto& item : m_data.GetProctorList())
        for (const std::string& id : item->teachers)
            ++m_duties[id];
    for (const auto& planPtr : m_data.GetPlanList()) {
        const Plan& plan = *planPtr;
        std::vector<Candidate> remaining = OrderedCandidates(plan);
        const int rooms = static_cast<int>(plan.rooms.size());
        for (int i = 0; i < rooms; ++i) {
            if (cancelled())
                return false;
            const std::string& room = plan.rooms[static_cast<std::size_t>(i)];
            auto item = std::make_unique<CProctorData::ProctorItem>();
            item->id = NewGuidString();
            item->plan = plan.id;
            item->room = room;
            item->teachers = Pick(remaining, plan.teacherCount, room, m_data.GetRule());
            for (const std::string& id : item->teachers)
                ++m_duties[id];
            const int placed = static_cast<int>(item->teachers.size());
            m_data.GetProctorList().push_back(std::move(item));
            if (placed < plan.teacherCount)
                m_shortages.push_back(zem::Format("%s %s %s已排%d人", FormatTimeRange(plan, false).c_str(),
                                                  m_task.GetSubjectName(plan.subject).c_str(),
                                                  GetClassOrRoomName(&m_task, room).c_str(), placed));
            if (m_options.afterItem)
                m_options.afterItem(m_data.GetProctorList().size());
            Pause(kRoomPauseMs, cancel);
            if (onProgress)
                onProgress(i * 100 / rooms);
        }
    }
    if (!m_shortages.empty())
        Report(FormatShortageReport(m_shortages));
    return true;
}
