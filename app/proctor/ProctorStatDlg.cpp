#include "app/proctor/ProctorStatDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SortListCtrl.h"
#include "app/shared/AppServices.h"
#include "app/shared/Strings.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "platform/gui/DC.h"

using zem::Rect;
using Align = zem::gui::ReportList::Align;

namespace {

// The rows of the list's 20 x 20 images.
constexpr int kRowHeight = 20;

}  // namespace

CProctorStatDlg::CProctorStatDlg(QWidget* parent) : Dialog(parent, "教师监考统计", {270, 250}) {}

CProctorStatDlg::~CProctorStatDlg()
{
    m_worker.StopAndWait();
}

bool CProctorStatDlg::OnInitDialog()
{
    SetCaption("教师监考统计");
    m_list = new CSortListCtrl(this);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setShowGrid(true);
    m_list->SetRowHeight(kRowHeight);
    m_list->InsertColumn(0, "", Align::Left, 0);
    m_list->InsertColumn(1, "教师", Align::Center, 220);
    m_list->InsertColumn(2, "监考场次", Align::Center, 160);
    m_list->SetColumnType(2, CSortListCtrl::COLUMN_NUMERIC);
    AddControl(IDC_LIST, m_list);
    const int buttonsTop = height() - kDialogBandHeight;
    m_listFrame = Rect(Units().X(7), Units().Y(7), width() - Units().X(7), buttonsTop - Units().Y(7));
    SetWidgetRect(m_list, Rect(m_listFrame.left + 1, m_listFrame.top + 1, m_listFrame.right - 1, m_listFrame.bottom - 1));
    AddHoverButton(this, zem::IDOK, "关闭")->setDefault(true);
    PlaceButtonRow(this, buttonsTop + (kDialogBandHeight - Units().Y(14)) / 2, {}, {zem::IDOK});

    m_list->DeleteAllItems();
    const CScheduleProctor* proctor = m_proctor;
    const CScheduleTask* task = AppServices().GetTask();
    m_worker.Start([this, proctor, task] {
        if (proctor && task) {
            const CProctorData& data = proctor->data();
            for (const std::string& id : data.GetTeacherArray()) {
                if (m_worker.IsStopRequested())
                    break;
                // An id that names no teacher of the task any more is left out, as the page's list does.
                if (!task->GetTeacher(id))
                    continue;
                CProctorStatRow row{id, task->GetTeacherName(id), 0};
                for (const auto& item : data.GetProctorList())
                    row.count += StringArrayContainsNoCase(item->teachers, id) ? 1 : 0;
                Send(WM_PROCTOR_STAT_ROW, 0, zem::ToLParam(&row));
            }
        }
        Send(WM_PROCTOR_STAT_DONE, 0, 0);
    });
    return true;
}

zem::LRESULT CProctorStatDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_PROCTOR_STAT_ROW && !m_worker.IsStopRequested()) {
        const auto* row = zem::FromLParam<const CProctorStatRow>(lParam);
        const int at = m_list->InsertItem(m_list->GetItemCount(), row->teacherId);
        m_list->SetItemText(at, 1, row->name);
        m_list->SetItemText(at, 2, IntToString(row->count));
        return 0;
    }
    if (message == WM_PROCTOR_STAT_DONE) {
        m_done = true;
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

void CProctorStatDlg::paintEvent(QPaintEvent*)
{
    PaintButtonBandDialog(this, {m_listFrame});
}
