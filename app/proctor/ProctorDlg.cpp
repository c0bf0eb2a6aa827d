// The proctoring page: building and laying out the window, opening, saving and closing, the
// pop-ups and the three lists. The commands themselves are in ProctorDlgCommands.cpp.
#include "app/proctor/ProctorDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/TipWnd.h"
#include "app/proctor/ProctorAssignment.h"
#include "app/proctor/ProctorBitmaps.h"
#include "app/proctor/ProctorTitleBand.h"
#include "app/shared/AppServices.h"
#include "app/shared/InvigilationRows.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/shared/SaveFailure.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"

#include <QResizeEvent>

#include <algorithm>

using zem::Rect;
using zem::gui::MenuItem;
using Align = zem::gui::ReportList::Align;

namespace {

constexpr int kMargin = 8;
constexpr int kBandButtonHeight = 28;
constexpr int kTitleButtonHeight = 20;
constexpr zem::COLORREF kPanelFrame = zem::RGB(156, 182, 197);
constexpr zem::COLORREF kModifiedColor = zem::RGB(255, 255, 200);
constexpr zem::COLORREF kWhite = zem::RGB(255, 255, 255);
constexpr zem::COLORREF kGreyGroup = zem::RGB(243, 243, 243);
constexpr const char* kResultShowByKey = "ResultShowBy";

constexpr const char* kResultCaptions[] = {" - 按考试计划（点击鼠标右键可以更改监考教师）", " - 按监考教师", " - 按考场"};
// The widths of each view's four columns, after the hidden first one.
constexpr int kResultWidths[3][4] = {{180, 130, 120, 195}, {190, 180, 135, 120}, {120, 180, 135, 190}};

}  // namespace

CProctorDlg::CProctorDlg(QWidget* parent) : Dialog(parent, "排监考", {480, 300})
{
    if (const CScheduleTask* task = Task()) {
        m_resultShowBy = std::clamp(task->GetConfigInt(kProctorSection, kResultShowByKey, 0), 0, 2);
        m_showTeacherTag = task->GetConfigInt(kProctorSection, kShowTeacherTagKey, 0) != 0;
        m_hideYear = task->GetConfigInt(kProctorSection, kHideYearKey, 0) != 0;
    }
}

CProctorDlg::~CProctorDlg() = default;

CScheduleTask* CProctorDlg::Task() const
{
    return AppServices().GetTask();
}

bool CProctorDlg::WriteSetting(const char* key, int value) const
{
    const CScheduleTask* task = Task();
    return task && task->SetConfigInt(kProctorSection, key, value);
}

// ---- Building the window ----

