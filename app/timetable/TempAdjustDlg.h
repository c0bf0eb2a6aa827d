#pragma once
// The window in which a temporary task (a copy of the open task kept in its temp folder) is
// worked on for the day's lesson changes: the absent teacher's week on the left, the executed
// substitutions and a class or teacher timetable that can be changed by hand in the middle, the
// substitutes' weeks on the right. Everything here reads and writes the temporary task only.
#include "app/controls/ScrollPanel.h"
#include "app/controls/SplitterBar.h"
#include "app/controls/TitledPanel.h"
#include "app/output/PrintSheet.h"
#include "app/shared/AdjustmentHistory.h"
#include "app/timetable/SubstituteExecute.h"
#include "app/timetable/SubstituteWnd.h"
#include "app/timetable/TableContainer.h"
#include "platform/gui/Dialog.h"

#include <memory>
#include <string>

class QComboBox;
class QTreeWidget;
class CChangeCheck;
class CScheduleTask;

// The class the window shows first: the class of the first lesson in the teacher's week (segment
// by segment, day by day over the days in use, section by section), else the first class of the
// task in its own order; empty without classes.
std::string FirstClassOfTeacher(const CScheduleTask& task, const std::string& teacherId);

class CTempAdjustDlg : public zem::gui::Dialog, public ITableChangeListener, public CPrintSheet {
public:
    enum {
        IDD = 265,
        IDC_SAVE = 1028,
        IDC_COMPARE = 1412,
        IDC_EXECUTE = 1176,
        IDC_EXPORT = 1088,
        IDC_PRINT = 1029,
        IDC_TREE = 1342,
        IDC_CLASS_LIST = 1015,
        IDC_TEACHER_LIST = 1016,
        IDC_LEFT_SPLITTER = 1181,
        IDC_RIGHT_SPLITTER = 1182,
    };
    static constexpr const char* kHistorySection = "TempHistory";
    static constexpr const char* kCloseQuestion = "课表已修改，关闭前要保存吗？";
    static constexpr const char* kSaveFailedText = "保存临时任务失败：";
    static constexpr const char* kSavedWithFindingsText = "临时任务已保存。\n";
    static constexpr const char* kNoTaskText = "没有指定临时排课任务";
    static constexpr const char* kNoTeacherText = "异常，在临时任务中未找到原任课教师";
    static constexpr const char* kConflictsText =
        "有 %d 节代课的代课教师在该节次已有课程或不排课，请先解决冲突再执行代课：";
    static constexpr const char* kStaleText = "有 %d 节拟定的代课已不是原任课教师的课程，请取消后重新拟定";

    // The task is the opener's and outlives the window.
    CTempAdjustDlg(QWidget* parent, CScheduleTask* task, bool isNew, const std::string& teacherId);
    ~CTempAdjustDlg() override;

    // Writes input.xml, then the working timetables to output.xml, then the history entries of the
    // substitutions carried out since; false, said once and with the window still modified, when a
    // write failed. A saved change that breaks a rule of the task (a conflict kept when a move by
    // hand asked) is named in the saving's message.
    bool Save();
    // Carries out the planned substitutions; false, having said why, when they conflict, are stale
    // or would break a rule of the task (then undone).
    bool Execute();
    void OpenCompare();
    // The chooser of the temporary task's class and teacher timetables (those differing from the
    // open task ticked), then the preview: PREVIEW_PRINT or PREVIEW_EXPORT.
    void PrintOrExport(int mode);
    bool IsSaved() const { return m_saved; }
    bool IsNew() const { return m_isNew; }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified);

    CTableContainer& GetContainer() { return m_container; }
    CSubstituteWnd& GetSubstituteWnd() { return m_substituteWnd; }
    CScrollPanel& GetSubstitutePanel() { return m_substitutePanel; }
    const std::vector<CSubstituteGroup>& GetExecuted() const { return m_executed; }
    const CSubstitution& GetSubstitution() const { return m_substitution; }
    const CAdjustmentEntryList& GetPendingHistory() const { return m_pendingHistory; }
    CAdjustmentHistory& GetHistory() { return m_history; }
    const std::string& GetTitleText() const { return m_titleText; }
    // The tree's first root item: what the user is doing now.
    std::string GetCurrentOperationText() const;

    // The table container's owner side.
    void FocusTeacherList() override;
    // The container went over to another object by itself.
    void SetCentreTitle(const std::string&) override { SelectCurrentInList(); }
    void OnTableChanged(int code, void* object) override;

    // The printable sheet's side.
    QWidget* GetOwnerWnd() const override { return const_cast<CTempAdjustDlg*>(this); }
    CScheduleTask* GetTask() const override { return m_task; }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The window's parts, made once: the button row, the splitter bars, the tree of saved tasks,
    // the object lists, and (with the teacher found) the timetables.
    void AddButtons();
    void AddSplitters();
    void AddTree();
    void AddObjectLists();
    void AddTables();
    void FillTree();
    void FillObjectLists();
    void OnListChanged(int kind);
    // Shows the combo of the container's kind with its object selected.
    void SelectCurrentInList();
    void Layout();
    // The side columns' widths: where the user left the splitters, else the opening widths.
    int LeftColumnWidth() const;
    int RightColumnWidth() const;
    void OnSplitterMoved();
    bool CloseWindow();
    bool HasRegularTeacher() const;
    void OnSubstitutesChanged();
    // The conflict and executed marks of the substitute tables; the number of conflicting records.
    int MarkSubstituteCells();
    void FollowMove(const tagTABLE_NODE& gridTarget, const tagTABLE_NODE& gridSource);
    void ExportDifferences(const std::string* title, const CZemObjectList* tables);
    // Offers the timetables, then previews the chosen ones of the temporary task.
    void RunTableJob(const CZemObjectList& offered, const std::string& caption, const std::string& okText,
                     const std::vector<std::string>& ticked, bool tickAll, int mode);
    void UpdateButtons();

    CScheduleTask* m_task;
    bool m_isNew;
    std::string m_teacherId;
    bool m_teacherFound = false;
    bool m_saved = false;
    bool m_modified = false;
    bool m_laidOut = false;
    int m_conflicts = 0;
    std::string m_titleText;

    CTableContainer m_container;
    CSubstituteWnd m_substituteWnd;
    CScrollPanel m_substitutePanel;
    CTitledPanel m_regularCaption;
    CTitledPanel m_substituteCaption;
    CAdjustmentHistory m_history;
    // The entries of substitutions carried out and not yet saved, oldest first.
    CAdjustmentEntryList m_pendingHistory;
    std::vector<CSubstituteGroup> m_executed;
    CSubstitution m_substitution;
    // The task as last opened or saved: what the window's changes since then break.
    std::unique_ptr<CChangeCheck> m_savedCheck;
    QTreeWidget* m_tree = nullptr;
    CSplitterBar m_leftSplitter;
    CSplitterBar m_rightSplitter;
    QWidget* m_leftBar = nullptr;
    QWidget* m_rightBar = nullptr;
    int m_leftWidth = 0;   // 0 until a splitter is moved
    int m_rightWidth = 0;
};
