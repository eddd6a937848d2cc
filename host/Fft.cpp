#include "Fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>

void fft(std::vector<std::complex<float>>& data) {
    const std::size_t n = data.size();
    if (n == 0 || (n & (n - 1)) != 0) throw std::invalid_argument("fft size must be a power of two");

    for (std::size_t i = 1, j = 0; i < n; ++i) {  // bit-reversal permutation
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < n; start += length) {
            std::complex<double> w(1.0, 0.0);
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<float> wf(static_cast<float>(w.real()), static_cast<float>(w.imag()));
                const std::complex<float> even = data[start + k];
                const std::complex<float> odd = data[start + k + length / 2] * wf;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                w *= step;
            }
        }
    }
}
