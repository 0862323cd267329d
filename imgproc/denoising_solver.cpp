#include <cfloat>
#include <utility>

#include "deconvolver.h"
#include "fft_engine.h"
#include "gradients.h"
#include "parallel.h"

namespace imgproc {

namespace {

// Multiplies a spectrum element by element by the transfer function K, or by
// its conjugate.
void multiplyByTransfer(Image& spectrum, const float* K, bool conjugate) {
    float* s = spectrum.data;
    const float sign = conjugate ? -1.0f : 1.0f;
    parallelFor(static_cast<int64_t>(spectrum.width) * spectrum.height, 65537,
                [&](int64_t begin, int64_t end) {
                    for (int64_t i = begin; i < end; ++i) {
                        const float re = s[2 * i];
                        const float im = s[2 * i + 1];
                        const float kre = K[2 * i];
                        const float kim = sign * K[2 * i + 1];
                        s[2 * i] = re * kre - im * kim;
                        s[2 * i + 1] = re * kim + im * kre;
                    }
                });
}

}  // namespace

void Deconvolver::computeSpectraDenoised(const Image& blurred, const Image& blurKernel,
                                         SolverSpectra& spectra) {
    (void)blurred;  // the data term changes every outer pass; its transform is taken there
    const int32_t R = engine->rows;
    const int32_t C = engine->cols;
    const size_t N = static_cast<size_t>(R) * C;
    Image K;
    psfToOtf(*engine, blurKernel, K);

    Image filter(R, C, 1);
    for (size_t i = 0; i < N; ++i) filter.data[i] = 0.0f;
    filter.data[C - 1] = 1.0f;
    filter.data[0] = -1.0f;
    Image dx;
    engine->forward(filter, dx);
    for (size_t i = 0; i < N; ++i) filter.data[i] = 0.0f;
    filter.data[static_cast<size_t>(R - 1) * C] = 1.0f;
    filter.data[0] = -1.0f;
    Image dy;
    engine->forward(filter, dy);

    Image kernelPower(R, C, 2);
    Image gradientPower(R, C, 2);
    const float* k = K.data;
    const float* fx = dx.data;
    const float* fy = dy.data;
    parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float kre = k[2 * i];
            const float kim = k[2 * i + 1];
            kernelPower.data[2 * i] = kre * kre + kim * kim;
            kernelPower.data[2 * i + 1] = 0.0f;
            const float xre = fx[2 * i];
            const float xim = fx[2 * i + 1];
            const float vre = fy[2 * i];
            const float vim = fy[2 * i + 1];
            gradientPower.data[2 * i] = xre * xre + xim * xim + vre * vre + vim * vim;
            gradientPower.data[2 * i + 1] = 0.0f;
        }
    });
    spectra.spectrum = std::move(K);
    spectra.kernelPower = std::move(kernelPower);
    spectra.gradientPower = std::move(gradientPower);
}

void Deconvolver::solveDenoised(const Image& blurred, const Image& blurKernel, float lambda,
                                Image& out) {
    const int32_t R = engine->rows;
    const int32_t C = engine->cols;
    const size_t N = static_cast<size_t>(R) * C;
    Image x(blurred);
    x.extra = 0;
    SolverSpectra spectra;
    computeSpectraDenoised(blurred, blurKernel, spectra);
    const float b0 = 1.0f / lambda;
    float t = 1.0f;

    const float* y = blurred.data;
    const float* K = spectra.spectrum.data;
    // The two powers side by side, real parts only: the inner passes read
    // one array instead of two with zero imaginary parts.
    Image powers(R, C, 2);
    {
        const float* kp = spectra.kernelPower.data;
        const float* gp = spectra.gradientPower.data;
        float* p = powers.data;
        parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
            for (int64_t i = begin; i < end; ++i) {
                p[2 * i] = gp[2 * i];
                p[2 * i + 1] = kp[2 * i];
            }
        });
    }
    spectra.kernelPower = Image();
    spectra.gradientPower = Image();
    const float* pw = powers.data;
    // The data term as the real parts of a complex image, the layout the
    // transform reads directly.
    Image z(R, C, 2);
    Image KZ;
    Image divergence;
    Image X;
    Image convolved;
    do {
        // k * x on the same cyclic model as the inner passes and the tapered
        // plane: a zero boundary would disagree with y along the plane's
        // border, and the inner passes would carry that into the picture.
        engine->forward(x, X);
        multiplyByTransfer(X, K, false);
        engine->inverse(X, convolved, true, true);
        const float* c = convolved.data;
        // Residuals within the threshold leave the data term at y itself.
        parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
            for (int64_t i = begin; i < end; ++i) {
                z.data[2 * i] = y[i] + shrink(c[i] - y[i], t);
                z.data[2 * i + 1] = 0.0f;
            }
        });
        engine->forward(z, KZ);
        multiplyByTransfer(KZ, K, true);
        const float* kz = KZ.data;

        float b = b0;
        while (b > 0.01f && (1.0 / static_cast<double>(b)) / static_cast<double>(lambda) < 1024.0) {
            const float tau = b * lambda;
            const float w = t / b;
            shrunkGradientDivergenceComplex(x, tau, divergence);
            engine->forward(divergence, X);
            float* v = X.data;
            parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
                for (int64_t i = begin; i < end; ++i) {
                    const float den = pw[2 * i] * w + pw[2 * i + 1];
                    const float d = den + FLT_EPSILON;
                    v[2 * i] = (w * v[2 * i] + kz[2 * i]) / d;
                    v[2 * i + 1] = (w * v[2 * i + 1] + kz[2 * i + 1]) / d;
                }
            });
            engine->inverse(X, x, true, true);
            b = b * 0.5f;
        }
        t = t / 3.0f;
    } while (t > 0.01f);
    out = std::move(x);
}

}  // namespace imgproc
