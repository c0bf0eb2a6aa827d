#pragma once
// The list of plan adjustments, each with the timetables it changed: the adjustment history
// (mode 0, read only) or the changes of one tool's session (mode 1), whose changed timetables are
// chosen and then exported or printed through the printable sheet.
#include "app/output/PrintSheet.h"
#include "app/shared/AdjustmentHistory.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class QTreeWidget;

class CChangedTimetableDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 347,
        IDC_TREE = 1360,
        IDC_EXPORT = 1088,
        IDC_PRINT = 1029,
    };
    enum { ModeHistory = 0, ModeExportPrint = 1 };
    static constexpr const char* kGroupName = "变动课表";
    static constexpr zem::COLORREF kChildColor = zem::RGB(129, 129, 129);

    explicit CChangedTimetableDlg(QWidget* parent = nullptr);

    // Before DoModal: the entries to list, in this order (not owned), and the mode.
    void SetEntries(std::vector<const CAdjustmentEntry*> entries) { m_entries = std::move(entries); }
    void SetMode(int mode) { m_mode = mode; }

    // "变动课表：" and the names of the entry's timetables that the open task still holds.
    static std::string ChangedText(const CAdjustmentEntry& entry);
    QTreeWidget* GetTree() const { return m_tree; }

    // The sheet the chosen timetables go through; it owns the preview.
    CTaskPrintSheet& GetSheet() { return m_sheet; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void paintEvent(class QPaintEvent* event) override;

private:
    // Export (PREVIEW_EXPORT) or print (PREVIEW_PRINT) of the chosen changed timetables.
    void ExportOrPrint(int previewMode);

    CTaskPrintSheet m_sheet;
    std::vector<const CAdjustmentEntry*> m_entries;
    int m_mode = ModeExportPrint;
    QTreeWidget* m_tree = nullptr;
    zem::Rect m_treeFrame;
};

// The changed-timetables dialog in its export and print mode over a tool's entries, which are in
// the order they were executed: the newest is listed first, as in the history.
void ShowChangedTimetables(QWidget* parent, const CAdjustmentEntryList& entries);
// The adjustment history of the open task, newest first; nothing without an open task.
void ShowAdjustmentHistory(QWidget* parent);
