#include "app/shell/ProgramFeatures.h"

#include "app/data/ObjectListPages.h"
#include "app/data/TeacherGroupListPage.h"
#include "app/data/TeachingTimeDlg.h"
#include "app/shell/AppContext.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/MainDlg.h"

namespace {

QWidget* MainWindow()
{
    return CAppContext::Exists() ? CAppContext::Get()->GetMainDlg() : nullptr;
}

// A list page runs modally over the main window.
template <class Page>
void RunPage()
{
    Page page(MainWindow());
    page.DoModal();
}

}  // namespace

void RegisterProgramFeatures()
{
    CFeatureWindows& windows = FeatureWindows();
    windows.windows[Feature::TeachingTime] = [] {
        CTeachingTimeDlg dialog(MainWindow());
        dialog.DoModal();
    };
    windows.windows[Feature::ClassList] = RunPage<CClassListPage>;
    windows.windows[Feature::SubjectList] = RunPage<CSubjectListPage>;
    windows.windows[Feature::TeacherList] = RunPage<CTeacherListPage>;
    windows.windows[Feature::RoomList] = RunPage<CRoomListPage>;
    windows.windows[Feature::TeacherGroupList] = RunPage<CTeacherGroupListPage>;
}
