#pragma once
// The teaching plans of the open task, class by class: class cards on the left, the plans of the
// chosen class on the right. The page edits private copies of the classes, courses, teachers,
// rooms and plans; only Save writes them back into the task.
#include "app/controls/CardListBox.h"
#include "app/data/AddPlanDlg.h"
#include "app/data/BasicDataPage.h"
#include "app/output/import/PlanReader.h"
#include "base/WeekCount.h"
#include "base/ZemObject.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Timers.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CCourseInfo;
class CScheduleTask;

// One request of the batch change: one property of one course's rows in many classes.
struct tagPLAN_BATCH_MODIFY {
    std::vector<std::string> classIds;
    std::string courseName;
    int property = 0;  // 0 course name, 1 kind, 2 weekly count, 3 lessons per block, 4 number of blocks
    std::string value;
    int changedClasses = 0;
    bool handled = false;
    std::string refusal;  // why nothing was changed: a row the change would give a plan no plan may have
};

// Reads a weekly count such as "2", "0" or "1.5"; false for text that is no such number, or a count
// neither whole nor half a lesson more.
bool ParseWeekCountText(const std::string& text, CWeekCount* count);

// The plan dialog's rules of a plan's blocks (lessons per block, number of blocks) against its
// weekly count: empty, or the message of the first rule broken; `blocks` tells whether it is about
// the number of blocks rather than the lessons per block.
std::string PlanBlocksRefusal(const CWeekCount& count, int nodes, int times, bool* blocks = nullptr);

class CPlanListPage : public CBasicDataPage, public CTeacherChangeGuard {
public:
    enum {
        IDC_CARDS = 1400,
        IDC_CLONE = 102,
        IDC_BATCH_MODIFY = 1367,
        IDC_CLEAR = 1624,
        IDC_EXPORT = 1088,
        ID_CLEAR_CLASS = 32855,
        ID_CLEAR_ALL = 32856,
        kImportTimer = 1
    };
    static constexpr const char* kMainCourse = "主课";
    static constexpr const char* kMinorCourse = "副课";

    explicit CPlanListPage(QWidget* parent = nullptr);
    ~CPlanListPage() override;

    bool Save() override;
    void Add() override;
    void Edit() override;
    void Import() override;
    // "导出(&T)": the plans in the shape the import reads, [Common] ImportFormat choosing which.
    void Export();
    std::string Title() override { return "教学计划信息"; }
    std::string StatusText() override;
    void UpdateStatus() override;
    void UpdateButtons() override;
    void DrawExtra(zem::gui::DC& dc, const zem::Rect& client) override;

    bool ConfirmTeacherChange(const std::string& planId, const std::string& teacherName, bool* noDialog) override;
    // False when a class over the budget made the user cancel.
    bool CheckWeeklyBudget();
    // The steps of Save.
    bool FindTeacherChanges(const std::vector<CCourseInfo*>& plans, std::vector<CCourseInfo*>& changed);
    bool ConfirmTeacherChanges(const std::vector<CCourseInfo*>& changed);
    void CommitPlans(const std::vector<CCourseInfo*>& plans, const std::vector<CCourseInfo*>& changed,
                     const std::vector<std::string>& deleted);
    void MoveTeacherLessons(CCourseInfo* plan, const std::string& oldId, const std::string& newId);
    void RefreshTablesFromTask();
    void SortTeachersByName();

    void OnClone();
    void ClearShownClass();
    void ClearAllClasses();
    zem::LRESULT OnBatchModify(tagPLAN_BATCH_MODIFY* request);
    // The first row of the shown class the batch modify would give a plan the plan dialog refuses.
    std::string BatchModifyRefusal(const tagPLAN_BATCH_MODIFY& request) const;

