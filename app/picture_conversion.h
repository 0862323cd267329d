#pragma once

#include "image.h"

class QImage;

// An 8-bit indexed picture becomes one channel (the blue component of each
// pixel's palette colour), every other picture three interleaved channels red,
// green, blue; each byte is divided by 255. out is replaced whole.
void qImageToImage(const QImage& picture, imgproc::Image& out);

// One channel becomes an 8-bit indexed picture with a grey colour table, three
// channels a 24-bit RGB picture; each value times 255, truncated toward zero.
void imageToQImage(const imgproc::Image& image, QImage& out);
