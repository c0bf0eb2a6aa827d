#include "app/data/TeacherGroupDlg.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/Drawing.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shared/Strings.h"
#include "app/data/BasicDataPage.h"
#include "base/ZemObject.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/QtText.h"

#include <QLabel>
#include <QLineEdit>

#include <set>

using zem::Rect;
using zem::gui::ItemList;
using zem::gui::ToQ;

CTeacherGroupDlg::CTeacherGroupDlg(QWidget* parent) : Dialog(parent, "添加教师组信息", {300, 220}) {}

bool CTeacherGroupDlg::OnInitDialog()
{
    SetCaption(m_caption);
    auto* label = new QLabel(ToQ(m_label), this);
    AddControl(IDC_NAME_LABEL, label);
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    m_edit->setText(ToQ(m_name));
    AddControl(IDC_NAME, m_edit);
    m_count = new QLabel(this);
    AddControl(IDC_MEMBER_COUNT, m_count);
    AddHoverButton(this, IDC_CHOOSE_MEMBERS, "选择成员");
    m_list = new ItemList(this, ItemList::Mode::Icon);
    m_list->setFrameShape(QFrame::NoFrame);
    zem::gui::ImageList images(32, 32);
    AddBitmapToImageList(&images, IDB_TEACHER_PICKER);
    m_list->SetImageList(images);
    AddControl(IDC_MEMBERS, m_list);
    AddHoverButton(this, zem::IDOK, m_modify ? "保存教师组(&S)" : "添加教师组(&A)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "关闭(&C)");

    // The members in the order of the teacher list.
    if (m_teachers) {
        const std::set<std::string> members(m_memberIds.begin(), m_memberIds.end());
        m_memberIds.clear();
        for (const CZemObject* teacher : ObjectsInOrder(*m_teachers))
            if (members.count(teacher->GetId()))
                m_memberIds.push_back(teacher->GetId());
    }
    FillMembers();
    Layout();
    m_edit->setFocus();
    return true;
}

void CTeacherGroupDlg::Layout()
{
    if (!m_list)
        return;
    const auto& u = Units();
    const int margin = u.X(7);
    const int rowHeight = u.Y(14);
    QWidget* label = GetDlgItem(IDC_NAME_LABEL);
    label->adjustSize();
    SetWidgetTopLeft(label, margin, (kDialogBandHeight - label->height()) / 2);
    const int bandTop = (kDialogBandHeight - rowHeight) / 2;
    m_nameFrame = Rect(margin + label->width() + u.X(6), bandTop, width() - margin, bandTop + rowHeight);
    PlaceEditInFrame(m_edit, m_nameFrame);

    const int countTop = kDialogBandHeight + u.Y(5);
    QWidget* choose = GetDlgItem(IDC_CHOOSE_MEMBERS);
    SetWidgetTopLeft(choose, width() - margin - choose->width(), countTop);
    SetWidgetRect(m_count, Rect(margin, countTop, choose->x() - u.X(4), countTop + rowHeight));

    const int buttonsTop = height() - margin - rowHeight;
    m_listFrame = PlaceList(this, m_list, countTop + rowHeight + u.Y(4), buttonsTop - u.Y(6));
    PlaceButtonRow(this, buttonsTop, {}, {zem::IDOK, zem::IDCANCEL});
}

void CTeacherGroupDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CTeacherGroupDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(Rect(0, 0, client.right, kDialogBandHeight), kDialogBandColor);
        DrawFramedBox(dc, m_nameFrame, true);
        dc.Draw3dRect(m_listFrame, kDialogFrameColor, kDialogFrameColor);
    });
}

void CTeacherGroupDlg::FillMembers()
{
    m_list->DeleteAllItems();
    for (const std::string& id : m_memberIds) {
        const CZemObject* teacher = m_teachers ? m_teachers->Find(id) : nullptr;
        if (teacher)
            m_list->InsertItem(m_list->GetItemCount(), teacher->GetName(), 0);
    }
    m_count->setText(ToQ(zem::Format("成员列表（共 %d 人）", m_list->GetItemCount())));
}

bool CTeacherGroupDlg::ChooseMembers()
{
    CMultiSelectDlg chooser(this);
    chooser.m_caption = "选择教师组成员";
    chooser.SetItems(m_teachers);
    chooser.m_preChecked = m_memberIds;
    if (chooser.DoModal() != zem::IDOK)
        return false;
    m_memberIds = chooser.GetChosenIds();
    FillMembers();
    return true;
}

void CTeacherGroupDlg::OnCommand(int id)
{
    if (id == IDC_CHOOSE_MEMBERS) {
        ChooseMembers();
        return;
    }
    Dialog::OnCommand(id);
}

void CTeacherGroupDlg::OnOK()
{
    std::string name = GetDlgItemText(IDC_NAME);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    if (name.empty()) {
        ShowMessage("请输入教师组的名称");
        m_edit->setFocus();
        return;
    }
    if (m_memberIds.empty()) {
        ShowMessage("请选择教师组成员");
        ChooseMembers();
        return;
    }
    std::string members;
    for (const std::string& id : m_memberIds)
        members += (members.empty() ? "" : ",") + id;
    if (!SendDialogRow(this, m_page, {name, members}, m_modify)) {
        m_edit->setFocus();
        return;
    }
    if (m_modify) {
        EndDialog(zem::IDOK);
        return;
    }
    ShowMessage(name + " 已添加");
    m_memberIds.clear();
    FillMembers();
    m_edit->clear();
    m_edit->setFocus();
}
