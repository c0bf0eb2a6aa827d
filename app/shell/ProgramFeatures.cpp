#include "app/shell/ProgramFeatures.h"

#include "app/data/DataStatisticsDlg.h"
#include "app/data/TeachingTimeDlg.h"
#include "app/shell/AppContext.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/MainDlg.h"

namespace {

QWidget* MainWindow()
{
    return CAppContext::Exists() ? CAppContext::Get()->GetMainDlg() : nullptr;
}

}  // namespace

void RegisterProgramFeatures()
{
    CFeatureWindows& windows = FeatureWindows();
    windows.windows[Feature::TeachingTime] = [] {
        CTeachingTimeDlg dialog(MainWindow());
        dialog.DoModal();
    };
    windows.windows[Feature::DataStatistics] = [] {
        CDataStatisticsDlg dialog(MainWindow());
        dialog.DoModal();
    };
}
