#include "app/taskhelper/SubjectColorMap.h"

#include "app/taskhelper/TaskHelper.h"

#include <atomic>

namespace {

std::atomic<int> g_nextColor{0};

}  // namespace

const zem::COLORREF CSubjectColorMap::kPalette[kPaletteSize] = {
    0x99E6FF, 0x4F90FB, 0xFCD177, 0x578B2E, 0x7F7F7F, 0x6D63F5, 0x241CED, 0x277FFF, 0x00F2FF, 0x4CB122,
    0xE8A200, 0xCC483F, 0xA449A3, 0xC3C3C3, 0x577AB9, 0xC9AEFF, 0x008080, 0xB0E4EF, 0x1DE6B5, 0xEAD999,
    0xBE9270, 0xE7BFC8, 0x0EC9FF, 0xFF00FF, 0xFF0000, 0x4F4F2F, 0xADDEFF, 0x7FFF00, 0xE1E4FF, 0xAAE8EE,
    0x8CE6F0, 0xCDFAFF, 0xDFDEDE, 0xEBCE87, 0x71B33C, 0x800080, 0x8B008B, 0x150088,
};

int CSubjectColorMap::NextColorIndex() { return g_nextColor.load(); }

void CSubjectColorMap::BuildSubjectOrder(CScheduleTask* task, std::vector<CSubjectInfo*>* out)
{
    if (!task || !out)
        return;
    std::vector<CCourseInfo*> plans;
    CTaskHelper(task).GetAllCourses(&plans);
    // Weekly lessons per subject, in half lessons.
    std::map<std::string, int> halves;
    int most = 0;
    for (const CCourseInfo* plan : plans) {
        const CWeekCount& count = plan->GetWeekCount();
        int& sum = halves[plan->GetSubjectId()];
        sum += count.GetWholeCount() * 2 + (count.HasHalfNode() ? 1 : 0);
        most = std::max(most, sum);
    }
    for (int value = most; value > 0; --value)
        for (const auto& [subjectId, sum] : halves)
            if (sum == value)
                if (CSubjectInfo* subject = task->GetSubject(subjectId))
                    out->push_back(subject);
}

void CSubjectColorMap::Build(CScheduleTask* task)
{
    if (!task)
        return;
    m_task = task;
    m_byId.clear();
    std::vector<CSubjectInfo*> subjects;
    BuildSubjectOrder(task, &subjects);
    for (const CSubjectInfo* subject : subjects) {
        auto named = m_byName.find(subject->GetName());
        if (named != m_byName.end()) {
            m_byId[subject->GetId()] = named->second;
            continue;
        }
        int index = g_nextColor.load();
        g_nextColor.store((index + 1) % kPaletteSize);
        m_byId[subject->GetId()] = m_byName[subject->GetName()] = kPalette[index];
    }
}

zem::COLORREF CSubjectColorMap::GetColor(const CCourseInfo* plan, CScheduleTask* task)
{
    if (task && (m_byId.empty() || task != m_task))
        Build(task);
    if (!plan)
        return 0;
    auto found = m_byId.find(plan->GetSubjectId());
    return found == m_byId.end() ? 0 : found->second;
}
