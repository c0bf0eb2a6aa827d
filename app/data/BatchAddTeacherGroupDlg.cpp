#include "app/data/BatchAddTeacherGroupDlg.h"

#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"

std::vector<CProposedTeacherGroup> ProposeTeacherGroups(const CScheduleTask& task)
{
    std::vector<CZemObject*> subjects;
    std::vector<CZemObject*> plans;
    MapToOrderedList(task.GetSubjectInfoList(), subjects);
    MapToOrderedList(task.GetCourseInfoList(), plans);
    std::vector<CProposedTeacherGroup> proposals;
    for (const CZemObject* subject : subjects) {
        CProposedTeacherGroup group{subject->GetName() + "组", {}};
        for (const CZemObject* object : plans) {
            const auto* plan = static_cast<const CCourseInfo*>(object);
            if (plan->GetSubjectId() == subject->GetId())
                StringArrayAddUnique(group.teacherIds, plan->GetTeacherId());
        }
        if (!group.teacherIds.empty())
            proposals.push_back(std::move(group));
    }
    return proposals;
}

CBatchAddTeacherGroupDlg::CBatchAddTeacherGroupDlg(QWidget* parent, const CScheduleTask* task)
    : CBatchCheckListDlg(parent, "批量添加教师组（根据当前教学计划信息生成）", {280, 160}, IDC_LIST, 5), m_task(task)
{
}

CBatchAddTeacherGroupDlg::~CBatchAddTeacherGroupDlg() = default;

bool CBatchAddTeacherGroupDlg::OnInitDialog()
{
    CreateList(IDC_CHECK_ALL, IDC_CHECK_NONE);
    if (!m_task)
        m_task = AppServices().GetTask();
    if (m_task)
        m_proposals = ProposeTeacherGroups(*m_task);
    for (const CProposedTeacherGroup& group : m_proposals) {
        const std::string first = m_task->GetTeacherName(group.teacherIds.front());
        const std::string text = zem::Format("%s（%s等%d人）", group.name.c_str(), first.c_str(),
                                             static_cast<int>(group.teacherIds.size()));
        const int row = GetList()->InsertItem(GetList()->GetItemCount(), text);
        GetList()->SetCheck(row, false);
    }
    return true;
}

void CBatchAddTeacherGroupDlg::OnOK()
{
    const std::vector<int> ticked = TickedRows();
    if (ticked.empty()) {
        ShowMessage("请先勾选要添加的教师组");
        return;
    }
    std::vector<CPageRow> rows;
    for (int row : ticked) {
        const CProposedTeacherGroup& group = m_proposals.at(static_cast<std::size_t>(row));
        std::string members;
        for (const std::string& id : group.teacherIds)
            members += (members.empty() ? "" : ",") + id;
        rows.push_back({group.name, members});
    }
    std::vector<bool> taken;
    if (!SendBatchRows(this, rows, &taken))
        return;
    std::string refused;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (taken[i])
            continue;
        if (!refused.empty())
            refused += "\r\n";
        refused += rows[i][0];
    }
    if (!refused.empty())
        zem::ShowMessage("由于名称已经存在，以下教师组本次没有添加成功：\n\n" + refused, "提示", zem::MessageIcon::Warning);
    EndDialog(zem::IDOK);
}
