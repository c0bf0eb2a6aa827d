#pragma once
// A list box that shows each entry as a card: its text wrapped and centred, a count in the top
// right corner and a note in the bottom right, the note in red when it warns.
#include "platform/gui/Font.h"

#include <QListWidget>

#include <string>
#include <string_view>

class CZemObject;

// The record behind a card; its owner keeps it alive while the list shows it.
struct CCardInfo {
    CZemObject* object = nullptr;
    int count = 0;        // shown when above 0, with the note
    std::string note;
    bool warning = false;
};

class CCardListBox : public QListWidget {
public:
    static constexpr int kMargin = 12;

    explicit CCardListBox(QWidget* parent = nullptr);

    // Appends an entry with the text; returns its index.
    int AddString(std::string_view text);
    void ResetContent() { clear(); }
    int GetCount() const { return count(); }
    int GetCurSel() const { return currentRow(); }
    void SetCurSel(int index) { setCurrentRow(index); }
    std::string GetText(int index) const;

    void SetItemDataPtr(int index, CCardInfo* card);
    // The entry's record; null for an invalid index or an entry without one.
    CCardInfo* GetItemDataPtr(int index) const;
    CZemObject* GetItemObject(int index) const;
    // Stores the three values in the entry's record and repaints it; nothing without a record.
    void SetItemInfo(int index, int count, const std::string& note, bool warning);

    int m_margin = kMargin;
    zem::gui::Font m_font;  // of the texts

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
