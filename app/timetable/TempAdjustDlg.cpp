#include "app/timetable/TempAdjustDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/TipWnd.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/ExportTableItem.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/CompareTaskDlg.h"
#include "app/timetable/TimetableWindowSave.h"
#include "base/ChangeCheck.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/QtText.h"
#include "table/TableDefs.h"
#include "table/UICore.h"

#include <QComboBox>
#include <QTreeWidget>

#include <algorithm>

using zem::Rect;
using zem::gui::DC;

namespace {

constexpr int kTopBand = 50;
constexpr int kButtonBand = 50;
constexpr int kTreeHeight = 100;
constexpr int kComboRow = 45;
constexpr int kGap = 3;

// The side columns: 400 and 300 pixels, less on a narrow screen so the middle keeps half.
int LeftWidth(int clientWidth) { return std::min(400, clientWidth * 2 / 7); }
int RightWidth(int clientWidth) { return std::min(300, clientWidth * 3 / 14); }
constexpr zem::COLORREF kGrey = zem::RGB(0x81, 0x81, 0x81);
constexpr zem::COLORREF kPanelColor = zem::RGB(0xF0, 0xF0, 0xF0);
constexpr zem::COLORREF kTopColor = 0x5B483B;
constexpr zem::COLORREF kModifiedColor = 0xC8FFFF;

void* ItemObject(const QComboBox* combo, int index)
{
    return reinterpret_cast<void*>(combo->itemData(index).value<qulonglong>());
}

}  // namespace

std::string FirstClassOfTeacher(const CScheduleTask& task, const std::string& teacherId)
{
    const CSchoolStructure& structure = task.GetSchoolStructure();
    if (auto* teacher = static_cast<CZemTableObject*>(task.GetTeacherInfoList().Find(teacherId))) {
        const CCourseTable& table = teacher->GetTable(true);
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            const int sections = structure.GetSectionNodeMaxCount(segment);
            for (int day = 0; day < zem::kDayCount; ++day) {
                if (!structure.IsDayInUse(day))
                    continue;
                for (int section = 0; section < sections && section < zem::kSectionCount; ++section) {
                    if (!table.IsUsed(day, segment, section))
                        continue;
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    for (const int half : {1, 2}) {
                        const std::string& courseId = cell.data(half).GetCourseId();
                        if (courseId.empty())
                            continue;
                        if (const CCourseInfo* course = task.FindCourse(courseId))
                            return course->GetClassId();
                        break;  // only the first id in the cell counts
                    }
                }
            }
        }
    }
    std::vector<CZemObject*> classes;
    MapToOrderedList(task.GetClassInfoList(), classes);
    return classes.empty() ? std::string() : classes.front()->GetId();
}

CTempAdjustDlg::CTempAdjustDlg(QWidget* parent, CScheduleTask* task, bool isNew, const std::string& teacherId)
    : Dialog(parent, "临时调课代课", {480, 300}), m_task(task), m_isNew(isNew), m_teacherId(teacherId)
{
}

CTempAdjustDlg::~CTempAdjustDlg() = default;

bool CTempAdjustDlg::OnInitDialog()
{
    SetCaption(LoadResString(2) + " - 临时调课代课");
    if (!m_task) {
        zem::ShowMessage(kNoTaskText, "提示", zem::MessageIcon::Information);
        EndDialog(zem::IDCANCEL);
        return false;
    }
    m_titleText = zem::Format("临时任务：%s", m_task->GetTaskInfo().GetTaskName().c_str());
    // Edits a window before left unsaved are dropped.
    CTaskHelper(m_task, AppHelperContext()).RestoreTempTables();
    // Substitutions move lessons between plans and their copies: the counts are the window's to change.
    m_savedCheck = std::make_unique<CChangeCheck>(*m_task, false, CChangeCheck::Plans::Edited);

    FillWorkArea();

    m_regularCaption.m_title = "原任课教师";
    m_substituteCaption.m_title = "代课教师";
    AddButtons();
    SetModified(false);
    AddSplitters();
    AddTree();
    AddObjectLists();

    m_history.Load(m_task->GetConfigFile(), kHistorySection, 10);
    m_teacherFound = m_task->GetTeacherInfoList().Find(m_teacherId) != nullptr;
    FillTree();
    if (!m_teacherFound) {
        UpdateButtons();
        zem::ShowMessage(kNoTeacherText);
        Layout();
        return true;
    }
    AddTables();
    FillObjectLists();
    m_container.SetObject(TABLE_CLASS, FirstClassOfTeacher(*m_task, m_teacherId));
    m_container.ShowObject();
    SelectCurrentInList();
    Layout();
    return true;
}

