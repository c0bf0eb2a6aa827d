#include "app/timetable/TeacherStatisticDlg.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SortListCtrl.h"
#include "app/output/workbook/WorkbookRequest.h"
#include "app/timetable/LessonCalendarSpanDlg.h"
#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "base/ConfigHost.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <functional>

using zem::Rect;
using zem::gui::ReportList;

namespace {

constexpr int kBarWidth = 5;
constexpr int kDefaultDetailWidth = 150;
constexpr zem::COLORREF kHeaderColor = zem::RGB(59, 72, 91);
constexpr zem::COLORREF kDayColumnColor = zem::RGB(192, 0, 192);
constexpr zem::COLORREF kPeriodColumnColor = zem::RGB(192, 192, 0);
constexpr zem::COLORREF kWhite = zem::RGB(255, 255, 255);
constexpr const char* kIncludeLabel = "统计时包括：";
constexpr const char* kDoneStatus = "单击列头可以排序，单击表格中的行可在右方显示详细信息。其中，计划周课时统计自教学计划，"
                                    "实际周课时统计自教师课表";

constexpr const char* kStatisticSection = "TeacherStatistic";
constexpr const char* kMorningReadingKey = "HasMorningReading";
constexpr const char* kSelfStudyKey = "HasNightSelfStudy";
constexpr const char* kCommonSection = "Common";
constexpr const char* kDetailWidthKey = "StatisticDetailWidth";

int ReadSetting(const char* section, const char* key, int fallback)
{
    const CConfigHost* config = AppServices().GetProgramConfig();
    return config ? config->GetConfigInt(section, key, fallback) : fallback;
}

void WriteSetting(const char* section, const char* key, int value)
{
    if (const CConfigHost* config = AppServices().GetProgramConfig())
        config->SetConfigInt(section, key, value);
}

// The day columns' texts in one colour, the period columns' in another.
class ColumnColorDelegate : public QStyledItemDelegate {
public:
    ColumnColorDelegate(QObject* parent, std::function<zem::COLORREF(int column)> colorOf)
        : QStyledItemDelegate(parent), m_colorOf(std::move(colorOf))
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const zem::COLORREF color = m_colorOf(index.column());
        option->palette.setColor(QPalette::Text, zem::gui::ToQColor(color));
    }

private:
    std::function<zem::COLORREF(int)> m_colorOf;
};

// Tree items 24 pixels high.
class TallItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 24};
    }
};

QCheckBox* HeaderCheckBox(QWidget* parent, const char* text, bool checked)
{
    auto* box = new QCheckBox(zem::gui::ToQ(text), parent);
    box->setChecked(checked);
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    box->setPalette(palette);
    box->adjustSize();
    return box;
}

}  // namespace

CTeacherStatisticDlg::CTeacherStatisticDlg(QWidget* parent) : Dialog(parent, "教师任课情况统计分析", {620, 360}) {}

CTeacherStatisticDlg::~CTeacherStatisticDlg()
{
    // The worker sends to this window: it ends before any part of the window goes.
    StopWorker();
}

