#pragma once
// "教师监考统计": for each teacher of a proctoring's teacher list, how many exam rooms the teacher
// watches. A worker counts and hands the rows to the window one at a time, each inserted on the
// window's thread; the list sorts on a click on a column heading.
#include "app/controls/WorkerThread.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Dialog.h"

#include <string>

class CScheduleProctor;
class CSortListCtrl;

struct CProctorStatRow {
    std::string teacherId;
    std::string name;
    int count = 0;
};

class CProctorStatDlg : public zem::gui::Dialog {
public:
    enum { IDD = 394, IDC_LIST = 1436 };

    explicit CProctorStatDlg(QWidget* parent = nullptr);
    // Stops a worker still going and waits for it.
    ~CProctorStatDlg() override;

    // Set before the dialog runs; only read.
    void SetProctor(const CScheduleProctor* proctor) { m_proctor = proctor; }

    CSortListCtrl* GetList() const { return m_list; }
    bool IsWorkerRunning() const { return m_worker.IsRunning(); }
    // Whether the worker has handed over every row.
    bool IsDone() const { return m_done; }

protected:
    bool OnInitDialog() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const CScheduleProctor* m_proctor = nullptr;
    CSortListCtrl* m_list = nullptr;
    zem::Rect m_listFrame;
    CWorkerThread m_worker;
    bool m_done = false;
};
