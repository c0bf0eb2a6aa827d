#include "app/data/ObjectInfoDlg.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/HoverButton.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/controls/PriorityCombo.h"
#include "app/shared/Strings.h"
#include "app/data/BasicDataPage.h"
#include "app/data/DataBitmaps.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>

#include <algorithm>

using zem::Rect;
using zem::gui::FromQ;
using zem::gui::ToQ;

namespace {

constexpr int kPictureBox = 96;  // pixels, around the 88-pixel pictures

std::string TrimRight(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// The picker button beside the head-teacher box: a small list picture instead of a caption.
class CPickerButton : public CHoverButton {
public:
    explicit CPickerButton(QWidget* parent) : CHoverButton(parent) { setToolTip(QStringLiteral("...")); }

protected:
    void DrawBackground(zem::gui::DC& dc, const Rect& inner) override
    {
        CHoverButton::DrawBackground(dc, inner);
        DrawCenteredBitmap(&dc, inner, IDB_PICKER_BUTTON);
    }
};

}  // namespace

// ---- the family

CObjectInfoDlg::CObjectInfoDlg(QWidget* parent, const CObjectInfoTexts& texts)
    : Dialog(parent, texts.addCaption, {250, 110}), m_texts(texts)
{
    RegisterDataBitmaps();
}

bool CObjectInfoDlg::OnInitDialog()
{
    if (m_modify)
        SetCaption(m_texts.modifyCaption);
    AddHoverButton(this, zem::IDOK, m_modify ? "保存(&S)" : "添加(&A)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, m_modify ? "取消(&C)" : "关闭(&C)");
    auto* pictureFrame = new QWidget(this);
    pictureFrame->hide();
    AddControl(IDC_PICTURE, pictureFrame);

    const auto& u = Units();
    const int margin = u.X(7);
    m_fields.emplace(this, CFieldRows::Column{margin + kPictureBox + u.X(10), margin, width() - margin, 40, 6});
    auto* name = new CFlatEdit(this);
    name->setText(ToQ(m_name));
    AddFieldRow(m_texts.nameLabel, IDC_NAME, name);
    auto* shortName = new CFlatEdit(this);
    shortName->setText(ToQ(m_shortName));
    AddFieldRow(m_texts.shortNameLabel, IDC_SHORT_NAME, shortName);
    AddFields();

    // A short name given already is the user's own.
    if (!std::string(zem::Trim(m_shortName)).empty())
        m_shortNameFollows = false;
    QObject::connect(name, &QLineEdit::textChanged, this, [this] { OnNameChanged(); });

    Layout();
    name->setFocus();
    return true;
}

void CObjectInfoDlg::AddFieldRow(const char* label, int id, QWidget* control, QWidget* button, int buttonId)
{
    m_fields->Add(label, id, control, button, buttonId);
}

void CObjectInfoDlg::Layout()
{
    const auto& u = Units();
    const int margin = u.X(7);
    const int fieldsBottom = m_fields->Bottom();
    m_pictureRect = Rect(margin, margin, margin + kPictureBox, margin + kPictureBox);
    // The hidden frame only marks where the picture goes.
    if (QWidget* frame = GetDlgItem(IDC_PICTURE))
        SetWidgetRect(frame, m_pictureRect);
    const int contentBottom = std::max(fieldsBottom, m_pictureRect.bottom) + margin;
    setFixedSize(width(), contentBottom + kDialogBandHeight);
    const int buttonHeight = u.Y(14);
    PlaceButtonRow(this, contentBottom + (kDialogBandHeight - buttonHeight) / 2, {}, {zem::IDOK, zem::IDCANCEL});
}

void CObjectInfoDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(Rect(0, client.bottom - kDialogBandHeight, client.right, client.bottom), kDialogBandColor);
        DrawCenteredBitmap(&dc, m_pictureRect, m_texts.picture);
    });
}

void CObjectInfoDlg::OnNameChanged()
{
    const std::string name(zem::Trim(GetDlgItemText(IDC_NAME)));
    if (name.empty()) {
        SetDlgItemText(IDC_SHORT_NAME, "");
        m_shortNameFollows = true;
    } else if (m_shortNameFollows) {
        SetDlgItemText(IDC_SHORT_NAME, name);
        m_shortNameFollows = false;
    }
}

std::string CObjectInfoDlg::FieldText(int id) const
{
    if (auto* combo = Item<QComboBox>(id))
        return TrimRight(FromQ(combo->currentText()));
    return TrimRight(GetDlgItemText(id));
}

void CObjectInfoDlg::FocusField(int id)
{
    if (QWidget* field = GetDlgItem(id))
        field->setFocus();
}

