#pragma once
// Splitting teaching plans: N placed lessons of a plan become lessons of another course for the
// same class and teacher. They join the plan of that class, teacher and course when there is one,
// else a new plan; the weekly counts move with them.
#include "app/shared/AdjustmentHistory.h"
#include "base/ScheduleTask.h"

#include <map>
#include <random>
#include <string>
#include <vector>

// Which placed lessons a split takes.
enum SplitPosition { kSplitRandom = 0, kSplitEarliest = 1, kSplitLatest = 2 };

// Every plan of the task under "class#teacher#course"; the first plan of a key is kept.
using CPlanKeyIndex = std::map<std::string, CCourseInfo*>;
std::string MakePlanKey(const std::string& classId, const std::string& teacherId, const std::string& courseId);
CPlanKeyIndex BuildPlanKeyIndex(const CScheduleTask& task);

// Why the plan may not be split into `count` lessons of the course; empty text when it may.
std::string CheckSplit(const CScheduleTask& task, const CPlanKeyIndex& index, const CCourseInfo& plan, int count,
                       const std::string& newCourseId);

// The slots of the plan's placed whole-week lessons that a split of `count` takes, at most as many
// as are placed: random ones, or the first or last in week order. Pre-arranged lessons and slots
// closed to the new course or to the target plan are taken only when no others are left.
std::vector<tagTABLE_NODE> PickSplitLessons(const CScheduleTask& task, const CCourseInfo& plan, int count,
                                            int position, std::mt19937& random, const std::string& newCourseId = {},
                                            const CCourseInfo* target = nullptr);

struct CSplitRequest {
    std::vector<CCourseInfo*> plans;
    int count = 1;
    std::string newCourseId;
    int position = kSplitRandom;
};

struct CSplitResult {
    int splitPlans = 0;   // plans split
    int movedLessons = 0; // placed lessons that changed course
    bool saved = false;   // both data files written
};

// Backs the task up, then splits every plan of the request that CheckSplit allows and writes the
// task's data files. New plans join the index; each split adds an entry to `entries`. Nothing is
// changed when the backup fails; a failed save has said why and leaves the split in memory. A
// split that breaks a rule the task kept (a lesson of the new course on a time closed to it, a
// limit passed) is undone whole, plans, tables and index as before, and refused with the rules it
// would break; the result then counts nothing.
CSplitResult SplitPlans(CScheduleTask& task, CPlanKeyIndex& index, const CSplitRequest& request,
                        std::mt19937& random, CAdjustmentEntryList& entries);
