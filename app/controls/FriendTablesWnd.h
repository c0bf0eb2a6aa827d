#pragma once
// The timetables of the objects a selected lesson touches, shown beside the timetable being edited:
// one read-only week grid per related class, teacher or room, each under a band with its name and a
// "置顶" link that pins it to the top. Cells whose lessons involve the object being edited are
// marked. The order the user pins grids into is remembered per edited object.
#include "base/ScheduleTask.h"
#include "platform/Gdi.h"

#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CWeekTable;

class CFriendTablesWnd : public QWidget {
public:
    static constexpr int kMaxTables = 20;
    static constexpr int kTitleBandHeight = 20;

    struct RelatedObject {
        std::string id;
        std::string name;
        const CCourseTable* table = nullptr;  // the object's working timetable, not owned
        TABLE_TYPE kind = TABLE_CLASS;
    };
    struct Entry {
        std::unique_ptr<CWeekTable> grid;
        RelatedObject object;
        zem::Rect titleRect;
        zem::Rect pinRect;
    };

    CFriendTablesWnd();
    ~CFriendTablesWnd() override;

    // Makes the window a child of the panel, over the task's objects (not owned).
    bool Create(QWidget* panel, CScheduleTask* task);
    // The object being edited: its lessons are the friend cells, and its remembered order applies.
    void SetCurrentObject(TABLE_TYPE kind, const std::string& id);
    // One grid for each of the first 20 ids (of one kind), remembered ones first; ids of missing
    // objects are left out.
    void Fill(const std::vector<std::string>& ids, TABLE_TYPE kind);
    // Refills the grids of the objects the plan involves (every grid when there is no such plan).
    void ShowCourse(const std::string& courseId);
    // The grid of the object, or null.
    CWeekTable* FindTable(const std::string& id) const;
    // Pins the object's grid to the top, when it is not there already.
    void BringToFront(const std::string& id);

    int GetContentHeight() const { return m_contentHeight; }
    const std::vector<std::unique_ptr<Entry>>& GetEntries() const { return m_entries; }
    // The remembered order for an edited object; empty when none.
    std::vector<std::string> GetRememberedOrder(const std::string& currentId) const;

protected:
    void AddEntry(const RelatedObject& object);
    void FillTable(CWeekTable& grid, const RelatedObject& object);
    bool IsFriendLesson(const std::string& courseId, const std::string& roomId) const;
    void BringToFrontAt(int index);
    void RememberOrder();
    void Layout();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The entry (from the second on) whose pin link holds the point; -1 when none.
    int HitPin(QPoint point) const;

    CScheduleTask* m_task = nullptr;
    QWidget* m_owner = nullptr;
    bool m_created = false;
    int m_contentHeight = 0;
    std::vector<std::unique_ptr<Entry>> m_entries;
    TABLE_TYPE m_currentKind = TABLE_CLASS;
    std::string m_currentId;
    std::map<std::string, std::vector<std::string>> m_orderMemory;
};
