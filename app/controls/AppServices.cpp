#include "app/controls/AppServices.h"

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
