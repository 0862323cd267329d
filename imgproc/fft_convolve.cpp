#include "fft_convolve.h"

#include <fftw3.h>

#include <algorithm>
#include <utility>

#include "color.h"
#include "dft_2d.h"
#include "fft_engine.h"
#include "geometry.h"
#include "parallel.h"

namespace imgproc {

namespace {

// Cyclic convolution of `plane` padded with zeros by `bottom` rows and
// `right` columns, at that padded size; the result keeps all but the last
// kh / 2 rows and kw / 2 columns. The padding is written straight into the
// transform's buffer and the crop is read straight out of the result.
void convolvePadded(Image& out, const Image& plane, int32_t bottom, int32_t right,
                    const Image& kernel) {
    const int32_t H = plane.height + bottom;
    const int32_t W = plane.width + right;
    const size_t N = static_cast<size_t>(H) * W;
    fftwf_complex* a = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    fftwf_complex* b = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    imageToComplexBuffer(plane, a, bottom, right, 0.0f);
    psfToOtfFFTW(kernel, H, W, b);

    Dft2D(H, W, FFTW_FORWARD).execute(a, a);
    parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float are = a[i][0];
            const float aim = a[i][1];
            a[i][0] = are * b[i][0] - b[i][1] * aim;
            a[i][1] = are * b[i][1] + aim * b[i][0];
        }
    });
    fftwf_free(b);
    fftwf_complex* d = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    Dft2D(H, W, FFTW_BACKWARD).execute(a, d);
    fftwf_free(a);

    const int32_t outH = H - kernel.height / 2;
    const int32_t outW = W - kernel.width / 2;
    if (outH < 0 || outW < 0) {
        fftwf_free(d);
        out = Image();
        return;
    }
    Image result(outH, outW, 1);
    const float divisor = static_cast<float>(static_cast<int64_t>(H) * W);
    parallelFor(outH, 65536 / std::max(outW, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int64_t r = begin; r < end; ++r) {
            const fftwf_complex* from = d + static_cast<size_t>(r) * W;
            float* to = result.data + static_cast<size_t>(r) * outW;
            for (int32_t c = 0; c < outW; ++c) to[c] = from[c][0] / divisor;
        }
    });
    fftwf_free(d);
    out = std::move(result);
}

}  // namespace

void fftConvolve(Image& out, Image image, Image kernel) {
    const int32_t halfRows = kernel.height / 2;
    const int32_t halfCols = kernel.width / 2;
    // Zeros below and right take the part of the cyclic result that would
    // otherwise wrap around onto the opposite border.
    if (image.channels == 1) {
        Image convolved;
        convolvePadded(convolved, image, halfRows, halfCols, kernel);
        out = std::move(convolved);
        return;
    }
    Image padded;
    padZero(image, 0, halfRows, 0, halfCols, padded);
    image = Image();
    const int32_t count = padded.channels;
    Image* planes = nullptr;
    splitPlanes(padded, planes);
    padded = Image();
    for (int32_t c = 0; c < count; ++c) {
        Image convolved;
        fftConvolvePlane(convolved, std::move(planes[c]), kernel);
        planes[c] = std::move(convolved);
    }
    Image merged;
    mergePlanes(planes, count, merged);
    delete[] planes;
    out = std::move(merged);
}

void fftConvolvePlane(Image& out, Image plane, Image kernel) {
    convolvePadded(out, plane, 0, 0, kernel);
}

}  // namespace imgproc
