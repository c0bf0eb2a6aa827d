// The checks that refuse data no run can schedule: missing or incomplete plans, more lessons than
// the week holds, inconsistent combined classes and impossible preset lessons.
#include "core/Engine.h"

#include "platform/Text.h"

#include <map>

namespace {

const char* KindName(int kind)
{
    switch (kind) {
    case COURSE_TYPE_MORNING_READING:
        return "早读";
    case COURSE_TYPE_SELF_STUDY:
        return "晚自习";
    default:
        return "教学计划";
    }
}

bool SameGroup(const CScheduleTask& task, const CCourseInfo* a, const CCourseInfo* b)
{
    const CCombineClass* combined = task.GetCC(a->GetId());
    return combined && combined == task.GetCC(b->GetId());
}

class CDataCheck {
public:
    explicit CDataCheck(CScheduleTask& task) : m_task(task), m_report(task.GetLastReportInfo()) {}

    bool Run()
    {
        if (!CheckPlans())
            return false;
        for (const bool byTeacher : {false, true})
            for (int kind = 0; kind < 3; ++kind)
                if (!CheckHours(kind, byTeacher))
                    return false;
        return CheckRoomHours() && CheckCombinedClasses() && CheckPresets();
    }

private:
    void Add(const std::string& line) { m_report.AddErrorInfo(line); }

    int AvailableNodes(int kind) const
    {
        const CSchoolStructure& week = m_task.GetSchoolStructure();
        return kind == 0 ? week.GetWeekNodeCount()
                         : kind == 1 ? week.GetWeekNodeCountOfReading() : week.GetWeekNodeCountOfSelfStudy();
    }

    // The plans of a kind: every teaching plan for 0, the self-study plans of the kind otherwise.
    std::vector<CCourseInfo*> PlansOf(int kind) const
    {
        if (kind == 0)
            return ObjectsInOrder<CCourseInfo>(m_task.GetCourseInfoList());
        std::vector<CCourseInfo*> plans;
        for (CCourseInfo* course : ObjectsInOrder<CCourseInfo>(m_task.GetSelfStudyInfoList()))
            if (course->GetType() == kind)
                plans.push_back(course);
        return plans;
    }

    bool CheckPlans()
    {
        if (m_task.GetCourseInfoList().IsEmpty() && m_task.GetSelfStudyInfoList().IsEmpty()) {
            Add("教学计划列表为空！请先添加教学计划，再开始自动排课。");
            return false;
        }
        for (const CCourseInfo* course : ObjectsInOrder<CCourseInfo>(m_task.GetCourseInfoList())) {
            if (!m_task.GetClass(course->GetClassId()))
                continue;
            if (!m_task.GetSubject(course->GetSubjectId()) || !m_task.GetTeacher(course->GetTeacherId())) {
                Add(zem::Format("%s 的教学计划数据不完整，请检查。", m_task.GetClassNameA(course->GetClassId()).c_str()));
                return false;
            }
        }
        return true;
    }

    // Lessons per class (or per teacher, a combined lesson once) against the slots of the kind.
    bool CheckHours(int kind, bool byTeacher)
    {
        std::map<std::string, CWeekCount> sums;
        std::vector<const CCombineClass*> counted;
        for (const CCourseInfo* course : PlansOf(kind)) {
            if (!byTeacher)
                sums[course->GetClassId()] += course->GetWeekCount();
            else if (FirstOfGroup(course, counted))
                sums[course->GetTeacherId()] += course->GetWeekCount();
        }
        const CWeekCount available(AvailableNodes(kind), false);
        const auto owners = byTeacher ? ObjectsInOrder<CZemObject>(m_task.GetTeacherInfoList())
                                      : ObjectsInOrder<CZemObject>(m_task.GetClassInfoList());
        bool ok = true;
        for (const CZemObject* owner : owners) {
            auto it = sums.find(owner->GetId());
            if (it == sums.end() || !(it->second > available))
                continue;
            const char* format = byTeacher ? "%s老师 的%s课时数(%s节)超出可用的教学时间(%d节)"
                                           : "在第2页基本数据维护中，%s 的%s总课时数(%s节)超出可用的教学时间(%d节)";
            Add(zem::Format(format, owner->GetName().c_str(), KindName(kind), it->second.ToString().c_str(),
                            AvailableNodes(kind)));
            ok = false;
        }
        return ok;
    }

    // Of the plans of one combined class only the first met counts: they are one lesson.
    bool FirstOfGroup(const CCourseInfo* course, std::vector<const CCombineClass*>& counted) const
    {
        const CCombineClass* combined = m_task.GetCC(course->GetId());
        if (!combined)
            return true;
        for (const CCombineClass* c : counted)
            if (c == combined)
                return false;
        counted.push_back(combined);
        return true;
    }

