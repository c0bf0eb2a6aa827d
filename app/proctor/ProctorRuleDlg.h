#pragma once
// The two rules of the automatic assignment: whether a room's invigilators should teach the class
// that sits there, and whether they should teach the subject of the exam; each "无所谓", "尽量避免"
// or "优先安排一位".
#include "base/ScheduleProctor.h"
#include "platform/gui/Dialog.h"

class QRadioButton;

class CProctorRuleDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 397,
        IDC_CLASS_ANY = 1433,
        IDC_CLASS_AVOID = 1434,
        IDC_CLASS_PREFER = 1435,
        IDC_SUBJECT_ANY = 1437,
        IDC_SUBJECT_AVOID = 1438,
        IDC_SUBJECT_PREFER = 1439,
    };

    explicit CProctorRuleDlg(QWidget* parent = nullptr);

    // In and, after IDOK, out; the radios of a group in the order of the values.
    CProctorData::Policy m_classPolicy = CProctorData::Policy::Avoid;
    CProctorData::Policy m_subjectPolicy = CProctorData::Policy::PreferOne;

    QRadioButton* Radio(int id) const;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The chosen value of the group whose first radio is `firstId`; `fallback` when none is checked.
    CProctorData::Policy ValueOf(int firstId, CProctorData::Policy fallback) const;
};
