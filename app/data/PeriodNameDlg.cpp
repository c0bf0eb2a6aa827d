#include "app/data/PeriodNameDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "base/Segment.h"
#include "platform/gui/DC.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>

using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

constexpr zem::COLORREF kBackground = RGB(240, 240, 240);
constexpr zem::COLORREF kListFrame = RGB(156, 182, 197);
constexpr zem::COLORREF kUnused = RGB(196, 196, 196);
constexpr int kMargin = 12;
constexpr int kRowHeight = 18;

// Draws a name column black while its names are the ones in force and grey otherwise, and a
// two-line name on one line.
class NameColumnDelegate : public QStyledItemDelegate {
public:
    NameColumnDelegate(QObject* parent, std::function<bool()> inForce)
        : QStyledItemDelegate(parent), m_inForce(std::move(inForce))
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QColor colour = m_inForce() ? QColor(Qt::black) : ToQColor(kUnused);
        option->palette.setColor(QPalette::Text, colour);
        option->palette.setColor(QPalette::HighlightedText, colour);
        // The name itself, its line break shown as a blank (the base turns it into a second line).
        option->text = index.data(Qt::DisplayRole).toString();
        option->text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QChar(u'\n'), QChar(u' '));
    }

private:
    std::function<bool()> m_inForce;
};

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

}  // namespace

// ---- CPeriodNameDlg

CPeriodNameDlg::CPeriodNameDlg(QWidget* parent) : Dialog(parent, "设置节次名称", {250, 220}) {}

CPeriodNameDlg::~CPeriodNameDlg() = default;

bool CPeriodNameDlg::OnInitDialog()
{
    m_useCustom = new QCheckBox(QStringLiteral("使用自定义名称(双击编辑)"), this);
    AddControl(IDC_USE_CUSTOM, m_useCustom);

    m_list = new ReportList(this);
    m_list->InsertColumn(COLUMN_ID, "ID", ReportList::Align::Left, 0);
    m_list->InsertColumn(COLUMN_DEFAULT, "默认", ReportList::Align::Center, 100);
    m_list->InsertColumn(COLUMN_CUSTOM, "自定义", ReportList::Align::Left, 280);
    m_list->SetHeader(new CSkinHeaderCtrl);
    m_list->SetRowHeight(kRowHeight);
    m_list->SetSingleSelection(true);
    m_list->setShowGrid(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setItemDelegateForColumn(COLUMN_DEFAULT,
                                     new NameColumnDelegate(m_list, [this] { return !m_names.IsEnabled(); }));
    m_list->setItemDelegateForColumn(COLUMN_CUSTOM,
                                     new NameColumnDelegate(m_list, [this] { return m_names.IsEnabled(); }));
    m_list->onDoubleClick = [this](int row) { EditRow(row); };
    AddControl(IDC_PERIOD_LIST, m_list);

    m_okButton = AddHoverButton(this, zem::IDOK, "确定");
    m_cancelButton = AddHoverButton(this, zem::IDCANCEL, "取消");

    if (m_structure) {
        m_names = m_structure->GetCustomPeriodNameList();
        // Top to bottom as the week grid shows them: morning reading, forenoon, afternoon, night,
        // evening self-study.
        for (const int segment : zem::kSegmentsInDayOrder)
            for (int section = 0; section < m_structure->GetSectionNodeMaxCount(segment); ++section) {
                const int row = m_list->InsertItem(m_list->GetItemCount(), CPeriodNameList::MakePeriodId(segment, section));
                m_list->SetItemText(row, COLUMN_DEFAULT, m_structure->GetPeriodName(segment, section, true));
                m_list->SetItemText(row, COLUMN_CUSTOM, m_names.Query(segment, section));
            }
    }
    m_useCustom->setChecked(m_names.IsEnabled());
    LayoutControls();
    return true;
}

void CPeriodNameDlg::LayoutControls()
{
    if (!m_list)
        return;
    const int width = this->width();
    const int height = this->height();
    const int checkHeight = m_useCustom->sizeHint().height();
    SetWidgetRect(m_useCustom, Rect(kMargin, kMargin,
                                    kMargin + std::min(width - 2 * kMargin, m_useCustom->sizeHint().width()),
                                    kMargin + checkHeight));
    const int buttonWidth = m_okButton->width();
    const int buttonHeight = m_okButton->height();
    const int buttonTop = height - kMargin - buttonHeight;
    SetWidgetTopLeft(m_cancelButton, width - kMargin - buttonWidth, buttonTop);
    SetWidgetTopLeft(m_okButton, width - kMargin - 2 * buttonWidth - 8, buttonTop);
    m_listFrame = Rect(kMargin, kMargin + checkHeight + 8, width - kMargin, buttonTop - 10);
    Rect inner = m_listFrame;
    inner.DeflateRect(1);
    SetWidgetRect(m_list, inner);
    // The two visible columns and a scroll bar always fit.
    setMinimumSize(2 * kMargin + 2 + 100 + 280 + 24, 260);
    update();
}

void CPeriodNameDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    LayoutControls();
}

