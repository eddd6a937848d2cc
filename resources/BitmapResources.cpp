#include "resources/BitmapResources.h"

#include "resources/EmbeddedImages.h"

namespace resources {

ImageData findImage(int id) {
    for (std::size_t i = 0; i < embedded::imageCount; ++i) {
        const embedded::Image& image = embedded::images[i];
        if (image.id == id) return {image.data, image.size};
    }
    return {};
}

}  // namespace resources
