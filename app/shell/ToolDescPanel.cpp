#include "app/shell/ToolDescPanel.h"

#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HyperLink.h"
#include "app/shared/Paths.h"
#include "app/controls/ShellFunctions.h"
#include "app/shared/Strings.h"
#include "app/controls/MainToolBar.h"
#include "app/shell/AppContext.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/ShellBitmaps.h"
#include "base/ScheduleTask.h"
#include "platform/gui/DC.h"
#include "platform/Hooks.h"
#include "platform/gui/Desktop.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

using zem::Rect;
using zem::gui::DC;

namespace {

// The help page on moving a task to another computer.
const std::string kMoveTaskHelpAddress = std::string(kHelpPageAddress) + "?topic=move-task";

constexpr zem::COLORREF kBlueText = zem::RGB(0, 72, 192);

// One line per "\n" piece, as the tip's lines are written, each wrapped within the width (kept left
// of the links, so that a long line neither runs under them nor is cut), 6 pixels apart.
void DrawTipText(DC& dc, const Rect& area, const std::string& text)
{
    std::vector<std::string> pieces;
    SplitToArray(text, "\n", pieces, false);
    int top = area.top;
    const unsigned format = zem::gui::DT_WORDBREAK | zem::gui::DT_EDITCONTROL | zem::gui::DT_LEFT;
    for (const std::string& piece : pieces) {
        if (piece.empty() || top >= area.bottom)
            continue;
        Rect box(area.left, top, area.right, area.bottom);
        dc.DrawText(piece, box, format | zem::gui::DT_CALCRECT);
        box.right = area.right;
        dc.DrawText(piece, box, format);
        top = box.bottom + 6;
    }
}

Feature QuickToolFeature(int id, bool* found)
{
    *found = true;
    switch (id) {
    case 106: return Feature::DataStatistics;
    case 105: return Feature::TeacherStatistic;
    case 109: return Feature::TeacherTimeQuery;
    case 1373: return Feature::Proctor;
    case 104: return Feature::Backup;
    case 1364: return Feature::Restore;
    case 1395: return Feature::TableMove;
    case 108: return Feature::ExportAll;
    case 1374: return Feature::ExportSettings;
    case 1299: return Feature::ClearTimetable;
    case 1372: return Feature::ReverseImport;
    default:
        *found = false;
        return Feature::Settings;
    }
}

}  // namespace

CToolDescPanel::CToolDescPanel() : m_timers([this](int id) { OnTimer(id); })
{
    setWindowTitle("Wnd_ToolDesc");
    setMouseTracking(true);
}

CToolDescPanel::~CToolDescPanel() = default;

const std::vector<CToolDescPanel::QuickTool>& CToolDescPanel::QuickTools()
{
    static const std::vector<QuickTool> tools = {
        {106, "基本数据统计", 78, 1},   {105, "教师课时统计", 78, 1}, {109, "上课时间查询", 80, 1},
        {1373, "排监考", 40, 1},        {104, "备份排课任务", 78, 2}, {1364, "恢复排课任务", 78, 2},
        {1366, "迁移排课任务", 80, 2},  {1395, "大挪移", 40, 2},      {108, "一键导出所有课表", 101, 3},
        {1374, "导出设置", 56, 3},      {1299, "一键清除课表", 80, 3}, {1372, "反导入", 40, 3},
    };
    return tools;
}

bool CToolDescPanel::IsQuickToolAvailable(int id)
{
    bool found = false;
    const Feature feature = QuickToolFeature(id, &found);
    return !found || FeatureWindows().Has(feature);
}

bool CToolDescPanel::Create(QWidget* parent)
{
    setParent(parent);
    for (const QuickTool& tool : QuickTools()) {
        auto* link = new CHyperLink(this);
        link->Create(tool.caption, Rect(0, 0, tool.width, 20), this, tool.id);
        link->SetURL("");  // a quick tool: the click comes to this panel
        link->SetBkColor(zem::RGB(255, 255, 255));
        link->setFixedSize(tool.width, 20);
        m_links.push_back(link);
    }
    RefreshLinks();
    ShowRandomTip();
    m_timers.SetTimer(kTipTimer, kTipSeconds * 1000);
    m_bCreated = true;
    show();
    Layout();
    return true;
}

void CToolDescPanel::RefreshLinks()
{
    for (CHyperLink* link : m_links)
        link->setEnabled(IsQuickToolAvailable(link->GetControlId()));
}

CHyperLink* CToolDescPanel::GetLink(int id) const
{
    for (CHyperLink* link : m_links) {
        if (link->GetControlId() == id)
            return link;
    }
    return nullptr;
}

bool CToolDescPanel::HasTask() const
{
    return CAppContext::Exists() && CAppContext::Get()->HasTask();
}

void CToolDescPanel::SetTaskName(const std::string& name)
{
    m_strTaskName = name;
    update(m_nameRect.left, m_nameRect.top, m_nameRect.Width(), m_nameRect.Height());
}

void CToolDescPanel::SetTaskLocation(const std::string& path)
{
    m_strTaskLocation = MakeDisplayPath(path);
    update(m_locationRect.left, m_locationRect.top, m_locationRect.Width(), m_locationRect.Height());
}

void CToolDescPanel::ShowTip(int id)
{
    const CTipItem* tip = CAppContext::Get()->GetTipList()->GetById(id);
    if (!tip)
        return;
    m_strTipTitle = tip->title;
    m_strTipText = tip->text;
    update();
    m_timers.KillTimer(kTipTimer);
    m_timers.SetTimer(kTipTimer, kTipSeconds * 1000);
}

