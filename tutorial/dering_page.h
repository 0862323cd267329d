#pragma once

#include "tutorial_page.h"

// Tutorial page explaining the Reduce ringing check box, with a before and after picture.
class DeringPage : public TutorialPage
{
    Q_OBJECT

public:
    explicit DeringPage(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~DeringPage() override;
};
