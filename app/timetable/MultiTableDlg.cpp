#include "app/timetable/MultiTableDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/TipWnd.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/LessonProgress.h"
#include "app/timetable/TableFontDlg.h"
#include "app/timetable/TableOptions.h"
#include "app/timetable/TimetableWindowSave.h"
#include "app/timetable/WeekTableWnd.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>
#include <charconv>

using zem::Rect;

namespace {

constexpr zem::COLORREF kModifiedColor = zem::RGB(255, 255, 200);
constexpr int kButtonHeight = 26;
constexpr int kEdge = 12;

struct ViewEntry {
    const char* text;
    int rows;
    int columns;
};
constexpr ViewEntry kViews[] = {{"四课表", 2, 2}, {"六课表(2*3)", 2, 3}, {"六课表(3*2)", 3, 2}, {"九课表", 3, 3}};
constexpr int kViewCount = static_cast<int>(std::size(kViews));

// A stored "%d,%s" entry: a kind 0..2 before a comma that is not the first character.
bool ParseEntry(const std::string& text, CMultiTableDlg::PaneEntry& entry)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || comma == 0)
        return false;
    int kind = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + comma, kind);
    if (error != std::errc() || end != text.data() + comma || kind < 0 || kind > 2)
        return false;
    entry.kind = kind;
    entry.id = text.substr(comma + 1);
    return true;
}

}  // namespace

CMultiTableDlg::CMultiTableDlg(QWidget* parent) : Dialog(parent, "多课表调整", {480, 300}) {}

CMultiTableDlg::~CMultiTableDlg() = default;

CScheduleTask* CMultiTableDlg::Task() const { return AppServices().GetTask(); }

std::vector<CMultiTableDlg::PaneEntry> CMultiTableDlg::PaneEntries(const CScheduleTask& task, int count)
{
    std::vector<PaneEntry> entries;
    const CZemObjectList* lists[] = {&task.GetClassInfoList(), &task.GetTeacherInfoList(), &task.GetRoomInfoList()};
    if (count <= 0 || std::all_of(std::begin(lists), std::end(lists), [](const CZemObjectList* list) {
            return list->IsEmpty();
        }))
        return entries;
    // A damaged or foreign file may claim any number of entries; no more panes than nine exist.
    const int stored = std::clamp(task.GetConfigInt(kSection, "Count", 0), 0, kMaxPanes);
    for (int i = 1; i <= stored && static_cast<int>(entries.size()) < count; ++i) {
        PaneEntry entry;
        if (ParseEntry(task.GetConfig(kSection, std::to_string(i), ""), entry) && lists[entry.kind]->Find(entry.id))
            entries.push_back(entry);
    }
    std::vector<PaneEntry> fillUp;
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<CZemObject*> objects;
        MapToOrderedList(*lists[kind], objects);
        for (const CZemObject* object : objects)
            fillUp.push_back({kind, object->GetId()});
    }
    for (std::size_t next = 0; static_cast<int>(entries.size()) < count; next = (next + 1) % fillUp.size())
        entries.push_back(fillUp[next]);
    return entries;
}

// ---- Building the window ----

bool CMultiTableDlg::OnInitDialog()
{
    CScheduleTask* task = Task();
    SetCaption(LoadResString(2) + " - 多课表调整");
    FillWorkArea();
    setWindowState(windowState() | Qt::WindowMaximized);

    AddLabel(this, "显示", Rect(kEdge, 0, kEdge + 32, kBandHeight));
    auto* view = new QComboBox(this);
    view->setFont(DialogFont().GetQFont());
    for (const ViewEntry& entry : kViews)
        view->addItem(zem::gui::ToQ(entry.text));
    AddField(this, IDC_VIEW, view, Rect(kEdge + 36, (kBandHeight - 24) / 2, kEdge + 36 + 130, (kBandHeight + 24) / 2));
    QObject::connect(view, &QComboBox::activated, this, [this](int index) { SetViewType(index); });
    AddHoverButton(this, IDC_OPTIONS, "课表选项(&T)", Rect(0, 0, 100, kButtonHeight));
    AddHoverButton(this, IDC_SAVE, "保存(&S)", Rect(0, 0, 80, kButtonHeight));
    m_progress.Create(this);
    SetModified(false);
    LayoutBand();

    // Unsaved edits of an earlier window are gone before anything shows or counts them.
    if (task)
        CTaskHelper(task, AppHelperContext()).RestoreTempTables();

    m_built = true;
    const int stored = task ? task->GetConfigInt(kSection, "ViewType", 0) : 0;
    SetViewType(stored >= 0 && stored < kViewCount ? stored : 0);

    m_counter.SetTask(task);
    m_counter.Count("", true);
    UpdateProgress();
    return true;
}

