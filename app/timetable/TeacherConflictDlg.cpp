#include "app/timetable/TeacherConflictDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/controls/WeekTableCells.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/TimetableWindowSave.h"
#include "app/shared/SaveFailure.h"
#include "base/ConfigHost.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/PopupMenu.h"

#include <QPainter>

using zem::Rect;

namespace {

constexpr zem::COLORREF kClashColor = zem::RGB(255, 0, 0);
constexpr zem::COLORREF kSolvedColor = zem::RGB(34, 139, 34);
constexpr zem::COLORREF kHintColor = zem::RGB(128, 128, 128);
constexpr int kSideTitleHeight = 20;

}  // namespace

CTeacherConflictDlg::CTeacherConflictDlg(QWidget* parent) : Dialog(parent, "教师时间冲突", {631, 346}) {}

CTeacherConflictDlg::~CTeacherConflictDlg() = default;

void CTeacherConflictDlg::AddConflict(CCourseInfo* plan, CZemObject* focusObject, int focusKind)
{
    if (plan)
        m_plans.push_back(plan);
    m_focusObject = focusObject;
    m_focusKind = focusKind;
}

void CTeacherConflictDlg::AddConflicts(const std::vector<CCourseInfo*>& plans, CZemObject* focusObject, int focusKind)
{
    for (CCourseInfo* plan : plans)
        if (plan)
            m_plans.push_back(plan);
    m_focusObject = focusObject;
    m_focusKind = focusKind;
}

void CTeacherConflictDlg::SetObjectPair(CZemObject* objectA, const std::vector<std::string>& idsA, CZemObject* objectB,
                                        const std::vector<std::string>& idsB)
{
    m_pairMode = true;
    m_objectA = objectA;
    m_idsA = idsA;
    m_objectB = objectB;
    m_idsB = idsB;
}

const CCourseTable* CTeacherConflictDlg::TableOf(CZemTableObject* object)
{
    if (!object)
        return nullptr;
    auto* room = dynamic_cast<CRoomInfo*>(object);
    return room ? &room->GetCombineTable(true) : &object->GetTable(true);
}

bool CTeacherConflictDlg::OnInitDialog()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!m_windowTitle.empty())
        SetCaption(m_windowTitle);

    m_leftTitleRect = UnitsRect(7, 4, 152, 14);
    const Rect leftTable = UnitsRect(7, 20, 152, 170);
    m_rightTitleRect = UnitsRect(471, 4, 152, 14);
    const Rect rightTable = UnitsRect(471, 20, 152, 170);
    m_centreTitleRect = UnitsRect(170, 73, 290, 18);
    const Rect centreTable = UnitsRect(170, 92, 290, 213);
    m_statusRect = Rect(leftTable.right + 8, leftTable.top, rightTable.left - 8, leftTable.top + 26);
    m_hintRect = m_centreTitleRect;
    m_hintRect.OffsetRect(0, -(m_centreTitleRect.Height() + 6));
    m_centreArea = Rect(centreTable.left - 200, centreTable.top - 35, centreTable.right + 200, centreTable.bottom + 12);

    CTaskHelper helper(task, AppHelperContext());
    for (CWeekTable* grid : {&m_leftGrid, &m_rightGrid}) {
        grid->Init(this, nullptr);
        grid->SetTitleHeight(kSideTitleHeight);
        CWeekTableCells cells(*grid);
        helper.SetupWeekTable(&cells, nullptr, true);
    }
    SetWidgetRect(&m_leftGrid, leftTable);
    SetWidgetRect(&m_rightGrid, rightTable);

    m_centre.Create(this, task, this, true);
    SetWidgetRect(&m_centre, centreTable);
    // The program's one move-sound setting, shared with the week timetable window.
    m_centre.GetGrid().SetPlaySoundInMoving(AppServices().GetPlaySoundInMoving());
    m_centre.GetGrid().SetColorMode(AppServices().GetColorTable());
    m_centre.SetMenuMode(CTableContainer::kMenuConflict);

    auto* gotoButton = new CHoverButton("转到", this);
    gotoButton->setAutoDefault(false);
    SetWidgetRect(gotoButton, UnitsRect(424, 75, 36, 14));
    AddControl(IDC_GOTO, gotoButton);
    m_save = new CHoverButton("保存", this);
    m_save->setAutoDefault(false);
    SetWidgetRect(m_save, UnitsRect(466, 322, 86, 17));
    AddControl(IDC_SAVE, m_save);
    EnableItem(IDC_SAVE, false);
    auto* cancel = new CHoverButton("取消", this);
    cancel->setAutoDefault(false);
    SetWidgetRect(cancel, UnitsRect(557, 322, 67, 17));
    AddControl(zem::IDCANCEL, cancel);
    setFixedSize(size());

    // Whatever an earlier window left unsaved is not this dialog's to keep.
    helper.RestoreTempTables();

    if (m_pairMode) {
        if (m_objectA)
            m_leftTitle = zem::Format("%s 的课表", m_objectA->GetName().c_str());
        if (m_objectB)
            m_rightTitle = zem::Format("%s 的课表", m_objectB->GetName().c_str());
    } else {
        if (!m_plans.empty())
            m_leftTitle = DescribeCourses(m_plans.front(), static_cast<int>(m_plans.size()));
        if (m_focusObject)
            m_rightTitle = zem::Format("%s 的课表", m_focusObject->GetName().c_str());
    }
    FillSideGrids();
    CountConflicts(true);
    if (!m_classIds.empty())
        ShowClass(m_classIds.front());
    return true;
}