bool CProctorDlg::OnInitDialog()
{
    SetCaption(LoadResString(2) + " - 排监考");
    FillWorkArea();

    m_titleBand = new CProctorTitleBand(this);
    m_titleBand->onClick = [this](zem::Point at) { ShowTitleMenu(at); };

    for (CTitledPanel* panel : {&m_planPanel, &m_teacherPanel, &m_resultPanel})
        panel->m_frameColor = kPanelFrame;
    m_planPanel.m_title = "1 考试计划";

    m_plans = new zem::gui::ReportList(this);
    m_plans->setFrameShape(QFrame::NoFrame);
    m_plans->InsertColumn(0, "", Align::Left, 0);
    m_plans->InsertColumn(1, "考试时间", Align::Left, 180);
    m_plans->InsertColumn(2, "科目", Align::Left, 120);
    m_plans->InsertColumn(3, "监考人数", Align::Center, 60);
    m_plans->InsertColumn(4, "考场数量", Align::Center, 60);
    m_plans->InsertColumn(5, "考场列表", Align::Left, 180);
    m_plans->onDoubleClick = [this](int) { EditPlan(); };
    AddControl(IDC_PLANS, m_plans);

    m_teachers = new zem::gui::ItemList(this, zem::gui::ItemList::Mode::List);
    m_teachers->setFrameShape(QFrame::NoFrame);
    zem::gui::ImageList icons(16, 16);
    icons.Add(LoadProctorBitmap(IDB_PROCTOR_TEACHERS), kWhite);
    m_teachers->SetImageList(icons);
    // Names differ in length: each column of the list is as wide as its longest name.
    m_teachers->setUniformItemSizes(false);
    AddControl(IDC_TEACHERS, m_teachers);

    m_results = new zem::gui::ReportList(this);
    m_results->setFrameShape(QFrame::NoFrame);
    m_results->onDoubleClick = [this](int) {
        if (m_resultShowBy == kViewByPlan)
            ChangeItemTeachers();
    };
    m_results->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m_results, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int row = m_results->rowAt(at.y());
        if (m_resultShowBy != kViewByPlan || row < 0 || !m_results->IsSelected(row))
            return;
        const QPoint global = m_results->viewport()->mapToGlobal(at);
        const std::vector<MenuItem> menu = {{ID_CHANGE_TEACHERS, "更改监考教师"}};
        if (zem::gui::TrackPopupMenu(this, menu, {global.x(), global.y()}) == ID_CHANGE_TEACHERS)
            ChangeItemTeachers();
    });
    AddControl(IDC_RESULTS, m_results);

    struct ButtonSpec {
        int id;
        const char* text;
    };
    static constexpr ButtonSpec kButtons[] = {{IDC_SAVE, "保存"},        {IDC_ADD, "添加"},
                                              {IDC_RULE, "3 监考规则"},  {IDC_PLAN_MENU, "..."},
                                              {IDC_TEACHER_MENU, "..."}, {IDC_RESULT_MENU, "..."},
                                              {IDC_START, "4 开始排监考"}};
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new CHoverButton(entry.text, this);
        button->setAutoDefault(false);
        AddControl(entry.id, button);
    }
    SetModified(false);
    Layout();

    if (Task()) {
        m_recent.Init(Task()->GetConfigFile(), kRecentSection, kRecentCapacity);
        OpenProctor(m_recent.GetAt(0));
    }
    return true;
}

zem::Rect CProctorDlg::GetHeaderRect() const
{
    return Rect(0, 0, width(), kHeaderHeight);
}

void CProctorDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CProctorDlg::Layout()
{
    if (!m_titleBand)
        return;
    const int w = width(), h = height();
    SetWidgetRect(m_titleBand, GetHeaderRect());
    const int top = kHeaderHeight + kMargin;
    const int bottom = std::max(top + 100, h - kDialogFooterHeight - kMargin);
    const int leftWidth = std::max(420, (w - 3 * kMargin) * 45 / 100);
    const int split = top + (bottom - top) * 55 / 100;
    m_planPanel.SetRect(kMargin, top, kMargin + leftWidth, split - kMargin / 2);
    m_teacherPanel.SetRect(kMargin, split + kMargin / 2, kMargin + leftWidth, bottom);
    m_resultPanel.SetRect(2 * kMargin + leftWidth, top, std::max(2 * kMargin + leftWidth + 100, w - kMargin), bottom);

    auto placeBody = [](QWidget* list, const CTitledPanel& panel) {
        Rect body = panel.GetBodyRect();
        body.DeflateRect(1);
        SetWidgetRect(list, body);
    };
    placeBody(m_plans, m_planPanel);
    placeBody(m_teachers, m_teacherPanel);
    placeBody(m_results, m_resultPanel);

    // The buttons of a title band, from its right end leftwards.
    auto placeInTitle = [](const CTitledPanel& panel, std::initializer_list<std::pair<QWidget*, int>> buttons) {
        const Rect& title = panel.GetTitleRect();
        int right = title.right;
        const int y = title.top + (title.Height() - kTitleButtonHeight) / 2;
        for (const auto& [button, width] : buttons) {
            SetWidgetRect(button, Rect(right - width, y, right, y + kTitleButtonHeight));
            right -= width + 6;
        }
    };
    placeInTitle(m_planPanel, {{GetDlgItem(IDC_PLAN_MENU), 32}, {GetDlgItem(IDC_ADD), 56}});
    placeInTitle(m_teacherPanel, {{GetDlgItem(IDC_TEACHER_MENU), 32}});
    placeInTitle(m_resultPanel, {{GetDlgItem(IDC_RESULT_MENU), 32}});

    const int y = h - kDialogFooterHeight + (kDialogFooterHeight - kBandButtonHeight) / 2;
    SetWidgetRect(GetDlgItem(IDC_RULE), Rect(kMargin + 2, y, kMargin + 2 + 110, y + kBandButtonHeight));
    SetWidgetRect(GetDlgItem(IDC_START), Rect(kMargin + 122, y, kMargin + 122 + 130, y + kBandButtonHeight));
    SetWidgetRect(GetDlgItem(IDC_SAVE), Rect(w - kMargin - 2 - 90, y, w - kMargin - 2, y + kBandButtonHeight));
    update();
}

