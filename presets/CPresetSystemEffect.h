// The six programs behind the single program the host sees, the current one,
// the write-through of parameter values into it, and the state chunk the host
// stores with its projects.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "plugin/AudioEffectX.h"
#include "presets/ProgramRecord.h"
#include "presets/StateChunk.h"

class PresetLibrary;

// What the preset system asks of the editor, once the editor exists. Both
// may come while its window is closed; the next open shows the programs.
class PresetEditorHooks {
public:
    virtual ~PresetEditorHooks() = default;
    // The current program was renamed (at most 24 characters, terminated):
    // by the host, by a loaded preset, or by the editor's own name field.
    virtual void showProgramName(const char* name) = 0;
    // All six programs were replaced (a bank or a state chunk) and the
    // current one may be another.
    virtual void showBank() = 0;
    // The user's stored default bank and preset and the remembered files,
    // taken over once while the effect is being constructed.
    virtual void loadStoredSettings() = 0;
};

class CPresetSystemEffect : public AudioEffectX {
public:
    static constexpr std::int32_t kNumPrograms = statechunk::kProgramCount;

    explicit CPresetSystemEffect(audioMasterCallback audioMaster);
    ~CPresetSystemEffect() override;

    // The host sees one program and cannot switch it.
    VstInt32 getProgram() override { return 0; }
    void setProgram(VstInt32) override {}
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    // Writes the value into the current program; other indices change nothing.
    void setParameter(VstInt32 index, float value) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    virtual VstInt32 getCurrentProgram() { return currentProgram.load(std::memory_order_relaxed); }
    // Makes program `index` (0 to 5) current and applies its eight values.
    virtual void selectProgram(VstInt32 index);
    virtual void renameCurrentProgram(const char* name);
    virtual VstInt32 getUniqueID() { return cEffect.uniqueID; }
    // Takes over the user's stored default bank and preset and the file
    // locations; the effect's constructor calls it once, before it selects
    // its first program.
    virtual void loadUserDefaults();
    virtual void installFactoryPrograms() {}

    // The bank, read and written in place by the preset files and commands.
    ProgramRecord* getPrograms() { return programs.get(); }
    bool isApplyingProgram() const { return applyingProgram.load(std::memory_order_relaxed); }

    // Preset and bank records, files and the settings store, for the editor's
    // preset commands.
    PresetLibrary& presetLibrary() { return *library; }
    // The editor, when there is one and it takes preset news.
    PresetEditorHooks* presetEditor() const;

protected:
    std::unique_ptr<ProgramRecord[]> programs;
    std::atomic<std::int32_t> currentProgram{0};
    std::unique_ptr<std::uint8_t[]> chunkBuffer;
    std::atomic<bool> applyingProgram{false};
    std::unique_ptr<PresetLibrary> library;
};
