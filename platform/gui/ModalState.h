#pragma once
// What runs modally now, for windows that offer something by themselves and must not open it over
// a window the user is working in.
class QWidget;

namespace zem::gui {

// Whether a modal window other than `window` and the windows holding it runs now: a dialog in
// DoModal (with or without the modal hook) or any other modal window (a message box, a file chooser).
bool OtherModalOpen(const QWidget* window);

}  // namespace zem::gui
