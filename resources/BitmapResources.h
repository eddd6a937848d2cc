// The editor's bitmaps, built into the plug-in: PNG files looked up by the
// numeric resource id the editor's controls name them by (resources/images/
// <id>.png, drawn by the program in resources/artwork/).
#pragma once

#include <cstddef>

namespace resources {

// The bytes of one PNG file, valid for the whole life of the program.
struct ImageData {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// The image with that resource id, or {nullptr, 0} when there is none.
ImageData findImage(int id);

}  // namespace resources
