#include "presets/CPresetSystemEditor.h"

#include "toolkit/CFrame.h"

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}

CPresetSystemEditor::~CPresetSystemEditor() = default;

CPresetSystemEffect* CPresetSystemEditor::presetEffect() const {
    return dynamic_cast<CPresetSystemEffect*>(effect);
}

bool CPresetSystemEditor::open(void*) {
    return frame != nullptr && effect != nullptr;
}

void CPresetSystemEditor::close() {}

void CPresetSystemEditor::valueChanged(CControl*) {}

void CPresetSystemEditor::showProgramName(const char*) {}

void CPresetSystemEditor::loadStoredSettings() {}
