#include "app/data/AddPlanDlg.h"
#include "app/data/PlanListPage.h"

#include "app/shared/AppServices.h"
#include "app/controls/Bitmaps.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/Strings.h"
#include "app/controls/TipWnd.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "base/WeekCount.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

#include <algorithm>

using zem::Rect;
using zem::gui::FromQ;
using zem::gui::ToQ;

namespace {

constexpr int kPictureBox = 96;
constexpr int kPlanPicture = 180;  // the program's picture of the plans, registered at start
constexpr const char* kWarningText =
    "提示：当前计划已排课！\n直接修改教师或教室可能会导致课表冲突\n如果需要修改教师或教室，推荐使用第5页的教学计划调整工具\n";

enum PickerKind { kPickClass, kPickCourse, kPickTeacher };

// The small button beside a drop-down list that opens its picker.
class CPickerButton : public CHoverButton {
public:
    explicit CPickerButton(QWidget* parent) : CHoverButton(parent) {}

protected:
    void DrawBackground(zem::gui::DC& dc, const Rect& inner) override
    {
        CHoverButton::DrawBackground(dc, inner);
        DrawCenteredBitmap(&dc, inner, IDB_PICKER_BUTTON);
    }
};

int ToInt(const std::string& text)
{
    int value = 0;
    const std::string trimmed(zem::Trim(text));
    bool negative = false;
    std::size_t i = 0;
    if (i < trimmed.size() && (trimmed[i] == '-' || trimmed[i] == '+'))
        negative = trimmed[i++] == '-';
    for (; i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9' && value < 100000; ++i)
        value = value * 10 + (trimmed[i] - '0');
    return negative ? -value : value;
}

}  // namespace

CAddPlanDlg::CAddPlanDlg(CTeacherChangeGuard* guard, QWidget* parent)
    : Dialog(parent, "添加教学计划信息", {270, 150}), m_guard(guard)
{
}

CAddPlanDlg::~CAddPlanDlg()
{
    if (!m_tipShown)
        return;
    if (CTipWnd* tip = AppServices().GetTipWnd())
        tip->hide();
}

bool CAddPlanDlg::OnInitDialog()
{
    SetCaption(std::string(m_modify ? "修改" : "添加") + (m_selfStudy ? "早读和晚自习信息" : "教学计划信息"));
    AddHoverButton(this, zem::IDOK, m_modify ? "保存(&S)" : "添加(&A)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, m_modify ? "取消(&C)" : "关闭(&C)");

    const auto& u = Units();
    const int margin = u.X(7);
    CFieldRows rows(this, {margin + kPictureBox + u.X(10), margin, width() - margin, 42, 5});
    auto addRow = [&](const char* label, int labelId, int id, QWidget* control, int buttonId = 0) {
        rows.Add(label, id, control, buttonId ? new CPickerButton(this) : nullptr, buttonId, labelId);
    };
    auto combo = [&](const std::vector<std::string>& names, int index, const char* first = nullptr) {
        auto* box = new QComboBox(this);
        if (first)
            box->addItem(ToQ(first));
        for (const std::string& name : names)
            box->addItem(ToQ(name));
        if (index >= 0 && index < box->count())
            box->setCurrentIndex(index);
        return box;
    };
    auto edit = [&](const std::string& text) {
        auto* box = new CFlatEdit(this);
        box->setText(ToQ(text));
        box->installEventFilter(this);
        return box;
    };
    addRow("班级", 0, IDC_CLASS, combo(m_classNames, m_classIndex), IDC_PICK_CLASS);
    addRow("课程", 0, IDC_COURSE, combo(m_courseNames, m_courseIndex), IDC_PICK_COURSE);
    addRow("教师", 0, IDC_TEACHER, combo(m_teacherNames, m_teacherIndex), IDC_PICK_TEACHER);
    auto* kinds = combo(m_kindNames, m_kindIndex);
    addRow(m_selfStudy ? "类型" : "主/副课", IDC_KIND_LABEL, IDC_KIND, kinds);
    addRow("周课时数", 0, IDC_WEEK_COUNT, edit(m_weekCount));
    addRow("连课节数", 1266, IDC_NODES, edit(IntToString(m_continuousNodes)));
    addRow("连课次数", 1268, IDC_TIMES, edit(IntToString(m_continuousTimes)));
    addRow("指定教室", 1267, IDC_ROOM, combo(m_roomNames, m_roomIndex, "不指定教室"));

    auto* picture = new QWidget(this);
    picture->hide();
    AddControl(IDC_PICTURE, picture);
    m_pictureRect = Rect(margin, margin, margin + kPictureBox, margin + kPictureBox);
    SetWidgetRect(picture, m_pictureRect);

    if (m_modify) {
        EnableItem(IDC_CLASS, false);
        ShowItem(IDC_PICK_CLASS, false);
    }
    CScheduleTask* task = AppServices().GetTask();
    if (m_selfStudy && !m_modify && task) {
        const CSchoolStructure& week = task->GetSchoolStructure();
        if (week.GetWeekNodeCountOfSelfStudy() > 0 && week.GetWeekNodeCountOfReading() == 0 && kinds->count() > 1)
            kinds->setCurrentIndex(1);
    }
    if (m_modify && task) {
        CTaskHelper helper(task);
        if (CCourseInfo* plan = task->FindCourse(m_planId))
            m_showWarning = helper.HasLessons(&plan->GetTable(false));
    }

    const int fieldsBottom = rows.Bottom() + margin;
    int contentBottom = std::max(fieldsBottom, m_pictureRect.bottom + margin);
    const int buttonHeight = u.Y(14);
    PlaceButtonRow(this, contentBottom + (kDialogBandHeight - buttonHeight) / 2, {}, {zem::IDOK, zem::IDCANCEL});
    int total = contentBottom + kDialogBandHeight;
    if (m_showWarning) {
        m_warningRect = Rect(12, total, width() - 12, total + kWarningHeight - 12);
        total += kWarningHeight;
    }
    setFixedSize(width(), total);
    return true;
}

void CAddPlanDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(240, 240, 240));
        if (QWidget* picture = GetDlgItem(IDC_PICTURE))
            DrawCenteredBitmap(&dc, WidgetRect(picture), kPlanPicture);
        if (!m_showWarning)
            return;
        dc.FillSolidRect(m_warningRect, zem::RGB(255, 255, 255));
        dc.FrameRect(m_warningRect, zem::RGB(192, 192, 192));
        Rect inner = m_warningRect;
        inner.left += 1; inner.top += 1; inner.right -= 1; inner.bottom -= 1;
        dc.FrameRect(inner, zem::RGB(255, 255, 255));
        dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
        dc.SetTextColor(zem::RGB(128, 128, 128));
        dc.SetBkMode(zem::gui::TRANSPARENT);
        Rect text(m_warningRect.left + 10, m_warningRect.top + 12, m_warningRect.right - 10, m_warningRect.bottom);
        dc.DrawText(kWarningText, text, zem::gui::DT_LEFT | zem::gui::DT_WORDBREAK);
    });
}

