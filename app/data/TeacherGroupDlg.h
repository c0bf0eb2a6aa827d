#pragma once
// The dialog that adds or modifies one teacher group: its name and its members, chosen from the
// task's teachers. It sends the group to its page with WM_PAGE_ROW; in add mode it stays open for
// the next group.
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class CZemObjectList;
class QLabel;
class QLineEdit;

namespace zem::gui {
class ItemList;
}

class CTeacherGroupDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 282,
        IDC_NAME = 1216,
        IDC_NAME_LABEL = 1217,
        IDC_MEMBER_COUNT = 1218,
        IDC_MEMBERS = 1219,
        IDC_CHOOSE_MEMBERS = 1059
    };

    explicit CTeacherGroupDlg(QWidget* parent = nullptr);

    // In: set by the page before the dialog runs.
    std::string m_caption = "添加教师组信息";
    std::string m_label = "教师组名";
    std::string m_name;
    std::vector<std::string> m_memberIds;
    const CZemObjectList* m_teachers = nullptr;
    bool m_modify = false;
    // The page the rows go to; the parent when not set.
    zem::MessageTarget* m_page = nullptr;

    // The members listed now, in the teacher list's order after the start.
    const std::vector<std::string>& GetMemberIds() const { return m_memberIds; }
    zem::gui::ItemList* GetMemberList() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    void FillMembers();
    // Opens the chooser of members; true when the user confirmed a choice.
    bool ChooseMembers();

    zem::gui::ItemList* m_list = nullptr;
    QLineEdit* m_edit = nullptr;
    QLabel* m_count = nullptr;
    zem::Rect m_nameFrame;
    zem::Rect m_listFrame;
};