void CMultiTableDlg::LayoutBand()
{
    const int top = (kBandHeight - kButtonHeight) / 2;
    QWidget* save = GetDlgItem(IDC_SAVE);
    QWidget* options = GetDlgItem(IDC_OPTIONS);
    const int saveLeft = width() - kEdge - save->width();
    SetWidgetRect(save, Rect(saveLeft, top, saveLeft + save->width(), top + kButtonHeight));
    const int optionsLeft = saveLeft - kEdge - options->width();
    SetWidgetRect(options, Rect(optionsLeft, top, optionsLeft + options->width(), top + kButtonHeight));
    const int progressRight = optionsLeft - 24;
    SetWidgetRect(&m_progress, Rect(progressRight - 336, top, progressRight, top + kButtonHeight));
    m_hintRect = Rect(WidgetRect(GetDlgItem(IDC_VIEW)).right + kEdge, 0, progressRight - 336, kBandHeight);
}

// ---- Panes ----

void CMultiTableDlg::SetViewType(int index)
{
    index = std::clamp(index, 0, kViewCount - 1);
    if (auto* view = Item<QComboBox>(IDC_VIEW))
        view->setCurrentIndex(index);
    m_rows = kViews[index].rows;
    m_columns = kViews[index].columns;
    if (m_built)
        AdjustPanes();
}

int CMultiTableDlg::GetViewType() const
{
    const auto* view = Item<QComboBox>(IDC_VIEW);
    return view ? view->currentIndex() : 0;
}

CWeekTableWnd* CMultiTableDlg::GetPane(int index) const
{
    return index >= 0 && index < GetPaneCount() ? m_panes[static_cast<std::size_t>(index)].get() : nullptr;
}

void CMultiTableDlg::AdjustPanes()
{
    const std::size_t wanted = static_cast<std::size_t>(m_rows * m_columns);
    while (m_panes.size() > wanted)
        m_panes.pop_back();
    if (m_panes.size() < wanted) {
        CScheduleTask* task = Task();
        // New panes take the stored entries of their places, so that going from four panes to nine
        // and back shows what was there before rather than repeating the first panes.
        const std::vector<PaneEntry> entries = task ? PaneEntries(*task, static_cast<int>(wanted)) : std::vector<PaneEntry>{};
        while (m_panes.size() < wanted) {
            const std::size_t index = m_panes.size();
            auto pane = std::make_unique<CWeekTableWnd>();
            pane->Create(this, static_cast<int>(index), task);
            ApplyTableFonts(AppServices().GetTableFontRecord(1), &pane->GetContainer().GetGrid(), 12, false);
            pane->GetContainer().GetGrid().SetPlaySoundInMoving(AppServices().GetPlaySoundInMoving());
            pane->GetContainer().GetGrid().SetColorMode(AppServices().GetColorTable());
            if (index < entries.size())
                pane->SetObjects(entries[index].kind, entries[index].id);
            m_panes.push_back(std::move(pane));
        }
    }
    LayoutPanes();
}

void CMultiTableDlg::LayoutPanes()
{
    if (m_panes.empty())
        return;
    const int paneWidth = width() / m_columns;
    const int paneHeight = std::max(0, height() - kBandHeight) / m_rows;
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const int column = static_cast<int>(i) % m_columns;
        const int row = static_cast<int>(i) / m_columns;
        Rect r(column * paneWidth, kBandHeight + row * paneHeight, (column + 1) * paneWidth,
               kBandHeight + (row + 1) * paneHeight);
        r.DeflateRect(10);
        SetWidgetRect(m_panes[i].get(), r);
        m_panes[i]->update();
    }
    update();
}

void CMultiTableDlg::OnPaneChanged(int index, const std::string& planIds)
{
    // The pane that made the change shows it already; the others show what it did to their objects,
    // and those whose timetable it left alone are not filled and painted again.
    for (std::size_t i = 0; i < m_panes.size(); ++i)
        if (static_cast<int>(i) != index)
            m_panes[i]->ReloadIfChanged();
    if (GetPane(index) && !planIds.empty()) {
        std::vector<std::string> plans;
        SplitToArray(planIds, ",", plans, true);
        for (const std::string& planId : plans)
            RecountPlanClasses(m_counter, Task(), planId);
        UpdateProgress();
    }
    SetModified(true);
}

void CMultiTableDlg::UpdateProgress() { ShowLessonProgress(m_progress, m_counter); }

void CMultiTableDlg::ShowCompletion()
{
    const std::string classId = AppServices().ShowCompletionDialog(this, m_counter);
    if (!classId.empty() && !m_panes.empty() && CTaskHelper(Task(), AppHelperContext()).HasObject(TABLE_CLASS, classId))
        m_panes.front()->SetObjects(TABLE_CLASS, classId);
}

// ---- Commands and messages ----

void CMultiTableDlg::OnCommand(int id)
{
    if (id == IDC_SAVE) {
        if (m_modified)
            Save();
        return;
    }
    if (id == IDC_OPTIONS) {
        const QWidget* button = GetDlgItem(IDC_OPTIONS);
        const QPoint corner = button->mapToGlobal(QPoint(0, button->height()));
        // The table fonts have no dialog in this program yet.
        OnOption(zem::gui::TrackPopupMenu(this, TableOptionItems(true), {corner.x(), corner.y()}));
        return;
    }
    Dialog::OnCommand(id);
}

