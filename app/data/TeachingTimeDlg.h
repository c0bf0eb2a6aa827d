#pragma once
// "设置教学时间": the teaching week of the task. Which of the 14 days of the two-week cycle are school
// days, how many periods each segment has, which periods are closed for the whole school and which
// of those hold a school-wide activity, and the period names. The dialog edits copies and writes
// them into the task only when the user saves; it closes only through its close box.
#include "app/controls/TitledPanel.h"
#include "base/ScheduleTask.h"
#include "platform/gui/Dialog.h"
#include "table/StructureTable.h"

#include <array>
#include <string>
#include <vector>

class CHoverButton;
class CHyperLink;
class QCheckBox;
class QComboBox;
class QLabel;

class CTeachingTimeDlg : public zem::gui::Dialog {
public:
    // Control ids: a check box per day, a combo box per segment (forenoon, afternoon, night, morning
    // reading, evening self-study), the period-name button; saving is the dialog's OK.
    static constexpr int IDC_DAY_FIRST = 1100;
    static constexpr int IDC_SECTIONS_FIRST = 1120;
    static constexpr int IDC_PERIOD_NAMES = 1130;
    static constexpr int IDC_HELP_GRADES = 1131;
    static constexpr int IDC_HELP_BANNERS = 1132;
    // Menu commands: an activity name by its index, and "其他...".
    static constexpr int ID_ACTIVITY_FIRST = 5000;
    static constexpr int ID_ACTIVITY_LAST = 5100;
    static constexpr int ID_ACTIVITY_OTHER = 32900;

    // The task whose week is edited; without one, the open task of the program.
    explicit CTeachingTimeDlg(QWidget* parent = nullptr, CScheduleTask* task = nullptr);
    ~CTeachingTimeDlg() override;

    const CSchoolStructure& GetWorkingStructure() const { return m_structure; }
    const CActivities& GetWorkingActivities() const { return m_activities; }
    const std::vector<std::string>& GetActivityNames() const { return m_activityNames; }
    const std::string& GetSummaryText() const { return m_summary; }
    bool IsModified() const { return m_modified; }
    CStructureTable& GetGrid() { return m_grid; }

protected:
    bool OnInitDialog() override;
    // "保存(&S)": saves and stays open.
    void OnOK() override;
    // Escape and the window system's cancel do nothing: only the close box closes.
    void OnCancel() override {}
    void OnClose() override;
    void OnCommand(int id) override;
    bool PreTranslateKey(QKeyEvent* event) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void LayoutControls();
    int SectionLabelWidth() const;
    int SectionBoxWidth() const;
    int DayBoxWidth() const;
    int LeftColumnWidth() const;
    void LayoutDayPanel(int left, int top, int columnWidth);
    void LayoutSectionPanel(int left, int top, int columnWidth);
    // The grid and the panel of school-wide times below it, from `right` of the left column; the
    // panel's height.
    int LayoutRightSide(int right);
    // The grid shaped for the working week, its closed periods marked and their activities shown.
    void FillGrid();
    void UpdateSummary();
    void SetModified(bool modified);

    void OnDayClicked(int day, bool checked);
    void OnSectionsChosen(int segment, int count);
    void OnCellToggled(bool closed, const tagTABLE_NODE& cell);
    void OnRightClick(const tagTABLE_NODE& target);
    void ApplyActivity(const std::string& name);
    void OnPeriodNames();

    // Writes the working week into the task and saves input.xml (and, when lessons were taken off
    // slots the week no longer offers, output.xml). False when the user cancelled or a file could
    // not be written; the task then holds what it held before.
    bool SaveToTask();

    CScheduleTask* m_task = nullptr;
    CSchoolStructure m_structure;
    CActivities m_activities;
    std::array<int, zem::kDayCount> m_dayValues{};
    std::array<int, zem::kSegmentCount> m_sectionChoices{};
    std::vector<std::string> m_activityNames;
    tagTABLE_NODE m_menuTarget{-1, -1, -1};
    std::string m_summary;
    bool m_modified = false;
    bool m_initialised = false;

    CStructureTable m_grid;
    std::array<QCheckBox*, zem::kDayCount> m_dayBoxes{};
    std::array<QComboBox*, zem::kSegmentCount> m_sectionBoxes{};
    std::array<QLabel*, zem::kSegmentCount> m_sectionLabels{};
    CHoverButton* m_periodNameButton = nullptr;
    CHoverButton* m_saveButton = nullptr;
    CHyperLink* m_gradeLink = nullptr;
    CHyperLink* m_bannerLink = nullptr;
    CTitledPanel m_dayPanel;
    CTitledPanel m_sectionPanel;
    CTitledPanel m_specialPanel;
    zem::Rect m_headerRect;
    zem::Rect m_gridFrame;
};
