#include "app/timetable/TeacherTimeQueryDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "app/controls/WeekTableCells.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Paths.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ReportList.h"

#include <QPlainTextEdit>
#include <QRadioButton>

using zem::Rect;
using zem::gui::ReportList;

namespace {

constexpr int kResultColumnMargin = 30;
constexpr const char* kResultHeading = "查询结果:";
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

std::string JoinTexts(const std::vector<std::string>& texts, const char* separator)
{
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            joined += separator;
        joined += texts[i];
    }
    return joined;
}

}  // namespace

CTeacherTimeQueryDlg::CTeacherTimeQueryDlg(QWidget* parent) : Dialog(parent, "教师上课时间查询", {480, 292}) {}

CTeacherTimeQueryDlg::~CTeacherTimeQueryDlg() = default;

bool CTeacherTimeQueryDlg::OnInitDialog()
{
    m_queryFrame = UnitsRect(7, 7, 150, 98);
    m_resultFrame = UnitsRect(7, 112, 150, 152);
    m_titleRect = UnitsRect(166, 7, 307, 14);
    const Rect preview = UnitsRect(166, 24, 307, 240);

    auto* choose = new CHoverButton("点击这里选择要查询的节次", this);
    choose->setAutoDefault(false);
    SetWidgetRect(choose, UnitsRect(14, 14, 136, 16));
    AddControl(IDC_CHOOSE, choose);
    m_busy = new QRadioButton(zem::gui::ToQ("查询上课的老师"), this);
    m_free = new QRadioButton(zem::gui::ToQ("查询空闲的老师"), this);
    m_busy->setChecked(true);
    SetWidgetRect(m_busy, UnitsRect(14, 36, 68, 10));
    SetWidgetRect(m_free, UnitsRect(84, 36, 68, 10));
    AddControl(IDC_BUSY, m_busy);
    AddControl(IDC_FREE, m_free);
    m_range = new QPlainTextEdit(this);
    m_range->setReadOnly(true);
    SetWidgetRect(m_range, UnitsRect(14, 52, 136, 46));
    AddControl(IDC_RANGE, m_range);

    m_result = new ReportList(this);
    m_result->setShowGrid(true);
    m_result->SetSingleSelection(true);
    m_result->SetRowHeight(18);
    m_result->setFrameShape(QFrame::NoFrame);
    Rect inner = m_resultFrame;
    inner.DeflateRect(1, 1, 1, 1);
    SetWidgetRect(m_result, inner);
    m_result->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    m_result->InsertColumn(1, kResultHeading, ReportList::Align::Left, inner.Width() - kResultColumnMargin);
    m_result->onSelectionChanged = [this] { ShowPreview(); };
    AddControl(IDC_RESULT, m_result);

    m_preview.Init(this, nullptr);
    SetWidgetRect(&m_preview, preview);
    AddControl(IDC_PREVIEW, &m_preview);
    CWeekTableCells cells(m_preview);
    CTaskHelper(AppServices().GetTask(), AppHelperContext()).SetupWeekTable(&cells, nullptr, true);
    m_preview.Refresh();

    AddHoverButton(this, IDC_EXPORT, "导出到文本文件");
    AddHoverButton(this, zem::IDCANCEL, "关闭");
    QWidget* exportButton = GetDlgItem(IDC_EXPORT);
    SetWidgetSize(exportButton, std::max(exportButton->width(), exportButton->fontMetrics().horizontalAdvance(
                                                             zem::gui::ToQ("导出到文本文件")) + 24),
                         exportButton->height());
    PlaceButtonRow(this, UnitsRect(0, 271, 0, 14).top, {}, {IDC_EXPORT, zem::IDCANCEL});
    EnableItem(IDC_EXPORT, false);
    setFixedSize(size());
    return true;
}

void CTeacherTimeQueryDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        dc.FrameRect(m_queryFrame, kDialogFrameColor);
        dc.FrameRect(m_resultFrame, kDialogFrameColor);
        dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        dc.DrawText(m_previewTitle, m_titleRect,
                    zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT);
    });
}

int CTeacherTimeQueryDlg::Mode() const
{
    return m_free && m_free->isChecked() ? 1 : 0;
}

void CTeacherTimeQueryDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_CHOOSE:
        ChoosePeriods();
        return;
    case IDC_BUSY:
    case IDC_FREE:
        Query();
        return;
    case IDC_EXPORT:
        Export();
        return;
    default:
        Dialog::OnCommand(id);
    }
}

// ---- Choosing and querying ----

void CTeacherTimeQueryDlg::ChoosePeriods()
{
    CTimeSlotPickerDlg picker(this);
    picker.SetTitle("选择要查询的节次");
    picker.m_okText = "查询";
    for (const tagTABLE_NODE& period : m_periods)
        picker.m_marks.SetValue(period, CTimeTable::kInvalid);
    if (picker.DoModal() != zem::IDOK)
        return;
    std::vector<tagTABLE_NODE> chosen;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (picker.m_marks.IsInvalid(day, segment, section))
                    chosen.push_back({day, segment, section});
    SetPeriods(chosen);
}

