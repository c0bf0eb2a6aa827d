#pragma once
// The six cell layouts a user chooses for each timetable kind: what goes on a cell's two lines, and
// the names the print settings and the whole-school window give them. The screen's grids, print
// and the workbooks all build their cells through CScheduleTask::GetCellInfo, which reads this table.

namespace zem {

// What goes on one line of a cell. Head is the class with its seat in a shared room in front of it;
// Combo puts two texts on one line: a class's teacher (room), a teacher's class (room), a room's
// teacher (subject).
enum class CellPiece : unsigned char { None, Subject, Teacher, Class, Room, Head, Combo };

struct CellLayout {
    const char* name;      // as the print settings list it
    const char* menuName;  // as the whole-school window's menu lists it
    CellPiece line1, line2;
};

inline constexpr int kCellLayoutCount = 6;

// By timetable kind (class, teacher, room), layouts 0 to kCellLayoutCount - 1.
inline constexpr CellLayout kCellLayouts[3][kCellLayoutCount] = {
    {{"课程 + 教师教室", "显示课程名称 + 教师教室名称", CellPiece::Subject, CellPiece::Combo},
     {"课程 + 教师", "显示课程名称 + 教师名称", CellPiece::Subject, CellPiece::Teacher},
     {"课程 + 教室", "显示课程名称 + 教室名称", CellPiece::Subject, CellPiece::Room},
     {"只显示课程", "只显示课程名称", CellPiece::Subject, CellPiece::None},
     {"只显示教师教室", "只显示教师教室名称", CellPiece::Combo, CellPiece::None},
     {"只显示教师", "只显示教师名称", CellPiece::Teacher, CellPiece::None}},
    {{"课程 + 班级教室", "显示课程名称 + 班级教室名称", CellPiece::Subject, CellPiece::Combo},
     {"课程 + 班级", "显示课程名称 + 班级名称", CellPiece::Subject, CellPiece::Class},
     {"课程 + 教室", "显示课程名称 + 教室名称", CellPiece::Subject, CellPiece::Room},
     {"只显示课程", "只显示课程名称", CellPiece::Subject, CellPiece::None},
     {"只显示班级教室", "只显示班级教室名称", CellPiece::Combo, CellPiece::None},
     {"只显示班级", "只显示班级名称", CellPiece::Class, CellPiece::None}},
    {{"班级 + 教师课程", "显示班级名称 + 教师课程名称", CellPiece::Head, CellPiece::Combo},
     {"班级 + 教师", "显示班级名称 + 教师名称", CellPiece::Head, CellPiece::Teacher},
     {"班级 + 课程", "显示班级名称 + 课程名称", CellPiece::Head, CellPiece::Subject},
     {"只显示班级", "只显示班级名称", CellPiece::Head, CellPiece::None},
     {"只显示教师课程", "只显示教师课程名称", CellPiece::Combo, CellPiece::None},
     {"只显示教师", "只显示教师名称", CellPiece::Teacher, CellPiece::None}},
};

// The layout of a timetable kind (0 class, 1 teacher, 2 room); null outside the table.
constexpr const CellLayout* FindCellLayout(int kind, int layout)
{
    if (kind < 0 || kind > 2 || layout < 0 || layout >= kCellLayoutCount)
        return nullptr;
    return &kCellLayouts[kind][layout];
}

}  // namespace zem
