// A plain in-place radix-2 FFT, enough for drawing spectrograms.
#pragma once

#include <complex>
#include <vector>

// Transforms `data` in place; its size must be a power of two.
void fft(std::vector<std::complex<float>>& data);
