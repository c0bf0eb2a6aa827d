// The checks that refuse data no run can schedule: missing or incomplete plans, more lessons than
// the week holds, inconsistent combined classes and impossible preset lessons.
#include "core/Engine.h"

#include "platform/Text.h"

#include <map>
#include <set>

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
        return CheckLinkedHalves();
    }

    // The half lessons of the user's odd/even teams, each with its partner, as a run pairs them:
    // teams in order, both sides half lessons, a plan in one team only.
    std::map<const CCourseInfo*, const CCourseInfo*> TeamPartners() const
    {
        std::map<const CCourseInfo*, const CCourseInfo*> partners;
        std::set<const CCourseInfo*> taken;
        auto takeHalf = [&](const std::string& id) -> const CCourseInfo* {
            const CCourseInfo* course = id.empty() ? nullptr : m_task.FindCourse(id);
            if (!course || !course->GetWeekCount().HasHalfNode() || !taken.insert(course).second)
                return nullptr;
            return course;
        };
        for (const COETeam* team : ObjectsInOrder<const COETeam>(m_task.GetOETeamList())) {
            const CCourseInfo* odd = takeHalf(team->GetOdd());
            const CCourseInfo* even = takeHalf(team->GetEven());
            if (odd && even) {
                partners[odd] = even;
                partners[even] = odd;
            }
        }
        return partners;
    }

    struct Linked {
        const CCourseInfo* course;
        int half;  // 1 or 2
        const CCombineClass* combined;
    };

    // A combined half lesson takes one slot with its team partner; that partner's own combined
    // class and team bring more plans to the same slot, and so on. All of them share one slot, each
    // in its half of the weeks: in one half, one teacher, class or room can hold one lesson only,
    // and two teachers who may not teach at once cannot both teach.
    bool CheckLinkedHalves()
    {
        const auto partners = TeamPartners();
        if (partners.empty())
            return true;
        for (const CCombineClass* combined : ObjectsInOrder<CCombineClass>(m_task.GetCombineCourseList())) {
            std::vector<Linked> linked;
            std::vector<std::pair<const CCourseInfo*, int>> pending;
            for (const std::string& id : combined->GetCombineCourse())
                if (const CCourseInfo* course = m_task.FindCourse(id))
                    pending.emplace_back(course, 1);
            const std::size_t members = pending.size();
            for (std::size_t next = 0; next < pending.size(); ++next) {
                const auto [course, half] = pending[next];
                if (std::any_of(linked.begin(), linked.end(), [&](const Linked& l) { return l.course == course; }))
                    continue;
                const CCombineClass* group = m_task.GetCC(course->GetId());
                linked.push_back({course, half, group});
                if (group)
                    for (const std::string& id : group->GetCombineCourse())
                        if (const CCourseInfo* other = m_task.FindCourse(id))
                            pending.emplace_back(other, half);
                if (auto it = partners.find(course); it != partners.end())
                    pending.emplace_back(it->second, 3 - half);
            }
            if (linked.size() > members && !CheckLinked(combined, linked))
                return false;
        }
        return true;
    }

    bool CheckLinked(const CCombineClass* combined, const std::vector<Linked>& linked)
    {
        auto together = [](const Linked& a, const Linked& b) { return a.combined && a.combined == b.combined; };
        for (std::size_t i = 0; i < linked.size(); ++i)
            for (std::size_t j = i + 1; j < linked.size(); ++j) {
                const Linked& a = linked[i];
                const Linked& b = linked[j];
                if (a.half != b.half || together(a, b))
                    continue;
                if (a.course->GetClassId() == b.course->GetClassId())
                    return FailLinked(combined, {a.course, b.course},
                                      m_task.GetClassNameA(a.course->GetClassId()) + "不能同时上两节课");
                const std::vector<std::string> others = TeachersOf(b.course);
                for (const std::string& teacher : TeachersOf(a.course)) {
                    if (Contains(others, teacher))
                        return FailLinked(combined, {a.course, b.course},
                                          m_task.GetTeacherName(teacher) + "老师不能同时上两节课");
                    const std::vector<std::string>* exclusive =
                        m_task.GetMutexOfTeacherList().FindTeacherMutexInfo(teacher);
                    for (const std::string& other : others)
                        if (exclusive && Contains(*exclusive, other))
                            return FailLinked(combined, {a.course, b.course},
                                              m_task.GetTeacherName(teacher) + "老师和" + m_task.GetTeacherName(other) +
                                                  "老师不能同时上课");
                }
            }
        // A fixed room holds as many lessons at once as its capacity; a combined class is one.
        for (const int half : {1, 2}) {
            std::map<std::string, std::vector<const Linked*>> byRoom;
            for (const Linked& l : linked) {
                if (l.half != half)
                    continue;
                std::vector<const Linked*>& users = byRoom[RoomOf(l.course)];
                if (std::none_of(users.begin(), users.end(), [&](const Linked* u) { return together(*u, l); }))
                    users.push_back(&l);
            }
            for (const auto& [roomId, users] : byRoom) {
                const CRoomInfo* room = roomId.empty() ? nullptr : m_task.GetRoom(roomId);
                if (!room)
                    continue;
                const int capacity = room->GetCapacity() == 0 ? 1 : static_cast<int>(room->GetCapacity());
                if (static_cast<int>(users.size()) <= capacity)
                    continue;
                std::vector<const CCourseInfo*> courses;
                for (const Linked* u : users)
                    courses.push_back(u->course);
                return FailLinked(combined, courses,
                                  zem::Format("\"%s\" 教室只能容纳%d个班", room->GetName().c_str(), capacity));
            }
        }
        return true;
    }

    std::vector<std::string> TeachersOf(const CCourseInfo* course) const
    {
        std::vector<std::string> teachers;
        if (!course->GetTeacherId().empty())
            teachers.push_back(course->GetTeacherId());
        if (const CCourseAssistant* assistant = m_task.GetAssistant(course->GetId()))
            for (const std::string& id : assistant->GetAssistants())
                if (!id.empty())
                    teachers.push_back(id);
        return teachers;
    }

    static bool Contains(const std::vector<std::string>& list, const std::string& id)
    {
        return std::find(list.begin(), list.end(), id) != list.end();
    }

    // Its own fixed room, else the one a plan of its combined class names.
    std::string RoomOf(const CCourseInfo* course) const
    {
        if (course->GetRoomStrategy() == ROOM_STRATEGY_FIXED)
            return course->GetRoomParam();
        if (const CCombineClass* group = m_task.GetCC(course->GetId()))
            for (const std::string& id : group->GetCombineCourse())
                if (const CCourseInfo* other = m_task.FindCourse(id);
                    other && other != course && other->GetRoomStrategy() == ROOM_STRATEGY_FIXED)
                    return other->GetRoomParam();
        return {};
    }

    bool FailLinked(const CCombineClass* combined, const std::vector<const CCourseInfo*>& clashing,
                    const std::string& reason)
    {
        std::string group;
        for (const std::string& id : combined->GetCombineCourse())
            if (const CCourseInfo* course = m_task.FindCourse(id))
                group += (group.empty() ? "" : "、") + m_task.GetCourseDesc(course);
        std::string plans;
        for (std::size_t k = 0; k < clashing.size(); ++k)
            plans += (k == 0 ? "" : k + 1 == clashing.size() ? " 和 " : "、") + m_task.GetCourseDesc(clashing[k]);
        Add(zem::Format("合班课程 %s 与单双周搭配相连，使 %s 只能排在同一时间的同一单双周，但%s。请修改合班课程或单双周搭配。",
                        group.c_str(), plans.c_str(), reason.c_str()));
        return false;
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
