#pragma once
// The modal dialog that asks for one name.
#include "platform/gui/Dialog.h"

#include <string>

class CNameInputDlg : public zem::gui::Dialog {
public:
    enum { IDD = 263, IDC_NAME = 1003 };

    explicit CNameInputDlg(QWidget* parent = nullptr);

    // In: the name shown at the start. Out after IDOK: the name typed, without trailing blanks; never
    // empty and never holding a character the task's files cannot hold.
    std::string m_name;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
