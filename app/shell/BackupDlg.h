#pragma once
// Copies the open task (task file, data, settings, temporary and proctoring folders) into a dated
// folder the user chooses, and records the copy in the task's backup list as a manual backup.
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;

class CBackupDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 248,
        IDC_OPEN_AFTER = 1128,
        IDC_TASK_FOLDER = 1268,
        IDC_TARGET_FOLDER = 1269,
        IDC_FOLDER_NAME = 1270,
        IDC_BROWSE = 1271,
    };

    explicit CBackupDlg(QWidget* parent = nullptr);

    // The fields, filled at initialisation and read back on OK.
    std::string m_taskFolderPath;
    std::string m_targetFolderPath;
    std::string m_folderNameText;
    bool m_openFolderAfter = true;

    // "<name>_yyyymmddhhmm" of the current local time.
    static std::string MakeFolderName(const std::string& taskName);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(class QPaintEvent* event) override;

private:
    void TakeFields();
    void OnBrowse();
    // Shows the error of a failed step with the hint that fits it; the dialog stays open.
    void ShowCopyError(const std::string& text, int errorCode, bool sourceMissing);
    // The steps of OnOK before the copy.
    bool TakeFolderName();
    bool MayBackUpTo(const std::string& source, const std::string& target, const std::string& destination);

    QLineEdit* m_taskFolder = nullptr;
    QLineEdit* m_targetFolder = nullptr;
    QLineEdit* m_folderName = nullptr;
    QCheckBox* m_openAfter = nullptr;
};
