// The automatic assignment of invigilators: properties over random proctorings and fixed seeds,
// the picking rules on a fixed order, and the fixed cases of conflicts, shortages and cancelling.
#include "app/proctor/ProctorAssignment.h"

#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "platform/Text.h"
#include "support/ProctorSchool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

namespace {

using Plan = CProctorData::Plan;
using Item = CProctorData::ProctorItem;

CProctorRunOptions Fixed(std::uint32_t seed)
{
    CProctorRunOptions options;
    options.seed = seed;
    options.pacing = false;
    return options;
}

bool Has(const Strings& ids, const std::string& id)
{
    return StringArrayContainsNoCase(ids, id);
}

// A proctoring drawn from the seed: exams on two or three dates whose times touch, overlap or are
// equal; rooms shared only by exams that do not overlap; teachers with and without subject and
// class lists; any rules; a teacher deleted from the task and an id that never named one.
void MakeRandomProctoring(ProctorSchool& school, CProctorData& data, std::mt19937& random)
{
    auto draw = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Strings teachers = school.AllTeachers();
    teachers.insert(teachers.begin() + draw(static_cast<int>(teachers.size())), "gone");
    data.GetTeacherArray() = teachers;
    school.Task().GetTeacherInfoList().Remove("t5");
    for (const std::string& id : teachers) {
        if (draw(3) == 0)
            continue;
        CProctorData::TeacherInfo& info = data.GetTeacherInfoMap()[id];
        for (int s = 1; s <= 4; ++s)
            if (draw(3) == 0)
                info.subjects.push_back("s" + std::to_string(s));
        for (int c = 1; c <= 6; ++c)
            if (draw(4) == 0)
                info.classes.push_back("c" + std::to_string(c));
    }
    data.GetRule().classPolicy = CProctorData::Policy(draw(3));
    data.GetRule().subjectPolicy = CProctorData::Policy(draw(3));

    static const char* const kStarts[] = {"08:00", "09:00", "10:00", "10:00", "14:00"};
    static const char* const kEnds[] = {"10:00", "11:00", "12:00", "12:00", "16:00"};
    const int dates = 2 + draw(2);
    const int plans = 3 + draw(6);
    Strings pool = {"c1", "c2", "c3", "c4", "c5", "c6", "r1", "r2", "r3"};
    for (int p = 0; p < plans; ++p) {
        const int slot = draw(5);
        Plan probe;
        probe.date = {2024, 6, 3 + draw(dates)};
        probe.startTime.Parse(kStarts[slot]);
        probe.endTime.Parse(kEnds[slot]);
        Strings free;
        for (const std::string& room : pool) {
            bool taken = false;
            for (const auto& other : data.GetPlanList())
                taken = taken || (ExamTimesOverlap(other.get(), &probe) && Has(other->rooms, room));
            if (!taken)
                free.push_back(room);
        }
        std::shuffle(free.begin(), free.end(), random);
        free.resize(std::min<std::size_t>(free.size(), 1 + static_cast<std::size_t>(draw(4))));
        AddExam(data, "p" + std::to_string(p), probe.date.day, kStarts[slot], kEnds[slot],
                             "s" + std::to_string(1 + draw(4)), free, draw(4));
    }
}

// How many teachers a plan could draw from when its turn came: the listed teachers of the task,
// less those in items of earlier exams at the same time.
int CandidateCount(const CScheduleTask& task, const CProctorData& data, std::size_t planIndex)
{
    const Plan& plan = *data.GetPlanList()[planIndex];
    int count = 0;
    for (const std::string& id : data.GetTeacherArray()) {
        if (!task.GetTeacher(id))
            continue;
        bool busy = false;
        for (std::size_t q = 0; q < planIndex; ++q) {
            const Plan& other = *data.GetPlanList()[q];
            if (!ExamTimesOverlap(&other, &plan))
                continue;
            for (const Item* item : ItemsOf(data, other.id))
                busy = busy || Has(item->teachers, id);
        }
        count += busy ? 0 : 1;
    }
    return count;
}

bool IsClassTeacher(const CProctorData& data, const std::string& teacher, const std::string& room)
{
    const auto found = data.GetTeacherInfoMap().find(teacher);
    return found != data.GetTeacherInfoMap().end() && Has(found->second.classes, room);
}

void CheckAssignment(const CScheduleTask& task, const CProctorData& data, const CProctorAssignment& run)
{
    const CProctorData::PlanList& plans = data.GetPlanList();
    const CProctorData::Rule& rule = data.GetRule();
    Strings expectedShortages;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        const Plan& plan = *plans[p];
        const std::vector<const Item*> items = ItemsOf(data, plan.id);
        // Every room of the exam, exactly one item, in the exam's room order.
        ASSERT_EQ(items.size(), plan.rooms.size()) << plan.id;
        std::set<std::string> inPlan;
        int left = CandidateCount(task, data, p);
        Strings remaining;
        for (const std::string& id : data.GetTeacherArray())
            if (task.GetTeacher(id))
                remaining.push_back(id);
        for (std::size_t r = 0; r < items.size(); ++r) {
            const Item& item = *items[r];
            EXPECT_EQ(item.room, plan.rooms[r]);
            const int size = static_cast<int>(item.teachers.size());
            EXPECT_EQ(size, std::max(0, std::min(plan.teacherCount, left))) << plan.id << " " << item.room;
            left -= size;
            if (size < plan.teacherCount)
                expectedShortages.push_back(zem::Format("%s %s %s已排%d人", FormatTimeRange(plan, false).c_str(),
                                                        task.GetSubjectName(plan.subject).c_str(),
                                                        GetClassOrRoomName(&task, item.room).c_str(), size));
            for (std::size_t k = 0; k < item.teachers.size(); ++k) {
                const std::string& id = item.teachers[k];
                EXPECT_NE(task.GetTeacher(id), nullptr) << "a deleted teacher got a duty: " << id;
                EXPECT_TRUE(inPlan.insert(id).second) << id << " twice in " << plan.id;
                // What was still free when this teacher was taken: the plan's candidates less
                // those placed before (free of overlapping exams, as checked below).
                Strings freeNow;
                for (const std::string& other : remaining) {
                    bool busy = inPlan.count(other) != 0 && other != id;
                    for (std::size_t q = 0; q < plans.size() && !busy; ++q) {
                        if (q == p || !ExamTimesOverlap(plans[q].get(), &plan))
                            continue;
                        for (const Item* o : ItemsOf(data, plans[q]->id))
                            busy = busy || (q < p && Has(o->teachers, other));
                    }
                    if (!busy)
                        freeNow.push_back(other);
                }
                const bool classTeacher = IsClassTeacher(data, id, item.room);
                const bool wantClass = rule.classPolicy == CProctorData::Policy::PreferOne && k == 0;
                const bool anyFits = std::any_of(freeNow.begin(), freeNow.end(), [&](const std::string& other) {
                    return IsClassTeacher(data, other, item.room) == wantClass;
                });
                if (anyFits) {
                    EXPECT_EQ(classTeacher, wantClass) << plan.id << " " << item.room << " position " << k;
                }
            }
        }
        // Nobody watches two exams at the same time.
        for (std::size_t q = 0; q < plans.size(); ++q) {
            if (q == p || !ExamTimesOverlap(plans[q].get(), &plan))
                continue;
            for (const Item* mine : items)
                for (const Item* theirs : ItemsOf(data, plans[q]->id))
                    for (const std::string& id : mine->teachers)
                        EXPECT_FALSE(Has(theirs->teachers, id)) << id << " in " << plan.id << " and " << plans[q]->id;
        }
    }
    EXPECT_EQ(run.GetShortages(), expectedShortages);
}