void CProctorDlg::UpdateCaptions()
{
    m_teacherPanel.m_title = zem::Format("%s (%d)", "2 监考教师列表", m_teacherRows);
    m_resultPanel.m_title = std::string("5 监考安排表") + kResultCaptions[m_resultShowBy];
    if (m_titleBand)
        m_titleBand->SetName(m_proctor ? m_proctor->GetName() : std::string());
    update();
}

void CProctorDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        for (const CTitledPanel* panel : {&m_planPanel, &m_teacherPanel, &m_resultPanel})
            panel->Draw(dc);
    });
}

void CProctorDlg::SetModified(bool modified)
{
    m_modified = modified;
    if (auto* save = Item<CHoverButton>(IDC_SAVE))
        save->SetBkColor(modified ? kModifiedColor : kWhite);
}

// ---- Opening, saving and closing ----

bool CProctorDlg::OpenProctor(const std::string& name)
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    if (m_proctor && m_modified) {
        const int answer = AskQuestion(kOpenQuestion, zem::MessageButtons::YesNoCancel);
        if (answer == zem::IDCANCEL)
            return false;
        // A save that failed keeps the open proctoring and its changes.
        if (answer == zem::IDYES && !Save())
            return false;
    }
    m_plans->DeleteAllItems();
    m_teachers->DeleteAllItems();
    m_results->DeleteAllItems();
    m_proctor = std::make_unique<CScheduleProctor>();
    // What could be read is shown even when the files were damaged: Save then first offers to keep
    // them aside.
    m_proctor->Open(task, name);
    FillPlans();
    // A proctoring never saved (the default one, or one just created) starts with every teacher,
    // each time it is opened until it is saved.
    const std::string input = task->GetTaskInfo().GetProctorFolder() + m_proctor->GetName() + "/in.xml";
    if (Data().GetTeacherArray().empty() && !zem::FileExists(input)) {
        std::vector<CZemObject*> teachers;
        MapToOrderedList(task->GetTeacherInfoList(), teachers);
        for (const CZemObject* teacher : teachers)
            Data().GetTeacherArray().push_back(teacher->GetId());
    }
    FillTeachers();
    BuildTeacherInfoMap(*task, Data());
    ShowResults();
    // Entry 0 is always the open proctoring's own name, never an empty one.
    m_recent.Add(m_proctor->GetName());
    SetModified(false);
    UpdateCaptions();
    return true;
}

bool CProctorDlg::Save()
{
    if (!m_proctor || !SaveSayingWhy([this] { return m_proctor->Save(); }, NotSavedText("监考数据"),
                                      "无法写入监考数据文件夹。"))
        return false;
    SetModified(false);
    ShowSavedTip(GetDlgItem(IDC_SAVE), 1);
    return true;
}

bool CProctorDlg::CloseWindow()
{
    if (m_modified) {
        const int answer = AskQuestion(kCloseQuestion, zem::MessageButtons::YesNoCancel);
        if (answer == zem::IDCANCEL)
            return false;
        // A save that failed keeps the page open with its changes.
        if (answer == zem::IDYES && !Save())
            return false;
    }
    if (CTipWnd* tip = AppServices().GetTipWnd())
        tip->hide();
    EndDialog(zem::IDCANCEL);
    return true;
}

void CProctorDlg::OnCancel()
{
    CloseWindow();
}

// ---- The lists ----

void CProctorDlg::FillPlanRow(int row, CProctorData::Plan* plan)
{
    const CScheduleTask* task = Task();
    m_plans->SetItemText(row, 0, plan->id);
    m_plans->SetItemData(row, reinterpret_cast<std::uintptr_t>(plan));
    m_plans->SetItemText(row, 1, FormatTimeRange(*plan, false));
    m_plans->SetItemText(row, 2, task ? task->GetSubjectName(plan->subject) : std::string());
    m_plans->SetItemText(row, 3, IntToString(plan->teacherCount));
    m_plans->SetItemText(row, 4, IntToString(static_cast<int>(plan->rooms.size())));
    m_plans->SetItemText(row, 5, JoinClassOrRoomNames(task, plan->rooms));
}

