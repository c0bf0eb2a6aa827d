#pragma once
// Display texts many dialogs share: cell records of timetable cells and their tip form, subject and
// plan descriptions, joined name lists, exam times and the teacher tags of invigilation tables.
// Functions that take no task use the open one; without an open task they give empty text.
#include "app/taskhelper/WeekGridCells.h"  // FormatOddEvenCell, the tip text of a cell record
#include "base/ScheduleProctor.h"

#include <string>
#include <vector>

class CCourseInfo;
class CCombineClass;
class CCourseTable;
class CSchoolStructure;
class CScheduleTask;
class CZemObjectList;

// Cell records, fields separated by the character 7: a whole-week cell and an odd/even cell.
std::string MakeCellKey(const std::string& first, const std::string& second);
std::string MakeOddEvenCellKey(const std::string& oddFirst, const std::string& oddSecond, const std::string& evenFirst,
                               const std::string& evenSecond);

// The remembered subject selection: "语文等5门" for more than three, else the names one after
// another; "全部" when that is empty (nothing, or every subject, chosen) and showAll is set.
std::string DescribeSubjects(bool showAll);
// "name(语文数学)" with the subject selection; the name alone without one.
std::string AppendSubjectScope(const std::string& name);
// The plan's description, " 合班" for a combined class, " 等N门课程" for more than one plan.
std::string DescribeCourses(const CCourseInfo* item, int count);
// The class names of the combined class's plans, joined with ",".
std::string DescribeClassesOfCourse(const CScheduleTask* task, const CCombineClass* combined);
std::string JoinTeacherNames(const std::vector<std::string>& teacherIds, const CScheduleTask* task = nullptr);
std::string JoinSubjectNames(const std::vector<std::string>& subjectIds, const CScheduleTask* task = nullptr);
// The class's name, else the room's.
std::string GetClassOrRoomName(const CScheduleTask* task, const std::string& id);
std::string JoinClassOrRoomNames(const CScheduleTask* task, const std::vector<std::string>& ids);

// The task.ini settings of the invigilation views: [Proctor] ShowTeacherTag and HideYear (0 or 1).
inline constexpr const char* kProctorSection = "Proctor";
inline constexpr const char* kShowTeacherTagKey = "ShowTeacherTag";
inline constexpr const char* kHideYearKey = "HideYear";

// "06月05日 08:30-10:00" (short) or "2024年06月05日 08:30-10:00".
std::string FormatTimeRange(const CProctorData::Plan& exam, bool shortDate);
// The teacher's name, with "(科班)" when task.ini [Proctor] ShowTeacherTag is set: "科" when the
// teacher teaches the exam's subject, "班" when the teacher teaches the class.
std::string FormatTeacherTag(const std::string& teacherId, const std::string& examSubjectId, const std::string& classId,
                             const CProctorData* data);
std::string JoinTeacherTags(const std::vector<std::string>& teacherIds, const std::string& examSubjectId,
                            const std::string& classId, const CProctorData* data);
// True when both exams are on one date and their times overlap (touching ends do not).
bool ExamTimesOverlap(const CProctorData::Plan* a, const CProctorData::Plan* b);

// "没有可用的班级！..." for a kind of object the task has none of.
std::string FormatNoDataMessage(const std::string& kindName);
// Whether the list holds an object; when it holds none, says FormatNoDataMessage's text.
bool HasObjectsOrSay(const CZemObjectList& list, const std::string& kindName);
// -1 when a table is missing; 1 when a slot of the week differs; else 0.
int TablesDiffer(const CSchoolStructure& structure, const CCourseTable* a, const CCourseTable* b);
