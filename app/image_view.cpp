#include "image_view.h"

#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>

ImageView::ImageView(QWidget* parent) : QScrollArea(parent), label(new QLabel)
{
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    label->setScaledContents(true);
    setWidget(label);
    setWidgetResizable(false);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

ImageView::~ImageView() = default;

void ImageView::setImage(const QPixmap& pixmap, bool fit)
{
    label->setPixmap(pixmap);
    if (!fit) return;

    scale = 1.0;
    const int w = pixmap.width();
    const int h = pixmap.height();
    const int m = static_cast<int>(0.1 * std::max(w, h));
    label->setMargin(m);
    label->resize(w + 2 * m, h + 2 * m);

    const QSize view = viewport()->size();
    const float fx = static_cast<float>(view.width()) / static_cast<float>(w + 2 * m);
    const float fy = static_cast<float>(view.height()) / static_cast<float>(h + 2 * m);
    const float f = std::min(fx, fy);
    if (f < 1.0f) {
        fitScale = f;
        scaleBy(f);
    } else {
        fitScale = 1.0;
    }
}

void ImageView::scaleBy(double factor)
{
    scale *= factor;
    const QSize size = label->pixmap(Qt::ReturnByValue).size();
    const int sw = qRound(size.width() * scale);
    const int sh = qRound(size.height() * scale);
    const int m = static_cast<int>(0.1 * std::max(sw, sh));
    label->setMargin(m);
    label->resize(sw + 2 * m, sh + 2 * m);

    // Keep the point under the centre of the view where it was.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        bar->setValue(static_cast<int>(bar->value() * factor + bar->pageStep() * (factor - 1) * 0.5));
}

void ImageView::zoomIn()
{
    scaleBy(1.25);
}

void ImageView::zoomOut()
{
    scaleBy(0.8);
}

void ImageView::clear()
{
    label->clear();
}

bool ImageView::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // Presses on the picture must not reach the window, which would drag.
        e->accept();
        return true;
    default:
        return QScrollArea::event(e);
    }
}

void ImageView::dragEnterEvent(QDragEnterEvent* e)
{
    qDebug() << e;
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void ImageView::dropEvent(QDropEvent* e)
{
    qDebug() << e;
    for (const QUrl& url : e->mimeData()->urls()) {
        if (url.isValid()) {
            // A file URL again: the bare path read as a URL would lose "#"
            // and "?" and escape "%". A URL that is no local file gives an
            // empty one, which fails to open.
            emit urlReceived(QUrl::fromLocalFile(url.toLocalFile()));
            return;
        }
    }
}
