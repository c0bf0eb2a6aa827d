#pragma once
// "教师监考统计": for each teacher of a proctoring's teacher list, how many exam rooms the teacher
// watches. A worker counts and hands the rows to the window one at a time, each inserted on the
// window's thread; the list sorts on a click on a column heading.
#include "platform/gui/Dialog.h"

#include <atomic>
#include <string>
#include <thread>

class CScheduleProctor;
class CSortListCtrl;

// Sent by a statistics worker to its window: lParam the row (a CProctorStatRow*), answered once
// the row is in the list; then the end.
constexpr unsigned WM_STATISTIC_ROW = zem::WM_USER + 511;   // 0x5FF
constexpr unsigned WM_STATISTIC_DONE = zem::WM_USER + 512;  // 0x600

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
    bool IsWorkerRunning() const { return m_running.load(); }
    // Whether the worker has handed over every row.
    bool IsDone() const { return m_done; }

protected:
    bool OnInitDialog() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void StopAndWait();

    const CScheduleProctor* m_proctor = nullptr;
    CSortListCtrl* m_list = nullptr;
    zem::Rect m_listFrame;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    bool m_done = false;
};
