#pragma once

#include "platform/Win32Types.h"

#include <array>
#include <cstddef>
#include <string>

constexpr size_t kImageBufferSize = 16385;
constexpr UINT kConfigBlockLength = 348; // what a write sends
constexpr UINT kImageReadLength = 889;   // what a read fills

// The access point's configuration block, byte for byte as the device keeps it, with one
// accessor per field. Texts never spill past their fields; numbers are little-endian.
class ConfigImage {
public:
    BYTE* Bytes() { return m_bytes.data(); }
    const BYTE* Bytes() const { return m_bytes.data(); }

    std::array<BYTE, 6> MacAddress() const { return Array<6>(8); }
    std::array<BYTE, 4> IpAddress() const { return Array<4>(14); }
    void SetIpAddress(const std::array<BYTE, 4>& a) { SetArray(14, a); }
    std::array<BYTE, 4> SubnetMask() const { return Array<4>(18); }
    void SetSubnetMask(const std::array<BYTE, 4>& a) { SetArray(18, a); }
    BYTE Channel() const { return m_bytes[28]; }
    void SetChannel(BYTE v) { m_bytes[28] = v; }
    BYTE PreambleType() const { return m_bytes[29]; }
    void SetPreambleType(BYTE v) { m_bytes[29] = v; }
    BYTE RateMode() const { return m_bytes[30]; }
    void SetRateMode(BYTE v) { m_bytes[30] = v; }
    BYTE EssidLength() const { return m_bytes[31]; }
    void SetEssidLength(BYTE v) { m_bytes[31] = v; }
    // The ESSID: its first min(essidLength, 32) bytes, ending early at a zero byte.
    std::string Essid() const;
    // Stores up to 32 bytes of text and keeps essidLength in step.
    void SetEssid(const std::string& text);
    // Zero byte just after a short ESSID, as the page does when it loads.
    void TerminateEssid();
    WORD FragmentThreshold() const { return U16(64); }
    void SetFragmentThreshold(WORD v) { SetU16(64, v); }
    WORD RtsThreshold() const { return U16(66); }
    void SetRtsThreshold(WORD v) { SetU16(66, v); }
    BYTE AuthType() const { return m_bytes[68]; }
    void SetAuthType(BYTE v) { m_bytes[68] = v; }
    BYTE SsidBroadcast() const { return m_bytes[69]; }
    void SetSsidBroadcast(BYTE v) { m_bytes[69] = v; }
    BYTE WepType() const { return m_bytes[70]; }
    void SetWepType(BYTE v) { m_bytes[70] = v; }
    BYTE ActiveKeyId() const { return m_bytes[71]; }
    void SetActiveKeyId(BYTE v) { m_bytes[71] = v; }
    static constexpr int kKeySlots = 4;
    static constexpr int kKeySlotSize = 13;
    // Byte j (0..12) of key slot k (0..3) of wepKeys.
    BYTE WepKeyByte(int slot, int index) const { return m_bytes[KeyOffset(slot, index)]; }
    void SetWepKeyByte(int slot, int index, BYTE v) { m_bytes[KeyOffset(slot, index)] = v; }
    std::string ApName() const { return Text(124, 32); }
    void SetApName(const std::string& text) { SetText(124, 32, text); }
    std::array<BYTE, 4> OperationalRates() const { return Array<4>(156); }
    void SetOperationalRates(const std::array<BYTE, 4>& a) { SetArray(156, a); }
    BYTE RegulationDomain() const { return m_bytes[160]; }
    WORD BeaconPeriod() const { return U16(162); }
    void SetBeaconPeriod(WORD v) { SetU16(162, v); }
    WORD AntennaSelect() const { return U16(164); }
    void SetAntennaSelect(WORD v) { SetU16(164, v); }
    BYTE OperationalMode() const { return m_bytes[166]; }
    void SetOperationalMode(BYTE v) { m_bytes[166] = v; }
    DWORD PasswordLength() const { return U32(192); }
    // The login password as the login compares it: its first passwordLength bytes (at most
    // the 20-byte field), ending early at a zero byte.
    std::string Password() const { return Text(196, 20, PasswordLength()); }
    // The password text up to its zero byte, at most 19 characters (what "Default" keeps).
    std::string PasswordText() const { return Text(196, 19); }
    // Stores text (at most 19 bytes) with its terminator, and its length.
    void SetPassword(const std::string& text);
    DWORD AltPasswordLength() const { return U32(216); }
    std::string AltPassword() const { return Text(220, 20, AltPasswordLength()); }
    std::array<BYTE, 4> Gateway() const { return Array<4>(240); }
    void SetGateway(const std::array<BYTE, 4>& a) { SetArray(240, a); }
    DWORD DhcpClient() const { return U32(248); }
    void SetDhcpClient(DWORD v) { SetU32(248, v); }
    DWORD PrimaryPort() const { return U32(252); }
    void SetPrimaryPort(DWORD v) { SetU32(252, v); }
    std::array<BYTE, 6> PreferredBssid() const { return Array<6>(266); }
    void SetPreferredBssidByte(int index, BYTE v) { m_bytes[266 + Clamp(index, 6)] = v; }
    BYTE InternationalRoaming() const { return m_bytes[276]; }
    void SetInternationalRoaming(BYTE v) { m_bytes[276] = v; }

private:
    static size_t Clamp(int i, int n) {
        return static_cast<size_t>(i < 0 ? 0 : i >= n ? n - 1 : i);
    }
    static size_t KeyOffset(int slot, int index) {
        return 72 + kKeySlotSize * Clamp(slot, kKeySlots) + Clamp(index, kKeySlotSize);
    }
    WORD U16(size_t at) const;
    void SetU16(size_t at, WORD v);
    DWORD U32(size_t at) const;
    void SetU32(size_t at, DWORD v);
    std::string Text(size_t at, size_t width, size_t limit = SIZE_MAX) const;
    void SetText(size_t at, size_t width, const std::string& text);
    template <size_t N> std::array<BYTE, N> Array(size_t at) const {
        std::array<BYTE, N> a{};
        for (size_t i = 0; i < N; ++i)
            a[i] = m_bytes[at + i];
        return a;
    }
    template <size_t N> void SetArray(size_t at, const std::array<BYTE, N>& a) {
        for (size_t i = 0; i < N; ++i)
            m_bytes[at + i] = a[i];
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
