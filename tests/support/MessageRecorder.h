#pragma once
// Installs a message hook for the life of a test and records every message shown.
#include "platform/Hooks.h"

#include <string>
#include <vector>

class MessageRecorder {
public:
    explicit MessageRecorder(int answer = zem::IDOK)
    {
        previous_ = zem::SetMessageHook([this, answer](const zem::MessageRequest& request) {
            messages.push_back(request);
            return answer;
        });
    }
    ~MessageRecorder() { zem::SetMessageHook(previous_); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : messages)
            texts.push_back(m.text);
        return texts;
    }

    std::vector<zem::MessageRequest> messages;

private:
    zem::MessageHook previous_;
};
