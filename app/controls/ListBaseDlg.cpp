#include "app/controls/ListBaseDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "app/shared/Strings.h"
#include "app/controls/TipWnd.h"
#include "app/shared/Vocabulary.h"
#include "app/controls/PrinterJob.h"
#include "app/shared/SaveFailure.h"
#include "base/ScheduleTask.h"
#include "base/TaskUndo.h"
#include "base/ZemObject.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"
#include "table/UICore.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>

using zem::Rect;
using zem::RGB;
using zem::gui::DC;
using zem::gui::ReportList;

namespace {

constexpr zem::COLORREF kModifiedSave = RGB(255, 255, 200);
constexpr zem::COLORREF kWarningText = RGB(255, 0, 0);
constexpr int kRowHeight = 25;
constexpr int kButtonGap = 6;  // between the buttons of the column

// Paper outside the list's scale: the printed table leaves 300 pixels at either side.
constexpr int kPrintSideMargins = 600;

}  // namespace

// ---- find dialog

CListFindDlg::CListFindDlg(QWidget* parent, zem::MessageTarget* owner)
    : Dialog(parent, "查找", {263, 32}), m_owner(owner)
{
}

bool CListFindDlg::OnInitDialog()
{
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    AddControl(IDC_FIND_TEXT, m_edit);
    AddHoverButton(this, zem::IDOK, "下一个")->setDefault(true);
    setFixedSize(size());
    Layout();
    m_edit->setFocus();
    return true;
}

void CListFindDlg::Layout()
{
    const auto& u = Units();
    const int margin = u.X(7);
    const int buttonWidth = u.X(50), buttonHeight = u.Y(14);
    const int top = (height() - buttonHeight) / 2;
    PlaceButtonRow(this, top, {}, {zem::IDOK});
    m_editFrame = Rect(margin, top, width() - 2 * margin - buttonWidth - u.X(4), top + buttonHeight);
    if (m_edit)
        PlaceEditInFrame(m_edit, m_editFrame);
}

void CListFindDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CListFindDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        DrawFramedBox(dc, m_editFrame, true);
    });
}

void CListFindDlg::OnOK()
{
    if (!m_owner)
        return;
    m_request.text = GetDlgItemText(IDC_FIND_TEXT);
    if (m_request.text.empty()) {
        ShowMessage("请输入查找的内容");
        m_edit->setFocus();
        return;
    }
    m_request.found = false;
    m_owner->Send(WM_FIND_NEXT, zem::ToWParam(&m_request), 0);
    if (!m_request.found)
        ShowMessage("没有找到：" + m_request.text);
}

// ---- list page

CListBaseDlg::CListBaseDlg(QWidget* parent) : Dialog(parent, "", {581, 341}) {}

CListBaseDlg::~CListBaseDlg()
{
    DeleteAllRowObjects();
}

void CListBaseDlg::DeleteAllRowObjects()
{
    if (!m_list)
        return;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        delete m_list->GetItemPtr<CZemObject>(row);
        m_list->SetItemData(row, 0);
    }
}

void CListBaseDlg::SetOption(bool showImport)
{
    m_showImport = showImport;
}

CHoverButton* CListBaseDlg::Button(int id) const
{
    return Item<CHoverButton>(id);
}

