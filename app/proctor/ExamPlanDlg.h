#pragma once
// Adding or changing one exam of a proctoring: its date and times, its subject, the invigilators
// per room and the exam rooms (classes' own classrooms or rooms of the task). Once invigilators
// have been assigned to the exam, its date, times and rooms stay as they are.
#include "base/ScheduleProctor.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

namespace zem::gui {
class ItemList;
}

class CExamPlanDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 393,
        IDC_DATE = 1425,
        IDC_START = 1426,
        IDC_END = 1427,
        IDC_SUBJECT = 1017,
        IDC_COUNT = 1018,
        IDC_ROOMS = 1246,
        IDC_ROOM_MENU = 1429,
        IDC_ROOM_CAPTION = 1431,
    };
    enum { ID_ROOMS_FROM_CLASSES = 32947, ID_ROOMS_FROM_ROOMS = 32948, ID_ROOMS_CLEAR = 32956 };
    static constexpr const char* kNoRoomsText = "没有指定考场";
    static constexpr const char* kEndBeforeStartText = "结束时间必须晚于开始时间";

    explicit CExamPlanDlg(QWidget* parent = nullptr);

    // Modify mode shows the plan's values (set them with SetPlan); add mode starts from a new id,
    // tomorrow 09:00-11:00, two invigilators and the first subject.
    bool m_modify = false;
    // Whether items of the arrangement refer to the plan: its date, times and rooms are then fixed.
    bool m_arranged = false;

    void SetPlan(const CProctorData::Plan& plan);
    // The values after IDOK: id, date (no time of day), times, subject, rooms and teacher count.
    void GetPlan(CProctorData::Plan& plan) const;
    const std::vector<std::string>& GetRooms() const { return m_rooms; }

    // The rooms pop-up's commands.
    void AddRooms(bool fromClasses);
    void ClearRooms();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // A new plan: tomorrow from 9 to 11, two teachers to a room, no rooms yet.
    void StartNewPlan();
    // The fields of the form, top down, and the list of the plan's rooms above the buttons.
    void AddWhenFields();
    void AddSubjectField();
    void AddCountField();
    void AddRoomList();
    void FillRooms();
    void ShowRoomMenu();
    void ReadPickers();

    CProctorData::Plan m_plan;
    std::vector<std::string> m_rooms;
    zem::gui::ItemList* m_roomList = nullptr;
    zem::Rect m_roomFrame;
};
