#pragma once

#include <QDialog>
#include <QPoint>

class QMouseEvent;
class QPaintEvent;
class QPushButton;
class QVBoxLayout;

// A small frameless, translucent, modal message box painted as a grey rounded
// rectangle, dragged with the left mouse button like the main window. Used for
// the About and Shortcut keys messages. It has no meta-object of its own.
class CustomMessageBox : public QDialog
{
public:
    explicit CustomMessageBox(const QString& text, QWidget* parent = nullptr,
                              Qt::WindowFlags flags = Qt::WindowFlags());

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint pressPosition;      // drag anchor; (0, 0) means no drag under way
    QVBoxLayout* mainLayout;
    QVBoxLayout* textLayout;
    QPushButton* okButton;
};
