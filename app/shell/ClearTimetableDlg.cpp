#include "app/shell/ClearTimetableDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/shared/SaveFailure.h"
#include "base/ChangeCheck.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/QtText.h"

#include <QLabel>
#include <QPalette>

using zem::Rect;
using zem::gui::ToQ;

namespace {

constexpr int kHeaderHeight = 80;
constexpr int kFooterHeight = 52;
constexpr zem::COLORREF kScopeTextColor = zem::RGB(255, 255, 240);

}  // namespace

CClearTimetableDlg::CClearTimetableDlg(QWidget* parent)
    : Dialog(parent, "一键清除课表数据", {300, 178}), m_timers([this](int id) { OnTimer(id); })
{
}

bool CClearTimetableDlg::OnInitDialog()
{
    CGdiResources* gdi = CGdiResources::GetInstance();
    auto headerText = [this](int id, const char* text, const Rect& r, bool bold) {
        QLabel* label = AddLabel(this, text, r, id);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(palette);
        if (bold)
            label->setFont(CGdiResources::GetInstance()->HeaderFont.GetQFont());
    };
    headerText(IDC_TITLE, "一键清除课表数据", UnitsRect(12, 7, 276, 12), true);
    headerText(IDC_HINT1, "清除所选范围内已经排好的课，基本数据和排课条件保持不变", UnitsRect(12, 23, 276, 9), false);
    headerText(IDC_HINT2, "清除前会自动备份当前排课任务", UnitsRect(12, 34, 276, 9), false);

    AddHoverButton(this, IDC_SCOPE, "选择清除范围", UnitsRect(12, 58, 70, 15));
    m_scopeText = AddLabel(this, "", UnitsRect(88, 56, 200, 60), IDC_SCOPE_TEXT);
    m_scopeText->setFont(gdi->NormalFont.GetQFont());
    m_scopeText->setWordWrap(true);
    m_scopeText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scopeText->setMargin(4);
    m_scopeText->setAutoFillBackground(true);
    QPalette palette = m_scopeText->palette();
    palette.setColor(QPalette::Window, zem::gui::ToQColor(kScopeTextColor));
    m_scopeText->setPalette(palette);

    auto* clear = new CHoverButton(this);
    clear->CreateButton(this, "点击这里清除课表数据", IDC_CLEAR);
    clear->SetBkColor(zem::RGB(255, 255, 200));
    SetWidgetRect(clear, UnitsRect(88, 124, 120, 18));
    AddHoverButton(this, zem::IDCANCEL, "关闭");

    const int buttonHeight = Units().Y(14);
    PlaceButtonRow(this, height() - kFooterHeight + (kFooterHeight - buttonHeight) / 2, {}, {zem::IDCANCEL});
    UpdateScopeText();

    m_clearCaption = "点击这里清除课表数据";
    EnableItem(IDC_CLEAR, false);
    m_countdown = kCountdownStart;
    m_timers.SetTimer(kCountdownTimer, 1000);
    return true;
}

void CClearTimetableDlg::OnTimer(int id)
{
    if (id != kCountdownTimer)
        return;
    --m_countdown;
    if (m_countdown >= 1) {
        SetDlgItemText(IDC_CLEAR, zem::Format("%s(%d)", m_clearCaption.c_str(), m_countdown));
        return;
    }
    m_timers.KillTimer(kCountdownTimer);
    SetDlgItemText(IDC_CLEAR, m_clearCaption);
    EnableItem(IDC_CLEAR, true);
}

std::string CClearTimetableDlg::BuildScopeText() const
{
    if (m_scope == CTaskHelper::kClearAll)
        return "当前范围：所有课表数据";
    CScheduleTask* task = AppServices().GetTask();
    static const char* const kKinds[] = {"", "（按班级）", "（按教师）", "（按教室和场地）"};
    std::string text = std::string("当前范围") + kKinds[m_scope] + "：";
    bool first = true;
    for (const std::string& id : m_chosenIds) {
        CZemObject* object = nullptr;
        if (task)
            object = m_scope == CTaskHelper::kClearClasses     ? static_cast<CZemObject*>(task->GetClass(id))
                     : m_scope == CTaskHelper::kClearTeachers ? static_cast<CZemObject*>(task->GetTeacher(id))
                                                : static_cast<CZemObject*>(task->GetRoom(id));
        if (!object)
            continue;
        text += (first ? "" : "，") + object->GetName();
        first = false;
    }
    return text;
}

