// Creates the effect directly (for tests that look inside) and gives the
// host's view of it through its record.
#pragma once

#include <cstdlib>
#include <memory>

#include "effect/Corvane.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TempFolder.h"

// Every instance reads the user's settings store when it is created: tests
// get an empty one of their own, so that what a user stored (a default
// bank, say) never changes what they see.
class IsolatedSettings {
public:
    IsolatedSettings() { setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1); }

private:
    TempFolder folder_{"corvane-settings"};
};
inline IsolatedSettings isolatedSettings;

inline std::unique_ptr<Corvane> makeCorvane(FakeHost& /*activeHost*/) {
    return std::make_unique<Corvane>(&FakeHost::callback);
}

inline VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}