bool CTeacherStatisticDlg::OnInitDialog()
{
    // Regular lessons are counted on every opening; the other two kinds as last time.
    m_regular = HeaderCheckBox(this, "常规", true);
    m_morningReading = HeaderCheckBox(this, "早读", ReadSetting(kStatisticSection, kMorningReadingKey, 0) != 0);
    m_selfStudy = HeaderCheckBox(this, "晚自习", ReadSetting(kStatisticSection, kSelfStudyKey, 0) != 0);
    AddControl(IDC_REGULAR, m_regular);
    AddControl(IDC_MORNING_READING, m_morningReading);
    AddControl(IDC_SELF_STUDY, m_selfStudy);

    m_list = new CSortListCtrl(this);
    m_list->setShowGrid(true);
    m_list->SetSingleSelection(true);
    m_list->SetRowHeight(20);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setItemDelegate(new ColumnColorDelegate(m_list, [this](int column) {
        if (column >= m_firstDayColumn && column <= m_lastDayColumn && m_firstDayColumn >= 0)
            return kDayColumnColor;
        if (column >= m_firstPeriodColumn && column <= m_lastPeriodColumn && m_firstPeriodColumn >= 0)
            return kPeriodColumnColor;
        return zem::RGB(0, 0, 0);
    }));
    m_list->onSelectionChanged = [this] { ShowDetails(); };
    AddControl(IDC_LIST, m_list);

    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setItemDelegate(new TallItemDelegate(m_tree));
    m_tree->setFont(DialogFont().GetQFont());
    QPalette palette = m_tree->palette();
    palette.setColor(QPalette::Base, Qt::white);
    m_tree->setPalette(palette);
    AddControl(IDC_TREE, m_tree);

    m_picture = new QLabel(this);
    m_picture->setPixmap(QPixmap::fromImage(LoadBitmapResource(IDB_TEACHER_PICKER)));
    m_picture->adjustSize();
    AddControl(IDC_PICTURE, m_picture);
    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    AddControl(IDC_NAME, m_name);
    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    AddControl(IDC_STATUS, m_status);

    // The workbooks are written from a finished count.
    for (const auto& [id, text] : {std::pair{IDC_EXPORT, "导出统计分析表(&E)"}, std::pair{IDC_WORKBOOK, "生成课时统计表(&T)"}}) {
        auto* button = new CHoverButton(text, this);
        button->setAutoDefault(false);
        SetWidgetSize(button, button->fontMetrics().horizontalAdvance(button->text()) + 24, 26);
        AddControl(id, button);
        EnableItem(id, false);
    }

    // The bar shows where the details can be widened, as the week window's bars do.
    m_bar = new QWidget(this);
    m_bar->setAutoFillBackground(true);
    QPalette barPalette = m_bar->palette();
    barPalette.setColor(QPalette::Window, QColor(210, 214, 222));
    m_bar->setPalette(barPalette);
    AddControl(IDC_SPLITTER, m_bar);
    m_splitter.Attach(this, IDC_SPLITTER);
    setMinimumSize(480, 300);
    PlaceSplitter(ReadSetting(kCommonSection, kDetailWidthKey, kDefaultDetailWidth));
    StartStatistics();
    return true;
}

// ---- Layout ----

int CTeacherStatisticDlg::GetDetailWidth() const
{
    return m_bar ? width() - WidgetRect(m_bar).right : 0;
}

void CTeacherStatisticDlg::PlaceSplitter(int detailWidth)
{
    if (!m_bar)
        return;
    const int half = width() / 2;
    if (detailWidth < kMinDetailWidth || detailWidth > half)
        detailWidth = kMinDetailWidth;
    m_splitter.SetRange(half, kMinDetailWidth);
    const int left = width() - detailWidth - kBarWidth;
    SetWidgetRect(m_bar, Rect(left, kDialogBandHeight, left + kBarWidth, height() - kDialogFooterHeight));
    Layout();
}

void CTeacherStatisticDlg::Layout()
{
    if (!m_bar)
        return;
    const int w = width();
    const int footerTop = height() - kDialogFooterHeight;
    const int top = kDialogBandHeight + 10;
    const Rect bar = WidgetRect(m_bar);
    SetWidgetRect(m_bar, Rect(bar.left, kDialogBandHeight, bar.right, footerTop));
    m_splitter.SetRange(w / 2, kMinDetailWidth);

    m_listFrame = Rect(10, top, bar.left - 2, footerTop - 10);
    Rect inner = m_listFrame;
    inner.DeflateRect(1, 1, 1, 1);
    SetWidgetRect(m_list, inner);

    SetWidgetTopLeft(m_picture, bar.right + 10, top);
    const Rect picture = WidgetRect(m_picture);
    SetWidgetRect(m_name, Rect(picture.right + 10, top, w - 10, picture.bottom));
    SetWidgetRect(m_tree, Rect(bar.right + 2, picture.bottom + 10, w - 10, footerTop - 10));

    // The check boxes after the label drawn on the header band.
    int x = 10 + fontMetrics().horizontalAdvance(zem::gui::ToQ(kIncludeLabel)) + 8;
    for (QCheckBox* box : {m_regular, m_morningReading, m_selfStudy}) {
        SetWidgetTopLeft(box, x, (kDialogBandHeight - box->height()) / 2);
        x += box->width() + 12;
    }

    QWidget* workbook = GetDlgItem(IDC_WORKBOOK);
    QWidget* exportButton = GetDlgItem(IDC_EXPORT);
    const int buttonTop = footerTop + (kDialogFooterHeight - workbook->height()) / 2;
    SetWidgetTopLeft(workbook, w - 10 - workbook->width(), buttonTop);
    SetWidgetTopLeft(exportButton, workbook->x() - 8 - exportButton->width(), buttonTop);
    SetWidgetRect(m_status, Rect(10, footerTop + 2, exportButton->x() - 10, height() - 2));
    update();
}

