#include "app/controls/FriendTablesWnd.h"

#include "app/shared/AppServices.h"
#include "app/controls/GdiResources.h"
#include "app/controls/ScrollPanel.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/controls/WeekTableCells.h"
#include "app/taskhelper/TaskHelper.h"
#include "platform/gui/DC.h"
#include "platform/gui/ScrollCodes.h"
#include "table/WeekTable.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using zem::Rect;
using namespace zem::gui;

CFriendTablesWnd::CFriendTablesWnd()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The grids go before the window does.
CFriendTablesWnd::~CFriendTablesWnd() = default;

bool CFriendTablesWnd::Create(QWidget* panel, CScheduleTask* task)
{
    m_owner = panel;
    m_task = task;
    setObjectName("Friend_Tables");
    setParent(panel);
    setMouseTracking(true);
    setGeometry(0, 0, 0, 0);
    if (panel)
        show();
    m_created = true;
    return true;
}

void CFriendTablesWnd::SetCurrentObject(TABLE_TYPE kind, const std::string& id)
{
    m_currentKind = kind;
    m_currentId = id;
}

std::vector<std::string> CFriendTablesWnd::GetRememberedOrder(const std::string& currentId) const
{
    const auto it = m_orderMemory.find(currentId);
    return it == m_orderMemory.end() ? std::vector<std::string>() : it->second;
}

void CFriendTablesWnd::Fill(const std::vector<std::string>& ids, TABLE_TYPE kind)
{
    m_entries.clear();
    std::vector<std::string> order = ids;
    if (const auto remembered = m_orderMemory.find(m_currentId); remembered != m_orderMemory.end()) {
        std::size_t next = 0;
        for (const std::string& id : remembered->second) {
            const auto found = std::find(order.begin() + static_cast<std::ptrdiff_t>(next), order.end(), id);
            if (found == order.end())
                continue;
            std::iter_swap(order.begin() + static_cast<std::ptrdiff_t>(next), found);
            ++next;
        }
    }
    if (order.size() > static_cast<std::size_t>(kMaxTables))
        order.resize(kMaxTables);
    if (m_task) {
        for (const std::string& id : order) {
            RelatedObject object;
            object.kind = kind;
            CZemObject* found = nullptr;
            switch (kind) {
            case TABLE_CLASS:
                if (CClassInfo* cls = m_task->GetClass(id)) {
                    found = cls;
                    object.table = &cls->GetTempTable();
                }
                break;
            case TABLE_TEACHER:
                if (CTeacherInfo* teacher = m_task->GetTeacher(id)) {
                    found = teacher;
                    object.table = &teacher->GetTempTable();
                }
                break;
            case TABLE_ROOM:
                if (CRoomInfo* room = m_task->GetRoom(id)) {
                    found = room;
                    object.table = &room->GetCombineTable(true);
                }
                break;
            }
            if (!found || !object.table)
                continue;
            object.id = found->GetId();
            object.name = found->GetName();
            AddEntry(object);
        }
    }
    Layout();
}

void CFriendTablesWnd::AddEntry(const RelatedObject& object)
{
    auto entry = std::make_unique<Entry>();
    entry->object = object;
    entry->grid = std::make_unique<CWeekTable>();
    entry->grid->Init(this);
    entry->grid->SetTitleHeight(18);
    CWeekTableCells cells(*entry->grid);
    CTaskHelper(m_task).SetupWeekTable(&cells, nullptr, true);
    FillTable(*entry->grid, entry->object);
    m_entries.push_back(std::move(entry));
}

void CFriendTablesWnd::FillTable(CWeekTable& grid, const RelatedObject& object)
{
    grid.Clear();
    if (!m_task || !object.table) {
        grid.Refresh();
        return;
    }
    CTaskHelper helper(m_task);
    CWeekTableCells cells(grid);
    CellInfoParam param;
    param.showRoomSeat = AppServices().GetShowRoomNumber();
    const CSchoolStructure& week = m_task->GetSchoolStructure();
    ForEachSlot(week, [&](const tagTABLE_NODE& node) {
        const auto [day, segment, section] = node;
        if (!object.table->IsUsed(node)) {
            const std::string activity = m_task->GetActivityInfo(object.id, object.kind, node);
            helper.SetCellInfo(&cells, day, segment, section, MakeCellKey(activity, ""));
            return;
        }
        const CCourseTableNode& cell = object.table->GetNode(node);
        helper.SetCellInfo(&cells, day, segment, section, m_task->GetCellInfo(cell, object.kind, param));
        if (IsFriendLesson(cell.data(1).GetCourseId(), cell.data(1).GetRoomId()) ||
            IsFriendLesson(cell.data(2).GetCourseId(), cell.data(2).GetRoomId()))
            grid.SetCellFriend({week.GetWeekOrderByNumber(day), segment, section});
    });
    grid.Refresh();
}

