#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "edge_prediction.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;
using testsupport::randomImage;

namespace {

std::vector<int> boxSizes(float sigma) {
    int32_t* sizes = imgproc::gaussianBoxSizes(sigma);
    std::vector<int> result(sizes, sizes + 3);
    delete[] sizes;
    return result;
}

}  // namespace

TEST(GaussianBlur, BoxSizesAndPlainCopy) {
    EXPECT_EQ(boxSizes(1.8f), (std::vector<int>{3, 3, 5}));
    EXPECT_EQ(boxSizes(1.62f), (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(boxSizes(1.0f), (std::vector<int>{1, 1, 3}));
    EXPECT_EQ(boxSizes(0.5f), (std::vector<int>{1, 1, 1}));

    const Image image = randomImage(12, 17, 1, 3);
    Image result;
    imgproc::gaussianBlur(image, result, 0.5f);
    for (int i = 0; i < 12 * 17; ++i) ASSERT_EQ(result.data[i], image.data[i]);
}

TEST(BoxFilter, WindowShrinksAtCornersAndEdges) {
    std::vector<float> values(40);  // 4 x 5, two channels: index and minus index
    for (int i = 0; i < 20; ++i) {
        values[2 * i] = static_cast<float>(i);
        values[2 * i + 1] = -static_cast<float>(i);
    }
    Image image = makeImage(4, 5, 2, values);
    imgproc::boxFilter(image, 3, 3, image);  // in place
    auto at = [&](int pixel, int channel) { return image.data[2 * pixel + channel]; };
    EXPECT_FLOAT_EQ(at(0, 0), (0 + 1 + 5 + 6) / 4.0f);                 // corner: 4 pixels
    EXPECT_FLOAT_EQ(at(2, 0), (1 + 2 + 3 + 6 + 7 + 8) / 6.0f);         // top edge: 6
    EXPECT_FLOAT_EQ(at(10, 0), (5 + 6 + 10 + 11 + 15 + 16) / 6.0f);    // left edge: 6
    EXPECT_FLOAT_EQ(at(19, 0), (13 + 14 + 18 + 19) / 4.0f);
    EXPECT_FLOAT_EQ(at(7, 0), (1 + 2 + 3 + 6 + 7 + 8 + 11 + 12 + 13) / 9.0f);
    EXPECT_FLOAT_EQ(at(7, 1), -at(7, 0));

    // Even sizes use the truncated half: 4 rows by 2 columns behave as 3 by 1.
    Image even;
    imgproc::boxFilter(makeImage(4, 5, 2, values), 4, 2, even);
    EXPECT_FLOAT_EQ(even.data[2 * 7], (2 + 7 + 12) / 3.0f);
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
    EXPECT_EQ(select(v, 1), 5.0f);
    EXPECT_EQ(select(v, 2), 4.0f);
    EXPECT_EQ(select(v, 5), 1.0f);
    EXPECT_EQ(select(v, 7), 1.0f);  // beyond the range: the smallest
    EXPECT_EQ(imgproc::quickSelect(nullptr, 0, -1, 3), 0.0f);
    EXPECT_EQ(select({2, 2, 2, 2}, 3), 2.0f);

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

imgproc::PredictionParams choosingBoth(int kernelHeight, int kernelWidth) {
    imgproc::PredictionParams params;
    params.kernelHeight = kernelHeight;
    params.kernelWidth = kernelWidth;
    return params;
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
    imgproc::PredictionParams params = choosingBoth(5, 5);
    imgproc::predictGradients(params, latent, map, px, py);
    EXPECT_EQ(params.scaleMapCut, map.data[21 * kSide + 19]);

    // 4 high, 5 wide: count trunc(sqrt(10000 / 4 / 5) * 5 * 5 + 0.5) = 559
    // = 11 * 49 + 20: x = 39 in row 23.
    params = choosingBoth(4, 5);
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
        imgproc::PredictionParams params = choosingBoth(kernelHeight, 5);
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
    imgproc::PredictionParams params;
    params.kernelHeight = params.kernelWidth = 5;
    Image px, py;
    imgproc::predictGradients(params, latent, scaleMap, px, py);
    EXPECT_EQ(params.scaleMapCut, 0.05f);

    params.scaleMapCut = 0.0f;
    params.gradientThreshold = 0.02f;
    imgproc::predictGradients(params, latent, scaleMap, px, py);
    EXPECT_EQ(params.scaleMapCut, 0.0f);
    EXPECT_EQ(params.gradientThreshold, 0.02f);
}
