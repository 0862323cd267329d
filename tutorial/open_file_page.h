#pragma once

#include "tutorial_page.h"

// Tutorial page explaining the Open action.
class OpenFilePage : public TutorialPage
{
    Q_OBJECT

public:
    explicit OpenFilePage(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~OpenFilePage() override;
};