bool CFriendTablesWnd::IsFriendLesson(const std::string& courseId, const std::string& roomId) const
{
    CTaskHelper helper(m_task);
    const CCourseInfo* course = helper.FindCourse(courseId);
    if (!course)
        return false;
    switch (m_currentKind) {
    case TABLE_CLASS:
        if (course->GetClassId() == m_currentId)
            return true;
        break;
    case TABLE_TEACHER:
        return helper.IsTeacherOfCourse(course, m_currentId);
    case TABLE_ROOM:
        return roomId == m_currentId;
    }
    // A class's lessons include those it takes in a combined class with others.
    const CCombineClass* group = m_task->GetCombineCourseList().FindByCourse(courseId);
    if (!group)
        return false;
    for (const std::string& otherId : group->GetCombineCourse()) {
        if (otherId == courseId)
            continue;
        if (const CCourseInfo* other = helper.FindCourse(otherId); other && other->GetClassId() == m_currentId)
            return true;
    }
    return false;
}

void CFriendTablesWnd::ShowCourse(const std::string& courseId)
{
    if (!m_task)
        return;
    auto* course = dynamic_cast<CCourseInfo*>(m_task->GetCourseInfoList().Find(courseId));
    std::vector<std::string> teachers;
    if (course)
        m_task->GetAllTeacherId(teachers, course, true);
    for (const std::unique_ptr<Entry>& entry : m_entries) {
        const std::string& id = entry->object.id;
        if (course && id != course->GetClassId() && !StringArrayContainsNoCase(teachers, id) &&
            id != course->GetRoomParam())
            continue;
        FillTable(*entry->grid, entry->object);
    }
}

CWeekTable* CFriendTablesWnd::FindTable(const std::string& id) const
{
    for (const std::unique_ptr<Entry>& entry : m_entries)
        if (entry->object.id == id)
            return entry->grid.get();
    return nullptr;
}

void CFriendTablesWnd::BringToFront(const std::string& id)
{
    for (std::size_t i = 1; i < m_entries.size(); ++i)
        if (m_entries[i]->object.id == id) {
            BringToFrontAt(static_cast<int>(i));
            return;
        }
}

void CFriendTablesWnd::BringToFrontAt(int index)
{
    if (index < 1 || index >= static_cast<int>(m_entries.size()))
        return;
    auto entry = m_entries.begin() + index;
    std::rotate(m_entries.begin(), entry, entry + 1);
    Layout();
    if (auto* panel = dynamic_cast<CScrollPanel*>(m_owner))
        panel->OnVScroll(SB_THUMBPOSITION, 0);
    RememberOrder();
}

void CFriendTablesWnd::RememberOrder()
{
    std::vector<std::string>& order = m_orderMemory[m_currentId];
    order.clear();
    for (const std::unique_ptr<Entry>& entry : m_entries)
        order.push_back(entry->object.id);
}

void CFriendTablesWnd::Layout()
{
    Rect client(0, 0, width(), height());
    client.DeflateRect(6, 0, 6, 0);
    client.right = std::max(client.left, client.right);
    const int periods = m_task ? m_task->GetSchoolStructure().GetDayNodeCount() : 0;
    const int block = kTitleBandHeight + 28 * periods + 38;
    m_contentHeight = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& entry = *m_entries[i];
        const int s = static_cast<int>(i) * block;
        const Rect grid(client.left, client.top + s + 20, client.right, client.top + s + block - 10);
        entry.grid->setGeometry(grid.left, grid.top, grid.Width(), grid.Height());
        const int pinLeft = std::max(client.left + 2, client.right - 40);
        entry.titleRect = Rect(client.left + 2, grid.top - 20, pinLeft, grid.top);
        entry.pinRect = Rect(pinLeft, grid.top - 20, std::max(pinLeft, client.right - 2), grid.top);
        m_contentHeight = grid.bottom + 10;
    }
    update();
}

void CFriendTablesWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_created)
        Layout();
}

void CFriendTablesWnd::paintEvent(QPaintEvent*)
{
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    {
        DC dc(&image);
        dc.FillSolidRect(Rect(0, 0, width(), height()), zem::RGB(240, 240, 240));
        dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
        dc.SetBkMode(TRANSPARENT);
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const Entry& entry = *m_entries[i];
            dc.SetTextColor(zem::RGB(0, 0, 0));
            dc.DrawText(entry.object.name, entry.titleRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            if (i > 0) {
                dc.SetTextColor(zem::RGB(0, 0, 255));
                dc.DrawText("置顶", entry.pinRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
            }
        }
    }
    QPainter(this).drawImage(0, 0, image);
}

int CFriendTablesWnd::HitPin(QPoint point) const
{
    for (std::size_t i = 1; i < m_entries.size(); ++i)
        if (m_entries[i]->pinRect.PtInRect({point.x(), point.y()}))
            return static_cast<int>(i);
    return -1;
}

void CFriendTablesWnd::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    CGdiResources* resources = CGdiResources::GetInstance();
    setCursor(HitPin(event->position().toPoint()) >= 0 ? resources->m_handCursor : resources->m_arrowCursor);
}

void CFriendTablesWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        if (const int pin = HitPin(event->position().toPoint()); pin >= 1)
            BringToFrontAt(pin);
    QWidget::mousePressEvent(event);
}
