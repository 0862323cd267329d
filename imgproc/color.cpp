#include "color.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <utility>

#include "parallel.h"

namespace imgproc {

void rgbToGray(const Image& source, Image& destination, float gamma) {
    Image result(source.height, source.width, 1);
    const int64_t pixels = static_cast<int64_t>(source.width) * source.height;
    const float* src = source.data;
    float* dst = result.data;
    const double g = gamma;
    parallelFor(pixels, 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float r = static_cast<float>(std::pow(static_cast<double>(src[3 * i]), g));
            const float gr = static_cast<float>(std::pow(static_cast<double>(src[3 * i + 1]), g));
            const float b = static_cast<float>(std::pow(static_cast<double>(src[3 * i + 2]), g));
            const float v = static_cast<float>(0.2989 * r + 0.587 * gr + 0.114 * b);
            dst[i] = v > 1.0f ? 1.0f : v;
        }
    });
    destination = std::move(result);
}

void applyGamma(const Image& source, Image& destination, float gamma) {
    Image result(source.height, source.width, source.channels);
    const int64_t n = static_cast<int64_t>(source.size());
    const double g = gamma;
    const float* src = source.data;
    float* dst = result.data;
    parallelFor(n, 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float v = static_cast<float>(std::pow(static_cast<double>(src[i]), g));
            dst[i] = v > 1.0f ? 1.0f : v;
        }
    });
    destination = std::move(result);
}

void rgbToYCbCr(const Image& source, Image& destination) {
    Image result(source.height, source.width, source.channels);
    const int64_t pixels = static_cast<int64_t>(source.width) * source.height;
    const int ch = source.channels;
    const float* src = source.data;
    float* dst = result.data;
    parallelFor(pixels, 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float* p = src + i * ch;
            float* q = dst + i * ch;
            const float r = p[0], g = p[1], b = p[2];
            q[0] = 0.587f * g + 0.299f * r + 0.114f * b;
            q[1] = 0.5f * b - (0.33126f * g + 0.16874f * r) + 0.502f;
            q[2] = (0.5f * r - 0.41869f * g) - 0.08131f * b + 0.502f;
        }
    });
    result.extra = 1;
    destination = std::move(result);
}

void yCbCrToRgb(const Image& source, Image& destination) {
    Image result(source.height, source.width, source.channels);
    const int64_t pixels = static_cast<int64_t>(source.width) * source.height;
    const int ch = source.channels;
    const float* src = source.data;
    float* dst = result.data;
    parallelFor(pixels, 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float* p = src + i * ch;
            float* q = dst + i * ch;
            const float y = p[0], cb = p[1], cr = p[2];
            q[0] = (cr - 0.502f) * 1.402f + y;
            q[1] = y - (cb - 0.502f) * 0.34414f - (cr - 0.502f) * 0.71414f;
            q[2] = (cb - 0.502f) * 1.772f + y;
        }
    });
    destination = std::move(result);
}

void clamp(const Image& source, Image& destination, float low, float high) {
    Image result(source.height, source.width, source.channels);
    const int64_t n = static_cast<int64_t>(source.size());
    const float* src = source.data;
    float* dst = result.data;
    parallelFor(n, 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float x = src[i];
            const float v = x < low ? low : x;
            dst[i] = v > high ? high : v;
        }
    });
    destination = std::move(result);
}

void normalizeSum(const Image& source, Image& destination) {
    const size_t n = source.size();
    // Summed one by one in storage order: the order fixes the single-precision result.
    float sum = 0.0f;
    for (size_t i = 0; i < n; ++i) sum += source.data[i];
    const float divisor = sum + 1.1920929e-7f;
    Image result(source.height, source.width, source.channels);
    for (size_t i = 0; i < n; ++i) result.data[i] = source.data[i] / divisor;
    destination = std::move(result);
}

void splitPlanes(const Image& source, Image*& planes) {
    planes = new Image[source.channels > 0 ? source.channels : 0];
    const int64_t pixels = static_cast<int64_t>(source.width) * source.height;
    const int32_t count = source.channels;
    for (int32_t k = 0; k < count; ++k) planes[k] = Image(source.height, source.width, 1);
    const float* src = source.data;
    parallelFor(pixels, 65537, [&](int64_t begin, int64_t end) {
        for (int32_t k = 0; k < count; ++k) {
            float* dst = planes[k].data;
            for (int64_t i = begin; i < end; ++i) dst[i] = src[i * count + k];
        }
    });
}

