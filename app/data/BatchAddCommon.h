#pragma once
// What the batch-add dialogs share: each sends its rows to the list page that opened it, and the
// dialogs that offer fixed entries show them as a ticked list in a frame on a white face.
#include "app/controls/PageNotify.h"
#include "platform/Gdi.h"
#include "platform/gui/Dialog.h"

#include <string_view>
#include <vector>

namespace zem::gui {
class ItemList;
}

// Sends one row to the page that owns the dialog (its parent), as a batch add does: appended, no
// message box for a duplicate, cells holding ids. True when the page took the row.
bool SendBatchRow(QWidget* dialog, const CPageRow& row);
// Sends the rows so, after asking the page whether it can take them all: a refusal (a limit of the
// task they would pass) is shown and nothing is sent, false. `taken` receives each row's answer.
bool SendBatchRows(QWidget* dialog, const std::vector<CPageRow>& rows, std::vector<bool>* taken = nullptr);

class CBatchCheckListDlg : public zem::gui::Dialog {
public:
    zem::gui::ItemList* GetList() const { return m_list; }
    // The rows ticked now, ascending.
    std::vector<int> TickedRows() const;

protected:
    // The list goes under `listId`, `inset` pixels inside its frame.
    CBatchCheckListDlg(QWidget* parent, std::string_view caption, zem::Size sizeUnits, int listId, int inset);

    // Creates the list with check boxes and the buttons: OK "批量添加", "取消", and, when their ids
    // are given, "全选" and "全不选", which tick or untick every row as it stands.
    void CreateList(int tickAllId, int tickNoneId);
    // The frame around the list starts `top` pixels from the client's top (a margin by default);
    // the buttons sit below it.
    void SetListTop(int top) { m_listTop = top; }
    int Margin() const { return Units().X(7); }

    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();

    int m_listId;
    int m_inset;
    int m_listTop = -1;
    int m_tickAllId = 0;
    int m_tickNoneId = 0;
    zem::gui::ItemList* m_list = nullptr;
    zem::Rect m_listFrame;
};
