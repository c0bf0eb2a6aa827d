#include "app/data/TeachingTimeDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/HyperLink.h"
#include "app/controls/MainToolBar.h"
#include "app/controls/NameInputDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/controls/TipWnd.h"
#include "app/shared/Vocabulary.h"
#include "app/controls/WeekTableCells.h"
#include "app/data/LessonsOutsideWeek.h"
#include "app/data/PeriodNameDlg.h"
#include "app/data/TaskFileSave.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/shared/SaveFailure.h"
#include "base/ChangeCheck.h"
#include "base/Segment.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/PopupMenu.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>

using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

constexpr zem::COLORREF kBackground = RGB(240, 240, 240);
constexpr zem::COLORREF kHeaderBand = RGB(59, 72, 91);
constexpr zem::COLORREF kWhite = RGB(255, 255, 255);
constexpr zem::COLORREF kModified = RGB(255, 255, 200);

// Help pages of the program's site.
const std::string kGradeHelpAddress = std::string(kHomePageAddress) + "teaching-time-of-grades.php";
const std::string kBannerHelpAddress = std::string(kHomePageAddress) + "export-banner-rows.php";

// Gaps of the layout, in pixels.
constexpr int kMargin = 10;
constexpr int kPanelTitleHeight = 24;
constexpr int kHeaderHeight = 38;
constexpr int kPanelPadding = 10;
constexpr int kRowGap = 6;
constexpr int kGridInset = 10;
constexpr int kLinkWidth = 260;
constexpr int kLinkPitch = 280;
constexpr int kLinkInset = 18;
constexpr int kLinkTop = 50;

const char* const kSegmentLabels[zem::kSegmentCount] = {"上午", "下午", "晚上", "早读", "晚自习"};

std::vector<std::string> SectionEntries(int segment)
{
    // None is "不上课" for the lesson segments and "不显示" for the other two; morning reading has
    // at most two periods.
    std::vector<std::string> entries{zem::IsSelfStudySegment(segment) ? "不显示" : "不上课"};
    const int most = segment == zem::kMorningReading ? 2 : zem::kSectionCount;
    for (int count = 1; count <= most; ++count)
        entries.push_back(zem::Format("%d节", count));
    return entries;
}

}  // namespace

CTeachingTimeDlg::CTeachingTimeDlg(QWidget* parent, CScheduleTask* task)
    : Dialog(parent, "设置教学时间", {560, 330}), m_task(task)
{
}

CTeachingTimeDlg::~CTeachingTimeDlg() = default;

bool CTeachingTimeDlg::OnInitDialog()
{
    SetCaption("设置教学时间");
    if (!m_task)
        m_task = AppServices().GetTask();
    if (!m_task)
        return false;
    CreateControls();

    m_structure = m_task->GetSchoolStructure();
    m_activities = m_task->GetActivities();
    for (int day = 0; day < zem::kDayCount; ++day)
        m_dayValues[static_cast<std::size_t>(day)] = m_structure.IsDayInUse(day) ? 1 : 0;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        m_sectionChoices[static_cast<std::size_t>(segment)] = m_structure.GetSectionNodeMaxCount(segment);
    // A stored morning-reading count the box does not offer shows "不显示"; the week keeps the
    // count until the user picks an entry.
    m_sectionChoices[zem::kMorningReading] = ClampRange(m_sectionChoices[zem::kMorningReading], 0, 2, 0);
    for (int day = 0; day < zem::kDayCount; ++day) {
        QCheckBox* box = m_dayBoxes[static_cast<std::size_t>(day)];
        box->setChecked(m_dayValues[static_cast<std::size_t>(day)] != 0);
        box->show();
    }
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        m_sectionBoxes[static_cast<std::size_t>(segment)]->setCurrentIndex(
            m_sectionChoices[static_cast<std::size_t>(segment)]);
    FillGrid();

    m_activityNames.clear();
    GetActivityKindNames(m_activityNames);
    UpdateSummary();
    LayoutControls();
    m_initialised = true;
    return true;
}

