#pragma once
// The window in which the week timetable of one class, teacher or room is looked at and changed by
// hand: the table container in the middle, the related timetables on the right, the plan cards
// below (in a class timetable also the buffer of unplaced lessons), the whole task's progress at
// the top. Every change stays in the working timetables until Save.
#include "app/controls/ProgressWnd.h"
#include "app/controls/ScrollPanel.h"
#include "app/controls/SplitterBar.h"
#include "app/controls/TitledPanel.h"
#include "app/output/PrintSheet.h"
#include "app/shared/LessonCounter.h"
#include "app/timetable/CourseListView.h"
#include "app/timetable/TableContainer.h"
#include "app/timetable/TableFontDlg.h"
#include "app/timetable/TimetableWindowSave.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class QComboBox;
class CZemObject;
namespace zem::gui {
struct MenuItem;
}

// The lists of week timetables the window prints and exports.
enum WEEK_TABLE_KIND { WEEK_CLASSES = 0, WEEK_TEACHERS, WEEK_TEACHER_GROUPS, WEEK_ROOMS, WEEK_CHANGED };

class CWeekTimetableDlg : public zem::gui::Dialog, public ITableChangeListener, public CPrintSheet {
public:
    enum {
        IDD = 177,
        IDC_GOTO = 1214,
        IDC_CLASS_LIST = 1015,
        IDC_TEACHER_LIST = 1016,
        IDC_ROOM_LIST = 1017,
        IDC_OPTIONS = 1220,
        IDC_EXPORT = 1088,
        IDC_PRINT = 1055,
        IDC_SAVE = 1028,
        IDC_SPLITTER_V = 1182,
        IDC_SPLITTER_H = 1183,
    };
    // The options menu.
    enum {
        ID_STYLE_FLAT = 32914,
        ID_STYLE_COLOUR = 32915,
        ID_TABLE_FONT = 32836,
        ID_BACKGROUND_PLAIN = 32938,
        ID_BACKGROUND_STARRY = 32939,
        ID_SHOW_DISTRIBUTION = 32894,
        ID_PLAY_SOUND = 32913,
        ID_TAG_LOCKED = 32902,
        ID_TAG_LINKED = 32903,
        ID_TAG_DISABLED = 32904,
        ID_TEACHER_BY_GROUP = 32927,
        ID_ROOM_NUMBER = 32925,
        ID_UNDO = 32833,
        ID_REDO = 32834,
        ID_HISTORY = 32835,
    };
    // The export half and the print half of the print-and-export menu, in WEEK_TABLE_KIND order.
    static constexpr int kExportIds[] = {32837, 32844, 32845, 32846, 32838};
    static constexpr int kPrintIds[] = {32847, 32848, 32849, 32850, 32851};
    static constexpr const char* kSaveAfterOutputQuestion = "当前课表数据修改后尚未保存，现在要保存吗";
    static constexpr int kDefaultRelateWidth = 350;
    static constexpr int kDefaultCourseHeight = 148;
    static constexpr const char* kCloseQuestion = kSaveBeforeClosingQuestion;
    static constexpr const char* kSaveFailedText = "保存课表失败：";

    explicit CWeekTimetableDlg(QWidget* parent = nullptr);
    ~CWeekTimetableDlg() override;

    // The object shown first (kind 0 class, 1 teacher, 2 room); an id the task lacks, or none,
    // gives the first object of the kind with lessons.
    void SetInitialObject(int kind, const std::string& id);
    virtual void AddObjectToCombo(QComboBox* combo, CZemObject* object, const std::string& label);
    // Commits the working timetables and writes output.xml; false, with the reason said and the
    // window still modified, when the file could not be written.
    virtual bool Save();
    void SetModified(bool modified);
    bool IsModified() const { return m_modified; }

    // The table container's owner side.
    void FocusTeacherList() override;
    void FocusRoomList() override;
    void SetCentreTitle(const std::string& name) override;
    void OnTableChanged(int code, void* object) override;

