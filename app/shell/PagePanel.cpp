#include "app/shell/PagePanel.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/GdiResources.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Paths.h"
#include "app/controls/RemoveItemsDlg.h"
#include "app/shared/Strings.h"
#include "app/shell/AppContext.h"
#include "app/shell/FeatureWindows.h"
#include "app/timetable/LastViewed.h"
#include "base/ScheduleTask.h"
#include "core/Core.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"

#include <QPainter>

#include <algorithm>
#include <iterator>
#include <optional>

using zem::Rect;

namespace {

constexpr const char* kRunText =
    "点击该按钮开始自动排课. 在排课完成后,您可以在\"查看课表\"中打印课表,也可以手工进行调整.";

struct PageName {
    const char* name;
    int descriptionId;
    int tip;  // the information panel's tip when the page is shown; 0 keeps the one shown
};
const PageName kPages[] = {
    {"1 开始", 6, 1},     {"2 基本数据维护", 7, 2},        {"3 排课条件设置", 8, 0},
    {"4 自动排课", 9, 0}, {"5 查看课表(手工调课)", 10, 3},
};

struct FixedTimeItem {
    int id;
    const char* text;
    Feature feature;
    CZemObjectList& (CScheduleTask::*list)();
};
const FixedTimeItem kFixedTimeItems[] = {
    {CPagePanel::ID_FIXED_CLASS, "班级固定无课时间", Feature::ClassFixedTime, &CScheduleTask::GetFixedTimeOfClassList},
    {CPagePanel::ID_FIXED_SUBJECT, "课程固定无课时间", Feature::SubjectFixedTime,
     &CScheduleTask::GetFixedTimeOfSubjectList},
    {CPagePanel::ID_FIXED_TEACHER, "教师固定无课时间", Feature::TeacherFixedTime,
     &CScheduleTask::GetFixedTimeOfTeacherList},
    {CPagePanel::ID_FIXED_TEACHER_GROUP, "教师组固定无课时间", Feature::TeacherGroupFixedTime,
     &CScheduleTask::GetFixedTimeOfTeacherGroupList},
    {CPagePanel::ID_FIXED_PLAN, "教学计划固定无课时间", Feature::PlanFixedTime,
     &CScheduleTask::GetFixedTimeOfCourseList},
};

CAppContext* Context()
{
    return CAppContext::Get();
}

CScheduleTask* Task()
{
    return CAppContext::Exists() ? CAppContext::Get()->GetTask() : nullptr;
}

void Stretch(zem::gui::DC& dc, const Rect& rect, int bitmapId)
{
    const QImage* bitmap = CGdiResources::GetInstance()->GetBitmap(bitmapId);
    if (bitmap && !rect.IsRectEmpty())
        dc.Painter().drawImage(QRect(rect.left, rect.top, rect.Width(), rect.Height()), *bitmap);
}

// Ticks among the entries in the remove-items dialog; the ticked positions, ascending.
bool AskWhichToRemove(QWidget* owner, const std::string& prompt, const std::vector<std::string>& items,
                      std::vector<unsigned>& ticked)
{
    CRemoveItemsDlg dialog(owner);
    dialog.SetPrompt(prompt);
    dialog.SetItems(items);
    if (dialog.DoModal() != zem::IDOK)
        return false;
    ticked = dialog.GetCheckedIndices();
    return true;
}

}  // namespace

CPagePanel::CPagePanel() : m_timers([this](int id) { OnTimer(id); })
{
    setWindowTitle("Web_Sheet");
}

CPagePanel::~CPagePanel() = default;

bool CPagePanel::Create(QWidget* parent)
{
    setParent(parent);
    setCursor(CGdiResources::GetInstance()->m_arrowCursor);
    m_header.Create(this, this);
    m_tabStrip.Create(this);
    m_toolBox.Create(this, this);
    m_descPanel.Create(this);
    m_header.AddPage(kPages[0].name, LoadResString(kPages[0].descriptionId));
    m_header.SelectPage(0);
    m_created = true;
    show();
    Layout();
    return true;
}

void CPagePanel::AddTaskPages()
{
    if (m_header.GetPageCount() != 1)
        return;
    for (int i = 1; i < 5; ++i)
        m_header.AddPage(kPages[i].name, LoadResString(kPages[i].descriptionId));
}

void CPagePanel::ClearToolBox()
{
    m_toolBox.Clear();
}

