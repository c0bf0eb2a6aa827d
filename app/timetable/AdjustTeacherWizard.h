#pragma once
// The wizard that gives chosen teaching plans a new teacher: their placed lessons move from the old
// teacher's timetable to the new one's, and every changed plan is logged.
#include "app/timetable/AdjustWizardBase.h"

#include <string>

class CTeacherInfo;

class CAdjustTeacherWizard : public CAdjustWizardBase {
public:
    static constexpr const char* kTitle = "调整任课教师";
    static constexpr const char* kStep1 = "1 点击这里选择要调整的教学计划";
    static constexpr const char* kStep2 = "2 点击这里选择新的任课教师";
    // The old teacher's name in the entry of a plan that had no teacher of the task.
    static constexpr const char* kNoTeacher = "[无教师]";

    explicit CAdjustTeacherWizard(QWidget* parent = nullptr);

    void ShowIntro() override;
    void ChoosePlans() override;
    void ChooseTarget() override;
    void SolveConflicts() override;
    void Execute() override;
    void RefreshStatus() override;

private:
    CTeacherInfo* NewTeacher() const;
    std::string PartnersText(const CTeacherInfo* teacher) const;
};
