#include "app/controls/SplitterBar.h"

#include "platform/gui/Dialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// The drag's ghost: the part of the dialog under it, inverted, so the whole bar shows inverted.
class SplitterGhost : public QWidget {
public:
    SplitterGhost(QWidget* dialog, const QImage& inverted) : QWidget(dialog), m_inverted(inverted)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const qreal ratio = m_inverted.devicePixelRatio();
        const QRectF source(QPointF(geometry().topLeft()) * ratio, QSizeF(size()) * ratio);
        QPainter(this).drawImage(QRectF(rect()), m_inverted, source);
    }

private:
    const QImage& m_inverted;
};

}  // namespace

CSplitterBarBase::~CSplitterBarBase()
{
    EndDrag(false);
    if (m_bar)
        m_bar->removeEventFilter(this);
}

bool CSplitterBarBase::Attach(zem::gui::Dialog* dialog, int controlId)
{
    return dialog && Attach(dialog, dialog->GetDlgItem(controlId), dialog, controlId);
}

bool CSplitterBarBase::Attach(QWidget* dialog, QWidget* bar, zem::MessageTarget* notify, int controlId)
{
    if (!dialog || !bar)
        return false;
    if (m_bar)
        m_bar->removeEventFilter(this);
    m_dialog = dialog;
    m_bar = bar;
    m_notify = notify;
    m_controlId = controlId;
    bar->installEventFilter(this);
    bar->setCursor(m_horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    OnAttached();
    return true;
}

void CSplitterBarBase::SetRange(int firstMargin, int secondMargin)
{
    m_firstMargin = firstMargin;
    m_secondMargin = secondMargin;
}

zem::Rect CSplitterBarBase::GetGhostRect() const
{
    if (!m_dragging)
        return {};
    QRect r = m_startRect.translated(m_horizontal ? m_distance : 0, m_horizontal ? 0 : m_distance);
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

bool CSplitterBarBase::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_bar)
        return false;
    // While a drag lasts its mouse and key events are the bar's alone, also those that end it.
    const bool dragging = m_dragging;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (dragging) {
            if (mouse->button() == Qt::RightButton)
                EndDrag(true);
            return true;
        }
        if (mouse->button() == Qt::LeftButton)
            StartDrag(mouse->position().toPoint());
        return m_dragging;
    }
    case QEvent::MouseMove:
        if (dragging)
            MoveGhost(static_cast<QMouseEvent*>(event)->position().toPoint());
        return dragging;
    case QEvent::MouseButtonRelease:
        if (dragging && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            EndDrag(true);
        return dragging;
    case QEvent::KeyPress:
        // Esc ends the drag like a release, where the ghost stands; other keys are dropped.
        if (dragging && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            EndDrag(true);
        return dragging;
    case QEvent::Hide:
        // The bar may be going with its dialog: end without moving anything or telling anyone.
        EndDrag(false);
        return false;
    default:
        return false;
    }
}

void CSplitterBarBase::StartDrag(QPoint at)
{
    if (!m_dialog || !m_bar || QWidget::mouseGrabber())
        return;
    const int extent = m_horizontal ? m_dialog->width() : m_dialog->height();
    const int lo = m_firstMargin;
    const int hi = extent - m_secondMargin;
    if (lo >= hi)
        return;
    m_startRect = QRect(m_bar->mapTo(m_dialog.data(), QPoint(0, 0)), m_bar->size());
    const int barStart = m_horizontal ? m_startRect.left() : m_startRect.top();
    const int barEnd = (m_horizontal ? m_startRect.right() : m_startRect.bottom()) + 1;
    // The bar's near edge stays at or after lo and its far edge at or before hi.
    m_lowest = lo - barStart;
    m_highest = hi - barEnd;
    if (m_lowest > m_highest)
        return;  // the bar does not fit between the margins
    m_start = Along(at);
    m_distance = 0;
    m_dragging = true;

    m_inverted = m_dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    m_inverted.invertPixels();
    m_ghost = new SplitterGhost(m_dialog, m_inverted);
    m_ghost->setGeometry(m_startRect);
    m_ghost->show();
    m_ghost->raise();
    // A press activates its window; a window that is not active cannot take the mouse and keys.
    if (m_bar->isVisible() && m_bar->isActiveWindow()) {
        m_bar->grabMouse();
        m_bar->grabKeyboard();
    }
}

void CSplitterBarBase::MoveGhost(QPoint at)
{
    m_distance = std::clamp(Along(at) - m_start, m_lowest, m_highest);
    if (m_ghost)
        m_ghost->move(m_startRect.topLeft() + (m_horizontal ? QPoint(m_distance, 0) : QPoint(0, m_distance)));
}

void CSplitterBarBase::EndDrag(bool commit)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    delete m_ghost.data();
    m_inverted = QImage();
    if (m_bar) {
        m_bar->releaseMouse();
        m_bar->releaseKeyboard();
    }
    if (!commit || m_distance == 0 || !m_dialog || !m_bar)
        return;
    m_bar->move(m_bar->pos() + (m_horizontal ? QPoint(m_distance, 0) : QPoint(0, m_distance)));
    m_dialog->update();
    zem::SendMessage(m_notify, WM_SPLITTER_MOVED, static_cast<zem::WPARAM>(static_cast<zem::LPARAM>(m_distance)),
                     m_controlId);
}
