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

struct Buffer {
    fftwf_complex* data;
    explicit Buffer(size_t count) : data(static_cast<fftwf_complex*>(fftwf_malloc(count * sizeof(fftwf_complex)))) {}
    ~Buffer() { fftwf_free(data); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    const float* floats() const { return reinterpret_cast<const float*>(data); }
};

bool sameBits(const float* a, const float* b, size_t floats) {
    return std::memcmp(a, b, floats * sizeof(float)) == 0;
}

// Shapes with and without a narrower last block of columns or rows, single
// rows and columns, prime factors (97 among them), and one large enough to be
// shared out.
const std::vector<std::pair<int, int>> kShapes = {{1, 1},   {1, 37},   {37, 1},    {3, 5},     {17, 33},
                                                  {64, 48}, {64, 97},  {128, 97},  {130, 71},  {74, 247},
                                                  {97, 101}, {120, 400}, {253, 381}, {768, 1280}};

}  // namespace

// Agrees with FFTW's own two-dimensional plan within single-precision
// rounding: the largest difference, relative to the largest value of the
// transform, stays far below what a wrong twiddle, stride or block would give.
TEST(Dft2D, AgreesWithFFTWsOwnPlan) {
    for (const auto& [rows, cols] : kShapes) {
        const size_t n = static_cast<size_t>(rows) * cols;
        const Image input = testsupport::randomImage(rows, cols, 2, 11, -1.0f, 1.0f);
        for (int sign : {FFTW_FORWARD, FFTW_BACKWARD}) {
            Buffer in(n), expected(n), actual(n);
            fftwf_plan plan = fftwf_plan_dft_2d(rows, cols, in.data, expected.data, sign, FFTW_ESTIMATE);
            std::memcpy(in.data, input.data, n * sizeof(fftwf_complex));
            fftwf_execute(plan);
            fftwf_destroy_plan(plan);
            Dft2D(rows, cols, sign).execute(in.data, actual.data);
            EXPECT_TRUE(sameBits(in.floats(), input.data, 2 * n)) << "the input is kept";
            float largest = 0.0f, worst = 0.0f;
            for (size_t i = 0; i < 2 * n; ++i) {
                largest = std::max(largest, std::fabs(expected.floats()[i]));
                worst = std::max(worst, std::fabs(actual.floats()[i] - expected.floats()[i]));
            }
            EXPECT_LE(worst, 4e-6f * largest) << rows << "x" << cols << " sign " << sign;
        }
    }
}

// The result may depend only on the size: not on how many threads share the
// blocks out, nor on where the output lies.
TEST(Dft2D, GivesTheSameBitsWhateverRunsIt) {
    const int rows = 253, cols = 381;
    const size_t n = static_cast<size_t>(rows) * cols;
    const Image real = testsupport::randomImage(rows, cols, 1, 5);
    Image complex(rows, cols, 2);
    for (size_t i = 0; i < n; ++i) {
        complex.data[2 * i] = real.data[i];
        complex.data[2 * i + 1] = 0.0f;
    }
    const Dft2D transform(rows, cols, FFTW_FORWARD);
    Buffer pooled(n), fromReal(n), inPlace(n), offset(n + 1);
    transform.execute(reinterpret_cast<const fftwf_complex*>(complex.data), pooled.data);

    transform.executeReal(real.data, fromReal.data);
    EXPECT_TRUE(sameBits(pooled.floats(), fromReal.floats(), 2 * n)) << "real input";

    std::memcpy(inPlace.data, complex.data, n * sizeof(fftwf_complex));
    transform.execute(inPlace.data, inPlace.data);
    EXPECT_TRUE(sameBits(pooled.floats(), inPlace.floats(), 2 * n)) << "in place";

    // One complex value on, the output lacks the alignment the plans expect.
    transform.execute(reinterpret_cast<const fftwf_complex*>(complex.data), offset.data + 1);
    EXPECT_TRUE(sameBits(pooled.floats(), offset.floats() + 2, 2 * n)) << "unaligned output";

    // Inside a parallel loop each transform runs on one thread, two at once.
    Buffer serialA(n), serialB(n);
    imgproc::parallelFor(2, 1, [&](int64_t begin, int64_t end) {
        for (int64_t k = begin; k < end; ++k)
            transform.execute(reinterpret_cast<const fftwf_complex*>(complex.data), k == 0 ? serialA.data : serialB.data);
    });
    EXPECT_TRUE(sameBits(pooled.floats(), serialA.floats(), 2 * n)) << "one thread";
    EXPECT_TRUE(sameBits(pooled.floats(), serialB.floats(), 2 * n)) << "one thread";
}

// Division and the choice of real parts happen as the results are written:
// the same bits as dividing the full transform afterwards.
TEST(Dft2D, DividesAndKeepsRealPartsAsItWrites) {
    const int rows = 130, cols = 300;
    const size_t n = static_cast<size_t>(rows) * cols;
    const Image input = testsupport::randomImage(rows, cols, 2, 3);
    const auto* in = reinterpret_cast<const fftwf_complex*>(input.data);
    const Dft2D transform(rows, cols, FFTW_BACKWARD);
    const float d = static_cast<float>(n);
    Buffer full(n), divided(n), work(n);
    std::vector<float> real(n);
    transform.execute(in, full.data);
    transform.execute(in, divided.data, d);
    transform.executeToReal(in, work.data, real.data(), d);
    for (size_t i = 0; i < n; ++i) {
        ASSERT_EQ(divided.data[i][0], full.data[i][0] / d) << i;
        ASSERT_EQ(divided.data[i][1], full.data[i][1] / d) << i;
        ASSERT_EQ(real[i], full.data[i][0] / d) << i;
    }
}
