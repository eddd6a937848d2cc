// The per-user settings store: one file per value in
//   $XDG_CONFIG_HOME/Arlocraft/ArloCorvane/   (else ~/.config/Arlocraft/ArloCorvane/)
// shared by every instance of the plug-in the user runs, in any process.
// Records are stored as their raw bytes, texts as their UTF-8 bytes without
// terminator, so a user can back up or delete one value by hand. A value is
// replaced by writing a new file and renaming it over the old one: a reader
// sees the old value or the new one, never a mix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace settingsstore {

inline constexpr const char* kDefaultBank = "DefaultBank";
inline constexpr const char* kDefaultPreset = "DefaultPreset";
inline constexpr const char* kMemoA = "MemoA";
inline constexpr const char* kMemoB = "MemoB";
inline constexpr const char* kCurrentFolder = "CurrDir";
inline constexpr const char* kCurrentBank = "CurrBank";
inline constexpr const char* kCurrentPreset = "CurrPreset";

// The folder of the values with its trailing "/", looked up anew each time;
// empty when the user has no home folder.
std::string folder();

// Reads a value of exactly `size` bytes into `record`. A value that is
// missing, shorter, longer or not a plain file counts as not stored (false);
// `record` may then hold any part of it.
bool readRecord(const char* name, std::uint8_t* record, std::size_t size);

// A text value; none when missing, not a plain file, holding a zero byte, or
// longer than a path can be.
std::optional<std::string> readText(const char* name);

// Store a value, creating the folders (private to the user) when needed.
// Answer 0 or the errno of the step that failed; the old value then stays.
int writeValue(const char* name, const void* data, std::size_t size);
int writeText(const char* name, const std::string& text);

// Deletes the value; creates nothing when there is nothing to delete.
void removeValue(const char* name);

}  // namespace settingsstore
