// The real-to-complex FFT behind the spectrogram: FFTW's single-precision
// transform, planned once for a given size and then run on frame after frame.
// The plan and both buffers belong to the object and are freed with it.
//
// Planning is not thread-safe in FFTW; the host makes its plans on one thread.
#pragma once

#include <fftw3.h>

#include <complex>
#include <cstddef>
#include <memory>
#include <span>
#include <type_traits>

class RealFft {
public:
    // Plans a transform of `size` real samples (any size above 0; FFTW is
    // fastest for products of small primes). Throws std::invalid_argument for
    // 0 and std::bad_alloc when FFTW cannot allocate or plan.
    explicit RealFft(std::size_t size);

    std::size_t size() const { return size_; }
    std::size_t bins() const { return size_ / 2 + 1; }
    // The `size` samples the next execute() transforms; zero until filled.
    std::span<float> input() { return {input_.get(), size_}; }
    // Bins 0 .. size/2 (DC to Nyquist) of the last execute(), unnormalised:
    // a cosine of amplitude A on bin k (0 < k < size/2) gives |X[k]| = A*size/2.
    std::span<const std::complex<float>> output() const {
        return {reinterpret_cast<const std::complex<float>*>(output_.get()), bins()};
    }

    void execute() { fftwf_execute(plan_.get()); }

private:
    struct FreeBuffer {
        void operator()(void* p) const { fftwf_free(p); }
    };
    struct DestroyPlan {
        void operator()(fftwf_plan plan) const { fftwf_destroy_plan(plan); }
    };

    std::size_t size_;
    std::unique_ptr<float, FreeBuffer> input_;
    std::unique_ptr<fftwf_complex, FreeBuffer> output_;
    std::unique_ptr<std::remove_pointer_t<fftwf_plan>, DestroyPlan> plan_;
};
