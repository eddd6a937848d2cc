// Chooses a plug-in's programs for `demo`. A plug-in may show the host a
// single program yet keep a bank inside its state chunk; for the chunk layout
// recognised here the program is chosen by rewriting the chunk's current
// program word. Otherwise effSetProgram over numPrograms does it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class PluginInstance;

// The recognised state chunk: 368 bytes starting with four native-order
// 32-bit words: format version, unique ID, program count, current program.
struct BankChunkLayout {
    static constexpr std::size_t kSize = 368;
    static constexpr std::uint32_t kFormatVersion = 0x01000000;
    static constexpr std::size_t kVersionOffset = 0;
    static constexpr std::size_t kUniqueIdOffset = 4;
    static constexpr std::size_t kCountOffset = 8;
    static constexpr std::size_t kCurrentOffset = 12;
    static constexpr std::uint32_t kMaxPrograms = 128;

    // The program count if `chunk` has this layout for `uniqueId`.
    static std::optional<int> programCount(const std::vector<std::uint8_t>& chunk, std::int32_t uniqueId);
    // A copy of `chunk` with its current program word set to `program`.
    static std::vector<std::uint8_t> withCurrentProgram(std::vector<std::uint8_t> chunk, int program);
};

struct DemoProgram {
    int index = 0;
    std::string name;
};

class ProgramSwitcher {
public:
    // Looks at the plug-in once to learn its programs and how to choose them.
    explicit ProgramSwitcher(PluginInstance& plugin);

    const std::vector<DemoProgram>& programs() const { return programs_; }
    bool usesChunk() const { return !chunk_.empty(); }
    // Makes `program` current on `plugin` (an instance of the same plug-in).
    void select(PluginInstance& plugin, int program) const;

private:
    std::vector<DemoProgram> programs_;
    std::vector<std::uint8_t> chunk_;  // our own copy; empty when not in the layout
};
