#include "app/timetable/SchoolTimetableDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/TipWnd.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/output/TimetableExport.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/AppServices.h"
#include "app/shared/Strings.h"
#include "base/CellLayouts.h"
#include "app/shared/TextBuilders.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/SchoolTablePrint.h"
#include "app/timetable/TableFontDlg.h"
#include "app/timetable/TimetableWindowSave.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/QtText.h"
#include "table/UICore.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>

#include <filesystem>

using zem::Rect;
using zem::gui::MenuItem;

namespace {

constexpr const char* kKindNames[] = {"班级总课表", "教师总课表", "教室总课表"};
constexpr const char* kStyleNames[] = {"横排", "竖排", "交叉"};
constexpr zem::COLORREF kModifiedColor = zem::RGB(255, 255, 200);
constexpr int kButtonTop = 10;
constexpr int kButtonHeight = 26;

CScheduleTask* Task() { return AppServices().GetTask(); }

}  // namespace

CSchoolTimetableDlg::CSchoolTimetableDlg(QWidget* parent)
    : Dialog(parent, "查看全校总课表", {480, 300}),
      m_windowTitle(LoadResString(2) + " - " + AppServices().GetSchoolName() + "总课表")
{
}

CSchoolTimetableDlg::~CSchoolTimetableDlg() = default;

CTablePageLayout& CSchoolTimetableDlg::Layout() const { return SchoolPageLayout(); }

int CSchoolTimetableDlg::GetStyle() const
{
    const auto* combo = Item<QComboBox>(IDC_STYLE);
    return combo ? SchoolStyleOf(combo->currentIndex()) : SchoolStyleOf(Layout().Style);
}

int CSchoolTimetableDlg::TextMode() const { return SchoolTextModeOf(Layout().GetCourseInfoFormat(m_kind)); }

// ---- Building the window ----

bool CSchoolTimetableDlg::OnInitDialog()
{
    SetCaption(m_windowTitle);
    CTablePageLayout& layout = Layout();
    m_kind = SchoolKindOf(layout.Type);
    const int style = SchoolStyleOf(layout.Style);

    // Edits an earlier window left unsaved are gone before anything shows them.
    CTaskHelper(Task(), AppHelperContext()).RestoreTempTables();

    m_grid.Init(this, this);
    // The titles take the content font, at most 9 points and bold.
    ApplyTableFonts(AppServices().GetTableFontRecord(2), &m_grid, 9, true);
    if (CScheduleTask* task = Task()) {
        const CSchoolStructure& week = task->GetSchoolStructure();
        std::vector<std::string> days;
        CollectUsedDayNames(days, week, true);
        m_grid.SetDays(days);
        m_grid.SetSections(week.GetSectionNodeMaxCount(zem::kForenoon), week.GetSectionNodeMaxCount(zem::kAfternoon),
                           week.GetSectionNodeMaxCount(zem::kNight), week.GetSectionNodeMaxCount(zem::kMorningReading),
                           week.GetSectionNodeMaxCount(zem::kEveningStudy));
    }
    m_grid.SetPlaySoundInMoving(AppServices().GetPlaySoundInMoving());

    auto addCombo = [this](int id, const char* const* names, int count, int selected) {
        auto* combo = new QComboBox(this);
        combo->setFont(DialogFont().GetQFont());
        for (int i = 0; i < count; ++i)
            combo->addItem(zem::gui::ToQ(names[i]));
        combo->setCurrentIndex(selected);
        AddControl(id, combo);
        return combo;
    };
    QComboBox* kinds = addCombo(IDC_KIND, kKindNames, 3, m_kind);
    SetWidgetRect(kinds, Rect(10, kButtonTop + 1, 130, kButtonTop + kButtonHeight - 1));
    QObject::connect(kinds, &QComboBox::activated, this, [this](int index) { OnKindChanged(index); });
    QComboBox* styles = addCombo(IDC_STYLE, kStyleNames, 3, style);
    SetWidgetRect(styles, Rect(136, kButtonTop + 1, 216, kButtonTop + kButtonHeight - 1));
    QObject::connect(styles, &QComboBox::activated, this, [this](int index) { OnStyleChanged(index); });

    struct ButtonSpec {
        int id;
        const char* text;
    };
    static constexpr ButtonSpec kButtons[] = {{IDC_OPTIONS, "课表选项(&T)"},
                                              {IDC_EXPORT, "导  出(&E)"},
                                              {IDC_PRINT, "打　印(&P)"},
                                              {IDC_SAVE, "保　存(&S)"}};
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new CHoverButton(entry.text, this);
        button->setAutoDefault(false);
        AddControl(entry.id, button);
    }
    SetWidgetRect(GetDlgItem(IDC_OPTIONS), Rect(222, kButtonTop, 322, kButtonTop + kButtonHeight));
    SetModified(false);

    FillWorkArea();
    m_initialised = true;
    Place();
    UpdateTitle();
    Reload();
    return true;
}

