#include "app/shell/PartialRescheduleDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/shell/AutoScheduleStartDlg.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shared/AppServices.h"
#include "app/shell/ShellBitmaps.h"
#include "base/ScheduleTask.h"
#include "core/Core.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

#include <QCheckBox>
#include <QHeaderView>

using zem::Rect;

CPartialRescheduleDlg::CPartialRescheduleDlg(QWidget* parent) : Dialog(parent, "部分自动重排", {346, 198}) {}

std::string CPartialRescheduleDlg::MakeKindsText(bool common, bool morningReading, bool selfStudy)
{
    if (common && morningReading && selfStudy)
        return "所有课程";
    std::string text;
    if (common)
        text += "常规";
    if (morningReading)
        text += "早读";
    if (selfStudy)
        text += "晚自习";
    return text;
}

bool CPartialRescheduleDlg::OnInitDialog()
{
    RegisterShellBitmaps();
    const auto& u = Units();
    const zem::gui::Font& font = CGdiResources::GetInstance()->NormalFont;
    // The second line of the text is long: it starts close to the picture.
    m_pictureRect = UnitsRect(7, 10, 24, 24);
    m_textRect = UnitsRect(36, 11, 303, 24);
    m_countRect = UnitsRect(190, 48, 149, 12);
    m_listFrame = UnitsRect(36, 64, 303, 92);

    CHoverButton* choose = AddHoverButton(this, IDC_CHOOSE_CLASSES, "点此选择班级范围");
    SetWidgetSize(choose, u.X(90), u.Y(15));
    SetWidgetTopLeft(choose, m_listFrame.left, u.Y(46));

    m_list = new zem::gui::ReportList(this);
    m_list->InsertColumn(0, "班级", zem::gui::ReportList::Align::Left, m_listFrame.Width() - 40);
    m_list->horizontalHeader()->setVisible(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setShowGrid(false);
    m_list->setFont(font.GetQFont());
    Rect list = m_listFrame;
    list.DeflateRect(5);
    SetWidgetRect(m_list, list);
    AddControl(IDC_CLASS_LIST, m_list);

    const int bandTop = height() - kBottomStrip;
    const int boxTop = bandTop + (kBottomStrip - u.Y(12)) / 2;
    auto addBox = [&](int id, const char* text, int left) {
        auto* box = new QCheckBox(zem::gui::ToQ(text), this);
        box->setFont(font.GetQFont());
        box->setChecked(true);
        box->adjustSize();
        SetWidgetTopLeft(box, left, boxTop);
        AddControl(id, box);
        return box;
    };
    m_common = addBox(IDC_COMMON, "常规", m_listFrame.left);
    m_morningReading = addBox(IDC_MORNING_READING, "早读", m_common->geometry().right() + u.X(12));
    m_selfStudy = addBox(IDC_SELF_STUDY, "晚自习", m_morningReading->geometry().right() + u.X(12));

    CHoverButton* ok = AddHoverButton(this, zem::IDOK, "开始部分重排");
    SetWidgetSize(ok, u.X(80), u.Y(16));
    SetWidgetTopLeft(ok, width() - u.X(7) - ok->width(), bandTop + (kBottomStrip - ok->height()) / 2);
    ok->setDefault(true);
    FillClassList();
    return true;
}

std::string CPartialRescheduleDlg::GetCountText() const
{
    return zem::Format("已选择 %d 个班级", m_list ? m_list->GetItemCount() : 0);
}

void CPartialRescheduleDlg::OnCommand(int id)
{
    if (id == IDC_CHOOSE_CLASSES) {
        ChooseClasses();
        return;
    }
    Dialog::OnCommand(id);
}

bool CPartialRescheduleDlg::ChooseClasses()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return false;
    CMultiSelectDlg chooser(this);
    chooser.SetItems(&task->GetClassInfoList());
    chooser.m_caption = "选择进行自动排课的班级";
    chooser.m_preChecked = m_chosenIds;
    if (chooser.DoModal() != zem::IDOK)
        return false;
    m_chosenIds = chooser.GetChosenIds();
    FillClassList();
    return true;
}

void CPartialRescheduleDlg::FillClassList()
{
    if (!m_list)
        return;
    m_list->DeleteAllItems();
    const CScheduleTask* task = AppServices().GetTask();
    for (const std::string& id : m_chosenIds)
        m_list->InsertItem(m_list->GetItemCount(), task ? task->GetClassNameA(id) : id);
    update(m_countRect.left, m_countRect.top, m_countRect.Width(), m_countRect.Height());
}

void CPartialRescheduleDlg::OnOK()
{
    if (m_chosenIds.empty() && (!ChooseClasses() || m_chosenIds.empty()))
        return;
    if (!m_pRange)
        return;
    const bool common = m_common->isChecked();
    const bool morningReading = m_morningReading->isChecked();
    const bool selfStudy = m_selfStudy->isChecked();
    m_pRange->SetClass(m_chosenIds);
    m_pRange->SetType(morningReading, common, selfStudy);
    if (m_pRange->IsTypeNull()) {
        zem::ShowMessage("常规、早读和晚自习中，您必须至少选择一种类型", "提示", zem::MessageIcon::Information);
        return;
    }
    zem::MessageRequest question;
    question.text = zem::Format("您选中的 %d 个班级的 %s 将重新自动排课\n现有相关课表数据会被新的自动排课结果覆盖\n\n确定要继续吗",
                                m_pRange->GetClassCount(), MakeKindsText(common, morningReading, selfStudy).c_str());
    question.caption = "自动排课";
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::OkCancel;
    if (zem::ShowMessage(question) == zem::IDOK)
        EndDialog(zem::IDOK);
}

void CPartialRescheduleDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        DrawRunWelcome(dc, client, kBottomStrip, m_pictureRect, IDB_PICTURE, m_textRect, kWelcomeText);
        dc.SetTextColor(zem::RGB(0x9C, 0x9C, 0x9C));
        dc.DrawText(GetCountText(), m_countRect, zem::gui::DT_RIGHT | zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER);
        dc.Draw3dRect(m_listFrame, zem::RGB(156, 182, 197), zem::RGB(156, 182, 197));
        const int lineY = m_textRect.bottom + 9;
        dc.FillSolidRect(Rect(0, lineY, client.right, lineY + 1), zem::RGB(0xF0, 0xF0, 0xF0));
    });
}
