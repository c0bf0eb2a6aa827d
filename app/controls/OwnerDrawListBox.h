#pragma once
// A list box of 36-pixel items, each showing a class's current name and its new name joined by an
// arrow, with the two short names in grey below them: the rename list of the grade promotion.
#include <QListWidget>

#include <string>
#include <string_view>

// What one item of the list shows. Its owner keeps the records alive while the list shows them.
struct CRenameRecord {
    std::string name;
    std::string shortName;
    std::string newName;
    std::string newShortName;
};

class COwnerDrawListBox : public QListWidget {
public:
    static constexpr int kItemHeight = 36;

    explicit COwnerDrawListBox(QWidget* parent = nullptr);

    // Appends an item with the text (read by screen readers and tests); returns its index.
    int AddString(std::string_view text);
    void ResetContent();
    int GetCount() const { return count(); }
    void SetItemDataPtr(int index, CRenameRecord* record);
    CRenameRecord* GetItemDataPtr(int index) const;
    int GetCurSel() const { return currentRow(); }
    void SetCurSel(int index) { setCurrentRow(index); }
};
