#include "median_filter.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include <omp.h>

#include "color.h"
#include "geometry.h"
#include "parallel.h"

namespace imgproc {

namespace {

constexpr int32_t kRadius = 3;
constexpr int32_t kWindow = 2 * kRadius + 1;

// Narrower strips than this cost more in window set-up than they win.
constexpr int32_t kMinStripWidth = 64;

// Filters output columns [x0, x1) of a W x H picture whose replicate-padded
// copy is `padded`. The strip keeps the serpentine direction of the whole
// path (even columns downward, odd upward), so the medians are the same
// whichever way the columns are shared out.
void filterStrip(const Image& padded, int32_t W, int32_t H, int32_t x0, int32_t x1, float* out) {
    // The columns this strip's windows cover: x0 .. x1 - 1 + 6 of the padded picture.
    Image strip;
    crop(padded, 0, 0, x0, padded.width - (x1 - 1 + kWindow), strip);

    const bool startUp = (x0 % 2) != 0;
    const int32_t top = startUp ? H - 1 : 0;
    MedianHistogram histogram(strip, top, 0, top + kWindow - 1, kWindow - 1);

    for (int32_t x = x0; x < x1; ++x) {
        if (x % 2 == 0) {
            for (int32_t y = 0; y < H; ++y) {
                if (y > 0) histogram.moveDown();
                out[static_cast<size_t>(y) * W + x] = static_cast<float>(histogram.median()) / 255.0f;
            }
        } else {
            for (int32_t y = H - 1; y >= 0; --y) {
                if (y < H - 1) histogram.moveUp();
                out[static_cast<size_t>(y) * W + x] = static_cast<float>(histogram.median()) / 255.0f;
            }
        }
        if (x + 1 < x1) histogram.moveRight();
    }
}

}  // namespace

int32_t MedianHistogram::levelOfValue(float v) {
    const float scaled = v * 255.0f;
    const double rounded = static_cast<double>(scaled) + 0.5;
    // The negated test also sends NaN to level 0.
    if (!(rounded >= 1.0)) return 0;
    if (rounded >= 255.0) return 255;
    return static_cast<int32_t>(rounded);
}

MedianHistogram::MedianHistogram(const Image& image, int32_t topRow, int32_t leftColumn,
                                 int32_t bottomRow, int32_t rightColumn)
    : binCount(256),
      bins(new int32_t[256]()),
      total(0),
      levels(image),
      top(topRow),
      left(leftColumn),
      bottom(bottomRow),
      right(rightColumn) {
    fill();
    // From here on the moves read the stored level, which is the one fill()
    // counted, so a value always leaves the bin it entered.
    const size_t count = levels.size();
    float* values = levels.data;
#pragma omp simd
    for (size_t i = 0; i < count; ++i) values[i] = static_cast<float>(levelOfValue(values[i]));
}

MedianHistogram::~MedianHistogram() { delete[] bins; }

void MedianHistogram::fill() {
    std::fill(bins, bins + binCount, 0);
    std::fill(std::begin(groups), std::end(groups), 0);
    total = 0;
    const int32_t channels = levels.channels;
    for (int32_t row = top; row <= bottom; ++row) {
        for (int32_t column = left; column <= right; ++column) {
            const float* pixel =
                levels.data + (static_cast<size_t>(row) * levels.width + column) * channels;
            for (int32_t c = 0; c < channels; ++c) add(levelOfValue(pixel[c]));
        }
    }
}

int32_t MedianHistogram::levelAt(int32_t row, int32_t column) const {
    return static_cast<int32_t>(
        levels.data[(static_cast<size_t>(row) * levels.width + column) * levels.channels]);
}

void MedianHistogram::moveRight() {
    for (int32_t row = top; row <= bottom; ++row) {
        remove(levelAt(row, left));
        add(levelAt(row, right + 1));
    }
    ++left;
    ++right;
}

void MedianHistogram::moveDown() {
    for (int32_t column = left; column <= right; ++column) {
        remove(levelAt(top, column));
        add(levelAt(bottom + 1, column));
    }
    ++top;
    ++bottom;
}

void MedianHistogram::moveUp() {
    for (int32_t column = left; column <= right; ++column) {
        remove(levelAt(bottom, column));
        add(levelAt(top - 1, column));
    }
    --top;
    --bottom;
}

int32_t MedianHistogram::median() const {
    // The first level at which the running count from level 0 reaches half;
    // whole groups of 16 levels that stay below it are skipped at once.
    const int32_t half = total / 2;
    int32_t sum = 0;
    for (int32_t group = 0; group < 16; ++group) {
        if (sum + groups[group] < half) {
            sum += groups[group];
            continue;
        }
        for (int32_t level = group * 16; level < group * 16 + 16; ++level) {
            sum += bins[level];
            if (sum >= half) return level;
        }
    }
    return 0;
}

void medianFilterChannel(const Image& source, Image& destination) {
    const int32_t W = source.width;
    const int32_t H = source.height;
    Image padded;
    padReplicate(source, kRadius, kRadius, kRadius, kRadius, padded);

    Image result(H, W, 1);
    if (W > 0 && H > 0) {
        const int32_t strips =
            std::max(1, std::min(omp_get_max_threads(), W / kMinStripWidth));
        // One strip per chunk: there are never more strips than threads.
        parallelFor(strips, 2, [&](int64_t begin, int64_t end) {
            for (int64_t s = begin; s < end; ++s) {
                const int32_t x0 = static_cast<int32_t>(static_cast<int64_t>(W) * s / strips);
                const int32_t x1 = static_cast<int32_t>(static_cast<int64_t>(W) * (s + 1) / strips);
                if (x1 > x0) filterStrip(padded, W, H, x0, x1, result.data);
            }
        });
    }
    destination = std::move(result);
}

void medianFilter(const Image& source, Image& destination) {
    if (source.channels == 1) {
        medianFilterChannel(source, destination);
        return;
    }
    const int32_t channels = source.channels;
    Image* filtered = new Image[channels];
    for (int32_t k = 0; k < channels; ++k) {
        Image plane;
        source.extractChannel(k, plane);
        medianFilterChannel(plane, filtered[k]);
    }
    Image merged;
    mergePlanes(filtered, channels, merged);
    delete[] filtered;
    destination = std::move(merged);
}

}  // namespace imgproc
