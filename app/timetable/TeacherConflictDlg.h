#pragma once
// Resolves the clashes a change of teacher or room, or an exchange of two teachers' plans, would
// cause: the plans' (or teacher A's) timetable on the left, the new teacher's or room's (or teacher
// B's) on the right, and a class timetable in the centre where lessons are swapped and cleared.
// Every change goes to the task's working timetables at once; Save keeps them, anything else
// restores them.
#include "app/timetable/TableContainer.h"
#include "platform/gui/Dialog.h"
#include "table/WeekTable.h"

#include <string>
#include <vector>

class CCourseInfo;
class CHoverButton;
class CZemObject;
class CZemTableObject;

class CTeacherConflictDlg : public zem::gui::Dialog, public ITableChangeListener {
public:
    enum {
        IDD = 310,
        IDC_LEFT_TITLE = 1146,
        IDC_LEFT_TABLE = 1138,
        IDC_RIGHT_TITLE = 1313,
        IDC_RIGHT_TABLE = 1139,
        IDC_CENTRE_TITLE = 1147,
        IDC_GOTO = 1287,
        IDC_CENTRE_TABLE = 1140,
        IDC_SAVE = 1028,
        ID_GOTO_FIRST = 1524,
        ID_GOTO_LAST = 1624,
        ID_OTHER_CLASS = 32830,
    };

    explicit CTeacherConflictDlg(QWidget* parent = nullptr);
    ~CTeacherConflictDlg() override;

    // Before DoModal: the plans that are to get the focus object (kind 1 teacher, 2 room) ...
    void AddConflict(CCourseInfo* plan, CZemObject* focusObject, int focusKind);
    void AddConflicts(const std::vector<CCourseInfo*>& plans, CZemObject* focusObject, int focusKind);
    // ... or the two teachers whose listed plans are to be exchanged.
    void SetObjectPair(CZemObject* objectA, const std::vector<std::string>& idsA, CZemObject* objectB,
                       const std::vector<std::string>& idsB);
    // Replaces the caption when not empty.
    void SetWindowTitle(const std::string& title) { m_windowTitle = title; }

    // After IDOK: the classes, teachers and rooms whose timetables the dialog changed.
    const std::vector<std::string>& GetResultIds() const { return m_resultIds; }

    int GetConflictCount() const { return m_conflictCount; }
    const std::string& GetStatus() const { return m_status; }
    const std::vector<std::string>& GetClassIds() const { return m_classIds; }
    const std::string& GetCentreTitle() const { return m_centreTitle; }
    const std::string& GetLeftTitle() const { return m_leftTitle; }
    const std::string& GetRightTitle() const { return m_rightTitle; }
    CTableContainer& GetCentre() { return m_centre; }
    CWeekTable& GetLeftGrid() { return m_leftGrid; }
    CWeekTable& GetRightGrid() { return m_rightGrid; }

    // Shows the class's timetable in the centre with the plans (or the focus object) marked; an
    // id the task does not hold is ignored.
    void ShowClass(const std::string& classId);

    // ITableChangeListener
    void SetCentreTitle(const std::string& name) override;
    void OnTableChanged(int code, void* object) override;

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    // Only Save ends the dialog with IDOK: Enter must not report unsaved changes as kept.
    void OnOK() override {}
    void OnCancel() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FillSideGrids();
    void CountConflicts(bool takeClassIds);
    // Marks the plans of the shown class, or the focus object when none of them is in it.
    void MarkCentre();
    void OnGoto();
    void OnOtherClass();
    void OnSave();
    // The object's timetable as the grids show it: a room's places merged into one.
    static const CCourseTable* TableOf(CZemTableObject* object);

    CWeekTable m_leftGrid;
    CWeekTable m_rightGrid;
    CTableContainer m_centre;
    CHoverButton* m_save = nullptr;

    std::string m_leftTitle;
    std::string m_rightTitle;
    std::string m_centreTitle;
    std::string m_windowTitle;

    std::vector<CCourseInfo*> m_plans;
    CZemObject* m_focusObject = nullptr;
    int m_focusKind = 1;
    bool m_pairMode = false;
    CZemObject* m_objectA = nullptr;
    CZemObject* m_objectB = nullptr;
    std::vector<std::string> m_idsA;
    std::vector<std::string> m_idsB;

    std::vector<std::string> m_classIds;
    int m_conflictCount = 0;
    std::string m_status;
    std::vector<std::string> m_resultIds;

    // Placed in OnInitDialog from the frames, in client pixels.
    zem::Rect m_leftTitleRect;
    zem::Rect m_rightTitleRect;
    zem::Rect m_centreTitleRect;
    zem::Rect m_statusRect;
    zem::Rect m_hintRect;
    zem::Rect m_centreArea;
};
