#include "color.h"

#include <cmath>
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
    for (int32_t k = 0; k < source.channels; ++k) {
        Image plane(source.height, source.width, 1);
        for (int64_t i = 0; i < pixels; ++i) plane.data[i] = source.data[i * source.channels + k];
        planes[k] = std::move(plane);
    }
}

void mergePlanes(const Image* planes, int32_t count, Image& destination) {
    destination = Image(planes[0].height, planes[0].width, count);
    const int64_t pixels = static_cast<int64_t>(planes[0].width) * planes[0].height;
    for (int32_t k = 0; k < count; ++k) {
        const float* src = planes[k].data;
        for (int64_t i = 0; i < pixels; ++i) destination.data[i * count + k] = src[i];
    }
}

void integralImage(const Image& source, Image& destination) {
    Image result(source.height, source.width, source.channels);
    const int w = source.width, h = source.height, ch = source.channels;
    auto at = [&](const float* base, int r, int c, int k) -> float {
        return (r < 0 || c < 0) ? 0.0f : base[(static_cast<size_t>(r) * w + c) * ch + k];
    };
    for (int k = 0; k < ch; ++k)
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const float i = source.data[(static_cast<size_t>(r) * w + c) * ch + k];
                result.data[(static_cast<size_t>(r) * w + c) * ch + k] =
                    ((i + at(result.data, r, c - 1, k)) + at(result.data, r - 1, c, k)) -
                    at(result.data, r - 1, c - 1, k);
            }
    destination = std::move(result);
}

}  // namespace imgproc
