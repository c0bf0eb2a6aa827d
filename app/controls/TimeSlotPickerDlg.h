#pragma once
// The modal dialog "选择时间" in which the user marks slots of the school week on a time-picker
// grid: fixed no-class times, pre-arranged lessons, fixed school activities. The caller marks slots
// before it runs and reads the marks (and the activities) after IDOK; OK checks the allowed
// segments and the number of marks.
#include "platform/gui/Dialog.h"

#include "base/SchoolStructure.h"
#include "base/Segment.h"

#include <string>
#include <vector>

class CStructureTable;
class CWeekCount;
class QLabel;

class CTimeSlotPickerDlg : public zem::gui::Dialog {
public:
    enum { IDD = 191, IDC_GRID_FRAME = 1034, IDC_HINT = 1023 };
    enum { ID_ACTIVITY_FIRST = 5000, ID_ACTIVITY_LAST = 5100, ID_ACTIVITY_OTHER = 32779 };

    explicit CTimeSlotPickerDlg(QWidget* parent = nullptr);

    void SetTitle(const std::string& caption) { m_caption = caption; }
    // The segments (0..4) in which marks may be made; replaces the whole list. Empty allows all.
    void SetAllowedSlots(const std::vector<int>& segments) { m_allowedSegments = segments; }
    // The limit of a plan's pre-arranged slots: its whole weekly lessons, one slot for a plan of
    // half a lesson a week, with the message that names them. `group` words it for the plan with
    // the fewest lessons of several.
    void SetLessonLimit(const CWeekCount& weekly, bool group);

    // The marks: a copy of the open task's week with every status cleared; -100 is a marked slot.
    CSchoolStructure m_marks;
    // The activity fixed at a marked slot.
    CActivities m_activities;
    std::string m_caption;
    std::string m_okText = "保存";
    // Label mode: a marked slot shows the label (a cell record) and the padlock.
    bool m_labelMode = false;
    std::string m_labelText;
    // Activity mode: a right click offers the activity names.
    bool m_activityMode = false;
    std::vector<std::string> m_activityNames;
    // A maximum above 0 limits the number of marks; the message says so.
    int m_maxCount = -1;
    std::string m_overCountMessage;

    CStructureTable* GetGrid() const { return m_grid; }
    // The marked slots within the task's week.
    int CountMarks() const;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    void OnCellToggled(int value, const tagTABLE_NODE& cell);
    void OnRightClick(const tagTABLE_NODE& target);
    // Fixes the activity at the remembered target: a cell, a period on every day, a day, or all.
    void ApplyActivity(const std::string& name);
    void ApplyActivityAt(const std::string& name, int column, int segment, int section);
    const CSchoolStructure& Week() const;

    CStructureTable* m_grid = nullptr;
    QLabel* m_hint = nullptr;
    std::vector<int> m_allowedSegments{zem::kForenoon, zem::kAfternoon, zem::kNight, zem::kMorningReading,
                                       zem::kEveningStudy};
    tagTABLE_NODE m_target{-1, -1, -1};  // grid column, segment, section; -1 for all
};
