#include "app/output/workbook/SpreadsheetExporter.h"

#include "app/output/workbook/XlsxWriter.h"
#include "app/shared/AppServices.h"
#include "platform/Hooks.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "table/UICore.h"

#include <algorithm>
#include <mutex>

namespace {

std::mutex& HooksMutex()
{
    static std::mutex mutex;
    return mutex;
}

ExportProgressRunner& RunnerSlot()
{
    static ExportProgressRunner runner;
    return runner;
}

ExportProgressRunner CurrentRunner()
{
    std::lock_guard lock(HooksMutex());
    return RunnerSlot();
}

}  // namespace

void CExportParam::Reset()
{
    *this = CExportParam{};
}

CExportContext CExportContext::Load()
{
    const CAppServices& services = AppServices();
    CExportContext context;
    context.openTask = services.GetTask();
    context.driver = services.GetExportDriver();
    if (context.driver < 0 || context.driver > 2)
        context.driver = 0;
    context.luDriver = services.GetLUDriver();
    context.showRoomNumber = services.GetShowRoomNumber();
    context.autoFillEmptyCell = services.GetAutoFillEmptyCell();
    context.mergeContinuous = services.GetMergeContinuous();
    context.importFormat = services.GetImportFormat();
    context.schoolName = services.GetSchoolName();
    const CUICore* fonts = CUICore::instance();
    context.fontName = fonts->GetDefaultFontName();
    context.tableFontName = fonts->GetDefaultTableFontName();
    return context;
}

ExportProgressRunner SetExportProgressRunner(ExportProgressRunner runner)
{
    std::lock_guard lock(HooksMutex());
    std::swap(RunnerSlot(), runner);
    return runner;
}

void CBuiltInWorkbookEngine::SaveAs(const zem::workbook::Workbook& book, const std::string& path)
{
    zem::workbook::SaveXlsx(book, path);
}

// ---- the exporter ----

CSpreadsheetExporter::CSpreadsheetExporter(CScheduleTask* task)
    : m_context(CExportContext::Load()), m_param(std::make_unique<CExportParam>())
{
    m_task = task ? task : m_context.openTask;
    m_engines.push_back(std::make_shared<CBuiltInWorkbookEngine>());
}

CSpreadsheetExporter::~CSpreadsheetExporter() = default;

bool CSpreadsheetExporter::Export(const std::string& fileName, const std::vector<CExportTableItem*>& tables)
{
    const std::string name = WorkbookFileName(fileName);
    const std::size_t limit = static_cast<std::size_t>(std::clamp(m_tablesPerPage, 1, 6)) * kTablesPerWorkbookPage;
    m_incompleteTables = 0;
    m_cancel = false;
    if (tables.size() <= limit) {
        m_param->Reset();
        m_param->kind = 2;
        m_param->fileName = name;
        m_param->tables = &tables;
        return RunExport();
    }
    int chunk = 1;
    for (std::size_t first = 0; first < tables.size(); first += limit, ++chunk) {
        const std::size_t last = std::min(first + limit, tables.size());
        const std::vector<CExportTableItem*> part(tables.begin() + static_cast<std::ptrdiff_t>(first),
                                                  tables.begin() + static_cast<std::ptrdiff_t>(last));
        m_param->Reset();
        m_param->kind = 2;
        m_param->fileName = chunk == 1 ? name : ChunkFileName(name, chunk);
        m_param->tables = &part;
        // Workbooks already written stay.
        if (!RunExport())
            return false;
    }
    return true;
}

bool CSpreadsheetExporter::RunExport()
{
    if (m_direct) {
        DoExport(m_notifyWnd);
    } else if (const ExportProgressRunner runner = CurrentRunner()) {
        CExportJob job;
        job.filePath = m_param->fileName;
        job.work = [this](zem::MessageTarget* window) { return DoExport(window); };
        job.cancel = &m_cancel;
        runner(job);
    } else {
        DoExport(nullptr);
    }
    if (m_param->result) {
        RememberEngine(m_param->engineUsed);
    } else if (!m_direct && m_showErrors && !IsCancelled() && !m_param->errorText.empty()) {
        // Shown here, on the caller's thread, once the worker has ended.
        zem::ShowMessage(m_param->errorText, "提示", zem::MessageIcon::Error);
    }
    return m_param->result;
}

bool CSpreadsheetExporter::DoExport(zem::MessageTarget* window)
{
    m_notifyWnd = window;
    CExportParam& param = *m_param;
    param.result = false;
    if (param.kind < 1 || param.kind > 9)
        return false;
    const ContentWriter writer = WriterOf(param.kind);
    if (!writer) {
        SetError(2, "这种工作簿还不能导出");
        return false;
    }
    const std::vector<CWorkbookEngine*> engines = EngineOrder();
    if (engines.empty())
        SetError(1, EngineStartFailedText());
    for (CWorkbookEngine* engine : engines) {
        if (WriteWorkbook(*engine, writer)) {
            param.result = true;
            param.engineUsed = engine->GetId();
            break;
        }
        if (IsCancelled())
            break;
    }
    return param.result;
}

