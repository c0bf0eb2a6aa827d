#pragma once
// The absent (regular) teacher's week in the temporary adjustment window: the planned substitutes
// in its cells, the commands that plan them on a right click, the status of the plan and a short
// help. Planning changes nothing in the task.
#include "app/timetable/SubstitutePlan.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Messages.h"
#include "table/WeekTable.h"

#include <QWidget>

#include <string>

class CHoverButton;
class QTreeWidget;

// A teacher cell's text with its planned substitutes: the halves (or the whole cell) that have a
// record get both lines of the lesson on the first and "【代】" and the substitute on the second.
std::string DecorateSubstituteCell(const std::string& text, const CSubstitutePlan& plan, const tagTABLE_NODE& cell);

class CSubstituteWnd : public QWidget, public zem::gui::MessageReceiver {
public:
    enum {
        IDC_TEACHER = 1625,
        ID_SUBSTITUTE_CELL = 32882,
        ID_SUBSTITUTE_COURSE = 32883,
        ID_SUBSTITUTE_SUBJECT = 32884,
        ID_SUBSTITUTE_ALL = 32885,
        ID_CANCEL_CELL = 32886,
        ID_CANCEL_ALL = 32887,
    };

    CSubstituteWnd();
    ~CSubstituteWnd() override;

    // A visible child of `owner`, which hears WM_SUBSTITUTES_CHANGED; the teacher may be empty.
    bool Create(QWidget* owner, zem::MessageTarget* notify, CScheduleTask* task, const std::string& teacherId);
    // The table afresh from the task, then the status line and the owner.
    void Refill();

    CSubstitutePlan& GetPlan() { return m_plan; }
    const CSubstitutePlan& GetPlan() const { return m_plan; }
    const std::string& GetRegularId() const { return m_plan.GetTeacherId(); }
    void SetConflictCount(int count);
    std::string GetStatusText() const;
    CWeekTable& GetTable() { return m_table; }
    CHoverButton* GetTeacherButton() const { return m_button; }
    tagTABLE_NODE ToGridNode(const tagTABLE_NODE& cell) const;

    // A right click on the table's cell (grid node) on its left (1) or right (2) half.
    void OnRightClick(const tagTABLE_NODE& gridNode, int side);
    // The commands of the right click's menu, on the cell clicked last; the teacher button.
    void OnCommand(int id);
    void ChooseTeacher();

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Substitute(int mode);
    void Layout();
    void SetTeacher(const std::string& teacherId);

    CScheduleTask* m_task = nullptr;
    zem::MessageTarget* m_notify = nullptr;
    CSubstitutePlan m_plan;
    CHoverButton* m_button = nullptr;
    CWeekTable m_table;
    QTreeWidget* m_help = nullptr;
    tagTABLE_NODE m_clicked{};
    int m_clickedHalf = 0;
    int m_conflicts = 0;
    bool m_ready = false;
    zem::Rect m_statusRect;
};
