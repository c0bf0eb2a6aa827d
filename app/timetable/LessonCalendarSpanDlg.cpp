#include "app/timetable/LessonCalendarSpanDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/output/workbook/LessonCalendarWorkbook.h"
#include "platform/Hooks.h"

#include <QDateEdit>

using std::chrono::year_month_day;

namespace {

QDate ToQDate(const year_month_day& date)
{
    return QDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                 static_cast<int>(static_cast<unsigned>(date.day())));
}

year_month_day DateOf(const QDate& date)
{
    return year_month_day{std::chrono::year(date.year()), std::chrono::month(static_cast<unsigned>(date.month())),
                          std::chrono::day(static_cast<unsigned>(date.day()))};
}

}  // namespace

CLessonCalendarSpanDlg::CLessonCalendarSpanDlg(QWidget* parent) : Dialog(parent, "生成课时统计表", {170, 90}) {}

bool CLessonCalendarSpanDlg::OnInitDialog()
{
    if (!m_firstDate.ok() || !m_lastDate.ok()) {
        const zem::LocalTime now = zem::Now();
        const std::chrono::year_month month{std::chrono::year(now.year), std::chrono::month(static_cast<unsigned>(now.month))};
        m_firstDate = month / std::chrono::day(1);
        m_lastDate = month / std::chrono::last;
    }
    const auto& u = Units();
    const int margin = u.X(7);
    CFieldRows rows(this, {margin, u.Y(10), width() - margin, 42, 6});
    for (const auto& [id, label, date] : {std::tuple{IDC_FIRST, "开始日期", m_firstDate}, {IDC_LAST, "结束日期", m_lastDate}}) {
        auto* edit = new QDateEdit(ToQDate(date), this);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat("yyyy年MM月dd日");
        rows.Add(label, id, edit);
    }
    AddHoverButton(this, zem::IDOK, "确定")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    const int contentBottom = rows.Bottom() + u.Y(10);
    PlaceButtonRow(this, contentBottom + (kDialogBandHeight - u.Y(14)) / 2, {}, {zem::IDOK, zem::IDCANCEL});
    setFixedSize(width(), contentBottom + kDialogBandHeight);
    return true;
}

void CLessonCalendarSpanDlg::OnOK()
{
    const year_month_day first = DateOf(Item<QDateEdit>(IDC_FIRST)->date());
    const year_month_day last = DateOf(Item<QDateEdit>(IDC_LAST)->date());
    std::string refusal;
    if (!CheckLessonCalendarSpan(first, last, refusal)) {
        zem::ShowMessage(refusal, "提示", zem::MessageIcon::Warning);
        return;
    }
    m_firstDate = first;
    m_lastDate = last;
    EndDialog(zem::IDOK);
}

void CLessonCalendarSpanDlg::paintEvent(QPaintEvent*)
{
    PaintButtonBandDialog(this);
}
