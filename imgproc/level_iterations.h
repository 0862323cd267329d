#pragma once

#include <cstdint>
#include <functional>

#include "image.h"
#include "prediction_params.h"

namespace imgproc {

// The steps of one estimation iteration as the level loop calls them.
struct LevelSteps {
    // Sharp-edge prediction from the latent image; may write the two
    // thresholds into the block it is given when the block asks for them.
    std::function<void(PredictionParams& params, const Image& latent, Image& px, Image& py)> predict;
    // Kernel fitted to the predicted gradients and cleaned up; only the
    // kernel's size is read.
    std::function<void(const Image& px, const Image& py, Image& kernel)> updateKernel;
    // Latent update with the kernel: two channels, not yet divided by the
    // pixel count.
    std::function<void(const Image& kernel, Image& update)> updateLatent;
};

// Runs the iterations of one level from the start-of-level block `params`.
// Prediction sees a copy of the block; the thresholds it leaves there decay
// for the rest of the level, and the scale-map cut drops to 0 after the fifth
// iteration. On the finest level, from the second iteration on, an update that
// the latent image would not accept ends the level: the kernel keeps that
// iteration's value and the latent image the one before.
void iterateLevel(const LevelSteps& steps, PredictionParams params, int32_t iterations,
                  bool finest, Image& kernel, Image& latent);

}  // namespace imgproc
