#include "app/data/DataStatisticsDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ReportList.h"

using zem::Rect;
using zem::gui::ReportList;

namespace {

constexpr int kNameWidth = 240;
constexpr int kValueWidth = 260;
constexpr int kRowHeight = 20;

}  // namespace

std::vector<std::pair<std::string, std::string>> CollectDataStatistics(const CScheduleTask& task)
{
    auto count = [](const CZemObjectList& list) { return std::to_string(list.GetCount()); };
    return {
        {"排课任务名称", task.GetTaskInfo().GetTaskName()},
        {"周课时数", std::to_string(task.GetSchoolStructure().GetWeekNodeCount())},
        {"班级", count(task.GetClassInfoList())},
        {"课程", count(task.GetSubjectInfoList())},
        {"教师", count(task.GetTeacherInfoList())},
        {"教师组", count(task.GetTeacherGroupInfoList())},
        {"教室和场地", count(task.GetRoomInfoList())},
        {"教学计划总数", count(task.GetCourseInfoList())},
        {"早读和晚自习总数", count(task.GetSelfStudyInfoList())},
        {"预排课", count(task.GetCoursePresetList())},
        {"合班", count(task.GetCombineCourseList())},
        {"班级固定无课时间", count(task.GetFixedTimeOfClassList())},
        {"课程固定无课时间", count(task.GetFixedTimeOfSubjectList())},
        {"教师固定无课时间", count(task.GetFixedTimeOfTeacherList())},
        {"教师组固定无课时间", count(task.GetFixedTimeOfTeacherGroupList())},
        {"教学计划固定无课时间", count(task.GetFixedTimeOfCourseList())},
        {"互斥教师组", count(task.GetMutexOfTeacherList())},
        {"助教", count(task.GetAssistantList())},
    };
}

CDataStatisticsDlg::CDataStatisticsDlg(QWidget* parent, const CScheduleTask* task)
    : Dialog(parent, "基本数据统计", {300, 250}), m_task(task)
{
}

bool CDataStatisticsDlg::OnInitDialog()
{
    if (!m_task)
        m_task = AppServices().GetTask();
    if (!m_task)
        return false;
    m_list = new ReportList(this);
    m_list->SetHeader(new CSkinHeaderCtrl);
    m_list->setShowGrid(true);
    m_list->SetRowHeight(kRowHeight);
    m_list->SetSingleSelection(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->InsertColumn(0, "项目", ReportList::Align::Left, kNameWidth);
    m_list->InsertColumn(1, "值", ReportList::Align::Left, kValueWidth);
    AddControl(IDC_LIST, m_list);
    for (const auto& [name, value] : CollectDataStatistics(*m_task)) {
        const int row = m_list->InsertItem(m_list->GetItemCount(), name);
        m_list->SetItemText(row, 1, value);
    }
    m_list->setCurrentIndex(QModelIndex());

    // Sized so that every line and both columns show without scrolling.
    const auto& u = Units();
    const int margin = u.X(7);
    const int buttonHeight = u.Y(14);
    const int listWidth = kNameWidth + kValueWidth + 4;
    const int listHeight = CSkinHeaderCtrl::kHeight + m_list->GetItemCount() * kRowHeight + 4;
    resize(2 * margin + listWidth + 2, margin + listHeight + 3 + margin + buttonHeight + margin);
    const int buttonTop = height() - margin - buttonHeight;
    m_listFrame = Rect(margin, margin, width() - margin, buttonTop - margin);
    SetWidgetRect(m_list, Rect(m_listFrame.left + 1, m_listFrame.top + 1, m_listFrame.right - 1, m_listFrame.bottom - 2));
    AddHoverButton(this, zem::IDCANCEL, "关闭(&C)")->setDefault(true);
    PlaceButtonRow(this, buttonTop, {}, {zem::IDCANCEL});
    return true;
}

void CDataStatisticsDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        DrawFramedBox(dc, m_listFrame, true);
    });
}
