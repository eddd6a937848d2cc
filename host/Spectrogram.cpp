#include "Spectrogram.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <memory>
#include <numbers>
#include <span>
#include <vector>

#include "Fft.h"
#include "HostError.h"
#include "PngFile.h"

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

struct Rgb {
    double r, g, b;
};

// A dark-to-bright scale (black, purple, red, orange, pale yellow) that
// stays readable in grey as well.
Rgb levelColour(double x) {
    static constexpr std::array<Rgb, 5> stops = {{{0.00, 0.00, 0.02},
                                                   {0.34, 0.06, 0.43},
                                                   {0.74, 0.22, 0.33},
                                                   {0.98, 0.56, 0.04},
                                                   {0.99, 1.00, 0.64}}};
    x = std::clamp(x, 0.0, 1.0) * (stops.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(x), stops.size() - 2);
    const double t = x - static_cast<double>(i);
    const Rgb& a = stops[i];
    const Rgb& b = stops[i + 1];
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::vector<float> mixToMono(const AudioBuffer& audio) {
    std::vector<float> mono(audio.frames(), 0.0f);
    if (audio.channels.empty()) return mono;
    const float scale = 1.0f / static_cast<float>(audio.channels.size());
    for (const auto& channel : audio.channels)
        for (std::size_t i = 0; i < mono.size(); ++i) mono[i] += channel[i] * scale;
    return mono;
}

}  // namespace

LevelGrid spectrogramLevels(const AudioBuffer& audio, int columns, int rows, double lowHz, double highHz) {
    if (columns <= 0 || rows <= 0 || !(lowHz > 0) || !(highHz > lowHz)) return {};
    std::size_t n = 256;
    while (static_cast<double>(n) < audio.sampleRate * 0.046) n <<= 1;  // ~46 ms windows
    std::vector<float> window(n);
    double windowSum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n));
        windowSum += window[i];
    }
    const auto gain = static_cast<float>(2.0 / windowSum);  // full-scale sine -> 0 dB
    const double binHz = audio.sampleRate / static_cast<double>(n);

    const std::vector<float> mono = mixToMono(audio);
    LevelGrid grid{columns, rows, std::vector<float>(static_cast<std::size_t>(columns * rows))};
    RealFft fft(n);  // one plan for every column
    std::vector<float> magnitude(fft.bins());
    const double ratio = highHz / lowHz;

    for (int x = 0; x < columns; ++x) {
        const double centre = (x + 0.5) / columns * static_cast<double>(mono.size());
        const auto first = static_cast<long long>(centre) - static_cast<long long>(n / 2);
        const std::span<float> frame = fft.input();
        for (std::size_t i = 0; i < n; ++i) {
            const long long at = first + static_cast<long long>(i);
            const float v = (at >= 0 && at < static_cast<long long>(mono.size())) ? mono[static_cast<std::size_t>(at)] : 0.0f;
            frame[i] = v * window[i];
        }
        fft.execute();
        const auto bins = fft.output();
        for (std::size_t k = 0; k < magnitude.size(); ++k) magnitude[k] = std::abs(bins[k]) * gain;

        for (int y = 0; y < rows; ++y) {
            const int fromBottom = rows - 1 - y;
            const double fLow = lowHz * std::pow(ratio, static_cast<double>(fromBottom) / rows);
            const double fHigh = lowHz * std::pow(ratio, static_cast<double>(fromBottom + 1) / rows);
            const auto kLow = static_cast<std::size_t>(std::ceil(fLow / binHz));
            const auto kHigh = std::min(static_cast<std::size_t>(std::floor(fHigh / binHz)), magnitude.size() - 1);
            float level = 0;
            if (kLow <= kHigh) {
                level = *std::max_element(magnitude.begin() + static_cast<std::ptrdiff_t>(kLow),
                                          magnitude.begin() + static_cast<std::ptrdiff_t>(kHigh) + 1);
            } else {  // narrower than a bin: interpolate at the row's centre
                const double k = std::sqrt(fLow * fHigh) / binHz;
                const auto k0 = std::min(static_cast<std::size_t>(k), magnitude.size() - 2);
                const double t = k - static_cast<double>(k0);
                level = static_cast<float>(magnitude[k0] * (1 - t) + magnitude[k0 + 1] * t);
            }
            grid.db[static_cast<std::size_t>(y * columns + x)] =
                20.0f * std::log10(std::max(level, 1e-10f));
        }
    }
    return grid;
}