void CTeachingTimeDlg::CreateControls()
{
    m_dayPanel.m_title = "每两周上课天数";
    m_sectionPanel.m_title = "每天上课节次";
    m_specialPanel.m_title = "全校统一的特殊时间安排";

    for (int day = 0; day < zem::kDayCount; ++day) {
        auto* box = new QCheckBox(ToQ(GetWeekdayName(day, false)), this);
        m_dayBoxes[static_cast<std::size_t>(day)] = box;
        // Its clicks reach OnCommand.
        AddControl(IDC_DAY_FIRST + day, box);
    }
    for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
        auto* label = new QLabel(ToQ(kSegmentLabels[segment]), this);
        m_sectionLabels[static_cast<std::size_t>(segment)] = label;
        auto* box = new QComboBox(this);
        for (const std::string& entry : SectionEntries(segment))
            box->addItem(ToQ(entry));
        m_sectionBoxes[static_cast<std::size_t>(segment)] = box;
        AddControl(IDC_SECTIONS_FIRST + segment, box);
        // Picking the entry already shown counts too: it is how a stored count the box cannot show
        // is replaced.
        QObject::connect(box, &QComboBox::activated, this, [this, segment](int index) {
            OnSectionsChosen(segment, index);
        });
    }
    m_periodNameButton = AddHoverButton(this, IDC_PERIOD_NAMES, "节次名称(时间段)设置");
    m_saveButton = AddHoverButton(this, zem::IDOK, "保存(&S)");

    // The links sit on the white panel and keep the size of their text.
    m_gradeLink = new CHyperLink;
    m_gradeLink->Create("不同年级的上课时间不一样应该如何设置", this, IDC_HELP_GRADES);
    m_gradeLink->SetURL(kGradeHelpAddress);
    m_bannerLink = new CHyperLink;
    m_bannerLink->Create("大课间眼保健操等通栏可以在导出课表时设置", this, IDC_HELP_BANNERS);
    m_bannerLink->SetURL(kBannerHelpAddress);
    for (CHyperLink* link : {m_gradeLink, m_bannerLink})
        link->SetBkColor(kWhite);

    m_grid.Init(this);
    m_grid.SetSelectBehavior(CStructureTable::SELECT_FORBID);
    m_grid.SetAnimateMoves(false);
}

void CTeachingTimeDlg::LayoutControls()
{
    if (!m_saveButton)
        return;
    m_headerRect = Rect(0, 0, width(), kHeaderHeight);

    // Left column: the days, the periods, the save button.
    const int left = kMargin;
    const int columnWidth = LeftColumnWidth();
    LayoutDayPanel(left, kHeaderHeight + kMargin, columnWidth);
    LayoutSectionPanel(left, m_dayPanel.GetPanelRect().bottom + kMargin, columnWidth);

    // Right: the grid in its frame, the panel of school-wide times below it.
    const int right = left + columnWidth + kMargin;
    const int specialHeight = LayoutRightSide(right);

    // Save sits at the foot of the left column, level with the bottom panel.
    const int saveHeight = std::max(30, m_saveButton->sizeHint().height());
    SetWidgetRect(m_saveButton, Rect(left, height() - kMargin - saveHeight, left + columnWidth, height() - kMargin));

    // Never smaller than what the controls need: the left column whole, the help text and the links
    // side by side.
    int textWidth = kLinkPitch + kLinkWidth;
    std::vector<std::string> lines;
    SplitToArray(LoadResString(12), "\n", lines, true);
    for (const std::string& line : lines)
        textWidth = std::max(textWidth, DialogFont().TextWidth(line));
    const int minWidth = right + 2 * kLinkInset + textWidth + 6 + kMargin;
    const int minHeight = m_sectionPanel.GetPanelRect().bottom + kMargin + saveHeight + kMargin;
    setMinimumSize(minWidth, std::max(minHeight, kHeaderHeight + specialHeight + 240));
    update();
}

int CTeachingTimeDlg::SectionLabelWidth() const
{
    int labelWidth = 0;
    for (const QLabel* label : m_sectionLabels)
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    return labelWidth;
}

int CTeachingTimeDlg::SectionBoxWidth() const
{
    int comboWidth = 0;
    for (const QComboBox* box : m_sectionBoxes)
        comboWidth = std::max(comboWidth, box->sizeHint().width());
    return std::max(comboWidth, 100);
}

int CTeachingTimeDlg::DayBoxWidth() const
{
    return std::max(m_dayBoxes[0]->sizeHint().width(), m_dayBoxes[6]->sizeHint().width());
}

