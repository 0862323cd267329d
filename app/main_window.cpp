#include "main_window.h"
#include "ui_main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QEvent>
#include <QFile>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "deblur_worker.h"
#include "fft_engine.h"
#include "image_view.h"
#include "parameter_bar.h"
#include "progress.h"

Clarnex::Clarnex(QWidget* parent)
    : QMainWindow(parent), pressPosition(0, 0), ui(new Ui::ClarnexClass), settings("VANTREL", "Tolvane")
{
    ui->setupUi(this);
    actions.setupActions(this);

    QFile styleFile(":/qss/Resources/hello.qss");
    if (styleFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        setStyleSheet(QString::fromUtf8(styleFile.readAll()));
        styleFile.close();
    }
    ensurePolished();

    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setContextMenuPolicy(Qt::NoContextMenu);

    createMenus();
    createParameterBar();
    createImageView();
    createToolBar();
    createStatusBar();

    progressTimer = new QTimer(this);
    connect(progressTimer, SIGNAL(timeout()), this, SLOT(updateProgress()));

    imgproc::initFFTThreads();
    loadSettings();
    setState(WorkState::NoImage);
    setAcceptDrops(true);
}

Clarnex::~Clarnex()
{
    saveSettings();
    // The engine writes this window's progress integer: a run under way is
    // waited for before anything goes.
    finishRunThread();
    delete ui;
}

void Clarnex::showWindow()
{
    show();
    imageView->setAcceptDrops(true);
    setAcceptDrops(true);
    if (isFirst) startTutorial();
}

void Clarnex::createParameterBar()
{
    parameterBar = new ParameterBar();
    ui->centralLayout->addWidget(parameterBar);
}

void Clarnex::createImageView()
{
    imageView = new ImageView(this);
    imageView->installEventFilter(this);
    imageView->setAcceptDrops(true);
    ui->centralLayout->addWidget(imageView);
    connect(imageView, SIGNAL(urlReceived(QUrl)), this, SLOT(openFile(QUrl)));
}

void Clarnex::createStatusBar()
{
    progressBar = new QProgressBar();
    ui->statusBar->addPermanentWidget(progressBar, 0);
    progressBar->setMaximumSize(180, 15);
    progressBar->hide();
}

void Clarnex::minimizeWindow()
{
    showMinimized();
}

void Clarnex::closeWindow()
{
    close();
}

void Clarnex::setState(WorkState s)
{
    const bool noTutorial = !tutorialRunning;
    if (noTutorial) {
        const bool zoom = s != WorkState::NoImage;
        actions.zoomInAction->setEnabled(zoom);
        actions.zoomOutAction->setEnabled(zoom);

        const bool picture = s == WorkState::ImageLoaded || s == WorkState::ResultShown;
        actions.saveAsAction->setEnabled(picture);
        actions.saveAction->setEnabled(picture);
        actions.closeFileAction->setEnabled(picture);

        const bool open = s != WorkState::Running;
        actions.openAction->setEnabled(open);
        imageView->setAcceptDrops(open);
    }

    progressBar->setVisible(s == WorkState::Running);
    actions.startAction->setEnabled(s != WorkState::Running);

    if (s == WorkState::Running) {
        if (state == WorkState::ResultShown) inputImage = resultImage;
        ui->statusBar->showMessage("Running...");
        progressTicks = 0;
        // The bar starts empty, not on the previous run's value until the first tick.
        showProgress(0, 0.0f);
        progressTimer->start(200);
    } else {
        imgproc::storeProgress(&progress, 0);
    }

    if (s == WorkState::ResultShown) {
        ui->statusBar->showMessage("Finish.");
        progressTimer->stop();
    }

    if (noTutorial) actions.undoAction->setEnabled(s == WorkState::ResultShown);

    state = s;
    followWorkStateOnTutorialPages();
}

void Clarnex::setControlsEnabled(bool enabled)
{
    for (QAction* action : {actions.zoomInAction, actions.zoomOutAction, actions.saveAsAction, actions.saveAction,
                            actions.closeFileAction, actions.startAction, actions.openAction, actions.undoAction})
        action->setEnabled(enabled);

    parameterBar->deringCheck->setEnabled(enabled);
    parameterBar->denoiseCheck->setEnabled(enabled);
    parameterBar->blurStrengthCombo->setEnabled(enabled);

    // The size boxes follow the blur strength alone: only "Custom" edits them.
    const bool custom = parameterBar->blurStrengthCombo->currentIndex() == 4;
    parameterBar->heightSpin->setEnabled(custom);
    parameterBar->widthSpin->setEnabled(custom);
}

void Clarnex::zoomIn()
{
    imageView->zoomIn();
    const double ratio = imageView->currentScale() / imageView->currentFitScale();
    actions.zoomInAction->setEnabled(ratio < 3.0);
    actions.zoomOutAction->setEnabled(ratio > 0.2);
    ui->statusBar->showMessage(QString::number(static_cast<int>(imageView->currentScale() * 100)) + "%");
}

void Clarnex::zoomOut()
{
    imageView->zoomOut();
    const double ratio = imageView->currentScale() / imageView->currentFitScale();
    actions.zoomInAction->setEnabled(ratio < 3.0);
    actions.zoomOutAction->setEnabled(ratio > 0.2);
    ui->statusBar->showMessage(QString::number(static_cast<int>(imageView->currentScale() * 100)) + "%");
}

bool Clarnex::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == imageView) {
        if (state == WorkState::ResultShown) {
            // Holding any button shows the picture before the run.
            if (type == QEvent::MouseButtonPress) {
                imageView->setImage(QPixmap::fromImage(inputImage), false);
                return true;
            }
            if (type == QEvent::MouseButtonRelease) {
                imageView->setImage(QPixmap::fromImage(resultImage), false);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
        type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove) {
        // The free part of the menu bar drags and maximises the window.
        this->event(event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void Clarnex::undo()
{
    if (state != WorkState::ResultShown) return;
    inputImage.swap(resultImage);
    imageView->setImage(QPixmap::fromImage(resultImage), false);
}
