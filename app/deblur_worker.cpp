#include "deblur_worker.h"

#include <QImage>

#include "picture_conversion.h"

DeblurWorker::DeblurWorker(const QImage& picture, int kernelHeight, int kernelWidth, unsigned quality,
                           bool dering, bool denoise, bool estimateKernelSize, imgproc::Processor processor,
                           int* progress, QObject* parent)
    : QObject(parent),
      kernelHeight(kernelHeight),
      kernelWidth(kernelWidth),
      estimateKernelSize(estimateKernelSize),
      quality(quality),
      dering(dering),
      denoise(denoise),
      processor(processor),
      progress(progress)
{
    qImageToImage(picture, input);
}

DeblurWorker::~DeblurWorker() = default;

void DeblurWorker::doWork()
{
    imgproc::deblurImage(input, kernelHeight, kernelWidth, progress, result, kernel, quality, dering, denoise,
                         estimateKernelSize, processor, 1.0f, 0.0004f, 1.0f);
    emit resultReady();
}

void DeblurWorker::getResult(QImage& out) const
{
    imageToQImage(result, out);
}
