#include "app/timetable/WeekTimetableDlg.h"

#include "app/shared/AdjustmentHistory.h"
#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shared/Paths.h"
#include "app/shared/ObjectLists.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/SettingsFile.h"
#include "app/shared/Strings.h"
#include "app/controls/TipWnd.h"
#include "app/timetable/LastViewed.h"
#include "app/timetable/LessonProgress.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/TimetableWindowSave.h"
#include "base/ConfigHost.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/PopupMenu.h"
#include "table/CellStatic.h"
#include "table/UICore.h"

#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

using zem::Rect;
using zem::gui::DC;

namespace {

constexpr int kBarThickness = 5;
constexpr int kTopBand = 8;        // the buttons' top
constexpr int kButtonHeight = 26;
constexpr zem::COLORREF kPanelColor = zem::RGB(240, 240, 240);
constexpr zem::COLORREF kModifiedColor = zem::RGB(255, 255, 200);
// The splitters' places in zem.ini, kept when the window closes.
constexpr const char* kRelateWidthKey = "WeekRelateWidth";
constexpr const char* kCourseHeightKey = "WeekCourseHeight";

const CConfigHost* ProgramConfig() { return AppServices().GetProgramConfig(); }

int ReadProgramInt(const char* key, int fallback)
{
    const CConfigHost* config = ProgramConfig();
    return config ? config->GetConfigInt(kCommonSection, key, fallback) : fallback;
}

QRect QtRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

void* ItemObject(const QComboBox* combo, int index)
{
    return reinterpret_cast<void*>(combo->itemData(index).value<qulonglong>());
}

// The groups of the chosen tables: printed, one group; exported, a workbook of them, named for the
// table when it is one, or a workbook for each chosen teacher group that has a teacher.
std::vector<std::unique_ptr<CPrintTableGroup>> ChosenTableGroups(CScheduleTask& task, CTaskHelper& helper, int kind,
                                                                 bool print, const std::string& kindName,
                                                                 const std::vector<std::string>& chosen)
{
    std::vector<std::unique_ptr<CPrintTableGroup>> groups;
    if (print) {
        groups.push_back(std::make_unique<CPrintTableGroup>(""));
        helper.CreateTableItems(chosen, &groups.back()->items);
    } else if (kind == WEEK_TEACHER_GROUPS) {
        for (const std::string& id : chosen) {
            const CZemObject* teachers = task.GetTeacherGroupInfoList().Find(id);
            if (!teachers)
                continue;
            auto group = std::make_unique<CPrintTableGroup>("教师组课表 " + teachers->GetName());
            helper.CreateTableItems({id}, &group->items);
            if (!group->items.empty())
                groups.push_back(std::move(group));
        }
    } else {
        auto group = std::make_unique<CPrintTableGroup>(kindName);
        helper.CreateTableItems(chosen, &group->items);
        if (group->items.size() == 1) {
            group->name = group->items.front()->GetName();
            SanitizeFileName(group->name);
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

}  // namespace

CWeekTimetableDlg::CWeekTimetableDlg(QWidget* parent)
    : Dialog(parent, "周课表", {480, 300}), m_windowTitle(LoadResString(2) + " - 周课表")
{
}

CWeekTimetableDlg::~CWeekTimetableDlg() = default;

CScheduleTask* CWeekTimetableDlg::Task() const { return AppServices().GetTask(); }

void CWeekTimetableDlg::SetInitialObject(int kind, const std::string& id)
{
    std::string objectId = id;
    if (!objectId.empty() && !CTaskHelper(Task(), AppHelperContext()).FindObject(objectId, kind))
        objectId.clear();
    if (objectId.empty())
        objectId = FindFirstScheduledObject(kind);
    m_container.SetObject(kind, objectId);
}

void CWeekTimetableDlg::AddObjectToCombo(QComboBox* combo, CZemObject* object, const std::string& label)
{
    const std::string& text = label.empty() && object ? object->GetName() : label;
    combo->addItem(zem::gui::ToQ(text), QVariant::fromValue(reinterpret_cast<qulonglong>(object)));
}

// ---- Building the window ----

bool CWeekTimetableDlg::OnInitDialog()
{
    CScheduleTask* task = Task();
    SetCaption(m_windowTitle);
    FillWorkArea();
    setWindowState(windowState() | Qt::WindowMaximized);

    // Unsaved edits of an earlier window are gone before anything shows or counts them; the
    // container's record of what changed starts from the tables as they are saved.
    CTaskHelper(task, AppHelperContext()).RestoreTempTables();

    CreateTable(task);
    m_planPanel.m_title = "相关教学计划";
    m_planPanel.m_remark = "鼠标左键点击下方的小方块可以标示课程分布和可排区域";
    m_relatedCaption.m_title = "相关课表";

    m_cardHost.Create(this);
    m_relatedPanel.Create(this, task);
    AddTopBand();
    SetModified(false);

    FillObjectLists();
    AddSplitters();

    m_counter.SetTask(task);
    m_counter.Count("", true);
    m_progress.Create(this);
    UpdateProgress();

    ReloadCurrent();
    m_laidOut = true;
    Layout();
    return true;
}

void CWeekTimetableDlg::CreateTable(CScheduleTask* task)
{
    const int kind = m_container.GetKind();
    const std::string objectId = m_container.GetObjectId();
    m_container.Create(this, task, this, false);
    m_container.SetObject(kind, objectId);
    ApplyTableFonts(AppServices().GetTableFontRecord(0), &m_container.GetGrid(), 12, false);
    m_container.GetGrid().SetTitleHeight(30);
    m_container.GetGrid().SetPlaySoundInMoving(AppServices().GetPlaySoundInMoving());
    m_container.GetGrid().SetColorMode(AppServices().GetColorTable());
}

void CWeekTimetableDlg::AddTopBand()
{
    AddField(this, IDC_GOTO, new CHoverButton("转到(&G)", this), Rect(10, kTopBand, 90, kTopBand + kButtonHeight));
    for (const int id : {IDC_CLASS_LIST, IDC_TEACHER_LIST, IDC_ROOM_LIST}) {
        auto* combo = new QComboBox(this);
        combo->setFont(DialogFont().GetQFont());
        combo->setMaxVisibleItems(20);
        AddField(this, id, combo, Rect(96, kTopBand + 1, 316, kTopBand + kButtonHeight - 1));
        const int listKind = id - IDC_CLASS_LIST;
        QObject::connect(combo, &QComboBox::activated, this, [this, listKind] { OnListChanged(listKind); });
    }
    struct ButtonSpec {
        int id;
        const char* text;
        int left;
    };
    static constexpr ButtonSpec kButtons[] = {
        {IDC_OPTIONS, "课表选项(&T)", 324}, {IDC_EXPORT, "导  出(&E)", 430}, {IDC_PRINT, "打  印(&P)", 516},
        {IDC_SAVE, "保  存(&S)", 602}};
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new CHoverButton(entry.text, this);
        button->setAutoDefault(false);
        const int width = entry.id == IDC_OPTIONS ? 100 : 80;
        AddField(this, entry.id, button, Rect(entry.left, kTopBand, entry.left + width, kTopBand + kButtonHeight));
    }
}

void CWeekTimetableDlg::AddSplitters()
{
    m_barV = new QWidget(this);
    m_barH = new QWidget(this);
    for (QWidget* bar : {m_barV, m_barH}) {
        bar->setAutoFillBackground(true);
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, QColor(210, 214, 222));
        bar->setPalette(palette);
    }
    AddControl(IDC_SPLITTER_V, m_barV);
    AddControl(IDC_SPLITTER_H, m_barH);
    m_splitterV.Attach(this, IDC_SPLITTER_V);
    m_splitterH.Attach(this, IDC_SPLITTER_H);
    PlaceSplitters();
}

void CWeekTimetableDlg::PlaceSplitters()
{
    PlaceBars(ReadProgramInt(kRelateWidthKey, 0), ReadProgramInt(kCourseHeightKey, 0));
}

void CWeekTimetableDlg::PlaceBars(int relateWidth, int courseHeight)
{
    const Rect client(0, 0, width(), height());
    m_splitterV.SetRange(client.Width() / 2, 200);
    m_splitterH.SetRange(client.Height() - 168, 50);
    // A size out of range (a stored one of another screen or a damaged file, or a window made
    // smaller) never puts a bar off the window.
    relateWidth = ClampRange(relateWidth, 200, client.Width() / 2, kDefaultRelateWidth);
    courseHeight = ClampRange(courseHeight, 50, 168, kDefaultCourseHeight);
    const int barLeft = client.right - relateWidth - kBarThickness;
    SetWidgetRect(m_barV, Rect(barLeft, 0, barLeft + kBarThickness, client.bottom));
    const int barTop = client.bottom - courseHeight - kBarThickness;
    SetWidgetRect(m_barH, Rect(-5, barTop, barLeft, barTop + kBarThickness));
}

int CWeekTimetableDlg::GetRelateWidth() const { return width() - WidgetRect(m_barV).right; }

int CWeekTimetableDlg::GetCourseHeight() const { return height() - WidgetRect(m_barH).bottom; }

// ---- Object lists ----

QComboBox* CWeekTimetableDlg::ListOfKind(int kind) const
{
    return Item<QComboBox>(IDC_CLASS_LIST + std::clamp(kind, 0, 2));
}

void CWeekTimetableDlg::FillObjectLists()
{
    if (!Task())
        return;
    for (int kind = 0; kind < 3; ++kind) {
        QComboBox* combo = ListOfKind(kind);
        combo->clear();
        if (kind == 1) {
            CStringPtrList items;
            BuildObjectList(kind, items, '-');
            for (const auto& item : items)
                AddObjectToCombo(combo, item->object, item->text);
        } else {
            std::vector<CZemObject*> objects;
            ListTaskObjects(kind, objects);
            for (CZemObject* object : objects)
                AddObjectToCombo(combo, object, "");
        }
    }
    ShowListOfKind();
}

void CWeekTimetableDlg::ShowListOfKind()
{
    for (int kind = 0; kind < 3; ++kind)
        ListOfKind(kind)->setVisible(kind == m_container.GetKind());
}

void CWeekTimetableDlg::SelectCurrentInList()
{
    ShowListOfKind();
    QComboBox* combo = ListOfKind(m_container.GetKind());
    for (int i = 0; i < combo->count(); ++i) {
        const auto* object = static_cast<CZemObject*>(ItemObject(combo, i));
        if (object && object->GetId() == m_container.GetObjectId()) {
            combo->setCurrentIndex(i);
            return;
        }
    }
}

void CWeekTimetableDlg::OnListChanged(int kind)
{
    // The sliding lesson is put down in the shown timetable when its slide ends.
    if (m_animating) {
        SelectCurrentInList();
        return;
    }
    QComboBox* combo = ListOfKind(kind);
    const auto* object = static_cast<CZemObject*>(ItemObject(combo, combo->currentIndex()));
    if (!object)
        return;
    m_container.SetObject(kind, object->GetId());
    ReloadCurrent();
}

void CWeekTimetableDlg::OnGoto()
{
    if (m_animating)
        return;
    const int kind = m_container.GetKind();
    const std::string chosen = PickObjectOfKind(this, kind);
    if (chosen.empty())
        return;
    m_container.SetObject(kind, chosen);
    ReloadCurrent();
}

// ---- The shown object ----

CCourseTable* CWeekTimetableDlg::LoadObjectTexts()
{
    CTaskHelper helper(Task(), AppHelperContext());
    const std::string& id = m_container.GetObjectId();
    switch (m_container.GetKind()) {
    case TABLE_CLASS:
        if (CClassInfo* cls = helper.GetClass(id)) {
            m_objectName = cls->GetName();
            m_info = zem::Format("班主任：%-8s", cls->GetHeadTeacherName().c_str());
            return &cls->GetTable(true);
        }
        return nullptr;
    case TABLE_TEACHER:
        if (CTeacherInfo* teacher = helper.GetTeacher(id)) {
            m_objectName = teacher->GetName();
            m_info = zem::Format("周课时数：%s", helper.GetWeekCount(&teacher->GetTable(true)).ToString().c_str());
            return &teacher->GetTable(true);
        }
        return nullptr;
    default:
        if (CRoomInfo* room = helper.GetRoom(id)) {
            m_objectName = room->GetName();
            m_info.clear();  // a room has none; the last object's would mislead
            return &room->GetCombineTable(true);
        }
        return nullptr;
    }
}

void CWeekTimetableDlg::ReloadCurrent()
{
    CCourseTable* table = LoadObjectTexts();
    UpdateHint();
    if (!table)
        return;
    m_container.SetTable(table);
    SelectCurrentInList();
    RefillCards();
    m_refitTitle = true;
    update();
}

void CWeekTimetableDlg::SetCentreTitle(const std::string&)
{
    // The container shows another object already; the window follows it.
    LoadObjectTexts();
    SelectCurrentInList();
    RefillCards();
    UpdateHint();
    m_refitTitle = true;
    update();
}

void CWeekTimetableDlg::RefillCards()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CTaskHelper helper(task, AppHelperContext());
    const int kind = m_container.GetKind();
    const std::string& id = m_container.GetObjectId();
    std::vector<CCourseInfo*> all;
    helper.GetAllCourses(&all);
    std::vector<CCourseInfo*> plans;
    std::vector<std::string> related;
    for (CCourseInfo* plan : all) {
        const bool belongs = kind == TABLE_CLASS     ? plan->GetClassId() == id
                             : kind == TABLE_TEACHER ? helper.IsTeacherOfCourse(plan, id)
                                                     : helper.CourseUsesRoom(plan, id);
        if (!belongs)
            continue;
        plans.push_back(plan);
        if (kind == TABLE_CLASS) {
            std::vector<std::string> teachers;
            task->GetAllTeacherId(teachers, plan, true);
            StringArrayAddAllUnique(related, teachers);
        } else {
            StringArrayAddUnique(related, plan->GetClassId());
        }
    }
    m_cardHost.SetCourses(task, plans, kind, m_container.GetTable(), id);
    UpdatePlanCaption();
    m_relatedPanel.GetFriendTables().SetCurrentObject(static_cast<TABLE_TYPE>(kind), id);
    m_relatedPanel.ShowLesson(related, kind == TABLE_CLASS ? TABLE_TEACHER : TABLE_CLASS);
}

