#include <utility>

#include "deconvolver.h"
#include "median_filter.h"
#include "parallel.h"

namespace imgproc {

namespace {

using Solver = void (Deconvolver::*)(const Image&, const Image&, float, Image&);

// Subtracts from the first output plane the median-filtered residual between
// it and a ten times smoother solution: isolated ripples beside edges are
// what the median keeps out of the residual.
void suppressRinging(Deconvolver& d, Solver solver) {
    Image smooth;
    (d.*solver)(d.inputPlanes[0], d.kernel, d.smoothCoefficient * 10.0f, smooth);

    Image& o = d.outputPlanes[0];
    const size_t N = o.size();
    Image q(o.height, o.width, 1);
    const float* ov = o.data;
    const float* sv = smooth.data;
    parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float r = ov[i] - sv[i];
            float v = (r + 1.0f) / 2.0f;
            v = v < 0.0f ? 0.0f : v;
            v = v > 1.0f ? 1.0f : v;
            q.data[i] = v;
        }
    });
    smooth = Image();
    Image median;
    medianFilter(q, median);
    q = Image();

    Image corrected(o.height, o.width, 1);
    const float* mv = median.data;
    parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float m = mv[i] * 2.0f - 1.0f;
            corrected.data[i] = ov[i] - m;
        }
    });
    o = std::move(corrected);
}

}  // namespace

void Deconvolver::reduceRinging() { suppressRinging(*this, &Deconvolver::solve); }

void Deconvolver::reduceRingingDenoised() { suppressRinging(*this, &Deconvolver::solveDenoised); }

}  // namespace imgproc
