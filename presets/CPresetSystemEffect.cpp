#include "presets/CPresetSystemEffect.h"

#include <cstring>

#include "plugin/Trace.h"
#include "presets/PresetLibrary.h"

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, ProgramRecord::kNumParams),
      programs(std::make_unique<ProgramRecord[]>(kNumPrograms)),
      chunkBuffer(std::make_unique<std::uint8_t[]>(statechunk::kSize)),
      library(std::make_unique<PresetLibrary>(*this)) {
    programsAreChunks(true);
}

CPresetSystemEffect::~CPresetSystemEffect() = default;

PresetEditorHooks* CPresetSystemEffect::presetEditor() const {
    return dynamic_cast<PresetEditorHooks*>(editor);
}

void CPresetSystemEffect::setProgramName(char* name) {
    trace("CPresetSystemEffect::setProgramName", name);
    ProgramRecord& program = programs[getCurrentProgram()];
    program.setName(name);
    if (PresetEditorHooks* hooks = presetEditor()) {
        char shown[ProgramRecord::kNameLength + 1];
        program.copyName(shown);
        hooks->showProgramName(shown);
    }
}

void CPresetSystemEffect::getProgramName(char* name) {
    getProgramNameIndexed(0, getCurrentProgram(), name);
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (index < 0 || index >= kNumPrograms) return false;
    // Always 25 bytes: the whole name field and a terminator.
    char name[ProgramRecord::kNameLength + 1];
    programs[index].copyName(name);
    std::memcpy(text, name, sizeof(name));
    return true;
}

void CPresetSystemEffect::setParameter(VstInt32 index, float value) {
    if (index >= 0 && index < ProgramRecord::kNumParams) programs[getCurrentProgram()].setParam(index, value);
}

void CPresetSystemEffect::selectProgram(VstInt32 index) {
    applyingProgram.store(true, std::memory_order_relaxed);
    currentProgram.store(index, std::memory_order_relaxed);
    const ProgramRecord& program = programs[index];
    for (VstInt32 k = 0; k < ProgramRecord::kNumParams; ++k) setParameter(k, program.param(k));
    updateDisplay();
    applyingProgram.store(false, std::memory_order_relaxed);
}

void CPresetSystemEffect::renameCurrentProgram(const char* name) {
    if (name) programs[getCurrentProgram()].setName(name);
    updateDisplay();
}

void CPresetSystemEffect::loadUserDefaults() {
    if (PresetEditorHooks* hooks = presetEditor()) hooks->loadStoredSettings();
}

VstInt32 CPresetSystemEffect::getChunk(void** data, bool isPreset) {
    trace("CPresetSystemEffect::getChunk", data, isPreset);
    if (!chunkBuffer) return 0;
    statechunk::write(chunkBuffer.get(), getUniqueID(), getCurrentProgram(), programs.get());
    *data = chunkBuffer.get();
    return statechunk::kSize;
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    trace("CPresetSystemEffect::setChunk", data, byteSize, isPreset);
    if (!chunkBuffer || !data || byteSize != statechunk::kSize) return -1;
    std::uint8_t* chunk = chunkBuffer.get();
    // The host may hand back the very buffer getChunk gave it.
    std::memmove(chunk, data, statechunk::kSize);
    switch (statechunk::decode(chunk, getUniqueID())) {
    case statechunk::Status::Rejected: return -1;
    case statechunk::Status::OtherVersion: return 0;
    case statechunk::Status::Valid: break;
    }
    for (int p = 0; p < kNumPrograms; ++p) programs[p].copyFrom(statechunk::program(chunk, p));
    const std::int32_t current = statechunk::currentProgram(chunk);
    // An unknown current program keeps the old one and the sound as it is.
    if (current >= 0 && current < kNumPrograms) selectProgram(current);
    // An open window must not keep showing the old names: its name field
    // would give the old name to the restored program.
    if (PresetEditorHooks* hooks = presetEditor()) hooks->showBank();
    return 0;
}
