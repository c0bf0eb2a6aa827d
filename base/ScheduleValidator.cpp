// Validation of a task's timetables after a scheduling run.
#include "base/ScheduleValidator.h"

#include "base/Segment.h"
#include "base/Utility.h"
#include "platform/Text.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <memory>
#include <tuple>
#include <string_view>
#include <unordered_map>

namespace {

constexpr int kSlots = zem::kSlotCount;
constexpr int kSlotsPerDay = zem::kSegmentCount * zem::kSectionCount;
using SlotSet = std::bitset<zem::kSlotCount>;
using Lesson = CCourseTableNode::NodeData;

// The weeks of the cycle a lesson takes, as bits: odd weeks, even weeks, or both.
constexpr unsigned kOddWeeks = 1;
constexpr unsigned kEvenWeeks = 2;
constexpr unsigned kEveryWeek = 3;

tagTABLE_NODE NodeOf(int slot)
{
    return {slot / kSlotsPerDay, slot / zem::kSectionCount % zem::kSegmentCount, slot % zem::kSectionCount};
}

// The half of a cell stands for every week unless the cell is split.
unsigned WeeksOf(bool split, int half) { return !split ? kEveryWeek : half == 2 ? kEvenWeeks : kOddWeeks; }

const char* WeeksText(unsigned weeks)
{
    return weeks == kEveryWeek ? "every week" : weeks == kOddWeeks ? "odd weeks" : "even weeks";
}

std::string SlotText(const CScheduleTask& task, int slot)
{
    const tagTABLE_NODE node = NodeOf(slot);
    return zem::Format("%s (%d/%d/%d)", task.GetTimeNodeDesc(&node).c_str(), node.day, node.segment, node.section);
}

// The slot as the windows name it, with the weeks where a lesson takes only one of them.
std::string SlotSaid(const CScheduleTask& task, int slot, unsigned weeks)
{
    const tagTABLE_NODE node = NodeOf(slot);
    const std::string text = task.GetTimeNodeDesc(&node);
    return weeks == kOddWeeks ? text + "（单周）" : weeks == kEvenWeeks ? text + "（双周）" : text;
}

std::string Named(const char* kind, const CZemObject& object)
{
    return std::string(kind) + " " + object.GetId() + " " + object.GetName();
}

std::string PlanText(const CScheduleTask& task, const CCourseInfo& course)
{
    return "plan " + course.GetId() + " " + task.GetCourseDesc(&course);
}

std::string CountText(int halfLessons) { return CWeekCount(halfLessons / 2, halfLessons % 2 != 0).ToString(); }

bool HalfHolds(const CCourseTableNode& cell, int half) { return cell.data(half).HasCourse() || cell.HasMoreData(half); }

CTimeTable::Status ExpectedStatus(const CCourseTableNode& cell)
{
    if (!cell.IsInterleave())
        return HalfHolds(cell, 1) ? CTimeTable::kFullUsed : CTimeTable::kFree;
    const int halves = (HalfHolds(cell, 1) ? 1 : 0) + (HalfHolds(cell, 2) ? 1 : 0);
    return halves == 2 ? CTimeTable::kFullUsed : halves == 1 ? CTimeTable::kHalfUsed : CTimeTable::kFree;
}

// What is wrong with a cell's status or split, or empty text. A blocked slot (-100) with nothing in
// it is sound: working tables mark slots a lesson must not take that way.
std::string HalvesFault(const CCourseTableNode& cell, CTimeTable::Status status)
{
    const CTimeTable::Status expected = ExpectedStatus(cell);
    if (status == CTimeTable::kInvalid && expected == CTimeTable::kFree && !cell.IsInterleave())
        return {};
    if (status != expected)
        return zem::Format("status %d for a cell worth %d%s", status, expected, cell.IsInterleave() ? " (split)" : "");
    if (cell.IsInterleave()) {
        if (expected == CTimeTable::kFree)
            return "a split cell with nothing in it";
        if (cell.data(1).HasCourse() && cell.data(1).GetCourseHandle() == cell.data(2).GetCourseHandle())
            return "a split cell with the same lesson in both halves";
    } else if (HalfHolds(cell, 2)) {
        return "an even-week lesson in a cell that is not split";
    }
    return {};
}

template <class T>
std::vector<T*> SortedById(const CZemObjectList& list)
{
    std::vector<T*> out;
    out.reserve(list.GetCount());
    for (const auto& [id, object] : list)
        out.push_back(static_cast<T*>(object));
    std::sort(out.begin(), out.end(), [](const T* a, const T* b) { return a->GetId() < b->GetId(); });
    return out;
}

// Hits of one object at one slot in one week (0 odd, 1 even), with the plans involved. Sorted
// by object, slot and week, an odd-week hit and an even-week hit naming the same plans become
// one line for every week.
struct WeekHit {
    int object;
    int slot;
    int week;
    std::vector<int> plans;
};

template <class Report>
void ReportMergedWeeks(std::vector<WeekHit>& hits, Report report)
{
    std::sort(hits.begin(), hits.end(), [](const WeekHit& a, const WeekHit& b) {
        return std::tie(a.object, a.slot, a.week) < std::tie(b.object, b.slot, b.week);
    });
    for (std::size_t k = 0; k < hits.size(); ++k) {
        const WeekHit& hit = hits[k];
        unsigned weeks = 1u << hit.week;
        if (hit.week == 0 && k + 1 < hits.size() && hits[k + 1].object == hit.object &&
            hits[k + 1].slot == hit.slot && hits[k + 1].plans == hit.plans) {
            weeks = kEveryWeek;
            ++k;
        }
        report(hit, weeks);
    }
}

class Validator {
public:
    Validator(CScheduleTask& task, bool temp, unsigned checks, const PlanStandIns& standIns)
        : m_task(task), m_temp(temp), m_checks(checks), m_standInIds(standIns)
    {
    }

    ScheduleValidation Run()
    {
        IndexObjects();
        IndexPlans();
        IndexStandIns();
        IndexFixedTimes();
        CollectLessons();
        ClaimObjects();
        CountRoomUse();
        ReportDoubleBookings();
        CheckLessons();
        CheckHolders();
        CheckPresets();
        CheckCombined();
        CheckWeekCounts();
        CheckMutexTeachers();
        CheckMutexSubjects();
        CheckDayMaximum();
        m_result.SortByCheck();
        return std::move(m_result);
    }

private:
    struct Plan {
        const CCourseInfo* course = nullptr;
        zem::IdHandle handle = zem::kNoId;
        int cls = -1;
        int group = 0;  // the combined class, or a group of its own
        int subjectFixed = -1;
        int courseFixed = -1;
        std::vector<int> teachers;  // its teacher and assistants that exist, without repeats
        int firstLesson = 0;
        int endLesson = 0;
        int halfLessons = 0;  // lessons placed, counted in halves
        unsigned days = 0;    // bit per day with a lesson
    };

    // One lesson of a plan's own table.
    struct Placed {
        int plan;
        int slot;
        int half;  // the half of the cell holding it
        bool split;
        unsigned weeks;
        Lesson data;
        int room;  // -1 when it names no existing room
    };

    struct Fixed {
        const CFixedTimeOfObject* entry;
        SlotSet slots;
        std::string owner;
        std::string ownerSaid;
    };

    struct RoomClaim {
        int room;
        int slot;
        int week;
        int group;
        int plan;
    };

    bool Wants(unsigned check) const { return (m_checks & check) != 0; }
    void Report(ScheduleCheck check, std::string text, std::string said)
    {
        if (!Wants(check))
            return;
        std::string key = StandInKey(text);
        m_result.Add({check, std::move(text), std::move(said), std::move(key)});
    }
    // The text with each stand-in named as its plan; empty when it names none.
    std::string StandInKey(const std::string& text) const
    {
        std::string key = text;
        bool named = false;
        for (const auto& [standIn, plan] : m_standInTexts)
            for (std::size_t at = 0; (at = key.find(standIn, at)) != std::string::npos; at += plan.size()) {
                key.replace(at, standIn.size(), plan);
                named = true;
            }
        return named ? key : std::string();
    }

