#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The emulated access point: its two configurations, firmware version, fault switches and
// counters, and the answers it gives. No I/O here; the server feeds it frames.
class DeviceModel {
public:
    using Config = std::array<uint8_t, 889>;

    DeviceModel();

    struct Reply {
        uint32_t status = 0;
        std::vector<uint8_t> data;
    };

    // Answers one device control request. Returns whether the configuration changed
    // (the caller makes it durable before it sends the reply).
    bool Answer(uint32_t code, const std::vector<uint8_t>& input, uint32_t outputLength,
                Reply* reply);
    // Runs one control-socket command line; returns the answer line (without newline).
    // Sets *changed when the stored state changed.
    std::string Control(const std::string& line, bool* changed);

    // The state file's text form and its parser (false on anything malformed).
    std::string Serialize() const;
    bool Deserialize(const std::string& text);

    static Config FactoryValues();

    Config current{};
    Config factory{};
    std::array<uint8_t, 4> firmware{{1, 0, 2, 0}};

    int failReads = 0;
    int failWrites = 0;
    bool absent = false;
    int delayMs = 0;
    bool shortReply = false;
    bool hang = false;

    uint64_t opens = 0, reads = 0, writes = 0, failed = 0;
    uint64_t denied = 0; // TCP connections refused for their token
};

// Parsing of the request stream: a frame is either complete, needs more bytes, or is
// malformed (the stream cannot be resynchronised after it).
struct RequestFrame {
    uint32_t magic = 0;
    uint32_t code = 0;
    uint32_t outputLength = 0;
    std::vector<uint8_t> input;
    size_t consumed = 0;
};
enum class FrameResult { kNeedMore, kComplete, kMalformed };
// expectOpen: the connection has not opened yet and only an OPEN frame may come.
FrameResult ParseFrame(const uint8_t* data, size_t size, bool expectOpen, RequestFrame* frame);
