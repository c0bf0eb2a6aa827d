#pragma once
// The modal dialog in which the user ticks which of a list of texts to remove.
#include "platform/Gdi.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

namespace zem::gui {
class ItemList;
}

class CRemoveItemsDlg : public zem::gui::Dialog {
public:
    enum { IDD = 319, IDC_LIST = 1295, IDC_CHECK_ALL = 3, IDC_CHECK_NONE = 4 };

    explicit CRemoveItemsDlg(QWidget* parent = nullptr);

    // The window title.
    void SetPrompt(const std::string& prompt) { m_prompt = prompt; }
    // The texts offered, replacing earlier ones.
    void SetItems(const std::vector<std::string>& texts) { m_texts = texts; }
    // After IDOK: the positions of the ticked texts, ascending.
    const std::vector<unsigned>& GetCheckedIndices() const { return m_checkedIndices; }

    zem::gui::ItemList* GetList() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();

    std::string m_prompt;
    std::vector<std::string> m_texts;
    std::vector<unsigned> m_checkedIndices;
    zem::gui::ItemList* m_list = nullptr;
    zem::Rect m_listFrame;
};