void CTempAdjustDlg::AddButtons()
{
    struct ButtonSpec {
        int id;
        const char* text;
    };
    static constexpr ButtonSpec kButtons[] = {{IDC_SAVE, "保存临时任务(&S)"}, {IDC_COMPARE, "比对(&C)"},
                                              {IDC_EXECUTE, "执行代课(&D)"},   {IDC_EXPORT, "导  出(&E)"},
                                              {IDC_PRINT, "打  印(&P)"}};
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new CHoverButton(entry.text, this);
        button->setAutoDefault(false);
        AddControl(entry.id, button);
    }
}

void CTempAdjustDlg::AddSplitters()
{
    for (QWidget** bar : {&m_leftBar, &m_rightBar}) {
        *bar = new QWidget(this);
        (*bar)->setAutoFillBackground(true);
        QPalette palette = (*bar)->palette();
        palette.setColor(QPalette::Window, QColor(0x81, 0x81, 0x81));
        (*bar)->setPalette(palette);
    }
    AddControl(IDC_LEFT_SPLITTER, m_leftBar);
    AddControl(IDC_RIGHT_SPLITTER, m_rightBar);
    m_leftSplitter.Attach(this, IDC_LEFT_SPLITTER);
    m_rightSplitter.Attach(this, IDC_RIGHT_SPLITTER);
}

void CTempAdjustDlg::AddTree()
{
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(10);
    m_tree->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    // A title longer than the column takes a second line rather than running out of sight.
    WrapTreeTexts(m_tree);
    m_tree->setStyleSheet("QTreeWidget { background: #F0F0F0; } QTreeWidget::item { min-height: 24px; }");
    AddControl(IDC_TREE, m_tree);
}

void CTempAdjustDlg::AddObjectLists()
{
    for (const int id : {IDC_CLASS_LIST, IDC_TEACHER_LIST}) {
        auto* combo = new QComboBox(this);
        combo->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
        combo->setMaxVisibleItems(20);
        AddControl(id, combo);
        const int kind = id - IDC_CLASS_LIST;
        QObject::connect(combo, &QComboBox::activated, this, [this, kind] { OnListChanged(kind); });
    }
}

void CTempAdjustDlg::AddTables()
{
    m_container.Create(this, m_task, this, false);
    m_container.GetGrid().SetTitleHeight(30);
    m_container.GetGrid().SetPlaySoundInMoving(AppServices().GetPlaySoundInMoving());
    m_container.GetGrid().SetColorMode(AppServices().GetColorTable());
    m_container.SetMenuMode(CTableContainer::kMenuTemporary);

    m_substitutePanel.Create(this, m_task);
    // The regular teacher's own week is the left column's.
    m_substitutePanel.GetFriendTables().SetCurrentObject(TABLE_TEACHER, m_teacherId);
    m_substituteWnd.Create(this, this, m_task, m_teacherId);
}

bool CTempAdjustDlg::HasRegularTeacher() const
{
    return m_teacherFound && m_task->GetTeacher(m_substituteWnd.GetRegularId()) != nullptr;
}

void CTempAdjustDlg::UpdateButtons()
{
    const bool teacher = HasRegularTeacher();
    EnableItem(IDC_EXECUTE, teacher && !m_substituteWnd.GetPlan().GetRecords().empty());
    EnableItem(IDC_EXPORT, teacher);
    EnableItem(IDC_PRINT, teacher);
}

void CTempAdjustDlg::FillTree()
{
    m_tree->clear();
    for (auto it = m_pendingHistory.rbegin(); it != m_pendingHistory.rend(); ++it)
        m_tree->addTopLevelItem(new QTreeWidgetItem(QStringList{zem::gui::ToQ((*it)->title)}));
    for (const auto& entry : m_history.GetEntries())
        m_tree->addTopLevelItem(new QTreeWidgetItem(QStringList{zem::gui::ToQ(entry->title)}));
    auto* current = new QTreeWidgetItem(QStringList{zem::gui::ToQ(GetCurrentOperationText())});
    m_tree->insertTopLevelItem(0, current);
    m_tree->scrollToItem(current);
}

