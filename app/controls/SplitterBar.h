#pragma once
// Bars that share a dialog's space between the panes on their two sides: a static control of the
// dialog becomes a bar that the user drags (CSplitterBar left and right, CSplitterBarH up and down).
// When a drag ends away from where it started, the bar moves there and tells the dialog with
// WM_SPLITTER_MOVED; the dialog then lays its panes out around the bar.
#include "platform/MessageTarget.h"
#include "platform/Gdi.h"
#include "platform/WindowMessages.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace zem::gui {
class Dialog;
}

class CSplitterBarBase : public QObject {
public:
    ~CSplitterBarBase() override;

    // Makes the dialog's control `controlId` the bar; false when the dialog has no such control.
    bool Attach(zem::gui::Dialog* dialog, int controlId);
    // The same for any window: `bar` is a child of `dialog`, and `notify` receives the message.
    bool Attach(QWidget* dialog, QWidget* bar, zem::MessageTarget* notify, int controlId);
    // How close the bar may come to the dialog's left or top edge (first) and right or bottom edge.
    void SetRange(int firstMargin, int secondMargin);

    int GetFirstMargin() const { return m_firstMargin; }
    int GetSecondMargin() const { return m_secondMargin; }
    bool IsDragging() const { return m_dragging; }
    // Where the drag's ghost stands now, in the dialog's client coordinates.
    zem::Rect GetGhostRect() const;

protected:
    explicit CSplitterBarBase(bool horizontal) : m_horizontal(horizontal) {}
    // Called once a control has become the bar.
    virtual void OnAttached() {}
    bool eventFilter(QObject* watched, QEvent* event) override;

    int m_firstMargin = 0;
    int m_secondMargin = 0;

private:
    void StartDrag(QPoint at);
    void MoveGhost(QPoint at);
    // Ends the drag at the last position shown; commit moves the bar and tells the dialog.
    void EndDrag(bool commit);
    int Along(QPoint p) const { return m_horizontal ? p.x() : p.y(); }

    const bool m_horizontal;  // dragged left and right
    QPointer<QWidget> m_dialog;
    QPointer<QWidget> m_bar;
    zem::MessageTarget* m_notify = nullptr;
    int m_controlId = 0;

    bool m_dragging = false;
    int m_start = 0;      // where the drag started, along the axis, in the bar's coordinates
    int m_distance = 0;   // how far the ghost stands from the bar
    int m_lowest = 0;     // the distances the margins allow
    int m_highest = 0;
    QRect m_startRect;    // the bar, in the dialog's coordinates
    QImage m_inverted;    // the dialog as it looked at the start, inverted: the ghost shows its part
    QPointer<QWidget> m_ghost;
};

// An upright bar, dragged left and right; 10 pixels of margin on both sides unless set.
class CSplitterBar : public CSplitterBarBase {
public:
    CSplitterBar() : CSplitterBarBase(true) {}

protected:
    void OnAttached() override { SetRange(10, 10); }
};

// A lying bar, dragged up and down; its owner sets the margins after attaching it.
class CSplitterBarH : public CSplitterBarBase {
public:
    CSplitterBarH() : CSplitterBarBase(false) {}
};
