#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "edge_prediction.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;
using testsupport::randomImage;

TEST(GaussianBlur, BoxSizesAndPlainCopy) {
    using Boxes = std::vector<int>;
    for (auto [sigma, sizes] : {std::pair(1.8f, Boxes{3, 3, 5}), std::pair(1.62f, Boxes{3, 3, 3}),
                                std::pair(1.0f, Boxes{1, 1, 3}), std::pair(0.5f, Boxes{1, 1, 1})}) {
        int32_t* boxes = imgproc::gaussianBoxSizes(sigma);
        EXPECT_EQ(std::vector<int>(boxes, boxes + 3), sizes) << sigma;
        delete[] boxes;
    }
    const Image image = randomImage(12, 17, 1, 3);
    Image result;
    imgproc::gaussianBlur(image, result, 0.5f);
    EXPECT_EQ(testsupport::maxAbsDiff(result, image), 0.0);
}

TEST(BoxFilter, MeanOverTheWindowPartInsideThePicture) {
    // Window sides n reach (n - 1) / 2 each way: 4 rows by 2 columns act as 3 by 1.
    for (int channels : {1, 2})
        for (auto [rows, cols] : {std::pair(3, 3), std::pair(4, 2), std::pair(1, 5), std::pair(5, 1)}) {
            const Image image = randomImage(6, 9, channels, 13);
            Image out = image;
            imgproc::boxFilter(out, rows, cols, out);  // in place
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 9; ++x)
                    for (int c = 0; c < channels; ++c) {
                        double sum = 0;
                        int count = 0;
                        const int ry = (rows - 1) / 2, rx = (cols - 1) / 2;
                        for (int i = std::max(0, y - ry); i <= std::min(5, y + ry); ++i)
                            for (int j = std::max(0, x - rx); j <= std::min(8, x + rx); ++j, ++count)
                                sum += image.data[(i * 9 + j) * channels + c];
                        ASSERT_NEAR(out.data[(y * 9 + x) * channels + c], sum / count, 1e-5)
                            << channels << " channels, " << rows << "x" << cols << " at " << y << "," << x;
                    }
        }
}

TEST(ShockFilter, ConstantStaysAndOppositeDifferencesContributeNothing) {
    Image out;
    imgproc::shockFilter(makeImage(6, 7, 1, std::vector<float>(42, 0.4f)), 3, 1.0f, 1.0f, out);
    for (int i = 0; i < 42; ++i) EXPECT_EQ(out.data[i], 0.4f);

    imgproc::shockFilter(makeImage(1, 7, 1, {0, 1, 3, 4, 4, 9, 4}), 1, 0.5f, 2.0f, out);
    // x = 2: differences 1 and 2, g = 1; second difference -1 with Ix = 1.5
    // gives the sign -1: 3 - (1 * -1 * 0.5) / 2.
    EXPECT_FLOAT_EQ(out.data[2], 3.25f);
    EXPECT_EQ(out.data[4], 4.0f);  // backward difference 0: g = 0
    EXPECT_EQ(out.data[5], 9.0f);  // forward -5, backward +5: no contribution
}

TEST(QuickSelect, KthLargestAndBounds) {
    auto select = [](std::vector<float> v, int k) {
        return imgproc::quickSelect(v.data(), 0, static_cast<int>(v.size()) - 1, k);
    };
    const std::vector<float> v{5, 1, 4, 2, 3};
    // Beyond the range: the smallest. Equal values and an empty range.
    for (auto [k, value] : {std::pair(1, 5.0f), std::pair(2, 4.0f), std::pair(5, 1.0f), std::pair(7, 1.0f)})
        EXPECT_EQ(select(v, k), value) << k;
    EXPECT_EQ(select({2, 2, 2, 2}, 3), 2.0f);
    EXPECT_EQ(imgproc::quickSelect(nullptr, 0, -1, 3), 0.0f);
    std::vector<float> many(301);
    for (int i = 0; i < 301; ++i) many[i] = static_cast<float>((i * 97) % 301);  // 0..300 shuffled
    for (int k : {1, 17, 150, 301}) EXPECT_EQ(select(many, k), static_cast<float>(301 - k)) << k;
}

TEST(OrientationThreshold, SmallestBinValueAndEmptyBins) {
    // bins: 0 -> {0.9, 0.8, 0.2 (hx = hy = 0)}, 1 -> {0.7, 0.6}, 2 -> {0.5, 0.4}, 3 -> {0.3}
    const Image hx = makeImage(1, 8, 1, {1, 1, 1, 1, -1, -1, -1, 0});
    const Image hy = makeImage(1, 8, 1, {0, 0, 2, 2, 2, 2, 0, 0});
    const Image map = makeImage(1, 8, 1, {0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f});
    EXPECT_EQ(imgproc::orientationThreshold(hx, hy, map, 1), 0.3f);
    EXPECT_EQ(imgproc::orientationThreshold(hx, hy, map, 3), 0.2f);
    // 45, 90 and 135 degrees open bins 1, 2 and 3: one pixel in each bin.
    EXPECT_EQ(imgproc::orientationThreshold(makeImage(1, 4, 1, {1, 0, -1, 1}), makeImage(1, 4, 1, {1, 1, 1, 0}),
                                            makeImage(1, 4, 1, {0.4f, 0.3f, 0.2f, 0.1f}), 1),
              0.1f);
    // No pixel in bin 3: the threshold is 0.
    EXPECT_EQ(imgproc::orientationThreshold(makeImage(1, 2, 1, {1, 1}), makeImage(1, 2, 1, {0, 2}),
                                            makeImage(1, 2, 1, {0.5f, 0.6f}), 1),
              0.0f);
}

