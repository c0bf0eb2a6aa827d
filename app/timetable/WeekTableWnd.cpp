#include "app/timetable/WeekTableWnd.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/TextBuilders.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QComboBox>

#include <algorithm>

using zem::Rect;

namespace {

CZemObject* ItemObject(const QComboBox* combo, int index)
{
    if (index < 0 || index >= combo->count())
        return nullptr;
    return reinterpret_cast<CZemObject*>(combo->itemData(index).value<qulonglong>());
}

}  // namespace

CWeekTableWnd::CWeekTableWnd() = default;

CWeekTableWnd::~CWeekTableWnd() = default;

bool CWeekTableWnd::Create(QWidget* owner, int cookie, CScheduleTask* task)
{
    m_task = task;
    m_notify = dynamic_cast<zem::MessageTarget*>(owner);
    m_cookie = cookie;
    setParent(owner);
    setObjectName("Zem_WeekTable");
    setWindowTitle("Zem_WeekTable");
    m_container.Create(this, task, this, true);

    const QFont& font = CGdiResources::GetInstance()->DefaultFont.GetQFont();
    m_kindChooser = new QComboBox(this);
    m_kindChooser->setFont(font);
    for (const char* text : {"班级课表", "教师课表", "教室课表"})
        m_kindChooser->addItem(zem::gui::ToQ(text));
    m_kindChooser->resize(80, 24);
    m_objectChooser = new QComboBox(this);
    m_objectChooser->setFont(font);
    m_objectChooser->setMaxVisibleItems(20);
    m_objectChooser->resize(180, 24);
    m_pickButton = new CHoverButton("...", this);
    m_pickButton->resize(24, 24);
    QObject::connect(m_kindChooser, &QComboBox::activated, this, [this] { OnKindChanged(); });
    QObject::connect(m_objectChooser, &QComboBox::activated, this, [this] { OnObjectChanged(); });
    QObject::connect(m_pickButton, &QAbstractButton::clicked, this, [this] { OnPick(); });

    m_kindChooser->setCurrentIndex(0);
    FillObjectChooser(0);
    if (m_objectChooser->count() > 0)
        OnObjectChanged();
    m_created = true;
    if (owner)
        show();
    resizeEvent(nullptr);
    return true;
}

void CWeekTableWnd::FillObjectChooser(int kind)
{
    m_objectChooser->clear();
    CStringPtrList items;
    BuildObjectList(kind, items, '-');
    for (const auto& item : items)
        m_objectChooser->addItem(zem::gui::ToQ(item->text), QVariant::fromValue(reinterpret_cast<qulonglong>(item->object)));
}

void CWeekTableWnd::SetObjects(int kind, const std::string& objectId)
{
    kind = std::clamp(kind, 0, 2);
    m_kindChooser->setCurrentIndex(kind);
    FillObjectChooser(kind);
    if (m_objectChooser->count() > 0)
        OnObjectChanged();
    m_container.SetObject(kind, objectId);
    Reload();
}

void CWeekTableWnd::GetCurrentObject(int& kind, std::string& objectId) const
{
    kind = m_container.GetKind();
    objectId = m_container.GetObjectId();
}

void CWeekTableWnd::Reload()
{
    Resync();
    Show();
}

void CWeekTableWnd::ReloadIfChanged()
{
    Resync();
    const CCourseTable* table = LoadCurrent();
    if (table && m_shown && TablesDiffer(m_task->GetSchoolStructure(), table, &*m_shown) == 0)
        return;
    Show();
}

void CWeekTableWnd::Resync()
{
    if (m_kindChooser->currentIndex() != m_container.GetKind()) {
        m_kindChooser->setCurrentIndex(m_container.GetKind());
        FillObjectChooser(m_container.GetKind());
    }
    for (int i = 0; i < m_objectChooser->count(); ++i) {
        const CZemObject* object = ItemObject(m_objectChooser, i);
        if (object && object->GetId() == m_container.GetObjectId()) {
            m_objectChooser->setCurrentIndex(i);
            return;
        }
    }
    // The object is gone: the first of the kind takes its place.
    if (m_objectChooser->count() > 0) {
        m_objectChooser->setCurrentIndex(0);
        if (const CZemObject* first = ItemObject(m_objectChooser, 0))
            m_container.SetObject(m_container.GetKind(), first->GetId());
    }
}