void CTeacherTimeQueryDlg::SetPeriods(const std::vector<tagTABLE_NODE>& periods)
{
    m_periods = periods;
    std::vector<std::string> names;
    if (const CScheduleTask* task = AppServices().GetTask())
        for (const tagTABLE_NODE& period : m_periods)
            names.push_back(task->GetTimeNodeDesc(period.day, period.segment, period.section));
    m_range->setPlainText(zem::gui::ToQ(JoinTexts(names, ",")));
    Query();
}

void CTeacherTimeQueryDlg::ClearResult()
{
    m_result->DeleteAllItems();
    m_result->SetColumnHeading(1, kResultHeading);
    m_previewTitle.clear();
    m_preview.Clear();
    m_preview.Refresh();
    EnableItem(IDC_EXPORT, false);
    update();
}

void CTeacherTimeQueryDlg::Query()
{
    // Without periods nothing is asked: an earlier answer would not fit the empty range.
    ClearResult();
    const CScheduleTask* task = AppServices().GetTask();
    if (m_periods.empty() || !task)
        return;
    const bool wantBusy = Mode() == 0;
    std::vector<CZemObject*> teachers;
    MapToOrderedList(task->GetTeacherInfoList(), teachers);
    for (const CZemObject* object : teachers) {
        const CCourseTable& table = static_cast<const CTeacherInfo*>(object)->GetTable(false);
        bool kept = true;
        for (const tagTABLE_NODE& period : m_periods) {
            if (table.IsUsed(period) != wantBusy) {
                kept = false;
                break;
            }
        }
        if (!kept)
            continue;
        const int row = m_result->InsertItem(m_result->GetItemCount(), object->GetId());
        m_result->SetItemText(row, 1, object->GetName());
    }
    const int count = m_result->GetItemCount();
    m_result->SetColumnHeading(1, zem::Format("查询结果(%s)", count > 0 ? std::to_string(count).c_str() : "无"));
    EnableItem(IDC_EXPORT, count > 0);
    if (count > 0)
        m_result->SetSelected(0, true);
}

void CTeacherTimeQueryDlg::ShowPreview()
{
    CScheduleTask* task = AppServices().GetTask();
    const int row = m_result->GetFirstSelected();
    CTeacherInfo* teacher = task && row >= 0 ? task->GetTeacher(m_result->GetItemText(row, 0)) : nullptr;
    if (!teacher)
        return;
    CTaskHelper helper(task, AppHelperContext());
    CWeekTableCells cells(m_preview);
    helper.FillWeekTable(&cells, &teacher->GetTable(false), TABLE_TEACHER, false, false, 0, teacher->GetId());
    const CSchoolStructure& week = task->GetSchoolStructure();
    for (const tagTABLE_NODE& period : m_periods)
        m_preview.SetForbidCell({week.GetWeekOrderByNumber(period.day), period.segment, period.section}, true);
    m_preview.Refresh();
    m_previewTitle = zem::Format("%s老师的课表", teacher->GetName().c_str());
    update();
}

// ---- Export ----

std::string CTeacherTimeQueryDlg::BuildExportText() const
{
    const std::string range = GetDlgItemText(IDC_RANGE);
    const std::string object = zem::Format("%s的老师", Mode() == 0 ? "有课" : "空闲");
    std::vector<std::string> names;
    for (int row = 0; row < m_result->GetItemCount(); ++row)
        names.push_back(m_result->GetItemText(row, 1));
    const std::string across = JoinTexts(names, ",");
    // A name that holds "," is split there too: the list reads as the original's did.
    const std::string down = zem::ReplaceAll(across, ",", "\r\n");
    return kUtf8Bom + zem::Format("范围：%s\r\n对象：%s\r\n数量：%d\r\n\r\n教师（横排）：\r\n%s\r\n\r\n教师（竖排）：\r\n%s",
                                  range.c_str(), object.c_str(), static_cast<int>(names.size()), across.c_str(),
                                  down.c_str());
}

void CTeacherTimeQueryDlg::Export()
{
    if (m_result->GetItemCount() == 0)
        return;
    const std::string text = BuildExportText();
    const zem::LocalTime now = zem::Now();
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::SaveFile;
    request.filter = "文本文件|*.txt||";
    request.folder = GetMyDocumentsFolder();
    request.fileName = zem::Format("%04d%02d%02d教师时间查询结果.txt", now.year, now.month, now.day);
    request.defaultSuffix = "txt";
    const std::string path = zem::gui::ChooseFile(this, request);
    if (path.empty())
        return;
    // Written whole or not at all: a failed write never reads as a success.
    if (!zem::WriteFileAtomic(path, text)) {
        zem::ShowMessage("创建导出文件失败", "提示", zem::MessageIcon::Warning);
        return;
    }
    zem::MessageRequest question;
    question.text = "导出成功！现在要查看导出的文本文件吗";
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::YesNo;
    if (zem::ShowMessage(question) == zem::IDYES)
        zem::gui::OpenWithDesktop(path);
}
