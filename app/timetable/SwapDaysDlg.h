#pragma once
// The inputs of the day swap: two days in use of the open task.
#include "platform/gui/Dialog.h"

class CScheduleTask;

class CSwapDaysDlg : public zem::gui::Dialog {
public:
    enum { IDC_DAY_A = 1001, IDC_DAY_B = 1002 };

    CSwapDaysDlg(QWidget* parent, const CScheduleTask& task);

    // The chosen day numbers, valid after OK.
    int GetDayA() const { return m_dayA; }
    int GetDayB() const { return m_dayB; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    const CScheduleTask& m_task;
    int m_dayA = -1;
    int m_dayB = -1;
};