bool CListBaseDlg::OnInitDialog()
{
    if (CScheduleTask* task = AppServices().GetTask()) {
        const CZemPrioritySet& priorities = task->GetPrioritySet();
        for (int i = 0; i < priorities.GetCount(); ++i)
            m_priorityDescs.push_back(priorities.GetAt(i)->GetDesc());
    }

    const auto& u = Units();
    m_buttonWidth = u.X(50);
    m_buttonHeight = u.Y(14);

    m_list = new ReportList(this);
    AddControl(IDC_LIST, m_list);
    m_list->onSelectionChanged = [this] { UpdateButtons(); };
    m_list->onDoubleClick = [this](int) { OnRowDoubleClick(); };

    struct ButtonText {
        int id;
        const char* text;
    };
    const ButtonText buttons[] = {{IDC_SAVE, "保存(&S)"},      {zem::IDCANCEL, "取消(&C)"}, {IDC_ADD, "添加(&A)"},
                                  {IDC_EDIT, "修改(&E)"},      {IDC_DELETE, "删除(&D)"},    {IDC_MOVE_UP, "上移(&U)"},
                                  {IDC_MOVE_DOWN, "下移(&W)"}, {IDC_IMPORT, "导入(&I)"},    {IDC_PRINT, "打印(&P)"},
                                  {IDC_FIND, "查找(&F)"},      {IDC_SORT, "排序(&R)"}};
    for (const ButtonText& b : buttons)
        AddHoverButton(this, b.id, b.text);

    // The column below the save button, in this order.
    int top = u.Y(7) + m_buttonHeight + u.Y(10);
    for (int id : {IDC_ADD, IDC_EDIT, IDC_DELETE, IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_IMPORT, IDC_PRINT, IDC_FIND, IDC_SORT}) {
        m_buttonColumn.push_back(GetDlgItem(id));
        m_buttonTops.push_back(top);
        top += m_buttonHeight + kButtonGap;
    }

    InitColumns();
    if (!m_showImport)
        RemoveButton(GetDlgItem(IDC_IMPORT));
    Layout();
    UpdateStatus();
    UpdateButtons();
    SetCaption(m_title);
    return true;
}

void CListBaseDlg::InitColumns()
{
    m_list->SetHeader(new CSkinHeaderCtrl);
    m_list->setShowGrid(true);
    m_list->SetRowHeight(kRowHeight);
}

void CListBaseDlg::Layout()
{
    if (!m_list)
        return;
    const auto& u = Units();
    const int margin = u.X(7);
    const int columnLeft = width() - margin - m_buttonWidth;
    const int statusHeight = u.Y(14);
    m_statusRect = Rect(margin, height() - margin - statusHeight, columnLeft - margin, height() - margin);
    Rect list(margin, u.Y(7), columnLeft - margin, m_statusRect.top - u.Y(3));
    list.DeflateRect(1, 1, 1, 2);
    SetWidgetRect(m_list, list);
    if (QWidget* save = GetDlgItem(IDC_SAVE))
        SetWidgetTopLeft(save, columnLeft, u.Y(7));
    if (QWidget* cancel = GetDlgItem(zem::IDCANCEL))
        SetWidgetTopLeft(cancel, columnLeft, height() - margin - m_buttonHeight);
    PlaceButtonColumn();
}

void CListBaseDlg::PlaceButtonColumn()
{
    const int columnLeft = width() - Units().X(7) - m_buttonWidth;
    for (std::size_t i = 0; i < m_buttonColumn.size(); ++i)
        SetWidgetTopLeft(m_buttonColumn[i], columnLeft, m_buttonTops[i]);
}

void CListBaseDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CListBaseDlg::InsertButton(QWidget* control, QWidget* before, int gap)
{
    if (!control)
        return;
    if (control->size().isEmpty())
        SetWidgetSize(control, m_buttonWidth, m_buttonHeight);
    control->setParent(this);
    control->show();
    auto it = std::find(m_buttonColumn.begin(), m_buttonColumn.end(), before);
    if (before && it != m_buttonColumn.end()) {
        const auto index = static_cast<std::size_t>(it - m_buttonColumn.begin());
        const int top = m_buttonTops[index];
        for (std::size_t i = index; i < m_buttonTops.size(); ++i)
            m_buttonTops[i] += control->height() + gap;
        m_buttonColumn.insert(m_buttonColumn.begin() + static_cast<std::ptrdiff_t>(index), control);
        m_buttonTops.insert(m_buttonTops.begin() + static_cast<std::ptrdiff_t>(index), top);
    } else {
        int top = Units().Y(7);
        if (!m_buttonColumn.empty())
            top = m_buttonTops.back() + m_buttonColumn.back()->height() + gap;
        m_buttonColumn.push_back(control);
        m_buttonTops.push_back(top);
    }
    PlaceButtonColumn();
}

