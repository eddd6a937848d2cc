// The library's only exports: VSTPluginMain, and the same function as `main`
// for hosts that look for the older name.
#include "plugin/AudioEffect.h"

#define VST_EXPORT extern "C" __attribute__((visibility("default")))

VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    try {
        // A host that does not answer the version query gets nothing.
        if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        AudioEffect* effect = createEffectInstance(audioMaster);
        return effect ? effect->getAeffect() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

VST_EXPORT AEffect* vstPluginMainAlias(audioMasterCallback audioMaster) __asm__("main");
AEffect* vstPluginMainAlias(audioMasterCallback audioMaster) {
    return VSTPluginMain(audioMaster);
}
