#pragma once

#include "ConfigLayout.h"
#include "platform/LittleEndian.h"
#include "platform/Win32Types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

constexpr size_t kImageBufferSize = 16385;
constexpr UINT kConfigBlockLength = 348; // what a write sends
constexpr UINT kImageReadLength = 889;   // what a read fills

// The access point's configuration block, byte for byte as the device keeps it, with one
// accessor per field, each at its place in the layout (ConfigLayout.h). Texts never spill past
// their fields; numbers are little-endian.
class ConfigImage {
public:
    BYTE* Bytes() { return m_bytes.data(); }
    const BYTE* Bytes() const { return m_bytes.data(); }

    std::array<BYTE, 6> MacAddress() const { return Array<6>(layout::kMacAddress); }
    std::array<BYTE, 4> IpAddress() const { return Array<4>(layout::kIpAddress); }
    void SetIpAddress(const std::array<BYTE, 4>& a) { SetArray(layout::kIpAddress, a); }
    std::array<BYTE, 4> SubnetMask() const { return Array<4>(layout::kSubnetMask); }
    void SetSubnetMask(const std::array<BYTE, 4>& a) { SetArray(layout::kSubnetMask, a); }
    BYTE Channel() const { return Number<BYTE>(layout::kChannel); }
    void SetChannel(BYTE v) { SetNumber(layout::kChannel, v); }
    BYTE PreambleType() const { return Number<BYTE>(layout::kPreambleType); }
    void SetPreambleType(BYTE v) { SetNumber(layout::kPreambleType, v); }
    BYTE RateMode() const { return Number<BYTE>(layout::kRateMode); }
    void SetRateMode(BYTE v) { SetNumber(layout::kRateMode, v); }
    BYTE EssidLength() const { return Number<BYTE>(layout::kEssidLength); }
    void SetEssidLength(BYTE v) { SetNumber(layout::kEssidLength, v); }
    // The ESSID: its first min(essidLength, 32) bytes, ending early at a zero byte.
    std::string Essid() const;
    // Stores up to 32 bytes of text and keeps essidLength in step.
    void SetEssid(const std::string& text);
    // Zero byte just after a short ESSID, as the page does when it loads.
    void TerminateEssid();
    WORD FragmentThreshold() const { return Number<WORD>(layout::kFragmentThreshold); }
    void SetFragmentThreshold(WORD v) { SetNumber(layout::kFragmentThreshold, v); }
    WORD RtsThreshold() const { return Number<WORD>(layout::kRtsThreshold); }
    void SetRtsThreshold(WORD v) { SetNumber(layout::kRtsThreshold, v); }
    BYTE AuthType() const { return Number<BYTE>(layout::kAuthType); }
    void SetAuthType(BYTE v) { SetNumber(layout::kAuthType, v); }
    BYTE SsidBroadcast() const { return Number<BYTE>(layout::kSsidBroadcast); }
    void SetSsidBroadcast(BYTE v) { SetNumber(layout::kSsidBroadcast, v); }
    BYTE WepType() const { return Number<BYTE>(layout::kWepType); }
    void SetWepType(BYTE v) { SetNumber(layout::kWepType, v); }
    BYTE ActiveKeyId() const { return Number<BYTE>(layout::kActiveKeyId); }
    void SetActiveKeyId(BYTE v) { SetNumber(layout::kActiveKeyId, v); }
    static constexpr int kKeySlots = static_cast<int>(std::size(layout::kWepKey));
    static constexpr int kKeySlotSize = static_cast<int>(layout::kWepKey[0].width);
    // Byte j (0..12) of key slot k (0..3) of wepKeys.
    BYTE WepKeyByte(int slot, int index) const { return m_bytes[KeyOffset(slot, index)]; }
    void SetWepKeyByte(int slot, int index, BYTE v) { m_bytes[KeyOffset(slot, index)] = v; }
    std::string ApName() const { return Text(layout::kApName); }
    void SetApName(const std::string& text) { SetText(layout::kApName, text); }
    std::array<BYTE, 4> OperationalRates() const { return Array<4>(layout::kOperationalRates); }
    void SetOperationalRates(const std::array<BYTE, 4>& a) {
        SetArray(layout::kOperationalRates, a);
    }
    BYTE RegulationDomain() const { return Number<BYTE>(layout::kRegulationDomain); }
    WORD BeaconPeriod() const { return Number<WORD>(layout::kBeaconPeriod); }
    void SetBeaconPeriod(WORD v) { SetNumber(layout::kBeaconPeriod, v); }
    WORD AntennaSelect() const { return Number<WORD>(layout::kAntennaSelect); }
    void SetAntennaSelect(WORD v) { SetNumber(layout::kAntennaSelect, v); }
    BYTE OperationalMode() const { return Number<BYTE>(layout::kOperationalMode); }
    void SetOperationalMode(BYTE v) { SetNumber(layout::kOperationalMode, v); }
    DWORD PasswordLength() const { return Number<DWORD>(layout::kPasswordLength); }
    // The login password as the login compares it: its first passwordLength bytes (at most
    // the 20-byte field), ending early at a zero byte.
    std::string Password() const { return Text(layout::kPassword, PasswordLength()); }
    // The password text up to its zero byte, at most 19 characters (what "Default" keeps).
    std::string PasswordText() const {
        return Text(layout::kPassword, layout::kPassword.width - 1);
    }
    // Stores text (at most 19 bytes) with its terminator, and its length.
    void SetPassword(const std::string& text);
    DWORD AltPasswordLength() const { return Number<DWORD>(layout::kAltPasswordLength); }
    std::string AltPassword() const { return Text(layout::kAltPassword, AltPasswordLength()); }
    std::array<BYTE, 4> Gateway() const { return Array<4>(layout::kGateway); }
    void SetGateway(const std::array<BYTE, 4>& a) { SetArray(layout::kGateway, a); }
    DWORD DhcpClient() const { return Number<DWORD>(layout::kDhcpClient); }
    void SetDhcpClient(DWORD v) { SetNumber(layout::kDhcpClient, v); }
    DWORD PrimaryPort() const { return Number<DWORD>(layout::kPrimaryPort); }
    void SetPrimaryPort(DWORD v) { SetNumber(layout::kPrimaryPort, v); }
    std::array<BYTE, 6> PreferredBssid() const { return Array<6>(layout::kPreferredBssid); }
    void SetPreferredBssidByte(int index, BYTE v) {
        m_bytes[layout::kPreferredBssid.offset + Clamp(index, 6)] = v;
    }
    BYTE InternationalRoaming() const { return Number<BYTE>(layout::kInternationalRoaming); }
    void SetInternationalRoaming(BYTE v) { SetNumber(layout::kInternationalRoaming, v); }

private:
    static size_t Clamp(int i, int n) {
        return static_cast<size_t>(i < 0 ? 0 : i >= n ? n - 1 : i);
    }
    static size_t KeyOffset(int slot, int index) {
        return layout::kWepKey[Clamp(slot, kKeySlots)].offset + Clamp(index, kKeySlotSize);
    }
    // A number over its place's width, little-endian (the one helper of the tree).
    template <typename T> T Number(FieldPlace at) const {
        return static_cast<T>(littleendian::Get(m_bytes.data() + at.offset, at.width));
    }
    void SetNumber(FieldPlace at, DWORD v) {
        littleendian::Put(m_bytes.data() + at.offset, at.width, v);
    }
    // The text of the place's first min(width, limit) bytes, ending early at a zero byte.
    std::string Text(FieldPlace at, size_t limit = SIZE_MAX) const;
    // Stores at most the place's width of text, a zero byte after a shorter text.
    void SetText(FieldPlace at, const std::string& text);
    template <size_t N> std::array<BYTE, N> Array(FieldPlace at) const {
        std::array<BYTE, N> a{};
        for (size_t i = 0; i < N; ++i)
            a[i] = m_bytes[at.offset + i];
        return a;
    }
    template <size_t N> void SetArray(FieldPlace at, const std::array<BYTE, N>& a) {
        for (size_t i = 0; i < N; ++i)
            m_bytes[at.offset + i] = a[i];
    }

