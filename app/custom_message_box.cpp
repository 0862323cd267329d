#include "custom_message_box.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

CustomMessageBox::CustomMessageBox(const QString& text, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), pressPosition(0, 0)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);

    mainLayout = new QVBoxLayout;
    setLayout(mainLayout);
    textLayout = new QVBoxLayout;
    mainLayout->addLayout(textLayout, 0);

    auto* label = new QLabel;
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse
                                   | Qt::LinksAccessibleByKeyboard);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    label->setText(text);
    textLayout->addWidget(label);

    auto* buttonRow = new QHBoxLayout;
    mainLayout->addLayout(buttonRow, 0);
    buttonRow->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    okButton = new QPushButton(QStringLiteral(" &OK "));
    buttonRow->addWidget(okButton);

    connect(okButton, SIGNAL(clicked()), this, SLOT(accept()));

    QFile styleFile(QStringLiteral(":/qss/Resources/tutorial.qss"));
    if (styleFile.open(QFile::ReadOnly | QFile::Text)) {
        setStyleSheet(QString::fromUtf8(styleFile.readAll()));
        styleFile.close();
    }
    ensurePolished();
}

void CustomMessageBox::mousePressEvent(QMouseEvent* event)
{
    if (isMaximized())
        return;
    if (event->button() == Qt::LeftButton)
        pressPosition = event->pos();
}

void CustomMessageBox::mouseReleaseEvent(QMouseEvent*)
{
    pressPosition = QPoint(0, 0);
}

void CustomMessageBox::mouseMoveEvent(QMouseEvent* event)
{
    if (pressPosition.x() == 0 && pressPosition.y() == 0)
        return;
    move(pos() + event->pos() - pressPosition);
}

void CustomMessageBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(QBrush(QColor(160, 160, 160, 255)));
    painter.setPen(QPen(QColor(120, 120, 120, 255)));
    painter.drawRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), 3.0, 3.0, Qt::AbsoluteSize);
}