void CListBaseDlg::RemoveButton(QWidget* control)
{
    if (!control)
        return;
    control->hide();
    auto it = std::find(m_buttonColumn.begin(), m_buttonColumn.end(), control);
    if (it == m_buttonColumn.end())
        return;
    const auto index = static_cast<std::size_t>(it - m_buttonColumn.begin());
    for (std::size_t i = index + 1; i < m_buttonTops.size(); ++i)
        m_buttonTops[i] -= control->height() + 6;
    m_buttonColumn.erase(it);
    m_buttonTops.erase(m_buttonTops.begin() + static_cast<std::ptrdiff_t>(index));
    PlaceButtonColumn();
}

void CListBaseDlg::SetModified(bool modified)
{
    m_modified = modified;
    // The caption is the page caption, which a page may keep apart from its title.
    SetCaption(modified ? zem::Format("%s (已修改,未保存)", m_title.c_str()) : m_title);
    if (CHoverButton* save = Button(IDC_SAVE))
        save->SetBkColor(modified ? kModifiedSave : RGB(255, 255, 255));
}

void CListBaseDlg::BeginStore(CChangeCheck::Plans plans)
{
    CScheduleTask* task = AppServices().GetTask();
    m_storeCheck.reset();
    m_storeUndo.reset();
    if (!task)
        return;
    m_storeCheck = std::make_unique<CChangeCheck>(*task, false, plans);
    m_storeUndo = std::make_unique<CTaskUndo>(*task);
    m_storeDeletedIds = m_deletedIds;
}

bool CListBaseDlg::KeepsTaskRules()
{
    if (!m_storeCheck)
        return true;
    const std::unique_ptr<CChangeCheck> check = std::move(m_storeCheck);
    const std::unique_ptr<CTaskUndo> undo = std::move(m_storeUndo);
    const ChangeFindings findings = check->Findings();
    if (findings.IsClean())
        return true;
    const bool refused = !findings.counts.IsClean() || !findings.limits.empty();
    if (!refused && AskQuestion(KeepBrokenRulesQuestion(findings), zem::MessageButtons::YesNo) == zem::IDYES)
        return true;
    undo->Restore();
    m_deletedIds = m_storeDeletedIds;
    if (refused)
        zem::ShowMessage("这样保存会违反排课规则，没有保存：\n" + findings.Said(), "提示", zem::MessageIcon::Warning);
    SetModified(true);
    return false;
}

bool CListBaseDlg::Save()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task || !KeepsTaskRules())
        return false;
    const bool saved =
        SaveSayingWhy([task] { return task->SaveInputData(); }, NotSavedText(m_title), kCheckTaskFolderReason);
    if (saved)
        SetModified(false);
    return saved;
}

void CListBaseDlg::DeleteRow(int row)
{
    if (row < 0 || row >= m_list->GetItemCount())
        return;
    const std::string id = m_list->GetItemText(row, 0);
    delete m_list->GetItemPtr<CZemObject>(row);
    m_list->SetItemData(row, 0);
    if (m_list->DeleteItem(row))
        m_deletedIds.push_back(id);
    SetModified(true);
}

void CListBaseDlg::CopyRowsInto(CZemObjectList& list) const
{
    list.RemoveAll();
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const auto* object = m_list->GetItemPtr<CZemObject>(row);
        if (!object)
            continue;
        CZemObject* copy = object->Clone();
        copy->SetIndex(row);
        list.Add(copy);
    }
}

void CListBaseDlg::DeleteSelected()
{
    const std::vector<int> rows = m_list->GetSelectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        DeleteRow(*it);
}

void CListBaseDlg::Sort()
{
    m_list->SortItems([this](int a, int b) { return CompareRows(a, b); });
    SetModified(true);
}

int CListBaseDlg::CompareRows(int row1, int row2)
{
    std::string a = m_list->GetItemText(row1, m_sortColumn);
    std::string b = m_list->GetItemText(row2, m_sortColumn);
    if (m_gradeOrderSort) {
        GradeSortKey(a);
        GradeSortKey(b);
    }
    return zem::CompareGbkNoCase(a, b);
}

