// Draws a spectrogram as a PNG: time on x, log frequency on y, level in dBFS
// as colour, with axes, a colour scale and a title.
#pragma once

#include <string>

#include "AudioFile.h"

struct SpectrogramStyle {
    int width = 1000;
    int height = 560;
    double lowestFrequency = 30.0;  // Hz, bottom of the log axis
    double floorDb = -100.0;        // darkest colour; 0 dBFS is the brightest
};

// Analyses the average of all channels. Written whole or not at all.
void writeSpectrogramPng(const std::string& path, const AudioBuffer& audio, const std::string& title,
                         const SpectrogramStyle& style = {});