    // Writes the rows of the shown class into its plan list.
    void CommitRows();
    CCardListBox* GetCards() const { return m_cards; }
    const std::string& GetShownClassId() const { return m_classId; }
    // The working plans of a class; null for a class without a card.
    CZemObjectList* PlansOf(const std::string& classId) const;
    CZemObjectList& Classes() { return m_classes; }
    CZemObjectList& Courses() { return m_courses; }
    CZemObjectList& Teachers() { return m_teachers; }
    CZemObjectList& Rooms() { return m_rooms; }
    // Selects the card and shows its plans.
    void SelectCard(int index);

protected:
    // Where each part of a plan stands among the columns; a row's cells follow the same order,
    // with the class name as cell 0.
    struct PlanColumns {
        int course, teacher, kind, weekCount, nodes, times, room;
    };
    // One row or plan as the class card sums it.
    struct KindCount {
        std::string kind;
        CWeekCount count;
    };

    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void InitColumns() override;
    // The task's list the page edits.
    virtual CZemObjectList& TaskPlans(CScheduleTask& task) const;
    virtual std::string KindText(const CCourseInfo& plan) const;
    // What of a row's kind tells two plans of one class, subject and teacher apart: nothing for
    // teaching plans, morning reading or evening self-study for those.
    virtual std::string RepeatKind(const std::string&) const { return {}; }
    virtual void SetKind(CCourseInfo& plan, const std::string& text) const;
    // The count and total shown on a class card, and whether the class is over the week's budget.
    virtual void SetCardTotals(int card, const std::vector<KindCount>& counts);
    virtual int UsablePeriods() const;
    // The save's question about classes over the budget, and its line for one class.
    virtual std::string BudgetLine(const std::string& className, const std::string& note) const;
    virtual std::string BudgetQuestion(const std::string& firstClass, int flagged, const std::string& lines) const;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    int MinimumCells() const override { return 8; }
    bool Validate(const CPageRow*, CPageNotify*) override { return true; }
    bool WriteRow(int row, bool isNew, const CPageRow& cells, CPageNotify& notify) override;

    bool EnsureRowObjects(const CPageRow& cells);
    // Why an imported row is no plan to store (a missing name, a count that is no number, a plan
    // the class has already); empty when it is one. The row's class is the one shown.
    std::string CheckImportedRow(const CPageRow& cells) const;
    // The task's limits on classes, subjects, teachers, rooms and plans after these rows.
    std::string CheckAddedRows(const std::vector<CPageRow>& rows, bool byName, int replacedRow = -1) const override;

    PlanColumns m_col{1, 2, 3, 4, 5, 6, 7};
    // What the page's lists are called in its texts.
    std::string m_what = "教学计划";
    std::string m_logTag = "course list";
    bool m_selfStudy = false;
    // Made for a class or room that an imported row names and the copies lack.
    int m_newClassStudents = 50;
    int m_newRoomCapacity = 1;
    std::vector<std::string> m_kindNames{kMainCourse, kMinorCourse};
    std::string m_className;

private:
    zem::LRESULT OnPlanRow(CPageNotify* notify, const CPageRow* cells);
    void CopyListsFromTask();
    void LoadPlans();
    int AddCard(CZemObject* cls);
    void UpdateClassCard(int card, const CZemObjectList& plans);
    void ShowClassPlans();
    // The plan a row stands for, built on `base` (null: a new plan).
    CCourseInfo* PlanFromRow(int row, const CCourseInfo* base) const;
    void LayoutCards();
    void OpenPlanDialog(bool modify);

    CZemObjectList m_classes, m_courses, m_teachers, m_rooms;
    std::map<std::string, std::unique_ptr<CZemObjectList>> m_plans;
    std::vector<std::unique_ptr<CCardInfo>> m_cardInfos;
    std::string m_classId;
    CZemObjectList* m_shownPlans = nullptr;
    CCardListBox* m_cards = nullptr;
    zem::Rect m_cardFrame;
    zem::Rect m_planHeading;
    bool m_showing = false;
    bool m_outputPending = false;
    zem::gui::WindowTimers m_timers;
};
