#pragma once

#include <cstddef>
#include <cstdint>

namespace imgproc {

// Dense row-major float image. Channels of a pixel are interleaved; element
// (y * width + x) * channels + c. Owns its buffer exclusively.
class Image {
public:
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    float* data = nullptr;
    int32_t extra = 0;  // colour-space tag: 1 after rgbToYCbCr, else 0

    Image() = default;
    Image(const Image& other);
    Image(Image&& other) noexcept;
    Image(int32_t height, int32_t width, int32_t channels);
    ~Image();

    // Exchanges all five fields with the source; the source frees the old buffer.
    Image& operator=(Image&& other) noexcept;
    Image& operator=(const Image& other);

    void extractChannel(int32_t channel, Image& output) const;
    // Allocates an array of `channels` images with new[]; the caller delete[]s it.
    void splitChannels(Image*& planes) const;
    // Exact-size copy (width * height * channels floats); destination must differ.
    void copyTo(Image& destination) const;

    Image abs() const;
    Image mul(const Image& other) const;
    Image div(const Image& other) const;  // a / (b + FLT_EPSILON)
    Image sqrt() const;
    Image operator+(const Image& other) const;
    Image operator-(const Image& other) const;
    Image operator+(float s) const;
    Image operator-(float s) const;
    Image operator/(float s) const;
    Image operator*(float s) const;

    // Number of values the image holds: width * height * channels.
    size_t size() const { return static_cast<size_t>(width) * height * channels; }
    // Number of floats actually allocated for `data` (0 when null).
    size_t capacity() const;

    // Floats the sized constructor allocates: per channel, width * height
    // rounded up to the next multiple of four strictly above it.
    static size_t roundedBufferSize(int32_t height, int32_t width, int32_t channels);
    // Buffer management shared with code that fills a fresh buffer itself.
    static float* allocateBuffer(size_t floats);
    static void releaseBuffer(float* buffer);
};

}  // namespace imgproc
