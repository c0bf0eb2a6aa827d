#pragma once
// The sliding picture of a cell during a move: a child window that shows what the parent showed
// at its start and glides to its destination.
#include "platform/Gdi.h"

#include <cstdint>

#include <QImage>
#include <QTimer>
#include <QWidget>

class CCellStatic : public QWidget {
public:
    static constexpr int kSlideMs = 600;     // any distance takes this long
    static constexpr int kMaxSlideMs = 2000;  // and never longer than this

    explicit CCellStatic(QWidget* parent);
    ~CCellStatic() override;

    // Captures the parent's picture at `from`, shows it there and starts sliding it to `to`; equal
    // rectangles are done at once. Time comes from the animation clock of the desktop hooks.
    void Move(const zem::Rect& from, const zem::Rect& to);
    // Non-zero when the slide has finished.
    int WaitForMoveComplete() const { return m_done; }
    // Stops the slide and deletes this window.
    void Close();

    // Slides the picture at b to a and the picture at a to b at once and returns when both arrived,
    // serving the event loop meanwhile. `running`, when given, is true for the duration. Returns at
    // once if the parent is destroyed meanwhile (then `running` is left alone).
    static void MoveCell(const zem::Rect& a, const zem::Rect& b, QWidget* parent, bool* running = nullptr);

    // Moves the picture to where the animation clock says it is now, or ends the slide. The frame
    // timer calls it; a test may too.
    void Step();

protected:
    void SaveParentFace();
    void paintEvent(QPaintEvent* event) override;

private:
    int m_done = 1;
    zem::Rect m_from;
    zem::Rect m_to;
    QImage m_face;
    QTimer m_timer;
    std::int64_t m_start = 0;
};
