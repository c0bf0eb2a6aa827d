#pragma once
// The wizard that exchanges ticked teaching plans between two teachers: A's ticked plans (and the
// assistant places A holds on them) go to B, B's to A, with their placed lessons.
#include "app/timetable/AdjustWizardBase.h"

class CTeacherInfo;

namespace zem::gui {
class ItemList;
}

class CSwapTeacherWizard : public CAdjustWizardBase {
public:
    enum { IDC_PLANS_A = 1406, IDC_PLANS_B = 1407 };
    static constexpr const char* kTitle = "交换任课教师";
    static constexpr const char* kStep1 = "1 选择其中一个要交换的任课教师";
    static constexpr const char* kStep2 = "2 选择另一个要交换的任课教师";
    static constexpr int kListHeight = 60;

    explicit CSwapTeacherWizard(QWidget* parent = nullptr);

    void ShowIntro() override;
    // Teacher A, then teacher B.
    void ChoosePlans() override;
    void ChooseTarget() override;
    void SolveConflicts() override;
    void Execute() override;
    void RefreshStatus() override;

    CTeacherInfo* GetTeacher(int side) const { return m_teachers[side]; }
    zem::gui::ItemList* GetList(int side) const { return m_lists[side]; }
    const std::vector<std::string>& GetTickedIds(int side) const { return m_ticked[side]; }

private:
    void ChooseTeacher(int side);
    // Every plan the side's teacher teaches or assists, ticked.
    void FillList(int side);
    void TakeTicked(int side);
    void ShowTables();
    std::string PairText(const char* format) const;
    std::string StayingPartnersText() const;

    CTeacherInfo* m_teachers[2] = {nullptr, nullptr};
    zem::gui::ItemList* m_lists[2] = {nullptr, nullptr};
    std::vector<std::string> m_ticked[2];
};
