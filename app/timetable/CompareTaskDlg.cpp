#include "app/timetable/CompareTaskDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/WeekTableCells.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/TextBuilders.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <algorithm>
#include <QComboBox>

using zem::Rect;

namespace {

constexpr int kMargin = 10;
constexpr int kRowHeight = 26;
constexpr zem::COLORREF kHeaderColor = 0x5B483B;
constexpr zem::COLORREF kLabelColor = 0x808080;

const CCourseTable* TempTable(const CZemObject* object)
{
    return &static_cast<const CZemTableObject*>(object)->GetTable(true);
}

const CCourseTable* FormalTable(const CZemObject* object)
{
    return &static_cast<const CZemTableObject*>(object)->GetTable(false);
}

// Which place of a shared room a lesson takes, and which plan of a combined class a teacher's
// slot names, are given anew when a task is read: a temporary task read from its files may hold
// them otherwise than the open task does. Only what a timetable shows is compared, the lessons
// of each half (a combined class as one) with their rooms.
std::vector<std::pair<std::string, zem::IdHandle>> ShownLessons(const CScheduleTask& task, const CCourseTableNode& node,
                                                                int half)
{
    std::vector<std::pair<std::string, zem::IdHandle>> lessons;
    const auto add = [&](const CCourseTableNode::NodeData& data) {
        const CCombineClass* combined = data.HasCourse() ? task.GetCC(data.GetCourseId()) : nullptr;
        lessons.emplace_back(combined ? "+" + combined->GetId() : data.GetCourseId(), data.GetRoomHandle());
    };
    add(node.data(half));
    for (const CCourseTableNode::NodeData& more : node.GetMoreVector(half))
        add(more);
    std::sort(lessons.begin(), lessons.end());
    return lessons;
}

// Whether the slot shows otherwise in the two timetables: the list and the marks of a listed
// timetable both ask this, so that a listed timetable marks exactly what changed.
bool SlotShownDiffers(const CScheduleTask& temp, const CCourseTable& a, const CScheduleTask& formal,
                      const CCourseTable& b, const tagTABLE_NODE& slot)
{
    const CCourseTableNode& x = a.GetNode(slot);
    const CCourseTableNode& y = b.GetNode(slot);
    return x.IsInterleave() != y.IsInterleave() || ShownLessons(temp, x, 1) != ShownLessons(formal, y, 1) ||
           ShownLessons(temp, x, 2) != ShownLessons(formal, y, 2);
}

bool ShownDiffer(const CScheduleTask& temp, const CCourseTable& a, const CScheduleTask& formal, const CCourseTable& b)
{
    return ForEachSlot(temp.GetSchoolStructure(),
                       [&](const tagTABLE_NODE& slot) { return SlotShownDiffers(temp, a, formal, b, slot); });
}

}  // namespace

std::vector<CTaskDifference> FindTaskDifferences(const CScheduleTask& temp, const CScheduleTask& formal,
                                                 const std::atomic<bool>* stop,
                                                 const std::function<void(const CTaskDifference&)>& visit,
                                                 const std::function<void(int)>& beforeEach)
{
    std::vector<CTaskDifference> found;
    const std::pair<const CZemObjectList*, const CZemObjectList*> lists[] = {
        {&temp.GetClassInfoList(), &formal.GetClassInfoList()},
        {&temp.GetTeacherInfoList(), &formal.GetTeacherInfoList()}};
    int index = 0;
    for (int kind = 0; kind < 2; ++kind) {
        std::vector<CZemObject*> objects;
        MapToOrderedList(*lists[kind].first, objects);
        for (CZemObject* object : objects) {
            if (stop && stop->load())
                return found;
            if (beforeEach)
                beforeEach(index);
            ++index;
            CZemObject* other = lists[kind].second->Find(object->GetId());
            if (!other || !ShownDiffer(temp, *TempTable(object), formal, *FormalTable(other)))
                continue;
            found.push_back({kind, object, other});
            if (visit)
                visit(found.back());
        }
    }
    return found;
}

