#include "tutorial_page.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

TutorialPage::TutorialPage(QWidget* parent, Qt::WindowFlags flags)
    : QFrame(parent, flags)
{
    // A top-level frameless window of its own, kept above the main window.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    setFrameStyle(int(QFrame::StyledPanel) | int(QFrame::Plain));
    setAttribute(Qt::WA_TranslucentBackground);

    mainLayout = new QVBoxLayout;
    setLayout(mainLayout);
    contentLayout = new QVBoxLayout;
    mainLayout->addLayout(contentLayout, 0);
    auto* buttonRow = new QHBoxLayout;
    mainLayout->addLayout(buttonRow, 0);

    nextButton = new QPushButton(QStringLiteral(" &Next > "));
    backButton = new QPushButton(QStringLiteral(" < &Back "));
    buttonRow->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttonRow->addWidget(backButton);
    buttonRow->addWidget(nextButton);

    QFile styleFile(QStringLiteral(":/qss/Resources/tutorial.qss"));
    if (styleFile.open(QFile::ReadOnly | QFile::Text)) {
        setStyleSheet(QString::fromUtf8(styleFile.readAll()));
        styleFile.close();
    }
    ensurePolished();
}

TutorialPage::~TutorialPage() = default;

void TutorialPage::setFirstPage(bool first)
{
    backButton->setVisible(!first);
}

void TutorialPage::setLastPage(bool last)
{
    if (last)
        nextButton->setText(QStringLiteral(" Finish "));
}

void TutorialPage::setNextEnabled(bool enabled)
{
    nextButton->setEnabled(enabled);
}

void TutorialPage::addText(const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    contentLayout->addWidget(label);
}

void TutorialPage::paintEvent(QPaintEvent*)
{
    // The message box's look, slightly see-through.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(QBrush(QColor(160, 160, 160, 245)));
    painter.setPen(QPen(QColor(120, 120, 120, 245)));
    painter.drawRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), 3.0, 3.0, Qt::AbsoluteSize);
}
