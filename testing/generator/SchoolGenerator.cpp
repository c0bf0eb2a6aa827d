#include "testing/generator/SchoolGenerator.h"

#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <stdexcept>

namespace zemgen {
namespace {

// ---- the shape of a school ----

enum class SchoolKind { Senior, Junior };

struct Shape {
    const char* name;
    SchoolKind kind;
    int grades;
    int classesPerGrade;
};

constexpr Shape kShapes[] = {
    {"S12", SchoolKind::Senior, 1, 12}, {"S36", SchoolKind::Senior, 3, 12}, {"S72", SchoolKind::Senior, 3, 24},
    {"L120", SchoolKind::Senior, 3, 40}, {"J24", SchoolKind::Junior, 3, 8},
};

enum class RoomKind { None, Playground, ChemistryLab, ComputerRoom };

struct SubjectDef {
    const char* name;
    const char* shortName;
    const char* weekly[3];  // lessons a week in each grade, "0.5" for one every second week, "0" not taught
    bool main;              // a main subject, placed in the morning first
    int blockLength;        // a double lesson: 2
    RoomKind room;
    int morningReading;     // morning-reading lessons a week per class
    int selfStudy;          // evening self-study lessons a week per class
    int classesPerTeacher;  // 0: taught by the class's head teacher
    bool tightOnly;         // only in the tight variant, which fills the week further
};

// Every grade adds up to 34 lessons a week (87% of the 39 lesson slots), 37 with the tight-only
// subjects (95%).
constexpr SubjectDef kSeniorSubjects[] = {
    {"语文", "语", {"5", "5", "5"}, true, 2, RoomKind::None, 2, 1, 2, false},
    {"数学", "数", {"5", "5", "5"}, true, 1, RoomKind::None, 0, 2, 2, false},
    {"英语", "英", {"5", "5", "5"}, true, 1, RoomKind::None, 1, 1, 3, false},
    {"物理", "物", {"3", "3", "3"}, true, 1, RoomKind::None, 0, 1, 6, false},
    {"化学", "化", {"3", "3", "3"}, true, 2, RoomKind::ChemistryLab, 0, 1, 6, false},
    {"生物", "生", {"2", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"政治", "政", {"2", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"历史", "史", {"2", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"地理", "地", {"2", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"体育", "体", {"2", "2", "2"}, false, 1, RoomKind::Playground, 0, 0, 6, false},
    {"信息技术", "信息", {"1", "1", "1"}, false, 1, RoomKind::ComputerRoom, 0, 0, 6, false},
    {"音乐", "音", {"0.5", "0.5", "0.5"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"美术", "美", {"0.5", "0.5", "0.5"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"班会", "班", {"1", "1", "1"}, false, 1, RoomKind::None, 0, 0, 0, false},
    {"通用技术", "通用", {"1", "1", "1"}, false, 1, RoomKind::None, 0, 0, 6, true},
    {"研究性学习", "研学", {"2", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, true},
};

// Physics starts in the second grade and chemistry in the third; geography and biology end with
// the second, and the third grade prepares for its physical education exam.
constexpr SubjectDef kJuniorSubjects[] = {
    {"语文", "语", {"6", "6", "5"}, true, 2, RoomKind::None, 2, 1, 2, false},
    {"数学", "数", {"5", "5", "6"}, true, 1, RoomKind::None, 0, 1, 2, false},
    {"英语", "英", {"5", "5", "6"}, true, 1, RoomKind::None, 1, 1, 3, false},
    {"物理", "物", {"0", "3", "3"}, true, 1, RoomKind::None, 0, 0, 6, false},
    {"化学", "化", {"0", "0", "3"}, true, 2, RoomKind::ChemistryLab, 0, 0, 6, false},
    {"道德与法治", "道法", {"2", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"历史", "史", {"3", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"地理", "地", {"3", "2", "0"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"生物", "生", {"3", "2", "0"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"体育", "体", {"3", "3", "4"}, false, 1, RoomKind::Playground, 0, 0, 6, false},
    {"信息技术", "信息", {"2", "2", "1"}, false, 1, RoomKind::ComputerRoom, 0, 0, 6, false},
    {"音乐", "音", {"0.5", "0.5", "0.5"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"美术", "美", {"0.5", "0.5", "0.5"}, false, 1, RoomKind::None, 0, 0, 6, false},
    {"班会", "班", {"1", "1", "1"}, false, 1, RoomKind::None, 0, 0, 0, false},
    {"心理健康", "心理", {"1", "1", "1"}, false, 1, RoomKind::None, 0, 0, 6, true},
    {"综合实践", "综实", {"2", "2", "2"}, false, 1, RoomKind::None, 0, 0, 6, true},
};

constexpr const char* kSeniorGrades[] = {"高一", "高二", "高三"};
constexpr const char* kJuniorGrades[] = {"初一", "初二", "初三"};

// The week: Monday to Friday, four periods in the morning and four in the afternoon, one of
// morning reading, evening self-study for boarders.
constexpr int kDays = 5;
constexpr int kForenoon = 4;
constexpr int kAfternoon = 4;
constexpr tagTABLE_NODE kSchoolActivity{4, 1, 3};  // Friday's last period: the whole school cleans up
constexpr tagTABLE_NODE kClassMeeting{0, 1, 3};    // Monday's last period: every class meets
constexpr tagTABLE_NODE kGradeMeeting{3, 1, 3};    // Thursday's last period: the top grade meets

constexpr const char* kSurnames =
    "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔"
    "钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤";
constexpr const char* kGivenChars =
    "伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉萍红鹏辉建文宇浩欣怡晨思佳雨婷子梓涵轩博瑞琳雪晓海鑫颖俊峰"
    "志宏家国春兰淑凤云飞斌德";
// Characters outside the older national set that the files must carry: every school has them.
constexpr const char* kRareChars[] = {"喆", "堃", "玥", "瑋", "琝"};

std::vector<std::string> SplitChars(const char* text)
{
    std::vector<std::string> chars;
    const std::string_view view(text);
    for (std::size_t pos = 0; pos < view.size();) {
        const std::size_t length = zem::Utf8CharLength(view, pos);
        chars.emplace_back(view.substr(pos, length));
        pos += length;
    }
    return chars;
}

const Shape* FindShape(const std::string& name)
{
    for (const Shape& shape : kShapes)
        if (name == shape.name)
            return &shape;
    return nullptr;
}

// ---- checks ----

double Hours(const CWeekCount& count) { return count.GetWholeCount() + (count.HasHalfNode() ? 0.5 : 0.0); }

bool HasNode(const CNodeListObject* object, const tagTABLE_NODE& node) { return object && object->IsFixedTime(node); }

// Whether the week or a fixed time of the plan's class, subject, teachers (assistants too) and
// their groups, or of the plan itself, closes the slot to it.
bool ClosedFor(CScheduleTask& task, CCourseInfo* course, const tagTABLE_NODE& node)
{
    auto fixed = [&](CZemObjectList& list, const std::string& id) {
        return HasNode(static_cast<CNodeListObject*>(list.Find(id)), node);
    };
    if (task.GetSchoolStructure().IsInvalid(node) || fixed(task.GetFixedTimeOfClassList(), course->GetClassId()) ||
        fixed(task.GetFixedTimeOfSubjectList(), course->GetSubjectId()) ||
        fixed(task.GetFixedTimeOfCourseList(), course->GetId()))
        return true;
    std::vector<std::string> teachers;
    task.GetAllTeacherId(teachers, course, false);
    for (const std::string& teacherId : teachers) {
        if (fixed(task.GetFixedTimeOfTeacherList(), teacherId))
            return true;
        for (const auto& [id, object] : task.GetTeacherGroupInfoList())
            if (static_cast<CTeacherGroupInfo*>(object)->FindTeacher(teacherId) &&
                fixed(task.GetFixedTimeOfTeacherGroupList(), id))
                return true;
    }
    return false;
}

// The days on which the plan, and every plan of its combined class, has an open slot of its kind.
int OpenDays(CScheduleTask& task, CCourseInfo* course)
{
    std::vector<CCourseInfo*> members{course};
    if (const CCombineClass* cc = task.GetCC(course->GetId()))
        for (const std::string& id : cc->GetCombineCourse())
            if (CCourseInfo* member = task.FindCourse(id); member && member != course)
                members.push_back(member);
    const int type = course->GetType();
    const int first = type == COURSE_TYPE_MORNING_READING ? 3 : type == COURSE_TYPE_SELF_STUDY ? 4 : 0;
    const int last = type == COURSE_TYPE_PLAN ? 2 : first;
    const CSchoolStructure& week = task.GetSchoolStructure();
    int days = 0;
    for (int day = 0; day < zem::kDayCount; ++day) {
        const SlotWalk walk{.day = day, .firstSegment = first, .lastSegment = last};
        days += ForEachSlot(week, walk, [&](const tagTABLE_NODE& node) {
            return std::none_of(members.begin(), members.end(),
                                [&](CCourseInfo* member) { return ClosedFor(task, member, node); });
        });
    }
    return days;
}

// Whether the plan's fixed times leave it days enough for its lessons at its most a day.
bool HasDaysEnough(CScheduleTask& task, CCourseInfo* course, int* open = nullptr, int* needed = nullptr)
{
    const CWeekCount& count = course->GetWeekCount();
    const int lessons = count.GetWholeCount() + (count.HasHalfNode() ? 1 : 0);
    const int most = std::max(1, task.GetOneDayMaxNodes(course));
    const int days = (lessons + most - 1) / most;
    if (days == 0)
        return true;
    const int have = OpenDays(task, course);
    if (open)
        *open = have;
    if (needed)
        *needed = days;
    return have >= days;
}

// ---- building ----

struct Grade {
    std::string name;
    std::vector<CClassInfo*> classes;
};

class Builder {
public:
    Builder(const Shape& shape, bool tight, unsigned seed)
        : m_shape(shape), m_tight(tight), m_rng(seed), m_surnames(SplitChars(kSurnames)), m_given(SplitChars(kGivenChars))
    {
    }

    std::unique_ptr<CScheduleTask> Build()
    {
        m_task = std::make_unique<CScheduleTask>();
        BuildWeek();
        BuildSubjects();
        BuildClasses();
        BuildTeachersAndPlans();
        BuildSelfStudy();
        BuildCombinedPhysicalEducation();
        BuildRooms();
        BuildRules();
        return std::move(m_task);
    }

private:
    // The generator's own draws: the same on every system, unlike the standard distributions.
    unsigned Pick(unsigned n) { return static_cast<unsigned>(m_rng() % n); }

    std::string NewId()
    {
        std::string id;
        for (int i = 0; i < 4; ++i)
            id += zem::Format("%08X", static_cast<unsigned>(m_rng()));
        return id;
    }

    template <class T>
    T* Add(CZemObjectList& list, const std::string& name = {})
    {
        auto* object = new T;
        object->SetId(NewId());
        object->SetName(name);
        object->SetIndex(list.GetCount());
        list.Add(object);
        return object;
    }

    void BuildWeek()
    {
        CSchoolStructure& week = m_task->GetSchoolStructure();
        for (int day = 0; day < zem::kDayCount; ++day)
            week.SetWeekDay(day, day < kDays);
        const int selfStudySections = m_shape.kind == SchoolKind::Senior ? 2 : 1;
        const int counts[zem::kSegmentCount] = {kForenoon, kAfternoon, 0, 1, selfStudySections};
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            week.SetSectionNodeMaxCount(segment, 0, false);
            week.SetSectionNodeMaxCount(segment, counts[segment], true);
        }
        // Only the periods within the counts are open, so the file says exactly what the week is.
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = counts[segment]; section < zem::kSectionCount; ++section)
                    week.SetValue(day, segment, section, CTimeTable::kInvalid);
        week.SetValue(kSchoolActivity, CTimeTable::kInvalid);
        week.ParseFromXMLData();
        m_task->GetActivities().AddActivity(kSchoolActivity, "全校大扫除");

        CPeriodNameList& names = week.GetCustomPeriodNameList();
        names.SetEnabled(true);
        const char* forenoon[] = {"08:00-08:45", "08:55-09:40", "10:10-10:55", "11:05-11:50"};
        const char* afternoon[] = {"14:00-14:45", "14:55-15:40", "15:50-16:35", "16:45-17:30"};
        const char* evening[] = {"19:00-19:50", "20:00-20:50"};
        for (int section = 0; section < kForenoon; ++section)
            names.Add(0, section, zem::Format("第%d节\r\n%s", section + 1, forenoon[section]));
        for (int section = 0; section < kAfternoon; ++section)
            names.Add(1, section, zem::Format("第%d节\r\n%s", kForenoon + section + 1, afternoon[section]));
        names.Add(3, 0, "早读\r\n07:20-07:50");
        for (int section = 0; section < selfStudySections; ++section)
            names.Add(4, section, zem::Format("晚自习%d\r\n%s", section + 1, evening[section]));
    }

    void BuildSubjects()
    {
        const SubjectDef* begin = m_shape.kind == SchoolKind::Senior ? std::begin(kSeniorSubjects) : std::begin(kJuniorSubjects);
        const SubjectDef* end = m_shape.kind == SchoolKind::Senior ? std::end(kSeniorSubjects) : std::end(kJuniorSubjects);
        for (const SubjectDef* def = begin; def != end; ++def) {
            if (def->tightOnly && !m_tight)
                continue;
            auto* subject = Add<CSubjectInfo>(m_task->GetSubjectInfoList(), def->name);
            subject->SetShortName(def->shortName);
            subject->SetPriority(def->main ? 0 : 1);
            m_task->GetSubjectInfoList().Modify(subject);
            SubjectEntry entry;
            entry.def = def;
            entry.subject = subject;
            m_subjects.push_back(std::move(entry));
        }
    }

    void BuildClasses()
    {
        const char* const* gradeNames = m_shape.kind == SchoolKind::Senior ? kSeniorGrades : kJuniorGrades;
        for (int g = 0; g < m_shape.grades; ++g) {
            Grade grade{gradeNames[g], {}};
            for (int c = 0; c < m_shape.classesPerGrade; ++c) {
                auto* cls = Add<CClassInfo>(m_task->GetClassInfoList(), zem::Format("%s(%d)班", grade.name.c_str(), c + 1));
                cls->SetShortName(zem::Format("%s%d", grade.name.c_str(), c + 1));
                cls->SetStudentCount(40 + Pick(16));
                m_task->GetClassInfoList().Modify(cls);
                grade.classes.push_back(cls);
            }
            m_grades.push_back(std::move(grade));
        }
    }

    std::string NewTeacherName()
    {
        for (;;) {
            std::string name = m_surnames[Pick(static_cast<unsigned>(m_surnames.size()))];
            const std::size_t rare = m_teacherCount;
            // The first teachers carry the rare characters, a few others by chance.
            if (rare < std::size(kRareChars) || Pick(30) == 0)
                name += kRareChars[rare < std::size(kRareChars) ? rare : Pick(std::size(kRareChars))];
            else
                name += m_given[Pick(static_cast<unsigned>(m_given.size()))];
            if (Pick(3) == 0)
                name += m_given[Pick(static_cast<unsigned>(m_given.size()))];
            if (m_teacherNames.insert(name).second)
                return name;
        }
    }

    CTeacherInfo* NewTeacher()
    {
        auto* teacher = Add<CTeacherInfo>(m_task->GetTeacherInfoList(), NewTeacherName());
        ++m_teacherCount;
        // Some timetables print a short form: surname and last character.
        if (Pick(5) == 0) {
            const std::vector<std::string> chars = SplitChars(teacher->GetName().c_str());
            teacher->SetShortName(chars.front() + chars.back());
        }
        m_task->GetTeacherInfoList().Modify(teacher);
        return teacher;
    }

    CCourseInfo* NewPlan(CZemObjectList& list, CClassInfo* cls, CSubjectInfo* subject, CTeacherInfo* teacher,
                         const CWeekCount& count, _CourseType type)
    {
        auto* course = Add<CCourseInfo>(list);
        course->SetClass(cls->GetId());
        course->SetSubject(subject->GetId());
        course->SetTeacher(teacher->GetId());
        course->SetWeekCount(count);
        course->SetType(type);
        return course;
    }

    // Each subject's teachers take neighbouring classes of one grade, 2 to 6 each, spread evenly.
    void BuildTeachersAndPlans()
    {
        for (std::size_t g = 0; g < m_grades.size(); ++g) {
            const std::vector<CClassInfo*>& classes = m_grades[g].classes;
            const int n = static_cast<int>(classes.size());
            for (SubjectEntry& entry : m_subjects) {
                if (entry.def->classesPerTeacher == 0 || !Taught(entry, g))
                    continue;
                const int count = (n + entry.def->classesPerTeacher - 1) / entry.def->classesPerTeacher;
                std::vector<CTeacherInfo*>& teachers = entry.teachers[g];
                for (int t = 0; t < count; ++t)
                    teachers.push_back(NewTeacher());
                for (int c = 0; c < n; ++c)
                    entry.teacherOfClass[classes[c]] = teachers[static_cast<std::size_t>(c * count / n)];
            }
        }
        for (std::size_t g = 0; g < m_grades.size(); ++g) {
            for (std::size_t c = 0; c < m_grades[g].classes.size(); ++c) {
                CClassInfo* cls = m_grades[g].classes[c];
                // Chinese and mathematics teachers head the classes by turns, one class each.
                CTeacherInfo* head = Entry(c % 2 == 0 ? "语文" : "数学").teacherOfClass.at(cls);
                cls->SetHeadTeacherName(head->GetName());
                for (SubjectEntry& entry : m_subjects) {
                    if (!Taught(entry, g))
                        continue;
                    CTeacherInfo* teacher = entry.def->classesPerTeacher == 0 ? head : entry.teacherOfClass.at(cls);
                    CCourseInfo* course = NewPlan(m_task->GetCourseInfoList(), cls, entry.subject, teacher,
                                                  Weekly(entry, g), COURSE_TYPE_PLAN);
                    course->SetMainCourse(entry.def->main ? 1 : 0);
                    if (entry.def->blockLength > 1) {
                        course->SetContinuousNodes(entry.def->blockLength);
                        course->SetContinuousTimes(1);
                    }
                    entry.courseOfClass[cls] = course;
                }
            }
        }
    }

    void BuildSelfStudy()
    {
        for (Grade& grade : m_grades) {
            for (CClassInfo* cls : grade.classes) {
                for (SubjectEntry& entry : m_subjects) {
                    if (entry.def->morningReading > 0)
                        NewPlan(m_task->GetSelfStudyInfoList(), cls, entry.subject, entry.teacherOfClass.at(cls),
                                CWeekCount(entry.def->morningReading, false), COURSE_TYPE_MORNING_READING);
                    if (entry.def->selfStudy > 0)
                        NewPlan(m_task->GetSelfStudyInfoList(), cls, entry.subject, entry.teacherOfClass.at(cls),
                                CWeekCount(entry.def->selfStudy, false), COURSE_TYPE_SELF_STUDY);
                }
            }
        }
    }

    // Physical education of two neighbouring classes together: where the classes change teacher,
    // with both teachers (boys and girls apart); elsewhere every other pair with one teacher.
    void BuildCombinedPhysicalEducation()
    {
        SubjectEntry& pe = Entry("体育");
        for (Grade& grade : m_grades) {
            const std::vector<CClassInfo*>& classes = grade.classes;
            std::vector<bool> paired(classes.size(), false);
            auto combine = [&](std::size_t a, std::size_t b) {
                auto* cc = Add<CCombineClass>(m_task->GetCombineCourseList());
                cc->GetCombineCourse() = {pe.courseOfClass.at(classes[a])->GetId(), pe.courseOfClass.at(classes[b])->GetId()};
                paired[a] = paired[b] = true;
            };
            for (std::size_t c = 1; c < classes.size(); ++c)
                if (pe.teacherOfClass.at(classes[c - 1]) != pe.teacherOfClass.at(classes[c]))
                    combine(c - 1, c);
            for (std::size_t c = 0; c + 1 < classes.size(); c += 4)
                if (!paired[c] && !paired[c + 1] && pe.teacherOfClass.at(classes[c]) == pe.teacherOfClass.at(classes[c + 1]))
                    combine(c, c + 1);
        }
        m_task->GetCombineCourseList().ReBuildCourseMap();
    }

    // Special rooms, as many of each kind as keep them about two thirds busy; a grade's combined
    // classes share one room.
    void BuildRooms()
    {
        const int slots = m_task->GetSchoolStructure().GetWeekNodeCount();
        struct Kind {
            RoomKind kind;
            const char* name;
            const char* shortName;
            int capacity;
        };
        const Kind kinds[] = {
            {RoomKind::Playground, "操场", "操场", 6},
            {RoomKind::ChemistryLab, "化学实验室", "化", 2},
            {RoomKind::ComputerRoom, "计算机房", "机", 1},
        };
        for (const Kind& kind : kinds) {
            std::vector<std::pair<int, CCourseInfo*>> courses;  // grade, plan
            double hours = 0;
            std::set<const CCombineClass*> counted;
            for (SubjectEntry& entry : m_subjects) {
                if (entry.def->room != kind.kind)
                    continue;
                for (std::size_t g = 0; g < m_grades.size(); ++g) {
                    if (!Taught(entry, g))
                        continue;
                    for (CClassInfo* cls : m_grades[g].classes) {
                        CCourseInfo* course = entry.courseOfClass.at(cls);
                        courses.emplace_back(static_cast<int>(g), course);
                        const CCombineClass* cc = m_task->GetCC(course->GetId());
                        if (!cc || counted.insert(cc).second)
                            hours += course->GetWeekCount().GetWholeCount() + (course->GetWeekCount().HasHalfNode() ? 0.5 : 0);
                    }
                }
            }
            if (courses.empty())
                continue;
            const int count = std::max(1, static_cast<int>(hours / (kind.capacity * slots * 0.67) + 0.999));
            std::vector<CRoomInfo*> rooms;
            for (int r = 0; r < count; ++r) {
                const std::string suffix = count > 1 ? zem::Format("%d", r + 1) : std::string();
                auto* room = Add<CRoomInfo>(m_task->GetRoomInfoList(), kind.name + suffix);
                room->SetShortName(kind.shortName + suffix);
                room->SetCapacity(kind.capacity);
                m_task->GetRoomInfoList().Modify(room);
                rooms.push_back(room);
            }
            for (std::size_t i = 0; i < courses.size(); ++i) {
                // A playground serves whole grades, so both plans of a combined class get it;
                // labs and computer rooms share the classes out evenly.
                const std::size_t r = kind.kind == RoomKind::Playground
                                          ? static_cast<std::size_t>(courses[i].first) % rooms.size()
                                          : i * rooms.size() / courses.size();
                courses[i].second->SetRoom(rooms[r]->GetId());
            }
        }
    }

    template <class T>
    T* AddFixedTime(CZemObjectList& list, const std::string& id, const std::vector<tagTABLE_NODE>& nodes,
                    const char* activity)
    {
        auto* fixed = static_cast<T*>(list.Find(id));
        if (!fixed) {
            fixed = new T;
            fixed->SetId(id);
            fixed->SetIndex(list.GetCount());
            list.Add(fixed);
        }
        std::string times = fixed->GetAllFixedTime();
        for (const tagTABLE_NODE& node : nodes) {
            times += zem::Format("%d,", node.day * 100 + node.segment * 10 + node.section);
            if (activity)
                fixed->GetActivities().AddActivity(node, activity);
        }
        // Reading the text back keeps the activities, which ClearAll would drop.
        CActivities activities = fixed->GetActivities();
        fixed->ReadFixedTimeFromString(times);
        fixed->GetActivities() = activities;
        return fixed;
    }

    static std::vector<tagTABLE_NODE> Periods(int day, int segment, int first, int last)
    {
        std::vector<tagTABLE_NODE> nodes;
        for (int section = first; section <= last; ++section)
            nodes.push_back({day, segment, section});
        return nodes;
    }

    void BuildRules()
    {
        // One teacher group per subject, with its weekly research afternoon (Tuesday to Thursday).
        int groupNumber = 0;
        for (SubjectEntry& entry : m_subjects) {
            if (entry.def->classesPerTeacher == 0)
                continue;
            auto* group = Add<CTeacherGroupInfo>(m_task->GetTeacherGroupInfoList(), std::string(entry.def->name) + "组");
            for (const auto& [g, teachers] : entry.teachers)
                for (CTeacherInfo* teacher : teachers)
                    group->AddTeacher(teacher->GetId());
            m_task->GetTeacherGroupInfoList().Modify(group);
            AddFixedTime<CFixedTimeOfTeacherGroup>(m_task->GetFixedTimeOfTeacherGroupList(), group->GetId(),
                                                   Periods(1 + groupNumber++ % 3, 1, 0, kAfternoon - 1), "教研活动");
        }

        // Grade leaders meet on Wednesday's last morning period; a few teachers study elsewhere
        // for a morning.
        for (std::size_t g = 0; g < m_grades.size(); ++g) {
            CTeacherInfo* leader = Entry("数学").teachers.at(g).front();
            leader->SetPriority(0);
            AddFixedTime<CFixedTimeOfTeacher>(m_task->GetFixedTimeOfTeacherList(), leader->GetId(),
                                              {{2, 0, kForenoon - 1}}, "年级组长例会");
        }
        // The morning is the drawn day's, or the next day's that leaves the teacher's plans days
        // enough for their lessons (a group's research afternoon may close the rest of a day).
        for (const CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(m_task->GetTeacherInfoList())) {
            if (Pick(25) != 0)
                continue;
            const int drawn = static_cast<int>(Pick(kDays));
            for (int k = 0; k < kDays; ++k) {
                const int day = (drawn + k) % kDays;
                if (!MorningAwayFits(teacher->GetId(), day))
                    continue;
                AddFixedTime<CFixedTimeOfTeacher>(m_task->GetFixedTimeOfTeacherList(), teacher->GetId(),
                                                  Periods(day, 0, 0, kForenoon - 1), "外出进修");
                break;
            }
        }

        // The top grade's classes meet on Thursday's last period.
        for (CClassInfo* cls : m_grades.back().classes)
            AddFixedTime<CFixedTimeOfClass>(m_task->GetFixedTimeOfClassList(), cls->GetId(), {kGradeMeeting}, "年级大会");

        // No physical education straight after morning reading.
        std::vector<tagTABLE_NODE> firstPeriods;
        for (int day = 0; day < kDays; ++day)
            firstPeriods.push_back({day, 0, 0});
        AddFixedTime<CFixedTimeOfSubject>(m_task->GetFixedTimeOfSubjectList(), Entry("体育").subject->GetId(),
                                          firstPeriods, nullptr);

        // The first class of each grade has no computer lesson on Friday, when the room is serviced.
        SubjectEntry& computing = Entry("信息技术");
        for (Grade& grade : m_grades) {
            std::vector<tagTABLE_NODE> friday = Periods(4, 0, 0, kForenoon - 1);
            for (const tagTABLE_NODE& node : Periods(4, 1, 0, kAfternoon - 1))
                friday.push_back(node);
            AddFixedTime<CFixedTimeOfCourse>(m_task->GetFixedTimeOfCourseList(),
                                             computing.courseOfClass.at(grade.classes.front())->GetId(), friday, nullptr);
        }

        // Every class meets its head teacher on Monday's last period.
        SubjectEntry& meeting = Entry("班会");
        for (Grade& grade : m_grades) {
            for (CClassInfo* cls : grade.classes) {
                auto* preset = new CCoursePreset;
                preset->SetId(meeting.courseOfClass.at(cls)->GetId());
                preset->SetIndex(m_task->GetCoursePresetList().GetCount());
                preset->ReadFixedTimeFromString(
                    zem::Format("%d,", kClassMeeting.day * 100 + kClassMeeting.segment * 10 + kClassMeeting.section));
                m_task->GetCoursePresetList().Add(preset);
            }
        }

        // The second computing teacher of a grade assists in its first two classes.
        for (std::size_t g = 0; g < m_grades.size(); ++g) {
            const std::vector<CTeacherInfo*>& teachers = computing.teachers.at(g);
            for (std::size_t c = 0; c < 2 && c < m_grades[g].classes.size(); ++c) {
                CCourseInfo* course = computing.courseOfClass.at(m_grades[g].classes[c]);
                CTeacherInfo* other = teachers.back() != computing.teacherOfClass.at(m_grades[g].classes[c])
                                          ? teachers.back()
                                          : Entry("信息技术").teachers.at((g + 1) % m_grades.size()).back();
                if (other->GetId() == course->GetTeacherId())
                    continue;
                auto* assistant = new CCourseAssistant;
                assistant->SetId(course->GetId());
                assistant->SetIndex(m_task->GetAssistantList().GetCount());
                assistant->GetAssistants().push_back(other->GetId());
                m_task->GetAssistantList().Add(assistant);
            }
        }

        // Music on odd weeks, art on even weeks, in one slot.
        SubjectEntry& music = Entry("音乐");
        SubjectEntry& art = Entry("美术");
        for (Grade& grade : m_grades) {
            for (CClassInfo* cls : grade.classes) {
                auto* team = Add<COETeam>(m_task->GetOETeamList());
                team->Set(music.courseOfClass.at(cls)->GetId(), art.courseOfClass.at(cls)->GetId());
            }
        }

        // Teachers who must not teach at the same time (they share the care of a child); in the
        // first grade one of them with two others.
        const char* civics = m_shape.kind == SchoolKind::Senior ? "政治" : "道德与法治";
        for (std::size_t g = 0; g < m_grades.size(); ++g) {
            auto* rule = new CMutexOfTeacher;
            CTeacherInfo* teacher = Entry(civics).teachers.at(g).front();
            rule->SetId(teacher->GetId());
            rule->SetIndex(m_task->GetMutexOfTeacherList().GetCount());
            rule->GetMutexTeachers().push_back(Entry("历史").teachers.at(g).front()->GetId());
            if (g == 0)
                rule->GetMutexTeachers().push_back(Entry("音乐").teachers.at(g).front()->GetId());
            m_task->GetMutexOfTeacherList().Add(rule);
        }
        m_task->GetMutexOfTeacherList().RebuildEachTeacherMap();

        // Subjects a class should not have on the same day; only a pair whose lessons fit on
        // separate days in every grade, or no timetable could keep the rule.
        for (const auto& pair : {std::pair{civics, "历史"}, std::pair{"地理", "生物"}}) {
            bool fits = true;
            for (std::size_t g = 0; g < m_grades.size(); ++g) {
                const CWeekCount sum = Weekly(Entry(pair.first), g) + Weekly(Entry(pair.second), g);
                fits = fits && sum.GetWholeCount() + (sum.HasHalfNode() ? 1 : 0) <= kDays;
            }
            if (!fits)
                continue;
            auto* rule = Add<CMutexSubject>(m_task->GetMutexSubjectList());
            rule->Reset({Entry(pair.first).subject->GetId(), Entry(pair.second).subject->GetId()});
        }
    }

    // Whether a morning away on the day leaves every plan the teacher takes part in days enough.
    bool MorningAwayFits(const std::string& teacherId, int day)
    {
        CZemObjectList& list = m_task->GetFixedTimeOfTeacherList();
        auto* before = static_cast<CFixedTimeOfTeacher*>(list.Find(teacherId));
        const std::string times = before ? before->GetAllFixedTime() : std::string();
        const CActivities activities = before ? before->GetActivities() : CActivities();
        AddFixedTime<CFixedTimeOfTeacher>(list, teacherId, Periods(day, 0, 0, kForenoon - 1), nullptr);
        bool fits = true;
        std::vector<CCourseInfo*> all;
        m_task->GetFullCourseList(all);
        std::vector<std::string> teachers;
        for (CCourseInfo* course : all) {
            teachers.clear();
            m_task->GetAllTeacherId(teachers, course, true);
            if (IsStringInArray(teachers, teacherId) && !HasDaysEnough(*m_task, course)) {
                fits = false;
                break;
            }
        }
        if (before) {
            before->ReadFixedTimeFromString(times);
            before->GetActivities() = activities;
        } else {
            list.Remove(teacherId);
        }
        return fits;
    }

    struct SubjectEntry {
        const SubjectDef* def = nullptr;
        CSubjectInfo* subject = nullptr;
        std::map<std::size_t, std::vector<CTeacherInfo*>> teachers;  // by grade
        std::map<const CClassInfo*, CTeacherInfo*> teacherOfClass;
        std::map<const CClassInfo*, CCourseInfo*> courseOfClass;
    };

    static CWeekCount Weekly(const SubjectEntry& entry, std::size_t grade) { return CWeekCount(entry.def->weekly[grade]); }
    static bool Taught(const SubjectEntry& entry, std::size_t grade) { return !Weekly(entry, grade).IsEmpty(); }

    SubjectEntry& Entry(const std::string& name)
    {
        for (SubjectEntry& entry : m_subjects)
            if (name == entry.def->name)
                return entry;
        throw std::logic_error("no subject " + name);
    }

private:
    const Shape& m_shape;
    const bool m_tight;
    std::mt19937 m_rng;
    const std::vector<std::string> m_surnames;
    const std::vector<std::string> m_given;
    std::unique_ptr<CScheduleTask> m_task;
    std::vector<SubjectEntry> m_subjects;
    std::vector<Grade> m_grades;
    std::set<std::string> m_teacherNames;
    std::size_t m_teacherCount = 0;
};

}  // namespace

int FillTimetables(CScheduleTask& task)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    std::vector<tagTABLE_NODE> slots;
    ForEachSlot(week, {.lastSegment = 2}, [&](const tagTABLE_NODE& node) {
        if (week.IsValid(node))
            slots.push_back(node);
    });

    // What is placed together: the plans of a combined class, or an odd-week plan and its partner.
    struct Member {
        CCourseInfo* course;
        int oddEven;
    };
    std::map<std::string, std::string> evenOfOdd;
    std::set<std::string> evens;
    for (const auto& [id, object] : task.GetOETeamList()) {
        const auto* team = static_cast<const COETeam*>(object);
        evenOfOdd[team->GetOdd()] = team->GetEven();
        evens.insert(team->GetEven());
    }
    auto free = [&](const Member& member, const tagTABLE_NODE& node) {
        const int half = member.oddEven == 2 ? 2 : 1;
        for (const std::string& id : {member.course->GetClassId(), member.course->GetTeacherId()}) {
            CZemTableObject* owner = task.GetClass(id);
            if (!owner)
                owner = task.GetTeacher(id);
            if (owner && (owner->GetTable(false).IsFullUsed(node) ||
                          !owner->GetTable(false).GetNode(node).data(half).GetCourseId().empty()))
                return false;
        }
        return true;
    };

    int placed = 0;
    auto place = [&](const std::vector<Member>& group, const tagTABLE_NODE& node) {
        for (const Member& member : group)
            task.SetCourseNode(member.course, member.course->GetSpecialRoomId(), false, node, member.oddEven);
        placed += static_cast<int>(group.size());
    };

    std::set<std::string> presetCourses;
    for (const CCoursePreset* preset : ObjectsInOrder<CCoursePreset>(task.GetCoursePresetList()))
        if (CCourseInfo* course = task.FindCourse(preset->GetId())) {
            presetCourses.insert(course->GetId());
            for (const tagTABLE_NODE& node : preset->GetNodeList())
                place({{course, 0}}, node);
        }

    std::set<const CCombineClass*> done;
    std::size_t start = 0;
    for (CCourseInfo* course : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList())) {
        if (presetCourses.count(course->GetId()) || evens.count(course->GetId()))
            continue;
        std::vector<Member> group;
        if (const CCombineClass* cc = task.GetCC(course->GetId())) {
            if (!done.insert(cc).second)
                continue;
            for (const std::string& id : cc->GetCombineCourse())
                if (CCourseInfo* member = task.FindCourse(id))
                    group.push_back({member, 0});
        } else if (auto even = evenOfOdd.find(course->GetId()); even != evenOfOdd.end()) {
            group.push_back({course, 1});
            if (CCourseInfo* partner = task.FindCourse(even->second))
                group.push_back({partner, 2});
        } else {
            group.push_back({course, 0});
        }
        const CWeekCount& count = course->GetWeekCount();
        const int lessons = count.GetWholeCount() + (count.HasHalfNode() ? 1 : 0);
        // Each plan starts a little further on and looks a day ahead for each lesson, so that the
        // days fill evenly.
        const std::size_t day = slots.size() / std::max(1, week.GetWeekDayCount());
        start += 7;
        for (int lesson = 0; lesson < lessons; ++lesson) {
            for (std::size_t i = 0; i < slots.size(); ++i) {
                const tagTABLE_NODE& node = slots[(start + static_cast<std::size_t>(lesson) * day + i) % slots.size()];
                if (std::all_of(group.begin(), group.end(), [&](const Member& m) { return free(m, node); })) {
                    place(group, node);
                    break;
                }
            }
        }
    }
    return placed;
}

const std::vector<std::string>& SchoolSizes()
{
    static const std::vector<std::string> sizes = [] {
        std::vector<std::string> names;
        for (const Shape& shape : kShapes)
            names.emplace_back(shape.name);
        return names;
    }();
    return sizes;
}

const std::vector<std::string>& SchoolVariants()
{
    static const std::vector<std::string> variants = {"normal", "tight"};
    return variants;
}

std::unique_ptr<CScheduleTask> GenerateSchool(const SchoolOptions& options, std::string* error)
{
    const Shape* shape = FindShape(options.size);
    if (!shape || (options.variant != "normal" && options.variant != "tight")) {
        if (error)
            *error = shape ? "unknown variant: " + options.variant : "unknown size: " + options.size;
        return nullptr;
    }
    return Builder(*shape, options.variant == "tight", options.seed).Build();
}

bool WriteTaskFolder(CScheduleTask& task, const std::string& folder, const std::string& name,
                     const std::string& description, std::string* error)
{
    if (!zem::MakeFolder(folder, error))
        return false;
    CTaskInfo& info = task.GetTaskInfo();
    info.SetTaskFolder(folder);
    info.SetTaskName(name);
    info.SetTaskAuthor("教务处");
    // A fixed date keeps the task file the same from run to run.
    info.SetCreateDate("2024-09-01 08:00:00");
    info.SetDescription(description);
    if (!info.WriteToFile()) {
        if (error)
            *error = "cannot write the task file " + info.GetTaskFile();
        return false;
    }
    // Saving backs up the task as it was on disk; a new task has no past worth keeping, so
    // the backup traces the save leaves in a new folder go again.
    const std::string backupFolder = info.GetTaskFolder() + "Backup";
    const std::string backupList = info.GetTaskFolder() + "backup.ini";
    const bool hadBackups = zem::FolderExists(backupFolder) || zem::FileExists(backupList);
    const bool saved = task.SaveInputData();
    if (!hadBackups) {
        zem::RemoveFolder(backupFolder);
        zem::RemoveFile(backupList);
    }
    if (!saved && error)
        *error = "cannot write " + info.GetInputFilePath();
    return saved;
}

std::vector<std::string> CheckSchool(CScheduleTask& task)
{
    std::vector<std::string> faults;
    const CSchoolStructure& week = task.GetSchoolStructure();
    const int available[3] = {week.GetWeekNodeCount(), week.GetWeekNodeCountOfReading(),
                              week.GetWeekNodeCountOfSelfStudy()};

    // Every plan names a class, a subject and a teacher that exist.
    std::vector<CCourseInfo*> all;
    task.GetFullCourseList(all);
    for (const CCourseInfo* course : all)
        if (!task.GetClass(course->GetClassId()) || !task.GetSubject(course->GetSubjectId()) ||
            !task.GetTeacher(course->GetTeacherId()))
            faults.push_back("incomplete plan " + course->GetId());

    // Hours per class, teacher and room and kind; a combined class counts once for its teachers
    // and its room.
    std::map<std::pair<std::string, int>, double> classHours, teacherHours;
    std::map<std::string, double> roomHours;
    std::set<std::pair<const CCombineClass*, std::string>> teacherCounted;
    std::set<const CCombineClass*> roomCounted;
    for (const CCourseInfo* course : all) {
        const int kind = static_cast<int>(course->GetType());
        const double hours = Hours(course->GetWeekCount());
        classHours[{course->GetClassId(), kind}] += hours;
        const CCombineClass* cc = task.GetCC(course->GetId());
        if (!cc || teacherCounted.insert({cc, course->GetTeacherId()}).second)
            teacherHours[{course->GetTeacherId(), kind}] += hours;
        if (kind == COURSE_TYPE_PLAN && !course->GetSpecialRoomId().empty() && (!cc || roomCounted.insert(cc).second))
            roomHours[course->GetSpecialRoomId()] += hours;
    }
    for (const auto& [key, hours] : classHours)
        if (hours > available[key.second])
            faults.push_back(zem::Format("class %s kind %d: %.1f lessons > %d", task.GetClassNameA(key.first).c_str(),
                                         key.second, hours, available[key.second]));
    for (const auto& [key, hours] : teacherHours) {
        // Beyond the engine's check: the teacher's own and the groups' fixed times are taken off.
        int blocked = 0;
        if (key.second == COURSE_TYPE_PLAN) {
            std::set<int> slots;
            auto collect = [&](const CNodeListObject* fixed) {
                if (fixed)
                    for (const tagTABLE_NODE& node : fixed->GetNodeList())
                        if (node.segment < 3)
                            slots.insert(SlotOf(node));
            };
            collect(static_cast<CNodeListObject*>(task.GetFixedTimeOfTeacherList().Find(key.first)));
            for (const auto& [id, object] : task.GetTeacherGroupInfoList())
                if (static_cast<CTeacherGroupInfo*>(object)->FindTeacher(key.first))
                    collect(static_cast<CNodeListObject*>(task.GetFixedTimeOfTeacherGroupList().Find(id)));
            blocked = static_cast<int>(slots.size());
        }
        if (hours > available[key.second] - blocked)
            faults.push_back(zem::Format("teacher %s kind %d: %.1f lessons > %d", task.GetTeacherName(key.first).c_str(),
                                         key.second, hours, available[key.second] - blocked));
    }
    for (const auto& [id, hours] : roomHours) {
        const CRoomInfo* room = task.GetRoom(id);
        if (!room || hours > static_cast<double>(room->GetCapacity()) * available[0])
            faults.push_back(zem::Format("room %s: %.1f lessons", task.GetRoomName(id).c_str(), hours));
    }

    // Plans taught together share their room and their weekly count.
    for (const auto& [id, object] : task.GetCombineCourseList()) {
        const auto* cc = static_cast<const CCombineClass*>(object);
        const CCourseInfo* first = nullptr;
        for (const std::string& courseId : cc->GetCombineCourse()) {
            const CCourseInfo* course = task.FindCourse(courseId);
            if (!course)
                break;
            if (!first)
                first = course;
            else if (!zem::EqualsNoCase(course->GetRoomParam(), first->GetRoomParam()) ||
                     course->GetWeekCount() != first->GetWeekCount())
                faults.push_back("combined class " + id + " differs in room or count");
        }
    }

    // Presets lie on open lesson slots that no rule of the plan's teacher, groups, class,
    // subject or the plan itself closes, and never two of one class or teacher together.
    std::vector<std::pair<const CCoursePreset*, CCourseInfo*>> presets;
    for (const auto& [id, object] : task.GetCoursePresetList())
        if (CCourseInfo* course = task.FindCourse(id))
            presets.emplace_back(static_cast<const CCoursePreset*>(object), course);
    std::map<std::pair<std::string, int>, int> used;  // class or teacher id, slot
    for (const auto& [preset, course] : presets) {
        for (const tagTABLE_NODE& node : preset->GetNodeList()) {
            if (ClosedFor(task, course, node))
                faults.push_back("preset of " + course->GetId() + " on a closed slot");
            if (++used[{course->GetClassId(), SlotOf(node)}] > 1 || ++used[{course->GetTeacherId(), SlotOf(node)}] > 1)
                faults.push_back("presets meet at a slot: " + course->GetId());
        }
    }

    // Beyond the engine's check: every plan's fixed times leave it days enough for its lessons at
    // its most a day, or no timetable with even spreading can hold them.
    for (CCourseInfo* course : all) {
        int open = 0;
        int needed = 0;
        if (!HasDaysEnough(task, course, &open, &needed))
            faults.push_back(zem::Format("plan %s %s: %d days open, %d needed", course->GetId().c_str(),
                                         task.GetCourseDesc(course).c_str(), open, needed));
    }
    return faults;
}

}  // namespace zemgen
