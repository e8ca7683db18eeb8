// Where each field of the configuration block lies: the block's one layout. The field table
// (ConfigFieldTable.cpp) is built from these places and the image's accessors (ConfigImage.h)
// read and write through them; the emulator's factory values keep offsets of their own, an
// independent check of these.
#pragma once

#include "platform/Win32Types.h"

struct FieldPlace {
    UINT offset;
    UINT width; // in bytes
};

namespace layout {

constexpr FieldPlace kReserved0{0, 8};
constexpr FieldPlace kMacAddress{8, 6};
constexpr FieldPlace kIpAddress{14, 4};
constexpr FieldPlace kSubnetMask{18, 4};
constexpr FieldPlace kReserved22{22, 6};
constexpr FieldPlace kChannel{28, 1};
constexpr FieldPlace kPreambleType{29, 1};
constexpr FieldPlace kRateMode{30, 1};
constexpr FieldPlace kEssidLength{31, 1};
constexpr FieldPlace kEssid{32, 32};
constexpr FieldPlace kFragmentThreshold{64, 2};
constexpr FieldPlace kRtsThreshold{66, 2};
constexpr FieldPlace kAuthType{68, 1};
constexpr FieldPlace kSsidBroadcast{69, 1};
constexpr FieldPlace kWepType{70, 1};
constexpr FieldPlace kActiveKeyId{71, 1};
constexpr FieldPlace kWepKey[4] = {{72, 13}, {85, 13}, {98, 13}, {111, 13}};
constexpr FieldPlace kApName{124, 32};
constexpr FieldPlace kOperationalRates{156, 4};
constexpr FieldPlace kRegulationDomain{160, 1};
constexpr FieldPlace kReserved161{161, 1};
constexpr FieldPlace kBeaconPeriod{162, 2};
constexpr FieldPlace kAntennaSelect{164, 2};
constexpr FieldPlace kOperationalMode{166, 1};
constexpr FieldPlace kReserved167{167, 25};
constexpr FieldPlace kPasswordLength{192, 4};
constexpr FieldPlace kPassword{196, 20};
constexpr FieldPlace kAltPasswordLength{216, 4};
constexpr FieldPlace kAltPassword{220, 20};
constexpr FieldPlace kGateway{240, 4};
constexpr FieldPlace kReserved244{244, 4};
constexpr FieldPlace kDhcpClient{248, 4};
constexpr FieldPlace kPrimaryPort{252, 4};
constexpr FieldPlace kReserved256{256, 10};
constexpr FieldPlace kPreferredBssid{266, 6};
constexpr FieldPlace kReserved272{272, 4};
constexpr FieldPlace kInternationalRoaming{276, 1};
constexpr FieldPlace kReserved277{277, 71};

} // namespace layout