    const CCourseTable& TableOf(const CZemTableObject& object) const { return object.GetTable(m_temp); }
    const CCourseTable* PlaceTable(int room, int place) const
    {
        return m_rooms[room]->GetComplexTable().Enum(m_temp, place);
    }

    // Dense numbers of everything that can be booked: classes, teachers, then each room's places.
    int ClassObject(int cls) const { return cls; }
    int TeacherObject(int teacher) const { return static_cast<int>(m_classes.size()) + teacher; }
    int PlaceObject(int room, int place) const
    {
        return static_cast<int>(m_classes.size() + m_teachers.size()) + m_placeBase[room] + place;
    }
    static std::size_t OccupancyIndex(int object, int slot, int week)
    {
        return (static_cast<std::size_t>(object) * kSlots + slot) * 2 + week;
    }
    bool IsConflicted(int object, int slot, unsigned weeks) const
    {
        for (int week = 0; week < 2; ++week)
            if ((weeks & (1u << week)) && m_conflicted[OccupancyIndex(object, slot, week)])
                return true;
        return false;
    }
    bool IsOverCapacity(int room, int slot, unsigned weeks) const
    {
        for (int week = 0; week < 2; ++week)
            if ((weeks & (1u << week)) && m_overCapacity[(static_cast<std::size_t>(room) * kSlots + slot) * 2 + week])
                return true;
        return false;
    }

    std::string ObjectText(int object) const
    {
        if (object < static_cast<int>(m_classes.size()))
            return Named("class", *m_classes[object]);
        object -= static_cast<int>(m_classes.size());
        if (object < static_cast<int>(m_teachers.size()))
            return Named("teacher", *m_teachers[object]);
        object -= static_cast<int>(m_teachers.size());
        const int room = RoomOfPlace(object);
        return PlaceText(room, object - m_placeBase[room]);
    }
    // The room of a place number; a room without places has none.
    int RoomOfPlace(int place) const
    {
        return static_cast<int>(std::upper_bound(m_placeBase.begin(), m_placeBase.end(), place) - m_placeBase.begin()) -
               1;
    }
    std::string PlaceText(int room, int place) const
    {
        return Named("room", *m_rooms[room]) + " place " + std::to_string(place);
    }
    std::string PlanText(int plan) const { return ::PlanText(m_task, *m_plans[plan].course); }
    std::string PlansText(const std::vector<int>& plans) const
    {
        std::string text;
        for (const int plan : plans)
            text += (text.empty() ? "" : ", ") + PlanText(plan);
        return text;
    }
    std::string At(int slot, unsigned weeks) const
    {
        return " at " + SlotText(m_task, slot) + ", " + WeeksText(weeks) + ": ";
    }
    // The same for the user: the plan as the windows describe it, the slot as they name it.
    std::string PlanSaid(int plan) const { return m_task.GetCourseDesc(m_plans[plan].course); }
    std::string PlansSaid(const std::vector<int>& plans) const
    {
        std::string text;
        for (const int plan : plans)
            text += (text.empty() ? "" : "、") + PlanSaid(plan);
        return text;
    }
    std::string SlotSaid(int slot, unsigned weeks) const { return ::SlotSaid(m_task, slot, weeks); }
    // The day as the slot names say it: the part before the segment's name.
    std::string DaySaid(int day) const
    {
        const std::string text = m_task.GetTimeNodeDesc(day, zem::kForenoon, 0);
        return text.substr(0, text.find("上午"));
    }
    std::string ObjectSaid(int object) const
    {
        if (object < static_cast<int>(m_classes.size()))
            return m_classes[object]->GetName();
        object -= static_cast<int>(m_classes.size());
        if (object < static_cast<int>(m_teachers.size()))
            return m_teachers[object]->GetName();
        object -= static_cast<int>(m_teachers.size());
        return m_rooms[RoomOfPlace(object)]->GetName();
    }
    int PlanOf(zem::IdHandle course) const
    {
        const auto it = m_planByHandle.find(course);
        return it == m_planByHandle.end() ? -1 : it->second;
    }
    // By the plan's id text: a plan none of whose lessons was ever placed has no handle, and
    // whether one was made for it elsewhere in the process must not change the result.
    int PlanOfId(const std::string& id) const { return id.empty() ? -1 : IndexOf(m_planById, id); }
    bool SameGroup(int plan, zem::IdHandle other) const
    {
        const int otherPlan = PlanOf(other);
        return otherPlan >= 0 && m_plans[otherPlan].group == m_plans[plan].group;
    }

    void IndexObjects()
    {
        m_classes = SortedById<CClassInfo>(m_task.GetClassInfoList());
        m_teachers = SortedById<CTeacherInfo>(m_task.GetTeacherInfoList());
        m_rooms = SortedById<CRoomInfo>(m_task.GetRoomInfoList());
        for (int i = 0; i < static_cast<int>(m_classes.size()); ++i)
            m_classIndex.emplace(m_classes[i]->GetId(), i);
        for (int i = 0; i < static_cast<int>(m_teachers.size()); ++i)
            m_teacherIndex.emplace(m_teachers[i]->GetId(), i);
        int places = 0;
        for (int i = 0; i < static_cast<int>(m_rooms.size()); ++i) {
            m_placeBase.push_back(places);
            places += static_cast<int>(m_rooms[i]->GetComplexTable().GetCount());
            if (const zem::IdHandle handle = zem::FindId(m_rooms[i]->GetId()))
                m_roomByHandle.emplace(handle, i);
        }
        const std::size_t objects = m_classes.size() + m_teachers.size() + places;
        m_occupancy.assign(objects * kSlots * 2, -1);
        m_conflicted.assign(objects * kSlots * 2, 0);
        m_overCapacity.assign(m_rooms.size() * kSlots * 2, 0);

        const CSchoolStructure& week = m_task.GetSchoolStructure();
        for (int slot = 0; slot < kSlots; ++slot) {
            const tagTABLE_NODE node = NodeOf(slot);
            m_available[slot] = week.IsDayInUse(node.day) && node.section < week.GetSectionNodeMaxCount(node.segment) &&
                               !week.IsInvalid(node);
        }
    }

    int IndexOf(const std::unordered_map<std::string_view, int>& index, const std::string& id) const
    {
        const auto it = index.find(id);
        return it == index.end() ? -1 : it->second;
    }

    void IndexPlans()
    {
        // Plans before self-study plans, each list by id; an id in both lists is the plan's.
        std::vector<CCourseInfo*> courses = SortedById<CCourseInfo>(m_task.GetCourseInfoList());
        const std::vector<CCourseInfo*> selfStudies = SortedById<CCourseInfo>(m_task.GetSelfStudyInfoList());
        courses.insert(courses.end(), selfStudies.begin(), selfStudies.end());

        std::unordered_map<const CCombineClass*, int> groups;
        m_classPlans.resize(m_classes.size());
        for (const CCourseInfo* course : courses) {
            const int index = static_cast<int>(m_plans.size());
            Plan plan;
            plan.course = course;
            if (!m_planById.emplace(course->GetId(), index).second)
                continue;
            plan.handle = zem::FindId(course->GetId());
            if (plan.handle != zem::kNoId)
                m_planByHandle.emplace(plan.handle, index);
            plan.cls = IndexOf(m_classIndex, course->GetClassId());
            if (plan.cls >= 0)
                m_classPlans[plan.cls].push_back(index);
            const CCombineClass* combined = m_task.GetCC(course->GetId());
            plan.group = combined ? groups.emplace(combined, static_cast<int>(groups.size())).first->second
                                  : -1 - index;
            auto addTeacher = [&plan, this](const std::string& id) {
                const int teacher = IndexOf(m_teacherIndex, id);
                if (teacher >= 0 && std::find(plan.teachers.begin(), plan.teachers.end(), teacher) == plan.teachers.end())
                    plan.teachers.push_back(teacher);
            };
            addTeacher(course->GetTeacherId());
            if (const CCourseAssistant* assistant = m_task.GetAssistant(course->GetId()))
                for (const std::string& id : assistant->GetAssistants())
                    addTeacher(id);
            m_plans.push_back(std::move(plan));
        }
    }

