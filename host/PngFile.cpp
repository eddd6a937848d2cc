#include "PngFile.h"

#include "HostError.h"
#include "PendingFile.h"

namespace {

cairo_status_t writeToPending(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<PendingFile*>(closure)->writeAll(data, length);
        return CAIRO_STATUS_SUCCESS;
    } catch (const HostError&) {
        return CAIRO_STATUS_WRITE_ERROR;
    }
}

}  // namespace

void writePng(const std::string& path, cairo_surface_t* surface) {
    PendingFile pending(path);
    if (cairo_surface_write_to_png_stream(surface, writeToPending, &pending) != CAIRO_STATUS_SUCCESS)
        throw HostError("cannot write '" + path + "': PNG encoding failed");
    pending.commit();
}