    bool CheckRoomHours()
    {
        std::map<std::string, CWeekCount> sums;
        std::vector<const CCombineClass*> counted;
        for (const CCourseInfo* course : ObjectsInOrder<CCourseInfo>(m_task.GetCourseInfoList())) {
            if (course->GetRoomStrategy() != ROOM_STRATEGY_FIXED || course->GetRoomParam().empty() ||
                !m_task.GetRoom(course->GetRoomParam()))
                continue;
            if (FirstOfGroup(course, counted))
                sums[course->GetRoomParam()] += course->GetWeekCount();
        }
        const int weekNodes = m_task.GetSchoolStructure().GetWeekNodeCount();
        bool ok = true;
        for (const CRoomInfo* room : ObjectsInOrder<CRoomInfo>(m_task.GetRoomInfoList())) {
            auto it = sums.find(room->GetId());
            if (it == sums.end())
                continue;
            const int capacity = room->GetCapacity() == 0 ? 1 : static_cast<int>(room->GetCapacity());
            const int limit = capacity * weekNodes;
            if (!(it->second > CWeekCount(limit, false)))
                continue;
            Add(zem::Format("\"%s\" 教室的教学计划课时数(%s节)超出可用的教学时间(%d节，按 周课时数%d 乘以 教室数量%d 计算)",
                            room->GetName().c_str(), it->second.ToString().c_str(), limit, weekNodes, capacity));
            ok = false;
        }
        return ok;
    }

    bool CheckCombinedClasses()
    {
        for (const CCombineClass* combined : ObjectsInOrder<CCombineClass>(m_task.GetCombineCourseList())) {
            const CCourseInfo* reference = nullptr;
            for (const std::string& id : combined->GetCombineCourse()) {
                const CCourseInfo* course = m_task.FindCourse(id);
                if (!course)
                    break;
                if (!reference) {
                    reference = course;
                    continue;
                }
                const std::string refClass = m_task.GetClassNameA(reference->GetClassId());
                const std::string thisClass = m_task.GetClassNameA(course->GetClassId());
                const std::string subject = m_task.GetSubjectName(reference->GetSubjectId());
                if (!zem::EqualsNoCase(course->GetRoomParam(), reference->GetRoomParam())) {
                    Add(zem::Format("%s 和 %s 的合班课程 %s 指定两个不同的教室：%s, %s。请在教学计划中为合班课程指定同一教室。",
                                    refClass.c_str(), thisClass.c_str(), subject.c_str(),
                                    m_task.GetRoomName(reference->GetRoomParam()).c_str(),
                                    m_task.GetRoomName(course->GetRoomParam()).c_str()));
                    return false;
                }
                if (course->GetWeekCount() != reference->GetWeekCount()) {
                    Add(zem::Format("%s 和 %s 的合班课程 %s 周课时数不同：%s, %s。请在教学计划中为合班课程指定相同的周课时数。",
                                    refClass.c_str(), thisClass.c_str(), subject.c_str(),
                                    reference->GetWeekCount().ToString().c_str(),
                                    course->GetWeekCount().ToString().c_str()));
                    return false;
                }
            }
        }
        return true;
    }

    const CFixedTimeOfObject* FixedTime(CZemObjectList& list, const std::string& id) const
    {
        return static_cast<const CFixedTimeOfObject*>(list.Find(id));
    }

    // The first preset slot that the fixed time holds, or null.
    static const tagTABLE_NODE* FirstFixed(const CCoursePreset& preset, const CFixedTimeOfObject* fixed)
    {
        if (!fixed)
            return nullptr;
        for (const tagTABLE_NODE& node : preset.GetNodeList())
            if (fixed->IsFixedTime(node))
                return &node;
        return nullptr;
    }

    bool FailFixed(const CCourseInfo* course, const tagTABLE_NODE* node, const char* format)
    {
        Add(zem::Format(format, m_task.GetCourseDesc(course).c_str(), m_task.GetTimeNodeDesc(node).c_str()));
        return false;
    }

    bool CheckPresets()
    {
        std::vector<std::pair<const CCoursePreset*, const CCourseInfo*>> presets;
        for (const CCoursePreset* preset : ObjectsInOrder<CCoursePreset>(m_task.GetCoursePresetList()))
            if (const CCourseInfo* course = m_task.FindCourse(preset->GetId()))
                presets.emplace_back(preset, course);
        for (std::size_t i = 0; i < presets.size(); ++i)
            if (!CheckPreset(presets, i))
                return false;
        return true;
    }

