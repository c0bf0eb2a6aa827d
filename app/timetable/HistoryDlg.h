#pragma once
// The list of the manual changes of a table container: time, class, operation and description of
// each record, the undone ones grey. Modeless and never active: clicks in it leave the focus with
// the timetable.
#include "platform/gui/Dialog.h"

class CScheduleTask;

namespace zem::gui {
class ReportList;
}

class CHistoryDlg : public zem::gui::Dialog {
public:
    enum { IDD = 312, IDC_LIST = 1288 };
    static constexpr zem::COLORREF kUndoneColor = zem::RGB(168, 168, 168);

    explicit CHistoryDlg(QWidget* parent);

    // The task whose class names the rows show; the open task when none is set.
    void SetTask(CScheduleTask* task) { m_task = task; }
    zem::gui::ReportList* GetList() const { return m_list; }
    // The last applied record as shown; -1 when none is.
    int GetShownIndex() const { return m_shownIndex; }
    // Whether the row is drawn grey.
    bool IsRowUndone(int row) const { return m_shownIndex < 0 || row > m_shownIndex; }

protected:
    bool OnInitDialog() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Layout();

    CScheduleTask* m_task = nullptr;
    zem::gui::ReportList* m_list = nullptr;
    int m_shownIndex = -1;
};
