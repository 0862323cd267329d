#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "deconvolution_stage.h"
#include "test_support.h"

using imgproc::Image;

namespace {

struct Photo {
    const char* file;
    int top;
    int left;
};

// Crops with texture and strong edges: the cameraman's coat and tripod, the
// astronaut's face and flag.
const Photo kPhotos[] = {{"camera.pgm", 96, 96}, {"astronaut.ppm", 0, 160}};

void PrintTo(const Photo& photo, std::ostream* os) { *os << photo.file; }

Image deconvolve(const Image& blurred, const Image& kernel, bool denoise) {
    Image output;
    int32_t progress = 0;
    ::testing::internal::CaptureStdout();
    imgproc::deconvolveImage(blurred, kernel, 2, false, denoise, imgproc::Processor::Cpu, 0.0004f,
                             output, &progress);
    ::testing::internal::GetCapturedStdout();
    return output;
}

}  // namespace

class Restoration : public ::testing::TestWithParam<Photo> {
protected:
    void SetUp() override {
        const Photo& photo = GetParam();
        const Image full = testsupport::readNetpbm(testsupport::dataPath(photo.file));
        sharp = testsupport::cropTopLeft(full, 256, 256, photo.top, photo.left);
        kernel = testsupport::readKernelText(testsupport::dataPath("shake_02.txt"));
        blurred = testsupport::convolveReplicate(sharp, kernel);
    }

    Image sharp;
    Image kernel;
    Image blurred;
};

TEST_P(Restoration, TrueKernelRaisesPsnrByThreeDecibels) {
    const Image restored = deconvolve(blurred, kernel, false);
    ASSERT_EQ(restored.channels, sharp.channels);
    const double before = testsupport::psnr(blurred, sharp);
    const double after = testsupport::psnr(restored, sharp);
    std::cout << GetParam().file << ": blurred " << before << " dB, restored " << after << " dB\n";
    EXPECT_GE(after - before, 3.0);
}

TEST_P(Restoration, NoiseSuppressingSolverWinsOnNoisyInput) {
    Image noisy = blurred;
    testsupport::addNoise(noisy, 0.01, 20261206);
    const double plain = testsupport::psnr(deconvolve(noisy, kernel, false), sharp);
    const double denoised = testsupport::psnr(deconvolve(noisy, kernel, true), sharp);
    std::cout << GetParam().file << ": noisy " << testsupport::psnr(noisy, sharp) << " dB, plain "
              << plain << " dB, noise-suppressing " << denoised << " dB\n";
    EXPECT_GT(denoised, plain);
}

INSTANTIATE_TEST_SUITE_P(Photos, Restoration, ::testing::ValuesIn(kPhotos),
                         [](const ::testing::TestParamInfo<Photo>& info) {
                             return std::string(info.param.file).substr(0, std::string(info.param.file).find('.'));
                         });
