#include "app/shell/NewTaskDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Paths.h"
#include "app/controls/ShellFunctions.h"
#include "app/controls/TipWnd.h"
#include "app/shell/AppContext.h"
#include "base/TaskFolder.h"
#include "base/TaskInfo.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPaintEvent>
#include <QPainter>

#include <cerrno>
#include <filesystem>

using zem::gui::ToQ;
using zem::gui::FromQ;

namespace {

// The folder part of a path (before its last '/', when one stands after the first character).
std::string FolderBeforeLastSlash(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash != std::string::npos && slash > 0 ? path.substr(0, slash) : path;
}

}  // namespace

CNewTaskDlg::CNewTaskDlg(QWidget* parent, CTaskInfo* info, bool hideTakeOption)
    : Dialog(parent, "创建新排课任务", {303, 155}), m_pInfo(info), m_bHideTakeOption(hideTakeOption)
{
}

CNewTaskDlg::~CNewTaskDlg()
{
    // The name's tip belongs to this dialog, however it ends.
    if (CTipWnd* tip = AppServices().GetTipWnd())
        tip->hide();
}

std::string CNewTaskDlg::ExampleName()
{
    return zem::Format("%d学年第一学期", zem::Now().year);
}

bool CNewTaskDlg::OnInitDialog()
{
    AddGroup(this, "", UnitsRect(7, 4, 289, 46));
    AddLabel(this, "任务名称", UnitsRect(16, 16, 38, 9));
    m_name = AddEdit(this, IDC_NAME, UnitsRect(56, 14, 232, 13));
    AddLabel(this, "保存位置", UnitsRect(16, 33, 38, 9));
    m_folder = AddEdit(this, IDC_FOLDER, UnitsRect(56, 31, 210, 13));
    // CreateButton leaves the buttons' Enter as a dialog's buttons have it; AddHoverButton would not.
    auto* browse = new CHoverButton(this);
    browse->CreateButton(this, "...", IDC_BROWSE);
    SetWidgetRect(browse, UnitsRect(270, 31, 18, 13));

    m_takeExisting = AddCheck(this, IDC_TAKE_EXISTING, "从现有排课任务中导入数据", UnitsRect(12, 60, 160, 10), false);
    auto* create = new CHoverButton(this);
    create->CreateButton(this, "创建", zem::IDOK);
    SetWidgetRect(create, UnitsRect(186, 57, 50, 15));
    create->setDefault(true);
    auto* cancel = new CHoverButton(this);
    cancel->CreateButton(this, "取消", zem::IDCANCEL);
    SetWidgetRect(cancel, UnitsRect(242, 57, 50, 15));

    m_optionArea = UnitsRect(7, 80, 289, 64);
    m_source = new QComboBox(this);
    AddField(this, IDC_SOURCE, m_source, UnitsRect(16, 88, 272, 14));
    m_takeBasic = AddCheck(this, IDC_TAKE_BASIC, "导入基本数据和排课条件", UnitsRect(16, 110, 160, 10), false);
    m_takeTables = AddCheck(this, IDC_TAKE_TABLES, "导入课表", UnitsRect(16, 126, 160, 10), false);

    m_name->setText(ToQ(m_pInfo->GetTaskName()));
    m_folder->setText(ToQ(m_pInfo->GetTaskFolder()));
    m_takeExisting->setChecked(m_nTakeFromExisting != 0);
    m_takeBasic->setChecked(m_nTakeBasicData != 0);
    m_takeTables->setChecked(m_nTakeTimetables != 0);
    // Timetables make sense only on top of the basic data they belong to.
    m_takeTables->setEnabled(m_takeBasic->isChecked());

    CollectCandidates();
    if (m_bHideTakeOption || m_candidates.empty())
        m_takeExisting->hide();
    if (!m_candidates.empty()) {
        int widest = 0;
        const QFontMetrics metrics(m_source->font());
        for (const std::string& path : m_candidates) {
            const std::filesystem::path p(path);
            const std::string text = zem::Format("%s (%s)", p.stem().string().c_str(), GetFolderOfPath(path).c_str());
            m_source->addItem(ToQ(text));
            widest = std::max(widest, metrics.horizontalAdvance(ToQ(text)));
        }
        m_source->view()->setMinimumWidth(widest + 10);
        m_source->setCurrentIndex(0);
    }

    m_nWidth = width();
    m_nCollapsedHeight = m_optionArea.top;
    m_nExpandedHeight = m_optionArea.bottom + Units().Y(7);
    UpdateHeight();

    connect(m_name, &QLineEdit::textEdited, this, [this] { OnNameChanged(); });
    m_name->setFocus();
    return true;
}

void CNewTaskDlg::CollectCandidates()
{
    m_candidates.clear();
    if (!CAppContext::Exists())
        return;
    const CRecentList& recent = CAppContext::Get()->GetRecentTasks();
    for (int i = 0; i < recent.GetCount(); ++i) {
        const std::string path = recent.GetAt(i);
        if (!PathIsKind(path, false))
            continue;
        CTaskInfo folder;
        folder.SetTaskFolder(GetFolderOfPath(path));
        if (PathIsKind(folder.GetInputFilePath(), false))
            m_candidates.push_back(path);
    }
}

bool CNewTaskDlg::IsExpanded() const
{
    return m_takeExisting->isVisible() && m_takeExisting->isChecked();
}

