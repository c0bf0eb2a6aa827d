// The choosers show every name whole, however long, in the icon view and in the check list.
#include "support/FakeAppServices.h"
#include "support/ScreenTestSupport.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "platform/gui/ItemList.h"
#include "support/SchoolBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;
using zem::gui::ItemList;

TEST(Choosers, ShowEveryNameWhole)
{
    SchoolBuilder school;
    // The first name is the shortest: a list that sized every item by its first one cut the others.
    const std::vector<std::string> teachers = {"张伟", "杨文博", "杨文", "欧阳建国", "王芳"};
    const std::vector<std::string> classes = {"初一（1）班", "高二（12）班理科数学物理竞赛实验班", "初一（2）班"};
    for (std::size_t i = 0; i < teachers.size(); ++i)
        school.Teacher("T" + std::to_string(i), teachers[i]);
    for (std::size_t i = 0; i < classes.size(); ++i)
        school.Class("C" + std::to_string(i), classes[i]);
    FakeAppServices services;
    services.task = &school.Task();

    struct Case {
        const char* picture;
        std::function<std::unique_ptr<Dialog>()> make;
        std::vector<std::string> names;
    };
    const auto multiSelect = [](const CZemObjectList& items) {
        auto dialog = std::make_unique<CMultiSelectDlg>();
        dialog->SetItems(&items);
        return dialog;
    };
    const Case cases[] = {
        {"names_teacher_picker", [] { return std::make_unique<CTeacherPickerDlg>(); }, teachers},
        {"names_class_picker", [] { return std::make_unique<CClassPickerDlg>(); }, classes},
        {"names_teacher_multi_select", [&] { return multiSelect(school.Task().GetTeacherInfoList()); }, teachers},
        {"names_class_multi_select", [&] { return multiSelect(school.Task().GetClassInfoList()); }, classes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        std::unique_ptr<Dialog> dialog = c.make();
        RunModal<Dialog>(*dialog, [&](Dialog& d) {
            ItemList& list = *d.findChild<ItemList*>();
            EXPECT_EQ(Listed(list), c.names);
            EXPECT_EQ(CutItemTexts(list), std::vector<std::string>{});
            SaveScreenshot(&d, c.picture);
            d.EndDialog(zem::IDCANCEL);
        });
    }
}

}  // namespace
