#pragma once
// A vertically scrolling host of the related timetables: the inner window is as tall as its grids
// need and moves up and down under the panel.
#include "app/controls/FriendTablesWnd.h"

#include <QScrollBar>
#include <QWidget>

class CScrollPanel : public QWidget {
public:
    CScrollPanel();
    ~CScrollPanel() override;

    bool Create(QWidget* parent, CScheduleTask* task);
    // Fills the grids for the ids (of one kind) and fits the scroll range to them.
    void ShowLesson(const std::vector<std::string>& ids, TABLE_TYPE kind);

    CFriendTablesWnd& GetFriendTables() { return m_tables; }
    // Scrolls as a scroll bar request would (zem::gui::SB_...): a line is 5 pixels, a page 50;
    // `position` serves the thumb requests.
    void OnVScroll(unsigned code, int position);
    int GetScrollPos() const { return m_position; }
    // The furthest the panel scrolls: the content below the visible page.
    int GetScrollLimit() const;
    const QScrollBar& GetScrollBar() const { return m_scrollBar; }

protected:
    void UpdateScrollBar();
    void ScrollTo(int position);
    // The area the inner window shows in, left of the scroll bar.
    QSize ClientSize() const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_created = false;
    int m_position = 0;
    QScrollBar m_scrollBar{Qt::Vertical};
    CFriendTablesWnd m_tables;
};