CCompareTaskDlg::CCompareTaskDlg(QWidget* parent, CScheduleTask* temp, zem::MessageTarget* receiver)
    : Dialog(parent, "比对", {640, 340}), m_temp(temp), m_receiver(receiver)
{
}

CCompareTaskDlg::~CCompareTaskDlg() { StopWorker(); }

bool CCompareTaskDlg::OnInitDialog()
{
    m_list = new QComboBox(this);
    m_list->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    m_list->setMaxVisibleItems(20);
    AddControl(IDC_LIST, m_list);
    QObject::connect(m_list, &QComboBox::currentIndexChanged, this, [this](int index) { ShowDifference(index); });
    AddHoverButton(this, IDC_EXPORT, "导出差异课表");
    AddHoverButton(this, zem::IDCANCEL, "关闭");
    EnableItem(IDC_EXPORT, false);

    for (CWeekTable* table : {&m_tempTable, &m_formalTable}) {
        table->Init(this, nullptr);
        AddControl(table == &m_tempTable ? IDC_TEMP_TABLE : IDC_FORMAL_TABLE, table);
        CWeekTableCells cells(*table);
        if (m_temp)
            CTaskHelper(m_temp, AppHelperContext()).SetupWeekTable(&cells, nullptr, true);
        table->Refresh();
    }
    Layout();

    CScheduleTask* formal = AppServices().GetTask();
    if (!m_temp || !formal) {
        m_resultText = kNoDifferenceText;
        return true;
    }
    m_worker.Start([this, temp = m_temp, formal] { Work(temp, formal); });
    return true;
}

void CCompareTaskDlg::Work(CScheduleTask* temp, CScheduleTask* formal)
{
    const WorkerHook hook = m_workerHook;
    const std::atomic<bool>& stop = m_worker.StopFlag();
    FindTaskDifferences(
        *temp, *formal, &stop,
        [this](const CTaskDifference& difference) { Send(WM_COMPARE_FOUND, 0, zem::ToLParam(&difference)); },
        [&hook, &stop](int index) {
            if (hook)
                hook(index, stop);
        });
    Send(WM_COMPARE_DONE, 0, 0);
}

void CCompareTaskDlg::StopWorker()
{
    m_worker.StopAndWait();
}

zem::LRESULT CCompareTaskDlg::WindowProc(unsigned message, zem::WPARAM, zem::LPARAM lParam)
{
    if (m_worker.IsStopRequested())
        return 0;
    if (message == WM_COMPARE_FOUND) {
        const CTaskDifference& difference = *zem::FromLParam<const CTaskDifference>(lParam);
        m_entries.push_back(difference);
        const QSignalBlocker quiet(m_list);
        m_list->addItem(zem::gui::ToQ(difference.temp->GetName()));
        return 1;
    }
    if (message == WM_COMPARE_DONE) {
        m_compared = true;
        if (m_entries.empty()) {
            m_resultText = kNoDifferenceText;
        } else {
            m_resultText = zem::Format("经比对，当前临时任务中有 %d 张课表和正式任务有差异", static_cast<int>(m_entries.size()));
            EnableItem(IDC_EXPORT, true);
            m_list->setCurrentIndex(0);
            ShowDifference(0);
        }
        update();
        return 1;
    }
    return 0;
}

