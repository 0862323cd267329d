#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "edge_prediction.h"
#include "gradients.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

Image randomImage(int rows, int cols, int channels, unsigned seed, float low = 0.0f,
                  float high = 1.0f) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(low, high);
    std::vector<float> values(static_cast<size_t>(rows) * cols * channels);
    for (float& v : values) v = dist(rng);
    return makeImage(rows, cols, channels, values);
}

std::vector<int> boxSizes(float sigma) {
    int32_t* sizes = imgproc::gaussianBoxSizes(sigma);
    std::vector<int> result(sizes, sizes + 3);
    delete[] sizes;
    return result;
}

}  // namespace

TEST(GaussianBoxSizes, WorkedSigmas) {
    EXPECT_EQ(boxSizes(1.8f), (std::vector<int>{3, 3, 5}));
    EXPECT_EQ(boxSizes(1.62f), (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(boxSizes(1.0f), (std::vector<int>{1, 1, 3}));
    EXPECT_EQ(boxSizes(0.5f), (std::vector<int>{1, 1, 1}));
}

TEST(GaussianBlur, BoxesOfOneGiveAnExactCopyAndOthersMatchTheBoxChain) {
    const Image image = randomImage(12, 17, 1, 3);
    Image result;
    imgproc::gaussianBlur(image, result, 0.5f);
    ASSERT_EQ(result.width, 17);
    ASSERT_EQ(result.height, 12);
    for (int i = 0; i < 12 * 17; ++i) EXPECT_EQ(result.data[i], image.data[i]);

    // sigma 1.8: boxes 3, 3, 5 applied in turn.
    Image chain;
    imgproc::boxFilter(image, 3, 3, chain);
    imgproc::boxFilter(chain, 3, 3, chain);
    imgproc::boxFilter(chain, 5, 5, chain);
    imgproc::gaussianBlur(image, result, 1.8f);
    for (int i = 0; i < 12 * 17; ++i) EXPECT_EQ(result.data[i], chain.data[i]);
}

TEST(BoxFilter, WindowShrinksAtCornersAndEdges) {
    // 4 x 5 image with value = index.
    std::vector<float> values(20);
    for (int i = 0; i < 20; ++i) values[i] = static_cast<float>(i);
    const Image image = makeImage(4, 5, 1, values);
    Image out;
    imgproc::boxFilter(image, 3, 3, out);
    EXPECT_FLOAT_EQ(out.data[0], (0 + 1 + 5 + 6) / 4.0f);                     // corner: 4 pixels
    EXPECT_FLOAT_EQ(out.data[2], (1 + 2 + 3 + 6 + 7 + 8) / 6.0f);             // top edge: 6
    EXPECT_FLOAT_EQ(out.data[10], (5 + 6 + 10 + 11 + 15 + 16) / 6.0f);        // left edge: 6
    EXPECT_FLOAT_EQ(out.data[19], (13 + 14 + 18 + 19) / 4.0f);                // corner
    EXPECT_FLOAT_EQ(out.data[7], (1 + 2 + 3 + 6 + 7 + 8 + 11 + 12 + 13) / 9.0f);
    EXPECT_EQ(out.extra, 0);

    // Even window sizes use the truncated half: 4 rows behave as 3.
    Image even;
    imgproc::boxFilter(image, 4, 2, even);
    EXPECT_FLOAT_EQ(even.data[7], (2 + 7 + 12) / 3.0f);
}

TEST(BoxFilter, MatchesDirectMeansPerChannelAndInPlace) {
    const int rows = 9, cols = 11, channels = 3;
    const Image image = randomImage(rows, cols, channels, 7);
    Image out;
    imgproc::boxFilter(image, 5, 3, out);
    ASSERT_EQ(out.channels, channels);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x)
            for (int c = 0; c < channels; ++c) {
                double sum = 0;
                int n = 0;
                for (int yy = std::max(y - 2, 0); yy <= std::min(y + 2, rows - 1); ++yy)
                    for (int xx = std::max(x - 1, 0); xx <= std::min(x + 1, cols - 1); ++xx) {
                        sum += image.data[(yy * cols + xx) * channels + c];
                        ++n;
                    }
                EXPECT_NEAR(out.data[(y * cols + x) * channels + c], sum / n, 1e-5);
            }
    Image same(image);
    imgproc::boxFilter(same, 5, 3, same);
    for (int i = 0; i < rows * cols * channels; ++i) EXPECT_EQ(same.data[i], out.data[i]);
}

TEST(ShockFilter, ConstantImageIsUnchanged) {
    const Image image = makeImage(6, 7, 1, std::vector<float>(42, 0.4f));
    Image out;
    imgproc::shockFilter(image, 3, 1.0f, 1.0f, out);
    for (int i = 0; i < 42; ++i) EXPECT_EQ(out.data[i], 0.4f);
}

TEST(ShockFilter, OppositeDifferencesContributeNothing) {
    // One row: vertical differences vanish.
    const Image image = makeImage(1, 7, 1, {0, 1, 3, 4, 4, 9, 4});
    Image out;
    imgproc::shockFilter(image, 1, 0.5f, 2.0f, out);
    // x = 2: differences 1 (forward) and 2 (backward), g = 1; second
    // difference -1 with Ix = 1.5 makes the sign -1: 3 - (1 * -1 * 0.5) / 2.
    EXPECT_FLOAT_EQ(out.data[2], 3.25f);
    // x = 4: backward difference 0, so g = min(|5|, |0|) = 0.
    EXPECT_EQ(out.data[4], 4.0f);
    // x = 5: forward -5 and backward +5 have opposite signs: no contribution.
    EXPECT_EQ(out.data[5], 9.0f);
}

TEST(QuickSelect, KthLargestAndBounds) {
    auto select = [](std::vector<float> v, int k) {
        return imgproc::quickSelect(v.data(), 0, static_cast<int>(v.size()) - 1, k);
    };
    const std::vector<float> v{5, 1, 4, 2, 3};
    EXPECT_EQ(select(v, 1), 5.0f);
    EXPECT_EQ(select(v, 2), 4.0f);
    EXPECT_EQ(select(v, 3), 3.0f);
    EXPECT_EQ(select(v, 5), 1.0f);
    EXPECT_EQ(select(v, 7), 1.0f);  // beyond the range: the smallest
    EXPECT_EQ(imgproc::quickSelect(nullptr, 0, -1, 3), 0.0f);
    EXPECT_EQ(select({2, 2, 2, 2}, 3), 2.0f);
    EXPECT_EQ(select({7}, 1), 7.0f);

    std::vector<float> r{0.3f, 0.9f, 0.1f, 0.3f, 0.5f, 0.2f, 0.3f};
    const int p = imgproc::partitionDescending(r.data(), 0, 6);
    EXPECT_EQ(r[p], 0.3f);
    for (int i = 0; i < p; ++i) EXPECT_GE(r[i], 0.3f);
    for (int i = p + 1; i < 7; ++i) EXPECT_LE(r[i], 0.3f);

    std::mt19937 rng(11);
    std::uniform_real_distribution<float> dist(0.0f, 1.0f);
    std::vector<float> big(1000);
    for (float& x : big) x = dist(rng);
    std::vector<float> sorted = big;
    std::sort(sorted.begin(), sorted.end(), std::greater<float>());
    for (int k : {1, 17, 500, 999, 1000}) EXPECT_EQ(select(big, k), sorted[k - 1]) << k;
}

TEST(OrientationThreshold, SmallestBinValueAndEmptyBins) {
    // Two pixels per orientation bin: 0 (horizontal), 1, 2 and 3 (pi).
    const Image hx = makeImage(1, 8, 1, {1, 1, 1, 1, -1, -1, -1, 0});
    const Image hy = makeImage(1, 8, 1, {0, 0, 2, 2, 2, 2, 0, 0});
    // pixel 7 has hx = hy = 0 and falls in bin 0.
    const Image map = makeImage(1, 8, 1, {0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f});
    // bins: 0 -> {0.9, 0.8, 0.2}, 1 -> {0.7, 0.6}, 2 -> {0.5, 0.4}, 3 -> {0.3}
    EXPECT_EQ(imgproc::orientationThreshold(hx, hy, map, 1), 0.3f);
    EXPECT_EQ(imgproc::orientationThreshold(hx, hy, map, 2), 0.3f);   // bin 3 has one value
    EXPECT_EQ(imgproc::orientationThreshold(hx, hy, map, 3), 0.2f);

    const Image hxNoBin3 = makeImage(1, 3, 1, {1, 1, -1});
    const Image hyNoBin3 = makeImage(1, 3, 1, {0, 2, 2});
    const Image map3 = makeImage(1, 3, 1, {0.5f, 0.6f, 0.7f});
    EXPECT_EQ(imgproc::orientationThreshold(hxNoBin3, hyNoBin3, map3, 1), 0.0f);
}

namespace {

// Runs prediction on a noise picture with the thresholds to be chosen, and
// checks them against the selection counts that the picture and kernel sizes
// give.
void checkChosenCounts(int rows, int cols, int kernelSide, int scaleMapCount,
                       int gradientCount) {
    // Smoothed noise: neighbouring differences of raw noise share a pixel and
    // favour two of the four orientations; a smooth field spreads them evenly,
    // so every orientation bin holds more than the counts asked for.
    Image latent = randomImage(rows, cols, 1, 21);
    imgproc::boxFilter(latent, 7, 7, latent);
    imgproc::boxFilter(latent, 7, 7, latent);
    // Distinct values below 0.05 so that the chosen cut is not capped.
    Image scaleMap = randomImage(rows, cols, 1, 22, 0.0f, 0.045f);

    imgproc::PredictionParams params;
    params.kernelHeight = kernelSide;
    params.kernelWidth = kernelSide;
    params.scaleMapThreshold = 1.0f;
    Image px, py;
    imgproc::predictGradients(params, latent, scaleMap, px, py);

    Image lx, ly;
    imgproc::forwardGradient(latent, lx, ly);
    EXPECT_EQ(params.scaleMapCut,
              imgproc::orientationThreshold(lx, ly, scaleMap, scaleMapCount));
    EXPECT_NE(params.scaleMapCut,
              imgproc::orientationThreshold(lx, ly, scaleMap, scaleMapCount - 1));
    EXPECT_NE(params.scaleMapCut,
              imgproc::orientationThreshold(lx, ly, scaleMap, scaleMapCount + 1));

    // Candidate gradients: Gaussian pre-blur, one shock step, forward differences.
    Image candidate;
    imgproc::gaussianBlur(latent, candidate, params.blurSigma);
    imgproc::shockFilter(candidate, 1, 1.0f, 1.0f, candidate);
    Image ax, ay;
    imgproc::forwardGradient(candidate, ax, ay);
    const int n = rows * cols;
    Image magnitude(rows, cols, 1);
    for (int i = 0; i < n; ++i) {
        const float g = static_cast<float>(
            std::sqrt(static_cast<double>(ax.data[i] * ax.data[i] + ay.data[i] * ay.data[i])));
        magnitude.data[i] = scaleMap.data[i] < params.scaleMapCut ? 0.0f : g;
    }
    EXPECT_EQ(params.gradientThreshold,
              imgproc::orientationThreshold(ax, ay, magnitude, gradientCount));
    EXPECT_NE(params.gradientThreshold,
              imgproc::orientationThreshold(ax, ay, magnitude, gradientCount + 1));

    ASSERT_EQ(px.width, cols);
    ASSERT_EQ(px.height, rows);
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        // Strictly greater: the pixel that defines the threshold is dropped.
        if (magnitude.data[i] > params.gradientThreshold) {
            ++kept;
            EXPECT_EQ(px.data[i], ax.data[i]);
            EXPECT_EQ(py.data[i], ay.data[i]);
        } else {
            EXPECT_EQ(px.data[i], 0.0f);
            EXPECT_EQ(py.data[i], 0.0f);
        }
    }
    EXPECT_GE(kept, 4 * (gradientCount - 1));
}

}  // namespace

