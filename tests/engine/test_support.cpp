#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

// Opens a file and reads its header of whitespace-separated fields and the
// single separator after it, so that binary data may follow.
template <typename... Fields>
std::ifstream openWithHeader(const std::string& path, Fields&... fields) {
    std::ifstream in(path, std::ios::binary);
    (in >> ... >> fields);
    in.get();
    if (!in) throw std::runtime_error("cannot read " + path);
    return in;
}

void checkRead(const std::istream& in, const std::string& path) {
    if (!in) throw std::runtime_error("short file: " + path);
}

}  // namespace

std::string dataPath(const std::string& name) { return std::string(VANTREL_TEST_DATA) + "/" + name; }

// The test pictures carry no header comments, so plain stream reads suffice.
imgproc::Image readNetpbm(const std::string& path) {
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    std::ifstream in = openWithHeader(path, magic, width, height, maxval);
    const int channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    if (!channels || maxval != 255) throw std::runtime_error("unsupported file: " + path);
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * channels);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    checkRead(in, path);
    imgproc::Image image(height, width, channels);
    for (size_t i = 0; i < bytes.size(); ++i) image.data[i] = bytes[i] / 255.0f;
    return image;
}

imgproc::Image readKernelText(const std::string& path) {
    int rows = 0, cols = 0;
    std::ifstream in = openWithHeader(path, rows, cols);
    imgproc::Image kernel(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) in >> kernel.data[i];
    checkRead(in, path);
    return kernel;
}

imgproc::Image readF32(const std::string& path) {
    int rows = 0, cols = 0, channels = 0;
    std::ifstream in = openWithHeader(path, rows, cols, channels);
    imgproc::Image image(rows, cols, channels);
    in.read(reinterpret_cast<char*>(image.data), static_cast<std::streamsize>(image.size() * 4));
    checkRead(in, path);
    return image;
}

imgproc::Image cropTopLeft(const imgproc::Image& source, int rows, int cols, int top, int left) {
    imgproc::Image out(rows, cols, source.channels);
    const size_t row = sizeof(float) * cols * source.channels;
    for (int y = 0; y < rows; ++y)
        std::memcpy(out.data + static_cast<size_t>(y) * cols * source.channels,
                    source.data + (static_cast<size_t>(y + top) * source.width + left) * source.channels, row);
    return out;
}

imgproc::Image convolve(const imgproc::Image& source, const imgproc::Image& kernel, bool zeroOutside) {
    imgproc::Image out(source.height, source.width, source.channels);
    const int kh = kernel.height, kw = kernel.width, ch = source.channels;
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            for (int c = 0; c < ch; ++c) {
                double sum = 0;
                for (int i = 0; i < kh; ++i)
                    for (int j = 0; j < kw; ++j) {
                        int sy = y - (i - kh / 2), sx = x - (j - kw / 2);
                        const bool inside = sy >= 0 && sy < source.height && sx >= 0 && sx < source.width;
                        if (!inside && zeroOutside) continue;
                        sy = std::clamp(sy, 0, source.height - 1);
                        sx = std::clamp(sx, 0, source.width - 1);
                        const size_t at = (static_cast<size_t>(sy) * source.width + sx) * ch + c;
                        sum += kernel.data[i * kw + j] * source.data[at];
                    }
                out.data[(static_cast<size_t>(y) * source.width + x) * ch + c] = static_cast<float>(sum);
            }
    return out;
}

void addNoise(imgproc::Image& image, double sigma, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    for (size_t i = 0; i < image.size(); ++i) image.data[i] = static_cast<float>(image.data[i] + noise(rng));
}

std::vector<std::complex<double>> naiveDft(const imgproc::Image& image) {
    const int H = image.height, W = image.width;
    const double pi = std::acos(-1.0);
    std::vector<std::complex<double>> spectrum(static_cast<size_t>(H) * W);
    for (int v = 0; v < H; ++v)
        for (int u = 0; u < W; ++u)
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const size_t p = static_cast<size_t>(y) * W + x;
                    const std::complex<double> value = image.channels == 1
                        ? std::complex<double>(image.data[p], 0.0)
                        : std::complex<double>(image.data[2 * p], image.data[2 * p + 1]);
                    const double turns = static_cast<double>(v * y) / H + static_cast<double>(u * x) / W;
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

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace testsupport