void CTeacherConflictDlg::FillSideGrids()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return;
    CTaskHelper helper(task, AppHelperContext());
    CWeekTableCells left(m_leftGrid);
    CWeekTableCells right(m_rightGrid);
    // Short names: full class names do not fit the narrow side grids' cells.
    if (m_pairMode) {
        if (const CCourseTable* a = TableOf(dynamic_cast<CZemTableObject*>(m_objectA)))
            helper.FillWeekTable(&left, a, TABLE_TEACHER, false, false, 0, "");
        if (const CCourseTable* b = TableOf(dynamic_cast<CZemTableObject*>(m_objectB)))
            helper.FillWeekTable(&right, b, TABLE_TEACHER, false, false, 0, "");
    } else {
        std::vector<const CCourseTable*> tables;
        for (CCourseInfo* plan : m_plans)
            tables.push_back(&plan->GetTable(true));
        helper.FillWeekTableEx(&left, tables, TABLE_TEACHER);
        if (const CCourseTable* focus = TableOf(dynamic_cast<CZemTableObject*>(m_focusObject)))
            helper.FillWeekTable(&right, focus, static_cast<TABLE_TYPE>(m_focusKind), false, false, 0, "");
    }
    m_leftGrid.Refresh();
    m_rightGrid.Refresh();
}

void CTeacherConflictDlg::CountConflicts(bool takeClassIds)
{
    CScheduleTask* task = AppServices().GetTask();
    auto* objectA = dynamic_cast<CZemTableObject*>(m_objectA);
    auto* objectB = dynamic_cast<CZemTableObject*>(m_objectB);
    auto* focus = dynamic_cast<CZemTableObject*>(m_focusObject);
    if (!task || (m_pairMode ? !objectA || !objectB : m_plans.empty() || !focus))
        return;
    CTaskHelper helper(task, AppHelperContext());
    CWeekTableCells left(m_leftGrid);
    CWeekTableCells right(m_rightGrid);
    std::vector<std::string> ids;
    m_conflictCount = m_pairMode ? helper.FillSubstituteTables(objectA, m_idsA, &left, objectB, m_idsB, &right, &ids)
                                 : helper.MarkPlanConflicts(m_plans, &left, focus, &right, m_focusKind, &ids, nullptr);
    m_leftGrid.Refresh();
    m_rightGrid.Refresh();
    if (takeClassIds)
        m_classIds = ids;
    m_status = m_conflictCount > 0 ? zem::Format("有 %d 个冲突", m_conflictCount) : "冲突已解决。可以保存";
    EnableItem(IDC_SAVE, m_conflictCount == 0);
    update();
}