void CTeacherStatisticDlg::resizeEvent(QResizeEvent* event)
{
    const int detailWidth = GetDetailWidth() - (width() - event->oldSize().width());
    Dialog::resizeEvent(event);
    // The details keep their width while the window's size changes.
    if (m_bar)
        PlaceSplitter(event->oldSize().width() > 0 ? detailWidth : GetDetailWidth());
}

void CTeacherStatisticDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kWhite);
        dc.FillSolidRect(Rect(0, 0, client.right, kDialogBandHeight), kHeaderColor);
        dc.FillSolidRect(Rect(0, client.bottom - kDialogFooterHeight, client.right, client.bottom), kDialogBandColor);
        dc.SelectFont(DialogFont());
        dc.SetTextColor(kWhite);
        dc.DrawText(kIncludeLabel, Rect(10, 0, client.right, kDialogBandHeight),
                    zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT);
        dc.FrameRect(m_listFrame, kDialogFrameColor);
    });
}

// ---- Counting ----

CStatisticKinds CTeacherStatisticDlg::ReadKinds() const
{
    return {m_regular->isChecked(), m_morningReading->isChecked(), m_selfStudy->isChecked()};
}

void CTeacherStatisticDlg::StartStatistics()
{
    StopWorker();
    ClearDetails();
    m_list->DeleteAllItems();
    m_records.clear();
    m_status->setText(zem::gui::ToQ("正在统计中，请稍候……"));
    EnableItem(IDC_EXPORT, false);
    EnableItem(IDC_WORKBOOK, false);
    m_counting = true;
    m_worker.Start([this, task = AppServices().GetTask(), kinds = ReadKinds(), run = ++m_runCount,
                    hook = m_workerHook] { Work(task, kinds, run, hook); });
}

void CTeacherStatisticDlg::StopWorker()
{
    if (!m_worker.HasThread())
        return;
    m_worker.StopAndWait();
    m_counting = false;
}

void CTeacherStatisticDlg::Work(CScheduleTask* task, CStatisticKinds kinds, int run, WorkerHook hook)
{
    const std::atomic<bool>& stop = m_worker.StopFlag();
    const CTeacherStatistic statistic(task, kinds);
    Send(WM_STATISTIC_COLUMNS, 0, zem::ToLParam(&statistic));
    const std::vector<CTeacherInfo*>& teachers = statistic.GetTeachers();
    for (std::size_t i = 0; i < teachers.size() && !stop.load(); ++i) {
        std::unique_ptr<CTeacherStatisticRecord> record = statistic.Count(*teachers[i], &stop);
        if (!record)
            break;
        if (hook)
            hook(run, static_cast<int>(i), stop);
        CTeacherStatisticRecord* sent = record.release();
        // A window that is gone takes nothing.
        if (Send(WM_STATISTIC_ROW, 0, zem::ToLParam(sent)) == 0)
            delete sent;
    }
    Send(WM_STATISTIC_DONE, 0, 0);
}

