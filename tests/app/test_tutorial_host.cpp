// The tutorial hosted by the main window, driven through its pages, buttons, keys and dialogs.

#include "app_test_support.h"
#include "parameter_bar.h"
#include "tutorial_pages.h"
#include "tutorial_wizard.h"

#include <memory>

using A = ClarnexTestAccess;
Q_DECLARE_METATYPE(WorkState)

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

    void oneTutorialAtATimeAndNextFollowsOpening()
    {
        auto window = makeWindow();
        const Ui::DeblurUIActions& a = A::actions(*window);
        a.showTutorialAction->trigger();
        QPointer<TutorialWizard> wizard = A::wizard(*window);
        QVERIFY(wizard);
        // Each page explains its own control, in the order of a run.
        ParameterBar* bar = A::bar(*window);
        QList<QObject*> targets;
        for (const auto& entry : wizard->pageEntries()) targets.append(entry.first);
        QCOMPARE(targets, (QList<QObject*>{a.openAction, bar->blurStrengthCombo, bar->denoiseCheck, bar->deringCheck,
                                           a.startAction, a.saveAsAction}));
        TutorialPage* openPage = wizard->currentPage();

        // Next follows a picture on show, whatever opened it, as the page says "or drag-and-drop";
        // a failed open, by a drop or through the dialog, changes nothing.
        dropFile(A::view(*window), notAPicture);
        QVERIFY(!openPage->nextButton->isEnabled());
        dropFile(A::view(*window), picture);
        QCOMPARE(A::state(*window), WorkState::ImageLoaded);
        QVERIFY(openPage->nextButton->isEnabled());
        answerFileDialog(notAPicture);
        a.openAction->trigger();
        QVERIFY(openPage->nextButton->isEnabled());
        QCOMPARE(A::input(*window).size(), QSize(96, 96));  // the picture opened before stays

        // Show tutorial while one runs does nothing.
        wizard->nextPage();
        a.showTutorialAction->trigger();
        QCOMPARE(A::wizard(*window), wizard.data());
        QCOMPARE(wizard->currentIndex(), 1);
        QCOMPARE(window->findChildren<TutorialPage*>().size(), 6);

        // Ending deletes the wizard and the controls follow the loaded state again.
        wizard->finishTutorial();
        QVERIFY(wizard.isNull() && !A::tutorialRunning(*window));
        QVERIFY(visiblePages(*window).isEmpty());
        QVERIFY(a.saveAction->isEnabled() && !a.undoAction->isEnabled() && bar->blurStrengthCombo->isEnabled());
        // A new tutorial replaces the old pages.
        a.showTutorialAction->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window->findChildren<TutorialPage*>().size(), 6);
    }

    // In every state a tutorial can start in, Start is on on every page, forwards and back; Next on
    // the Open page waits for a picture, on the Start page for a result.
    void startFollowsTheWorkStateOnEveryPage_data()
    {
        QTest::addColumn<WorkState>("initial");
        QTest::addColumn<bool>("openNext");
        QTest::addColumn<bool>("startNext");
        QTest::newRow("no picture") << WorkState::NoImage << false << false;
        QTest::newRow("picture") << WorkState::ImageLoaded << true << false;
        QTest::newRow("result") << WorkState::ResultShown << true << true;
    }

    void startFollowsTheWorkStateOnEveryPage()
    {
        QFETCH(WorkState, initial);
        QFETCH(bool, openNext);
        QFETCH(bool, startNext);
        auto window = makeWindow();
        if (initial != WorkState::NoImage) {
            A::input(*window) = QImage(picture);
            if (initial == WorkState::ResultShown) A::result(*window) = QImage(picture);
            A::setState(*window, initial);
        }
        QAction* start = A::actions(*window).startAction;
        QWidget* startButton = A::toolBar(*window)->widgetForAction(start);
        A::actions(*window).showTutorialAction->trigger();
        TutorialWizard* wizard = A::wizard(*window);
        QCOMPARE(wizard->pageEntries()[0].second->nextButton->isEnabled(), openNext);
        QCOMPARE(wizard->pageEntries()[4].second->nextButton->isEnabled(), startNext);
        for (int step = 0; step < 11; ++step) {
            if (step > 0) step < 6 ? wizard->nextPage() : wizard->currentPage()->backButton->click();
            QCOMPARE(wizard->currentIndex(), step < 6 ? step : 10 - step);
            QVERIFY(start->isEnabled() && startButton->isEnabled());
        }
        QCOMPARE(A::input(*window).isNull(), initial == WorkState::NoImage);  // Back undoes only a result
    }

    // Keys pressed on the page on show, the active window once the user has clicked on it. A run started
    // from page 4 goes on while the user moves to the Start page: Start stays off there until the result,
    // then stays on on every page, shown or left; from the Start page Ctrl+R runs again.
    void runAcrossTheStartPageWithThePagesKeys()
    {
        auto window = makeWindow();
        QVERIFY(window->openFile(QUrl::fromLocalFile(picture)));
        const Ui::DeblurUIActions& a = A::actions(*window);
        QAction* start = a.startAction;
        QWidget* startButton = A::toolBar(*window)->widgetForAction(start);
        a.showTutorialAction->trigger();
        TutorialWizard* wizard = A::wizard(*window);
        const auto pressCtrlOnPage = [wizard](Qt::Key key) {
            QApplication::setActiveWindow(wizard->currentPage());
            QTest::keyClick(wizard->currentPage(), key, Qt::ControlModifier);
        };
        const auto next = [wizard] { wizard->currentPage()->nextButton->click(); };
        const auto back = [wizard] { wizard->currentPage()->backButton->click(); };
        for (int i = 0; i < 3; ++i) next();
        QVERIFY(qobject_cast<DeringPage*>(wizard->currentPage()));

        pressCtrlOnPage(Qt::Key_R);
        QCOMPARE(A::state(*window), WorkState::Running);
        DeblurWorker* firstRun = A::worker(*window);
        next();
        QVERIFY(qobject_cast<StartUpPage*>(wizard->currentPage()));
        // No second run while one goes on: the outlined Start is off, by key and by button.
        QVERIFY(!start->isEnabled() && !startButton->isEnabled());
        QVERIFY(!startButton->styleSheet().isEmpty());
        pressCtrlOnPage(Qt::Key_R);
        QCOMPARE(A::worker(*window), firstRun);

        QTRY_COMPARE_WITH_TIMEOUT(A::state(*window), WorkState::ResultShown, 60000);
        QVERIFY(wizard->currentPage()->nextButton->isEnabled());
        QVERIFY(start->isEnabled() && startButton->isEnabled());
        next();
        QVERIFY(qobject_cast<SavePage*>(wizard->currentPage()));
        QVERIFY(start->isEnabled() && startButton->isEnabled());
        back();
        back();
        QVERIFY(qobject_cast<DeringPage*>(wizard->currentPage()));
        QVERIFY(start->isEnabled() && startButton->isEnabled() && startButton->styleSheet().isEmpty());

        next();
        pressCtrlOnPage(Qt::Key_R);
        QCOMPARE(A::state(*window), WorkState::Running);
        QTRY_COMPARE_WITH_TIMEOUT(A::state(*window), WorkState::ResultShown, 60000);
        // The Save page's key saves from there too.
        next();
        const QString saved = files.filePath(QStringLiteral("from the page.png"));
        answerFileDialog(saved);
        pressCtrlOnPage(Qt::Key_D);
        QCOMPARE(A::statusText(*window), QString("Image saved."));
    }

    // Start works on every page: a result that arrives while another page is on show still lets the
    // user on from the Start page, which is off only while a run goes on.
    void startPagesNextFollowsAResultOnShow()
    {
        auto window = makeWindow();
        QVERIFY(window->openFile(QUrl::fromLocalFile(picture)));
        A::actions(*window).showTutorialAction->trigger();
        TutorialWizard* wizard = A::wizard(*window);
        TutorialPage* startPage = wizard->pageEntries()[4].second;
        const auto step = [wizard](int pages) {
            for (; pages > 0; --pages) wizard->currentPage()->nextButton->click();
            for (; pages < 0; ++pages) wizard->currentPage()->backButton->click();
        };
        const auto run = [&window] {
            A::actions(*window).startAction->trigger();
            QCOMPARE(A::state(*window), WorkState::Running);
        };

        step(1);
        run();  // from the Blur strength page
        QTRY_COMPARE_WITH_TIMEOUT(A::state(*window), WorkState::ResultShown, 60000);
        step(3);
        QCOMPARE(wizard->currentPage(), startPage);
        QVERIFY(startPage->nextButton->isEnabled());

        run();
        QVERIFY(!startPage->nextButton->isEnabled());
        step(-1);  // left while the run goes on
        QTRY_COMPARE_WITH_TIMEOUT(A::state(*window), WorkState::ResultShown, 60000);
        step(1);
        QVERIFY(startPage->nextButton->isEnabled());
        step(1);
        QVERIFY(qobject_cast<SavePage*>(wizard->currentPage()));
    }

    // A window manager may close the page on show by itself (Alt+F4): on any page that ends the
    // tutorial as Finish does, and the window's controls are the user's again, so a result is saved.
    void pageClosedByTheWindowManagerEndsTheTutorial_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 6; ++page) QTest::addRow("page %d", page + 1) << page;
    }

    void pageClosedByTheWindowManagerEndsTheTutorial()
    {
        QFETCH(int, page);
        auto window = makeWindow();
        QVERIFY(window->openFile(QUrl::fromLocalFile(picture)));
        const Ui::DeblurUIActions& a = A::actions(*window);
        a.showTutorialAction->trigger();
        QPointer<TutorialWizard> wizard = A::wizard(*window);
        QList<QWidget*> targets;
        for (const auto& entry : wizard->pageEntries()) {
            auto* action = qobject_cast<QAction*>(entry.first);
            targets.append(action ? A::toolBar(*window)->widgetForAction(action) : static_cast<QWidget*>(entry.first));
        }
        for (int step = 0; step < page; ++step) wizard->nextPage();
        TutorialPage* shown = wizard->currentPage();
        QVERIFY(shown->isVisible() && !targets[page]->styleSheet().isEmpty());

        // Unlike QWidget::close(), this comes through the window system, as the manager's close does.
        QVERIFY(shown->windowHandle()->close());
        QVERIFY(wizard.isNull() && !A::tutorialRunning(*window));
        QVERIFY(visiblePages(*window).isEmpty());
        for (QWidget* target : targets) QVERIFY2(target->styleSheet().isEmpty(), qPrintable(target->objectName()));
        ParameterBar* bar = A::bar(*window);
        QVERIFY(bar->blurStrengthCombo->isEnabled() && bar->denoiseCheck->isEnabled() && bar->deringCheck->isEnabled());
        QVERIFY(a.openAction->isEnabled() && a.saveAsAction->isEnabled() && a.saveAction->isEnabled());
        QVERIFY(!a.undoAction->isEnabled());

        a.startAction->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(A::state(*window), WorkState::ResultShown, 60000);
        QVERIFY(a.saveAsAction->isEnabled() && a.undoAction->isEnabled());
        const QString saved = files.filePath(QStringLiteral("closed on page %1.png").arg(page + 1));
        answerFileDialog(saved);
        a.saveAsAction->trigger();
        QCOMPARE(A::statusText(*window), QString("Image saved."));
        QCOMPARE(QImage(saved).size(), QSize(96, 96));
        const QImage unprocessed = A::input(*window);
        QVERIFY(A::result(*window) != unprocessed);
        a.undoAction->trigger();
        QCOMPARE(A::result(*window), unprocessed);

        // A new tutorial can be had again.
        a.showTutorialAction->trigger();
        QVERIFY(A::tutorialRunning(*window));
        QCOMPARE(visiblePages(*window).size(), 1);
    }

    // A window manager places, maximises, restores and moves the window after the call that asked for
    // it has returned: wherever the window ends up, every page stands at its top-left plus (40, 65).
    void pagesFollowTheWindowWhereverItIsPlaced()
    {
        QSettings("VANTREL", "Tolvane").clear();
        Clarnex window;
        window.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.openFile(QUrl::fromLocalFile(picture)));
        TutorialWizard* wizard = A::wizard(window);
        const QList<TutorialPage*> pages = window.findChildren<TutorialPage*>();
        QCOMPARE(pages.size(), 6);
        const auto besideTheWindow = [&] {
            return std::all_of(pages.begin(), pages.end(), [&](TutorialPage* page) {
                return page->pos() == window.geometry().topLeft() + QPoint(40, 65);
            });
        };
        // First placement, maximised, restored, moved by the manager; on every page.
        const QRect places[] = {{270, 140, 700, 500}, {0, 0, 800, 600}, {270, 140, 700, 500}, {35, 20, 700, 500}};
        for (int page = 0; page < 6; ++page) {
            QCOMPARE(wizard->currentIndex(), page);
            for (const QRect& place : places) {
                window.setGeometry(place);
                QTRY_COMPARE(window.geometry().topLeft(), place.topLeft());
                QTRY_VERIFY(besideTheWindow());
            }
            if (page < 5) wizard->nextPage();
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
        QCOMPARE(visiblePages(window), QList<TutorialPage*>{wizard->currentPage()});
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

        // The outline does not squeeze the blur strength box below its natural width, once the bar
        // is laid out again: before that the box keeps its old width.
        QComboBox* combo = A::bar(window)->blurStrengthCombo;
        QVERIFY(!combo->styleSheet().isEmpty());
        QApplication::processEvents();
        static_cast<QWidget*>(A::bar(window))->layout()->activate();
        QVERIFY(combo->width() >= ParameterBar().blurStrengthCombo->sizeHint().width());
        next();
        QCOMPARE(combo->minimumWidth(), 0);
        next();
        next();

        // Page 5: the Start button runs, off until the result.
        QVERIFY(qobject_cast<StartUpPage*>(wizard->currentPage()));
        QTest::mouseClick(button(a.startAction), Qt::LeftButton);
        QCOMPARE(A::state(window), WorkState::Running);
        QVERIFY(!a.startAction->isEnabled() && !button(a.startAction)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(A::state(window), WorkState::ResultShown, 60000);
        QVERIFY(a.startAction->isEnabled() && button(a.startAction)->isEnabled());
        // Back here first swaps the result and the unprocessed picture.
        const QImage before = A::input(window);
        QVERIFY(A::result(window) != before);
        wizard->currentPage()->backButton->click();
        QVERIFY(qobject_cast<DeringPage*>(wizard->currentPage()));
        QCOMPARE(A::result(window), before);
        next();
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
