#include <QtTest>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "app_test_support.h"
#include "deblur_worker.h"
#include "image_view.h"
#include "parameter_bar.h"

namespace {

const QString testPhoto = QStringLiteral(VANTREL_TEST_DATA "/clock.png");

// Starts a run on the given picture as if it had been opened.
void startOn(Clarnex& w, const QImage& picture)
{
    Access::input(w) = picture;
    Access::setState(w, WorkState::ImageLoaded);
    Access::actions(w).startAction->trigger();
}

}  // namespace

class TestWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid() && redirectSettings(dir));
        smallPicture = QImage(testPhoto).copy(100, 80, 48, 40);
        QVERIFY(!smallPicture.isNull());
    }

    void init() { resetSettings(); }
    // The checked processor action is the worker's processor choice.
    void processorChoice()
    {
        Clarnex w;
        auto& a = Access::actions(w);
        Access::input(w) = smallPicture;
        Access::setState(w, WorkState::ImageLoaded);
        const QList<QPair<QAction*, imgproc::Processor>> choices = {
            {a.cpuAction, imgproc::Processor::Cpu}, {a.gpuAction, imgproc::Processor::Gpu},
            {a.autoAction, imgproc::Processor::Auto}};
        for (const auto& [action, processor] : choices) {
            action->trigger();
            a.startAction->trigger();
            QVERIFY(Access::worker(w));
            QCOMPARE(Access::worker(w)->processorChoice(), processor);
            QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);
        }
    }

    void parametersReachTheWorker()
    {
        Clarnex w;
        ParameterBar* bar = Access::bar(w);
        bar->blurStrengthCombo->setCurrentIndex(4);
        bar->heightSpin->setValue(9);
        bar->widthSpin->setValue(11);
        bar->blurStrengthCombo->setCurrentIndex(0);
        bar->deringCheck->setChecked(false);
        bar->denoiseCheck->setChecked(true);
        Access::actions(w).highAction->trigger();

        startOn(w, smallPicture);
        DeblurWorker* worker = Access::worker(w);
        QVERIFY(worker);
        // "Auto" still hands over what the size boxes hold.
        QVERIFY(worker->estimatesKernelSize() && !worker->reducesRinging() && worker->reducesNoise());
        QCOMPARE(QSize(worker->widthOfKernel(), worker->heightOfKernel()), QSize(11, 9));
        QCOMPARE(worker->qualityLevel(), 3u);
        QCOMPARE(QSize(worker->inputImage().width, worker->inputImage().height), QSize(48, 40));
        QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);

        // A preset hands over its size and no estimation.
        bar->blurStrengthCombo->setCurrentIndex(1);
        bar->denoiseCheck->setChecked(false);
        Access::actions(w).lowAction->trigger();
        Access::actions(w).startAction->trigger();
        QVERIFY(!Access::worker(w)->estimatesKernelSize());
        QCOMPARE(Access::worker(w)->heightOfKernel(), 19);
        QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);
    }

    void oneRealRun()
    {
        QTemporaryDir work;
        // A crop keeps the run short; the photograph holds real motion blur.
        const QString file = work.filePath("clock.png");
        QVERIFY(QImage(testPhoto).copy(100, 75, 200, 150).save(file));

        Clarnex w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.openFile(QUrl(file)));
        Access::bar(w)->deringCheck->setChecked(false);  // keeps the run short
        auto& a = Access::actions(w);
        a.zoomInAction->trigger();
        const double zoom = Access::view(w)->currentScale();

        // What each state enables is the main window's state table; here the run itself.
        a.startAction->trigger();
        QCOMPARE(Access::state(w), WorkState::Running);
        QVERIFY(!w.openFile(QUrl(file)));  // one run at a time
        QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);
        QCOMPARE(Access::state(w), WorkState::ResultShown);
        QVERIFY(!Access::worker(w));
        QTRY_VERIFY(w.findChildren<QThread*>().isEmpty());

        const QImage& input = Access::input(w);
        const QImage& result = Access::result(w);
        QCOMPARE(result.size(), input.size());
        QVERIFY(result != input.convertToFormat(result.format()));
        // The result is shown at the zoom chosen before the run.
        QCOMPARE(Access::view(w)->currentScale(), zoom);
    }

    // Grey files run as one channel: the result is indexed with the grey
    // table, and saved as a grey file.
    void greyFilesStayGrey()
    {
        QTemporaryDir work;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        const QImage crop = QImage(testPhoto).copy(100, 80, 48, 40);
        QVERIFY(crop.save("grey.png") && crop.save("grey.pgm") && crop.save("grey.jpg"));
        QVERIFY(crop.convertToFormat(QImage::Format_Grayscale16).save("deep.png"));

        Clarnex w;
        Access::bar(w)->denoiseCheck->setChecked(true);
        for (const char* name : {"grey.pgm", "grey.jpg", "deep.png", "grey.png"}) {
            QVERIFY2(w.openFile(QUrl::fromLocalFile(work.filePath(name))), name);
            Access::actions(w).startAction->trigger();
            QVERIFY(Access::worker(w));
            QVERIFY2(Access::worker(w)->inputImage().channels == 1, name);
            QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);
            QCOMPARE(Access::result(w).format(), QImage::Format_Indexed8);
            QVERIFY(Access::result(w).isGrayscale());
        }
        QVERIFY(QMetaObject::invokeMethod(&w, "saveFile"));
        const QImage saved("grey_clear.png");
        QCOMPARE(saved.format(), QImage::Format_Grayscale8);
        QCOMPARE(saved.size(), QSize(48, 40));
        QVERIFY(QDir::setCurrent(before));
    }

    // A 16-colour picture (an orange square on red) runs in colour and is
    // saved in colour.
    void paletteFileStaysInColour()
    {
        QTemporaryDir work;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        QImage picture(64, 48, QImage::Format_Indexed8);
        QVector<QRgb> palette(16, qRgb(0, 0, 0));
        palette[3] = qRgb(230, 20, 10);
        palette[9] = qRgb(250, 150, 30);
        picture.setColorTable(palette);
        picture.fill(3);
        for (int y = 16; y < 32; ++y)
            for (int x = 24; x < 40; ++x) picture.setPixel(x, y, 9);
        QVERIFY(picture.save("suit.png"));
        QCOMPARE(QImage("suit.png").format(), QImage::Format_Indexed8);

        Clarnex w;
        QVERIFY(w.openFile(QUrl::fromLocalFile(work.filePath("suit.png"))));
        Access::actions(w).startAction->trigger();
        QCOMPARE(Access::worker(w)->inputImage().channels, 3);
        QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);
        QVERIFY(QMetaObject::invokeMethod(&w, "saveFile"));

        const QImage saved("suit_clear.png");
        QCOMPARE(saved.size(), QSize(64, 48));
        QVERIFY(!saved.isGrayscale());
        // Inside the red and the orange, away from the square's edges.
        const QColor red = saved.pixelColor(4, 4), orange = saved.pixelColor(32, 24);
        QVERIFY2(red.red() > 200 && red.green() < 60 && red.blue() < 60, qPrintable(red.name()));
        QVERIFY2(orange.red() > 200 && orange.green() > 110 && orange.blue() < 80, qPrintable(orange.name()));
        QVERIFY(QDir::setCurrent(before));
    }

    void shutdownWaitsForRun()
    {
        QPointer<QThread> thread;
        {
            Clarnex w;
            startOn(w, smallPicture);
            QCOMPARE(w.findChildren<QThread*>().size(), 1);
            thread = w.findChildren<QThread*>().first();
            QVERIFY(thread->isRunning());
        }
        // The window waited for the run and took its thread with it.
        QVERIFY(thread.isNull());
    }

private:
    QTemporaryDir dir;
    QImage smallPicture;
};

QTEST_MAIN(TestWorker)
#include "test_worker.moc"
