#pragma once
// A pane that shows the timetable of one class, teacher or room of a task with choosers of the
// kind and the object above it; several stand side by side in the multi-timetable window. The
// pane tells its owner when the user went to another object inside the timetable, and when a
// change was made in it.
#include "app/timetable/TableContainer.h"
#include "platform/Gdi.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"

#include <QWidget>

#include <optional>
#include <string>

class CHoverButton;
class QComboBox;

class CWeekTableWnd : public QWidget, public ITableChangeListener {
public:
    enum { IDC_KIND = 111, IDC_OBJECT = 112, IDC_PICK = 1157 };

    CWeekTableWnd();
    ~CWeekTableWnd() override;

    // Makes the pane a child of the owner, which hears WM_WEEKTABLE_CHANGED when it receives the
    // program's messages; shows the first class.
    bool Create(QWidget* owner, int cookie, CScheduleTask* task);
    // Shows the object of the kind (0 class, 1 teacher, 2 room).
    void SetObjects(int kind, const std::string& objectId);
    void GetCurrentObject(int& kind, std::string& objectId) const;
    // Brings the choosers in line with the container's object and shows its timetable.
    void Reload();
    // The same, but a timetable that is as the pane last showed it keeps its grid as it is.
    void ReloadIfChanged();

    void SetCentreTitle(const std::string& name) override;
    void OnTableChanged(int code, void* object) override;

    CTableContainer& GetContainer() { return m_container; }
    QComboBox* GetKindChooser() const { return m_kindChooser; }
    QComboBox* GetObjectChooser() const { return m_objectChooser; }
    CHoverButton* GetPickButton() const { return m_pickButton; }
    const std::string& GetInfoText() const { return m_info; }
    int GetCookie() const { return m_cookie; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillObjectChooser(int kind);
    void OnKindChanged();
    void OnObjectChanged();
    void OnPick();
    // The table and information text of the container's object; null when it is gone.
    CCourseTable* LoadCurrent();
    void Show();
    void Resync();

    CScheduleTask* m_task = nullptr;
    zem::MessageTarget* m_notify = nullptr;
    int m_cookie = -1;
    bool m_created = false;
    CTableContainer m_container;
    QComboBox* m_kindChooser = nullptr;
    QComboBox* m_objectChooser = nullptr;
    CHoverButton* m_pickButton = nullptr;
    std::string m_info;
    zem::Rect m_infoRect;
    // The timetable as the grid was last filled from it; none while no table is shown.
    std::optional<CCourseTable> m_shown;
};
