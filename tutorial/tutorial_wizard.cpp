#include "tutorial_wizard.h"

#include "tutorial_page.h"

#include <QAction>
#include <QDebug>
#include <QEvent>
#include <QPushButton>
#include <QToolBar>
#include <QVariant>
#include <QWidget>

namespace {

// The minimum width a target had before it was highlighted.
const char* const minimumWidthKey = "minimumWidthBeforeHighlight";

}  // namespace

TutorialWizard::TutorialWizard(QToolBar* toolBar, QObject* parent)
    : QObject(parent), toolBar(toolBar)
{
}

// The pages are children of the main window and the targets belong to it:
// only the list of pairs goes with the wizard.
TutorialWizard::~TutorialWizard() = default;

void TutorialWizard::addPage(QObject* target, TutorialPage* page)
{
    pages.append(PageEntry(target, page));
    connect(page->nextButton, SIGNAL(clicked(bool)), this, SLOT(nextPage()));
    connect(page->backButton, SIGNAL(clicked(bool)), this, SLOT(previousPage()));
    page->installEventFilter(this);
}

void TutorialWizard::start()
{
    if (pages.isEmpty())
        return;
    current = 0;
    showCurrentPage();
}

TutorialPage* TutorialWizard::currentPage() const
{
    if (current < 0 || current >= pages.size())
        return nullptr;
    return pages.at(current).second;
}

void TutorialWizard::setNextEnabled(bool enabled)
{
    if (TutorialPage* page = currentPage())
        page->setNextEnabled(enabled);
}

void TutorialWizard::moveTo(int x, int y)
{
    for (const PageEntry& entry : pages)
        entry.second->move(x, y);
}

void TutorialWizard::stackUnderPages(QWidget* widget)
{
    for (const PageEntry& entry : pages)
        widget->stackUnder(entry.second);
}

void TutorialWizard::leaveEnabledStateToWindow(QAction* action)
{
    windowKeptActions.append(action);
}

void TutorialWizard::nextPage()
{
    if (current < 0)
        return;
    if (current == pages.size() - 1) {
        leaveCurrentPage();
        // Last statement: the receiver may delete this wizard.
        emit finished();
        return;
    }
    leaveCurrentPage();
    ++current;
    showCurrentPage();
}

void TutorialWizard::previousPage()
{
    qDebug() << "previous";
    if (current <= 0)
        return;
    leaveCurrentPage();
    --current;
    showCurrentPage();
}

void TutorialWizard::finishTutorial()
{
    leaveCurrentPage();
    // Last statement: the receiver may delete this wizard.
    emit finished();
}

bool TutorialWizard::eventFilter(QObject* watched, QEvent* event)
{
    // The wizard's own close() of a page sends its close event directly; one
    // that comes through the window system is the window manager's. The page
    // is still visible here (Qt hides it once the event is accepted), so
    // finishing takes the outline off its target as Finish would. The wizard
    // may be gone once finishTutorial() returns: nothing of it is touched after.
    if (event->type() == QEvent::Close && event->spontaneous() && watched == currentPage()) {
        finishTutorial();
        return false;
    }
    return QObject::eventFilter(watched, event);
}

QWidget* TutorialWizard::targetWidget(QObject* target) const
{
    if (auto* action = qobject_cast<QAction*>(target))
        return toolBar ? toolBar->widgetForAction(action) : nullptr;
    if (target && target->isWidgetType())
        return static_cast<QWidget*>(target);
    return nullptr;
}

void TutorialWizard::highlightTarget(QObject* target)
{
    if (QWidget* widget = targetWidget(target)) {
        // An action target is switched on with its button, so that the
        // shortcut that the page names works while the page is on show.
        auto* action = qobject_cast<QAction*>(target);
        if (action && !windowKeptActions.contains(action)) {
            if (!action->isEnabled()) {
                action->setEnabled(true);
                switchedOnAction = action;
                // Once the window itself switches the action off (a run
                // starts), what follows is the window's to decide.
                connect(action, &QAction::changed, this, [this, action] {
                    if (!action->isEnabled()) releaseSwitchedOnAction();
                });
            }
        }
        // A button follows its action.
        widget->setEnabled(action ? action->isEnabled() : true);
        // Under a style sheet a combo box asks for less width than its longest
        // item needs: the control keeps the width it had without the border.
        widget->setProperty(minimumWidthKey, widget->minimumWidth());
        widget->setMinimumWidth(qMax(widget->minimumWidth(), widget->sizeHint().width()));
        widget->setStyleSheet(QStringLiteral("border: 2px solid #f00;"));
    }
}

void TutorialWizard::unhighlightTarget(QObject* target)
{
    if (QWidget* widget = targetWidget(target)) {
        if (auto* action = qobject_cast<QAction*>(target)) {
            // An action the window had enabled (Start with a picture on show)
            // stays as the window set it; the button follows its action.
            if (action == switchedOnAction) {
                releaseSwitchedOnAction();
                action->setEnabled(false);
            }
            widget->setEnabled(action->isEnabled());
        } else {
            widget->setEnabled(false);
        }
        widget->setStyleSheet(QString());
        const QVariant minimumWidth = widget->property(minimumWidthKey);
        if (minimumWidth.isValid()) widget->setMinimumWidth(minimumWidth.toInt());
        widget->setProperty(minimumWidthKey, QVariant());
    }
}

void TutorialWizard::releaseSwitchedOnAction()
{
    if (switchedOnAction) disconnect(switchedOnAction, &QAction::changed, this, nullptr);
    switchedOnAction = nullptr;
}

void TutorialWizard::leaveCurrentPage()
{
    TutorialPage* page = currentPage();
    if (page && page->isVisible()) {
        page->close();
        unhighlightTarget(pages.at(current).first);
    }
}

void TutorialWizard::showCurrentPage()
{
    pages.at(current).second->show();
    highlightTarget(pages.at(current).first);
}
