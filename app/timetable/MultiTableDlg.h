#pragma once
// The window that shows four, six or nine week timetables side by side, each in a pane with its
// own object chooser and manual adjustment, so that several classes, teachers or rooms are in
// sight while lessons move. Which objects the panes show is kept in the task's settings; every
// change stays in the working timetables until Save.
#include "app/controls/ProgressWnd.h"
#include "app/shared/LessonCounter.h"
#include "platform/gui/Dialog.h"

#include <memory>
#include <string>
#include <vector>

class CScheduleTask;
class CWeekTableWnd;

class CMultiTableDlg : public zem::gui::Dialog {
public:
    enum { IDD = 269, IDC_VIEW = 1194, IDC_OPTIONS = 1089, IDC_SAVE = 1028 };
    static constexpr int kBandHeight = 40;
    static constexpr int kMaxPanes = 9;
    static constexpr const char* kSection = "MultiTable";
    static constexpr const char* kHint = "提示: 在班级课表中，单击鼠标左键可以调课，单击鼠标右键手工排课";

    // What a pane shows: kind 0 class, 1 teacher, 2 room, and the object's id.
    struct PaneEntry {
        int kind = 0;
        std::string id;
        bool operator==(const PaneEntry&) const = default;
    };

    explicit CMultiTableDlg(QWidget* parent = nullptr);
    ~CMultiTableDlg() override;

    // The objects of the first `count` panes: the usable stored entries, filled up with the task's
    // classes, teachers and rooms in turn; none for a task without any of them.
    static std::vector<PaneEntry> PaneEntries(const CScheduleTask& task, int count);

    // The display list's entry (0..3): the pane grid follows; panes beyond it go, panes still in
    // it keep their objects.
    void SetViewType(int index);
    int GetViewType() const;
    int GetPaneCount() const { return static_cast<int>(m_panes.size()); }
    CWeekTableWnd* GetPane(int index) const;
    int GetRows() const { return m_rows; }
    int GetColumns() const { return m_columns; }

    // Commits the working timetables and writes output.xml; false, with the reason said and the
    // window still modified, when the file could not be written.
    bool Save();
    bool IsModified() const { return m_modified; }
    // The classes, teachers and rooms whose working timetable differs from the committed one.
    std::vector<std::string> GetChangedTables() const;
    CProgressWnd& GetProgress() { return m_progress; }

protected:
    bool OnInitDialog() override;
    // Enter and Escape are swallowed; the close box asks about unsaved changes.
    void OnOK() override {}
    void OnCancel() override {}
    void OnClose() override;
    void OnCommand(int id) override;
    // Ctrl+T toggles the colour style.
    bool PreTranslateKey(QKeyEvent* event) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CScheduleTask* Task() const;
    void AdjustPanes();
    void LayoutPanes();
    void LayoutBand();
    void OnPaneChanged(int index, const std::string& planIds);
    // A command of the options menu: the setting changes and every pane follows it.
    void OnOption(int id);
    void UpdateProgress();
    void ShowCompletion();
    void SetModified(bool modified);
    bool CloseWindow();
    void StorePanes();

    std::vector<std::unique_ptr<CWeekTableWnd>> m_panes;
    CLessonCounter m_counter;
    CProgressWnd m_progress;
    zem::Rect m_hintRect;
    int m_rows = 2;
    int m_columns = 2;
    bool m_modified = false;
    bool m_built = false;
};