int CTeachingTimeDlg::LeftColumnWidth() const
{
    // Two columns of day boxes, a label beside its period box, the period names button.
    int columnWidth = 2 * kPanelPadding + 6 + 2 * DayBoxWidth() + 3 * kPanelPadding;
    columnWidth = std::max(columnWidth, 2 * kPanelPadding + 6 + SectionLabelWidth() + kPanelPadding + SectionBoxWidth());
    return std::max(columnWidth, 2 * kPanelPadding + 6 + m_periodNameButton->sizeHint().width());
}

void CTeachingTimeDlg::LayoutDayPanel(int left, int top, int columnWidth)
{
    const int boxWidth = DayBoxWidth();
    const int boxHeight = m_dayBoxes[0]->sizeHint().height();
    const int rowPitch = boxHeight + kRowGap;
    const int dayPanelHeight = kPanelTitleHeight + 2 + kPanelPadding + 7 * rowPitch + kPanelPadding - kRowGap + 2;
    m_dayPanel.SetRect(left, top, left + columnWidth, top + dayPanelHeight);
    const Rect dayBody = m_dayPanel.GetBodyRect();
    const int columnGap = (dayBody.Width() - 2 * boxWidth) / 3;
    // The first week's days down the left column, the second's down the right.
    for (int day = 0; day < zem::kDayCount; ++day) {
        const int x = dayBody.left + columnGap + (day / 7) * (boxWidth + columnGap);
        const int y = dayBody.top + kPanelPadding + (day % 7) * rowPitch;
        SetWidgetRect(m_dayBoxes[static_cast<std::size_t>(day)], Rect(x, y, x + boxWidth, y + boxHeight));
    }
}

void CTeachingTimeDlg::LayoutSectionPanel(int left, int top, int columnWidth)
{
    const int labelWidth = SectionLabelWidth();
    const int comboWidth = SectionBoxWidth();
    const int comboHeight = m_sectionBoxes[0]->sizeHint().height();
    const int buttonHeight = std::max(28, m_periodNameButton->sizeHint().height());
    const int sectionPanelHeight = kPanelTitleHeight + 2 + kPanelPadding +
                                   zem::kSegmentCount * (comboHeight + kRowGap) + buttonHeight + kPanelPadding + 2;
    m_sectionPanel.SetRect(left, top, left + columnWidth, top + sectionPanelHeight);
    const Rect body = m_sectionPanel.GetBodyRect();
    const int x = body.left + kPanelPadding;
    const int comboLeft = body.right - kPanelPadding - comboWidth;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
        const int y = body.top + kPanelPadding + segment * (comboHeight + kRowGap);
        const auto at = static_cast<std::size_t>(segment);
        SetWidgetRect(m_sectionLabels[at], Rect(x, y, x + labelWidth, y + comboHeight));
        SetWidgetRect(m_sectionBoxes[at], Rect(comboLeft, y, comboLeft + comboWidth, y + comboHeight));
    }
    const int buttonTop = body.top + kPanelPadding + zem::kSegmentCount * (comboHeight + kRowGap);
    SetWidgetRect(m_periodNameButton, Rect(x, buttonTop, body.right - kPanelPadding, buttonTop + buttonHeight));
}

int CTeachingTimeDlg::LayoutRightSide(int right)
{
    const int linkHeight = std::max(m_gradeLink->height(), m_bannerLink->height());
    const int specialHeight = kPanelTitleHeight + 2 + kLinkTop + linkHeight + 3 + 2;
    m_specialPanel.SetRect(right, height() - kMargin - specialHeight, width() - kMargin, height() - kMargin);
    const Rect linkArea(m_specialPanel.GetBodyRect().left + kLinkInset, m_specialPanel.GetBodyRect().top + kLinkTop,
                        m_specialPanel.GetBodyRect().right - kLinkInset, m_specialPanel.GetBodyRect().bottom - 3);
    SetWidgetTopLeft(m_gradeLink, linkArea.left, linkArea.top);
    SetWidgetTopLeft(m_bannerLink, linkArea.left + kLinkPitch, linkArea.top);

    m_gridFrame = Rect(right, kHeaderHeight + kMargin, width() - kMargin, m_specialPanel.GetPanelRect().top - kMargin);
    Rect grid = m_gridFrame;
    grid.DeflateRect(kGridInset);
    SetWidgetRect(&m_grid, grid);
    return specialHeight;
}

void CTeachingTimeDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    LayoutControls();
}

