// The names a screen reader reads that the dialog manager cannot give: a control whose
// neighbour in the template is not its label (a byte of a key) and the parts of an address
// field. They go to the accessibility layer by Dynamic Annotation. The COM libraries are
// loaded only when a dialog has such names, so a dialog without them (the login) and the
// program's start load none.
#include "Win32Window.h"
#include "platform/DialogTemplate.h"

#include <algorithm>
#include <oleacc.h>
#include <vector>

namespace {

constexpr GUID kClsidAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIidAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kPropIdAccName = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

template <class Fn> Fn Function(HMODULE module, const char* name) {
    // Through void (*)(), the one cast between function types that states no signature.
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

// The annotation service of this (the user-interface) thread, or null where there is none.
IAccPropServices* Services() {
    static IAccPropServices* services = [] {
        using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
        using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
        HMODULE ole32 = LoadLibraryW(L"ole32.dll");
        auto initialize = Function<CoInitializeExFn>(ole32, "CoInitializeEx");
        auto create = Function<CoCreateInstanceFn>(ole32, "CoCreateInstance");
        IAccPropServices* found = nullptr;
        if (initialize && create) {
            initialize(nullptr, COINIT_APARTMENTTHREADED); // already done is as good
            create(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                   reinterpret_cast<LPVOID*>(&found));
        }
        return found;
    }();
    return services;
}

win32::AnnotationWatch& Watch() {
    static win32::AnnotationWatch watch;
    return watch;
}

void Annotate(HWND control, const std::string& name) {
    IAccPropServices* services = Services();
    HRESULT answer =
        services ? services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            kPropIdAccName, win32::Wide(name).c_str())
                 : REGDB_E_CLASSNOTREG;
    if (Watch())
        Watch()(control, name, answer);
}

} // namespace

namespace win32 {

void WatchAnnotations(AnnotationWatch watch) {
    Watch() = std::move(watch);
}

std::vector<HWND> AddressParts(HWND field) {
    std::vector<HWND> parts;
    for (HWND h = GetWindow(field, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        parts.push_back(h);
    auto left = [](HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        return r.left;
    };
    std::sort(parts.begin(), parts.end(), [&](HWND a, HWND b) { return left(a) < left(b); });
    return parts;
}

void NameForScreenReaders(HWND dialog, const DialogTemplate& dialogTemplate) {
    for (const DialogItem& item : dialogTemplate.items) {
        HWND control = item.name ? GetDlgItem(dialog, item.id) : nullptr;
        if (!control)
            continue;
        if (item.kind != ControlKind::kIpAddress) {
            Annotate(control, item.name);
            continue;
        }
        std::vector<HWND> parts = AddressParts(control);
        for (size_t part = 0; part < parts.size(); ++part)
            Annotate(parts[part], AccessiblePartName(item, static_cast<int>(part)));
    }
}

} // namespace win32
