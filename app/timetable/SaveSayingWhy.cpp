#include "app/timetable/SaveSayingWhy.h"

#include "platform/Hooks.h"

#include <vector>

bool SaveSayingWhy(const std::function<bool()>& save, const std::string& failedText, const std::string& fallbackReason)
{
    std::vector<zem::MessageRequest> said;
    const zem::MessageHook previous = zem::SetMessageHook([&said](const zem::MessageRequest& request) {
        said.push_back(request);
        return zem::IDOK;
    });
    const bool saved = save();
    zem::SetMessageHook(previous);
    if (!saved) {
        std::string reason;
        for (const zem::MessageRequest& request : said)
            reason += (reason.empty() ? "" : "\n") + request.text;
        if (reason.empty())
            reason = fallbackReason;
        zem::ShowMessage(failedText + reason, "提示", zem::MessageIcon::Error);
        return false;
    }
    for (const zem::MessageRequest& request : said)
        zem::ShowMessage(request);
    return true;
}
