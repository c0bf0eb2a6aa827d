#include "app/timetable/CourseListView.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/SubjectColorMap.h"
#include "app/taskhelper/TaskHelper.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "table/UICore.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

constexpr zem::COLORREF kBackground = RGB(240, 240, 240);

const char* StatusWord(const CWeekCount& placed, const CWeekCount& planned)
{
    if (placed == planned)
        return "已排完";
    return placed > planned ? "已超出" : "未排完";
}

}  // namespace

// ---- The view ----

CCourseListView::CCourseListView(QWidget* host) : QWidget(host)
{
    setObjectName("Course_List_View");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

CCourseListView::~CCourseListView() = default;

CWeekCount CCourseListView::CountPlaced(const CCourseInfo* plan, const CCourseTable* table, int kind) const
{
    if (!plan || !table)
        return {};
    // A room's merged table is counted slot by slot, used or not.
    return CTaskHelper(m_task).CountCourseNodes(plan->GetId(), table, kind == TABLE_ROOM ? 2 : 0);
}

void CCourseListView::SetStatus(CCourseCard& card) const
{
    card.statusLine = zem::Format("%s(%s/%s)", StatusWord(card.placed, card.planned), card.placed.ToString().c_str(),
                                  card.planned.ToString().c_str());
}

void CCourseListView::Fill(CScheduleTask* task, const std::vector<CCourseInfo*>& plans, int kind,
                           const CCourseTable* table, const std::string& objectId)
{
    m_task = task;
    m_cards.clear();
    if (!task)
        return;
    CTaskHelper helper(task);
    std::vector<std::unique_ptr<CCourseCard>> assistants;
    for (CCourseInfo* plan : plans) {
        if (!plan)
            continue;
        auto card = std::make_unique<CCourseCard>();
        card->plan = plan;
        const std::string subject = task->GetSubjectName(plan->GetSubjectId());
        const std::string className = task->GetClassNameA(plan->GetClassId());
        const std::string teachers = task->GetAllTeacherName(plan, true, false);
        switch (kind) {
        case TABLE_CLASS:
            card->line1 = subject;
            card->line2 = teachers;
            break;
        case TABLE_TEACHER:
            card->line1 = subject;
            card->line2 = className;
            card->assistant = plan->GetTeacherId() != objectId && helper.IsTeacherOfCourse(plan, objectId);
            break;
        default:
            card->line1 = className;
            card->line2 = zem::Format("%s(%s)", teachers.c_str(), subject.c_str());
            break;
        }
        if (plan->GetRoomStrategy() == ROOM_STRATEGY_FIXED && kind != TABLE_ROOM)
            if (const CRoomInfo* room = task->GetRoom(plan->GetRoomParam()))
                card->line2 += "(" + room->GetName() + ")";
        if (plan->GetType() != 0)
            card->line1 = zem::Format("[%s]%s", GetCourseKindName(plan->GetType()).c_str(), card->line1.c_str());
        card->placed = CountPlaced(plan, table, kind);
        card->planned = plan->GetWeekCount();
        SetStatus(*card);
        (card->assistant ? assistants : m_cards).push_back(std::move(card));
    }
    for (auto& card : assistants)
        m_cards.push_back(std::move(card));
    // Exceeded first, then incomplete, then complete; the order within each group stays.
    auto group = [](const std::unique_ptr<CCourseCard>& card) {
        return card->placed > card->planned ? 0 : card->placed < card->planned ? 1 : 2;
    };
    std::stable_sort(m_cards.begin(), m_cards.end(),
                     [&](const auto& a, const auto& b) { return group(a) < group(b); });
}

int CCourseListView::Layout(int hostWidth, int hostHeight)
{
    m_hostWidth = hostWidth;
    const int n = static_cast<int>(m_cards.size());
    const int fit = hostWidth / kPitchX;
    int firstRow = n;
    // A second row only where it shows whole: a cut card would hide the marks the user clicks.
    if (fit < n && hostHeight >= kInset + kPitchY + kCardHeight)
        firstRow = 2 * fit < n ? (n + 1) / 2 : fit;
    for (int i = 0; i < n; ++i) {
        const int row = i < firstRow ? 0 : 1;
        const int column = row == 0 ? i : i - firstRow;
        const int x = kInset + column * kPitchX;
        const int y = kInset + row * kPitchY;
        m_cards[static_cast<std::size_t>(i)]->rect = Rect(x, y, x + kCardWidth, y + kCardHeight);
    }
    m_viewWidth = kInset + std::max(firstRow, 0) * kPitchX;
    update();
    return m_viewWidth;
}

void CCourseListView::SelectById(const std::vector<std::string>& planIds)
{
    for (auto& card : m_cards) {
        const bool listed = std::any_of(planIds.begin(), planIds.end(), [&](const std::string& id) {
            return card->plan && zem::EqualsNoCase(id, card->plan->GetId());
        });
        card->mark = listed ? CCourseCard::kMarked : CCourseCard::kNone;
    }
    update();
}

std::string CCourseListView::GetSelectedId() const
{
    std::string id;
    for (const auto& card : m_cards)
        if (card->mark == CCourseCard::kSelected && card->plan)
            id = card->plan->GetId();
    return id;
}

bool CCourseListView::GetCardRect(const std::string& planId, Rect& rect) const
{
    for (const auto& card : m_cards) {
        if (!card->plan || !zem::EqualsNoCase(card->plan->GetId(), planId))
            continue;
        Rect r = card->rect;
        r.bottom = r.top + 2 * r.Height() / 3;
        const QPoint topLeft = mapToGlobal(QPoint(r.left, r.top));
        rect = Rect(topLeft.x(), topLeft.y(), topLeft.x() + r.Width(), topLeft.y() + r.Height());
        return true;
    }
    return false;
}

void CCourseListView::UpdateStatus(const std::string& planId, const CCourseTable* table, int kind)
{
    for (auto& card : m_cards) {
        if (!card->plan || card->plan->GetId() != planId)
            continue;
        card->placed = CountPlaced(card->plan, table, kind);
        SetStatus(*card);
        break;
    }
    update();
}

void CCourseListView::GetTotals(CWeekCount& placed, CWeekCount& planned) const
{
    for (const auto& card : m_cards) {
        placed += card->placed;
        planned += card->planned;
    }
}

int CCourseListView::HitCard(QPoint point) const
{
    for (std::size_t i = 0; i < m_cards.size(); ++i)
        if (m_cards[i]->rect.PtInRect({point.x(), point.y()}))
            return static_cast<int>(i);
    return -1;
}

void CCourseListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int hit = HitCard(event->position().toPoint());
    bool wasMarked = false;
    CCourseInfo* plan = nullptr;
    for (int i = 0; i < static_cast<int>(m_cards.size()); ++i) {
        CCourseCard& card = *m_cards[static_cast<std::size_t>(i)];
        if (i != hit) {
            card.mark = CCourseCard::kNone;
            continue;
        }
        plan = card.plan;
        if (card.mark == CCourseCard::kMarked)
            wasMarked = true;
        else
            card.mark = card.mark == CCourseCard::kSelected ? CCourseCard::kNone : CCourseCard::kSelected;
    }
    zem::SendMessage(m_owner, WM_COURSE_CARD_CLICK, wasMarked ? 1 : 0, zem::ToLParam(plan));
    update();
}

