#include "deblur.h"

#include <fftw3.h>
#include <omp.h>

#include "cufft_engine.h"
#include "deconvolution_stage.h"
#include "kernel_cleanup.h"
#include "kernel_estimation_stage.h"
#include "progress.h"

namespace imgproc {

void deblurImage(const Image& input, int32_t kernelHeight, int32_t kernelWidth, int32_t* progress,
                 Image& output, Image& kernel, uint32_t quality, bool dering, bool denoise,
                 bool estimateKernelSize, Processor processor, float scaleMapThreshold,
                 float smoothTermCoefficient, float gammaCorrection) {
    if (input.size() == 0) {
        storeProgress(progress, 0);
        output = Image();
        kernel = Image();
        return;
    }

    const bool gpuChoice = processor == Processor::Gpu || processor == Processor::Auto;
    const int probeStatus = gpuChoice ? cudaProbeStatus() : 0;
    if (!gpuChoice || probeStatus != 0) {
        fftwf_init_threads();
        fftwf_plan_with_nthreads(omp_get_max_threads());
    }

    storeProgress(progress, 0);

    // Both stages run on what the machine offers, so the log never names a
    // GPU that did not take part.
    const Processor used = usableProcessor(processor);

    const bool estimated =
        estimateKernelChecked(input, kernelHeight, kernelWidth, kernel, quality,
                              estimateKernelSize, used, scaleMapThreshold, gammaCorrection,
                              progress);

    if (estimated && isSignificantKernel(kernel)) {
        deconvolveImage(input, kernel, quality, dering, denoise, used, smoothTermCoefficient,
                        output, progress);
    } else if (&output != &input) {
        input.copyTo(output);
    }
}

}  // namespace imgproc
