#include "app/data/PlanListPage.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/data/BatchModifyPlanDlg.h"
#include "app/output/import/PlanImportDlg.h"
#include "app/output/workbook/PlanWorkbook.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ModalState.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"

#include <algorithm>
#include <charconv>
#include <set>

using zem::Rect;
using zem::gui::ReportList;

namespace {

// The name of the list's object that an imported name means. Imported names come normalised
// (blanks gone, parentheses full-width) while names typed on the pages keep theirs, so without
// this a plan of "初一(1)班" imported into the task would make a second class "初一（1）班".
std::string KnownName(const CZemObjectList& list, const std::string& name)
{
    const CZemObject* found = FindByImportedName(list, name);
    return found ? found->GetName() : name;
}

constexpr int kCardWidth = 210;
constexpr int kCardHeading = 30;
constexpr int kPlanHeading = 24;
constexpr zem::COLORREF kFrameColor = zem::RGB(156, 182, 197);

constexpr int kId = 0;

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int IndexNoCase(const std::vector<std::string>& names, const std::string& name)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (EqualNoCase(names[i], name))
            return static_cast<int>(i);
    return 0;
}

std::vector<std::string> NamesInOrder(const CZemObjectList& list)
{
    std::vector<std::string> names;
    for (CZemObject* object : ObjectsInOrder(list))
        names.push_back(object->GetName());
    return names;
}

int ToInt(const std::string& text)
{
    return std::atoi(std::string(zem::Trim(text)).c_str());
}

// A plan as an import compares it: class, subject, teacher and the kind that tells two plans of
// theirs apart, normalised.
std::string PlanRowKey(std::string className, std::string course, std::string teacher, const std::string& kind = {})
{
    for (std::string* name : {&className, &course, &teacher})
        NormalizeName(*name);
    return zem::ToLowerAscii(className + "#" + course + "#" + teacher + "#" + kind);
}

bool IsWholeNumber(const std::string& text)
{
    const std::string_view number = zem::Trim(text);
    return !number.empty() && number.size() < 6 &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void CloneInto(CZemObjectList& target, const CZemObjectList& source)
{
    target.RemoveAll();
    for (CZemObject* object : ObjectsInOrder(source))
        target.Add(object->Clone());
}


}  // namespace

bool ParseWeekCountText(const std::string& text, CWeekCount* count)
{
    const std::string number = zem::ReplaceAll(std::string(zem::Trim(text)), "。", ".");
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || stop != end || !(value >= 0) || value > 1e6)
        return false;
    // A count is whole or half a lesson more: 2.7 would be stored as 2 without a word.
    const double twice = value * 2;
    if (twice != static_cast<double>(static_cast<long long>(twice)))
        return false;
    if (count)
        *count = CWeekCount(number);
    return true;
}

std::string PlanBlocksRefusal(const CWeekCount& count, int nodes, int times, bool* blocks)
{
    if (blocks)
        *blocks = false;
    if (!(nodes == 0 || nodes == 1 || (nodes >= 2 && nodes <= count.GetWholeCount())))
        return "连课节数必须在1和周课时数之间";
    if (blocks)
        *blocks = true;
    // Blocks were once sent as typed: a negative number, or more blocks than the week holds,
    // reached the plan unchecked.
    if (times < 0)
        return "连课次数不能小于0";
    if (times > 0 && times * std::max(1, nodes) > count.GetWholeCount())
        return "连课次数与连课节数的乘积不能超过周课时数";
    return {};
}

CPlanListPage::CPlanListPage(QWidget* parent)
    : CBasicDataPage(parent), m_timers([this](int id) {
          if (id != kImportTimer)
              return;
          m_timers.KillTimer(kImportTimer);
          // The offer never opens over a window the user opened meanwhile.
          if (zem::gui::OtherModalOpen(this))
              return;
          Import();
      })
{
    m_title = "教学计划信息列表";
    m_importTitle = "教学计划信息";
    m_importKey = "plan";
    m_cellCountStopsImport = true;
}

CPlanListPage::~CPlanListPage() = default;

CZemObjectList* CPlanListPage::PlansOf(const std::string& classId) const
{
    const auto found = m_plans.find(classId);
    return found == m_plans.end() ? nullptr : found->second.get();
}

bool CPlanListPage::OnInitDialog()
{
    m_cards = new CCardListBox(this);
    m_cards->m_font = CGdiResources::GetInstance()->NormalFont;
    if (!CBasicDataPage::OnInitDialog())
        return false;
    AddControl(IDC_CARDS, m_cards);
    InsertButton(AddHoverButton(this, IDC_CLONE, "克隆(&L)"), GetDlgItem(IDC_EDIT), 6);
    InsertButton(AddHoverButton(this, IDC_BATCH_MODIFY, "批量修改(&B)"), GetDlgItem(IDC_DELETE), 6);
    InsertButton(AddHoverButton(this, IDC_EXPORT, "导出(&T)"), GetDlgItem(IDC_PRINT), 6);
    InsertButton(AddHoverButton(this, IDC_CLEAR, "清空(&R)"), nullptr, 15);
    RemoveButton(GetDlgItem(IDC_SORT));
    // Plans are entered one by one, imported or cloned; there is no batch add here.
    RemoveButton(GetDlgItem(IDC_BATCH_ADD));
    QObject::connect(m_cards, &QListWidget::currentRowChanged, this, [this](int) {
        if (!m_showing)
            ShowClassPlans();
    });

    CopyListsFromTask();
    if (Task())
        LoadPlans();
    if (m_cards->GetCount() == 0)
        m_timers.SetTimer(kImportTimer, 500);
    LayoutCards();
    UpdateStatus();
    UpdateButtons();
    return true;
}

