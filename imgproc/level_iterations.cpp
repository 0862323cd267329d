#include "level_iterations.h"

#include "kernel_updates.h"
#include "parallel.h"

namespace imgproc {

void iterateLevel(const LevelSteps& steps, PredictionParams params, int32_t iterations,
                  bool finest, Image& kernel, Image& latent) {
    Image update;
    Image px;
    Image py;
    const float pixelCount = static_cast<float>(latent.width * latent.height);
    const size_t pixels = static_cast<size_t>(latent.width) * latent.height;

    for (int32_t i = 0; i < iterations; ++i) {
        PredictionParams call = params;
        px = Image();
        py = Image();
        steps.predict(call, latent, px, py);

        params.blurSigma *= 0.9f;
        params.shockStep *= 0.9f;
        params.gradientThreshold = call.gradientThreshold * 0.9f;
        params.scaleMapCut = (i <= 3) ? call.scaleMapCut * 0.7f : 0.0f;

        steps.updateKernel(px, py, kernel);
        steps.updateLatent(kernel, update);

        if (finest && i >= 1 && !isLatentUpdateValid(update, latent)) break;

        const float* f = update.data;
        float* x = latent.data;
        parallelFor(static_cast<int64_t>(pixels), 65537, [&](int64_t begin, int64_t end) {
            for (int64_t p = begin; p < end; ++p) {
                float v = f[2 * p] / pixelCount;
                if (!(v > 0.0f)) {
                    v = 0.0f;
                } else if (!(v < 1.0f)) {
                    v = 1.0f;
                }
                x[p] = v;
            }
        });
    }
}

}  // namespace imgproc
