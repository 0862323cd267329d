// The tutorial hosted by the main window: first start, the pages' Next buttons
// following the user's open and run, Start page's Back undoing, the Help boxes.

#include "custom_message_box.h"
#include "main_window.h"
#include "parameter_bar.h"
#include "tutorial_pages.h"
#include "tutorial_wizard.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <memory>

struct ClarnexTestAccess
{
    static TutorialWizard* wizard(Clarnex& w) { return w.tutorialWizard; }
    static bool tutorialRunning(Clarnex& w) { return w.tutorialRunning; }
    static Ui::DeblurUIActions& actions(Clarnex& w) { return w.actions; }
    static QImage& input(Clarnex& w) { return w.inputImage; }
    static QImage& result(Clarnex& w) { return w.resultImage; }
    static WorkState state(Clarnex& w) { return w.state; }
    static ParameterBar* parameterBar(Clarnex& w) { return w.parameterBar; }
    static QToolBar* toolBar(Clarnex& w) { return w.findChild<QToolBar*>(QStringLiteral("toolBar")); }
};

using A = ClarnexTestAccess;

namespace {

// Answers the next modal dialog: a file dialog gets the given file (or is
// cancelled when it is empty), a message box is closed with its OK button.
void answerNextDialog(const QString& file, QString* seenText = nullptr)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, file, seenText] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (file.isEmpty()) {
                dialog->reject();
            } else {
                // The name is typed, as a user would: selectFile() leaves the
                // name field alone while it has the focus. done() skips
                // accept()'s checks against the file system model, which
                // fills itself asynchronously.
                if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    edit->setText(file);
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
            }
            return;
        }
        if (seenText) {
            if (auto* label = modal->findChild<QLabel*>())
                *seenText = label->text();
        }
        if (auto* ok = modal->findChild<QPushButton*>())
            ok->click();
        else
            modal->close();
    });
    timer->start();
}

QList<TutorialPage*> visiblePages(Clarnex& w)
{
    QList<TutorialPage*> shown;
    for (TutorialPage* page : w.findChildren<TutorialPage*>()) {
        if (page->isVisible())
            shown << page;
    }
    return shown;
}

} // namespace

class TestTutorialHost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void firstStartShowsTheTutorialAndTheSecondDoesNot();
    void showTutorialWhileOneRunsDoesNothing();
    void endingDeletesTheWizardAndANewStartReplacesThePages();
    void nextFollowsOpeningThroughTheDialog();
    void nextFollowsTheRunAndBackUndoes();
    void helpBoxesShowTheirTexts();
    void shortcutTextNamesTheBoundZoomKeys();

private:
    // A window whose first start is over, so no tutorial starts by itself.
    std::unique_ptr<Clarnex> makeWindow();

    QTemporaryDir settingsDir;
    QTemporaryDir files;
    QString picture;
    QString notAPicture;
};

void TestTutorialHost::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QVERIFY(files.isValid());
    // Never the user's own settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());

    QImage source(QStringLiteral(VANTREL_TEST_DATA "/astronaut.png"));
    QVERIFY(!source.isNull());
    picture = files.filePath(QStringLiteral("face.png"));
    QVERIFY(source.copy(180, 60, 96, 96).save(picture));
    notAPicture = files.filePath(QStringLiteral("broken.png"));
    QFile broken(notAPicture);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("this is not a picture");
}

void TestTutorialHost::init()
{
    QSettings(QStringLiteral("VANTREL"), QStringLiteral("Tolvane")).clear();
}

std::unique_ptr<Clarnex> TestTutorialHost::makeWindow()
{
    {
        QSettings settings(QStringLiteral("VANTREL"), QStringLiteral("Tolvane"));
        settings.setValue(QStringLiteral("flag/isFirst"), false);
    }
    auto window = std::make_unique<Clarnex>();
    window->showWindow();
    return window;
}