void CPlanListPage::InitColumns()
{
    CBasicDataPage::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(kId, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(m_col.course, "课程", ReportList::Align::Left, 165);
    list->InsertColumn(m_col.teacher, "教师", ReportList::Align::Left, 90);
    list->InsertColumn(m_col.kind, "主/副课", ReportList::Align::Center, 55);
    list->InsertColumn(m_col.weekCount, "周课时数", ReportList::Align::Center, 60);
    list->InsertColumn(m_col.nodes, "连课", ReportList::Align::Center, 40);
    list->InsertColumn(m_col.times, "次数", ReportList::Align::Center, 40);
    list->InsertColumn(m_col.room, "指定教室", ReportList::Align::Left, 72);
}

CZemObjectList& CPlanListPage::TaskPlans(CScheduleTask& task) const
{
    return task.GetCourseInfoList();
}

std::string CPlanListPage::KindText(const CCourseInfo& plan) const
{
    return m_kindNames[plan.IsMainCourse() ? 0 : 1];
}

void CPlanListPage::SetKind(CCourseInfo& plan, const std::string& text) const
{
    plan.SetMainCourse(text == kMainCourse ? 1 : 0);
}

void CPlanListPage::resizeEvent(QResizeEvent* event)
{
    CBasicDataPage::resizeEvent(event);
    LayoutCards();
}

void CPlanListPage::LayoutCards()
{
    ReportList* list = GetList();
    if (!list || !m_cards)
        return;
    // The base has put the list in the whole frame; the cards take its left part.
    Rect frame = WidgetRect(list);
    if (m_cardFrame.Width() > 0 && frame.left > m_cardFrame.left)
        frame.left = m_cardFrame.left, frame.top = m_cardFrame.top;
    frame.DeflateRect(-1, -1, -1, -2);
    m_cardFrame = Rect(frame.left, frame.top, frame.left + kCardWidth, frame.bottom);
    Rect cards(m_cardFrame.left, m_cardFrame.top + kCardHeading, m_cardFrame.right, m_cardFrame.bottom);
    cards.DeflateRect(1, 1, 1, 1);
    SetWidgetRect(m_cards, cards);
    m_planHeading = Rect(m_cardFrame.right + 10, frame.top, frame.right, frame.top + kPlanHeading);
    Rect plans(m_planHeading.left, frame.top + kPlanHeading, frame.right, frame.bottom);
    plans.DeflateRect(1, 1, 1, 1);
    SetWidgetRect(list, plans);
    update();
}

void CPlanListPage::DrawExtra(zem::gui::DC& dc, const Rect&)
{
    if (m_cardFrame.Width() <= 0)
        return;
    dc.FrameRect(m_cardFrame, kFrameColor);
    Rect band(m_cardFrame.left + 1, m_cardFrame.top + 1, m_cardFrame.right - 1, m_cardFrame.top + kCardHeading);
    dc.FillSolidRect(band, zem::RGB(172, 80, 215));
    static const zem::gui::Font headingFont = zem::gui::Font::FromPoints(
        110, CGdiResources::GetInstance()->DefaultFont.GetQFont().family().toStdString());
    dc.SelectFont(headingFont);
    dc.SetBkMode(zem::gui::TRANSPARENT);
    dc.SetTextColor(zem::RGB(255, 255, 255));
    dc.DrawText("班级列表", band, zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    dc.FillSolidRect(m_planHeading, zem::RGB(196, 202, 227));
    dc.FrameRect(m_planHeading, kFrameColor);
    if (m_shownPlans) {
        dc.SelectFont(DialogFont());
        dc.SetTextColor(zem::RGB(0, 0, 0));
        Rect text(m_planHeading.left + 5, m_planHeading.top, m_planHeading.right, m_planHeading.bottom);
        dc.DrawText(zem::Format("%s 的%s", m_className.c_str(), m_what.c_str()), text,
                    zem::gui::DT_LEFT | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    }
}

// ---- loading and showing

void CPlanListPage::CopyListsFromTask()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CloneInto(m_classes, task->GetClassInfoList());
    CloneInto(m_courses, task->GetSubjectInfoList());
    CloneInto(m_teachers, task->GetTeacherInfoList());
    CloneInto(m_rooms, task->GetRoomInfoList());
}

int CPlanListPage::AddCard(CZemObject* cls)
{
    m_plans[cls->GetId()] = std::make_unique<CZemObjectList>();
    auto info = std::make_unique<CCardInfo>();
    info->object = cls;
    const int index = m_cards->AddString(cls->GetName());
    m_cards->SetItemDataPtr(index, info.get());
    m_cardInfos.push_back(std::move(info));
    return index;
}

void CPlanListPage::LoadPlans()
{
    CScheduleTask* task = Task();
    m_showing = true;
    for (CZemObject* cls : ObjectsInOrder(m_classes))
        AddCard(cls);
    for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(TaskPlans(*task)))
        if (CZemObjectList* plans = PlansOf(plan->GetClassId()))
            plans->Add(plan->Clone());
    int first = -1;
    for (int i = 0; i < m_cards->GetCount(); ++i) {
        const CZemObjectList& plans = *PlansOf(m_cards->GetItemObject(i)->GetId());
        UpdateClassCard(i, plans);
        if (first < 0 && !plans.IsEmpty())
            first = i;
    }
    m_showing = false;
    if (m_cards->GetCount() > 0)
        SelectCard(first < 0 ? 0 : first);
}

int CPlanListPage::UsablePeriods() const
{
    CScheduleTask* task = Task();
    return task ? task->GetSchoolStructure().GetWeekNodeCount() : 0;
}

void CPlanListPage::UpdateClassCard(int card, const CZemObjectList& plans)
{
    std::vector<KindCount> counts;
    for (const auto& [id, object] : plans) {
        const auto* plan = static_cast<const CCourseInfo*>(object);
        counts.push_back({KindText(*plan), plan->GetWeekCount()});
    }
    SetCardTotals(card, counts);
}

void CPlanListPage::SetCardTotals(int card, const std::vector<KindCount>& counts)
{
    CWeekCount sum;
    for (const KindCount& each : counts)
        sum += each.count;
    m_cards->SetItemInfo(card, static_cast<int>(counts.size()), sum.ToString(),
                         sum > CWeekCount(UsablePeriods(), false));
}

void CPlanListPage::SelectCard(int index)
{
    if (index < 0 || index >= m_cards->GetCount())
        return;
    m_showing = true;
    m_cards->SetCurSel(index);
    m_showing = false;
    ShowClassPlans();
}

void CPlanListPage::ShowClassPlans()
{
    CommitRows();
    ReportList* list = GetList();
    list->DeleteAllItems();
    m_shownPlans = nullptr;
    m_classId.clear();
    m_className.clear();
    CZemObject* cls = m_cards->GetItemObject(m_cards->GetCurSel());
    if (cls) {
        m_classId = cls->GetId();
        m_className = cls->GetName();
        m_shownPlans = PlansOf(m_classId);
    }
    if (m_shownPlans) {
        for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(*m_shownPlans)) {
            const int row = list->InsertItem(list->GetItemCount(), plan->GetId());
            list->SetItemText(row, m_col.course, m_courses.GetObjectName(plan->GetSubjectId()));
            list->SetItemText(row, m_col.teacher, m_teachers.GetObjectName(plan->GetTeacherId()));
            list->SetItemText(row, m_col.kind, KindText(*plan));
            list->SetItemText(row, m_col.weekCount, plan->GetWeekCount().ToString());
            list->SetItemText(row, m_col.nodes, FormatContinuityCount(plan->GetContinuousNodes()));
            list->SetItemText(row, m_col.times, FormatContinuity(plan->GetContinuousTimes()));
            if (plan->GetRoomStrategy() == ROOM_STRATEGY_FIXED)
                list->SetItemText(row, m_col.room, m_rooms.GetObjectName(plan->GetRoomParam()));
        }
    }
    UpdateStatus();
    UpdateButtons();
}