bool CListBaseDlg::Validate(const CPageRow* cells, CPageNotify* notify)
{
    if (!cells || cells->empty())
        return false;
    const bool quiet = notify && notify->quiet;
    auto refuse = [&](const std::string& message, bool stopImport) {
        if (notify) {
            notify->message = message;
            notify->error = notify->error || stopImport;
        }
        if (!quiet)
            ShowMessage(message);
        return false;
    };
    // A character the task's files cannot hold would come back as "?": refuse it here, naming it.
    for (const std::string& cell : *cells) {
        std::string message;
        if (!CheckGbkText(cell, &message))
            return refuse(message, true);
    }
    std::string name = (*cells)[0];
    NormalizeName(name);
    if (name.empty())
        return refuse("名称不能为空", false);

    const int excluded = (notify && notify->replace == 1) ? m_list->GetFirstSelected() : -1;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (row == excluded)
            continue;
        std::string other = m_list->GetItemText(row, 1);
        NormalizeName(other);
        if (zem::EqualsNoCase(other, name))
            return refuse(zem::Format("%s 已存在", name.c_str()), false);
    }
    return true;
}

std::string CListBaseDlg::Title()
{
    return m_title;
}

std::string CListBaseDlg::StatusText()
{
    return zem::Format("当前共有 %d 条记录。（按住Ctrl或Shift键，再用鼠标单击可以多选；Ctrl+A全选）",
                       m_list ? m_list->GetItemCount() : 0);
}

void CListBaseDlg::UpdateStatus()
{
    m_statusText = StatusText();
    update(m_statusRect.left, m_statusRect.top, m_statusRect.Width(), m_statusRect.Height());
}

void CListBaseDlg::UpdateButtons()
{
    if (!m_list)
        return;
    const bool selected = m_list->GetSelectedCount() > 0;
    for (int id : {IDC_EDIT, IDC_DELETE, IDC_MOVE_UP, IDC_MOVE_DOWN})
        EnableItem(id, selected);
    EnableItem(IDC_SORT, m_list->GetItemCount() > 1);
}

void CListBaseDlg::MoveSelectedUp()
{
    for (int row = 1; row < m_list->GetItemCount(); ++row) {
        if (!m_list->IsSelected(row))
            continue;
        m_list->SwapItems(row - 1, row);
        m_list->SetSelected(row - 1, true);
        m_list->SetSelected(row, false);
    }
    SetModified(true);
}

void CListBaseDlg::MoveSelectedDown()
{
    for (int row = m_list->GetItemCount() - 2; row >= 0; --row) {
        if (!m_list->IsSelected(row))
            continue;
        m_list->SwapItems(row, row + 1);
        m_list->SetSelected(row + 1, true);
        m_list->SetSelected(row, false);
    }
    SetModified(true);
}

void CListBaseDlg::FindNext(CFindRequest* request)
{
    if (!request)
        return;
    const int count = m_list->GetItemCount();
    if (request->row >= 0 && request->row < count)
        m_list->SetSelected(request->row, false);
    for (int k = 0; k < count; ++k) {
        const int row = (request->row + 1 + k) % count;
        for (int column = 1; column < m_list->GetColumnCount(); ++column) {
            if (m_list->GetItemText(row, column).find(request->text) == std::string::npos)
                continue;
            m_list->SetSelected(row, true);
            m_list->EnsureVisible(row);
            request->row = row;
            request->found = true;
            return;
        }
    }
}

