#include "app/data/BatchAddClassDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "app/controls/TipWnd.h"
#include "app/data/BatchAddCommon.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

using zem::Rect;
using zem::gui::FromQ;
using zem::gui::ToQ;

namespace {

constexpr int kLabelWidth = 40;
constexpr int kFieldLeft = 60;
constexpr int kFieldWidth = 166;
constexpr int kRowHeight = 13;

}  // namespace

CBatchAddClassDlg::CBatchAddClassDlg(QWidget* parent)
    : Dialog(parent, "批量添加班级", {240, 136}), m_settings(std::make_unique<CBatchClassSettings>())
{
}

CBatchAddClassDlg::~CBatchAddClassDlg()
{
    if (m_majors)
        m_majors->removeEventFilter(this);
    // The majors' tip belongs to this dialog, however it ends.
    if (m_tipShown)
        if (CTipWnd* tip = AppServices().GetTipWnd())
            tip->hide();
}

void CBatchAddClassDlg::CreateControls()
{
    auto label = [this](int id, const char* text, const Rect& rect) {
        auto* control = new QLabel(ToQ(text), this);
        control->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        SetWidgetRect(control, rect);
        AddControl(id, control);
    };
    auto combo = [this](int id, const Rect& rect) {
        auto* control = new QComboBox(this);
        SetWidgetRect(control, rect);
        AddControl(id, control);
        return control;
    };
    const int left = 14;
    const Rect row1 = UnitsRect(left, 12, kLabelWidth, kRowHeight);
    const Rect row2 = UnitsRect(left, 32, kLabelWidth, kRowHeight);
    const Rect row3 = UnitsRect(left, 52, kLabelWidth, kRowHeight);
    label(IDC_LABEL_TYPE, "年级格式", row1);
    label(IDC_LABEL_STYLE, "班级格式", row2);
    label(IDC_LABEL_COUNT, "班级数", row3);
    // The university set takes the places of the normal one.
    label(IDC_LABEL_YEARS, "年级范围", row2);
    label(IDC_LABEL_MAJORS, "专业列表", row3);

    m_schoolType = combo(IDC_SCHOOL_TYPE, UnitsRect(kFieldLeft, 11, kFieldWidth, kRowHeight + 1));
    const Rect styleRect = UnitsRect(kFieldLeft, 31, 60, kRowHeight + 1);
    m_style = combo(IDC_STYLE, styleRect);
    m_brackets = new QCheckBox(ToQ("带括号"), this);
    SetWidgetRect(m_brackets, UnitsRect(kFieldLeft + 70, 32, 60, kRowHeight));
    AddControl(IDC_BRACKETS, m_brackets);
    m_count = new QLineEdit(this);
    m_count->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_count));
    SetWidgetRect(m_count, UnitsRect(kFieldLeft, 52, 60, kRowHeight));
    AddControl(IDC_COUNT, m_count);

    m_fromYear = combo(IDC_FROM_YEAR, styleRect);
    Rect toRect = styleRect;
    toRect.OffsetRect(styleRect.Width() + 20, 0);
    m_toYear = combo(IDC_TO_YEAR, toRect);
    auto* to = new QLabel(ToQ("到"), this);
    to->setAlignment(Qt::AlignCenter);
    SetWidgetRect(to, Rect(styleRect.right, styleRect.top, toRect.left, styleRect.bottom));
    AddControl(IDC_YEAR_TO_LABEL, to);
    m_majors = new QLineEdit(this);
    SetWidgetRect(m_majors, UnitsRect(kFieldLeft, 52, kFieldWidth, kRowHeight));
    AddControl(IDC_MAJORS, m_majors);
    m_majors->installEventFilter(this);

    m_previewFrame = UnitsRect(left, 76, kFieldLeft + kFieldWidth - left, 24);
    m_preview = new QLabel(this);
    m_preview->setAlignment(Qt::AlignCenter);
    Rect inside = m_previewFrame;
    inside.DeflateRect(1);
    SetWidgetRect(m_preview, inside);
    AddControl(IDC_PREVIEW, m_preview);

    AddHoverButton(this, zem::IDOK, "批量添加")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, height() - Units().Y(7) - Units().Y(14), {}, {zem::IDOK, zem::IDCANCEL});
}

