#include "fft_convolve.h"

#include <fftw3.h>

#include <utility>

#include "color.h"
#include "fft_engine.h"
#include "geometry.h"
#include "parallel.h"

namespace imgproc {

void fftConvolve(Image& out, Image image, Image kernel) {
    const int32_t halfRows = kernel.height / 2;
    const int32_t halfCols = kernel.width / 2;
    // Zeros below and right take the part of the cyclic result that would
    // otherwise wrap around onto the opposite border.
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
    const int32_t H = plane.height;
    const int32_t W = plane.width;
    const size_t N = static_cast<size_t>(H) * W;
    fftwf_complex* a = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    fftwf_complex* b = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    imageToComplexBuffer(plane, a, 0, 0, 0.0f);
    plane = Image();
    psfToOtfFFTW(kernel, H, W, b);

    fftwf_plan plan = fftwf_plan_dft_2d(H, W, a, a, FFTW_FORWARD, FFTW_ESTIMATE);
    fftwf_execute(plan);
    fftwf_destroy_plan(plan);
    parallelFor(static_cast<int64_t>(N), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
            const float are = a[i][0];
            const float aim = a[i][1];
            a[i][0] = are * b[i][0] - b[i][1] * aim;
            a[i][1] = are * b[i][1] + aim * b[i][0];
        }
    });
    fftwf_complex* d = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * N));
    plan = fftwf_plan_dft_2d(H, W, a, d, FFTW_BACKWARD, FFTW_ESTIMATE);
    fftwf_execute(plan);
    fftwf_destroy_plan(plan);
    Image full;
    complexBufferToImage(d, H, W, full);
    fftwf_free(d);
    crop(full, 0, kernel.height / 2, 0, kernel.width / 2, full);
    out = std::move(full);
    fftwf_free(a);
    fftwf_free(b);
}

}  // namespace imgproc