zem::LRESULT CTeacherStatisticDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_STATISTIC_COLUMNS:
        if (!m_worker.IsStopRequested())
            OnColumns(*reinterpret_cast<const CTeacherStatistic*>(lParam));
        return 1;
    case WM_STATISTIC_ROW: {
        std::unique_ptr<CTeacherStatisticRecord> record(reinterpret_cast<CTeacherStatisticRecord*>(lParam));
        // A row of a count being stopped is freed, never listed.
        if (!m_worker.IsStopRequested() && record)
            OnRow(std::move(record));
        return 1;
    }
    case WM_STATISTIC_DONE:
        if (!m_worker.IsStopRequested())
            OnDone();
        return 1;
    case WM_SPLITTER_MOVED:
        Layout();
        return 0;
    default:
        return Dialog::WindowProc(message, wParam, lParam);
    }
}

void CTeacherStatisticDlg::OnColumns(const CTeacherStatistic& statistic)
{
    m_days = statistic.GetDays();
    m_periods = statistic.GetPeriods();
    while (m_list->GetColumnCount() > 0)
        m_list->DeleteColumn(0);
    const auto centre = ReportList::Align::Center;
    m_list->InsertColumn(0, "", centre, 0);
    m_list->InsertColumn(1, "教师", centre, 100);
    m_list->InsertColumn(2, "计划课时", centre, 70);
    m_list->InsertColumn(3, "实际课时", centre, 70);
    int column = 4;
    m_firstDayColumn = m_days.empty() ? -1 : column;
    for (const int day : m_days)
        m_list->InsertColumn(column++, GetWeekdayName(day, true), centre, 30);
    m_lastDayColumn = m_days.empty() ? -1 : column - 1;
    const CScheduleTask* task = AppServices().GetTask();
    m_firstPeriodColumn = m_periods.empty() ? -1 : column;
    for (const tagTABLE_NODE& period : m_periods) {
        const std::string name = task ? task->GetSchoolStructure().GetPeriodName(period.segment, period.section, true)
                                      : std::string();
        m_list->InsertColumn(column++, name, centre, 30);
    }
    m_lastPeriodColumn = m_periods.empty() ? -1 : column - 1;
    m_list->InsertColumn(column++, "相关班级", centre, 60);
    m_list->InsertColumn(column++, "相关课程", centre, 60);
    m_list->SetColumnType(1, CSortListCtrl::COLUMN_TEXT);
    for (int numeric = 2; numeric < column; ++numeric)
        m_list->SetColumnType(numeric, CSortListCtrl::COLUMN_NUMERIC);
}

void CTeacherStatisticDlg::OnRow(std::unique_ptr<CTeacherStatisticRecord> record)
{
    const std::size_t index = m_records.size();
    const int row = m_list->InsertItem(m_list->GetItemCount(), "", index);
    if (row < 0)
        return;
    int column = 1;
    m_list->SetItemText(row, column++, record->name);
    m_list->SetItemText(row, column++, record->planned.ToString());
    m_list->SetItemText(row, column++, record->actual.ToString());
    for (const int day : m_days)
        m_list->SetItemText(row, column++, record->perDay[static_cast<std::size_t>(day)].ToString());
    for (const tagTABLE_NODE& period : m_periods)
        m_list->SetItemText(
            row, column++,
            record->perPeriod[static_cast<std::size_t>(period.segment * zem::kSectionCount + period.section)].ToString());
    m_list->SetItemText(row, column++, std::to_string(record->classes.size()));
    m_list->SetItemText(row, column++, std::to_string(record->subjects.size()));
    m_records.push_back(std::move(record));
}

void CTeacherStatisticDlg::OnDone()
{
    m_counting = false;
    EnableItem(IDC_EXPORT, true);
    EnableItem(IDC_WORKBOOK, true);
    if (m_list->GetItemCount() > 0) {
        m_list->SetSelected(0, true);
        m_status->setText(zem::gui::ToQ(kDoneStatus));
    } else {
        m_status->clear();
    }
}

// ---- Details ----

