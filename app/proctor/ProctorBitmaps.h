#pragma once
// The small icons of the proctoring windows: the pickers' pictures at the size of a list's icons.
#include <QImage>

enum {
    IDB_PROCTOR_TEACHERS = 395,  // 16 x 16: a teacher
    IDB_EXAM_ROOMS = 396,        // 16 x 16: an exam room
};

// The bitmap with that number, white where it is empty (the lists' mask colour); a null image for
// another number.
QImage LoadProctorBitmap(int id);
