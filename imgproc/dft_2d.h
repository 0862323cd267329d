#pragma once

#include <cstdint>

#include <fftw3.h>

namespace imgproc {

// Unnormalised rows x cols complex DFT of one direction (FFTW_FORWARD or
// FFTW_BACKWARD), computed as one-dimensional FFTW transforms of blocks of
// rows and then of blocks of columns, shared out over the worker pool.
//
// FFTW's own two-dimensional plans are either slow to make (measured plans
// cost seconds per size) or, with FFTW_ESTIMATE on several threads, 5-30
// times slower than the machine allows at many picture shapes. Here every
// block runs the same single-threaded FFTW_ESTIMATE plan, whose choice does
// not depend on timing, and the blocks are laid out by the size alone, so a
// transform gives the same bits on every run and at every thread count. It
// agrees with FFTW's own two-dimensional plan of the whole size within
// single-precision rounding (not always bit for bit: for some shapes, such
// as 64 x 97, FFTW's plan takes another route).
class Dft2D {
public:
    Dft2D(int32_t rows, int32_t cols, int sign);
    ~Dft2D();
    Dft2D(const Dft2D&) = delete;
    Dft2D& operator=(const Dft2D&) = delete;

    int32_t rows() const { return rows_; }
    int32_t cols() const { return cols_; }

    // `in` holds rows * cols complex values; `out` may be `in`. Every result
    // is divided by `divisor` as it is written (by 1: left as it is).
    void execute(const fftwf_complex* in, fftwf_complex* out, float divisor = 1.0f) const;
    // The same transform of a real input (imaginary parts zero).
    void executeReal(const float* in, fftwf_complex* out) const;
    // Only the real parts of the results, divided by `divisor`, into
    // `realOut` (rows * cols floats); `work` holds rows * cols complex values
    // between the two passes.
    void executeToReal(const fftwf_complex* in, fftwf_complex* work, float* realOut,
                       float divisor) const;

private:
    void run(const float* in, bool realInput, fftwf_complex* out, float* realOut,
             float divisor) const;

    int32_t rows_;
    int32_t cols_;
    int sign_;
    fftwf_plan columnPlan_ = nullptr;      // a full block of columns
    fftwf_plan columnTailPlan_ = nullptr;  // the last, narrower block
    fftwf_plan rowPlan_ = nullptr;
    fftwf_plan rowTailPlan_ = nullptr;
};

// Sets FFTW's planner to one thread for its lifetime and then restores the
// thread count it found: the engine's own plans are run one per core by the
// worker pool, and FFTW's threaded FFTW_ESTIMATE plans are the slow ones.
class SerialPlanning {
public:
    SerialPlanning();
    ~SerialPlanning();
    SerialPlanning(const SerialPlanning&) = delete;
    SerialPlanning& operator=(const SerialPlanning&) = delete;

private:
    int previous_;
};

}  // namespace imgproc

// Benchmarks define this to count the engine's two-dimensional transforms;
// in the program it stays undefined and is never called.
extern "C" void vantrelTransformExecuted(int rows, int cols, int sign) __attribute__((weak));
