#pragma once

#include "tutorial_page.h"

// Tutorial page explaining the blur-strength choice, with four pictures.
class BlurStrengthPage : public TutorialPage
{
    Q_OBJECT

public:
    explicit BlurStrengthPage(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~BlurStrengthPage() override;
};
