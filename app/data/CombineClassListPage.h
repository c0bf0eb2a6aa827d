#pragma once
// The combined classes: plans of different classes taught together as one lesson. Rows come from
// the combined-class plan picker (plan ids) or a workbook (subject, teacher, kind, class names);
// each row keeps its own copy of the group. A group is refused before it reaches the list when its
// plans differ in weekly count or one of them is combined in another row.
#include "app/data/BasicDataPage.h"

#include <string>
#include <vector>

class CCombineClass;

class CCombineClassListPage : public CBasicDataPage {
public:
    enum { IDC_EXPORT = 1088, ID_SORT_BY_COURSE = 32895, ID_SORT_BY_TEACHER = 32901 };

    explicit CCombineClassListPage(QWidget* parent = nullptr);

    bool Save() override;
    void Add() override;
    void Edit() override;
    // By course or by teacher, as the user picks from the menu.
    void Sort() override;

    // One row: 0 when taken, -1 when refused.
    zem::LRESULT OnCombineRow(CPageNotify* notify, const CPageRow* cells);

protected:
    void OnCommand(int id) override;
    bool OnInitDialog() override;
    void InitColumns() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;

private:
    // The plans a workbook row names; false when it names none that can be combined (`notify` says why).
    bool ResolveByName(const CPageRow& cells, CPageNotify& notify, std::vector<std::string>& courseIds);
    // The plans' weekly counts agree and no other row than `ownRow` holds one of them.
    bool CheckGroup(const std::vector<std::string>& courseIds, int ownRow, CPageNotify& notify);
    void ShowGroup(int row, const CCombineClass& group);
    // The ids of every plan in a row but `exceptRow`.
    std::vector<std::string> CombinedIds(int exceptRow) const;
};
