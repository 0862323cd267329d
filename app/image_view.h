#pragma once

#include <QScrollArea>
#include <QUrl>

class QLabel;
class QPixmap;

// The picture area: one picture, fitted when opened, zoomed about the centre of
// the view; a dropped file URL becomes a request to open it.
class ImageView : public QScrollArea
{
    Q_OBJECT

public:
    explicit ImageView(QWidget* parent = nullptr);
    ~ImageView() override;

    void setImage(const QPixmap& pixmap, bool fit);
    void scaleBy(double factor);
    void zoomIn();
    void zoomOut();
    void clear();

    double currentScale() const { return scale; }
    double currentFitScale() const { return fitScale; }
    QLabel* pictureLabel() const { return label; }

signals:
    void urlReceived(QUrl url);

protected:
    bool event(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    QLabel* label;
    double scale = 1.0;
    double fitScale = 1.0;
};
