#include "deconvolver.h"

#include <utility>

#include "cufft_engine.h"
#include "edge_taper.h"
#include "geometry.h"
#include "progress.h"

namespace imgproc {

namespace {

// Smallest multiple of 256 not below extent + 2 * kernelExtent, so that every
// side gets at least one kernel extent of room.
int32_t paddedExtent(int32_t extent, int32_t kernelExtent) {
    return ((extent + 2 * kernelExtent - 1) / 256 + 1) * 256;
}

// One channel done: the fraction is dropped after every channel.
void raiseProgress(int32_t* progress, int32_t channels, float share) {
    const double value = (1.0 / channels) * 100.0 * static_cast<double>(share) +
                         static_cast<double>(loadProgress(progress));
    storeProgress(progress, static_cast<int32_t>(value));
}

}  // namespace

Deconvolver::Deconvolver(const Image& picture, const Image& blurKernel, float smooth,
                         uint32_t qualityLevel, bool useFFTW)
    : image(picture), kernel(blurKernel), smoothCoefficient(smooth), quality(qualityLevel) {
    outputPlanes = new Image[picture.channels > 0 ? picture.channels : 0];

    const int32_t paddedRows = paddedExtent(picture.height, kernel.height);
    const int32_t paddedCols = paddedExtent(picture.width, kernel.width);
    marginTop = (paddedRows - picture.height) / 2;
    marginBottom = paddedRows - marginTop - picture.height;
    marginLeft = (paddedCols - picture.width) / 2;
    marginRight = paddedCols - marginLeft - picture.width;

    {
        Image padded;
        padReplicate(image, marginTop, marginBottom, marginLeft, marginRight, padded);
        edgeTaper(padded, kernel, image);
    }

    engineName = useFFTW ? "FFTW" : "CUFFT";
    engine = createFFTEngine(engineName, paddedRows, paddedCols);
    // Without a usable CUDA device the cuFFT engine cannot transform anything;
    // deconvolving on the CPU is the only way to still give a result.
    auto* gpu = dynamic_cast<CUFFTEngine*>(engine);
    if (engine == nullptr || (gpu != nullptr && !gpu->isReady())) {
        delete engine;
        engineName = "FFTW";
        engine = createFFTEngine(engineName, paddedRows, paddedCols);
    }
}

Deconvolver::~Deconvolver() {
    delete engine;
    engine = nullptr;
    delete[] inputPlanes;
    delete[] outputPlanes;
}

void Deconvolver::run(int32_t* progress, float share) {
    const int32_t count = image.channels;
    for (int32_t c = 0; c < count; ++c) {
        solve(inputPlanes[c], kernel, smoothCoefficient, outputPlanes[c]);
        raiseProgress(progress, count, share);
    }
}

void Deconvolver::runDenoised(int32_t* progress, float share) {
    const int32_t count = image.channels;
    for (int32_t c = 0; c < count; ++c) {
        solveDenoised(inputPlanes[c], kernel, smoothCoefficient, outputPlanes[c]);
        raiseProgress(progress, count, share);
    }
}

Image Deconvolver::getResult() const { return Image(result); }

}  // namespace imgproc