void CProctorDlg::FillPlans()
{
    m_plans->DeleteAllItems();
    for (const auto& plan : Data().GetPlanList())
        FillPlanRow(m_plans->InsertItem(m_plans->GetItemCount(), plan->id), plan.get());
}

void CProctorDlg::FillTeachers()
{
    m_teachers->DeleteAllItems();
    const CScheduleTask* task = Task();
    for (const std::string& id : Data().GetTeacherArray()) {
        if (const CZemObject* teacher = task ? task->GetTeacher(id) : nullptr)
            m_teachers->InsertItem(m_teachers->GetItemCount(), teacher->GetName(), 0);
    }
    m_teacherRows = m_teachers->GetItemCount();
    UpdateCaptions();
}

void CProctorDlg::ShowResults()
{
    m_results->DeleteAllItems();
    while (m_results->GetColumnCount() > 0)
        m_results->DeleteColumn(0);
    m_results->InsertColumn(0, "", Align::Left, 0);
    const std::array<const char*, 4> headings = InvigilationHeadings(m_resultShowBy);
    for (int column = 0; column < 4; ++column)
        m_results->InsertColumn(column + 1, headings[static_cast<std::size_t>(column)], Align::Left,
                                kResultWidths[m_resultShowBy][column]);
    for (const CInvigilationRow& row : BuildInvigilationRows(m_resultShowBy, Data(), Task(), m_hideYear)) {
        // The hidden column tells the groups apart, as the grey rows show them.
        const bool grey = row.group % 2 == 1;
        const int at = m_results->InsertItem(m_results->GetItemCount(), grey ? " " : "",
                                             reinterpret_cast<std::uintptr_t>(row.item));
        for (int column = 0; column < 4; ++column)
            m_results->SetItemText(at, column + 1, row.cells[static_cast<std::size_t>(column)]);
        if (grey)
            m_results->SetItemColors(at, zem::gui::ReportList::kDefaultColor, kGreyGroup);
    }
    UpdateCaptions();
}

// ---- Pop-ups ----

std::vector<MenuItem> CProctorDlg::PlanMenu() const
{
    const bool selected = m_plans->GetSelectedCount() > 0;
    return {
        {ID_PLAN_UP, "上移", selected},       {ID_PLAN_DOWN, "下移", selected}, {},
        {ID_PLAN_EDIT, "修改", selected},     {ID_PLAN_DELETE, "删除", selected},
        {ID_PLAN_CLEAR, "清空", m_plans->GetItemCount() > 0},
    };
}

std::vector<MenuItem> CProctorDlg::TeacherMenu() const
{
    return {
        {ID_TEACHERS_CHOOSE, "在教师列表中选择"},      {},
        {ID_TEACHERS_BY_CLASS, "按所教班级选择教师"},  {ID_TEACHERS_BY_SUBJECT, "按所教课程选择教师"},
        {ID_TEACHERS_BY_GROUP, "按教师组选择教师"},    {},
        {ID_TEACHERS_CLEAR, "清空", m_teachers->GetItemCount() > 0},
    };
}

std::vector<MenuItem> CProctorDlg::ResultMenu() const
{
    std::vector<MenuItem> items = {
        {ID_SHOW_BY_PLAN, "按考试计划显示"},
        {ID_SHOW_BY_TEACHER, "按监考教师显示"},
        {ID_SHOW_BY_ROOM, "按考场显示"},
        {},
        {ID_HIDE_YEAR, "考试时间不显示年份"},
        {ID_SHOW_TAG, "在教师姓名后显示科目和班级标识"},
        {},
        {ID_STATISTICS, "教师监考统计"},
        {ID_EXPORT, "导出"},
    };
    for (int view = 0; view < 3; ++view) {
        items[static_cast<std::size_t>(view)].radio = true;
        items[static_cast<std::size_t>(view)].checked = view == m_resultShowBy;
    }
    items[4].checked = m_hideYear;
    items[5].checked = m_showTeacherTag;
    return items;
}

