#pragma once
// The form that adds or modifies one teaching plan (or a morning-reading / self-study item). It
// touches no task data: the values go to the opening page as one WM_PAGE_ROW row.
#include "app/controls/PageNotify.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class CZemObjectList;
class CWeekCount;

// A typed weekly count the plan can hold: whole lessons, or whole lessons and a half ("2", "2.5",
// "2。5"). False for any other number ("2.7" would be stored as 2) and for text that is none.
bool IsWholeOrHalfCount(const std::string& text);

// Why a plan of `count` lessons a week cannot be given blocks of `nodes` lessons, `times` of them
// (0: as many as the count gives); empty when it can. The plan dialog and the batch modify ask it
// alike. `field` receives which of the two the refusal is about: 0 the block, 1 the times.
std::string ContinuityRefusal(const CWeekCount& count, int nodes, int times, int* field = nullptr);

// Asked before a plan takes a new teacher: true when it may. Shows its own message on false.
class CTeacherChangeGuard {
public:
    virtual ~CTeacherChangeGuard() = default;
    virtual bool ConfirmTeacherChange(const std::string& planId, const std::string& teacherName, bool* noDialog) = 0;
};

class CAddPlanDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 238,
        IDC_CLASS = 1017,
        IDC_PICK_CLASS = 1235,
        IDC_COURSE = 1015,
        IDC_PICK_COURSE = 1234,
        IDC_TEACHER = 1014,
        IDC_PICK_TEACHER = 1233,
        IDC_KIND = 111,
        IDC_WEEK_COUNT = 1109,
        IDC_NODES = 1107,
        IDC_TIMES = 1110,
        IDC_ROOM = 1108,
        IDC_KIND_LABEL = 1265,
        IDC_PICTURE = 1105
    };
    static constexpr int kWarningHeight = 100;

    explicit CAddPlanDlg(CTeacherChangeGuard* guard, QWidget* parent = nullptr);
    // Hides the shared tip balloon that an edit of the dialog opened.
    ~CAddPlanDlg() override;

    // Inputs, owned by the caller.
    std::vector<std::string> m_classNames, m_courseNames, m_teacherNames, m_kindNames, m_roomNames;
    const CZemObjectList* m_classes = nullptr;
    const CZemObjectList* m_courses = nullptr;
    const CZemObjectList* m_teachers = nullptr;
    int m_classIndex = 0, m_courseIndex = 0, m_teacherIndex = 0, m_kindIndex = 0;
    int m_roomIndex = 0;  // 0 is "不指定教室"; room i of the array is i + 1
    std::string m_weekCount = "1";
    int m_continuousNodes = 1;
    int m_continuousTimes = 0;
    std::string m_planId;
    bool m_modify = false;
    bool m_selfStudy = false;
    // Where the rows go; the parent when null.
    zem::MessageTarget* m_page = nullptr;

    // Reads the controls and checks them; false has told the user.
    bool Validate();
    bool IsWarningShown() const { return m_showWarning; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PickInto(int comboId, const std::vector<std::string>& names, int kind);
    void ShowEditTip(int id);

    CTeacherChangeGuard* m_guard;
    bool m_showWarning = false;
    bool m_tipShown = false;
    zem::Rect m_pictureRect;
    zem::Rect m_warningRect;
};