void CWeekTimetableDlg::UpdatePlanCaption()
{
    CWeekCount placed;
    CWeekCount planned;
    m_cardHost.GetView()->GetTotals(placed, planned);
    m_planPanel.m_title = zem::Format("相关教学计划（已排 %s 节 / 计划 %s 节）", placed.ToString().c_str(),
                                      planned.ToString().c_str());
    if (m_container.GetKind() == TABLE_CLASS)
        m_planPanel.m_title = "调课缓冲区 - " + m_planPanel.m_title;
    update(QtRect(m_planPanel.GetTitleRect()));
}

void CWeekTimetableDlg::UpdateHint()
{
    if (m_container.GetKind() != TABLE_CLASS) {
        m_hint = "提示：在课程上单击鼠标右键转到对应班级课表";
    } else {
        const char* word = AppServices().GetColorTable() ? "凸起" : "绿色";
        if (m_container.GetGrid().IsCellSelected())
            m_hint = zem::Format("提示：单击%s节次与当前节次交换，再次单击当前节次取消操作", word);
        else if (m_cardHost.GetView() && !m_cardHost.GetView()->GetSelectedId().empty())
            m_hint = zem::Format("提示：单击%s节次与缓冲区交换，再次单击缓冲区节次取消操作", word);
        else
            m_hint = "提示：单击鼠标左键直接调课，单击鼠标右键手工排课或转到对应教师课表";
    }
    update(QtRect(m_hintRect));
}

