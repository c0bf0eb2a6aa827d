#pragma once
// A task's plans and class timetables as lines of names, the way a workbook carries them: what an
// export and an import back must keep.
#include "app/shared/Vocabulary.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Each plan as one line of names and numbers, sorted; names as an import brings them.
inline std::vector<std::string> PlanLines(const CScheduleTask& task, bool ordinary)
{
    auto name = [](std::string text) {
        NormalizeName(text);
        return text;
    };
    std::vector<std::string> lines;
    for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(ordinary ? task.GetCourseInfoList() : task.GetSelfStudyInfoList())) {
        const std::string& room = plan->GetSpecialRoomId();
        lines.push_back(name(task.GetClassNameA(plan->GetClassId())) + "|" + name(task.GetSubjectName(plan->GetSubjectId())) +
                        "|" + name(task.GetTeacherName(plan->GetTeacherId())) + "|" + std::to_string(plan->GetType()) + "|" +
                        std::to_string(plan->IsMainCourse()) + "|" + plan->GetWeekCount().ToString() + "|" +
                        std::to_string(plan->GetContinuousNodes()) + "|" + std::to_string(plan->GetContinuousTimes()) + "|" +
                        (room.empty() ? "" : name(task.GetRoomName(room))));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Each class's lessons, by name, slot and week part, as the master timetable shows them, with their
// kinds; slots
// holding an activity (no lesson) are left out, as a sheet cannot tell them from a lesson.
inline std::map<std::string, std::string> ClassLessons(CScheduleTask& task, bool temp)
{
    std::map<std::string, std::string> lessons;
    const CSchoolStructure& week = task.GetSchoolStructure();
    for (const auto& [id, object] : task.GetClassInfoList()) {
        auto* cls = static_cast<CClassInfo*>(object);
        const CCourseTable& table = cls->GetTable(temp);
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section) {
                    if (!week.IsDayInUse(day) || !table.IsUsed(day, segment, section))
                        continue;
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    for (int half : {1, 2}) {
                        const CCourseInfo* plan = task.FindCourse(cell.data(half).GetCourseId());
                        if (!plan || (half == 2 && !cell.IsInterleave()))
                            continue;
                        std::string text = task.GetSubject(plan->GetSubjectId())->GetShortName();
                        if (text.empty())
                            text = task.GetSubject(plan->GetSubjectId())->GetName();
                        text += "/" + task.GetAllTeacherName(const_cast<CCourseInfo*>(plan), false, true);
                        if (const CRoomInfo* room = task.GetRoom(cell.data(half).GetRoomId()))
                            text += "/" + (room->GetShortName().empty() ? room->GetName() : room->GetShortName());
                        // Its kind: a lesson, morning reading or evening self-study.
                        text += "/" + std::to_string(plan->GetType());
                        // A cell keeps no blanks: "张三 李四" (a teacher and an assistant) reads "张三李四".
                        lessons[cls->GetName() + zem::Format(" %d-%d-%d:%d", day, segment, section, half)] =
                            zem::ReplaceAll(text, " ", "");
                    }
                }
    }
    return lessons;
}
