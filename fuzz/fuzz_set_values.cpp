// set's value parser: FIELD=VALUE lines of any bytes. A refused call stores nothing (image
// and key table as they were); an accepted one leaves a configuration whose every settable
// field passes set's rules again, as a restore checks them.
#include "ConfigFields.h"
#include "DeviceModel.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<Assignment> assignments;
    bool clamp = !text.empty() && text[0] == '!';
    size_t start = clamp ? 1 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        size_t eq = line.find('=');
        assignments.push_back(
            {line.substr(0, eq), eq == std::string::npos ? std::string() : line.substr(eq + 1)});
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    ConfigImage image;
    auto factory = DeviceModel::FactoryValues();
    std::copy(factory.begin(), factory.end(), image.Bytes());
    ConfigImage before = image;
    WepKeyTable table{};
    for (int k = 0; k < WepKeyTable::kKeys; ++k)
        table.keys64[k][0] = table.keys128[k][0] = static_cast<BYTE>(k);
    WepKeyTable tableBefore = table;
    std::vector<std::string> refusals = ConfigFields::Apply(
        image, table, assignments, clamp ? NumberRule::kClamp : NumberRule::kRefuse);
    if (!refusals.empty()) {
        if (std::memcmp(image.Bytes(), before.Bytes(), kImageBufferSize) != 0 ||
            std::memcmp(&table, &tableBefore, sizeof(table)) != 0)
            __builtin_trap();
        return 0;
    }
    if (std::memcmp(image.Bytes() + kConfigBlockLength, before.Bytes() + kConfigBlockLength,
                    kImageBufferSize - kConfigBlockLength) != 0)
        __builtin_trap();
    ConfigImage again = image;
    if (!ConfigFields::CheckStored(again, NumberRule::kRefuse).empty())
        __builtin_trap();
    for (const FieldChange& c : ConfigFields::Changes(before, image, kComparePasswords))
        if (c.field == "password" || c.field == "altPassword")
            __builtin_trap();
    return 0;
}
