#pragma once

#include "image.h"

namespace imgproc {

// Gamma-corrected luminance (weights 0.2989, 0.587, 0.114), at most 1. Three-channel source.
void rgbToGray(const Image& source, Image& destination, float gamma);
// Every value raised to gamma (double precision), at most 1.
void applyGamma(const Image& source, Image& destination, float gamma);
// Full-range BT.601 with chroma offset 0.502; result has extra = 1.
void rgbToYCbCr(const Image& source, Image& destination);
void yCbCrToRgb(const Image& source, Image& destination);
void clamp(const Image& source, Image& destination, float low, float high);
// Divides by (sum + FLT_EPSILON), summed in storage order in single precision.
void normalizeSum(const Image& source, Image& destination);
// `planes` receives an array made with new[] of `channels` one-channel images.
void splitPlanes(const Image& source, Image*& planes);
// Destination must not be one of the planes.
void mergePlanes(const Image* planes, int32_t count, Image& destination);
void integralImage(const Image& source, Image& destination);

}  // namespace imgproc
