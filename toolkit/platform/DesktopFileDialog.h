// The desktop's own file dialog, run as a child process: zenity, or kdialog
// where zenity is missing. The answer comes back on the child's standard
// output. Running it blocks the calling thread until the dialog closes.
#pragma once

#include <string>
#include <vector>

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

    // The chosen paths; empty when the user cancelled, the program failed or
    // no candidate is installed.
    std::vector<std::string> run(const FileDialogRequest& request) const;

private:
    std::vector<std::string> programs_;
};
