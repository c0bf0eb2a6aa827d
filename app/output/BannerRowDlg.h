#pragma once
// The editor of one banner row ("通栏"): where it stands (segment, period, before or after) and
// its text. A standard row keeps its place; only its text changes.
#include "platform/gui/Dialog.h"
#include "table/TableDefs.h"

class CBannerRowDlg : public zem::gui::Dialog {
public:
    enum { IDC_TYPE = 1340, IDC_SEGMENT = 1341, IDC_SECTION = 1342, IDC_POSITION = 1343, IDC_TEXT = 1347 };

    // A new row: custom, before the third forenoon period.
    explicit CBannerRowDlg(QWidget* parent);
    // Changes a copy of the row; on OK row() holds it.
    CBannerRowDlg(QWidget* parent, const BlankLine& row);

    const BlankLine& row() const { return m_row; }
    bool IsModify() const { return m_modify; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    BlankLine m_row;
    bool m_modify = false;
};
