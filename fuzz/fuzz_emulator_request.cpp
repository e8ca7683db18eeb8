// The emulator's request stream and control lines: any bytes parse without overrunning,
// and a refused request never changes the stored configuration.
#include "DeviceModel.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DeviceModel model;
    size_t at = 0;
    bool expectOpen = size > 0 && (data[0] & 1);
    while (at < size) {
        RequestFrame frame;
        FrameResult r = ParseFrame(data + at, size - at, expectOpen, &frame);
        if (r != FrameResult::kComplete)
            break;
        if (frame.consumed == 0 || frame.consumed > size - at)
            __builtin_trap();
        at += frame.consumed;
        if (expectOpen) {
            expectOpen = false;
            continue;
        }
        DeviceModel::Config before = model.current;
        DeviceModel::Reply reply;
        bool changed = model.Answer(frame.code, frame.input, frame.outputLength, &reply);
        if (reply.status != 0 && (changed || model.current != before))
            __builtin_trap();
        if (reply.data.size() > frame.outputLength)
            __builtin_trap();
    }
    std::string line(reinterpret_cast<const char*>(data), size);
    bool changed = false;
    std::string answer = model.Control(line.substr(0, line.find('\n')), &changed);
    if (answer.compare(0, 2, "ok") != 0 && answer.compare(0, 5, "error") != 0)
        __builtin_trap();
    return 0;
}
