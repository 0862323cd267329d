#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>

#include "image_view.h"
#include "main_window.h"
#include "tutorial_wizard.h"

void Clarnex::mousePressEvent(QMouseEvent* event)
{
    if (isMaximized()) return;
    if (event->button() == Qt::LeftButton) pressPosition = event->pos();
}

void Clarnex::mouseMoveEvent(QMouseEvent* event)
{
    // (0, 0) is the idle anchor: no drag under way.
    if (pressPosition.x() == 0 && pressPosition.y() == 0) return;
    move(pos() + event->pos() - pressPosition);
    moveTutorialPages();
}

void Clarnex::mouseReleaseEvent(QMouseEvent*)
{
    pressPosition = QPoint(0, 0);
}

void Clarnex::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) maximizeWindow();
}

void Clarnex::maximizeWindow()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
    moveTutorialPages();
}

// A window manager places, maximises and restores the window after the call
// that asked for it has returned, so the pages follow the move itself.
void Clarnex::moveEvent(QMoveEvent*)
{
    moveTutorialPages();
}

void Clarnex::moveTutorialPages()
{
    if (!tutorialWizard) return;
    const QRect frame = geometry();
    tutorialWizard->moveTo(frame.left() + 40, frame.top() + 65);
}

void Clarnex::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(QBrush(QColor("#666")));
    painter.setPen(QPen(QColor("#666")));
    painter.drawRoundedRect(QRectF(0, 0, width() - 1, height() - 1), 5.0, 5.0, Qt::AbsoluteSize);
}

void Clarnex::dragEnterEvent(QDragEnterEvent* event)
{
    qDebug() << acceptDrops();
    qDebug() << imageView->acceptDrops();
    qDebug() << event;
    event->acceptProposedAction();
}

void Clarnex::dropEvent(QDropEvent* event)
{
    // Only a drop on the image view opens a file.
    qDebug() << event;
}
