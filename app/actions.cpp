#include "actions.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "main_window.h"
#include "ui_main_window.h"

namespace Ui {

namespace {

// Action texts are translated in the context of the window's base class.
QString trMain(const char* text)
{
    return QMainWindow::tr(text);
}

QKeySequence ctrl(Qt::Key key)
{
    return QKeySequence(static_cast<int>(Qt::CTRL) | static_cast<int>(key));
}

QAction* makeAction(QMainWindow* window, const char* icon, const char* text, const char* toolTip,
                    const QKeySequence& shortcut)
{
    auto* action = icon ? new QAction(QIcon(QString(":/Clarnex/Resources/") + icon), trMain(text), window)
                        : new QAction(trMain(text), window);
    if (toolTip) action->setToolTip(trMain(toolTip));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

QAction* makeChoice(QMainWindow* window, const char* text, QActionGroup* group)
{
    auto* action = new QAction(trMain(text), window);
    action->setCheckable(true);
    group->addAction(action);
    return action;
}

}  // namespace

void DeblurUIActions::setupActions(QMainWindow* window)
{
    minimizeAction = makeAction(window, "minimize.svg", "&Minimize", nullptr, {});
    maximizeAction = makeAction(window, "maximize.svg", "&Maximize", nullptr, {});
    quitAction = makeAction(window, "close.svg", "&Quit", nullptr, ctrl(Qt::Key_Q));
    openAction = makeAction(window, "browse.svg", "&Open...", "Open a file", ctrl(Qt::Key_O));
    saveAction = makeAction(window, nullptr, "&Save...", "Save the file", ctrl(Qt::Key_S));
    saveAsAction = makeAction(window, "save.svg", "S&ave as...", "Save the file", ctrl(Qt::Key_D));
    closeFileAction =
        makeAction(window, "exit.svg", "&Close...", "Close the file", ctrl(Qt::Key_W));
    startAction =
        makeAction(window, "start.svg", "&Start", "Start processing", ctrl(Qt::Key_R));
    undoAction = makeAction(window, "undo.svg", "&Undo", "undo", ctrl(Qt::Key_Z));
    zoomInAction =
        makeAction(window, "zoom_in.svg", "&Zoom in", "Zoom in", ctrl(Qt::Key_BracketLeft));
    zoomOutAction =
        makeAction(window, "zoom_out.svg", "&Zoom out", "Zoom out", ctrl(Qt::Key_BracketRight));
    showTutorialAction = makeAction(window, nullptr, "&Show tutorial", nullptr, {});

    processorGroup = new QActionGroup(window);
    autoAction = makeChoice(window, "&Auto", processorGroup);
    cpuAction = makeChoice(window, "&CPU", processorGroup);
    gpuAction = makeChoice(window, "&GPU", processorGroup);

    qualityGroup = new QActionGroup(window);
    lowAction = makeChoice(window, "&Low", qualityGroup);
    mediumAction = makeChoice(window, "&Medium", qualityGroup);
    highAction = makeChoice(window, "&High", qualityGroup);

    aboutAction = makeAction(window, nullptr, "&About", nullptr, {});
    shortcutKeysAction = makeAction(window, nullptr, "&Shortcut keys", nullptr, {});

    const std::pair<QAction*, const char*> plain[] = {
        {minimizeAction, SLOT(minimizeWindow())},   {maximizeAction, SLOT(maximizeWindow())},
        {quitAction, SLOT(closeWindow())},          {openAction, SLOT(browseFiles())},
        {saveAction, SLOT(saveFile())},             {saveAsAction, SLOT(saveAsFile())},
        {closeFileAction, SLOT(closeFile())},       {startAction, SLOT(startDeblur())},
        {undoAction, SLOT(undo())},                 {zoomInAction, SLOT(zoomIn())},
        {zoomOutAction, SLOT(zoomOut())},           {showTutorialAction, SLOT(startTutorial())},
        {aboutAction, SLOT(showAboutMessage())},    {shortcutKeysAction, SLOT(showShortcutMessage())},
    };
    for (const auto& [action, slot] : plain) QObject::connect(action, SIGNAL(triggered()), window, slot);
    QObject::connect(qualityGroup, SIGNAL(triggered(QAction*)), window, SLOT(qualityChanged(QAction*)));
}

}  // namespace Ui

void Clarnex::createMenus()
{
    auto* cornerBar = new QMenuBar(ui->menuBar);
    cornerBar->addAction(actions.minimizeAction);
    cornerBar->addAction(actions.maximizeAction);
    cornerBar->addAction(actions.quitAction);
    ui->menuBar->setCornerWidget(cornerBar, Qt::TopRightCorner);

    auto* innerBar = new QMenuBar(ui->menuBar);

    auto* fileMenu = new QMenu(tr("&File"), innerBar);
    fileMenu->addAction(actions.openAction);
    fileMenu->addAction(actions.closeFileAction);
    fileMenu->addSeparator();
    fileMenu->addAction(actions.saveAction);
    fileMenu->addAction(actions.saveAsAction);
    fileMenu->addSeparator();
    fileMenu->addAction(actions.quitAction);

    auto* editMenu = new QMenu(tr("&Edit"), this);
    editMenu->addAction(actions.startAction);
    editMenu->addSeparator();
    editMenu->addAction(actions.undoAction);

    auto* optionsMenu = new QMenu(tr("&Options"), this);
    optionsMenu->addAction(actions.showTutorialAction);
    auto* processorMenu = new QMenu(tr("&Processor"), this);
    processorMenu->addAction(actions.autoAction);
    processorMenu->addAction(actions.cpuAction);
    processorMenu->addAction(actions.gpuAction);
    optionsMenu->addMenu(processorMenu);
    auto* qualityMenu = new QMenu(tr("&Quality"), this);
    qualityMenu->addAction(actions.lowAction);
    qualityMenu->addAction(actions.mediumAction);
    qualityMenu->addAction(actions.highAction);
    optionsMenu->addMenu(qualityMenu);

    auto* helpMenu = new QMenu(tr("&Help"), innerBar);
    helpMenu->addAction(actions.shortcutKeysAction);
    helpMenu->addAction(actions.aboutAction);

    innerBar->addMenu(fileMenu);
    innerBar->addMenu(editMenu);
    innerBar->addMenu(optionsMenu);
    innerBar->addMenu(helpMenu);
    innerBar->adjustSize();
    // The inner bar is placed by hand, so the form's bar does not grow with
    // it: it is made tall enough to show the menu titles whole.
    ui->menuBar->setMinimumHeight(innerBar->height());

    // The free part of the bar is the frameless window's title bar.
    ui->menuBar->installEventFilter(this);
}

void Clarnex::createToolBar()
{
    ui->toolBar->addAction(actions.openAction);
    ui->toolBar->addAction(actions.saveAsAction);
    ui->toolBar->addSeparator();
    ui->toolBar->addAction(actions.zoomInAction);
    ui->toolBar->addAction(actions.zoomOutAction);
    ui->toolBar->addSeparator();
    ui->toolBar->addAction(actions.undoAction);
    ui->toolBar->addAction(actions.startAction);
}
