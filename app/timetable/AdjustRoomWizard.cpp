#include "app/timetable/AdjustRoomWizard.h"

#include "app/controls/DialogPlacement.h"
#include "app/controls/HoverButton.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <tuple>

CAdjustRoomWizard::CAdjustRoomWizard(QWidget* parent) : CAdjustWizardBase(parent)
{
    SetCaptions(kTitle, kStep1, kStep2);
}

CRoomInfo* CAdjustRoomWizard::NewRoom() const { return dynamic_cast<CRoomInfo*>(m_target); }

void CAdjustRoomWizard::ShowIntro()
{
    SetStatusText("课表已排好，却要换教室和场地，不用着急，我来帮忙", false);
    QWidget* step2 = GetDlgItem(IDC_STEP2);
    const QRect rect = step2->geometry();
    SetWidgetSize(step2, rect.width() - 105, rect.height());
    AddHoverButton(this, IDC_NO_ROOM, "取消指定的教室",
                   zem::Rect(rect.right() + 1 - 100, rect.top(), rect.right() + 1, rect.bottom() + 1));
}

void CAdjustRoomWizard::ShowRoom()
{
    CRoomInfo* room = NewRoom();
    ShowTargetTable(room ? &room->GetCombineTable(true) : nullptr, TABLE_ROOM);
}

void CAdjustRoomWizard::OnCommand(int id)
{
    if (id == IDC_NO_ROOM) {
        ClearRoom();
        return;
    }
    CAdjustWizardBase::OnCommand(id);
}

void CAdjustRoomWizard::ChoosePlans() { PickPlans(); }

void CAdjustRoomWizard::ChooseTarget()
{
    if (!Task())
        return;
    CRoomPickerDlg picker(this);
    if (picker.DoModal() != zem::IDOK)
        return;
    auto* room = dynamic_cast<CRoomInfo*>(picker.GetSelectedObject());
    if (!room)
        return;
    m_target = room;
    SetDlgItemText(IDC_STEP2, zem::Format("新的教室和场地：%s", room->GetName().c_str()));
    ShowRoom();
    RefreshStatus();
}

void CAdjustRoomWizard::ClearRoom()
{
    m_target = nullptr;
    SetDlgItemText(IDC_STEP2, kStep2);
    ShowTargetTable(nullptr, TABLE_ROOM);
    RefreshStatus();
    zem::ShowMessage(!m_plans.empty()
                         ? "右侧已清空\r\n请点击下方的执行调整按钮，可取消左侧教学计划中已指定的教室和场地"
                         : "请在左侧选择要取消教室的教学计划，再点击下方的执行调整按钮。");
}

void CAdjustRoomWizard::RefreshStatus()
{
    if (m_plans.empty())
        return;
    CountConflicts(TABLE_ROOM, "同一教室和场地，调整没有意义",
                   NewRoom() ? "没有冲突，可以调整" : "没有选择新的教室，单击调整按钮可以取消已指定的教室");
}

void CAdjustRoomWizard::SolveConflicts()
{
    CRoomInfo* room = NewRoom();
    if (m_plans.empty() || !room)
        return;
    CTeacherConflictDlg dialog(this);
    dialog.SetWindowTitle(
        zem::Format("教室和场地时间冲突 - 将 %s 的教室修改为 %s", PlansText().c_str(), room->GetName().c_str()));
    dialog.AddConflicts(m_plans, room, TABLE_ROOM);
    if (dialog.DoModal() != zem::IDOK)
        return;
    ShowPlans();
    ShowRoom();
    RefreshStatus();
    SetChangedTables(dialog.GetResultIds());
}

void CAdjustRoomWizard::Execute()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    if (m_plans.empty()) {
        zem::ShowMessage("请选择要调整的教学计划");
        return;
    }
    if (!MayExecute())
        return;
    CRoomInfo* room = NewRoom();
    const std::string plans = PlansText();
    const bool yes = room ? Confirm(zem::Format("确定要将 %s 的教室\n调整为 %s 吗", plans.c_str(), room->GetName().c_str()))
                          : Confirm(zem::Format("没有指定新的教室，您是要取消 %s 已安排的教室吗", plans.c_str()), true);
    if (!yes || !BackUpTask())
        return;

    const std::string newId = room ? room->GetId() : std::string();
    CTaskHelper helper(task, AppHelperContext());
    helper.RestoreTempTables();
    std::vector<std::string> changed;
    for (CCourseInfo* plan : m_plans) {
        // Both plans of a combined class chosen: the first one's change moved the other's lessons.
        if (StringArrayContainsNoCase(changed, plan->GetId()))
            continue;
        const std::string oldRoom = plan->GetSpecialRoomId();
        // The description names the room: the one it had.
        const std::string description = task->GetCourseDesc(plan);
        std::vector<CCourseInfo*> members{plan};
        if (CCombineClass* combined = task->GetCC(plan->GetId()))
            for (const std::string& otherId : combined->GetCombineCourse())
                if (CCourseInfo* other = task->FindCourse(otherId); other && other != plan)
                    members.push_back(other);
        for (CCourseInfo* member : members) {
            member->SetRoom(newId);
            StringArrayAddUnique(changed, member->GetId());
        }
        // The rooms the lessons (the partners' too) leave change as well, fixed or given by the
        // scheduling. A lesson's move takes its partners' along.
        std::vector<std::string> leftRooms;
        std::vector<std::tuple<tagTABLE_NODE, int>> lessons;
        for (CCourseInfo* member : members)
            ForEachPlacedLesson(task->GetSchoolStructure(), *member,
                                [&](const tagTABLE_NODE& node, int part, const CCourseTableNode& cell) {
                                    if (member == plan)
                                        lessons.emplace_back(node, part);
                                    const std::string& lessonRoom = cell.data(part == 2 ? 2 : 1).GetRoomId();
                                    if (!lessonRoom.empty() && lessonRoom != newId)
                                        StringArrayAddUnique(leftRooms, lessonRoom);
                                });
        for (const auto& [node, part] : lessons)
            helper.ChangeRoom(plan, node, part, newId);

        auto entry = std::make_unique<CAdjustmentEntry>();
        entry->title = zem::Format("%s 调整教室和场地 %s -> %s", GetNowString().c_str(), description.c_str(),
                                   room ? room->GetName().c_str() : kNoRoom);
        CollectCombinedClassIds(entry->ids, plan, task);
        if (!oldRoom.empty())
            StringArrayAddUnique(entry->ids, oldRoom);
        StringArrayAddAllUnique(entry->ids, leftRooms);
        if (room)
            StringArrayAddUnique(entry->ids, newId);
        AddHistoryEntry(std::move(entry));
    }
    if (!CommitAndSave())
        return;
    m_plansChosen = false;
    ShowPlans();
    ShowRoom();
}
