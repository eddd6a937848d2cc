// Writes a cairo image surface as a PNG file, whole or not at all.
#pragma once

#include <cairo.h>

#include <string>

class PendingFile;

// Throws HostError naming `path` and why (a full disk, ...) when the file
// cannot be written.
void writePng(const std::string& path, cairo_surface_t* surface);
// The same into `file`, which the caller then commits.
void writePng(PendingFile& file, cairo_surface_t* surface);
