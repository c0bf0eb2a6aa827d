#include "app/shared/InvigilationRows.h"

#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

namespace {

using Item = CProctorData::ProctorItem;
using Plan = CProctorData::Plan;

class Rows {
public:
    Rows(const CProctorData& data, const CScheduleTask* task, bool hideYear)
        : m_data(data), m_task(task), m_hideYear(hideYear)
    {
    }

    // One row of the item in the view's cell order; nothing for an item without its exam.
    void Add(int view, const Item& item, const std::string& teacherId = {})
    {
        const Plan* plan = m_data.GetPlan(item.plan);
        if (!plan)
            return;
        const std::string time = FormatTimeRange(*plan, m_hideYear);
        const std::string subject = m_task ? m_task->GetSubjectName(plan->subject) : std::string();
        const std::string room = GetClassOrRoomName(m_task, item.room);
        CInvigilationRow row;
        row.item = &item;
        row.group = m_group;
        if (view == kViewByTeacher)
            row.cells = {FormatTeacherTag(teacherId, plan->subject, item.room, &m_data), time, subject, room};
        else {
            const std::string teachers = JoinTeacherTags(item.teachers, plan->subject, item.room, &m_data);
            row.cells = view == kViewByRoom ? std::array{room, time, subject, teachers}
                                            : std::array{time, subject, room, teachers};
        }
        m_rows.push_back(std::move(row));
    }
    // The rows added from now on are of the next group, unless the group so far has none.
    void NextGroup()
    {
        if (!m_rows.empty() && m_rows.back().group == m_group)
            ++m_group;
    }
    const Item* LastItem() const { return m_rows.empty() ? nullptr : m_rows.back().item; }
    std::vector<CInvigilationRow> Take() { return std::move(m_rows); }

private:
    const CProctorData& m_data;
    const CScheduleTask* m_task;
    bool m_hideYear;
    int m_group = 0;
    std::vector<CInvigilationRow> m_rows;
};

}  // namespace

std::array<const char*, 4> InvigilationHeadings(int view)
{
    switch (view) {
    case kViewByTeacher:
        return {"监考教师", "考试时间", "科目", "考场"};
    case kViewByRoom:
        return {"考场", "考试时间", "科目", "监考教师"};
    default:
        return {"考试时间", "科目", "考场", "监考教师"};
    }
}

std::vector<CInvigilationRow> BuildInvigilationRows(int view, const CProctorData& data, const CScheduleTask* task,
                                                    bool hideYear)
{
    Rows rows(data, task, hideYear);
    const CProctorData::ProctorList& items = data.GetProctorList();
    if (view == kViewByTeacher) {
        for (const std::string& id : data.GetTeacherArray()) {
            // An id that names no teacher of the task any more has no name to show.
            if (!task || !task->GetTeacher(id))
                continue;
            for (const auto& item : items) {
                if (StringArrayContainsNoCase(item->teachers, id))
                    rows.Add(view, *item, id);
            }
            rows.NextGroup();
        }
    } else if (view == kViewByRoom) {
        std::vector<std::string> done;
        for (std::size_t first = 0; first < items.size(); ++first) {
            const std::string& room = items[first]->room;
            if (StringArrayContainsNoCase(done, room))
                continue;
            // Gathered with the comparison that marks the room done, so that no item whose room id
            // differs only in case is left out.
            for (std::size_t i = first; i < items.size(); ++i) {
                if (zem::EqualsNoCase(items[i]->room, room))
                    rows.Add(view, *items[i]);
            }
            done.push_back(room);
            rows.NextGroup();
        }
    } else {
        for (const auto& item : items) {
            if (const Item* last = rows.LastItem(); last && last->plan != item->plan)
                rows.NextGroup();
            rows.Add(view, *item);
        }
    }
    return rows.Take();
}
