#include "app/shared/AppServices.h"

#include "app/taskhelper/TaskHelper.h"

#include <atomic>

namespace {

std::atomic<CAppServices*>& Installed()
{
    static std::atomic<CAppServices*> services{nullptr};
    return services;
}

}  // namespace

const CAppServices& AppServices()
{
    static const CAppServices defaults;
    const CAppServices* services = Installed().load();
    return services ? *services : defaults;
}

CAppServices* SetAppServices(CAppServices* services)
{
    return Installed().exchange(services);
}

CHelperContext AppHelperContext()
{
    const CAppServices& services = AppServices();
    CHelperContext context;
    context.openTask = services.GetTask();
    context.colorMap = services.GetColorMap();
    context.colorTable = services.GetColorTable();
    context.showTagLocked = services.GetShowTagLocked();
    context.showTagLinked = services.GetShowTagLinked();
    context.showTagDisabled = services.GetShowTagDisabled();
    context.showRoomNumber = services.GetShowRoomNumber();
    return context;
}
