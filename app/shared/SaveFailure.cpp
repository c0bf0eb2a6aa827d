#include "app/shared/SaveFailure.h"

#include "platform/Hooks.h"

#include <cstdio>
#include <vector>

bool SaveHoldingNotices(const std::function<bool()>& save, std::string& reason)
{
    std::vector<zem::MessageRequest> held;
    zem::MessageHook previous;
    previous = zem::SetMessageHook([&held, &previous](const zem::MessageRequest& request) {
        if (request.buttons == zem::MessageButtons::Ok) {
            held.push_back(request);
            return static_cast<int>(zem::IDOK);
        }
        // A question decides what the save does: the user answers it now.
        if (previous)
            return previous(request);
        std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
        return static_cast<int>(request.buttons == zem::MessageButtons::OkCancel ? zem::IDOK : zem::IDYES);
    });
    const bool saved = save();
    zem::SetMessageHook(previous);
    reason.clear();
    for (const zem::MessageRequest& request : held) {
        if (saved)
            zem::ShowMessage(request);
        else
            reason += (reason.empty() ? "" : "\n") + request.text;
    }
    return saved;
}

std::string NotSavedText(const std::string& what)
{
    return what + "没有保存成功。" + kReasonBreak;
}

void SayFailedSave(const std::string& failedText, const std::string& reason, const std::string& fallbackReason)
{
    zem::ShowMessage(failedText + (reason.empty() ? fallbackReason : reason), "提示", zem::MessageIcon::Error);
}

bool SaveSayingWhy(const std::function<bool()>& save, const std::string& failedText, const std::string& fallbackReason)
{
    std::string reason;
    if (SaveHoldingNotices(save, reason))
        return true;
    SayFailedSave(failedText, reason, fallbackReason);
    return false;
}
