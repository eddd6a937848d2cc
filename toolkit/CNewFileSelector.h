// Lets the user pick a file to load or a name to save under, with the
// desktop's own file dialog attached to the editor's window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/CBaseObject.h"
#include "toolkit/CFileExtension.h"

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

    // Blocks until the dialog closes; true when the user chose something.
    bool runModal();
    uint32_t getNumSelectedFiles() const;
    // Null when index is out of range.
    const char* getSelectedFile(uint32_t index) const;

private:
    CNewFileSelector(unsigned long parentWindow, Style style);
    ~CNewFileSelector() override = default;

    Style style_;
    unsigned long parentWindow_;
    std::string title_;
    std::string initialDirectory_;
    std::string defaultSaveName_;
    std::optional<CFileExtension> defaultExtension_;
    std::vector<CFileExtension> extensions_;
    bool allowMultiple_ = false;
    std::vector<std::string> selected_;
};
