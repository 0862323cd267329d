#pragma once

#include <QImage>
#include <QObject>

#include "deblur.h"
#include "image.h"

// Runs one deblurring on its own thread. The picture is converted in the
// constructor and the result in getResult, both on the GUI thread, so the
// worker thread never touches a QImage.
class DeblurWorker : public QObject
{
    Q_OBJECT

public:
    DeblurWorker(const QImage& picture, int kernelHeight, int kernelWidth, unsigned quality, bool dering,
                 bool denoise, bool estimateKernelSize, imgproc::Processor processor, int* progress,
                 QObject* parent = nullptr);
    ~DeblurWorker() override;

    // Converts the result into out.
    void getResult(QImage& out) const;

    // The values handed to the engine, for inspection.
    const imgproc::Image& inputImage() const { return input; }
    int heightOfKernel() const { return kernelHeight; }
    int widthOfKernel() const { return kernelWidth; }
    bool estimatesKernelSize() const { return estimateKernelSize; }
    unsigned qualityLevel() const { return quality; }
    bool reducesRinging() const { return dering; }
    bool reducesNoise() const { return denoise; }
    imgproc::Processor processorChoice() const { return processor; }

signals:
    void resultReady();

public slots:
    void doWork();

private:
    imgproc::Image input;
    imgproc::Image result;
    imgproc::Image kernel;
    int kernelHeight;
    int kernelWidth;
    bool estimateKernelSize;
    unsigned quality;
    bool dering;
    bool denoise;
    imgproc::Processor processor;
    int* progress;
};