void CClearTimetableDlg::UpdateScopeText()
{
    m_scopeText->setText(ToQ(BuildScopeText()));
}

void CClearTimetableDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_SCOPE:
        return OnScopeMenu();
    case IDC_CLEAR:
        return OnClear();
    default:
        Dialog::OnCommand(id);
    }
}

void CClearTimetableDlg::OnScopeMenu()
{
    const std::vector<zem::gui::MenuItem> items = {{ID_SCOPE_ALL, "所有课表"},
                                                   {ID_SCOPE_CLASS, "按班级..."},
                                                   {ID_SCOPE_TEACHER, "按教师..."},
                                                   {ID_SCOPE_ROOM, "按教室和场地..."}};
    QWidget* button = GetDlgItem(IDC_SCOPE);
    const QPoint corner = button->mapToGlobal(QPoint(0, button->height()));
    switch (zem::gui::TrackPopupMenu(this, items, zem::Point(corner.x(), corner.y()))) {
    case ID_SCOPE_ALL:
        m_scope = CTaskHelper::kClearAll;
        UpdateScopeText();
        break;
    case ID_SCOPE_CLASS:
        ChooseObjects(CTaskHelper::kClearClasses);
        break;
    case ID_SCOPE_TEACHER:
        ChooseObjects(CTaskHelper::kClearTeachers);
        break;
    case ID_SCOPE_ROOM:
        ChooseObjects(CTaskHelper::kClearRooms);
        break;
    default:
        break;
    }
}

void CClearTimetableDlg::ChooseObjects(int scope)
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return;
    CMultiSelectDlg dialog(this);
    dialog.m_caption = "选择要清除的课表";
    dialog.SetItems(scope == CTaskHelper::kClearClasses     ? &task->GetClassInfoList()
                    : scope == CTaskHelper::kClearTeachers ? &task->GetTeacherInfoList()
                                            : &task->GetRoomInfoList());
    dialog.m_preChecked = m_chosenIds;
    if (dialog.DoModal() != zem::IDOK)
        return;
    m_scope = scope;
    m_chosenIds = dialog.GetChosenIds();
    UpdateScopeText();
}

void CClearTimetableDlg::OnClear()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task || !IsItemEnabled(IDC_CLEAR))
        return;
    zem::MessageRequest question;
    // The clearing is undone only through the backup made below: say where to find it.
    question.text = "清除前会自动备份当前排课任务，清除后可以用“恢复排课任务”从备份“清除课表数据前”找回。"
                    "\n\n确定要清除吗？";
    question.caption = "警告";
    question.icon = zem::MessageIcon::Warning;
    question.buttons = zem::MessageButtons::OkCancel;
    question.defaultAnswer = zem::IDCANCEL;
    if (zem::ShowMessage(question) != zem::IDOK)
        return;
    // Nothing is removed without a copy to come back to.
    if (!task->AutoBackup(true, "清除课表数据前", false)) {
        zem::ShowMessage("清除前无法备份当前排课任务，课表数据没有清除", "提示", zem::MessageIcon::Error);
        return;
    }
    CTaskHelper helper(task);
    helper.RestoreTempTables();
    const CChangeCheck check(*task, false);
    helper.ClearTimetables(m_scope, m_chosenIds);
    // The clear goes on as asked; every rule it leaves broken (a preset lesson taken off its
    // slot) is said with it, each, for the user to put back or leave to the next run.
    const ChangeFindings findings = check.FindingsInWorkingTables();
    // A failed save says why; the dialog stays so that nothing looks done.
    if (!SaveSayingWhy([&helper] { return helper.SaveTempTables(); }, NotSavedText("清除后的课表"),
                       kCheckTaskFolderReason))
        return;
    ShowMessage(findings.IsClean() ? std::string("清除完成")
                                   : "清除完成\n\n清除后以下课程违反了排课规则：\n" + findings.SaidEvery());
    EndDialog(zem::IDOK);
}

void CClearTimetableDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        const CGdiResources* gdi = CGdiResources::GetInstance();
        dc.FillSolidRect(client, gdi->m_whiteBrush);
        dc.FillSolidRect(Rect(0, 0, client.right, kHeaderHeight), gdi->m_headerBrush);
        dc.FillSolidRect(Rect(0, client.bottom - kFooterHeight, client.right, client.bottom), gdi->m_dialogBrush);
    });
}
