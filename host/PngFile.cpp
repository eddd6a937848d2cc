#include "PngFile.h"

#include <optional>

#include "HostError.h"
#include "PendingFile.h"

namespace {

struct PngOutput {
    PendingFile& file;
    std::optional<HostError> failure;  // why the writing stopped, told after cairo gives up
};

cairo_status_t writeToPending(void* closure, const unsigned char* data, unsigned int length) {
    auto& output = *static_cast<PngOutput*>(closure);
    try {
        output.file.writeAll(data, length);
        return CAIRO_STATUS_SUCCESS;
    } catch (const HostError& e) {
        output.failure = e;
        return CAIRO_STATUS_WRITE_ERROR;
    }
}

}  // namespace

void writePng(PendingFile& file, cairo_surface_t* surface) {
    PngOutput output{file, std::nullopt};
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, writeToPending, &output);
    if (output.failure) throw *output.failure;
    if (status != CAIRO_STATUS_SUCCESS)
        throw HostError("cannot write '" + file.destination() + "': " + cairo_status_to_string(status));
}

void writePng(const std::string& path, cairo_surface_t* surface) {
    PendingFile pending(path);
    writePng(pending, surface);
    pending.commit();
}
