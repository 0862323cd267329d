// The tutorial pages: texts, pictures, buttons and painting.

#include "image_with_caption.h"
#include "tutorial_pages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString pageText(TutorialPage& page)
{
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->wordWrap())
            return label->text();
    }
    return QString();
}

QList<ImageWithCaption*> pictures(TutorialPage& page)
{
    QList<ImageWithCaption*> found = page.findChildren<ImageWithCaption*>();
    std::sort(found.begin(), found.end(),
              [](ImageWithCaption* a, ImageWithCaption* b) { return a->x() < b->x(); });
    return found;
}

} // namespace

class TestTutorialPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void textsAreWordForWord();
    void blurStrengthShowsFourPicturesIn170Squares();
    void denoiseAndDeringShareTheAfterPicture();
    void firstAndLastPageButtons();
    void pageIsFramelessStyledAndPainted();
    void missingPictureShowsCaptionAlone();

private:
    QTemporaryDir settingsDir;
};

void TestTutorialPages::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}

void TestTutorialPages::textsAreWordForWord()
{
    OpenFilePage open;
    QCOMPARE(pageText(open),
             QStringLiteral("Click (shortcut: <i>Ctrl + O</i>) or drag-and-drop to open a picture to process. "
                            "Supported file types: <i>png</i>, <i>jpg</i>, <i>bmp</i>, <i>tiff</i>, "
                            "<i>ppm</i>, and <i>pgm</i>."));
    BlurStrengthPage blur;
    QCOMPARE(pageText(blur),
             QStringLiteral("Select the blurriness strength for your picture. More accurate strength "
                            "estimates can produce better results. Use the <strong>Auto</strong> option if "
                            "you are not sure about this option. <br>The preset options <strong>Small</strong>, "
                            "<strong>Medium</strong> and <strong>Large</strong> let you choose small, medium, "
                            "or large blurriness illustrated as follows.  <br>Use the <strong>Custom</strong> "
                            "option to accurately input blur width and height with pixel unit.  <br>"));
    DenoisePage denoise;
    QCOMPARE(pageText(denoise),
             QStringLiteral("Tick <strong>Reduce noise</strong> for obviously noisy pictures. <br><strong>"
                            "Warning</strong>: choosing this option at least doubles processing time. <br>"));
    DeringPage dering;
    QCOMPARE(pageText(dering),
             QStringLiteral("Tick <strong>Reduce ringing</strong> (recommended) to reduce ringing artifacts. <br>"));
    StartUpPage startUp;
    QCOMPARE(pageText(startUp),
             QStringLiteral("Click (shortcut: <i>Ctrl + R</i>) to start processing. It will take a few seconds "
                            "for a one megapixel picture. <br>"));
    SavePage save;
    QCOMPARE(pageText(save), QStringLiteral("Click (shortcut: <i>Ctrl + D</i>) to save the result. <br>"));

    // The markup is rendered, not shown as text.
    QCOMPARE(open.findChildren<QLabel*>().first()->textFormat(), Qt::AutoText);
    QVERIFY(open.findChildren<ImageWithCaption*>().isEmpty());
}

void TestTutorialPages::blurStrengthShowsFourPicturesIn170Squares()
{
    BlurStrengthPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const QList<ImageWithCaption*> shown = pictures(page);
    QCOMPARE(shown.size(), 4);
    const char* captions[] = {"Clear picture", "Small blurriness", "Medium blurriness", "Large blurriness"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(shown[i]->captionText(), captions[i]);
        QVERIFY(!shown[i]->picture().isNull());
        QCOMPARE(shown[i]->picture().size(), QSize(170, 170));
    }
    // Every picture of the resource folder is 200 x 200; the blurred ones differ
    // from the clear one and from each other.
    const QString folder = QStringLiteral(":/tuto/Resources/instruction_200x200/");
    QImage clear(folder + "input_200x200.jpg");
    QImage small(folder + "small.png");
    QImage large(folder + "large.png");
    for (const char* name : {"input_200x200.jpg", "small.png", "medium.png", "large.png", "noise.png",
                             "ring.jpg", "dering.png"})
        QCOMPARE(QImage(folder + name).size(), QSize(200, 200));
    QVERIFY(clear.convertToFormat(QImage::Format_RGB32) != small.convertToFormat(QImage::Format_RGB32));
    QVERIFY(small.convertToFormat(QImage::Format_RGB32) != large.convertToFormat(QImage::Format_RGB32));
}

void TestTutorialPages::denoiseAndDeringShareTheAfterPicture()
{
    DenoisePage denoise;
    DeringPage dering;
    const QList<ImageWithCaption*> a = denoise.findChildren<ImageWithCaption*>();
    const QList<ImageWithCaption*> b = dering.findChildren<ImageWithCaption*>();
    QCOMPARE(a.size(), 2);
    QCOMPARE(b.size(), 2);
    QCOMPARE(QString(a[0]->captionText()), QStringLiteral("Before"));
    QCOMPARE(QString(a[1]->captionText()), QStringLiteral("After"));
    QCOMPARE(QString(b[0]->captionText()), QStringLiteral("Before"));
    QCOMPARE(a[1]->picture().toImage(), b[1]->picture().toImage());
    QVERIFY(a[0]->picture().toImage() != b[0]->picture().toImage());
}

void TestTutorialPages::firstAndLastPageButtons()
{
    SavePage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.nextButton->text(), QStringLiteral(" &Next > "));
    QCOMPARE(page.backButton->text(), QStringLiteral(" < &Back "));
    QVERIFY(page.backButton->isVisible());
    QVERIFY(page.backButton->x() < page.nextButton->x());

    page.setLastPage(false);
    QCOMPARE(page.nextButton->text(), QStringLiteral(" &Next > "));
    page.setLastPage(true);
    page.setLastPage(false);
    QCOMPARE(page.nextButton->text(), QStringLiteral(" Finish "));

    page.setFirstPage(true);
    QVERIFY(!page.backButton->isVisible());
    page.setFirstPage(false);
    QVERIFY(page.backButton->isVisible());

    page.setNextEnabled(false);
    QVERIFY(!page.nextButton->isEnabled());
}

void TestTutorialPages::pageIsFramelessStyledAndPainted()
{
    DeringPage page;
    QVERIFY(page.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(page.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(page.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(page.styleSheet().contains(QStringLiteral("font-family: Calibri")));

    page.resize(300, 200);
    QImage image(page.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    page.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    const QColor inside = QColor::fromRgba(image.pixel(3, 100));
    QCOMPARE(inside.alpha(), 245);
}

void TestTutorialPages::missingPictureShowsCaptionAlone()
{
    ImageWithCaption item("Nothing", QPixmap(QStringLiteral(":/tuto/none.png")));
    const QList<QLabel*> labels = item.findChildren<QLabel*>();
    QCOMPARE(labels.size(), 2);
    QVERIFY(labels[0]->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(labels[1]->text(), QStringLiteral("Nothing"));
    QCOMPARE(labels[1]->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
}

QTEST_MAIN(TestTutorialPages)
#include "test_tutorial_pages.moc"