void CTeacherConflictDlg::ShowClass(const std::string& classId)
{
    CScheduleTask* task = AppServices().GetTask();
    CClassInfo* cls = task ? task->GetClass(classId) : nullptr;
    if (!cls)
        return;
    m_centre.SetObject(TABLE_CLASS, classId);
    m_centre.SetTable(&cls->GetTable(true));
    MarkCentre();
    SetCentreTitle(cls->GetName());
}

void CTeacherConflictDlg::MarkCentre()
{
    if (m_centre.GetKind() != TABLE_CLASS || !m_centre.GetTable())
        return;
    std::vector<CCourseInfo*> own;
    for (CCourseInfo* plan : m_plans)
        if (plan->GetClassId() == m_centre.GetObjectId())
            own.push_back(plan);
    if (own.empty()) {
        if (m_focusObject && m_focusKind == 1)
            m_centre.HighlightTeacher(m_focusObject->GetId(), true);
        else if (m_focusObject && m_focusKind == 2)
            m_centre.HighlightRoom(m_focusObject->GetId(), true);
        return;
    }
    // Each highlight starts from clean cells, so further plans of the class are marked on top.
    m_centre.HighlightCourse(own.front(), true);
    if (own.size() == 1)
        return;
    CTaskHelper helper(AppServices().GetTask(), AppHelperContext());
    const CSchoolStructure& week = AppServices().GetTask()->GetSchoolStructure();
    CCourseTable* table = m_centre.GetTable();
    ForEachSlot(week, [&](const tagTABLE_NODE& slot) {
        if (!table->IsUsed(slot))
            return;
        for (std::size_t i = 1; i < own.size(); ++i)
            if (helper.NodeHasCourse(table->GetNode(slot), own[i]->GetId(), true))
                m_centre.GetGrid().SetCellFocus(m_centre.ToGridNode(slot), true);
    });
    m_centre.GetGrid().Refresh();
}

void CTeacherConflictDlg::SetCentreTitle(const std::string& name)
{
    m_centreTitle = zem::Format("%s 的课表", name.c_str());
    update(QRect(m_centreTitleRect.left, m_centreTitleRect.top, m_centreTitleRect.Width(), m_centreTitleRect.Height()));
}

void CTeacherConflictDlg::OnTableChanged(int, void*)
{
    FillSideGrids();
    CountConflicts(false);
}

zem::LRESULT CTeacherConflictDlg::WindowProc(unsigned message, zem::WPARAM, zem::LPARAM)
{
    if (message == WM_TABLE_PICK_CLEARED) {
        FillSideGrids();
        CountConflicts(false);
        // Ending a pick cleared every mark of the grid; the plans stay marked.
        MarkCentre();
    }
    return 0;
}

void CTeacherConflictDlg::OnCommand(int id)
{
    if (id == IDC_GOTO) {
        OnGoto();
    } else if (id == ID_OTHER_CLASS) {
        OnOtherClass();
    } else if (id >= ID_GOTO_FIRST && id <= ID_GOTO_LAST) {
        const std::size_t index = static_cast<std::size_t>(id - ID_GOTO_FIRST);
        if (index < m_classIds.size())
            ShowClass(m_classIds[index]);
    } else if (id == IDC_SAVE) {
        OnSave();
    } else {
        Dialog::OnCommand(id);
    }
}

void CTeacherConflictDlg::OnGoto()
{
    CScheduleTask* task = AppServices().GetTask();
    std::vector<zem::gui::MenuItem> menu;
    for (std::size_t i = 0; i < m_classIds.size() && ID_GOTO_FIRST + static_cast<int>(i) <= ID_GOTO_LAST; ++i)
        menu.push_back({ID_GOTO_FIRST + static_cast<int>(i), task ? task->GetClassNameA(m_classIds[i]) : m_classIds[i]});
    menu.push_back({});
    menu.push_back({ID_OTHER_CLASS, "其他..."});
    QWidget* button = GetDlgItem(IDC_GOTO);
    const QPoint at = button->mapToGlobal(QPoint(0, button->height()));
    if (const int command = zem::gui::TrackPopupMenu(this, menu, {at.x(), at.y()}))
        OnCommand(command);
}