    std::array<BYTE, kImageBufferSize> m_bytes{};
};

// The image the pages, the login check, the key file and the write all use; null until the
// first successful read of the current configuration.
extern ConfigImage* g_pConfigImage;

// The rate list's positions and what each stores.
enum RateSelection { kRate1 = 0, kRate2, kRate5_5, kRate11, kRateAuto, kRateCount };
// The position the image's rateMode and operationalRates read back as, or -1.
int RateSelectionOf(const ConfigImage& image);
void StoreRateSelection(ConfigImage& image, int selection);

// The channels offered for a regulation domain: first..last, or false for an unknown domain.
bool ChannelRangeFor(BYTE regulationDomain, int* first, int* last);
// Whether the regulation domain offers the channel: the one channel rule of the pages,
// set, restore's checks and the completion.
bool ChannelAllowed(BYTE regulationDomain, long channel);

// The first word of a typed password: the text after any leading white space up to the
// next white-space character. What a new password stores.
std::string PasswordWord(const std::string& typed);

// The password edits take at most this many characters.
constexpr size_t kPasswordChars = 16;
// The login's check, for the login dialog and ap-config alike: the whole typed text must be
// exactly one of the two passwords the image holds (never trimmed: the first-word rule is
// for storing a new password only); a text longer than the edits take never matches.
bool LoginAccepts(const ConfigImage& image, const std::string& typed);

// The rule for a new login password, for the login dialog and ap-config's passwd alike: the
// two texts must match, the first word is what is stored (a text of blanks only has none),
// the text takes at most kPasswordChars characters, and none of them a control character.
enum class NewPasswordVerdict { kAccepted, kMismatch, kNoWord, kTooLong, kNotInCodePage };
// *word gets what is stored when the verdict is kAccepted.
NewPasswordVerdict CheckNewPassword(const std::string& typed, const std::string& confirm,
                                    std::string* word);
// The message the refusal is shown with.
const char* NewPasswordMessage(NewPasswordVerdict verdict);
// Whether the login password the image holds is one that rule could have stored: a restore
// must never leave a login that the dialog refuses, nor an empty password that logs in.
// *why says why not.
bool StoredPasswordAcceptable(const ConfigImage& image, std::string* why);
