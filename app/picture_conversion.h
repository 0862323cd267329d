#pragma once

#include <QImage>

#include "image.h"

// True for the pictures that go to the engine as one channel: 8- or 16-bit
// grey ones, and 8-bit indexed ones whose colour table holds only greys.
bool isGreyPicture(const QImage& picture);

// A grey picture (see isGreyPicture) becomes one channel: for an indexed one
// the grey level of each pixel's palette colour, for a 16-bit grey one its
// value reduced to 8 bits. Every other picture becomes three interleaved
// channels red, green, blue. Each byte is divided by 255; out is replaced whole.
void qImageToImage(const QImage& picture, imgproc::Image& out);

// One channel becomes an 8-bit indexed picture with the 256-entry grey colour
// table; three channels become a 24-bit RGB picture. Each value times 255,
// truncated toward zero.
void imageToQImage(const imgproc::Image& image, QImage& out);
