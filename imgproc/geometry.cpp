#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "color.h"
#include "parallel.h"

namespace imgproc {

namespace {

// Contributions of one dimension: `taps` source indices (already clamped)
// and normalised weights per target sample.
struct TapTable {
    int taps = 0;
    std::vector<int> index;
    std::vector<float> weight;
};

TapTable buildTaps(float s, int sourceLength, int targetLength, bool stretch, bool enlarging) {
    TapTable table;
    const float kw = stretch ? 2.0f / s : 2.0f;
    table.taps = static_cast<int>(std::ceil(static_cast<double>(kw))) + 2;
    table.index.resize(static_cast<size_t>(table.taps) * targetLength);
    table.weight.resize(static_cast<size_t>(table.taps) * targetLength);
    for (int i = 1; i <= targetLength; ++i) {
        const float u = static_cast<float>(i) / s + 0.5f * (1.0f - 1.0f / s) - 1.0f;
        const int t0 = static_cast<int>(std::floor(static_cast<double>(u - kw * 0.5f)));
        int* idx = &table.index[static_cast<size_t>(i - 1) * table.taps];
        float* w = &table.weight[static_cast<size_t>(i - 1) * table.taps];
        float sum = 0.0f;
        for (int j = 0; j < table.taps; ++j) {
            const int k = t0 + j;
            const float x = u - static_cast<float>(k);
            float weight;
            if (enlarging) {
                weight = std::max(0.0f, 1.0f - std::fabs(x));
            } else {
                weight = s * std::max(0.0f, 1.0f - std::fabs(s * x));
            }
            w[j] = weight;
            sum += weight;
            idx[j] = std::min(std::max(k, 0), sourceLength - 1);
        }
        for (int j = 0; j < table.taps; ++j) w[j] = w[j] / sum;
    }
    return table;
}

// Resamples along rows: result has `table` target rows and the source's columns.
Image resampleRows(const Image& src, const TapTable& table, int targetRows) {
    Image out(targetRows, src.width, 1);
    const int w = src.width;
    // Shared out by rows once the result has more than 65536 values.
    parallelFor(targetRows, 65536 / std::max(w, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int i = static_cast<int>(begin); i < end; ++i) {
            const int* idx = &table.index[static_cast<size_t>(i) * table.taps];
            const float* wt = &table.weight[static_cast<size_t>(i) * table.taps];
            float* dst = out.data + static_cast<size_t>(i) * w;
            for (int x = 0; x < w; ++x) dst[x] = 0.0f;
            for (int j = 0; j < table.taps; ++j) {
                const float* row = src.data + static_cast<size_t>(idx[j]) * w;
                const float weight = wt[j];
                for (int x = 0; x < w; ++x) dst[x] += weight * row[x];
            }
        }
    });
    return out;
}

// Resamples along columns: result has the source's rows and `targetCols` columns.
Image resampleCols(const Image& src, const TapTable& table, int targetCols) {
    Image out(src.height, targetCols, 1);
    const int h = src.height;
    parallelFor(h, 65536 / std::max(targetCols, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int r = static_cast<int>(begin); r < end; ++r) {
            const float* row = src.data + static_cast<size_t>(r) * src.width;
            float* dst = out.data + static_cast<size_t>(r) * targetCols;
            for (int i = 0; i < targetCols; ++i) {
                const int* idx = &table.index[static_cast<size_t>(i) * table.taps];
                const float* wt = &table.weight[static_cast<size_t>(i) * table.taps];
                float sum = 0.0f;
                for (int j = 0; j < table.taps; ++j) sum += wt[j] * row[idx[j]];
                dst[i] = sum;
            }
        }
    });
    return out;
}

bool anyNegative(int32_t a, int32_t b, int32_t c, int32_t d) { return a < 0 || b < 0 || c < 0 || d < 0; }

}  // namespace

void resizeChannel(const Image& source, int32_t height, int32_t width, Image& destination) {
    // An empty source has no pixel to sample: nothing to fill a target with.
    if (height < 0 || width < 0 || source.height <= 0 || source.width <= 0) {
        destination = Image();
        return;
    }
    // No taps to build for an empty target (the stretched kernel width would be
    // infinite).
    if (height == 0 || width == 0) {
        destination = Image(height, width, 1);
        return;
    }
    const float sH = static_cast<float>(height) / static_cast<float>(source.height);
    const float sW = static_cast<float>(width) / static_cast<float>(source.width);
    const bool stretch = sH < 1.0f && sW < 1.0f;
    const bool enlarging = sH > 1.0f || sW > 1.0f;
    const TapTable rowTaps = buildTaps(sH, source.height, height, stretch, enlarging);
    const TapTable colTaps = buildTaps(sW, source.width, width, stretch, enlarging);
    Image result;
    if (sW >= sH) {
        Image intermediate = resampleRows(source, rowTaps, height);
        result = resampleCols(intermediate, colTaps, width);
    } else {
        Image intermediate = resampleCols(source, colTaps, width);
        result = resampleRows(intermediate, rowTaps, height);
    }
    destination = std::move(result);
}

