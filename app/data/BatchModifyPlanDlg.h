#pragma once
// Changes one property of one course's plans in many classes at once: the request goes to the
// list page as WM_PLAN_BATCH_MODIFY, which reports how many classes it changed.
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class CZemObjectList;

class CBatchModifyPlanDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 351,
        IDC_CHOOSE_CLASSES = 1370,
        IDC_CHOSEN = 1242,
        IDC_COURSE = 1017,
        IDC_PROPERTY = 1341,
        IDC_VALUE = 1369,
        IDC_VALUE_LIST = 1018
    };

    explicit CBatchModifyPlanDlg(QWidget* parent = nullptr);

    // Inputs.
    std::string m_caption;
    zem::MessageTarget* m_receiver = nullptr;
    bool m_selfStudy = false;
    const CZemObjectList* m_classes = nullptr;
    const CZemObjectList* m_courses = nullptr;

    const std::vector<std::string>& GetClassIds() const { return m_classIds; }
    void ChooseClasses();
    void OnPropertyChanged();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::string> m_classIds;
};
