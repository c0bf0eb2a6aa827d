#include "app/data/SelfStudyListPage.h"

#include "app/shared/Vocabulary.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <QPalette>

#include <charconv>
#include <cstdlib>

using zem::gui::ReportList;

namespace {

struct KindTotals {
    CWeekCount reading;
    CWeekCount selfStudy;
};

template <class Counts>
KindTotals TotalsOf(const Counts& counts)
{
    KindTotals totals;
    for (const auto& each : counts)
        (each.kind == CSelfStudyListPage::kSelfStudy ? totals.selfStudy : totals.reading) += each.count;
    return totals;
}

}  // namespace

std::string SelfStudyKindOf(const std::string& text)
{
    return text.find("晚") != std::string::npos ? CSelfStudyListPage::kSelfStudy : CSelfStudyListPage::kReading;
}

CSelfStudyListPage::CSelfStudyListPage(QWidget* parent) : CPlanListPage(parent)
{
    m_title = "早读和晚自习信息列表";
    m_importTitle = "早读和晚自习信息";
    m_col = {2, 3, 1, 4, 5, 6, 7};
    m_what = "早读和晚自习";
    m_logTag = "selfstudy list";
    m_selfStudy = true;
    m_newClassStudents = 40;
    m_newRoomCapacity = 50;
    m_kindNames = {kReading, kSelfStudy};
}

void CSelfStudyListPage::InitColumns()
{
    CBasicDataPage::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(m_col.kind, "类型", ReportList::Align::Left, 55);
    list->InsertColumn(m_col.course, "课程", ReportList::Align::Left, 160);
    list->InsertColumn(m_col.teacher, "教师", ReportList::Align::Left, 90);
    list->InsertColumn(m_col.weekCount, "周课时数", ReportList::Align::Center, 60);
    list->InsertColumn(m_col.nodes, "连课", ReportList::Align::Center, 40);
    list->InsertColumn(m_col.times, "次数", ReportList::Align::Center, 40);
    list->InsertColumn(m_col.room, "指定教室", ReportList::Align::Left, 65);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, QColor(248, 248, 248));
    list->setPalette(palette);
}

CZemObjectList& CSelfStudyListPage::TaskPlans(CScheduleTask& task) const
{
    return task.GetSelfStudyInfoList();
}

std::string CSelfStudyListPage::KindText(const CCourseInfo& plan) const
{
    return GetCourseKindName(plan.GetType());
}

std::string CSelfStudyListPage::RepeatKind(const std::string& kind) const
{
    return SelfStudyKindOf(kind);
}

void CSelfStudyListPage::SetKind(CCourseInfo& plan, const std::string& text) const
{
    plan.SetType(static_cast<_CourseType>(ParseCourseKind(text)));
}

int CSelfStudyListPage::ReadingSlots() const
{
    CScheduleTask* task = Task();
    return task ? task->GetSchoolStructure().GetWeekNodeCountOfReading() : 0;
}

int CSelfStudyListPage::SelfStudySlots() const
{
    CScheduleTask* task = Task();
    return task ? task->GetSchoolStructure().GetWeekNodeCountOfSelfStudy() : 0;
}

void CSelfStudyListPage::SetCardTotals(int card, const std::vector<KindCount>& counts)
{
    const KindTotals totals = TotalsOf(counts);
    const bool over = totals.reading > CWeekCount(ReadingSlots(), false) ||
                      totals.selfStudy > CWeekCount(SelfStudySlots(), false);
    GetCards()->SetItemInfo(card, static_cast<int>(counts.size()),
                            totals.reading.ToString() + "," + totals.selfStudy.ToString(), over);
}

std::string CSelfStudyListPage::StatusText()
{
    std::vector<KindCount> counts;
    for (int row = 0; GetList() && row < GetList()->GetItemCount(); ++row)
        counts.push_back({GetList()->GetItemText(row, m_col.kind), CWeekCount(GetList()->GetItemText(row, m_col.weekCount))});
    const KindTotals totals = TotalsOf(counts);
    m_statusWarning = totals.reading > CWeekCount(ReadingSlots(), false) ||
                      totals.selfStudy > CWeekCount(SelfStudySlots(), false);
    return zem::Format("可用早读 %d 节，晚自习 %d 节。%s 当前已用早读 %s 节，晚自习 %s 节", ReadingSlots(),
                       SelfStudySlots(), m_className.c_str(), totals.reading.ToString().c_str(),
                       totals.selfStudy.ToString().c_str());
}

bool CSelfStudyListPage::WriteRow(int row, bool, const CPageRow& cells, CPageNotify& notify)
{
    // A count that is no number would stay in the row and be saved as 0.
    CWeekCount count;
    if (!ParseWeekCountText(cells[4], &count))
        return Refuse(&notify, zem::Format("周课时数无效: %s", cells[4].c_str()), true);
    ReportList* list = GetList();
    list->SetItemText(row, m_col.kind, SelfStudyKindOf(cells[1]));
    list->SetItemText(row, m_col.course, cells[2]);
    list->SetItemText(row, m_col.teacher, cells[3]);
    list->SetItemText(row, m_col.weekCount, count.ToString());
    list->SetItemText(row, m_col.nodes, FormatContinuityCount(std::atoi(std::string(zem::Trim(cells[5])).c_str())));
    list->SetItemText(row, m_col.times, FormatContinuity(std::atoi(std::string(zem::Trim(cells[6])).c_str())));
    list->SetItemText(row, m_col.room, cells[7]);
    return true;
}

std::string CSelfStudyListPage::BudgetLine(const std::string& className, const std::string& note) const
{
    // The note is "reading,self-study".
    return zem::Format("%s（早读 %s）\r\n", className.c_str(), zem::ReplaceAll(note, ",", ", 晚自习 ").c_str());
}

std::string CSelfStudyListPage::BudgetQuestion(const std::string& firstClass, int flagged,
                                               const std::string& lines) const
{
    return zem::Format("教学时间中设置的全校可用早读为 %d 节，晚自习为 %d 节\r\n当前早读和晚自习列表中 %s "
                       "等%d个班级的早读或晚自习周课时数已超出\r\n%s\r\n点击“确定”按钮继续保存\r\n"
                       "点击“取消”按钮取消保存，去检查这些班级的周课时数",
                       ReadingSlots(), SelfStudySlots(), firstClass.c_str(), flagged, lines.c_str());
}
