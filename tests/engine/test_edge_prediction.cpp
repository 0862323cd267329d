#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
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
    const auto threshold = [](std::vector<float> hx, std::vector<float> hy, std::vector<float> map, int count) {
        const int n = static_cast<int>(map.size());
        return imgproc::orientationThreshold(makeImage(1, n, 1, hx), makeImage(1, n, 1, hy), makeImage(1, n, 1, map),
                                             count);
    };
    // bins: 0 -> {0.9, 0.8, 0.2 (hx = hy = 0)}, 1 -> {0.7, 0.6}, 2 -> {0.5, 0.4}, 3 -> {0.3}
    const std::vector<float> hx{1, 1, 1, 1, -1, -1, -1, 0}, hy{0, 0, 2, 2, 2, 2, 0, 0};
    const std::vector<float> map{0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f};
    EXPECT_EQ(threshold(hx, hy, map, 1), 0.3f);
    EXPECT_EQ(threshold(hx, hy, map, 3), 0.2f);
    // 45, 90 and 135 degrees open bins 1, 2 and 3; with no pixel in bin 3 the threshold is 0.
    EXPECT_EQ(threshold({1, 0, -1, 1}, {1, 1, 1, 0}, {0.4f, 0.3f, 0.2f, 0.1f}, 1), 0.1f);
    EXPECT_EQ(threshold({1, 1}, {0, 2}, {0.5f, 0.6f}, 1), 0.0f);
}

namespace {

constexpr int kSide = 100;

// f(x) + g(y): columns alternate up and down by a(x), rows by a gentle d(y) (even y) and a steep 8 (odd y), so away
// from the last row and column the bin of (x, y) is 0, 3, 1, 2 for (even, even), (odd, even), (even, odd), (odd,
// odd). Every value is a multiple of 1/512 below 512: the differences are exact.
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

}  // namespace

TEST(PredictGradients, ScaleMapCutCountsFromPictureAndKernelSizes) {
    // The map falls in raster order (0 on the last row and column), so a bin's k-th largest is its k-th pixel. Bins
    // 3 and 2 hold 49 pixels a row, 0 and 1 hold 50: the last to reach the count is bin 2.
    Image map(kSide, kSide, 1);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            map.data[y * kSide + x] = (y == kSide - 1 || x == kSide - 1) ? 0.0f : 0.04f - y / 4096.0f - x / 524288.0f;
    // 5 x 5: count sqrt(10000 / 25) * 25 = 500 = 10 * 49 + 10, x = 19 in row 21; 4 high, 5 wide: count
    // trunc(sqrt(10000 / 4 / 5) * 5 * 5 + 0.5) = 559 = 11 * 49 + 20, x = 39 in row 23.
    for (auto [kernelHeight, y, x] : {std::tuple(5, 21, 19), std::tuple(4, 23, 39)}) {
        imgproc::PredictionParams params{.kernelHeight = kernelHeight, .kernelWidth = 5};
        Image px, py;
        imgproc::predictGradients(params, binnedLatent(), map, px, py);
        EXPECT_EQ(params.scaleMapCut, map.data[y * kSide + x]) << kernelHeight;
    }
}

TEST(PredictGradients, GradientThresholdCountsTwiceTheKernelHeight) {
    // No pre-blur, no shock step and a constant map: the candidates are the latent's own differences. Bin 3's
    // largest sit in column 97, ordered by row from the bottom even row 98 up: the 10th is row 80, the 8th row 84.
    const Image latent = binnedLatent();
    const Image map = testsupport::makeImage(kSide, kSide, 1, std::vector<float>(kSide * kSide, 0.04f));
    const float a97 = stepA(97);
    for (auto [kernelHeight, row] : {std::pair(5, 80), std::pair(4, 84)}) {
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
