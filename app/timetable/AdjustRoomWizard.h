#pragma once
// The wizard that gives chosen teaching plans a new fixed room, or takes their room away: the
// plans' placed lessons (and their combined-class partners') move to the new room or to none,
// and every changed plan is logged.
#include "app/timetable/AdjustWizardBase.h"

class CRoomInfo;

class CAdjustRoomWizard : public CAdjustWizardBase {
public:
    enum { IDC_NO_ROOM = 1398 };
    static constexpr const char* kTitle = "调整教室和场地";
    static constexpr const char* kStep1 = "1 点击这里选择要调整的教学计划";
    static constexpr const char* kStep2 = "2 点击这里选择新的教室和场地";
    // The new room's name in the entry of a change that takes the room away.
    static constexpr const char* kNoRoom = "[不指定教室]";

    explicit CAdjustRoomWizard(QWidget* parent = nullptr);

    void ShowIntro() override;
    void ChoosePlans() override;
    void ChooseTarget() override;
    void SolveConflicts() override;
    void Execute() override;
    void RefreshStatus() override;

protected:
    void OnCommand(int id) override;

private:
    CRoomInfo* NewRoom() const;
    void ShowRoom();
    // "取消指定的教室": no room from now on.
    void ClearRoom();
};
