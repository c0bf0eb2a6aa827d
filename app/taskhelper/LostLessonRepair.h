#pragma once
// The repair after a run's last try: lessons the best try still lost are placed by moving other
// lessons out of the way, those of their class and those their teachers give in other classes,
// each moved lesson placed again the same way, to a bounded depth and a bounded number of tries.
class CAutoRange;
class CTaskHelper;

struct LostLessonRepairBounds {
    int depth = 3;              // how many times a moved lesson may move others in turn
    int triesPerLesson = 6000;  // placements tried for one lost lesson
    int tries = 30000;          // placements tried for all of them
};

// Places what it can of the whole lessons in the report's temporary list of lost lessons and takes
// them off the list; returns how many it placed. Every placement passes the helper's checks, the
// plans' daily maximum holds, and a block of consecutive lessons moves as one to a day its plan does
// not use. Lessons of presets, of half weeks and outside the range never move. It stops within one
// try once the helper's stop flag is up.
int RepairLostLessons(CTaskHelper& helper, const CAutoRange* range, const LostLessonRepairBounds& bounds = {});