void CListBaseDlg::Print()
{
    CPrinterJob job;
    if (job.SelectPrinter() == -1)
        return;
    job.SetOrientation(1);
    job.StartDoc();
    const std::string face = CUICore::instance()->GetDefaultFontName();
    const int body = job.AddFontSet(face, 8, 8);
    job.AddFontSet(face, 9, 9);
    const int title = job.AddFontSet(face, 12, 12);
    job.SetMargins(40, 160, 300, 300);
    job.SetLineSpacing(5);
    const zem::Size page = job.GetPageSize();
    job.SetLineHeight(page.cy - job.GetPrintRect().top);

    job.SelectFontSet(body);
    job.StartPage();
    job.SelectFont(title, true);
    job.PrintText(title, PrintTitle(), CPrinterJob::kCenter);
    job.SkipLines(title, 1);

    const int columns = m_list->GetColumnCount();
    const int listWidth = std::max(1, m_list->width());
    const int scale = (page.cx - kPrintSideMargins) / listWidth;
    std::vector<int> widths;
    std::string header;
    for (int column = 1; column < columns; ++column) {
        // A column never prints narrower than nothing.
        widths.push_back(std::max(0, m_list->GetColumnWidth(column) * scale - 2 * job.GetColumnGap()));
        header += (column > 1 ? "|" : "") + m_list->GetColumnHeading(column);
    }
    job.SetColumnCount(static_cast<int>(widths.size()));
    job.SetColumns(static_cast<int>(widths.size()), widths);
    job.SetOption2(1);
    job.SetOption3(1);
    job.SetOption1(200);
    job.SetOption5(1);
    job.SetOption4(5);

    job.SelectFont(body, true);
    job.PrintTable(body, header);
    job.SelectFont(body, false);
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        std::string line;
        for (int column = 1; column < columns; ++column)
            line += (column > 1 ? "|" : "") + m_list->GetItemText(row, column);
        if (job.PrintTable(body, line) != 0)
            break;
    }
    job.EndPage();
    job.EndDoc();
}

void CListBaseDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_ADD:
        Add();
        UpdateStatus();
        break;
    case IDC_EDIT: Edit(); break;
    case IDC_DELETE:
        DeleteSelected();
        UpdateStatus();
        UpdateButtons();
        break;
    case IDC_MOVE_UP: MoveSelectedUp(); break;
    case IDC_MOVE_DOWN: MoveSelectedDown(); break;
    case IDC_IMPORT:
        Import();
        UpdateStatus();
        break;
    case IDC_SAVE:
        if (Save())
            ShowSavedTip(Button(IDC_SAVE), 1);
        break;
    case IDC_PRINT: Print(); break;
    case IDC_FIND: {
        CListFindDlg find(this, this);
        find.DoModal();
        break;
    }
    case IDC_SORT: Sort(); break;
    default: Dialog::OnCommand(id); break;
    }
}

void CListBaseDlg::OnClose()
{
    if (m_modified) {
        if (AskQuestion("列表内容已修改,要保存吗?", zem::MessageButtons::YesNo) == zem::IDYES && !Save())
            return;  // the page stays open with its changes
    }
    Dialog::OnCancel();
}

void CListBaseDlg::OnCancel()
{
    // 取消 would throw away what the page holds unsaved (an import's rows among it): the user
    // decides first, and may stay.
    if (m_modified) {
        const int answer = AskQuestion("列表内容已修改,要保存吗?", zem::MessageButtons::YesNoCancel);
        if (answer == zem::IDCANCEL || (answer == zem::IDYES && !Save()))
            return;
    }
    Dialog::OnCancel();
}

bool CListBaseDlg::PreTranslateKey(QKeyEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = event->key();
    if (key == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
        m_list->SelectAllRows();
        return true;
    }
    if (key == Qt::Key_Delete) {
        SendCommand(IDC_DELETE);
        return true;
    }
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

zem::LRESULT CListBaseDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_FIND_NEXT) {
        FindNext(zem::FromWParam<CFindRequest>(wParam));
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

void CListBaseDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        dc.Draw3dRect(m_statusRect, kDialogFrameColor, kDialogFrameColor);
        dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
        dc.SetBkMode(zem::gui::TRANSPARENT);
        dc.SetTextColor(m_statusWarning ? kWarningText : RGB(0, 0, 0));
        Rect text = m_statusRect;
        text.DeflateRect(6, 0, 6, 0);
        dc.DrawText(m_statusText, text, zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER);
        DrawExtra(dc, client);
    });
}