void CWeekTimetableDlg::UpdateProgress() { ShowLessonProgress(m_progress, m_counter); }

void CWeekTimetableDlg::RecountClassesOf(const std::string& planId)
{
    RecountPlanClasses(m_counter, Task(), planId);
    UpdateProgress();
}

void CWeekTimetableDlg::FocusTeacherList()
{
    if (QWidget* list = GetDlgItem(IDC_TEACHER_LIST))
        list->setFocus();
}

void CWeekTimetableDlg::FocusRoomList()
{
    if (QWidget* list = GetDlgItem(IDC_ROOM_LIST))
        list->setFocus();
}

void CWeekTimetableDlg::OnTableChanged(int code, void* object)
{
    std::vector<std::string> planIds;
    if (code == kPlaced && object) {
        const std::string& planId = static_cast<CCourseInfo*>(object)->GetId();
        planIds.push_back(planId);
        if (m_cardHost.GetView()->GetSelectedId() == planId)
            m_container.FocusCurrentCell(true);
    } else if (code == kCleared && object) {
        // Both halves of a split cell come as "first,second".
        SplitToArray(*static_cast<std::string*>(object), ",", planIds, true);
    }
    for (const std::string& planId : planIds) {
        if (planId.empty())
            continue;
        m_cardHost.GetView()->UpdateStatus(planId, m_container.GetTable(), m_container.GetKind());
        m_relatedPanel.GetFriendTables().ShowCourse(planId);
        RecountClassesOf(planId);
    }
    if (!planIds.empty())
        UpdatePlanCaption();
    SetModified(true);
}

