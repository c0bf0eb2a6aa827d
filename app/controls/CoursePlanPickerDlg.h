#pragma once
// The modal dialogs in which the user picks teaching plans of the open task from a table with a
// search box: one plan, or any number by their check boxes. The derived pickers check what was
// picked: plans that form a combined class (sent to the list page), plans adjusted together, plans
// pre-arranged at one time, and one plan of a class for a lesson slot with an analysis of each.
#include "app/controls/SearchListDlg.h"

#include "base/TableNode.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class CClassInfo;
class CCourseInfo;
class CScheduleTask;
class CTaskHelper;

namespace zem {
class MessageTarget;
}

class CCoursePlanPickerDlg : public CSearchListDlg {
public:
    // The search text that lists the checked plans only.
    static constexpr const char* kSelectedFilter = "%SELECTED%";

    explicit CCoursePlanPickerDlg(QWidget* parent = nullptr);

    // Inputs.
    bool m_singleSelection = true;           // false: check boxes
    bool m_sameKindRequired = true;          // checked plans must be of one kind
    std::string m_classFilter;               // a class id (ignoring case); empty lists every class
    bool m_onlyHalfLessons = false;          // only plans whose weekly count has a half lesson
    std::vector<std::string> m_preChecked;   // plan ids (ignoring case)
    bool m_showChosenAtStart = false;        // start with the checked plans only, when there are any

    // After IDOK: the chosen plans (owned by the task), in the picker's order.
    const std::vector<CCourseInfo*>& GetChosenPlans() const { return m_chosen; }
    int GetChosenCount() const { return static_cast<int>(m_chosen.size()); }
    // The ids of every checked plan, listed or hidden by the search.
    const std::set<std::string>& GetCheckedSet() const { return m_checked; }

    void FillList(const std::string& filter) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void InitList() override;

    // Called at the start after the layout, before the first fill.
    virtual void PrepareRows() {}
    // Called when the chosen plans are valid.
    virtual void OnConfirm() { EndDialog(zem::IDOK); }
    virtual bool RowMatches(CCourseInfo* plan, const std::string& filter, CScheduleTask* task);
    // Lists the plan; the new row, or -1 when the plan is not listed.
    virtual int InsertRow(CCourseInfo* plan, CScheduleTask* task);
    // Called on OK with the chosen plans set; false keeps the dialog open (the check told the user why).
    virtual bool ValidateSelection() { return true; }
    virtual CCourseInfo* GetRowPlan(int row);

    // The checked set follows the listed rows; the caption shows how many are checked.
    void UpdateCaption();
    void CheckAllListed(bool checked);

    CScheduleTask* m_task = nullptr;
    std::vector<CCourseInfo*> m_plans;  // in the picker's order
    std::set<std::string> m_checked;
    std::vector<CCourseInfo*> m_chosen;
    bool m_updating = false;
};

// Plans of several classes taught together: on OK the chosen ids go to the parent list page as one
// row; unless the dialog closes after that, it stays open for the next group.
class CCombinedClassPlanDlg : public CCoursePlanPickerDlg {
public:
    explicit CCombinedClassPlanDlg(QWidget* parent = nullptr);

    std::vector<std::string> m_combinedIds;  // plans already in a combined class (ignoring case)
    bool m_closeAfterAdd = false;            // also the row's replace flag
    zem::MessageTarget* m_page = nullptr;    // the list page; the parent when it is one

protected:
    bool ValidateSelection() override;
    void OnConfirm() override;
};

// Plans adjusted together: no two may hold different lessons at one slot.
class CPlanPairPickerDlg : public CCoursePlanPickerDlg {
public:
    using CCoursePlanPickerDlg::CCoursePlanPickerDlg;

protected:
    bool ValidateSelection() override;
};

// Plans pre-arranged at the same time: never two of one class, nor two of one teacher.
class CPresetPlanPickerDlg : public CCoursePlanPickerDlg {
public:
    using CCoursePlanPickerDlg::CCoursePlanPickerDlg;

protected:
    bool ValidateSelection() override;
};

// One plan of a class for a lesson slot: each plan of a kind the slot takes is listed with whether
// it can be placed there (every week, odd or even weeks), those that can first.
class CPlanSlotAnalysisDlg : public CCoursePlanPickerDlg {
public:
    explicit CPlanSlotAnalysisDlg(QWidget* parent = nullptr);
    ~CPlanSlotAnalysisDlg() override;

    // The slot; the class is the class filter.
    int m_day = 0;
    int m_segment = 0;
    int m_section = 0;

    // After IDOK: the chosen plan, or null.
    CCourseInfo* GetChosenPlan() const { return m_chosen.empty() ? nullptr : m_chosen.front(); }

    // The analysis of a row: rank 0 can be placed, 1 can but all its lessons are placed, 2 cannot.
    struct RowRecord {
        int rank = 0;
        std::string text;
        CCourseInfo* plan = nullptr;
    };
    const RowRecord* GetRowRecord(int row) const;

    void FillList(const std::string& filter) override;

protected:
    void PrepareRows() override;
    int InsertRow(CCourseInfo* plan, CScheduleTask* task) override;
    bool ValidateSelection() override;
    CCourseInfo* GetRowPlan(int row) override;

private:
    CClassInfo* m_class = nullptr;
    std::unique_ptr<CTaskHelper> m_helper;  // reads the rules once for every row
    std::vector<std::unique_ptr<RowRecord>> m_records;
};
