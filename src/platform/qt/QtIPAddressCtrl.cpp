#include "platform/IPAddressCtrl.h"

#include "IpAddressWidget.h"
#include "QtWindow.h"

namespace {
constexpr auto Ip = &qt::WidgetAs<IpAddressWidget>;
} // namespace

void CIPAddressCtrl::SetAddress(DWORD address) {
    if (IpAddressWidget* w = Ip(this))
        w->SetAddress(address);
}

void CIPAddressCtrl::SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3) {
    SetAddress(MAKEIPADDRESS(f0, f1, f2, f3));
}

int CIPAddressCtrl::GetAddress(DWORD& address) const {
    address = 0;
    IpAddressWidget* w = Ip(this);
    return w ? w->GetAddress(&address) : 0;
}

int CIPAddressCtrl::GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const {
    DWORD address = 0;
    int n = GetAddress(address);
    f0 = static_cast<BYTE>(address >> 24);
    f1 = static_cast<BYTE>(address >> 16);
    f2 = static_cast<BYTE>(address >> 8);
    f3 = static_cast<BYTE>(address);
    return n;
}

void CIPAddressCtrl::ClearAddress() {
    if (IpAddressWidget* w = Ip(this))
        w->ClearAddress();
}
