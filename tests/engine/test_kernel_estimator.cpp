#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "kernel_estimator.h"
#include "test_support.h"

namespace {

using imgproc::Image;
using imgproc::KernelEstimator;
using Size = std::pair<int, int>;  // rows, cols

// A prepared estimator on a flat picture; a given side below 0 asks for the automatic size.
std::unique_ptr<KernelEstimator> prepared(int rows, int cols, int channels, int kernelRows, int kernelCols) {
    const Image picture = testsupport::makeImage(rows, cols, channels, {});
    auto estimator =
        kernelRows < 0 ? std::make_unique<KernelEstimator>(picture, 0.618f, 1, true)
                       : std::make_unique<KernelEstimator>(picture, kernelRows, kernelCols, 0.618f, 1, true);
    estimator->prepare(1.0f);
    return estimator;
}

TEST(PyramidLevelCount, FollowsTheLevelTable) {
    const struct { int low, high, levels; } table[] = {
        {1, 1, -1},   {2, 2, 1},    {3, 4, 2},     {5, 7, 3},      {8, 12, 4},     {13, 20, 5},    {21, 33, 6},
        {34, 53, 7},  {54, 87, 8},  {88, 140, 9},  {141, 228, 10}, {229, 369, 11}, {370, 597, 12}};
    for (const auto& row : table)
        for (int m = row.low; m <= row.high; ++m) EXPECT_EQ(imgproc::pyramidLevelCount(m, 0.618f), row.levels) << m;
}

TEST(KernelEstimatorConstruction, AutomaticSizeIsAFifthOfEachSideMadeOdd) {
    const KernelEstimator wide(testsupport::makeImage(750, 1000, 1, {}), 0.618f, 1, true);
    EXPECT_EQ(Size(wide.kernelHeight, wide.kernelWidth), Size(151, 201));
    EXPECT_EQ(wide.engineName, "FFTW");
    // Even sizes are made odd per level, not here.
    const KernelEstimator given(testsupport::makeImage(40, 40, 3, {}), 20, 10, 0.618f, 2, false);
    EXPECT_EQ(Size(given.kernelHeight, given.kernelWidth), Size(20, 10));
    EXPECT_EQ(given.engineName, "CUFFT");
}

TEST(KernelEstimatorPyramid, PicturesAndKernelsOfEveryLevel) {
    const struct { int rows, cols, channels, kernelRows, kernelCols; std::vector<Size> pictures, kernels; } cases[] = {
        {600, 800, 1, 19, 19, {{600, 800}, {370, 494}, {229, 305}, {141, 188}, {87, 116}},
         {{19, 19}, {13, 13}, {9, 9}, {5, 5}, {3, 3}}},
        {480, 640, 3, 33, 55, {{480, 640}, {296, 395}, {183, 244}, {113, 151}, {70, 93}, {43, 57}, {26, 35}, {16, 22}},
         {{33, 55}, {21, 35}, {13, 23}, {9, 13}, {5, 9}, {3, 5}, {3, 5}, {3, 3}}},
        {750, 1000, 1, -1, -1,
         {{750, 1000}, {463, 618}, {286, 381}, {177, 236}, {109, 145}, {67, 90}, {41, 55}, {25, 34}, {15, 21}, {9, 13}},
         {{151, 201}, {95, 125}, {59, 77}, {37, 49}, {23, 31}, {15, 19}, {9, 13}, {7, 7}, {5, 5}, {3, 3}}},
    };
    for (const auto& c : cases) {
        const auto estimator = prepared(c.rows, c.cols, c.channels, c.kernelRows, c.kernelCols);
        ASSERT_EQ(estimator->levels, static_cast<int>(c.pictures.size())) << c.rows;
        ASSERT_EQ(std::pair(estimator->images.size(), estimator->kernels.size()),
                  std::pair(c.pictures.size(), c.kernels.size()));
        for (size_t l = 0; l < c.pictures.size(); ++l) {
            const Image &picture = estimator->images[l], &kernel = estimator->kernels[l];
            EXPECT_EQ(Size(picture.height, picture.width), c.pictures[l]) << c.rows << ", level " << l;
            EXPECT_EQ(Size(kernel.height, kernel.width), c.kernels[l]) << c.rows << ", level " << l;
            EXPECT_EQ(picture.channels + kernel.channels, 2) << c.rows << ", level " << l;
        }
    }
}

TEST(KernelEstimatorSizes, GivenSidesStandUnlessLongerThanTheirOwnAxis) {
    // The sides edge prediction counts with, the level count, and the finest level's kernel (odd, at least 3).
    const struct { int rows, cols, channels, kernelRows, kernelCols; Size sides; int levels; Size finest; } cases[] = {
        {40, 60, 1, 2, 2, {2, 2}, 1, {3, 3}},             // one 3 x 3 level
        {40, 60, 1, 1, 11, {1, 11}, 4, {3, 11}},          // a thin side stands as given
        {40, 60, 1, 0, 1, {3, 1}, 2, {3, 3}},             // a side of no pixels falls back to 3
        {100, 100, 1, 20, 20, {20, 20}, 5, {21, 21}},     // an even side is estimated one larger
        {100, 120, 3, 55, 351, {55, 119}, 9, {55, 119}},  // only the side too long for its axis is reduced
        {100, 100, 1, 100, 31, {99, 31}, 9, {99, 31}},    // even and equal to its axis: the odd side below
        {40, 200, 1, 55, 9, {39, 9}, 7, {39, 9}},         // each side against its own axis
        {200, 40, 1, 55, 9, {55, 9}, 8, {55, 9}},
        {9, 9, 1, -1, -1, {1, 1}, 1, {3, 3}},             // automatic: a fifth of each side made odd
        {120, 400, 1, -1, -1, {25, 81}, 8, {25, 81}},
        {600, 14, 1, -1, -1, {121, 3}, 9, {121, 3}},
    };
    for (const auto& c : cases) {
        const auto estimator = prepared(c.rows, c.cols, c.channels, c.kernelRows, c.kernelCols);
        const Image& finest = estimator->kernels[0];
        EXPECT_EQ(Size(estimator->kernelHeight, estimator->kernelWidth), c.sides) << c.rows << "x" << c.cols;
        EXPECT_EQ(std::pair(estimator->levels, Size(finest.height, finest.width)), std::pair(c.levels, c.finest))
            << c.rows << "x" << c.cols;
    }
}

}  // namespace