void CTeachingTimeDlg::FillGrid()
{
    CWeekTableCells cells(m_grid);
    cells.Clear();
    CTaskHelper(m_task).SetupWeekTable(&cells, nullptr, false, &m_structure);

    const int columns = m_structure.GetWeekDayCount();
    for (int column = 0; column < columns; ++column) {
        const int day = m_structure.GetWeekNumberByOrder(column);
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < m_structure.GetSectionNodeMaxCount(segment); ++section) {
                const tagTABLE_NODE node{day, segment, section};
                if (!m_structure.IsInvalid(node))
                    continue;  // an activity stored at an open slot is not shown
                const tagTABLE_NODE cell{column, segment, section};
                m_grid.SetForbidCell(cell, true);
                const std::string& activity = m_activities.GetActivity(node);
                if (!activity.empty())
                    m_grid.SetCellInfo(cell, MakeCellKey(activity, ""));
            }
    }
    m_grid.Refresh();
}

void CTeachingTimeDlg::UpdateSummary()
{
    m_structure.RefreshData();
    m_summary = zem::Format(m_structure.NamesWeeks() ? "两周课时数 %d" : "每周课时数 %d", m_structure.GetWeekNodeCount());
    if (m_structure.GetWeekNodeCountOfReading() > 0)
        m_summary += zem::Format(" 早读 %d", m_structure.GetWeekNodeCountOfReading());
    if (m_structure.GetWeekNodeCountOfSelfStudy() > 0)
        m_summary += zem::Format(" 晚自习 %d", m_structure.GetWeekNodeCountOfSelfStudy());
    update(m_headerRect.left, m_headerRect.top, m_headerRect.Width(), m_headerRect.Height());
}

void CTeachingTimeDlg::SetModified(bool modified)
{
    m_modified = modified;
    m_saveButton->SetBkColor(modified ? kModified : kWhite);
}

void CTeachingTimeDlg::OnCommand(int id)
{
    if (id >= IDC_DAY_FIRST && id < IDC_DAY_FIRST + zem::kDayCount) {
        const int day = id - IDC_DAY_FIRST;
        OnDayClicked(day, m_dayBoxes[static_cast<std::size_t>(day)]->isChecked());
    } else if (id == IDC_PERIOD_NAMES) {
        OnPeriodNames();
    } else {
        Dialog::OnCommand(id);
    }
}

void CTeachingTimeDlg::OnDayClicked(int day, bool checked)
{
    m_dayValues[static_cast<std::size_t>(day)] = checked ? 1 : 0;
    // Every slot of the day opens or closes; its activities stay stored.
    m_structure.SetWeekDay(day, checked);
    FillGrid();
    UpdateSummary();
    SetModified(true);
}

void CTeachingTimeDlg::OnSectionsChosen(int segment, int count)
{
    if (segment < 0 || segment >= zem::kSegmentCount)
        return;
    m_sectionChoices[static_cast<std::size_t>(segment)] = count;
    if (count == m_structure.GetSectionNodeMaxCount(segment))
        return;
    m_structure.SetSectionNodeMaxCount(segment, count, true);
    FillGrid();
    UpdateSummary();
    SetModified(true);
}

void CTeachingTimeDlg::OnCellToggled(bool closed, const tagTABLE_NODE& cell)
{
    if (cell.day < 0 || cell.day >= m_structure.GetWeekDayCount())
        return;
    const tagTABLE_NODE node{m_structure.GetWeekNumberByOrder(cell.day), cell.segment, cell.section};
    m_structure.SetValue(node, closed ? CTimeTable::kInvalid : CTimeTable::kFree);
    if (!closed) {
        m_activities.DeleteActivity(node);
        m_grid.SetCellInfo(cell, MakeCellKey("", ""));
    }
    UpdateSummary();
    SetModified(true);
}

