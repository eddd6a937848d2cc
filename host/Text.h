// Small text helpers shared by the commands: how plug-in strings are shown,
// matched and turned into file names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// Strips blanks (spaces, tabs, newlines) at both ends.
std::string trim(std::string_view s);

// Plug-in names may carry deliberate padding (" Output "); the host shows and
// matches them trimmed, with control characters made visible as '?'.
std::string shown(std::string_view s);

bool equalsIgnoreCase(std::string_view a, std::string_view b);

// "Low & Dark" -> "Low-Dark": letters and digits kept, every other run
// becomes one '-', none at the ends. An empty result becomes `fallback`.
std::string fileNamePart(std::string_view s, std::string_view fallback = "program");

// 'ArCv' for printable IDs; otherwise the hex number alone.
std::string fourChars(std::int32_t id);

// "1 frame", "3 frames": `n` and `noun`, with an s but for one.
std::string counted(std::uint64_t n, std::string_view noun);

// Whole-string numbers: "0.5" yes, "0.5x", "", "nan" no.
std::optional<double> parseNumber(std::string_view s);
std::optional<long> parseInteger(std::string_view s);

}  // namespace text
