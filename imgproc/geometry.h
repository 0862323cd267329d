#pragma once

#include "image.h"

namespace imgproc {

// Separable triangle-kernel resampling on half-pixel centres. Negative
// targets give an empty image; a zero target gives an image with no rows/columns.
void resize(const Image& source, int32_t height, int32_t width, Image& destination);
void resizeChannel(const Image& source, int32_t height, int32_t width, Image& destination);

// Negative margins (and crops larger than the image, replicate padding of an
// empty source) give an empty destination instead of writing out of bounds.
void padZero(const Image& source, int32_t top, int32_t bottom, int32_t left, int32_t right,
             Image& destination);
void padReplicate(const Image& source, int32_t top, int32_t bottom, int32_t left,
                  int32_t right, Image& destination);
void crop(const Image& source, int32_t top, int32_t bottom, int32_t left, int32_t right,
          Image& destination);
void rotate180(const Image& source, Image& destination);
// Content moves dy rows down and dx columns right, wrapping cyclically.
void circShift(const Image& source, int32_t dy, int32_t dx, Image& destination);

}  // namespace imgproc
