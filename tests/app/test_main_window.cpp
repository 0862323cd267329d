#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSpinBox>

#include "app_test_support.h"
#include "image_view.h"
#include "parameter_bar.h"
#include "tutorial_page.h"

namespace {

QImage filled(int w, int h, QRgb colour)
{
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Writes a filled picture into the working folder and returns its full name.
QString writePicture(const QString& name, QRgb colour, int w = 40, int h = 30, const char* format = nullptr)
{
    const QString file = QDir::current().absoluteFilePath(name);
    return filled(w, h, colour).save(file, format) ? file : QString();
}

bool writeText(const QString& name, const QByteArray& text)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

bool save(Clarnex& w) { return QMetaObject::invokeMethod(&w, "saveFile"); }

// The colour shown in the middle of the view's picture.
QRgb shownColour(Clarnex& w)
{
    const QPixmap pixmap = Access::view(w)->pictureLabel()->pixmap(Qt::ReturnByValue);
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2);
}

// A result on show: input red, result blue.
void showResult(Clarnex& w)
{
    Access::input(w) = filled(40, 30, qRgb(255, 0, 0));
    Access::result(w) = filled(40, 30, qRgb(0, 0, 255));
    Access::view(w)->setImage(QPixmap::fromImage(Access::result(w)), true);
    Access::setState(w, WorkState::ResultShown);
}

}  // namespace


