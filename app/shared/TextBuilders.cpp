#include "app/shared/TextBuilders.h"

#include "app/shared/AppServices.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "base/Utility.h"
#include "platform/Text.h"

namespace {

const CScheduleTask* TaskOr(const CScheduleTask* task)
{
    return task ? task : AppServices().GetTask();
}

// Joins with the separator before every element after the first non-empty text, so leading empty
// texts leave no separator and a later one leaves two in a row.
template <class TextOf>
std::string Join(const std::vector<std::string>& ids, const char* separator, TextOf textOf)
{
    std::string joined;
    for (const std::string& id : ids) {
        if (!joined.empty())
            joined += separator;
        joined += textOf(id);
    }
    return joined;
}

std::string FormatDate(const CProctorData::DateTime& date, bool shortDate)
{
    if (shortDate)
        return zem::Format("%02d月%02d日", date.month, date.day);
    return zem::Format("%04d年%02d月%02d日", date.year, date.month, date.day);
}

int SecondsOfDay(const CProctorData::DateTime& time)
{
    return time.hour * 3600 + time.minute * 60 + time.second;
}

}  // namespace

std::string MakeCellKey(const std::string& first, const std::string& second)
{
    return MakeCellText(first, second);
}

std::string MakeOddEvenCellKey(const std::string& oddFirst, const std::string& oddSecond, const std::string& evenFirst,
                               const std::string& evenSecond)
{
    return MakeCellTextEx(oddFirst, oddSecond, evenFirst, evenSecond);
}

std::string DescribeSubjects(bool showAll)
{
    std::string text;
    if (const CScheduleTask* task = AppServices().GetTask()) {
        const std::vector<std::string> chosen = AppServices().GetSubjectSelection();
        const int count = static_cast<int>(chosen.size());
        if (count > 0 && count < task->GetSubjectInfoList().GetCount()) {
            if (count > 3) {
                text = zem::Format("%s等%d门", task->GetSubjectName(chosen[0]).c_str(), count);
            } else {
                for (const std::string& id : chosen)
                    text += task->GetSubjectName(id);
            }
        }
    }
    if (text.empty() && showAll)
        text = "全部";
    return text;
}

std::string AppendSubjectScope(const std::string& name)
{
    const std::string scope = zem::ReplaceAll(DescribeSubjects(false), "*", "");
    return scope.empty() ? name : name + "(" + scope + ")";
}

std::string DescribeCourses(const CCourseInfo* item, int count)
{
    const CScheduleTask* task = TaskOr(nullptr);
    if (!task || !item)
        return {};
    CTaskHelper helper(const_cast<CScheduleTask*>(task));
    std::string text = helper.GetCourseText(item, false);
    if (task->GetCC(item->GetId()))
        text += " 合班";
    if (count > 1)
        text += zem::Format(" 等%d门课程", count);
    return text;
}

std::string DescribeClassesOfCourse(const CScheduleTask* task, const CCombineClass* combined)
{
    task = TaskOr(task);
    if (!task || !combined)
        return {};
    std::vector<std::string> classIds;
    for (const std::string& planId : combined->GetCombineCourse())
        if (const CCourseInfo* plan = task->FindCourse(planId))
            classIds.push_back(plan->GetClassId());
    return Join(classIds, ",", [&](const std::string& id) { return task->GetClassNameA(id); });
}

std::string JoinTeacherNames(const std::vector<std::string>& teacherIds, const CScheduleTask* task)
{
    task = TaskOr(task);
    if (!task)
        return {};
    return Join(teacherIds, "，", [&](const std::string& id) { return task->GetTeacherName(id); });
}

std::string JoinSubjectNames(const std::vector<std::string>& subjectIds, const CScheduleTask* task)
{
    task = TaskOr(task);
    if (!task)
        return {};
    return Join(subjectIds, "，", [&](const std::string& id) { return task->GetSubjectName(id); });
}

std::string GetClassOrRoomName(const CScheduleTask* task, const std::string& id)
{
    task = TaskOr(task);
    if (!task)
        return {};
    std::string name = task->GetClassNameA(id);
    return name.empty() ? task->GetRoomName(id) : name;
}

std::string JoinClassOrRoomNames(const CScheduleTask* task, const std::vector<std::string>& ids)
{
    task = TaskOr(task);
    if (!task)
        return {};
    return Join(ids, ",", [&](const std::string& id) { return GetClassOrRoomName(task, id); });
}

std::string FormatTimeRange(const CProctorData::Plan& exam, bool shortDate)
{
    return zem::Format("%s %02d:%02d-%02d:%02d", FormatDate(exam.date, shortDate).c_str(), exam.startTime.hour,
                       exam.startTime.minute, exam.endTime.hour, exam.endTime.minute);
}

std::string FormatTeacherTag(const std::string& teacherId, const std::string& examSubjectId, const std::string& classId,
                             const CProctorData* data)
{
    const CScheduleTask* task = TaskOr(nullptr);
    if (!task)
        return {};
    std::string text = task->GetTeacherName(teacherId);
    if (!data || task->GetConfigInt(kProctorSection, kShowTeacherTagKey, 0) == 0)
        return text;
    const auto found = data->GetTeacherInfoMap().find(teacherId);
    if (found == data->GetTeacherInfoMap().end())
        return text;
    std::string tag;
    if (StringArrayContainsNoCase(found->second.subjects, examSubjectId))
        tag += "科";
    if (StringArrayContainsNoCase(found->second.classes, classId))
        tag += "班";
    if (!tag.empty())
        text += "(" + tag + ")";
    return text;
}

std::string JoinTeacherTags(const std::vector<std::string>& teacherIds, const std::string& examSubjectId,
                            const std::string& classId, const CProctorData* data)
{
    return Join(teacherIds, "，",
                [&](const std::string& id) { return FormatTeacherTag(id, examSubjectId, classId, data); });
}

bool ExamTimesOverlap(const CProctorData::Plan* a, const CProctorData::Plan* b)
{
    if (!a || !b)
        return false;
    if (a->date.year != b->date.year || a->date.month != b->date.month || a->date.day != b->date.day)
        return false;
    const int aBegin = SecondsOfDay(a->startTime), aEnd = SecondsOfDay(a->endTime);
    const int bBegin = SecondsOfDay(b->startTime), bEnd = SecondsOfDay(b->endTime);
    if (aBegin == bBegin && aEnd == bEnd)
        return true;
    auto inside = [](int t, int begin, int end) { return t > begin && t < end; };
    return inside(aBegin, bBegin, bEnd) || inside(aEnd, bBegin, bEnd) || inside(bBegin, aBegin, aEnd) ||
           inside(bEnd, aBegin, aEnd);
}

std::string FormatNoDataMessage(const std::string& kindName)
{
    return zem::Format("没有可用的%s！\n\n您可以在排课软件主窗口“2 基本数据维护”中添加%s", kindName.c_str(),
                       kindName.c_str());
}

bool HasObjectsOrSay(const CZemObjectList& list, const std::string& kindName)
{
    if (list.GetCount() > 0)
        return true;
    ShowMessage(FormatNoDataMessage(kindName));
    return false;
}

int TablesDiffer(const CSchoolStructure& structure, const CCourseTable* a, const CCourseTable* b)
{
    if (!a || !b)
        return -1;
    return ForEachSlot(structure, [&](const tagTABLE_NODE& node) { return a->GetNode(node) != b->GetNode(node); })
               ? 1
               : 0;
}
