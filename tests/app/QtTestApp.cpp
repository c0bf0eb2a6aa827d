// The application of the control tests.
#include "app/controls/GdiResources.h"
#include "platform/QtTestEnvironment.h"
#include "table/UICore.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment("app_tests", [] {
        CGdiResources::DestroyInstance();
        CUICore::Free();
    }));

}  // namespace