std::string CTempAdjustDlg::GetCurrentOperationText() const
{
    if (!HasRegularTeacher())
        return {};
    const char* hint = "在左边的课表上单击鼠标右键可以选择代课教师";
    if (!m_substituteWnd.GetPlan().GetRecords().empty())
        hint = m_conflicts > 0 ? "可以在下方的课表中手工调整以解决冲突" : "点击上方的“执行代课”按钮执行代课操作";
    return zem::Format("【当前操作】为 %s 老师的课程安排代课教师 （%s）",
                       m_task->GetTeacherName(m_substituteWnd.GetRegularId()).c_str(), hint);
}

void CTempAdjustDlg::FillObjectLists()
{
    const std::pair<int, const CZemObjectList*> lists[] = {{IDC_CLASS_LIST, &m_task->GetClassInfoList()},
                                                           {IDC_TEACHER_LIST, &m_task->GetTeacherInfoList()}};
    for (const auto& [id, objects] : lists) {
        auto* combo = Item<QComboBox>(id);
        std::vector<CZemObject*> ordered;
        MapToOrderedList(*objects, ordered);
        for (CZemObject* object : ordered)
            combo->addItem(zem::gui::ToQ(object->GetName()), QVariant::fromValue(reinterpret_cast<qulonglong>(object)));
    }
}

void CTempAdjustDlg::SelectCurrentInList()
{
    const int kind = m_container.GetKind();
    ShowItem(IDC_CLASS_LIST, kind == TABLE_CLASS);
    ShowItem(IDC_TEACHER_LIST, kind == TABLE_TEACHER);
    if (kind != TABLE_CLASS && kind != TABLE_TEACHER)
        return;
    auto* combo = Item<QComboBox>(IDC_CLASS_LIST + kind);
    for (int i = 0; i < combo->count(); ++i)
        if (static_cast<CZemObject*>(ItemObject(combo, i))->GetId() == m_container.GetObjectId())
            combo->setCurrentIndex(i);
}

void CTempAdjustDlg::OnListChanged(int kind)
{
    const auto* combo = Item<QComboBox>(IDC_CLASS_LIST + kind);
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    m_container.SetObject(kind, static_cast<CZemObject*>(ItemObject(combo, index))->GetId());
    m_container.ShowObject();
}

void CTempAdjustDlg::FocusTeacherList()
{
    if (QWidget* combo = GetDlgItem(IDC_TEACHER_LIST))
        combo->setFocus();
}

void CTempAdjustDlg::OnTableChanged(int, void*)
{
    SetModified(true);
    m_substituteWnd.Refill();
}

zem::LRESULT CTempAdjustDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_SUBSTITUTES_CHANGED:
        OnSubstitutesChanged();
        return 0;
    case WM_TABLE_CELL_MOVED:
        if (const auto* move = zem::FromWParam<tagNMT_MOVE>(wParam))
            FollowMove(move->target, move->picked);
        return 0;
    case WM_EXPORT_DIFF_TABLES:
        ExportDifferences(zem::FromWParam<std::string>(wParam), zem::FromLParam<CZemObjectList>(lParam));
        return 0;
    case WM_SPLITTER_MOVED:
        OnSplitterMoved();
        return 0;
    default:
        return Dialog::WindowProc(message, wParam, lParam);
    }
}

void CTempAdjustDlg::OnSubstitutesChanged()
{
    if (!HasRegularTeacher() || !m_substitutePanel.parentWidget())
        return;
    const std::string& regularId = m_substituteWnd.GetRegularId();
    std::vector<std::string> ids;
    for (const CSubstituteRecord& record : m_substituteWnd.GetPlan().GetRecords())
        StringArrayAddUnique(ids, record.substitute->GetId());
    for (const CSubstituteGroup& group : m_executed)
        if (group.regularId == regularId)
            for (const CSubstituteRecord& record : group.records)
                StringArrayAddUnique(ids, record.substitute->GetId());
    m_substitutePanel.GetFriendTables().SetCurrentObject(TABLE_TEACHER, regularId);
    m_substitutePanel.ShowLesson(ids, TABLE_TEACHER);
    m_conflicts = MarkSubstituteCells();
    if (m_tree && m_tree->topLevelItemCount() > 0)
        m_tree->topLevelItem(0)->setText(0, zem::gui::ToQ(GetCurrentOperationText()));
    UpdateButtons();
}

