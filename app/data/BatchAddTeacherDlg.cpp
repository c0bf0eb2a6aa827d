#include "app/data/BatchAddTeacherDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "app/data/BatchAddCommon.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"
#include "platform/gui/ReportList.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>

using zem::Rect;
using zem::gui::ReportList;
using zem::gui::ToQ;

std::vector<std::string> SplitTeacherNames(const std::string& text)
{
    std::vector<std::string> separators;
    std::vector<std::string> pieces;
    SplitNameList(text, separators, &pieces, true);
    std::vector<std::string> names;
    StringArrayAddAllUnique(names, pieces);
    return names;
}

std::string TeacherShortName(const std::string& name)
{
    // Two GBK bytes hold one Chinese character or two single-byte ones; never half a character.
    return std::string(zem::GbkPrefix(name, 2));
}

CBatchAddTeacherDlg::CBatchAddTeacherDlg(QWidget* parent) : Dialog(parent, "批量添加教师", {260, 170}) {}

bool CBatchAddTeacherDlg::OnInitDialog()
{
    const auto& u = Units();
    const int margin = u.X(7);
    const int buttonHeight = u.Y(14);
    const int buttonTop = height() - margin - buttonHeight;
    const int labelHeight = u.Y(10);
    const int previewWidth = 95 + 40 + 4 + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int previewLeft = width() - margin - previewWidth;
    const int bodyTop = margin + labelHeight + u.Y(2);
    const int bodyBottom = buttonTop - u.Y(6);

    // The names on the left, the preview column at the right edge.
    const int namesRight = previewLeft - margin, previewRight = previewLeft + previewWidth;
    AddLabel(this, "请在下方输入以逗号分隔的教师姓名列表", Rect(margin, margin, namesRight, margin + labelHeight),
             IDC_PROMPT);
    m_names = new QPlainTextEdit(this);
    m_names->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_names->setTabChangesFocus(true);
    AddField(this, IDC_NAMES, m_names, Rect(margin, bodyTop, namesRight, bodyBottom));

    AddLabel(this, "预览", Rect(previewLeft, margin, previewRight, margin + labelHeight), IDC_PREVIEW_LABEL);
    m_preview = new ReportList(this);
    m_preview->InsertColumn(0, "姓名", ReportList::Align::Left, 95);
    m_preview->InsertColumn(1, "简称", ReportList::Align::Left, 40);
    m_preview->setShowGrid(true);
    m_preview->SetRowHeight(20);
    m_preview->SetSingleSelection(false);
    const int countTop = bodyBottom - u.Y(10);
    AddField(this, IDC_PREVIEW, m_preview, Rect(previewLeft, bodyTop, previewRight, countTop - u.Y(2)));
    m_count = AddLabel(this, "", Rect(previewLeft, countTop, previewRight, bodyBottom), IDC_COUNT);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    AddHoverButton(this, zem::IDOK, "批量添加");
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, buttonTop, {}, {zem::IDOK, zem::IDCANCEL});

    QObject::connect(m_names, &QPlainTextEdit::textChanged, this, [this] { UpdatePreview(); });
    UpdatePreview();
    m_names->setFocus();
    return true;
}

void CBatchAddTeacherDlg::UpdatePreview()
{
    m_text = m_names->toPlainText().toStdString();
    m_preview->DeleteAllItems();
    for (const std::string& name : SplitTeacherNames(m_text)) {
        const int row = m_preview->InsertItem(m_preview->GetItemCount(), name);
        m_preview->SetItemText(row, 1, TeacherShortName(name));
    }
    if (m_preview->GetItemCount() > 0)
        m_preview->EnsureVisible(m_preview->GetItemCount() - 1);
    m_count->setText(ToQ(zem::Format("共 %d 人", m_preview->GetItemCount())));
}

void CBatchAddTeacherDlg::OnOK()
{
    if (m_preview->GetItemCount() == 0) {
        ShowMessage("请输入教师姓名列表");
        m_names->setFocus();
        return;
    }
    std::vector<CPageRow> rows;
    for (int row = 0; row < m_preview->GetItemCount(); ++row)
        rows.push_back({m_preview->GetItemText(row, 0), m_preview->GetItemText(row, 1), "正常"});
    if (SendBatchRows(this, rows))
        EndDialog(zem::IDOK);
}
