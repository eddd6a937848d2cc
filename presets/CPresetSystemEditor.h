// The editor side of the preset system: the base of the plug-in's editor
// that owns the window's preset section (program name field, program menu,
// step switch, file, default and memo buttons) and turns every report of one
// of its controls into a preset command.
//
// The window's own editor calls open() last when it builds its window,
// close() first when it tears it down, valueChanged() first for every control
// report (the preset section acts only on tags 1000 to 1018) and idle() for
// every refresh. The window refreshes on the host's idle calls, on the user-
// interface thread; an open file dialog is polled there too, so the host is
// never blocked while the user picks a file. Only that thread touches the
// controls: names and banks shown from another thread (a host restoring its
// state there) are noted and shown on the next idle.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "presets/CPresetSystemEffect.h"
#include "presets/PresetFileDialogs.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

class CArRockerSwitch;
class COptionMenu;
class CTextEdit;

class CPresetSystemEditor : public AEffGUIEditor, public CControlListener, public PresetEditorHooks {
public:
    explicit CPresetSystemEditor(AudioEffect* effect);
    ~CPresetSystemEditor() override;

    // Adds the preset section to the frame the derived editor has built;
    // false when there is no frame or no effect.
    bool open(void* parentWindow) override;
    // Ends an open file dialog and forgets the controls; the frame still owns them.
    void close() override;
    // Carries out a file command whose dialog has closed, then redraws.
    void idle() override;
    void valueChanged(CControl* control) override;

    // PresetEditorHooks: the window follows what the programs did.
    void showProgramName(const char* name) override;
    void showBank() override;

    // The user's stored default bank and preset and the remembered files.
    void loadStoredSettings() override;
    // Records (341 bytes for a bank, 61 for a preset); imports that are
    // rejected change nothing.
    virtual void importBank(const std::uint8_t* record, bool reversed);
    virtual void exportBank(std::uint8_t* record);
    virtual void importPreset(const std::uint8_t* record, bool reversed);
    virtual void exportPreset(std::uint8_t* record);
    // Shows the name (at most 24 characters) and gives it to the current program.
    void renameProgram(const char* name);

    // The preset section's controls while the window is open, for tests.
    CTextEdit* nameField() const { return nameField_; }
    COptionMenu* programMenu() const { return programMenu_; }
    CArRockerSwitch* stepSwitch() const { return stepSwitch_; }
    bool isFileDialogOpen() const { return dialogs_ && dialogs_->isOpen(); }

protected:
    CPresetSystemEffect* presetEffect() const;
    // The calling thread becomes the window's (the derived editor's open
    // calls this first); onWindowThread tells whether the caller is it.
    void takeWindowThread();
    bool onWindowThread() const;

private:
    void selectShown(VstInt32 program, const char* title);
    void showPrograms();
    void stepProgram(float direction);
    void startFileCommand(PresetFileDialogs::Command command, bool reversed);

    CTextEdit* nameField_ = nullptr;
    COptionMenu* programMenu_ = nullptr;
    CArRockerSwitch* stepSwitch_ = nullptr;
    std::unique_ptr<PresetFileDialogs> dialogs_;
    std::atomic<std::thread::id> windowThread_{};
    static_assert(std::atomic<std::thread::id>::is_always_lock_free);
    // Set from another thread: the names and the current program are shown anew in idle.
    std::atomic<bool> programsPending_{false};
};
