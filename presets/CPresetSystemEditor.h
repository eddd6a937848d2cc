// The editor side of the preset system: the base of the plug-in's editor
// that owns the window's preset section (program name, program menu, step
// switch, file, default and memo buttons) and the preset commands behind it.
//
// The window's own editor calls open() last when it builds its window,
// close() first when it tears it down, and valueChanged() first for every
// control report; the preset section acts only on tags 1000 to 1018.
#pragma once

#include "presets/CPresetSystemEffect.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

class CPresetSystemEditor : public AEffGUIEditor, public CControlListener, public PresetEditorHooks {
public:
    explicit CPresetSystemEditor(AudioEffect* effect);
    ~CPresetSystemEditor() override;

    // Adds the preset section to the frame the derived editor has built;
    // false when there is no frame or no effect.
    bool open(void* parentWindow) override;
    // Forgets the preset section's controls; the frame still owns them.
    void close() override;
    void valueChanged(CControl* control) override;

    // PresetEditorHooks
    void showProgramName(const char* name) override;
    void loadStoredSettings() override;

protected:
    CPresetSystemEffect* presetEffect() const;
};
