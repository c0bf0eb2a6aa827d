#pragma once
// Removes the scheduled lessons of all timetables, or of chosen classes, teachers or rooms, after
// an automatic backup. The clear button waits eight seconds before it can be pressed.
#include "platform/Gdi.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"

#include <string>
#include <vector>

class QLabel;

class CClearTimetableDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 323,
        IDC_TITLE = 1105,
        IDC_CLEAR = 1301,
        IDC_SCOPE = 1302,
        IDC_SCOPE_TEXT = 1303,
        IDC_HINT1 = 1304,
        IDC_HINT2 = 1305,
        ID_SCOPE_ALL = 32857,
        ID_SCOPE_CLASS = 32858,
        ID_SCOPE_TEACHER = 32859,
        ID_SCOPE_ROOM = 32860,
    };
    static constexpr int kCountdownTimer = 1;
    static constexpr int kCountdownStart = 8;

    explicit CClearTimetableDlg(QWidget* parent = nullptr);

    // A CTaskHelper::ClearScope.
    int GetScope() const { return m_scope; }
    const std::vector<std::string>& GetChosenIds() const { return m_chosenIds; }
    std::string BuildScopeText() const;

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void paintEvent(class QPaintEvent* event) override;

private:
    void OnTimer(int id);
    void OnScopeMenu();
    void ChooseObjects(int scope);
    void OnClear();
    void UpdateScopeText();

    int m_scope = 0;
    std::vector<std::string> m_chosenIds;
    std::string m_clearCaption;
    int m_countdown = kCountdownStart;
    QLabel* m_scopeText = nullptr;
    zem::gui::WindowTimers m_timers;
};
