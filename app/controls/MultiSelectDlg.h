#pragma once
// The modal dialog in which the user ticks any number of objects out of a list, with a search box
// (names, their pinyin or its initials) and a running summary of what is ticked. The caller sets the
// inputs, runs it and reads the chosen ids after IDOK.
#include "platform/gui/Dialog.h"

#include <set>
#include <string>
#include <vector>

class CZemObject;
class CZemObjectList;
class QLabel;
class QLineEdit;

namespace zem::gui {
class ItemList;
}

// A caller's last word on the chosen ids: false keeps the multi-select dialog open (the check has
// told the user why).
class CMultiSelectCheck {
public:
    virtual ~CMultiSelectCheck() = default;
    virtual bool CheckChosenIds(const std::vector<std::string>& ids, const std::string& checkId) = 0;
};

class CMultiSelectDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 251,
        IDC_SHOW_ALL = 1121,
        IDC_SHOW_SELECTED = 1123,
        IDC_SEARCH_LABEL = 1122,
        IDC_SEARCH = 1120,
        IDC_LIST = 1135,
        IDC_CHECK_ALL = 1136,
        IDC_CHECK_NONE = 1137,
        IDC_SUMMARY = 1023
    };
    // The search text that lists the ticked items only.
    static constexpr const char* kSelectedFilter = "%SELECTED%";

    explicit CMultiSelectDlg(QWidget* parent = nullptr);

    // The objects offered, in the order of their order field; the dialog does not own them. A null
    // list leaves the items as they are.
    void SetItems(const CZemObjectList* items);

    // Inputs.
    std::string m_caption;
    std::string m_okText;                  // replaces "确定" when not empty
    std::string m_confirmText;             // asked before accepting when not empty; "%COUNT%" is the count
    std::vector<std::string> m_preChecked; // ticked at the start (ids compared ignoring case)
    std::vector<std::string> m_excluded;   // never listed
    bool m_checkAll = false;               // every listed item starts ticked
    int m_minCount = 1;
    CMultiSelectCheck* m_check = nullptr;  // asked on OK with the chosen ids and m_checkId
    std::string m_checkId;

    // Results after IDOK: the ticked ids in item order, hidden items included, and the ticked set.
    const std::vector<std::string>& GetChosenIds() const { return m_chosenIds; }
    const std::set<std::string>& GetCheckedSet() const { return m_checked; }
    std::string GetSummaryText() const;

    // Lists the items whose names pass the filter ("%SELECTED%": the ticked ones).
    void FillList(const std::string& filter);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    void CheckAllListed(bool checked);
    void UpdateSummary();

    std::vector<CZemObject*> m_items;
    std::set<std::string> m_checked;
    std::vector<std::string> m_chosenIds;
    bool m_updating = false;
    zem::gui::ItemList* m_list = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_summary = nullptr;
    zem::Rect m_searchFrame;
    zem::Rect m_listFrame;
};
