// The table of images that resources/EmbedImages.cmake generates at build
// time from resources/images/*.png. Internal to the resource library: use
// resources/BitmapResources.h.
#pragma once

#include <cstddef>

namespace resources::embedded {

struct Image {
    int id;
    const unsigned char* data;
    std::size_t size;
};

extern const Image images[];
extern const std::size_t imageCount;

}  // namespace resources::embedded
