#pragma once

#include "tutorial_page.h"

// Tutorial page explaining the Save as action.
class SavePage : public TutorialPage
{
    Q_OBJECT

public:
    explicit SavePage(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~SavePage() override;
};
