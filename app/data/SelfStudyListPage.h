#pragma once
// The morning-reading and evening self-study plans of every class: the teaching-plan page over the
// task's self-study list, with the kind as the first column and the two weekly budgets of the week.
#include "app/data/PlanListPage.h"

class CSelfStudyListPage : public CPlanListPage {
public:
    static constexpr const char* kReading = "早读";
    static constexpr const char* kSelfStudy = "晚自习";

    explicit CSelfStudyListPage(QWidget* parent = nullptr);

    std::string Title() override { return "早读和晚自习信息"; }
    std::string StatusText() override;

protected:
    void InitColumns() override;
    bool WriteRow(int row, bool isNew, const CPageRow& cells, CPageNotify& notify) override;
    CZemObjectList& TaskPlans(CScheduleTask& task) const override;
    std::string KindText(const CCourseInfo& plan) const override;
    std::string RepeatKind(const std::string& kind) const override;
    void SetKind(CCourseInfo& plan, const std::string& text) const override;
    void SetCardTotals(int card, const std::vector<KindCount>& counts) override;
    std::string BudgetLine(const std::string& className, const std::string& note) const override;
    std::string BudgetQuestion(const std::string& firstClass, int flagged, const std::string& lines) const override;

private:
    int ReadingSlots() const;
    int SelfStudySlots() const;
};

// The kind a typed or imported kind text stands for: "晚自习" when it names the evening at all.
std::string SelfStudyKindOf(const std::string& text);