int CTempAdjustDlg::MarkSubstituteCells()
{
    const CSchoolStructure& week = m_task->GetSchoolStructure();
    const auto grid = [&week](const CSubstituteRecord& r) {
        return tagTABLE_NODE{week.GetWeekOrderByNumber(r.day), r.segment, r.section};
    };
    CFriendTablesWnd& tables = m_substitutePanel.GetFriendTables();
    const std::vector<const CSubstituteRecord*> conflicts =
        FindSubstituteConflicts(*m_task, m_substituteWnd.GetPlan().GetRecords());
    for (const CSubstituteRecord* record : conflicts) {
        m_substituteWnd.GetTable().SetForbidCell(grid(*record), true);
        if (CWeekTable* table = tables.FindTable(record->substitute->GetId()))
            table->SetForbidCell(grid(*record), true);
    }
    for (const CSubstituteGroup& group : m_executed)
        for (const CSubstituteRecord& record : group.records)
            if (CWeekTable* table = tables.FindTable(record.substitute->GetId()))
                table->SetCellFriend(grid(record));
    m_substituteWnd.GetTable().Refresh();
    for (const auto& entry : tables.GetEntries())
        entry->grid->Refresh();
    m_substituteWnd.SetConflictCount(static_cast<int>(conflicts.size()));
    return static_cast<int>(conflicts.size());
}

void CTempAdjustDlg::FollowMove(const tagTABLE_NODE& gridTarget, const tagTABLE_NODE& gridSource)
{
    const CCourseTable* table = m_container.GetTable();
    if (!table || !HasRegularTeacher())
        return;
    const tagTABLE_NODE target = m_container.ToDataNode(gridTarget);
    const tagTABLE_NODE source = m_container.ToDataNode(gridSource);
    std::vector<std::string> teachers = NodeTeachers(*m_task, table->GetNode(source));
    StringArrayAddAllUnique(teachers, NodeTeachers(*m_task, table->GetNode(target)));
    m_substituteWnd.GetPlan().FollowMove(source, target, teachers);
    FollowMoveInGroups(m_executed, source, target, teachers);
    m_substituteWnd.Refill();
    SetModified(true);
}

bool CTempAdjustDlg::Execute()
{
    if (!HasRegularTeacher())
        return false;
    CSubstitutePlan& plan = m_substituteWnd.GetPlan();
    if (plan.GetRecords().empty())
        return false;
    CSubstitution::Result result = m_substitution.Execute(*m_task, plan.GetTeacherId(), plan.GetRecords());
    if (!result.done) {
        if (!result.refusal.empty())
            zem::ShowMessage(result.refusal, "提示", zem::MessageIcon::Warning);
        else if (result.conflicts > 0)
            zem::ShowMessage(zem::Format(kConflictsText, result.conflicts) + "\n" + result.conflictsSaid,
                             "提示", zem::MessageIcon::Warning);
        else if (result.stale > 0)
            zem::ShowMessage(zem::Format(kStaleText, result.stale), "提示", zem::MessageIcon::Warning);
        return false;
    }
    m_executed.push_back({plan.GetTeacherId(), plan.GetRecords()});
    m_pendingHistory.push_back(std::move(result.entry));
    plan.CancelAll();
    FillTree();
    m_container.Refill();
    SetModified(true);
    m_substituteWnd.Refill();
    return true;
}

void CTempAdjustDlg::OpenCompare()
{
    CCompareTaskDlg compare(this, m_task, this);
    compare.DoModal();
}

void CTempAdjustDlg::PrintOrExport(int mode)
{
    if (!HasRegularTeacher())
        return;
    CZemObjectList offered;
    int order = 0;
    for (const CZemObjectList* list : {&m_task->GetClassInfoList(), &m_task->GetTeacherInfoList()}) {
        std::vector<CZemObject*> objects;
        MapToOrderedList(*list, objects);
        for (const CZemObject* object : objects) {
            CZemObject* copy = object->Clone();
            copy->SetIndex(order++);
            offered.Add(copy);
        }
    }
    std::vector<std::string> ticked;
    if (const CScheduleTask* formal = AppServices().GetTask())
        for (const CTaskDifference& difference : FindTaskDifferences(*m_task, *formal))
            ticked.push_back(difference.temp->GetId());
    const bool print = mode == PREVIEW_PRINT;
    RunTableJob(offered, print ? "选择要打印的临时课表" : "选择要导出的临时课表", print ? "打印" : "导出", ticked, false,
                mode);
}