void CToolDescPanel::ShowRandomTip()
{
    const CTipItem* tip = CAppContext::Get()->GetTipList()->GetRandom();
    if (!tip)
        return;
    m_strTipTitle = tip->title;
    m_strTipText = tip->text;
    update();
}

void CToolDescPanel::OnTimer(int id)
{
    if (id != kTipTimer)
        return;
    const zem::Point cursor = zem::gui::CursorPos();
    const QPoint local = mapFromGlobal(QPoint(cursor.x, cursor.y));
    if (!m_tipRect.PtInRect({local.x(), local.y()}))
        ShowRandomTip();
}

void CToolDescPanel::OnQuickTool(int id)
{
    if (id == 1366) {
        OpenWebPage(kMoveTaskHelpAddress);
        return;
    }
    bool found = false;
    const Feature feature = QuickToolFeature(id, &found);
    if (!found || !CAppContext::Exists())
        return;
    CAppContext* context = CAppContext::Get();
    switch (id) {
    case 106: context->ShowDataStatisticsDialog(); break;
    case 105: context->ShowTeacherStatisticDialog(); break;
    case 109: context->ShowTeacherTimeQueryDialog(); break;
    case 1373: context->ShowProctorDialog(); break;
    case 104: context->ShowBackupDialog(); break;
    case 1364: context->ShowRestoreDialog(); break;
    case 1395: context->ShowTableMoveDialog(); break;
    case 108: context->ShowExportAllDialog(); break;
    case 1299: context->ShowClearTimetableDialog(); break;
    case 1372: context->ShowReverseImportDialog(); break;
    case 1374:
        // The export settings belong to the printable sheet; they need no task.
        if (!FeatureWindows().Run(feature))
            zem::ShowMessage(kFeatureMissingText);
        break;
    default: break;
    }
}

zem::LRESULT CToolDescPanel::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM)
{
    if (message == WM_QUICK_TOOL)
        OnQuickTool(static_cast<int>(wParam));
    return 0;
}

void CToolDescPanel::Layout()
{
    if (!m_bCreated)
        return;
    const int cx = width();
    const int cy = height();
    m_nameRect = Rect(300, cy - 30, 600, cy);
    m_locationRect = Rect(600, cy - 30, cx, cy);
    m_tipRect = Rect(10, 10, cx - 320, cy - 35);
    int row = 0;
    int x = 0;
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        const QuickTool& tool = QuickTools()[i];
        if (tool.row != row) {
            row = tool.row;
            x = cx - 320;
        }
        m_links[i]->setGeometry(x, 56 + (row - 1) * 26, tool.width, 20);
        x += tool.width + 8;
    }
}

void CToolDescPanel::resizeEvent(QResizeEvent*)
{
    Layout();
    update();
}

void CToolDescPanel::paintEvent(QPaintEvent*)
{
    const int cx = width();
    const int cy = height();
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        DC dc(&image);
        CGdiResources* gdi = CGdiResources::GetInstance();
        DrawBitmapBar(&dc, 0, 0, cx, IDB_DESC_MIDDLE, IDB_DESC_LEFT, IDB_DESC_RIGHT);
        dc.SetBkMode(zem::gui::TRANSPARENT);
        dc.SetTextColor(kBlueText);
        dc.SelectFont(gdi->TitleFont);
        Rect title(50, 30, cx - 345, 60);
        dc.DrawText("小贴士：" + m_strTipTitle, title, zem::gui::DT_SINGLELINE | zem::gui::DT_NOCLIP);
        dc.SelectFont(gdi->NormalFont);
        DrawTipText(dc, Rect(50, 64, cx - 345, cy - 40), m_strTipText);

        dc.SetTextColor(zem::RGB(0, 0, 0));
        const unsigned line = zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT;
        dc.DrawText("当前任务：" + m_strTaskName, m_nameRect, line);
        // A long folder loses its middle rather than its end.
        const QFontMetrics metrics(gdi->NormalFont.GetQFont());
        const QString location = metrics.elidedText(QString::fromStdString("位置：" + m_strTaskLocation),
                                                    Qt::ElideMiddle, std::max(0, m_locationRect.Width() - 10));
        dc.DrawText(location.toStdString(), m_locationRect, line);

        dc.SetTextColor(kBlueText);
        Rect box(cx - 205, 15, cx, 40);
        dc.DrawText("排课工具箱", box, zem::gui::DT_SINGLELINE | zem::gui::DT_NOCLIP);

        dc.SetPenColor(zem::RGB(232, 232, 232));
        dc.MoveTo(cx - 335, 10);
        dc.LineTo(cx - 335, cy - 40);
        dc.MoveTo(cx - 315, 40);
        dc.LineTo(cx - 20, 40);
    }
    QPainter(this).drawImage(0, 0, image);
}

void CToolDescPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (m_tipRect.PtInRect({p.x(), p.y()})) {
        ShowRandomTip();
    } else if (m_locationRect.PtInRect({p.x(), p.y()}) && HasTask()) {
        zem::gui::OpenWithDesktop(CAppContext::Get()->GetTask()->GetTaskInfo().GetTaskFolder());
    }
}

void CToolDescPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    CGdiResources* gdi = CGdiResources::GetInstance();
    const bool overLocation = HasTask() && m_locationRect.PtInRect({p.x(), p.y()});
    setCursor(overLocation ? gdi->m_handCursor : gdi->m_arrowCursor);
}
