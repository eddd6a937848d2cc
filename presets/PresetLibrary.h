// What the user keeps of the programs: the current program as a preset
// record, the six as a bank record, both in files and in the per-user
// settings store (default bank, default preset, memos A and B), and the
// folder and file names the file dialogs last used. It acts on the effect's
// programs and tells an existing editor through the effect's hooks; the
// editor's preset commands and the effect's construction call it.
//
// Every record is checked whole before anything changes: a rejected record,
// file or stored value leaves the programs, the sound and the remembered
// locations as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CPresetSystemEffect;

enum class MemoSlot { A, B };

// How a load or save by file went; `error` is the errno when the file could
// not be read or written.
struct FileOutcome {
    enum class Status { done, unreadable, rejected, unwritable };
    Status status = Status::done;
    int error = 0;
    bool ok() const { return status == Status::done; }
};

class PresetLibrary {
public:
    enum class RecordKind { preset, bank };

    explicit PresetLibrary(CPresetSystemEffect& effect);

    // Records: the preset record of the current program, the bank record of
    // all six (kPresetSize / kBankSize bytes, see PresetRecord.h).
    void exportPreset(std::uint8_t* record) const;
    void exportBank(std::uint8_t* record) const;
    // Into the current program, which is then applied; false when rejected.
    bool importPreset(const std::uint8_t* record, std::size_t size, bool reversed);
    // Into all six programs, the first of which becomes current; false when rejected.
    bool importBank(const std::uint8_t* record, std::size_t size, bool reversed);
    // Shows the name (at most 24 characters are taken) in an open editor and
    // gives it to the current program.
    void renameProgram(const char* name);

    // Files by full path. A success remembers the folder (with its "/") and
    // the file name, in this object and in the store.
    FileOutcome loadFile(RecordKind kind, const std::string& path, bool reversed);
    FileOutcome saveFile(RecordKind kind, const std::string& path);
    const std::string& currentFolder() const { return currentFolder_; }
    const std::string& lastFileName(RecordKind kind) const {
        return kind == RecordKind::preset ? lastPresetName_ : lastBankName_;
    }

    // The settings store. A store that fails (a full disk, a folder the user
    // cannot write) answers unwritable with the errno and keeps the old value.
    FileOutcome storeDefaultBank();
    void clearDefaultBank();
    bool loadDefaultBank();
    FileOutcome storeDefaultPreset();
    void clearDefaultPreset();
    bool loadDefaultPreset();
    FileOutcome storeMemo(MemoSlot slot);
    bool recallMemo(MemoSlot slot);
    void loadFileLocations();
    // What a new instance takes over: default bank, default preset, locations.
    void loadStoredSettings();

private:
    void exportRecord(RecordKind kind, std::uint8_t* record) const;
    bool importRecord(RecordKind kind, const std::uint8_t* record, std::size_t size, bool reversed);
    FileOutcome store(RecordKind kind, const char* valueName);
    bool recall(RecordKind kind, const char* valueName);
    void remember(RecordKind kind, const std::string& path);

    CPresetSystemEffect& effect_;
    std::string currentFolder_;
    std::string lastPresetName_;
    std::string lastBankName_;
};