CCourseInfo* CPlanListPage::PlanFromRow(int row, const CCourseInfo* base) const
{
    ReportList* list = GetList();
    CCourseInfo* plan = base ? base->Clone() : new CCourseInfo;
    plan->SetId(list->GetItemText(row, kId));
    plan->SetClass(m_classId);
    plan->SetSubject(m_courses.GetObjectId(list->GetItemText(row, m_col.course)));
    plan->SetTeacher(m_teachers.GetObjectId(list->GetItemText(row, m_col.teacher)));
    SetKind(*plan, list->GetItemText(row, m_col.kind));
    plan->SetWeekCount(CWeekCount(list->GetItemText(row, m_col.weekCount)));
    plan->SetContinuousNodes(ParseContinuityCount(list->GetItemText(row, m_col.nodes)));
    plan->SetContinuousTimes(ParseContinuity(list->GetItemText(row, m_col.times)));
    std::string room = list->GetItemText(row, m_col.room);
    while (!room.empty() && (room.back() == ' ' || room.back() == '\t'))
        room.pop_back();
    const std::string roomId = m_rooms.GetObjectId(room);
    if (!roomId.empty()) {
        plan->SetRoomStrategy(ROOM_STRATEGY_FIXED);
        plan->SetRoomParam(roomId);
    } else if (!base || plan->GetRoomStrategy() == ROOM_STRATEGY_FIXED) {
        plan->SetRoomStrategy(ROOM_STRATEGY_NONE);
        plan->SetRoomParam("");
    }
    plan->SetIndex(row);
    return plan;
}