    bool CheckPreset(const std::vector<std::pair<const CCoursePreset*, const CCourseInfo*>>& presets, std::size_t i)
    {
        const CCoursePreset& preset = *presets[i].first;
        const CCourseInfo* course = presets[i].second;
        const std::vector<tagTABLE_NODE>& nodes = preset.GetNodeList();
        const CSchoolStructure& week = m_task.GetSchoolStructure();

        for (const tagTABLE_NODE& node : nodes)
            if (week.IsInvalid(node))
                return FailFixed(course, &node, "%s 的预排课时间(%s)不是有效的教学时间，请查看教学时间设置。");

        if (const tagTABLE_NODE* node = FirstFixed(preset, FixedTime(m_task.GetFixedTimeOfTeacherList(), course->GetTeacherId())))
            return FailFixed(course, node, "%s 的预排课时间(%s)是该教师的固定无课时间，请查看教师固定无课时间设置。");

        const auto groups = ObjectsInOrder<CTeacherGroupInfo>(m_task.GetTeacherGroupInfoList());
        for (const tagTABLE_NODE& node : nodes) {
            for (const CTeacherGroupInfo* group : groups) {
                if (!group->FindTeacher(course->GetTeacherId()))
                    continue;
                const CFixedTimeOfObject* fixed = FixedTime(m_task.GetFixedTimeOfTeacherGroupList(), group->GetId());
                if (fixed && fixed->IsFixedTime(node)) {
                    Add(zem::Format("%s 的预排课时间(%s)是该教师（ %s ）的固定无课时间，请查看教师组固定无课时间设置。",
                                    m_task.GetCourseDesc(course).c_str(), m_task.GetTimeNodeDesc(&node).c_str(),
                                    group->GetName().c_str()));
                    return false;
                }
            }
        }

        if (const tagTABLE_NODE* node = FirstFixed(preset, FixedTime(m_task.GetFixedTimeOfClassList(), course->GetClassId())))
            return FailFixed(course, node, "%s 的预排课时间(%s)是该班级的固定无课时间，请查看班级固定无课时间设置。");
        if (const tagTABLE_NODE* node = FirstFixed(preset, FixedTime(m_task.GetFixedTimeOfSubjectList(), course->GetSubjectId())))
            return FailFixed(course, node, "%s 的预排课时间(%s)是该课程的固定无课时间，请查看课程固定无课时间设置。");
        if (const tagTABLE_NODE* node = FirstFixed(preset, FixedTime(m_task.GetFixedTimeOfCourseList(), course->GetId())))
            return FailFixed(course, node, "%s 的预排课时间(%s)是该教学计划的固定无课时间，请查看教学计划固定无课时间设置。");

        // Lessons of one class or one teacher on one slot.
        for (std::size_t j = i + 1; j < presets.size(); ++j) {
            const CCourseInfo* other = presets[j].second;
            if (other == course || (other->GetClassId() != course->GetClassId() &&
                                    other->GetTeacherId() != course->GetTeacherId()))
                continue;
            for (const tagTABLE_NODE& node : nodes) {
                if (!presets[j].first->IsFixedTime(node))
                    continue;
                std::string line = zem::Format("%s 和 %s 的预排课时间(%s)冲突。", m_task.GetCourseDesc(course).c_str(),
                                               m_task.GetCourseDesc(other).c_str(), m_task.GetTimeNodeDesc(&node).c_str());
                if (other->GetClassId() != course->GetClassId() && SameGroup(m_task, course, other))
                    line += "合班课程只需设置其中之一。";
                Add(line);
                return false;
            }
        }

        // More lessons in a fixed room at once than it holds; a combined class is one lesson.
        const std::string& roomId = course->GetSpecialRoomId();
        if (roomId.empty())
            return true;
        const CRoomInfo* room = m_task.GetRoom(roomId);
        for (const tagTABLE_NODE& node : nodes) {
            std::vector<const CCourseInfo*> collected{course};
            for (std::size_t j = i + 1; j < presets.size(); ++j) {
                const CCourseInfo* other = presets[j].second;
                if (other->GetSpecialRoomId() != roomId || !presets[j].first->IsFixedTime(node))
                    continue;
                bool sameAsEarlier = false;
                for (const CCourseInfo* member : collected)
                    sameAsEarlier = sameAsEarlier || SameGroup(m_task, member, other);
                if (!sameAsEarlier)
                    collected.push_back(other);
            }
            if (!room || room->GetCapacity() >= collected.size())
                continue;
            std::string others;
            for (std::size_t k = 1; k < collected.size(); ++k) {
                if (k > 1)
                    others += "，";
                others += m_task.GetCourseDesc(collected[k]);
            }
            Add(zem::Format("%s 和 %s 的预排课时间(%s)教室(%s 容纳班数:%d)冲突。", m_task.GetCourseDesc(course).c_str(),
                            others.c_str(), m_task.GetTimeNodeDesc(&node).c_str(), room->GetName().c_str(),
                            static_cast<int>(room->GetCapacity())));
            return false;
        }
        return true;
    }

    CScheduleTask& m_task;
    CReportInfo& m_report;
};

}  // namespace

bool CCoreEngine::CheckData()
{
    PostStatus("正在检查排课数据,请稍候...");
    Pause(500);
    // A stopped run (a stop ends the pause at once) makes no report and posts no result.
    if (Stopped())
        return false;
    const bool passed = CDataCheck(*m_task).Run();
    if (passed || Stopped())
        return passed;
    m_task->GetLastReportInfo().MakeReport(*m_task, MakeTitle(), CReportInfo::kCheckFailed);
    m_stats.code = 2;
    PostResult(2);
    return false;
}
