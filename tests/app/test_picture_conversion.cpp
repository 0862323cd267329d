#include <QtTest>

#include <QImage>

#include "picture_conversion.h"

class TestPictureConversion : public QObject
{
    Q_OBJECT

private slots:
    void greyIndexedRoundTrip();
    void colourWithAlphaLosesAlpha();
    void colouredPaletteGivesBlue();
    void valuesAreTruncatedAndHeld();
    void columnsAndRows();
    void nullPicture();
};

void TestPictureConversion::greyIndexedRoundTrip()
{
    QImage picture(16, 16, QImage::Format_Indexed8);
    QVector<QRgb> grey(256);
    for (int i = 0; i < 256; ++i) grey[i] = qRgb(i, i, i);
    picture.setColorTable(grey);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) picture.setPixel(x, y, y * 16 + x);

    imgproc::Image image;
    qImageToImage(picture, image);
    QCOMPARE(image.channels, 1);
    QCOMPARE(image.width, 16);
    QCOMPARE(image.height, 16);
    QCOMPARE(image.data[255], 1.0f);
    QCOMPARE(image.data[17], 17.0f / 255.0f);

    // Every byte survives the round trip unchanged.
    QImage back;
    imageToQImage(image, back);
    QCOMPARE(back.format(), QImage::Format_Indexed8);
    QCOMPARE(back.colorTable(), grey);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) QCOMPARE(back.pixelIndex(x, y), y * 16 + x);
}

void TestPictureConversion::colourWithAlphaLosesAlpha()
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(10, 200, 255, 7));
    picture.setPixel(1, 0, qRgba(0, 1, 2, 255));

    imgproc::Image image;
    qImageToImage(picture, image);
    QCOMPARE(image.channels, 3);
    QCOMPARE(image.data[0], 10.0f / 255.0f);
    QCOMPARE(image.data[1], 200.0f / 255.0f);
    QCOMPARE(image.data[2], 1.0f);
    QCOMPARE(image.data[5], 2.0f / 255.0f);

    QImage back;
    imageToQImage(image, back);
    QCOMPARE(back.format(), QImage::Format_RGB888);
    QCOMPARE(back.pixel(0, 0), qRgb(10, 200, 255));
    QCOMPARE(back.pixel(1, 0), qRgb(0, 1, 2));

    // A format read pixel by pixel gives the same values as the fast paths.
    imgproc::Image fromOther;
    qImageToImage(picture.convertToFormat(QImage::Format_RGBX8888), fromOther);
    QCOMPARE(fromOther.data[0], image.data[0]);
    QCOMPARE(fromOther.data[4], image.data[4]);
}

void TestPictureConversion::colouredPaletteGivesBlue()
{
    QImage picture(3, 1, QImage::Format_Indexed8);
    QVector<QRgb> palette(8, qRgb(0, 0, 0));
    palette[7] = qRgb(255, 0, 0);
    palette[2] = qRgb(0, 0, 51);
    picture.setColorTable(palette);
    picture.setPixel(0, 0, 7);
    picture.setPixel(1, 0, 2);
    picture.setPixel(2, 0, 0);

    imgproc::Image image;
    qImageToImage(picture, image);
    QCOMPARE(image.channels, 1);
    QCOMPARE(image.data[0], 0.0f);  // pure red has no blue
    QCOMPARE(image.data[1], 51.0f / 255.0f);
}

void TestPictureConversion::valuesAreTruncatedAndHeld()
{
    imgproc::Image grey(1, 6, 1);
    const float values[6] = {1.0f, 0.0f, 0.5f, 0.999f, 1.7f, -0.3f};
    std::copy(values, values + 6, grey.data);
    QImage out;
    imageToQImage(grey, out);
    QCOMPARE(out.pixelIndex(0, 0), 255);
    QCOMPARE(out.pixelIndex(1, 0), 0);
    QCOMPARE(out.pixelIndex(2, 0), 127);
    QCOMPARE(out.pixelIndex(3, 0), 254);
    // Outside [0, 1] the index stays inside the colour table.
    QCOMPARE(out.pixelIndex(4, 0), 255);
    QCOMPARE(out.pixelIndex(5, 0), 0);

    imgproc::Image colour(1, 1, 3);
    colour.data[0] = 0.5f;
    colour.data[1] = 0.999f;
    colour.data[2] = 1.0f;
    imageToQImage(colour, out);
    QCOMPARE(out.pixel(0, 0), qRgb(127, 254, 255));
}

void TestPictureConversion::columnsAndRows()
{
    QImage picture(3, 2, QImage::Format_Indexed8);
    QVector<QRgb> grey(256);
    for (int i = 0; i < 256; ++i) grey[i] = qRgb(i, i, i);
    picture.setColorTable(grey);
    picture.fill(0);
    picture.setPixel(1, 1, 200);

    imgproc::Image image;
    qImageToImage(picture, image);
    QCOMPARE(image.width, 3);
    QCOMPARE(image.height, 2);
    QCOMPARE(image.data[4], 200.0f / 255.0f);
}

void TestPictureConversion::nullPicture()
{
    imgproc::Image image(4, 4, 1);
    qImageToImage(QImage(), image);
    QCOMPARE(image.width, 0);
    QCOMPARE(image.height, 0);
    QCOMPARE(image.channels, 3);
}

QTEST_MAIN(TestPictureConversion)
#include "test_picture_conversion.moc"