void CPlanListPage::CommitRows()
{
    if (!m_shownPlans)
        return;
    CScheduleTask* task = Task();
    std::vector<CCourseInfo*> rebuilt;
    for (int row = 0; row < GetList()->GetItemCount(); ++row) {
        const auto* found = static_cast<const CCourseInfo*>(m_shownPlans->Find(GetList()->GetItemText(row, kId)));
        CCourseInfo* plan = PlanFromRow(row, found);
        // A teacher change on one plan of a combined class goes to every member plan.
        if (found && task && plan->GetTeacherId() != found->GetTeacherId())
            if (const CCombineClass* combined = task->GetCC(found->GetId()))
                for (const std::string& memberId : combined->GetCombineCourse()) {
                    if (memberId == found->GetId())
                        continue;
                    const CCourseInfo* member = task->FindCourse(memberId);
                    CZemObjectList* plans = member ? PlansOf(member->GetClassId()) : nullptr;
                    if (auto* working = plans ? static_cast<CCourseInfo*>(plans->Find(memberId)) : nullptr)
                        working->SetTeacher(plan->GetTeacherId());
                }
        rebuilt.push_back(plan);
    }
    m_shownPlans->RemoveAll();
    for (CCourseInfo* plan : rebuilt)
        m_shownPlans->Add(plan);
}

// ---- status

std::string CPlanListPage::StatusText()
{
    CWeekCount sum;
    for (int row = 0; GetList() && row < GetList()->GetItemCount(); ++row)
        sum += CWeekCount(GetList()->GetItemText(row, m_col.weekCount));
    m_statusWarning = sum > CWeekCount(UsablePeriods(), false);
    return zem::Format("可用周课时数 %d 节，%s当前已用周课时数 %s 节", UsablePeriods(), m_className.c_str(),
                       sum.ToString().c_str());
}

void CPlanListPage::UpdateStatus()
{
    CBasicDataPage::UpdateStatus();
    if (!m_cards || !GetList())
        return;
    update();
    const int card = m_cards->GetCurSel();
    if (card < 0 || !m_shownPlans)
        return;
    std::vector<KindCount> counts;
    for (int row = 0; row < GetList()->GetItemCount(); ++row)
        counts.push_back({GetList()->GetItemText(row, m_col.kind), CWeekCount(GetList()->GetItemText(row, m_col.weekCount))});
    SetCardTotals(card, counts);
}

void CPlanListPage::UpdateButtons()
{
    CBasicDataPage::UpdateButtons();
    if (GetDlgItem(IDC_CLONE))
        EnableItem(IDC_CLONE, GetList() && GetList()->GetItemCount() > 0);
}

// ---- rows

zem::LRESULT CPlanListPage::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_PAGE_ROW)
        return OnPlanRow(zem::FromWParam<CPageNotify>(wParam), zem::FromLParam<const CPageRow>(lParam));
    if (message == WM_PLAN_BATCH_MODIFY)
        return OnBatchModify(zem::FromLParam<tagPLAN_BATCH_MODIFY>(lParam));
    if (message == WM_SET_HEAD_TEACHERS && !m_selfStudy) {
        if (auto* names = zem::FromLParam<const std::map<std::string, std::string>>(lParam))
            for (const auto& [className, teacher] : *names)
                if (auto* cls = static_cast<CClassInfo*>(m_classes.FindByName(KnownName(m_classes, className))))
                    cls->SetHeadTeacherName(teacher);
        return 0;
    }
    return CBasicDataPage::WindowProc(message, wParam, lParam);
}

std::string CPlanListPage::CheckImportedRow(const CPageRow& cells) const
{
    const std::string& course = cells[static_cast<std::size_t>(m_col.course)];
    const std::string& teacher = cells[static_cast<std::size_t>(m_col.teacher)];
    if (cells[0].empty())
        return "没有填写班级";
    if (course.empty())
        return "没有填写课程";
    if (teacher.empty())
        return "没有填写教师";
    // A count that is no number, or none, would be stored as some other count.
    CWeekCount count;
    const std::string& weekCount = cells[static_cast<std::size_t>(m_col.weekCount)];
    // Morning reading and self-study keep a count of 0, as typed; a teaching plan of none is no plan.
    if (!ParseWeekCountText(weekCount, &count) || (!m_selfStudy && count.GetWholeCount() == 0 && !count.HasHalfNode()))
        return zem::Format("周课时数无效: %s", weekCount.c_str());
    for (const auto& [column, name] : {std::pair{m_col.nodes, "连课"}, std::pair{m_col.times, "次数"}}) {
        const std::string& cell = cells[static_cast<std::size_t>(column)];
        if (!zem::Trim(cell).empty() && !IsWholeNumber(cell))
            return zem::Format("%s无效: %s", name, cell.c_str());
    }
    // What the plan dialog would refuse: blocks the count cannot hold, and more lessons than the week has.
    auto number = [&](int column, int none) {
        const std::string cell(zem::Trim(cells[static_cast<std::size_t>(column)]));
        return cell.empty() ? none : std::atoi(cell.c_str());
    };
    if (const std::string refusal = PlanBlocksRefusal(count, number(m_col.nodes, 1), number(m_col.times, 0));
        !refusal.empty())
        return refusal;
    if (!m_selfStudy && count > CWeekCount(UsablePeriods(), false))
        return zem::Format("周课时数 %s 超过了一周可用的 %d 节", count.ToString().c_str(), UsablePeriods());
    // The shown class is the row's: a plan of the same subject and teacher is there already.
    const std::string key = PlanRowKey(cells[0], course, teacher, RepeatKind(cells[static_cast<std::size_t>(m_col.kind)]));
    for (int row = 0; row < GetList()->GetItemCount(); ++row)
        if (PlanRowKey(m_className, GetList()->GetItemText(row, m_col.course), GetList()->GetItemText(row, m_col.teacher),
                       RepeatKind(GetList()->GetItemText(row, m_col.kind))) == key)
            return zem::Format("重复的%s：%s %s %s", m_what.c_str(), cells[0].c_str(), course.c_str(), teacher.c_str());
    return {};
}

