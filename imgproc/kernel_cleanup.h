#pragma once

#include "image.h"

namespace imgproc {

// Removes entries not above kernelCutThreshold times the largest entry,
// renormalises and moves the centre of mass to the central pixel. A kernel
// without a positive maximum (all zero, negative, or a NaN first entry)
// becomes the centred one-pixel kernel of dst's size. src and dst may be the
// same image.
void cleanUpKernel(const Image& src, Image& dst, float kernelCutThreshold);

// dst = src / divisor, one channel, src's width and height.
void normalizeKernel(const Image& src, Image& dst, float divisor);

// Shifts the kernel by bilinear sampling so that its centre of mass lands on
// the central position ((w + 1) / 2, (h + 1) / 2), counted from 1.
void centerKernel(const Image& src, Image& dst);

// Crops the outer rows and columns that hold fewer than two entries above 1e-4.
void trimKernel(const Image& src, Image& dst);

// True when the kernel is worth deconvolving with.
bool isSignificantKernel(const Image& kernel);

}  // namespace imgproc
