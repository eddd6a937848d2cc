// What an X server shows of a window, as 0xRRGGBB pixels row by row, each
// channel widened to 8 bits whatever the visual. Windows of other clients
// inside it (a plug-in's editor) are part of the picture.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

// Empty when the server cannot give it (the window is unmapped, or reaches
// past the screen's edge); the server then also reports an X error.
std::vector<std::uint32_t> readWindowPixels(Display* display, Window window, int width, int height);
