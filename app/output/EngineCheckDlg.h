#pragma once
// "导入导出引擎检测": writes a one-timetable test workbook through the exporter on a worker thread
// and shows each stage it reaches as a growing tree, one root per engine tried. The test workbook
// is deleted afterwards.
#include "app/controls/WorkerThread.h"
#include "platform/gui/Dialog.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CSpreadsheetExporter;
class CWorkbookEngine;
class QTreeWidget;
class QTreeWidgetItem;

class CEngineCheckDlg : public zem::gui::Dialog {
public:
    enum { IDD = 341, IDC_TREE = 1348 };

    explicit CEngineCheckDlg(QWidget* parent = nullptr);
    ~CEngineCheckDlg() override;

    // The engines to check; the built-in one unless set.
    void SetEngines(std::vector<std::shared_ptr<CWorkbookEngine>> engines) { m_engines = std::move(engines); }

    QTreeWidget* GetTree() const { return m_tree; }
    bool IsWorkerRunning() const { return m_worker.IsRunning(); }
    // The test workbook's path, once the worker has chosen it.
    const std::string& GetTestFile() const { return m_testFile; }
    // The root's text for an engine.
    static std::string EngineCaption(int engine);

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;

private:
    void OnStage(int engine, int stage);

    QTreeWidget* m_tree = nullptr;
    std::map<int, QTreeWidgetItem*> m_roots;
    std::vector<std::shared_ptr<CWorkbookEngine>> m_engines;
    std::unique_ptr<CSpreadsheetExporter> m_exporter;
    std::string m_testFile;
    CWorkerThread m_worker;
};
