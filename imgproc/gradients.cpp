#include "gradients.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "parallel.h"

namespace imgproc {

void forwardGradient(const Image& src, Image& gx, Image& gy) {
    const int32_t W = src.width;
    const int32_t H = src.height;
    Image outX(H, W, 1);
    Image outY(H, W, 1);
    const float* s = src.data;
    float* px = outX.data;
    float* py = outY.data;
    // Shared out by rows once the picture has more than 65536 pixels.
    parallelFor(H, 65536 / std::max(W, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int32_t r = static_cast<int32_t>(begin); r < end; ++r) {
            const float* row = s + static_cast<size_t>(r) * W;
            const float* below = s + static_cast<size_t>(r + 1 < H ? r + 1 : H - 1) * W;
            float* ox = px + static_cast<size_t>(r) * W;
            float* oy = py + static_cast<size_t>(r) * W;
            for (int32_t c = 0; c + 1 < W; ++c) ox[c] = row[c + 1] - row[c];
            if (W > 0) ox[W - 1] = row[W - 1] - row[W - 1];
            for (int32_t c = 0; c < W; ++c) oy[c] = below[c] - row[c];
        }
    });
    gx = std::move(outX);
    gy = std::move(outY);
}

void backwardGradient(const Image& src, Image& dx, Image& dy) {
    const int32_t W = src.width;
    const int32_t H = src.height;
    Image outX(H, W, 1);
    Image outY(H, W, 1);
    const float* s = src.data;
    float* px = outX.data;
    float* py = outY.data;
    parallelFor(H, 65536 / std::max(W, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int32_t r = static_cast<int32_t>(begin); r < end; ++r) {
            const float* row = s + static_cast<size_t>(r) * W;
            const float* above = s + static_cast<size_t>(r > 0 ? r - 1 : 0) * W;
            float* ox = px + static_cast<size_t>(r) * W;
            float* oy = py + static_cast<size_t>(r) * W;
            if (W > 0) ox[0] = row[0] - row[0];
            for (int32_t c = 1; c < W; ++c) ox[c] = row[c] - row[c - 1];
            for (int32_t c = 0; c < W; ++c) oy[c] = row[c] - above[c];
        }
    });
    dx = std::move(outX);
    dy = std::move(outY);
}

void secondDerivatives(const Image& src, Image& dxx, Image& dxy, Image& dyy) {
    const int32_t W = src.width;
    const int32_t H = src.height;
    Image outXX(H, W, 1);
    Image outXY(H, W, 1);
    Image outYY(H, W, 1);
    const float* s = src.data;
    auto at = [&](int32_t r, int32_t c) -> float {
        return (r >= 0 && r < H && c >= 0 && c < W) ? s[static_cast<size_t>(r) * W + c] : 0.0f;
    };
    parallelFor(H, 65536 / std::max(W, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int32_t r = static_cast<int32_t>(begin); r < end; ++r) {
            for (int32_t c = 0; c < W; ++c) {
                const size_t i = static_cast<size_t>(r) * W + c;
                float xx, xy, yy;
                secondDifferencesAt(at, r, c, s[i], xx, xy, yy);
                outXX.data[i] = xx;
                outXY.data[i] = xy;
                outYY.data[i] = yy;
            }
        }
    });
    dxx = std::move(outXX);
    dxy = std::move(outXY);
    dyy = std::move(outYY);
}

}  // namespace imgproc

namespace imgproc {

namespace {

// Writes the divergence every `step` floats of the output: 1 for a plain
// image, 2 for the real parts of a complex one whose imaginary parts are
// set to zero.
template <int Step>
void divergenceSweep(const Image& src, float tau, Image& v) {
    const int32_t W = src.width;
    const int32_t H = src.height;
    if (v.data == nullptr || v.width != W || v.height != H || v.channels != Step) {
        Image fresh(H, W, Step);
        v = std::move(fresh);
    }
    v.extra = 0;
    if (W <= 0 || H <= 0) return;
    const float* s = src.data;
    float* out = v.data;
    parallelFor(H, 65536 / W + 1, [&](int64_t begin, int64_t end) {
        // Shrunk gradients of one row, and the vertical one of the row above.
        std::vector<float> wx(static_cast<size_t>(W));
        std::vector<float> wy(static_cast<size_t>(W));
        std::vector<float> wyAbove(static_cast<size_t>(W));
        for (int32_t r = static_cast<int32_t>(begin); r < end; ++r) {
            const float* row = s + static_cast<size_t>(r) * W;
            const float* below = s + static_cast<size_t>(r + 1 < H ? r + 1 : H - 1) * W;
            const float* above = s + static_cast<size_t>(r > 0 ? r - 1 : 0) * W;
            float* o = out + static_cast<size_t>(r) * W * Step;
            for (int32_t c = 0; c + 1 < W; ++c) wx[c] = shrink(row[c + 1] - row[c], tau);
            wx[W - 1] = shrink(row[W - 1] - row[W - 1], tau);
            // wy(max(r - 1, 0), c): the first row differences itself; within
            // a chunk it is the previous row's wy, the same difference.
            if (r > begin) {
                wyAbove.swap(wy);
            } else if (r > 0) {
                for (int32_t c = 0; c < W; ++c) wyAbove[c] = shrink(row[c] - above[c], tau);
            }
            for (int32_t c = 0; c < W; ++c) wy[c] = shrink(below[c] - row[c], tau);
            if (r == 0) {
                for (int32_t c = 0; c < W; ++c) wyAbove[c] = wy[c];
            }
            {
                const float ax = wx[0] - wx[0];
                const float ay = wy[0] - wyAbove[0];
                o[0] = -ax - ay;
                if (Step == 2) o[1] = 0.0f;
            }
            for (int32_t c = 1; c < W; ++c) {
                const float ax = wx[c] - wx[c - 1];
                const float ay = wy[c] - wyAbove[c];
                o[Step * c] = -ax - ay;
                if (Step == 2) o[Step * c + 1] = 0.0f;
            }
        }
    });
}

}  // namespace

void shrunkGradientDivergence(const Image& src, float tau, Image& v) { divergenceSweep<1>(src, tau, v); }

void shrunkGradientDivergenceComplex(const Image& src, float tau, Image& v) {
    divergenceSweep<2>(src, tau, v);
}

}  // namespace imgproc
