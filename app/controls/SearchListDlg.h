#pragma once
// The frame of the plan and room pickers: a grey band with "显示全部", a search box that filters the
// table as the user types, a report table of rows, OK and Cancel. The check-box pickers also show
// "显示已选中", "全选" and "全不选". Derived dialogs fill the table.
#include "platform/gui/Dialog.h"

#include <string>

class QLineEdit;

namespace zem::gui {
class ReportList;
}

class CSearchListDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 202,
        IDC_SEARCH = 1120,
        IDC_SHOW_ALL = 1121,
        IDC_SEARCH_LABEL = 1122,
        IDC_SHOW_SELECTED = 1123,
        IDC_LIST = 1080,
        IDC_CHECK_ALL = 1273,
        IDC_CHECK_NONE = 1274
    };
    // Row height of the tables, as their 18-pixel row images set it.
    static constexpr int kRowHeight = 20;

    explicit CSearchListDlg(QWidget* parent = nullptr);

    void SetTitle(const std::string& caption) { m_caption = caption; }
    zem::gui::ReportList* GetList() const { return m_list; }

    std::string m_caption;
    std::string m_okText;      // empty keeps "确定"
    std::string m_cancelText;  // empty keeps "取消"
    std::string m_searchText;

protected:
    // Builds the frame and calls InitList; the derived dialog fills the table.
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Adds the columns (the header, grid lines and row height are set already).
    virtual void InitList() = 0;
    // Empties the table and lists the rows that pass the filter.
    virtual void FillList(const std::string& filter) = 0;

    // Shows the three buttons of the check-box pickers.
    void ShowCheckButtons();
    // The search box emptied without refilling, and the text kept.
    void ClearSearch();
    void Layout();

    zem::gui::ReportList* m_list = nullptr;
    QLineEdit* m_search = nullptr;

private:
    zem::Rect m_searchFrame;
    zem::Rect m_listFrame;
    bool m_clearing = false;
};
