#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>

class QAction;
class QToolBar;
class QWidget;
class TutorialPage;

// Steps the user through one run on a sequence of tutorial pages. Each page is
// paired with its target, the control it explains: a QAction (shown through
// its tool-bar button) or a QWidget. While a page is on show its target is
// enabled and outlined in red (an action together with its button, so that
// its shortcut works too); leaving the page switches off only what the wizard
// switched on. An action left to the window is outlined but never switched
// on or off: its button follows the action. The wizard owns neither the pages
// (children of the main window) nor the targets.
//
// finished() is emitted as the very last thing nextPage() and finishTutorial()
// do, so a receiver connected directly may delete the wizard right away.
//
// Each page is a window of its own, so a window manager may close the page on
// show by itself (Alt+F4, a window list's Close): the user wants the tutorial
// gone, and it ends as by Finish instead of leaving the window's controls
// held with no page to go on from.
class TutorialWizard : public QObject
{
    Q_OBJECT

public:
    using PageEntry = QPair<QObject*, TutorialPage*>;

    explicit TutorialWizard(QToolBar* toolBar, QObject* parent = nullptr);
    ~TutorialWizard() override;

    // Appends the pair and connects the page's Next and Back buttons.
    void addPage(QObject* target, TutorialPage* page);
    // Shows the first page and highlights its target; needs at least one page.
    void start();
    // Enables or disables Next on the page on show (nothing before start()).
    void setNextEnabled(bool enabled);
    // Moves every page, shown or not, to the screen point (x, y).
    void moveTo(int x, int y);
    // Stacks the widget under every page.
    void stackUnderPages(QWidget* widget);
    // The window keeps this action on or off by itself on every page (Start
    // follows the work state, off while a run goes on): the wizard only
    // outlines its button.
    void leaveEnabledStateToWindow(QAction* action);

    // Read access for the host window and tests.
    const QList<PageEntry>& pageEntries() const { return pages; }
    int currentIndex() const { return current; }   // -1 before start()
    TutorialPage* currentPage() const;

signals:
    void finished();

public slots:
    void nextPage();
    void previousPage();
    void finishTutorial();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* targetWidget(QObject* target) const;
    void highlightTarget(QObject* target);
    void unhighlightTarget(QObject* target);
    void releaseSwitchedOnAction();
    void leaveCurrentPage();
    void showCurrentPage();

    QList<PageEntry> pages;
    int current = -1;
    QToolBar* toolBar;
    // The target action that the wizard switched on for the page on show, and
    // so switches off again when the page is left.
    QPointer<QAction> switchedOnAction;
    QList<QPointer<QAction>> windowKeptActions;
};