void CSchoolTimetableDlg::Place()
{
    if (!m_initialised)
        return;
    const int w = width();
    const Rect options = WidgetRect(GetDlgItem(IDC_OPTIONS));
    // Save, print and export right-aligned in the band, 10 pixels apart.
    int right = w - 10;
    for (const int id : {IDC_SAVE, IDC_PRINT, IDC_EXPORT}) {
        SetWidgetRect(GetDlgItem(id), Rect(right - 100, options.top, right, options.bottom));
        right -= 110;
    }
    SetWidgetRect(&m_grid, Rect(3, kBandHeight, w - 3, height() - 3));
    m_grid.Refresh();
    update();
}

void CSchoolTimetableDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Place();
}

void CSchoolTimetableDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        const Rect band(client.left, client.top, client.right, kBandHeight);
        dc.FillSolidRect(band, zem::RGB(240, 240, 240));
        // The title between the options button and the export button.
        const Rect options = WidgetRect(GetDlgItem(IDC_OPTIONS));
        const Rect exportButton = WidgetRect(GetDlgItem(IDC_EXPORT));
        const Rect title(options.right + 10, band.top, exportButton.left - 10, band.bottom);
        const std::string face = CUICore::instance()->GetDefaultFontName();
        dc.SelectFont(zem::gui::Font(zem::LogFont{zem::gui::PointSizeToHeight(180), 700, false, false, face}));
        dc.SetTextCharacterExtra(3);
        const unsigned centred = zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE;
        Rect shadow = title;
        shadow.OffsetRect(1, 1);
        dc.SetTextColor(zem::RGB(196, 196, 196));
        dc.DrawText(m_title, shadow, centred);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        dc.DrawText(m_title, title, centred);
        dc.SetTextCharacterExtra(0);
    });
}

void CSchoolTimetableDlg::UpdateTitle()
{
    m_title = kKindNames[m_kind];
    const std::string filter = DescribeSubjects(true);
    if (!filter.empty())
        m_title += "-" + filter;
    update(0, 0, width(), kBandHeight);
}

// ---- Filling the grid ----

