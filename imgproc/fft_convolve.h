#pragma once

#include "image.h"

namespace imgproc {

// Same-size convolution of every channel with a one-channel kernel centred
// on its element (kh / 2, kw / 2), zero outside the image; FFTW directly.
void fftConvolve(Image& out, Image image, Image kernel);
// Cyclic convolution of one plane (already padded by kh / 2 rows below and
// kw / 2 columns right), then those padding rows and columns cropped off.
void fftConvolvePlane(Image& out, Image plane, Image kernel);

}  // namespace imgproc
