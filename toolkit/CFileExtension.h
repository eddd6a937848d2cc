// One kind of file a file selector offers: "Arlo Preset" with the extension
// "arp" (no dot). Null arguments count as empty strings.
#pragma once

#include <string>

class CFileExtension {
public:
    CFileExtension(const char* description, const char* extension, const char* mimeType = nullptr)
        : description_(description ? description : ""),
          extension_(extension ? extension : ""),
          mimeType_(mimeType ? mimeType : "") {}

    const std::string& getDescription() const { return description_; }
    const std::string& getExtension() const { return extension_; }
    const std::string& getMimeType() const { return mimeType_; }

private:
    std::string description_;
    std::string extension_;
    std::string mimeType_;
};
