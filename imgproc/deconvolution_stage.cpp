#include "deconvolution_stage.h"

#include <algorithm>
#include <iostream>

#include "color.h"
#include "deconvolver.h"
#include "geometry.h"
#include "tiling.h"

namespace imgproc {

namespace {

// Pictures up to this longer side are deconvolved in one piece.
constexpr int32_t kWholePictureLimit = 1500;

void deconvolveUnit(const Image& picture, const Image& kernel, float lambda, uint32_t quality,
                    bool dering, bool denoise, bool useFFTW, float share, int32_t* progress,
                    Image& unitResult) {
    Deconvolver deconvolver(picture, kernel, lambda, quality, useFFTW);
    if (deconvolver.image.channels == 3) rgbToYCbCr(deconvolver.image, deconvolver.image);
    splitPlanes(deconvolver.image, deconvolver.inputPlanes);

    if (denoise) {
        deconvolver.runDenoised(progress, share);
        if (dering) deconvolver.reduceRingingDenoised();
    } else {
        deconvolver.run(progress, share);
        if (dering) deconvolver.reduceRinging();
    }

    mergePlanes(deconvolver.outputPlanes, deconvolver.image.channels, deconvolver.result);
    crop(deconvolver.result, deconvolver.marginTop, deconvolver.marginBottom,
         deconvolver.marginLeft, deconvolver.marginRight, deconvolver.result);
    if (deconvolver.result.channels == 3) yCbCrToRgb(deconvolver.result, deconvolver.result);
    clamp(deconvolver.result, deconvolver.result, 0.0f, 1.0f);
    unitResult = deconvolver.getResult();
}

}  // namespace

void deconvolveImage(const Image& input, const Image& kernel, uint32_t quality, bool dering,
                     bool denoise, Processor processor, float smoothTermCoefficient, Image& output,
                     int32_t* progress) {
    float lambda = smoothTermCoefficient;
    if (denoise) lambda = lambda * 100.0f;

    std::cout << "Start deconvolution..." << std::endl;
    std::cout << "------------------------Deconvolution parameters---------------------------"
              << std::endl;
    std::cout << "--- Denoise: " << (denoise ? "true" : "false") << std::endl;
    std::cout << "--- Dering: " << (dering ? "true" : "false") << std::endl;
    std::cout << "--- Smooth term coefficient: " << lambda << std::endl;
    std::cout << "--- Quality: " << quality << std::endl;
    std::cout << "---------------------------------------------------------------------------"
              << std::endl;

    const int32_t W = input.width;
    const int32_t H = input.height;
    const double r = 1000000.0 / (2.0 * W * H);
    const double share = (1.0 - r >= 0.3) ? 1.0 - r : 0.3;
    const bool useFFTW = processor == Processor::Cpu;

    // A long, thin picture (shorter side 200 or less) would get an empty tile
    // grid, so it is deconvolved whole as well.
    const bool whole = std::max(W, H) <= kWholePictureLimit || std::min(W, H) <= kTileOverlap;
    if (whole) {
        Image unitResult;
        deconvolveUnit(input, kernel, lambda, quality, dering, denoise, useFFTW,
                       static_cast<float>(share), progress, unitResult);
        output = std::move(unitResult);
    } else {
        Image* tiles = nullptr;
        int32_t tileRows = 0;
        int32_t tileCols = 0;
        splitIntoTiles(input, tiles, tileRows, tileCols);
        const float tileShare = static_cast<float>(share) / static_cast<float>(tileRows) /
                                static_cast<float>(tileCols);
        for (int32_t i = 0; i < tileRows; ++i) {
            for (int32_t j = 0; j < tileCols; ++j) {
                Image& tile = tiles[i * tileCols + j];
                Image unitResult;
                deconvolveUnit(tile, kernel, lambda, quality, dering, denoise, useFFTW, tileShare,
                               progress, unitResult);
                tile = std::move(unitResult);
            }
        }
        blendTiles(tiles, tileRows, tileCols, output);
        delete[] tiles;
    }

    std::cout << "End of deconvolution." << std::endl;
    std::cout << std::endl;
}

}  // namespace imgproc