zem::LRESULT CPlanListPage::OnPlanRow(CPageNotify* notify, const CPageRow* cells)
{
    if (!notify || !cells)
        return -1;
    if (cells->size() < 8)
        return CBasicDataPage::OnPageRow(notify, cells);
    CPageRow known = *cells;
    known[0] = KnownName(m_classes, known[0]);
    const std::pair<int, CZemObjectList*> lists[] = {{0, &m_classes}, {m_col.course, &m_courses},
                                                     {m_col.teacher, &m_teachers}, {m_col.room, &m_rooms}};
    for (const auto& [column, list] : lists) {
        std::string& cell = known[static_cast<std::size_t>(column)];
        cell = KnownName(*list, cell);
    }
    // The names this row makes new objects of, which are stored normalised.
    std::vector<int> created;
    for (const auto& [column, list] : lists)
        if (!known[static_cast<std::size_t>(column)].empty() && !list->FindByName(known[static_cast<std::size_t>(column)]))
            created.push_back(column);
    cells = &known;
    if (!notify->replace) {
        const std::string& className = (*cells)[0];
        auto showClass = [&] {
            for (int i = 0; i < m_cards->GetCount(); ++i)
                if (m_cards->GetText(i) == className) {
                    if (i != m_cards->GetCurSel())
                        SelectCard(i);
                    break;
                }
        };
        showClass();
        if (notify->byName) {
            if (const std::string refusal = CheckImportedRow(*cells); !refusal.empty()) {
                Refuse(notify, refusal, true);
                return -1;
            }
        }
        if (!EnsureRowObjects(*cells)) {
            Refuse(notify, "班级、课程和教师都不能为空", false);
            return -1;
        }
        showClass();
    }
    const zem::LRESULT result = CBasicDataPage::OnPageRow(notify, cells);
    notify->rewritten.clear();
    // The import's report names what the row made besides its plan.
    if (result == 0)
        for (int column : created) {
            const char* kind = column == 0 ? "班级" : column == m_col.course ? "课程" : column == m_col.teacher ? "教师" : "教室";
            notify->made.emplace_back(kind, (*cells)[static_cast<std::size_t>(column)]);
        }
    if (result == 0 && notify->typed && notify->typed->size() == cells->size())
        for (int column : created) {
            const std::string typed(zem::Trim((*notify->typed)[static_cast<std::size_t>(column)]));
            const std::string& stored = (*cells)[static_cast<std::size_t>(column)];
            if (!typed.empty() && typed != stored)
                notify->rewritten += (notify->rewritten.empty() ? "" : "，") + typed + " → " + stored;
        }
    return result;
}

