#pragma once
// A font as the user's settings keep it, and the pair of fonts of a timetable.
#include <string>

struct CFontSpec {
    std::string faceName;
    int size = 0;  // points
    bool bold = false;
    bool italic = false;
};

struct CTableFontPair {
    CFontSpec main;
    CFontSpec second;
    bool facePending = false;  // the face waits for the font scan
};
