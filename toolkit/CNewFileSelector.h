// Lets the user pick a file to load or a name to save under, with the
// desktop's own file dialog attached to the editor's window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/CBaseObject.h"
#include "toolkit/CFileExtension.h"
#include "toolkit/platform/DesktopFileDialog.h"

class CFrame;

class CNewFileSelector : public CBaseObject {
public:
    enum Style { kSelectFile, kSelectSaveFile, kSelectDirectory };

    // parent may be null: the dialog then stands on its own.
    static CNewFileSelector* create(CFrame* parent = nullptr, Style style = kSelectFile);

    // Null strings count as empty ones.
    void setTitle(const char* title);
    void setInitialDirectory(const char* directory);
    void setDefaultSaveName(const char* name);
    // Offered first, and given to a saved name that has no extension.
    void setDefaultExtension(const CFileExtension& extension);
    void addFileExtension(const CFileExtension& extension);
    void setAllowMultiFileSelection(bool allow);

    // Opens the dialog and returns at once, so that the host's window keeps
    // running. False when this selector's dialog is open already or no
    // dialog program could be started.
    bool start();
    // Never waits: true while the dialog is open. Once it has closed, the
    // choice is there to read. Called from the editor's idle.
    bool isRunning();
    // Closes an open dialog with nothing chosen (forgetting the selector
    // does so too).
    void cancel();
    // Opens the dialog and waits until it closes; true when the user chose
    // something. Not for a host's user-interface thread.
    bool runModal();
    uint32_t getNumSelectedFiles() const;
    // Null when index is out of range.
    const char* getSelectedFile(uint32_t index) const;

    // A short error message from the desktop, over the frame's window;
    // returns at once. False when it could not be shown.
    static bool showNotice(CFrame* parent, const char* title, const char* text);

private:
    CNewFileSelector(unsigned long parentWindow, Style style);
    ~CNewFileSelector() override;
    FileDialogRequest request() const;

    Style style_;
    unsigned long parentWindow_;
    std::string title_;
    std::string initialDirectory_;
    std::string defaultSaveName_;
    std::optional<CFileExtension> defaultExtension_;
    std::vector<CFileExtension> extensions_;
    bool allowMultiple_ = false;
    DesktopFileDialog dialog_;
};