TEST(PredictGradients, ChosenThresholdCounts) {
    checkChosenCounts(100, 100, 5, 500, 10);
    checkChosenCounts(87, 116, 19, 1909, 38);
}

TEST(PredictGradients, GivenThresholdsAreKeptAndCutIsCapped) {
    const Image latent = randomImage(40, 50, 1, 5);
    const Image scaleMap = randomImage(40, 50, 1, 6, 0.1f, 0.5f);

    imgproc::PredictionParams params;
    params.kernelHeight = 5;
    params.kernelWidth = 5;
    Image px, py;
    imgproc::predictGradients(params, latent, scaleMap, px, py);
    EXPECT_EQ(params.scaleMapCut, 0.05f);  // chosen above 0.05, stored as 0.05
    EXPECT_GT(params.gradientThreshold, 0.0f);

    // Thresholds already chosen stay; a cut of 0 drops nothing.
    params.scaleMapCut = 0.0f;
    params.gradientThreshold = 0.02f;
    imgproc::predictGradients(params, latent, scaleMap, px, py);
    EXPECT_EQ(params.scaleMapCut, 0.0f);
    EXPECT_EQ(params.gradientThreshold, 0.02f);

    // A threshold above every magnitude predicts no gradients at all.
    params.gradientThreshold = 10.0f;
    imgproc::predictGradients(params, latent, scaleMap, px, py);
    for (int i = 0; i < 40 * 50; ++i) {
        EXPECT_EQ(px.data[i], 0.0f);
        EXPECT_EQ(py.data[i], 0.0f);
    }
}
