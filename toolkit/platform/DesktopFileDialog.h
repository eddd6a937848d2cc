// The desktop's own file dialog, run as a child process: zenity, or kdialog
// where zenity is missing. The answer comes back on the child's standard
// output; the user-interface thread polls for it and never waits.
//
// A saved name without an extension gets the default one; when that name
// exists already, the user is asked whether to replace it (the dialog itself
// asked only about the name as typed).
#pragma once

#include <string>
#include <vector>

#include "toolkit/platform/DialogProcess.h"

struct FileDialogFilter {
    std::string description;  // "Arlo Preset"
    std::string extension;    // "arp", without the dot
};

struct FileDialogRequest {
    enum class Kind { open, save, directory };

    Kind kind = Kind::open;
    std::string title;
    std::string initialDirectory;  // empty: the dialog's own choice
    std::string proposedName;      // save only; may be empty
    std::vector<FileDialogFilter> filters;  // the first one is preselected
    std::string saveExtension;     // given to a saved name that has none
    bool multiple = false;         // open only
    unsigned long parentWindow = 0;  // X11 window to attach to, 0 for none
};

class DesktopFileDialog {
public:
    // Candidates in order of preference. Bare names are looked up in PATH,
    // names with a slash are taken as they are. A program called "kdialog"
    // gets kdialog's arguments, any other zenity's.
    explicit DesktopFileDialog(std::vector<std::string> programs = {"zenity", "kdialog"});

    // Opens the dialog and returns at once. False when a dialog of this
    // object is open already or no candidate could be started.
    bool start(const FileDialogRequest& request);
    // Never waits: true while the dialog, or the question whether to replace
    // an existing file that it leads to, is open.
    bool isRunning();
    // Returns when the dialog has closed.
    void wait();
    // Closes an open dialog with nothing chosen.
    void cancel();
    // Once closed: the chosen paths; empty when the user cancelled, the
    // program failed or no candidate is installed.
    const std::vector<std::string>& chosen() const { return chosen_; }

    // Opens the dialog and waits for it.
    std::vector<std::string> run(const FileDialogRequest& request);

    // Shows a short error message and returns at once; there is nothing to
    // wait for or to close. False when no candidate could show it.
    bool showNotice(const std::string& title, const std::string& text, unsigned long parentWindow = 0) const;

private:
    enum class Stage { idle, choosing, confirming };

    // The program ended: asks whether to replace a file, or settles the choice.
    void advance();
    void settle(std::vector<std::string> paths);

    std::vector<std::string> programs_;
    DialogProcess process_;
    Stage stage_ = Stage::idle;
    FileDialogRequest request_;
    std::string program_;  // the candidate that runs
    std::vector<std::string> pending_;  // the choice while the question is open
    std::vector<std::string> chosen_;
};
