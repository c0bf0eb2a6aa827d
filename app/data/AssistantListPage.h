#pragma once
// The assistant teachers of plans: one row per plan, owning a working copy of its assistant record.
// The task's list and the assistants' timetables change only when the page is saved.
#include "app/controls/ListBaseDlg.h"
#include "app/controls/MultiSelectDlg.h"

#include <string>
#include <vector>

class CCourseAssistant;
class CCourseInfo;
class CScheduleTask;

class CAssistantListPage : public CListBaseDlg, public CMultiSelectCheck {
public:
    enum { IDC_EXPORT = 1088 };

    explicit CAssistantListPage(QWidget* parent = nullptr);

    void Add() override;
    void Edit() override;
    bool Save() override;
    std::string Title() override { return "助教"; }
    void OnRowDoubleClick() override { Edit(); }

    // Whether every chosen teacher is free at each placed lesson of the plan. A busy teacher opens
    // the conflict dialog (noDialog then false); a fixed no-class time is refused with a message.
    bool CheckAssistants(const std::vector<std::string>& ids, const std::string& planId, bool* noDialog);
    bool CheckChosenIds(const std::vector<std::string>& ids, const std::string& checkId) override;

    // The row's record; null for a row without one.
    CCourseAssistant* RowRecord(int row) const;
    // The row of the plan, or -1.
    int FindPlanRow(const std::string& planId) const;

protected:
    void OnCommand(int id) override;
    bool OnInitDialog() override;
    void InitColumns() override;
    void Import() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    zem::LRESULT OnAssistantRow(CPageNotify* notify, const CPageRow* cells);
    // Opens the teacher chooser for the plan; the chosen ids on OK.
    bool ChooseAssistants(const CCourseInfo* plan, const std::string& caption, std::vector<std::string>* ids);
    int AppendRow(CCourseAssistant* record);
    void ShowRow(int row);
    void SelectOnly(int row);

    // The timetables hold changes the timetable file has not been written with yet.
    bool m_outputPending = false;
};
