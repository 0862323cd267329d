#pragma once

#include <QPixmap>
#include <QWidget>

// A picture with its caption underneath, both centred; the tutorial pages use
// it to illustrate what a parameter does.
class ImageWithCaption : public QWidget
{
    Q_OBJECT

public:
    // The caption must outlive the widget (the pages pass string literals).
    ImageWithCaption(const char* caption, QPixmap pixmap, QWidget* parent = nullptr,
                     Qt::WindowFlags flags = Qt::WindowFlags());
    ~ImageWithCaption() override;

    const char* captionText() const { return caption; }
    const QPixmap& picture() const { return pixmap; }

private:
    const char* caption;
    QPixmap pixmap;
};