TEST(ProctorAssignment, RandomProctoringsKeepEveryRule)
{
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ProctorSchool school(14);
        CProctorData data;
        std::mt19937 random(seed);
        MakeRandomProctoring(school, data, random);
        CProctorAssignment run(school.Task(), data, Fixed(seed));
        std::vector<zem::MessageRequest> shown;
        run.onMessage = [&](const zem::MessageRequest& request) { shown.push_back(request); };
        ASSERT_TRUE(run.Run());
        CheckAssignment(school.Task(), data, run);
        if (run.GetShortages().empty()) {
            EXPECT_TRUE(shown.empty());
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, CProctorAssignment::FormatShortageReport(run.GetShortages()));
            EXPECT_EQ(shown[0].icon, zem::MessageIcon::Warning);
        }
    }
}

// With nobody's classes or subjects known and both rules indifferent, exams that never overlap
// share the duties out evenly.
TEST(ProctorAssignment, DutiesSpreadEvenlyOverExamsApart)
{
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ProctorSchool school(9);
        CProctorData data;
        data.GetTeacherArray() = school.AllTeachers();
        data.GetRule() = {CProctorData::Policy::Indifferent, CProctorData::Policy::Indifferent};
        std::mt19937 random(seed);
        const Strings rooms = {"c1", "c2", "c3", "c4", "c5", "r1", "r2"};
        for (int p = 0; p < 6; ++p) {
            Strings some(rooms.begin(), rooms.begin() + 1 + static_cast<int>(random() % rooms.size()));
            AddExam(data, "p" + std::to_string(p), 1 + p, "08:00", "10:00", "s1", some,
                    1 + static_cast<int>(random() % 3));
        }
        CProctorAssignment run(school.Task(), data, Fixed(seed));
        ASSERT_TRUE(run.Run());
        std::map<std::string, int> duties;
        for (const std::string& id : data.GetTeacherArray())
            duties[id] = 0;
        for (const auto& item : data.GetProctorList())
            for (const std::string& id : item->teachers)
                ++duties[id];
        const auto [low, high] = std::minmax_element(duties.begin(), duties.end(),
                                                     [](const auto& a, const auto& b) { return a.second < b.second; });
        EXPECT_LE(high->second - low->second, 1);
    }
}

