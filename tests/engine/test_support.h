#pragma once

#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "image.h"

namespace testsupport {

using Lines = std::vector<std::string>;

std::string dataPath(const std::string& name);
// Binary PGM (P5) / PPM (P6), maxval 255, values byte / 255.
imgproc::Image readNetpbm(const std::string& path);
// Kernel text: "rows cols" then the values row by row.
imgproc::Image readKernelText(const std::string& path);
// Golden float file: "rows cols channels\n" then little-endian floats.
imgproc::Image readF32(const std::string& path);

imgproc::Image cropTopLeft(const imgproc::Image& source, int rows, int cols, int top, int left);
// Direct convolution of every channel about the kernel element (kh / 2, kw / 2); outside the picture, its nearest
// edge value, zero, or the picture repeated.
enum class Outside { Edge, Zero, Wrap };
imgproc::Image convolve(const imgproc::Image& source, const imgproc::Image& kernel, Outside outside = Outside::Edge);
// Unnormalised forward 2-D DFT of a real or complex (two-channel) image, row-major (v, u).
std::vector<std::complex<double>> naiveDft(const imgproc::Image& image);

double psnr(const imgproc::Image& a, const imgproc::Image& b);
double meanAbsDiff(const imgproc::Image& a, const imgproc::Image& b);
double maxAbsDiff(const imgproc::Image& a, const imgproc::Image& b);  // NaN counts as infinite
double normalizedCrossCorrelation(const imgproc::Image& a, const imgproc::Image& b);

imgproc::Image makeImage(int rows, int cols, int channels, const std::vector<float>& values);  // missing ones 0
imgproc::Image randomImage(int rows, int cols, int channels, unsigned seed, float low = 0.0f, float high = 1.0f);
std::vector<float> values(const imgproc::Image& image);
double sumOf(const imgproc::Image& image);
// True for the one-pixel kernel: 1 in the middle element, 0 elsewhere.
bool isCentredImpulse(const imgproc::Image& kernel);
// Square kernel with its mass on the diagonal from the centre to the bottom-right corner.
imgproc::Image cornerStreak(int side);

// What a call writes to standard output, line by line.
Lines logOf(const std::function<void()>& call);
bool contains(const Lines& lines, const std::string& line);

}  // namespace testsupport
