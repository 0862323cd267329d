// Tutorial wizard and pages on a stand-in host window with a tool bar (the
// main window's own wiring is tested in test_tutorial_host), and the message box.

#include "app_test_support.h"
#include "custom_message_box.h"
#include "image_with_caption.h"
#include "tutorial_pages.h"
#include "tutorial_wizard.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>

extern const QString shortcutKeysText;

namespace {

// What the host's undo() and the debug output saw, in order.
QStringList eventLog;
QtMessageHandler previousHandler = nullptr;

void recordDebug(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg)
        eventLog << message;
    previousHandler(type, context, message);
}

const QString redBorder = QStringLiteral("border: 2px solid #f00;");

} // namespace

// Stands in for the main window: tool-bar actions, a parameter widget and the
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
        combo = new QComboBox(this);
        layout->addWidget(combo);
        for (QAction* a : {openAction, startAction, saveAsAction})
            a->setEnabled(false);
        combo->setEnabled(false);
    }

    QWidget* button(QAction* action) const { return toolBar->widgetForAction(action); }

    QToolBar* toolBar;
    QAction* openAction;
    QAction* startAction;
    QAction* saveAsAction;
    QComboBox* combo;

public slots:
    void undo() { eventLog << QStringLiteral("undo"); }
};

class TestTutorialWizard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(recordDebug); }
    // The six pages as the main window arranges them; the combo box stands for
    // all three parameter-bar targets.
    void init()
    {
        eventLog.clear();
        host = new Host;
        host->show();
        wizard = new TutorialWizard(host->toolBar, host);
        pages = {new OpenFilePage(host), new BlurStrengthPage(host), new DenoisePage(host),
                 new DeringPage(host),   new StartUpPage(host),      new SavePage(host)};
        const QList<QObject*> targets = {host->openAction, host->combo,       host->combo,
                                         host->combo,      host->startAction, host->saveAsAction};
        for (int i = 0; i < 6; ++i)
            wizard->addPage(targets[i], pages[i]);
        pages[0]->setFirstPage(true);
        pages[5]->setLastPage(true);
        wizard->start();
    }

    void cleanup() { delete host; }
    void navigationMovesPageAndHighlight()
    {
        QVERIFY(pages[0]->isVisible() && !pages[1]->isVisible());
        QVERIFY(!pages[0]->backButton->isVisible());
        QVERIFY(host->button(host->openAction)->isEnabled());
        QCOMPARE(host->button(host->openAction)->styleSheet(), redBorder);

        // Back on the first page only logs (the button is hidden, but wired).
        pages[0]->backButton->click();
        QCOMPARE(eventLog, QStringList{QStringLiteral("previous")});
        QCOMPARE(wizard->currentIndex(), 0);
        QVERIFY(pages[0]->isVisible());

        pages[0]->nextButton->click();
        QVERIFY(!pages[0]->isVisible() && pages[1]->isVisible());
        QVERIFY(!host->button(host->openAction)->isEnabled());
        QCOMPARE(host->button(host->openAction)->styleSheet(), QString());
        QVERIFY(host->combo->isEnabled());
        QCOMPARE(host->combo->styleSheet(), redBorder);
        QVERIFY(pages[1]->backButton->x() < pages[1]->nextButton->x());

        pages[1]->backButton->click();
        QVERIFY(pages[0]->isVisible() && !pages[1]->isVisible());
        QVERIFY(!host->combo->isEnabled());
        QCOMPARE(host->combo->styleSheet(), QString());

        // moveTo places the hidden pages too.
        wizard->moveTo(140, 165);
        for (TutorialPage* page : pages)
            QCOMPARE(page->pos(), QPoint(140, 165));
    }

    void finishClosesUnhighlightsAndEmitsOnce()
    {
        QSignalSpy finished(wizard, SIGNAL(finished()));
        QPointer<TutorialWizard> guard(wizard);
        // Like the main window, the receiver deletes the wizard during the emission.
        connect(wizard, &TutorialWizard::finished, host, [&] { delete guard.data(); });
        for (int i = 0; i < 5; ++i)
            pages[i]->nextButton->click();
        QCOMPARE(pages[4]->nextButton->text(), QStringLiteral(" &Next > "));
        QCOMPARE(pages[5]->nextButton->text(), QStringLiteral(" Finish "));
        QWidget* saveAs = host->button(host->saveAsAction);
        QCOMPARE(saveAs->styleSheet(), redBorder);
        QCOMPARE(finished.count(), 0);

        pages[5]->nextButton->click();
        QCOMPARE(finished.count(), 1);
        QVERIFY(guard.isNull());
        QVERIFY(!saveAs->isEnabled());
        QCOMPARE(saveAs->styleSheet(), QString());
        for (TutorialPage* page : pages) {   // the pages stay, closed, with the host
            QVERIFY(!page->isVisible());
            QCOMPARE(page->parent(), host);
        }
    }

    void startUpPageBackUndoesFirst()
    {
        for (int i = 0; i < 4; ++i)
            pages[i]->nextButton->click();
        eventLog.clear();
        pages[4]->backButton->click();
        QCOMPARE(eventLog, (QStringList{QStringLiteral("undo"), QStringLiteral("previous")}));
        QCOMPARE(wizard->currentIndex(), 3);
        pages[3]->backButton->click();   // other pages do not undo
        QCOMPARE(eventLog.count(QStringLiteral("undo")), 1);
    }

    void actionWithoutButtonIsNeitherEnabledNorMarked()
    {
        auto* offBar = new QAction(QStringLiteral("Not on the tool bar"), host);
        offBar->setEnabled(false);
        auto* page = new TutorialPage(host);
        TutorialWizard other(host->toolBar);
        other.addPage(offBar, page);
        other.start();
        QVERIFY(page->isVisible());
        QVERIFY(!offBar->isEnabled());
        other.finishTutorial();
        QVERIFY(!page->isVisible());
    }

    void blurStrengthShowsFourPicturesIn170Squares()
    {
        pages[0]->nextButton->click();
        QList<ImageWithCaption*> shown = pages[1]->findChildren<ImageWithCaption*>();
        std::sort(shown.begin(), shown.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
        const QStringList captions = {"Clear picture", "Small blurriness", "Medium blurriness", "Large blurriness"};
        QCOMPARE(shown.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(QString(shown[i]->captionText()), captions[i]);
            QCOMPARE(shown[i]->picture().size(), QSize(170, 170));
        }
        // The blurred pictures really differ from the clear one.
        QVERIFY(shown[0]->picture().toImage() != shown[1]->picture().toImage());
        // Both "After" pictures are the same processed result.
        const QList<ImageWithCaption*> denoise = pages[2]->findChildren<ImageWithCaption*>();
        const QList<ImageWithCaption*> dering = pages[3]->findChildren<ImageWithCaption*>();
        QCOMPARE(denoise.size(), 2);
        QCOMPARE(dering.size(), 2);
        QVERIFY(!denoise[1]->picture().isNull());
        QCOMPARE(denoise[1]->picture().toImage(), dering[1]->picture().toImage());
    }

    // The About and Shortcut keys message box: its label, its button and its drag.
    void shortcutBoxShowsEightSelectableLines()
    {
        CustomMessageBox box(shortcutKeysText);
        auto* label = box.findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(int(label->textInteractionFlags()), 13);   // selectable, links by mouse and keyboard
        QCOMPARE(label->textFormat(), Qt::RichText);
        QVERIFY(label->openExternalLinks());
        // The zoom lines name the keys the actions are bound to.
        const QStringList expected = {
            "Open file: Ctrl + O", "Save file: Ctrl + S", "Close file: Ctrl + W", "Zoom in: Ctrl+[",
            "Zoom out: Ctrl+]",    "Run: Ctrl + R",       "Undo: Ctrl + Z",       "Quit program: Ctrl + Q",
        };
        QCOMPARE(label->text().split(QStringLiteral("<br/>")), expected);
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(box.styleSheet().contains(QStringLiteral("QPushButton:disabled")));
    }

    void okClosesTheModalBox()
    {
        CustomMessageBox box(QStringLiteral("text"));
        auto* ok = box.findChild<QPushButton*>();
        QCOMPARE(ok->text(), QStringLiteral(" &OK "));
        QTimer::singleShot(0, ok, &QPushButton::click);
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }

    void dragFollowsTheLeftButtonAnchor()
    {
        CustomMessageBox box(QStringLiteral("text"));
        box.move(100, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QPoint start = box.pos();
        const struct { QEvent::Type type; QPoint at; Qt::MouseButton button; QPoint moved; } steps[] = {
            // A left press on the top-left pixel is no anchor; a right press records nothing.
            {QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton, {}},
            {QEvent::MouseMove, {30, 40}, Qt::NoButton, {}},
            {QEvent::MouseButtonRelease, {30, 40}, Qt::LeftButton, {}},
            {QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, {}},
            {QEvent::MouseMove, {30, 40}, Qt::NoButton, {}},
            // A left press anchors; the box follows by the offset from the anchor.
            {QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, {}},
            {QEvent::MouseMove, {30, 25}, Qt::NoButton, {20, 15}},
            // Any release clears the anchor.
            {QEvent::MouseButtonRelease, {30, 25}, Qt::RightButton, {20, 15}},
            {QEvent::MouseMove, {50, 50}, Qt::NoButton, {20, 15}},
        };
        for (const auto& step : steps) {
            sendMouse(&box, step.type, step.at, step.button);
            QCOMPARE(box.pos(), start + step.moved);
        }
    }

private:
    Host* host = nullptr;
    TutorialWizard* wizard = nullptr;
    QList<TutorialPage*> pages;
};

QTEST_MAIN(TestTutorialWizard)
#include "test_tutorial_wizard.moc"
