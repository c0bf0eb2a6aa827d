#pragma once
// The large child of the main dialog through which the user reaches every feature: the page
// header, the tab strip, the tool box of the selected page and the information panel. It fills
// the tool box when a page is selected and turns every tool-box click into its feature.
#include "app/shell/PageHeader.h"
#include "app/shell/ToolBox.h"
#include "app/shell/ToolDescPanel.h"
#include "platform/gui/Messages.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/Timers.h"

#include <QWidget>

#include <span>
#include <string>

class CPagePanel : public QWidget, public zem::gui::MessageReceiver {
public:
    static constexpr int kBorder = 5;
    static constexpr int kTeachingTimeTimer = 0;
    static constexpr int kTeachingTimeDelay = 300;

    // Menu commands.
    enum {
        ID_RECENT_FIRST = 1224,
        ID_RECENT_LAST = 1324,
        ID_RECENT_CLEAN = 1325,
        ID_BROWSE_TASK = 32771,
        ID_FIXED_CLASS = 32825,
        ID_FIXED_SUBJECT = 32826,
        ID_FIXED_TEACHER = 32827,
        ID_FIXED_TEACHER_GROUP = 32828,
        ID_FIXED_PLAN = 32829,
        ID_TEMP_FIRST = 1824,
        ID_TEMP_LAST = 1924,
        ID_TEMP_NEW = 32853,
        ID_TEMP_CLEAN = 32854,
    };

    CPagePanel();
    ~CPagePanel() override;

    bool Create(QWidget* parent);
    // Adds pages 2-5 when only the start page exists.
    void AddTaskPages();
    void ClearToolBox();
    void FillToolBox(int page);
    void OnToolboxAction(int code);
    void OnMenuCommand(int id);
    void OpenWeekTimetable(int kind, const std::string& objectId);
    void ShowScheduleReport(int mode, const std::string& classId);
    void StartTempAdjust(const std::string& name);

    // Whether the action's feature is in this program.
    static bool IsActionAvailable(int code);
    // The task file of the temporary task of that name, under the open task's temp folder.
    static std::string TempTaskFile(const std::string& name);

    CPageHeader& GetPageHeader() { return m_header; }
    CSheetTabStrip& GetTabStrip() { return m_tabStrip; }
    CToolBox& GetToolBox() { return m_toolBox; }
    CToolDescPanel& GetToolDescPanel() { return m_descPanel; }
    int GetCurrentPage() const { return m_header.GetSelectedIndex(); }
    bool IsTeachingTimeTimerActive() const { return m_timers.IsActive(kTeachingTimeTimer); }

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct ToolAction;
    // The tool box's entries of every page, in the order they show.
    static std::span<const ToolAction> ToolActions();
    // The entry of an action code; null for a line break or an unknown code.
    static const ToolAction* FindAction(int code);

    void Layout();
    void SelectTaskPage(int index);
    void OnTimer(int id);
    zem::Point MenuPoint(int code) const;
    void ShowRecentTaskMenu();
    void ShowFixedTimeMenu();
    void ShowTempTaskMenu();
    void CleanRecentTasks();
    void CleanTempTasks();
    void OpenTaskOrRecent();
    void CreateTask();
    void OpenDemoTask();
    void OpenTempAdjust();
    void RunAutomaticSchedule();
    void RunPartialReschedule();
    void RunPlanAdjustment();

    CPageHeader m_header;
    CSheetTabStrip m_tabStrip;
    CToolBox m_toolBox;
    CToolDescPanel m_descPanel;
    bool m_created = false;
    zem::gui::WindowTimers m_timers;
};