void CPeriodNameDlg::paintEvent(QPaintEvent*)
{
    DC dc(this);
    dc.FillSolidRect(Rect(0, 0, width(), height()), kBackground);
    dc.FrameRect(m_listFrame, kListFrame);
}

void CPeriodNameDlg::OnCommand(int id)
{
    if (id == IDC_USE_CUSTOM)
        SetCustomNamesOn(m_useCustom->isChecked());
    else
        Dialog::OnCommand(id);
}

void CPeriodNameDlg::SetCustomNamesOn(bool on)
{
    m_names.SetEnabled(on);
    m_useCustom->setChecked(on);
    m_list->viewport()->update();
}

void CPeriodNameDlg::EditRow(int row)
{
    if (!m_list || row < 0 || row >= m_list->GetItemCount())
        return;
    CCustomPeriodNameDlg dlg(this);
    dlg.m_defaultName = m_list->GetItemText(row, COLUMN_DEFAULT);
    dlg.m_customName = m_list->GetItemText(row, COLUMN_CUSTOM);
    if (dlg.DoModal() != zem::IDOK)
        return;
    m_list->SetItemText(row, COLUMN_CUSTOM, dlg.m_customName);
    // Naming a period means using the names.
    if (!m_useCustom->isChecked())
        SetCustomNamesOn(true);
}

void CPeriodNameDlg::OnOK()
{
    m_names.GetMap().clear();
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        m_names.Add(m_list->GetItemText(row, COLUMN_ID), m_list->GetItemText(row, COLUMN_CUSTOM));
    EndDialog(zem::IDOK);
}

// ---- CCustomPeriodNameDlg

CCustomPeriodNameDlg::CCustomPeriodNameDlg(QWidget* parent) : Dialog(parent, "自定义节次名称", {200, 110}) {}

bool CCustomPeriodNameDlg::OnInitDialog()
{
    const DialogUnits& u = Units();
    AddLabel(this, "默认", UnitsRect(7, 9, 30, 10));
    auto* defaultName = new QLineEdit(ToQ(m_defaultName), this);
    defaultName->setReadOnly(true);
    AddField(this, IDC_DEFAULT_NAME, defaultName, UnitsRect(40, 7, 153, 14));

    AddLabel(this, "自定义", UnitsRect(7, 27, 30, 10));
    // Enter starts the second line: the edit keeps it from the dialog.
    auto* customName = new QPlainTextEdit(ToQ(ReplaceAll(m_customName, "\r\n", "\n")), this);
    AddField(this, IDC_CUSTOM_NAME, customName, UnitsRect(40, 25, 153, 30));

    AddLabel(this, "支持两行信息，直接敲回车换行", UnitsRect(40, 58, 153, 10));
    AddLabel(this, "显示时自动居中，前后不用加空格", UnitsRect(40, 70, 153, 10));

    SetWidgetTopLeft(AddHoverButton(this, zem::IDOK, "确定"), u.X(89), u.Y(88));
    SetWidgetTopLeft(AddHoverButton(this, zem::IDCANCEL, "取消"), u.X(143), u.Y(88));
    customName->setFocus();
    return true;
}

void CCustomPeriodNameDlg::OnOK()
{
    m_defaultName = GetDlgItemText(IDC_DEFAULT_NAME);
    std::string name = ReplaceAll(GetDlgItemText(IDC_CUSTOM_NAME), "\r\n", "\n");
    // Line breaks are kept as the task's files on every system hold them.
    name = ReplaceAll(name, "\n", "\r\n");
    m_customName = ReplaceAll(name, "：", ":");
    EndDialog(zem::IDOK);
}
