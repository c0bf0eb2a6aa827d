#include "app/proctor/ProctorBitmaps.h"

#include "app/controls/Bitmaps.h"

QImage LoadProctorBitmap(int id)
{
    const int picture = id == IDB_PROCTOR_TEACHERS ? IDB_TEACHER_PICKER : id == IDB_EXAM_ROOMS ? IDB_CLASS_PICKER : 0;
    if (picture == 0)
        return {};
    return LoadBitmapResource(picture).scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
