#pragma once
// "排监考": where exam invigilation is planned for the open task, one named proctoring at a time,
// in five steps: the exams, the teachers who may invigilate, the two rules, the automatic
// assignment and its result, shown by exam, by teacher or by exam room. Nothing is written before
// the user saves (the save button, or Yes when asked).
#include "app/controls/TitledPanel.h"
#include "app/shared/RecentList.h"
#include "base/ScheduleProctor.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/PopupMenu.h"

#include <memory>
#include <string>
#include <vector>

class CHoverButton;
class CProctorTitleBand;
class CScheduleTask;

namespace zem::gui {
class ItemList;
class ReportList;
}

class CProctorDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 391,
        IDC_SAVE = 1028,
        IDC_ADD = 1089,
        IDC_RULE = 1427,
        IDC_PLAN_MENU = 1424,
        IDC_TEACHER_MENU = 1425,
        IDC_RESULT_MENU = 1426,
        IDC_START = 1423,
        IDC_PLANS = 1422,
        IDC_TEACHERS = 1056,
        IDC_RESULTS = 1420,
    };
    enum {
        ID_PLAN_UP = 32967,
        ID_PLAN_DOWN = 32968,
        ID_PLAN_EDIT = 32949,
        ID_PLAN_DELETE = 32942,
        ID_PLAN_CLEAR = 32941,
        ID_TEACHERS_CHOOSE = 32946,
        ID_TEACHERS_BY_CLASS = 32957,
        ID_TEACHERS_BY_SUBJECT = 32958,
        ID_TEACHERS_BY_GROUP = 32959,
        ID_TEACHERS_CLEAR = 32953,
        ID_SHOW_BY_PLAN = 32960,
        ID_SHOW_BY_TEACHER = 32961,
        ID_SHOW_BY_ROOM = 32962,
        ID_HIDE_YEAR = 32964,
        ID_SHOW_TAG = 32963,
        ID_STATISTICS = 32969,
        ID_EXPORT = 32944,
        ID_RENAME = 32950,
        ID_CREATE = 32951,
        ID_RECENT_NONE = 32955,
        ID_RECENT_FIRST = 2024,  // + the entry's index in the recent list
        ID_CHANGE_TEACHERS = 32965,
    };
    static constexpr const char* kRecentSection = "Recently Proctor";
    static constexpr int kRecentCapacity = 10;
    static constexpr int kHeaderHeight = 50;
    static constexpr const char* kOpenQuestion = "当前监考内容有变化，要保存当前数据吗";
    static constexpr const char* kCloseQuestion = "当前监考内容有变化,要保存吗?";

    // The title of the exported arrangement: the proctoring's name and "监考安排表", the name's
    // own "监考" not said twice; "监考安排表" alone for a proctoring that has no name of its own.
    static std::string ExportTitle(const std::string& proctorName);

    explicit CProctorDlg(QWidget* parent = nullptr);
    ~CProctorDlg() override;

    // Opens the proctoring of that name (the default one for an empty name), asking first to save
    // the open one when it has changes. False when the user cancelled or that save failed: the
    // open proctoring then stays as it was.
    bool OpenProctor(const std::string& name);
    // Saves the open proctoring; false, with the reason said and the page still modified, on failure.
    bool Save();
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified);

    CScheduleProctor* GetProctor() const { return m_proctor.get(); }
    int GetResultShowBy() const { return m_resultShowBy; }
    bool GetShowTeacherTag() const { return m_showTeacherTag; }
    bool GetHideYear() const { return m_hideYear; }
    const CRecentList& GetRecentList() const { return m_recent; }
    zem::gui::ReportList* GetPlanList() const { return m_plans; }
    zem::gui::ItemList* GetTeacherList() const { return m_teachers; }
    zem::gui::ReportList* GetResultList() const { return m_results; }
    const CTitledPanel& GetTeacherPanel() const { return m_teacherPanel; }
    const CTitledPanel& GetResultPanel() const { return m_resultPanel; }
    // The rectangle of the header band, where a click opens the title menu.
    zem::Rect GetHeaderRect() const;

    // The pop-ups of the three "..." buttons and of the header band, as they stand.
    std::vector<zem::gui::MenuItem> PlanMenu() const;
    std::vector<zem::gui::MenuItem> TeacherMenu() const;
    std::vector<zem::gui::MenuItem> ResultMenu() const;
    std::vector<zem::gui::MenuItem> TitleMenu() const;
    // Shows the title menu at a screen point and carries out the choice.
    void ShowTitleMenu(zem::Point screenPoint);

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    // Escape and the close box close as the page's closing asks.
    void OnCancel() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CScheduleTask* Task() const;
    CProctorData& Data() const { return m_proctor->data(); }
    void Layout();
    void UpdateCaptions();
    void ShowMenu(int buttonId, const std::vector<zem::gui::MenuItem>& items);
    // Stores a view setting in task.ini; false, said by the task, when it cannot be written.
    bool WriteSetting(const char* key, int value) const;

    void FillPlanRow(int row, CProctorData::Plan* plan);
    void FillPlans();
    void FillTeachers();
    void ShowResults();

    void AddPlan();
    void EditPlan();
    void MovePlans(bool up);
    void DeletePlans();
    void ClearPlans();
    void ChooseTeachers();
    void AddTeachersBy(int command);
    void ClearTeachers();
    void EditRule();
    void StartAssignment();
    void SetResultShowBy(int view);
    void ToggleSetting(const char* key, bool& value);
    void ShowStatistics();
    void Export();
    // Asks for a name the task's other proctorings do not have; empty when the user gave none.
    std::string AskName(const std::string& caption, const std::string& prompt, const std::string& current);
    void Rename();
    void CreateProctor();
    void OpenRecent(int index);
    void ChangeItemTeachers();
    bool CloseWindow();

    std::unique_ptr<CScheduleProctor> m_proctor;
    bool m_modified = false;
    int m_resultShowBy = 0;
    bool m_showTeacherTag = false;
    bool m_hideYear = false;
    CRecentList m_recent;

    CTitledPanel m_planPanel;
    CTitledPanel m_teacherPanel;
    CTitledPanel m_resultPanel;
    CProctorTitleBand* m_titleBand = nullptr;
    zem::gui::ReportList* m_plans = nullptr;
    zem::gui::ItemList* m_teachers = nullptr;
    zem::gui::ReportList* m_results = nullptr;
    int m_teacherRows = 0;
};
