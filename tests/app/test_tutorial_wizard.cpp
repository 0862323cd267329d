// Tutorial wizard navigation, highlighting and page placement, on a stand-in
// host window with a tool bar (the main window's own wiring is tested with it).

#include "tutorial_pages.h"
#include "tutorial_wizard.h"

#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Order of events seen by the host and the debug output.
QStringList eventLog;
QtMessageHandler previousHandler = nullptr;

void recordDebug(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg)
        eventLog << message;
    if (previousHandler)
        previousHandler(type, context, message);
}

const QString redBorder = QStringLiteral("border: 2px solid #f00;");

} // namespace

// Stands in for the main window: a tool bar with actions, two widgets and the
// undo() slot that StartUpPage's Back button reaches.
class Host : public QWidget
{
    Q_OBJECT

public:
    Host()
    {
        auto* layout = new QVBoxLayout(this);
        toolBar = new QToolBar(this);
        layout->addWidget(toolBar);
        openAction = toolBar->addAction(QStringLiteral("Open"));
        startAction = toolBar->addAction(QStringLiteral("Start"));
        saveAsAction = toolBar->addAction(QStringLiteral("Save as"));
        hiddenAction = new QAction(QStringLiteral("Not on the tool bar"), this);
        combo = new QComboBox(this);
        layout->addWidget(combo);
        for (QAction* a : {openAction, startAction, saveAsAction})
            a->setEnabled(false);
        combo->setEnabled(false);
    }

    QToolBar* toolBar;
    QAction* openAction;
    QAction* startAction;
    QAction* saveAsAction;
    QAction* hiddenAction;
    QComboBox* combo;
    int undoCalls = 0;

public slots:
    void undo()
    {
        ++undoCalls;
        eventLog << QStringLiteral("undo");
    }
};

class TestTutorialWizard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startShowsFirstPageAndHighlightsItsTarget();
    void backOnFirstPageOnlyLogs();
    void nextAndBackMoveBetweenPagesAndTargets();
    void finishClosesUnhighlightsAndEmitsOnce();
    void finishedReceiverMayDeleteTheWizard();
    void finishTutorialEndsFromAnyPage();
    void actionWithoutButtonIsNeitherEnabledNorMarked();
    void moveToMovesHiddenPagesToo();
    void setNextEnabledTouchesOnlyThePageOnShow();
    void startUpPageBackUndoesFirst();

private:
    QWidget* buttonOf(QAction* action) { return host->toolBar->widgetForAction(action); }
    void buildSixPages();

    QTemporaryDir settingsDir;
    Host* host = nullptr;
    TutorialWizard* wizard = nullptr;
    QList<TutorialPage*> pages;
};

void TestTutorialWizard::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    previousHandler = qInstallMessageHandler(recordDebug);
}

void TestTutorialWizard::init()
{
    eventLog.clear();
    host = new Host;
    host->show();
    wizard = new TutorialWizard(host->toolBar, host);
    pages.clear();
}

void TestTutorialWizard::cleanup()
{
    delete host;   // takes the wizard and the pages with it
    host = nullptr;
    wizard = nullptr;
}

// The pages and targets as the main window arranges them, with the combo box
// standing for all three parameter-bar targets.
void TestTutorialWizard::buildSixPages()
{
    auto* open = new OpenFilePage(host);
    auto* blur = new BlurStrengthPage(host);
    auto* denoise = new DenoisePage(host);
    auto* dering = new DeringPage(host);
    auto* startUp = new StartUpPage(host);
    auto* save = new SavePage(host);
    wizard->addPage(host->openAction, open);
    wizard->addPage(host->combo, blur);
    wizard->addPage(host->combo, denoise);
    wizard->addPage(host->combo, dering);
    wizard->addPage(host->startAction, startUp);
    wizard->addPage(host->saveAsAction, save);
    open->setFirstPage(true);
    save->setLastPage(true);
    pages = {open, blur, denoise, dering, startUp, save};
}

void TestTutorialWizard::startShowsFirstPageAndHighlightsItsTarget()
{
    buildSixPages();
    QCOMPARE(wizard->currentIndex(), -1);
    wizard->start();
    QCOMPARE(wizard->currentIndex(), 0);
    QVERIFY(pages[0]->isVisible());
    for (int i = 1; i < 6; ++i)
        QVERIFY(!pages[i]->isVisible());
    QVERIFY(buttonOf(host->openAction)->isEnabled());
    QCOMPARE(buttonOf(host->openAction)->styleSheet(), redBorder);
    QVERIFY(!buttonOf(host->startAction)->isEnabled());
    QVERIFY(!pages[0]->backButton->isVisible());
    QVERIFY(pages[0]->nextButton->isVisible());
}

void TestTutorialWizard::backOnFirstPageOnlyLogs()
{
    buildSixPages();
    wizard->start();
    pages[0]->backButton->click();   // hidden, but still wired
    QCOMPARE(eventLog, QStringList{QStringLiteral("previous")});
    QCOMPARE(wizard->currentIndex(), 0);
    QVERIFY(pages[0]->isVisible());
    QCOMPARE(buttonOf(host->openAction)->styleSheet(), redBorder);
}