bool CBatchAddClassDlg::OnInitDialog()
{
    CreateControls();
    for (const auto& preset : m_settings->GetPresets()) {
        m_schoolType->addItem(ToQ(preset->GetName()), preset->GetId());
        if (preset->GetId() == m_settings->m_selectedId)
            m_schoolType->setCurrentIndex(m_schoolType->count() - 1);
    }
    m_style->addItem(ToQ("数字"));
    m_style->addItem(ToQ("汉字"));
    m_style->setCurrentIndex(m_settings->m_numbering.m_style);
    const int year = zem::Now().year;
    for (int y = year + 1; y >= year - 5; --y) {
        m_fromYear->addItem(QString::number(y));
        m_toYear->addItem(QString::number(y));
    }
    m_fromYear->setCurrentIndex(1);
    m_toYear->setCurrentIndex(4);
    m_brackets->setChecked(m_settings->m_numbering.m_brackets);
    m_count->setText(QString::number(m_settings->m_classesPerGrade));

    for (QComboBox* box : {m_style, m_fromYear, m_toYear})
        QObject::connect(box, &QComboBox::currentIndexChanged, this, [this](int) { Refresh(); });
    QObject::connect(m_schoolType, &QComboBox::currentIndexChanged, this, [this](int) {
        Refresh();
        ShowModeControls();
    });
    QObject::connect(m_brackets, &QCheckBox::clicked, this, [this] { Refresh(); });
    for (QLineEdit* edit : {m_count, m_majors})
        QObject::connect(edit, &QLineEdit::textChanged, this, [this] { Refresh(); });
    Refresh();
    ShowModeControls();
    return true;
}

void CBatchAddClassDlg::ShowModeControls()
{
    const bool university = m_settings->IsUniversity();
    for (int id : {IDC_LABEL_STYLE, IDC_LABEL_COUNT, IDC_STYLE, IDC_BRACKETS, IDC_COUNT})
        ShowItem(id, !university);
    for (int id : {IDC_LABEL_YEARS, IDC_FROM_YEAR, IDC_TO_YEAR, IDC_YEAR_TO_LABEL, IDC_LABEL_MAJORS, IDC_MAJORS})
        ShowItem(id, university);
}

void CBatchAddClassDlg::Refresh()
{
    if (!m_preview)
        return;
    // The count is read and checked only when the classes are added, so that no message
    // interrupts the typing.
    m_settings->m_numbering.m_brackets = m_brackets->isChecked();
    m_settings->SetMajors(FromQ(m_majors->text()));
    m_settings->m_selectedId = m_schoolType->currentData().toInt();
    if (m_settings->IsUniversity()) {
        m_settings->GetIntakeYears().SetFromYear(zem::ParseIntPrefix(FromQ(m_fromYear->currentText())));
        m_settings->GetIntakeYears().SetToYear(zem::ParseIntPrefix(FromQ(m_toYear->currentText())));
    } else {
        m_settings->m_numbering.m_style = m_style->currentIndex() != 0 ? 1 : 0;
    }
    m_preview->setText(ToQ(m_settings->GetPreviewText()));
}

void CBatchAddClassDlg::OnOK()
{
    Refresh();
    if (m_settings->IsUniversity()) {
        if (m_settings->GetMajors().empty()) {
            ShowMessage("请输入专业列表");
            m_majors->setFocus();
            return;
        }
    } else if (!GetDlgItemInt(IDC_COUNT, 1, kMaxClassesPerGrade, &m_settings->m_classesPerGrade)) {
        return;
    }
    std::vector<CPageRow> rows;
    for (const CGeneratedClass& generated : m_settings->Generate())
        rows.push_back({generated.name, generated.shortName, "正常", ""});
    if (SendBatchRows(this, rows))
        EndDialog(zem::IDOK);
}

bool CBatchAddClassDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_majors && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        if (CTipWnd* tip = AppServices().GetTipWnd()) {
            if (event->type() == QEvent::FocusIn) {
                const QPoint at = m_majors->mapToGlobal(QPoint(m_majors->width(), 0));
                tip->ShowTip(at.x(), at.y(), "专业列表（以逗号分隔）", "例如：法律,计算机,国际金融,德语", 0);
                m_tipShown = true;
            } else {
                tip->hide();
                m_tipShown = false;
            }
        }
    }
    return Dialog::eventFilter(watched, event);
}

void CBatchAddClassDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        DrawFramedBox(dc, m_previewFrame, false);
    });
}
