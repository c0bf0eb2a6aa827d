#pragma once
// A list of items without columns, addressed by position as the program's lists are: in list mode
// small entries fill columns from top to bottom and wrap into the next column; in icon mode large
// icons with their text beneath fill rows from left to right. Every item shows its whole text: a
// column is as wide as its widest text, an icon cell as large as the largest label. Each item has a
// text, one datum, an image of the list's image list and, when check boxes are on, a check.
#include "platform/gui/ImageList.h"

#include <QListWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zem::gui {

class ItemList : public QListWidget {
public:
    enum class Mode { List, Icon };

    explicit ItemList(QWidget* parent = nullptr, Mode mode = Mode::List);
    ~ItemList() override;

    void SetMode(Mode mode);
    Mode GetMode() const { return m_mode; }
    // The images items name by index; the list keeps a copy.
    void SetImageList(const ImageList& images);

    // An index past the end appends; the new item's index is returned.
    int InsertItem(int index, std::string_view text, int image = -1, std::uintptr_t data = 0);
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const { return count(); }
    bool SetItemText(int index, std::string_view text);
    std::string GetItemText(int index) const;
    bool SetItemImage(int index, int image);
    int GetItemImage(int index) const;
    bool SetItemData(int index, std::uintptr_t data);
    std::uintptr_t GetItemData(int index) const;
    template <class T>
    T* GetItemPtr(int index) const
    {
        return reinterpret_cast<T*>(GetItemData(index));
    }

    // Selection.
    void SetSingleSelection(bool single);
    bool IsSelected(int index) const;
    void SetSelected(int index, bool selected);
    std::vector<int> GetSelectedRows() const;  // ascending
    int GetFirstSelected() const;              // -1 when none
    void EnsureVisible(int index);
    // Where the item's text is drawn, inside the margins the style keeps, in viewport coordinates.
    QRect GetItemTextRect(int index) const;

    // Check boxes beside every item.
    void SetCheckBoxes(bool on);
    bool HasCheckBoxes() const { return m_checkBoxes; }
    bool GetCheck(int index) const;
    // Changes the check without telling onCheckChanged (only the user's clicks do).
    void SetCheck(int index, bool checked);

    // Notifications.
    std::function<void()> onSelectionChanged;
    std::function<void(int index)> onDoubleClick;
    std::function<void(int index, bool checked)> onCheckChanged;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Icon view: the cells grow to hold the item's (every item's) label whole, never shrinking
    // while items are added, so a long list is measured once.
    void FitGridTo(int index);
    void FitGridToAll();

    Mode m_mode = Mode::List;
    bool m_checkBoxes = false;
    bool m_settingCheck = false;
    std::vector<QIcon> m_icons;
};

}  // namespace zem::gui
