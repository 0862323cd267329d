#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "edge_prediction.h"
#include "gradients.h"
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

// Prediction with both thresholds to be chosen, checked against the
// selection counts that the picture and kernel sizes give.
void checkChosenCounts(int rows, int cols, int kernelSide, int mapCount, int gradientCount) {
    // Smoothed noise: differences of raw noise share a pixel and favour two
    // orientations; a smooth field fills all four bins beyond the counts.
    Image latent = randomImage(rows, cols, 1, 21);
    imgproc::boxFilter(latent, 7, 7, latent);
    imgproc::boxFilter(latent, 7, 7, latent);
    const Image scaleMap = randomImage(rows, cols, 1, 22, 0.0f, 0.045f);  // below the 0.05 cap

    imgproc::PredictionParams params;
    params.kernelHeight = params.kernelWidth = kernelSide;
    Image px, py;
    imgproc::predictGradients(params, latent, scaleMap, px, py);

    Image lx, ly;
    imgproc::forwardGradient(latent, lx, ly);
    EXPECT_EQ(params.scaleMapCut, imgproc::orientationThreshold(lx, ly, scaleMap, mapCount));
    EXPECT_NE(params.scaleMapCut, imgproc::orientationThreshold(lx, ly, scaleMap, mapCount + 1));

    Image candidate, ax, ay;
    imgproc::gaussianBlur(latent, candidate, 1.8f);
    imgproc::shockFilter(candidate, 1, 1.0f, 1.0f, candidate);
    imgproc::forwardGradient(candidate, ax, ay);
    Image magnitude(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) {
        const float g = static_cast<float>(
            std::sqrt(static_cast<double>(ax.data[i] * ax.data[i] + ay.data[i] * ay.data[i])));
        magnitude.data[i] = scaleMap.data[i] < params.scaleMapCut ? 0.0f : g;
    }
    EXPECT_EQ(params.gradientThreshold, imgproc::orientationThreshold(ax, ay, magnitude, gradientCount));
    EXPECT_NE(params.gradientThreshold,
              imgproc::orientationThreshold(ax, ay, magnitude, gradientCount + 1));

    // Strictly greater: the pixel that sets the threshold predicts nothing;
    // kept pixels carry the candidate differences, never the latent's own.
    for (int i = 0; i < rows * cols; ++i) {
        const bool keep = magnitude.data[i] > params.gradientThreshold;
        ASSERT_EQ(px.data[i], keep ? ax.data[i] : 0.0f);
        ASSERT_EQ(py.data[i], keep ? ay.data[i] : 0.0f);
    }
}

}  // namespace

TEST(PredictGradients, ChosenThresholdCounts) {
    checkChosenCounts(100, 100, 5, 500, 10);
    checkChosenCounts(87, 116, 19, 1909, 38);
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
