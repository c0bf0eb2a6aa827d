#pragma once
// "自动排课基本规则": the four basic preferences of the automatic run, switched on or off for the
// open task and saved with its input file on OK.
#include "platform/gui/Dialog.h"

class QCheckBox;

class CScheduleRulesDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 178,
        IDC_STRICT_DISTRIBUTION = 1036,
        IDC_MAIN_COURSE_FORENOON = 1035,
        IDC_CONCENTRATE_TEACHER = 1242,
        IDC_CONCENTRATE_SELF_STUDY = 1243
    };

    explicit CScheduleRulesDlg(QWidget* parent = nullptr);

    // The boxes, 0 or 1, in the order of the task's flags.
    int m_strictDistribution = 0;
    int m_sortByMainCourseType = 0;
    int m_concentrateByTeacher = 0;
    int m_concentrateSelfstudy = 0;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    QCheckBox* Box(int id) const;
};
