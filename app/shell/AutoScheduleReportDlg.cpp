#include "app/shell/AutoScheduleReportDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "base/ReportInfo.h"
#include "platform/gui/QtText.h"

#include <QPainter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

using zem::Rect;

CAutoScheduleReportDlg::CAutoScheduleReportDlg(QWidget* parent) : Dialog(parent, "自动排课报告", {479, 256}) {}

bool CAutoScheduleReportDlg::OnInitDialog()
{
    SetCaption(m_caption);
    const auto& u = Units();
    m_edit = new QTextEdit(this);
    m_edit->setReadOnly(true);
    m_edit->setFrameShape(QFrame::NoFrame);
    m_edit->setLineWrapMode(QTextEdit::WidgetWidth);
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    m_edit->setPlainText(zem::gui::ToQ(m_report));
    AddControl(IDC_REPORT, m_edit);

    // A save that failed at the end of the run is no success: its reason goes red as well.
    // So is a result that broke the task's rules.
    const bool saveFailed = m_report.find(CReportInfo::kSaveFailedHeading) != std::string::npos;
    const bool rulesBroken = m_report.find(CReportInfo::kBrokenRulesHeading) != std::string::npos;
    EmphasiseLineAfter(CReportInfo::kResultHeading, m_mode == MODE_CHECK_FAILED || saveFailed || rulesBroken);
    if (saveFailed)
        EmphasiseLineAfter(CReportInfo::kSaveFailedHeading, true);
    if (rulesBroken)
        EmphasiseLineAfter(CReportInfo::kBrokenRulesHeading, true);
    QTextCursor end = m_edit->textCursor();
    end.movePosition(QTextCursor::End);
    m_edit->setTextCursor(end);

    m_frameRect = UnitsRect(7, 7, 465, 218);
    Rect inner = m_frameRect;
    inner.DeflateRect(8, 5, 8, 5);
    SetWidgetRect(m_edit, inner);

    CHoverButton* view = AddHoverButton(this, zem::IDOK, "查看课表(&V)");
    CHoverButton* close = AddHoverButton(this, zem::IDCANCEL, "关闭(&C)");
    SetWidgetSize(view, u.X(60), u.Y(15));
    SetWidgetSize(close, u.X(60), u.Y(15));
    PlaceButtonRow(this, u.Y(233), {}, {zem::IDOK, zem::IDCANCEL});
    const bool offer = m_mode == MODE_ALL_PLACED || m_mode == MODE_LESSONS_LEFT;
    view->setVisible(offer);
    view->setEnabled(offer && m_canViewTables);
    close->setDefault(true);
    close->setFocus();
    return true;
}

bool CAutoScheduleReportDlg::EmphasiseLineAfter(const char* heading, bool red)
{
    const QString text = m_edit->toPlainText();
    const int at = text.indexOf(zem::gui::ToQ(heading));
    // As before: a heading at the very start of the text is left plain.
    if (at <= 0)
        return false;
    const int lineStart = text.indexOf('\n', at);
    if (lineStart < 0)
        return false;
    int lineEnd = text.indexOf('\n', lineStart + 1);
    if (lineEnd < 0)
        lineEnd = text.size();
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(lineStart + 1);
    cursor.setPosition(lineEnd, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    if (red)
        format.setForeground(QColor(255, 0, 0));
    cursor.mergeCharFormat(format);
    return true;
}

void CAutoScheduleReportDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(0xE8, 0xE8, 0xE8));
        QPainter& painter = dc.Painter();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QColor(0xDA, 0xDA, 0xDA));
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(m_frameRect.left + 0.5, m_frameRect.top + 0.5, m_frameRect.Width() - 1,
                                       m_frameRect.Height() - 1),
                                6, 6);
        painter.restore();
    });
}
