#pragma once
// The pictures of the basic-data dialogs, drawn in code.
enum {
    IDB_CLASS_INFO = 402,    // a classroom: blackboard and desks
    IDB_TEACHER_INFO = 403,  // a teacher at the lectern
    IDB_SUBJECT_INFO = 404,  // a stack of books
    IDB_ROOM_INFO = 405,     // a school building with its sports ground
};

// Adds the pictures to the program's bitmaps; safe to call more than once.
void RegisterDataBitmaps();
