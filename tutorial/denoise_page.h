#pragma once

#include "tutorial_page.h"

// Tutorial page explaining the Reduce noise check box, with a before and after picture.
class DenoisePage : public TutorialPage
{
    Q_OBJECT

public:
    explicit DenoisePage(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~DenoisePage() override;
};