// ---- The lesson buffer ----

void CWeekTimetableDlg::OnPicked(const tagTABLE_NODE& gridSlot)
{
    CCourseTable* table = m_container.GetTable();
    if (!table || m_container.GetKind() != TABLE_CLASS)
        return;
    const CCourseTableNode& node = table->GetNode(m_container.ToDataNode(gridSlot));
    CTaskHelper helper(Task(), AppHelperContext());
    std::vector<std::string> planIds;
    // The odd/even part first, then the main one.
    for (const int half : {2, 1}) {
        if (half == 2 && !node.IsInterleave())
            continue;
        const std::string id = node.data(half).GetCourseId();
        if (id.empty())
            continue;
        planIds.push_back(id);
        if (CCourseInfo* plan = helper.FindCourse(id))
            m_relatedPanel.GetFriendTables().BringToFront(plan->GetTeacherId());
    }
    m_cardHost.SelectAndScroll(planIds);
    UpdateHint();
}

void CWeekTimetableDlg::OnPickCleared()
{
    m_relatedPanel.GetFriendTables().ShowCourse("");
    m_cardHost.SelectAndScroll({});
    UpdateHint();
}

void CWeekTimetableDlg::OnCardClick(bool marked, CCourseInfo* plan)
{
    CCourseListView* view = m_cardHost.GetView();
    if (!plan) {
        m_container.GetGrid().SetAllCellNormal();
        m_container.GetGrid().Refresh();
    } else if (!marked) {
        const bool selected = !view->GetSelectedId().empty();
        m_container.HighlightCourse(plan, selected);
        if (m_container.GetKind() == TABLE_CLASS && selected) {
            m_container.ShowCourseTargets(plan);
        } else {
            m_container.GetGrid().SetAllCellNormal();
            m_container.GetGrid().Refresh();
        }
    } else if (!m_animating && !m_container.GetGrid().IsMoving() && m_container.SelectCurrentCell(plan->GetId())) {
        // The picked lesson goes to its card, unless it is already sliding to another cell.
        tagTABLE_NODE picked;
        m_container.GetGrid().GetSelectedCell(&picked);
        AnimateMove(GridCellRect(picked), CardRect(plan->GetId()));
        m_container.ClearCurrent();
        m_container.GetGrid().SetAllCellNormal();
        m_container.GetGrid().Refresh();
        m_cardHost.SelectAndScroll({});
    }
    UpdateHint();
}

void CWeekTimetableDlg::OnAllowedCellClick(const tagTABLE_NODE& gridSlot, bool* cancel)
{
    if (m_animating)
        return;
    const std::string planId = m_cardHost.GetView()->GetSelectedId();
    if (planId.empty())
        return;  // the grid swaps by itself
    if (cancel)
        *cancel = true;
    if (!m_container.PlaceCourseAt(gridSlot, planId))
        return;
    const Rect cell = GridCellRect(gridSlot);
    AnimateMove(CardRect(planId), cell);
    const std::string displaced = m_container.GetCurrentCourseId();
    if (!displaced.empty())
        AnimateMove(cell, CardRect(displaced));
    m_container.PlaceCourseById(planId);
    m_container.GetGrid().SetAllCellNormal();
    m_container.GetGrid().Refresh();
    m_cardHost.SelectAndScroll({});
    UpdateHint();
}

Rect CWeekTimetableDlg::CardRect(const std::string& planId) const
{
    Rect screen;
    if (!m_cardHost.GetView() || !m_cardHost.GetView()->GetCardRect(planId, screen))
        return {};
    const QPoint topLeft = mapFromGlobal(QPoint(screen.left, screen.top));
    return Rect(topLeft.x(), topLeft.y(), topLeft.x() + screen.Width(), topLeft.y() + screen.Height());
}

