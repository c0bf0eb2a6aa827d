#include "app/timetable/TempAdjustDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/TipWnd.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/SaveSayingWhy.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/QtText.h"
#include "table/UICore.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>

using zem::Rect;
using zem::gui::DC;

namespace {

constexpr int kTopBand = 50;
constexpr int kButtonBand = 50;
constexpr int kTreeHeight = 100;
constexpr int kComboRow = 45;
constexpr int kGap = 3;

// The side columns: 400 and 300 pixels, less on a narrow screen so the middle keeps half.
int LeftWidth(int clientWidth) { return std::min(400, clientWidth * 2 / 7); }
int RightWidth(int clientWidth) { return std::min(300, clientWidth * 3 / 14); }
constexpr zem::COLORREF kGrey = zem::RGB(0x81, 0x81, 0x81);
constexpr zem::COLORREF kPanelColor = zem::RGB(0xF0, 0xF0, 0xF0);
constexpr zem::COLORREF kTopColor = 0x5B483B;
constexpr zem::COLORREF kModifiedColor = 0xC8FFFF;

void* ItemObject(const QComboBox* combo, int index)
{
    return reinterpret_cast<void*>(combo->itemData(index).value<qulonglong>());
}

}  // namespace

std::string FirstClassOfTeacher(const CScheduleTask& task, const std::string& teacherId)
{
    const CSchoolStructure& structure = task.GetSchoolStructure();
    if (auto* teacher = static_cast<CZemTableObject*>(task.GetTeacherInfoList().Find(teacherId))) {
        const CCourseTable& table = teacher->GetTable(true);
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            const int sections = structure.GetSectionNodeMaxCount(segment);
            for (int day = 0; day < zem::kDayCount; ++day) {
                if (!structure.IsDayInUse(day))
                    continue;
                for (int section = 0; section < sections && section < zem::kSectionCount; ++section) {
                    if (!table.IsUsed(day, segment, section))
                        continue;
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    for (const int half : {1, 2}) {
                        const std::string& courseId = cell.data(half).GetCourseId();
                        if (courseId.empty())
                            continue;
                        if (const CCourseInfo* course = task.FindCourse(courseId))
                            return course->GetClassId();
                        break;  // only the first id in the cell counts
                    }
                }
            }
        }
    }
    std::vector<CZemObject*> classes;
    MapToOrderedList(task.GetClassInfoList(), classes);
    return classes.empty() ? std::string() : classes.front()->GetId();
}

CTempAdjustDlg::CTempAdjustDlg(QWidget* parent, CScheduleTask* task, bool isNew, const std::string& teacherId)
    : Dialog(parent, "临时调课代课", {480, 300}), m_task(task), m_isNew(isNew), m_teacherId(teacherId)
{
}

CTempAdjustDlg::~CTempAdjustDlg() = default;

bool CTempAdjustDlg::OnInitDialog()
{
    SetCaption(LoadResString(2) + " - 临时调课代课");
    if (!m_task) {
        zem::ShowMessage(kNoTaskText, "提示", zem::MessageIcon::Information);
        EndDialog(zem::IDCANCEL);
        return false;
    }
    m_titleText = zem::Format("临时任务：%s", m_task->GetTaskInfo().GetTaskName().c_str());
    // Edits a window before left unsaved are dropped.
    CTaskHelper(m_task, AppHelperContext()).RestoreTempTables();

    const Rect area = zem::gui::WorkArea();
    setGeometry(area.left, area.top, area.Width(), area.Height());

    m_regularCaption.m_title = "原任课教师";
    m_substituteCaption.m_title = "代课教师";

    struct ButtonSpec {
        int id;
        const char* text;
    };
    static constexpr ButtonSpec kButtons[] = {{IDC_SAVE, "保存临时任务(&S)"}, {IDC_COMPARE, "比对(&C)"},
                                              {IDC_EXECUTE, "执行代课(&D)"},   {IDC_EXPORT, "导  出(&E)"},
                                              {IDC_PRINT, "打  印(&P)"}};
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new CHoverButton(entry.text, this);
        button->setAutoDefault(false);
        AddControl(entry.id, button);
    }
    // Planning, carrying out and comparing substitutions, and printing from here, are not in
    // this program yet.
    for (const int id : {IDC_COMPARE, IDC_EXECUTE, IDC_EXPORT, IDC_PRINT})
        EnableItem(id, false);
    SetModified(false);

    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(10);
    // Long titles scroll rather than being cut.
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    m_tree->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    m_tree->setStyleSheet("QTreeWidget { background: #F0F0F0; } QTreeWidget::item { height: 24px; }");
    AddControl(IDC_TREE, m_tree);

    for (const int id : {IDC_CLASS_LIST, IDC_TEACHER_LIST}) {
        auto* combo = new QComboBox(this);
        combo->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
        combo->setMaxVisibleItems(20);
        AddControl(id, combo);
        const int kind = id - IDC_CLASS_LIST;
        QObject::connect(combo, &QComboBox::activated, this, [this, kind] { OnListChanged(kind); });
    }

    m_history.Load(m_task->GetConfigFile(), kHistorySection, 10);
    m_teacherFound = m_task->GetTeacherInfoList().Find(m_teacherId) != nullptr;
    FillTree();
    if (!m_teacherFound) {
        zem::ShowMessage(kNoTeacherText);
        Layout();
        return true;
    }

    m_container.Create(this, m_task, this, false);
    m_container.GetGrid().SetTitleHeight(30);
    m_container.GetGrid().SetPlaySoundInMoving(AppServices().GetPlaySoundInMoving());
    m_container.GetGrid().SetColorMode(AppServices().GetColorTable());
    m_container.SetMenuMode(CTableContainer::kMenuTemporary);

    m_regularPanel.Create(this, m_task);
    m_regularPanel.ShowLesson({m_teacherId}, TABLE_TEACHER);
    m_substitutePanel.Create(this, m_task);

    FillObjectLists();
    m_container.SetObject(TABLE_CLASS, FirstClassOfTeacher(*m_task, m_teacherId));
    m_container.ShowObject();
    SelectCurrentInList();
    Layout();
    return true;
}

