#include "app/proctor/ExamPlanDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/proctor/ProctorBitmaps.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/ScheduleTask.h"
#include "platform/gui/DC.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/QtText.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QTimeEdit>

using zem::Rect;
using DateTime = CProctorData::DateTime;

namespace {

constexpr int kMaxCount = 5;

DateTime DateOf(const QDate& date)
{
    DateTime value;
    value.year = date.year();
    value.month = date.month();
    value.day = date.day();
    return value;
}

DateTime TimeOf(const QTime& time)
{
    DateTime value;
    value.hour = time.hour();
    value.minute = time.minute();
    return value;
}

QDate ToQDate(const DateTime& value)
{
    const QDate date(value.year, value.month, value.day);
    return date.isValid() ? date : QDate::currentDate();
}

QTime ToQTime(const DateTime& value)
{
    const QTime time(value.hour, value.minute, value.second);
    return time.isValid() ? time : QTime(0, 0);
}

int SecondsOf(const DateTime& time)
{
    return time.hour * 3600 + time.minute * 60 + time.second;
}

QLabel* AddLabel(zem::gui::Dialog* dialog, const char* text, const Rect& rect)
{
    auto* label = new QLabel(QString::fromUtf8(text), dialog);
    SetWidgetRect(label, rect);
    return label;
}

}  // namespace

CExamPlanDlg::CExamPlanDlg(QWidget* parent) : Dialog(parent, "添加考试计划", {250, 216}) {}

void CExamPlanDlg::SetPlan(const CProctorData::Plan& plan)
{
    m_plan = plan;
    m_rooms = plan.rooms;
}

void CExamPlanDlg::GetPlan(CProctorData::Plan& plan) const
{
    plan.id = m_plan.id;
    plan.date = m_plan.date;
    plan.startTime = m_plan.startTime;
    plan.endTime = m_plan.endTime;
    plan.subject = m_plan.subject;
    plan.rooms = m_rooms;
    plan.teacherCount = m_plan.teacherCount;
}

bool CExamPlanDlg::OnInitDialog()
{
    if (!m_modify)
        StartNewPlan();
    SetCaption(!m_modify     ? "添加考试计划"
               : m_arranged ? "修改考试计划（相关监考安排表已生成，部分关键信息禁止修改）"
                            : "修改考试计划");
    AddWhenFields();
    AddSubjectField();
    AddCountField();
    AddRoomList();

    const int buttonsTop = height() - kDialogBandHeight;
    AddHoverButton(this, zem::IDOK, m_modify ? "保存" : "添加")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, buttonsTop + (kDialogBandHeight - Units().Y(14)) / 2, {}, {zem::IDOK, zem::IDCANCEL});

    if (m_modify && m_arranged) {
        for (const int id : {IDC_DATE, IDC_START, IDC_END, IDC_ROOM_MENU})
            EnableItem(id, false);
    }
    FillRooms();
    return true;
}

void CExamPlanDlg::StartNewPlan()
{
    m_plan = CProctorData::Plan();
    m_plan.id = NewGuidString();
    const zem::LocalTime tomorrow = zem::FromEpochSeconds(zem::ToEpochSeconds(zem::Now()) + 24 * 3600);
    m_plan.date = DateOf(QDate(tomorrow.year, tomorrow.month, tomorrow.day));
    m_plan.startTime = TimeOf(QTime(9, 0));
    m_plan.endTime = TimeOf(QTime(11, 0));
    m_plan.teacherCount = 2;
    m_rooms.clear();
}

void CExamPlanDlg::AddWhenFields()
{
    AddLabel(this, "考试日期", UnitsRect(7, 10, 40, 10));
    auto* date = new QDateEdit(ToQDate(m_plan.date), this);
    date->setCalendarPopup(true);
    date->setDisplayFormat("yyyy年MM月dd日");
    AddField(this, IDC_DATE, date, UnitsRect(50, 8, 90, 13));

    AddLabel(this, "开始时间", UnitsRect(7, 29, 40, 10));
    AddLabel(this, "结束时间", UnitsRect(120, 29, 40, 10));
    for (const int id : {IDC_START, IDC_END}) {
        auto* time = new QTimeEdit(ToQTime(id == IDC_START ? m_plan.startTime : m_plan.endTime), this);
        time->setDisplayFormat("HH:mm");
        AddField(this, id, time, UnitsRect(id == IDC_START ? 50 : 163, 27, 55, 13));
    }
}

void CExamPlanDlg::AddSubjectField()
{
    AddLabel(this, "考试科目", UnitsRect(7, 48, 40, 10));
    auto* subjects = new QComboBox(this);
    AddField(this, IDC_SUBJECT, subjects, UnitsRect(50, 46, 90, 13));
    if (const CScheduleTask* task = AppServices().GetTask()) {
        std::vector<CZemObject*> list;
        MapToOrderedList(task->GetSubjectInfoList(), list);
        for (const CZemObject* subject : list)
            subjects->addItem(zem::gui::ToQ(subject->GetName()), zem::gui::ToQ(subject->GetId()));
    }
    const int subjectAt = m_modify ? subjects->findData(zem::gui::ToQ(m_plan.subject)) : 0;
    subjects->setCurrentIndex(subjects->count() > 0 ? subjectAt : -1);
}

