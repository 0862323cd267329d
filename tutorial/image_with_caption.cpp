#include "image_with_caption.h"

#include <QLabel>
#include <QVBoxLayout>

ImageWithCaption::ImageWithCaption(const char* caption, QPixmap pixmap, QWidget* parent,
                                   Qt::WindowFlags flags)
    : QWidget(parent, flags), caption(caption), pixmap(std::move(pixmap))
{
    auto* layout = new QVBoxLayout;
    setLayout(layout);

    auto* pictureLabel = new QLabel;
    pictureLabel->setPixmap(this->pixmap);
    pictureLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addWidget(pictureLabel);

    auto* captionLabel = new QLabel(QString::fromUtf8(caption));
    captionLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addWidget(captionLabel);
}

ImageWithCaption::~ImageWithCaption() = default;
