#include "app/controls/ScrollPanel.h"

#include "platform/gui/DC.h"
#include "platform/gui/ScrollCodes.h"

#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

using namespace zem::gui;

CScrollPanel::CScrollPanel()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scrollBar.setParent(this);
    m_scrollBar.setSingleStep(5);
    // The bar moves the position itself as it steps; each step is then set to ours.
    QObject::connect(&m_scrollBar, &QAbstractSlider::actionTriggered, this, [this](int action) {
        OnVScroll(ScrollCodeOfAction(action), m_scrollBar.sliderPosition());
        m_scrollBar.setSliderPosition(m_position);
    });
}

CScrollPanel::~CScrollPanel() = default;

bool CScrollPanel::Create(QWidget* parent, CScheduleTask* task)
{
    setParent(parent);
    setGeometry(0, 0, 0, 0);
    if (parent)
        show();
    m_tables.Create(this, task);
    m_scrollBar.show();
    m_created = true;
    return true;
}

void CScrollPanel::ShowLesson(const std::vector<std::string>& ids, TABLE_TYPE kind)
{
    m_tables.Fill(ids, kind);
    m_tables.resize(m_tables.width(), m_tables.GetContentHeight());
    UpdateScrollBar();
}

QSize CScrollPanel::ClientSize() const
{
    return {std::max(0, width() - m_scrollBar.sizeHint().width()), height()};
}

int CScrollPanel::GetScrollLimit() const
{
    return std::max(0, m_tables.GetContentHeight() - ClientSize().height());
}

void CScrollPanel::UpdateScrollBar()
{
    const int page = ClientSize().height();
    if (page == 0)
        return;
    m_scrollBar.setGeometry(ClientSize().width(), 0, width() - ClientSize().width(), height());
    m_scrollBar.blockSignals(true);
    m_scrollBar.setRange(0, GetScrollLimit());
    m_scrollBar.setPageStep(page);
    m_scrollBar.blockSignals(false);
    // Content that shrank below the position would leave an empty gap: the position follows it.
    ScrollTo(std::min(m_position, GetScrollLimit()));
}

void CScrollPanel::OnVScroll(unsigned code, int position)
{
    const int limit = GetScrollLimit();
    int target = m_position;
    switch (code) {
    case SB_LINEUP:
        target = std::max(0, m_position - 5);
        break;
    case SB_LINEDOWN:
        target = std::min(limit, m_position + 5);
        break;
    case SB_PAGEUP:
        target = std::max(0, m_position - 50);
        break;
    case SB_PAGEDOWN:
        target = std::min(limit, m_position + 50);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        target = std::clamp(position, 0, limit);
        break;
    default:
        break;
    }
    ScrollTo(target);
}

void CScrollPanel::ScrollTo(int position)
{
    m_position = std::max(0, position);
    m_scrollBar.blockSignals(true);
    m_scrollBar.setValue(m_position);
    m_scrollBar.blockSignals(false);
    m_tables.move(0, -m_position);
    m_tables.update();
}

void CScrollPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_created)
        return;
    m_tables.setGeometry(0, -m_position, ClientSize().width(), m_tables.GetContentHeight());
    UpdateScrollBar();
}

void CScrollPanel::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() != 0)  // a sideways wheel scrolls nothing
        OnVScroll(event->angleDelta().y() > 0 ? SB_PAGEUP : SB_PAGEDOWN, 0);
    event->accept();
}

void CScrollPanel::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), zem::gui::ToQColor(zem::RGB(240, 240, 240)));
}