void CTempAdjustDlg::ExportDifferences(const std::string* title, const CZemObjectList* tables)
{
    if (!tables)
        return;
    // The copies die when the send returns: only their ids are kept.
    RunTableJob(*tables, title ? *title : std::string("导出"), "导出", {}, true, PREVIEW_EXPORT);
}

void CTempAdjustDlg::RunTableJob(const CZemObjectList& offered, const std::string& caption, const std::string& okText,
                                 const std::vector<std::string>& ticked, bool tickAll, int mode)
{
    CMultiSelectDlg chooser(this);
    chooser.m_caption = caption;
    chooser.m_okText = okText;
    chooser.m_preChecked = ticked;
    chooser.m_checkAll = tickAll;
    chooser.SetItems(&offered);
    if (chooser.DoModal() != zem::IDOK || chooser.GetChosenIds().empty())
        return;
    std::vector<std::unique_ptr<CExportTableItem>> items;
    CTaskHelper(m_task, AppHelperContext()).CreateTableItems(chooser.GetChosenIds(), &items);
    if (items.empty())
        return;
    const std::string name = items.size() == 1
                                 ? zem::Format("%s临时课表", items.front()->GetName().c_str())
                                 : zem::Format("%s等%d张临时课表", items.front()->GetName().c_str(),
                                               static_cast<int>(items.size()));
    auto group = std::make_unique<CPrintTableGroup>(name);
    group->items = std::move(items);
    AddGroup(std::move(group));
    ShowPreview(mode, true);
}

void CTempAdjustDlg::SetModified(bool modified)
{
    m_modified = modified;
    if (auto* save = Item<CHoverButton>(IDC_SAVE))
        save->SetBkColor(modified ? kModifiedColor : zem::RGB(255, 255, 255));
}

bool CTempAdjustDlg::Save()
{
    // The plans first: the timetables refer to them.
    CScheduleTask* task = m_task;
    // What the user kept (a conflict a move by hand asked about) is saved as kept, and named. The
    // substitutes' copies stand for their plans: what those broke before is not the window's.
    const ChangeFindings findings = m_savedCheck->FindingsInWorkingTables(m_substitution.StandIns(*task));
    const CAdjustmentEntryList& pending = m_pendingHistory;
    if (!SaveSayingWhy(
            [task, &pending] {
                return CTaskHelper(task, AppHelperContext()).SaveInputAndTempTables() &&
                       SaveAdjustmentHistoryTo(task->GetConfigFile(), kHistorySection, 10, pending);
            },
            kSaveFailedText, "无法写入 " + task->GetTaskInfo().GetTaskFolder()))
        return false;
    m_pendingHistory.clear();
    m_history.Clear();
    m_history.Load(task->GetConfigFile(), kHistorySection, 10);
    m_saved = true;
    m_container.ResetChangedTables();
    SetModified(false);
    m_savedCheck =
        std::make_unique<CChangeCheck>(*task, false, CChangeCheck::Plans::Edited, m_substitution.StandIns(*task));
    if (findings.IsClean())
        ShowSavedTip(this, 1);
    else
        zem::ShowMessage(std::string(kSavedWithFindingsText) + KeptChangeText(findings), "提示",
                         zem::MessageIcon::Warning);
    return true;
}

bool CTempAdjustDlg::CloseWindow()
{
    if (!m_modified)
        return true;
    const int answer =
        zem::ShowMessage({kCloseQuestion, "提示", zem::MessageIcon::Question, zem::MessageButtons::YesNoCancel});
    if (answer == zem::IDCANCEL)
        return false;
    if (answer == zem::IDYES)
        return Save();
    CTaskHelper(m_task, AppHelperContext()).RestoreTempTables();
    return true;
}

void CTempAdjustDlg::OnCancel()
{
    if (m_container.GetGrid().IsMoving())
        return;
    if (CloseWindow())
        EndDialog(zem::IDCANCEL);
}

void CTempAdjustDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_SAVE:
        Save();
        return;
    case IDC_EXECUTE:
        Execute();
        return;
    case IDC_COMPARE:
        OpenCompare();
        return;
    case IDC_PRINT:
        PrintOrExport(PREVIEW_PRINT);
        return;
    case IDC_EXPORT:
        PrintOrExport(PREVIEW_EXPORT);
        return;
    default:
        Dialog::OnCommand(id);
    }
}

// ---- Layout and painting ----

void CTempAdjustDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    if (m_tree)
        Layout();
}

int CTempAdjustDlg::LeftColumnWidth() const { return m_leftWidth > 0 ? m_leftWidth : LeftWidth(width()); }

