#include "app/data/BatchAddRoomDlg.h"

#include "app/shared/Strings.h"
#include "platform/gui/ItemList.h"

std::vector<std::unique_ptr<CRoomPreset>> BuildRoomPresets()
{
    static const CRoomPreset kRooms[] = {
        {1, "操场", "操场", true},          {2, "体育馆", "体育馆", true},      {3, "报告厅", "报告厅", false},
        {4, "音乐教室", "音室", true},      {5, "舞蹈教室", "舞室", true},      {6, "美术教室", "画室", true},
        {7, "书法教室", "书室", true},      {8, "篆刻教室", "篆室", false},     {9, "机房", "机房", true},
        {10, "计算机教室", "计室", false},  {11, "科学实验室", "科实", false},  {12, "生物实验室", "生实", false},
        {13, "物理实验室", "物实", false},  {14, "化学实验室", "化实", false},
    };
    std::vector<std::unique_ptr<CRoomPreset>> presets;
    for (const CRoomPreset& room : kRooms)
        presets.push_back(std::make_unique<CRoomPreset>(room));
    return presets;
}

CBatchAddRoomDlg::CBatchAddRoomDlg(QWidget* parent)
    : CBatchCheckListDlg(parent, "批量添加教室", {280, 120}, IDC_LIST, 1)
{
}

bool CBatchAddRoomDlg::OnInitDialog()
{
    CreateList(0, 0);
    for (const auto& room : BuildRoomPresets()) {
        const int row = GetList()->InsertItem(GetList()->GetItemCount(), room->name + "(" + room->shortName + ")", -1,
                                              static_cast<std::uintptr_t>(room->id));
        GetList()->SetCheck(row, room->tickedAtStart);
    }
    return true;
}

void CBatchAddRoomDlg::OnOK()
{
    const std::vector<int> ticked = TickedRows();
    if (ticked.empty()) {
        ShowMessage("请先勾选要添加的教室");
        return;
    }
    const auto presets = BuildRoomPresets();
    std::vector<CPageRow> rows;
    for (int row : ticked) {
        const auto id = static_cast<int>(GetList()->GetItemData(row));
        for (const auto& room : presets)
            if (room->id == id)
                rows.push_back({room->name, room->shortName, "1"});
    }
    if (SendBatchRows(this, rows))
        EndDialog(zem::IDOK);
}
