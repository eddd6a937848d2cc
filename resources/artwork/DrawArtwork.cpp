// The editor's artwork of Arlo Corvane, drawn with cairo.
//
//   corvane-artwork OUTPUT_DIR [--preview FILE [--scale N]]
//
// writes every bitmap of resources/BitmapIds.h as OUTPUT_DIR/<resource id>.png.
// The PNG files committed in resources/images are this program's output (the
// build target corvane-images runs `corvane-artwork resources/images`); the
// build embeds them into the plug-in, so building it needs neither this
// program nor its font. With --preview it also writes a picture of the whole
// editor (Preview.cpp), to judge the artwork by eye.
//
// Where everything sits comes from editor/EditorLayout.h, the sizes and
// frames of the bitmaps from resources/BitmapIds.h: the editor places its
// controls from the same tables.

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "resources/artwork/Artwork.h"

namespace art {

std::vector<Image> drawAll() {
    std::vector<Image> images;
    for (const bitmap::Info& info : bitmap::kAll) {
        switch (info.id) {
        case bitmap::kBackground: images.push_back({info.id, background()}); break;
        case bitmap::kLargeHandle:
        case bitmap::kSmallHandle: images.push_back({info.id, knobHandle(info.id)}); break;
        case bitmap::kBypassLed: images.push_back({info.id, bypassLed()}); break;
        case bitmap::kBypassButton: images.push_back({info.id, bypassButton()}); break;
        case bitmap::kAboutScreen: images.push_back({info.id, aboutScreen()}); break;
        case bitmap::kDefaultPreset:
        case bitmap::kDefaultBank: images.push_back({info.id, defaultPlate(info.id)}); break;
        case bitmap::kStepSwitch: images.push_back({info.id, stepSwitch()}); break;
        default: images.push_back({info.id, stripKey(info.id)}); break;
        }
    }
    return images;
}

}  // namespace art

namespace {

bool writePng(const art::SurfacePtr& surface, const std::string& path) {
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "corvane-artwork: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

art::SurfacePtr scaled(const art::SurfacePtr& source, int scale) {
    const int w = cairo_image_surface_get_width(source.get()), h = cairo_image_surface_get_height(source.get());
    art::SurfacePtr surface = art::newSurface(w * scale, h * scale, false);
    art::ContextPtr cr = art::newContext(surface);
    cairo_scale(cr.get(), scale, scale);
    cairo_set_source_surface(cr.get(), source.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_NEAREST);
    cairo_paint(cr.get());
    return surface;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outputDir, previewPath;
    int scale = 1;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--preview" && i + 1 < argc) previewPath = argv[++i];
        else if (arg == "--scale" && i + 1 < argc) scale = std::clamp(std::atoi(argv[++i]), 1, 16);
        else if (outputDir.empty() && !arg.empty() && arg[0] != '-') outputDir = arg;
        else usage = true;
    }
    if (usage || outputDir.empty()) {
        std::fprintf(stderr, "usage: corvane-artwork OUTPUT_DIR [--preview FILE [--scale N]]\n");
        return 2;
    }

    std::error_code error;
    std::filesystem::create_directories(outputDir, error);
    bool ok = true;
    {
        const std::vector<art::Image> images = art::drawAll();
        for (const art::Image& image : images)
            ok = writePng(image.surface, outputDir + "/" + std::to_string(image.id) + ".png") && ok;
        if (!previewPath.empty()) ok = writePng(scaled(art::preview(images), scale), previewPath) && ok;
    }
    // Release the fonts' caches, so that leak checkers see a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return ok ? 0 : 1;
}
