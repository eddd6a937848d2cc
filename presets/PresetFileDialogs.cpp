#include "presets/PresetFileDialogs.h"

#include <string>
#include <system_error>

#include "toolkit/CFileExtension.h"
#include "toolkit/CNewFileSelector.h"

namespace {

using Command = PresetFileDialogs::Command;
using RecordKind = PresetLibrary::RecordKind;

bool isSave(Command command) { return command == Command::savePreset || command == Command::saveBank; }

RecordKind kindOf(Command command) {
    return command == Command::loadPreset || command == Command::savePreset ? RecordKind::preset : RecordKind::bank;
}

CFileExtension fileType(RecordKind kind) {
    return kind == RecordKind::preset ? CFileExtension("Arlo Preset", "arp") : CFileExtension("Arlo Bank", "arb");
}

const char* titleOf(Command command, bool reversed) {
    switch (command) {
    case Command::loadPreset: return reversed ? "Load preset (endian-reversed)" : "Load preset";
    case Command::savePreset: return "Save preset";
    case Command::loadBank: return reversed ? "Load bank (endian-reversed)" : "Load bank";
    case Command::saveBank: return "Save bank";
    }
    return "";
}

std::string saveFailureNotice(RecordKind kind, const std::string& path, int error) {
    return std::string(kind == RecordKind::preset ? "The preset" : "The bank") + " could not be saved as\n" + path +
           "\n\n" + std::error_code(error, std::generic_category()).message() +
           ".\nA file of that name was left as it was.";
}

}  // namespace

PresetFileDialogs::PresetFileDialogs(PresetLibrary& library) : library_(library) {}

PresetFileDialogs::~PresetFileDialogs() { close(); }

bool PresetFileDialogs::open(Command command, bool reversed, CFrame* frame) {
    if (selector_) return false;
    const RecordKind kind = kindOf(command);
    CNewFileSelector* selector =
        CNewFileSelector::create(frame, isSave(command) ? CNewFileSelector::kSelectSaveFile : CNewFileSelector::kSelectFile);
    if (!selector) return false;
    selector->setTitle(titleOf(command, reversed && !isSave(command)));
    selector->setInitialDirectory(library_.currentFolder().c_str());
    if (isSave(command)) {
        selector->setDefaultSaveName(library_.lastFileName(kind).c_str());
        selector->setDefaultExtension(fileType(kind));
    } else {
        selector->addFileExtension(fileType(kind));
        selector->setAllowMultiFileSelection(false);
    }
    if (!selector->start()) {
        selector->forget();
        return false;
    }
    selector_ = selector;
    command_ = command;
    reversed_ = reversed && !isSave(command);
    frame_ = frame;
    return true;
}

PresetFileDialogs::Result PresetFileDialogs::poll() {
    if (!selector_ || selector_->isRunning()) return Result::nothing;
    CNewFileSelector* closed = selector_;
    selector_ = nullptr;
    const bool oneFile = closed->getNumSelectedFiles() == 1;
    const std::string path = oneFile ? closed->getSelectedFile(0) : "";
    closed->forget();
    if (!oneFile) return Result::nothing;

    const RecordKind kind = kindOf(command_);
    if (!isSave(command_)) return library_.loadFile(kind, path, reversed_).ok() ? Result::loaded : Result::nothing;
    const FileOutcome outcome = library_.saveFile(kind, path);
    if (outcome.ok()) return Result::saved;
    // A save that did not happen must not look like one that did.
    CNewFileSelector::showNotice(frame_, titleOf(command_, false), saveFailureNotice(kind, path, outcome.error).c_str());
    return Result::failed;
}

void PresetFileDialogs::close() {
    if (!selector_) return;
    selector_->forget();  // ends the dialog and reaps it
    selector_ = nullptr;
}
