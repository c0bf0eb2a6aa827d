#include "app/output/EngineCheckDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/shared/AppServices.h"
#include "app/shared/Paths.h"
#include "app/shared/Strings.h"
#include "base/TimeTable.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtText.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <cstdio>

CEngineCheckDlg::CEngineCheckDlg(QWidget* parent) : Dialog(parent, "导入导出引擎检测", {260, 170}) {}

CEngineCheckDlg::~CEngineCheckDlg()
{
    // The worker sends to this window: it ends before any part of the window goes.
    m_worker.StopAndWait();
}

std::string CEngineCheckDlg::EngineCaption(int engine)
{
    return engine == kBuiltInEngine ? std::string("检测 内置工作簿引擎") : zem::Format("检测 工作簿引擎 %d", engine);
}

bool CEngineCheckDlg::OnInitDialog()
{
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setStyleSheet("QTreeWidget { background: black; color: white; } "
                          "QTreeWidget::item { height: 20px; }");
    AddControl(IDC_TREE, m_tree);
    SetWidgetRect(m_tree, UnitsRect(7, 7, 246, 132));
    AddHoverButton(this, zem::IDCANCEL, "关闭", UnitsRect(193, 146, 60, 17))->setDefault(true);

    CScheduleTask* task = AppServices().GetTask();
    m_exporter = std::make_unique<CSpreadsheetExporter>(task);
    m_exporter->SetDirect(true);
    m_exporter->SetNotifyWindow(this);
    if (!m_engines.empty())
        m_exporter->SetEngines(m_engines);
    m_testFile = CSpreadsheetExporter::WorkbookFileName(
        zem::Format("%s%s.xls", GetTempFolder().c_str(), NewGuidString().substr(0, 12).c_str()));
    // The exporter stops through a flag of its own.
    m_worker.SetStopHook([this] { m_exporter->RequestCancel(); });
    m_worker.Start([this, file = m_testFile] {
        CCourseTable table;
        CExportTableItem item("123", "课表", TABLE_CLASS, &table);
        const std::vector<CExportTableItem*> items{&item};
        m_exporter->Export(file, items);
        // Only the check's own file goes; a failed save may have left none.
        std::remove(file.c_str());
    });
    return true;
}

zem::LRESULT CEngineCheckDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_EXPORT_STAGE) {
        OnStage(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    if (message == WM_EXPORT_PROGRESS)
        return 0;
    return Dialog::WindowProc(message, wParam, lParam);
}

void CEngineCheckDlg::OnStage(int engine, int stage)
{
    static const char* const kStages[] = {nullptr, "加载组件", "创建工作簿", "写入数据", "保存文件",
                                          "检测结果：成功", "检测结果：失败"};
    if (stage == 0) {
        auto* root = new QTreeWidgetItem(m_tree, QStringList(zem::gui::ToQ(EngineCaption(engine))));
        m_roots[engine] = root;
        return;
    }
    const auto found = m_roots.find(engine);
    if (stage < 1 || stage > 6 || found == m_roots.end())
        return;
    new QTreeWidgetItem(found->second, QStringList(zem::gui::ToQ(kStages[stage])));
    if (stage == 1 || stage >= 5)
        found->second->setExpanded(true);
}

void CEngineCheckDlg::OnCancel()
{
    m_worker.StopAndWait();
    Dialog::OnCancel();
}