std::string CPlanListPage::CheckAddedRows(const std::vector<CPageRow>& rows, bool, int replacedRow) const
{
    std::set<std::string> keys;
    std::size_t plans = 0;
    for (const auto& [classId, list] : m_plans) {
        if (classId == m_classId && m_shownPlans) {
            for (int row = 0; row < GetList()->GetItemCount(); ++row)
                if (row != replacedRow)
                    keys.insert(PlanRowKey(m_className, GetList()->GetItemText(row, m_col.course),
                                           GetList()->GetItemText(row, m_col.teacher),
                                           RepeatKind(GetList()->GetItemText(row, m_col.kind))));
            plans += static_cast<std::size_t>(GetList()->GetItemCount() - (replacedRow >= 0 ? 1 : 0));
            continue;
        }
        for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(*list))
            keys.insert(PlanRowKey(m_classes.GetObjectName(classId), m_courses.GetObjectName(plan->GetSubjectId()),
                                   m_teachers.GetObjectName(plan->GetTeacherId()), RepeatKind(KindText(*plan))));
        plans += static_cast<std::size_t>(list->GetCount());
    }
    // New objects by their normalised names; each new room brings its places.
    std::map<const CZemObjectList*, std::set<std::string>> added;
    const std::pair<int, const CZemObjectList*> lists[] = {
        {0, &m_classes}, {m_col.course, &m_courses}, {m_col.teacher, &m_teachers}, {m_col.room, &m_rooms}};
    for (const CPageRow& row : rows) {
        if (row.size() < 8)
            continue;
        const std::string& course = row[static_cast<std::size_t>(m_col.course)];
        const std::string& teacher = row[static_cast<std::size_t>(m_col.teacher)];
        if (row[0].empty() || course.empty() || teacher.empty() || !keys.insert(PlanRowKey(row[0], course, teacher, RepeatKind(row[static_cast<std::size_t>(m_col.kind)]))).second)
            continue;
        ++plans;
        for (const auto& [column, list] : lists) {
            const std::string& name = row[static_cast<std::size_t>(column)];
            if (!name.empty() && !list->FindByName(KnownName(*list, name)))
                added[list].insert(PlanRowKey(name, "", ""));
        }
    }
    const std::size_t newRooms = added[&m_rooms].size();
    std::size_t places = newRooms * static_cast<std::size_t>(m_newRoomCapacity);
    for (const CRoomInfo* room : ObjectsInOrder<CRoomInfo>(m_rooms))
        places += room->GetCapacity();
    const std::pair<TaskObjectKind, std::size_t> totals[] = {
        {TaskObjectKind::Class, static_cast<std::size_t>(m_classes.GetCount()) + added[&m_classes].size()},
        {TaskObjectKind::Subject, static_cast<std::size_t>(m_courses.GetCount()) + added[&m_courses].size()},
        {TaskObjectKind::Teacher, static_cast<std::size_t>(m_teachers.GetCount()) + added[&m_teachers].size()},
        {TaskObjectKind::Room, static_cast<std::size_t>(m_rooms.GetCount()) + newRooms},
        {TaskObjectKind::RoomPlace, places},
        {m_selfStudy ? TaskObjectKind::SelfStudy : TaskObjectKind::Plan, plans}};
    for (const auto& [kind, total] : totals)
        if (std::string refusal = CheckTaskLimitTotal(kind, total); !refusal.empty())
            return refusal;
    return {};
}

bool CPlanListPage::WriteRow(int row, bool, const CPageRow& cells, CPageNotify&)
{
    ReportList* list = GetList();
    list->SetItemText(row, m_col.course, cells[1]);
    list->SetItemText(row, m_col.teacher, cells[2]);
    list->SetItemText(row, m_col.kind, cells[3].find("副") != std::string::npos ? kMinorCourse : kMainCourse);
    // An imported count was checked as it came; a dialog's count is a number already.
    CWeekCount count(cells[4]);
    if (count.GetWholeCount() == 0 && !count.HasHalfNode())
        count.SetWholeCount(1);
    list->SetItemText(row, m_col.weekCount, count.ToString());
    list->SetItemText(row, m_col.nodes, FormatContinuityCount(ToInt(cells[5])));
    list->SetItemText(row, m_col.times, FormatContinuity(ToInt(cells[6])));
    list->SetItemText(row, m_col.room, cells[7]);
    return true;
}

bool CPlanListPage::EnsureRowObjects(const CPageRow& cells)
{
    const std::string& course = cells[static_cast<std::size_t>(m_col.course)];
    const std::string& teacher = cells[static_cast<std::size_t>(m_col.teacher)];
    const std::string& roomName = cells[static_cast<std::size_t>(m_col.room)];
    if (cells[0].empty() || course.empty() || teacher.empty())
        return false;
    CTaskHelper helper(Task());
    const int priority = helper.GetPriorityIndex();
    auto make = [&](CZemObjectList& list, CZemObject* object, const std::string& name) {
        object->SetId(NewGuidString());
        object->SetName(name);
        if (auto* table = dynamic_cast<CZemTableObject*>(object))
            table->SetShortName(name);
        else if (auto* subject = dynamic_cast<CSubjectInfo*>(object))
            subject->SetShortName(name);
        object->SetPriority(priority);
        object->SetIndex(list.GetCount());
        list.Add(object);
        return object;
    };
    if (!m_classes.FindByName(cells[0])) {
        auto* cls = new CClassInfo;
        cls->SetStudentCount(static_cast<unsigned>(m_newClassStudents));
        make(m_classes, cls, cells[0]);
        AddCard(cls);
    }
    if (!m_courses.FindByName(course))
        make(m_courses, new CSubjectInfo, course);
    if (!m_teachers.FindByName(teacher))
        make(m_teachers, new CTeacherInfo, teacher);
    if (!roomName.empty() && !m_rooms.FindByName(roomName)) {
        auto* room = new CRoomInfo;
        room->SetCapacity(m_newRoomCapacity);
        make(m_rooms, room, roomName);
    }
    return true;
}

// ---- the dialogs

