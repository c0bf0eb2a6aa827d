#pragma once
// "教师任课情况统计分析": every teacher's planned against placed weekly lessons, by day and by period,
// with the subjects and classes of the selected teacher on the right. A worker thread counts one
// teacher after another and sends each row, so the list fills while the window answers; ticking
// a kind of lesson on or off counts again from the start.
#include "app/timetable/TeacherStatistic.h"
#include "app/controls/SplitterBar.h"
#include "app/controls/WorkerThread.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Dialog.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CSortListCtrl;
class QCheckBox;
class QLabel;
class QTreeWidget;

class CTeacherStatisticDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 245,
        IDC_EXPORT = 3,
        IDC_WORKBOOK = 4,
        IDC_STATUS = 1023,
        IDC_LIST = 1123,
        IDC_SPLITTER = 1182,
        IDC_NAME = 1213,
        IDC_MORNING_READING = 1296,
        IDC_SELF_STUDY = 1297,
        IDC_REGULAR = 1356,
        IDC_TREE = 1434,
        IDC_PICTURE = 1435,
    };
    static constexpr int kMinDetailWidth = 100;

    explicit CTeacherStatisticDlg(QWidget* parent = nullptr);
    ~CTeacherStatisticDlg() override;

    // Stops a count under way, forgets every row and counts afresh with the boxes as they stand.
    void StartStatistics();
    // Whether the rows of the last start are still coming.
    bool IsCounting() const { return m_counting; }

    // The records, owned here; a row's item data is its record's index.
    const std::vector<std::unique_ptr<CTeacherStatisticRecord>>& GetRecords() const { return m_records; }
    const CTeacherStatisticRecord* GetRecordOfRow(int row) const;
    // The record whose details are shown; null when none is.
    const CTeacherStatisticRecord* GetShownRecord() const { return m_shown; }
    CSortListCtrl* GetList() const { return m_list; }
    QTreeWidget* GetTree() const { return m_tree; }
    // The list's first and last day column and first and last period column; -1 when there is none.
    int GetFirstDayColumn() const { return m_firstDayColumn; }
    int GetLastDayColumn() const { return m_lastDayColumn; }
    int GetFirstPeriodColumn() const { return m_firstPeriodColumn; }
    int GetLastPeriodColumn() const { return m_lastPeriodColumn; }
    // The days and the periods of the columns, as the count gave them.
    const std::vector<int>& GetDays() const { return m_days; }
    const std::vector<tagTABLE_NODE>& GetPeriods() const { return m_periods; }
    // The width right of the splitter.
    int GetDetailWidth() const;

    // For tests: called on the worker after a teacher is counted and before the row goes out, with
    // the number of the start (from 1), the teacher's position and the cancel flag, so that a test
    // can hold the worker there.
    using WorkerHook = std::function<void(int run, int teacher, const std::atomic<bool>& cancel)>;
    void SetWorkerHook(WorkerHook hook) { m_workerHook = std::move(hook); }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override {}
    void OnCancel() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Stops the worker and waits, serving its sends, until it has ended.
    void StopWorker();
    void Work(CScheduleTask* task, CStatisticKinds kinds, int run, WorkerHook hook);
    void OnColumns(const CTeacherStatistic& statistic);
    void OnRow(std::unique_ptr<CTeacherStatisticRecord> record);
    void OnDone();
    void ShowDetails();
    void ClearDetails();
    // Puts the splitter `detailWidth` from the right edge (100 when that is out of range), then the rest.
    void PlaceSplitter(int detailWidth);
    void Layout();
    CStatisticKinds ReadKinds() const;
    // The records in the list's order, as sorted.
    std::vector<const CTeacherStatisticRecord*> ListedRecords() const;
    // The workload table of the list as shown, and the listed teachers' lessons per date of a span.
    void ExportWorkload();
    void ExportLessonCalendar();

    CSortListCtrl* m_list = nullptr;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_bar = nullptr;
    CSplitterBar m_splitter;
    QCheckBox* m_regular = nullptr;
    QCheckBox* m_morningReading = nullptr;
    QCheckBox* m_selfStudy = nullptr;
    zem::Rect m_listFrame;

    std::vector<int> m_days;
    std::vector<tagTABLE_NODE> m_periods;
    std::vector<std::unique_ptr<CTeacherStatisticRecord>> m_records;
    const CTeacherStatisticRecord* m_shown = nullptr;
    int m_firstDayColumn = -1;
    int m_lastDayColumn = -1;
    int m_firstPeriodColumn = -1;
    int m_lastPeriodColumn = -1;

    // While the worker is being stopped, what it still sends is dropped.
    CWorkerThread m_worker;
    bool m_counting = false;
    int m_runCount = 0;
    WorkerHook m_workerHook;
};
