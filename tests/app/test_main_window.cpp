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

QRgb shownColour(Clarnex& w)
{
    const QPixmap pixmap = Access::view(w)->pictureLabel()->pixmap(Qt::ReturnByValue);
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2);
}

void showWindow(Clarnex& w)
{
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid() && workDir.isValid());
        QVERIFY(redirectSettings(settingsDir));
        QVERIFY(QDir::setCurrent(workDir.path()));
    }

    void init() { resetSettings(); }

    void cleanup()
    {
        for (const QString& name : QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            QFileInfo(name).isDir() ? QDir(name).removeRecursively() : QFile::remove(name);
    }

    void cornerButtonsAndWholeMenuTitles()
    {
        Clarnex w;
        auto& a = Access::actions(w);
        auto* corner = qobject_cast<QMenuBar*>(w.menuBar()->cornerWidget(Qt::TopRightCorner));
        QVERIFY(corner);
        QCOMPARE(corner->actions(), (QList<QAction*>{a.minimizeAction, a.maximizeAction, a.quitAction}));

        showWindow(w);  // the menu titles are shown whole
        const QList<QMenuBar*> bars = w.menuBar()->findChildren<QMenuBar*>();
        QCOMPARE(bars.size(), 2);
        for (QMenuBar* bar : bars) QVERIFY(w.menuBar()->rect().contains(bar->geometry()));
    }

    // The work states as a user passes through them: open, run, result, close;
    // then a run under the tutorial, where only Start and the bar follow.
    void workStatesAlongARun()
    {
        Clarnex w;
        auto& a = Access::actions(w);
        // open start | save, save as, close | zoom in, out | undo | progress bar, drops
        const QList<QAction*> order = {a.openAction, a.startAction, nullptr, a.saveAction, a.saveAsAction,
                                       a.closeFileAction, nullptr, a.zoomInAction, a.zoomOutAction, nullptr,
                                       a.undoAction, nullptr};
        const auto controls = [&] {
            QString shown;
            for (QAction* action : order) shown += !action ? ' ' : action->isEnabled() ? '1' : '0';
            shown += Access::progressBar(w)->isHidden() ? '0' : '1';
            return shown + (Access::view(w)->acceptDrops() ? '1' : '0');
        };
        a.startAction->trigger();  // nothing to run yet
        QCOMPARE(Access::statusText(w), QString("Open a picture first."));
        QVERIFY(!Access::worker(w) && w.findChildren<QThread*>().isEmpty());
        QCOMPARE(controls(), QString("11 000 00 0 01"));

        QVERIFY(w.openFile(QUrl(writePicture("any.png", qRgb(7, 7, 7)))));
        QVERIFY(Access::statusText(w).isEmpty());
        QCOMPARE(controls(), QString("11 111 11 0 01"));

        Access::progressBar(w)->setValue(55);  // as a previous run left it
        Access::ticks(w) = 9;
        Access::progress(w) = 37;
        Access::setState(w, WorkState::Running);
        QCOMPARE(controls(), QString("00 000 11 0 10"));
        QCOMPARE(Access::statusText(w), QString("Running..."));
        QVERIFY(Access::timer(w)->isActive());
        QCOMPARE(Access::timer(w)->interval(), 200);
        QCOMPARE(Access::progressBar(w)->value(), 0);
        QCOMPARE(Access::ticks(w), 0);
        QCOMPARE(Access::progress(w), 37);  // only the engine writes it during a run

        Access::setState(w, WorkState::ResultShown);
        QCOMPARE(controls(), QString("11 111 11 1 01"));
        QCOMPARE(Access::statusText(w), QString("Finish."));
        QVERIFY(!Access::timer(w)->isActive());
        QCOMPARE(Access::progress(w), 0);

        a.closeFileAction->trigger();
        QCOMPARE(controls(), QString("11 000 00 0 01"));

        // The tutorial switches the controls off; custom sizes stay editable.
        ParameterBar* bar = Access::bar(w);
        bar->blurStrengthCombo->setCurrentText("Custom");
        Access::setTutorialRunning(w, true);
        Access::setControlsEnabled(w, false);
        QVERIFY(bar->heightSpin->isEnabled() && bar->widthSpin->isEnabled() && !bar->blurStrengthCombo->isEnabled());
        QVERIFY(!bar->deringCheck->isEnabled() && !bar->denoiseCheck->isEnabled());
        Access::setState(w, WorkState::Running);
        QCOMPARE(controls(), QString("00 000 00 0 11"));
        Access::setState(w, WorkState::ResultShown);
        QCOMPARE(controls(), QString("01 000 00 0 01"));
        bar->blurStrengthCombo->setCurrentText("Small");
        Access::setControlsEnabled(w, true);
        QVERIFY(bar->denoiseCheck->isEnabled() && !bar->heightSpin->isEnabled());
    }

    void zoomLimitsAndStatusText()
    {
        Clarnex w;
        ImageView* view = Access::view(w);
        view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setFixedSize(600, 600);
        showWindow(w);
        QVERIFY(w.openFile(QUrl(writePicture("wide.png", qRgb(9, 9, 9), 1000, 500))));
        QCOMPARE(view->currentFitScale(), 0.5);

        auto& a = Access::actions(w);
        a.zoomInAction->trigger();
        QCOMPARE(Access::statusText(w), QString("62%"));
        // 1.25^5 = 3.05 times the fitted size is the last step in, 0.8^8 = 0.168 the last out.
        for (int step = 2; step <= 5; ++step) {
            QVERIFY(a.zoomInAction->isEnabled());
            a.zoomInAction->trigger();
        }
        QVERIFY(!a.zoomInAction->isEnabled() && a.zoomOutAction->isEnabled());
        for (int step = 1; step <= 5 + 8; ++step) {
            QVERIFY(a.zoomOutAction->isEnabled());
            a.zoomOutAction->trigger();
            QVERIFY(a.zoomInAction->isEnabled());
        }
        QVERIFY(!a.zoomOutAction->isEnabled());
        Access::setState(w, WorkState::ImageLoaded);  // a new state re-enables both
        QVERIFY(a.zoomOutAction->isEnabled());
    }

    // Compare, Undo twice and Save, which writes whatever is on show.
    void compareUndoAndSave()
    {
        Clarnex w;
        showWindow(w);
        QLabel* label = Access::view(w)->pictureLabel();
        // The colour shown while a button is held on the picture.
        const auto whilePressed = [&](Qt::MouseButton button) {
            QTest::mousePress(label, button, Qt::NoModifier, label->rect().center());
            const QRgb shown = shownColour(w);
            QTest::mouseRelease(label, button, Qt::NoModifier, label->rect().center());
            return shown;
        };
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
        const auto saved = [&w] {
            Access::actions(w).saveAction->trigger();
            return QImage("red_clear.png").pixel(0, 0);
        };
        QVERIFY(w.openFile(QUrl(writePicture("red.png", red))));
        QCOMPARE(whilePressed(Qt::LeftButton), red);  // before a run a press changes nothing
        QCOMPARE(saved(), red);

        Access::result(w) = filled(40, 30, blue);
        Access::view(w)->setImage(QPixmap::fromImage(Access::result(w)), true);
        Access::setState(w, WorkState::ResultShown);
        QCOMPARE(whilePressed(Qt::RightButton), red);
        QCOMPARE(shownColour(w), blue);
        QCOMPARE(Access::pressPosition(w), QPoint(0, 0));  // presses on the picture start no window drag
        QCOMPARE(saved(), blue);

        // Undo swaps input and result, twice over; Start then runs on what is on show.
        for (const QRgb shown : {red, blue}) {
            Access::actions(w).undoAction->trigger();
            QCOMPARE(shownColour(w), shown);
            QCOMPARE(whilePressed(Qt::LeftButton), shown == red ? blue : red);
            QCOMPARE(saved(), shown);
        }
        Access::setState(w, WorkState::Running);
        QCOMPARE(Access::input(w).pixel(0, 0), blue);
        Access::setState(w, WorkState::ResultShown);

        // Close keeps the picture and the name; the view goes empty.
        Access::actions(w).closeFileAction->trigger();
        QCOMPARE(Access::state(w), WorkState::NoImage);
        QVERIFY(Access::view(w)->pictureLabel()->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(!Access::input(w).isNull());
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
        w.updateProgress();
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
        Access::actions(w).saveAction->trigger();
        QCOMPARE(Access::statusText(w), status);
        QStringList after = QDir::current().entryList(QDir::Files);
        if (!written.isEmpty()) {
            QVERIFY(after.removeOne(written));
            QCOMPARE(QImage(written).size(), QSize(30, 20));
        }
        QCOMPARE(after, before);  // nothing else written, no temporary left behind
        QCOMPARE(QDir("pictures").entryList(QDir::Files).size(), opened.startsWith("pictures/") ? 1 : 0);
        QFile kept(existing);
        QVERIFY(existing.isEmpty() || (kept.open(QIODevice::ReadOnly) && kept.readAll() == "precious"));
    }

    void failedReadKeepsPicture()
    {
        const QString good = writePicture("good.png", qRgb(0, 255, 0), 30, 20);
        const QString bad = QDir::current().absoluteFilePath("broken.png");
        QVERIFY(writeText(bad, "not a picture"));

        Clarnex w;
        QVERIFY(w.openFile(QUrl(good)));
        for (const QString& file : {QDir::current().absoluteFilePath("missing.png"), bad}) {
            QVERIFY(!w.openFile(QUrl(file)));
            QCOMPARE(Access::statusText(w), QString("Failed to read the image."));
            QCOMPARE(Access::state(w), WorkState::ImageLoaded);
            QCOMPARE(Access::input(w).size(), QSize(30, 20));
            QCOMPARE(shownColour(w), qRgb(0, 255, 0));
            QCOMPARE(Access::currentFile(w), file);
        }
        // Save still writes the picture on show, named after the one loaded.
        Access::actions(w).saveAction->trigger();
        QCOMPARE(Access::statusText(w), QString("Image saved to good_clear.png."));
        QCOMPARE(QImage("good_clear.png").pixel(0, 0), qRgb(0, 255, 0));

        // Before any picture a failed read leaves the window without one.
        Clarnex fresh;
        QVERIFY(!fresh.openFile(QUrl(bad)));
        QCOMPARE(Access::state(fresh), WorkState::NoImage);
    }

    // A real file whose name a URL would misread, opened through the dialog and by a drop.
    void oddFileNamesOpenAndSave()
    {
        const QString odd = writePicture("100% a#b?.png", qRgb(20, 40, 60));
        Clarnex w;
        showWindow(w);
        answerFileDialog(odd);
        Access::actions(w).openAction->trigger();
        QCOMPARE(Access::state(w), WorkState::ImageLoaded);
        QCOMPARE(Access::currentFile(w), odd);
        Access::actions(w).saveAction->trigger();
        QCOMPARE(Access::statusText(w), QString("Image saved to 100% a#b?_clear.png."));
        QCOMPARE(QImage("100% a#b?_clear.png").pixel(0, 0), qRgb(20, 40, 60));

        Access::actions(w).closeFileAction->trigger();
        dropFile(Access::view(w), odd);
        QCOMPARE(Access::state(w), WorkState::ImageLoaded);
        QCOMPARE(Access::currentFile(w), odd);
    }

    // The open and save filters name TIFF: a picture saved as TIFF reads back.
    void tiffRoundTrip()
    {
        Clarnex w;
        showWindow(w);
        QVERIFY(w.openFile(QUrl(writePicture("plain.png", qRgb(90, 160, 30)))));
        const QString tiff = QDir::current().absoluteFilePath("plain.tiff");
        answerFileDialog(tiff);
        Access::actions(w).saveAsAction->trigger();
        QCOMPARE(Access::statusText(w), QString("Image saved."));
        QVERIFY(w.openFile(QUrl(tiff)));
        QCOMPARE(Access::input(w).size(), QSize(40, 30));
        QCOMPARE(Access::input(w).pixel(20, 15), qRgb(90, 160, 30));
    }

    void dragAnchor()
    {
        Clarnex w;
        showWindow(w);
        w.move(100, 100);
        checkDragSteps(&w);
        QCOMPARE(Access::pressPosition(w), QPoint(0, 0));
        // The free middle of the form's menu bar is the drag handle.
        QMenuBar* bar = w.menuBar();
        const QPoint free(bar->width() / 2, bar->height() / 2);
        QCOMPARE(bar->childAt(free), nullptr);
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, free);
        QCOMPARE(Access::pressPosition(w), free);
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, free);
        QCOMPARE(Access::pressPosition(w), QPoint(0, 0));
    }

    // A maximised window takes no drag anchor and only a left double click restores it; a drag moves the pages.
    void maximiseAndDragWithPages()
    {
        Clarnex w;
        showWindow(w);
        w.startTutorial();
        const auto pagesPlaced = [&w] {
            const QList<TutorialPage*> pages = w.findChildren<TutorialPage*>();
            return pages.size() == 6 && std::all_of(pages.begin(), pages.end(), [&w](TutorialPage* page) {
                       return page->pos() == w.geometry().topLeft() + QPoint(40, 65);
                   });
        };
        QVERIFY(pagesPlaced());
        Access::actions(w).maximizeAction->trigger();
        QTRY_VERIFY(w.isMaximized());
        QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(Access::pressPosition(w), QPoint(0, 0));
        QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTest::mouseDClick(&w, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(w.isMaximized());
        QTest::mouseDClick(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTRY_VERIFY(!w.isMaximized());

        sendMouse(&w, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
        sendMouse(&w, QEvent::MouseMove, {17, 13});
        sendMouse(&w, QEvent::MouseButtonRelease, {17, 13}, Qt::LeftButton);
        QVERIFY(pagesPlaced());
    }

private:
    QTemporaryDir settingsDir;
    QTemporaryDir workDir;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