void resize(const Image& source, int32_t height, int32_t width, Image& destination) {
    if (source.channels == 1) {
        resizeChannel(source, height, width, destination);
        return;
    }
    Image* planes = nullptr;
    splitPlanes(source, planes);
    for (int32_t k = 0; k < source.channels; ++k) resizeChannel(planes[k], height, width, planes[k]);
    if (source.channels > 0 && planes[0].data) {
        mergePlanes(planes, source.channels, destination);
    } else {
        destination = Image();
    }
    delete[] planes;
}

void padZero(const Image& source, int32_t top, int32_t bottom, int32_t left, int32_t right,
             Image& destination) {
    if (anyNegative(top, bottom, left, right)) {
        destination = Image();
        return;
    }
    const int H = source.height, W = source.width, ch = source.channels;
    const int outH = H + top + bottom, outW = W + left + right;
    Image result(outH, outW, ch);
    const size_t rowFloats = static_cast<size_t>(outW) * ch;
    for (int r = 0; r < outH; ++r) {
        float* dst = result.data + r * rowFloats;
        const int sr = r - top;
        if (sr < 0 || sr >= H) {
            std::fill(dst, dst + rowFloats, 0.0f);
            continue;
        }
        std::fill(dst, dst + static_cast<size_t>(left) * ch, 0.0f);
        std::memcpy(dst + static_cast<size_t>(left) * ch, source.data + static_cast<size_t>(sr) * W * ch,
                    sizeof(float) * W * ch);
        std::fill(dst + static_cast<size_t>(left + W) * ch, dst + rowFloats, 0.0f);
    }
    destination = std::move(result);
}

void padReplicate(const Image& source, int32_t top, int32_t bottom, int32_t left, int32_t right,
                  Image& destination) {
    if (anyNegative(top, bottom, left, right) || source.height <= 0 || source.width <= 0) {
        destination = Image();
        return;
    }
    const int H = source.height, W = source.width, ch = source.channels;
    const int outH = H + top + bottom, outW = W + left + right;
    Image result(outH, outW, ch);
    parallelFor(outH, 65536 / std::max(outW, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int r = static_cast<int>(begin); r < end; ++r) {
            const int sr = std::min(std::max(r - top, 0), H - 1);
            const float* srcRow = source.data + static_cast<size_t>(sr) * W * ch;
            float* dst = result.data + static_cast<size_t>(r) * outW * ch;
            for (int c = 0; c < outW; ++c) {
                const int sc = std::min(std::max(c - left, 0), W - 1);
                for (int k = 0; k < ch; ++k) dst[c * ch + k] = srcRow[sc * ch + k];
            }
        }
    });
    destination = std::move(result);
}

void crop(const Image& source, int32_t top, int32_t bottom, int32_t left, int32_t right,
          Image& destination) {
    const int outH = source.height - top - bottom, outW = source.width - left - right;
    if (anyNegative(top, bottom, left, right) || outH < 0 || outW < 0) {
        destination = Image();
        return;
    }
    const int ch = source.channels;
    Image result(outH, outW, ch);
    for (int r = 0; r < outH; ++r)
        std::memcpy(result.data + static_cast<size_t>(r) * outW * ch,
                    source.data + (static_cast<size_t>(r + top) * source.width + left) * ch,
                    sizeof(float) * outW * ch);
    destination = std::move(result);
}

void rotate180(const Image& source, Image& destination) {
    Image result(source.height, source.width, source.channels);
    const int64_t pixels = static_cast<int64_t>(source.width) * source.height;
    const int ch = source.channels;
    for (int64_t n = 0; n < pixels; ++n)
        for (int k = 0; k < ch; ++k) result.data[n * ch + k] = source.data[(pixels - 1 - n) * ch + k];
    destination = std::move(result);
}

void circShift(const Image& source, int32_t dy, int32_t dx, Image& destination) {
    const int H = source.height, W = source.width, ch = source.channels;
    Image result(H, W, ch);
    if (H > 0 && W > 0) {
        const int sy = ((dy % H) + H) % H;
        const int sx = ((dx % W) + W) % W;
        for (int r = 0; r < H; ++r) {
            const float* srcRow = source.data + static_cast<size_t>(r) * W * ch;
            float* dstRow = result.data + static_cast<size_t>((r + sy) % H) * W * ch;
            // Two contiguous runs per row: [0, W - sx) moves right by sx, the rest wraps.
            std::memcpy(dstRow + static_cast<size_t>(sx) * ch, srcRow, sizeof(float) * (W - sx) * ch);
            std::memcpy(dstRow, srcRow + static_cast<size_t>(W - sx) * ch, sizeof(float) * sx * ch);
        }
    }
    destination = std::move(result);
}

}  // namespace imgproc