void TestTutorialHost::firstStartShowsTheTutorialAndTheSecondDoesNot()
{
    {
        Clarnex first;
        first.move(100, 80);
        first.showWindow();
        QVERIFY(A::tutorialRunning(first));
        const QList<TutorialPage*> shown = visiblePages(first);
        QCOMPARE(shown.size(), 1);
        QVERIFY(qobject_cast<OpenFilePage*>(shown.first()));
        const QRect frame = first.geometry();
        QCOMPARE(shown.first()->pos(), frame.topLeft() + QPoint(40, 65));
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

void TestTutorialHost::showTutorialWhileOneRunsDoesNothing()
{
    auto window = makeWindow();
    A::actions(*window).showTutorialAction->trigger();
    TutorialWizard* wizard = A::wizard(*window);
    QVERIFY(wizard);
    QCOMPARE(window->findChildren<TutorialPage*>().size(), 6);
    wizard->nextPage();
    A::actions(*window).showTutorialAction->trigger();
    QCOMPARE(A::wizard(*window), wizard);
    QCOMPARE(wizard->currentIndex(), 1);
    QCOMPARE(window->findChildren<TutorialPage*>().size(), 6);
    QCOMPARE(visiblePages(*window).size(), 1);
}

void TestTutorialHost::endingDeletesTheWizardAndANewStartReplacesThePages()
{
    auto window = makeWindow();
    A::actions(*window).showTutorialAction->trigger();
    QPointer<TutorialWizard> wizard = A::wizard(*window);
    QList<QPointer<TutorialPage>> oldPages;
    for (TutorialPage* page : window->findChildren<TutorialPage*>())
        oldPages << page;
    wizard->finishTutorial();
    QVERIFY(wizard.isNull());
    QVERIFY(!A::wizard(*window));
    QVERIFY(!A::tutorialRunning(*window));
    QVERIFY(visiblePages(*window).isEmpty());
    // Controls follow the work state again (no picture: Open and Start only).
    QVERIFY(A::actions(*window).openAction->isEnabled());
    QVERIFY(!A::actions(*window).saveAsAction->isEnabled());
    QVERIFY(A::parameterBar(*window)->blurStrengthCombo->isEnabled());

    A::actions(*window).showTutorialAction->trigger();
    QCOMPARE(window->findChildren<TutorialPage*>().size(), 6);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<TutorialPage>& page : oldPages)
        QVERIFY(page.isNull());
}

void TestTutorialHost::nextFollowsOpeningThroughTheDialog()
{
    auto window = makeWindow();
    A::actions(*window).showTutorialAction->trigger();
    TutorialWizard* wizard = A::wizard(*window);
    TutorialPage* openPage = wizard->currentPage();
    QVERIFY(qobject_cast<OpenFilePage*>(openPage));
    QVERIFY(!openPage->nextButton->isEnabled());

    answerNextDialog(picture);
    A::actions(*window).openAction->trigger();
    QCOMPARE(A::state(*window), WorkState::ImageLoaded);
    QVERIFY(openPage->nextButton->isEnabled());

    answerNextDialog(notAPicture);
    A::actions(*window).openAction->trigger();
    QVERIFY(!openPage->nextButton->isEnabled());
    // The picture opened before is still the one on show.
    QCOMPARE(A::state(*window), WorkState::ImageLoaded);
    QCOMPARE(A::input(*window).size(), QSize(96, 96));

    answerNextDialog(picture);
    A::actions(*window).openAction->trigger();
    QVERIFY(openPage->nextButton->isEnabled());
}

void TestTutorialHost::nextFollowsTheRunAndBackUndoes()
{
    auto window = makeWindow();
    answerNextDialog(picture);
    A::actions(*window).openAction->trigger();
    QCOMPARE(A::state(*window), WorkState::ImageLoaded);

    A::actions(*window).showTutorialAction->trigger();
    TutorialWizard* wizard = A::wizard(*window);
    QVERIFY(wizard->currentPage()->nextButton->isEnabled());   // a picture is open
    for (int i = 0; i < 4; ++i)
        wizard->currentPage()->nextButton->click();
    auto* startPage = qobject_cast<StartUpPage*>(wizard->currentPage());
    QVERIFY(startPage);
    QVERIFY(!startPage->nextButton->isEnabled());
    QWidget* startButton = A::toolBar(*window)->widgetForAction(A::actions(*window).startAction);
    QVERIFY(startButton->isEnabled());

    A::actions(*window).startAction->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(A::state(*window), WorkState::ResultShown, 60000);
    QVERIFY(startPage->nextButton->isEnabled());
    const QImage before = A::input(*window);
    const QImage after = A::result(*window);
    QCOMPARE(after.size(), before.size());

    // Back on the Start page first swaps the result and the unprocessed picture.
    startPage->backButton->click();
    QVERIFY(qobject_cast<DeringPage*>(wizard->currentPage()));
    QCOMPARE(A::result(*window), before);
    QCOMPARE(A::input(*window), after);
    wizard->currentPage()->nextButton->click();
    startPage->backButton->click();
    QCOMPARE(A::result(*window), after);
}

void TestTutorialHost::helpBoxesShowTheirTexts()
{
    auto window = makeWindow();
    QString seen;
    answerNextDialog(QString(), &seen);
    A::actions(*window).aboutAction->trigger();
    QCOMPARE(seen, aboutText);

    answerNextDialog(QString(), &seen);
    A::actions(*window).shortcutKeysAction->trigger();
    QCOMPARE(seen, shortcutKeysText);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestTutorialHost::shortcutTextNamesTheBoundZoomKeys()
{
    auto window = makeWindow();
    const QStringList lines = shortcutKeysText.split(QStringLiteral("<br/>"));
    QCOMPARE(lines.size(), 8);
    const auto keys = [](QAction* action) {
        return action->shortcut().toString(QKeySequence::PortableText);
    };
    QCOMPARE(lines[3], QStringLiteral("Zoom in: ") + keys(A::actions(*window).zoomInAction));
    QCOMPARE(lines[4], QStringLiteral("Zoom out: ") + keys(A::actions(*window).zoomOutAction));
    QCOMPARE(keys(A::actions(*window).openAction), QStringLiteral("Ctrl+O"));
    QCOMPARE(keys(A::actions(*window).startAction), QStringLiteral("Ctrl+R"));
}

QTEST_MAIN(TestTutorialHost)
#include "test_tutorial_host.moc"
