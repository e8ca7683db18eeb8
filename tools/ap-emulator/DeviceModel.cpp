#include "DeviceModel.h"

#include "platform/DeviceProtocol.h"
#include "platform/HexText.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

constexpr size_t kMaxInput = 64 * 1024;

void PutText(DeviceModel::Config& c, size_t at, const char* text) {
    std::memcpy(c.data() + at, text, std::strlen(text));
}

void PutU32(DeviceModel::Config& c, size_t at, uint32_t v) {
    devproto::PutU32(c.data() + at, v);
}

} // namespace

// The offsets here are the emulator's own, written apart from the layout the programs use
// (src/device/ConfigLayout.h): tests that read these values through the programs check that
// layout against an independent one.
DeviceModel::Config DeviceModel::FactoryValues() {
    Config c{};
    const uint8_t mac[6] = {0x02, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}; // locally administered
    std::memcpy(c.data() + 8, mac, 6);
    const uint8_t ip[4] = {192, 168, 0, 1}, mask[4] = {255, 255, 255, 0},
                  gw[4] = {192, 168, 0, 254};
    std::memcpy(c.data() + 14, ip, 4);
    std::memcpy(c.data() + 18, mask, 4);
    c[28] = 6; // channel
    c[29] = 2; // preamble: long
    c[30] = 1; // rate mode: auto
    c[31] = 8; // ESSID length
    PutText(c, 32, "wireless");
    c[64] = 0x2A, c[65] = 0x09; // fragmentation threshold 2346
    c[66] = 0x2B, c[67] = 0x09; // RTS/CTS threshold 2347
    c[68] = 0;                  // open system
    c[69] = 1;                  // SSID broadcast on
    c[70] = 0;                  // WEP off
    c[71] = 1;                  // key 1 active
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 13; ++j)
            c[72 + 13 * k + j] = static_cast<uint8_t>(0x10 * (k + 1) + j);
    PutText(c, 124, "AccessPoint");
    c[156] = 0x82, c[157] = 0x84, c[158] = 0x8B, c[159] = 0x96;
    c[160] = 0x10;            // FCC
    c[162] = 100, c[163] = 0; // beacon period
    c[164] = 3, c[165] = 0;   // antenna diversity
    c[166] = 2;               // access point
    PutU32(c, 192, 5);
    PutText(c, 196, "admin");
    PutU32(c, 216, 8);
    PutText(c, 220, "recovery");
    std::memcpy(c.data() + 240, gw, 4);
    PutU32(c, 248, 2); // DHCP client off
    PutU32(c, 252, 1); // primary port ethernet
    c[276] = 2;        // roaming off
    return c;
}

DeviceModel::DeviceModel() : current(FactoryValues()), factory(FactoryValues()) {}

bool DeviceModel::Answer(uint32_t code, const std::vector<uint8_t>& input, uint32_t outputLength,
                         Reply* reply) {
    reply->data.clear();
    reply->status = 0;
    bool changed = false;
    if (code != devproto::kIoctlConfig) {
        reply->status = 1;
    } else if (input.size() == 1 && (input[0] == 1 || input[0] == 2) &&
               outputLength >= devproto::kReplySize) {
        ++reads;
        if (failReads > 0) {
            --failReads;
            reply->status = 31;
        } else {
            const Config& c = input[0] == 1 ? current : factory;
            reply->data.assign(devproto::kReplySize, 0);
            for (size_t i = 0; i < 4; ++i)
                reply->data[1 + i] = firmware[i];
            for (size_t r = 1; r < 128; ++r) {
                reply->data[8 * r] = static_cast<uint8_t>(r);
                std::memcpy(reply->data.data() + 8 * r + 1, c.data() + 7 * (r - 1), 7);
            }
            if (shortReply)
                reply->data.resize(512);
        }
    } else if (input.size() >= 2 && input.size() <= devproto::kMaxWriteContent + 1 &&
               input.back() == 1 && outputLength == 0) {
        ++writes;
        if (failWrites > 0) {
            --failWrites;
            reply->status = 31;
        } else {
            std::memcpy(current.data(), input.data(), input.size() - 1);
            changed = true;
        }
    } else {
        reply->status = 87;
    }
    if (reply->status != 0)
        ++failed;
    return changed;
}

namespace {

bool ParseCount(const std::string& word, int* value) {
    if (word.empty() || word.size() > 9 ||
        word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *value = std::stoi(word);
    return true;
}

bool ParseOnOff(const std::string& word, bool* value) {
    if (word == "on")
        *value = true;
    else if (word == "off")
        *value = false;
    else
        return false;
    return true;
}

bool ParseFirmware(const std::string& text, std::array<uint8_t, 4>* out) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4)
        return false;
    if (a > 255 || b > 255 || c > 255 || d > 255)
        return false;
    *out = {{static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c),
             static_cast<uint8_t>(d)}};
    return true;
}

} // namespace

