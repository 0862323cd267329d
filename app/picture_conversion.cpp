#include "picture_conversion.h"

#include <QImage>
#include <QVector>

#include <algorithm>
#include <array>

namespace {

// byte / 255 in single precision, computed once for every byte value.
const std::array<float, 256>& byteToFloat()
{
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = static_cast<float>(i) / 255.0f;
        return t;
    }();
    return table;
}

// Truncated toward zero, as the picture's byte value.
inline int toByte(float v)
{
    return static_cast<int>(v * 255.0f);
}

}  // namespace

void qImageToImage(const QImage& picture, imgproc::Image& out)
{
    const auto& lut = byteToFloat();
    const int w = picture.width();
    const int h = picture.height();

    if (isGreyPicture(picture)) {
        std::array<float, 256> byteValue{};
        if (picture.format() == QImage::Format_Indexed8) {
            // The palette colour's blue byte for every index; an index beyond
            // the table reads as the colour 0, as QImage::pixel gives it.
            const QVector<QRgb> table = picture.colorTable();
            for (int i = 0; i < 256; ++i) byteValue[i] = i < table.size() ? lut[qBlue(table[i])] : 0.0f;
        } else {
            byteValue = lut;
        }
        // Qt reads grey PNG, PGM and JPEG files as 8- or 16-bit grey, and only
        // grey BMP files as indexed; the engine takes one channel for all.
        const QImage grey = picture.format() == QImage::Format_Grayscale16
                                ? picture.convertToFormat(QImage::Format_Grayscale8)
                                : picture;

        imgproc::Image image(h, w, 1);
        for (int y = 0; y < h; ++y) {
            const uchar* line = grey.constScanLine(y);
            float* row = image.data + static_cast<size_t>(y) * w;
            for (int x = 0; x < w; ++x) row[x] = byteValue[line[x]];
        }
        out = std::move(image);
        return;
    }

    imgproc::Image image(h, w, 3);
    const QImage::Format format = picture.format();
    const bool rawWords = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                          format == QImage::Format_ARGB32_Premultiplied;
    for (int y = 0; y < h; ++y) {
        float* row = image.data + static_cast<size_t>(y) * w * 3;
        if (rawWords) {
            // For these formats QImage::pixel returns the stored word itself.
            const QRgb* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                row[3 * x] = lut[qRed(line[x])];
                row[3 * x + 1] = lut[qGreen(line[x])];
                row[3 * x + 2] = lut[qBlue(line[x])];
            }
        } else if (format == QImage::Format_RGB888) {
            const uchar* line = picture.constScanLine(y);
            for (int x = 0; x < 3 * w; ++x) row[x] = lut[line[x]];
        } else {
            for (int x = 0; x < w; ++x) {
                const QRgb c = picture.pixel(x, y);
                row[3 * x] = lut[qRed(c)];
                row[3 * x + 1] = lut[qGreen(c)];
                row[3 * x + 2] = lut[qBlue(c)];
            }
        }
    }
    out = std::move(image);
}

bool isGreyPicture(const QImage& picture)
{
    switch (picture.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
        return true;
    case QImage::Format_Indexed8: {
        // Only a palette of greys can be told by one channel; the colours of
        // any other palette would be lost to their blue component.
        const QVector<QRgb> table = picture.colorTable();
        return std::all_of(table.cbegin(), table.cend(),
                           [](QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c); });
    }
    default:
        return false;
    }
}

void imageToQImage(const imgproc::Image& image, QImage& out)
{
    const int w = image.width;
    const int h = image.height;

    if (image.channels == 1) {
        // Qt's writers store an indexed picture with this table as a grey file.
        QImage picture(w, h, QImage::Format_Indexed8);
        QVector<QRgb> grey(256);
        for (int i = 0; i < 256; ++i) grey[i] = qRgb(i, i, i);
        picture.setColorTable(grey);
        for (int y = 0; y < h; ++y) {
            uchar* line = picture.scanLine(y);
            const float* row = image.data + static_cast<size_t>(y) * w;
            // A value outside [0, 1] would index beyond the colour table, so
            // it is held at the nearest entry; every pixel gets a value.
            for (int x = 0; x < w; ++x) line[x] = static_cast<uchar>(qBound(0, toByte(row[x]), 255));
        }
        out = std::move(picture);
        return;
    }

    QImage picture(w, h, QImage::Format_RGB888);
    const int channels = image.channels;
    for (int y = 0; y < h; ++y) {
        uchar* line = picture.scanLine(y);
        const float* row = image.data + static_cast<size_t>(y) * w * channels;
        for (int x = 0; x < w; ++x) {
            const float* px = row + static_cast<size_t>(x) * channels;
            // Each component keeps its low eight bits, as qRgb stores it.
            line[3 * x] = static_cast<uchar>(toByte(px[0]) & 0xff);
            line[3 * x + 1] = static_cast<uchar>(toByte(px[1]) & 0xff);
            line[3 * x + 2] = static_cast<uchar>(toByte(px[2]) & 0xff);
        }
    }
    out = std::move(picture);
}
