#pragma once
// "基本数据统计": how much basic data the open task holds, one line per list, read-only.
#include "platform/gui/Dialog.h"

#include <string>
#include <utility>
#include <vector>

class CScheduleTask;
namespace zem::gui {
class ReportList;
}

// The lines of the statistics: what is counted, and its value.
std::vector<std::pair<std::string, std::string>> CollectDataStatistics(const CScheduleTask& task);

class CDataStatisticsDlg : public zem::gui::Dialog {
public:
    enum { IDD = 247, IDC_LIST = 1126 };

    // Without a task the open task is counted; without either the dialog does not open.
    explicit CDataStatisticsDlg(QWidget* parent = nullptr, const CScheduleTask* task = nullptr);

    zem::gui::ReportList* GetList() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    const CScheduleTask* m_task;
    zem::gui::ReportList* m_list = nullptr;
    zem::Rect m_listFrame;
};
