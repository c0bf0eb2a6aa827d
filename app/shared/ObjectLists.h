#pragma once
// The task's classes, teachers, rooms and groups in the order the user gave them (each object's
// index), as every list, combo box and chooser shows them.
#include <memory>
#include <string>
#include <vector>

class CCourseInfo;
class CScheduleTask;
class CZemObject;
class CZemObjectList;

// Object kinds of the choosers.
enum { OBJECT_CLASS = 0, OBJECT_TEACHER = 1, OBJECT_ROOM = 2 };

// One line of a chooser: its text and the object it stands for (owned by the task).
struct CNamedObjectItem {
    std::string text;
    CZemObject* object = nullptr;
};

// Chooser lines; the list owns them.
using CStringPtrList = std::vector<std::unique_ptr<CNamedObjectItem>>;

// Empties `out`, then puts in every object of the list by index, ascending (ties by id, so that
// the order is the same in every run).
void MapToOrderedList(const CZemObjectList& map, std::vector<CZemObject*>& out);
// The open task's classes (kind 0), teachers (1) or rooms (2) in order; any other kind, or no open
// task, leaves `out` untouched.
void ListTaskObjects(int kind, std::vector<CZemObject*>& out);
// Appends a line for every object of the kind. With [Common] ShowTeacherByGroup on, teachers come
// group by group first ("group<separator>teacher"; a teacher of two groups under each), then the
// teachers of no group.
void BuildObjectList(int kind, CStringPtrList& out, char separator);
// A chooser line; an empty text takes the object's name.
std::unique_ptr<CNamedObjectItem> NewNamedObjectItem(CZemObject* object, const std::string& text);
// The id of the first object of the kind whose timetable holds a lesson, else of the first object;
// empty text without an open task or without objects.
std::string FindFirstScheduledObject(int kind);
// Adds (once each, ignoring case) the plan's class id and the class ids of the other plans of its
// combined class.
void CollectCombinedClassIds(std::vector<std::string>& out, const CCourseInfo* item, const CScheduleTask* task);
