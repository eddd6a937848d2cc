// The editor's pictures, compiled into the library as PNG files and found
// by their numeric resource id.
#pragma once

#include <cstddef>

namespace resources {

struct ImageData {
    const unsigned char* data = nullptr;  // PNG file bytes
    std::size_t size = 0;
};

// {nullptr, 0} when no image has that id.
ImageData findImage(int id);

}  // namespace resources
