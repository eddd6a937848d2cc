#include <cairo.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>

#include "CommandLine.h"
#include "Commands.h"
#include "EditorSession.h"
#include "HostError.h"
#include "PendingFile.h"
#include "PluginDescription.h"
#include "PluginInstance.h"
#include "PngFile.h"
#include "PrivateXServer.h"

namespace {

// About a third of a second to draw, then a picture every few idles until
// two agree; an editor that never stops moving gets the last one.
constexpr int kFirstIdles = 10;
constexpr int kIdlesBetweenPictures = 3;
constexpr int kMaxPictures = 50;
// The private server's one screen: room for any editor.
constexpr const char* kPrivateScreen = "2560x1600x24";

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    bool operator==(const Picture&) const = default;
};

Picture takePicture(EditorWindow& window) { return {window.width(), window.height(), window.pixels()}; }

Picture settledPicture(EditorSession& session) {
    const auto closed = [] { return HostError("the editor's window was closed before its picture was taken"); };
    if (!session.idleTimes(kFirstIdles)) throw closed();
    Picture picture = takePicture(session.window());
    for (int i = 0; i < kMaxPictures; ++i) {
        if (!session.idleTimes(kIdlesBetweenPictures)) throw closed();
        Picture next = takePicture(session.window());
        if (next == picture) break;
        picture = std::move(next);
    }
    return picture;
}

void writePicture(PendingFile& file, const Picture& picture) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw HostError("cannot write '" + file.destination() + "': out of memory");
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride,
                    picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width),
                    rowBytes);  // RGB24 is 0x00RRGGBB in native order, as the pixels are
    cairo_surface_mark_dirty(surface.get());
    writePng(file, surface.get());
}

}  // namespace

int runScreenshot(const Options& options, std::ostream& out) {
    auto plugin = PluginInstance::load(options.plugin);
    plugin->configure(44100.0, 512);
    requireEditor(*plugin);
    applySettings(*plugin, options.settings);
    // Opened first, so that an output that cannot be written stops us early.
    PendingFile png(options.output);

    // The editor opens its own connection to $DISPLAY: it must name ours.
    std::optional<PrivateXServer> server;
    if (const char* display = std::getenv("DISPLAY"); !display || !*display) {
        if (!PrivateXServer::installed())
            throw HostError("no X display ($DISPLAY is not set) and no Xvfb to make one (scripts/setup.sh installs it)");
        server.emplace(std::vector<std::string>{kPrivateScreen});
        if (!server->running()) throw HostError("the virtual X server (Xvfb) did not start");
        setenv("DISPLAY", server->display().c_str(), 1);
    }

    Picture picture;
    {
        // The user's pointer may rest where the window opens: it must not
        // light up a control in the picture.
        EditorSession session(*plugin, options.log ? &out : nullptr, EditorWindow::Pointer::passesThrough);
        picture = settledPicture(session);
    }
    writePicture(png, picture);
    png.commit();
    out << "wrote " << options.output << ": " << picture.width << " x " << picture.height << " pixels\n";
    return 0;
}