void CSchoolTimetableDlg::Reload()
{
    CScheduleTask* task = Task();
    const CTablePageLayout& layout = Layout();
    m_grid.Clear();
    m_grid.SetShowSS(layout.ShowSS);
    const bool grouped = AppServices().GetShowTeacherByGroup() && m_kind == TABLE_TEACHER;
    const int style = GetStyle();
    const bool twoParts = TextMode() <= 2;
    m_grid.SetStyle(static_cast<CSchoolTable::STYLE>(style));
    if (style == CSchoolTable::STYLE_HORZ)
        m_grid.SetCellHeight(twoParts || grouped ? 52 : 28);
    else if (style == CSchoolTable::STYLE_VERT)
        m_grid.SetCellWidth(twoParts ? 160 : 90);
    if (!task) {
        m_grid.Refresh();
        return;
    }
    m_model.SetWeek(task->GetSchoolStructure(), layout.ShowSS);
    m_model.SetLines(m_kind, grouped);
    const bool rows = style == CSchoolTable::STYLE_HORZ;
    const bool roomNumber = AppServices().GetShowRoomNumber();
    const int periods = m_model.GetPeriodCount();
    const auto& lines = m_model.GetLines();
    for (int line = 0; line < static_cast<int>(lines.size()); ++line) {
        if (rows)
            m_grid.AddRow(lines[static_cast<std::size_t>(line)].label);
        else
            m_grid.AddCol(lines[static_cast<std::size_t>(line)].label);
        for (int period = 0; period < periods; ++period) {
            std::string tip;
            const std::string text = m_model.CellText(*task, layout, roomNumber, line, period, &tip);
            if (text.empty())
                continue;
            const int row = rows ? line : period;
            const int col = rows ? period : line;
            m_grid.SetNodeText(row, col, text);
            if (!tip.empty())
                m_grid.SetNodeTip(row, col, tip);
        }
    }
    m_grid.Refresh();
}

// ---- Picking and swapping ----

void CSchoolTimetableDlg::OnPicked(const tagNMT_NODE2& cell)
{
    const int style = GetStyle();
    if (m_kind != TABLE_CLASS || style == CSchoolTable::STYLE_CROSS)
        return;
    const bool rows = style == CSchoolTable::STYLE_HORZ;
    const int line = rows ? cell.row : cell.column;
    tagTABLE_NODE picked;
    CCourseTable* table = m_model.TableOf(line);
    if (!table || !m_model.NodeOfPeriod(rows ? cell.column : cell.row, &picked))
        return;
    CScheduleTask* task = Task();
    CTaskHelper helper(task, AppHelperContext());
    const CSchoolStructure& week = task->GetSchoolStructure();
    // Morning reading and evening self-study change places only within their own section.
    std::vector<int> segments = {zem::kForenoon, zem::kAfternoon, zem::kNight};
    if (zem::IsSelfStudySegment(picked.segment))
        segments = {picked.segment};
    std::vector<int> friends;
    for (int order = 0; order < week.GetWeekDayCount(); ++order) {
        const int day = week.GetWeekNumberByOrder(order);
        for (const int segment : segments) {
            for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section) {
                const tagTABLE_NODE candidate{day, segment, section};
                const int period = m_model.PeriodIndex(candidate);
                if (period < 0 || (candidate.day == picked.day && candidate.segment == picked.segment &&
                                   candidate.section == picked.section))
                    continue;
                // In the order the drop asks it, so that a tip reads as the refusal it stands for.
                if (helper.CanSwap(table, candidate, picked, false)) {
                    friends.push_back(period);
                } else {
                    const int row = rows ? line : period;
                    const int col = rows ? period : line;
                    if (!m_grid.SetNodeTip(row, col, helper.GetText())) {
                        // An empty period has no cell yet: it gets one to carry the reason.
                        m_grid.SetNodeText(row, col, "");
                        m_grid.SetNodeTip(row, col, helper.GetText());
                    }
                }
            }
        }
    }
    m_grid.SetFriendCells(static_cast<int>(friends.size()), friends.data());
}

void CSchoolTimetableDlg::OnSwapped(const tagNMT_MOVE2& move)
{
    const bool rows = GetStyle() == CSchoolTable::STYLE_HORZ;
    const int line = rows ? move.target.row : move.target.column;
    tagTABLE_NODE from, to;
    CCourseTable* table = m_model.TableOf(line);
    const bool found = table && m_model.NodeOfPeriod(rows ? move.picked.column : move.picked.row, &from) &&
                       m_model.NodeOfPeriod(rows ? move.target.column : move.target.row, &to);
    std::vector<std::string> touched;
    bool partners = false;
    CTaskHelper helper(Task(), AppHelperContext());
    const bool moved = found && helper.SwapByHand(table, to, from, &touched, &partners);
    if (moved)
        SetModified(true);
    else if (found && !helper.GetText().empty())
        zem::ShowMessage(helper.GetText(), "提示", zem::MessageIcon::Information);
    // Other classes' lines changed with the combined lessons, or the grid traded the pictures of a
    // swap refused: the grid shows them anew, once it has finished with its swap.
    if (!moved || partners || touched.size() > 1)
        m_deferred.insert(m_deferred.begin(), [this] { Reload(); });
    QTimer::singleShot(0, this, [this] { RunDeferred(); });
}

