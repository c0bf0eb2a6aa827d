#pragma once
// "批量添加班级": the classes of a whole school in one step. The user picks a school type, the style
// of the class numbers and the classes per grade, or, for a university or vocational school, a
// range of intake years and a list of majors; the preview shows the first class's name.
#include "app/data/SchoolTypePresets.h"
#include "platform/gui/Dialog.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class CBatchAddClassDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 297,
        IDC_SCHOOL_TYPE = 1237,
        IDC_COUNT = 1238,
        IDC_STYLE = 1239,
        IDC_BRACKETS = 1240,
        IDC_PREVIEW = 1241,
        IDC_MAJORS = 1242,
        IDC_FROM_YEAR = 1243,
        IDC_TO_YEAR = 1244,
        IDC_YEAR_TO_LABEL = 1245,
        IDC_LABEL_COUNT = 32820,
        IDC_LABEL_STYLE = 32821,
        IDC_LABEL_YEARS = 32822,
        IDC_LABEL_MAJORS = 32823,
        IDC_LABEL_TYPE = 32824,
    };

    // The class page that opens the dialog is its parent and receives the rows.
    explicit CBatchAddClassDlg(QWidget* parent = nullptr);
    ~CBatchAddClassDlg() override;

    const CBatchClassSettings& GetSettings() const { return *m_settings; }

    // Reads the controls into the settings and shows the preview.
    void Refresh();

protected:
    bool OnInitDialog() override;
    // Checks what the chosen mode uses (classes per grade 1 to 99, or at least one major), then
    // sends every class and closes. Nothing is sent while something is wrong.
    void OnOK() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    // Shows the normal or the university set of controls.
    void ShowModeControls();

    std::unique_ptr<CBatchClassSettings> m_settings;
    QComboBox* m_schoolType = nullptr;
    QComboBox* m_style = nullptr;
    QCheckBox* m_brackets = nullptr;
    QLineEdit* m_count = nullptr;
    QLabel* m_preview = nullptr;
    QComboBox* m_fromYear = nullptr;
    QComboBox* m_toYear = nullptr;
    QLineEdit* m_majors = nullptr;
    zem::Rect m_previewFrame;
    bool m_tipShown = false;
};