void CPlanListPage::OpenPlanDialog(bool modify)
{
    const int row = GetList()->GetFirstSelected();
    if (modify && row < 0)
        return;
    CAddPlanDlg dialog(this, this);
    dialog.m_page = this;
    dialog.m_selfStudy = m_selfStudy;
    dialog.m_classNames = NamesInOrder(m_classes);
    dialog.m_courseNames = NamesInOrder(m_courses);
    dialog.m_teacherNames = NamesInOrder(m_teachers);
    dialog.m_roomNames = NamesInOrder(m_rooms);
    dialog.m_kindNames = m_kindNames;
    dialog.m_classes = &m_classes;
    dialog.m_courses = &m_courses;
    dialog.m_teachers = &m_teachers;
    dialog.m_classIndex = IndexNoCase(dialog.m_classNames, m_className);
    if (modify) {
        ReportList* list = GetList();
        dialog.m_modify = true;
        dialog.m_planId = list->GetItemText(row, kId);
        dialog.m_courseIndex = IndexNoCase(dialog.m_courseNames, list->GetItemText(row, m_col.course));
        dialog.m_teacherIndex = IndexNoCase(dialog.m_teacherNames, list->GetItemText(row, m_col.teacher));
        dialog.m_kindIndex = IndexNoCase(m_kindNames, list->GetItemText(row, m_col.kind));
        dialog.m_weekCount = list->GetItemText(row, m_col.weekCount);
        dialog.m_continuousNodes = ParseContinuityCount(list->GetItemText(row, m_col.nodes));
        dialog.m_continuousTimes = ParseContinuity(list->GetItemText(row, m_col.times));
        const std::string room = list->GetItemText(row, m_col.room);
        dialog.m_roomIndex = room.empty() ? 0 : 1 + IndexNoCase(dialog.m_roomNames, room);
    }
    dialog.DoModal();
}

void CPlanListPage::Add()
{
    OpenPlanDialog(false);
}

void CPlanListPage::Edit()
{
    OpenPlanDialog(true);
}

void CPlanListPage::Import()
{
    CPlanImportDlg dialog(this);
    dialog.SetTitle("导入" + Title(), this, m_selfStudy);
    dialog.DoModal();
}

void CPlanListPage::Export()
{
    ExportPageWorkbook(this, kPlanExport, !m_selfStudy, m_what, [this](CScheduleTask& task) {
        if (AppServices().GetImportFormat() != zem::import::kCrossTableFormat)
            return std::string();
        const std::vector<std::string> names = CrossTableSplitNames(task, !m_selfStudy);
        return names.empty() ? std::string() : CrossTableRefusalText(names);
    });
}

void CPlanListPage::OnCommand(int id)
{
    // Once the user acts, the page no longer offers the import by itself.
    m_timers.KillTimer(kImportTimer);
    switch (id) {
    case IDC_CLONE:
        OnClone();
        break;
    case IDC_EXPORT:
        Export();
        break;
    case IDC_BATCH_MODIFY: {
        CBatchModifyPlanDlg dialog(this);
        dialog.m_caption = "批量修改" + m_what;
        dialog.m_selfStudy = m_selfStudy;
        dialog.m_receiver = this;
        dialog.m_classes = &m_classes;
        dialog.m_courses = &m_courses;
        dialog.DoModal();
        break;
    }
    case IDC_CLEAR: {
        const std::vector<zem::gui::MenuItem> items{
            {ID_CLEAR_CLASS, zem::Format("清空 %s 的%s", m_className.c_str(), m_what.c_str())},
            {ID_CLEAR_ALL, "清空所有班级的" + m_what}};
        QWidget* button = GetDlgItem(IDC_CLEAR);
        const QPoint at = button->mapToGlobal(QPoint(0, button->height()));
        const int chosen = zem::gui::TrackPopupMenu(this, items, {at.x(), at.y()});
        if (chosen == ID_CLEAR_CLASS)
            ClearShownClass();
        else if (chosen == ID_CLEAR_ALL)
            ClearAllClasses();
        break;
    }
    default:
        CBasicDataPage::OnCommand(id);
        return;
    }
    UpdateStatus();
    UpdateButtons();
}

std::string CPlanListPage::BatchModifyRefusal(const tagPLAN_BATCH_MODIFY& request) const
{
    const ReportList* list = GetList();
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const std::string course = list->GetItemText(row, m_col.course);
        if (course != request.courseName)
            continue;
        const std::string teacher = list->GetItemText(row, m_col.teacher);
        const std::string kind = list->GetItemText(row, m_col.kind);
        CWeekCount count(list->GetItemText(row, m_col.weekCount));
        int nodes = ParseContinuityCount(list->GetItemText(row, m_col.nodes));
        int times = ParseContinuity(list->GetItemText(row, m_col.times));
        switch (request.property) {
        case 0:
            // A plan of the new course, teacher and kind is there already.
            for (int other = 0; other < list->GetItemCount(); ++other)
                if (other != row && PlanRowKey(m_className, request.value, teacher, RepeatKind(kind)) ==
                                        PlanRowKey(m_className, list->GetItemText(other, m_col.course),
                                                   list->GetItemText(other, m_col.teacher),
                                                   RepeatKind(list->GetItemText(other, m_col.kind))))
                    return zem::Format("重复的%s：%s %s %s", m_what.c_str(), m_className.c_str(),
                                       request.value.c_str(), teacher.c_str());
            continue;
        case 2: count = CWeekCount(request.value); break;
        case 3: nodes = ToInt(request.value); break;
        case 4: times = ToInt(request.value); break;
        default: continue;
        }
        if (const std::string refusal = PlanBlocksRefusal(count, nodes, times); !refusal.empty())
            return zem::Format("%s %s %s：%s", m_className.c_str(), course.c_str(), teacher.c_str(), refusal.c_str());
    }
    return {};
}