CCourseTable* CWeekTableWnd::LoadCurrent()
{
    CTaskHelper helper(m_task, AppHelperContext());
    const std::string& id = m_container.GetObjectId();
    switch (m_container.GetKind()) {
    case TABLE_CLASS:
        if (CClassInfo* cls = helper.GetClass(id)) {
            m_info = "班主任：" + cls->GetHeadTeacherName();
            return &cls->GetTable(true);
        }
        return nullptr;
    case TABLE_TEACHER:
        if (CTeacherInfo* teacher = helper.GetTeacher(id)) {
            m_info = zem::Format("周课时数：%s", helper.GetWeekCount(&teacher->GetTable(true)).ToString().c_str());
            return &teacher->GetTable(true);
        }
        return nullptr;
    default:
        if (CRoomInfo* room = helper.GetRoom(id)) {
            m_info.clear();  // a room has none; the last object's would mislead
            return &room->GetCombineTable(true);
        }
        return nullptr;
    }
}

void CWeekTableWnd::Show()
{
    // Without an object the grid empties: the last object's lessons must not stand under another kind.
    CCourseTable* table = LoadCurrent();
    m_container.SetTable(table);
    if (table)
        m_shown = *table;
    else
        m_shown.reset();
    update(m_infoRect.left, m_infoRect.top, m_infoRect.Width(), m_infoRect.Height());
}

void CWeekTableWnd::OnKindChanged()
{
    FillObjectChooser(m_kindChooser->currentIndex());
    if (m_objectChooser->count() == 0) {
        m_info.clear();
        m_container.SetObject(m_kindChooser->currentIndex(), std::string());
        Show();
        return;
    }
    m_objectChooser->setCurrentIndex(0);
    OnObjectChanged();
}

void CWeekTableWnd::OnObjectChanged()
{
    const CZemObject* object = ItemObject(m_objectChooser, m_objectChooser->currentIndex());
    if (!object)
        return;
    m_container.SetObject(m_kindChooser->currentIndex(), object->GetId());
    Show();
}

void CWeekTableWnd::OnPick()
{
    const int kind = m_container.GetKind();
    const std::string chosen = PickObjectOfKind(this, kind);
    if (!chosen.empty())
        SetObjects(kind, chosen);
}

void CWeekTableWnd::OnTableChanged(int code, void* object)
{
    LoadCurrent();
    update(m_infoRect.left, m_infoRect.top, m_infoRect.Width(), m_infoRect.Height());
    Resync();
    // The container wrote the change into the grid itself.
    if (const CCourseTable* table = m_container.GetTable())
        m_shown = *table;
    std::string plans;
    if (code == kPlaced && object)
        plans = static_cast<CCourseInfo*>(object)->GetId();
    else if (code == kCleared && object)
        plans = *static_cast<std::string*>(object);
    zem::SendMessage(m_notify, WM_PANE_TABLE_CHANGED, static_cast<zem::WPARAM>(m_cookie), zem::ToLParam(&plans));
}

void CWeekTableWnd::SetCentreTitle(const std::string&)
{
    // The container went to another object itself: the choosers follow, and the owner hears of it.
    LoadCurrent();
    Resync();
    update();
    const std::string id = m_container.GetObjectId();
    zem::SendMessage(m_notify, WM_WEEKTABLE_CHANGED, static_cast<zem::WPARAM>(m_cookie), zem::ToLParam(&id));
}

void CWeekTableWnd::resizeEvent(QResizeEvent*)
{
    if (!m_created)
        return;
    const Rect table(5, 30, std::max(5, width() - 5), std::max(30, height() - 5));
    SetWidgetRect(&m_container, table);
    m_kindChooser->move(table.left, 5);
    m_objectChooser->move(table.left + 82, 5);
    m_pickButton->setGeometry(table.left + 263, 5, 24, 24);
    m_infoRect = Rect(table.right - 100, 5, table.right, table.top);
}

void CWeekTableWnd::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        FillCellBackground(&dc, client);
        dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
        dc.SetTextColor(zem::RGB(255, 255, 255));
        dc.DrawText(m_info, m_infoRect, zem::gui::DT_LEFT | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    });
}
