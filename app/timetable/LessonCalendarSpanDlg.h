#pragma once
// Asks for the dates the lesson calendar covers: the current month unless told otherwise. An empty
// span, or one over a year, is refused and the dialog stays open.
#include "platform/gui/Dialog.h"

#include <chrono>

class CLessonCalendarSpanDlg : public zem::gui::Dialog {
public:
    enum { IDC_FIRST = 1001, IDC_LAST = 1002 };

    explicit CLessonCalendarSpanDlg(QWidget* parent = nullptr);

    // In: the span shown, the current month when not ok; out after IDOK: the span chosen.
    std::chrono::year_month_day m_firstDate{};
    std::chrono::year_month_day m_lastDate{};

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;
};