zem::LRESULT CPlanListPage::OnBatchModify(tagPLAN_BATCH_MODIFY* request)
{
    if (!request)
        return 0;
    // Every row is asked first, by the rules the plan dialog keeps: one the change would give a
    // plan no plan may have refuses it whole, so that no class is changed and another not.
    for (int card = 0; card < m_cards->GetCount() && request->refusal.empty(); ++card) {
        CZemObject* cls = m_cards->GetItemObject(card);
        if (!cls || !StringArrayContainsNoCase(request->classIds, cls->GetId()))
            continue;
        SelectCard(card);
        request->refusal = BatchModifyRefusal(*request);
    }
    if (!request->refusal.empty()) {
        request->handled = true;
        return 0;
    }
    for (int card = 0; card < m_cards->GetCount(); ++card) {
        CZemObject* cls = m_cards->GetItemObject(card);
        if (!cls || !StringArrayContainsNoCase(request->classIds, cls->GetId()))
            continue;
        SelectCard(card);
        bool changed = false;
        ReportList* list = GetList();
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, m_col.course) != request->courseName)
                continue;
            switch (request->property) {
            case 0: list->SetItemText(row, m_col.course, request->value); break;
            case 1: list->SetItemText(row, m_col.kind, request->value); break;
            case 2: list->SetItemText(row, m_col.weekCount, request->value); break;
            case 3: list->SetItemText(row, m_col.nodes, FormatContinuityCount(ToInt(request->value))); break;
            case 4: list->SetItemText(row, m_col.times, FormatContinuity(ToInt(request->value))); break;
            default: continue;
            }
            changed = true;
        }
        if (changed) {
            ++request->changedClasses;
            UpdateStatus();
        }
    }
    if (request->changedClasses > 0)
        SetModified(true);
    request->handled = true;
    return 0;
}

void CPlanListPage::OnClone()
{
    ReportList* list = GetList();
    std::vector<int> rows = list->GetSelectedRows();
    const int n = static_cast<int>(rows.size());
    std::string prompt;
    if (n == 0 || n == list->GetItemCount()) {
        rows.clear();
        for (int row = 0; row < list->GetItemCount(); ++row)
            rows.push_back(row);
        prompt = "将当前" + m_what + "列表克隆到";
    } else if (n == 1) {
        prompt = zem::Format("将 %s 克隆到", list->GetItemText(rows[0], m_col.course).c_str());
    } else {
        prompt = zem::Format("将 %s等%d门课程 克隆到", list->GetItemText(rows[0], m_col.course).c_str(), n);
    }
    CMultiSelectDlg chooser(this);
    chooser.m_caption = prompt;
    chooser.SetItems(&m_classes);
    chooser.m_excluded = {m_classId};
    if (chooser.DoModal() != zem::IDOK)
        return;
    for (const std::string& classId : chooser.GetChosenIds()) {
        CZemObjectList* plans = PlansOf(classId);
        if (!plans)
            continue;
        const int before = plans->GetCount();
        for (std::size_t j = 0; j < rows.size(); ++j) {
            CCourseInfo* plan = PlanFromRow(rows[j], nullptr);
            plan->SetId(NewGuidString());
            plan->SetClass(classId);
            plan->SetIndex(static_cast<int>(j) + before);
            plans->Add(plan);
        }
        for (int card = 0; card < m_cards->GetCount(); ++card)
            if (m_cards->GetItemObject(card)->GetId() == classId)
                UpdateClassCard(card, *plans);
        SetModified(true);
    }
    ShowMessage("克隆完成");
}

void CPlanListPage::ClearShownClass()
{
    const zem::MessageRequest ask{zem::Format("确定要清空 %s 的%s吗", m_className.c_str(), m_what.c_str()), "提示",
                                  zem::MessageIcon::Question, zem::MessageButtons::OkCancel, zem::IDCANCEL};
    if (zem::ShowMessage(ask) != zem::IDOK)
        return;
    GetList()->SelectAllRows();
    DeleteSelected();
}

void CPlanListPage::ClearAllClasses()
{
    const zem::MessageRequest ask{
        zem::Format("确定要清空所有班级的%s吗？\n删除%s会同步删除相关的课表内容，请谨慎操作！", m_what.c_str(),
                    m_what.c_str()),
        "提示", zem::MessageIcon::Warning, zem::MessageButtons::OkCancel, zem::IDCANCEL};
    if (zem::ShowMessage(ask) != zem::IDOK)
        return;
    int total = 0;
    for (int card = 0; card < m_cards->GetCount(); ++card) {
        SelectCard(card);
        total += GetList()->GetItemCount();
        GetList()->SelectAllRows();
        DeleteSelected();
    }
    CommitRows();
    if (total > 30 && Task())
        Task()->AutoBackup(true, "清空" + m_what + "前", true);
}
