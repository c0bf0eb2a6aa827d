#pragma once
// "导入<title>": imports one kind of basic data from a workbook into the list page that opened it.
// Shows the columns the sheet needs, saves a template of them, and reads the chosen file on a
// worker while a bar moves; the page receives the rows as WM_PAGE_ROW on the GUI thread and checks
// and stores them itself. Message boxes are shown on the GUI thread once the worker has ended.
#include "app/controls/TitledPanel.h"
#include "app/controls/WorkerThread.h"
#include "app/output/import/RowReader.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class CBaseDataImportDlg : public zem::gui::Dialog {
public:
    enum {
        IDC_START = 1081,
        IDC_PROGRESS = 1021,
        IDC_CHOOSE = 1085,
        IDC_PATH = 1086,
        IDC_PICTURE = 1087,
        IDC_TEMPLATE = 1308,
    };

    explicit CBaseDataImportDlg(QWidget* parent = nullptr);
    ~CBaseDataImportDlg() override;

    // The page that receives the rows, the kind's title ("班级信息") and the sheet's column headings
    // in the page's order.
    void SetImportKind(zem::MessageTarget* page, const std::string& title, const std::vector<std::string>& columns);

    bool IsImporting() const { return m_worker.HasThread(); }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

    // A dialog of another size.
    CBaseDataImportDlg(QWidget* parent, zem::Size sizeUnits);

    // Asked on the GUI thread before a run starts; false starts nothing.
    virtual bool ConfirmStart(const std::string& path) { return true; }
    // The run on the worker thread.
    virtual zem::import::RowReadResult ReadRows(const std::string& path, const zem::import::RowReadJob& job);
    // The template's suggested file name and its rows (the first one bold).
    virtual std::string TemplateName() const;
    virtual std::vector<std::vector<std::string>> TemplateRows() const { return {m_columns}; }
    // "保存并打开导入模板" at `rect`: a click saves the template and opens it.
    void AddTemplateLink(const zem::Rect& rect);
    // The choose and start buttons, the path, the bar, in the lower step's body.
    void AddRunControls(const zem::Rect& body);

    zem::MessageTarget* m_page = nullptr;
    std::string m_title;
    std::vector<std::string> m_columns;
    CTitledPanel m_steps[2];

private:
    void ChooseFile();
    void StartOrStop();
    void StopWorker();
    void Finish();
    void SaveTemplate();

    CWorkerThread m_worker;
    zem::import::RowReadResult m_result;  // written by the worker before it posts its end
    int m_run = 0;
};

class CListBaseDlg;
class QFont;
class QPixmap;
class QSize;

// A sample sheet: column letters, row numbers, the rows' texts (the first row headings) and empty
// rows below them.
QPixmap DrawSampleSheet(const std::vector<std::vector<std::string>>& rows, QSize size, const QFont& font);

// Closing while an import runs asks first: true when the user wants it stopped.
bool AskToStopImport();

// The headings of a list page's columns after its hidden id, in the order its rows' cells take them.
std::vector<std::string> ImportColumns(const CListBaseDlg& page);
// Opens the dialog over a list page for its kind ("班级信息") and the headings of its rows' cells.
void RunBaseDataImport(CListBaseDlg* page, const std::string& title, const std::vector<std::string>& columns);
