#pragma once
// What every list page of the task's basic data shares: rows arrive only through WM_PAGE_ROW (from
// the page's own add and modify dialogs, the batch adds and the workbook import alike), so that one
// path checks them; a batch-add button under the save button; the import button.
#include "app/controls/ListBaseDlg.h"
#include "base/TaskLimits.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CScheduleTask;

class CBasicDataPage : public CListBaseDlg {
public:
    enum { IDC_BATCH_ADD = 1237 };

    explicit CBasicDataPage(QWidget* parent = nullptr);

    // One row: 0 when the page took it, -1 when it refused it (`accepted` stays false).
    zem::LRESULT OnPageRow(CPageNotify* notify, const CPageRow* cells);

    // Opens the page's batch-add dialog modally; a page without one keeps its button disabled.
    virtual void BatchAdd() {}

    // Why the page may not take all these new rows (a limit of the task they would pass); empty
    // when it may. Asked by imports and batch adds before they send the first row, and for each
    // row a dialog adds or modifies. A modified row is the one row, replacing the page's row
    // `replacedRow`, whose old cells then count no more.
    virtual std::string CheckAddedRows(const std::vector<CPageRow>& rows, bool byName, int replacedRow = -1) const;

    // The headings of a row's cells, in their order: the workbook import's template.
    virtual std::vector<std::string> ImportHeadings() const;

    // The title and file key the workbook import is opened with.
    const std::string& GetImportTitle() const { return m_importTitle; }
    const std::string& GetImportKey() const { return m_importKey; }

    // The open task; null when none is open.
    static CScheduleTask* Task();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void OnRowDoubleClick() override { Edit(); }

    // Fewer cells than this refuse the row; with `m_cellCountStopsImport` the refusal stops an import.
    virtual int MinimumCells() const { return 2; }
    // Writes the row into the list at `row` (a new row when `isNew`); false refuses it after all.
    virtual bool WriteRow(int row, bool isNew, const CPageRow& cells, CPageNotify& notify);
    // The text cell `index` puts into its column; the text of a missing cell, or nothing when the
    // column keeps what it holds.
    virtual std::string CellText(int index, const std::string& cell) const;
    virtual std::optional<std::string> MissingCellText(int index) const { return std::string(); }

    // Opens the workbook import of the page's kind.
    void Import() override;
    // Whether the page's workbook import exists in this program.
    virtual bool HasImport() const { return true; }

    // Whether the batch-add dialog of the page exists in this program.
    virtual bool HasBatchAdd() const { return false; }

    // Refuses a row: the message goes with the record, and into a message box unless `quiet`.
    static bool Refuse(CPageNotify* notify, const std::string& message, bool stopsImport);

    // The names of the list's rows, normalised as imported names are.
    // The page's names, normalised, but the one of `skippedRow`.
    std::set<std::string> NormalizedNames(int skippedRow = -1) const;

    std::string m_importTitle;
    std::string m_importKey;
    bool m_cellCountStopsImport = false;
    // The kind of object a row of the page becomes, whose limit CheckAddedRows keeps.
    std::optional<TaskObjectKind> m_limitKind;
};

// Runs a batch-add dialog over the page, which receives its rows.
template <class BatchDlg>
void RunBatchAdd(CBasicDataPage* page)
{
    BatchDlg dialog(page);
    dialog.DoModal();
}

// Sends one row as the add and modify dialogs do (replace = modify, quiet 0, byName 0) to the page,
// or to the dialog's parent when the page is null; true when the page took it.
bool SendDialogRow(QWidget* dialog, zem::MessageTarget* page, const CPageRow& row, bool modify);

// The list pages' "导出(&T)": the workbook of an export kind, written from the task, so a page with
// unsaved changes asks to save them first. `check` (may be empty) refuses with its text, after the
// save, before a file is asked for.
void ExportPageWorkbook(CListBaseDlg* page, int kind, bool flag, const std::string& name,
                        const std::function<std::string(CScheduleTask&)>& check = {});

// A priority's description in the task's set ("正常" when none is open), and back: a text that
// matches none gives 1.
std::string PriorityDesc(int index);
int PriorityIndex(const std::string& desc);
