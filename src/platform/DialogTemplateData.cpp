// The registries of dialog templates and icons: pure data, shared by both backends and by
// the resource tools, so they need no toolkit.
#include "DialogTemplate.h"
#include "IconResource.h"

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

namespace {
std::map<UINT, IconPixelsFn>& Icons() {
    static std::map<UINT, IconPixelsFn> icons;
    return icons;
}
} // namespace

void RegisterIconResource(UINT id, IconPixelsFn draw) {
    Icons()[id] = draw;
}

IconPixelsFn FindIconResource(UINT id) {
    auto it = Icons().find(id);
    return it == Icons().end() ? nullptr : it->second;
}