void CTeachingTimeDlg::OnRightClick(const tagTABLE_NODE& target)
{
    std::vector<MenuItem> items;
    for (std::size_t i = 0; i < m_activityNames.size() && ID_ACTIVITY_FIRST + static_cast<int>(i) <= ID_ACTIVITY_LAST; ++i)
        items.push_back({ID_ACTIVITY_FIRST + static_cast<int>(i), m_activityNames[i]});
    items.push_back({});
    items.push_back({ID_ACTIVITY_OTHER, "其他..."});
    m_menuTarget = target;

    const int command = TrackPopupMenu(this, items, CursorPos());
    if (command == ID_ACTIVITY_OTHER) {
        CNameInputDlg input(this);
        if (input.DoModal() != zem::IDOK)
            return;
        const std::string name = input.m_name;
        // The newest name comes first, and only once.
        m_activityNames.erase(std::remove(m_activityNames.begin(), m_activityNames.end(), name), m_activityNames.end());
        m_activityNames.insert(m_activityNames.begin(), name);
        ApplyActivity(name);
    } else if (command >= ID_ACTIVITY_FIRST && command <= ID_ACTIVITY_LAST) {
        const std::size_t index = static_cast<std::size_t>(command - ID_ACTIVITY_FIRST);
        if (index < m_activityNames.size())
            ApplyActivity(m_activityNames[index]);
    }
}

void CTeachingTimeDlg::ApplyActivity(const std::string& name)
{
    const tagTABLE_NODE& target = m_menuTarget;
    const int columns = m_structure.GetWeekDayCount();
    std::vector<tagTABLE_NODE> cells;
    auto addDay = [&](int column) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < m_structure.GetSectionNodeMaxCount(segment); ++section)
                cells.push_back({column, segment, section});
    };
    if (target.day == -1 && target.segment >= 0 && target.section >= 0) {
        for (int column = 0; column < columns; ++column)
            cells.push_back({column, target.segment, target.section});
    } else if (target.day == -1 && target.segment == -1) {
        for (int column = 0; column < columns; ++column)
            addDay(column);
    } else if (target.day >= 0 && target.day < columns && target.segment == -1) {
        addDay(target.day);
    } else if (target.day >= 0 && target.day < columns && target.segment >= 0 && target.section >= 0) {
        cells.push_back(target);
    }
    if (cells.empty())
        return;
    for (const tagTABLE_NODE& cell : cells) {
        const tagTABLE_NODE node{m_structure.GetWeekNumberByOrder(cell.day), cell.segment, cell.section};
        m_grid.SetCellInfo(cell, MakeCellKey(name, ""));
        m_grid.SetForbidCell(cell, true);
        m_structure.SetValue(node, CTimeTable::kInvalid);
        m_activities.AddActivity(node, name);
    }
    m_grid.Refresh();
    UpdateSummary();
    SetModified(true);
}

void CTeachingTimeDlg::OnPeriodNames()
{
    CPeriodNameDlg dlg(this);
    dlg.SetSchoolStructure(&m_structure);
    if (dlg.DoModal() != zem::IDOK)
        return;
    m_structure.GetCustomPeriodNameList() = dlg.GetPeriodNameList();
    std::vector<std::string> names;
    GetPeriodNames(names, m_structure);
    m_grid.SetPeriodNames(names);
    m_grid.Refresh();
    SetModified(true);
}

zem::LRESULT CTeachingTimeDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_TABLE_CELL_TOGGLED:
        if (const auto* cell = zem::FromLParam<const tagTABLE_NODE>(lParam))
            OnCellToggled(wParam != 0, *cell);
        return 0;
    case WM_TABLE_CELL_RCLICK:
    case WM_TABLE_HEADER_RCLICK:
        if (const auto* target = zem::FromWParam<const tagTABLE_NODE>(wParam))
            OnRightClick(*target);
        return 0;
    default:
        return 0;
    }
}

