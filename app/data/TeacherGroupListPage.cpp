#include "app/data/TeacherGroupListPage.h"

#include "app/shared/Vocabulary.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/data/BatchAddTeacherGroupDlg.h"
#include "app/data/TeacherGroupDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

#include <algorithm>

using zem::gui::ReportList;

CTeacherGroupListPage::CTeacherGroupListPage(QWidget* parent) : CBasicDataPage(parent)
{
    m_title = "教师组信息列表";
    m_importTitle = "教师组信息";
    m_importKey = "tg";
    m_limitKind = TaskObjectKind::TeacherGroup;
    m_cellCountStopsImport = true;
}

bool CTeacherGroupListPage::OnInitDialog()
{
    if (!CBasicDataPage::OnInitDialog())
        return false;
    // The members take what the list's width leaves.
    GetList()->SetColumnWidth(3, std::max(100, GetList()->width() - 265));
    return true;
}

void CTeacherGroupListPage::InitColumns()
{
    CBasicDataPage::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(1, "教师组", ReportList::Align::Left, 180);
    list->InsertColumn(2, "人数", ReportList::Align::Left, 60);
    list->InsertColumn(3, "成员", ReportList::Align::Left, 300);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (const CTeacherGroupInfo* group : ObjectsInOrder<CTeacherGroupInfo>(task->GetTeacherGroupInfoList())) {
        CTeacherGroupInfo* copy = group->Clone();
        const int row = list->InsertItem(list->GetItemCount(), copy->GetId(), reinterpret_cast<std::uintptr_t>(copy));
        ShowGroup(row, *copy);
    }
}

void CTeacherGroupListPage::ShowGroup(int row, const CTeacherGroupInfo& group)
{
    ReportList* list = GetList();
    list->SetItemText(row, 1, group.GetName());
    list->SetItemText(row, 2, IntToString(static_cast<int>(group.GetTeacherArray().size())));
    list->SetItemText(row, 3, JoinTeacherNames(group.GetTeacherArray(), Task()));
}

std::vector<std::string> CTeacherGroupListPage::ParseMembers(const std::string& cell, bool byName,
                                                             std::vector<std::string>* unknown)
{
    CScheduleTask* task = Task();
    if (!task)
        return {};
    const CZemObjectList& teachers = task->GetTeacherInfoList();
    std::vector<std::string> pieces;
    if (byName) {
        std::vector<std::string> separators{",", "，", "、", ";", "；", "\r\n", "\n", "\r"};
        SplitNameList(cell, separators, &pieces, true);
    } else {
        SplitToArray(cell, ",", pieces, true);
    }
    std::vector<std::string> ids;
    for (const std::string& piece : pieces) {
        const std::string id = byName ? IdByImportedName(teachers, piece) : std::string(zem::Trim(piece));
        if (id.empty() || !teachers.Find(id)) {
            if (unknown)
                unknown->push_back(std::string(zem::Trim(piece)));
            continue;
        }
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

bool CTeacherGroupListPage::WriteRow(int row, bool isNew, const CPageRow& cells, CPageNotify& notify)
{
    ReportList* list = GetList();
    const std::string name(zem::Trim(cells[0]));
    std::vector<std::string> unknown;
    const std::vector<std::string> members = ParseMembers(cells[1], notify.byName, &unknown);
    // A group of no teacher the task knows would go at the next opening, and a member dropped
    // would be lost without a word: the row is refused, naming them.
    if (!unknown.empty()) {
        std::string names;
        for (const std::string& each : unknown)
            names += (names.empty() ? "" : "、") + each;
        return Refuse(&notify, zem::Format("教师组 %s 的成员中有不是已有教师的名字：%s", name.c_str(), names.c_str()), false);
    }
    if (members.empty())
        return Refuse(&notify, zem::Format("教师组 %s 没有成员", name.c_str()), false);
    CTeacherGroupInfo* group = list->GetItemPtr<CTeacherGroupInfo>(row);
    if (isNew || !group) {
        delete group;
        group = new CTeacherGroupInfo;
        group->SetId(list->GetItemText(row, 0));
        list->SetItemData(row, reinterpret_cast<std::uintptr_t>(group));
    }
    group->SetName(name);
    group->ResetGroup(members);
    ShowGroup(row, *group);
    return true;
}

bool CTeacherGroupListPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    // The rows as they stand are the result, whatever brought them (an add, a modify, a batch
    // add, a promotion): the task's limits are asked of them before anything is stored.
    if (const std::string refusal = CheckAddedRows({}, false); !refusal.empty()) {
        zem::ShowMessage(refusal, "提示", zem::MessageIcon::Warning);
        return false;
    }
    BeginStore(CChangeCheck::Plans::Kept);
    CZemObjectList& groups = task->GetTeacherGroupInfoList();
    CopyRowsInto(groups);
    m_deletedIds.clear();
    // The no-class times of the groups that are gone go with them.
    CZemObjectList& fixedTimes = task->GetFixedTimeOfTeacherGroupList();
    std::vector<std::string> stale;
    for (const auto& [id, fixed] : fixedTimes)
        if (!groups.Find(id))
            stale.push_back(id);
    for (const std::string& id : stale)
        fixedTimes.Remove(id);
    return CBasicDataPage::Save();
}

void CTeacherGroupListPage::Add()
{
    CTeacherGroupDlg dialog(this);
    dialog.m_caption = "添加教师组信息";
    if (CScheduleTask* task = Task())
        dialog.m_teachers = &task->GetTeacherInfoList();
    dialog.DoModal();
}

void CTeacherGroupListPage::Edit()
{
    const int row = GetList()->GetFirstSelected();
    if (row < 0)
        return;
    const auto* group = GetList()->GetItemPtr<CTeacherGroupInfo>(row);
    CTeacherGroupDlg dialog(this);
    dialog.m_caption = "修改教师组信息";
    dialog.m_modify = true;
    dialog.m_name = GetList()->GetItemText(row, 1);
    if (group)
        dialog.m_memberIds = group->GetTeacherArray();
    if (CScheduleTask* task = Task())
        dialog.m_teachers = &task->GetTeacherInfoList();
    dialog.DoModal();
}

void CTeacherGroupListPage::BatchAdd()
{
    RunBatchAdd<CBatchAddTeacherGroupDlg>(this);
}