std::vector<MenuItem> CProctorDlg::TitleMenu() const
{
    MenuItem recent{0, "打开之前的监考"};
    const std::string folder = Task() ? Task()->GetTaskInfo().GetProctorFolder() : std::string();
    for (int i = 1; i < m_recent.GetCount(); ++i) {
        const std::string name = m_recent.GetAt(i);
        const bool exists = zem::FolderExists(folder + name);
        recent.children.push_back({ID_RECENT_FIRST + i, exists ? name : name + " （不存在）", exists});
    }
    if (recent.children.empty())
        recent.children.push_back({ID_RECENT_NONE, "无", false});
    return {{ID_RENAME, "修改当前监考的名称"}, {ID_CREATE, "创建新的监考"}, {}, recent};
}

void CProctorDlg::ShowMenu(int buttonId, const std::vector<MenuItem>& items)
{
    const QWidget* button = GetDlgItem(buttonId);
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    if (const int command = zem::gui::TrackPopupMenu(this, items, {corner.x(), corner.y()}))
        OnCommand(command);
}

void CProctorDlg::ShowTitleMenu(zem::Point screenPoint)
{
    if (const int command = zem::gui::TrackPopupMenu(this, TitleMenu(), screenPoint))
        OnCommand(command);
}

void CProctorDlg::OnCommand(int id)
{
    if (!m_proctor && id != zem::IDCANCEL)
        return;
    if (id > ID_RECENT_FIRST && id < ID_RECENT_FIRST + kRecentCapacity) {
        OpenRecent(id - ID_RECENT_FIRST);
        return;
    }
    switch (id) {
    case IDC_SAVE: Save(); break;
    case IDC_ADD: AddPlan(); break;
    case IDC_RULE: EditRule(); break;
    case IDC_START: StartAssignment(); break;
    case IDC_PLAN_MENU: ShowMenu(id, PlanMenu()); break;
    case IDC_TEACHER_MENU: ShowMenu(id, TeacherMenu()); break;
    case IDC_RESULT_MENU: ShowMenu(id, ResultMenu()); break;
    case ID_PLAN_UP: MovePlans(true); break;
    case ID_PLAN_DOWN: MovePlans(false); break;
    case ID_PLAN_EDIT: EditPlan(); break;
    case ID_PLAN_DELETE: DeletePlans(); break;
    case ID_PLAN_CLEAR: ClearPlans(); break;
    case ID_TEACHERS_CHOOSE: ChooseTeachers(); break;
    case ID_TEACHERS_BY_CLASS:
    case ID_TEACHERS_BY_SUBJECT:
    case ID_TEACHERS_BY_GROUP: AddTeachersBy(id); break;
    case ID_TEACHERS_CLEAR: ClearTeachers(); break;
    case ID_SHOW_BY_PLAN:
    case ID_SHOW_BY_TEACHER:
    case ID_SHOW_BY_ROOM: SetResultShowBy(id - ID_SHOW_BY_PLAN); break;
    case ID_HIDE_YEAR: ToggleSetting(kHideYearKey, m_hideYear); break;
    case ID_SHOW_TAG: ToggleSetting(kShowTeacherTagKey, m_showTeacherTag); break;
    case ID_STATISTICS: ShowStatistics(); break;
    case ID_EXPORT: Export(); break;
    case ID_RENAME: Rename(); break;
    case ID_CREATE: CreateProctor(); break;
    case ID_CHANGE_TEACHERS:
        if (m_resultShowBy == kViewByPlan)
            ChangeItemTeachers();
        break;
    default: Dialog::OnCommand(id);
    }
}

void CProctorDlg::SetResultShowBy(int view)
{
    view = std::clamp(view, 0, 2);
    if (view == m_resultShowBy)
        return;
    m_resultShowBy = view;
    WriteSetting(kResultShowByKey, view);
    ShowResults();
}

void CProctorDlg::ToggleSetting(const char* key, bool& value)
{
    // The teacher tags are read from task.ini: a value it does not hold would not show.
    if (!WriteSetting(key, value ? 0 : 1))
        return;
    value = !value;
    ShowResults();
}
