#include "edge_prediction.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "color.h"
#include "gradients.h"
#include "parallel.h"

namespace imgproc {

namespace {

}  // namespace

int32_t* gaussianBoxSizes(float sigma) {
    const float t = (sigma * 12.0f) * sigma;
    const float w = static_cast<float>(std::sqrt(static_cast<double>(t / 3.0f + 1.0f)));
    int32_t wl = static_cast<int32_t>(std::floor(w));
    if (wl % 2 == 0) wl = wl - 1;
    const int32_t wu = wl + 2;
    const float mIdeal = (t - static_cast<float>(3 * wl * wl) - static_cast<float>(12 * wl) -
                          static_cast<float>(9)) /
                         static_cast<float>(-4 * wl - 4);
    const int32_t m = static_cast<int32_t>(static_cast<double>(mIdeal) + 0.5);
    int32_t* sizes = new int32_t[3];
    for (int32_t i = 0; i < 3; ++i) sizes[i] = i < m ? wl : wu;
    return sizes;
}

void boxFilter(const Image& image, int windowRows, int windowCols, Image& result) {
    const int w = image.width;
    const int h = image.height;
    const int c = image.channels;
    const int ry = (windowRows - 1) / 2;
    const int rx = (windowCols - 1) / 2;

    // The whole table is built before any output is written, so the result
    // may be the image itself.
    Image table;
    integralImage(image, table);
    Image out(h, w, c);
    const float* T = table.data;
    const size_t rowStride = static_cast<size_t>(w) * c;

    const size_t rowsMinimum = (kParallelMinimum + rowStride - 1) / std::max<size_t>(rowStride, 1);
    parallelFor(h, static_cast<int64_t>(rowsMinimum), [&](int64_t begin, int64_t end) {
        for (int y = static_cast<int>(begin); y < end; ++y) {
            const int y0 = std::max(y - ry, 0);
            const int y1 = std::min(y + ry, h - 1);
            const float* rowBelow = T + static_cast<size_t>(y1) * rowStride;
            const float* rowAbove = y0 > 0 ? T + static_cast<size_t>(y0 - 1) * rowStride : nullptr;
            float* dst = out.data + static_cast<size_t>(y) * rowStride;
            // Windows wholly inside the row: the same sum and count without
            // the border tests (absent terms stay zeros, as below).
            const int inFirst = rx + 1;
            const int inLast = w - 1 - rx;
            if (c == 1 && inFirst <= inLast) {
                const float count = static_cast<float>((2 * rx + 1) * (y1 - y0 + 1));
                for (int x = inFirst; x <= inLast; ++x) {
                    const float a = rowBelow[x + rx];
                    const float b = rowAbove ? rowAbove[x + rx] : 0.0f;
                    const float d = rowBelow[x - rx - 1];
                    const float e = rowAbove ? rowAbove[x - rx - 1] : 0.0f;
                    const float sum = a - b - d + e;
                    dst[x] = sum / count;
                }
            }
            for (int x = 0; x < w; ++x) {
                if (c == 1 && inFirst <= inLast && x == inFirst) x = inLast + 1;
                if (x >= w) break;
                const int x0 = std::max(x - rx, 0);
                const int x1 = std::min(x + rx, w - 1);
                const float count = static_cast<float>((x1 - x0 + 1) * (y1 - y0 + 1));
                for (int ch = 0; ch < c; ++ch) {
                    const size_t right = static_cast<size_t>(x1) * c + ch;
                    const float a = rowBelow[right];
                    const float b = rowAbove ? rowAbove[right] : 0.0f;
                    const float d = x0 > 0 ? rowBelow[static_cast<size_t>(x0 - 1) * c + ch] : 0.0f;
                    const float e =
                        (rowAbove && x0 > 0) ? rowAbove[static_cast<size_t>(x0 - 1) * c + ch] : 0.0f;
                    const float sum = a - b - d + e;
                    dst[static_cast<size_t>(x) * c + ch] = sum / count;
                }
            }
        }
    });
    result = std::move(out);
}

void gaussianBlur(const Image& image, Image& result, float sigma) {
    Image blurred(image);
    int32_t* sizes = gaussianBoxSizes(sigma);
    for (int i = 0; i < 3; ++i) {
        if (sizes[i] == 1) continue;
        boxFilter(blurred, sizes[i], sizes[i], blurred);
    }
    delete[] sizes;
    result = std::move(blurred);
}

namespace {

// One shock step of pixel (r, c) of `s` (h x w). The differences are the
// ones forwardGradient, backwardGradient and secondDerivatives give:
// forward and backward ones repeat the border pixel, second ones read zero
// outside; `Interior` drops the border checks for pixels away from the edge.
template <bool Interior>
inline float shockStepAt(const float* s, int h, int w, int r, int c, float step, float spacing) {
    const size_t W = static_cast<size_t>(w);
    const float* row = s + static_cast<size_t>(r) * W;
    const float* below = s + static_cast<size_t>(Interior || r + 1 < h ? r + 1 : h - 1) * W;
    const float* above = s + static_cast<size_t>(Interior || r > 0 ? r - 1 : 0) * W;
    auto at = [&](int y, int x) -> float {
        if (Interior) return s[static_cast<size_t>(y) * W + x];
        return (y >= 0 && y < h && x >= 0 && x < w) ? s[static_cast<size_t>(y) * W + x] : 0.0f;
    };
    const float v = row[c];
    const float fx = (Interior || c + 1 < w) ? row[c + 1] - v : v - v;
    const float fy = below[c] - v;
    const float bx = (Interior || c > 0) ? v - row[c - 1] : v - v;
    const float by = v - above[c];

    float xx, xy, yy;
    secondDifferencesAt(at, r, c, v, xx, xy, yy);

    const float ix = (bx + fx) * 0.5f;
    const float iy = (by + fy) * 0.5f;
    const float d = xx * ix * ix + 2.0f * xy * ix * iy + yy * iy * iy;
    const float sign = d > 0.0f ? 1.0f : (d < 0.0f ? -1.0f : 0.0f);
    const float mx = bx * fx < 0.0f ? 0.0f : std::min(std::fabs(fx), std::fabs(bx));
    const float my = by * fy < 0.0f ? 0.0f : std::min(std::fabs(fy), std::fabs(by));
    const float g = static_cast<float>(std::sqrt(static_cast<double>(mx * mx + my * my)));
    return v - ((g * sign) * step) / spacing;
}

}  // namespace

void shockFilter(const Image& image, int iterations, float step, float spacing,
                 Image& result) {
    Image current(image);
    const int h = image.height;
    const int w = image.width;
    // Every update of a pass reads differences taken before any pixel
    // changes, so a pass writes a fresh image; the differences themselves
    // are taken on the fly instead of being stored.
    for (int it = 0; it < iterations && h > 0 && w > 0; ++it) {
        Image next(h, w, 1);
        next.extra = current.extra;
        const float* s = current.data;
        float* out = next.data;
        parallelFor(h, static_cast<int64_t>(kParallelMinimum / static_cast<size_t>(w)) + 1,
                    [&](int64_t begin, int64_t end) {
                        for (int r = static_cast<int>(begin); r < end; ++r) {
                            float* o = out + static_cast<size_t>(r) * w;
                            if (r == 0 || r == h - 1 || w < 3) {
                                for (int c = 0; c < w; ++c)
                                    o[c] = shockStepAt<false>(s, h, w, r, c, step, spacing);
                                continue;
                            }
                            o[0] = shockStepAt<false>(s, h, w, r, 0, step, spacing);
                            for (int c = 1; c < w - 1; ++c)
                                o[c] = shockStepAt<true>(s, h, w, r, c, step, spacing);
                            o[w - 1] = shockStepAt<false>(s, h, w, r, w - 1, step, spacing);
                        }
                    });
        current = std::move(next);
    }
    result = std::move(current);
}

int partitionDescending(float* values, int lo, int hi) {
    const float pivot = values[lo];
    int i = lo;
    int j = hi;
    while (i < j) {
        while (i < j && values[j] <= pivot) --j;
        values[i] = values[j];
        while (i < j && values[i] >= pivot) ++i;
        values[j] = values[i];
    }
    values[i] = pivot;
    return i;
}

float quickSelect(float* values, int lo, int hi, int k) {
    if (hi == -1) return 0.0f;
    while (lo < hi) {
        const int r = partitionDescending(values, lo, hi);
        if (r + 1 == k) return values[r];
        if (r + 1 < k) {
            lo = r + 1;
        } else {
            hi = r - 1;
            if (hi == -1) return 0.0f;
        }
    }
    return values[hi];
}

float orientationThreshold(const Image& hx, const Image& hy, const Image& map, int count) {
    const size_t n = pixelCount(hx.width, hx.height);
    // The pixels are sorted into four orientation bins, each bin keeping
    // pixel order: every segment of pixels first finds its pixels' bins (the
    // costly part) and counts them, then writes its values at the place its
    // counts give it.
    const int64_t segments = std::max<int64_t>(
        1, std::min<int64_t>(static_cast<int64_t>(n / kParallelMinimum) + 1,
                             static_cast<int64_t>(parallelThreadCount()) * 4));
    std::vector<unsigned char> binOf(n);
    std::vector<size_t> counts(static_cast<size_t>(segments) * 4, 0);
    auto segmentBegin = [&](int64_t s) { return static_cast<size_t>(static_cast<int64_t>(n) * s / segments); };
    parallelFor(segments, 1, [&](int64_t first, int64_t last) {
        for (int64_t s = first; s < last; ++s) {
            size_t* segmentCounts = counts.data() + 4 * s;
            for (size_t i = segmentBegin(s); i < segmentBegin(s + 1); ++i) {
                float theta = static_cast<float>(
                    std::atan2(static_cast<double>(hy.data[i]), static_cast<double>(hx.data[i])));
                if (theta < 0.0f) theta = theta + 3.1415927f;
                unsigned char b;
                if (theta < 0.7853982f) {
                    b = 0;
                } else if (theta < 1.5707964f) {
                    b = 1;
                } else if (theta < 2.3561945f) {
                    b = 2;
                } else {
                    b = 3;
                }
                binOf[i] = b;
                ++segmentCounts[b];
            }
        }
    });
    // counts become each segment's first place in each bin.
    size_t sizes[4] = {0, 0, 0, 0};
    for (int64_t s = 0; s < segments; ++s)
        for (int b = 0; b < 4; ++b) {
            const size_t c = counts[4 * s + b];
            counts[4 * s + b] = sizes[b];
            sizes[b] += c;
        }
    std::vector<float> bins[4];
    for (int b = 0; b < 4; ++b) bins[b].resize(sizes[b]);
    parallelFor(segments, 1, [&](int64_t first, int64_t last) {
        for (int64_t s = first; s < last; ++s) {
            size_t place[4] = {counts[4 * s], counts[4 * s + 1], counts[4 * s + 2], counts[4 * s + 3]};
            for (size_t i = segmentBegin(s); i < segmentBegin(s + 1); ++i) {
                const unsigned char b = binOf[i];
                bins[b][place[b]++] = map.data[i];
            }
        }
    });

    // The four selections are independent of each other.
    float selected[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    parallelFor(4, 1, [&](int64_t first, int64_t last) {
        for (int64_t b = first; b < last; ++b) {
            const int size = static_cast<int>(bins[b].size());
            selected[b] = size == 0 ? 0.0f : quickSelect(bins[b].data(), 0, size - 1, count);
        }
    });
    float smallest = 0.0f;
    for (int b = 0; b < 4; ++b) {
        const float v = selected[b];
        if (b == 0 || v < smallest) smallest = v;
    }
    return smallest;
}

void predictGradients(PredictionParams& params, const Image& latent, const Image& scaleMap,
                      Image& px, Image& py) {
    const size_t n = pixelCount(latent.width, latent.height);

    if (params.scaleMapCut < -10.0f) {
        // Orientations come from the latent image's own differences; they are
        // needed only here, so they are taken only when the cut is chosen.
        Image lx, ly;
        forwardGradient(latent, lx, ly);
        const int kh = params.kernelHeight;
        const int kw = params.kernelWidth;
        const float s = static_cast<float>(std::sqrt(static_cast<double>(
            static_cast<float>(n) / static_cast<float>(kh) / static_cast<float>(kw))));
        const float kmax = static_cast<float>(std::max(kh, kw));
        const float v = s * params.scaleMapThreshold * kmax * kmax;
        const int count = static_cast<int>(static_cast<double>(v) + 0.5);
        const float cut = orientationThreshold(lx, ly, scaleMap, count);
        params.scaleMapCut = cut < 0.05f ? cut : 0.05f;
    }

    Image candidate;
    gaussianBlur(latent, candidate, params.blurSigma);
    shockFilter(candidate, params.shockIterations, params.shockStep, params.shockSpacing,
                candidate);
    Image ax, ay;
    forwardGradient(candidate, ax, ay);

    // Magnitudes, zero where the scale map falls below the cut.
    const float cut = params.scaleMapCut;
    Image magnitude(latent.height, latent.width, 1);
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float gx = ax.data[i];
            const float gy = ay.data[i];
            magnitude.data[i] = static_cast<float>(std::sqrt(static_cast<double>(gx * gx + gy * gy)));
            if (scaleMap.data[i] < cut) magnitude.data[i] = 0.0f;
        }
    });

    if (params.gradientThreshold <= 0.0f) {
        params.gradientThreshold =
            orientationThreshold(ax, ay, magnitude, 2 * params.kernelHeight);
    }

    const float threshold = params.gradientThreshold;
    Image outX(latent.height, latent.width, 1);
    Image outY(latent.height, latent.width, 1);
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const bool keep = magnitude.data[i] > threshold;
            outX.data[i] = keep ? ax.data[i] : 0.0f;
            outY.data[i] = keep ? ay.data[i] : 0.0f;
        }
    });
    px = std::move(outX);
    py = std::move(outY);
}

}  // namespace imgproc
