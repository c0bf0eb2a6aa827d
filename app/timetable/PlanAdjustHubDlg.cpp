#include "app/timetable/PlanAdjustHubDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/HyperLink.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QLabel>
#include <QPalette>

using zem::Rect;
using zem::gui::ToQ;

namespace {

constexpr int kHeaderHeight = 48;
constexpr int kFooterHeight = 40;

struct Tool {
    int id;
    const char* caption;
    const char* description;
};

const Tool kTools[] = {
    {CPlanAdjustHubDlg::IDC_ADJUST_TEACHER, "调整任课教师", "为一个或多个教学计划指定新的任课教师"},
    {CPlanAdjustHubDlg::IDC_ADJUST_ROOM, "调整教室和场地", "为一个或多个教学计划指定新的教室或取消教室"},
    {CPlanAdjustHubDlg::IDC_SWAP_TEACHER, "交换任课教师", "交换两个老师的全部或部分教学计划"},
    {CPlanAdjustHubDlg::IDC_SPLIT_PLAN, "拆分教学计划", "把一个教学计划分拆成不同的课程\n例如：一周5节体育课，把其中2节改为足球"},
};

QLabel* AddText(zem::gui::Dialog* dialog, int id, const char* text, zem::COLORREF color, const Rect& rect)
{
    auto* label = new QLabel(ToQ(text), dialog);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, zem::gui::ToQColor(color));
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetWidgetRect(label, rect);
    dialog->AddControl(id, label);
    return label;
}

}  // namespace

CPlanAdjustHubDlg::CPlanAdjustHubDlg(QWidget* parent) : Dialog(parent, "教学计划调整", {300, 180})
{
}

bool CPlanAdjustHubDlg::OnInitDialog()
{
    const CGdiResources* gdi = CGdiResources::GetInstance();
    QLabel* title = AddText(this, IDC_TITLE, "教学计划调整", zem::RGB(255, 255, 255),
                            Rect(Units().X(12), 0, width() - Units().X(12), kHeaderHeight));
    title->setFont(gdi->HeaderFont.GetQFont());

    // Rows of 28 units below the band; the last description takes two lines.
    int top = 38;
    for (const Tool& tool : kTools) {
        CHoverButton* button = AddHoverButton(this, tool.id, tool.caption);
        SetWidgetRect(button, UnitsRect(12, top, 78, 18));
        AddText(this, DescriptionId(tool.id), tool.description, kDescriptionColor, UnitsRect(98, top - 3, 196, 24));
        top += 28;
    }

    const int footerTop = height() - kFooterHeight;
    AddText(this, IDC_NOTE, "这里的调整结果会自动同步到整个系统，包括基本数据和课表", zem::RGB(0, 0, 0),
            Rect(Units().X(12), footerTop, width() - Units().X(60), height()));
    auto* history = new CHyperLink(this);
    history->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    history->Create("历史记录", Rect(width() - Units().X(60), footerTop, width() - Units().X(12), height()), this,
                    IDC_HISTORY);
    history->SetURL("");  // a text command of this dialog, not an address
    history->SetBkColor(gdi->m_dialogBrush);
    return true;
}

void CPlanAdjustHubDlg::OnCommand(int id)
{
    for (const Tool& tool : kTools) {
        if (tool.id == id) {
            if (!IsItemEnabled(id))
                return;
            m_nResult = id - IDC_ADJUST_TEACHER;
            EndDialog(zem::IDOK);
            return;
        }
    }
    Dialog::OnCommand(id);
}

zem::LRESULT CPlanAdjustHubDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM)
{
    // The history opens over the hub, which stays open.
    if (message == WM_QUICK_TOOL && wParam == IDC_HISTORY)
        ShowAdjustmentHistory(this);
    return 0;
}

void CPlanAdjustHubDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [](zem::gui::DC& dc, const Rect& client) {
        const CGdiResources* gdi = CGdiResources::GetInstance();
        dc.FillSolidRect(client, gdi->m_whiteBrush);
        dc.FillSolidRect(Rect(0, 0, client.right, kHeaderHeight), gdi->m_headerBrush);
        dc.FillSolidRect(Rect(0, client.bottom - kFooterHeight, client.right, client.bottom), gdi->m_dialogBrush);
    });
}
