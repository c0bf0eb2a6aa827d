#pragma once
// The new-task dialog: the task's name and folder, and optionally the basic data and timetables
// of an existing task to start from.
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class CTaskInfo;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CNewTaskDlg : public zem::gui::Dialog {
public:
    enum {
        IDC_NAME = 1003,
        IDC_FOLDER = 1007,
        IDC_BROWSE = 1008,
        IDC_TAKE_EXISTING = 1275,
        IDC_TAKE_BASIC = 1279,
        IDC_TAKE_TABLES = 1280,
        IDC_SOURCE = 1282,
        IDC_OPTION_AREA = 1283,
    };

    CNewTaskDlg(QWidget* parent, CTaskInfo* info, bool hideTakeOption);
    ~CNewTaskDlg() override;

    // Read after OK.
    int m_nTakeFromExisting = 0;
    int m_nTakeBasicData = 1;
    int m_nTakeTimetables = 0;
    std::string m_strSourceTaskFile;

    const std::vector<std::string>& GetCandidates() const { return m_candidates; }
    bool IsExpanded() const;
    int CollapsedHeight() const { return m_nCollapsedHeight; }
    int ExpandedHeight() const { return m_nExpandedHeight; }

    // "2026学年第一学期" with the current year: the example shown in the name's tip.
    static std::string ExampleName();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(class QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CollectCandidates();
    void UpdateHeight();
    void OnNameChanged();
    void OnBrowse();
    // Shows the message, puts the focus on the control and keeps the dialog open.
    void Refuse(const std::string& text, zem::MessageIcon icon, int focusId);

    CTaskInfo* m_pInfo;
    bool m_bHideTakeOption;
    std::vector<std::string> m_candidates;
    int m_nWidth = 0;
    int m_nCollapsedHeight = 0;
    int m_nExpandedHeight = 0;
    zem::Rect m_optionArea;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_folder = nullptr;
    QCheckBox* m_takeExisting = nullptr;
    QCheckBox* m_takeBasic = nullptr;
    QCheckBox* m_takeTables = nullptr;
    QComboBox* m_source = nullptr;
};
