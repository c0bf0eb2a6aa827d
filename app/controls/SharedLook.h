#pragma once
// What the dialog framework's controls draw with: the program's default dialog font and the
// bitmaps of the framework, drawn here in code under the ids the dialogs name them by.
#include "platform/Gdi.h"
#include "platform/gui/DC.h"
#include "platform/gui/Font.h"

#include <QImage>

// The default font of the program's dialogs and controls.
const zem::gui::Font& ControlDefaultFont();

// Bitmap ids of the framework.
enum : int {
    IDB_COURSE_PICKER = 155,     // a book: courses
    IDB_TEACHER_PICKER = 215,    // a person: teachers and teacher groups
    IDB_CLASS_PICKER = 225,      // a school desk with a blackboard: classes
    IDB_ROOM_PICKER = 229,       // a building: rooms
    IDB_HEADER_SKIN = 233,       // 5 x 23: the list header's background tile
    IDB_TEACHER_NO_LESSON = 318  // the person greyed, with a slash: a teacher without lessons
};

// The bitmap of the id; a null image for an id the framework does not draw.
QImage FrameworkBitmap(int id);

// Copies the bitmap in rows from the rectangle's top left, in steps of its size, while a tile's
// origin lies inside the rectangle; the last tiles are not clipped to it.
void DrawBitmapTiled(zem::gui::DC& dc, const zem::Rect& rect, const QImage& bitmap);
