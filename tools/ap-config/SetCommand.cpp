// ap-config set: every value checked with the pages' rules, then one verified write.
#include "ApConfig.h"

#include "Console.h"
#include "device/WepKeyTable.h"

int ApConfig::Set() {
    bool keys = ConfigFields::TouchesKeys(m_assignments);
    if (keys)
        LoadKeyTable();
    ConfigImage changed = m_image;
    std::vector<std::string> refusals =
        ConfigFields::Apply(changed, g_wepKeyTable, m_assignments, m_clamp);
    if (!refusals.empty()) {
        for (const std::string& r : refusals)
            Fail(kExitRefused, r);
        Console::Err("ap-config: nothing was written\n");
        return kExitRefused;
    }
    if (m_dryRun)
        return DryRun(m_image, changed);
    g_pConfigImage = &changed;
    int code = WriteAndVerify(changed);
    if (keys && m_written)
        SyncKeyFileAfterWrite(false);
    return code;
}