    // Each stand-in's plan, followed to the plan that stands for no other (a copy of a copy).
    void IndexStandIns()
    {
        m_standsFor.assign(m_plans.size(), -1);
        m_standIns.resize(m_plans.size());
        for (const auto& [standIn, plan] : m_standInIds) {
            const int s = PlanOfId(standIn);
            const int p = PlanOfId(plan);
            if (s >= 0 && p >= 0 && s != p)
                m_standsFor[s] = p;
        }
        for (int s = 0; s < static_cast<int>(m_plans.size()); ++s) {
            int root = m_standsFor[s];
            for (std::size_t steps = 0; root >= 0 && m_standsFor[root] >= 0 && steps < m_plans.size(); ++steps)
                root = m_standsFor[root];
            if (root < 0 || m_standsFor[root] >= 0)
                continue;  // a loop of stand-ins stands for nothing
            m_standsFor[s] = root;
            m_standIns[root].push_back(s);
            m_standInTexts.emplace_back(PlanText(s), PlanText(root));
        }
    }
    // The plan whose lessons the plan's are: itself, or the plan it stands for.
    int Whole(int plan) const { return m_standsFor[plan] >= 0 ? m_standsFor[plan] : plan; }

    int AddFixed(const CFixedTimeOfObject& entry, std::string owner, std::string ownerSaid)
    {
        Fixed fixed{&entry, {}, std::move(owner), std::move(ownerSaid)};
        for (const tagTABLE_NODE& node : entry.GetNodeList())
            if (const int slot = SlotOf(node); slot >= 0)
                fixed.slots.set(slot);
        m_fixed.push_back(std::move(fixed));
        return static_cast<int>(m_fixed.size()) - 1;
    }

    void IndexFixedTimes()
    {
        m_classFixed.assign(m_classes.size(), -1);
        m_teacherFixed.assign(m_teachers.size(), -1);
        m_teacherGroupFixed.resize(m_teachers.size());
        for (const auto* entry : SortedById<CFixedTimeOfObject>(m_task.GetFixedTimeOfClassList()))
            if (const int cls = IndexOf(m_classIndex, entry->GetId()); cls >= 0)
                m_classFixed[cls] = AddFixed(*entry, Named("class", *m_classes[cls]), m_classes[cls]->GetName());
        for (const auto* entry : SortedById<CFixedTimeOfObject>(m_task.GetFixedTimeOfTeacherList()))
            if (const int teacher = IndexOf(m_teacherIndex, entry->GetId()); teacher >= 0)
                m_teacherFixed[teacher] = AddFixed(*entry, Named("teacher", *m_teachers[teacher]), m_teachers[teacher]->GetName());
        for (const auto* entry : SortedById<CFixedTimeOfObject>(m_task.GetFixedTimeOfTeacherGroupList())) {
            const auto* group = static_cast<const CTeacherGroupInfo*>(m_task.GetTeacherGroupInfoList().Find(entry->GetId()));
            if (!group)
                continue;
            const int fixed = AddFixed(*entry, Named("teacher group", *group), "教师组" + group->GetName());
            for (const std::string& id : group->GetTeacherArray()) {
                const int teacher = IndexOf(m_teacherIndex, id);
                if (teacher < 0)
                    continue;
                std::vector<int>& list = m_teacherGroupFixed[teacher];
                if (std::find(list.begin(), list.end(), fixed) == list.end())
                    list.push_back(fixed);
            }
        }
        std::unordered_map<std::string_view, int> subjectFixed;
        for (const auto* entry : SortedById<CFixedTimeOfObject>(m_task.GetFixedTimeOfSubjectList()))
            subjectFixed.emplace(entry->GetId(),
                                 AddFixed(*entry, "subject " + entry->GetId() + " " + m_task.GetSubjectName(entry->GetId()),
                                          "科目" + m_task.GetSubjectName(entry->GetId())));
        std::unordered_map<std::string_view, int> courseFixed;
        for (const auto* entry : SortedById<CFixedTimeOfObject>(m_task.GetFixedTimeOfCourseList()))
            courseFixed.emplace(entry->GetId(), AddFixed(*entry, "the plan itself", "这个教学计划"));
        for (Plan& plan : m_plans) {
            plan.subjectFixed = IndexOf(subjectFixed, plan.course->GetSubjectId());
            plan.courseFixed = IndexOf(courseFixed, plan.course->GetId());
        }
        // A stand-in's lessons keep the fixed times of the plan they belong to.
        for (int p = 0; p < static_cast<int>(m_plans.size()); ++p)
            if (m_plans[p].courseFixed < 0)
                m_plans[p].courseFixed = m_plans[Whole(p)].courseFixed;
    }

    // Reads every plan's own table: its lessons, and the cells that hold something else.
    void CollectLessons()
    {
        for (int p = 0; p < static_cast<int>(m_plans.size()); ++p) {
            Plan& plan = m_plans[p];
            const CCourseTable& table = TableOf(*plan.course);
            const CTimeTable::Status* statuses = table.GetValues();
            plan.firstLesson = static_cast<int>(m_lessons.size());
            for (int slot = 0; slot < kSlots; ++slot) {
                const CCourseTableNode& cell = table.GetNodeOfSlot(slot);
                const CTimeTable::Status status = statuses[slot];
                if (cell.IsEmpty() && (status == CTimeTable::kFree || status == CTimeTable::kInvalid))
                    continue;
                CheckHalves(cell, status, slot, [&] { return PlanText(p); }, [&] { return PlanSaid(p); });
                const bool split = cell.IsInterleave();
                for (int half = 1; half <= (split ? 2 : 1); ++half) {
                    const Lesson& data = cell.data(half);
                    if (!data.HasCourse())
                        continue;
                    if (data.GetCourseHandle() != plan.handle) {
                        if (Wants(kCheckConsistency))
                            Report(kCheckConsistency,
                                   PlanText(p) + At(slot, WeeksOf(split, half)) + "its own table holds plan " +
                                       data.GetCourseId(),
                                   PlanSaid(p) + "的课表在" + SlotSaid(slot, WeeksOf(split, half)) + "有别的课");
                        continue;
                    }
                    const auto room = m_roomByHandle.find(data.GetRoomHandle());
                    m_lessons.push_back({p, slot, half, split, WeeksOf(split, half), data,
                                        room == m_roomByHandle.end() ? -1 : room->second});
                }
                for (int half = 1; half <= 2; ++half)
                    for (const Lesson& more : cell.GetMoreVector(half))
                        if (Wants(kCheckConsistency))
                            Report(kCheckConsistency,
                                   PlanText(p) + At(slot, WeeksOf(split, half)) +
                                       "its own table holds a further lesson of plan " + more.GetCourseId(),
                                   PlanSaid(p) + "的课表在" + SlotSaid(slot, WeeksOf(split, half)) + "有多余的课");
            }
            plan.endLesson = static_cast<int>(m_lessons.size());
        }
    }

    template <class Name, class Said>
    void CheckHalves(const CCourseTableNode& cell, CTimeTable::Status status, int slot, Name name, Said said)
    {
        if (!Wants(kCheckHalves))
            return;
        const std::string fault = HalvesFault(cell, status);
        if (!fault.empty())
            Report(kCheckHalves, name() + " at " + SlotText(m_task, slot) + ": " + fault,
                   said() + "的课表在" + SlotSaid(slot, kEveryWeek) + "的单双周记录有误");
    }

    void Claim(int object, int lesson)
    {
        const Placed& placed = m_lessons[lesson];
        for (int week = 0; week < 2; ++week) {
            if (!(placed.weeks & (1u << week)))
                continue;
            const std::size_t index = OccupancyIndex(object, placed.slot, week);
            int& first = m_occupancy[index];
            if (first < 0) {
                first = lesson;
            } else if (m_plans[m_lessons[first].plan].group != m_plans[placed.plan].group) {
                m_conflicted[index] = 1;
                m_conflicts.emplace_back(index, lesson);
            }
        }
    }

