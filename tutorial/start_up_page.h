#pragma once

#include "tutorial_page.h"

// Tutorial page explaining the Start action; its Back button also undoes on its parent window.
class StartUpPage : public TutorialPage
{
    Q_OBJECT

public:
    explicit StartUpPage(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~StartUpPage() override;
};