void TestTutorialWizard::nextAndBackMoveBetweenPagesAndTargets()
{
    buildSixPages();
    wizard->start();
    pages[0]->nextButton->click();
    QCOMPARE(wizard->currentIndex(), 1);
    QVERIFY(!pages[0]->isVisible());
    QVERIFY(pages[1]->isVisible());
    QVERIFY(!buttonOf(host->openAction)->isEnabled());
    QCOMPARE(buttonOf(host->openAction)->styleSheet(), QString());
    QVERIFY(host->combo->isEnabled());
    QCOMPARE(host->combo->styleSheet(), redBorder);

    pages[1]->backButton->click();
    QCOMPARE(wizard->currentIndex(), 0);
    QVERIFY(pages[0]->isVisible());
    QVERIFY(!pages[1]->isVisible());
    QVERIFY(!host->combo->isEnabled());
    QCOMPARE(host->combo->styleSheet(), QString());
    QCOMPARE(buttonOf(host->openAction)->styleSheet(), redBorder);
}

void TestTutorialWizard::finishClosesUnhighlightsAndEmitsOnce()
{
    buildSixPages();
    QSignalSpy finished(wizard, SIGNAL(finished()));
    wizard->start();
    for (int i = 0; i < 5; ++i)
        pages[i]->nextButton->click();
    QCOMPARE(wizard->currentIndex(), 5);
    QCOMPARE(pages[5]->nextButton->text(), QStringLiteral(" Finish "));
    QCOMPARE(buttonOf(host->saveAsAction)->styleSheet(), redBorder);
    QVERIFY(buttonOf(host->saveAsAction)->isEnabled());
    QCOMPARE(finished.count(), 0);

    pages[5]->nextButton->click();
    QCOMPARE(finished.count(), 1);
    QVERIFY(!pages[5]->isVisible());
    QCOMPARE(buttonOf(host->saveAsAction)->styleSheet(), QString());
    QVERIFY(!buttonOf(host->saveAsAction)->isEnabled());
    for (TutorialPage* page : pages)
        QVERIFY(!page->isVisible());
}

void TestTutorialWizard::finishedReceiverMayDeleteTheWizard()
{
    buildSixPages();
    QPointer<TutorialWizard> guard(wizard);
    int ends = 0;
    // Like the main window: the receiver deletes the wizard during the emission.
    connect(wizard, &TutorialWizard::finished, host, [&] {
        ++ends;
        delete guard.data();
    });
    wizard->start();
    for (int i = 0; i < 6; ++i)
        pages[i]->nextButton->click();
    QCOMPARE(ends, 1);
    QVERIFY(guard.isNull());
    // The pages outlive the wizard, closed, as children of the host.
    for (TutorialPage* page : pages) {
        QCOMPARE(page->parent(), host);
        QVERIFY(!page->isVisible());
    }
    wizard = nullptr;
}

void TestTutorialWizard::finishTutorialEndsFromAnyPage()
{
    buildSixPages();
    QSignalSpy finished(wizard, SIGNAL(finished()));
    wizard->start();
    pages[0]->nextButton->click();
    wizard->finishTutorial();
    QCOMPARE(finished.count(), 1);
    QVERIFY(!pages[1]->isVisible());
    QVERIFY(!host->combo->isEnabled());
    QCOMPARE(host->combo->styleSheet(), QString());
}

void TestTutorialWizard::actionWithoutButtonIsNeitherEnabledNorMarked()
{
    auto* page = new TutorialPage(host);
    auto* second = new TutorialPage(host);
    host->hiddenAction->setEnabled(false);
    wizard->addPage(host->hiddenAction, page);
    wizard->addPage(host->openAction, second);
    wizard->start();
    QVERIFY(page->isVisible());
    QVERIFY(!host->hiddenAction->isEnabled());
    for (QWidget* w : host->findChildren<QWidget*>())
        QVERIFY(w->styleSheet() != redBorder);
    page->nextButton->click();
    QVERIFY(second->isVisible());
}

void TestTutorialWizard::moveToMovesHiddenPagesToo()
{
    buildSixPages();
    wizard->start();
    pages[0]->nextButton->click();
    pages[1]->nextButton->click();   // page 3 on show
    wizard->moveTo(140, 165);
    for (TutorialPage* page : pages)
        QCOMPARE(page->pos(), QPoint(140, 165));
}

void TestTutorialWizard::setNextEnabledTouchesOnlyThePageOnShow()
{
    buildSixPages();
    pages[0]->setNextEnabled(false);
    pages[4]->setNextEnabled(false);
    wizard->setNextEnabled(true);   // before start(): nothing is on show
    QVERIFY(!pages[0]->nextButton->isEnabled());
    wizard->start();
    wizard->setNextEnabled(true);
    QVERIFY(pages[0]->nextButton->isEnabled());
    QVERIFY(!pages[4]->nextButton->isEnabled());
}

void TestTutorialWizard::startUpPageBackUndoesFirst()
{
    buildSixPages();
    wizard->start();
    for (int i = 0; i < 4; ++i)
        pages[i]->nextButton->click();
    QCOMPARE(wizard->currentIndex(), 4);
    eventLog.clear();
    pages[4]->backButton->click();
    QCOMPARE(eventLog, (QStringList{QStringLiteral("undo"), QStringLiteral("previous")}));
    QCOMPARE(wizard->currentIndex(), 3);
    // Back on other pages does not undo.
    pages[3]->backButton->click();
    QCOMPARE(host->undoCalls, 1);
}

QTEST_MAIN(TestTutorialWizard)
#include "test_tutorial_wizard.moc"
