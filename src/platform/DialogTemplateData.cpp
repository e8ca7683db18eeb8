// The registries of dialog templates and icons and the controls' names for screen readers:
// pure data, shared by both backends and by the resource tools, so they need no toolkit.
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

std::string AccessibleName(const DialogTemplate& dialogTemplate, size_t index) {
    const DialogItem& item = dialogTemplate.items.at(index);
    if (item.name && item.kind != ControlKind::kIpAddress)
        return item.name;
    const bool field = item.kind == ControlKind::kEdit || item.kind == ControlKind::kDropDownList ||
                       item.kind == ControlKind::kIpAddress;
    if (!field || index == 0 || dialogTemplate.items[index - 1].kind != ControlKind::kLabel)
        return {};
    std::string label = dialogTemplate.items[index - 1].text;
    while (!label.empty() && (label.back() == ' ' || label.back() == ':'))
        label.pop_back();
    return label;
}

std::string AccessiblePartName(const DialogItem& item, int part) {
    if (item.kind != ControlKind::kIpAddress || !item.name)
        return {};
    return std::string(item.name) + ' ' + std::to_string(part + 1);
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