void CMultiTableDlg::OnOption(int id)
{
    if (id == ID_OPTION_FONT) {
        // Record 1: the fonts of the panes; each change reaches them at once.
        CTableFontDlg fonts(this);
        fonts.SetTarget(this, 1);
        fonts.DoModal();
        return;
    }
    if (!ApplyTableOption(id))
        return;
    const CAppServices& settings = AppServices();
    for (const auto& pane : m_panes) {
        CTableContainer& container = pane->GetContainer();
        switch (id) {
        case ID_OPTION_FLAT:
        case ID_OPTION_COLOR:
            container.GetGrid().SetColorMode(settings.GetColorTable());
            if (settings.GetColorTable())
                container.RefreshColors();
            break;
        case ID_OPTION_SOUND:
            container.GetGrid().SetPlaySoundInMoving(settings.GetPlaySoundInMoving());
            break;
        case ID_OPTION_TAG_LOCKED:
        case ID_OPTION_TAG_LINKED:
        case ID_OPTION_TAG_DISABLED:
            container.RefreshMarks();
            break;
        case ID_OPTION_ROOM_NUMBER:
            container.Refill();
            break;
        default:
            break;
        }
        pane->update();
        container.GetGrid().update();
    }
    update();
}

bool CMultiTableDlg::PreTranslateKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_T && event->modifiers() == Qt::ControlModifier) {
        OnOption(ToggledStyleOption());
        return true;
    }
    return false;
}

zem::LRESULT CMultiTableDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_PANE_TABLE_CHANGED:
        OnPaneChanged(static_cast<int>(wParam), *zem::FromLParam<std::string>(lParam));
        return 0;
    case WM_TABLE_FONT_CHANGED:
        for (const auto& pane : m_panes)
            ApplyTableFonts(zem::FromLParam<CTableFontPair>(lParam), &pane->GetContainer().GetGrid(), 12, false);
        return 0;
    case WM_SHOW_COMPLETION:
        ShowCompletion();
        return 0;
    default:
        // WM_WEEKTABLE_CHANGED: a pane went to another object; its choosers follow by themselves.
        return 0;
    }
}

// ---- Saving and closing ----

void CMultiTableDlg::SetModified(bool modified)
{
    m_modified = modified;
    if (auto* save = Item<CHoverButton>(IDC_SAVE))
        save->SetBkColor(modified ? kModifiedColor : zem::RGB(255, 255, 255));
}

std::vector<std::string> CMultiTableDlg::GetChangedTables() const
{
    std::vector<std::string> ids;
    CScheduleTask* task = Task();
    if (!task)
        return ids;
    const CSchoolStructure& structure = task->GetSchoolStructure();
    for (CZemObjectList* list : {&task->GetClassInfoList(), &task->GetTeacherInfoList(), &task->GetRoomInfoList()})
        for (const auto& [id, object] : *list) {
            auto* owner = static_cast<CZemTableObject*>(object);
            auto* room = dynamic_cast<CRoomInfo*>(owner);
            const CCourseTable& working = room ? room->GetCombineTable(true) : owner->GetTable(true);
            const CCourseTable& committed = room ? room->GetCombineTable(false) : owner->GetTable(false);
            if (TablesDiffer(structure, &working, &committed) != 0)
                ids.push_back(id);
        }
    return ids;
}

bool CMultiTableDlg::Save()
{
    CScheduleTask* task = Task();
    if (!SaveTimetablesAndLog(task, CWeekTimetableDlg::kSaveFailedText, "多课表手工调课", GetChangedTables()))
        return false;
    SetModified(false);
    ShowSavedTip(this, 1);
    return true;
}

bool CMultiTableDlg::CloseWindow()
{
    // A swap is recorded when its slide ends: closing before would leave it unasked.
    for (const auto& pane : m_panes)
        if (pane->GetContainer().GetGrid().IsMoving())
            return false;
    if (m_modified && !AskSaveBeforeClosing(Task(), [this] { return Save(); }))
        return false;
    if (CTipWnd* tip = AppServices().GetTipWnd())
        tip->hide();
    StorePanes();
    return true;
}

void CMultiTableDlg::StorePanes()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        int kind = 0;
        std::string id;
        m_panes[i]->GetCurrentObject(kind, id);
        task->SetConfig(kSection, std::to_string(i + 1), zem::Format("%d,%s", kind, id.c_str()));
    }
    task->SetConfigInt(kSection, "Count", GetPaneCount());
    task->SetConfigInt(kSection, "ViewType", GetViewType());
}

void CMultiTableDlg::OnClose()
{
    if (CloseWindow())
        EndDialog(zem::IDCANCEL);
}

// ---- Layout and painting ----

void CMultiTableDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    if (!m_built)
        return;
    LayoutBand();
    LayoutPanes();
}

void CMultiTableDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(129, 129, 129));
        FillCellBackground(&dc, Rect(client.left, kBandHeight, client.right, client.bottom));
        dc.FillSolidRect(Rect(client.left, client.top, client.right, kBandHeight), zem::RGB(240, 240, 240));
        dc.SelectFont(DialogFont());
        dc.SetTextColor(zem::RGB(0, 0, 0));
        dc.DrawText(kHint, m_hintRect, zem::gui::DT_LEFT | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    });
}
