#pragma once
// Changes the start-up password, which zem.ini keeps only as its MD5 digest ([SYSTEM] Auth). An
// empty new password removes it.
#include "platform/gui/Dialog.h"

#include <string>

class CChangePasswordDlg : public zem::gui::Dialog {
public:
    enum { IDD = 290, IDC_OLD = 1225, IDC_NEW = 1226, IDC_REPEAT = 1227 };

    // The settings file that holds the digest.
    explicit CChangePasswordDlg(const std::string& iniPath, QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(class QPaintEvent* event) override;

private:
    std::string m_iniPath;
};
