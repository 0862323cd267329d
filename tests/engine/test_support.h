#pragma once

#include <complex>
#include <string>
#include <vector>

#include "image.h"

namespace testsupport {

std::string dataPath(const std::string& name);

// Binary PGM (P5) / PPM (P6), maxval 255: values byte / 255, one or three channels.
imgproc::Image readNetpbm(const std::string& path);
// Kernel text: "rows cols" then one line per row.
imgproc::Image readKernelText(const std::string& path);
// Golden float file: "rows cols channels\n" then little-endian floats.
imgproc::Image readF32(const std::string& path);

imgproc::Image cropTopLeft(const imgproc::Image& source, int rows, int cols, int top = 0,
                           int left = 0);
// Direct spatial convolution of every channel, kernel centre (kh / 2, kw / 2);
// outside the picture the nearest edge value, or zero when `zeroOutside`.
imgproc::Image convolve(const imgproc::Image& source, const imgproc::Image& kernel,
                        bool zeroOutside = false);
// Adds Gaussian noise of the given sigma with a fixed seed.
void addNoise(imgproc::Image& image, double sigma, unsigned seed);

// Unnormalised 2-D DFT with the forward sign, sum of v(y, x) e^{-2 pi i (v y / H + u x / W)},
// of a one-channel (real) or two-channel (complex pairs) image; row-major (v, u).
std::vector<std::complex<double>> naiveDft(const imgproc::Image& image);

double psnr(const imgproc::Image& a, const imgproc::Image& b);
double meanAbsDiff(const imgproc::Image& a, const imgproc::Image& b);
double maxAbsDiff(const imgproc::Image& a, const imgproc::Image& b);  // NaN counts as infinite
// Normalised cross-correlation of two same-sized images (centred).
double normalizedCrossCorrelation(const imgproc::Image& a, const imgproc::Image& b);

// Values in storage order, missing ones 0.
imgproc::Image makeImage(int rows, int cols, int channels, const std::vector<float>& values);
// Uniform values in [low, high) from a fixed seed.
imgproc::Image randomImage(int rows, int cols, int channels, unsigned seed, float low = 0.0f,
                           float high = 1.0f);
double sumOf(const imgproc::Image& image);
// True for the one-pixel kernel: 1 in the middle element, 0 elsewhere.
bool isCentredImpulse(const imgproc::Image& kernel);
// Square kernel whose mass runs from its centre element down the diagonal to
// the bottom-right corner: a blur far from centred, summing to 1.
imgproc::Image cornerStreak(int side);
std::vector<std::string> splitLines(const std::string& text);
bool contains(const std::vector<std::string>& lines, const std::string& line);

}  // namespace testsupport
