// Writes a cairo image surface as a PNG file, whole or not at all.
#pragma once

#include <cairo.h>

#include <string>

// Throws HostError naming `path` when the file cannot be written.
void writePng(const std::string& path, cairo_surface_t* surface);
