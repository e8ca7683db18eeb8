// Backup files and the checks of a restore. Any text is read without harm and refused with
// a reason, or accepted as a block whose digest matches. The input is also taken as a
// configuration block of its own (what a hand-edited backup with its digest recomputed
// holds): written as a backup and read back it is the same block, and a restore of it over
// a unit keeps the unit's own fields and writes only values that set would take: set of
// the shown values of what it accepts stores the same bytes.
#include "BackupFile.h"
#include "ConfigFields.h"
#include "DeviceModel.h"
#include "device/KeyStoreFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

ConfigImage Unit() {
    ConfigImage unit;
    auto factory = DeviceModel::FactoryValues();
    std::copy(factory.begin(), factory.end(), unit.Bytes());
    return unit;
}

void CheckRestore(const BackupFile& backup, const ConfigImage& unit) {
    for (bool withPassword : {false, true}) {
        for (NumberRule numbers : {NumberRule::kRefuse, NumberRule::kClamp}) {
            ConfigImage restored = backup.RestoredOver(unit, withPassword);
            std::vector<std::string> refusals = ConfigFields::CheckStored(restored, numbers);
            for (const ConfigField& f : ConfigFieldTable()) {
                bool own = ConfigFields::KeptByRestore(f) &&
                           !(withPassword && std::string(ReportedName(f)) == "password");
                const BYTE* expected = own ? unit.Bytes() : backup.block.data();
                bool clamped = numbers == NumberRule::kClamp && f.kind == FieldKind::kNumber &&
                               f.Is(kFieldSettable);
                if (!clamped &&
                    std::memcmp(restored.Bytes() + f.offset, expected + f.offset, f.width) != 0)
                    __builtin_trap();
            }
            if (!refusals.empty())
                continue;
            // What passed passes again, unchanged: a second check corrects nothing.
            ConfigImage again = restored;
            if (!ConfigFields::CheckStored(again, numbers).empty() ||
                std::memcmp(again.Bytes(), restored.Bytes(), kConfigBlockLength) != 0)
                __builtin_trap();
            if (!ChannelAllowed(restored.RegulationDomain(), restored.Channel()))
                __builtin_trap();
            ConfigFields::Changes(unit, restored,
                                  withPassword ? kComparePasswords : kCompareSettable);
            // What restore accepts is what set of its shown values stores, byte for byte.
            std::vector<Assignment> shown;
            for (const ConfigField& f : ConfigFieldTable())
                if (f.Is(kFieldSettable) && f.kind != FieldKind::kKeySlot)
                    shown.push_back({f.name, ConfigFields::Text(restored, f.name, "")});
            ConfigImage set = restored;
            WepKeyTable table;
            KeyTableFromImage(restored, table);
            if (!ConfigFields::Apply(set, table, shown, NumberRule::kRefuse).empty() ||
                std::memcmp(set.Bytes(), restored.Bytes(), kConfigBlockLength) != 0)
                __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ConfigImage unit = Unit();
    std::string text(reinterpret_cast<const char*>(data), size);
    BackupFile read;
    std::string why;
    if (read.Parse(text, &why))
        CheckRestore(read, unit);
    else if (why.empty())
        __builtin_trap();

    ConfigImage image = unit;
    std::copy(data, data + std::min<size_t>(size, kImageReadLength), image.Bytes());
    for (bool withPasswords : {false, true}) {
        BackupFile written = BackupFile::FromImage(image, "1.0.2.0", withPasswords);
        BackupFile back;
        if (!back.Parse(written.ToJson(), &why) || back.block != written.block ||
            back.passwords != written.passwords || (!withPasswords && back.passwords))
            __builtin_trap();
        CheckRestore(back, unit);
    }
    return 0;
}
