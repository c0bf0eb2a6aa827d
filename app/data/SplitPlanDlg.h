#pragma once
// The plan-split tool: the user chooses plans, a count N, where in the week the lessons are taken
// and a new course; each plan's row tells whether it may be split and why not, and "执行拆分"
// gives N lessons of every allowed plan to the new course.
#include "app/shared/AdjustmentHistory.h"
#include "app/data/PlanSplit.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"

#include <random>
#include <string>
#include <vector>

class CCourseInfo;
class CScheduleTask;

namespace zem::gui {
class ReportList;
}

class CSplitPlanDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 384,
        IDC_CHOOSE = 1140,
        IDC_PLANS = 1080,
        IDC_POSITION = 1018,
        IDC_COUNT = 1341,
        IDC_COURSE = 1017,
        IDC_EXPORT = 1359,
    };
    // Columns of the plan list.
    enum { kRefusedMark = 0, kPlan = 1, kKind = 2, kWeekCount = 3, kReason = 4 };
    static constexpr int kChooseTimer = 1;
    static constexpr int kChooseDelayMs = 300;
    static constexpr zem::COLORREF kRefusedColor = zem::RGB(255, 0, 0);

    explicit CSplitPlanDlg(QWidget* parent = nullptr);
    ~CSplitPlanDlg() override;

    void ChoosePlans();
    void RefreshPreview();
    // Fixes the random choice of lessons; the generator is seeded from the clock otherwise.
    void SetSeed(unsigned seed) { m_random.seed(seed); }

    const std::vector<CCourseInfo*>& GetPlans() const { return m_plans; }
    int GetCount() const { return m_count; }
    const std::string& GetNewCourseId() const { return m_newCourseId; }
    int GetPosition() const { return m_position; }
    zem::gui::ReportList* GetList() const { return m_list; }

protected:
    bool OnInitDialog() override;
    // "执行拆分".
    void OnOK() override;
    void OnCancel() override;
    void OnCommand(int id) override;
    void paintEvent(class QPaintEvent* event) override;

private:
    // The line that says how to split: where, how many, into which course.
    void AddSentence(int top);
    void AddPlanList(int top, int bottom);
    void OnTimer(int id);
    void FillRows();
    void OnCountText(const std::string& text);

    CScheduleTask* m_task = nullptr;
    std::vector<CCourseInfo*> m_plans;
    bool m_plansChosen = false;
    int m_count = 1;
    std::string m_newCourseId;
    int m_position = kSplitRandom;
    CPlanKeyIndex m_index;
    CAdjustmentEntryList m_entries;
    std::mt19937 m_random;
    zem::gui::ReportList* m_list = nullptr;
    zem::Rect m_listFrame;
    zem::gui::WindowTimers m_timers;
};