void CTempAdjustDlg::FillTree()
{
    m_tree->clear();
    for (const auto& entry : m_history.GetEntries())
        m_tree->addTopLevelItem(new QTreeWidgetItem(QStringList{zem::gui::ToQ(entry->title)}));
    auto* current = new QTreeWidgetItem(QStringList{zem::gui::ToQ(GetCurrentOperationText())});
    m_tree->insertTopLevelItem(0, current);
    m_tree->scrollToItem(current);
}

std::string CTempAdjustDlg::GetCurrentOperationText() const
{
    if (!m_teacherFound)
        return {};
    return zem::Format("【当前操作】为 %s 老师的课程安排代课教师 （%s）", m_task->GetTeacherName(m_teacherId).c_str(),
                       "在左边的课表上单击鼠标右键可以选择代课教师");
}

void CTempAdjustDlg::FillObjectLists()
{
    const std::pair<int, const CZemObjectList*> lists[] = {{IDC_CLASS_LIST, &m_task->GetClassInfoList()},
                                                           {IDC_TEACHER_LIST, &m_task->GetTeacherInfoList()}};
    for (const auto& [id, objects] : lists) {
        auto* combo = Item<QComboBox>(id);
        std::vector<CZemObject*> ordered;
        MapToOrderedList(*objects, ordered);
        for (CZemObject* object : ordered)
            combo->addItem(zem::gui::ToQ(object->GetName()), QVariant::fromValue(reinterpret_cast<qulonglong>(object)));
    }
}

void CTempAdjustDlg::SelectCurrentInList()
{
    const int kind = m_container.GetKind();
    ShowItem(IDC_CLASS_LIST, kind == TABLE_CLASS);
    ShowItem(IDC_TEACHER_LIST, kind == TABLE_TEACHER);
    if (kind != TABLE_CLASS && kind != TABLE_TEACHER)
        return;
    auto* combo = Item<QComboBox>(IDC_CLASS_LIST + kind);
    for (int i = 0; i < combo->count(); ++i)
        if (static_cast<CZemObject*>(ItemObject(combo, i))->GetId() == m_container.GetObjectId())
            combo->setCurrentIndex(i);
}

void CTempAdjustDlg::OnListChanged(int kind)
{
    const auto* combo = Item<QComboBox>(IDC_CLASS_LIST + kind);
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    m_container.SetObject(kind, static_cast<CZemObject*>(ItemObject(combo, index))->GetId());
    m_container.ShowObject();
}

void CTempAdjustDlg::FocusTeacherList()
{
    if (QWidget* combo = GetDlgItem(IDC_TEACHER_LIST))
        combo->setFocus();
}

void CTempAdjustDlg::OnTableChanged(int, void*)
{
    SetModified(true);
    m_regularPanel.GetFriendTables().ShowCourse({});
}

void CTempAdjustDlg::SetModified(bool modified)
{
    m_modified = modified;
    if (auto* save = Item<CHoverButton>(IDC_SAVE))
        save->SetBkColor(modified ? kModifiedColor : zem::RGB(255, 255, 255));
}