// One entry of the tool box: where it sits, what it shows and what a click does. A line break has
// code 0. A click runs the feature's window, else the handler; the entry is available when its check
// says so, else when its feature has a window.
struct CPagePanel::ToolAction {
    int page;  // 0-4
    int code;
    const char* caption;
    const char* description;
    int bitmap;
    std::optional<Feature> feature;
    void (*handler)(CPagePanel& panel);
    bool (*available)(const CFeatureWindows& windows);
};

std::span<const CPagePanel::ToolAction> CPagePanel::ToolActions()
{
    using W = const CFeatureWindows&;
    using P = CPagePanel&;
    constexpr auto always = [](W) { return true; };
    static const ToolAction kActions[] = {
        {0, 1, "打开排课任务", "打开已经存在的排课任务.", 149, {}, [](P p) { p.OpenTaskOrRecent(); }, always},
        {0, 2, "创建新排课任务", "创建一个新的排课任务.", 148, {}, [](P p) { p.CreateTask(); }, always},
        {0, 0, "", "", 0, {}, nullptr, nullptr},
        {0, 3, "打开演示排课任务", "打开演示排课任务.", 211, {}, [](P p) { p.OpenDemoTask(); }, always},
        {1, 8, "教学时间", "设置每天的上课时间.", 171, Feature::TeachingTime, nullptr, nullptr},
        {1, 9, "班级信息", "维护班级的基本信息.", 183, Feature::ClassList, nullptr, nullptr},
        {1, 10, "课程信息", "维护课程的基本信息.", 155, Feature::SubjectList, nullptr, nullptr},
        {1, 11, "教师信息", "维护教师的基本信息.", 157, Feature::TeacherList, nullptr, nullptr},
        {1, 13, "教室和场地信息", "维护教室和教学场地的基本信息.", 227, Feature::RoomList, nullptr, nullptr},
        {1, 15, "教学计划", "维护教学计划的基本信息.", 180, Feature::PlanList, nullptr, nullptr},
        {1, 14, "早读和晚自习", "维护早读和晚自习的基本信息.", 374, Feature::SelfStudyList, nullptr, nullptr},
        {1, 12, "教师组信息", "维护教师组（教研组，行政组等）的基本信息.", 375, Feature::TeacherGroupList, nullptr,
         nullptr},
        {2, 16, "基本规则", "设置自动排课的基本规则.", 185, Feature::ScheduleRules, nullptr, nullptr},
        {2, 17, "预排课", "预先安排固定时间的课程.", 244, Feature::PresetList, nullptr, nullptr},
        {2, 18, "合班", "对于相同课程，相同教师，不同班级的教学计划可以合班上课。", 201, Feature::CombineClassList,
         nullptr, nullptr},
        {2, 19, "固定无课时间", "设置在一些固定的时间段不安排.", 184, {}, [](P p) { p.ShowFixedTimeMenu(); },
         [](W w) {
             return std::any_of(std::begin(kFixedTimeItems), std::end(kFixedTimeItems),
                                [&w](const FixedTimeItem& item) { return w.Has(item.feature); });
         }},
        {2, 20, "互斥教师组", "设置某一教师不可与其他教师在同一时间安排", 279, Feature::MutexTeacher, nullptr, nullptr},
        {2, 21, "助教", "多个老师同时上一门课", 376, Feature::AssistantList, nullptr, nullptr},
        {2, 22, "单双周组合", "单双周计划组合", 363, Feature::OETeam, nullptr, nullptr},
        {2, 23, "课程互斥", "课程不排在同一天", 382, Feature::MutexSubject, nullptr, nullptr},
        {3, 24, "开始自动排课", kRunText, 187, {}, [](P p) { p.RunAutomaticSchedule(); },
         [](W w) { return w.autoScheduleStart && w.autoScheduleRun; }},
        {3, 25, "部分自动重排", kRunText, 253, {}, [](P p) { p.RunPartialReschedule(); },
         [](W w) { return w.partialReschedule && w.autoScheduleRun; }},
        {3, 26, "自动排课报告", "最近一次自动排课的状态报告", 198, {}, [](P p) { p.ShowScheduleReport(4, ""); },
         [](W w) { return static_cast<bool>(w.scheduleReport); }},
        {4, 28, "全校总课表", "查看全校课表，手工调课。", 224, Feature::SchoolTimetable, nullptr, nullptr},
        {4, 29, "多课表调整", "查看多个课表，手工调课。", 364, Feature::MultiTable, nullptr, nullptr},
        {4, 30, "班级课表", "查看班级课表，手工排课。", 214, {}, [](P p) { p.OpenWeekTimetable(0, ""); },
         [](W w) { return static_cast<bool>(w.weekTimetable); }},
        {4, 31, "教师课表", "查看教师课表，手工排课。", 212, {}, [](P p) { p.OpenWeekTimetable(1, ""); },
         [](W w) { return static_cast<bool>(w.weekTimetable); }},
        {4, 32, "教室和场地课表", "查看教室课表，手工排课。", 252, {}, [](P p) { p.OpenWeekTimetable(2, ""); },
         [](W w) { return static_cast<bool>(w.weekTimetable); }},
        {4, 33, "教学计划调整", "教学计划调整", 255, {}, [](P p) { p.RunPlanAdjustment(); },
         [](W w) { return static_cast<bool>(w.planAdjustHub); }},
        {4, 34, "临时调课代课", "临时调课代课。", 264, {}, [](P p) { p.OpenTempAdjust(); },
         [](W w) { return static_cast<bool>(w.tempAdjust); }},
    };
    return kActions;
}

