// ap-config reset: the factory settings written as "Default" then "Apply" write them: the
// login password kept, the key table back to its default keys.
#include "ApConfig.h"

#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "device/KeyStoreFile.h"
#include "device/WepKeyTable.h"

int ApConfig::Reset() {
    ConfigImage factory;
    if (ReadConfigurationBlock(factory.Bytes(), kSelectFactory) != TransferOutcome::kOk)
        return Fail(kExitDevice, "the factory settings of " + m_device +
                                     " could not be read; nothing was written");
    ConfigImage changed = m_image;
    TakeFactorySettings(changed, factory, g_wepKeyTable);
    return WriteChanges(changed, true, false);
}