bool CTempAdjustDlg::Save()
{
    // The plans first: the timetables refer to them.
    CScheduleTask* task = m_task;
    if (!SaveSayingWhy([task] { return task->SaveInputData() && CTaskHelper(task, AppHelperContext()).SaveTempTables(); },
                       kSaveFailedText, "无法写入 " + task->GetTaskInfo().GetTaskFolder()))
        return false;
    m_saved = true;
    m_container.ResetChangedTables();
    SetModified(false);
    ShowSavedTip(this, 1);
    return true;
}

bool CTempAdjustDlg::CloseWindow()
{
    if (!m_modified)
        return true;
    const int answer =
        zem::ShowMessage({kCloseQuestion, "提示", zem::MessageIcon::Question, zem::MessageButtons::YesNoCancel});
    if (answer == zem::IDCANCEL)
        return false;
    if (answer == zem::IDYES)
        return Save();
    CTaskHelper(m_task, AppHelperContext()).RestoreTempTables();
    return true;
}

void CTempAdjustDlg::OnCancel()
{
    if (m_container.GetGrid().IsMoving())
        return;
    if (CloseWindow())
        EndDialog(zem::IDCANCEL);
}

void CTempAdjustDlg::OnCommand(int id)
{
    if (id == IDC_SAVE)
        Save();
    else
        Dialog::OnCommand(id);
}

// ---- Layout and painting ----

void CTempAdjustDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    if (m_tree)
        Layout();
}

void CTempAdjustDlg::Layout()
{
    const Rect client(0, 0, width(), height());
    SetWidgetRect(GetDlgItem(IDC_SAVE), Rect(client.right - 230, 8, client.right - 8, kTopBand - 8));
    const Rect save = WidgetRect(GetDlgItem(IDC_SAVE));
    SetWidgetRect(GetDlgItem(IDC_COMPARE), Rect(save.left - 110, save.top, save.left - 10, save.bottom));

    const int leftBar = LeftWidth(client.Width()) + kGap;
    const int rightBar = client.right - RightWidth(client.Width()) - kGap;
    m_regularCaption.SetRect(client.left + kGap, kTopBand + kGap, leftBar - kGap, client.bottom - kGap);
    m_substituteCaption.SetRect(rightBar + kGap, kTopBand + kGap, client.right - kGap, client.bottom - kGap);
    if (m_regularPanel.parentWidget())
        SetWidgetRect(&m_regularPanel, m_regularCaption.GetBodyRect());
    if (m_substitutePanel.parentWidget())
        SetWidgetRect(&m_substitutePanel, m_substituteCaption.GetBodyRect());

    const int middleLeft = leftBar + kGap + 1;
    const int middleRight = rightBar - kGap;
    int x = middleLeft + 20;
    for (const int id : {IDC_EXECUTE, IDC_EXPORT, IDC_PRINT}) {
        SetWidgetRect(GetDlgItem(id), Rect(x, kTopBand + 10, x + 100, kTopBand + 36));
        x += 110;
    }
    const int treeTop = kTopBand + kButtonBand;
    SetWidgetRect(m_tree, Rect(middleLeft, treeTop, middleRight, treeTop + kTreeHeight));
    const int comboBottom = treeTop + kTreeHeight + kComboRow - 6;
    const int centre = (middleLeft + middleRight) / 2;
    for (const int id : {IDC_CLASS_LIST, IDC_TEACHER_LIST})
        SetWidgetRect(GetDlgItem(id), Rect(centre - 125, comboBottom - 24, centre + 125, comboBottom));
    if (m_container.parentWidget())
        SetWidgetRect(&m_container, Rect(middleLeft, treeTop + kTreeHeight + kComboRow + 8, middleRight,
                                         client.bottom - 50));
    m_laidOut = true;
    update();
}

void CTempAdjustDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kGrey);
        const int leftBar = LeftWidth(client.Width()) + kGap;
        const int rightBar = client.right - RightWidth(client.Width()) - kGap;
        dc.FillSolidRect(Rect(client.left, kTopBand, leftBar, client.bottom), kPanelColor);
        dc.FillSolidRect(Rect(rightBar, kTopBand, client.right, client.bottom), kPanelColor);
        dc.FillSolidRect(Rect(leftBar + kGap + 1, kTopBand, rightBar - kGap, kTopBand + kButtonBand), kPanelColor);
        dc.FillSolidRect(Rect(client.left, client.top, client.right, kTopBand), kTopColor);
        m_regularCaption.Draw(dc);
        m_substituteCaption.Draw(dc);
        dc.SelectFont(zem::gui::Font(zem::LogFont{zem::gui::PointSizeToHeight(120), 700, false, false,
                                                  CUICore::instance()->GetDefaultFontName()}));
        dc.SetTextColor(0xE8E8E8);
        Rect title(client.left + 20, client.top, client.right - 260, kTopBand);
        dc.DrawText(m_titleText, title, zem::gui::DT_LEFT | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    });
}
