#include "app/data/BatchModifyPlanDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shared/Strings.h"
#include "app/data/AddPlanDlg.h"
#include "app/data/PlanListPage.h"
#include "base/WeekCount.h"
#include "base/ZemObject.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QComboBox>
#include <QLabel>
#include <QTextEdit>
#include <QTextDocument>

#include <cstdlib>

using zem::gui::FromQ;
using zem::gui::ToQ;

CBatchModifyPlanDlg::CBatchModifyPlanDlg(QWidget* parent) : Dialog(parent, "批量修改", {250, 170}) {}

bool CBatchModifyPlanDlg::OnInitDialog()
{
    if (!m_caption.empty())
        SetCaption(m_caption);
    const auto& u = Units();
    const int margin = u.X(7), rowHeight = u.Y(14), gap = u.Y(6);
    const int right = width() - margin;
    int top = margin;
    AddHoverButton(this, IDC_CHOOSE_CLASSES, "选择要批量修改的班级",
                   zem::Rect(margin, top, margin + u.X(110), top + rowHeight));
    top += rowHeight + gap;
    auto* chosen = new QTextEdit(this);
    chosen->setReadOnly(true);
    chosen->document()->setDocumentMargin(3);
    chosen->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    AddField(this, IDC_CHOSEN, chosen, zem::Rect(margin, top, right, top + u.Y(50)));
    top += u.Y(50) + gap;
    CFieldRows rows(this, {margin, top, right, 40, 6});
    auto* courses = new QComboBox(this);
    if (m_courses)
        for (CZemObject* course : ObjectsInOrder(*m_courses))
            courses->addItem(ToQ(course->GetName()));
    rows.Add("课程", IDC_COURSE, courses);
    auto* properties = new QComboBox(this);
    for (const char* text : {"课程名称", m_selfStudy ? "类型" : "主副课", "周课时数", "连课", "次数"})
        properties->addItem(ToQ(text));
    properties->setCurrentIndex(2);
    rows.Add("属性", IDC_PROPERTY, properties);
    // The value is typed, or picked from the list that stands in the edit's place for some properties.
    auto* valueList = new QComboBox(this);
    valueList->setMaxVisibleItems(10);
    auto* value = new CFlatEdit(this);
    rows.Add("修改为", IDC_VALUE, value);
    AddField(this, IDC_VALUE_LIST, valueList, WidgetRect(value));
    valueList->hide();
    QObject::connect(properties, &QComboBox::currentIndexChanged, this, [this](int) { OnPropertyChanged(); });

    AddHoverButton(this, zem::IDOK, "执行修改(&E)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "关闭(&C)");
    const int contentBottom = rows.Bottom() + gap + margin;
    setFixedSize(width(), contentBottom + kDialogBandHeight);
    PlaceButtonRow(this, contentBottom + (kDialogBandHeight - rowHeight) / 2, {}, {zem::IDOK, zem::IDCANCEL});
    return true;
}

void CBatchModifyPlanDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [](zem::gui::DC& dc, const zem::Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(zem::Rect(0, client.bottom - kDialogBandHeight, client.right, client.bottom),
                         kDialogBandColor);
    });
}

void CBatchModifyPlanDlg::OnCommand(int id)
{
    if (id == IDC_CHOOSE_CLASSES) {
        ChooseClasses();
        return;
    }
    Dialog::OnCommand(id);
}

void CBatchModifyPlanDlg::ChooseClasses()
{
    if (!m_classes)
        return;
    CMultiSelectDlg chooser(this);
    chooser.m_caption = "选择要批量修改的班级";
    chooser.SetItems(m_classes);
    chooser.m_preChecked = m_classIds;
    if (chooser.DoModal() != zem::IDOK)
        return;
    m_classIds = chooser.GetChosenIds();
    std::string names;
    for (const std::string& id : m_classIds)
        names += (names.empty() ? "" : "，") + m_classes->GetObjectName(id);
    SetDlgItemText(IDC_CHOSEN, zem::Format("已选择 %d 个班级：", static_cast<int>(m_classIds.size())) + names);
}

