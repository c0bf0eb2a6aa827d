#pragma once
// The rows of an invigilation arrangement as the proctoring page and its workbook show them: by
// exam (one row per item), by teacher (one row per item of each teacher) and by exam room (the
// rooms in the order of their first item, each with all its items). Rows are grouped: the items
// of one exam, of one teacher or of one room.
#include "base/ScheduleProctor.h"

#include <array>
#include <string>
#include <vector>

class CScheduleTask;

enum InvigilationView { kViewByPlan = 0, kViewByTeacher = 1, kViewByRoom = 2 };

struct CInvigilationRow {
    std::array<std::string, 4> cells;
    const CProctorData::ProctorItem* item = nullptr;
    int group = 0;  // counts from 0
};

// The four headings of a view, in the order of its cells.
std::array<const char*, 4> InvigilationHeadings(int view);

// The rows of a view. Items whose exam is not in the plan list are left out, and so are the ids of
// the teacher list that name no teacher of the task. Dates without the year when hideYear is set;
// teacher names tagged as task.ini [Proctor] ShowTeacherTag says.
std::vector<CInvigilationRow> BuildInvigilationRows(int view, const CProctorData& data, const CScheduleTask* task,
                                                    bool hideYear);
