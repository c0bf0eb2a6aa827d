#include "app/shell/ShellDialogs.h"

#include "app/shell/AppContext.h"
#include "app/shell/BackupDlg.h"
#include "app/shell/BackupRestoreDlg.h"
#include "app/shell/ClearTimetableDlg.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/MainDlg.h"
#include "app/shell/SystemSettingsDlg.h"
#include "app/shell/TaskInfoDlg.h"

namespace {

template <class T>
void RunModal()
{
    QWidget* owner = CAppContext::Exists() ? CAppContext::Get()->GetMainDlg() : nullptr;
    T dialog(owner);
    dialog.DoModal();
}

}  // namespace

void RegisterShellDialogs()
{
    CFeatureWindows& windows = FeatureWindows();
    windows.windows[Feature::Settings] = RunModal<CSystemSettingsDlg>;
    windows.windows[Feature::TaskInfo] = RunModal<CTaskInfoDlg>;
    windows.windows[Feature::Backup] = RunModal<CBackupDlg>;
    windows.windows[Feature::Restore] = RunModal<CBackupRestoreDlg>;
    windows.windows[Feature::ClearTimetable] = RunModal<CClearTimetableDlg>;
}