    CTableContainer& GetContainer() { return m_container; }
    CCourseListHost& GetCardHost() { return m_cardHost; }
    CScrollPanel& GetRelatedPanel() { return m_relatedPanel; }
    CProgressWnd& GetProgress() { return m_progress; }
    const CTitledPanel& GetPlanPanel() const { return m_planPanel; }
    const std::string& GetObjectName() const { return m_objectName; }
    const std::string& GetHintText() const { return m_hint; }
    const std::string& GetInfoText() const { return m_info; }
    bool IsAnimating() const { return m_animating; }
    // The widths the splitters leave the related panel and the plan cards.
    int GetRelateWidth() const;
    int GetCourseHeight() const;

    // The options menu as it stands now, and its command.
    std::vector<zem::gui::MenuItem> BuildOptionsMenu() const;
    void OnOptionsCommand(int id);
    // Chooses timetables of the kind (WEEK_TABLE_KIND) and previews them for printing or export.
    void PrintOrExport(int kind, bool print);
    // The classes, teachers and rooms changed in this window since it opened, saved or not.
    std::vector<std::string> GetChangedTableIds() const;

    // The printable sheet's side.
    QWidget* GetOwnerWnd() const override { return const_cast<CWeekTimetableDlg*>(this); }
    CScheduleTask* GetTask() const override { return Task(); }
    void AfterPreview(bool done) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    // Escape clears the marks of the grid and the cards; the close box closes as the window's
    // closing asks.
    void OnCancel() override;
    void OnClose() override;
    bool PreTranslateKey(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // While a lesson slides, clicks on the grid are swallowed.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's parts, made once: the timetable of the object it opened on, the band of lists
    // and buttons above it, the splitter bars.
    void CreateTable(CScheduleTask* task);
    void AddTopBand();
    void AddSplitters();
    CScheduleTask* Task() const;
    QComboBox* ListOfKind(int kind) const;
    void FillObjectLists();
    void ShowListOfKind();
    void SelectCurrentInList();
    void OnListChanged(int kind);
    void OnGoto();
    // Shows the container's object: its table, name and information, the cards and the hint.
    void ReloadCurrent();
    // Name and information text of the container's object; its timetable, null when it is gone.
    CCourseTable* LoadObjectTexts();
    void RefillCards();
    void UpdatePlanCaption();
    void UpdateHint();
    void UpdateProgress();
    void RecountClassesOf(const std::string& planId);
    void PlaceSplitters();
    void PlaceBars(int relateWidth, int courseHeight);
    void Layout();

    void OnPicked(const tagTABLE_NODE& gridSlot);
    void OnPickCleared();
    void OnCardClick(bool marked, CCourseInfo* plan);
    void OnAllowedCellClick(const tagTABLE_NODE& gridSlot, bool* cancel);
    // The card's upper part or the grid cell, in this window's coordinates.
    zem::Rect CardRect(const std::string& planId) const;
    zem::Rect GridCellRect(const tagTABLE_NODE& gridSlot);
    void AnimateMove(zem::Rect from, zem::Rect to);
    void ShowCompletion();
    bool CloseWindow();
    void ClearMarks();
    void SetColourStyle(bool colour);
    // The menu of the button's commands, dropped under its bottom-left corner; the chosen command,
    // 0 for none.
    int DropMenu(int buttonId, const std::vector<zem::gui::MenuItem>& items);

    CTableContainer m_container;
    CCourseListHost m_cardHost;
    CScrollPanel m_relatedPanel;
    CLessonCounter m_counter;
    CProgressWnd m_progress;
    CTitledPanel m_relatedCaption;
    CTitledPanel m_planPanel;
    CSplitterBar m_splitterV;
    CSplitterBarH m_splitterH;
    QWidget* m_barV = nullptr;
    QWidget* m_barH = nullptr;

    std::string m_objectName;
    std::string m_hint;
    std::string m_info;
    zem::Rect m_titleRect;
    zem::Rect m_hintRect;
    zem::Rect m_infoRect;
    int m_titleFontSize = 200;
    bool m_refitTitle = false;
    bool m_modified = false;
    bool m_animating = false;
    bool m_laidOut = false;
    std::string m_windowTitle;
    // The tables of every save so far: what changed since the window opened is these and the
    // container's current ones.
    std::vector<std::string> m_savedChanges;
};
