#pragma once
// "比对": which class and teacher timetables of a temporary task differ from the open (formal) task.
// A worker compares the tasks timetable by timetable and hands each difference to the dialog; the
// dialog shows a chosen one of each task side by side with the differing cells marked, and hands
// the differing timetables to its receiver for export.
#include "app/controls/WorkerThread.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Dialog.h"
#include "table/WeekTable.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class CScheduleTask;
class CZemObject;

struct CTaskDifference {
    int kind = 0;  // 0 class, 1 teacher
    CZemObject* temp = nullptr;
    CZemObject* formal = nullptr;
};

// The classes, then the teachers, of the temporary task (each in its order) whose working
// timetable differs from the committed one of the same id in the formal task, over the temporary
// task's week; objects of one task only are passed over. `stop` is read and `beforeEach` called
// (with the timetable's position) before each timetable; `visit` hears each difference as found.
std::vector<CTaskDifference> FindTaskDifferences(const CScheduleTask& temp, const CScheduleTask& formal,
                                                 const std::atomic<bool>* stop = nullptr,
                                                 const std::function<void(const CTaskDifference&)>& visit = {},
                                                 const std::function<void(int)>& beforeEach = {});

class CCompareTaskDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 390,
        IDC_LIST = 1341,
        IDC_EXPORT = 1088,
        IDC_TEMP_TABLE = 1415,
        IDC_FORMAL_TABLE = 1416,
    };
    static constexpr const char* kNoDifferenceText = "经比对，当前临时任务课表和正式任务课表不存在差异";
    static constexpr const char* kExportTitle = "选择要导出的差异课表";

    // The tasks outlive the dialog; the receiver may be null.
    CCompareTaskDlg(QWidget* parent, CScheduleTask* temp, zem::MessageTarget* receiver);
    ~CCompareTaskDlg() override;

    const std::string& GetResultText() const { return m_resultText; }
    bool IsComparing() const { return m_worker.IsRunning(); }
    const std::vector<CTaskDifference>& GetDifferences() const { return m_entries; }
    QComboBox* GetList() const { return m_list; }
    CWeekTable& GetTempTable() { return m_tempTable; }
    CWeekTable& GetFormalTable() { return m_formalTable; }
    // Shows the difference at the list's index in both tables.
    void ShowDifference(int index);
    // Hands the differing timetables to the receiver.
    void RequestExport();

    // For tests: called on the worker before each timetable, with its position and the stop flag,
    // so that a test can hold the worker there.
    using WorkerHook = std::function<void(int index, const std::atomic<bool>& stop)>;
    void SetWorkerHook(WorkerHook hook) { m_workerHook = std::move(hook); }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Work(CScheduleTask* temp, CScheduleTask* formal);
    // Stops the worker and waits, serving its sends, until it has ended.
    void StopWorker();
    void Layout();

    CScheduleTask* m_temp;
    zem::MessageTarget* m_receiver;
    CWeekTable m_tempTable;
    CWeekTable m_formalTable;
    QComboBox* m_list = nullptr;
    std::string m_resultText;
    std::vector<CTaskDifference> m_entries;
    // The worker has sent its last difference: the entries are read from now on.
    bool m_compared = false;
    zem::Rect m_tempLabel;
    zem::Rect m_formalLabel;

    CWorkerThread m_worker;
    WorkerHook m_workerHook;
};
