#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "geometry.h"
#include "median_filter.h"
#include "test_support.h"

using imgproc::Image;
using imgproc::MedianHistogram;

namespace {

Image constantImage(int rows, int cols, int channels, float value) {
    Image image(rows, cols, channels);
    std::fill(image.data, image.data + image.size(), value);
    return image;
}

using testsupport::randomImage;

// The 24th smallest of the 49 levels around (y, x), edges repeated.
int bruteForceMedian(const Image& image, int channel, int y, int x) {
    std::vector<int> levels;
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            const int yy = std::clamp(y + dy, 0, image.height - 1);
            const int xx = std::clamp(x + dx, 0, image.width - 1);
            levels.push_back(MedianHistogram::levelOfValue(
                image.data[(static_cast<size_t>(yy) * image.width + xx) * image.channels + channel]));
        }
    }
    std::sort(levels.begin(), levels.end());
    return levels[23];
}

void expectMatchesBruteForce(const Image& source, const Image& filtered) {
    ASSERT_EQ(std::tuple(filtered.height, filtered.width, filtered.channels),
              std::tuple(source.height, source.width, source.channels));
    for (int c = 0; c < source.channels; ++c)
        for (int y = 0; y < source.height; ++y)
            for (int x = 0; x < source.width; ++x)
                ASSERT_EQ(filtered.data[(static_cast<size_t>(y) * source.width + x) * source.channels + c],
                          static_cast<float>(bruteForceMedian(source, c, y, x)) / 255.0f)
                    << "channel " << c << " row " << y << " column " << x;
}

}  // namespace

TEST(MedianHistogram, LowerMedianOfEvenSplitIsZero) {
    std::vector<float> values(49, 1.0f);
    std::fill(values.begin(), values.begin() + 24, 0.0f);
    const Image window = testsupport::makeImage(7, 7, 1, values);
    MedianHistogram histogram(window, 0, 0, 6, 6);
    EXPECT_EQ(std::tuple(histogram.total, histogram.bins[0], histogram.bins[255]), std::tuple(49, 24, 25));
    EXPECT_EQ(histogram.median(), 0);
}

TEST(MedianHistogram, OneLevelRuleForFillAndMoves) {
    // The float just below 0.0019607844: float(v * 255) lies just below 0.5,
    // so the fill's rule (half added in double) gives level 0, while adding
    // the half in single precision would round up to level 1.
    const float v = std::nextafter(0.0019607844f, 0.0f);
    volatile float scaled = v * 255.0f;
    ASSERT_EQ(static_cast<int>(scaled + 0.5f), 1);
    EXPECT_EQ(MedianHistogram::levelOfValue(v), 0);
    EXPECT_EQ(MedianHistogram::levelOfValue(0.0019607844f), 1);
    EXPECT_EQ(MedianHistogram::levelOfValue(0.5f), 128);
    EXPECT_EQ(MedianHistogram::levelOfValue(1.0f), 255);

    // A row entering by a move and leaving by the next must use the same bin.
    MedianHistogram histogram(constantImage(9, 8, 1, v), 0, 0, 6, 6);
    histogram.moveDown();
    histogram.moveRight();
    histogram.moveDown();
    histogram.moveUp();
    EXPECT_EQ(std::tuple(histogram.total, histogram.bins[0], histogram.bins[1]), std::tuple(49, 49, 0));
}

TEST(MedianHistogram, OutOfRangeAndNaNStayInsideTheBins) {
    EXPECT_EQ(MedianHistogram::levelOfValue(-0.3f), 0);
    EXPECT_EQ(MedianHistogram::levelOfValue(1.7f), 255);
    EXPECT_EQ(MedianHistogram::levelOfValue(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(MedianHistogram::levelOfValue(std::numeric_limits<float>::infinity()), 255);

    Image filtered;
    imgproc::medianFilter(constantImage(5, 5, 1, 3.0f), filtered);
    EXPECT_EQ(filtered.data[12], 1.0f);
    imgproc::medianFilter(constantImage(5, 5, 1, std::numeric_limits<float>::quiet_NaN()), filtered);
    EXPECT_EQ(filtered.data[12], 0.0f);
}

TEST(MedianHistogram, SerpentinePathOverThreeByTwo) {
    // Width 3, height 2: (0,0), (1,0) down, (1,1), (0,1) up, (0,2), (1,2) down.
    const Image source = randomImage(2, 3, 1, 7);
    Image padded;
    imgproc::padReplicate(source, 3, 3, 3, 3, padded);
    MedianHistogram histogram(padded, 0, 0, 6, 6);

    const int path[6][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 2}, {1, 2}};
    for (int step = 0; step < 6; ++step) {
        const int y = path[step][0], x = path[step][1];
        if (step == 1 || step == 5) histogram.moveDown();
        if (step == 3) histogram.moveUp();
        if (step == 2 || step == 4) histogram.moveRight();
        EXPECT_EQ(std::tuple(histogram.top, histogram.bottom, histogram.left, histogram.right, histogram.total),
                  std::tuple(y, y + 6, x, x + 6, 49)) << "step " << step;
        EXPECT_EQ(histogram.median(), bruteForceMedian(source, 0, y, x)) << "step " << step;
    }
}

TEST(MedianFilter, MatchesBruteForceOnRandomPictures) {
    // Wide enough to be shared out in several strips, odd and even strip starts.
    const Image grey = randomImage(37, 301, 1, 11);
    Image filtered;
    imgproc::medianFilterChannel(grey, filtered);
    expectMatchesBruteForce(grey, filtered);

    const Image colour = randomImage(20, 23, 3, 12);
    imgproc::medianFilter(colour, filtered);
    expectMatchesBruteForce(colour, filtered);
}

TEST(MedianFilter, QuantisesAndRemovesThinFeatures) {
    Image filtered;
    imgproc::medianFilter(constantImage(9, 11, 1, 0.5f), filtered);
    for (size_t i = 0; i < filtered.size(); ++i) ASSERT_EQ(filtered.data[i], 128.0f / 255.0f);

    imgproc::medianFilter(constantImage(1, 1, 1, 0.3f), filtered);
    ASSERT_EQ(filtered.size(), 1u);
    EXPECT_EQ(filtered.data[0], 77.0f / 255.0f);  // 76.5 rounds up

    Image spot = constantImage(15, 15, 1, 0.0f);
    spot.data[7 * 15 + 7] = 1.0f;
    for (int x = 0; x < 15; ++x) spot.data[3 * 15 + x] = 0.8f;  // a bright line
    imgproc::medianFilter(spot, filtered);
    for (size_t i = 0; i < filtered.size(); ++i) ASSERT_EQ(filtered.data[i], 0.0f);
}