void CNewTaskDlg::UpdateHeight()
{
    const bool expanded = IsExpanded();
    for (QWidget* w : {static_cast<QWidget*>(m_source), static_cast<QWidget*>(m_takeBasic),
                       static_cast<QWidget*>(m_takeTables)})
        w->setVisible(expanded);
    setFixedSize(m_nWidth, expanded ? m_nExpandedHeight : m_nCollapsedHeight);
    update();
}

void CNewTaskDlg::OnNameChanged()
{
    const std::string name = FromQ(m_name->text());
    const std::string folder = FromQ(m_folder->text());
    m_folder->setText(ToQ(FolderBeforeLastSlash(folder) + "/" + name));
}

void CNewTaskDlg::OnBrowse()
{
    const std::string name = FromQ(m_name->text());
    std::string path = FromQ(m_folder->text());
    if (!name.empty() && path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0)
        path.erase(path.size() - name.size());
    if (!BrowseForFolder(this, "选择排课任务存放的文件夹", 0, path) || path.empty())
        return;
    if (path.back() != '/')
        path += '/';
    if (CAppContext::Exists())
        CAppContext::Get()->SetLastTaskFolder(path);
    m_folder->setText(ToQ(path + name));
}

void CNewTaskDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_TAKE_EXISTING:
        UpdateHeight();
        return;
    case IDC_TAKE_BASIC:
        if (!m_takeBasic->isChecked())
            m_takeTables->setChecked(false);
        m_takeTables->setEnabled(m_takeBasic->isChecked());
        return;
    case IDC_BROWSE:
        OnBrowse();
        return;
    default:
        Dialog::OnCommand(id);
    }
}

void CNewTaskDlg::Refuse(const std::string& text, zem::MessageIcon icon, int focusId)
{
    zem::ShowMessage(text, "提示", icon);
    if (QWidget* control = GetDlgItem(focusId))
        control->setFocus();
}

void CNewTaskDlg::OnOK()
{
    const std::string name = FromQ(m_name->text());
    if (name.empty())
        return Refuse("任务名称不能为空", zem::MessageIcon::Information, IDC_NAME);
    std::string message;
    if (!zem::CheckFileName(name, &message))
        return Refuse(message, zem::MessageIcon::Information, IDC_NAME);

    std::string folder = FromQ(m_folder->text());
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    // A relative path would land wherever the program happened to be started.
    if (folder.empty() || zem::IsWindowsPath(folder) || folder.front() != '/')
        return Refuse("保存位置无效\n\n请填写以“/”开头的完整路径", zem::MessageIcon::Error, IDC_FOLDER);
    // One level, as the user named it; a folder that exists is fine.
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    if (!PathIsKind(folder, true)) {
        const int code = PathIsKind(folder, false) ? EEXIST : ec.value();
        return Refuse(code != 0 ? "保存位置无效\n\n" + zem::FileErrorReason(code) : std::string("保存位置无效"),
                      zem::MessageIcon::Error, IDC_FOLDER);
    }

    m_pInfo->SetTaskName(name);
    m_pInfo->SetTaskFolder(folder);
    if (zem::FileExists(m_pInfo->GetTaskFile()))
        return Refuse(zem::Format("排课任务 %s 已存在", name.c_str()), zem::MessageIcon::Information,
                      IDC_NAME);
    // Two tasks in one folder would share, or overwrite, each other's files.
    if (TaskFolder::HoldsTaskFiles(m_pInfo->GetTaskFolder()))
        return Refuse("该文件夹中已有排课任务，请选择其他保存位置", zem::MessageIcon::Information,
                      IDC_FOLDER);

    m_nTakeFromExisting = m_takeExisting->isVisible() && m_takeExisting->isChecked() ? 1 : 0;
    m_nTakeBasicData = m_takeBasic->isChecked() ? 1 : 0;
    m_nTakeTimetables = m_takeBasic->isChecked() && m_takeTables->isChecked() ? 1 : 0;
    const int selected = m_source->currentIndex();
    if (m_nTakeFromExisting && selected >= 0 && selected < static_cast<int>(m_candidates.size()))
        m_strSourceTaskFile = m_candidates[static_cast<std::size_t>(selected)];
    EndDialog(zem::IDOK);
}

bool CNewTaskDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_name && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        if (CTipWnd* tip = AppServices().GetTipWnd()) {
            if (event->type() == QEvent::FocusIn) {
                const QPoint at = mapToGlobal(QPoint(width(), m_name->y()));
                tip->ShowTip(at.x(), at.y(), "排课任务的名称", "例如：" + ExampleName(), 0);
            } else {
                tip->hide();
            }
        }
    }
    return Dialog::eventFilter(watched, event);
}

void CNewTaskDlg::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_RGB32);
    {
        zem::gui::DC dc(&image);
        dc.FillSolidRect(zem::Rect(0, 0, width(), height()), zem::RGB(0xF0, 0xF0, 0xF0));
        if (IsExpanded()) {
            dc.FillSolidRect(m_optionArea, zem::RGB(255, 255, 255));
            dc.Draw3dRect(m_optionArea, zem::RGB(0xC0, 0xC0, 0xC0), zem::RGB(255, 255, 255));
        }
    }
    QPainter(this).drawImage(0, 0, image);
}
