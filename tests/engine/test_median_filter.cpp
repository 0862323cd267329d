#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "median_filter.h"
#include "test_support.h"

using imgproc::Image;
using imgproc::MedianHistogram;

namespace {

// The 24th smallest of the 49 levels around (y, x), edges repeated.
int bruteForceMedian(const Image& image, int channel, int y, int x) {
    std::vector<int> levels;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const int yy = std::clamp(y + dy, 0, image.height - 1);
            const int xx = std::clamp(x + dx, 0, image.width - 1);
            levels.push_back(MedianHistogram::levelOfValue(
                image.data[(static_cast<size_t>(yy) * image.width + xx) * image.channels + channel]));
        }
    std::nth_element(levels.begin(), levels.begin() + 23, levels.end());
    return levels[23];
}

}  // namespace

TEST(MedianHistogram, LevelsRoundWithTheHalfAddedInDoubleAndStayInRange) {
    // The float just below 0.0019607844: float(v * 255) lies just below 0.5,
    // so adding the half in double gives level 0, in single precision 1.
    const float v = std::nextafter(0.0019607844f, 0.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::pair<float, int> cases[] = {{v, 0},     {0.0019607844f, 1}, {0.3f, 77}, {0.5f, 128}, {1.0f, 255},
                                           {-0.3f, 0}, {1.7f, 255},        {nan, 0},   {inf, 255}};
    for (auto [value, level] : cases) EXPECT_EQ(MedianHistogram::levelOfValue(value), level) << value;

    // A row entering by a move and leaving by the next must use the same level.
    MedianHistogram histogram(testsupport::makeImage(9, 8, 1, std::vector<float>(72, v)), 0, 0, 6, 6);
    histogram.moveDown();
    histogram.moveRight();
    histogram.moveDown();
    histogram.moveUp();
    EXPECT_EQ(std::tuple(histogram.total, histogram.bins[0], histogram.bins[1]), std::tuple(49, 49, 0));
}

TEST(MedianFilter, MatchesBruteForceOnRandomPictures) {
    // Wide enough to be shared out in several strips, odd and even strip starts;
    // every output is a level over 255.
    for (const Image& source : {testsupport::randomImage(37, 301, 1, 11), testsupport::randomImage(20, 23, 3, 12)}) {
        Image filtered;
        source.channels == 1 ? imgproc::medianFilterChannel(source, filtered) : imgproc::medianFilter(source, filtered);
        ASSERT_EQ(std::tuple(filtered.height, filtered.width, filtered.channels),
                  std::tuple(source.height, source.width, source.channels));
        for (int c = 0; c < source.channels; ++c)
            for (int y = 0; y < source.height; ++y)
                for (int x = 0; x < source.width; ++x)
                    ASSERT_EQ(filtered.data[(static_cast<size_t>(y) * source.width + x) * source.channels + c],
                              static_cast<float>(bruteForceMedian(source, c, y, x)) / 255.0f)
                        << "channel " << c << " row " << y << " column " << x;
    }
}
