#pragma once
// Message hooks for the life of a test: every message shown is recorded and answered, from a list
// of answers in turn and then with the fallback, or always with one answer.
#include "platform/Hooks.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedMessages {
public:
    explicit ScriptedMessages(std::vector<int> answers = {}, int fallback = zem::IDOK)
        : m_answers(answers.begin(), answers.end()), m_fallback(fallback)
    {
        m_previous = zem::SetMessageHook([this](const zem::MessageRequest& request) {
            messages.push_back(request);
            if (m_answers.empty())
                return m_fallback;
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }
    ~ScriptedMessages() { zem::SetMessageHook(m_previous); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : messages)
            texts.push_back(m.text);
        return texts;
    }

    std::vector<zem::MessageRequest> messages;

private:
    std::deque<int> m_answers;
    int m_fallback;
    zem::MessageHook m_previous;
};

// Answers every message with the same answer.
class MessageRecorder : public ScriptedMessages {
public:
    explicit MessageRecorder(int answer = zem::IDOK) : ScriptedMessages({}, answer) {}
};
