#include "toolkit/CNewFileSelector.h"

#include "toolkit/CFrame.h"
#include "toolkit/platform/DesktopFileDialog.h"

namespace {

// The X11 window the dialog stays on top of; 0 lets it stand alone.
unsigned long platformWindowOf(const CFrame* frame) { return frame ? frame->getPlatformWindowId() : 0; }

std::string orEmpty(const char* text) { return text ? text : ""; }

FileDialogRequest::Kind kindOf(CNewFileSelector::Style style) {
    switch (style) {
        case CNewFileSelector::kSelectSaveFile: return FileDialogRequest::Kind::save;
        case CNewFileSelector::kSelectDirectory: return FileDialogRequest::Kind::directory;
        default: return FileDialogRequest::Kind::open;
    }
}

}  // namespace

CNewFileSelector* CNewFileSelector::create(CFrame* parent, Style style) {
    return new CNewFileSelector(platformWindowOf(parent), style);
}

CNewFileSelector::CNewFileSelector(unsigned long parentWindow, Style style)
    : style_(style), parentWindow_(parentWindow) {}

void CNewFileSelector::setTitle(const char* title) { title_ = orEmpty(title); }
void CNewFileSelector::setInitialDirectory(const char* directory) { initialDirectory_ = orEmpty(directory); }
void CNewFileSelector::setDefaultSaveName(const char* name) { defaultSaveName_ = orEmpty(name); }
void CNewFileSelector::setDefaultExtension(const CFileExtension& extension) { defaultExtension_ = extension; }
void CNewFileSelector::addFileExtension(const CFileExtension& extension) { extensions_.push_back(extension); }
void CNewFileSelector::setAllowMultiFileSelection(bool allow) { allowMultiple_ = allow; }

CNewFileSelector::~CNewFileSelector() { dialog_.cancel(); }

FileDialogRequest CNewFileSelector::request() const {
    FileDialogRequest request;
    request.kind = kindOf(style_);
    request.title = title_;
    request.initialDirectory = initialDirectory_;
    request.proposedName = defaultSaveName_;
    request.multiple = allowMultiple_;
    request.parentWindow = parentWindow_;

    auto offer = [&request](const CFileExtension& extension) {
        if (extension.getExtension().empty()) return;
        for (const FileDialogFilter& filter : request.filters)
            if (filter.extension == extension.getExtension()) return;
        request.filters.push_back({extension.getDescription(), extension.getExtension()});
    };
    if (defaultExtension_) {
        offer(*defaultExtension_);
        request.saveExtension = defaultExtension_->getExtension();
    }
    for (const CFileExtension& extension : extensions_) offer(extension);
    return request;
}

bool CNewFileSelector::start() { return dialog_.start(request()); }
bool CNewFileSelector::isRunning() { return dialog_.isRunning(); }
void CNewFileSelector::cancel() { dialog_.cancel(); }

bool CNewFileSelector::runModal() {
    if (!dialog_.start(request())) return false;
    dialog_.wait();
    return !dialog_.chosen().empty();
}

uint32_t CNewFileSelector::getNumSelectedFiles() const {
    return static_cast<uint32_t>(dialog_.chosen().size());
}

const char* CNewFileSelector::getSelectedFile(uint32_t index) const {
    return index < dialog_.chosen().size() ? dialog_.chosen()[index].c_str() : nullptr;
}

bool CNewFileSelector::showNotice(CFrame* parent, const char* title, const char* text) {
    return DesktopFileDialog().showNotice(orEmpty(title), orEmpty(text), platformWindowOf(parent));
}