const CPagePanel::ToolAction* CPagePanel::FindAction(int code)
{
    if (code == 0)
        return nullptr;
    for (const ToolAction& action : ToolActions()) {
        if (action.code == code)
            return &action;
    }
    return nullptr;
}

bool CPagePanel::IsActionAvailable(int code)
{
    const ToolAction* action = FindAction(code);
    if (!action)
        return false;
    const CFeatureWindows& windows = FeatureWindows();
    return action->available ? action->available(windows) : windows.Has(*action->feature);
}

void CPagePanel::FillToolBox(int page)
{
    m_toolBox.Clear();
    if (page < 0 || page > 4)
        return;
    for (const ToolAction& entry : ToolActions()) {
        if (entry.page != page)
            continue;
        m_toolBox.AddItem(entry.code, entry.caption, entry.description, entry.bitmap, entry.code == 0,
                          entry.code == 0 || IsActionAvailable(entry.code));
    }
    if (kPages[page].tip != 0)
        m_descPanel.ShowTip(kPages[page].tip);
}

zem::LRESULT CPagePanel::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM)
{
    switch (message) {
    case WM_FILL_TOOLBOX:
        FillToolBox(static_cast<int>(wParam));
        return 0;
    case WM_TOOLBOX_ACTION:
        OnToolboxAction(static_cast<int>(wParam));
        return 0;
    default:
        return 0;
    }
}

void CPagePanel::SelectTaskPage(int index)
{
    if (m_header.GetPageCount() > 1)
        m_header.SelectPage(index);
}

void CPagePanel::OnTimer(int id)
{
    if (id != kTeachingTimeTimer)
        return;
    m_timers.KillTimer(kTeachingTimeTimer);
    FeatureWindows().Run(Feature::TeachingTime);
}

void CPagePanel::OnToolboxAction(int code)
{
    const ToolAction* action = FindAction(code);
    if (!action)
        return;
    if (action->feature)
        FeatureWindows().Run(*action->feature);
    else
        action->handler(*this);
}

void CPagePanel::OpenTaskOrRecent()
{
    if (Context()->GetRecentTasks().GetCount() == 0) {
        if (Context()->OpenTaskByDialog())
            SelectTaskPage(1);
    } else {
        ShowRecentTaskMenu();
    }
}

void CPagePanel::CreateTask()
{
    if (Context()->CreateNewTask(false) && m_header.GetPageCount() > 1) {
        m_header.SelectPage(1);
        if (!Context()->IsDataCopiedOnCreate())
            m_timers.SetTimer(kTeachingTimeTimer, kTeachingTimeDelay);
    }
}

void CPagePanel::OpenDemoTask()
{
    if (Context()->OpenDemoTask())
        m_header.SelectPage(1);
}

void CPagePanel::OpenTempAdjust()
{
    if (Task() && Context()->GetRecentTempTasks().GetCount() == 0)
        StartTempAdjust("");
    else if (Task())
        ShowTempTaskMenu();
}

zem::Point CPagePanel::MenuPoint(int code) const
{
    const Rect item = m_toolBox.GetItemRect(code);
    const QPoint screen = m_toolBox.mapToGlobal(QPoint(item.left, item.bottom));
    return {screen.x(), screen.y()};
}

// ---- Recent tasks ----