void CCourseListView::mouseMoveEvent(QMouseEvent* event)
{
    const CGdiResources* resources = CGdiResources::GetInstance();
    setCursor(HitCard(event->position().toPoint()) >= 0 ? resources->m_handCursor : resources->m_arrowCursor);
}

void CCourseListView::wheelEvent(QWheelEvent* event)
{
    if (auto* host = dynamic_cast<CCourseListHost*>(parentWidget()))
        host->ScrollPages(event->angleDelta().y() > 0 ? -1 : 1);
    event->accept();
}

namespace {

// A card's ground and frame: in the colour style the subject's colour (0 when it has none), else
// green when marked as holding the picked lesson and yellow when selected.
void DrawCardGround(DC& dc, const CCourseCard& card, bool colorStyle, zem::COLORREF subject)
{
    const Rect& r = card.rect;
    const zem::COLORREF base = card.plan && card.plan->GetType() != 0 ? RGB(242, 242, 242) : RGB(250, 250, 250);
    zem::COLORREF fill = base;
    if (colorStyle) {
        fill = subject ? subject : base;
    } else if (card.mark == CCourseCard::kMarked) {
        fill = RGB(106, 232, 106);
    } else if (card.mark == CCourseCard::kSelected) {
        fill = RGB(255, 238, 0);
    }
    dc.FillSolidRect(r, fill);
    if (!colorStyle)
        dc.Draw3dRect(r, RGB(255, 255, 255), RGB(220, 220, 220));
    else if (card.mark == CCourseCard::kSelected)
        dc.Draw3dRect(r, RGB(0, 0, 0), RGB(255, 255, 255));
    else
        dc.Draw3dRect(r, RGB(255, 255, 255), RGB(0, 0, 0));
}

// The badge of an assistant's card in the card's top right corner.
void DrawAssistantBadge(DC& dc, const Rect& r)
{
    const Rect badge(r.right - 25, r.top + 5, r.right - 5, r.top + 25);
    QPainter& painter = dc.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor orange(244, 164, 95);
    painter.setPen(orange);
    painter.setBrush(orange);
    painter.drawRoundedRect(QRect(badge.left, badge.top, badge.Width() - 1, badge.Height() - 1), 5, 5);
    painter.restore();
    dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.DrawText("助", badge, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// The card's three lines; the bottom of the last.
int DrawCardLines(DC& dc, const CCourseCard& card, bool colorStyle, const Font& bigFont, const Font& smallFont)
{
    const Rect& r = card.rect;
    const Rect inner(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
    const Rect band1(inner.left, inner.top, inner.right, r.bottom - 33);
    const Rect band2(inner.left, band1.bottom, inner.right, band1.bottom + 13);
    const Rect band3(inner.left, band2.bottom, inner.right, band2.bottom + 13);
    const zem::COLORREF second = colorStyle ? RGB(0, 0, 0) : RGB(92, 92, 92);
    const unsigned format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    dc.SelectFont(bigFont);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.DrawText(card.line1, band1, format);
    dc.SelectFont(smallFont);
    dc.SetTextColor(second);
    dc.DrawText(card.line2, band2, format);
    dc.SetTextColor(card.placed != card.planned ? RGB(255, 0, 0) : second);
    dc.DrawText(card.statusLine, band3, format);
    return band3.bottom;
}

// One block per placed whole lesson, a half block for a placed half, in the strip from `top` to
// the card's bottom; a plan planned for no lesson gets none.
void DrawLessonBlocks(DC& dc, const CCourseCard& card, int top)
{
    const Rect& r = card.rect;
    const int units = 2 * card.planned.GetWholeCount() + (card.planned.HasHalfNode() ? 1 : 0);
    const Rect strip(r.left + 2, top, r.right - 2, r.bottom - 2);
    if (units <= 0 || strip.Height() <= 0)
        return;
    const int w = strip.Width() / units;
    const zem::COLORREF block = card.placed > card.planned ? RGB(255, 0, 0) : RGB(0, 255, 0);
    int x = strip.left;
    auto drawBlock = [&](int width) {
        if (x >= strip.right)
            return;
        const Rect cell(x, strip.top, x + width, strip.bottom);
        if (cell.Width() > 2 && cell.Height() > 2)
            dc.FillSolidRect(Rect(cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1), block);
        x += width;
    };
    for (int i = 0; i < card.placed.GetWholeCount(); ++i)
        drawBlock(2 * w);
    if (card.placed.HasHalfNode())
        drawBlock(w);
}

}  // namespace

void CCourseListView::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kBackground);
        const bool colorStyle = AppServices().GetColorTable();
        CSubjectColorMap* colors = AppServices().GetColorMap();
        const std::string face = CUICore::instance()->GetDefaultFontName();
        const Font bigFont = Font::FromPoints(110, face);
        const Font smallFont = Font::FromPoints(80, face);
        for (const auto& cardPtr : m_cards) {
            const CCourseCard& card = *cardPtr;
            const zem::COLORREF subject = colorStyle && colors && card.plan ? colors->GetColor(card.plan, m_task) : 0;
            DrawCardGround(dc, card, colorStyle, subject);
            if (card.assistant)
                DrawAssistantBadge(dc, card.rect);
            DrawLessonBlocks(dc, card, DrawCardLines(dc, card, colorStyle, bigFont, smallFont));
        }
    });
}

