// The tutorial wizard and pages on a stand-in host with a tool bar, and the message box.

#include "app_test_support.h"
#include "custom_message_box.h"
#include "image_with_caption.h"
#include "tutorial_pages.h"
#include "tutorial_wizard.h"

namespace {

const QString redBorder = QStringLiteral("border: 2px solid #f00;");

} // namespace

// Stands in for the main window: disabled tool-bar actions, a parameter widget
// and the undo() slot that StartUpPage's Back button reaches.
class Host : public QWidget
{
    Q_OBJECT

public:
    Host()
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(toolBar);
        layout->addWidget(combo);
        combo->setEnabled(false);
        for (QAction* a : {openAction, startAction, saveAsAction}) a->setEnabled(false);
    }

    QWidget* button(QAction* action) const { return toolBar->widgetForAction(action); }

    QToolBar* toolBar = new QToolBar(this);
    QAction* openAction = toolBar->addAction(QStringLiteral("Open"));
    QAction* startAction = toolBar->addAction(QStringLiteral("Start"));
    QAction* saveAsAction = toolBar->addAction(QStringLiteral("Save as"));
    QComboBox* combo = new QComboBox(this);
    TutorialWizard* wizard = nullptr;
    QList<int> undoneOnPages;

public slots:
    void undo() { undoneOnPages << wizard->currentIndex(); }
};

class TestTutorialWizard : public QObject
{
    Q_OBJECT

private slots:
    // The six pages as the main window arranges them; the combo box stands for
    // all three parameter-bar targets.
    void init()
    {
        host = new Host;
        host->show();
        wizard = host->wizard = new TutorialWizard(host->toolBar, host);
        pages = {new OpenFilePage(host), new BlurStrengthPage(host), new DenoisePage(host),
                 new DeringPage(host),   new StartUpPage(host),      new SavePage(host)};
        const QList<QObject*> targets = {host->openAction, host->combo,       host->combo,
                                         host->combo,      host->startAction, host->saveAsAction};
        for (int i = 0; i < 6; ++i) wizard->addPage(targets[i], pages[i]);
        pages[0]->setFirstPage(true);
        pages[5]->setLastPage(true);
        wizard->start();
    }

    void cleanup() { delete host; }

    void navigationMovesPageAndHighlight()
    {
        QWidget* open = host->button(host->openAction);
        QVERIFY(pages[0]->isVisible() && !pages[1]->isVisible() && !pages[0]->backButton->isVisible());
        QVERIFY(open->isEnabled());
        QCOMPARE(open->styleSheet(), redBorder);

        // Back on the first page (hidden, but wired) stays there.
        pages[0]->backButton->click();
        QCOMPARE(wizard->currentIndex(), 0);
        QVERIFY(pages[0]->isVisible());

        pages[0]->nextButton->click();
        QVERIFY(!pages[0]->isVisible() && pages[1]->isVisible());
        QVERIFY(!open->isEnabled() && open->styleSheet().isEmpty());
        QVERIFY(host->combo->isEnabled());
        QCOMPARE(host->combo->styleSheet(), redBorder);

        pages[1]->backButton->click();
        QVERIFY(pages[0]->isVisible() && !pages[1]->isVisible());
        QVERIFY(!host->combo->isEnabled() && host->combo->styleSheet().isEmpty());

        // moveTo places the hidden pages too.
        wizard->moveTo(140, 165);
        for (TutorialPage* page : pages) QCOMPARE(page->pos(), QPoint(140, 165));
    }

