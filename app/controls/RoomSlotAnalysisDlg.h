#pragma once
// The modal dialog in which the user chooses the room of a lesson at one slot: every room of the
// open task with whether it is free then, free rooms first; a busy room is refused.
#include "app/controls/SearchListDlg.h"

#include <memory>
#include <string>
#include <vector>

class CRoomInfo;
class CScheduleTask;
class CTaskHelper;

class CRoomSlotAnalysisDlg : public CSearchListDlg {
public:
    explicit CRoomSlotAnalysisDlg(QWidget* parent = nullptr);
    ~CRoomSlotAnalysisDlg() override;

    // The slot and the week part (0 every week, 1 odd weeks, 2 even weeks).
    int m_day = 0;
    int m_segment = 0;
    int m_section = 0;
    int m_weekPart = 0;
    std::string m_planId;
    std::string m_currentRoomId;  // never reported busy

    // After IDOK: the chosen room (owned by the task), or null.
    CRoomInfo* GetChosenRoom() const { return m_chosen.empty() ? nullptr : m_chosen.front(); }
    const std::vector<CRoomInfo*>& GetChosenRooms() const { return m_chosen; }

    // A row's analysis: rank 0 free, 1 busy.
    struct RowRecord {
        int rank = 0;
        std::string text;
        CRoomInfo* room = nullptr;
    };
    const RowRecord* GetRowRecord(int row) const;

    void FillList(const std::string& filter) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void InitList() override;
    virtual bool InsertRow(CRoomInfo* room, CScheduleTask* task);
    virtual bool ValidateSelection();

private:
    std::unique_ptr<CTaskHelper> m_helper;  // reads the rules once for every row
    std::vector<std::unique_ptr<RowRecord>> m_records;
    std::vector<CRoomInfo*> m_chosen;
};
