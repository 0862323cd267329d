// The tutorial hosted by the main window: first start, one tutorial at a time,
// the pages' Next buttons following the user's open and run, Start page's Back
// undoing, and the shortcut text against the real key bindings.

#include "app_test_support.h"
#include "parameter_bar.h"
#include "tutorial_pages.h"
#include "tutorial_wizard.h"

#include <QCheckBox>
#include <QLayout>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

using A = ClarnexTestAccess;

namespace {

QList<TutorialPage*> visiblePages(Clarnex& w)
{
    QList<TutorialPage*> shown = w.findChildren<TutorialPage*>();
    shown.erase(std::remove_if(shown.begin(), shown.end(), [](TutorialPage* p) { return !p->isVisible(); }), shown.end());
    return shown;
}

// A window whose first start is over, so no tutorial starts by itself.
std::unique_ptr<Clarnex> makeWindow()
{
    resetSettings();
    auto window = std::make_unique<Clarnex>();
    window->showWindow();
    return window;
}

} // namespace

class TestTutorialHost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid() && files.isValid());
        QVERIFY(redirectSettings(settingsDir));
        picture = files.filePath(QStringLiteral("face.png"));
        QVERIFY(QImage(QStringLiteral(VANTREL_TEST_DATA "/astronaut.png")).copy(180, 60, 96, 96).save(picture));
        notAPicture = files.filePath(QStringLiteral("broken.png"));
        QFile broken(notAPicture);
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("this is not a picture") > 0);
    }

    void firstStartShowsTheTutorialAndTheSecondDoesNot()
    {
        QSettings("VANTREL", "Tolvane").clear();
        {
            Clarnex first;
            first.move(100, 80);
            first.showWindow();
            QVERIFY(A::tutorialRunning(first));
            const QList<TutorialPage*> shown = visiblePages(first);
            QCOMPARE(shown.size(), 1);
            QVERIFY(qobject_cast<OpenFilePage*>(shown.first()));
            QCOMPARE(shown.first()->pos(), first.geometry().topLeft() + QPoint(40, 65));
            // With no picture open the first page waits for one.
            QVERIFY(!shown.first()->nextButton->isEnabled());
            QVERIFY(A::toolBar(first)->widgetForAction(A::actions(first).openAction)->isEnabled());
        }
        Clarnex second;
        second.showWindow();
        QVERIFY(!A::tutorialRunning(second));
        QVERIFY(visiblePages(second).isEmpty());
        QVERIFY(!A::wizard(second));
    }

    void oneTutorialAtATimeAndNextFollowsOpening()
    {
        auto window = makeWindow();
        A::actions(*window).showTutorialAction->trigger();
        QPointer<TutorialWizard> wizard = A::wizard(*window);
        QVERIFY(wizard);
        // Each page explains its own control, in the order of a run.
        const Ui::DeblurUIActions& a = A::actions(*window);
        ParameterBar* bar = A::bar(*window);
        QList<QObject*> targets;
        for (const auto& entry : wizard->pageEntries()) targets.append(entry.first);
        QList<QObject*> expected;
        expected << a.openAction << bar->blurStrengthCombo << bar->denoiseCheck << bar->deringCheck << a.startAction
                 << a.saveAsAction;
        QCOMPARE(targets, expected);
        TutorialPage* openPage = wizard->currentPage();
        QVERIFY(qobject_cast<OpenFilePage*>(openPage));
        QVERIFY(!openPage->nextButton->isEnabled());

        // Next follows opening through the dialog, a failed open included.
        answerFileDialog(picture);
        A::actions(*window).openAction->trigger();
        QCOMPARE(A::state(*window), WorkState::ImageLoaded);
        QVERIFY(openPage->nextButton->isEnabled());
        answerFileDialog(notAPicture);
        A::actions(*window).openAction->trigger();
        QVERIFY(!openPage->nextButton->isEnabled());
        QCOMPARE(A::input(*window).size(), QSize(96, 96));  // the picture opened before stays

        // Show tutorial while one runs does nothing.
        wizard->nextPage();
        A::actions(*window).showTutorialAction->trigger();
        QCOMPARE(A::wizard(*window), wizard.data());
        QCOMPARE(wizard->currentIndex(), 1);
        QCOMPARE(window->findChildren<TutorialPage*>().size(), 6);

        // Ending deletes the wizard and the controls follow the loaded state again.
        wizard->finishTutorial();
        QVERIFY(wizard.isNull() && !A::tutorialRunning(*window));
        QVERIFY(visiblePages(*window).isEmpty());
        QVERIFY(A::actions(*window).saveAction->isEnabled() && !A::actions(*window).undoAction->isEnabled());
        QVERIFY(A::bar(*window)->blurStrengthCombo->isEnabled());
        // A new tutorial replaces the old pages.
        A::actions(*window).showTutorialAction->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window->findChildren<TutorialPage*>().size(), 6);
    }

    void nextFollowsTheRunAndBackUndoes()
    {
        auto window = makeWindow();
        answerFileDialog(picture);
        A::actions(*window).openAction->trigger();
        QCOMPARE(A::state(*window), WorkState::ImageLoaded);

        A::actions(*window).showTutorialAction->trigger();
        TutorialWizard* wizard = A::wizard(*window);
        QVERIFY(wizard->currentPage()->nextButton->isEnabled());   // a picture is open
        for (int i = 0; i < 4; ++i) wizard->currentPage()->nextButton->click();
        auto* startPage = qobject_cast<StartUpPage*>(wizard->currentPage());
        QVERIFY(startPage && !startPage->nextButton->isEnabled());
        QAction* start = A::actions(*window).startAction;
        QWidget* startButton = A::toolBar(*window)->widgetForAction(start);
        QVERIFY(startButton->isEnabled());

        start->trigger();
        QVERIFY(!start->isEnabled() && !startButton->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(A::state(*window), WorkState::ResultShown, 60000);
        QVERIFY(startPage->nextButton->isEnabled());
        QVERIFY(start->isEnabled() && startButton->isEnabled());
        const QImage before = A::input(*window), after = A::result(*window);
        QCOMPARE(after.size(), before.size());

        // Back on the Start page first swaps the result and the unprocessed picture.
        startPage->backButton->click();
        QVERIFY(qobject_cast<DeringPage*>(wizard->currentPage()));
        QCOMPARE(A::result(*window), before);
        QCOMPARE(A::input(*window), after);
        QVERIFY(start->isEnabled() && startButton->isEnabled());
        wizard->currentPage()->nextButton->click();
        startPage->backButton->click();
        QCOMPARE(A::result(*window), after);
    }

    // Start is on on every page, forwards and back, in every state a tutorial
    // can start in (off only while a run is under way: see the run below).
    void startFollowsTheWorkStateOnEveryPage_data()
    {
        QTest::addColumn<int>("initial");
        QTest::newRow("no picture") << int(WorkState::NoImage);
        QTest::newRow("picture") << int(WorkState::ImageLoaded);
        QTest::newRow("result") << int(WorkState::ResultShown);
    }

    void startFollowsTheWorkStateOnEveryPage()
    {
        QFETCH(int, initial);
        auto window = makeWindow();
        if (initial != int(WorkState::NoImage)) {
            A::input(*window) = QImage(picture);
            A::result(*window) = QImage(picture);
            A::setState(*window, WorkState(initial));
        }
        QAction* start = A::actions(*window).startAction;
        QWidget* startButton = A::toolBar(*window)->widgetForAction(start);
        A::actions(*window).showTutorialAction->trigger();
        TutorialWizard* wizard = A::wizard(*window);
        for (int step = 0; step < 11; ++step) {
            if (step > 0) step < 6 ? wizard->nextPage() : wizard->previousPage();
            QCOMPARE(wizard->currentIndex(), step < 6 ? step : 10 - step);
            QVERIFY(start->isEnabled() && startButton->isEnabled());
        }
    }

    // The first-start tutorial run to its end through its own controls: the
    // shortcuts its pages name, the highlighted buttons, then the window's.
    void firstStartTutorialToItsEnd()
    {
        QSettings("VANTREL", "Tolvane").clear();
        Clarnex window;
        window.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TutorialWizard* wizard = A::wizard(window);
        QVERIFY(wizard);
        Ui::DeblurUIActions& a = A::actions(window);
        QToolBar* toolBar = A::toolBar(window);
        const auto button = [toolBar](QAction* action) { return toolBar->widgetForAction(action); };
        const auto pressCtrl = [&window](Qt::Key key) {
            QApplication::setActiveWindow(&window);
            QTest::keyClick(&window, key, Qt::ControlModifier);
        };
        const auto next = [wizard] { wizard->currentPage()->nextButton->click(); };

        // Page 1 names Ctrl+O.
        answerFileDialog(picture);
        pressCtrl(Qt::Key_O);
        QCOMPARE(A::state(window), WorkState::ImageLoaded);
        next();
        // Only the page on show has its shortcut.
        QVERIFY(!a.openAction->isEnabled() && !button(a.openAction)->isEnabled());

        // The outline does not squeeze the blur strength box below its natural width.
        QComboBox* combo = A::bar(window)->blurStrengthCombo;
        QVERIFY(!combo->styleSheet().isEmpty());
        // The bar is laid out again first: before that the box keeps its old width.
        QApplication::processEvents();
        static_cast<QWidget*>(A::bar(window))->layout()->activate();
        QVERIFY(combo->width() >= ParameterBar().blurStrengthCombo->sizeHint().width());
        next();
        QCOMPARE(combo->minimumWidth(), 0);
        next();
        next();

        // Page 5: the Start button runs.
        QVERIFY(qobject_cast<StartUpPage*>(wizard->currentPage()));
        QTest::mouseClick(button(a.startAction), Qt::LeftButton);
        QCOMPARE(A::state(window), WorkState::Running);
        QTRY_COMPARE_WITH_TIMEOUT(A::state(window), WorkState::ResultShown, 60000);
        next();

        // Page 6 names Ctrl+D.
        const QString saved = files.filePath(QStringLiteral("tutorial result.png"));
        answerFileDialog(saved);
        pressCtrl(Qt::Key_D);
        QCOMPARE(A::statusText(window), QString("Image saved."));
        QCOMPARE(QImage(saved).size(), QSize(96, 96));
        next();
        QVERIFY(!A::tutorialRunning(window));

        // Every button follows its action, and the Start button works.
        for (QAction* action : toolBar->actions())
            QVERIFY2(button(action)->isEnabled() == action->isEnabled(), qPrintable(action->text()));
        QVERIFY(button(a.startAction)->isEnabled() && button(a.openAction)->isEnabled());
        QTest::mouseClick(button(a.startAction), Qt::LeftButton);
        QCOMPARE(A::state(window), WorkState::Running);
        QTRY_COMPARE_WITH_TIMEOUT(A::state(window), WorkState::ResultShown, 60000);
    }

    void shortcutTextNamesTheBoundZoomKeys()
    {
        Clarnex window;
        const QStringList lines = shortcutKeysText.split(QStringLiteral("<br/>"));
        const auto keys = [](QAction* action) { return action->shortcut().toString(QKeySequence::PortableText); };
        QCOMPARE(lines.mid(3, 2), (QStringList{"Zoom in: " + keys(A::actions(window).zoomInAction),
                                               "Zoom out: " + keys(A::actions(window).zoomOutAction)}));
    }

private:
    QTemporaryDir settingsDir;
    QTemporaryDir files;
    QString picture;
    QString notAPicture;
};

QTEST_MAIN(TestTutorialHost)
#include "test_tutorial_host.moc"
