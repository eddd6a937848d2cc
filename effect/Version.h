// The plug-in's version, written once: CMake reads the three numbers from
// here, the effect reports them as its vendor version (1.7.1 is 1710) and the
// about screen prints them ("v.1.7.1").
#pragma once

#define CORVANE_VERSION_MAJOR 1
#define CORVANE_VERSION_MINOR 7
#define CORVANE_VERSION_PATCH 1

#define CORVANE_STRINGIFY_(x) #x
#define CORVANE_STRINGIFY(x) CORVANE_STRINGIFY_(x)

namespace version {
inline constexpr int kVendorVersion =
    CORVANE_VERSION_MAJOR * 1000 + CORVANE_VERSION_MINOR * 100 + CORVANE_VERSION_PATCH * 10;
inline constexpr const char* kText = "v." CORVANE_STRINGIFY(CORVANE_VERSION_MAJOR) "." CORVANE_STRINGIFY(
    CORVANE_VERSION_MINOR) "." CORVANE_STRINGIFY(CORVANE_VERSION_PATCH);
}  // namespace version