void CTeacherConflictDlg::OnOtherClass()
{
    CClassPickerDlg picker(this);
    if (picker.DoModal() != zem::IDOK || !picker.GetSelectedObject())
        return;
    const std::string id = picker.GetSelectedObject()->GetId();
    StringArrayAddUnique(m_classIds, id);
    ShowClass(id);
}

void CTeacherConflictDlg::OnSave()
{
    CScheduleTask* task = AppServices().GetTask();
    // A sliding swap is made when its slide ends, after the dialog would have ended.
    if (!task || m_conflictCount > 0 || m_centre.GetGrid().IsMoving())
        return;
    m_resultIds.clear();
    m_centre.GetChangedTables(m_resultIds, true);
    // One pair: the timetables name the plans. A failed write says why; the dialog stays open with the
    // changes still in it.
    if (!SaveTimetablesSayingWhatTheyBreak(
            *task, [task] { return CTaskHelper(task, AppHelperContext()).SaveInputAndTempTables(); }, "保存课表失败：",
            kCheckTaskFolderReason))
        return;
    EndDialog(zem::IDOK);
}

void CTeacherConflictDlg::OnCancel()
{
    // A sliding swap is made when its slide ends: it would land on the tables put back here.
    if (m_centre.GetGrid().IsMoving())
        return;
    CTaskHelper(AppServices().GetTask(), AppHelperContext()).RestoreTempTables();
    Dialog::OnCancel();
}

void CTeacherConflictDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        FillCellBackground(&dc, m_centreArea);
        dc.Draw3dRect(m_centreArea, zem::RGB(147, 157, 215), zem::RGB(255, 255, 255));
        dc.FillSolidRect(Rect(client.left, client.bottom - kDialogFooterHeight, client.right, client.bottom),
                         zem::RGB(255, 255, 255));

        const CGdiResources* gdi = CGdiResources::GetInstance();
        dc.SelectFont(gdi->NormalFont);
        dc.SetBkMode(zem::gui::TRANSPARENT);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        for (const auto& [text, rect] : {std::pair{&m_leftTitle, m_leftTitleRect}, {&m_rightTitle, m_rightTitleRect}})
            dc.DrawText(*text, rect, zem::gui::DT_CENTER | zem::gui::DT_BOTTOM | zem::gui::DT_SINGLELINE);

        if (!m_status.empty()) {
            const zem::COLORREF colour = m_conflictCount > 0 ? kClashColor : kSolvedColor;
            const int middle = m_statusRect.top + m_statusRect.Height() / 2;
            dc.SetPenColor(colour);
            dc.MoveTo(m_statusRect.left, middle);
            dc.LineTo(m_statusRect.right, middle);
            Rect pill = m_statusRect;
            pill.DeflateRect(100, 0, 100, 0);
            QPainter& painter = dc.Painter();
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(zem::GetRValue(colour), zem::GetGValue(colour), zem::GetBValue(colour)));
            painter.drawRoundedRect(QRectF(pill.left, pill.top, pill.Width(), pill.Height()), 4, 4);
            painter.restore();
            dc.SetTextColor(zem::RGB(255, 255, 255));
            dc.DrawText(m_status, pill, zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
        }
        if (m_conflictCount > 0) {
            dc.SetTextColor(kHintColor);
            dc.DrawText("您可以在下方课表上，左键交换冲突节次位置或右键暂时清除冲突节次", m_hintRect,
                        zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
        }
        dc.SelectFont(gdi->BoldFont);
        dc.SetTextColor(zem::RGB(255, 255, 255));
        dc.DrawText(m_centreTitle, m_centreTitleRect, zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    });
}
