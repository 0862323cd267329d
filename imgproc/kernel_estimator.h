#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fft_engine.h"
#include "image.h"

namespace imgproc {

struct EstimationWorkspace;  // kernel_updates.h

// State of one multi-scale blind estimation of a blur kernel. The pyramid is
// coarse-to-fine: index 0 is the full-size grey picture and its kernel, every
// further index is smaller by `scale`.
//
// Use: construct, prepare() once, run() once, read kernels[0], destroy.
class KernelEstimator {
public:
    Image image;                    // copy of the picture; read only by prepare()
    FFTEngine* engine = nullptr;    // engine of the level being processed (owned)
    int32_t kernelHeight = 0;       // finest level's kernel height
    int32_t kernelWidth = 0;        // finest level's kernel width
    uint32_t quality = 1;           // 1 low, 2 medium, 3 high
    float scale = 0.618f;           // size factor between neighbouring levels
    std::string engineName;         // "FFTW" or "CUFFT"
    std::vector<Image> kernels;     // one kernel per level, 0 the finest
    std::vector<Image> images;      // grey pyramid, 0 the finest
    int32_t levels = 0;             // level count; run() lowers it per skipped level

    // Given kernel size.
    KernelEstimator(const Image& image, int kernelHeight, int kernelWidth, float scale,
                    unsigned quality, bool useFFTW);
    // Kernel size found from the picture: a fifth of each side, made odd.
    KernelEstimator(const Image& image, float scale, unsigned quality, bool useFFTW);
    ~KernelEstimator();

    KernelEstimator(const KernelEstimator&) = delete;
    KernelEstimator& operator=(const KernelEstimator&) = delete;

    // Builds the grey pyramid and the per-level kernel sizes. Kernel sides
    // stand as given, but for two: a side of 0 or less becomes 3, and a side
    // longer than its own axis of the picture is lowered to the largest odd
    // size within that axis. A largest side of 1 gets one level; every
    // level's kernel is then made odd and at least 3 (initKernelSizes), so
    // every estimation has at least one level and a kernel that fits its
    // picture.
    void prepare(float gammaCorrection);

    // Estimates the kernel level by level, coarsest first; leaves the finest
    // level's kernel in kernels[0]. Levels too small to estimate on are
    // skipped; when every level is, kernels[0] becomes the centred one-pixel
    // kernel and `levels` ends at 0.
    void run(float scaleMapThreshold, float kernelSmoothTerm, float deconvolutionSmoothTerm,
             float kernelCutThreshold, int32_t* progress, float progressShare,
             bool estimateKernelSize);

    // Appends one kernel of each level's size (values unset) to `kernels`.
    void initKernelSizes(float scale, int levels);

    // Frequency-domain updates of one level, on the current `engine`
    // (defined with the workspace in kernel_updates.cpp).
    void prepareSpectra(const Image& levelPicture, const Image& kernel,
                        EstimationWorkspace& workspace);
    void updateKernel(const EstimationWorkspace& workspace, const Image& px, const Image& py,
                      float kernelSmoothTerm, Image& kernel);
    void updateLatent(const EstimationWorkspace& workspace, const Image& kernel, int height,
                      int width, float deconvolutionSmoothTerm, Image& result);
};

// Level count for the larger kernel side m: ceil((ln 3 - ln m) / ln scale + 1).
int32_t pyramidLevelCount(int32_t largestKernelSide, float scale);

// images[l] = grey resized by scale^l (truncated sizes); images[0] a deep copy.
void buildPyramid(const Image& grey, std::vector<Image>& images, int levels, float scale);

// Iterations of level l out of `levels` (coarsest levels - 1) at the given quality.
int32_t levelIterations(int32_t level, int32_t levels, uint32_t quality);

}  // namespace imgproc
