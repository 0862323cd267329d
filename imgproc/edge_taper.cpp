#include "edge_taper.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "color.h"
#include "dft_2d.h"
#include "fft_engine.h"
#include "parallel.h"

namespace imgproc {

namespace {

// Falling profile of one axis: the cyclic autocorrelation of the kernel's
// projection over (length - 1) points, closed over `length` entries and
// scaled to 1 at both ends. Returns false when the projection has no energy
// (nothing to scale by).
bool taperProfile(const std::vector<float>& projection, int32_t length, std::vector<float>& profile) {
    const int32_t n = length - 1;
    fftwf_complex* signal = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * n));
    fftwf_complex* spectrum = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * n));
    const int32_t used = std::min<int32_t>(static_cast<int32_t>(projection.size()), n);
    for (int32_t i = 0; i < n; ++i) {
        signal[i][0] = i < used ? projection[i] : 0.0f;
        signal[i][1] = 0.0f;
    }
    const SerialPlanning serial;
    fftwf_plan plan = fftwf_plan_dft_1d(n, signal, spectrum, FFTW_FORWARD, FFTW_ESTIMATE);
    fftwf_execute(plan);
    fftwf_destroy_plan(plan);
    for (int32_t i = 0; i < n; ++i) {
        const float re = spectrum[i][0];
        const float im = spectrum[i][1];
        spectrum[i][0] = re * re + im * im;
        spectrum[i][1] = 0.0f;
    }
    plan = fftwf_plan_dft_1d(n, spectrum, signal, FFTW_BACKWARD, FFTW_ESTIMATE);
    fftwf_execute(plan);
    fftwf_destroy_plan(plan);

    profile.assign(static_cast<size_t>(length), 0.0f);
    float m = 0.0f;
    for (int32_t i = 0; i < n; ++i) {
        const float v = signal[i][0];
        if (v > m) m = v;
        profile[i] = v < 1e-10f ? 0.0f : v;
    }
    profile[n] = signal[0][0];
    fftwf_free(signal);
    fftwf_free(spectrum);
    if (!(m > 0.0f)) return false;
    for (float& v : profile) v = v / m;
    return true;
}

}  // namespace

void edgeTaper(const Image& image, const Image& kernel, Image& result) {
    const int32_t W = image.width;
    const int32_t H = image.height;
    const int32_t C = image.channels;
    const int32_t kh = kernel.height;
    const int32_t kw = kernel.width;

    // Kernel projections, accumulated in one pass in element order.
    std::vector<float> px(static_cast<size_t>(std::max(kw, 0)), 0.0f);
    std::vector<float> py(static_cast<size_t>(std::max(kh, 0)), 0.0f);
    for (int32_t y = 0; y < kh; ++y) {
        for (int32_t x = 0; x < kw; ++x) {
            const float v = kernel.data[static_cast<size_t>(y) * kw + x];
            px[x] = px[x] + v;
            py[y] = py[y] + v;
        }
    }

    std::vector<float> ax;
    std::vector<float> ay;
    if (W < 2 || H < 2 || C < 1 || !taperProfile(px, W, ax) || !taperProfile(py, H, ay)) {
        // No taper can be formed (the profile would divide by zero): keep the picture.
        Image copy(image);
        copy.extra = 0;
        result = std::move(copy);
        return;
    }

    // The weights and the kernel's transfer function are the same for every
    // channel, so they are formed once.
    const size_t N = static_cast<size_t>(W) * H;
    std::vector<float> weight(N);
    // Shared out by rows once the picture has more than 65536 pixels.
    parallelFor(H, 65536 / W + 1, [&](int64_t begin, int64_t end) {
        for (int32_t y = static_cast<int32_t>(begin); y < end; ++y) {
            const float wy = 1.0f - ay[y];
            for (int32_t x = 0; x < W; ++x) weight[static_cast<size_t>(y) * W + x] = (1.0f - ax[x]) * wy;
        }
    });
    fftwf_complex* otf = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    psfToOtfFFTW(kernel, H, W, otf);

    Image* planes = nullptr;
    splitPlanes(image, planes);
    fftwf_complex* signal = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    fftwf_complex* spectrum = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    const float rows = static_cast<float>(H);
    const float cols = static_cast<float>(W);
    const Dft2D forward(H, W, FFTW_FORWARD);
    const Dft2D backward(H, W, FFTW_BACKWARD);

    for (int32_t ch = 0; ch < C; ++ch) {
        const float* I = planes[ch].data;
        float hi = 0.0f;
        float lo = 100000.0f;
        std::mutex boundsMutex;
        parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
            float chunkHi = 0.0f;
            float chunkLo = 100000.0f;
            for (int64_t i = begin; i < end; ++i) {
                signal[i][0] = I[i];
                signal[i][1] = 0.0f;
                chunkHi = std::max(chunkHi, I[i]);
                chunkLo = std::min(chunkLo, I[i]);
            }
            // Extremes do not depend on the order the chunks are merged in.
            std::lock_guard<std::mutex> lock(boundsMutex);
            hi = std::max(hi, chunkHi);
            lo = std::min(lo, chunkLo);
        });
        forward.execute(signal, spectrum);
        parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
            for (int64_t i = begin; i < end; ++i) {
                const float are = spectrum[i][0];
                const float aim = spectrum[i][1];
                spectrum[i][0] = are * otf[i][0] - otf[i][1] * aim;
                spectrum[i][1] = are * otf[i][1] + aim * otf[i][0];
            }
        });
        backward.execute(spectrum, signal);

        Image tapered(H, W, 1);
        float* J = tapered.data;
        parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
            for (int64_t i = begin; i < end; ++i) {
                const float blurred = signal[i][0] / rows / cols;
                const float w = weight[i];
                float v = (1.0f - w) * blurred + w * I[i];
                if (v > hi) v = hi;
                if (v < lo) v = lo;
                J[i] = v;
            }
        });
        planes[ch] = std::move(tapered);
    }

    fftwf_free(signal);
    fftwf_free(spectrum);
    fftwf_free(otf);
    Image merged;
    mergePlanes(planes, C, merged);
    delete[] planes;
    result = std::move(merged);
}

}  // namespace imgproc
