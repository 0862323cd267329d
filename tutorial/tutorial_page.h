#pragma once

#include <QFrame>

class QPushButton;
class QVBoxLayout;
class QPaintEvent;

// A small floating page of the tutorial: a frameless, translucent, rounded
// top-level frame with a content area above a row of Back and Next buttons.
// The wizard connects the buttons; a page connects nothing itself (except
// StartUpPage, whose Back button also undoes on the main window).
class TutorialPage : public QFrame
{
    Q_OBJECT

public:
    explicit TutorialPage(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~TutorialPage() override;

    // Hides the Back button on the first page, shows it otherwise.
    void setFirstPage(bool first);
    // On the last page Next reads " Finish " (for good); false changes nothing.
    void setLastPage(bool last);
    void setNextEnabled(bool enabled);

    // Public so that the wizard can connect the page's buttons.
    QPushButton* nextButton;
    QPushButton* backButton;

signals:
    // Declared for listeners of a page of their own; the wizard connects the
    // Next button directly, so nothing emits it.
    void nextPageBtnClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

    QVBoxLayout* mainLayout;
    QVBoxLayout* contentLayout;

    // Adds the page text as a word-wrapped label with automatic text format.
    void addText(const char* text);
};