void CCompareTaskDlg::ShowDifference(int index)
{
    if (index < 0 || index >= static_cast<int>(m_entries.size()) || !m_compared)
        return;
    const CTaskDifference& difference = m_entries[static_cast<std::size_t>(index)];
    CScheduleTask* formal = AppServices().GetTask();
    const auto kind = static_cast<TABLE_TYPE>(difference.kind);
    const CCourseTable* left = TempTable(difference.temp);
    const CCourseTable* right = FormalTable(difference.formal);
    {
        CWeekTableCells cells(m_tempTable);
        CTaskHelper(m_temp, AppHelperContext()).FillWeekTable(&cells, left, kind, false, false, 0, difference.temp->GetId());
    }
    {
        CWeekTableCells cells(m_formalTable);
        CTaskHelper(formal, AppHelperContext())
            .FillWeekTable(&cells, right, kind, false, false, 0, difference.formal->GetId());
    }
    m_tempTable.SetAllCellNormal();
    m_formalTable.SetAllCellNormal();
    const CSchoolStructure& week = m_temp->GetSchoolStructure();
    ForEachSlot(week, [&](const tagTABLE_NODE& cell) {
        if (!formal || !SlotShownDiffers(*m_temp, *left, *formal, *right, cell))
            return;
        const tagTABLE_NODE grid{week.GetWeekOrderByNumber(cell.day), cell.segment, cell.section};
        m_tempTable.SetForbidCell(grid, true);
        m_formalTable.SetForbidCell(grid, true);
    });
    m_tempTable.Refresh();
    m_formalTable.Refresh();
}

void CCompareTaskDlg::RequestExport()
{
    if (!m_receiver || !m_compared)
        return;
    CZemObjectList copies;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        CZemObject* copy = m_entries[i].temp->Clone();
        copy->SetIndex(static_cast<int>(i));
        copies.Add(copy);
    }
    std::string title = kExportTitle;
    zem::SendMessage(m_receiver, WM_EXPORT_DIFF_TABLES, zem::ToWParam(&title), zem::ToLParam(&copies));
}

void CCompareTaskDlg::OnCommand(int id)
{
    if (id == IDC_EXPORT)
        RequestExport();
    else
        Dialog::OnCommand(id);
}

void CCompareTaskDlg::OnCancel()
{
    StopWorker();
    Dialog::OnCancel();
}

void CCompareTaskDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    if (m_list)
        Layout();
}

void CCompareTaskDlg::Layout()
{
    const Rect client(0, 0, width(), height());
    const int rowTop = kDialogBandHeight + 8;
    SetWidgetRect(m_list, Rect(kMargin, rowTop, kMargin + 250, rowTop + 24));
    const int labelTop = rowTop + kRowHeight + 4;
    const int tableTop = labelTop + kRowHeight;
    const int tableBottom = client.bottom - kDialogFooterHeight - kMargin;
    const int middle = client.Width() / 2;
    m_tempLabel = Rect(kMargin, labelTop, middle - kMargin / 2, tableTop);
    m_formalLabel = Rect(middle + kMargin / 2, labelTop, client.right - kMargin, tableTop);
    SetWidgetRect(&m_tempTable, Rect(m_tempLabel.left, tableTop, m_tempLabel.right, tableBottom));
    SetWidgetRect(&m_formalTable, Rect(m_formalLabel.left, tableTop, m_formalLabel.right, tableBottom));
    const int buttonHeight = GetDlgItem(IDC_EXPORT)->height();
    PlaceButtonRow(this, client.bottom - kDialogFooterHeight + (kDialogFooterHeight - buttonHeight) / 2, {},
                   {IDC_EXPORT, zem::IDCANCEL});
    update();
}

void CCompareTaskDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(Rect(0, 0, client.right, kDialogBandHeight), kHeaderColor);
        dc.FillSolidRect(Rect(0, client.bottom - kDialogFooterHeight, client.right, client.bottom), kDialogBandColor);
        dc.SelectFont(CGdiResources::GetInstance()->HeaderFont);
        dc.SetTextColor(0xE8E8E8);
        const auto line = zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER;
        dc.DrawText(m_resultText, Rect(20, 0, client.right - 20, kDialogBandHeight), line | zem::gui::DT_LEFT);
        dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
        dc.SetTextColor(kLabelColor);
        const CScheduleTask* formal = AppServices().GetTask();
        if (m_temp)
            dc.DrawText(zem::Format("临时任务：%s", m_temp->GetTaskInfo().GetTaskName().c_str()), m_tempLabel,
                        line | zem::gui::DT_LEFT);
        if (formal)
            dc.DrawText(zem::Format("正式任务：%s", formal->GetTaskInfo().GetTaskName().c_str()), m_formalLabel,
                        line | zem::gui::DT_RIGHT);
    });
}