bool CAddPlanDlg::Validate()
{
    auto index = [this](int id) {
        auto* box = Item<QComboBox>(id);
        return box ? box->currentIndex() : -1;
    };
    m_classIndex = index(IDC_CLASS);
    m_courseIndex = index(IDC_COURSE);
    m_teacherIndex = index(IDC_TEACHER);
    m_kindIndex = index(IDC_KIND);
    m_roomIndex = std::max(0, index(IDC_ROOM));
    m_weekCount = std::string(zem::Trim(GetDlgItemText(IDC_WEEK_COUNT)));
    m_continuousNodes = ToInt(GetDlgItemText(IDC_NODES));
    m_continuousTimes = ToInt(GetDlgItemText(IDC_TIMES));

    if (m_classNames.empty()) {
        ShowMessage("班级数据不完整");
        return false;
    }
    if (m_courseNames.empty() || m_courseIndex < 0) {
        ShowMessage("课程数据不完整");
        return false;
    }
    if (m_teacherNames.empty() || m_teacherIndex < 0) {
        ShowMessage("教师数据不完整");
        return false;
    }
    if (m_modify && m_guard) {
        bool noDialog = true;
        if (!m_guard->ConfirmTeacherChange(m_planId, m_teacherNames[static_cast<std::size_t>(m_teacherIndex)], &noDialog))
            return false;
    }
    const CWeekCount count(m_weekCount);
    if (count.GetWholeCount() <= 0 && !count.HasHalfNode()) {
        ShowMessage("周课时数不能为0");
        if (QWidget* w = GetDlgItem(IDC_WEEK_COUNT))
            w->setFocus();
        return false;
    }
    // A count of neither whole lessons nor a half would be stored as another count.
    if (!ParseWeekCountText(m_weekCount, nullptr)) {
        ShowMessage(zem::Format("周课时数无效: %s", m_weekCount.c_str()));
        if (QWidget* w = GetDlgItem(IDC_WEEK_COUNT))
            w->setFocus();
        return false;
    }
    m_weekCount = count.ToString();
    SetDlgItemText(IDC_WEEK_COUNT, m_weekCount);
    bool blocks = false;
    if (const std::string refusal = PlanBlocksRefusal(count, m_continuousNodes, m_continuousTimes, &blocks);
        !refusal.empty()) {
        ShowMessage(refusal);
        if (QWidget* w = GetDlgItem(blocks ? IDC_TIMES : IDC_NODES))
            w->setFocus();
        return false;
    }
    return true;
}

