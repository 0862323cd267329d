#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPixmap>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QThread>

#include "deblur_worker.h"
#include "image_view.h"
#include "main_window.h"
#include "ui_main_window.h"
#include "parameter_bar.h"
#include "progress.h"
#include "tutorial_wizard.h"

void Clarnex::startDeblur()
{
    // One run at a time, whatever enabled the action.
    if (state == WorkState::Running) return;

    // The picture that the run would take; a run needs a picture.
    const QImage& next = state == WorkState::ResultShown ? resultImage : inputImage;
    if (next.isNull()) {
        ui->statusBar->showMessage("Open a picture first.");
        return;
    }

    setState(WorkState::Running);

    imgproc::Processor processor = imgproc::Processor::Auto;
    if (actions.gpuAction->isChecked())
        processor = imgproc::Processor::Gpu;
    else if (actions.cpuAction->isChecked())
        processor = imgproc::Processor::Cpu;

    const int kernelHeight = parameterBar->heightSpin->value();
    const int kernelWidth = parameterBar->widthSpin->value();
    const bool estimateKernelSize = parameterBar->blurStrengthCombo->currentIndex() == 0;
    const bool dering = parameterBar->deringCheck->isChecked();
    const bool denoise = parameterBar->denoiseCheck->isChecked();

    worker = new DeblurWorker(inputImage, kernelHeight, kernelWidth, quality, dering, denoise, estimateKernelSize,
                              processor, &progress);
    auto* thread = new QThread(this);
    runThread = thread;
    worker->moveToThread(thread);
    connect(thread, SIGNAL(finished()), thread, SLOT(deleteLater()));
    connect(thread, SIGNAL(started()), worker, SLOT(doWork()));
    connect(worker, SIGNAL(resultReady()), this, SLOT(handleResults()));
    thread->start(QThread::InheritPriority);
}

void Clarnex::handleResults()
{
    setState(WorkState::ResultShown);
    if (tutorialRunning && tutorialWizard) tutorialWizard->setNextEnabled(true);
    if (worker) worker->getResult(resultImage);
    imageView->setImage(QPixmap::fromImage(resultImage), false);
    // The result has been taken: the run's thread may go, and its worker.
    finishRunThread();
}

void Clarnex::finishRunThread()
{
    if (runThread) {
        // The worker emits its result as its last act, so this wait is short
        // after a result; at shutdown it waits for the run to end.
        runThread->quit();
        runThread->wait();
    }
    delete worker;
    worker = nullptr;
}

void Clarnex::updateProgress()
{
    const int p = imgproc::loadProgress(&progress);
    progressBar->setTextVisible(true);

    ++progressTicks;
    const double elapsed = static_cast<double>(static_cast<uint32_t>(progressTicks * 200));
    int tenths = 0;
    if (p != 0) tenths = static_cast<int>(elapsed / 100.0 / p * (100 - p));
    float seconds = static_cast<float>(tenths / 10.0);
    if (seconds < 0) seconds = 0;
    showProgress(p, seconds);
}

void Clarnex::showProgress(int p, float seconds)
{
    progressBar->setValue(p);
    progressBar->setFormat("Time remaining: " + QString::number(static_cast<double>(seconds), 'g', 6) + "s. " +
                           QString::number(static_cast<unsigned>(p)) + "%");
}