std::vector<CWorkbookEngine*> CSpreadsheetExporter::EngineOrder() const
{
    int effective = m_context.driver;
    if (effective == 0 && m_context.luDriver == 2)
        effective = 2;
    const int first = effective == 2 ? 2 : 1;
    std::vector<CWorkbookEngine*> order;
    for (const auto& engine : m_engines) {
        if (engine && engine->GetId() == first)
            order.push_back(engine.get());
    }
    for (const auto& engine : m_engines) {
        if (engine && engine->GetId() != first)
            order.push_back(engine.get());
    }
    return order;
}

CSpreadsheetExporter::ContentWriter CSpreadsheetExporter::WriterOf(int kind) const
{
    const auto it = m_writers.find(kind);
    return it != m_writers.end() ? it->second : ProgramContentWriter(kind);
}

bool CSpreadsheetExporter::WriteWorkbook(CWorkbookEngine& engine, const ContentWriter& writer)
{
    const int id = engine.GetId();
    PostStage(id, 0);
    PostStage(id, 1);
    std::string reason;
    if (!engine.Start(reason)) {
        SetError(1, EngineStartFailedText());
        PostStage(id, 6);
        return false;
    }
    bool saved = false;
    try {
        PostStage(id, 2);
        zem::workbook::Workbook book;
        PostStage(id, 3);
        if (writer(*this, book)) {
            // A cancel after the last table still keeps the file from being written half-way.
            ThrowIfCancelled();
            PostStage(id, 4);
            engine.SaveAs(book, m_param->fileName);
            saved = true;
        }
    } catch (const ExportCancelled&) {
        // The user's choice: nothing to report.
    } catch (const zem::workbook::WorkbookFileError& error) {
        // The reason is known: no advice about open files or restarting in front of it.
        SetError(2, "导出失败：" + zem::FileErrorReason(error.ErrorNumber()) + "\n\n" + error.what());
    } catch (const zem::workbook::WorkbookError& error) {
        SetError(2, BuildExportErrorText(FormatAutomationError(error.what())));
    } catch (const std::bad_alloc&) {
        SetError(2, BuildExportErrorText(FormatAutomationError("内存不足")));
    } catch (const std::exception&) {
        SetError(2, BuildExportErrorText(std::string()));
    }
    engine.Quit();
    PostStage(id, saved ? 5 : 6);
    return saved;
}

void CSpreadsheetExporter::PostStage(int engine, int stage) const
{
    if (m_direct && m_notifyWnd)
        zem::PostMessage(m_notifyWnd, WM_EXPORT_STAGE, static_cast<zem::WPARAM>(engine), stage);
}

void CSpreadsheetExporter::RememberEngine(int engine)
{
    if (engine == 0 || engine == m_context.luDriver)
        return;
    AppServices().SetLUDriver(engine);
    m_context.luDriver = engine;
}

void CSpreadsheetExporter::SetError(int level, const std::string& text)
{
    if (m_param->errorLevel < level) {
        m_param->errorLevel = level;
        m_param->errorText = text;
    }
}

void CSpreadsheetExporter::SendProgress(int done, int total, const std::string& name)
{
    if (!m_notifyWnd)
        return;
    const std::string text = zem::Format("%d/%d %s", done, total, name.c_str());
    zem::SendMessage(m_notifyWnd, WM_EXPORT_PROGRESS, 0, zem::ToLParam(&text));
}

void CSpreadsheetExporter::ThrowIfCancelled() const
{
    if (IsCancelled())
        throw ExportCancelled{};
}

// ---- texts and names ----

int CSpreadsheetExporter::GetGridColumnWidth(int count)
{
    if (count <= 0)
        return 12;
    return std::max(65 / count, 7);
}

std::string CSpreadsheetExporter::FormatAutomationError(const std::string& reason)
{
    return "附加信息：" + reason;
}

std::string CSpreadsheetExporter::BuildExportErrorText(const std::string& extra)
{
    static const char* const kText =
        "导出过程中出现异常！\n\n"
        "1 请检查导出的目录下同名文件是否正处于打开状态。\n"
        "2 请检查您的基本数据（班级名、教师名、课程名）中是否包含某些不能正常导出的特殊符号。\n"
        "3 您也可以试试重启电脑再执行导出操作。";
    return zem::Format("%s\r\n\r\n%s", kText, extra.empty() ? FormatAutomationError("未知错误").c_str() : extra.c_str());
}

std::string CSpreadsheetExporter::EngineStartFailedText()
{
    return "表格引擎无法启动，所以无法导出工作簿。\n您可以尝试重新安装本软件来解决这个问题。";
}

std::string CSpreadsheetExporter::ChunkFileName(const std::string& fileName, int chunk)
{
    const std::size_t slash = fileName.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = fileName.rfind('.');
    const std::string suffix = "_" + std::to_string(chunk);
    // Only a dot inside the file's own name, after its first character, starts an extension.
    if (dot == std::string::npos || dot <= nameStart)
        return fileName + suffix;
    return fileName.substr(0, dot) + suffix + fileName.substr(dot);
}

std::string CSpreadsheetExporter::WorkbookFileName(const std::string& fileName)
{
    const std::string lower = zem::ToLowerAscii(fileName);
    if (lower.ends_with(".xlsx"))
        return fileName;
    if (lower.ends_with(".xls"))
        return fileName.substr(0, fileName.size() - 4) + ".xlsx";
    return fileName + ".xlsx";
}

std::string CSpreadsheetExporter::IncompleteText(int tables)
{
    return zem::Format("有 %d 张课表导出不完整", tables);
}
