#include "ProgramSwitcher.h"

#include <algorithm>
#include <cstring>

#include "HostError.h"
#include "PluginInstance.h"
#include "Text.h"

namespace {
std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t word;
    std::memcpy(&word, bytes.data() + offset, sizeof word);
    return word;
}
}  // namespace

std::optional<int> BankChunkLayout::programCount(const std::vector<std::uint8_t>& chunk,
                                                 std::int32_t uniqueId) {
    if (chunk.size() != kSize) return std::nullopt;
    if (wordAt(chunk, kVersionOffset) != kFormatVersion) return std::nullopt;
    if (wordAt(chunk, kUniqueIdOffset) != static_cast<std::uint32_t>(uniqueId)) return std::nullopt;
    const std::uint32_t count = wordAt(chunk, kCountOffset);
    if (count == 0 || count > kMaxPrograms) return std::nullopt;
    return static_cast<int>(count);
}

std::vector<std::uint8_t> BankChunkLayout::withCurrentProgram(std::vector<std::uint8_t> chunk, int program) {
    const auto word = static_cast<std::uint32_t>(program);
    std::memcpy(chunk.data() + kCurrentOffset, &word, sizeof word);
    return chunk;
}

ProgramSwitcher::ProgramSwitcher(PluginInstance& plugin) {
    std::optional<int> count;
    if (plugin.hasFlag(effFlagsProgramChunks)) {
        std::vector<std::uint8_t> chunk = plugin.chunk();
        count = BankChunkLayout::programCount(chunk, plugin.effect().uniqueID);
        if (count) chunk_ = std::move(chunk);
    }
    if (!count) count = std::max(1, plugin.effect().numPrograms);

    for (int p = 0; p < *count; ++p) {
        char buffer[512] = {};
        plugin.dispatch(effGetProgramNameIndexed, p, -1, buffer);
        buffer[sizeof buffer - 1] = '\0';
        std::string name = text::shown(buffer);
        if (name.empty() && !usesChunk()) {
            // Older plug-ins name only the current program.
            select(plugin, p);
            name = text::shown(plugin.askString(effGetProgramName));
        }
        programs_.push_back({p, name.empty() ? "Program " + std::to_string(p + 1) : name});
    }
}

void ProgramSwitcher::select(PluginInstance& plugin, int program) const {
    if (usesChunk())
        plugin.setChunk(BankChunkLayout::withCurrentProgram(chunk_, program));
    else if (plugin.effect().numPrograms > 0)
        plugin.dispatch(effSetProgram, 0, program);
}