Rect CWeekTimetableDlg::GridCellRect(const tagTABLE_NODE& gridSlot)
{
    Rect cell;  // on the screen
    m_container.GetGrid().GetCellRect(gridSlot, &cell);
    const QPoint topLeft = mapFromGlobal(QPoint(cell.left, cell.top));
    return Rect(topLeft.x(), topLeft.y(), topLeft.x() + cell.Width(), topLeft.y() + cell.Height());
}

void CWeekTimetableDlg::AnimateMove(Rect from, Rect to)
{
    if (from.IsRectEmpty() || to.IsRectEmpty())
        return;
    m_animating = true;
    from.DeflateRect(1);
    to.DeflateRect(1);
    QPointer<CWeekTimetableDlg> alive(this);
    QPointer<CCellStatic> moving = new CCellStatic(this);
    if (AppServices().GetPlaySoundInMoving())
        zem::gui::PlaySoundAsync(zem::gui::ProgramFolder() + "sound/Notification.wav");
    moving->Move(from, to);
    if (moving && !moving->WaitForMoveComplete()) {
        // The window stays alive meanwhile; picks and clicks are refused by the flag.
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!moving || moving->WaitForMoveComplete())
                loop.quit();
        });
        poll.start();
        loop.exec();
    }
    if (!alive)
        return;
    m_animating = false;
    if (moving)
        moving->Close();
}

bool CWeekTimetableDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A click would move or clear lessons under the one in flight, which is put down afterwards at
    // the cell it left.
    if (m_animating && watched == &m_container.GetGrid()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            return true;
        default:
            break;
        }
    }
    return Dialog::eventFilter(watched, event);
}

// ---- Commands and messages ----

void CWeekTimetableDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_GOTO:
        OnGoto();
        return;
    case IDC_SAVE:
        if (m_modified)
            Save();
        return;
    case IDC_OPTIONS:
        if (const int chosen = DropMenu(IDC_OPTIONS, BuildOptionsMenu()))
            OnOptionsCommand(chosen);
        return;
    case IDC_EXPORT:
    case IDC_PRINT: {
        static const char* const kNames[] = {"班级课表", "教师课表", "教师组课表", "教室和场地课表", "本次变动的课表"};
        const bool print = id == IDC_PRINT;
        const int* ids = print ? kPrintIds : kExportIds;
        std::vector<zem::gui::MenuItem> items;
        for (int kind = WEEK_CLASSES; kind <= WEEK_CHANGED; ++kind)
            items.push_back({ids[kind], std::string(print ? "打印" : "导出") + kNames[kind]});
        const int chosen = DropMenu(id, items);
        for (int kind = WEEK_CLASSES; kind <= WEEK_CHANGED; ++kind)
            if (chosen != 0 && chosen == ids[kind])
                PrintOrExport(kind, print);
        return;
    }
    default:
        Dialog::OnCommand(id);
    }
}

zem::LRESULT CWeekTimetableDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_TABLE_CELL_PICKED:
        if (!m_animating)
            OnPicked(*zem::FromWParam<tagTABLE_NODE>(wParam));
        return 0;
    case WM_TABLE_PICK_CLEARED:
        OnPickCleared();
        return 0;
    case WM_TABLE_FRIEND_CLICKED:
        OnAllowedCellClick(*zem::FromWParam<tagTABLE_NODE>(wParam), zem::FromLParam<bool>(lParam));
        return 0;
    case WM_COURSE_CARD_CLICK:
        OnCardClick(wParam == 1, zem::FromLParam<CCourseInfo>(lParam));
        return 0;
    case WM_TABLE_FONT_CHANGED:
        ApplyTableFonts(zem::FromLParam<CTableFontPair>(lParam), &m_container.GetGrid(), 12, false);
        return 0;
    case WM_SHOW_COMPLETION:
        ShowCompletion();
        return 0;
    case WM_SPLITTER_MOVED:
        Layout();
        return 0;
    default:
        return 0;
    }
}

void CWeekTimetableDlg::ShowCompletion()
{
    const std::string classId = AppServices().ShowCompletionDialog(this, m_counter);
    CClassInfo* cls = classId.empty() ? nullptr : CTaskHelper(Task(), AppHelperContext()).GetClass(classId);
    if (!cls)
        return;
    m_container.SetObject(TABLE_CLASS, cls->GetId());
    ReloadCurrent();
    SetCentreTitle(cls->GetName());
}

// ---- Saving and closing ----

void CWeekTimetableDlg::SetModified(bool modified)
{
    m_modified = modified;
    if (auto* save = Item<CHoverButton>(IDC_SAVE))
        save->SetBkColor(modified ? kModifiedColor : zem::RGB(255, 255, 255));
}

bool CWeekTimetableDlg::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    std::vector<std::string> changed;
    m_container.GetChangedTables(changed, true);
    if (!SaveTimetablesAndLog(task, kSaveFailedText, "周课表手工调课", changed))
        return false;
    StringArrayAddAllUnique(m_savedChanges, changed);
    m_container.ResetChangedTables();
    SetModified(false);
    ShowSavedTip(this, 1);
    return true;
}

