#pragma once

#include <cstdint>

namespace imgproc {

// Parameter block of one sharp-edge prediction. The level loop owns it, resets
// it at the start of every pyramid level and decays it between iterations;
// prediction reads every field and may write back the two thresholds.
struct PredictionParams {
    int32_t kernelHeight = 0;       // kernel height of the whole estimation (finest level)
    int32_t kernelWidth = 0;        // kernel width of the whole estimation (finest level)
    float scaleMapThreshold = 1.0f; // factor in the per-orientation pixel count of the scale-map cut
    float blurSigma = 1.8f;         // standard deviation of the Gaussian pre-blur
    float shockStep = 1.0f;         // shock filter step
    float shockSpacing = 1.0f;      // shock filter grid spacing
    int32_t shockIterations = 1;    // number of shock filter iterations
    float gradientThreshold = -1.0f; // <= 0: prediction chooses it and writes it back
    float scaleMapCut = -100.0f;    // < -10: prediction chooses it and writes it back
};

}  // namespace imgproc
