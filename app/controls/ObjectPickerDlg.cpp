#include "app/controls/ObjectPickerDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/Bitmaps.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Pinyin.h"
#include "app/shared/Strings.h"
#include "base/ScheduleTask.h"
#include "base/TableNode.h"
#include "base/ZemObject.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/QtText.h"

#include <QLabel>
#include <QLineEdit>

using zem::Rect;
using zem::gui::ItemList;

namespace {

constexpr zem::COLORREF kIconMask = zem::RGB(255, 255, 255);

// The open task's list, or none without an open task.
const CZemObjectList* TaskList(CZemObjectList& (CScheduleTask::*list)())
{
    CScheduleTask* task = AppServices().GetTask();
    return task ? &(task->*list)() : nullptr;
}

}  // namespace

CObjectPickerDlg::CObjectPickerDlg(QWidget* parent) : Dialog(parent, "", {336, 169}) {}

bool CObjectPickerDlg::OnInitDialog()
{
    PrepareItems();
    SetCaption(m_caption);

    AddHoverButton(this, IDC_SHOW_ALL, "显示全部(&A)");
    auto* label = new QLabel(QStringLiteral("搜索"), this);
    AddControl(IDC_SEARCH_LABEL, label);
    m_search = new QLineEdit(this);
    m_search->setFrame(false);
    m_search->setText(zem::gui::ToQ(m_searchText));
    AddControl(IDC_SEARCH, m_search);
    m_list = new ItemList(this, ItemList::Mode::Icon);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->SetSingleSelection(true);
    AddControl(IDC_LIST, m_list);
    AddHoverButton(this, zem::IDOK, "确定(&O)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消(&C)");
    Layout();

    m_images.Add(LoadBitmapResource(m_iconBitmap), kIconMask);
    AddImages();
    m_list->SetImageList(m_images);

    QObject::connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_searchText = zem::gui::FromQ(text);
        FillList(m_searchText);
    });
    m_list->onDoubleClick = [this](int) { OnOK(); };
    FillList(m_searchText);

    if (m_centreWindow) {
        const QPoint centre = m_centreWindow->mapToGlobal(m_centreWindow->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    m_search->setFocus();
    return true;
}

void CObjectPickerDlg::Layout()
{
    if (!m_list)
        return;
    const auto& u = Units();
    const int buttonHeight = u.Y(14);
    PlaceButtonRow(this, (kDialogBandHeight - buttonHeight) / 2, {IDC_SHOW_ALL}, {});
    m_searchFrame = PlaceSearchBand(this, GetDlgItem(IDC_SHOW_ALL), GetDlgItem(IDC_SEARCH_LABEL), m_search);
    const int buttonsTop = height() - u.X(7) - buttonHeight;
    m_listFrame = PlaceBandList(this, m_list, buttonsTop);
    PlaceButtonRow(this, buttonsTop, {}, {zem::IDOK, zem::IDCANCEL});
}

void CObjectPickerDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CObjectPickerDlg::FillList(const std::string& filter)
{
    if (!m_source || !m_list)
        return;
    m_list->DeleteAllItems();
    std::vector<CZemObject*> objects;
    MapToOrderedList(*m_source, objects);
    for (CZemObject* object : objects) {
        if (std::find(m_excluded.begin(), m_excluded.end(), object->GetId()) != m_excluded.end())
            continue;
        if (!filter.empty() && !PinyinMatch(object->GetName(), filter))
            continue;
        const int index =
            m_list->InsertItem(m_list->GetItemCount(), object->GetName(), 0, reinterpret_cast<std::uintptr_t>(object));
        DecorateItem(index);
    }
    if (m_list->GetItemCount() > 0)
        m_list->SetSelected(0, true);
}

void CObjectPickerDlg::OnCommand(int id)
{
    if (id == IDC_SHOW_ALL) {
        m_searchText.clear();
        m_search->clear();
        FillList(m_searchText);
        return;
    }
    Dialog::OnCommand(id);
}

void CObjectPickerDlg::OnOK()
{
    const int index = m_list ? m_list->GetFirstSelected() : -1;
    if (index < 0) {
        ShowMessage("没有选择对象");
        return;
    }
    m_selected = m_list->GetItemPtr<CZemObject>(index);
    if (ValidateSelection())
        EndDialog(zem::IDOK);
}

void CObjectPickerDlg::paintEvent(QPaintEvent*)
{
    PaintBandDialog(this, m_searchFrame, m_listFrame);
}

CClassPickerDlg::CClassPickerDlg(QWidget* parent) : CObjectPickerDlg(parent)
{
    m_caption = "选择班级";
    m_iconBitmap = IDB_CLASS_PICKER;
    m_source = TaskList(&CScheduleTask::GetClassInfoList);
}

CRoomPickerDlg::CRoomPickerDlg(QWidget* parent) : CObjectPickerDlg(parent)
{
    m_caption = "选择教室";
    m_iconBitmap = IDB_ROOM_PICKER;
    m_source = TaskList(&CScheduleTask::GetRoomInfoList);
}

CCoursePickerDlg::CCoursePickerDlg(QWidget* parent) : CObjectPickerDlg(parent)
{
    m_caption = "选择课程";
    m_iconBitmap = IDB_COURSE_PICKER;
    m_source = TaskList(&CScheduleTask::GetSubjectInfoList);
}

CTeacherPickerDlg::CTeacherPickerDlg(QWidget* parent) : CObjectPickerDlg(parent)
{
    m_caption = "选择教师";
    m_iconBitmap = IDB_TEACHER_PICKER;
    m_source = TaskList(&CScheduleTask::GetTeacherInfoList);
}

CTeacherGroupPickerDlg::CTeacherGroupPickerDlg(QWidget* parent) : CObjectPickerDlg(parent)
{
    m_caption = "选择教师组";
    m_iconBitmap = IDB_TEACHER_PICKER;
    m_source = TaskList(&CScheduleTask::GetTeacherGroupInfoList);
}

CTeacherAbsencePickerDlg::CTeacherAbsencePickerDlg(QWidget* parent) : CTeacherPickerDlg(parent) {}

void CTeacherAbsencePickerDlg::PrepareItems()
{
    m_hasLessons.clear();
    if (!m_source)
        return;
    for (const auto& [id, object] : *m_source) {
        const auto* teacher = dynamic_cast<const CZemTableObject*>(object);
        bool used = false;
        for (int day = 0; teacher && !used && day < zem::kDayCount; ++day)
            for (int segment = 0; !used && segment < zem::kSegmentCount; ++segment)
                for (int section = 0; !used && section < zem::kSectionCount; ++section)
                    used = teacher->GetTable(false).IsUsed(day, segment, section);
        m_hasLessons[id] = used;
    }
}

void CTeacherAbsencePickerDlg::AddImages()
{
    m_images.Add(LoadBitmapResource(IDB_TEACHER_NO_LESSON), kIconMask);
}

void CTeacherAbsencePickerDlg::DecorateItem(int index)
{
    const auto* teacher = m_list->GetItemPtr<CZemObject>(index);
    if (!teacher || m_hasLessons[teacher->GetId()])
        return;
    m_list->SetItemText(index, teacher->GetName() + " (无课)");
    m_list->SetItemImage(index, 1);
}

bool CTeacherAbsencePickerDlg::ValidateSelection()
{
    if (m_selected && m_hasLessons[m_selected->GetId()])
        return true;
    ShowMessage((m_selected ? m_selected->GetName() : std::string()) + " 老师在该任务中没有安排课程或已被代课");
    return false;
}

std::string PickObjectOfKind(QWidget* parent, int kind)
{
    auto run = [](CObjectPickerDlg&& picker) {
        return picker.DoModal() == zem::IDOK && picker.GetSelectedObject() ? picker.GetSelectedObject()->GetId()
                                                                           : std::string();
    };
    if (kind == TABLE_TEACHER)
        return run(CTeacherPickerDlg(parent));
    if (kind == TABLE_ROOM)
        return run(CRoomPickerDlg(parent));
    return run(CClassPickerDlg(parent));
}