bool CWeekTimetableDlg::CloseWindow()
{
    if (m_modified && !AskSaveBeforeClosing(Task(), [this] { return Save(); }))
        return false;
    if (CTipWnd* tip = AppServices().GetTipWnd())
        tip->hide();
    if (const CConfigHost* config = ProgramConfig()) {
        config->SetConfigInt(kCommonSection, kRelateWidthKey, GetRelateWidth());
        config->SetConfigInt(kCommonSection, kCourseHeightKey, GetCourseHeight());
    }
    if (CScheduleTask* task = Task(); task && !m_container.GetObjectId().empty())
        RememberViewedObject(*task, m_container.GetKind(), m_container.GetObjectId());
    return true;
}

void CWeekTimetableDlg::OnCancel()
{
    ClearMarks();
}

void CWeekTimetableDlg::OnClose()
{
    // A swap of the grid is recorded when its slide ends: closing before would leave it unasked.
    if (m_animating || m_container.GetGrid().IsMoving())
        return;
    if (CloseWindow())
        EndDialog(zem::IDCANCEL);
}

// ---- Options, keys, print and export ----

std::vector<zem::gui::MenuItem> CWeekTimetableDlg::BuildOptionsMenu() const
{
    using zem::gui::MenuItem;
    const CAppServices& services = AppServices();
    const bool colour = services.GetColorTable();
    const int background = services.GetWeekTableBackground();
    const auto check = [](int id, const char* text, bool on) { return MenuItem{id, text, true, on}; };
    std::vector<MenuItem> menu;
    MenuItem style{0, "样式\tCtrl+T"};
    style.children = {MenuItem{ID_STYLE_FLAT, "简洁平面", true, !colour, true},
                      MenuItem{ID_STYLE_COLOUR, "彩色立体", true, colour, true}};
    menu.push_back(style);
    menu.push_back({ID_TABLE_FONT, "字体"});
    MenuItem back{0, "背景"};
    back.children = {MenuItem{ID_BACKGROUND_PLAIN, "简洁", true, background == 0, true},
                     MenuItem{ID_BACKGROUND_STARRY, "星空", true, background == 1, true}};
    menu.push_back(back);
    menu.push_back({});
    menu.push_back(check(ID_SHOW_DISTRIBUTION, "调课时显示课程分布情况", services.GetAutoShowDistribution()));
    menu.push_back(check(ID_PLAY_SOUND, "调课时播放声音", services.GetPlaySoundInMoving()));
    menu.push_back({});
    menu.push_back(check(ID_TAG_LOCKED, "显示预排课标识（锁）", services.GetShowTagLocked()));
    menu.push_back(check(ID_TAG_LINKED, "显示合班标识（链条）", services.GetShowTagLinked()));
    menu.push_back(check(ID_TAG_DISABLED, "显示固定无课时间标识（禁止）", services.GetShowTagDisabled()));
    menu.push_back({});
    if (m_container.GetKind() == TABLE_TEACHER)
        menu.push_back(check(ID_TEACHER_BY_GROUP, "按教师组分组显示", services.GetShowTeacherByGroup()));
    menu.push_back(check(ID_ROOM_NUMBER, "显示多容量教室的编号", services.GetShowRoomNumber()));
    menu.push_back({});
    menu.push_back({ID_UNDO, "撤销\tCtrl+Z", m_container.CanUndo()});
    menu.push_back({ID_REDO, "重做\tCtrl+Y", m_container.CanRedo()});
    menu.push_back({ID_HISTORY, "历史记录\tCtrl+H"});
    return menu;
}

int CWeekTimetableDlg::DropMenu(int buttonId, const std::vector<zem::gui::MenuItem>& items)
{
    const QWidget* button = GetDlgItem(buttonId);
    const QPoint corner = button->mapToGlobal(QPoint(0, button->height()));
    return zem::gui::TrackPopupMenu(this, items, {corner.x(), corner.y()});
}

void CWeekTimetableDlg::SetColourStyle(bool colour)
{
    AppServices().SetColorTable(colour);
    CManualScheduleTable& grid = m_container.GetGrid();
    grid.SetColorMode(colour);
    // Cells keep the colours they were given: flat cells lose theirs, coloured ones take the subjects'.
    m_container.RefreshColors();
    grid.Refresh();
    if (m_cardHost.GetView())
        m_cardHost.GetView()->update();
    UpdateHint();
}