std::string DeviceModel::Control(const std::string& line, bool* changed) {
    *changed = false;
    std::istringstream in(line);
    std::string cmd, arg1, arg2, extra;
    in >> cmd >> arg1 >> arg2 >> extra;
    if (!extra.empty())
        return "error too many arguments";
    bool flag = false;
    int count = 0;
    if (cmd == "fail-reads" && arg2.empty() && ParseCount(arg1, &count)) {
        failReads = count;
    } else if (cmd == "fail-writes" && arg2.empty() && ParseCount(arg1, &count)) {
        failWrites = count;
    } else if (cmd == "absent" && arg2.empty() && ParseOnOff(arg1, &flag)) {
        absent = flag;
    } else if (cmd == "delay-ms" && arg2.empty() && ParseCount(arg1, &count)) {
        delayMs = count;
    } else if (cmd == "short-reply" && arg2.empty() && ParseOnOff(arg1, &flag)) {
        shortReply = flag;
    } else if (cmd == "hang" && arg2.empty() && ParseOnOff(arg1, &flag)) {
        hang = flag;
    } else if (cmd == "stats" && arg1.empty()) {
        return "ok opens=" + std::to_string(opens) + " reads=" + std::to_string(reads) +
               " writes=" + std::to_string(writes) + " failed=" + std::to_string(failed) +
               " denied=" + std::to_string(denied);
    } else if (cmd == "reset-stats" && arg1.empty()) {
        opens = reads = writes = failed = denied = 0;
    } else if (cmd == "dump" && arg2.empty() && (arg1 == "current" || arg1 == "factory")) {
        const Config& c = arg1 == "current" ? current : factory;
        return "ok " + HexText::Of(c.data(), c.size());
    } else if (cmd == "load" && arg1 == "current") {
        std::vector<uint8_t> bytes;
        if (!HexText::Parse(arg2, &bytes) || bytes.size() != current.size())
            return "error load needs 889 bytes in hexadecimal";
        std::memcpy(current.data(), bytes.data(), bytes.size());
        *changed = true;
    } else if (cmd == "firmware" && arg2.empty() && ParseFirmware(arg1, &firmware)) {
        *changed = true;
    } else {
        return "error unknown command or bad argument";
    }
    return "ok";
}

std::string DeviceModel::Serialize() const {
    return "firmware " + std::to_string(firmware[0]) + "." + std::to_string(firmware[1]) + "." +
           std::to_string(firmware[2]) + "." + std::to_string(firmware[3]) + "\ncurrent " +
           HexText::Of(current.data(), current.size()) + "\nfactory " +
           HexText::Of(factory.data(), factory.size()) + "\n";
}

bool DeviceModel::Deserialize(const std::string& text) {
    std::istringstream in(text);
    std::string key, value;
    std::array<uint8_t, 4> fw{};
    Config cur{}, fac{};
    int seen = 0;
    while (in >> key >> value) {
        std::vector<uint8_t> bytes;
        if (key == "firmware" && ParseFirmware(value, &fw)) {
            seen |= 1;
        } else if ((key == "current" || key == "factory") && HexText::Parse(value, &bytes) &&
                   bytes.size() == cur.size()) {
            std::memcpy(key == "current" ? cur.data() : fac.data(), bytes.data(), bytes.size());
            seen |= key == "current" ? 2 : 4;
        } else {
            return false;
        }
    }
    if (seen != 7)
        return false;
    firmware = fw;
    current = cur;
    factory = fac;
    return true;
}

FrameResult ParseFrame(const uint8_t* data, size_t size, bool expectOpen, RequestFrame* frame) {
    if (size < 4)
        return FrameResult::kNeedMore;
    frame->magic = devproto::GetU32(data);
    if (expectOpen) {
        if (frame->magic != devproto::kMagicOpen)
            return FrameResult::kMalformed;
        if (size < 16)
            return FrameResult::kNeedMore;
        frame->input.assign(data + 4, data + 16);
        frame->consumed = 16;
        return FrameResult::kComplete;
    }
    if (frame->magic == devproto::kMagicClose) {
        frame->consumed = 4;
        return FrameResult::kComplete;
    }
    if (frame->magic != devproto::kMagicRequest)
        return FrameResult::kMalformed;
    if (size < 16)
        return FrameResult::kNeedMore;
    frame->code = devproto::GetU32(data + 4);
    uint32_t inputLength = devproto::GetU32(data + 8);
    frame->outputLength = devproto::GetU32(data + 12);
    if (inputLength > kMaxInput)
        return FrameResult::kMalformed;
    if (size < 16 + static_cast<size_t>(inputLength))
        return FrameResult::kNeedMore;
    frame->input.assign(data + 16, data + 16 + inputLength);
    frame->consumed = 16 + inputLength;
    return FrameResult::kComplete;
}
