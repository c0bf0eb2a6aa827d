#pragma once
// The program's bitmap resources, drawn in code and looked up by their resource number.
#include <QImage>

// Bitmaps of the shared drawing resources.
enum {
    IDB_PANEL_LEFT = 131,     // page panel: left border strip
    IDB_PANEL_RIGHT = 132,    // page panel: right border strip
    IDB_PANEL_BOTTOM = 133,   // page panel: bottom border strip
    IDB_HEADER_BACK = 134,    // page header background
    IDB_TAB_LEFT = 135,       // page tab, normal: left cap, middle, right cap
    IDB_TAB_MIDDLE = 136,
    IDB_TAB_RIGHT = 137,
    IDB_TAB_SEL_LEFT = 138,   // page tab, selected
    IDB_TAB_SEL_MIDDLE = 139,
    IDB_TAB_SEL_RIGHT = 140,
    IDB_TABSTRIP_BACK = 142,  // tab strip background
    IDB_PICKER_BUTTON = 143,  // the face of the small picker buttons beside a list
    IDB_TOOLBAR_MIDDLE = 144, // main tool bar: tiled middle, left and right cap
    IDB_TOOLBAR_LEFT = 145,
    IDB_TOOLBAR_RIGHT = 146,
    IDB_LIST_HEADER = 293,    // skin of list headers
};

// Bitmaps of the dialog framework.
enum {
    IDB_COURSE_PICKER = 155,     // an open book: courses
    IDB_TEACHER_PICKER = 215,    // head and shoulders: teachers and teacher groups
    IDB_CLASS_PICKER = 225,      // a blackboard over a desk: classes
    IDB_ROOM_PICKER = 229,       // a school building: rooms
    IDB_HEADER_SKIN = 233,       // 5 x 23: the tile of the skinned list header
    IDB_TEACHER_NO_LESSON = 318, // the person greyed and struck out: a teacher without lessons
};

using BitmapFactory = QImage (*)();

// The bitmap with that number; a null image when the program has none.
QImage LoadBitmapResource(int id);
// Adds a bitmap (windows built later bring their own); a number already taken is replaced.
void RegisterBitmapResource(int id, BitmapFactory factory);
