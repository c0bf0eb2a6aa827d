#pragma once
// "批量添加教师组（根据当前教学计划信息生成）": one proposed group per subject of the open task, made
// of the teachers of that subject's teaching plans; each ticked proposal becomes a teacher group,
// and the ones the page refuses (their name exists) are listed afterwards.
#include "app/data/BatchAddCommon.h"

#include <memory>
#include <string>
#include <vector>

class CScheduleTask;

struct CProposedTeacherGroup {
    std::string name;
    std::vector<std::string> teacherIds;
};

// The proposals of the task: subject by subject in the task's order, named subject + "组", with the
// main teachers of the subject's plans in plan order, each once; subjects without a plan propose
// nothing.
std::vector<CProposedTeacherGroup> ProposeTeacherGroups(const CScheduleTask& task);

class CBatchAddTeacherGroupDlg : public CBatchCheckListDlg {
public:
    enum { IDD = 353, IDC_LIST = 1371, IDC_CHECK_ALL = 1136, IDC_CHECK_NONE = 1137 };

    // The teacher-group page that opens the dialog is its parent and receives the rows. Without a
    // task the open task proposes.
    explicit CBatchAddTeacherGroupDlg(QWidget* parent = nullptr, const CScheduleTask* task = nullptr);
    ~CBatchAddTeacherGroupDlg() override;

    const std::vector<CProposedTeacherGroup>& GetProposals() const { return m_proposals; }

protected:
    bool OnInitDialog() override;
    // Sends the ticked proposals, lists the refused ones and closes; with none ticked it asks for
    // one and stays open.
    void OnOK() override;

private:
    const CScheduleTask* m_task;
    // The list's rows, in the same order.
    std::vector<CProposedTeacherGroup> m_proposals;
};
