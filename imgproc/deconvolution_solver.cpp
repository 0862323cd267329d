#include <utility>

#include "deconvolver.h"
#include "fft_engine.h"
#include "gradients.h"
#include "parallel.h"

namespace imgproc {

namespace {

// Spectra of the horizontal and vertical difference filters at the engine's
// size: -1 at the origin, +1 one step back cyclically.
void differenceFilterSpectra(FFTEngine& engine, Image& dxSpectrum, Image& dySpectrum) {
    const int32_t R = engine.rows;
    const int32_t C = engine.cols;
    const size_t N = static_cast<size_t>(R) * C;
    Image filter(R, C, 1);
    for (size_t i = 0; i < N; ++i) filter.data[i] = 0.0f;
    filter.data[C - 1] = 1.0f;
    filter.data[0] = -1.0f;
    engine.forward(filter, dxSpectrum);
    for (size_t i = 0; i < N; ++i) filter.data[i] = 0.0f;
    filter.data[static_cast<size_t>(R - 1) * C] = 1.0f;
    filter.data[0] = -1.0f;
    engine.forward(filter, dySpectrum);
}

}  // namespace

void Deconvolver::computeSpectra(const Image& blurred, const Image& blurKernel,
                                 SolverSpectra& spectra) {
    const int32_t R = engine->rows;
    const int32_t C = engine->cols;
    const size_t N = static_cast<size_t>(R) * C;
    Image K;
    psfToOtf(*engine, blurKernel, K);
    Image Y;
    engine->forward(blurred, Y);
    Image dx;
    Image dy;
    differenceFilterSpectra(*engine, dx, dy);

    Image spectrum(R, C, 2);
    Image kernelPower(R, C, 1);
    Image gradientPower(R, C, 1);
    const float* k = K.data;
    const float* y = Y.data;
    const float* fx = dx.data;
    const float* fy = dy.data;
    parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float kre = k[2 * i];
            const float kim = k[2 * i + 1];
            const float yre = y[2 * i];
            const float yim = y[2 * i + 1];
            spectrum.data[2 * i] = yre * kre + yim * kim;
            spectrum.data[2 * i + 1] = yim * kre - kim * yre;
            kernelPower.data[i] = kim * kim + kre * kre;
            const float xre = fx[2 * i];
            const float xim = fx[2 * i + 1];
            const float vre = fy[2 * i];
            const float vim = fy[2 * i + 1];
            gradientPower.data[i] = xim * xim + xre * xre + vre * vre + vim * vim;
        }
    });
    spectra.spectrum = std::move(spectrum);
    spectra.kernelPower = std::move(kernelPower);
    spectra.gradientPower = std::move(gradientPower);
}

void Deconvolver::solve(const Image& blurred, const Image& blurKernel, float lambda, Image& out) {
    float b = 1.0f / lambda;
    const float r = 3.2f - 0.4f * static_cast<float>(quality);
    const float ratio = r > 2.0f ? r : 2.0f;

    SolverSpectra spectra;
    computeSpectra(blurred, blurKernel, spectra);
    Image x(blurred);
    x.extra = 0;

    const size_t N = static_cast<size_t>(engine->rows) * engine->cols;
    const float* S = spectra.spectrum.data;
    const float* kp = spectra.kernelPower.data;
    const float* gp = spectra.gradientPower.data;
    Image divergence;
    Image X;
    while (b >= 0.01f) {
        const float tau = b * lambda;
        const float beta = 1.0f / b;
        shrunkGradientDivergenceComplex(x, tau, divergence);
        engine->forward(divergence, X);
        float* v = X.data;
        parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
            for (int64_t i = begin; i < end; ++i) {
                const float den = gp[i] * beta + kp[i];
                v[2 * i] = (beta * v[2 * i] + S[2 * i]) / den;
                v[2 * i + 1] = (beta * v[2 * i + 1] + S[2 * i + 1]) / den;
            }
        });
        engine->inverse(X, x, true, true);
        b = b / ratio;
    }
    out = std::move(x);
}

}  // namespace imgproc
