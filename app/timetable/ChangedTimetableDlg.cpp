#include "app/timetable/ChangedTimetableDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shared/AppServices.h"
#include "app/shared/Paths.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/gui/QtText.h"

#include <QTreeWidget>

using zem::Rect;
using zem::gui::ToQ;

namespace {

constexpr int kMargin = 10;

}  // namespace

CChangedTimetableDlg::CChangedTimetableDlg(QWidget* parent)
    : Dialog(parent, "导出打印本次变动的课表", {320, 220}), m_sheet(this)
{
}

std::string CChangedTimetableDlg::ChangedText(const CAdjustmentEntry& entry)
{
    std::string text = "变动课表：";
    CZemObjectList objects;
    CTaskHelper(AppServices().GetTask(), AppHelperContext()).CreateObjectList(entry.ids, &objects);
    // The copies keep the order of the ids; a timetable deleted since is not among them.
    bool first = true;
    for (CZemObject* object : ObjectsInOrder(objects)) {
        text += (first ? "" : "，") + object->GetName();
        first = false;
    }
    return text;
}

bool CChangedTimetableDlg::OnInitDialog()
{
    const CGdiResources* gdi = CGdiResources::GetInstance();
    const bool history = m_mode == ModeHistory;
    if (history)
        SetCaption("历史记录");
    const int bottom = history ? height() - kMargin : height() - kDialogFooterHeight - kMargin;
    m_treeFrame = Rect(kMargin, kMargin, width() - kMargin, bottom);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setFont(gdi->NormalFont.GetQFont());
    m_tree->setIndentation(10);
    m_tree->setStyleSheet("QTreeView::item { height: 24px; }");
    Rect inner = m_treeFrame;
    inner.DeflateRect(1);
    SetWidgetRect(m_tree, inner);
    AddControl(IDC_TREE, m_tree);

    for (const CAdjustmentEntry* entry : m_entries) {
        if (!entry)
            continue;
        auto* root = new QTreeWidgetItem(m_tree, {ToQ(entry->title)});
        auto* child = new QTreeWidgetItem(root, {ToQ(ChangedText(*entry))});
        child->setData(0, Qt::UserRole, 1);
        child->setForeground(0, zem::gui::ToQColor(kChildColor));
        root->setExpanded(true);
    }
    if (m_tree->topLevelItemCount() > 0)
        m_tree->scrollToItem(m_tree->topLevelItem(0));

    const int buttonHeight = Units().Y(14);
    SetWidgetSize(AddHoverButton(this, IDC_EXPORT, "导出课表"), Units().X(50), buttonHeight);
    SetWidgetSize(AddHoverButton(this, IDC_PRINT, "打印课表"), Units().X(50), buttonHeight);
    PlaceButtonRow(this, height() - kDialogFooterHeight + (kDialogFooterHeight - buttonHeight) / 2, {},
                   {IDC_EXPORT, IDC_PRINT});
    ShowItem(IDC_EXPORT, !history);
    ShowItem(IDC_PRINT, !history);
    return true;
}

void CChangedTimetableDlg::OnCommand(int id)
{
    if (m_mode == ModeExportPrint && (id == IDC_EXPORT || id == IDC_PRINT)) {
        ExportOrPrint(id == IDC_EXPORT ? PREVIEW_EXPORT : PREVIEW_PRINT);
        return;
    }
    Dialog::OnCommand(id);
}

void CChangedTimetableDlg::ExportOrPrint(int previewMode)
{
    CScheduleTask* task = m_sheet.GetTask();
    if (!task)
        return;
    std::vector<std::string> ids;
    for (const CAdjustmentEntry* entry : m_entries)
        if (entry)
            StringArrayAddAllUnique(ids, entry->ids);
    CTaskHelper helper(task, AppHelperContext());
    CZemObjectList objects;
    helper.CreateObjectList(ids, &objects);
    if (objects.GetCount() == 0)
        return;

    const bool exporting = previewMode == PREVIEW_EXPORT;
    CMultiSelectDlg chooser(this);
    chooser.SetItems(&objects);
    chooser.m_checkAll = true;
    chooser.m_caption = std::string(exporting ? "选择要导出的" : "选择要打印的") + kGroupName;
    chooser.m_okText = exporting ? "导出" : "打印";
    if (chooser.DoModal() != zem::IDOK)
        return;

    m_sheet.ClearGroups();
    auto group = std::make_unique<CPrintTableGroup>(kGroupName);
    helper.CreateTableItems(chooser.GetChosenIds(), &group->items);
    if (group->items.empty())
        return;
    // One timetable names its workbook.
    if (group->items.size() == 1) {
        group->name = group->items.front()->GetName();
        SanitizeFileName(group->name);
    }
    m_sheet.AddGroup(std::move(group));
    m_sheet.ShowPreview(previewMode, false);
}

void CChangedTimetableDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        if (m_mode == ModeExportPrint)
            dc.FillSolidRect(Rect(0, client.bottom - kDialogFooterHeight, client.right, client.bottom),
                             kDialogBandColor);
        DrawFramedBox(dc, m_treeFrame, false);
    });
}

void ShowChangedTimetables(QWidget* parent, const CAdjustmentEntryList& entries)
{
    std::vector<const CAdjustmentEntry*> newestFirst;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        newestFirst.push_back(it->get());
    CChangedTimetableDlg dialog(parent);
    dialog.SetEntries(std::move(newestFirst));
    dialog.SetMode(CChangedTimetableDlg::ModeExportPrint);
    dialog.DoModal();
}

void ShowAdjustmentHistory(QWidget* parent)
{
    const CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return;
    CAdjustmentHistory history;
    history.Load(task->GetConfigFile(), kAdjustmentHistorySection, kAdjustmentHistoryCount);
    std::vector<const CAdjustmentEntry*> entries;
    for (const auto& entry : history.GetEntries())
        entries.push_back(entry.get());
    CChangedTimetableDlg dialog(parent);
    dialog.SetEntries(std::move(entries));
    dialog.SetMode(CChangedTimetableDlg::ModeHistory);
    dialog.DoModal();
}