namespace {

// Reaches the window's own drag handlers, which a synthetic event only
// reaches through a drag session of the platform.
struct DropWindow : Clarnex
{
    using Clarnex::dragEnterEvent;
    using Clarnex::dropEvent;
};

}  // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid());
        QVERIFY(workDir.isValid());
        QVERIFY(redirectSettings(settingsDir));
        previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workDir.path()));
    }

    void init()
    {
        resetSettings();
    }

    void cleanup()
    {
        QDir::setCurrent(previousDir);
        QDir(workDir.path()).removeRecursively();
        QDir().mkpath(workDir.path());
        QDir::setCurrent(workDir.path());
    }

    // The fresh window's actions are a row of the state table.
    void windowSetUp()
    {
        Clarnex w;
        auto& a = Access::actions(w);
        QCOMPARE(Access::progressBar(w)->maximumSize(), QSize(180, 15));
        QVERIFY(w.acceptDrops());
        QCOMPARE(w.windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
        QCOMPARE(w.toolBarArea(Access::toolBar(w)), Qt::LeftToolBarArea);
        // The zoom bindings are checked against the shortcut text with the tutorial hosting.

        // The form's bar holds the inner bar with the four menus and, in its
        // corner, the window buttons.
        QMenuBar* form = w.menuBar();
        QMenuBar* corner = qobject_cast<QMenuBar*>(form->cornerWidget(Qt::TopRightCorner));
        QVERIFY(corner);
        QCOMPARE(corner->actions(), (QList<QAction*>{a.minimizeAction, a.maximizeAction, a.quitAction}));
        QStringList titles;
        for (QMenuBar* bar : form->findChildren<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly))
            for (QAction* m : bar->actions()) titles << m->text();
        QCOMPARE(titles.mid(titles.indexOf("&File"), 4), (QStringList{"&File", "&Edit", "&Options", "&Help"}));
        QList<QAction*> tools = Access::toolBar(w)->actions();
        tools.erase(std::remove_if(tools.begin(), tools.end(), [](QAction* t) { return t->isSeparator(); }), tools.end());
        QCOMPARE(tools, (QList<QAction*>{a.openAction, a.saveAsAction, a.zoomInAction, a.zoomOutAction, a.undoAction, a.startAction}));

        // Exclusive groups; quality reaches the window once per choice.
        a.cpuAction->trigger();
        QVERIFY(!a.autoAction->isChecked() && !a.gpuAction->isChecked());
        a.mediumAction->trigger();
        QVERIFY(!a.lowAction->isChecked() && !a.highAction->isChecked());
        QCOMPARE(Access::quality(w), 2u);
    }

    void stateTable_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("tutorial");
        // open, start, save/save as/close, zoom, undo, progress bar
        QTest::addColumn<QString>("expected");
        QTest::newRow("fresh window") << -1 << false << "110000";
        QTest::newRow("no image") << int(WorkState::NoImage) << false << "110000";
        QTest::newRow("loaded") << int(WorkState::ImageLoaded) << false << "111100";
        QTest::newRow("running") << int(WorkState::Running) << false << "000101";
        QTest::newRow("result") << int(WorkState::ResultShown) << false << "111110";
        // Under the tutorial only Start and the progress bar follow the state.
        QTest::newRow("no image, tutorial") << int(WorkState::NoImage) << true << "010000";
        QTest::newRow("loaded, tutorial") << int(WorkState::ImageLoaded) << true << "010000";
        QTest::newRow("running, tutorial") << int(WorkState::Running) << true << "000001";
        QTest::newRow("result, tutorial") << int(WorkState::ResultShown) << true << "010000";
    }

    void stateTable()
    {
        QFETCH(int, state);
        QFETCH(bool, tutorial);
        QFETCH(QString, expected);

        Clarnex w;
        auto& a = Access::actions(w);
        if (tutorial) {
            Access::setTutorialRunning(w, true);
            Access::setControlsEnabled(w, false);
        }
        if (state >= 0) {
            Access::progress(w) = 37;
            Access::setState(w, WorkState(state));
        }
        const bool running = WorkState(state) == WorkState::Running;

        const auto on = [&](int i) { return expected.at(i) == '1'; };
        QCOMPARE(a.openAction->isEnabled(), on(0));
        QCOMPARE(a.startAction->isEnabled(), on(1));
        QCOMPARE(a.saveAction->isEnabled(), on(2));
        QCOMPARE(a.saveAsAction->isEnabled(), on(2));
        QCOMPARE(a.closeFileAction->isEnabled(), on(2));
        QCOMPARE(a.zoomInAction->isEnabled(), on(3));
        QCOMPARE(a.zoomOutAction->isEnabled(), on(3));
        QCOMPARE(a.undoAction->isEnabled(), on(4));
        QCOMPARE(!Access::progressBar(w)->isHidden(), on(5));
        if (!tutorial) QCOMPARE(Access::view(w)->acceptDrops(), !running);

        QCOMPARE(Access::timer(w)->isActive(), running);
        if (running) {
            QCOMPARE(Access::timer(w)->interval(), 200);
            QCOMPARE(Access::statusText(w), QString("Running..."));
            QCOMPARE(Access::progress(w), 37);  // only the engine writes it during a run
        } else {
            QCOMPARE(Access::progress(w), 0);
        }
        if (WorkState(state) == WorkState::ResultShown) QCOMPARE(Access::statusText(w), QString("Finish."));
        if (state < 0) QVERIFY(Access::statusText(w).isEmpty());
        QCOMPARE(Access::state(w), state < 0 ? WorkState::NoImage : WorkState(state));
        Access::setState(w, WorkState::ResultShown);
        QVERIFY(!Access::timer(w)->isActive());
    }

    void runFromResultTakesResult()
    {
        Clarnex w;
        showResult(w);
        Access::setState(w, WorkState::Running);
        QCOMPARE(Access::input(w).pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(Access::ticks(w), 0);
        Access::setState(w, WorkState::ResultShown);
    }

    void controlsOffForTutorial()
    {
        Clarnex w;
        ParameterBar* bar = Access::bar(w);
        bar->blurStrengthCombo->setCurrentIndex(4);
        Access::setControlsEnabled(w, false);
        QVERIFY(bar->heightSpin->isEnabled());
        QVERIFY(bar->widthSpin->isEnabled());
        QVERIFY(!bar->blurStrengthCombo->isEnabled());
        QVERIFY(!bar->deringCheck->isEnabled());
        QVERIFY(!Access::actions(w).startAction->isEnabled());
        QVERIFY(Access::actions(w).showTutorialAction->isEnabled());

        bar->blurStrengthCombo->setCurrentIndex(1);
        Access::setControlsEnabled(w, false);
        QVERIFY(!bar->heightSpin->isEnabled());
        Access::setControlsEnabled(w, true);
        QVERIFY(bar->denoiseCheck->isEnabled());
        QVERIFY(!bar->heightSpin->isEnabled());
    }

    void zoomLimitsAndStatusText()
    {
        Clarnex w;
        ImageView* view = Access::view(w);
        view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setFixedSize(600, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(view->viewport()->size(), QSize(600, 600));

        QVERIFY(w.openFile(QUrl(writePicture("wide.png", qRgb(9, 9, 9), 1000, 500))));
        QCOMPARE(view->currentFitScale(), 0.5);

        auto& a = Access::actions(w);
        a.zoomInAction->trigger();
        QCOMPARE(Access::statusText(w), QString("62%"));
        for (int step = 2; step <= 5; ++step) {
            QCOMPARE(a.zoomInAction->isEnabled(), true);
            a.zoomInAction->trigger();
        }
        QVERIFY(!a.zoomInAction->isEnabled());  // 1.25^5 = 3.05 times the fitted size
        QVERIFY(a.zoomOutAction->isEnabled());

        for (int step = 1; step <= 5; ++step) a.zoomOutAction->trigger();
        QVERIFY(a.zoomInAction->isEnabled());
        for (int step = 1; step <= 7; ++step) a.zoomOutAction->trigger();
        QVERIFY(a.zoomOutAction->isEnabled());  // 0.8^7 = 0.21
        a.zoomOutAction->trigger();
        QVERIFY(!a.zoomOutAction->isEnabled());  // 0.8^8 = 0.168
        QCOMPARE(Access::statusText(w), QString::number(int(0.5 * std::pow(0.8, 8) * 100)) + "%");

        // A new state re-enables both.
        Access::setState(w, WorkState::ImageLoaded);
        QVERIFY(a.zoomOutAction->isEnabled());
    }

    void compareAndUndo()
    {
        Clarnex w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QLabel* label = Access::view(w)->pictureLabel();

        // The colour shown while a button is held on the picture.
        const auto whilePressed = [&](Qt::MouseButton button) {
            QTest::mousePress(label, button, Qt::NoModifier, label->rect().center());
            const QRgb shown = shownColour(w);
            QTest::mouseRelease(label, button, Qt::NoModifier, label->rect().center());
            return shown;
        };

        // Before a run a press changes nothing.
        Access::input(w) = filled(40, 30, qRgb(255, 0, 0));
        Access::view(w)->setImage(QPixmap::fromImage(Access::input(w)), true);
        Access::setState(w, WorkState::ImageLoaded);
        QCOMPARE(whilePressed(Qt::LeftButton), qRgb(255, 0, 0));

        showResult(w);
        QCOMPARE(whilePressed(Qt::RightButton), qRgb(255, 0, 0));
        QCOMPARE(shownColour(w), qRgb(0, 0, 255));
        // Presses on the picture never start a window drag.
        QCOMPARE(Access::pressPosition(w), QPoint(0, 0));

        Access::actions(w).undoAction->trigger();
        QCOMPARE(shownColour(w), qRgb(255, 0, 0));
        QCOMPARE(Access::result(w).pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(Access::state(w), WorkState::ResultShown);
        QCOMPARE(whilePressed(Qt::LeftButton), qRgb(0, 0, 255));

        Access::actions(w).undoAction->trigger();
        QCOMPARE(shownColour(w), qRgb(0, 0, 255));
        QCOMPARE(Access::input(w).pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(Access::result(w).pixel(0, 0), qRgb(0, 0, 255));
    }

    void progressText_data()
    {
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("format");
        QTest::newRow("nothing yet") << 0 << 12 << "Time remaining: 0s. 0%";
        QTest::newRow("ten seconds at 20") << 20 << 50 << "Time remaining: 40s. 20%";
        QTest::newRow("truncated tenths") << 3 << 7 << "Time remaining: 45.2s. 3%";
        QTest::newRow("done") << 100 << 9 << "Time remaining: 0s. 100%";
    }

    void progressText()
    {
        QFETCH(int, progress);
        QFETCH(int, ticks);
        QFETCH(QString, format);
        Clarnex w;
        Access::progress(w) = progress;
        Access::ticks(w) = ticks - 1;
        QVERIFY(QMetaObject::invokeMethod(&w, "updateProgress"));
        QCOMPARE(Access::ticks(w), ticks);
        QCOMPARE(Access::progressBar(w)->format(), format);
        QCOMPARE(Access::progressBar(w)->value(), progress);
        QVERIFY(Access::progressBar(w)->isTextVisible());
    }

    void saveOutcomes_data()
    {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("existing");  // a file already there, to be kept as it is
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("written");  // the one new file in the working folder
        // Written in the working folder, not beside the opened file.
        QTest::newRow("two dots") << "pictures/beach.day.jpeg" << "JPEG" << "" << "Image saved to beach.day_clear.jpeg."
                                  << "beach.day_clear.jpeg";
        QTest::newRow("no suffix") << "scan" << "PNG" << "" << "Failed to save the image." << "";
        // A PNG under a suffix that no writer knows still reads (by content).
        QTest::newRow("no writer") << "photo.xyz" << "PNG" << "photo_clear.xyz" << "Failed to save the image." << "";
    }

    void saveOutcomes()
    {
        QFETCH(QString, opened);
        QFETCH(QString, format);
        QFETCH(QString, existing);
        QFETCH(QString, status);
        QFETCH(QString, written);
        QVERIFY(QDir::current().mkpath("pictures"));
        const QString file = writePicture(opened, qRgb(200, 100, 50), 30, 20, qPrintable(format));
        if (!existing.isEmpty()) QVERIFY(writeText(existing, "precious"));
        const QStringList before = QDir::current().entryList(QDir::Files);

        Clarnex w;
        QVERIFY(w.openFile(QUrl(file)));
        QVERIFY(save(w));
        QCOMPARE(Access::statusText(w), status);
        QStringList after = QDir::current().entryList(QDir::Files);
        if (!written.isEmpty()) {
            QVERIFY(after.removeOne(written));
            QCOMPARE(QImage(written).size(), QSize(30, 20));
        }
        QCOMPARE(after, before);  // nothing else written, no temporary left behind
        QCOMPARE(QDir("pictures").entryList(QDir::Files).size(), opened.startsWith("pictures/") ? 1 : 0);
        if (!existing.isEmpty()) {
            QFile kept(existing);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("precious"));
        }
    }

    void failedReadKeepsPicture()
    {
        const QString good = writePicture("good.png", qRgb(0, 255, 0), 30, 20);
        const QString bad = QDir::current().absoluteFilePath("broken.png");
        QVERIFY(writeText(bad, "not a picture"));

        Clarnex w;
        QVERIFY(w.openFile(QUrl(good)));
        QVERIFY(!w.openFile(QUrl(bad)));
        QCOMPARE(Access::statusText(w), QString("Failed to read the image."));
        QCOMPARE(Access::state(w), WorkState::ImageLoaded);
        QCOMPARE(Access::input(w).size(), QSize(30, 20));
        QCOMPARE(shownColour(w), qRgb(0, 255, 0));
        QCOMPARE(Access::currentFile(w), bad);
        QVERIFY(!w.openFile(QUrl(QDir::current().absoluteFilePath("missing.png"))));
        QCOMPARE(Access::input(w).size(), QSize(30, 20));

        // Save still writes the picture on show, named after the one loaded.
        QVERIFY(save(w));
        QCOMPARE(Access::statusText(w), QString("Image saved to good_clear.png."));
        QCOMPARE(QImage("good_clear.png").pixel(0, 0), qRgb(0, 255, 0));

        // Before any picture a failed read leaves the window without one.
        Clarnex fresh;
        QVERIFY(!fresh.openFile(QUrl(bad)));
        QCOMPARE(Access::state(fresh), WorkState::NoImage);
    }

    void saveWritesPictureOnShow()
    {
        const QString file = writePicture("shot.png", qRgb(255, 0, 0));
        Clarnex w;
        QVERIFY(w.openFile(QUrl(file)));
        QVERIFY(save(w));
        QCOMPARE(QImage("shot_clear.png").pixel(0, 0), qRgb(255, 0, 0));

        Access::result(w) = filled(40, 30, qRgb(0, 0, 255));
        Access::setState(w, WorkState::ResultShown);
        QVERIFY(save(w));
        QCOMPARE(QImage("shot_clear.png").pixel(0, 0), qRgb(0, 0, 255));

        QVERIFY(QMetaObject::invokeMethod(&w, "undo"));
        QVERIFY(save(w));
        QCOMPARE(QImage("shot_clear.png").pixel(0, 0), qRgb(255, 0, 0));

        // Close keeps the picture and the name; the view goes empty.
        QVERIFY(QMetaObject::invokeMethod(&w, "closeFile"));
        QCOMPARE(Access::state(w), WorkState::NoImage);
        QVERIFY(Access::view(w)->pictureLabel()->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(!Access::input(w).isNull());
    }

    void startNeedsPicture()
    {
        Clarnex w;
        Access::actions(w).startAction->trigger();
        QCOMPARE(Access::state(w), WorkState::NoImage);
        QCOMPARE(Access::statusText(w), QString("Open a picture first."));
        QVERIFY(!Access::worker(w));
        QVERIFY(w.findChildren<QThread*>().isEmpty());
    }

    void noOpenDuringRun()
    {
        const QString file = writePicture("any.png", qRgb(7, 7, 7));
        Clarnex w;
        // Under the tutorial the state leaves Open enabled; a run still refuses files.
        Access::setTutorialRunning(w, true);
        Access::setState(w, WorkState::Running);
        QVERIFY(!w.openFile(QUrl(file)));
        QVERIFY(Access::currentFile(w).isEmpty());
        QVERIFY(Access::input(w).isNull());
        QCOMPARE(Access::state(w), WorkState::Running);
        Access::setTutorialRunning(w, false);
        Access::setState(w, WorkState::NoImage);
    }

    void dragAnchor()
    {
        Clarnex w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.move(100, 100);
        const QPoint start = w.pos();

        const struct { QEvent::Type type; QPoint at; Qt::MouseButton button; QPoint anchor, moved; } steps[] = {
            // A press on the top-left pixel starts no drag; a right press records nothing.
            {QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton, {0, 0}, {}},
            {QEvent::MouseMove, {30, 30}, Qt::NoButton, {0, 0}, {}},
            {QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, {0, 0}, {}},
            {QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, {0, 0}, {}},
            {QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton, {0, 0}, {}},
            {QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, {10, 10}, {}},
            {QEvent::MouseMove, {30, 25}, Qt::NoButton, {10, 10}, {20, 15}},
            // A release of any button clears the anchor.
            {QEvent::MouseButtonRelease, {30, 25}, Qt::MiddleButton, {0, 0}, {20, 15}},
            {QEvent::MouseMove, {30, 25}, Qt::NoButton, {0, 0}, {20, 15}},
        };
        for (const auto& step : steps) {
            sendMouse(&w, step.type, step.at, step.button);
            QCOMPARE(Access::pressPosition(w), step.anchor);
            QCOMPARE(w.pos(), start + step.moved);
        }

        QMenuBar* bar = w.menuBar();
        // The free middle of the form's menu bar is the drag handle.
        const QPoint free(bar->width() / 2, bar->height() / 2);
        QCOMPARE(bar->childAt(free), nullptr);
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, free);
        QCOMPARE(Access::pressPosition(w), free);
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, free);
        QCOMPARE(Access::pressPosition(w), QPoint(0, 0));
    }

    void dropOnWindowOpensNothing()
    {
        const QString file = writePicture("dropped.png", qRgb(7, 7, 7));
        DropWindow w;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        w.dragEnterEvent(&enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        w.dropEvent(&drop);
        QCOMPARE(Access::state(w), WorkState::NoImage);
        QVERIFY(Access::currentFile(w).isEmpty());
    }

    void maximiseToggleMovesPages()
    {
        Clarnex w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.startTutorial();
        const auto pagesAt = [&w](const QPoint& expected) {
            const QList<TutorialPage*> pages = w.findChildren<TutorialPage*>();
            if (pages.size() != 6) return false;
            for (TutorialPage* page : pages)
                if (page->pos() != expected) return false;
            return true;
        };
        QVERIFY(pagesAt(w.geometry().topLeft() + QPoint(40, 65)));

        Access::actions(w).maximizeAction->trigger();
        QTRY_VERIFY(w.isMaximized());
        QVERIFY(pagesAt(w.geometry().topLeft() + QPoint(40, 65)));

        // A maximised window takes no drag anchor.
        QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(Access::pressPosition(w), QPoint(0, 0));
        QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));

        QTest::mouseDClick(&w, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(w.isMaximized());
        QTest::mouseDClick(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTRY_VERIFY(!w.isMaximized());
        QVERIFY(pagesAt(w.geometry().topLeft() + QPoint(40, 65)));

        // Dragging moves the pages along.
        QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(17, 13), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &move);
        QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(17, 13));
        QVERIFY(pagesAt(w.geometry().topLeft() + QPoint(40, 65)));
    }

private:
    QTemporaryDir settingsDir;
    QTemporaryDir workDir;
    QString previousDir;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