void CExamPlanDlg::AddCountField()
{
    AddLabel(this, "每考场监考", UnitsRect(7, 67, 42, 10));
    auto* count = new QComboBox(this);
    for (int i = 1; i <= kMaxCount; ++i)
        count->addItem(QString::number(i));
    // A count no list offers (from an older file) stays as it is unless the user picks another.
    if (m_plan.teacherCount < 1 || m_plan.teacherCount > kMaxCount)
        count->addItem(QString::number(m_plan.teacherCount));
    count->setCurrentText(QString::number(m_plan.teacherCount));
    AddField(this, IDC_COUNT, count, UnitsRect(50, 65, 40, 13));
    AddLabel(this, "人", UnitsRect(94, 67, 20, 10));
}

void CExamPlanDlg::AddRoomList()
{
    AddLabel(this, "", UnitsRect(7, 89, 150, 10), IDC_ROOM_CAPTION);
    auto* menu = new CHoverButton("...", this);
    menu->setAutoDefault(false);
    AddField(this, IDC_ROOM_MENU, menu, UnitsRect(220, 86, 23, 13));

    m_roomList = new zem::gui::ItemList(this, zem::gui::ItemList::Mode::List);
    m_roomList->setFrameShape(QFrame::NoFrame);
    zem::gui::ImageList images(16, 16);
    images.Add(LoadProctorBitmap(IDB_EXAM_ROOMS), zem::RGB(255, 255, 255));
    m_roomList->SetImageList(images);
    m_roomList->setUniformItemSizes(false);
    const int buttonsTop = height() - kDialogBandHeight;
    m_roomFrame = Rect(Units().X(7), Units().Y(102), width() - Units().X(7), buttonsTop - Units().Y(7));
    Rect inner = m_roomFrame;
    inner.DeflateRect(1);
    AddField(this, IDC_ROOMS, m_roomList, inner);
}

void CExamPlanDlg::FillRooms()
{
    const CScheduleTask* task = AppServices().GetTask();
    m_roomList->DeleteAllItems();
    for (const std::string& id : m_rooms)
        m_roomList->InsertItem(m_roomList->GetItemCount(), GetClassOrRoomName(task, id), 0);
    SetDlgItemText(IDC_ROOM_CAPTION, "考场列表（" + IntToString(static_cast<int>(m_rooms.size())) + "）");
}

void CExamPlanDlg::AddRooms(bool fromClasses)
{
    const CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return;
    const CZemObjectList& objects = fromClasses ? task->GetClassInfoList() : task->GetRoomInfoList();
    if (!HasObjectsOrSay(objects, fromClasses ? "班级信息" : "教室和场地信息"))
        return;
    CMultiSelectDlg chooser(this);
    chooser.SetItems(&objects);
    chooser.m_caption = fromClasses ? "选择要作为考场的班级常规教室" : "选择要作为考场的教室和场地";
    chooser.m_checkAll = true;
    if (chooser.DoModal() != zem::IDOK)
        return;
    StringArrayAddAllUnique(m_rooms, chooser.GetChosenIds());
    FillRooms();
}

void CExamPlanDlg::ClearRooms()
{
    m_rooms.clear();
    FillRooms();
}

void CExamPlanDlg::ShowRoomMenu()
{
    const QWidget* button = GetDlgItem(IDC_ROOM_MENU);
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    const std::vector<zem::gui::MenuItem> items = {
        {ID_ROOMS_FROM_CLASSES, "从班级信息列表添加常规教室考场"},
        {ID_ROOMS_FROM_ROOMS, "从教室和场地信息列表添加考场"},
        {},
        {ID_ROOMS_CLEAR, "清空"},
    };
    if (const int command = zem::gui::TrackPopupMenu(this, items, {corner.x(), corner.y()}))
        OnCommand(command);
}

void CExamPlanDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_ROOM_MENU:
        ShowRoomMenu();
        break;
    case ID_ROOMS_FROM_CLASSES:
    case ID_ROOMS_FROM_ROOMS:
        AddRooms(id == ID_ROOMS_FROM_CLASSES);
        break;
    case ID_ROOMS_CLEAR:
        ClearRooms();
        break;
    default:
        Dialog::OnCommand(id);
    }
}

void CExamPlanDlg::ReadPickers()
{
    if (!(m_modify && m_arranged)) {
        m_plan.date = DateOf(Item<QDateEdit>(IDC_DATE)->date());
        m_plan.startTime = TimeOf(Item<QTimeEdit>(IDC_START)->time());
        m_plan.endTime = TimeOf(Item<QTimeEdit>(IDC_END)->time());
    }
    const auto* subjects = Item<QComboBox>(IDC_SUBJECT);
    if (subjects->currentIndex() >= 0)
        m_plan.subject = zem::gui::FromQ(subjects->currentData().toString());
    m_plan.teacherCount = Item<QComboBox>(IDC_COUNT)->currentText().toInt();
}

void CExamPlanDlg::OnOK()
{
    if (m_rooms.empty()) {
        ShowMessage(kNoRoomsText);
        ShowRoomMenu();
        return;
    }
    // An exam that ends when it starts overlaps no other, so its teachers could be booked twice.
    // Fixed times (the exam already has invigilators) are not the user's to mend here.
    const bool timesFixed = m_modify && m_arranged;
    const int start = SecondsOf(TimeOf(Item<QTimeEdit>(IDC_START)->time()));
    const int end = SecondsOf(TimeOf(Item<QTimeEdit>(IDC_END)->time()));
    if (!timesFixed && end <= start) {
        ShowMessage(kEndBeforeStartText);
        GetDlgItem(IDC_END)->setFocus();
        return;
    }
    ReadPickers();
    EndDialog(zem::IDOK);
}

void CExamPlanDlg::paintEvent(QPaintEvent*)
{
    PaintButtonBandDialog(this, {m_roomFrame});
}
