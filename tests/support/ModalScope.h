#pragma once
// Works every dialog DoModal runs through the hook, for the life of the scope.
#include "platform/gui/Dialog.h"

#include <utility>

class ModalScope {
public:
    explicit ModalScope(zem::gui::ModalHook hook) : m_previous(zem::gui::SetModalHook(std::move(hook))) {}
    ~ModalScope() { zem::gui::SetModalHook(std::move(m_previous)); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    zem::gui::ModalHook m_previous;
};
