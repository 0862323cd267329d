#pragma once

#include <QImage>

#include "image.h"

// True for the pictures that go to the engine as one channel: 8-bit indexed
// pictures and 8- or 16-bit grey ones.
bool isGreyPicture(const QImage& picture);

// A grey picture (see isGreyPicture) becomes one channel: for an indexed one
// the blue component of each pixel's palette colour, for a 16-bit grey one its
// value reduced to 8 bits. Every other picture becomes three interleaved
// channels red, green, blue. Each byte is divided by 255; out is replaced whole.
void qImageToImage(const QImage& picture, imgproc::Image& out);

// One channel becomes an 8-bit grey picture: indexed with a grey colour table,
// or QImage::Format_Grayscale8 when greyFormat asks for it (so that a picture
// read as grey is written as grey). Three channels become a 24-bit RGB picture.
// Each value times 255, truncated toward zero.
void imageToQImage(const imgproc::Image& image, QImage& out,
                   QImage::Format greyFormat = QImage::Format_Indexed8);
