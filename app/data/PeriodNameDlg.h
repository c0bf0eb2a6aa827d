#pragma once
// "设置节次名称": every period of a teaching week with its default and its custom name, the custom
// names switched on or off; "自定义节次名称": the custom name of one period, up to two lines.
#include "base/SchoolStructure.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ReportList.h"

#include <string>

class QCheckBox;

class CPeriodNameDlg : public zem::gui::Dialog {
public:
    static constexpr int IDC_USE_CUSTOM = 1301;
    static constexpr int IDC_PERIOD_LIST = 1302;
    // List columns: the hidden period id, the default name, the custom name.
    static constexpr int COLUMN_ID = 0;
    static constexpr int COLUMN_DEFAULT = 1;
    static constexpr int COLUMN_CUSTOM = 2;

    explicit CPeriodNameDlg(QWidget* parent = nullptr);
    ~CPeriodNameDlg() override;

    // The week whose periods are listed; without one the list stays empty.
    void SetSchoolStructure(const CSchoolStructure* structure) { m_structure = structure; }
    // After OK: the names to hand to the week.
    const CPeriodNameList& GetPeriodNameList() const { return m_names; }
    zem::gui::ReportList* GetList() const { return m_list; }
    // Edits the row's custom name, as a double click on it does.
    void EditRow(int row);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutControls();
    void SetCustomNamesOn(bool on);

    const CSchoolStructure* m_structure = nullptr;
    CPeriodNameList m_names;
    QCheckBox* m_useCustom = nullptr;
    zem::gui::ReportList* m_list = nullptr;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
    zem::Rect m_listFrame;
};

class CCustomPeriodNameDlg : public zem::gui::Dialog {
public:
    static constexpr int IDC_DEFAULT_NAME = 1311;
    static constexpr int IDC_CUSTOM_NAME = 1312;

    explicit CCustomPeriodNameDlg(QWidget* parent = nullptr);

    // Set before DoModal; after OK the custom name holds what was typed, its line breaks as "\r\n"
    // and every full-width colon made ASCII.
    std::string m_defaultName;
    std::string m_customName;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