void CPagePanel::ShowRecentTaskMenu()
{
    CRecentList& recent = Context()->GetRecentTasks();
    std::vector<zem::gui::MenuItem> menu;
    bool offerClean = false;
    const CScheduleTask* open = Task();
    const int count = std::min(recent.GetCount(), ID_RECENT_LAST - ID_RECENT_FIRST + 1);
    for (int i = 0; i < count; ++i) {
        const std::string path = recent.GetAt(i);
        const bool exists = PathIsKind(path, false) != 0;
        menu.push_back({ID_RECENT_FIRST + i, exists ? path : path + " （文件不存在）", exists});
        if (!open || !CRecentList::IsSameEntry(path, open->GetTaskInfo().GetTaskFile()))
            offerClean = true;
    }
    // Every entry but the open task's may be cleaned away, the first one included.
    if (offerClean) {
        menu.push_back({});
        menu.push_back({ID_RECENT_CLEAN, "清理最近使用列表..."});
    }
    menu.push_back({});
    menu.push_back({ID_BROWSE_TASK, "浏览文件夹..."});
    if (const int command = zem::gui::TrackPopupMenu(this, menu, MenuPoint(1)))
        OnMenuCommand(command);
}

void CPagePanel::CleanRecentTasks()
{
    CRecentList& recent = Context()->GetRecentTasks();
    const CScheduleTask* open = Task();
    std::vector<int> offered;
    std::vector<std::string> texts;
    for (int i = 0; i < recent.GetCount(); ++i) {
        if (open && CRecentList::IsSameEntry(recent.GetAt(i), open->GetTaskInfo().GetTaskFile()))
            continue;
        offered.push_back(i);
        texts.push_back(recent.GetAt(i));
    }
    std::vector<unsigned> ticked;
    if (texts.empty() || !AskWhichToRemove(this, "从最近使用列表中移除", texts, ticked))
        return;
    for (auto it = ticked.rbegin(); it != ticked.rend(); ++it) {
        if (*it < offered.size())
            recent.RemoveAt(offered[*it]);
    }
    if (!recent.Save())
        zem::ShowMessage(zem::Format("无法写入设置文件 %s", recent.GetFile().c_str()), "提示",
                         zem::MessageIcon::Error);
}

// ---- Fixed no-class times ----

void CPagePanel::ShowFixedTimeMenu()
{
    std::vector<zem::gui::MenuItem> menu;
    CScheduleTask* task = Task();
    for (const FixedTimeItem& item : kFixedTimeItems) {
        std::string text = item.text;
        if (task) {
            const int n = static_cast<int>((task->*item.list)().GetCount());
            if (n > 0)
                text = zem::Format("%s (%d)", item.text, n);
        }
        menu.push_back({item.id, text, FeatureWindows().Has(item.feature)});
    }
    if (const int command = zem::gui::TrackPopupMenu(this, menu, MenuPoint(19)))
        OnMenuCommand(command);
}

// ---- Scheduling ----

void CPagePanel::RunAutomaticSchedule()
{
    const CFeatureWindows windows = FeatureWindows();
    CScheduleTask* task = Task();
    if (!task || !windows.autoScheduleStart || !windows.autoScheduleRun || !windows.autoScheduleStart())
        return;
    std::vector<std::string> classIds;
    for (const auto& [id, object] : task->GetClassInfoList())
        classIds.push_back(id);
    CAutoRange range;
    range.SetClass(classIds);
    const int finish = windows.autoScheduleRun(range);
    ShowScheduleReport(finish, FindFirstScheduledObject(0));
}

void CPagePanel::RunPartialReschedule()
{
    const CFeatureWindows windows = FeatureWindows();
    if (!Task() || !windows.partialReschedule || !windows.autoScheduleRun)
        return;
    CAutoRange range;
    if (!windows.partialReschedule(range))
        return;
    const int finish = windows.autoScheduleRun(range);
    ShowScheduleReport(finish, range.GetFirstClassId());
}

void CPagePanel::ShowScheduleReport(int mode, const std::string& classId)
{
    CScheduleTask* task = Task();
    const auto report = FeatureWindows().scheduleReport;
    if (mode == 0 || !task || !report)
        return;
    if (report(task->GetLastReportInfo().GetReportInfo(), mode)) {
        m_header.SelectPage(4);
        OpenWeekTimetable(0, classId);
    }
}

// ---- Timetables ----

