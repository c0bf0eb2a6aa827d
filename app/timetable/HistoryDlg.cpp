#include "app/timetable/HistoryDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "app/timetable/OperationHistory.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ReportList.h"

#include <QEvent>

using zem::gui::ReportList;

CHistoryDlg::CHistoryDlg(QWidget* parent) : Dialog(parent, "历史记录", {501, 100})
{
    // A tool window over its container that never takes the focus from the timetable.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setModal(false);
}

bool CHistoryDlg::OnInitDialog()
{
    m_list = new ReportList(this);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->SetSingleSelection(true);
    m_list->setShowGrid(true);
    m_list->SetHeader(new CSkinHeaderCtrl);
    m_list->InsertColumn(0, "序号", ReportList::Align::Left, 0);
    m_list->InsertColumn(1, "时间", ReportList::Align::Left, 140);
    m_list->InsertColumn(2, "班级", ReportList::Align::Left, 100);
    m_list->InsertColumn(3, "操作", ReportList::Align::Left, 100);
    m_list->InsertColumn(4, "描述", ReportList::Align::Left, 380);
    // The rows are as high as the list's 20-pixel state images.
    m_list->SetRowHeight(20);
    AddControl(IDC_LIST, m_list);
    Layout();
    return true;
}

void CHistoryDlg::Layout()
{
    if (m_list)
        SetWidgetRect(m_list, zem::Rect(3, 0, width() - 3, height() - 3));
}

void CHistoryDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

bool CHistoryDlg::event(QEvent* event)
{
    // Activated anyway (by the window manager): the focus goes back to the timetable.
    if (event->type() == QEvent::WindowActivate && parentWidget())
        parentWidget()->activateWindow();
    return Dialog::event(event);
}

zem::LRESULT CHistoryDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message != WM_HISTORY_CHANGED || !wParam || !m_list)
        return 0;
    const auto& records = *zem::FromWParam<const COperationHistory::Records>(wParam);
    const int index = static_cast<int>(lParam);
    const int count = static_cast<int>(records.size());
    CScheduleTask* task = m_task ? m_task : AppServices().GetTask();
    for (int i = 0; i < count; ++i) {
        const CScheduleOperation& record = *records[static_cast<std::size_t>(i)];
        if (m_list->GetItemCount() < i + 1)
            m_list->InsertItem(i, "");
        m_list->SetItemText(i, 1, record.GetTime());
        m_list->SetItemText(i, 2, task ? task->GetClassNameA(record.GetClassId()) : std::string());
        m_list->SetItemText(i, 3, record.GetName());
        m_list->SetItemText(i, 4, record.GetDescription());
    }
    while (m_list->GetItemCount() > count)
        m_list->DeleteItem(m_list->GetItemCount() - 1);
    m_shownIndex = index >= 0 && index < count ? index : -1;
    for (int i = 0; i < count; ++i)
        m_list->SetItemColors(i, IsRowUndone(i) ? kUndoneColor : ReportList::kDefaultColor);
    if (m_shownIndex >= 0)
        m_list->EnsureVisible(m_shownIndex);
    return 0;
}