bool CSchoolTimetableDlg::DeferWhileSwapping(std::function<void()> action)
{
    if (!m_grid.IsSwapRunning())
        return false;
    m_deferred.push_back(std::move(action));
    return true;
}

void CSchoolTimetableDlg::RunDeferred()
{
    std::vector<std::function<void()>> actions;
    actions.swap(m_deferred);
    for (const auto& action : actions) {
        if (IsEnded())
            return;
        action();
    }
}

// ---- Kind, layout and options ----

void CSchoolTimetableDlg::OnKindChanged(int index)
{
    auto* combo = Item<QComboBox>(IDC_KIND);
    if (m_grid.IsSwapRunning()) {
        combo->setCurrentIndex(m_kind);
        DeferWhileSwapping([this, index] {
            Item<QComboBox>(IDC_KIND)->setCurrentIndex(index);
            OnKindChanged(index);
        });
        return;
    }
    m_kind = SchoolKindOf(index);
    Layout().Type = m_kind;
    UpdateTitle();
    Reload();
}

void CSchoolTimetableDlg::OnStyleChanged(int index)
{
    auto* combo = Item<QComboBox>(IDC_STYLE);
    if (m_grid.IsSwapRunning()) {
        combo->setCurrentIndex(SchoolStyleOf(Layout().Style));
        DeferWhileSwapping([this, index] {
            Item<QComboBox>(IDC_STYLE)->setCurrentIndex(index);
            OnStyleChanged(index);
        });
        return;
    }
    Layout().Style = SchoolStyleOf(index);
    Reload();
}

std::vector<MenuItem> CSchoolTimetableDlg::BuildOptionsMenu() const
{
    const CTablePageLayout& layout = Layout();
    std::vector<MenuItem> menu;
    menu.push_back({ID_SUBJECTS, "显示课程范围：" + DescribeSubjects(true)});
    menu.push_back({});
    if (m_kind == TABLE_TEACHER)
        menu.push_back({ID_GROUP_TEACHERS, "按教师组分组显示", true, AppServices().GetShowTeacherByGroup()});
    menu.push_back({ID_SHOW_SS, "显示早读和晚自习", true, layout.ShowSS});
    menu.push_back({ID_SHORT_NAMES, "显示简称", true, !layout.ShowFullName});
    menu.push_back({});
    for (int mode = 0; mode < zem::kCellLayoutCount; ++mode)
        menu.push_back({ID_TEXT_MODE0 + mode, zem::kCellLayouts[m_kind][mode].menuName, true, mode == TextMode(), true});
    menu.push_back({});
    menu.push_back({ID_SOUND, "调课时播放声音", true, AppServices().GetPlaySoundInMoving()});
    menu.push_back({ID_FONT, "字体"});
    return menu;
}

void CSchoolTimetableDlg::OnMenuCommand(int id)
{
    CTablePageLayout& layout = Layout();
    switch (id) {
    case ID_SUBJECTS:
        ChooseSubjects();
        return;
    case ID_GROUP_TEACHERS:
        AppServices().SetShowTeacherByGroup(!AppServices().GetShowTeacherByGroup());
        break;
    case ID_SHOW_SS:
        layout.ShowSS = !layout.ShowSS;
        AppServices().SaveSchoolPageLayout();
        break;
    case ID_SHORT_NAMES:
        layout.ShowFullName = !layout.ShowFullName;
        AppServices().SaveSchoolPageLayout();
        break;
    case ID_SOUND:
        AppServices().SetPlaySoundInMoving(!AppServices().GetPlaySoundInMoving());
        m_grid.SetPlaySoundInMoving(AppServices().GetPlaySoundInMoving());
        return;
    case ID_FONT:
        {
            // Record 2: the whole-school window's fonts; each change reaches the grid at once.
            CTableFontDlg fonts(this);
            fonts.SetTarget(this, 2);
            fonts.DoModal();
            AppServices().SyncSchoolTableFont();
        }
        return;
    default:
        if (id < ID_TEXT_MODE0 || id >= ID_TEXT_MODE0 + zem::kCellLayoutCount)
            return;
        layout.SetCourseInfoFormat(id - ID_TEXT_MODE0, m_kind);
        AppServices().SaveSchoolPageLayout();
        break;
    }
    Reload();
}