void CPagePanel::OpenWeekTimetable(int kind, const std::string& objectId)
{
    CScheduleTask* task = Task();
    const auto open = FeatureWindows().weekTimetable;
    if (!task || !open)
        return;
    const CZemObjectList& list = kind == 0   ? task->GetClassInfoList()
                                 : kind == 1 ? task->GetTeacherInfoList()
                                             : task->GetRoomInfoList();
    if (list.GetCount() == 0) {
        static const char* const kEmpty[] = {
            "班级列表为空，没有可供查看的班级课表！\n\n您可以在第2页基本数据维护中维护班级信息",
            "教师列表为空，没有可供查看的教师课表！\n\n您可以在第2页基本数据维护中维护教师信息",
            "教室和场地列表为空，没有可供查看的教室课表！\n\n您可以在第2页基本数据维护中维护教室和场地信息",
        };
        ShowMessage(kEmpty[kind]);
        return;
    }
    std::string id = objectId;
    if (id.empty())
        id = LastViewedObject(*task, kind);
    open(kind, id);
}

void CPagePanel::RunPlanAdjustment()
{
    const CFeatureWindows windows = FeatureWindows();
    if (!windows.planAdjustHub || !Context()->RequireTask())
        return;
    const int tool = windows.planAdjustHub();
    if (tool >= 0 && tool <= 3 && windows.planAdjustTool)
        windows.planAdjustTool(tool);
}

// ---- Menu commands ----

void CPagePanel::OnMenuCommand(int id)
{
    if (id >= ID_RECENT_FIRST && id <= ID_RECENT_LAST) {
        const std::string path = Context()->GetRecentTasks().GetAt(id - ID_RECENT_FIRST);
        if (!path.empty() && Context()->OpenTask(path, true))
            SelectTaskPage(1);
        return;
    }
    if (id >= ID_TEMP_FIRST && id <= ID_TEMP_LAST) {
        const std::string name = Context()->GetRecentTempTasks().GetAt(id - ID_TEMP_FIRST);
        if (!name.empty())
            StartTempAdjust(name);
        return;
    }
    for (const FixedTimeItem& item : kFixedTimeItems) {
        if (item.id == id) {
            FeatureWindows().Run(item.feature);
            return;
        }
    }
    switch (id) {
    case ID_RECENT_CLEAN:
        CleanRecentTasks();
        break;
    case ID_BROWSE_TASK:
        if (Context()->OpenTaskByDialog())
            SelectTaskPage(1);
        break;
    case ID_TEMP_NEW:
        StartTempAdjust("");
        break;
    case ID_TEMP_CLEAN:
        CleanTempTasks();
        break;
    default:
        break;
    }
}

// ---- Layout and painting ----

void CPagePanel::Layout()
{
    if (!m_created)
        return;
    const int cx = width();
    const int cy = height();
    const int b = kBorder;
    m_header.setGeometry(0, 0, cx, CPageHeader::kPageHeight);
    const int stripTop = CPageHeader::kPageHeight;
    m_tabStrip.setGeometry(b, stripTop, cx - 2 * b, CSheetTabStrip::kHeight);
    const int boxTop = stripTop + CSheetTabStrip::kHeight + 1;
    const int boxBottom = cy - CToolDescPanel::kHeight - b;
    m_toolBox.setGeometry(b, boxTop, cx - 2 * b, std::max(0, boxBottom - boxTop));
    m_descPanel.setGeometry(b, boxBottom + 1, cx - 2 * b, std::max(0, cy - b - boxBottom - 1));
    m_descPanel.update();
    update();
}

void CPagePanel::resizeEvent(QResizeEvent*)
{
    Layout();
}

void CPagePanel::paintEvent(QPaintEvent*)
{
    const int cx = width();
    const int cy = height();
    const int b = kBorder;
    QImage image(size(), QImage::Format_RGB32);
    image.fill(QColor(250, 250, 250));
    {
        zem::gui::DC dc(&image);
        Stretch(dc, Rect(0, 28, b, cy), IDB_PANEL_LEFT);
        Stretch(dc, Rect(cx - b, 28, cx, cy), IDB_PANEL_RIGHT);
        Stretch(dc, Rect(b / 2, cy - b, cx - b / 2, cy), IDB_PANEL_BOTTOM);
        dc.FillSolidRect(Rect(b, 28, cx - b, cy - b), zem::RGB(255, 255, 255));
    }
    QPainter(this).drawImage(0, 0, image);
}
