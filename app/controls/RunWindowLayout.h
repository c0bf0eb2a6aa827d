#pragma once
// The look the windows of long automatic runs share (the scheduling run and the assignment of
// invigilators): floating words over a dark area, a status line, a bar from 0 to 100 and Cancel,
// in a window of 379 x 131 dialog units on the light grey of the dialogs.
#include "platform/Gdi.h"

class CFloatingWordsAnimation;
class QLabel;
class QProgressBar;
class QWidget;

namespace zem::gui {
class Dialog;
}

constexpr zem::Size kRunWindowSize{379, 131};

struct CRunWindowControls {
    zem::Rect animation;  // where the words float, in the window's pixels
    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
};

// Builds the status line (control 1023, empty), the bar (control 1021) and Cancel (control 2).
CRunWindowControls BuildRunWindow(zem::gui::Dialog* dialog);
// Paints the window off-screen: the grey, then the words.
void PaintRunWindow(QWidget* window, const CFloatingWordsAnimation& animation);
