#include "app/shell/ScheduleCompletionDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/LessonCounter.h"
#include "app/shared/Strings.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QTreeWidget>

using zem::Rect;

CScheduleCompletionDlg::CScheduleCompletionDlg(QWidget* parent) : Dialog(parent, "排课完成情况", {392, 262}) {}

std::string CScheduleCompletionDlg::MakePlanText(const std::vector<std::string>& planIds)
{
    const CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return {};
    std::vector<std::string> names;
    for (const std::string& id : planIds)
        if (const CCourseInfo* plan = task->FindCourse(id))
            names.push_back(task->GetSubjectName(plan->GetSubjectId()));
    if (planIds.size() < 4) {
        std::string text;
        for (const std::string& name : names)
            text += (text.empty() ? "" : ",") + name;
        return text;
    }
    return zem::Format("%s等%d门课程", names.empty() ? "" : names.back().c_str(), static_cast<int>(planIds.size()));
}

bool CScheduleCompletionDlg::OnInitDialog()
{
    const auto& u = Units();
    m_treeRect = Rect(u.X(7), u.X(7), width() - u.X(7), height() - kDialogBandHeight - u.X(7));
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setIndentation(16);
    Rect tree = m_treeRect;
    tree.DeflateRect(3);
    SetWidgetRect(m_tree, tree);
    AddControl(IDC_TREE, m_tree);
    QObject::connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        if (TakeClassOf(item))
            EndDialog(zem::IDOK);
    });

    CHoverButton* ok = AddHoverButton(this, zem::IDOK, "打开选中的班级课表");
    SetWidgetSize(ok, u.X(90), u.Y(15));
    CHoverButton* close = AddHoverButton(this, zem::IDCANCEL, "关闭");
    SetWidgetSize(close, u.X(50), u.Y(15));
    PlaceButtonRow(this, height() - kDialogBandHeight + (kDialogBandHeight - ok->height()) / 2, {},
                   {zem::IDOK, zem::IDCANCEL});
    ok->setDefault(true);

    if (m_counter) {
        m_tree->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
        m_tree->setStyleSheet("QTreeView::item { height: 20px; }");
        FillTree();
    }
    return true;
}

QTreeWidgetItem* CScheduleCompletionDlg::AddGroup(const char* format, const std::vector<std::string>& ids,
                                                  const char* itemFormat, bool unfinished)
{
    const CScheduleTask* task = AppServices().GetTask();
    auto* group = new QTreeWidgetItem(m_root, {zem::gui::ToQ(zem::Format(format, static_cast<int>(ids.size())))});
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::string name = task ? task->GetClassNameA(ids[i]) : ids[i];
        std::string text = name;
        const CLessonCounter::ClassRecord* record = itemFormat ? m_counter->Lookup(ids[i]) : nullptr;
        if (record)
            text = zem::Format(itemFormat, name.c_str(), record->placed.ToString().c_str(),
                               record->planned.ToString().c_str(),
                               MakePlanText(unfinished ? record->unfinishedPlans : record->overPlacedPlans).c_str());
        auto* item = new QTreeWidgetItem(group, {zem::gui::ToQ(text)});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
    }
    return group;
}

void CScheduleCompletionDlg::FillTree()
{
    m_unfinished.clear();
    m_overPlaced.clear();
    m_finished.clear();
    m_counter->GetIdsWithLessons(m_unfinished);
    m_counter->GetIdsWithLessons2(m_overPlaced);
    m_counter->GetIdsDiffering(m_finished);
    const CScheduleTask* task = AppServices().GetTask();
    const int classes = task ? static_cast<int>(task->GetClassInfoList().GetCount()) : 0;
    m_root = new QTreeWidgetItem(m_tree, {zem::gui::ToQ(zem::Format("所有班级(%d)", classes))});
    m_unfinishedItem = AddGroup("未排完(%d)", m_unfinished, "%s (已排%s节/总%s节 其中 %s 未排完)", true);
    m_overPlacedItem = AddGroup("已超出(%d)", m_overPlaced, "%s (已排%s节/总%s节 其中 %s 超排)", false);
    m_finishedItem = AddGroup("已排完(%d)", m_finished, nullptr, false);
    m_root->setExpanded(true);
    m_unfinishedItem->setExpanded(m_unfinishedItem->childCount() > 0);
}

bool CScheduleCompletionDlg::TakeClassOf(QTreeWidgetItem* item)
{
    if (!item || !item->parent() || item == m_root || item->parent() == m_root)
        return false;
    const std::vector<std::string>* list = item->parent() == m_unfinishedItem ? &m_unfinished
                                           : item->parent() == m_overPlacedItem ? &m_overPlaced
                                                                                : &m_finished;
    const int index = item->data(0, Qt::UserRole).toInt();
    if (index >= 0 && index < static_cast<int>(list->size()))
        m_selectedClassId = (*list)[index];
    return true;
}

void CScheduleCompletionDlg::OnOK()
{
    if (!TakeClassOf(m_tree ? m_tree->currentItem() : nullptr)) {
        ShowMessage(kNoClassText);
        return;
    }
    EndDialog(zem::IDOK);
}

void CScheduleCompletionDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(Rect(0, client.bottom - kDialogBandHeight, client.right, client.bottom), kDialogBandColor);
        DrawFramedBox(dc, m_treeRect, false);
    });
}
