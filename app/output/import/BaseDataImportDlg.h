#pragma once
// "导入<title>": imports one kind of basic data from a workbook into the list page that opened it.
// Shows the columns the sheet needs, saves a template of them, and reads the chosen file on a
// worker while a bar moves; the page receives the rows as WM_PAGE_ROW on the GUI thread and checks
// and stores them itself. Message boxes are shown on the GUI thread once the worker has ended.
#include "app/controls/TitledPanel.h"
#include "app/output/import/RowReader.h"
#include "platform/gui/Dialog.h"

#include <atomic>
#include <string>
#include <thread>
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

    bool IsImporting() const { return m_running; }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ChooseFile();
    void StartOrStop();
    void Stop();
    void Finish();
    void SaveTemplate();

    zem::MessageTarget* m_page = nullptr;
    std::string m_title;
    std::vector<std::string> m_columns;
    CTitledPanel m_steps[2];
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{true};
    zem::import::RowReadResult m_result;
    bool m_running = false;
    int m_run = 0;
};

class CListBaseDlg;

// Closing while an import runs asks first: true when the user wants it stopped.
bool AskToStopImport();

// The headings of a list page's columns after its hidden id, in the order its rows' cells take them.
std::vector<std::string> ImportColumns(const CListBaseDlg& page);
// Opens the dialog over a list page for its kind ("班级信息") and the headings of its rows' cells.
void RunBaseDataImport(CListBaseDlg* page, const std::string& title, const std::vector<std::string>& columns);