void CWeekTimetableDlg::OnOptionsCommand(int id)
{
    const CAppServices& services = AppServices();
    switch (id) {
    case ID_STYLE_FLAT:
    case ID_STYLE_COLOUR:
        SetColourStyle(id == ID_STYLE_COLOUR);
        return;
    case ID_TABLE_FONT: {
        CTableFontDlg fonts(this);
        fonts.SetTarget(this, 0);
        fonts.DoModal();
        return;
    }
    case ID_BACKGROUND_PLAIN:
    case ID_BACKGROUND_STARRY:
        services.SetWeekTableBackground(id == ID_BACKGROUND_STARRY ? 1 : 0);
        m_container.GetGrid().Refresh();
        update();
        return;
    case ID_SHOW_DISTRIBUTION:
        services.SetAutoShowDistribution(!services.GetAutoShowDistribution());
        return;
    case ID_PLAY_SOUND:
        services.SetPlaySoundInMoving(!services.GetPlaySoundInMoving());
        m_container.GetGrid().SetPlaySoundInMoving(services.GetPlaySoundInMoving());
        return;
    case ID_TAG_LOCKED:
    case ID_TAG_LINKED:
    case ID_TAG_DISABLED:
        if (id == ID_TAG_LOCKED)
            services.SetShowTagLocked(!services.GetShowTagLocked());
        else if (id == ID_TAG_LINKED)
            services.SetShowTagLinked(!services.GetShowTagLinked());
        else
            services.SetShowTagDisabled(!services.GetShowTagDisabled());
        m_container.RefreshMarks();
        m_container.GetGrid().Refresh();
        return;
    case ID_TEACHER_BY_GROUP:
        services.SetShowTeacherByGroup(!services.GetShowTeacherByGroup());
        FillObjectLists();
        SelectCurrentInList();
        return;
    case ID_ROOM_NUMBER:
        services.SetShowRoomNumber(!services.GetShowRoomNumber());
        m_container.Refill();
        return;
    // A lesson in flight from a card is put down when its slide ends; nothing moves under it before.
    case ID_UNDO:
        if (!m_animating)
            m_container.Undo();
        return;
    case ID_REDO:
        if (!m_animating)
            m_container.Redo();
        return;
    case ID_HISTORY:
        m_container.ShowHistory();
        return;
    default:
        return;
    }
}

void CWeekTimetableDlg::ClearMarks()
{
    m_container.GetGrid().SetAllCellNormal();
    m_container.GetGrid().Refresh();
    if (m_cardHost.GetView())
        m_cardHost.GetView()->SelectById({});
    UpdateHint();
}

bool CWeekTimetableDlg::PreTranslateKey(QKeyEvent* event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    case Qt::Key_Escape:
        ClearMarks();
        return true;
    case Qt::Key_H:
    case Qt::Key_T:
    case Qt::Key_Y:
    case Qt::Key_Z:
        if (!control)
            return false;
        // A lesson in flight is put down when its slide ends; nothing moves under it before.
        if (m_animating || m_container.GetGrid().IsMoving())
            return true;
        if (event->key() == Qt::Key_H)
            m_container.ShowHistory();
        else if (event->key() == Qt::Key_T)
            SetColourStyle(!AppServices().GetColorTable());
        else if (event->key() == Qt::Key_Y)
            m_container.Redo();
        else
            m_container.Undo();
        return true;
    default:
        return false;
    }
}

void CWeekTimetableDlg::wheelEvent(QWheelEvent* event)
{
    // What no panel took steps through the objects of the shown kind.
    event->accept();
    if (!isActiveWindow() || m_animating || event->angleDelta().y() == 0)
        return;
    const int kind = m_container.GetKind();
    QComboBox* combo = ListOfKind(kind);
    const int step = event->angleDelta().y() > 0 ? -1 : 1;
    for (int i = combo->currentIndex() + step; i >= 0 && i < combo->count(); i += step) {
        if (!ItemObject(combo, i))
            continue;  // a teacher group's heading
        combo->setCurrentIndex(i);
        OnListChanged(kind);
        return;
    }
}

std::vector<std::string> CWeekTimetableDlg::GetChangedTableIds() const
{
    std::vector<std::string> ids = m_savedChanges;
    std::vector<std::string> current;
    m_container.GetChangedTables(current, true);
    StringArrayAddAllUnique(ids, current);
    return ids;
}

void CWeekTimetableDlg::PrintOrExport(int kind, bool print)
{
    static const char* const kKindNames[] = {"班级课表", "教师课表", "教师组课表", "教室课表", "变动课表"};
    CScheduleTask* task = Task();
    if (!task)
        return;
    if (kind < WEEK_CLASSES || kind > WEEK_CHANGED) {
        zem::ShowMessage("未知的课表类型", "提示", zem::MessageIcon::Information);
        return;
    }
    const std::string kindName = kKindNames[kind];
    ClearGroups();
    CTaskHelper helper(task, AppHelperContext());
    CZemObjectList changed;  // copies of the changed objects, for the chooser only
    const CZemObjectList* candidates = nullptr;
    switch (kind) {
    case WEEK_CLASSES:
        candidates = &task->GetClassInfoList();
        break;
    case WEEK_TEACHERS:
        candidates = &task->GetTeacherInfoList();
        break;
    case WEEK_TEACHER_GROUPS:
        candidates = &task->GetTeacherGroupInfoList();
        break;
    case WEEK_ROOMS:
        candidates = &task->GetRoomInfoList();
        break;
    default:
        helper.CreateObjectList(GetChangedTableIds(), &changed);
        candidates = &changed;
        break;
    }
    CMultiSelectDlg chooser(this);
    chooser.m_caption = (print ? "选择要打印的" : "选择要导出的") + kindName;
    chooser.m_okText = print ? "打印" : "导出";
    chooser.SetItems(candidates);
    // The window's kinds are class, teacher and room; the lists' are these.
    const int windowKind = m_container.GetKind();
    const bool sameKind = (kind == WEEK_CLASSES && windowKind == TABLE_CLASS) ||
                          (kind == WEEK_TEACHERS && windowKind == TABLE_TEACHER) ||
                          (kind == WEEK_ROOMS && windowKind == TABLE_ROOM);
    if (sameKind && !m_container.GetObjectId().empty())
        chooser.m_preChecked = {m_container.GetObjectId()};
    else
        chooser.m_checkAll = true;
    if (chooser.DoModal() != zem::IDOK)
        return;
    const std::vector<std::string>& chosen = chooser.GetChosenIds();

    for (std::unique_ptr<CPrintTableGroup>& group : ChosenTableGroups(*task, helper, kind, print, kindName, chosen))
        AddGroup(std::move(group));
    // Chosen teacher groups without a teacher leave nothing to show.
    if (GetTableCount() == 0) {
        ClearGroups();
        zem::ShowMessage(print ? "选择的课表中没有可打印的课表" : "选择的课表中没有可导出的课表", "提示",
                         zem::MessageIcon::Information);
        return;
    }
    ShowPreview(print ? PREVIEW_PRINT : PREVIEW_EXPORT, false);
}

