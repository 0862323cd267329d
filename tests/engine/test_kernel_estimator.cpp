// Construction of the kernel estimator: level count, pyramid and kernel sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "kernel_estimator.h"

namespace {

using imgproc::Image;
using imgproc::KernelEstimator;

Image flatPicture(int rows, int cols, int channels, float value) {
    Image image(rows, cols, channels);
    std::fill(image.data, image.data + image.size(), value);
    return image;
}

using Size = std::pair<int, int>;  // rows, cols

void expectPyramid(const KernelEstimator& estimator, const std::vector<Size>& pictures,
                   const std::vector<Size>& kernels) {
    ASSERT_EQ(estimator.levels, static_cast<int>(pictures.size()));
    ASSERT_EQ(estimator.images.size(), pictures.size());
    ASSERT_EQ(estimator.kernels.size(), kernels.size());
    for (size_t l = 0; l < pictures.size(); ++l) {
        const Image &picture = estimator.images[l], &kernel = estimator.kernels[l];
        EXPECT_EQ(Size(picture.height, picture.width), pictures[l]) << "picture of level " << l;
        EXPECT_EQ(Size(kernel.height, kernel.width), kernels[l]) << "kernel of level " << l;
        EXPECT_EQ(picture.channels + kernel.channels, 2) << "level " << l;
    }
}

TEST(PyramidLevelCount, FollowsTheLevelTable) {
    const struct {
        int low, high, levels;
    } table[] = {{1, 1, -1},    {2, 2, 1},     {3, 4, 2},     {5, 7, 3},     {8, 12, 4},
                 {13, 20, 5},   {21, 33, 6},   {34, 53, 7},   {54, 87, 8},   {88, 140, 9},
                 {141, 228, 10}, {229, 369, 11}, {370, 597, 12}};
    for (const auto& row : table) {
        for (int m = row.low; m <= row.high; ++m) {
            EXPECT_EQ(imgproc::pyramidLevelCount(m, 0.618f), row.levels) << "m = " << m;
        }
    }
}

TEST(KernelEstimatorConstruction, AutomaticSizeIsAFifthOfEachSideMadeOdd) {
    const KernelEstimator wide(flatPicture(750, 1000, 1, 0.5f), 0.618f, 1, true);
    EXPECT_EQ(Size(wide.kernelHeight, wide.kernelWidth), Size(151, 201));
    const KernelEstimator tall(flatPicture(600, 14, 1, 0.5f), 0.618f, 1, true);
    EXPECT_EQ(Size(tall.kernelHeight, tall.kernelWidth), Size(121, 3));
    EXPECT_EQ(wide.engineName, "FFTW");
    EXPECT_EQ(wide.engine, nullptr);

    const KernelEstimator given(flatPicture(40, 40, 3, 0.5f), 20, 10, 0.618f, 2, false);
    // Even sizes are made odd per level, not here.
    EXPECT_EQ(Size(given.kernelHeight, given.kernelWidth), Size(20, 10));
    EXPECT_EQ(given.engineName, "CUFFT");
}

TEST(KernelEstimatorPyramid, GivenNineteenOn600x800) {
    KernelEstimator estimator(flatPicture(600, 800, 1, 0.5f), 19, 19, 0.618f, 1, true);
    estimator.prepare(1.0f);
    expectPyramid(estimator, {{600, 800}, {370, 494}, {229, 305}, {141, 188}, {87, 116}},
                  {{19, 19}, {13, 13}, {9, 9}, {5, 5}, {3, 3}});
}

TEST(KernelEstimatorPyramid, GivenThirtyThreeByFiftyFiveOn480x640) {
    KernelEstimator estimator(flatPicture(480, 640, 3, 0.5f), 33, 55, 0.618f, 1, true);
    estimator.prepare(1.0f);
    expectPyramid(estimator,
                  {{480, 640}, {296, 395}, {183, 244}, {113, 151}, {70, 93}, {43, 57}, {26, 35},
                   {16, 22}},
                  {{33, 55}, {21, 35}, {13, 23}, {9, 13}, {5, 9}, {3, 5}, {3, 5}, {3, 3}});
}

TEST(KernelEstimatorPyramid, AutomaticOn750x1000) {
    KernelEstimator estimator(flatPicture(750, 1000, 1, 0.5f), 0.618f, 1, true);
    estimator.prepare(1.0f);
    expectPyramid(estimator,
                  {{750, 1000}, {463, 618}, {286, 381}, {177, 236}, {109, 145}, {67, 90},
                   {41, 55}, {25, 34}, {15, 21}, {9, 13}},
                  {{151, 201}, {95, 125}, {59, 77}, {37, 49}, {23, 31}, {15, 19}, {9, 13},
                   {7, 7}, {5, 5}, {3, 3}});
}

TEST(KernelEstimatorPyramid, EvenGivenSizeIsEstimatedOneLarger) {
    KernelEstimator estimator(flatPicture(100, 100, 1, 0.5f), 20, 20, 0.618f, 1, true);
    estimator.prepare(1.0f);
    EXPECT_EQ(estimator.levels, 5);
    EXPECT_EQ(Size(estimator.kernels[0].height, estimator.kernels[0].width), Size(21, 21));
}

TEST(KernelEstimatorSizes, ThinSidesStandAndEachLevelIsAtLeastThree) {
    // A custom 3 x 3 on a 1000-1499 pixel photograph arrives as 2 x 2: one level.
    KernelEstimator two(flatPicture(40, 60, 1, 0.5f), 2, 2, 0.618f, 1, true);
    two.prepare(1.0f);
    EXPECT_EQ(Size(two.kernelHeight, two.kernelWidth), Size(2, 2));
    expectPyramid(two, {{40, 60}}, {{3, 3}});

    // The sides that edge prediction counts with are the given ones.
    KernelEstimator thin(flatPicture(40, 60, 1, 0.5f), 1, 11, 0.618f, 1, true);
    thin.prepare(1.0f);
    EXPECT_EQ(Size(thin.kernelHeight, thin.kernelWidth), Size(1, 11));
    EXPECT_EQ(thin.levels, 4);
    EXPECT_EQ(Size(thin.kernels[0].height, thin.kernels[0].width), Size(3, 11));

    // A side of no pixels falls back to 3.
    KernelEstimator empty(flatPicture(40, 60, 1, 0.5f), 0, 1, 0.618f, 1, true);
    empty.prepare(1.0f);
    EXPECT_EQ(Size(empty.kernelHeight, empty.kernelWidth), Size(3, 1));
    EXPECT_EQ(empty.levels, 2);

    // The automatic size of a picture under 10 pixels is 1 x 1: one level.
    KernelEstimator automatic(flatPicture(9, 9, 1, 0.5f), 0.618f, 1, true);
    automatic.prepare(1.0f);
    EXPECT_EQ(automatic.kernelHeight, 1);
    expectPyramid(automatic, {{9, 9}}, {{3, 3}});
}

TEST(KernelEstimatorSizes, OnlyASideLongerThanItsOwnAxisIsReduced) {
    // 100 rows hold 55; 120 columns cannot hold 351 and get the largest odd 119.
    KernelEstimator large(flatPicture(100, 120, 3, 0.5f), 55, 351, 0.618f, 1, true);
    large.prepare(1.0f);
    EXPECT_EQ(Size(large.kernelHeight, large.kernelWidth), Size(55, 119));
    EXPECT_EQ(Size(large.kernels[0].height, large.kernels[0].width), Size(55, 119));

    // An even side equal to its axis would be estimated one larger than the
    // picture: it becomes the odd side below.
    KernelEstimator full(flatPicture(100, 100, 1, 0.5f), 100, 31, 0.618f, 1, true);
    full.prepare(1.0f);
    EXPECT_EQ(Size(full.kernels[0].height, full.kernels[0].width), Size(99, 31));

    // Each side against its own axis, never the other one.
    KernelEstimator wideLow(flatPicture(40, 200, 1, 0.5f), 55, 9, 0.618f, 1, true);
    wideLow.prepare(1.0f);
    EXPECT_EQ(Size(wideLow.kernelHeight, wideLow.kernelWidth), Size(39, 9));
    KernelEstimator narrowHigh(flatPicture(200, 40, 1, 0.5f), 55, 9, 0.618f, 1, true);
    narrowHigh.prepare(1.0f);
    EXPECT_EQ(Size(narrowHigh.kernelHeight, narrowHigh.kernelWidth), Size(55, 9));

    // Automatic sizes on an elongated picture follow each axis: a fifth of
    // 120 rows and of 400 columns, made odd, with the levels of the longer side.
    KernelEstimator wide(flatPicture(120, 400, 1, 0.5f), 0.618f, 1, true);
    wide.prepare(1.0f);
    EXPECT_EQ(Size(wide.kernelHeight, wide.kernelWidth), Size(25, 81));
    EXPECT_EQ(wide.levels, 8);
}

}  // namespace
