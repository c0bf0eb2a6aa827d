#pragma once
// "一键导出所有课表": the open task's standard workbooks in one go. Each ticked row — the master
// timetables of classes, teachers and rooms, every class, teacher and room timetable, the lesson
// list — becomes one workbook in a folder the user chooses; the rows run in list order and each
// shows how it went. The ticked rows are remembered as [Export] ExportRange.
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/PopupMenu.h"

#include <memory>
#include <string>
#include <vector>

class CSpreadsheetExporter;
class CWorkbookEngine;

namespace zem::gui {
class ReportList;
}

struct ExportAllKind {
    int index = 0;  // row position
    int mask = 0;   // bit of the row in ExportRange
    std::string name;
};

class CExportAllDlg : public zem::gui::Dialog, public CPrintSheet {
public:
    enum { IDD = 259, IDC_LIST = 1154, IDC_SETTINGS = 1224 };
    // Commands of the export-settings menu.
    enum { ID_WEEK_EXPORT_SETTINGS = 32891, ID_SCHOOL_FORMAT = 32892, ID_OPEN_FOLDER = 32893 };
    enum { COLUMN_NAME = 0, COLUMN_FILE = 1, COLUMN_STATUS = 2 };

    explicit CExportAllDlg(QWidget* parent = nullptr);
    ~CExportAllDlg() override;

    // The seven rows in list order.
    static const std::vector<ExportAllKind>& Kinds();

    // Inputs: the stored ExportRange (0: every row ticked), and the whole-school layout the master
    // timetables are written in.
    void SetExportRange(int range) { m_range = range; }
    void SetSchoolLayout(const CTablePageLayout& layout) { m_schoolLayout = layout; }
    // The engines every workbook is written with; the built-in one unless set.
    void SetEngines(std::vector<std::shared_ptr<CWorkbookEngine>> engines) { m_engines = std::move(engines); }
    // Once the dialog has closed: the OR of the ticked rows' masks.
    int GetExportRange() const { return m_range; }

    zem::gui::ReportList* GetList() const { return m_list; }
    bool GetOpenFolder() const { return m_openFolder; }
    // The export-settings menu the settings button drops.
    std::vector<zem::gui::MenuItem> SettingsMenu() const;

    // CPrintSheet: the dialog and the open task.
    QWidget* GetOwnerWnd() const override;
    CScheduleTask* GetTask() const override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum class Outcome { Done, Incomplete, Failed, Cancelled };

    // The ticked rows into the folder, in list order.
    void ExportInto(const std::string& folder);
    Outcome ExportRow(const ExportAllKind& kind, const std::string& path, std::string& reason);
    void PrepareExporter(CSpreadsheetExporter& exporter) const;
    std::string RowFileName(int row) const;
    void SetStatus(int row, const std::string& status);
    void StoreRange();

    zem::gui::ReportList* m_list = nullptr;
    zem::Rect m_listFrame;
    int m_range = 0;
    bool m_openFolder = true;
    bool m_running = false;
    CTablePageLayout m_schoolLayout;
    std::vector<std::shared_ptr<CWorkbookEngine>> m_engines;
};