void CObjectInfoDlg::OnOK()
{
    const std::string name = FieldText(IDC_NAME);
    const std::string shortName = FieldText(IDC_SHORT_NAME);
    if (name.empty()) {
        ShowMessage(m_texts.nameMissing);
        FocusField(IDC_NAME);
        return;
    }
    if (shortName.empty()) {
        ShowMessage(m_texts.shortNameMissing);
        FocusField(IDC_SHORT_NAME);
        return;
    }
    if (!CheckFields())
        return;

    CPageRow row{name, shortName};
    AppendCells(row);
    if (!SendDialogRow(this, m_page, row, m_modify)) {
        FocusField(IDC_NAME);
        return;
    }
    if (m_modify) {
        EndDialog(zem::IDOK);
        return;
    }
    // Ready for the next one; the short name follows the name again.
    SetDlgItemText(IDC_NAME, "");
    SetDlgItemText(IDC_SHORT_NAME, "");
    m_shortNameFollows = true;
    FocusField(IDC_NAME);
}

// ---- kinds with a priority

void CPriorityInfoDlg::AddFields()
{
    m_priorityCombo = new QComboBox(this);
    if (CScheduleTask* task = CBasicDataPage::Task())
        AddToComboBox(task->GetPrioritySet(), m_priorityCombo);
    else
        AddToComboBox(CZemPrioritySet(), m_priorityCombo);
    if (m_priority >= 0 && m_priority < m_priorityCombo->count())
        m_priorityCombo->setCurrentIndex(m_priority);
    AddFieldRow("优先级:", IDC_PRIORITY, m_priorityCombo);
}

void CPriorityInfoDlg::AppendCells(CPageRow& row) const
{
    row.push_back(FromQ(m_priorityCombo->currentText()));
}

CClassInfoDlg::CClassInfoDlg(QWidget* parent)
    : CPriorityInfoDlg(parent, {"添加班级信息", "修改班级信息", "班级名称:", "班级简称:", "请输入班级名称",
                                "请输入班级简称", IDB_CLASS_INFO})
{
}

void CClassInfoDlg::AddFields()
{
    CPriorityInfoDlg::AddFields();
    m_headTeacherCombo = new QComboBox(this);
    m_headTeacherCombo->setEditable(true);
    m_headTeacherCombo->setInsertPolicy(QComboBox::NoInsert);
    // Sorted as the names' GBK bytes sort, which is pinyin order.
    std::vector<std::string> names;
    if (CScheduleTask* task = CBasicDataPage::Task())
        for (const auto& [id, teacher] : task->GetTeacherInfoList())
            names.push_back(teacher->GetName());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return zem::CompareGbkNoCase(a, b) < 0; });
    for (const std::string& name : names)
        m_headTeacherCombo->addItem(ToQ(name));
    m_headTeacherCombo->setCurrentText(ToQ(m_headTeacher));
    AddFieldRow("班主任:", IDC_HEAD_TEACHER, m_headTeacherCombo, new CPickerButton(this), IDC_PICK_TEACHER);
}

void CClassInfoDlg::AppendCells(CPageRow& row) const
{
    CPriorityInfoDlg::AppendCells(row);
    row.push_back(TrimRight(FromQ(m_headTeacherCombo->currentText())));
}

void CClassInfoDlg::OnCommand(int id)
{
    if (id != IDC_PICK_TEACHER) {
        CPriorityInfoDlg::OnCommand(id);
        return;
    }
    CTeacherPickerDlg picker(this);
    if (picker.DoModal() == zem::IDOK && picker.GetSelectedObject())
        m_headTeacherCombo->setCurrentText(ToQ(picker.GetSelectedObject()->GetName()));
}

CTeacherInfoDlg::CTeacherInfoDlg(QWidget* parent)
    : CPriorityInfoDlg(parent, {"添加教师信息", "修改教师信息", "教师姓名:", "教师简称:", "请输入教师姓名",
                                "请输入教师简称", IDB_TEACHER_INFO})
{
}

CSubjectInfoDlg::CSubjectInfoDlg(QWidget* parent)
    : CPriorityInfoDlg(parent, {"添加课程信息", "修改课程信息", "课程名称:", "课程简称:", "请输入课程名称",
                                "请输入课程简称", IDB_SUBJECT_INFO})
{
}

// ---- rooms

CRoomInfoDlg::CRoomInfoDlg(QWidget* parent)
    : CObjectInfoDlg(parent, {"添加教室信息", "修改教室信息", "教室名称:", "教室简称:", "请输入教室名称",
                              "请输入教室简称", IDB_ROOM_INFO})
{
}

void CRoomInfoDlg::AddFields()
{
    auto* capacity = new CFlatEdit(this);
    // A room holds at most 999 classes at once; the digits alone can be typed.
    capacity->setValidator(new QIntValidator(0, 999, capacity));
    capacity->setText(ToQ(IntToString(m_capacity)));
    AddFieldRow("容纳班数:", IDC_CAPACITY, capacity);
}

bool CRoomInfoDlg::CheckFields()
{
    const std::string text = FieldText(IDC_CAPACITY);
    m_capacity = zem::ParseIntPrefix(text);
    if (m_capacity <= 0) {
        ShowMessage("教室数量应该大于零");
        FocusField(IDC_CAPACITY);
        return false;
    }
    return true;
}

void CRoomInfoDlg::AppendCells(CPageRow& row) const
{
    row.push_back(zem::Format("%d", m_capacity));
}
