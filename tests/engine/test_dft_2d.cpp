#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "dft_2d.h"
#include "parallel.h"
#include "test_support.h"

using imgproc::Dft2D;
using imgproc::Image;

namespace {

// Images are allocated with the alignment FFTW plans for; two channels hold the complex values.
fftwf_complex* complexData(const Image& image) { return reinterpret_cast<fftwf_complex*>(image.data); }

bool sameBits(const Image& a, const float* b) { return std::memcmp(a.data, b, a.size() * sizeof(float)) == 0; }

// With and without a narrower last block of rows or columns, single rows and columns, primes, and a shared-out one.
const std::vector<std::pair<int, int>> kShapes = {{1, 1},   {1, 37},   {37, 1},    {3, 5},     {17, 33},
                                                  {64, 48}, {64, 97},  {128, 97},  {130, 71},  {74, 247},
                                                  {97, 101}, {120, 400}, {253, 381}, {768, 1280}};

}  // namespace

// Within single-precision rounding of the largest value: far below what a wrong twiddle, stride or block gives.
TEST(Dft2D, AgreesWithFFTWsOwnPlan) {
    for (const auto& [rows, cols] : kShapes) {
        const Image input = testsupport::randomImage(rows, cols, 2, 11, -1.0f, 1.0f);
        for (int sign : {FFTW_FORWARD, FFTW_BACKWARD}) {
            Image in = input, expected(rows, cols, 2), actual(rows, cols, 2);
            fftwf_plan plan =
                fftwf_plan_dft_2d(rows, cols, complexData(in), complexData(expected), sign, FFTW_ESTIMATE);
            fftwf_execute(plan);
            fftwf_destroy_plan(plan);
            Dft2D(rows, cols, sign).execute(complexData(in), complexData(actual));
            EXPECT_TRUE(sameBits(in, input.data)) << "the input is kept";
            float largest = 0.0f, worst = 0.0f;
            for (size_t i = 0; i < expected.size(); ++i) {
                largest = std::max(largest, std::fabs(expected.data[i]));
                worst = std::max(worst, std::fabs(actual.data[i] - expected.data[i]));
            }
            EXPECT_LE(worst, 4e-6f * largest) << rows << "x" << cols << " sign " << sign;
        }
    }
}

// The result depends only on the size: not on how many threads share the blocks out, nor on where the output lies.
TEST(Dft2D, GivesTheSameBitsWhateverRunsIt) {
    const int rows = 253, cols = 381;
    const Image real = testsupport::randomImage(rows, cols, 1, 5);
    Image complex = testsupport::makeImage(rows, cols, 2, {});
    for (size_t i = 0; i < real.size(); ++i) complex.data[2 * i] = real.data[i];
    const Dft2D transform(rows, cols, FFTW_FORWARD);
    Image pooled(rows, cols, 2), fromReal(rows, cols, 2), offset(1, rows * cols + 1, 2);
    Image serial[2] = {Image(rows, cols, 2), Image(rows, cols, 2)};
    transform.execute(complexData(complex), complexData(pooled));
    transform.executeReal(real.data, complexData(fromReal));
    EXPECT_TRUE(sameBits(pooled, fromReal.data)) << "real input";
    // One complex value on, the output lacks the alignment the plans expect.
    transform.execute(complexData(complex), complexData(offset) + 1);
    EXPECT_TRUE(sameBits(pooled, offset.data + 2)) << "unaligned output";
    // Inside a parallel loop each transform runs on one thread, two at once.
    imgproc::parallelFor(2, 1, [&](int64_t begin, int64_t end) {
        for (int64_t k = begin; k < end; ++k) transform.execute(complexData(complex), complexData(serial[k]));
    });
    EXPECT_TRUE(sameBits(pooled, serial[0].data) && sameBits(pooled, serial[1].data)) << "one thread";
    transform.execute(complexData(complex), complexData(complex));
    EXPECT_TRUE(sameBits(pooled, complex.data)) << "in place";
}
