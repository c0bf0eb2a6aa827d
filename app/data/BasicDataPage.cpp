#include "app/data/BasicDataPage.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/output/ListExport.h"
#include "app/output/import/BaseDataImportDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

CBasicDataPage::CBasicDataPage(QWidget* parent) : CListBaseDlg(parent)
{
    SetOption(true);
}

CScheduleTask* CBasicDataPage::Task()
{
    return AppServices().GetTask();
}

bool CBasicDataPage::OnInitDialog()
{
    if (!CListBaseDlg::OnInitDialog())
        return false;
    CHoverButton* batchAdd = AddHoverButton(this, IDC_BATCH_ADD, "批量添加(&T)");
    InsertButton(batchAdd, GetDlgItem(IDC_ADD), 6);
    EnableItem(IDC_BATCH_ADD, HasBatchAdd());
    EnableItem(IDC_IMPORT, HasImport());
    return true;
}

void CBasicDataPage::OnCommand(int id)
{
    if (id == IDC_BATCH_ADD) {
        BatchAdd();
        UpdateStatus();
        UpdateButtons();
        return;
    }
    CListBaseDlg::OnCommand(id);
}

zem::LRESULT CBasicDataPage::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_PAGE_ROW)
        return OnPageRow(zem::FromWParam<CPageNotify>(wParam), zem::FromLParam<const CPageRow>(lParam));
    if (message == WM_PAGE_ROWS_CHECK) {
        if (auto* check = zem::FromWParam<CPageRowsCheck>(wParam); check && check->rows)
            check->refusal = CheckAddedRows(*check->rows, check->byName);
        return 0;
    }
    return CListBaseDlg::WindowProc(message, wParam, lParam);
}

std::set<std::string> CBasicDataPage::NormalizedNames(int skippedRow) const
{
    std::set<std::string> names;
    for (int row = 0; GetList() && row < GetList()->GetItemCount(); ++row) {
        if (row == skippedRow)
            continue;
        std::string name = GetList()->GetItemText(row, 1);
        NormalizeName(name);
        names.insert(zem::ToLowerAscii(name));
    }
    return names;
}

// The rows of names the page holds already are refused one by one later; only new names count.
std::string CBasicDataPage::CheckAddedRows(const std::vector<CPageRow>& rows, bool, int replacedRow) const
{
    if (!m_limitKind || !GetList())
        return {};
    std::set<std::string> names = NormalizedNames(replacedRow);
    const std::size_t before = names.size();
    for (const CPageRow& row : rows) {
        if (row.empty())
            continue;
        std::string name = row[0];
        NormalizeName(name);
        if (!name.empty())
            names.insert(zem::ToLowerAscii(name));
    }
    const std::size_t kept = static_cast<std::size_t>(GetList()->GetItemCount() - (replacedRow >= 0 ? 1 : 0));
    return CheckTaskLimitTotal(*m_limitKind, kept + names.size() - before);
}

void CBasicDataPage::Import()
{
    if (HasImport())
        RunBaseDataImport(this, m_importTitle, ImportHeadings());
}

std::vector<std::string> CBasicDataPage::ImportHeadings() const
{
    return ImportColumns(*this);
}

bool CBasicDataPage::Refuse(CPageNotify* notify, const std::string& message, bool stopsImport)
{
    if (notify) {
        notify->message = message;
        notify->error = notify->error || stopsImport;
    }
    if (!message.empty() && !(notify && notify->quiet))
        ShowMessage(message);
    return false;
}

