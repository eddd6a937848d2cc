#include "presets/PresetLibrary.h"

#include <cstring>
#include <utility>

#include "presets/CPresetSystemEffect.h"
#include "presets/PresetRecord.h"
#include "presets/SafeFile.h"
#include "presets/SettingsStore.h"

namespace {

// A new preset or bank file gets the usual permissions, less the umask.
constexpr mode_t kNewFileMode = 0666;

using RecordKind = PresetLibrary::RecordKind;

std::size_t recordSize(RecordKind kind) {
    return kind == RecordKind::preset ? presetrecord::kPresetSize : presetrecord::kBankSize;
}

const char* memoName(MemoSlot slot) { return slot == MemoSlot::A ? settingsstore::kMemoA : settingsstore::kMemoB; }

}  // namespace

PresetLibrary::PresetLibrary(CPresetSystemEffect& effect) : effect_(effect) {}

void PresetLibrary::exportPreset(std::uint8_t* record) const {
    if (const ProgramRecord* programs = effect_.getPrograms())
        presetrecord::writePreset(record, effect_.getUniqueID(), programs[effect_.getCurrentProgram()]);
}

void PresetLibrary::exportBank(std::uint8_t* record) const {
    if (const ProgramRecord* programs = effect_.getPrograms())
        presetrecord::writeBank(record, effect_.getUniqueID(), programs);
}

bool PresetLibrary::importPreset(const std::uint8_t* record, std::size_t size, bool reversed) {
    ProgramRecord* programs = effect_.getPrograms();
    ProgramRecord decoded;
    if (!programs || !presetrecord::readPreset(record, size, effect_.getUniqueID(), reversed, decoded)) return false;
    const VstInt32 current = effect_.getCurrentProgram();
    programs[current].copyFrom(decoded);
    char name[ProgramRecord::kNameLength + 1];
    decoded.copyName(name);
    renameProgram(name);
    // Applies the values; Output, Mix and Bypass reach all six programs.
    effect_.selectProgram(current);
    return true;
}

bool PresetLibrary::importBank(const std::uint8_t* record, std::size_t size, bool reversed) {
    ProgramRecord* programs = effect_.getPrograms();
    ProgramRecord decoded[presetrecord::kBankPrograms];
    if (!programs || !presetrecord::readBank(record, size, effect_.getUniqueID(), reversed, decoded)) return false;
    for (int p = 0; p < presetrecord::kBankPrograms; ++p) programs[p].copyFrom(decoded[p]);
    // The first program's Output, Mix and Bypass reach all six.
    effect_.selectProgram(0);
    if (PresetEditorHooks* editor = effect_.presetEditor()) editor->showBank();
    return true;
}

void PresetLibrary::renameProgram(const char* name) {
    char shown[ProgramRecord::kNameLength + 1] = {};
    if (name) std::memcpy(shown, name, strnlen(name, ProgramRecord::kNameLength));
    if (PresetEditorHooks* editor = effect_.presetEditor()) editor->showProgramName(shown);
    effect_.renameCurrentProgram(shown);
}

void PresetLibrary::exportRecord(RecordKind kind, std::uint8_t* record) const {
    if (kind == RecordKind::preset) exportPreset(record);
    else exportBank(record);
}

bool PresetLibrary::importRecord(RecordKind kind, const std::uint8_t* record, std::size_t size, bool reversed) {
    return kind == RecordKind::preset ? importPreset(record, size, reversed) : importBank(record, size, reversed);
}

FileOutcome PresetLibrary::loadFile(RecordKind kind, const std::string& path, bool reversed) {
    std::uint8_t record[presetrecord::kBankSize] = {};
    const safefile::ReadResult read = safefile::readRegularFile(path, record, recordSize(kind));
    if (!read.opened) return {FileOutcome::Status::unreadable, read.error};
    if (!importRecord(kind, record, read.size, reversed)) return {FileOutcome::Status::rejected, 0};
    remember(kind, path);
    return {};
}

FileOutcome PresetLibrary::saveFile(RecordKind kind, const std::string& path) {
    std::uint8_t record[presetrecord::kBankSize] = {};
    exportRecord(kind, record);
    if (int error = safefile::replaceFile(path, record, recordSize(kind), kNewFileMode))
        return {FileOutcome::Status::unwritable, error};
    remember(kind, path);
    return {};
}

// Written after each file the user loads or saves, so that new instances
// open where the user last was, in whichever instance; and only when the
// stored text differs. Nothing else writes them: a host scanning its
// plug-ins creates no store.
void PresetLibrary::remember(RecordKind kind, const std::string& path) {
    const auto keep = [](const char* valueName, std::string& kept, std::string text) {
        kept = std::move(text);
        if (settingsstore::readText(valueName) != kept) settingsstore::writeText(valueName, kept);
    };
    safefile::SplitPath split = safefile::splitPath(path);
    keep(settingsstore::kCurrentFolder, currentFolder_, std::move(split.folder));
    if (kind == RecordKind::preset)
        keep(settingsstore::kCurrentPreset, lastPresetName_, std::move(split.name));
    else
        keep(settingsstore::kCurrentBank, lastBankName_, std::move(split.name));
}

FileOutcome PresetLibrary::store(RecordKind kind, const char* valueName) {
    std::uint8_t record[presetrecord::kBankSize] = {};
    exportRecord(kind, record);
    if (int error = settingsstore::writeValue(valueName, record, recordSize(kind)))
        return {FileOutcome::Status::unwritable, error};
    return {};
}

// A value of the wrong size counts as not stored, so a truncated one cannot
// load as silence.
bool PresetLibrary::recall(RecordKind kind, const char* valueName) {
    std::uint8_t record[presetrecord::kBankSize] = {};
    return settingsstore::readRecord(valueName, record, recordSize(kind)) &&
           importRecord(kind, record, recordSize(kind), false);
}

FileOutcome PresetLibrary::storeDefaultBank() { return store(RecordKind::bank, settingsstore::kDefaultBank); }
void PresetLibrary::clearDefaultBank() { settingsstore::removeValue(settingsstore::kDefaultBank); }
bool PresetLibrary::loadDefaultBank() { return recall(RecordKind::bank, settingsstore::kDefaultBank); }
FileOutcome PresetLibrary::storeDefaultPreset() { return store(RecordKind::preset, settingsstore::kDefaultPreset); }
void PresetLibrary::clearDefaultPreset() { settingsstore::removeValue(settingsstore::kDefaultPreset); }
bool PresetLibrary::loadDefaultPreset() { return recall(RecordKind::preset, settingsstore::kDefaultPreset); }
FileOutcome PresetLibrary::storeMemo(MemoSlot slot) { return store(RecordKind::preset, memoName(slot)); }
bool PresetLibrary::recallMemo(MemoSlot slot) { return recall(RecordKind::preset, memoName(slot)); }

void PresetLibrary::loadFileLocations() {
    currentFolder_ = settingsstore::readText(settingsstore::kCurrentFolder).value_or(std::string());
    lastBankName_ = settingsstore::readText(settingsstore::kCurrentBank).value_or(std::string());
    lastPresetName_ = settingsstore::readText(settingsstore::kCurrentPreset).value_or(std::string());
}

void PresetLibrary::loadStoredSettings() {
    loadDefaultBank();
    loadDefaultPreset();
    loadFileLocations();
}
