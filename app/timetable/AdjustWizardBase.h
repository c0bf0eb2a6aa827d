#pragma once
// The frame of the plan adjustment wizards: the chosen plans' timetable on the left, the target's
// (a teacher or a room) on the right, a step button over each, the status with its conflict count,
// and the entries of what was executed, which go to the adjustment history when the window closes.
// The plan chooser opens by itself right after the window is shown.
#include "app/shared/AdjustmentHistory.h"
#include "base/ChangeCheck.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"
#include "table/WeekTable.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CCourseInfo;
class CCourseTable;
class CScheduleTask;
class CTaskHelper;
class CTeacherInfo;
class CZemTableObject;

class CAdjustWizardBase : public zem::gui::Dialog {
public:
    enum {
        IDD = 256,
        IDC_LEFT_FRAME = 1138,
        IDC_RIGHT_FRAME = 1139,
        IDC_STEP1 = 1140,
        IDC_STEP2 = 1141,
        IDC_STATUS = 1023,
        IDC_SOLVE = 1143,
        IDC_EXPORT = 1359,
    };
    static constexpr int kChooseTimer = 1;
    static constexpr int kChooseDelayMs = 300;
    static constexpr const char* kSuccess = "调整成功";
    static constexpr const char* kNotSaved = "调整没有保存";
    static constexpr const char* kNotDone = "调整会违反排课规则，已撤销";
    static constexpr const char* kUnsolved = "冲突还未解决，不能直接调整";

    explicit CAdjustWizardBase(QWidget* parent = nullptr);
    ~CAdjustWizardBase() override;

    // The steps; each wizard gives them their meaning.
    virtual void ShowIntro() {}
    virtual void ChoosePlans() {}
    virtual void ChooseTarget() {}
    virtual void SolveConflicts() {}
    virtual void Execute() {}
    virtual void RefreshStatus() {}

    const std::string& GetTitle() const { return m_title; }
    const std::string& GetStatusText() const { return m_statusText; }
    bool IsStatusConflict() const { return m_statusConflict; }
    int GetConflictCount() const { return m_conflictCount; }
    const std::vector<CCourseInfo*>& GetPlans() const { return m_plans; }
    CZemTableObject* GetTarget() const { return m_target; }
    // What was executed in this window, in execution order.
    const CAdjustmentEntryList& GetEntries() const { return m_entries; }
    CWeekTable& GetLeftTable() { return m_left; }
    CWeekTable& GetRightTable() { return m_right; }

protected:
    void SetCaptions(const std::string& title, const std::string& step1, const std::string& step2);
    void SetStatusText(const std::string& text, bool conflict);
    // The target's timetable on the right: kind 1 a teacher's, 2 a room's; null clears it.
    void ShowTargetTable(const CCourseTable* table, int kind) { ShowObjectTable(m_right, table, kind); }
    // One timetable in either preview; null clears it.
    void ShowObjectTable(CWeekTable& grid, const CCourseTable* table, int kind);
    // The chosen plans' timetables together on the left.
    void ShowPlansTable();
    void SetChangedTables(const std::vector<std::string>& ids);
    // Takes the pending changed timetables into the entry and keeps the entry.
    void AddHistoryEntry(std::unique_ptr<CAdjustmentEntry> entry);
    // Counts the clashes of the plans with the target (kind 1 teacher, 2 room) and sets the status
    // and the buttons; `same` is the text when every plan has the target already.
    void CountConflicts(int kind, const std::string& same, const std::string& none);
    // The status and buttons for a count of clashes: `none` enables execution, clashes their solving.
    void ShowConflictCount(int count, const std::string& none);
    // The plan picker of the wizards that change plans: on OK step 1's button and the left
    // preview show the new plans, and the status is refreshed.
    void PickPlans();
    // Step 1's button and the left preview after the plans changed.
    void ShowPlans();
    // The chosen plans' description.
    std::string PlansText() const;
    // The teacher chosen in the teacher picker; null when none was.
    CTeacherInfo* PickTeacher();
    // The refusals every execution shares; true when it may go on to its question.
    bool MayExecute();
    // The question before an execution (Yes/No); true on Yes.
    static bool Confirm(const std::string& text, bool noByDefault = false);
    // Backs the task up before a change and takes the state the change is checked against; false
    // (the user was told) refuses the change.
    bool BackUpTask();
    // Asks the task's rules over the change made since BackUpTask: a rule it broke undoes it (the
    // plans, the working timetables and its entries) and is named. Then commits the working
    // timetables and writes input.xml, then output.xml; sets the status and tells the user either
    // way; on success the changed timetables can be exported and printed. The entries of the change are kept even when the save fails: the
    // change stays in memory and a later save writes it.
    bool CommitAndSave();

    // Moves the tops of both previews down by `height` pixels; the freed bands, left and right.
    std::pair<zem::Rect, zem::Rect> LowerPreviews(int height);

    CScheduleTask* Task() const { return m_task; }
    std::string StepCaption(int step) const { return step == 1 ? m_step1 : m_step2; }

    std::vector<CCourseInfo*> m_plans;
    bool m_plansChosen = false;
    CZemTableObject* m_target = nullptr;
    int m_conflictCount = 0;

    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override { Execute(); }
    void OnCancel() override;
    void paintEvent(class QPaintEvent* event) override;

private:
    // The plans' teachers and rooms and the assistants' lists, as an undone change puts them back.
    struct PlanStaff {
        CCourseInfo* plan;
        std::string teacher;
        std::string room;
        ROOM_STRATEGY roomStrategy;
    };

    void OnTimer(int id);
    void TakeStateBefore();
    bool KeepsTheRules();
    void PutPlansBack();

    CScheduleTask* m_task = nullptr;
    std::string m_title;
    std::string m_step1;
    std::string m_step2;
    std::string m_statusText;
    bool m_statusConflict = false;
    std::vector<std::string> m_pendingIds;
    CAdjustmentEntryList m_entries;
    std::optional<CChangeCheck> m_check;
    std::vector<PlanStaff> m_staffBefore;
    std::vector<std::pair<std::string, std::vector<std::string>>> m_assistantsBefore;
    std::size_t m_entriesBefore = 0;
    CWeekTable m_left;
    CWeekTable m_right;
    zem::Rect m_leftFrame;
    zem::Rect m_rightFrame;
    zem::Rect m_statusRect;
    zem::gui::WindowTimers m_timers;
};