void CSchoolTimetableDlg::ChooseSubjects()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CTablePageLayout& layout = Layout();
    CMultiSelectDlg chooser(this);
    chooser.m_caption = "选择在总课表中显示的课程";
    chooser.SetItems(&task->GetSubjectInfoList());
    chooser.m_preChecked = layout.subjectFilter;
    chooser.m_checkAll = layout.subjectFilter.empty();
    if (chooser.DoModal() != zem::IDOK)
        return;
    layout.subjectFilter = chooser.GetChosenIds();
    UpdateTitle();
    Reload();
}

// ---- Print and export ----

void CSchoolTimetableDlg::Print()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CSchoolTablePrintSheet sheet(this, task, m_kind, GetStyle());
    sheet.ShowPreview(PREVIEW_PRINT, false);
}

void CSchoolTimetableDlg::Export()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CTablePageLayout layout = Layout();
    layout.Style = GetStyle();
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::SaveFile;
    request.title = "导出为";
    request.filter = zem::workbook::kSaveWorkbookFilter;
    request.folder = AppServices().GetExportFolder();
    request.fileName = MasterTimetableTitle(m_kind, layout.Style) + ".xlsx";
    request.defaultSuffix = "xlsx";
    const std::string chosen = zem::gui::ChooseFile(this, request);
    if (chosen.empty())
        return;
    // The workbook holds the timetables as saved.
    if (m_modified &&
        zem::ShowMessage({"总课表已手工调整，导出的是保存后的课表。要先保存吗？", "提示", zem::MessageIcon::Question,
                          zem::MessageButtons::YesNo, zem::IDYES}) == zem::IDYES &&
        !Save())
        return;
    if (!ExportMasterTimetable(task, layout, m_kind, chosen))
        return;
    AppServices().StoreExportFolder(std::filesystem::path(chosen).parent_path().string() + "/");
    if (zem::ShowMessage({"导出成功! 现在要打开EXCEL文档吗？", "提示", zem::MessageIcon::Question,
                          zem::MessageButtons::YesNo, 0}) == zem::IDYES)
        zem::gui::OpenWithDesktop(CSpreadsheetExporter::WorkbookFileName(chosen));
}

// ---- Commands and messages ----

void CSchoolTimetableDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_OPTIONS: {
        // The options change what the grid's lines and periods stand for: the sliding swap's
        // cells are read first.
        if (DeferWhileSwapping([this] { OnCommand(IDC_OPTIONS); }))
            return;
        const Rect button = WidgetRect(GetDlgItem(IDC_OPTIONS));
        const QPoint at = mapToGlobal(QPoint(button.left, button.bottom));
        if (const int command = zem::gui::TrackPopupMenu(this, BuildOptionsMenu(), {at.x(), at.y()}))
            OnMenuCommand(command);
        return;
    }
    case IDC_SAVE:
        if (!DeferWhileSwapping([this] { OnCommand(IDC_SAVE); }) && m_modified)
            Save();
        return;
    case IDC_PRINT:
        if (!m_grid.IsSwapRunning())
            Print();
        return;
    case IDC_EXPORT:
        if (!m_grid.IsSwapRunning())
            Export();
        return;
    default:
        Dialog::OnCommand(id);
    }
}

