#include "app/shell/FeatureWindows.h"

const char* const kFeatureMissingText = "此功能在当前版本中尚未提供";

bool CFeatureWindows::Has(Feature feature) const
{
    const auto it = windows.find(feature);
    return it != windows.end() && it->second;
}

bool CFeatureWindows::Run(Feature feature) const
{
    const auto it = windows.find(feature);
    if (it == windows.end() || !it->second)
        return false;
    // A copy: the window may change the table while it runs.
    const std::function<void()> run = it->second;
    run();
    return true;
}

CFeatureWindows& FeatureWindows()
{
    static CFeatureWindows table;
    return table;
}
