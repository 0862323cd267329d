#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>

#include "tiling.h"

namespace testsupport {

// Reads the whitespace-separated header fields and the one separator after them.
template <typename... Fields>
static std::ifstream openWithHeader(const std::string& path, Fields&... fields) {
    std::ifstream in(path, std::ios::binary);
    (in >> ... >> fields);
    in.get();
    if (!in) throw std::runtime_error("cannot read " + path);
    return in;
}

std::string dataPath(const std::string& name) { return std::string(VANTREL_TEST_DATA) + "/" + name; }

imgproc::Image readNetpbm(const std::string& path) {
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    std::ifstream in = openWithHeader(path, magic, width, height, maxval);
    const int channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    if (!channels || maxval != 255) throw std::runtime_error("unsupported file: " + path);
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * channels);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) throw std::runtime_error("short file: " + path);
    imgproc::Image image(height, width, channels);
    for (size_t i = 0; i < bytes.size(); ++i) image.data[i] = bytes[i] / 255.0f;
    return image;
}

imgproc::Image readKernelText(const std::string& path) {
    int rows = 0, cols = 0;
    std::ifstream in = openWithHeader(path, rows, cols);
    imgproc::Image kernel(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) in >> kernel.data[i];
    if (!in) throw std::runtime_error("short file: " + path);
    return kernel;
}

imgproc::Image readF32(const std::string& path) {
    int rows = 0, cols = 0, channels = 0;
    std::ifstream in = openWithHeader(path, rows, cols, channels);
    imgproc::Image image(rows, cols, channels);
    in.read(reinterpret_cast<char*>(image.data), static_cast<std::streamsize>(image.size() * 4));
    if (!in) throw std::runtime_error("short file: " + path);
    return image;
}

imgproc::Image cropTopLeft(const imgproc::Image& source, int rows, int cols, int top, int left) {
    imgproc::Image out;
    imgproc::cutTile(source, top, top + rows, left, left + cols, out);
    return out;
}

imgproc::Image convolve(const imgproc::Image& source, const imgproc::Image& kernel, Outside outside) {
    imgproc::Image out(source.height, source.width, source.channels);
    const int H = source.height, W = source.width, kh = kernel.height, kw = kernel.width, ch = source.channels;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < ch; ++c) {
                double sum = 0;
                for (int i = 0; i < kh; ++i)
                    for (int j = 0; j < kw; ++j) {
                        int sy = y - (i - kh / 2), sx = x - (j - kw / 2);
                        if ((sy < 0 || sy >= H || sx < 0 || sx >= W) && outside == Outside::Zero) continue;
                        sy = outside == Outside::Wrap ? (sy % H + H) % H : std::clamp(sy, 0, H - 1);
                        sx = outside == Outside::Wrap ? (sx % W + W) % W : std::clamp(sx, 0, W - 1);
                        const size_t at = (static_cast<size_t>(sy) * W + sx) * ch + c;
                        sum += kernel.data[i * kw + j] * source.data[at];
                    }
                out.data[(static_cast<size_t>(y) * W + x) * ch + c] = static_cast<float>(sum);
            }
    return out;
}

std::vector<std::complex<double>> naiveDft(const imgproc::Image& image) {
    const int H = image.height, W = image.width;
    const double pi = std::acos(-1.0);
    std::vector<std::complex<double>> spectrum(static_cast<size_t>(H) * W);
    for (int v = 0; v < H; ++v)
        for (int u = 0; u < W; ++u)
            for (size_t p = 0; p < spectrum.size(); ++p) {
                const std::complex<double> value(image.data[image.channels * p],
                                                 image.channels == 1 ? 0.0 : image.data[2 * p + 1]);
                const double turns = static_cast<double>(v * (p / W)) / H + static_cast<double>(u * (p % W)) / W;
                spectrum[static_cast<size_t>(v) * W + u] += value * std::polar(1.0, -2 * pi * turns);
            }
    return spectrum;
}

double psnr(const imgproc::Image& a, const imgproc::Image& b) {
    double mse = 0;
    for (size_t i = 0; i < a.size(); ++i) mse += std::pow(static_cast<double>(a.data[i]) - b.data[i], 2);
    return 10.0 * std::log10(a.size() / mse);
}

double meanAbsDiff(const imgproc::Image& a, const imgproc::Image& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::fabs(static_cast<double>(a.data[i]) - b.data[i]);
    return sum / static_cast<double>(a.size());
}

double maxAbsDiff(const imgproc::Image& a, const imgproc::Image& b) {
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = std::fabs(static_cast<double>(a.data[i]) - b.data[i]);
        worst = std::isnan(d) ? std::numeric_limits<double>::infinity() : std::max(worst, d);
    }
    return worst;
}

double normalizedCrossCorrelation(const imgproc::Image& a, const imgproc::Image& b) {
    const size_t n = a.size();
    const double ma = sumOf(a) / n, mb = sumOf(b) / n;
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < n; ++i) {
        const double da = a.data[i] - ma, db = b.data[i] - mb;
        sab += da * db;
        saa += da * da;
        sbb += db * db;
    }
    return sab / std::sqrt(saa * sbb);
}

imgproc::Image makeImage(int rows, int cols, int channels, const std::vector<float>& values) {
    imgproc::Image image(rows, cols, channels);
    for (size_t i = 0; i < image.size(); ++i) image.data[i] = i < values.size() ? values[i] : 0.0f;
    return image;
}

imgproc::Image randomImage(int rows, int cols, int channels, unsigned seed, float low, float high) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(low, high);
    imgproc::Image image(rows, cols, channels);
    for (size_t i = 0; i < image.size(); ++i) image.data[i] = dist(rng);
    return image;
}

std::vector<float> values(const imgproc::Image& image) { return {image.data, image.data + image.size()}; }

double sumOf(const imgproc::Image& image) {
    double sum = 0.0;
    for (size_t i = 0; i < image.size(); ++i) sum += image.data[i];
    return sum;
}

bool isCentredImpulse(const imgproc::Image& kernel) {
    const size_t count = kernel.size();
    for (size_t i = 0; i < count; ++i)
        if (kernel.data[i] != (i == count / 2 ? 1.0f : 0.0f)) return false;
    return count > 0;
}

imgproc::Image cornerStreak(int side) {
    imgproc::Image kernel = makeImage(side, side, 1, {});
    for (int i = side / 2; i < side; ++i) kernel.data[static_cast<size_t>(i) * side + i] = 1.0f / (side - side / 2);
    return kernel;
}

Lines logOf(const std::function<void()>& call) {
    ::testing::internal::CaptureStdout();
    call();
    std::istringstream stream(::testing::internal::GetCapturedStdout());
    Lines lines;
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

bool contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace testsupport
