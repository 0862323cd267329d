#include "image.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <utility>

#include "parallel.h"

namespace imgproc {

namespace {

template <typename Op>
Image unaryOp(const Image& a, Op op) {
    Image result(a.height, a.width, a.channels);
    const size_t n = a.size();
    const float* src = a.data;
    float* dst = result.data;
    parallelFor(static_cast<int64_t>(n), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) dst[i] = op(src[i]);
    });
    return result;
}

template <typename Op>
Image binaryOp(const Image& a, const Image& b, Op op) {
    Image result(a.height, a.width, a.channels);
    const size_t n = a.size();
    const float* pa = a.data;
    const float* pb = b.data;
    float* dst = result.data;
    parallelFor(static_cast<int64_t>(n), 65537, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) dst[i] = op(pa[i], pb[i]);
    });
    return result;
}

}  // namespace

size_t Image::roundedBufferSize(int32_t height, int32_t width, int32_t channels) {
    const int64_t pixels = static_cast<int64_t>(width) * height;
    if (pixels < 0 || channels < 0) return 0;
    return static_cast<size_t>((pixels + 4) / 4 * 4 * channels);
}

Image::Image(int32_t height, int32_t width, int32_t channels)
    : width(width), height(height), channels(channels),
      data(allocateBuffer(roundedBufferSize(height, width, channels))) {}

Image::Image(const Image& other)
    : width(other.width), height(other.height), channels(other.channels),
      data(allocateBuffer(roundedBufferSize(other.height, other.width, other.channels))),
      extra(other.extra) {
    if (other.data) std::memcpy(data, other.data, other.size() * sizeof(float));
}

Image::Image(Image&& other) noexcept
    : width(other.width), height(other.height), channels(other.channels), data(other.data),
      extra(other.extra) {
    other.width = other.height = other.channels = other.extra = 0;
    other.data = nullptr;
}

Image::~Image() {
    releaseBuffer(data);
    data = nullptr;
}

Image& Image::operator=(Image&& other) noexcept {
    if (this != &other) {
        std::swap(width, other.width);
        std::swap(height, other.height);
        std::swap(channels, other.channels);
        std::swap(data, other.data);
        std::swap(extra, other.extra);
    }
    return *this;
}

Image& Image::operator=(const Image& other) {
    if (this != &other) *this = Image(other);
    return *this;
}

void Image::extractChannel(int32_t channel, Image& output) const {
    Image result(height, width, 1);
    const size_t n = size();
    size_t k = 0;
    for (size_t index = static_cast<size_t>(channel); index < n; index += channels) result.data[k++] = data[index];
    output = std::move(result);
}

void Image::splitChannels(Image*& planes) const {
    planes = new Image[channels];
    for (int32_t c = 0; c < channels; ++c) extractChannel(c, planes[c]);
}

void Image::copyTo(Image& destination) const {
    releaseBuffer(destination.data);
    destination.data = nullptr;
    destination.width = width;
    destination.height = height;
    destination.channels = channels;
    destination.extra = extra;
    if (data) {
        destination.data = allocateBuffer(size());
        std::memcpy(destination.data, data, size() * sizeof(float));
    }
}

Image Image::abs() const {
    return unaryOp(*this, [](float v) { return v >= 0 ? v : -v; });
}

Image Image::mul(const Image& other) const {
    return binaryOp(*this, other, [](float a, float b) { return a * b; });
}

Image Image::div(const Image& other) const {
    return binaryOp(*this, other, [](float a, float b) { return a / (b + FLT_EPSILON); });
}

Image Image::sqrt() const {
    return unaryOp(*this, [](float v) { return static_cast<float>(std::sqrt(static_cast<double>(v))); });
}

Image Image::operator+(const Image& other) const {
    return binaryOp(*this, other, [](float a, float b) { return a + b; });
}

Image Image::operator-(const Image& other) const {
    return binaryOp(*this, other, [](float a, float b) { return a - b; });
}

Image Image::operator+(float s) const {
    return unaryOp(*this, [s](float v) { return v + s; });
}

Image Image::operator-(float s) const { return *this + (-s); }

Image Image::operator/(float s) const {
    return unaryOp(*this, [s](float v) { return v / s; });
}

Image Image::operator*(float s) const {
    return unaryOp(*this, [s](float v) { return v * s; });
}

}  // namespace imgproc