bool CSchoolTimetableDlg::PreTranslateKey(QKeyEvent* event)
{
    // Navigation keys scroll the grid wherever the focus is, except inside the lists.
    if (qobject_cast<QComboBox*>(QApplication::focusWidget()))
        return false;
    static constexpr std::pair<int, unsigned> kKeys[] = {{Qt::Key_Left, VK_LEFT},     {Qt::Key_Right, VK_RIGHT},
                                                         {Qt::Key_Up, VK_UP},         {Qt::Key_Down, VK_DOWN},
                                                         {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}};
    for (const auto& [key, code] : kKeys) {
        if (event->key() == key) {
            m_grid.OnScrollKeyDown(code);
            return true;
        }
    }
    return false;
}

zem::LRESULT CSchoolTimetableDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_TABLE_NODE_PICKED:
        OnPicked(*zem::FromLParam<tagNMT_NODE2>(lParam));
        return 0;
    case WM_TABLE_NODES_SWAPPED:
        OnSwapped(*zem::FromLParam<tagNMT_MOVE2>(lParam));
        return 0;
    case WM_TABLE_MOVE_REFUSED:
        if (const auto* text = zem::FromWParam<std::string>(wParam); text && !text->empty())
            zem::ShowMessage(*text, "提示", zem::MessageIcon::Information);
        return 0;
    case WM_TABLE_FONT_CHANGED:
        ApplyTableFonts(zem::FromLParam<CTableFontPair>(lParam), &m_grid, 9, true);
        return 0;
    default:
        return 0;
    }
}

// ---- Saving and closing ----

void CSchoolTimetableDlg::SetModified(bool modified)
{
    m_modified = modified;
    if (auto* save = Item<CHoverButton>(IDC_SAVE))
        save->SetBkColor(modified ? kModifiedColor : zem::RGB(255, 255, 255));
}

bool CSchoolTimetableDlg::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    // What differs from the saved timetables is what this save changes.
    std::vector<std::string> changed;
    const CSchoolStructure& week = task->GetSchoolStructure();
    for (CZemObjectList* list : {&task->GetClassInfoList(), &task->GetTeacherInfoList(), &task->GetRoomInfoList()}) {
        for (const auto& [id, object] : *list) {
            auto* owner = static_cast<CZemTableObject*>(object);
            auto* room = dynamic_cast<CRoomInfo*>(owner);
            const bool differs = room ? TablesDiffer(week, &room->GetCombineTable(true), &room->GetCombineTable(false)) != 0
                                      : TablesDiffer(week, &owner->GetTable(true), &owner->GetTable(false)) != 0;
            if (differs)
                changed.push_back(id);
        }
    }
    if (!SaveTimetablesAndLog(task, kSaveFailedText, kHistoryTitle, changed))
        return false;
    SetModified(false);
    ShowSavedTip(this, 1);
    return true;
}

void CSchoolTimetableDlg::OnCancel()
{
    m_grid.SetAllCellNormal();
}

void CSchoolTimetableDlg::OnClose()
{
    if (DeferWhileSwapping([this] { OnClose(); }))
        return;
    if (CloseWindow())
        EndDialog(zem::IDCANCEL);
}

bool CSchoolTimetableDlg::CloseWindow()
{
    if (m_modified) {
        zem::MessageRequest question;
        question.text = kCloseQuestion;
        question.icon = zem::MessageIcon::Question;
        question.buttons = zem::MessageButtons::YesNo;
        if (zem::ShowMessage(question) == zem::IDYES) {
            if (!Save())
                return false;
        } else {
            // The tables go back to what the files hold, as the other timetable windows leave them.
            CTaskHelper(Task(), AppHelperContext()).RestoreTempTables();
        }
    }
    StoreSettings();
    if (CTipWnd* tip = AppServices().GetTipWnd())
        tip->hide();
    return true;
}

void CSchoolTimetableDlg::StoreSettings()
{
    CTablePageLayout& layout = Layout();
    layout.Type = m_kind;
    layout.Style = GetStyle();
    AppServices().SaveSchoolPageLayout();
}
