#pragma once
// The input of the row shift: which boundary moves, or where a period is added.
#include "app/timetable/TableMoves.h"
#include "platform/gui/Dialog.h"

class CShiftRowDlg : public zem::gui::Dialog {
public:
    enum { IDC_SHIFT = 1001 };

    explicit CShiftRowDlg(QWidget* parent);

    // The chosen shift, valid after OK.
    const CRowShift& GetShift() const { return m_shift; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CRowShift m_shift;
};
