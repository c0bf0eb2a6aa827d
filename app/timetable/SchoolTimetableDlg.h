#pragma once
// The master timetable of the whole school in one grid: one line per class, teacher or room, one
// cell per period of the week, in a horizontal, vertical or crossed layout. In a class master
// timetable two periods of one class change places by a pick and a drop; the changes stay in the
// working timetables until Save.
#include "app/timetable/SchoolTimetableModel.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/PopupMenu.h"
#include "table/SchoolTable.h"

#include <functional>
#include <string>
#include <vector>

class CTablePageLayout;
class QComboBox;

class CSchoolTimetableDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 174,
        IDC_KIND = 111,
        IDC_STYLE = 1259,
        IDC_OPTIONS = 1089,
        IDC_EXPORT = 1088,
        IDC_PRINT = 1116,
        IDC_SAVE = 1028,
    };
    // The options menu.
    enum {
        ID_SUBJECTS = 32905,
        ID_GROUP_TEACHERS = 32926,
        ID_SHOW_SS = 32871,
        ID_SHORT_NAMES = 32872,
        ID_TEXT_MODE0 = 32873,  // .. 32878
        ID_SOUND = 32913,
        ID_FONT = 32912,
    };
    static constexpr int kBandHeight = 45;
    static constexpr const char* kCloseQuestion = "课表内容已手工调整,要保存吗?";
    static constexpr const char* kSaveFailedText = "保存课表失败：";
    static constexpr const char* kHistoryTitle = "总课表手工调课";

    explicit CSchoolTimetableDlg(QWidget* parent = nullptr);
    ~CSchoolTimetableDlg() override;

    // Commits the working timetables and writes output.xml, logging the changed classes, teachers
    // and rooms; false, with the reason said and the window still modified, when it failed.
    bool Save();
    bool IsModified() const { return m_modified; }
    int GetKind() const { return m_kind; }
    int GetStyle() const;
    const std::string& GetTitleText() const { return m_title; }
    CSchoolTable& GetGrid() { return m_grid; }
    const CSchoolTimetableModel& GetModel() const { return m_model; }
    // The options menu as it stands now.
    std::vector<zem::gui::MenuItem> BuildOptionsMenu() const;
    void OnMenuCommand(int id);
    // Refills the grid from the timetables.
    void Reload();

protected:
    bool OnInitDialog() override;
    // Enter does nothing; Escape ends the pick.
    void OnOK() override {}
    void OnCancel() override;
    // The close box asks to save a changed timetable; a failed save keeps the window open.
    void OnClose() override;
    void OnCommand(int id) override;
    bool PreTranslateKey(QKeyEvent* event) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CTablePageLayout& Layout() const;
    int TextMode() const;
    // Closing, saving and a change of kind or layout wait until a sliding swap has been recorded.
    bool DeferWhileSwapping(std::function<void()> action);
    void RunDeferred();
    void OnKindChanged(int index);
    void OnStyleChanged(int index);
    void UpdateTitle();
    void Place();
    void OnPicked(const tagNMT_NODE2& cell);
    void OnSwapped(const tagNMT_MOVE2& move);
    void ChooseSubjects();
    void Print();
    void Export();
    void SetModified(bool modified);
    bool CloseWindow();
    void StoreSettings();

    CSchoolTable m_grid;
    CSchoolTimetableModel m_model;
    int m_kind = 0;
    std::string m_title;
    bool m_modified = false;
    bool m_initialised = false;
    std::vector<std::function<void()>> m_deferred;
    std::string m_windowTitle;
};