    void finishClosesUnhighlightsAndEmitsOnce()
    {
        QSignalSpy finished(wizard, SIGNAL(finished()));
        QPointer<TutorialWizard> guard(wizard);
        // Like the main window, the receiver deletes the wizard during the emission.
        connect(wizard, &TutorialWizard::finished, host, [&] { delete guard.data(); });
        for (int i = 0; i < 5; ++i) pages[i]->nextButton->click();
        QCOMPARE(pages[5]->nextButton->text(), QStringLiteral(" Finish "));
        QWidget* saveAs = host->button(host->saveAsAction);
        QCOMPARE(saveAs->styleSheet(), redBorder);
        QCOMPARE(finished.count(), 0);

        pages[5]->nextButton->click();
        QCOMPARE(finished.count(), 1);
        QVERIFY(guard.isNull());
        QVERIFY(!saveAs->isEnabled() && saveAs->styleSheet().isEmpty());
        for (TutorialPage* page : pages) {   // the pages stay, closed, with the host
            QVERIFY(!page->isVisible());
            QCOMPARE(page->parent(), host);
        }
    }

    // Back undoes on the Start page only, before it steps back.
    void startUpPageBackUndoesFirst()
    {
        for (int i = 0; i < 4; ++i) pages[i]->nextButton->click();
        pages[4]->backButton->click();
        pages[3]->backButton->click();
        QCOMPARE(host->undoneOnPages, QList<int>{4});
        QCOMPARE(wizard->currentIndex(), 2);
    }

    // Leaving a page switches off only an action that the wizard switched on,
    // and not once the host has switched it off and on again meanwhile.
    void leavingSwitchesOffOnlyWhatTheWizardSwitchedOn()
    {
        for (int i = 0; i < 4; ++i) pages[i]->nextButton->click();
        QVERIFY(host->startAction->isEnabled());
        pages[4]->nextButton->click();
        QVERIFY(!host->startAction->isEnabled() && !host->button(host->startAction)->isEnabled());

        host->startAction->setEnabled(true);   // as the host does for a picture on show
        pages[5]->backButton->click();
        pages[4]->backButton->click();
        QVERIFY(host->startAction->isEnabled() && host->button(host->startAction)->isEnabled());
        QVERIFY(host->button(host->startAction)->styleSheet().isEmpty());

        host->startAction->setEnabled(false);  // a run
        pages[3]->nextButton->click();
        host->startAction->setEnabled(false);
        host->startAction->setEnabled(true);   // its result
        pages[4]->nextButton->click();
        QVERIFY(host->startAction->isEnabled() && host->button(host->startAction)->isEnabled());
    }

    void pagesShowTheirPictures()
    {
        pages[0]->nextButton->click();
        QList<ImageWithCaption*> shown = pages[1]->findChildren<ImageWithCaption*>();
        std::sort(shown.begin(), shown.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
        QStringList captions;
        for (ImageWithCaption* picture : shown) {
            captions << picture->captionText();
            QCOMPARE(picture->picture().size(), QSize(170, 170));
        }
        QCOMPARE(captions, (QStringList{"Clear picture", "Small blurriness", "Medium blurriness", "Large blurriness"}));
        QVERIFY(shown[0]->picture().toImage() != shown[1]->picture().toImage());
        // Both "After" pictures are the same processed result.
        const QList<ImageWithCaption*> denoise = pages[2]->findChildren<ImageWithCaption*>();
        const QList<ImageWithCaption*> dering = pages[3]->findChildren<ImageWithCaption*>();
        QCOMPARE(denoise.size() + dering.size(), 4);
        QVERIFY(!denoise[1]->picture().isNull());
        QCOMPARE(denoise[1]->picture().toImage(), dering[1]->picture().toImage());
    }

    // The About and Shortcut keys message box: its text, its button and its drag.
    void messageBox()
    {
        CustomMessageBox box(shortcutKeysText);
        QCOMPARE(box.findChild<QLabel*>()->text(), shortcutKeysText);
        box.move(100, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        checkDragSteps(&box);
        box.findChild<QPushButton*>()->click();
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

private:
    Host* host = nullptr;
    TutorialWizard* wizard = nullptr;
    QList<TutorialPage*> pages;
};

QTEST_MAIN(TestTutorialWizard)
#include "test_tutorial_wizard.moc"
