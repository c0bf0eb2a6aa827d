// The texts the task shows: the record of a timetable cell, a plan's one-line description, a
// slot's name, a combined class's name, and the activities and closed slots of an object.
#include "base/ScheduleTask.h"

#include "base/CellLayouts.h"
#include "base/CellRecord.h"

#include "base/Utility.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

namespace {

using NodeData = CCourseTableNode::NodeData;

constexpr std::string_view kJoin = "，";

using Piece = zem::CellPiece;

// The two lines of a cell.
struct Lines {
    Piece line1 = Piece::None;
    Piece line2 = Piece::None;
    bool Uses(Piece piece) const { return line1 == piece || line2 == piece; }
};

bool IsKnownType(TABLE_TYPE type) { return type >= TABLE_CLASS && type <= TABLE_ROOM; }

Lines LayoutOf(TABLE_TYPE type, int layout)
{
    const zem::CellLayout* found = IsKnownType(type) ? zem::FindCellLayout(type, layout) : nullptr;
    return found ? Lines{found->line1, found->line2} : Lines{};
}

void AppendNumber(std::string& out, int value)
{
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

// The pieces of one lesson's two lines. Names are referenced, not copied; only the texts that
// the layout shows are looked up.
class LessonText {
public:
    // False when the lesson gets no text: its course, class, subject or teacher is missing, or
    // the subject filter leaves it out.
    bool Load(const CScheduleTask& task, const NodeData& data, TABLE_TYPE type, const CellInfoParam& param,
              Lines lines)
    {
        if (!IsKnownType(type))
            return false;
        CCourseInfo* course = task.FindCourse(data.GetCourseId());
        if (!course)
            return false;
        const CClassInfo* cls = task.GetClass(course->GetClassId());
        const CSubjectInfo* subject = task.GetSubject(course->GetSubjectId());
        if (!cls || !subject || !task.GetTeacher(course->GetTeacherId()))
            return false;
        if (!param.subjectFilter.empty() && !IsStringInArray(param.subjectFilter, course->GetSubjectId()))
            return false;

        m_type = type;
        const bool full = param.fullName;
        m_subject = full ? &subject->GetName() : &subject->GetShortName();
        const bool combo = lines.Uses(Piece::Combo);
        if (lines.Uses(Piece::Class) || lines.Uses(Piece::Head) || (combo && type == TABLE_TEACHER)) {
            if (const CCombineClass* combined = task.GetCC(course->GetId())) {
                m_combinedName = task.GetCCName(combined);
                m_class = &m_combinedName;
            } else {
                m_class = full ? &cls->GetName() : &cls->GetShortName();
            }
        }
        if (lines.Uses(Piece::Teacher) || (combo && type != TABLE_TEACHER))
            m_teacher = task.GetAllTeacherName(course, full, true);
        if (data.GetRoomHandle() != zem::kNoId) {
            if (const CRoomInfo* room = task.GetRoom(data.GetRoomId())) {
                m_room = full ? &room->GetName() : &room->GetShortName();
                const int index = data.GetRoomIndex();
                // A playground takes any number of classes; its places are not seats worth naming.
                if (param.showRoomSeat && room->IsComplex() && room->GetName() != "操场" && index >= 0 &&
                    index < static_cast<int>(room->GetCapacity()))
                    m_seat = index + 1;
            }
        }
        return true;
    }

    void Append(std::string& out, Piece piece) const
    {
        switch (piece) {
        case Piece::None:
            break;
        case Piece::Subject:
            out += *m_subject;
            break;
        case Piece::Teacher:
            out += m_teacher;
            break;
        case Piece::Class:
            out += *m_class;
            break;
        case Piece::Room:
            AppendRoom(out);
            break;
        case Piece::Head:
            if (m_seat > 0) {
                AppendNumber(out, m_seat);
                out += ": ";
            }
            out += *m_class;
            break;
        case Piece::Combo:
            AppendCombo(out);
            break;
        }
    }

private:
    bool HasRoomText() const { return m_seat > 0 || (m_room && !m_room->empty()); }

    void AppendRoom(std::string& out) const
    {
        if (m_room)
            out += *m_room;
        if (m_seat > 0) {
            out += ':';
            AppendNumber(out, m_seat);
        }
    }

    // Layouts 0 and 4 put two texts on one line.
    void AppendCombo(std::string& out) const
    {
        if (m_type == TABLE_ROOM) {
            out += m_teacher;
            out += '(';
            out += *m_subject;
            out += ')';
            return;
        }
        out += m_type == TABLE_CLASS ? m_teacher : *m_class;
        if (HasRoomText()) {
            out += '(';
            AppendRoom(out);
            out += ')';
        }
    }

    TABLE_TYPE m_type = TABLE_CLASS;
    const std::string* m_subject = nullptr;
    const std::string* m_class = nullptr;
    const std::string* m_room = nullptr;
    std::string m_combinedName;
    std::string m_teacher;
    int m_seat = 0;  // 1-based, 0 when not shown
};

// Adds a further lesson's line to the cell's line, which starts at `begin`.
void JoinLine(std::string& out, std::size_t begin, const std::string& line)
{
    if (line.empty())
        return;
    if (out.size() > begin)
        out += kJoin;
    out += line;
}

// The fixed-time entry's activity at the node; null when the entry does not mark the node.
const std::string* MarkedActivity(const CZemObjectList& list, const std::string& id, const tagTABLE_NODE& node)
{
    const auto* fixed = static_cast<const CFixedTimeOfObject*>(list.Find(id));
    if (!fixed || !fixed->IsFixedTime(node))
        return nullptr;
    return &fixed->GetActivities().GetActivity(node);
}

bool IsClosedBy(const CZemObjectList& list, const std::string& id, const tagTABLE_NODE& node)
{
    const std::string* activity = MarkedActivity(list, id, node);
    return activity && activity->empty();
}

}  // namespace

std::string CScheduleTask::GetCellInfo(const CCourseTableNode& cell, TABLE_TYPE type, const CellInfoParam& param) const
{
    const Lines lines = LayoutOf(type, param.layout);
    std::string record;
    record.reserve(64);

    // Appends the half's two fields; true when line 1 has text.
    auto appendHalf = [&](int half) {
        LessonText lesson;
        const bool hasText = lesson.Load(*this, cell.data(half), type, param, lines);
        std::vector<std::string> more;  // line 1 and line 2 of each further lesson
        if (type == TABLE_ROOM && cell.HasMoreData(half)) {
            std::vector<const NodeData*> further;
            GetMoreDataExceptCC(cell, half, further);
            for (const NodeData* data : further) {
                std::string line1, line2;
                GetCellCourseInfo(*data, type, param, line1, line2);
                more.push_back(std::move(line1));
                more.push_back(std::move(line2));
            }
        }
        const std::size_t begin1 = record.size();
        if (hasText)
            lesson.Append(record, lines.line1);
        for (std::size_t i = 0; i < more.size(); i += 2)
            JoinLine(record, begin1, more[i]);
        const bool line1HasText = record.size() > begin1;
        record += zem::kCellSeparator;
        const std::size_t begin2 = record.size();
        if (hasText)
            lesson.Append(record, lines.line2);
        for (std::size_t i = 1; i < more.size(); i += 2)
            JoinLine(record, begin2, more[i]);
        return line1HasText;
    };

    // The count, then each half's key and its two lines.
    record += cell.IsInterleave() ? '2' : '0';
    zem::AppendCellField(record, "1");
    record += zem::kCellSeparator;
    const bool oddHasText = appendHalf(1);
    if (!cell.IsInterleave()) {
        if (oddHasText)
            record[0] = '1';
        return record;
    }
    zem::AppendCellField(record, "2");
    record += zem::kCellSeparator;
    appendHalf(2);
    return record;
}

void CScheduleTask::GetCellCourseInfo(const CCourseTableNode::NodeData& data, TABLE_TYPE type,
                                      const CellInfoParam& param, std::string& line1, std::string& line2) const
{
    const Lines lines = LayoutOf(type, param.layout);
    LessonText lesson;
    if (!lesson.Load(*this, data, type, param, lines))
        return;
    line1.clear();
    line2.clear();
    lesson.Append(line1, lines.line1);
    lesson.Append(line2, lines.line2);
}

void CScheduleTask::GetMoreDataExceptCC(const CCourseTableNode& cell, int half,
                                        std::vector<const CCourseTableNode::NodeData*>& out) const
{
    const int which = half == 2 ? 2 : 1;
    // A combined class is one lesson: it is listed once, also when the half's own lesson is of it.
    std::vector<const CCombineClass*> listed;
    if (const CCombineClass* own = GetCC(cell.data(which).GetCourseId()))
        listed.push_back(own);
    for (const NodeData& data : cell.GetMoreVector(which)) {
        if (const CCombineClass* combined = GetCC(data.GetCourseId())) {
            if (std::find(listed.begin(), listed.end(), combined) != listed.end())
                continue;
            listed.push_back(combined);
        }
        out.push_back(&data);
    }
}

std::string CScheduleTask::GetCCName(const CCombineClass* combined) const
{
    if (!combined)
        return {};
    std::string name = "合班";
    const std::size_t bare = name.size();
    for (const std::string& courseId : combined->GetCombineCourse()) {
        const CCourseInfo* course = FindCourse(courseId);
        const CClassInfo* cls = course ? GetClass(course->GetClassId()) : nullptr;
        if (!cls)
            continue;
        if (name.size() > bare)
            name += '|';
        name += cls->GetShortName();
    }
    return name;
}

std::string CScheduleTask::GetCourseDesc(const CCourseInfo* course) const
{
    if (!course)
        return {};
    std::string text;
    if (course->GetType() == COURSE_TYPE_MORNING_READING || course->GetType() == COURSE_TYPE_SELF_STUDY) {
        text = GetActivityTypeName(course->GetType());
        text += "：";
    }
    text += GetClassNameA(course->GetClassId());
    text += ' ';
    text += GetSubjectName(course->GetSubjectId());
    text += '(';
    text += GetTeacherName(course->GetTeacherId());
    if (const CRoomInfo* room = GetRoom(course->GetSpecialRoomId())) {
        text += ' ';
        text += room->GetName();
    }
    text += ')';
    return text;
}

std::string CScheduleTask::GetCourseDesc(const std::string& courseId) const { return GetCourseDesc(FindCourse(courseId)); }

std::string CScheduleTask::GetTimeNodeDesc(const tagTABLE_NODE* node) const
{
    return GetTimeNodeText(node, m_schoolStructure.NamesWeeks());
}

std::string CScheduleTask::GetTimeNodeDesc(int day, int segment, int section) const
{
    const tagTABLE_NODE node{day, segment, section};
    return GetTimeNodeDesc(&node);
}

bool CScheduleTask::IsDisabledNode(const std::string& id, TABLE_TYPE type, tagTABLE_NODE node) const
{
    // A marked slot with an activity is not closed: it shows the activity instead.
    if (type == TABLE_CLASS && IsClosedBy(m_fixedClasses, id, node))
        return true;
    if (type == TABLE_TEACHER) {
        if (IsClosedBy(m_fixedTeachers, id, node))
            return true;
        for (const auto& [groupId, object] : m_teacherGroups) {
            const auto* group = static_cast<const CTeacherGroupInfo*>(object);
            if (IsStringInArray(group->GetTeacherArray(), id) && IsClosedBy(m_fixedTeacherGroups, groupId, node))
                return true;
        }
    }
    return m_schoolStructure.IsInvalid(node) && m_activities.GetActivity(node).empty();
}

bool CScheduleTask::IsTeacherFixedTime(const std::string& teacherId, tagTABLE_NODE node) const
{
    if (MarkedActivity(m_fixedTeachers, teacherId, node))
        return true;
    for (const auto& [groupId, object] : m_teacherGroups) {
        const auto* group = static_cast<const CTeacherGroupInfo*>(object);
        if (IsStringInArray(group->GetTeacherArray(), teacherId) && MarkedActivity(m_fixedTeacherGroups, groupId, node))
            return true;
    }
    return false;
}

std::string CScheduleTask::GetActivityInfo(const std::string& id, TABLE_TYPE type, tagTABLE_NODE node) const
{
    auto shown = [](const std::string* activity) { return activity && !activity->empty(); };
    if (type == TABLE_CLASS) {
        if (const std::string* activity = MarkedActivity(m_fixedClasses, id, node); shown(activity))
            return *activity;
    }
    if (type == TABLE_TEACHER) {
        if (const std::string* activity = MarkedActivity(m_fixedTeachers, id, node); shown(activity))
            return *activity;
        // Of the teacher's groups, the first in display order that names an activity here.
        const CZemObject* first = nullptr;
        const std::string* firstActivity = nullptr;
        for (const auto& [groupId, object] : m_teacherGroups) {
            const auto* group = static_cast<const CTeacherGroupInfo*>(object);
            if (first && group->GetIndex() >= first->GetIndex())
                continue;
            if (!IsStringInArray(group->GetTeacherArray(), id))
                continue;
            if (const std::string* activity = MarkedActivity(m_fixedTeacherGroups, groupId, node); shown(activity)) {
                first = group;
                firstActivity = activity;
            }
        }
        if (firstActivity)
            return *firstActivity;
    }
    if (m_schoolStructure.IsInvalid(node))
        return m_activities.GetActivity(node);
    return {};
}
