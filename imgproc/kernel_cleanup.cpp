#include "kernel_cleanup.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "geometry.h"

namespace imgproc {

namespace {

size_t kernelCount(const Image& kernel) {
    if (kernel.width <= 0 || kernel.height <= 0 || kernel.data == nullptr) return 0;
    return static_cast<size_t>(kernel.width) * static_cast<size_t>(kernel.height);
}

float sumInOrder(const Image& kernel) {
    const size_t n = kernelCount(kernel);
    float s = 0.0f;
    for (size_t i = 0; i < n; ++i) s += kernel.data[i];
    return s;
}

// The centred one-pixel kernel, written into dst's own buffer when it has one
// so that its other fields stay; otherwise a fresh kernel of src's size.
void writeUnitKernel(const Image& src, Image& dst) {
    if (dst.data == nullptr || dst.width <= 0 || dst.height <= 0) {
        Image unit(src.height, src.width, 1);
        const size_t n = kernelCount(unit);
        for (size_t i = 0; i < n; ++i) unit.data[i] = 0.0f;
        if (n > 0) unit.data[n / 2] = 1.0f;
        dst = std::move(unit);
        return;
    }
    const size_t n = static_cast<size_t>(dst.width) * static_cast<size_t>(dst.height);
    const size_t total = n * static_cast<size_t>(dst.channels > 0 ? dst.channels : 1);
    for (size_t i = 0; i < total; ++i) dst.data[i] = 0.0f;
    dst.data[n / 2] = 1.0f;
}

}  // namespace

void normalizeKernel(const Image& src, Image& dst, float divisor) {
    Image out(src.height, src.width, 1);
    const size_t n = kernelCount(src);
    for (size_t i = 0; i < n; ++i) out.data[i] = src.data[i] / divisor;
    dst = std::move(out);
}

void centerKernel(const Image& src, Image& dst) {
    const int w = src.width;
    const int h = src.height;
    Image out(h, w, 1);
    const size_t n = kernelCount(src);
    if (n == 0) {
        dst = std::move(out);
        return;
    }
    const float* v = src.data;

    float cx = 0.0f;
    float cy = 0.0f;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float value = v[static_cast<size_t>(y) * w + x];
            cx += static_cast<float>(x + 1) * value;
            cy += static_cast<float>(y + 1) * value;
        }
    }
    const float dx = static_cast<float>(w + 1) * 0.5f - cx;
    const float dy = static_cast<float>(h + 1) * 0.5f - cy;
    const float maxX = static_cast<float>(w - 1);
    const float maxY = static_cast<float>(h - 1);

    for (size_t i = 0; i < n; ++i) {
        const int y = static_cast<int>(i / static_cast<size_t>(w));
        const int x = static_cast<int>(i % static_cast<size_t>(w));
        const float sx = static_cast<float>(x) - dx;
        const float sy = static_cast<float>(y) - dy;
        // Written as "inside" so that a not-a-number position (from a kernel
        // that did not sum to a number) samples nothing instead of reading
        // outside the kernel.
        if (!(sx >= 0.0f && sx <= maxX && sy >= 0.0f && sy <= maxY)) {
            out.data[i] = 0.0f;
            continue;
        }
        const int x0 = static_cast<int>(std::floor(static_cast<double>(sx)));
        const int x1 = static_cast<int>(std::ceil(static_cast<double>(sx)));
        const int y0 = static_cast<int>(std::floor(static_cast<double>(sy)));
        const int y1 = static_cast<int>(std::ceil(static_cast<double>(sy)));
        // With ceil as the upper neighbour a whole-number position has both
        // weights 0; the caller falls back to the un-centred kernel then.
        const float ax0 = static_cast<float>(x1) - sx;
        const float ax1 = sx - static_cast<float>(x0);
        const float ay0 = static_cast<float>(y1) - sy;
        const float ay1 = sy - static_cast<float>(y0);
        const float v00 = v[static_cast<size_t>(y0) * w + x0];
        const float v10 = v[static_cast<size_t>(y1) * w + x0];
        const float v01 = v[static_cast<size_t>(y0) * w + x1];
        const float v11 = v[static_cast<size_t>(y1) * w + x1];
        out.data[i] = v00 * ax0 * ay0 + v10 * ax0 * ay1 + v01 * ax1 * ay0 + v11 * ax1 * ay1;
    }
    dst = std::move(out);
}

void cleanUpKernel(const Image& src, Image& dst, float kernelCutThreshold) {
    const size_t n = kernelCount(src);
    if (n == 0) {
        writeUnitKernel(src, dst);
        return;
    }

    // The first of equal maxima wins and a NaN never replaces the maximum.
    float m = src.data[0];
    for (size_t i = 1; i < n; ++i) {
        if (src.data[i] > m) m = src.data[i];
    }
    // Nothing positive to keep (all zero, all negative, or a NaN first entry):
    // cutting would leave an empty kernel and normalising it would give NaNs.
    if (!(m > 0.0f)) {
        writeUnitKernel(src, dst);
        return;
    }

    const float cut = m * kernelCutThreshold;
    Image cutKernel(src.height, src.width, 1);
    for (size_t i = 0; i < n; ++i) {
        const float value = src.data[i];
        cutKernel.data[i] = value > cut ? value : 0.0f;
    }
    const float s = sumInOrder(cutKernel);
    normalizeKernel(cutKernel, cutKernel, s);

    Image centred;
    centerKernel(cutKernel, centred);
    const float s2 = sumInOrder(centred);
    if (static_cast<double>(s2) >= 0.9) {
        normalizeKernel(centred, dst, s2);
    } else {
        // Re-centring lost too much mass (or gave nothing): keep the cut kernel.
        dst = std::move(cutKernel);
    }
}

void trimKernel(const Image& src, Image& dst) {
    const int w = src.width;
    const int h = src.height;
    const float t = 1e-4f;
    const float* v = src.data;

    auto rowHasSupport = [&](int y) {
        int count = 0;
        for (int x = 0; x < w; ++x) {
            if (v[static_cast<size_t>(y) * w + x] > t && ++count >= 2) return true;
        }
        return false;
    };
    auto columnHasSupport = [&](int x) {
        int count = 0;
        for (int y = 0; y < h; ++y) {
            if (v[static_cast<size_t>(y) * w + x] > t && ++count >= 2) return true;
        }
        return false;
    };

    int top = 0;
    while (top < h && !rowHasSupport(top)) ++top;
    int bottom = 0;
    while (bottom < h && !rowHasSupport(h - 1 - bottom)) ++bottom;
    int left = 0;
    while (left < w && !columnHasSupport(left)) ++left;
    int right = 0;
    while (right < w && !columnHasSupport(w - 1 - right)) ++right;

    if (top + bottom > h) top = bottom = 0;
    if (left + right > w) left = right = 0;
    crop(src, top, bottom, left, right, dst);
}

bool isSignificantKernel(const Image& kernel) {
    const size_t n = kernelCount(kernel);
    int above = 0;
    int strong = 0;
    for (size_t i = 0; i < n; ++i) {
        const double value = static_cast<double>(kernel.data[i]);
        if (value > 1e-5) ++above;
        if (value > 0.2) ++strong;
    }
    if (above >= 25) return true;
    return strong <= 1;
}

}  // namespace imgproc
