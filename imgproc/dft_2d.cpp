#include "dft_2d.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "parallel.h"

namespace imgproc {

namespace {

// Columns transformed together: sixteen complex values are two cache lines
// of each row, gathered into a compact block that FFTW sweeps with vector
// instructions across the columns.
constexpr int32_t kColumnBlock = 16;
// Rows transformed together. Even, so every block starts with the alignment
// the plan was made for.
constexpr int32_t kRowBlock = 4;
// Below this many elements a transform is quicker on one thread.
constexpr int64_t kParallelElements = int64_t{1} << 15;

struct FftwFree {
    void operator()(fftwf_complex* p) const { fftwf_free(p); }
};

// A per-thread block buffer, kept between transforms so that no transform
// faults in fresh pages for it.
fftwf_complex* blockBuffer(size_t count) {
    thread_local std::unique_ptr<fftwf_complex, FftwFree> buffer;
    thread_local size_t capacity = 0;
    if (count > capacity) {
        buffer.reset(static_cast<fftwf_complex*>(fftwf_malloc(count * sizeof(fftwf_complex))));
        capacity = count;
    }
    return buffer.get();
}

fftwf_plan planColumns(int32_t rows, int32_t width, fftwf_complex* buffer, int sign) {
    int n = rows;
    return fftwf_plan_many_dft(1, &n, width, buffer, nullptr, width, 1, buffer, nullptr, width, 1,
                               sign, FFTW_ESTIMATE);
}

fftwf_plan planRows(int32_t cols, int32_t count, fftwf_complex* from, fftwf_complex* to, int sign) {
    int n = cols;
    return fftwf_plan_many_dft(1, &n, count, from, nullptr, 1, cols, to, nullptr, 1, cols, sign,
                               FFTW_ESTIMATE);
}

bool aligned(const void* p) { return fftwf_alignment_of(static_cast<float*>(const_cast<void*>(p))) == 0; }

}  // namespace

SerialPlanning::SerialPlanning() : previous_(fftwf_planner_nthreads()) {
    if (previous_ != 1) fftwf_plan_with_nthreads(1);
}

SerialPlanning::~SerialPlanning() {
    if (previous_ != 1) fftwf_plan_with_nthreads(previous_);
}

Dft2D::Dft2D(int32_t rows, int32_t cols, int sign) : rows_(rows), cols_(cols), sign_(sign) {
    if (rows <= 0 || cols <= 0) return;
    const SerialPlanning serial;
    const size_t columnBlockElements = static_cast<size_t>(rows) * kColumnBlock;
    const size_t rowBlockElements = static_cast<size_t>(cols) * kRowBlock;
    auto* buffer = static_cast<fftwf_complex*>(
        fftwf_malloc(std::max(columnBlockElements, 2 * rowBlockElements) * sizeof(fftwf_complex)));
    const int32_t columnTail = cols % kColumnBlock;
    const int32_t rowTail = rows % kRowBlock;
    if (cols >= kColumnBlock) columnPlan_ = planColumns(rows, kColumnBlock, buffer, sign);
    if (columnTail != 0) columnTailPlan_ = planColumns(rows, columnTail, buffer, sign);
    fftwf_complex* rowsOut = buffer + rowBlockElements;
    if (rows >= kRowBlock) rowPlan_ = planRows(cols, kRowBlock, buffer, rowsOut, sign);
    if (rowTail != 0) rowTailPlan_ = planRows(cols, rowTail, buffer, rowsOut, sign);
    fftwf_free(buffer);
}

Dft2D::~Dft2D() {
    for (fftwf_plan plan : {columnPlan_, columnTailPlan_, rowPlan_, rowTailPlan_})
        if (plan) fftwf_destroy_plan(plan);
}

void Dft2D::execute(const fftwf_complex* in, fftwf_complex* out, float divisor) const {
    run(reinterpret_cast<const float*>(in), false, out, nullptr, divisor);
}

void Dft2D::executeReal(const float* in, fftwf_complex* out) const { run(in, true, out, nullptr, 1.0f); }

void Dft2D::executeToReal(const fftwf_complex* in, fftwf_complex* work, float* realOut,
                          float divisor) const {
    run(reinterpret_cast<const float*>(in), false, work, realOut, divisor);
}

void Dft2D::run(const float* in, bool realInput, fftwf_complex* out, float* realOut,
                float divisor) const {
    if (rows_ <= 0 || cols_ <= 0) return;
    if (vantrelTransformExecuted) vantrelTransformExecuted(rows_, cols_, sign_);
    const int64_t elements = static_cast<int64_t>(rows_) * cols_;
    if (!aligned(out)) {
        // The plans were made for aligned arrays; an output that is not gets
        // the transform in an aligned buffer of its own first.
        std::unique_ptr<fftwf_complex, FftwFree> staging(
            static_cast<fftwf_complex*>(fftwf_malloc(elements * sizeof(fftwf_complex))));
        run(in, realInput, staging.get(), realOut, divisor);
        if (realOut == nullptr) std::memcpy(out, staging.get(), elements * sizeof(fftwf_complex));
        return;
    }
    const int64_t serialBelow = elements < kParallelElements ? INT64_MAX : 2;
    const int32_t rows = rows_;
    const int32_t cols = cols_;
    const size_t rowLength = static_cast<size_t>(cols);
    // Rows are read straight from the input when it is a separate, aligned
    // complex array, otherwise from a copy (widened from real values, or
    // taken before the output overwrites them).
    const bool direct = !realInput && aligned(in) && reinterpret_cast<const float*>(out) != in;

    // Rows first, out of place, then the columns in place, the order of
    // FFTW's own single-threaded FFTW_ESTIMATE plan for most sizes.
    const int64_t rowBlocks = (rows + kRowBlock - 1) / kRowBlock;
    parallelFor(rowBlocks, serialBelow, [&](int64_t begin, int64_t end) {
        fftwf_complex* copy = direct ? nullptr : blockBuffer(rowLength * kRowBlock);
        for (int64_t b = begin; b < end; ++b) {
            const int32_t r0 = static_cast<int32_t>(b) * kRowBlock;
            const int32_t height = std::min(kRowBlock, rows - r0);
            const size_t first = static_cast<size_t>(r0) * rowLength;
            const size_t count = static_cast<size_t>(height) * rowLength;
            fftwf_complex* source = copy;
            if (direct) {
                source = reinterpret_cast<fftwf_complex*>(const_cast<float*>(in)) + first;
            } else if (realInput) {
                for (size_t n = 0; n < count; ++n) {
                    copy[n][0] = in[first + n];
                    copy[n][1] = 0.0f;
                }
            } else {
                std::memcpy(copy, in + 2 * first, count * sizeof(fftwf_complex));
            }
            fftwf_execute_dft(height == kRowBlock ? rowPlan_ : rowTailPlan_, source, out + first);
        }
    });

    const int64_t columnBlocks = (cols + kColumnBlock - 1) / kColumnBlock;
    parallelFor(columnBlocks, serialBelow, [&](int64_t begin, int64_t end) {
        fftwf_complex* block = blockBuffer(static_cast<size_t>(rows) * kColumnBlock);
        for (int64_t b = begin; b < end; ++b) {
            const int32_t c0 = static_cast<int32_t>(b) * kColumnBlock;
            const int32_t width = std::min(kColumnBlock, cols - c0);
            for (int32_t r = 0; r < rows; ++r)
                std::memcpy(block + static_cast<size_t>(r) * width, out + r * rowLength + c0,
                            width * sizeof(fftwf_complex));
            fftwf_execute_dft(width == kColumnBlock ? columnPlan_ : columnTailPlan_, block, block);
            // The results are final here, so they are divided or reduced to
            // their real parts on their way out of the block.
            for (int32_t r = 0; r < rows; ++r) {
                const fftwf_complex* from = block + static_cast<size_t>(r) * width;
                const size_t first = r * rowLength + c0;
                if (realOut != nullptr) {
                    for (int32_t j = 0; j < width; ++j) realOut[first + j] = from[j][0] / divisor;
                } else if (divisor != 1.0f) {
                    for (int32_t j = 0; j < width; ++j) {
                        out[first + j][0] = from[j][0] / divisor;
                        out[first + j][1] = from[j][1] / divisor;
                    }
                } else {
                    std::memcpy(out + first, from, width * sizeof(fftwf_complex));
                }
            }
        }
    });
}

}  // namespace imgproc
