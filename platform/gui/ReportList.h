#pragma once
// A report-style list: rows of texts under column headings, each row with one item datum, an
// optional check box and its own colours, addressed by row position as the program's lists are.
// Sorting is a stable sort with the caller's comparison; the view never sorts by itself, so a row's
// texts, datum, check and selection always move together.
#include "platform/Gdi.h"

#include <QHeaderView>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zem::gui {

class ReportListModel;

class ReportList : public QTableView {
public:
    enum class Align { Left, Center, Right };

    explicit ReportList(QWidget* parent = nullptr);
    ~ReportList() override;

    // Columns. A column past the end is appended; the new column's index is returned.
    int InsertColumn(int column, std::string_view heading, Align align = Align::Left, int width = 80);
    bool DeleteColumn(int column);
    int GetColumnCount() const;
    std::string GetColumnHeading(int column) const;
    bool SetColumnHeading(int column, std::string_view heading);
    void SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;

    // Rows. A row position past the end appends; the new row's position is returned (-1 without columns).
    int InsertItem(int row, std::string_view text, std::uintptr_t data = 0);
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const;
    bool SetItemText(int row, int column, std::string_view text);
    std::string GetItemText(int row, int column) const;
    bool SetItemData(int row, std::uintptr_t data);
    std::uintptr_t GetItemData(int row) const;
    template <class T>
    T* GetItemPtr(int row) const
    {
        return reinterpret_cast<T*>(GetItemData(row));
    }
    // The first row holding `data`, or -1.
    int FindItemData(std::uintptr_t data) const;
    // Exchanges two rows with everything they hold: texts, datum, check, colours and selection.
    void SwapItems(int a, int b);
    // A row's own colours; kDefaultColor keeps the list's.
    static constexpr COLORREF kDefaultColor = 0xFFFFFFFFu;
    void SetItemColors(int row, COLORREF text, COLORREF background = kDefaultColor);

    // Selection.
    void SetSingleSelection(bool single);
    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    void SelectAllRows();
    void ClearSelectedRows();
    int GetSelectedCount() const;
    std::vector<int> GetSelectedRows() const;  // ascending
    int GetFirstSelected() const;              // -1 when none
    void EnsureVisible(int row);

    // Check boxes, shown in column `column` of every row.
    void SetCheckBoxes(bool on, int column = 0);
    bool HasCheckBoxes() const;
    bool GetCheck(int row) const;
    // Changes the check without telling onCheckChanged (only the user's clicks do).
    void SetCheck(int row, bool checked);

    // Stable sort: `compare` receives the positions the two rows had before the sort and answers
    // <0, 0 or >0, as the program's row comparisons do.
    void SortItems(const std::function<int(int a, int b)>& compare);

    // Row height in pixels; 0 keeps the style's.
    void SetRowHeight(int height);

    // Replaces the column header with another (a skinned or sorting one); the list owns it and its
    // clicks still reach OnColumnClick.
    void SetHeader(QHeaderView* header);

    // Notifications.
    std::function<void()> onSelectionChanged;
    std::function<void(int row)> onDoubleClick;
    std::function<void(int column)> onColumnClick;
    std::function<void(int row, bool checked)> onCheckChanged;

protected:
    // A column heading was clicked; tells onColumnClick.
    virtual void OnColumnClick(int column);

private:
    void ConnectHeader();

    ReportListModel* m_model;
};

}  // namespace zem::gui
