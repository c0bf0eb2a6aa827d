#pragma once
// Asks how much of a plan with a half lesson a week goes into a cell: a whole lesson, or the
// odd-week or even-week half.
#include "platform/gui/Dialog.h"

#include <string>

class CLessonCountDlg : public zem::gui::Dialog {
public:
    enum { IDD = 306, IDC_WHOLE = 1261, IDC_ODD = 1262, IDC_EVEN = 1263, IDC_COURSE = 1264 };

    explicit CLessonCountDlg(QWidget* parent = nullptr);

    // In: the radio chosen at the start; out after IDOK: 0 whole lesson, 1 odd weeks, 2 even weeks.
    int m_value = 0;
    std::string m_courseText;
    // No whole lesson is left to place: "1节" cannot be chosen.
    bool m_noWholeLeft = false;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
