#pragma once
// What the shared functions and controls read of the program around them: the open task and a few
// user settings of zem.ini. The application context implements it and installs itself; tests
// install their own. Without one installed no task is open and every setting has its default.
#include <string>
#include <vector>

class CScheduleTask;
class CTipWnd;

class CAppServices {
public:
    virtual ~CAppServices() = default;

    // The open task; null when none is open.
    virtual CScheduleTask* GetTask() const { return nullptr; }
    // [Common] LastTaskFolder; possibly empty.
    virtual std::string GetLastTaskFolder() const { return {}; }
    // [Common] ShowTeacherByGroup: list teachers under their groups.
    virtual bool GetShowTeacherByGroup() const { return true; }
    // [WeekTable] Background: 1 is the normal (starry) cell background.
    virtual int GetWeekTableBackground() const { return 1; }
    // The remembered subject selection (ids of subjects).
    virtual std::vector<std::string> GetSubjectSelection() const { return {}; }
    // The program's one tip balloon; null before it exists.
    virtual CTipWnd* GetTipWnd() const { return nullptr; }
};

// The installed services, or defaults when none is installed.
const CAppServices& AppServices();
// Installs services (null restores the defaults) and returns the previous ones. The caller keeps
// ownership and must uninstall them before they are destroyed.
CAppServices* SetAppServices(CAppServices* services);
