#pragma once
// The strip of plan cards under a week timetable: one card per plan of the shown class, teacher or
// room with its placed and planned lessons. The host scrolls the cards sideways; the view lays
// them out, paints and hit-tests them and tells its owner of clicks.
#include "base/ScheduleTask.h"
#include "platform/Gdi.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"

#include <QScrollBar>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

struct CCourseCard {
    enum Mark : int { kNone = 0, kMarked = 1, kSelected = 2 };

    CCourseInfo* plan = nullptr;  // not owned
    std::string line1;
    std::string line2;
    std::string statusLine;
    CWeekCount placed;
    CWeekCount planned;
    int mark = kNone;
    zem::Rect rect;
    bool assistant = false;  // the shown teacher assists in the plan
};

class CCourseListView : public QWidget {
public:
    static constexpr int kCardWidth = 124;
    static constexpr int kCardHeight = 50;
    static constexpr int kPitchX = 132;
    static constexpr int kPitchY = 54;
    static constexpr int kInset = 5;

    explicit CCourseListView(QWidget* host);
    ~CCourseListView() override;

    void SetOwner(zem::MessageTarget* owner) { m_owner = owner; }
    // Cards for the plans; kind 0 class, 1 teacher, 2 room; the counts are of the table.
    void Fill(CScheduleTask* task, const std::vector<CCourseInfo*>& plans, int kind, const CCourseTable* table,
              const std::string& objectId);
    // Places the cards for a host of the size; returns the view's width.
    int Layout(int hostWidth, int hostHeight);

    void SelectById(const std::vector<std::string>& planIds);
    std::string GetSelectedId() const;
    // The card's rectangle, its lower third left out, in screen coordinates; false when no card has the plan.
    bool GetCardRect(const std::string& planId, zem::Rect& rect) const;
    void UpdateStatus(const std::string& planId, const CCourseTable* table, int kind);
    void GetTotals(CWeekCount& placed, CWeekCount& planned) const;

    const std::vector<std::unique_ptr<CCourseCard>>& GetCards() const { return m_cards; }
    int GetViewWidth() const { return m_viewWidth; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void SetStatus(CCourseCard& card) const;
    CWeekCount CountPlaced(const CCourseInfo* plan, const CCourseTable* table, int kind) const;
    int HitCard(QPoint point) const;

    std::vector<std::unique_ptr<CCourseCard>> m_cards;
    CScheduleTask* m_task = nullptr;
    zem::MessageTarget* m_owner = nullptr;
    int m_hostWidth = 0;
    int m_viewWidth = 0;
};

class CCourseListHost : public QWidget {
public:
    CCourseListHost();
    ~CCourseListHost() override;

    // Makes the host a visible child of the parent, which hears the view's clicks when it receives
    // the program's messages.
    bool Create(QWidget* parent);
    void SetCourses(CScheduleTask* task, const std::vector<CCourseInfo*>& plans, int kind, const CCourseTable* table,
                    const std::string& objectId);
    // Marks the cards of the plans and scrolls the first into view.
    void SelectAndScroll(const std::vector<std::string>& planIds);

    CCourseListView* GetView() const { return m_view; }
    QScrollBar* GetScrollBar() const { return m_scrollBar; }
    int GetPosition() const { return m_position; }
    // Scrolls to the position, kept inside the cards' width.
    void ScrollTo(int position);
    // One step of the scroll bar: line or page, to the left (negative) or right.
    void ScrollLines(int lines) { ScrollTo(m_position + 5 * lines); }
    void ScrollPages(int pages) { ScrollTo(m_position + 50 * pages); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutView();
    int ClientHeight() const;

    CCourseListView* m_view = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    int m_position = 0;
    bool m_created = false;
};