namespace {

constexpr int kSide = 100;

// 100 x 100 latent image f(x) + g(y) whose forward differences put every
// pixel into a known orientation bin. Columns alternate up and down by
// a(x) = 1 + x / 16; rows alternate a gentle step d(y) = 0.25 + y / 512 (even
// y) and a steep step 8 (odd y). So, away from the last row and column:
// even row, even x -> (+a, d) bin 0; even row, odd x -> (-a, d) bin 3;
// odd row, even x -> (+a, 8) bin 1; odd row, odd x -> (-a, 8) bin 2.
// All values are multiples of 1/512 below 512: every difference is exact.
float stepA(int x) { return 1.0f + static_cast<float>(x) / 16.0f; }
float stepD(int y) { return 0.25f + static_cast<float>(y) / 512.0f; }

Image binnedLatent() {
    Image latent(kSide, kSide, 1);
    float g = 0.0f;
    for (int y = 0; y < kSide; ++y) {
        float f = 0.0f;
        for (int x = 0; x < kSide; ++x) {
            latent.data[y * kSide + x] = f + g;
            f += (x % 2 == 0) ? stepA(x) : -stepA(x);
        }
        g += (y % 2 == 0) ? stepD(y) : 8.0f;
    }
    return latent;
}

// Scale map falling strictly in raster order (below the 0.05 cap), 0 on the
// last row and column: the k-th largest value of a bin is its k-th pixel in
// raster order.
Image rasterFallingMap() {
    Image map(kSide, kSide, 1);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            map.data[y * kSide + x] = (y == kSide - 1 || x == kSide - 1)
                                          ? 0.0f
                                          : 0.04f - static_cast<float>(y) / 4096.0f -
                                                static_cast<float>(x) / 524288.0f;
    return map;
}

}  // namespace

TEST(PredictGradients, ScaleMapCutCountsFromPictureAndKernelSizes) {
    // Bins 3 and 2 hold 49 pixels a row (odd x below 99), bins 0 and 1 hold 50,
    // so the last of the four to reach the count decides.
    const Image latent = binnedLatent();
    const Image map = rasterFallingMap();
    Image px, py;

    // 5 x 5: count sqrt(10000 / 25) * 25 = 500 = 10 * 49 + 10, reached by
    // bin 2 at its 10th odd column (x = 19) of its 11th odd row (y = 21).
    imgproc::PredictionParams params{.kernelHeight = 5, .kernelWidth = 5};
    imgproc::predictGradients(params, latent, map, px, py);
    EXPECT_EQ(params.scaleMapCut, map.data[21 * kSide + 19]);

    // 4 high, 5 wide: count trunc(sqrt(10000 / 4 / 5) * 5 * 5 + 0.5) = 559
    // = 11 * 49 + 20: x = 39 in row 23.
    params = imgproc::PredictionParams{.kernelHeight = 4, .kernelWidth = 5};
    imgproc::predictGradients(params, latent, map, px, py);
    EXPECT_EQ(params.scaleMapCut, map.data[23 * kSide + 39]);
}

TEST(PredictGradients, GradientThresholdCountsTwiceTheKernelHeight) {
    // No pre-blur (boxes 1, 1, 1) and no shock step: the candidates are the
    // latent's own differences. A constant map keeps every pixel. Bin 3 has
    // the smallest magnitudes; its largest sit in column 97 (a = 7.0625),
    // ordered by d, that is by row from the bottom even row 98 upwards.
    const Image latent = binnedLatent();
    const Image map = testsupport::makeImage(kSide, kSide, 1, std::vector<float>(kSide * kSide, 0.04f));
    const float a97 = stepA(97);
    for (auto [kernelHeight, row] : {std::pair(5, 80), std::pair(4, 84)}) {
        // 2 * 5 = 10th: rows 98, 96, ..., 80; 2 * 4 = 8th: row 84.
        imgproc::PredictionParams params{.kernelHeight = kernelHeight, .kernelWidth = 5};
        params.blurSigma = 0.5f;
        params.shockIterations = 0;
        Image px, py;
        imgproc::predictGradients(params, latent, map, px, py);
        EXPECT_EQ(params.scaleMapCut, 0.04f);
        const float d = stepD(row);
        EXPECT_FLOAT_EQ(params.gradientThreshold, std::sqrt(a97 * a97 + d * d)) << kernelHeight;
        // The pixel that sets the threshold is not above it; the one below is.
        EXPECT_EQ(px.data[row * kSide + 97], 0.0f);
        EXPECT_EQ(std::pair(px.data[(row + 2) * kSide + 97], py.data[(row + 2) * kSide + 97]),
                  std::pair(-a97, stepD(row + 2)));
    }
}

TEST(PredictGradients, ChosenCutIsCappedAndGivenThresholdsKept) {
    const Image latent = randomImage(40, 50, 1, 5);
    const Image scaleMap = randomImage(40, 50, 1, 6, 0.1f, 0.5f);
    imgproc::PredictionParams params{.kernelHeight = 5, .kernelWidth = 5};
    Image px, py;
    imgproc::predictGradients(params, latent, scaleMap, px, py);
    EXPECT_EQ(params.scaleMapCut, 0.05f);

    params.scaleMapCut = 0.0f;
    params.gradientThreshold = 0.02f;
    imgproc::predictGradients(params, latent, scaleMap, px, py);
    EXPECT_EQ(params.scaleMapCut, 0.0f);
    EXPECT_EQ(params.gradientThreshold, 0.02f);
}
