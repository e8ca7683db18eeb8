#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A configuration block (bytes 0 to 347) written out by hand as a test fixture, each value
// at the offset the device protocol gives it, so that the tests of the field table and of
// ap-config's words check against it rather than against the layout they test:
//   8 MAC 02-1a-2b-3c-4d-5e, 14 IP 192.168.1.2, 18 mask 255.255.255.0, 28 channel 11,
//   29 preamble 2, 30 rate mode 1, 31 ESSID length 8, 32 "wireless", 64 fragmentation 2346,
//   66 RTS 2347, 68 auth 1, 69 broadcast 2, 70 WEP 1, 71 key id 3, 72 key 1 a1b2c3d4e5,
//   111 key 4 (12 x 44) 45, 124 "Office AP", 156 rates 82 84 8b 96, 160 domain 0x30,
//   162 beacon 100, 164 antenna 3, 166 mode 5, 192 5 "admin", 216 3 "alt",
//   240 gateway 192.168.1.254, 248 DHCP client 2, 252 primary port 1,
//   266 BSSID 00-0a-ff-10-20-30, 276 roaming 2; every other byte 0.
inline std::vector<uint8_t> StoredBlock() {
    const std::string hex = "0000000000000000021a2b3c4d5ec0a80102ffffff000000000000000b020108"
                            "776972656c657373000000000000000000000000000000000000000000000000"
                            "2a092b0901020103a1b2c3d4e500000000000000000000000000000000000000"
                            "000000000000000000000000000000444444444444444444444444454f666669"
                            "6365204150000000000000000000000000000000000000000000000082848b96"
                            "3000640003000500000000000000000000000000000000000000000000000000"
                            "0500000061646d696e00000000000000000000000000000003000000616c7400"
                            "00000000000000000000000000000000c0a801fe000000000200000001000000"
                            "00000000000000000000000aff10203000000000020000000000000000000000"
                            "0000000000000000000000000000000000000000000000000000000000000000"
                            "00000000000000000000000000000000000000000000000000000000";
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}
