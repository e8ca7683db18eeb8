// The registry of dialog templates: pure data, shared by both backends and by the
// resource tools, so it needs no toolkit.
#include "DialogTemplate.h"

#include <map>

namespace {
std::map<UINT, const DialogTemplate*>& Registry() {
    static std::map<UINT, const DialogTemplate*> registry;
    return registry;
}
} // namespace

void RegisterDialogTemplate(const DialogTemplate* dialogTemplate) {
    Registry()[dialogTemplate->id] = dialogTemplate;
}

const DialogTemplate* FindDialogTemplate(UINT id) {
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : it->second;
}
