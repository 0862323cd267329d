#include <QtTest>

#include <QImage>

#include "picture_conversion.h"

namespace {

// Channels, width and height of an engine picture.
QList<int> shape(const imgproc::Image& image) { return {image.channels, image.width, image.height}; }

QVector<float> values(const imgproc::Image& image, int count) { return QVector<float>(image.data, image.data + count); }

}  // namespace

class TestPictureConversion : public QObject
{
    Q_OBJECT

private slots:
    // Qt reads grey PNG, PGM and JPEG files as 8- or 16-bit grey and grey BMP files as indexed:
    // one channel each, back indexed with the grey table, every byte unchanged.
    void greyFormatsTakeOneChannel_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("indexed") << int(QImage::Format_Indexed8);
        QTest::newRow("grey") << int(QImage::Format_Grayscale8);
        QTest::newRow("deep grey") << int(QImage::Format_Grayscale16);
    }

    void greyFormatsTakeOneChannel()
    {
        QFETCH(int, format);
        // Wider than high, so swapped rows and columns show.
        QImage grey(16, 12, QImage::Format_Grayscale8);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) grey.scanLine(y)[x] = static_cast<uchar>(y * 16 + x + 64);
        imgproc::Image image;
        qImageToImage(grey.convertToFormat(QImage::Format(format)), image);
        QCOMPARE(shape(image), (QList<int>{1, 16, 12}));
        QCOMPARE(image.data[191], 1.0f);
        QCOMPARE(image.data[17], 81.0f / 255.0f);

        QImage back;
        imageToQImage(image, back);
        QCOMPARE(back.format(), QImage::Format_Indexed8);
        QVERIFY(back.isGrayscale());
        QCOMPARE(back.convertToFormat(QImage::Format_Grayscale8), grey);
    }

    void colourWithAlphaLosesAlpha()
    {
        QImage picture(2, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, qRgba(10, 200, 255, 7));
        picture.setPixel(1, 0, qRgba(0, 1, 2, 255));

        imgproc::Image image;
        qImageToImage(picture, image);
        QCOMPARE(shape(image), (QList<int>{3, 2, 1}));
        QCOMPARE(values(image, 6),
                 (QVector<float>{10.0f / 255.0f, 200.0f / 255.0f, 1.0f, 0.0f, 1.0f / 255.0f, 2.0f / 255.0f}));

        QImage back;
        imageToQImage(image, back);
        QCOMPARE(back.format(), QImage::Format_RGB888);
        QCOMPARE(back, picture.convertToFormat(QImage::Format_RGB888));

        // Every other format gives the same values.
        for (QImage::Format other : {QImage::Format_RGB888, QImage::Format_RGBX8888}) {
            imgproc::Image fromOther;
            qImageToImage(picture.convertToFormat(other), fromOther);
            QCOMPARE(values(fromOther, 6), values(image, 6));
        }
    }

    // A palette of colours keeps its colours, even where red and green agree throughout;
    // only a palette of greys is one channel.
    void colouredPaletteKeepsItsColours()
    {
        QImage picture(3, 1, QImage::Format_Indexed8);
        QVector<QRgb> palette(8, qRgb(0, 0, 0));
        palette[7] = qRgb(255, 255, 0);
        palette[2] = qRgb(0, 0, 255);
        picture.setColorTable(palette);
        for (int x : {0, 1, 2}) picture.setPixel(x, 0, QList<int>{7, 2, 0}[x]);

        imgproc::Image image;
        qImageToImage(picture, image);
        QCOMPARE(shape(image), (QList<int>{3, 3, 1}));
        QCOMPARE(values(image, 6), (QVector<float>{1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}));
        QImage back;
        imageToQImage(image, back);
        QCOMPARE(back.format(), QImage::Format_RGB888);
        QCOMPARE(back.pixel(0, 0), qRgb(255, 255, 0));

        // A grey palette that is not in index order still reads as its grey levels.
        palette.fill(qRgb(200, 200, 200));
        palette[2] = qRgb(51, 51, 51);
        picture.setColorTable(palette);
        qImageToImage(picture, image);
        QCOMPARE(shape(image), (QList<int>{1, 3, 1}));
        QCOMPARE(values(image, 3), (QVector<float>{200.0f / 255.0f, 0.2f, 200.0f / 255.0f}));
    }

    void valuesAreTruncatedAndHeld()
    {
        imgproc::Image grey(1, 6, 1);
        const float given[6] = {1.0f, 0.0f, 0.5f, 0.999f, 1.7f, -0.3f};
        std::copy(given, given + 6, grey.data);
        QImage out;
        imageToQImage(grey, out);
        // Outside [0, 1] the index stays inside the colour table.
        const int expected[6] = {255, 0, 127, 254, 255, 0};
        for (int x = 0; x < 6; ++x) QCOMPARE(out.pixelIndex(x, 0), expected[x]);

        imgproc::Image colour(1, 1, 3);
        std::copy(given + 2, given + 4, colour.data);
        colour.data[2] = 1.0f;
        imageToQImage(colour, out);
        QCOMPARE(out.pixel(0, 0), qRgb(127, 254, 255));
    }
};

QTEST_MAIN(TestPictureConversion)
#include "test_picture_conversion.moc"
