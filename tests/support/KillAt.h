#pragma once
// Stops every backup or restore at the named step as a killed program would, while it lives.
#include "base/TaskFolder.h"

#include <string>
#include <utility>

class KillAt {
public:
    explicit KillAt(std::string step)
        : m_previous(TaskFolder::SetKillHookForTesting(
              [step = std::move(step)](const std::string& at) { return at == step; }))
    {
    }
    ~KillAt() { TaskFolder::SetKillHookForTesting(m_previous); }
    KillAt(const KillAt&) = delete;
    KillAt& operator=(const KillAt&) = delete;

private:
    TaskFolder::KillHook m_previous;
};
