#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QToolBar>

#include "image_view.h"
#include "main_window.h"
#include "ui_main_window.h"
#include "parameter_bar.h"
#include "tutorial_pages.h"
#include "tutorial_wizard.h"

void Clarnex::startTutorial()
{
    // One tutorial at a time.
    if (tutorialRunning) return;

    tutorialRunning = true;
    setControlsEnabled(false);
    // Start follows the work state on every page, as it does without a tutorial.
    actions.startAction->setEnabled(state != WorkState::Running);
    createTutorial();
    tutorialWizard->start();
    moveTutorialPages();
}

void Clarnex::createTutorial()
{
    // The pages of an earlier tutorial are no longer needed.
    for (const QPointer<QWidget>& page : tutorialPages) delete page.data();
    tutorialPages.clear();

    tutorialWizard = new TutorialWizard(ui->toolBar, this);

    openFilePage = new OpenFilePage(this, Qt::WindowFlags());
    auto* blurStrengthPage = new BlurStrengthPage(this, Qt::WindowFlags());
    auto* denoisePage = new DenoisePage(this, Qt::WindowFlags());
    auto* deringPage = new DeringPage(this, Qt::WindowFlags());
    startUpPage = new StartUpPage(this, Qt::WindowFlags());
    auto* savePage = new SavePage(this, Qt::WindowFlags());

    tutorialWizard->addPage(actions.openAction, openFilePage);
    tutorialWizard->addPage(parameterBar->blurStrengthCombo, blurStrengthPage);
    tutorialWizard->addPage(parameterBar->denoiseCheck, denoisePage);
    tutorialWizard->addPage(parameterBar->deringCheck, deringPage);
    tutorialWizard->addPage(actions.startAction, startUpPage);
    tutorialWizard->addPage(actions.saveAsAction, savePage);

    // Start follows the work state on every page (setState), off while a run
    // goes on: the wizard only outlines it.
    tutorialWizard->leaveEnabledStateToWindow(actions.startAction);

    // Each page is a window of its own, the active one once the user clicks
    // on it: it carries the window's shortcut actions, so that the keys the
    // pages name work from there too (enabled actions only, as ever).
    const QList<QAction*> shortcutActions = {
        actions.quitAction,  actions.openAction, actions.saveAction,   actions.saveAsAction, actions.closeFileAction,
        actions.startAction, actions.undoAction, actions.zoomInAction, actions.zoomOutAction};
    for (QWidget* page : std::initializer_list<QWidget*>{openFilePage, blurStrengthPage, denoisePage, deringPage,
                                                         startUpPage, savePage}) {
        page->addActions(shortcutActions);
        tutorialPages.append(page);
    }

    openFilePage->setFirstPage(true);
    followWorkStateOnTutorialPages();
    savePage->setLastPage(true);

    tutorialWizard->stackUnderPages(imageView);
    connect(tutorialWizard, SIGNAL(finished()), this, SLOT(endTutorial()));
}

void Clarnex::followWorkStateOnTutorialPages()
{
    if (!tutorialRunning) return;
    // A picture opened by a drop counts as one opened by the dialog, and a
    // failed open leaves the picture on show: the page says either will do.
    if (openFilePage) openFilePage->setNextEnabled(state != WorkState::NoImage);
    // A result may arrive while another page is on show (Start works on every
    // page, and Back leaves the Start page during a run); the user must still
    // be able to go on from the Start page without deblurring it twice.
    if (startUpPage) startUpPage->setNextEnabled(state == WorkState::ResultShown);
}

void Clarnex::endTutorial()
{
    tutorialRunning = false;
    if (tutorialWizard) {
        delete tutorialWizard;
        tutorialWizard = nullptr;
    }
    setControlsEnabled(true);
    setState(state);
}