    // Every lesson books its class, its teachers and the room place it took.
    void ClaimObjects()
    {
        for (int lesson = 0; lesson < static_cast<int>(m_lessons.size()); ++lesson) {
            const Placed& placed = m_lessons[lesson];
            const Plan& plan = m_plans[placed.plan];
            if (plan.cls >= 0)
                Claim(ClassObject(plan.cls), lesson);
            for (const int teacher : plan.teachers)
                Claim(TeacherObject(teacher), lesson);
            if (placed.room < 0)
                continue;
            const int place = placed.data.GetRoomIndex();
            if (place >= 0 && place < static_cast<int>(m_rooms[placed.room]->GetComplexTable().GetCount()))
                Claim(PlaceObject(placed.room, place), lesson);
            for (int week = 0; week < 2; ++week)
                if (placed.weeks & (1u << week))
                    m_roomClaims.push_back({placed.room, placed.slot, week, plan.group, placed.plan});
        }
    }

    // Lessons in a room at once, combined partners counted once, against the room's capacity. A
    // lesson that found no free place still names the room, so it counts as well.
    void CountRoomUse()
    {
        std::sort(m_roomClaims.begin(), m_roomClaims.end(), [](const RoomClaim& a, const RoomClaim& b) {
            return std::tie(a.room, a.slot, a.week, a.group, a.plan) < std::tie(b.room, b.slot, b.week, b.group, b.plan);
        });
        std::vector<WeekHit> hits;
        for (std::size_t begin = 0, end = 0; begin < m_roomClaims.size(); begin = end) {
            const RoomClaim& first = m_roomClaims[begin];
            int groups = 0;
            for (end = begin; end < m_roomClaims.size() && m_roomClaims[end].room == first.room &&
                              m_roomClaims[end].slot == first.slot && m_roomClaims[end].week == first.week;
                 ++end)
                groups += end == begin || m_roomClaims[end].group != m_roomClaims[end - 1].group ? 1 : 0;
            if (groups <= static_cast<int>(m_rooms[first.room]->GetCapacity()))
                continue;
            m_overCapacity[(static_cast<std::size_t>(first.room) * kSlots + first.slot) * 2 + first.week] = 1;
            WeekHit hit{first.room, first.slot, first.week, {}};
            for (std::size_t k = begin; k < end; ++k)
                hit.plans.push_back(m_roomClaims[k].plan);
            std::sort(hit.plans.begin(), hit.plans.end());
            hits.push_back(std::move(hit));
        }
        if (!Wants(kCheckRoomCapacity))
            return;
        ReportMergedWeeks(hits, [this](const WeekHit& hit, unsigned weeks) {
            const CRoomInfo& room = *m_rooms[hit.object];
            Report(kCheckRoomCapacity,
                   Named("room", room) + At(hit.slot, weeks) +
                       zem::Format("%zu lessons, room for %u: ", hit.plans.size(), room.GetCapacity()) +
                       PlansText(hit.plans),
                   "教室" + room.GetName() + "在" + SlotSaid(hit.slot, weeks) +
                       zem::Format("有 %zu 节课，只能容纳 %u 节：", hit.plans.size(), room.GetCapacity()) +
                       PlansSaid(hit.plans));
        });
    }