void mergePlanes(const Image* planes, int32_t count, Image& destination) {
    destination = Image(planes[0].height, planes[0].width, count);
    const int64_t pixels = static_cast<int64_t>(planes[0].width) * planes[0].height;
    float* dst = destination.data;
    parallelFor(pixels, 65537, [&](int64_t begin, int64_t end) {
        for (int32_t k = 0; k < count; ++k) {
            const float* src = planes[k].data;
            for (int64_t i = begin; i < end; ++i) dst[i * count + k] = src[i];
        }
    });
}

namespace {

// Summed-area table of rows [r0, r1) and columns [c0, c1) of every channel;
// the rows above and the columns to the left must be finished. Each value is
// ((v + left) + above) - aboveLeft, with zero outside the picture.
void integralBlock(const float* source, float* table, int w, int ch, int r0, int r1, int c0,
                   int c1) {
    const size_t stride = static_cast<size_t>(w) * ch;
    for (int k = 0; k < ch; ++k)
        for (int r = r0; r < r1; ++r) {
            const float* in = source + r * stride + k;
            float* out = table + r * stride + k;
            float left = c0 > 0 ? out[static_cast<size_t>(c0 - 1) * ch] : 0.0f;
            if (r > 0) {
                const float* up = out - stride;
                float upLeft = c0 > 0 ? up[static_cast<size_t>(c0 - 1) * ch] : 0.0f;
                for (int c = c0; c < c1; ++c) {
                    const size_t i = static_cast<size_t>(c) * ch;
                    const float above = up[i];
                    const float v = ((in[i] + left) + above) - upLeft;
                    out[i] = v;
                    left = v;
                    upLeft = above;
                }
            } else {
                for (int c = c0; c < c1; ++c) {
                    const size_t i = static_cast<size_t>(c) * ch;
                    const float v = ((in[i] + left) + 0.0f) - 0.0f;
                    out[i] = v;
                    left = v;
                }
            }
        }
}

void pauseBriefly(int& spins) {
    if (++spins < 256) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    } else {
        std::this_thread::yield();
    }
}

}  // namespace

void integralImage(const Image& source, Image& destination) {
    Image result(source.height, source.width, source.channels);
    const int w = source.width, h = source.height, ch = source.channels;
    if (w <= 0 || h <= 0 || ch <= 0) {
        destination = std::move(result);
        return;
    }
    const int threads = parallelThreadCount();
    constexpr int kBlockColumns = 128;
    const int blocks = (w + kBlockColumns - 1) / kBlockColumns;
    if (static_cast<int64_t>(w) * h * ch < 65537 || threads == 1 || h < 2 * threads || blocks < 2) {
        integralBlock(source.data, result.data, w, ch, 0, h, 0, w);
        destination = std::move(result);
        return;
    }
    // Every value needs its left and upper neighbours, so the table is
    // filled as a wavefront: strips of rows, each walking through column
    // blocks, a strip entering a block once the strip above has left it.
    // Each value is still computed from the same three neighbours.
    const int strips = std::min(h, threads * 4);
    std::unique_ptr<std::atomic<int>[]> finished(new std::atomic<int>[strips]);
    for (int s = 0; s < strips; ++s) finished[s].store(0, std::memory_order_relaxed);
    parallelFor(strips, 1, [&](int64_t begin, int64_t end) {
        for (int s = static_cast<int>(begin); s < end; ++s) {
            const int r0 = static_cast<int>(static_cast<int64_t>(h) * s / strips);
            const int r1 = static_cast<int>(static_cast<int64_t>(h) * (s + 1) / strips);
            for (int j = 0; j < blocks; ++j) {
                if (s > 0) {
                    int spins = 0;
                    while (finished[s - 1].load(std::memory_order_acquire) <= j) pauseBriefly(spins);
                }
                const int c0 = j * kBlockColumns;
                const int c1 = std::min(w, c0 + kBlockColumns);
                integralBlock(source.data, result.data, w, ch, r0, r1, c0, c1);
                finished[s].store(j + 1, std::memory_order_release);
            }
        }
    });
    destination = std::move(result);
}

}  // namespace imgproc
