#pragma once
// The floating list of banner rows of the print preview ("通栏设置"): the two standard rows
// (the separators before the afternoon and before the evening, whose texts can be changed) and up
// to eight custom rows before or after a period. Every change goes into the program's week-table
// layout at once and the preview is told to redraw.
#include "platform/gui/Dialog.h"

namespace zem::gui {
class ReportList;
}

class CBannerSettingsDlg : public zem::gui::Dialog {
public:
    enum { IDC_LIST = 1330, IDC_ADD = 1331, IDC_MODIFY = 1332, IDC_DELETE = 1333 };

    CBannerSettingsDlg(QWidget* parent, zem::MessageTarget* notify);

    zem::gui::ReportList* GetList() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override {}
    void OnCancel() override { hide(); }

private:
    void FillList();
    void SetRowTexts(int row);
    // The selected row; without one, says so and answers -1.
    int SelectedRow() const;
    void OnAdd();
    void OnModify();
    void OnDelete();
    void Changed();

    zem::MessageTarget* m_notify;
    zem::gui::ReportList* m_list = nullptr;
};
