#include "kernel_updates.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <utility>

#include "edge_prediction.h"
#include "edge_taper.h"
#include "fft_engine.h"
#include "geometry.h"
#include "gradients.h"
#include "kernel_estimator.h"
#include "parallel.h"

namespace imgproc {

namespace {

Image makeFilter(int rows, int cols, const float* values) {
    Image filter(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) filter.data[i] = values[i];
    return filter;
}

// |F(filter)|^2 per frequency, as a one-channel image of the engine's size.
Image filterPower(FFTEngine& engine, const Image& filter) {
    Image spectrum;
    psfToOtf(engine, filter, spectrum);
    const size_t n = pixelCount(spectrum.width, spectrum.height);
    Image power(spectrum.height, spectrum.width, 1);
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float re = spectrum.data[2 * i];
            const float im = spectrum.data[2 * i + 1];
            power.data[i] = re * re + im * im;
        }
    });
    return power;
}

}  // namespace

void KernelEstimator::prepareSpectra(const Image& levelPicture, const Image& kernel,
                                     EstimationWorkspace& workspace) {
    FFTEngine& fft = *engine;
    const int rows = fft.rows;
    const int cols = fft.cols;
    const size_t n = static_cast<size_t>(rows) * static_cast<size_t>(cols);

    static const float firstOrder[3] = {1.0f, -1.0f, 0.0f};
    static const float secondOrder[5] = {1.0f, -2.0f, 1.0f, 0.0f, 0.0f};
    static const float cross[9] = {1.0f, -1.0f, 0.0f, -1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f};

    const Image powerDx = filterPower(fft, makeFilter(1, 3, firstOrder));
    const Image powerDy = filterPower(fft, makeFilter(3, 1, firstOrder));
    const Image powerDxx = filterPower(fft, makeFilter(1, 5, secondOrder));
    const Image powerDyy = filterPower(fft, makeFilter(5, 1, secondOrder));
    const Image powerDxy = filterPower(fft, makeFilter(3, 3, cross));

    Image gradientPower(rows, cols, 2);
    Image weightedPower(rows, cols, 2);
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float g = powerDx.data[i] + powerDy.data[i];
            const float second = powerDxx.data[i] + powerDyy.data[i] + powerDxy.data[i];
            gradientPower.data[2 * i] = g;
            gradientPower.data[2 * i + 1] = 0.0f;
            weightedPower.data[2 * i] = (0.5f * g + 1.0f) + 0.25f * second;
            weightedPower.data[2 * i + 1] = 0.0f;
        }
    });
    workspace.gradientPower = std::move(gradientPower);
    workspace.weightedPower = std::move(weightedPower);

    Image tapered;
    edgeTaper(levelPicture, kernel, tapered);
    fft.forward(tapered, workspace.blurredSpectrum);
    forwardGradient(tapered, workspace.blurredDx, workspace.blurredDy);
    fft.forward(workspace.blurredDx, workspace.blurredDxSpectrum);
    fft.forward(workspace.blurredDy, workspace.blurredDySpectrum);
}

void computeScaleMap(const EstimationWorkspace& workspace, int kernelHeight, int kernelWidth,
                     Image& scaleMap) {
    int wy = static_cast<int>(static_cast<double>(kernelHeight) * 0.6);
    if (wy % 2 == 0) wy += 1;
    int wx = static_cast<int>(static_cast<double>(kernelWidth) * 0.6);
    if (wx % 2 == 0) wx += 1;

    const Image& dx = workspace.blurredDx;
    const Image& dy = workspace.blurredDy;
    Image meanDx, meanDy, meanAbsDx, meanAbsDy;
    boxFilter(dx, wy, wx, meanDx);
    boxFilter(dy, wy, wx, meanDy);
    boxFilter(dx.abs(), wy, wx, meanAbsDx);
    boxFilter(dy.abs(), wy, wx, meanAbsDy);

    const size_t n = pixelCount(dx.width, dx.height);
    Image map(dx.height, dx.width, 1);
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float a1 = meanDx.data[i];
            const float a2 = meanDy.data[i];
            const float a3 = meanAbsDx.data[i];
            const float a4 = meanAbsDy.data[i];
            const float coherent = static_cast<float>(std::sqrt(static_cast<double>(a1 * a1 + a2 * a2)));
            const float total =
                static_cast<float>(std::sqrt(static_cast<double>(a3 * a3 + a4 * a4))) + 1.0f;
            map.data[i] = coherent / (total + FLT_EPSILON);
        }
    });
    scaleMap = std::move(map);
}