void CWeekTimetableDlg::AfterPreview(bool done)
{
    if (!done || !m_modified)
        return;
    zem::MessageRequest question;
    question.text = kSaveAfterOutputQuestion;
    question.caption = "提示";
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::YesNo;
    if (zem::ShowMessage(question) == zem::IDYES)
        Save();
}

// ---- Layout and painting ----

void CWeekTimetableDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    if (!m_laidOut)
        return;
    // The panels keep their sizes; the timetable takes what the window gained or lost.
    const QSize old = event->oldSize();
    if (old.isValid())
        PlaceBars(old.width() - WidgetRect(m_barV).right, old.height() - WidgetRect(m_barH).bottom);
    Layout();
}

void CWeekTimetableDlg::Layout()
{
    if (!m_laidOut)
        return;
    Rect client(0, 0, width(), height());
    client.DeflateRect(5);
    Rect barV = WidgetRect(m_barV);
    barV.top = 0;
    barV.bottom = height();
    SetWidgetRect(m_barV, barV);
    m_relatedCaption.SetRect(barV.right + 5, client.top, client.right, client.bottom);
    SetWidgetRect(&m_relatedPanel, m_relatedCaption.GetBodyRect());

    Rect barH = WidgetRect(m_barH);
    barH.right = barV.left;
    SetWidgetRect(m_barH, barH);
    m_planPanel.SetRect(client.left, barH.bottom + 3, barV.left - 5, client.bottom);
    SetWidgetRect(&m_cardHost, m_planPanel.GetBodyRect());

    const Rect save = WidgetRect(GetDlgItem(IDC_SAVE));
    SetWidgetRect(&m_progress, Rect(save.right + 80, save.top, barV.left - 5, save.bottom));

    Rect grid(client.left, client.top + 35, barV.left, barH.bottom + 3);
    const int w = grid.Width();
    const int h = grid.Height();
    grid = Rect(grid.left + w / 12, grid.top + h / 9, grid.right - w / 12, grid.bottom - h / 12);
    SetWidgetRect(&m_container, grid);
    m_titleRect = Rect(grid.left, client.top + 35, grid.right, grid.top - 2);
    m_hintRect = Rect(grid.left, grid.bottom + 5, grid.right - 150, grid.bottom + 20);
    m_infoRect = Rect(grid.right - 150, grid.bottom + 5, grid.right - 5, grid.bottom + 20);
    m_refitTitle = true;
    update();
}

void CWeekTimetableDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](DC& dc, const Rect& client) {
        FillCellBackground(&dc, client);
        const Rect save = WidgetRect(GetDlgItem(IDC_SAVE));
        QPainter& painter = dc.Painter();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(240, 240, 240));
        painter.drawRoundedRect(QRect(-50, -50, save.right + 40 + 50, save.bottom + 10 + 50), 44, 44);
        painter.restore();
        const Rect barV = WidgetRect(m_barV);
        const Rect barH = WidgetRect(m_barH);
        dc.FillSolidRect(Rect(barV.right, 0, client.right, client.bottom), kPanelColor);
        dc.FillSolidRect(Rect(0, barH.bottom, barV.left, client.bottom), kPanelColor);
        m_relatedCaption.Draw(dc);
        m_planPanel.Draw(dc);

        const std::string face = CUICore::instance()->GetDefaultFontName();
        if (m_refitTitle) {
            m_titleFontSize = FitFontSizeToRect(&dc, m_objectName, face, 180, m_titleRect, 0.6);
            m_refitTitle = false;
        }
        dc.SelectFont(zem::gui::Font(zem::LogFont{zem::gui::PointSizeToHeight(m_titleFontSize), 700, false, false, face}));
        const unsigned centred = zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE;
        Rect shadow = m_titleRect;
        shadow.OffsetRect(1, 1);
        dc.SetTextColor(zem::RGB(96, 96, 96));
        dc.DrawText(m_objectName, shadow, centred);
        dc.SetTextColor(zem::RGB(240, 240, 240));
        dc.DrawText(m_objectName, m_titleRect, centred);

        dc.SelectFont(DialogFont());
        dc.SetTextColor(zem::RGB(255, 255, 255));
        dc.DrawText(m_hint, m_hintRect, zem::gui::DT_LEFT | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
        dc.DrawText(m_info, m_infoRect, zem::gui::DT_RIGHT | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    });
}
