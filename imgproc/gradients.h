#pragma once

#include <cmath>
#include <cstdint>

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

// The second differences of one pixel, `at(r, c)` reading the image (zero
// outside it). Shared by secondDerivatives and the shock filter's fused step,
// so both add the same terms in the same order.
template <typename At>
inline void secondDifferencesAt(const At& at, int32_t r, int32_t c, float centreValue, float& xx,
                                float& xy, float& yy) {
    const float centre = -2.0f * centreValue;
    xx = centre;
    xx = xx + at(r, c + 1);
    xx = xx + at(r, c - 1);
    yy = centre;
    yy = yy + at(r + 1, c);
    yy = yy + at(r - 1, c);
    xy = 0.0f;
    xy = xy + 0.25f * at(r + 1, c + 1);
    xy = xy - 0.25f * at(r + 1, c - 1);
    xy = xy - 0.25f * at(r - 1, c + 1);
    xy = xy + 0.25f * at(r - 1, c - 1);
}

// Soft threshold sign(v) * max(|v| - tau, 0) (branch-free, so sweeps vectorise;
// a zero input may come back as -0, which compares and adds like 0).
inline float shrink(float v, float tau) {
    float m = std::fabs(v) - tau;
    m = m > 0.0f ? m : 0.0f;
    return std::copysign(m, v);
}

// The solvers' per-pass gradient step in one sweep: with (gx, gy) the forward
// gradient of src, shrunk by tau, and ax / ay the horizontal / vertical
// backward differences of the shrunk gx / gy, v becomes -ax - ay (one channel,
// src's size). Reuses v's buffer when it already has that shape.
void shrunkGradientDivergence(const Image& src, float tau, Image& v);
// The same divergence as the real parts of a two-channel (complex) image with
// zero imaginary parts, the layout a transform takes without conversion.
void shrunkGradientDivergenceComplex(const Image& src, float tau, Image& v);

}  // namespace imgproc