// Ten teachers, four rooms of three: three full rooms and one with the last teacher.
TEST(ProctorAssignment, TooFewTeachersFillTheRoomsInTurn)
{
    ProctorSchool school(10);
    CProctorData data;
    data.GetTeacherArray() = school.AllTeachers();
    AddExam(data, "p1", 5, "08:00", "10:00", "s2", {"c1", "c2", "r1", "c3"}, 3);
    CProctorAssignment run(school.Task(), data, Fixed(7));
    std::vector<std::string> shown;
    run.onMessage = [&](const zem::MessageRequest& request) { shown.push_back(request.text); };
    ASSERT_TRUE(run.Run());
    std::vector<std::size_t> sizes;
    for (const Item* item : ItemsOf(data, "p1"))
        sizes.push_back(item->teachers.size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{3, 3, 3, 1}));
    EXPECT_EQ(run.GetShortages(), Strings{"2024年06月05日 08:00-10:00 数学 高一(3)班已排1人"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "由于时间冲突或教师资源不足，部分考场监考教师未达指定人数\n\n"
                        "2024年06月05日 08:00-10:00 数学 高一(3)班已排1人\n");
}

TEST(ProctorAssignment, TheReportShowsThreeShortagesAndThenDots)
{
    const Strings five = {"a", "b", "c", "d", "e"};
    EXPECT_EQ(CProctorAssignment::FormatShortageReport(five),
              std::string(CProctorAssignment::kShortageHead) + "a\nb\nc\n...");
    EXPECT_EQ(CProctorAssignment::FormatShortageReport({"a", "b", "c"}),
              std::string(CProctorAssignment::kShortageHead) + "a\nb\nc\n");
}

TEST(ProctorAssignment, ExamsAtOneTimeThatShareARoomStopTheRun)
{
    ProctorSchool school;
    CProctorData data;
    data.GetTeacherArray() = school.AllTeachers();
    AddExam(data, "p1", 5, "08:00", "10:00", "s1", {"c1", "r2"}, 2);
    AddExam(data, "p2", 6, "08:00", "10:00", "s3", {"R2"}, 2);  // another day
    AddExam(data, "p3", 5, "09:00", "11:00", "s2", {"c4", "R2"}, 2);
    CProctorAssignment run(school.Task(), data, Fixed(1));
    std::vector<zem::MessageRequest> shown;
    run.onMessage = [&](const zem::MessageRequest& request) { shown.push_back(request); };
    EXPECT_FALSE(run.Run());
    EXPECT_TRUE(data.GetProctorList().empty());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "下面两项考试计划指定相同考场: 实验室2，但考试时间冲突\n\n"
                             "2024年06月05日 08:00-10:00 语文\n2024年06月05日 09:00-11:00 数学");
    EXPECT_EQ(shown[0].icon, zem::MessageIcon::Warning);
}

TEST(ProctorAssignment, ExamTimesOverlapOnlyWhenTheyShareTime)
{
    struct Case {
        int day1;
        const char *start1, *end1;
        int day2;
        const char *start2, *end2;
        bool overlap;
    } const cases[] = {
        {5, "08:00", "10:00", 5, "10:00", "12:00", false},  // touching
        {5, "08:00", "10:00", 5, "09:00", "11:00", true},
        {5, "09:00", "11:00", 5, "08:00", "10:00", true},
        {5, "08:00", "12:00", 5, "09:00", "10:00", true},   // one inside the other
        {5, "08:00", "10:00", 5, "08:00", "10:00", true},   // equal
        {5, "08:00", "10:00", 6, "08:00", "10:00", false},  // equal times, another date
    };
    for (const Case& c : cases) {
        CProctorData data;
        const Plan* a = AddExam(data, "a", c.day1, c.start1, c.end1, "s1", {}, 1);
        const Plan* b = AddExam(data, "b", c.day2, c.start2, c.end2, "s1", {}, 1);
        EXPECT_EQ(ExamTimesOverlap(a, b), c.overlap) << c.start1 << "-" << c.end1 << " / " << c.start2 << "-" << c.end2;
        EXPECT_EQ(ExamTimesOverlap(b, a), c.overlap);
    }
}