void KernelEstimator::updateKernel(const EstimationWorkspace& workspace, const Image& px,
                                   const Image& py, float kernelSmoothTerm, Image& kernel) {
    FFTEngine& fft = *engine;
    const int rows = fft.rows;
    const int cols = fft.cols;
    const int kh = kernel.height;
    const int kw = kernel.width;
    const size_t n = static_cast<size_t>(rows) * static_cast<size_t>(cols);

    Image spectrumX, spectrumY;
    fft.forward(px, spectrumX);
    fft.forward(py, spectrumY);

    const float* bx = workspace.blurredDxSpectrum.data;
    const float* by = workspace.blurredDySpectrum.data;
    float* sx = spectrumX.data;
    const float* sy = spectrumY.data;
    // The quotient is written over the first spectrum, which is not needed after.
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float pr = sx[2 * i];
            const float pi = sx[2 * i + 1];
            const float qr = sy[2 * i];
            const float qi = sy[2 * i + 1];
            const float br = bx[2 * i];
            const float bi = bx[2 * i + 1];
            const float cr = by[2 * i];
            const float ci = by[2 * i + 1];
            // conj(Px) * Bx + conj(Py) * By
            const float numRe = (pr * br + pi * bi) + (qr * cr + qi * ci);
            const float numIm = (pr * bi - pi * br) + (qr * ci - qi * cr);
            const float den = 0.5f * ((pr * pr + pi * pi) + (qr * qr + qi * qi)) + kernelSmoothTerm;
            sx[2 * i] = (0.5f * numRe) / den;
            sx[2 * i + 1] = (0.5f * numIm) / den;
        }
    });

    Image full;
    if (kh <= rows && kw <= cols &&
        static_cast<int64_t>(kh) * kw < static_cast<int64_t>(rows) * cols) {
        // Cyclic shift by (kh / 2, kw / 2) followed by the top-left kh x kw
        // crop, read straight out of the full-size result. Only those values
        // of the normalised real part are needed, so the transform's own
        // output is read and just they are divided by its size.
        fft.inverse(spectrumX, full, false, false);
        const float size = static_cast<float>(static_cast<int64_t>(spectrumX.width) * spectrumX.height);
        Image cut(kh, kw, 1);
        const int hy = kh / 2;
        const int hx = kw / 2;
        for (int y = 0; y < kh; ++y) {
            const int sy0 = ((y - hy) % rows + rows) % rows;
            const float* row = full.data + 2 * static_cast<size_t>(sy0) * cols;
            float* dst = cut.data + static_cast<size_t>(y) * kw;
            for (int x = 0; x < kw; ++x) {
                const int sx0 = ((x - hx) % cols + cols) % cols;
                dst[x] = row[2 * sx0] / size;
            }
        }
        kernel = std::move(cut);
    } else {
        fft.inverse(spectrumX, full, true, true);
        circShift(full, kh / 2, kw / 2, kernel);
    }
}

void KernelEstimator::updateLatent(const EstimationWorkspace& workspace, const Image& kernel,
                                   int height, int width, float deconvolutionSmoothTerm,
                                   Image& result) {
    FFTEngine& fft = *engine;
    Image spectrum;
    psfToOtf(fft, kernel, spectrum);
    // The level loop passes the level picture's size, which is the engine's;
    // the spectra never hold more than that.
    const size_t n = std::min(static_cast<size_t>(height) * static_cast<size_t>(width),
                              pixelCount(spectrum.width, spectrum.height));

    const float* d = workspace.weightedPower.data;
    const float* g = workspace.gradientPower.data;
    const float* b = workspace.blurredSpectrum.data;
    float* k = spectrum.data;
    // The new latent spectrum replaces the kernel's spectrum in place.
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float kr = k[2 * i];
            const float ki = k[2 * i + 1];
            const float br = b[2 * i];
            const float bi = b[2 * i + 1];
            const float dw = d[2 * i];
            // (D * conj(FK)) * B
            const float ar = dw * kr;
            const float ai = -(dw * ki);
            const float numRe = ar * br - ai * bi;
            const float numIm = ar * bi + ai * br;
            const float den = dw * (kr * kr + ki * ki) + deconvolutionSmoothTerm * g[2 * i];
            k[2 * i] = numRe / den;
            k[2 * i + 1] = numIm / den;
        }
    });
    fft.inverse(spectrum, result, false, false);
}

bool isLatentUpdateValid(const Image& updated, const Image& latent) {
    const size_t n = pixelCount(latent.width, latent.height);
    if (n < 1) return true;
    const float count = static_cast<float>(n);
    const double limit = 0.2 * static_cast<double>(n);
    const size_t stride = updated.channels > 0 ? static_cast<size_t>(updated.channels) : 1;
    // The count only grows, so it passes the limit somewhere exactly when
    // its total does: the pixels are counted in parallel and summed.
    std::atomic<size_t> crossed{0};
    parallelFor(static_cast<int64_t>(n), kParallelMinimum, [&](int64_t begin, int64_t end) {
        size_t local = 0;
        for (int64_t i = begin; i < end; ++i) {
            const float v = updated.data[static_cast<size_t>(i) * stride] / count;
            const double old = static_cast<double>(latent.data[i]);
            if (v > 1.0f && old < 0.9) ++local;
            if (v < 0.0f && old > 0.1) ++local;
        }
        crossed.fetch_add(local, std::memory_order_relaxed);
    });
    return !(static_cast<double>(crossed.load()) > limit);
}

}  // namespace imgproc
