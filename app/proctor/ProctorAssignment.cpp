#include "app/proctor/ProctorAssignment.h"

#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

namespace {

using Plan = CProctorData::Plan;

bool ListsNoCase(const CProctorData::TeacherInfoMap& info, const std::string& teacherId, bool subjects,
                 const std::string& id)
{
    const auto found = info.find(teacherId);
    if (found == info.end())
        return false;
    return StringArrayContainsNoCase(subjects ? found->second.first : found->second.second, id);
}

std::uint32_t ClockSeed()
{
    return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

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

std::vector<std::string> CProctorAssignment::OrderedCandidates(const Plan& plan)
{
    // Ids that name no teacher of the task (one deleted since the list was made) take no part.
    std::vector<std::string> candidates;
    for (const std::string& id : m_data.GetTeacherArray()) {
        if (m_task.GetTeacher(id))
            candidates.push_back(id);
    }
    for (const auto& other : m_data.GetPlanList()) {
        if (other.get() == &plan || !ExamTimesOverlap(other.get(), &plan))
            continue;
        for (const auto& item : m_data.GetProctorList()) {
            if (item->plan == other->id)
                RemoveStringsIn(candidates, item->teachers);
        }
    }

    const std::size_t n = candidates.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = m_random() % n;
        std::string taken = std::move(candidates[k]);
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(k));
        candidates.push_back(std::move(taken));
    }

    std::map<std::string, int> duties;
    for (const auto& item : m_data.GetProctorList()) {
        for (const std::string& id : item->teachers)
            ++duties[id];
    }
    auto dutiesOf = [&](const std::string& id) {
        const auto found = duties.find(id);
        return found == duties.end() ? 0 : found->second;
    };
    // Rising by duties; equal duties keep the shuffled order.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const std::string& a, const std::string& b) { return dutiesOf(a) < dutiesOf(b); });
    return candidates;
}

std::vector<std::string> CProctorAssignment::PickTeachers(std::vector<std::string>& remaining, const Plan& plan,
                                                          const std::string& roomId, const CProctorData::Rule& rule,
                                                          const CProctorData::TeacherInfoMap& info)
{
    std::vector<std::string> picked;
    for (int k = 0; k < plan.teacherCount && !remaining.empty(); ++k) {
        std::vector<const std::string*> subjectTeachers;
        std::vector<const std::string*> others;
        for (const std::string& id : remaining)
            (ListsNoCase(info, id, true, plan.subject) ? subjectTeachers : others).push_back(&id);
        std::vector<const std::string*>& scan = k == 0 && rule.subjectPolicy != 1 ? subjectTeachers : others;
        const std::vector<const std::string*>& after = &scan == &others ? subjectTeachers : others;
        scan.insert(scan.end(), after.begin(), after.end());
        const bool wantClassTeacher = rule.classPolicy == 2 && k == 0;
        const auto fits = std::find_if(scan.begin(), scan.end(), [&](const std::string* id) {
            return ListsNoCase(info, *id, false, roomId) == wantClassTeacher;
        });
        const std::string chosen = fits != scan.end() ? **fits : *scan.front();
        RemoveString(remaining, chosen);
        picked.push_back(chosen);
    }
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
    for (const auto& planPtr : m_data.GetPlanList()) {
        const Plan& plan = *planPtr;
        std::vector<std::string> remaining = OrderedCandidates(plan);
        const int rooms = static_cast<int>(plan.rooms.size());
        for (int i = 0; i < rooms; ++i) {
            if (cancelled())
                return false;
            const std::string& room = plan.rooms[static_cast<std::size_t>(i)];
            auto item = std::make_unique<CProctorData::ProctorItem>();
            item->id = NewGuidString();
            item->plan = plan.id;
            item->room = room;
            item->teachers = PickTeachers(remaining, plan, room, m_data.GetRule(), m_data.GetTeacherInfoMap());
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
