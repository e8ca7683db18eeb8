#include "Resources.h"

#include "platform/DialogTemplate.h"
#include "platform/IconResource.h"

extern const DialogTemplate kDialog102, kDialog129, kDialog130, kDialog131, kDialog132, kDialog134,
    kDialog136, kDialog140;

void RegisterResources() {
    for (const DialogTemplate* t : {&kDialog102, &kDialog129, &kDialog130, &kDialog131, &kDialog132,
                                    &kDialog134, &kDialog136, &kDialog140})
        RegisterDialogTemplate(t);
    RegisterIconResource(IDR_MAINFRAME, [](int size) { return AppIconPixels(size); });
}