void CAddPlanDlg::OnOK()
{
    if (!Validate())
        return;
    auto at = [](const std::vector<std::string>& names, int i) {
        return i >= 0 && i < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(i)] : std::string();
    };
    const std::string kind = at(m_kindNames, m_kindIndex);
    CPageRow row{at(m_classNames, m_classIndex), at(m_courseNames, m_courseIndex), at(m_teacherNames, m_teacherIndex)};
    if (m_selfStudy)
        row.insert(row.begin() + 1, kind);
    else
        row.push_back(kind);
    row.push_back(m_weekCount);
    row.push_back(IntToString(m_continuousNodes));
    row.push_back(IntToString(m_continuousTimes));
    row.push_back(m_roomIndex > 0 ? at(m_roomNames, m_roomIndex - 1) : std::string());

    zem::MessageTarget* page = m_page ? m_page : dynamic_cast<zem::MessageTarget*>(parentWidget());
    CPageNotify notify;
    notify.replace = m_modify ? 1 : 0;
    const bool accepted =
        zem::SendMessage(page, WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&row)) == 0 && notify.accepted;
    if (accepted && m_modify) {
        EndDialog(zem::IDOK);
        return;
    }
    if (QWidget* course = GetDlgItem(IDC_COURSE))
        course->setFocus();
}

void CAddPlanDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_PICK_CLASS:
        PickInto(IDC_CLASS, m_classNames, kPickClass);
        return;
    case IDC_PICK_COURSE:
        PickInto(IDC_COURSE, m_courseNames, kPickCourse);
        return;
    case IDC_PICK_TEACHER:
        PickInto(IDC_TEACHER, m_teacherNames, kPickTeacher);
        return;
    default:
        Dialog::OnCommand(id);
    }
}

void CAddPlanDlg::PickInto(int comboId, const std::vector<std::string>& names, int kind)
{
    std::string chosen;
    auto run = [&](auto& picker, const CZemObjectList* source) {
        picker.m_source = source;
        if (picker.DoModal() == zem::IDOK && picker.GetSelectedObject())
            chosen = picker.GetSelectedObject()->GetName();
    };
    if (kind == kPickClass) {
        CClassPickerDlg picker(this);
        run(picker, m_classes);
    } else if (kind == kPickCourse) {
        CCoursePickerDlg picker(this);
        run(picker, m_courses);
    } else {
        CTeacherPickerDlg picker(this);
        run(picker, m_teachers);
    }
    if (chosen.empty())
        return;
    const auto found = std::find(names.begin(), names.end(), chosen);
    if (found != names.end())
        if (auto* box = Item<QComboBox>(comboId))
            box->setCurrentIndex(static_cast<int>(found - names.begin()));
}

bool CAddPlanDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        if (auto* w = dynamic_cast<QWidget*>(watched))
            ShowEditTip(GetDlgCtrlID(w));
    return Dialog::eventFilter(watched, event);
}

void CAddPlanDlg::ShowEditTip(int id)
{
    CTipWnd* tip = AppServices().GetTipWnd();
    QWidget* edit = GetDlgItem(id);
    if (!tip || !edit)
        return;
    std::string title, text;
    if (id == IDC_NODES) {
        title = "每几节课在一起连排呢？";
        text = "连课节数只有在 >= 2 时才有连排效果。\n例如：连课节数为2，表示2节连排。\n如果不需要连排，可以设置为1。";
    } else if (id == IDC_WEEK_COUNT) {
        auto* kinds = Item<QComboBox>(IDC_KIND);
        text = m_selfStudy ? zem::Format("每周安排多少节%s呢？", kinds ? FromQ(kinds->currentText()).c_str() : "")
                           : std::string("每周安排多少节课呢？");
    } else if (id == IDC_TIMES) {
        title = "连课几次呢？";
        text = "在连课节数 >= 2 的情况下，这里可以控制连课的次数。\n如果为0，系统按周课时数和连课节数自动计算。";
    } else {
        return;
    }
    const QPoint at = mapToGlobal(QPoint(width(), edit->y()));
    tip->ShowTip(at.x(), at.y(), title, text, 0);
    m_tipShown = true;
}