bool CTeachingTimeDlg::PreTranslateKey(QKeyEvent* event)
{
    // An open drop-down list keeps its own Enter and Escape.
    if (QApplication::activePopupWidget())
        return false;
    const int key = event->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

void CTeachingTimeDlg::OnOK()
{
    if (!m_initialised)
        return;
    m_structure.RefreshData();
    if (m_structure.GetWeekNodeCount() + m_structure.GetWeekNodeCountOfReading() +
            m_structure.GetWeekNodeCountOfSelfStudy() ==
        0)
        zem::ShowMessage({"按照当前设置，可用的教学时间为 0", "警告", zem::MessageIcon::Warning, zem::MessageButtons::Ok});
    if (!SaveToTask())
        return;
    SetModified(false);
    ShowSavedTip(m_saveButton, 1);
}

void CTeachingTimeDlg::OnClose()
{
    if (m_initialised && m_modified) {
        const int answer = zem::ShowMessage(
            {"教学时间已修改,要保存吗?", "提示", zem::MessageIcon::Question, zem::MessageButtons::YesNo});
        // A save that did not happen keeps the dialog, and the changes, open.
        if (answer == zem::IDYES && !SaveToTask())
            return;
    }
    EndDialog(zem::IDCANCEL);
}

bool CTeachingTimeDlg::SaveToTask()
{
    m_structure.RefreshData();
    // A change of the week keeps the plans and every rule but the lessons the user keeps outside it.
    const CChangeCheck check(*m_task, false);
    // Only lessons this change leaves outside the week: those the user kept before are not asked about again.
    const CSchoolStructure previousStructure = m_task->GetSchoolStructure();
    const int stranded = CountLessonsLeftOutside(*m_task, previousStructure, m_structure);
    bool removeStranded = false;
    if (stranded > 0) {
        const int answer = zem::ShowMessage(
            {zem::Format("有 %d 节已排课程位于不再使用的时间，要删除这些课程吗？\n\n"
                         "是：删除这些课程（删除前自动备份排课任务）\n否：保留这些课程\n取消：返回，继续修改教学时间",
                         stranded),
             "提示", zem::MessageIcon::Question, zem::MessageButtons::YesNoCancel});
        if (answer == zem::IDCANCEL)
            return false;
        removeStranded = answer == zem::IDYES;
    }
    if (removeStranded && !BackUpBeforeRemovingLessons(*m_task, true, "修改教学时间前", "教学时间"))
        return false;

    const CActivities previousActivities = m_task->GetActivities();
    m_task->GetSchoolStructure() = m_structure;
    m_task->GetActivities() = m_activities;
    // The lessons go from the working tables only: the pair save commits them with the new week,
    // or neither reaches the files.
    CTaskHelper helper(m_task);
    if (removeStranded)
        RemoveLessonsLeftOutside(*m_task, previousStructure, m_structure);
    ChangeFindings findings = removeStranded ? check.FindingsInWorkingTables() : check.Findings();
    ChangeFindings kept;
    if (!removeStranded)
        kept.broken = TakeLessonsKeptOutside(findings);
    if (!findings.IsClean()) {
        m_task->GetSchoolStructure() = previousStructure;
        m_task->GetActivities() = previousActivities;
        if (removeStranded)
            helper.RestoreTempTables();
        zem::ShowMessage(RefusedChangeText(findings), "提示", zem::MessageIcon::Warning);
        return false;
    }
    const bool saved = SaveSayingWhy(
        [&] { return removeStranded ? helper.SaveInputAndTempTables() : m_task->SaveInputData(); },
        NotSavedText("教学时间"), kCheckTaskFolderReason);
    if (!saved) {
        // It keeps the week and the lessons its files hold.
        m_task->GetSchoolStructure() = previousStructure;
        m_task->GetActivities() = previousActivities;
        if (removeStranded)
            helper.RestoreTempTables();
    }
    // The lessons the user chose to keep are named, not met by the saved tip alone.
    if (saved && !kept.IsClean())
        zem::ShowMessage(KeptChangeText(kept), "提示", zem::MessageIcon::Warning);
    return saved;
}

void CTeachingTimeDlg::paintEvent(QPaintEvent*)
{
    DC dc(this);
    dc.FillSolidRect(Rect(0, 0, width(), height()), kBackground);
    FillCellBackground(&dc, m_gridFrame);

    dc.FillSolidRect(m_headerRect, kHeaderBand);
    CGdiResources* resources = CGdiResources::GetInstance();
    dc.SelectFont(resources->HeaderFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kWhite);
    const Rect summary(m_headerRect.left + 18, m_headerRect.top, m_headerRect.right, m_headerRect.bottom);
    dc.DrawText(m_summary, summary, DT_LEFT | DT_SINGLELINE | DT_VCENTER);

    for (const CTitledPanel* panel : {&m_dayPanel, &m_sectionPanel, &m_specialPanel})
        panel->Draw(dc);
    const Rect body = m_specialPanel.GetBodyRect();
    dc.SelectFont(DialogFont());
    dc.SetTextColor(RGB(0, 0, 0));
    DrawTextLines(&dc, body.left + kLinkInset, body.top + 6, body.right - kLinkInset, body.top + kLinkTop,
                  LoadResString(12), 6, 0);
}