int CTempAdjustDlg::RightColumnWidth() const { return m_rightWidth > 0 ? m_rightWidth : RightWidth(width()); }

// The bars stand where the user let them go; the columns follow them.
void CTempAdjustDlg::OnSplitterMoved()
{
    m_leftWidth = WidgetRect(m_leftBar).left - kGap;
    m_rightWidth = width() - WidgetRect(m_rightBar).left - 2 * kGap;
    Layout();
}

void CTempAdjustDlg::Layout()
{
    const Rect client(0, 0, width(), height());
    SetWidgetRect(GetDlgItem(IDC_SAVE), Rect(client.right - 230, 8, client.right - 8, kTopBand - 8));
    const Rect save = WidgetRect(GetDlgItem(IDC_SAVE));
    SetWidgetRect(GetDlgItem(IDC_COMPARE), Rect(save.left - 110, save.top, save.left - 10, save.bottom));

    const int leftBar = LeftColumnWidth() + kGap;
    const int rightBar = client.right - RightColumnWidth() - kGap;
    // The middle column keeps half the window: neither side column grows past the other half.
    m_leftSplitter.SetRange(200, client.Width() / 2);
    m_rightSplitter.SetRange(client.Width() / 2, 200);
    SetWidgetRect(m_leftBar, Rect(leftBar, kTopBand, leftBar + kGap + 1, client.bottom));
    SetWidgetRect(m_rightBar, Rect(rightBar - kGap, kTopBand, rightBar + 1, client.bottom));
    m_regularCaption.SetRect(client.left + kGap, kTopBand + kGap, leftBar - kGap, client.bottom - kGap);
    m_substituteCaption.SetRect(rightBar + kGap, kTopBand + kGap, client.right - kGap, client.bottom - kGap);
    if (m_substituteWnd.parentWidget())
        SetWidgetRect(&m_substituteWnd, m_regularCaption.GetBodyRect());
    if (m_substitutePanel.parentWidget())
        SetWidgetRect(&m_substitutePanel, m_substituteCaption.GetBodyRect());

    const int middleLeft = leftBar + kGap + 1;
    const int middleRight = rightBar - kGap;
    int x = middleLeft + 20;
    for (const int id : {IDC_EXECUTE, IDC_EXPORT, IDC_PRINT}) {
        SetWidgetRect(GetDlgItem(id), Rect(x, kTopBand + 10, x + 100, kTopBand + 36));
        x += 110;
    }
    const int treeTop = kTopBand + kButtonBand;
    SetWidgetRect(m_tree, Rect(middleLeft, treeTop, middleRight, treeTop + kTreeHeight));
    const int comboBottom = treeTop + kTreeHeight + kComboRow - 6;
    const int centre = (middleLeft + middleRight) / 2;
    for (const int id : {IDC_CLASS_LIST, IDC_TEACHER_LIST})
        SetWidgetRect(GetDlgItem(id), Rect(centre - 125, comboBottom - 24, centre + 125, comboBottom));
    if (m_container.parentWidget())
        SetWidgetRect(&m_container, Rect(middleLeft, treeTop + kTreeHeight + kComboRow + 8, middleRight,
                                         client.bottom - 50));
    m_laidOut = true;
    update();
}

void CTempAdjustDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kGrey);
        const int leftBar = LeftColumnWidth() + kGap;
        const int rightBar = client.right - RightColumnWidth() - kGap;
        dc.FillSolidRect(Rect(client.left, kTopBand, leftBar, client.bottom), kPanelColor);
        dc.FillSolidRect(Rect(rightBar, kTopBand, client.right, client.bottom), kPanelColor);
        dc.FillSolidRect(Rect(leftBar + kGap + 1, kTopBand, rightBar - kGap, kTopBand + kButtonBand), kPanelColor);
        dc.FillSolidRect(Rect(client.left, client.top, client.right, kTopBand), kTopColor);
        m_regularCaption.Draw(dc);
        m_substituteCaption.Draw(dc);
        dc.SelectFont(zem::gui::Font(zem::LogFont{zem::gui::PointSizeToHeight(120), 700, false, false,
                                                  CUICore::instance()->GetDefaultFontName()}));
        dc.SetTextColor(0xE8E8E8);
        Rect title(client.left + 20, client.top, client.right - 260, kTopBand);
        dc.DrawText(m_titleText, title, zem::gui::DT_LEFT | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    });
}
