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

    auto* openFilePage = new OpenFilePage(this, Qt::WindowFlags());
    auto* blurStrengthPage = new BlurStrengthPage(this, Qt::WindowFlags());
    auto* denoisePage = new DenoisePage(this, Qt::WindowFlags());
    auto* deringPage = new DeringPage(this, Qt::WindowFlags());
    auto* startUpPage = new StartUpPage(this, Qt::WindowFlags());
    auto* savePage = new SavePage(this, Qt::WindowFlags());

    tutorialWizard->addPage(actions.openAction, openFilePage);
    tutorialWizard->addPage(parameterBar->blurStrengthCombo, blurStrengthPage);
    tutorialWizard->addPage(parameterBar->denoiseCheck, denoisePage);
    tutorialWizard->addPage(parameterBar->deringCheck, deringPage);
    tutorialWizard->addPage(actions.startAction, startUpPage);
    tutorialWizard->addPage(actions.saveAsAction, savePage);

    for (QWidget* page : std::initializer_list<QWidget*>{openFilePage, blurStrengthPage, denoisePage, deringPage,
                                                         startUpPage, savePage})
        tutorialPages.append(page);

    openFilePage->setFirstPage(true);
    openFilePage->setNextEnabled(state != WorkState::NoImage);
    startUpPage->setNextEnabled(state == WorkState::ResultShown);
    savePage->setLastPage(true);

    tutorialWizard->stackUnderPages(imageView);
    connect(tutorialWizard, SIGNAL(finished()), this, SLOT(endTutorial()));
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
    // The tutorial switched tool buttons by hand; an action whose state did not
    // change since then would not correct its button, so each is set again.
    for (QAction* action : ui->toolBar->actions())
        if (QWidget* button = ui->toolBar->widgetForAction(action)) button->setEnabled(action->isEnabled());
}