// ---- The host ----

CCourseListHost::CCourseListHost() = default;

CCourseListHost::~CCourseListHost() = default;

bool CCourseListHost::Create(QWidget* parent)
{
    setParent(parent);
    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->setSingleStep(5);
    QObject::connect(m_scrollBar, &QAbstractSlider::actionTriggered, this, [this](int action) {
        // Page steps are 50 pixels, whatever the thumb's size.
        if (action == QAbstractSlider::SliderPageStepAdd)
            m_scrollBar->setSliderPosition(std::min(m_position + 50, m_scrollBar->maximum()));
        else if (action == QAbstractSlider::SliderPageStepSub)
            m_scrollBar->setSliderPosition(std::max(m_position - 50, 0));
    });
    QObject::connect(m_scrollBar, &QAbstractSlider::valueChanged, this, [this](int value) { ScrollTo(value); });
    m_view = new CCourseListView(this);
    m_view->SetOwner(dynamic_cast<zem::MessageTarget*>(parent));
    if (parent)
        show();
    m_created = true;
    LayoutView();
    return true;
}

int CCourseListHost::ClientHeight() const
{
    return std::max(0, height() - (m_scrollBar ? m_scrollBar->sizeHint().height() : 0));
}

void CCourseListHost::SetCourses(CScheduleTask* task, const std::vector<CCourseInfo*>& plans, int kind,
                                 const CCourseTable* table, const std::string& objectId)
{
    if (!m_view)
        return;
    m_view->Fill(task, plans, kind, table, objectId);
    LayoutView();
}

