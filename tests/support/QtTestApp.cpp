// The application of the control tests, with hard-edged text so that pixels can be checked exactly.
#include "app/controls/GdiResources.h"
#include "platform/gui/Font.h"
#include "support/QtTestEnvironment.h"
#include "table/UICore.h"

namespace {

class ControlsEnvironment : public QtTestEnvironment {
public:
    void SetUp() override
    {
        QtTestEnvironment::SetUp();
        zem::gui::SetTextAntialiasing(false);
    }
    void TearDown() override
    {
        CGdiResources::DestroyInstance();
        CUICore::Free();
        QtTestEnvironment::TearDown();
    }
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

}  // namespace
