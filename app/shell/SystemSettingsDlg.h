#pragma once
// The program-wide settings not edited elsewhere: the start-up password, the workbook engine and
// two export options. Every change is written to zem.ini when it is made.
#include "platform/Gdi.h"
#include "platform/gui/Dialog.h"

#include <string>

class QCheckBox;
class QComboBox;

class CSystemSettingsDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 289,
        IDC_CHANGE_PASSWORD = 1223,
        IDC_WEEK_FORMAT = 1224,
        IDC_SCHOOL_FORMAT = 1225,
        IDC_PASSWORD_HINT = 1248,
        IDC_DRIVER = 1341,
        IDC_CHECK_ENGINE = 1347,
        IDC_MERGE_CONTINUOUS = 1397,
        IDC_AUTO_FILL = 1398,
    };
    // Height of the strip at the bottom that keeps the default background.

    explicit CSystemSettingsDlg(QWidget* parent = nullptr);

    static std::string PasswordHint();

    int m_driverIndex = 0;
    int m_mergeContinuousOn = 0;
    int m_autoFillOn = 0;

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void paintEvent(class QPaintEvent* event) override;

private:
    void OnDriverChanged(int index);
    void OnCheckEngine();

    QComboBox* m_driver = nullptr;
    QCheckBox* m_mergeContinuous = nullptr;
    QCheckBox* m_autoFill = nullptr;
    zem::Rect m_hintFrame;
};