zem::LRESULT CBasicDataPage::OnPageRow(CPageNotify* notify, const CPageRow* cells)
{
    if (!notify || !cells || !GetList())
        return -1;
    notify->accepted = false;
    const int count = static_cast<int>(cells->size());
    if (count < MinimumCells()) {
        notify->error = m_cellCountStopsImport;
        notify->message = zem::Format("只有%d列数据。请参考导入界面，至少应提供%d列数据", count, MinimumCells());
        return -1;
    }
    // A replacing row needs the row it replaces; without one it would be written nowhere.
    if (notify->replace && GetList()->GetFirstSelected() < 0) {
        Refuse(notify, "请先选择要修改的行", false);
        return -1;
    }
    if (!Validate(cells, notify))
        return -1;
    // A row of an add dialog, and every modified row, on the page as it would be after it; imports
    // and batch adds asked about all their added rows before the first.
    if (notify->replace != 0 || !notify->quiet) {
        const int replaced = notify->replace != 0 ? GetList()->GetFirstSelected() : -1;
        if (const std::string refusal = CheckAddedRows({*cells}, notify->byName, replaced); !refusal.empty()) {
            Refuse(notify, refusal, true);
            return -1;
        }
    }

    const bool isNew = notify->replace == 0;
    int row = GetList()->GetFirstSelected();
    if (isNew)
        row = GetList()->InsertItem(GetList()->GetItemCount(), NewGuidString());
    if (!WriteRow(row, isNew, *cells, *notify)) {
        if (isNew)
            GetList()->DeleteItem(row);
        return -1;
    }
    notify->accepted = true;
    // An imported name is stored normalised: the report says so when that is not as typed.
    if (isNew && notify->typed && !notify->typed->empty()) {
        const std::string typed(zem::Trim(notify->typed->front()));
        const std::string stored = GetList()->GetItemText(row, 1);
        if (!typed.empty() && !stored.empty() && typed != stored)
            notify->rewritten = typed + " → " + stored;
    }
    GetList()->ClearSelectedRows();
    GetList()->SetSelected(row, true);
    GetList()->EnsureVisible(row);
    SetModified(true);
    UpdateStatus();
    UpdateButtons();
    return 0;
}

bool CBasicDataPage::WriteRow(int row, bool, const CPageRow& cells, CPageNotify&)
{
    for (int column = 1; column < GetList()->GetColumnCount(); ++column) {
        const auto index = static_cast<std::size_t>(column - 1);
        const std::optional<std::string> text =
            index < cells.size() ? CellText(column - 1, cells[index]) : MissingCellText(column - 1);
        if (text)
            GetList()->SetItemText(row, column, *text);
    }
    return true;
}

std::string CBasicDataPage::CellText(int index, const std::string& cell) const
{
    // Names and short names are kept without the blanks around them.
    if (index <= 1)
        return std::string(zem::Trim(cell));
    return cell;
}

bool SendDialogRow(QWidget* dialog, zem::MessageTarget* page, const CPageRow& row, bool modify)
{
    if (!page && dialog)
        page = dynamic_cast<zem::MessageTarget*>(dialog->parentWidget());
    CPageNotify notify;
    notify.replace = modify ? 1 : 0;
    return zem::SendMessage(page, WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&row)) == 0 && notify.accepted;
}

namespace {

const CZemPrioritySet& Priorities()
{
    static const CZemPrioritySet defaults;
    CScheduleTask* task = CBasicDataPage::Task();
    return task ? task->GetPrioritySet() : defaults;
}

}  // namespace

std::string PriorityDesc(int index)
{
    return Priorities().GetDescByIndex(index);
}

int PriorityIndex(const std::string& desc)
{
    return Priorities().GetIndexByDesc(desc);
}

void ExportPageWorkbook(CListBaseDlg* page, int kind, bool flag, const std::string& name,
                        const std::function<std::string(CScheduleTask&)>& check)
{
    CScheduleTask* task = CBasicDataPage::Task();
    if (!page || !task)
        return;
    if (page->IsModified()) {
        if (AskQuestion("当前页面有未保存的修改，导出前需要先保存。\n现在保存并导出吗？", zem::MessageButtons::YesNo) !=
                zem::IDYES ||
            !page->Save())
            return;
    }
    if (check) {
        const std::string refusal = check(*task);
        if (!refusal.empty()) {
            zem::ShowMessage(refusal, "提示", zem::MessageIcon::Warning);
            return;
        }
    }
    ExportTaskWorkbook(page, task, kind, flag, name);
}
