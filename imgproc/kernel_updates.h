#pragma once

#include "image.h"

namespace imgproc {

// Spectra and differences of one pyramid level that stay fixed during the
// level's iterations. All members have the level picture's size (H x W).
// They are filled by KernelEstimator::prepareSpectra and read by
// computeScaleMap, KernelEstimator::updateKernel and KernelEstimator::updateLatent.
//
// The three KernelEstimator members are defined in kernel_updates.cpp and are
// declared in class KernelEstimator (kernel_estimator.h) as:
//   void prepareSpectra(const Image& levelPicture, const Image& kernel,
//                       EstimationWorkspace& workspace);
//   void updateKernel(const EstimationWorkspace& workspace, const Image& px,
//                     const Image& py, float kernelSmoothTerm, Image& kernel);
//   void updateLatent(const EstimationWorkspace& workspace, const Image& kernel,
//                     int height, int width, float deconvolutionSmoothTerm,
//                     Image& result);
// They transform with the estimator's current `engine` (rows = H, cols = W).
struct EstimationWorkspace {
    Image gradientPower;      // |F(Dx)|^2 + |F(Dy)|^2, two channels, imaginary 0
    Image weightedPower;      // 1 + 0.5 gradientPower + 0.25 (|F(Dxx)|^2 + |F(Dyy)|^2 + |F(Dxy)|^2)
    Image blurredSpectrum;    // transform of the edge-tapered level picture T
    Image blurredDxSpectrum;  // transform of blurredDx
    Image blurredDySpectrum;  // transform of blurredDy
    Image blurredDx;          // forward horizontal difference of T
    Image blurredDy;          // forward vertical difference of T
};

// Scale map of the level: |mean gradient| / (mean |gradient| + 1) over a window
// of about 0.6 times the level's kernel size. One channel, H x W, values in [0, 1).
void computeScaleMap(const EstimationWorkspace& workspace, int kernelHeight, int kernelWidth,
                     Image& scaleMap);

// False when more than 20 % of the pixels of the (unnormalised) latent update
// leave [0, 1] where the previous latent image was not already near that bound.
bool isLatentUpdateValid(const Image& updated, const Image& latent);

}  // namespace imgproc
