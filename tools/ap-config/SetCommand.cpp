// ap-config set: every value checked with the pages' rules, then one verified write.
#include "ApConfig.h"

#include "device/WepKeyTable.h"

int ApConfig::Set() {
    bool keys = ConfigFields::TouchesKeys(m_assignments);
    if (keys)
        LoadKeyTable();
    ConfigImage changed = m_image;
    std::vector<std::string> refusals =
        ConfigFields::Apply(changed, g_wepKeyTable, m_assignments, m_clamp);
    for (const std::string& r : refusals)
        Fail(kExitRefused, r);
    if (!refusals.empty())
        return Fail(kExitRefused, "nothing was written");
    return WriteChanges(changed, keys, false);
}
