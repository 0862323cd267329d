#include "app_test_support.h"
#include "deblur_worker.h"
#include "image_view.h"
#include "parameter_bar.h"

namespace {

const QString testPhoto = QStringLiteral(VANTREL_TEST_DATA "/clock.png");

}  // namespace

class TestWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid() && redirectSettings(dir));
        QVERIFY(work.isValid() && QDir::setCurrent(work.path()));
        smallPicture = QImage(testPhoto).copy(100, 80, 48, 40);
        QVERIFY(!smallPicture.isNull());
    }

    void init() { resetSettings(); }

    // What the window's controls hold is what the worker runs with.
    void choicesReachTheWorker()
    {
        Clarnex w;
        auto& a = Access::actions(w);
        ParameterBar* bar = Access::bar(w);
        bar->blurStrengthCombo->setCurrentText("Custom");
        bar->heightSpin->setValue(9);
        bar->widthSpin->setValue(11);
        Access::input(w) = smallPicture;
        Access::setState(w, WorkState::ImageLoaded);
        const struct {
            QAction* processorAction;
            imgproc::Processor processor;
            QAction* qualityAction;
            unsigned quality;
            QString strength;
            bool dering, denoise, estimates;
            QSize kernel;  // width, height
        } runs[] = {
            // "Auto" still hands over what the size boxes hold; a preset fills them, Custom keeps that.
            {a.cpuAction, imgproc::Processor::Cpu, a.highAction, 3, "Auto", false, true, true, {11, 9}},
            {a.gpuAction, imgproc::Processor::Gpu, a.lowAction, 1, "Small", true, false, false, {19, 19}},
            {a.autoAction, imgproc::Processor::Auto, a.mediumAction, 2, "Custom", false, false, false, {19, 19}},
        };
        for (const auto& run : runs) {
            run.processorAction->trigger();
            run.qualityAction->trigger();
            bar->blurStrengthCombo->setCurrentText(run.strength);
            bar->deringCheck->setChecked(run.dering);
            bar->denoiseCheck->setChecked(run.denoise);
            a.startAction->trigger();
            DeblurWorker* worker = Access::worker(w);
            QVERIFY(worker);
            QCOMPARE(worker->processorChoice(), run.processor);
            QCOMPARE(worker->qualityLevel(), run.quality);
            QCOMPARE(worker->reducesRinging(), run.dering);
            QCOMPARE(worker->reducesNoise(), run.denoise);
            QCOMPARE(worker->estimatesKernelSize(), run.estimates);
            QCOMPARE(QSize(worker->widthOfKernel(), worker->heightOfKernel()), run.kernel);
            QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);
        }
    }

    void oneRealRun()
    {
        // A crop keeps the run short; the photograph holds real motion blur.
        QVERIFY(QImage(testPhoto).copy(100, 75, 200, 150).save("clock.png"));
        const QUrl file = QUrl::fromLocalFile(work.filePath("clock.png"));

        Clarnex w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.openFile(file));
        Access::bar(w)->deringCheck->setChecked(false);  // keeps the run short
        auto& a = Access::actions(w);
        a.zoomInAction->trigger();
        const double zoom = Access::view(w)->currentScale();

        a.startAction->trigger();
        QCOMPARE(Access::state(w), WorkState::Running);
        QVERIFY(!w.openFile(file));  // one run at a time
        QTRY_COMPARE_WITH_TIMEOUT(Access::statusText(w), QString("Finish."), 120000);
        QCOMPARE(Access::state(w), WorkState::ResultShown);
        QVERIFY(!Access::worker(w));
        QTRY_VERIFY(w.findChildren<QThread*>().isEmpty());

        const QImage& input = Access::input(w);
        const QImage& result = Access::result(w);
        QCOMPARE(result.size(), input.size());
        QVERIFY(result != input.convertToFormat(result.format()));
        QCOMPARE(Access::view(w)->currentScale(), zoom);  // the zoom chosen before the run
    }

    // Grey files run as one channel: the result is indexed with the grey table, saved as a grey file.
    void greyFilesStayGrey()
    {
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
        Access::actions(w).saveAction->trigger();
        const QImage saved("grey_clear.png");
        QCOMPARE(saved.format(), QImage::Format_Grayscale8);
        QCOMPARE(saved.size(), QSize(48, 40));
    }

    // A 16-colour picture (an orange square on red) runs and is saved in colour.
    void paletteFileStaysInColour()
    {
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
        Access::actions(w).saveAction->trigger();

        const QImage saved("suit_clear.png");
        QCOMPARE(saved.size(), QSize(64, 48));
        QVERIFY(!saved.isGrayscale());
        // Inside the red and the orange, away from the square's edges.
        const QColor red = saved.pixelColor(4, 4), orange = saved.pixelColor(32, 24);
        QVERIFY2(red.red() > 200 && red.green() < 60 && red.blue() < 60, qPrintable(red.name()));
        QVERIFY2(orange.red() > 200 && orange.green() > 110 && orange.blue() < 80, qPrintable(orange.name()));
    }

    void shutdownWaitsForRun()
    {
        QPointer<QThread> thread;
        {
            Clarnex w;
            Access::input(w) = smallPicture;
            Access::setState(w, WorkState::ImageLoaded);
            Access::actions(w).startAction->trigger();
            QCOMPARE(w.findChildren<QThread*>().size(), 1);
            thread = w.findChildren<QThread*>().first();
            QVERIFY(thread->isRunning());
        }
        // The window waited for the run and took its thread with it.
        QVERIFY(thread.isNull());
    }

private:
    QTemporaryDir dir;
    QTemporaryDir work;
    QImage smallPicture;
};

QTEST_MAIN(TestWorker)
#include "test_worker.moc"
