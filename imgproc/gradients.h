#pragma once

#include "image.h"

namespace imgproc {

// Finite differences of a one-channel image; each output is a one-channel
// image of the source's size.
// Forward: gx = s(r, c+1) - s(r, c), gy = s(r+1, c) - s(r, c), 0 on the last column / row.
void forwardGradient(const Image& src, Image& gx, Image& gy);
// Backward: dx = s(r, c) - s(r, c-1), dy = s(r, c) - s(r-1, c), 0 on the first column / row.
void backwardGradient(const Image& src, Image& dx, Image& dy);
// Second differences with zero outside the image; dxy is the quarter-weighted
// cross difference.
void secondDerivatives(const Image& src, Image& dxx, Image& dxy, Image& dyy);

}  // namespace imgproc
