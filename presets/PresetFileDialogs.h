// The four file commands of the editor's preset section. Each opens the
// desktop's file dialog (its title, the file type, the remembered folder
// and, when saving, the remembered name) and, once the user has chosen
// exactly one file, loads or saves it through the preset library. The
// dialog runs beside the host: the editor's idle calls poll(), and while a
// dialog is open further file commands are ignored.
#pragma once

#include "presets/PresetLibrary.h"

class CFrame;
class CNewFileSelector;

class PresetFileDialogs {
public:
    enum class Command { loadPreset, savePreset, loadBank, saveBank };
    enum class Result {
        nothing,  // no dialog closed, or nothing was chosen or taken
        loaded,   // a file was loaded: the window shows other programs
        saved,
        failed,   // a save failed; the user has been told, nothing changed
    };

    explicit PresetFileDialogs(PresetLibrary& library);
    ~PresetFileDialogs();
    PresetFileDialogs(const PresetFileDialogs&) = delete;
    PresetFileDialogs& operator=(const PresetFileDialogs&) = delete;

    // Opens the command's dialog over the frame's window (null: a dialog of
    // its own); `reversed` loads with the byte order turned round. The frame
    // must stay until the dialog is closed. False while a dialog is open, or
    // when none could be started.
    bool open(Command command, bool reversed, CFrame* frame);
    bool isOpen() const { return selector_ != nullptr; }
    // Never waits. Once the dialog has closed, carries the command out.
    Result poll();
    // Closes an open dialog without acting on it (the window is closing).
    void close();

private:
    PresetLibrary& library_;
    CNewFileSelector* selector_ = nullptr;
    Command command_ = Command::loadPreset;
    bool reversed_ = false;
    CFrame* frame_ = nullptr;
};