const CTeacherStatisticRecord* CTeacherStatisticDlg::GetRecordOfRow(int row) const
{
    if (row < 0 || row >= m_list->GetItemCount())
        return nullptr;
    const std::uintptr_t index = m_list->GetItemData(row);
    return index < m_records.size() ? m_records[index].get() : nullptr;
}

void CTeacherStatisticDlg::ClearDetails()
{
    m_shown = nullptr;
    m_tree->clear();
    m_name->clear();
}

void CTeacherStatisticDlg::ShowDetails()
{
    const CTeacherStatisticRecord* record = GetRecordOfRow(m_list->GetFirstSelected());
    if (!record || record == m_shown)
        return;
    ClearDetails();
    m_shown = record;
    m_name->setText(zem::gui::ToQ(record->name));
    for (const CStatisticDetailGroup& group : BuildStatisticDetails(AppServices().GetTask(), *record)) {
        auto* root = new QTreeWidgetItem(m_tree, QStringList(zem::gui::ToQ(group.subject)));
        for (const std::string& line : group.lines)
            new QTreeWidgetItem(root, QStringList(zem::gui::ToQ(line)));
    }
    m_tree->expandAll();
}

// ---- Commands ----

void CTeacherStatisticDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_REGULAR:
    case IDC_MORNING_READING:
    case IDC_SELF_STUDY:
        StartStatistics();
        return;
    case IDC_EXPORT:
        ExportWorkload();
        return;
    case IDC_WORKBOOK:
        ExportLessonCalendar();
        return;
    default:
        Dialog::OnCommand(id);
    }
}

std::vector<const CTeacherStatisticRecord*> CTeacherStatisticDlg::ListedRecords() const
{
    std::vector<const CTeacherStatisticRecord*> records;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        if (const CTeacherStatisticRecord* record = GetRecordOfRow(row))
            records.push_back(record);
    return records;
}

void CTeacherStatisticDlg::ExportWorkload()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task || m_counting)
        return;
    // The title says which kinds of lessons the columns count.
    std::string kinds;
    for (const QCheckBox* box : {m_regular, m_morningReading, m_selfStudy})
        if (box->isChecked())
            kinds += (kinds.empty() ? "" : "、") + box->text().toStdString();
    const std::string name = "教师任课情况统计分析表";
    const CTeacherWorkloadTable table = BuildTeacherWorkloadTable(task, m_days, m_periods, ListedRecords());
    CSpreadsheetExporter exporter(task);
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kTeacherWorkloadExport;
    param.text1 = kinds.empty() ? name : name + "（" + kinds + "）";
    param.data1 = &table;
    RequestWorkbookExport(this, exporter, name);
}

void CTeacherStatisticDlg::ExportLessonCalendar()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task || m_counting)
        return;
    CLessonCalendarSpanDlg span(this);
    if (span.DoModal() != zem::IDOK)
        return;
    CLessonCalendarData data{span.m_firstDate, span.m_lastDate, BuildLessonCalendarRows(ListedRecords())};
    auto dateText = [](const std::chrono::year_month_day& date) {
        return zem::Format("%d年%u月%u日", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                           static_cast<unsigned>(date.day()));
    };
    const std::string name = "教师课时统计表";
    CSpreadsheetExporter exporter(task);
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kLessonCalendarExport;
    param.text1 = name + "（" + dateText(data.firstDate) + "至" + dateText(data.lastDate) + "）";
    param.data2 = &data;
    RequestWorkbookExport(this, exporter, name);
}

void CTeacherStatisticDlg::OnCancel()
{
    // Closing during a count ends once the worker has stopped; its rows are freed with the rest.
    StopWorker();
    if (!m_bar) {
        Dialog::OnCancel();
        return;
    }
    WriteSetting(kStatisticSection, kMorningReadingKey, m_morningReading->isChecked() ? 1 : 0);
    WriteSetting(kStatisticSection, kSelfStudyKey, m_selfStudy->isChecked() ? 1 : 0);
    WriteSetting(kCommonSection, kDetailWidthKey, GetDetailWidth());
    Dialog::OnCancel();
}
