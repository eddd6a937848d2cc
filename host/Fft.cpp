#include "Fft.h"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

// FFTW documents std::complex<float> as laid out like fftwf_complex (real,
// then imaginary), which output() relies on.
static_assert(sizeof(std::complex<float>) == sizeof(fftwf_complex));

RealFft::RealFft(std::size_t size) : size_(size) {
    if (size == 0) throw std::invalid_argument("an FFT needs at least one sample");
    if (size > static_cast<std::size_t>(INT_MAX)) throw std::invalid_argument("FFT size too large");
    input_.reset(fftwf_alloc_real(size));
    output_.reset(fftwf_alloc_complex(bins()));
    if (!input_ || !output_) throw std::bad_alloc();
    // FFTW_ESTIMATE plans without trial runs, so the buffers are not touched.
    plan_.reset(fftwf_plan_dft_r2c_1d(static_cast<int>(size), input_.get(), output_.get(), FFTW_ESTIMATE));
    if (!plan_) throw std::bad_alloc();
    std::fill(input_.get(), input_.get() + size, 0.0f);
    float* out = reinterpret_cast<float*>(output_.get());
    std::fill(out, out + 2 * bins(), 0.0f);
}