namespace {

double niceTimeStep(double seconds) {
    for (const double step : {0.1, 0.2, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0})
        if (seconds / step <= 12) return step;
    return 1200.0;
}

std::string frequencyLabel(double hz) {
    char buffer[32];
    if (hz >= 1000) std::snprintf(buffer, sizeof buffer, "%gk", hz / 1000);
    else std::snprintf(buffer, sizeof buffer, "%g", hz);
    return buffer;
}

void showText(cairo_t* cr, double x, double y, const std::string& s, double alignX, double alignY) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, x - e.width * alignX - e.x_bearing, y - e.height * alignY - e.y_bearing);
    cairo_show_text(cr, s.c_str());
}

}  // namespace

void writeSpectrogramPng(const std::string& path, const AudioBuffer& audio, const std::string& title,
                         const SpectrogramStyle& style) {
    constexpr int left = 70, right = 110, top = 48, bottom = 52;
    const int plotW = std::max(16, style.width - left - right);
    const int plotH = std::max(16, style.height - top - bottom);
    const int width = plotW + left + right, height = plotH + top + bottom;
    const double highHz = std::min(20000.0, audio.sampleRate / 2);
    const double lowHz = std::min(style.lowestFrequency, highHz / 2);
    const double seconds = audio.seconds();

    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) throw HostError("cannot draw '" + path + "': out of memory");

    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);

    // The level grid goes straight into the surface's pixels.
    const LevelGrid grid = spectrogramLevels(audio, plotW, plotH, lowHz, highHz);
    cairo_surface_flush(surface.get());
    unsigned char* pixels = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < plotH; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(top + y) * stride) + left;
        for (int x = 0; x < plotW; ++x) {
            const double db = grid.db[static_cast<std::size_t>(y * plotW + x)];
            const Rgb c = levelColour(1.0 - db / style.floorDb);
            row[x] = (static_cast<std::uint32_t>(c.r * 255) << 16) | (static_cast<std::uint32_t>(c.g * 255) << 8) |
                     static_cast<std::uint32_t>(c.b * 255);
        }
    }
    cairo_surface_mark_dirty(surface.get());

    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, left - 0.5, top - 0.5, plotW + 1, plotH + 1);
    cairo_stroke(cr);

    cairo_set_font_size(cr, 11);
    const double step = niceTimeStep(seconds);
    for (double t = 0; seconds > 0 && t <= seconds + 1e-9; t += step) {
        const double x = left + t / seconds * plotW;
        cairo_move_to(cr, x, top + plotH);
        cairo_line_to(cr, x, top + plotH + 5);
        cairo_stroke(cr);
        char label[32];
        std::snprintf(label, sizeof label, "%g", std::round(t * 100) / 100);
        showText(cr, x, top + plotH + 8, label, 0.5, 0.0);
    }
    for (const double hz : {50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0}) {
        if (hz < lowHz || hz > highHz) continue;
        const double y = top + plotH - std::log(hz / lowHz) / std::log(highHz / lowHz) * plotH;
        cairo_move_to(cr, left - 5, y);
        cairo_line_to(cr, left, y);
        cairo_stroke(cr);
        showText(cr, left - 8, y, frequencyLabel(hz), 1.0, 0.5);
    }
    cairo_set_font_size(cr, 12);
    showText(cr, left + plotW / 2.0, height - 8, "time (s)", 0.5, 1.0);
    cairo_save(cr);
    cairo_translate(cr, 16, top + plotH / 2.0);
    cairo_rotate(cr, -std::numbers::pi / 2);
    showText(cr, 0, 0, "frequency (Hz, log)", 0.5, 0.5);
    cairo_restore(cr);

    // Colour scale, brightest at the top.
    const double barX = left + plotW + 24, barW = 16;
    for (int y = 0; y < plotH; ++y) {
        const Rgb c = levelColour(1.0 - static_cast<double>(y) / (plotH - 1));
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        cairo_rectangle(cr, barX, top + y, barW, 1);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, barX - 0.5, top - 0.5, barW + 1, plotH + 1);
    cairo_stroke(cr);
    cairo_set_font_size(cr, 11);
    for (double db = 0; db >= style.floorDb - 1e-9; db -= 20) {
        const double y = top + db / style.floorDb * plotH;
        char label[16];
        std::snprintf(label, sizeof label, "%g", db);
        showText(cr, barX + barW + 5, y, label, 0.0, 0.5);
    }
    showText(cr, barX + barW / 2, top - 10, "dBFS", 0.5, 1.0);

    cairo_set_font_size(cr, 16);
    showText(cr, left, 16, title, 0.0, 0.0);

    writePng(path, surface.get());
}
