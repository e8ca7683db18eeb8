#include "ConfigImage.h"

#include <algorithm>
#include <cstring>

ConfigImage* g_pConfigImage = nullptr;

std::string ConfigImage::Text(FieldPlace at, size_t limit) const {
    size_t n = std::min<size_t>(at.width, limit);
    const BYTE* begin = m_bytes.data() + at.offset;
    const BYTE* end = std::find(begin, begin + n, 0);
    return std::string(begin, end);
}

void ConfigImage::SetText(FieldPlace at, const std::string& text) {
    size_t n = std::min<size_t>(at.width, text.size());
    std::memcpy(m_bytes.data() + at.offset, text.data(), n);
    if (n < at.width)
        m_bytes[at.offset + n] = 0;
}

std::string ConfigImage::Essid() const {
    return Text(layout::kEssid, EssidLength());
}

void ConfigImage::SetEssid(const std::string& text) {
    size_t n = std::min<size_t>(text.size(), layout::kEssid.width);
    SetEssidLength(static_cast<BYTE>(n));
    SetText(layout::kEssid, text.substr(0, n));
}

void ConfigImage::TerminateEssid() {
    if (EssidLength() < layout::kEssid.width)
        m_bytes[layout::kEssid.offset + EssidLength()] = 0;
}

void ConfigImage::SetPassword(const std::string& text) {
    std::string t = text.substr(0, layout::kPassword.width - 1);
    SetText(layout::kPassword, t);
    SetNumber(layout::kPasswordLength, static_cast<DWORD>(t.size()));
}

namespace {
const BYTE kFullRates[4] = {0x82, 0x84, 0x8B, 0x96};
}

int RateSelectionOf(const ConfigImage& image) {
    if (image.RateMode() == 1)
        return kRateAuto;
    auto rates = image.OperationalRates();
    for (int i = 3; i >= 0; --i)
        if (rates[static_cast<size_t>(i)] == kFullRates[i])
            return i;
    return -1;
}

void StoreRateSelection(ConfigImage& image, int selection) {
    if (selection < 0 || selection >= kRateCount)
        return;
    int upTo = selection == kRateAuto ? 3 : selection;
    std::array<BYTE, 4> rates{};
    for (int i = 0; i <= upTo; ++i)
        rates[static_cast<size_t>(i)] = kFullRates[i];
    image.SetRateMode(selection == kRateAuto ? 1 : 2);
    image.SetOperationalRates(rates);
}

bool ChannelRangeFor(BYTE regulationDomain, int* first, int* last) {
    switch (regulationDomain) {
    case 0x10:
    case 0x20:
        *first = 1, *last = 11;
        return true;
    case 0x30:
        *first = 1, *last = 13;
        return true;
    case 0x31:
        *first = 10, *last = 11;
        return true;
    case 0x32:
        *first = 10, *last = 13;
        return true;
    case 0x40:
        *first = 14, *last = 14;
        return true;
    case 0x41:
        *first = 1, *last = 14;
        return true;
    default:
        return false;
    }
}

bool ChannelAllowed(BYTE regulationDomain, long channel) {
    int first = 0, last = 0;
    return ChannelRangeFor(regulationDomain, &first, &last) && channel >= first && channel <= last;
}

bool LoginAccepts(const ConfigImage& image, const std::string& typed) {
    return typed.size() <= kPasswordChars &&
           (typed == image.Password() || typed == image.AltPassword());
}

std::string PasswordWord(const std::string& typed) {
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
    };
    size_t begin = 0;
    while (begin < typed.size() && blank(typed[begin]))
        ++begin;
    size_t end = begin;
    while (end < typed.size() && !blank(typed[end]))
        ++end;
    return typed.substr(begin, end - begin);
}

namespace {

bool ControlByte(unsigned char c) {
    // C0 controls, DEL, and the bytes the code page leaves undefined (they stand for C1
    // controls): none of them can be typed into a password edit.
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

} // namespace

NewPasswordVerdict CheckNewPassword(const std::string& typed, const std::string& confirm,
                                    std::string* word) {
    if (typed != confirm)
        return NewPasswordVerdict::kMismatch;
    *word = PasswordWord(typed);
    if (word->empty())
        return NewPasswordVerdict::kNoWord;
    if (typed.size() > kPasswordChars)
        return NewPasswordVerdict::kTooLong;
    for (char c : typed)
        if (ControlByte(static_cast<unsigned char>(c)) && c != ' ' && c != '\t')
            return NewPasswordVerdict::kNotInCodePage;
    return NewPasswordVerdict::kAccepted;
}

const char* NewPasswordMessage(NewPasswordVerdict verdict) {
    switch (verdict) {
    case NewPasswordVerdict::kMismatch:
        return "The new and confirmed passwords do not match. Please type them again.";
    case NewPasswordVerdict::kNoWord:
        return "Can not use null password. Please type them again.";
    case NewPasswordVerdict::kTooLong:
        return "The new password is longer than 16 characters. Please type them again.";
    case NewPasswordVerdict::kNotInCodePage:
        return "The new password holds a control character. Please type them again.";
    case NewPasswordVerdict::kAccepted:
        break;
    }
    return "";
}

bool StoredPasswordAcceptable(const ConfigImage& image, std::string* why) {
    std::string text = image.Password(), word;
    if (image.PasswordLength() != text.size())
        *why = "its length " + std::to_string(image.PasswordLength()) +
               " is not the length of its text";
    else if (CheckNewPassword(text, text, &word) != NewPasswordVerdict::kAccepted || word != text)
        *why = "it is not one the login takes (empty, blank, longer than 16 characters or with a "
               "control character)";
    else
        return true;
    return false;
}
