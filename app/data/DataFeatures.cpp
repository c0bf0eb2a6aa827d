#include "app/data/DataFeatures.h"

#include "app/data/ObjectListPages.h"
#include "app/data/TeacherGroupListPage.h"
#include "app/shell/FeatureWindows.h"

#include <QApplication>

namespace {

// A page runs modally over the window the user is working in.
template <class Page>
void RunPage()
{
    Page page(QApplication::activeWindow());
    page.DoModal();
}

}  // namespace

void RegisterBasicDataPages()
{
    CFeatureWindows& features = FeatureWindows();
    features.windows[Feature::ClassList] = RunPage<CClassListPage>;
    features.windows[Feature::SubjectList] = RunPage<CSubjectListPage>;
    features.windows[Feature::TeacherList] = RunPage<CTeacherListPage>;
    features.windows[Feature::TeacherGroupList] = RunPage<CTeacherGroupListPage>;
    features.windows[Feature::RoomList] = RunPage<CRoomListPage>;
}
