// Draws a spectrogram as a PNG: time on x, log frequency on y, level in dBFS
// as colour, with axes, a colour scale and a title.
#pragma once

#include <string>
#include <vector>

#include "AudioFile.h"

struct SpectrogramStyle {
    int width = 1000;
    int height = 560;
    double lowestFrequency = 30.0;  // Hz, bottom of the log axis
    double floorDb = -100.0;        // darkest colour; 0 dBFS is the brightest
};

// Level in dBFS per (column, row) of the picture: a Hann-windowed FFT
// centred on each column, each row taking the loudest bin in its slice of the
// log frequency axis from lowHz (bottom row) to highHz (row 0).
struct LevelGrid {
    int columns = 0, rows = 0;
    std::vector<float> db;  // row-major
    float at(int column, int row) const { return db[static_cast<std::size_t>(row * columns + column)]; }
};
LevelGrid spectrogramLevels(const AudioBuffer& audio, int columns, int rows, double lowHz, double highHz);

// Analyses the average of all channels. Written whole or not at all.
void writeSpectrogramPng(const std::string& path, const AudioBuffer& audio, const std::string& title,
                         const SpectrogramStyle& style = {});
