#pragma once

#include <cstdint>

#include "image.h"

namespace imgproc {

// 7 x 7 median of every channel of a picture whose values lie in [0, 1].
// Values are quantised to 256 levels (out-of-range values and NaN are clamped
// to levels 0 .. 255); every output value is a level divided by 255.
void medianFilter(const Image& source, Image& destination);

// The same for a one-channel source; the result has one channel.
void medianFilterChannel(const Image& source, Image& destination);

// Histogram of quantised levels inside a rectangular window that slides one
// pixel at a time, so each step only touches one row or column of the window.
class MedianHistogram {
public:
    int32_t binCount = 256;
    int32_t* bins = nullptr;
    int32_t total = 0;
    // The image the window moves over. fill() counts its raw values; after
    // that every value is replaced by its level (levelOfValue), so the moves
    // read exactly the level the fill counted.
    Image levels;
    int32_t top = 0;
    int32_t left = 0;
    int32_t bottom = 0;
    int32_t right = 0;

    // Corners are (row, column), both inclusive.
    MedianHistogram(const Image& image, int32_t topRow, int32_t leftColumn,
                    int32_t bottomRow, int32_t rightColumn);
    ~MedianHistogram();
    MedianHistogram(const MedianHistogram&) = delete;
    MedianHistogram& operator=(const MedianHistogram&) = delete;

    // Counts the window from the raw values of `levels` (before conversion).
    void fill();
    void moveRight();
    void moveDown();
    void moveUp();
    // The 24th smallest of 49 levels for a full 7 x 7 window (total / 2 reached).
    int32_t median() const;

    // Level of a value in [0, 1]: int(float(v * 255) + 0.5) with the half added
    // in double, clamped into 0 .. 255; NaN gives 0.
    static int32_t levelOfValue(float v);

private:
    // Counts per group of 16 levels, so that median() skips whole groups.
    int32_t groups[16] = {};
    void add(int32_t level) { ++bins[level]; ++groups[level >> 4]; ++total; }
    void remove(int32_t level) { --bins[level]; --groups[level >> 4]; --total; }
    int32_t levelAt(int32_t row, int32_t column) const;
};

}  // namespace imgproc