// The rules on a fixed order of candidates: o teaches neither, s the subject, k the class (the
// room c1), sk both. Rule value 0 picks as 1 does for the class and as 2 does for the subject.
TEST(ProctorAssignment, TheRulesChooseWhoComesFirst)
{
    CProctorData::TeacherInfoMap info;
    info["s"] = {{"S1"}, {}};
    info["k"] = {{}, {"C1"}};
    info["sk"] = {{"s1"}, {"c1"}};
    Plan plan;
    plan.subject = "s1";
    plan.teacherCount = 2;
    using enum CProctorData::Policy;
    struct Case {
        CProctorData::Rule rule;
        Strings candidates;
        Strings picked;
    } const cases[] = {
        {{Avoid, PreferOne}, {"o", "s", "k", "sk"}, {"s", "o"}},
        {{Indifferent, Indifferent}, {"o", "s", "k", "sk"}, {"s", "o"}},
        {{Avoid, Avoid}, {"o", "s", "k", "sk"}, {"o", "s"}},
        {{PreferOne, PreferOne}, {"o", "s", "k", "sk"}, {"sk", "o"}},
        {{PreferOne, Avoid}, {"o", "s", "k", "sk"}, {"k", "o"}},
        {{PreferOne, Indifferent}, {"o", "s", "k", "sk"}, {"sk", "o"}},
        {{Avoid, PreferOne}, {"k", "sk"}, {"sk", "k"}},   // only teachers of the class are left
        {{PreferOne, PreferOne}, {"o", "s"}, {"s", "o"}},  // nobody teaches the class: the scan's first
        {{PreferOne, PreferOne}, {"k"}, {"k"}},            // fewer than asked
    };
    for (const Case& c : cases) {
        Strings remaining = c.candidates;
        EXPECT_EQ(CProctorAssignment::PickTeachers(remaining, plan, "c1", c.rule, info), c.picked)
            << static_cast<int>(c.rule.classPolicy) << "/" << static_cast<int>(c.rule.subjectPolicy);
        EXPECT_EQ(remaining.size(), c.candidates.size() - c.picked.size());
    }
    Strings remaining = {"o", "s"};
    plan.teacherCount = 0;
    EXPECT_TRUE(CProctorAssignment::PickTeachers(remaining, plan, "c1", {Avoid, PreferOne}, info).empty());
}

// A cancel between rooms keeps the items made so far and makes no more.
TEST(ProctorAssignment, ACancelStopsBeforeTheNextRoom)
{
    ProctorSchool school;
    CProctorData data;
    data.GetTeacherArray() = school.AllTeachers();
    AddExam(data, "p1", 5, "08:00", "10:00", "s1", {"c1", "c2", "c3"}, 2);
    std::atomic<bool> cancel{false};
    CProctorRunOptions options = Fixed(3);
    options.afterItem = [&](std::size_t items) {
        if (items == 2)
            cancel = true;
    };
    CProctorAssignment run(school.Task(), data, options);
    int messages = 0;
    run.onMessage = [&](const zem::MessageRequest&) { ++messages; };
    EXPECT_FALSE(run.Run(&cancel));
    ASSERT_EQ(data.GetProctorList().size(), 2u);
    EXPECT_EQ(data.GetProctorList()[1]->room, "c2");
    EXPECT_EQ(messages, 0);
}

// The same seed draws the same arrangement; the order among equal duties is the seed's.
TEST(ProctorAssignment, TheSeedFixesTheDraw)
{
    auto arrange = [](std::uint32_t seed) {
        ProctorSchool school;
        CProctorData data;
        data.GetTeacherArray() = school.AllTeachers();
        AddExam(data, "p1", 5, "08:00", "10:00", "s1", {"c1", "c2", "c3"}, 2);
        CProctorAssignment(school.Task(), data, Fixed(seed)).Run();
        Strings teachers;
        for (const auto& item : data.GetProctorList())
            teachers.insert(teachers.end(), item->teachers.begin(), item->teachers.end());
        return teachers;
    };
    EXPECT_EQ(arrange(11), arrange(11));
    bool differs = false;
    for (std::uint32_t seed = 12; seed < 20 && !differs; ++seed)
        differs = arrange(seed) != arrange(11);
    EXPECT_TRUE(differs);
}

}  // namespace