void CCourseListHost::LayoutView()
{
    if (!m_view)
        return;
    const int clientHeight = ClientHeight();
    const int viewWidth = m_view->Layout(width(), clientHeight);
    m_scrollBar->setGeometry(0, clientHeight, width(), height() - clientHeight);
    m_scrollBar->blockSignals(true);
    m_scrollBar->setRange(0, std::max(0, viewWidth - width()));
    m_scrollBar->setPageStep(std::max(1, width()));
    m_scrollBar->blockSignals(false);
    m_view->resize(std::max(viewWidth, width()), clientHeight);
    ScrollTo(m_position);
}

void CCourseListHost::ScrollTo(int position)
{
    if (!m_view)
        return;
    const int limit = std::max(0, m_view->GetViewWidth() - width());
    m_position = std::clamp(position, 0, limit);
    m_view->move(-m_position, 0);
    if (m_scrollBar->value() != m_position) {
        m_scrollBar->blockSignals(true);
        m_scrollBar->setValue(m_position);
        m_scrollBar->blockSignals(false);
    }
}

void CCourseListHost::SelectAndScroll(const std::vector<std::string>& planIds)
{
    if (!m_view)
        return;
    m_view->SelectById(planIds);
    if (planIds.empty())
        return;
    for (const auto& card : m_view->GetCards()) {
        if (!card->plan || !zem::EqualsNoCase(card->plan->GetId(), planIds.front()))
            continue;
        const int left = card->rect.left - m_position;
        const int right = card->rect.right - m_position;
        const int range = std::max(0, m_view->GetViewWidth() - width());
        int position = m_position;
        if (right > width()) {
            position += right - width();
            if (range - position > 2)
                position += 2;
        } else if (left < 0) {
            position += left;
            if (position > 2)
                position -= 2;
        }
        ScrollTo(position);
        break;
    }
}

void CCourseListHost::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_created)
        LayoutView();
}
