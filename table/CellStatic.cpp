#include "table/CellStatic.h"

#include "platform/gui/Desktop.h"

#include <QEventLoop>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

#include <algorithm>
#include <cmath>

using zem::Rect;

namespace {
constexpr int kFrameMs = 10;
}

CCellStatic::CCellStatic(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kFrameMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Step(); });
}

CCellStatic::~CCellStatic() = default;

void CCellStatic::Move(const Rect& from, const Rect& to)
{
    m_from = from;
    m_to = to;
    if (from == to) {
        m_done = 1;
        return;
    }
    SaveParentFace();
    m_done = 0;
    m_start = zem::gui::AnimationClock();
    Step();  // the first frame shows the picture where it was
    if (!m_done)
        m_timer.start();
}

void CCellStatic::Close()
{
    m_timer.stop();
    delete this;
}

void CCellStatic::SaveParentFace()
{
    QWidget* parent = parentWidget();
    if (!parent || m_from.IsRectEmpty()) {
        m_face = QImage();
        return;
    }
    m_face = parent->grab(QRect(m_from.left, m_from.top, m_from.Width(), m_from.Height())).toImage();
}

void CCellStatic::Step()
{
    const double dx = m_to.left - m_from.left, dy = m_to.top - m_from.top;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const std::int64_t t = std::max<std::int64_t>(0, zem::gui::AnimationClock() - m_start);
    const double s = distance * static_cast<double>(t) / kSlideMs;
    if (s >= distance || t > kMaxSlideMs) {
        m_timer.stop();
        hide();
        m_done = 1;
        return;
    }
    const int x = m_from.left + static_cast<int>(dx * s / distance);
    const int y = m_from.top + static_cast<int>(dy * s / distance);
    setGeometry(x, y, m_from.Width(), m_from.Height());
    raise();
    show();
    repaint();
}

void CCellStatic::paintEvent(QPaintEvent*)
{
    if (!m_face.isNull())
        QPainter(this).drawImage(0, 0, m_face);
}

void CCellStatic::MoveCell(const Rect& a, const Rect& b, QWidget* parent, bool* running)
{
    QPointer<QWidget> owner(parent);
    if (running)
        *running = true;
    QPointer<CCellStatic> first = new CCellStatic(parent);
    QPointer<CCellStatic> second = new CCellStatic(parent);
    // Both pictures are taken before either moves.
    first->Move(b, a);
    second->Move(a, b);

    // The statics die with their parent, so a destroyed parent ends the wait as well.
    const auto finished = [&] {
        return !first || !second || (first->WaitForMoveComplete() && second->WaitForMoveComplete());
    };
    if (!finished()) {
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(kFrameMs);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (finished())
                loop.quit();
        });
        poll.start();
        loop.exec();
    }
    if (!owner)
        return;
    if (running)
        *running = false;
    delete first.data();
    delete second.data();
}
