#pragma once
// "批量添加教室": the special rooms and places of a school that classes compete for, from a fixed
// list; each ticked one becomes a room that holds one class at a time.
#include "app/data/BatchAddCommon.h"

#include <memory>
#include <string>
#include <vector>

struct CRoomPreset {
    int id;
    std::string name;
    std::string shortName;
    bool tickedAtStart;
};

// The fourteen rooms, in the order the list shows them.
std::vector<std::unique_ptr<CRoomPreset>> BuildRoomPresets();

class CBatchAddRoomDlg : public CBatchCheckListDlg {
public:
    enum { IDD = 298, IDC_LIST = 1246 };

    // The room page that opens the dialog is its parent and receives the rows.
    explicit CBatchAddRoomDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    // Sends the ticked rooms and closes; with none ticked it asks for one and stays open.
    void OnOK() override;
};