void CBatchModifyPlanDlg::OnPropertyChanged()
{
    auto* properties = Item<QComboBox>(IDC_PROPERTY);
    auto* values = Item<QComboBox>(IDC_VALUE_LIST);
    const int property = properties->currentIndex();
    if (property <= 1) {
        ShowItem(IDC_VALUE, false);
        values->clear();
        if (property == 0 && m_courses) {
            for (CZemObject* course : ObjectsInOrder(*m_courses))
                values->addItem(ToQ(course->GetName()));
        } else if (property == 1) {
            // Named, so that the texts outlive the loop (a list chosen inside it would not).
            static constexpr const char* kKinds[2][2] = {{"主课", "副课"}, {"早读", "晚自习"}};
            for (const char* text : kKinds[m_selfStudy ? 1 : 0])
                values->addItem(ToQ(text));
        }
        values->setCurrentIndex(0);
        ShowItem(IDC_VALUE_LIST, true);
    } else {
        ShowItem(IDC_VALUE_LIST, false);
        ShowItem(IDC_VALUE, true);
    }
}

void CBatchModifyPlanDlg::OnOK()
{
    if (m_classIds.empty()) {
        ShowMessage("请选择要批量修改的班级");
        ChooseClasses();
        if (m_classIds.empty())
            return;
    }
    const std::string course = FromQ(Item<QComboBox>(IDC_COURSE)->currentText());
    if (course.empty()) {
        ShowMessage("请选择要批量修改的课程");
        return;
    }
    const int property = Item<QComboBox>(IDC_PROPERTY)->currentIndex();
    std::string value;
    if (property <= 1) {
        value = FromQ(Item<QComboBox>(IDC_VALUE_LIST)->currentText());
    } else {
        value = std::string(zem::Trim(GetDlgItemText(IDC_VALUE)));
        if (value.empty()) {
            ShowMessage("请输入修改后的新值");
            GetDlgItem(IDC_VALUE)->setFocus();
            return;
        }
    }
    if (property == 2) {
        const CWeekCount count(value);
        if (count.GetWholeCount() <= 0 && !count.HasHalfNode()) {
            ShowMessage("修改后的周课时数不能为0");
            GetDlgItem(IDC_VALUE)->setFocus();
            return;
        }
        // 2.7 would be stored as 2: the count is refused as the plan dialog refuses it.
        if (!ParseWeekCountText(value, nullptr)) {
            ShowMessage(zem::Format("周课时数无效: %s", value.c_str()));
            GetDlgItem(IDC_VALUE)->setFocus();
            return;
        }
        value = count.ToString();
        SetDlgItemText(IDC_VALUE, value);
    } else if (property >= 3) {
        value = IntToString(std::atoi(value.c_str()));
        SetDlgItemText(IDC_VALUE, value);
    }
    if (!m_receiver) {
        ShowMessage("没有指定消息窗口");
        return;
    }
    tagPLAN_BATCH_MODIFY request;
    request.classIds = m_classIds;
    request.courseName = course;
    request.property = property;
    request.value = value;
    zem::SendMessage(m_receiver, WM_PLAN_BATCH_MODIFY, 0, zem::ToLParam(&request));
    if (!request.handled)
        return;
    if (!request.refusal.empty()) {
        zem::ShowMessage("没有修改任何班级：" + request.refusal, "提示", zem::MessageIcon::Warning);
        return;
    }
    if (request.changedClasses == 0)
        ShowMessage("没有找到匹配的数据");
    else
        ShowMessage(zem::Format("%d 个班级的 %s 课程\n已成功修改 %s 为 %s", request.changedClasses, course.c_str(),
                                FromQ(Item<QComboBox>(IDC_PROPERTY)->currentText()).c_str(), value.c_str()));
}
