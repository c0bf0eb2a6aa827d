#pragma once
// The report of the last automatic run: its text with the result line emphasised (red when the
// data check failed or the result could not be saved), and for a run that placed lessons the
// button that opens the timetables.
#include "platform/gui/Dialog.h"

#include <string>

class QTextEdit;

class CAutoScheduleReportDlg : public zem::gui::Dialog {
public:
    enum { IDD = 386, IDC_REPORT = 1062 };
    // Mode: the finish code of the run (1 all placed, 2 data check failed, 3 lessons left), or
    // 4 when opened from the tool box.
    enum { MODE_ALL_PLACED = 1, MODE_CHECK_FAILED = 2, MODE_LESSONS_LEFT = 3, MODE_TOOL_BOX = 4 };

    explicit CAutoScheduleReportDlg(QWidget* parent = nullptr);

    std::string m_caption = "自动排课报告";
    std::string m_report;
    int m_mode = MODE_TOOL_BOX;
    // Whether "查看课表(&V)" can open anything; without a timetable window it is shown disabled.
    bool m_canViewTables = true;

    QTextEdit* GetReportEdit() const { return m_edit; }

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Makes the line after the heading bold, and red when asked; false without the heading.
    bool EmphasiseLineAfter(const char* heading, bool red);

    QTextEdit* m_edit = nullptr;
    zem::Rect m_frameRect;
};