    void ReportDoubleBookings()
    {
        if (!Wants(kCheckDoubleBooking))
            return;
        std::stable_sort(m_conflicts.begin(), m_conflicts.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<WeekHit> hits;
        for (std::size_t k = 0; k < m_conflicts.size(); ++k) {
            const std::size_t index = m_conflicts[k].first;
            if (k == 0 || m_conflicts[k - 1].first != index) {
                const int object = static_cast<int>(index / (2 * kSlots));
                hits.push_back({object, static_cast<int>(index / 2 % kSlots), static_cast<int>(index % 2),
                                {m_lessons[m_occupancy[index]].plan}});
            }
            std::vector<int>& plans = hits.back().plans;
            const int plan = m_lessons[m_conflicts[k].second].plan;
            if (std::find(plans.begin(), plans.end(), plan) == plans.end())
                plans.push_back(plan);
        }
        const int firstPlace = static_cast<int>(m_classes.size() + m_teachers.size());
        ReportMergedWeeks(hits, [&](const WeekHit& hit, unsigned weeks) {
            // A room over its capacity is reported as such, not again for the place it shares.
            if (hit.object >= firstPlace && IsOverCapacity(RoomOfPlace(hit.object - firstPlace), hit.slot, weeks))
                return;
            Report(kCheckDoubleBooking,
                   ObjectText(hit.object) + At(hit.slot, weeks) + "booked twice: " + PlansText(hit.plans),
                   ObjectSaid(hit.object) + "在" + SlotSaid(hit.slot, weeks) + "同时有几节课：" + PlansSaid(hit.plans));
        });
    }

    // The rules each lesson must keep, and its place in its class's, teachers' and room's tables.
    void CheckLessons()
    {
        for (const Placed& placed : m_lessons) {
            Plan& plan = m_plans[placed.plan];
            plan.halfLessons += placed.weeks == kEveryWeek ? 2 : 1;
            plan.days |= 1u << (placed.slot / kSlotsPerDay);
            CheckTimes(placed);
            CheckSegment(placed);
            if (Wants(kCheckConsistency))
                CheckCopies(placed);
        }
    }

    void CheckTimes(const Placed& placed)
    {
        const tagTABLE_NODE node = NodeOf(placed.slot);
        if (Wants(kCheckUnavailable) && !m_available[placed.slot]) {
            const std::string& activity = m_task.GetActivities().GetActivity(node);
            Report(kCheckUnavailable,
                   PlanText(placed.plan) + At(placed.slot, placed.weeks) + "not a lesson time of the school week" +
                       (activity.empty() ? "" : " (" + activity + ")"),
                   PlanSaid(placed.plan) + "排在" + SlotSaid(placed.slot, placed.weeks) + "，这不是上课时间" +
                       (activity.empty() ? "" : "（" + activity + "）"));
        }
        if (!Wants(kCheckFixedTime))
            return;
        const Plan& plan = m_plans[placed.plan];
        std::vector<int> broken;
        auto test = [&](int fixed) {
            if (fixed >= 0 && m_fixed[fixed].slots.test(placed.slot) &&
                std::find(broken.begin(), broken.end(), fixed) == broken.end())
                broken.push_back(fixed);
        };
        if (plan.cls >= 0)
            test(m_classFixed[plan.cls]);
        for (const int teacher : plan.teachers) {
            test(m_teacherFixed[teacher]);
            for (const int fixed : m_teacherGroupFixed[teacher])
                test(fixed);
        }
        test(plan.subjectFixed);
        test(plan.courseFixed);
        for (const int fixed : broken) {
            const std::string& activity = m_fixed[fixed].entry->GetActivities().GetActivity(node);
            Report(kCheckFixedTime,
                   PlanText(placed.plan) + At(placed.slot, placed.weeks) + "a fixed no-lesson time of " +
                       m_fixed[fixed].owner + (activity.empty() ? "" : " (" + activity + ")"),
                   PlanSaid(placed.plan) + "排在" + SlotSaid(placed.slot, placed.weeks) + "，这是" +
                       m_fixed[fixed].ownerSaid + "的固定不排课时间" + (activity.empty() ? "" : "（" + activity + "）"));
        }
    }

    void CheckSegment(const Placed& placed)
    {
        const int segment = NodeOf(placed.slot).segment;
        const _CourseType type = m_plans[placed.plan].course->GetType();
        const char* fault = nullptr;
        const char* said = nullptr;
        if (type == COURSE_TYPE_MORNING_READING && segment != zem::kMorningReading) {
            fault = "a morning-reading lesson outside the morning-reading segment";
            said = "，早读课只能排在早读时段";
        } else if (type == COURSE_TYPE_SELF_STUDY && segment != zem::kEveningStudy) {
            fault = "an evening self-study lesson outside the evening self-study segment";
            said = "，晚自习只能排在晚自习时段";
        } else if (type != COURSE_TYPE_MORNING_READING && type != COURSE_TYPE_SELF_STUDY &&
                   !zem::IsRegularSegment(segment)) {
            fault = "a teaching lesson in the morning-reading or evening self-study segment";
            said = "，授课不能排在早读或晚自习时段";
        }
        if (fault)
            Report(kCheckSegment, PlanText(placed.plan) + At(placed.slot, placed.weeks) + fault,
                   PlanSaid(placed.plan) + "排在" + SlotSaid(placed.slot, placed.weeks) + said);
    }

    // The lesson as its class's, teachers' and room place's tables should show it. A teacher's or
    // room's cell may show a combined partner instead; a cell that a double booking overwrote is
    // reported once, as the double booking.
    void CheckCopies(const Placed& placed)
    {
        const Plan& plan = m_plans[placed.plan];
        const tagTABLE_NODE node = NodeOf(placed.slot);
        if (plan.cls >= 0) {
            const CCourseTableNode& cell = TableOf(*m_classes[plan.cls]).GetNode(node);
            if ((cell.IsInterleave() != placed.split || !(cell.data(placed.half) == placed.data)) &&
                !IsConflicted(ClassObject(plan.cls), placed.slot, placed.weeks))
                Report(kCheckConsistency,
                       Named("class", *m_classes[plan.cls]) + At(placed.slot, placed.weeks) + "misses " +
                           PlanText(placed.plan) + HoldsText(cell, placed.half),
                       MissesSaid(m_classes[plan.cls]->GetName(), placed));
        }
        for (const int teacher : plan.teachers) {
            const CCourseTableNode& cell = TableOf(*m_teachers[teacher]).GetNode(node);
            if ((cell.IsInterleave() != placed.split ||
                 !SameGroup(placed.plan, cell.data(placed.half).GetCourseHandle())) &&
                !IsConflicted(TeacherObject(teacher), placed.slot, placed.weeks))
                Report(kCheckConsistency,
                       Named("teacher", *m_teachers[teacher]) + At(placed.slot, placed.weeks) + "misses " +
                           PlanText(placed.plan) + HoldsText(cell, placed.half),
                       MissesSaid(m_teachers[teacher]->GetName(), placed));
        }
        // A lesson without a place found its room full: the capacity check covers it.
        const int place = placed.data.GetRoomIndex();
        if (placed.room < 0 || place < 0)
            return;
        const CCourseTable* table = PlaceTable(placed.room, place);
        if (!table) {
            Report(kCheckConsistency,
                   PlanText(placed.plan) + At(placed.slot, placed.weeks) + zem::Format("place %d of ", place) +
                       Named("room", *m_rooms[placed.room]) +
                       zem::Format(", which has %u", m_rooms[placed.room]->GetComplexTable().GetCount()),
                   MissesSaid("教室" + m_rooms[placed.room]->GetName(), placed));
            return;
        }
        const CCourseTableNode& cell = table->GetNode(node);
        const Lesson& shown = cell.data(placed.half);
        if ((cell.IsInterleave() != placed.split || !SameGroup(placed.plan, shown.GetCourseHandle()) ||
             shown.GetRoomHandle() != placed.data.GetRoomHandle()) &&
            !IsConflicted(PlaceObject(placed.room, place), placed.slot, placed.weeks) &&
            !IsOverCapacity(placed.room, placed.slot, placed.weeks))
            Report(kCheckConsistency,
                   PlaceText(placed.room, place) + At(placed.slot, placed.weeks) + "misses " + PlanText(placed.plan) +
                       HoldsText(cell, placed.half),
                   MissesSaid("教室" + m_rooms[placed.room]->GetName(), placed));
    }

    std::string MissesSaid(const std::string& holder, const Placed& placed) const
    {
        return holder + "的课表在" + SlotSaid(placed.slot, placed.weeks) + "没有" + PlanSaid(placed.plan) + "的课";
    }

    static std::string HoldsText(const CCourseTableNode& cell, int half)
    {
        const std::string& held = cell.data(half).GetCourseId();
        return " (it holds " + (held.empty() ? std::string("nothing") : "plan " + held) +
               (cell.IsInterleave() ? ", split)" : ")");
    }

    enum class Holder { Class, Teacher, Place };

    // The class, teacher and room tables: statuses, and every lesson they show is its plan's.
    void CheckHolders()
    {
        if (!Wants(kCheckHalves | kCheckConsistency))
            return;
        for (int cls = 0; cls < static_cast<int>(m_classes.size()); ++cls)
            CheckHolder(Holder::Class, cls, -1, TableOf(*m_classes[cls]));
        for (int teacher = 0; teacher < static_cast<int>(m_teachers.size()); ++teacher)
            CheckHolder(Holder::Teacher, teacher, -1, TableOf(*m_teachers[teacher]));
        for (int room = 0; room < static_cast<int>(m_rooms.size()); ++room)
            for (int place = 0; const CCourseTable* table = PlaceTable(room, place); ++place)
                CheckHolder(Holder::Place, room, place, *table);
    }

    std::string HolderSaid(Holder kind, int index) const
    {
        switch (kind) {
        case Holder::Class:
            return m_classes[index]->GetName();
        case Holder::Teacher:
            return m_teachers[index]->GetName();
        default:
            return "教室" + m_rooms[index]->GetName();
        }
    }

    std::string HolderText(Holder kind, int index, int place) const
    {
        switch (kind) {
        case Holder::Class:
            return Named("class", *m_classes[index]);
        case Holder::Teacher:
            return Named("teacher", *m_teachers[index]);
        default:
            return PlaceText(index, place);
        }
    }

    void CheckHolder(Holder kind, int index, int place, const CCourseTable& table)
    {
        const CTimeTable::Status* statuses = table.GetValues();
        for (int slot = 0; slot < kSlots; ++slot) {
            const CCourseTableNode& cell = table.GetNodeOfSlot(slot);
            const CTimeTable::Status status = statuses[slot];
            if (cell.IsEmpty() && (status == CTimeTable::kFree || status == CTimeTable::kInvalid))
                continue;
            CheckHalves(cell, status, slot, [&] { return HolderText(kind, index, place); },
                        [&] { return HolderSaid(kind, index); });
            if (!Wants(kCheckConsistency))
                continue;
            const bool split = cell.IsInterleave();
            for (int half = 1; half <= 2; ++half) {
                if (half == 2 && !split)
                    break;  // the halves check reports it
                if (cell.data(half).HasCourse())
                    CheckShown(kind, index, place, slot, half, split, cell.data(half));
                for (const Lesson& more : cell.GetMoreVector(half))
                    CheckShown(kind, index, place, slot, half, split, more);
            }
        }
    }

    void CheckShown(Holder kind, int index, int place, int slot, int half, bool split, const Lesson& shown)
    {
        const int p = PlanOf(shown.GetCourseHandle());
        const unsigned weeks = WeeksOf(split, half);
        if (p < 0) {
            Report(kCheckConsistency,
                   HolderText(kind, index, place) + At(slot, weeks) + "holds unknown plan '" + shown.GetCourseId() + "'",
                   HolderSaid(kind, index) + "的课表在" + SlotSaid(slot, weeks) + "有一节不存在的教学计划的课");
            return;
        }
        const Plan& plan = m_plans[p];
        const CCourseTableNode& own = TableOf(*plan.course).GetNode(NodeOf(slot));
        const Lesson& mine = own.data(half);
        bool there = own.IsInterleave() == split && mine.GetCourseHandle() == shown.GetCourseHandle();
        const char* fault = nullptr;
        switch (kind) {
        case Holder::Class:
            if (plan.cls != index)
                fault = "a lesson of another class";
            there = there && mine == shown;
            break;
        case Holder::Teacher:
            if (std::find(plan.teachers.begin(), plan.teachers.end(), index) == plan.teachers.end())
                fault = "a lesson this teacher does not teach";
            break;
        case Holder::Place:
            there = there && mine.GetRoomHandle() == shown.GetRoomHandle() && mine.GetRoomIndex() == place &&
                    PlanRoom(mine) == index;
            break;
        }
        if (!fault && !there)
            fault = "a lesson its plan's own table does not have there";
        if (fault)
            Report(kCheckConsistency, HolderText(kind, index, place) + At(slot, weeks) + fault + ": " + PlanText(p),
                   HolderSaid(kind, index) + "的课表在" + SlotSaid(slot, weeks) + "有" + PlanSaid(p) +
                       "的课，与教学计划的课表不一致");
    }

    int PlanRoom(const Lesson& lesson) const
    {
        const auto it = m_roomByHandle.find(lesson.GetRoomHandle());
        return it == m_roomByHandle.end() ? -1 : it->second;
    }

    // Every preset slot holds its plan in the class's table (the plan's own table when the class
    // is gone).
    void CheckPresets()
    {
        if (!Wants(kCheckPreset))
            return;
        for (const auto* preset : SortedById<CCoursePreset>(m_task.GetCoursePresetList())) {
            const int p = PlanOfId(preset->GetId());
            if (p < 0)
                continue;
            const Plan& plan = m_plans[p];
            const CZemTableObject& holder = plan.cls >= 0 ? static_cast<const CZemTableObject&>(*m_classes[plan.cls])
                                                          : *plan.course;
            for (const tagTABLE_NODE& node : preset->GetNodeList()) {
                const CCourseTableNode& cell = TableOf(holder).GetNode(node);
                std::vector<zem::IdHandle> held;
                cell.GetCourseHandles(held, 1);
                if (cell.IsInterleave())
                    cell.GetCourseHandles(held, 2);
                if (std::find(held.begin(), held.end(), plan.handle) == held.end())
                    Report(kCheckPreset,
                           "preset of " + PlanText(p) + " at " + SlotText(m_task, SlotOf(node)) +
                               ": not in the table of " +
                               (plan.cls >= 0 ? Named("class", *m_classes[plan.cls]) : "the plan") + HoldsText(cell, 1),
                           PlanSaid(p) + "预排在" + SlotSaid(SlotOf(node), kEveryWeek) + "，课表上那里没有这节课");
            }
        }
    }

    // Where a plan is, slot by slot: the weeks and the room of its lessons.
    struct Spot {
        int slot;
        unsigned weeks;
        zem::IdHandle room;
        int place;
        bool operator==(const Spot&) const = default;
    };

    std::vector<Spot> SpotsOf(int p) const
    {
        std::vector<Spot> spots;
        for (int k = m_plans[p].firstLesson; k < m_plans[p].endLesson; ++k) {
            const Placed& placed = m_lessons[k];
            if (!spots.empty() && spots.back().slot == placed.slot)
                spots.back().weeks |= placed.weeks;
            else
                spots.push_back({placed.slot, placed.weeks, placed.data.GetRoomHandle(), placed.data.GetRoomIndex()});
        }
        return spots;
    }

    static std::string SpotText(const Spot* spot)
    {
        if (!spot)
            return "nothing";
        std::string text = WeeksText(spot->weeks);
        if (spot->room != zem::kNoId)
            text += " in room " + zem::IdText(spot->room) + zem::Format(" place %d", spot->place);
        return text;
    }

    // The plans of a combined class take the same slots, halves and room place as its first plan.
    void CheckCombined()
    {
        if (!Wants(kCheckCombined))
            return;
        for (const auto* combined : SortedById<CCombineClass>(m_task.GetCombineCourseList())) {
            std::vector<int> members;
            for (const std::string& id : combined->GetCombineCourse())
                if (const int p = PlanOfId(id); p >= 0)
                    members.push_back(p);
            if (members.size() < 2)
                continue;
            const std::vector<Spot> reference = SpotsOf(members[0]);
            for (std::size_t m = 1; m < members.size(); ++m) {
                const std::vector<Spot> spots = SpotsOf(members[m]);
                std::size_t a = 0;
                std::size_t b = 0;
                while (a < reference.size() || b < spots.size()) {
                    const int slotA = a < reference.size() ? reference[a].slot : kSlots;
                    const int slotB = b < spots.size() ? spots[b].slot : kSlots;
                    const int slot = std::min(slotA, slotB);
                    const Spot* first = slotA == slot ? &reference[a++] : nullptr;
                    const Spot* other = slotB == slot ? &spots[b++] : nullptr;
                    if (first && other && *first == *other)
                        continue;
                    Report(kCheckCombined,
                           "combined class " + combined->GetId() + " at " + SlotText(m_task, slot) + ": " +
                               PlanText(members[m]) + " has " + SpotText(other) + ", " + PlanText(members[0]) +
                               " has " + SpotText(first),
                           "合班上课的" + PlanSaid(members[m]) + "和" + PlanSaid(members[0]) + "在" +
                               SlotSaid(slot, kEveryWeek) + "没有一起上课");
                }
            }
        }
    }

    void CheckWeekCounts()
    {
        if (!Wants(kCheckWeekCount))
            return;
        for (int p = 0; p < static_cast<int>(m_plans.size()); ++p) {
            const CWeekCount& count = m_plans[p].course->GetWeekCount();
            if (m_plans[p].halfLessons > count.GetWholeCount() * 2 + (count.HasHalfNode() ? 1 : 0))
                Report(kCheckWeekCount,
                       PlanText(p) + ": " + CountText(m_plans[p].halfLessons) + " lessons placed, more than its weekly " +
                           count.ToString(),
                       PlanSaid(p) + "排了 " + CountText(m_plans[p].halfLessons) + " 节课，多于周课时 " +
                           count.ToString());
        }
    }

    // Two mutually exclusive teachers never teach in the same week at the same slot.
    void CheckMutexTeachers()
    {
        if (!Wants(kCheckMutexTeacher))
            return;
        const CMutexOfTeacherList& list = m_task.GetMutexOfTeacherList();
        for (int a = 0; a < static_cast<int>(m_teachers.size()); ++a) {
            const std::vector<std::string>* partners = list.FindTeacherMutexInfo(m_teachers[a]->GetId());
            if (!partners)
                continue;
            for (const std::string& id : *partners) {
                const int b = IndexOf(m_teacherIndex, id);
                if (b <= a)
                    continue;  // the map holds every pair both ways
                for (int slot = 0; slot < kSlots; ++slot) {
                    unsigned weeks = 0;
                    std::vector<int> plans;
                    for (int week = 0; week < 2; ++week) {
                        const int first = m_occupancy[OccupancyIndex(TeacherObject(a), slot, week)];
                        const int second = m_occupancy[OccupancyIndex(TeacherObject(b), slot, week)];
                        if (first < 0 || second < 0)
                            continue;
                        weeks |= 1u << week;
                        for (const int lesson : {first, second})
                            if (std::find(plans.begin(), plans.end(), m_lessons[lesson].plan) == plans.end())
                                plans.push_back(m_lessons[lesson].plan);
                    }
                    if (weeks)
                        Report(kCheckMutexTeacher,
                               "mutually exclusive " + Named("teacher", *m_teachers[a]) + " and " +
                                   Named("teacher", *m_teachers[b]) + At(slot, weeks) + "both teach: " + PlansText(plans),
                               m_teachers[a]->GetName() + "和" + m_teachers[b]->GetName() + "是互斥教师，却在" +
                                   SlotSaid(slot, weeks) + "同时上课：" + PlansSaid(plans));
                }
            }
        }
    }

    // A class never has two subjects of one exclusive set, in plans of the same kind, on one day.
    void CheckMutexSubjects()
    {
        if (!Wants(kCheckMutexSubject))
            return;
        for (const auto* rule : SortedById<CMutexSubject>(m_task.GetMutexSubjectList())) {
            for (int cls = 0; cls < static_cast<int>(m_classes.size()); ++cls) {
                std::vector<int> members;
                // A stand-in's days are its plan's.
                for (const int p : m_classPlans[cls])
                    if (Whole(p) == p && IsStringInArray(rule->GetSubjectArray(), m_plans[p].course->GetSubjectId()))
                        members.push_back(p);
                for (std::size_t i = 0; i < members.size(); ++i)
                    for (std::size_t j = i + 1; j < members.size(); ++j) {
                        const CCourseInfo& a = *m_plans[members[i]].course;
                        const CCourseInfo& b = *m_plans[members[j]].course;
                        if (a.GetType() != b.GetType() || zem::EqualsNoCase(a.GetSubjectId(), b.GetSubjectId()))
                            continue;
                        const unsigned days = WholeDays(members[i]) & WholeDays(members[j]);
                        for (int day = 0; day < zem::kDayCount; ++day)
                            if (days & (1u << day))
                                Report(kCheckMutexSubject,
                                       Named("class", *m_classes[cls]) +
                                           zem::Format(" on day %d: subjects exclusive by rule %s: ", day,
                                                       rule->GetId().c_str()) +
                                           PlansText({members[i], members[j]}),
                                       m_classes[cls]->GetName() + DaySaid(day) + "有互斥的科目：" +
                                           PlansSaid({members[i], members[j]}));
                    }
            }
        }
    }

    unsigned WholeDays(int plan) const
    {
        unsigned days = m_plans[plan].days;
        for (const int standIn : m_standIns[plan])
            days |= m_plans[standIn].days;
        return days;
    }

    // The daily maximum of the plan with the weekly counts of its stand-ins, which carry part of
    // its week.
    int WholeDayMaximum(int plan) const
    {
        const CCourseInfo& course = *m_plans[plan].course;
        if (m_standIns[plan].empty())
            return m_task.GetOneDayMaxNodes(&course);
        std::unique_ptr<CCourseInfo> whole(course.Clone());
        for (const int standIn : m_standIns[plan])
            whole->SetWeekCount(whole->GetWeekCount() + m_plans[standIn].course->GetWeekCount());
        return m_task.GetOneDayMaxNodes(whole.get());
    }

    // With strict spreading no plan has more lessons (slots in use) on a day than its daily
    // maximum; a stand-in's lessons count as its plan's. Presets of its combined class that
    // already pass it are the user's choice.
    void CheckDayMaximum()
    {
        if (!Wants(kCheckDayMaximum) || !m_task.GetTaskSetting().GetStrictDistribution())
            return;
        std::unordered_map<int, SlotSet> presetSlots;  // by group
        for (const auto* preset : SortedById<CCoursePreset>(m_task.GetCoursePresetList())) {
            const int p = PlanOfId(preset->GetId());
            if (p < 0)
                continue;
            for (const tagTABLE_NODE& node : preset->GetNodeList())
                if (const int slot = SlotOf(node); slot >= 0)
                    presetSlots[m_plans[p].group].set(slot);
        }
        for (int p = 0; p < static_cast<int>(m_plans.size()); ++p) {
            if (Whole(p) != p)
                continue;  // counted with its plan
            int lessons[zem::kDayCount] = {};
            int preset[zem::kDayCount] = {};
            SlotSet counted;  // both halves of a split cell are one slot in use
            auto count = [&](int q) {
                const Plan& plan = m_plans[q];
                const auto presets = presetSlots.find(plan.group);
                for (int k = plan.firstLesson; k < plan.endLesson; ++k) {
                    const int slot = m_lessons[k].slot;
                    if (counted[slot])
                        continue;
                    counted.set(slot);
                    ++lessons[slot / kSlotsPerDay];
                    if (presets != presetSlots.end() && presets->second[slot])
                        ++preset[slot / kSlotsPerDay];
                }
            };
            count(p);
            for (const int standIn : m_standIns[p])
                count(standIn);
            const int most = WholeDayMaximum(p);
            for (int day = 0; day < zem::kDayCount; ++day)
                if (lessons[day] > std::max(most, preset[day]))
                    Report(kCheckDayMaximum,
                           PlanText(p) + zem::Format(" on day %d: %d lessons, at most %d a day", day, lessons[day], most),
                           PlanSaid(p) + DaySaid(day) + zem::Format("排了 %d 节，每天最多 %d 节", lessons[day], most));
        }
    }

    CScheduleTask& m_task;
    const bool m_temp;
    const unsigned m_checks;
    ScheduleValidation m_result;

    std::vector<CClassInfo*> m_classes;
    std::vector<CTeacherInfo*> m_teachers;
    std::vector<CRoomInfo*> m_rooms;
    std::unordered_map<std::string_view, int> m_classIndex;
    std::unordered_map<std::string_view, int> m_teacherIndex;
    std::unordered_map<zem::IdHandle, int> m_roomByHandle;
    std::vector<int> m_placeBase;  // first place number of each room
    SlotSet m_available;

    std::vector<Plan> m_plans;
    std::unordered_map<zem::IdHandle, int> m_planByHandle;
    std::unordered_map<std::string_view, int> m_planById;
    std::vector<std::vector<int>> m_classPlans;
    const PlanStandIns& m_standInIds;
    std::vector<int> m_standsFor;                 // per plan: the plan it stands for, or -1
    std::vector<std::vector<int>> m_standIns;     // per plan: the plans that stand for it
    std::vector<std::pair<std::string, std::string>> m_standInTexts;  // a stand-in's text, its plan's

    std::vector<Fixed> m_fixed;
    std::vector<int> m_classFixed;
    std::vector<int> m_teacherFixed;
    std::vector<std::vector<int>> m_teacherGroupFixed;

    std::vector<Placed> m_lessons;
    // Per object, slot and week: the first lesson booking it; a later lesson of another group is a
    // conflict.
    std::vector<int> m_occupancy;
    std::vector<std::uint8_t> m_conflicted;
    std::vector<std::pair<std::size_t, int>> m_conflicts;
    std::vector<RoomClaim> m_roomClaims;
    std::vector<std::uint8_t> m_overCapacity;  // per room, slot and week
};

// The lessons of one week of a cell, as (course, room) pairs in a fixed order.
using WeekLessons = std::vector<std::pair<std::string, zem::IdHandle>>;

// The plans of one combined class give one lesson: a teacher's or room's cell holds whichever of
// them was written last (or first), which depends only on the order of writing. Each counts as the
// group's first plan, by its id text, so that comparing makes no handle for it.
std::string GroupCourse(const CScheduleTask& task, zem::IdHandle course)
{
    const std::string& id = zem::IdText(course);
    const CCombineClass* combined = task.GetCC(id);
    if (!combined || combined->GetCombineCourse().empty())
        return id;
    return combined->GetCombineCourse().front();
}

void AddWeekLessons(const CScheduleTask& task, const CCourseTableNode& cell, int week, WeekLessons& out)
{
    const int half = week == 1 && cell.IsInterleave() ? 2 : 1;
    if (cell.data(half).HasCourse())
        out.emplace_back(GroupCourse(task, cell.data(half).GetCourseHandle()), cell.data(half).GetRoomHandle());
    for (const Lesson& more : cell.GetMoreVector(half))
        out.emplace_back(GroupCourse(task, more.GetCourseHandle()), more.GetRoomHandle());
}

std::string WeekLessonsText(const WeekLessons& lessons)
{
    if (lessons.empty())
        return "nothing";
    std::string text;
    for (const auto& [course, room] : lessons) {
        text += (text.empty() ? "" : ", ") + course;
        if (room != zem::kNoId)
            text += " in " + zem::IdText(room);
    }
    return text;
}

// The lessons of one object in two tasks, slot by slot: a class's or teacher's table, or all the
// places of a room.
void CompareCells(const CScheduleTask& task, const std::string& name, const std::vector<const CCourseTable*>& first,
                  const std::vector<const CCourseTable*>& second, ScheduleValidation& result)
{
    for (int slot = 0; slot < kSlots; ++slot) {
        const tagTABLE_NODE node = NodeOf(slot);
        bool same = first.size() == second.size();
        for (std::size_t i = 0; same && i < first.size(); ++i) {
            const CCourseTableNode& a = first[i]->GetNode(node);
            const CCourseTableNode& b = second[i]->GetNode(node);
            same = (a.IsEmpty() && b.IsEmpty()) || a == b;
        }
        if (same)
            continue;
        WeekLessons lessons[2][2];  // [task][week]
        for (int week = 0; week < 2; ++week) {
            for (const CCourseTable* table : first)
                AddWeekLessons(task, table->GetNode(node), week, lessons[0][week]);
            for (const CCourseTable* table : second)
                AddWeekLessons(task, table->GetNode(node), week, lessons[1][week]);
            std::sort(lessons[0][week].begin(), lessons[0][week].end());
            std::sort(lessons[1][week].begin(), lessons[1][week].end());
        }
        const bool oddDiffers = lessons[0][0] != lessons[1][0];
        const bool evenDiffers = lessons[0][1] != lessons[1][1];
        const bool alike = lessons[0][0] == lessons[0][1] && lessons[1][0] == lessons[1][1];
        for (int week = 0; week < 2; ++week) {
            if (!(week == 0 ? oddDiffers : evenDiffers))
                continue;
            const unsigned weeks = oddDiffers && evenDiffers && alike ? kEveryWeek : 1u << week;
            result.Add(kCheckReopen, name + " at " + SlotText(task, slot) + ", " + WeeksText(weeks) +
                                         ": the first task has " + WeekLessonsText(lessons[0][week]) +
                                         ", the second " + WeekLessonsText(lessons[1][week]));
            if (weeks == kEveryWeek)
                break;
        }
    }
}

template <class T, class Tables>
void CompareObjects(const char* kind, const CZemObjectList& first, const CZemObjectList& second, Tables tables,
                    const CScheduleTask& task, ScheduleValidation& result)
{
    for (const T* object : SortedById<T>(first)) {
        const auto* other = static_cast<const T*>(second.Find(object->GetId()));
        if (other)
            CompareCells(task, Named(kind, *object), tables(*object), tables(*other), result);
        else
            result.Add(kCheckReopen, Named(kind, *object) + ": missing from the second task");
    }
    for (const T* object : SortedById<T>(second))
        if (!first.Find(object->GetId()))
            result.Add(kCheckReopen, Named(kind, *object) + ": only in the second task");
}

std::vector<const CCourseTable*> OwnTable(const CZemTableObject& object) { return {&object.GetTable(false)}; }

std::vector<const CCourseTable*> PlaceTables(const CRoomInfo& room)
{
    std::vector<const CCourseTable*> tables;
    for (int place = 0; const CCourseTable* table = room.GetComplexTable().Enum(false, place); ++place)
        tables.push_back(table);
    return tables;
}

}  // namespace

const char* ScheduleCheckName(ScheduleCheck check)
{
    switch (check) {
    case kCheckDoubleBooking:
        return "double-booking";
    case kCheckRoomCapacity:
        return "room-capacity";
    case kCheckFixedTime:
        return "fixed-time";
    case kCheckUnavailable:
        return "unavailable";
    case kCheckPreset:
        return "preset";
    case kCheckCombined:
        return "combined";
    case kCheckHalves:
        return "halves";
    case kCheckWeekCount:
        return "week-count";
    case kCheckSegment:
        return "segment";
    case kCheckConsistency:
        return "consistency";
    case kCheckMutexTeacher:
        return "mutex-teacher";
    case kCheckMutexSubject:
        return "mutex-subject";
    case kCheckCountChanged:
        return "count-changed";
    case kCheckReopen:
        return "reopen";
    case kCheckDayMaximum:
        return "day-maximum";
    }
    return "";
}

void ScheduleValidation::Append(const ScheduleValidation& other)
{
    m_violations.insert(m_violations.end(), other.m_violations.begin(), other.m_violations.end());
}

std::size_t ScheduleValidation::Count(ScheduleCheck check) const
{
    return static_cast<std::size_t>(std::count_if(m_violations.begin(), m_violations.end(),
                                                  [check](const ScheduleViolation& v) { return v.check == check; }));
}

unsigned ScheduleValidation::Checks() const
{
    unsigned checks = 0;
    for (const ScheduleViolation& violation : m_violations)
        checks |= violation.check;
    return checks;
}

std::string ScheduleValidation::Text() const
{
    std::string text;
    for (const ScheduleViolation& violation : m_violations)
        text += std::string("[") + ScheduleCheckName(violation.check) + "] " + violation.text + "\n";
    return text;
}

std::string ScheduleValidation::Said(std::size_t most) const
{
    std::string text;
    for (std::size_t i = 0; i < m_violations.size() && i < most; ++i)
        text += (m_violations[i].said.empty() ? m_violations[i].text : m_violations[i].said) + "\n";
    if (m_violations.size() > most)
        text += zem::Format("……另有 %zu 处\n", m_violations.size() - most);
    return text;
}

void ScheduleValidation::SortByCheck()
{
    std::stable_sort(m_violations.begin(), m_violations.end(),
                     [](const ScheduleViolation& a, const ScheduleViolation& b) { return a.check < b.check; });
}

ScheduleValidation ValidateSchedule(CScheduleTask& task, bool temp, unsigned checks, const PlanStandIns& standIns)
{
    return Validator(task, temp, checks, standIns).Run();
}

PlanCountSnapshot CaptureCounts(CScheduleTask& task)
{
    PlanCountSnapshot snapshot;
    for (const CZemObjectList* list : {&task.GetCourseInfoList(), &task.GetSelfStudyInfoList()})
        for (const auto& [id, object] : *list)
            snapshot.m_counts.emplace_back(id, static_cast<const CCourseInfo*>(object)->GetWeekCount());
    std::stable_sort(snapshot.m_counts.begin(), snapshot.m_counts.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return snapshot;
}

ScheduleValidation CompareCounts(const PlanCountSnapshot& before, CScheduleTask& task, bool comeAndGone)
{
    ScheduleValidation result;
    const PlanCountSnapshot after = CaptureCounts(task);
    const auto& a = before.Counts();
    const auto& b = after.Counts();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && a[i].first < b[j].first)) {
            if (comeAndGone)
                result.Add(kCheckCountChanged, "plan " + a[i].first + ": gone since the counts were taken",
                           "有一个教学计划被删除了");
            ++i;
        } else if (i == a.size() || b[j].first < a[i].first) {
            const CCourseInfo& course = *task.FindCourse(b[j].first);
            if (comeAndGone)
                result.Add(kCheckCountChanged, PlanText(task, course) + ": new since the counts were taken",
                           "多了一个教学计划：" + task.GetCourseDesc(&course));
            ++j;
        } else {
            if (a[i].second != b[j].second) {
                const CCourseInfo& course = *task.FindCourse(b[j].first);
                result.Add(kCheckCountChanged,
                           PlanText(task, course) + ": weekly count " + a[i].second.ToString() + " before, " +
                               b[j].second.ToString() + " now",
                           task.GetCourseDesc(&course) + "的周课时由 " + a[i].second.ToString() + " 变成了 " +
                               b[j].second.ToString());
            }
            ++i;
            ++j;
        }
    }
    return result;
}

ScheduleValidation CompareTimetables(CScheduleTask& first, CScheduleTask& second)
{
    ScheduleValidation result;
    CompareObjects<CClassInfo>("class", first.GetClassInfoList(), second.GetClassInfoList(), OwnTable, first, result);
    CompareObjects<CTeacherInfo>("teacher", first.GetTeacherInfoList(), second.GetTeacherInfoList(), OwnTable, first,
                                 result);
    CompareObjects<CRoomInfo>("room", first.GetRoomInfoList(), second.GetRoomInfoList(), PlaceTables, first, result);
    return result;
}

ScheduleValidation CompareWithReopened(CScheduleTask& task, const std::string& taskFile)
{
    CScheduleTask reopened;
    if (!reopened.Open(taskFile, TaskAccess::ReadOnly)) {
        ScheduleValidation result;
        result.Add(kCheckReopen, "the task file " + taskFile + " does not open");
        return result;
    }
    return CompareTimetables(task, reopened);
}
